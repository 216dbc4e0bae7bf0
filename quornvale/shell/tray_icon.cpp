#include "quornvale/shell/tray_icon.h"

#include <shellapi.h>

#include "common/os_version.h"
#include "quornvale/resources/resource.h"
#include "quornvale/shell/app_state.h"
#include "quornvale/shell/tray_menu.h"

namespace {
constexpr wchar_t kTip[] = L"Quornvale";
constexpr UINT kBalloonTimeout = 10;

NOTIFYICONDATAW g_icon = {};
// Balloons may come from worker threads (network accounts) while the main
// thread re-adds the icon: the record is touched only under this lock.
CRITICAL_SECTION g_icon_lock;
bool g_lock_ready = false;

struct IconLock {
    IconLock() { if (g_lock_ready) EnterCriticalSection(&g_icon_lock); }
    ~IconLock() { if (g_lock_ready) LeaveCriticalSection(&g_icon_lock); }
};
}  // namespace

DWORD TrayRecordSize(int os_version_class)
{
    // Windows 2000's shell knows the record up to the balloon fields; later
    // shells take the layout with the GUID (this build's whole record: its
    // headers stop before the balloon icon of Vista).  Each shell is given
    // the largest layout it knows, as it expects.
    return os_version_class <= kOsWin2000 ? NOTIFYICONDATAW_V2_SIZE : sizeof(NOTIFYICONDATAW);
}

void AddTrayIcon(HWND main_window)
{
    if (!g_lock_ready) {
        InitializeCriticalSection(&g_icon_lock);
        g_lock_ready = true;
    }
    IconLock lock;
    g_icon = {};
    g_icon.cbSize = TrayRecordSize(GetOsVersionClass());
    g_icon.hWnd = main_window;
    g_icon.uID = 0;
    g_icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    g_icon.uCallbackMessage = WM_TRAY_NOTIFY;
    g_icon.hIcon = LoadIconW(g_app.instance, MAKEINTRESOURCEW(IDI_QUORNVALE));
    lstrcpynW(g_icon.szTip, kTip, ARRAYSIZE(g_icon.szTip));
    Shell_NotifyIconW(NIM_ADD, &g_icon);
}

void ReAddTrayIcon()
{
    IconLock lock;
    if (!g_icon.hWnd)
        return;
    Shell_NotifyIconW(NIM_DELETE, &g_icon);
    Shell_NotifyIconW(NIM_ADD, &g_icon);
}

void DeleteTrayIcon()
{
    IconLock lock;
    if (!g_icon.hWnd)
        return;
    Shell_NotifyIconW(NIM_DELETE, &g_icon);
}

void ShowTrayBalloon(const wchar_t* title, const wchar_t* text, DWORD balloon_icon)
{
    IconLock lock;
    if (!g_icon.hWnd)
        return;
    g_icon.uFlags |= NIF_INFO;
    g_icon.uTimeout = kBalloonTimeout;
    lstrcpynW(g_icon.szInfoTitle, title ? title : L"", ARRAYSIZE(g_icon.szInfoTitle));
    lstrcpynW(g_icon.szInfo, text ? text : L"", ARRAYSIZE(g_icon.szInfo));
    g_icon.dwInfoFlags = balloon_icon;
    Shell_NotifyIconW(NIM_MODIFY, &g_icon);
}

LRESULT OnTrayNotify(HWND main_window, UINT mouse_message)
{
    switch (mouse_message) {
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        ShowTrayMenu(main_window);
        break;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
        DestroyWindow(main_window);
        break;
    default:
        break;
    }
    return 0;
}
