// Stand-in until the wheel transparency is built: the low-level mouse hook
// already hands the Left Alt + Left Ctrl + wheel gesture here.
#include "ostrilix/mousehook/wheel_transparency.h"

LRESULT AdjustTransparency(HWND, short) { return 0; }
