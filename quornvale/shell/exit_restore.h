#pragma once
// The program's last duty to the desktop: every window the library changed,
// in whatever process, is left as it was found before the hooks go.

// Asks the library to give every window it changed its own state back, in
// the windows' own threads, waiting about a second at most in all (a hung
// application does it when it wakes).  Runs while the call-window-procedure
// hook is still installed and after the mouse hooks are gone (no new change
// can start meanwhile).  Other restorations of the program's exit belong
// beside this one.
void LeaveWindowsAsFound();
