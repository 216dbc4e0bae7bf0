#pragma once
// Start-up and teardown of the main window: loading the hook library,
// installing its hooks and pushing every setting into it, and undoing it all.
#include <windows.h>

#include "quornvale/shell/feature_apply.h"

LRESULT OnCreate(HWND main_window);
// 1 when the library could not be unloaded (after telling the user and
// finishing the teardown all the same), else 0.
LRESULT OnDestroy(HWND main_window);
