#include "quornvale/shell/settings_watch.h"

#include <string>

#include "common/debug_print.h"
#include "quornvale/shell/app_state.h"
#include "quornvale/shell/settings.h"
#include "quornvale/shell/settings_effects.h"

namespace {
constexpr wchar_t kWatchClass[] = L"Quornvale.SettingsWatch";
constexpr UINT kFolderChanged = WM_APP + 1;
constexpr UINT_PTR kSettleTimer = 1;
// Editors write a file in several steps: applied once they have been quiet
// this long.
constexpr UINT kSettleMs = 300;
constexpr DWORD kStopWaitMs = 1000;
constexpr int kRows = int(Setting::kCount);

struct Watch {
    HWND window = nullptr;
    HANDLE change = INVALID_HANDLE_VALUE;
    HANDLE stop = nullptr;
    HANDLE thread = nullptr;
    std::wstring applied[kRows];
};
Watch g_watch;

void TakeValues()
{
    for (int row = 0; row < kRows; ++row)
        g_watch.applied[row] = SettingValueText(Setting(row));
}

void ApplyHandEdits()
{
    Setting changed[kRows];
    int count = 0;
    for (int row = 0; row < kRows; ++row) {
        std::wstring now = SettingValueText(Setting(row));
        if (now == g_watch.applied[row])
            continue;
        g_watch.applied[row].swap(now);
        changed[count++] = Setting(row);
    }
    if (count == 0)
        return;
    const int ran = ApplySettingEffects(changed, count);
    DebugPrint(L"Settings file changed: %d keys, %d apply functions\n", count, ran);
}

LRESULT CALLBACK WatchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case kFolderChanged: SetTimer(window, kSettleTimer, kSettleMs, nullptr); return 0;
    case WM_TIMER:
        if (wParam == kSettleTimer) {
            KillTimer(window, kSettleTimer);
            ApplyHandEdits();
        }
        return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

DWORD WINAPI WatchThread(void*)
{
    const HANDLE handles[2] = {g_watch.stop, g_watch.change};
    for (;;) {
        const DWORD woke = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
        if (woke != WAIT_OBJECT_0 + 1)
            return 0;
        PostMessageW(g_watch.window, kFolderChanged, 0, 0);
        if (!FindNextChangeNotification(g_watch.change)) {
            DebugPrint(L"Watching the settings folder ended, error %lu\n", GetLastError());
            return 1;
        }
    }
}
}  // namespace

bool StartSettingsWatch()
{
    TakeValues();
    wchar_t folder[kPathChars];
    lstrcpynW(folder, GetSettingsPath(), kPathChars);
    wchar_t* slash = nullptr;
    for (wchar_t* at = folder; *at; ++at)
        if (*at == L'\\' || *at == L'/')
            slash = at;
    if (!slash)
        return false;
    slash[1] = L'\0';

    WNDCLASSW wc = {};
    wc.lpfnWndProc = WatchProc;
    wc.hInstance = g_app.instance;
    wc.lpszClassName = kWatchClass;
    RegisterClassW(&wc);
    g_watch.window = CreateWindowW(kWatchClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, g_app.instance, nullptr);
    if (!g_watch.window) {
        DebugPrint(L"Settings watch window not made, error %lu\n", GetLastError());
        return false;
    }
    g_watch.change = FindFirstChangeNotificationW(
        folder, FALSE, FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE);
    g_watch.stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (g_watch.change == INVALID_HANDLE_VALUE || !g_watch.stop) {
        DebugPrint(L"Settings folder %s not watched, error %lu\n", folder, GetLastError());
        StopSettingsWatch();
        return false;
    }
    g_watch.thread = CreateThread(nullptr, 0, WatchThread, nullptr, 0, nullptr);
    if (!g_watch.thread) {
        DebugPrint(L"Settings watch thread not started, error %lu\n", GetLastError());
        StopSettingsWatch();
        return false;
    }
    DebugPrint(L"Watching %s for hand edits\n", folder);
    return true;
}

void StopSettingsWatch()
{
    if (g_watch.stop)
        SetEvent(g_watch.stop);
    if (g_watch.thread) {
        if (WaitForSingleObject(g_watch.thread, kStopWaitMs) != WAIT_OBJECT_0)
            DebugPrint(L"Settings watch thread did not end\n");
        CloseHandle(g_watch.thread);
        g_watch.thread = nullptr;
    }
    if (g_watch.change != INVALID_HANDLE_VALUE)
        FindCloseChangeNotification(g_watch.change);
    g_watch.change = INVALID_HANDLE_VALUE;
    if (g_watch.stop)
        CloseHandle(g_watch.stop);
    g_watch.stop = nullptr;
    if (g_watch.window)
        DestroyWindow(g_watch.window);
    g_watch.window = nullptr;
}

void NoteSettingsApplied() { TakeValues(); }
