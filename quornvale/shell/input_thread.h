#pragma once
// The input thread: the low-level mouse and keyboard hooks run on a thread
// of their own, whose only work is its message loop and the hooks'
// decisions (the library's procedures, which post or inject what to do).
// While the GUI thread saves a file, asks the shell or waits for a slow
// application, the desktop's mouse does not wait for it.
//
// The GUI thread asks the input thread to install, remove or reinstall a
// hook through a message to its message-only window (class
// "Quornvale.Input"), waiting for the answer at most kInputAnswerMs: the
// input thread never does anything slow, so it answers at once.
#include <windows.h>

constexpr DWORD kInputAnswerMs = 500;

// Starts the thread and, once its window exists, sets it as the place of
// the low-level hooks (hook_library.h).  False when it could not be started:
// the hooks then run on the GUI thread, as the one thread there is.
bool StartInputThread();
// Removes every hook it still holds and ends the thread (waiting for it at
// most kInputAnswerMs).  The low-level hooks of the program's hook slots are
// removed through RemoveHook before this.
void EndInputThread();

// The watch over the low-level hooks (hook_watch.h): a timer of the main
// window that installs the hooks again when the cursor moves while the
// input thread has seen no low-level event for kHookSilenceMs.
constexpr UINT_PTR HOOK_WATCH_TIMER = 103;
constexpr UINT kHookWatchPeriodMs = 1000;
constexpr DWORD kHookSilenceMs = 4000;
void StartHookWatch(HWND main_window);
void StopHookWatch(HWND main_window);
