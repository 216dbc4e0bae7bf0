#include "quornvale/shell/main_window.h"

#include "quornvale/shell/app_state.h"
#include "quornvale/shell/feature_push.h"
#include "quornvale/shell/menu_commands.h"
#include "quornvale/shell/tray_icon.h"
#include "quornvale/tools/hotkeys.h"
#include "quornvale/tools/power.h"
#include "quornvale/tools/size_display.h"
#include "quornvale/tools/snapshot.h"

namespace {
// Pure red is the colour key: whatever is painted red is a hole in the veil.
constexpr COLORREF kColourKey = RGB(255, 0, 0);
constexpr BYTE kVeilAlpha = 192;

void HideMainWindow(HWND wnd)
{
    SetWindowPos(wnd, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW);
}
}  // namespace

bool RegisterMainWindowClass(HINSTANCE instance, const wchar_t* class_name)
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_CROSS);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = class_name;
    return RegisterClassExW(&wc) != 0;
}

HWND CreateMainWindow(HINSTANCE instance)
{
    HWND wnd = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kMainWindowClass,
                               nullptr, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    if (!wnd)
        return nullptr;
    SetLayeredWindowAttributes(wnd, kColourKey, kVeilAlpha, LWA_COLORKEY | LWA_ALPHA);
    UpdateWindow(wnd);
    return wnd;
}

LRESULT CALLBACK MainWndProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Every message, handled or not, also gets the default processing.
    OnSnapshotMessage(wnd, message, wParam, lParam);
    switch (message) {
    case WM_CREATE:
        OnCreate(wnd);
        break;
    case WM_DESTROY:
        OnDestroy(wnd);
        break;
    case WM_ENDSESSION:
        // The session ends without a WM_CLOSE: the same teardown, so every
        // window the library changed or hid is given back first.
        if (wParam)
            DestroyWindow(wnd);
        break;
    case WM_KEYDOWN:
        HideMainWindow(wnd);
        break;
    case WM_COMMAND:
        // Menu commands only; accelerators and controls send a non-zero high word.
        if (HIWORD(wParam) == 0)
            OnMenuCommand(wnd, LOWORD(wParam));
        break;
    case WM_TRAY_NOTIFY:
        OnTrayNotify(wnd, LOWORD(lParam));
        break;
    case WM_HOTKEY:
        OnHotkey(wnd, int(wParam));
        break;
    case kSessionChangeMessage:
        OnSessionChange(wParam);
        break;
    case WM_PAINT:
        // The keyboard sizing's label paints its own text.
        if (PaintSizeDisplay(wnd))
            return 0;
        break;
    default:
        // The shell was restarted: the icon must be added again.
        if (g_app.taskbar_created_message && message == g_app.taskbar_created_message)
            ReAddTrayIcon();
        break;
    }
    return DefWindowProcW(wnd, message, wParam, lParam);
}
