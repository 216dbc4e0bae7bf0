#pragma once
// What the drags leave for the shared subclass procedure to act on, per
// process: borders acting as the caption, and the move cursor switched on
// for a held caption press.  Set by the mouse hook's drag handling, read by
// the procedure, cleared when the library leaves windows as found.
#include <windows.h>

// Scroll bars, side borders and lower corners act as the caption (toggled by
// a right click on a bottom border).
extern volatile LONG g_bMoveByBorder;
// The shared subclass procedure shows the move cursor over the caption while
// a caption press with the move cursor on is held.
extern volatile LONG g_bCursorChanged;
