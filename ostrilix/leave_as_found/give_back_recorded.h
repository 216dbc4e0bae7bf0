#pragma once
// A program that starts gives back what an earlier one that no longer runs
// (ended from Task Manager, crashed) left changed: the records on the
// changed windows (window_records.h) say what.  The program, in its process,
// finds every window whose records name an owner that runs no program and
// asks it with a registered message; the call-window-procedure hook answers
// in the window's own thread, as the exit's requests are answered: first
// whatever this process or an earlier library's procedure in front of the
// window still knows is left as found, then the records give back the rest
// (full height, the placement from before docking, its own extended style
// and layering, shown from the tray), and go.
#include <windows.h>

#include "common/ostrilix_interface.h"

UINT GiveBackRecordedMessage();
// Cheap for every other message: only registered ones (0xC000 and up) are
// compared.
inline bool IsGiveBackRecordedMessage(UINT message)
{
    return message >= 0xC000 && message == GiveBackRecordedMessage();
}

// In the window's own thread: gives back every change recorded on it, when
// the records are still those of the owner asked about (a later program may
// have changed the window since).
void GiveBackRecordedOn(HWND window, DWORD owner);

// Run by the program at start, in its process, once its call-window-procedure
// hook is installed.
extern "C" __declspec(dllexport) LONG WINAPI GiveBackRecordedChanges(DWORD budget_ms);
