#pragma once
// Wheel transparency: Left Alt + Left Ctrl + wheel fades the top-level window
// under the cursor.  The low-level hook runs in the program's own process,
// so that is where each faded window's alpha and the layered state it had
// before are kept: per window, in a small table, so fading one window never
// continues from another's alpha or writes another's state.
//
// The hook only decides.  Changing another process's window sends it
// messages (a hung window would hold the hook, and with it the mouse of the
// whole desktop), so the fade worker applies the decisions on a thread of
// its own (fade_worker.h).
#include <windows.h>

#include "ostrilix/transparency/faded_windows.h"

// --- effects ---------------------------------------------------------------

// Decides and hands the change to the fade worker; never sends a message.
// TRUE when the window is to fade, else FALSE.
BOOL AdjustTransparency(HWND window, int wheel);
// The alpha this process's last gesture chose (255 at load and after a
// window got its own look back); popup menus of the process follow it.
int CurrentWheelAlpha();
