#include "ostrilix/taskbar/taskbar_drag.h"

#include <commctrl.h>

#include "common/debug_print.h"
#include "common/os_version.h"
#include "common/taskbar_toolbar.h"
#include "ostrilix/core/library_hold.h"
#include "ostrilix/core/own_process_window.h"
#include "ostrilix/core/process_os_class.h"
#include "ostrilix/core/shared_block.h"
#include "ostrilix/core/touched_windows.h"
#include "ostrilix/leave_as_found/leave_as_found.h"

volatile LONG g_bDraggingButton = 0;

namespace {
// This process's own state.  The shared original procedure says only that
// some process has the subclass; the address means something only in the
// process that took it, which keeps its own copy to call.
HWND g_subclassed_window = nullptr;
WNDPROC g_original = nullptr;
// The taskbar's button toolbar as last found in this process.
HWND g_taskbar_toolbar = nullptr;

void FrameChanged(HWND window)
{
    SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE);
}

// The window's chain no longer runs through ours (put back, or the window is
// gone): this process's record goes, and the shared one with it.
void Forget(bool let_go)
{
    const WNDPROC original = g_original;
    HWND const window = g_subclassed_window;
    ForgetTouchedWindow(window);
    g_subclassed_window = nullptr;
    g_bDraggingButton = 0;
    InterlockedCompareExchangePointer(reinterpret_cast<void* volatile*>(&g_shared.s_wp_taskbar_orig), nullptr,
                                      reinterpret_cast<void*>(original));
    InterlockedCompareExchangePointer(reinterpret_cast<void* volatile*>(&g_shared.s_h_taskbar_drag_window),
                                      nullptr, window);
    if (let_go)
        LetGoLibrary();
}

// Puts the original procedure back when ours is still in front; false (and
// everything kept, so ours goes on forwarding) when another procedure was
// put in front of ours since.  let_go: the hold is given back (not from the
// library's detach, where holds are forgotten).
bool PutBack(bool let_go)
{
    HWND window = g_subclassed_window;
    if (!window)
        return true;
    if (IsWindow(window)) {
        if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC)) != TaskbarDragWndProc) {
            DebugPrint(L"Taskbar window 0x%p has another procedure in front of ours; ours stays\n",
                       static_cast<void*>(window));
            return false;
        }
        if (!SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_original))) {
            DebugPrint(L"Taskbar window 0x%p: procedure not put back, error %lu\n", static_cast<void*>(window),
                       GetLastError());
            return false;
        }
        // Not from the loader's detach (let_go false): SetWindowPos may send
        // to the window's thread, which must not be waited for under the
        // loader lock.
        if (let_go)
            FrameChanged(window);
    }
    DebugPrint(L"Taskbar button dragging removed\n");
    Forget(let_go);
    return true;
}

// The shell that had the subclass ended without the library's detach
// (killed, crashed): its record goes, and its window with it from the table
// of windows to give back, in whichever process notices first.
void ForgetGoneTaskbar(HWND gone)
{
    void* const original = reinterpret_cast<void*>(g_shared.s_wp_taskbar_orig);
    ForgetTouchedWindow(gone);
    if (InterlockedCompareExchangePointer(reinterpret_cast<void* volatile*>(&g_shared.s_h_taskbar_drag_window),
                                          nullptr, gone) != gone)
        return;  // another process was first
    InterlockedCompareExchangePointer(reinterpret_cast<void* volatile*>(&g_shared.s_wp_taskbar_orig), nullptr,
                                      original);
    DebugPrint(L"Taskbar window 0x%p is gone; its button dragging is forgotten\n", static_cast<void*>(gone));
}

HWND ButtonToolbarOf(HWND window, const NMHDR& header)
{
    HWND toolbar = FindWindowExW(window, nullptr, L"ToolbarWindow32", nullptr);
    return toolbar && header.hwndFrom == toolbar ? toolbar : nullptr;
}

