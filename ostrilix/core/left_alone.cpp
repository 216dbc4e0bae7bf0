#include "ostrilix/core/left_alone.h"

bool IsLeftAloneClass(const wchar_t* class_name)
{
    return class_name && lstrcmpiW(class_name, L"dbgviewClass") == 0;
}

bool IsLeftAloneWindow(HWND window)
{
    if (!window)
        return false;
    wchar_t class_name[260];
    if (!GetClassNameW(window, class_name, 260))
        return false;
    return IsLeftAloneClass(class_name);
}
