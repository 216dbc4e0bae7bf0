#include "quornvale/shell/tray_icon.h"

#include <shellapi.h>

#include "common/debug_print.h"
#include "common/os_version.h"
#include "quornvale/resources/resource.h"
#include "quornvale/shell/app_state.h"
#include "quornvale/shell/tray_menu.h"

namespace {
constexpr wchar_t kTip[] = L"Quornvale";
constexpr UINT kBalloonTimeout = 10;

NOTIFYICONDATAW g_icon = {};
// Balloons may come from worker threads (network accounts) while the main
// thread re-adds the icon: the record is touched only under this lock.  The
// shell is called with a copy, outside the lock: a shell that is slow to
// answer holds up the thread that called it, never the others.
CRITICAL_SECTION g_icon_lock;
bool g_lock_ready = false;
// Counts the balloons prepared; under the lock.
unsigned g_balloon_serial = 0;
// The shell took the icon (at start, at a retry or with a new taskbar);
// main thread only.
bool g_icon_added = false;

struct IconLock {
    IconLock() { if (g_lock_ready) EnterCriticalSection(&g_icon_lock); }
    ~IconLock() { if (g_lock_ready) LeaveCriticalSection(&g_icon_lock); }
};

// The record as it is now, or false when there is no icon.
bool CopyRecord(NOTIFYICONDATAW* copy)
{
    IconLock lock;
    if (!g_icon.hWnd)
        return false;
    *copy = g_icon;
    return true;
}

bool Notify(DWORD message, NOTIFYICONDATAW* record)
{
    if (Shell_NotifyIconW(message, record))
        return true;
    DebugPrint(L"Shell_NotifyIconW %lu failed, error %lu\n", message, GetLastError());
    return false;
}
}  // namespace

DWORD TrayRecordSize(int os_version_class)
{
    // Windows 2000's shell knows the record up to the balloon fields; later
    // shells take the layout with the GUID (this build's whole record: its
    // headers stop before the balloon icon of Vista).  Each shell is given
    // the largest layout it knows, as it expects.
    return os_version_class <= kOsWin2000 ? NOTIFYICONDATAW_V2_SIZE : sizeof(NOTIFYICONDATAW);
}

bool AddTrayIcon(HWND main_window)
{
    if (!g_lock_ready) {
        InitializeCriticalSection(&g_icon_lock);
        g_lock_ready = true;
    }
    NOTIFYICONDATAW copy;
    {
        IconLock lock;
        g_icon = {};
        g_icon.cbSize = TrayRecordSize(GetOsVersionClass());
        g_icon.hWnd = main_window;
        g_icon.uID = 0;
        g_icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        g_icon.uCallbackMessage = WM_TRAY_NOTIFY;
        g_icon.hIcon = LoadIconW(g_app.instance, MAKEINTRESOURCEW(IDI_QUORNVALE));
        lstrcpynW(g_icon.szTip, kTip, ARRAYSIZE(g_icon.szTip));
        copy = g_icon;
    }
    g_icon_added = Notify(NIM_ADD, &copy);
    return g_icon_added;
}

bool RetryTrayIcon()
{
    NOTIFYICONDATAW copy;
    if (g_icon_added || !CopyRecord(&copy))
        return g_icon_added;
    g_icon_added = Notify(NIM_ADD, &copy);
    if (g_icon_added)
        DebugPrint(L"Tray icon added on a later attempt\n");
    return g_icon_added;
}

void ReAddTrayIcon()
{
    NOTIFYICONDATAW copy;
    if (!CopyRecord(&copy))
        return;
    // A new taskbar knows no icon: the delete may fail, the add counts.
    Shell_NotifyIconW(NIM_DELETE, &copy);
    g_icon_added = Notify(NIM_ADD, &copy);
    if (g_icon_added)
        DebugPrint(L"Tray icon added again for a new taskbar\n");
}

void DeleteTrayIcon()
{
    NOTIFYICONDATAW copy;
    if (CopyRecord(&copy))
        Notify(NIM_DELETE, &copy);
}

void ShowTrayBalloon(const wchar_t* title, const wchar_t* text, DWORD balloon_icon)
{
    NOTIFYICONDATAW copy;
    unsigned serial = 0;
    {
        IconLock lock;
        if (!g_icon.hWnd)
            return;
        g_icon.uFlags |= NIF_INFO;
        g_icon.uTimeout = kBalloonTimeout;
        lstrcpynW(g_icon.szInfoTitle, title ? title : L"", ARRAYSIZE(g_icon.szInfoTitle));
        lstrcpynW(g_icon.szInfo, text ? text : L"", ARRAYSIZE(g_icon.szInfo));
        g_icon.dwInfoFlags = balloon_icon;
        copy = g_icon;
        serial = ++g_balloon_serial;
    }
    {
        // A balloon prepared since by another thread is the newer one: it
        // is shown by that thread, and this older one would replace it.
        IconLock lock;
        if (serial != g_balloon_serial)
            return;
    }
    Notify(NIM_MODIFY, &copy);
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