void OnToolbarNotify(HWND window, const NMHDR& header)
{
    switch (header.code) {
    case TBN_BEGINDRAG:
        if (HWND toolbar = ButtonToolbarOf(window, header)) {
            const int command = reinterpret_cast<const NMTOOLBARW&>(header).iItem;
            const int index = int(SendMessageW(toolbar, TB_COMMANDTOINDEX, WPARAM(command), 0));
            g_bDraggingButton = 1;
            DebugPrint(L"Start to drag button icmd %d, index %d\n", command, index);
        }
        break;
    case TBN_ENDDRAG: {
        g_bDraggingButton = 0;
        // The command is read only from our own toolbar's notification.
        int command = -1;
        if (HWND toolbar = ButtonToolbarOf(window, header)) {
            command = reinterpret_cast<const NMTOOLBARW&>(header).iItem;
            POINT point = {};
            if (GetCursorPos(&point) && ScreenToClient(toolbar, &point)) {
                const int hit = int(SendMessageW(toolbar, TB_HITTEST, 0, reinterpret_cast<LPARAM>(&point)));
                const int source = int(SendMessageW(toolbar, TB_COMMANDTOINDEX, WPARAM(command), 0));
                const DropMove drop = DecideDrop(source, hit);
                if (drop.move) {
                    SendMessageW(toolbar, TB_MOVEBUTTON, WPARAM(drop.from), LPARAM(drop.to));
                    DebugPrint(L"Move item %d to %d\n", drop.from, drop.to);
                }
            } else {
                DebugPrint(L"TaskbarDragWndProc: no cursor position, error %lu\n", GetLastError());
            }
        }
        DebugPrint(L"End drag button, the index is %d", command);
        break;
    }
    case TBN_DRAGOUT:
        DebugPrint(L"Drag out the item.");
        break;
    default:
        break;
    }
}
}  // namespace

bool TaskbarDragAvailable(int os_class) { return os_class < kOsWin7; }

DropMove DecideDrop(int source, int hit)
{
    if (source < 0 || hit < 0 || source == hit)
        return {false, source, hit};
    return {true, source, hit};
}

HWND KeptTaskbarToolbar(HWND* kept, HWND (*find)())
{
    // IsWindow asks no other thread: cheap on every left press.
    if (!*kept || !IsWindow(*kept))
        *kept = find();
    return *kept;
}

LRESULT CALLBACK TaskbarDragWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Putting the original back may let the library go: counted until done.
    LibraryFrame frame;
    const WNDPROC next = g_original;
    switch (message) {
    case WM_NOTIFY:
        if (lParam)
            OnToolbarNotify(window, *reinterpret_cast<const NMHDR*>(lParam));
        break;
    case WM_NCDESTROY: {
        const LRESULT result = next ? CallWindowProcW(next, window, message, wParam, lParam)
                                    : DefWindowProcW(window, message, wParam, lParam);
        if (window == g_subclassed_window)
            Forget(true);
        return result;
    }
    default:
        if (IsLeaveAsFoundMessage(message) && window == g_subclassed_window)
            PutBack(true);
        break;
    }
    return next ? CallWindowProcW(next, window, message, wParam, lParam)
                : DefWindowProcW(window, message, wParam, lParam);
}

bool HookTaskbarToolbar(bool install, HWND toolbar)
{
    HWND window = toolbar ? GetParent(toolbar) : nullptr;
    if (!window)
        return false;
    if (!install)
        return window != g_subclassed_window || PutBack(true);
    if (g_shared.s_wp_taskbar_orig)
        return true;
    // Only the process that owns the window can change its procedure.
    if (!IsOwnProcessWindow(window))
        return false;
    // The taskbar will run our code for as long as it lives: the library
    // stays mapped until the procedure is out of its chain.
    if (!HoldLibrary()) {
        DebugPrint(L"HookTaskbarToolbar: the library cannot be held; taskbar left alone\n");
        return false;
    }
    const auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TaskbarDragWndProc)));
    if (!previous) {
        DebugPrint(L"HookTaskbarToolbar: SetWindowLongPtrW failed, error %lu\n", GetLastError());
        LetGoLibrary();
        return false;
    }
    g_original = previous;
    g_subclassed_window = window;
    g_shared.s_h_taskbar_drag_window = window;
    g_shared.s_wp_taskbar_orig = previous;
    // Given back when the program ends, like every window the library changed.
    NoteTouchedWindow(window);
    FrameChanged(window);
    DebugPrint(L"Taskbar button dragging installed on 0x%p\n", static_cast<void*>(window));
    return true;
}

void InstallTaskbarDragOnPress(HWND target)
{
    if (!TaskbarDragAvailable(ProcessOsClass()))
        return;
    if (g_shared.s_wp_taskbar_orig) {
        // IsWindow asks no other thread: cheap on every left press.
        HWND recorded = g_shared.s_h_taskbar_drag_window;
        if (recorded && IsWindow(recorded))
            return;
        ForgetGoneTaskbar(recorded);
    }
    HWND toolbar = KeptTaskbarToolbar(&g_taskbar_toolbar, FindTaskbarToolbar);
    if (toolbar && toolbar == target)
        HookTaskbarToolbar(true, toolbar);
}

void RemoveTaskbarDragOfProcess(bool freed)
{
    if (!g_subclassed_window)
        return;
    if (freed) {
        // The holds are forgotten already: nothing is let go from here.
        PutBack(false);
        return;
    }
    // The process ends and its taskbar with it: a later shell may install
    // the subclass again.
    Forget(false);
}
