#pragma once
// Work that may wait on the disk, the network, the power manager or another
// process runs on a worker thread, never on the GUI thread: while that one
// waits, the program's menu, hotkeys and timers wait with it.  Workers show
// their outcome in balloons (ShowTrayBalloon may be called from any thread).
#include <windows.h>

// Runs work(argument) on a new thread, which initialises COM for itself (the
// shell's execution functions ask for it; with_com false leaves it out for
// work that only sends messages) and ends with the work.  The argument
// belongs to the work.  False, with nothing run, when no thread could be
// started: the caller still owns the argument.
using WorkerFn = void (*)(void* argument);
bool StartWorker(WorkerFn work, void* argument, bool with_com = true);

// A copy of the text on the heap for a worker (freed with delete[]); null
// for a null text or when there is no memory.
wchar_t* CopyForWorker(const wchar_t* text);
