#include "quornvale/tools/power.h"

// Not built yet: the power and session commands come with their own feature.
void LockSession() {}
void HibernateNow(HWND /*main_window*/) {}
void TurnOffMonitor(HWND /*main_window*/) {}
