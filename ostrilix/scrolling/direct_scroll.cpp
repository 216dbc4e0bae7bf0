// Direct scrolling: the mouse hook, in the application that is about to get a
// wheel message, re-posts it to the window under the cursor instead of the
// focus window, with the wheel data the low-level hook remembered.
#include "ostrilix/scrolling/direct_scroll.h"

#include <wchar.h>

#include "common/debug_print.h"
#include "ostrilix/core/name_lists.h"
#include "ostrilix/core/shared_block.h"
#include "ostrilix/hooks/low_level_decisions.h"
#include "ostrilix/hooks/low_level_input.h"

namespace {
constexpr int kClassChars = 34;
}  // namespace

bool IsDirectScrollException(HWND wnd)
{
    return wnd && IsProcessScrollException();
}

bool DirectlyScroll(POINT point)
{
    if (!IsFeatureEnabled(kFeatureDirectScroll))
        return false;
    HWND active = GetForegroundWindow();
    if (IsDirectScrollException(active)) {
        DebugPrint(L"DirectlyScroll hCurActivedWnd == %p", active);
        return false;
    }
    HWND under = WindowFromPoint(point);
    if (!under)
        return false;
    DebugPrint(L"DirectlyScroll hCurWnd == %p", under);
    wchar_t class_name[kClassChars] = {};
    GetClassNameW(under, class_name, kClassChars);
    if (wcscmp(class_name, L"tooltips_class32") == 0)
        return false;
    // Only a message that was really posted may replace the original one.
    return PostMessageW(under, WM_MOUSEWHEEL, WPARAM(DWORD(g_shared.s_n_wheel_data)),
                        WheelPointLParam(point)) != FALSE;
}
