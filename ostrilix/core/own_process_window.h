#pragma once
// Whether a window belongs to the process this code runs in.
//
// The hook procedures that run "in the thread of the window" are not always
// there: on 64-bit Windows, a 64-bit program's global hooks are called for
// the windows of 32-bit applications in the program's own process, with the
// foreign window's handle.  Acting from there would subclass nothing that
// works, change the program's own input method, cursor and settings, sleep
// on the program's thread and match the lists against the program's name.
// So every acting branch of those hook procedures asks this first, after
// its cheap decisions by message number and feature bit, and passes the
// message on untouched for a window of another process.
#include <windows.h>

// False for a null or destroyed window and for a window of another process.
// One system call: ask once per message and keep the answer.
bool IsOwnProcessWindow(HWND window);
