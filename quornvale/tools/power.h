#pragma once
#include <windows.h>
// The system functions of the tray menu.  Not built yet: they do nothing.
void LockSession();
void HibernateNow(HWND main_window);
void TurnOffMonitor(HWND main_window);
