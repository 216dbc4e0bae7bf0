#include "ostrilix/maximize/maximize.h"

#include "ostrilix/core/list_match.h"
#include "ostrilix/core/shared_block.h"

int MaximizeCommand(LONG style)
{
    return (style & WS_MAXIMIZE) ? SW_RESTORE : SW_MAXIMIZE;
}

bool IsMidButtonExemptWindow(HWND window)
{
    wchar_t class_name[260] = {};
    GetClassNameW(window, class_name, 260);
    return IsMidButtonException(g_shared.s_sz_mbutton_except, class_name);
}

bool ToggleMaximize(HWND window)
{
    if (!window)
        return false;
    HWND frame = window;
    if ((GetWindowLongW(window, GWL_STYLE) & WS_CAPTION) != WS_CAPTION)
        frame = GetAncestor(window, GA_ROOT);
    if (!frame || IsMidButtonExemptWindow(frame))
        return false;
    // Asynchronous: the window's own thread may be another one.
    ShowWindowAsync(frame, MaximizeCommand(GetWindowLongW(frame, GWL_STYLE)));
    return true;
}
