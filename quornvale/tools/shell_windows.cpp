#include "quornvale/tools/shell_windows.h"

namespace {
constexpr std::wstring_view kShellClasses[] = {L"Progman", L"WorkerW", L"Shell_TrayWnd"};

bool IsShellTopLevel(HWND window)
{
    if (window == GetDesktopWindow())
        return true;
    wchar_t class_name[64] = {};
    const int length = GetClassNameW(window, class_name, 64);
    return length > 0 && IsDesktopOrTaskbarClass(std::wstring_view(class_name, size_t(length)));
}
}  // namespace

bool IsDesktopOrTaskbarClass(std::wstring_view class_name)
{
    for (std::wstring_view shell : kShellClasses)
        if (class_name == shell)
            return true;
    return false;
}

bool IsDesktopOrTaskbar(HWND window)
{
    if (!window)
        return false;
    HWND root = GetAncestor(window, GA_ROOT);
    return IsShellTopLevel(window) || (root && root != window && IsShellTopLevel(root));
}
