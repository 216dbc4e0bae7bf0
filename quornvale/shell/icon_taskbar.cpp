#include "quornvale/shell/icon_taskbar.h"

#include <windows.h>

#include "common/taskbar_toolbar.h"

namespace {
constexpr UINT kGetExtendedStyle = 0x455;  // TB_GETEXTENDEDSTYLE
constexpr UINT kSetExtendedStyle = 0x454;  // TB_SETEXTENDEDSTYLE
constexpr LRESULT kMixedButtons = 0x8;     // TBSTYLE_EX_MIXEDBUTTONS
// The taskbar command that makes the shell lay its buttons out again.
constexpr WPARAM kRelayoutCommand = 424;
}  // namespace

bool SetIconOnlyTaskbar(bool on)
{
    HWND toolbar = FindTaskbarToolbar();
    if (!toolbar)
        return false;
    LRESULT style = SendMessageW(toolbar, kGetExtendedStyle, 0, 0);
    if (((style & kMixedButtons) != 0) == on)
        return true;
    style = on ? (style | kMixedButtons) : (style & ~kMixedButtons);
    SendMessageW(toolbar, kSetExtendedStyle, 0, style);
    HWND root = GetAncestor(toolbar, GA_ROOT);
    PostMessageW(root, WM_COMMAND, kRelayoutCommand, 0);
    PostMessageW(root, WM_COMMAND, kRelayoutCommand, 0);
    return true;
}

bool IsIconOnlyTaskbar()
{
    HWND toolbar = FindTaskbarToolbar();
    return toolbar && (SendMessageW(toolbar, kGetExtendedStyle, 0, 0) & kMixedButtons);
}
