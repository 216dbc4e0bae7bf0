#pragma once
// The program's last duty to the desktop: every window the library changed,
// in whatever process, is left as it was found before the library goes.
// The steps together wait about a second and a half at most, so a hung
// application cannot hold the exit (it does its part when it wakes).

// Windows that wheel transparency faded get their own look back (the fade
// worker writes them from the program's process).  Call first, while the
// hooks and the library are still there.
void RestoreFadedWindowsBeforeExit();

// Asks the library to give every window it rolled up or subclassed its own
// state back, in the windows' own threads.  Runs while the
// call-window-procedure hook is still installed and after the mouse hooks
// are gone (no new change can start meanwhile).
void LeaveWindowsAsFound();

// Every window that minimise-to-tray hid, in whatever process, is shown again
// and its icon removed; minimise-to-tray is switched off first, so no window
// goes to the tray meanwhile.  Runs while the call-window-procedure hook is
// still installed.
void ReturnTrayWindowsBeforeExit();

// The menu fade and animation back as the user had them, if translucent
// menus switched them off.
void RestoreMenuEffectsBeforeExit();

// The library's part of the exit, for the program and its companion alike:
// the mouse hooks go first (no new change can start), every window is left
// as found and brought back from the tray and the menu effects are restored
// while the call-window-procedure hook still answers; the notify-icon list
// is forgotten and that hook goes last.
void UnhookAndGiveBack();
