// A stand-in for the Windows 2000 desktop, whose structure Wine does not
// have: a top-level "Progman" window titled "Program Manager", its child
// "SHELLDLL_DefView" and in that the icon list view ("SysListView32", a real
// comctl32 control), all on one thread.  The list view starts with the
// caption colours below, so a test can tell them from any it sets.  The hang
// switch of hang_switch.h, posted to the "Progman" window, makes the
// desktop's thread hang on request.
//   desktop_double_gui
#include <windows.h>
#include <commctrl.h>

#include "tests/doubles/hang_switch.h"

namespace {
constexpr COLORREF kStartText = RGB(10, 20, 30);
constexpr COLORREF kStartBackground = RGB(40, 50, 60);

UINT g_hang_message = 0;

LRESULT CALLBACK ProgmanProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (HandleHangThreadMessage(g_hang_message, msg, wp))
        return 0;
    if (msg == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProcW(wnd, msg, wp, lp);
}

bool Register(const wchar_t* name, WNDPROC procedure, HINSTANCE instance)
{
    WNDCLASSW cls = {};
    cls.lpfnWndProc = procedure;
    cls.hInstance = instance;
    cls.lpszClassName = name;
    return RegisterClassW(&cls) != 0;
}
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    g_hang_message = HangThreadMessage();
    if (!Register(L"Progman", ProgmanProc, instance) || !Register(L"SHELLDLL_DefView", DefWindowProcW, instance))
        return 1;
    HWND progman = CreateWindowExW(WS_EX_TOOLWINDOW, L"Progman", L"Program Manager", WS_POPUP | WS_VISIBLE, 0, 0,
                                   400, 300, nullptr, nullptr, instance, nullptr);
    HWND shell_view = CreateWindowExW(0, L"SHELLDLL_DefView", L"", WS_CHILD | WS_VISIBLE, 0, 0, 400, 300, progman,
                                      nullptr, instance, nullptr);
    HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"FolderView", WS_CHILD | WS_VISIBLE | LVS_ICON, 0, 0, 400, 300,
                                shell_view, nullptr, instance, nullptr);
    if (!progman || !shell_view || !list)
        return 2;
    SendMessageW(list, LVM_SETTEXTCOLOR, 0, kStartText);
    SendMessageW(list, LVM_SETTEXTBKCOLOR, 0, kStartBackground);
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.pszText = const_cast<wchar_t*>(L"My Computer");
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
