#pragma once
// At logon the program may start before the taskbar and the session
// service are there: what failed at start (the tray icon, the session
// notices) is tried again on a timer for about a minute.  An icon still
// missing then is said once, in the debug trace and in a message box, and
// comes as soon as the shell announces its taskbar ("TaskbarCreated").
#include <windows.h>

constexpr UINT_PTR SHELL_RETRY_TIMER = 110;
constexpr DWORD kShellRetryPeriodMs = 2000;
constexpr DWORD kShellRetryForMs = 60000;

// --- decision (pure) ------------------------------------------------------------

enum class ShellRetryStep {
    kDone,    // nothing is missing: the timer goes
    kRetry,   // try again at the next tick
    kGiveUp,  // the minute is over: say what is missing, and the timer goes
};
ShellRetryStep NextShellRetryStep(DWORD elapsed_ms, bool icon_added, bool sessions_registered);

// --- the program's side -----------------------------------------------------------

// After the first attempts of start-up: starts the timer when either failed.
void RetryShellPartsIfNeeded(HWND main_window, bool icon_added, bool sessions_registered);
// The texts of the notice (language section "tray", English where missing).
void NoTaskbarNoticeTexts(wchar_t* title, int title_chars, wchar_t* text, int text_chars);
