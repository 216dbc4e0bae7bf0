#pragma once
// Start-up and teardown of the main window: loading the hook library,
// installing its hooks and pushing every setting into it, and undoing it all.
#include <windows.h>

#include "common/ostrilix_interface.h"

LRESULT OnCreate(HWND main_window);
LRESULT OnDestroy(HWND main_window);

// The parameter blocks of auto-scroll (flag 0x4) and roll-up (flag 0x1) as
// settings.ini has them now; the other fields are zero.
FeatureParams AutoScrollParams();
FeatureParams RollUpParams();

// Docking needs the system to show window contents while dragging.
void ApplyDocking(int enable);
// "except" of "mbutton" into the library, when not empty.
void PushMidButtonExceptions();
// The settings the library needs, in the fixed order of start-up.
void PushAllSettings(HWND main_window);
