#pragma once
// The program's first duty at start: a program that no longer runs (ended
// from Task Manager, crashed, its session's shell killed it) could not give
// back what it changed.  The library records each change on the changed
// window (ostrilix/core/window_records.h); a start gives back every change
// whose owner runs no program any more: rolled-up windows at their full
// height, docked windows in the placement they had before docking, faded
// windows with their own extended style and layering, windows hidden in the
// tray shown again, minimised with their taskbar buttons as at exit (the
// icons a new start could not promise to add are removed).  Windows closed
// meanwhile took their records with them.  A hung application's window gets
// the same time as at exit and does its part when it wakes.

// Tells the library whose hooks these are: the owner it writes into every
// record.  Before any hook is installed; the companion's library gets the
// program's process id through the mirror.
void TellLibraryTheProgramProcess();

// Gives back what an ended program left, in the windows' own threads.  Runs
// once the call-window-procedure hook is installed.  The program calls it
// before it pushes its settings, with minimise-to-tray off (a window shown
// again must not go straight back to the tray); the companion after its
// first settings.  The menu fade and animation that the ended program's
// translucent menus switched off come back too.
void GiveBackWhatAnEndedProgramLeft();
