#pragma once
#include <windows.h>

// Whether any action of the mouse hook can apply to the message; the hook
// looks up the window under the cursor only for these.
bool MouseMessageMayAct(UINT message);
