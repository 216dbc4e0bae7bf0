// A stand-in for the Windows XP taskbar, whose structure Wine does not have:
// "Shell_TrayWnd" > "ReBarWindow32" > "MSTaskSwWClass" > "ToolbarWindow32",
// the last two levels real comctl32 controls.  The tray window counts the
// WM_COMMAND 424 relayout requests it receives and shows the count in its
// title as "commands=N", so a test can read it from outside.
// The hang switch of hang_switch.h, posted to the tray window, makes the
// thread of the whole taskbar (toolbar included) hang on request.
//   taskbar_double_gui [--mixed]   start with TBSTYLE_EX_MIXEDBUTTONS set
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>
#include <string.h>

#include "tests/doubles/hang_switch.h"

namespace {
int g_commands = 0;
UINT g_hang_message = 0;

void ShowCount(HWND wnd)
{
    wchar_t title[32];
    _snwprintf(title, 31, L"commands=%d", g_commands);
    title[31] = 0;
    SetWindowTextW(wnd, title);
}

LRESULT CALLBACK TrayProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (HandleHangThreadMessage(g_hang_message, msg, wp))
        return 0;
    if (msg == WM_COMMAND && LOWORD(wp) == 424) {
        ++g_commands;
        ShowCount(wnd);
        return 0;
    }
    if (msg == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProcW(wnd, msg, wp, lp);
}

HWND MakeWindow(const wchar_t* cls, HWND parent, DWORD style, DWORD ex_style = 0)
{
    return CreateWindowExW(ex_style, cls, L"", style, 0, 0, 600, 30, parent, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR command_line, int)
{
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES | ICC_COOL_CLASSES};
    InitCommonControlsEx(&controls);
    g_hang_message = HangThreadMessage();

    WNDCLASSW tray = {};
    tray.lpfnWndProc = TrayProc;
    tray.hInstance = instance;
    tray.lpszClassName = L"Shell_TrayWnd";
    RegisterClassW(&tray);
    WNDCLASSW tasks = {};
    tasks.lpfnWndProc = DefWindowProcW;
    tasks.hInstance = instance;
    tasks.lpszClassName = L"MSTaskSwWClass";
    RegisterClassW(&tasks);

    // Topmost, so that it comes before Wine's own tray window in the
    // top-level order that FindWindowEx walks.
    HWND root = MakeWindow(L"Shell_TrayWnd", nullptr, WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST | WS_EX_TOOLWINDOW);
    SetWindowPos(root, HWND_TOPMOST, 0, 994, 1280, 30, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    HWND rebar = MakeWindow(L"ReBarWindow32", root, WS_CHILD | WS_VISIBLE);
    HWND task_switch = MakeWindow(L"MSTaskSwWClass", rebar, WS_CHILD | WS_VISIBLE);
    HWND toolbar = MakeWindow(L"ToolbarWindow32", task_switch, WS_CHILD | WS_VISIBLE | TBSTYLE_LIST);
    SendMessageW(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    if (command_line && wcsstr(command_line, L"--mixed"))
        SendMessageW(toolbar, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_MIXEDBUTTONS);
    ShowCount(root);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
