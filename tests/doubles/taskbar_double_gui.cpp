// A stand-in for the Windows XP taskbar, whose structure Wine does not have:
// "Shell_TrayWnd" > "ReBarWindow32" > "MSTaskSwWClass" > "ToolbarWindow32",
// the last two levels real comctl32 controls.  The tray window counts the
// WM_COMMAND 424 relayout requests it receives and shows the count in its
// title as "commands=N", so a test can read it from outside.
// The hang switch of hang_switch.h, posted to the tray window, makes the
// thread of the whole taskbar (toolbar included) hang on request.
//   taskbar_double_gui [--mixed]   start with TBSTYLE_EX_MIXEDBUTTONS set
//                      [--buttons N] N task buttons "Task 1".. (commands
//                      100, 101, ..., 100 pixels wide); the screen centres of
//                      the buttons, "x,y x,y ...", become the title of the
//                      "MSTaskSwWClass" window
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>
#include <stdlib.h>
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

void AddButtons(HWND toolbar, HWND title_window, int count)
{
    static const wchar_t* const kTexts[] = {L"Task 1", L"Task 2", L"Task 3", L"Task 4", L"Task 5", L"Task 6"};
    constexpr int kMost = sizeof(kTexts) / sizeof(kTexts[0]);
    if (count > kMost)
        count = kMost;
    SendMessageW(toolbar, TB_SETBUTTONWIDTH, 0, MAKELPARAM(100, 100));
    for (int i = 0; i < count; ++i) {
        TBBUTTON button = {};
        button.iBitmap = I_IMAGENONE;
        button.idCommand = 100 + i;
        button.fsState = TBSTATE_ENABLED;
        button.fsStyle = BTNS_BUTTON;
        button.iString = reinterpret_cast<INT_PTR>(kTexts[i]);
        SendMessageW(toolbar, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&button));
    }
    wchar_t centres[256] = {};
    int used = 0;
    for (int i = 0; i < count && used < 200; ++i) {
        RECT rect = {};
        SendMessageW(toolbar, TB_GETITEMRECT, WPARAM(i), reinterpret_cast<LPARAM>(&rect));
        POINT centre = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        ClientToScreen(toolbar, &centre);
        used += _snwprintf(centres + used, 255 - used, L"%s%ld,%ld", i ? L" " : L"", centre.x, centre.y);
    }
    SetWindowTextW(title_window, centres);
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
    if (const wchar_t* buttons = command_line ? wcsstr(command_line, L"--buttons ") : nullptr) {
        // As on XP, the task switch window is a band of the rebar, which
        // otherwise keeps itself no higher than its bands and hides it.
        REBARBANDINFOW band = {};
        band.cbSize = sizeof(band);
        band.fMask = RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_SIZE | RBBIM_STYLE;
        band.fStyle = RBBS_NOGRIPPER;
        band.hwndChild = task_switch;
        band.cxMinChild = 600;
        band.cyMinChild = 30;
        band.cx = 600;
        SendMessageW(rebar, RB_INSERTBANDW, WPARAM(-1), reinterpret_cast<LPARAM>(&band));
        SetWindowPos(rebar, nullptr, 0, 0, 620, 30, SWP_NOZORDER | SWP_NOACTIVATE);
        AddButtons(toolbar, task_switch, _wtoi(buttons + 10));
    }
    ShowCount(root);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
