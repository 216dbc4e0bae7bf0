#include "common/taskbar_toolbar.h"

HWND FindTaskbarToolbar()
{
    static constexpr const wchar_t* kPath[] = {
        L"Shell_TrayWnd", L"ReBarWindow32", L"MSTaskSwWClass", L"ToolbarWindow32"};
    HWND wnd = nullptr;
    for (const wchar_t* cls : kPath) {
        wnd = FindWindowExW(wnd, nullptr, cls, nullptr);
        if (!wnd)
            return nullptr;
    }
    return wnd;
}
