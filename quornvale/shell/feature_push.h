#pragma once
// Start-up and teardown of the main window: loading the hook library,
// installing its hooks and pushing every setting into it, and undoing it all.
#include <windows.h>

LRESULT OnCreate(HWND main_window);
LRESULT OnDestroy(HWND main_window);

// Docking needs the system to show window contents while dragging.
void ApplyDocking(int enable);
// "except" of "mbutton" into the library, when not empty.
void PushMidButtonExceptions();
// The settings the library needs, in the fixed order of start-up.
void PushAllSettings(HWND main_window);
