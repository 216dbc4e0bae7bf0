#include "ostrilix/core/captioned_window.h"

namespace {
bool HasFullCaption(HWND wnd)
{
    return (GetWindowLongW(wnd, GWL_STYLE) & WS_CAPTION) == WS_CAPTION;
}
}  // namespace

HWND GetCaptionedWindow(HWND wnd)
{
    if (!wnd)
        return nullptr;
    if (HasFullCaption(wnd))
        return wnd;
    HWND root = GetAncestor(wnd, GA_ROOT);
    return root && HasFullCaption(root) ? root : nullptr;
}
