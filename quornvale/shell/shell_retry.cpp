#include "quornvale/shell/shell_retry.h"

#include <new>

#include "common/debug_print.h"
#include "quornvale/shell/language.h"
#include "quornvale/shell/tray_icon.h"
#include "quornvale/tools/power.h"

namespace {
constexpr wchar_t kDefaultTitle[] = L"Quornvale";
constexpr wchar_t kDefaultText[] =
    L"Quornvale could not add its icon to the notification area: the taskbar did not answer. "
    L"Quornvale runs on, and its icon appears when the taskbar starts again.";

// Main thread only.
DWORD g_started = 0;
bool g_sessions_registered = true;

struct NoticeTexts {
    wchar_t title[64];
    wchar_t text[256];
};

DWORD WINAPI ShowNoTaskbarNotice(void* parameter)
{
    auto* texts = static_cast<NoticeTexts*>(parameter);
    MessageBoxW(nullptr, texts->text, texts->title, MB_OK | MB_ICONWARNING | MB_SETFOREGROUND | MB_TOPMOST);
    delete texts;
    return 0;
}

void TellNoTaskbar()
{
    DebugPrint(L"The tray icon could not be added for a minute; it is added when the taskbar starts\n");
    // The message box waits for the user: on a thread of its own, so the main
    // thread (and the low-level hooks it runs) never waits for it.
    // The texts are read here, where the language file is used.
    auto* texts = new (std::nothrow) NoticeTexts{};
    if (!texts)
        return;
    NoTaskbarNoticeTexts(texts->title, 64, texts->text, 256);
    HANDLE thread = CreateThread(nullptr, 0, ShowNoTaskbarNotice, texts, 0, nullptr);
    if (thread) {
        CloseHandle(thread);
        return;
    }
    DebugPrint(L"The no-taskbar notice could not be shown, error %lu\n", GetLastError());
    delete texts;
}

void CALLBACK ShellRetryTick(HWND main_window, UINT, UINT_PTR id, DWORD)
{
    const bool icon_added = RetryTrayIcon();
    if (!g_sessions_registered && RegisterSessionNotices(main_window)) {
        g_sessions_registered = true;
        DebugPrint(L"Session notices registered on a later attempt\n");
    }
    const ShellRetryStep step = NextShellRetryStep(GetTickCount() - g_started, icon_added, g_sessions_registered);
    if (step == ShellRetryStep::kRetry)
        return;
    KillTimer(main_window, id);
    if (step != ShellRetryStep::kGiveUp)
        return;
    if (!icon_added)
        TellNoTaskbar();
    if (!g_sessions_registered)
        DebugPrint(L"Session notices could not be registered for a minute; given up\n");
}
}  // namespace

ShellRetryStep NextShellRetryStep(DWORD elapsed_ms, bool icon_added, bool sessions_registered)
{
    if (icon_added && sessions_registered)
        return ShellRetryStep::kDone;
    return elapsed_ms >= kShellRetryForMs ? ShellRetryStep::kGiveUp : ShellRetryStep::kRetry;
}

void RetryShellPartsIfNeeded(HWND main_window, bool icon_added, bool sessions_registered)
{
    if (NextShellRetryStep(0, icon_added, sessions_registered) == ShellRetryStep::kDone)
        return;
    g_started = GetTickCount();
    g_sessions_registered = sessions_registered;
    if (!SetTimer(main_window, SHELL_RETRY_TIMER, kShellRetryPeriodMs, ShellRetryTick))
        DebugPrint(L"SetTimer for the tray icon's retry failed, error %lu\n", GetLastError());
    else
        DebugPrint(L"Start-up: %s missing; tried again for a minute\n",
                   !icon_added ? L"the tray icon" : L"the session notices");
}

void NoTaskbarNoticeTexts(wchar_t* title, int title_chars, wchar_t* text, int text_chars)
{
    if (!GetLanguageText(L"tray", L"ID_NO_TASKBAR_TITLE", title, title_chars))
        lstrcpynW(title, kDefaultTitle, title_chars);
    if (!GetLanguageText(L"tray", L"ID_NO_TASKBAR_MESSAGE", text, text_chars))
        lstrcpynW(text, kDefaultText, text_chars);
}
