#include "ostrilix/hooks/dock_wnd_proc.h"

#include "ostrilix/core/library_hold.h"
#include "ostrilix/hooks/leave_as_found.h"
#include "ostrilix/mousehook/rollup.h"
#include "ostrilix/mousehook/subclass_registry.h"

volatile LONG g_bMoveByBorder = 0;

LRESULT RemapHitTest(LRESULT hit, bool rolled_up, bool move_by_border)
{
    switch (hit) {
    case HTHSCROLL:
    case HTVSCROLL:
    case HTLEFT:
    case HTRIGHT:
    case HTBOTTOMLEFT:
    case HTBOTTOMRIGHT:
        return move_by_border ? HTCAPTION : hit;
    case HTTOP:
    case HTBOTTOM:
        // A rolled-up window cannot be sized vertically.
        return rolled_up ? HTCAPTION : hit;
    default:
        // The minimise and maximise buttons and the upper corners keep
        // their meaning in every mode.
        return hit;
    }
}

namespace {
LRESULT CallPrevious(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // A window whose record is gone (the library leaving the process, or a
    // call still under way when the window got its procedure back) gets
    // default handling rather than none.
    if (WNDPROC previous = GetOriginalWndProc(window))
        return CallWindowProcW(previous, window, message, wParam, lParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCHITTEST: {
        LRESULT hit = CallPrevious(window, message, wParam, lParam);
        return RemapHitTest(hit, IsRolledUp(window), g_bMoveByBorder != 0);
    }
    case WM_WINDOWPOSCHANGING:
        if (int height = RolledUpHeightFor(window)) {
            if (auto* pos = reinterpret_cast<WINDOWPOS*>(lParam))
                pos->cy = height;
            return 0;
        }
        // No docked placement: the window goes where it is asked.
        return CallPrevious(window, message, wParam, lParam);
    case WM_NCDESTROY: {
        LRESULT result = CallPrevious(window, message, wParam, lParam);
        // The handle may soon name another window: nothing of this one may
        // stay recorded.
        ForgetRolledUp(window);
        ForgetSubclass(window);
        return result;
    }
    default:
        // The program is ending: this also reaches a subclassed window whose
        // thread was busy while the program asked, after the hooks are gone.
        if (IsLeaveAsFoundMessage(message)) {
            LeaveWindowAsFound(window);
            return 1;
        }
        return CallPrevious(window, message, wParam, lParam);
    }
}
}  // namespace

LRESULT CALLBACK DockWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Counted while it is on the stack: a move loop or a system menu runs
    // nested inside the previous procedure, and the library must not be let
    // go of before this call has returned.
    LibraryFrame frame;
    return HandleMessage(window, message, wParam, lParam);
}
