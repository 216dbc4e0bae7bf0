#pragma once
// The fade worker: a thread of the program's process that applies wheel
// transparency to other processes' windows.  Writing a window's extended
// style sends it messages and waits for its answers, so a hung application
// would hold whoever writes; the low-level hook runs on the program's main
// thread, which holds up the mouse of the whole desktop while it waits.  The
// hook therefore only decides (wheel_transparency.h, into the table of
// faded_windows.h) and wakes this thread, which never calls the hook's side.
//
// The worker asks a window whether it answers before any call that sends it
// a message, and leaves a window that does not for a later try; alpha
// changes of a window that is already layered send nothing and are made at
// once.  It holds a reference on the library and leaves through
// FreeLibraryAndExitThread, so unloading the library never pulls its code
// from under it.
#include <windows.h>

// How long the worker waits for a window to answer before it writes its
// style, and how soon it tries a window again that did not.
constexpr DWORD kFadeAnswerMs = 200;
constexpr DWORD kFadeExitAnswerMs = 100;
constexpr DWORD kFadeRetryMs = 250;

// Wakes the worker, starting it at first use, to apply the table's changes.
void WakeFadeWorker();
// True once the exit restore has begun: no window fades any more.
bool FadeWorkerLeaving();
// The program is ending: every faded window gets its own look back (its own
// extended style and layering), then the worker leaves.  Waits at most
// timeout_ms, answering sent messages meanwhile (the low-level hooks among
// them); a window that does not answer keeps a layered bit but is opaque.
// Returns how many faded windows did not get their whole look back.
LONG RestoreFadedWindowsAtExit(DWORD timeout_ms);

extern "C" {
// The library export that the program calls at exit, before it removes the
// hooks.
__declspec(dllexport) LONG WINAPI RestoreFadedWindows(DWORD timeout_ms);
}
