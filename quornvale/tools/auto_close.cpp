#include "quornvale/tools/auto_close.h"

#include "common/debug_print.h"
#include "quornvale/shell/app_state.h"
#include "quornvale/shell/settings.h"

namespace {
bool g_closing_streak = false;
AskedWindows g_asked = {};
// Matching windows looked at in one tick at most.
constexpr int kMaxCandidates = 64;
}  // namespace

bool MayAsk(const AskedWindows& asked, HWND window, DWORD now)
{
    for (int i = 0; i < AskedWindows::kSize; ++i)
        if (asked.window[i] == window && now - asked.asked_at[i] < kAutoCloseAskAgainMs)
            return false;
    return true;
}

void NoteAsked(AskedWindows* asked, HWND window, DWORD now)
{
    int slot = 0;
    for (int i = 0; i < AskedWindows::kSize; ++i) {
        if (asked->window[i] == window || !asked->window[i]) {
            slot = i;
            break;
        }
        if (now - asked->asked_at[i] > now - asked->asked_at[slot])
            slot = i;
    }
    asked->window[slot] = window;
    asked->asked_at[slot] = now;
}

bool CloseConfiguredWindow()
{
    wchar_t title[kPathChars] = L"", class_name[kPathChars] = L"";
    ReadSettingText(Setting::kAutoCloseWindowName, title, kPathChars);
    ReadSettingText(Setting::kAutoCloseClassName, class_name, kPathChars);
    if (!title[0] && !class_name[0])
        return false;
    const DWORD now = GetTickCount();
    HWND after = nullptr;
    for (int i = 0; i < kMaxCandidates; ++i) {
        HWND found = FindWindowExW(nullptr, after, class_name[0] ? class_name : nullptr, title[0] ? title : nullptr);
        if (!found)
            return false;
        after = found;
        DWORD process = 0;
        GetWindowThreadProcessId(found, &process);
        // The program never closes its own windows.
        if (process == GetCurrentProcessId() || !MayAsk(g_asked, found, now))
            continue;
        // Posted: the main thread runs the low-level hooks and never waits for
        // another application, which may hang or ask its user first.
        if (!PostMessageW(found, WM_CLOSE, 0, 0)) {
            DebugPrint(L"Posting WM_CLOSE to %p failed, error %lu\n", (void*)found, GetLastError());
            continue;
        }
        NoteAsked(&g_asked, found, now);
        DebugPrint(L"Window %p asked to close\n", (void*)found);
        return true;
    }
    return false;
}

void CALLBACK AutoCloseTimerProc(HWND wnd, UINT, UINT_PTR id, DWORD)
{
    if (id != AUTOCLOSE_TIMER)
        return;
    if (CloseConfiguredWindow()) {
        if (!g_closing_streak)
            SetTimer(wnd, AUTOCLOSE_TIMER, kAutoCloseStreakMs, AutoCloseTimerProc);
        g_closing_streak = true;
    } else {
        if (g_closing_streak)
            SetTimer(wnd, AUTOCLOSE_TIMER, kAutoCloseIdleMs, AutoCloseTimerProc);
        g_closing_streak = false;
    }
}

void SetAutoCloseJustFound(bool found) { g_closing_streak = found; }
