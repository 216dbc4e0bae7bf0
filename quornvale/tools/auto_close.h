#pragma once
// Automatic closing of a configured window, driven by AUTOCLOSE_TIMER: every
// two seconds while nothing matches, at once again after each window asked to
// close.  The window is asked with a posted WM_CLOSE, so a hung window never
// holds the main thread, and a window already asked that is still there is
// asked again only after kAutoCloseAskAgainMs.
#include <windows.h>

constexpr UINT kAutoCloseIdleMs = 2000;
constexpr UINT kAutoCloseStreakMs = 1;
constexpr DWORD kAutoCloseAskAgainMs = 2000;

void CALLBACK AutoCloseTimerProc(HWND wnd, UINT message, UINT_PTR id, DWORD time);
// Tells the timer procedure that a window was just found (the short period
// is running).
void SetAutoCloseJustFound(bool found);

// Windows asked to close and when: a window is asked again only once the
// time has passed.  A small table; the oldest entry makes room.
struct AskedWindows {
    static constexpr int kSize = 16;
    HWND window[kSize];
    DWORD asked_at[kSize];
};
// Whether the window may be asked now (not asked within the time).
bool MayAsk(const AskedWindows& asked, HWND window, DWORD now);
void NoteAsked(AskedWindows* asked, HWND window, DWORD now);

// Asks the first matching top-level window that may be asked to close;
// true when one was asked.
bool CloseConfiguredWindow();
