#include <windows.h>

#include "ostrilix/core/library_hold.h"
#include "ostrilix/core/own_process_window.h"
#include "ostrilix/core/next_hook.h"
#include "ostrilix/core/shared_block.h"
#include "ostrilix/ime/ime.h"
#include "ostrilix/leave_as_found/give_back_recorded.h"
#include "ostrilix/leave_as_found/leave_as_found.h"
#include "ostrilix/transparency/menu_effects.h"
#include "ostrilix/tray/tray_windows.h"

// WH_CALLWNDPROC procedure: runs before a window receives a sent message, in
// the window's own thread, in every process.  It sees every sent message of
// every GUI thread, so it decides on the message number first and makes no
// system call (and no heap work) for a message it does not act on.  It acts
// only on a window of its own process (see own_process_window.h).  No
// message is altered or swallowed.
extern "C" __declspec(dllexport) LRESULT CALLBACK CallWndProc(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code != HC_ACTION || !sent)
        return NextHook(code, wParam, lParam);
    switch (sent->message) {
    case WM_NCCREATE:
        if (IsFeatureEnabled(kFeatureDisableIme) && IsOwnProcessWindow(sent->hwnd))
            DisableImeIfListed(sent->hwnd);
        break;
    case WM_CREATE:
        if (IsOwnProcessWindow(sent->hwnd))
            OnWindowCreatedForMenus(sent->hwnd);
        break;
    case WM_SIZE:
        if (IsOwnProcessWindow(sent->hwnd))
            OnTrayWindowSized(sent->hwnd, sent->wParam);
        break;
    case WM_NCDESTROY:
        if (IsOwnProcessWindow(sent->hwnd))
            OnTrayWindowDestroyed(sent->hwnd);
        break;
    case kTrayCallbackMessage:
        if (IsOwnProcessWindow(sent->hwnd))
            OnTrayIconNotified(sent->hwnd, sent->lParam);
        break;
    default:
        // Registered messages only (0xC000 and up), and only ours: the
        // window is asked about last.
        if (sent->message < 0xC000)
            break;
        if (IsLeaveAsFoundMessage(sent->message)) {
            if (!IsOwnProcessWindow(sent->hwnd))
                break;
            // Giving the last subclass back may let the library go: counted
            // until this call is done.
            LibraryFrame frame;
            LeaveWindowAsFound(sent->hwnd);
            return NextHook(code, wParam, lParam);
        }
        if (IsGiveBackRecordedMessage(sent->message)) {
            if (!IsOwnProcessWindow(sent->hwnd))
                break;
            LibraryFrame frame;
            GiveBackRecordedOn(sent->hwnd, DWORD(sent->wParam));
            return NextHook(code, wParam, lParam);
        }
        if (IsTrayRegisteredMessage(sent->message) && IsOwnProcessWindow(sent->hwnd))
            OnTrayRegisteredMessage(sent->hwnd, sent->message);
        break;
    }
    return NextHook(code, wParam, lParam);
}
