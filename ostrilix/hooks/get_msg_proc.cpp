#include <windows.h>

#include "ostrilix/core/own_process_window.h"
#include "ostrilix/core/shared_block.h"

// WH_GETMESSAGE procedure: runs when a thread takes a posted message.  The
// program installs it only while the cursor is to be hidden while typing: a
// character taken from the queue hides the cursor, and the next cursor the
// window or the system sets (the mouse moves) brings it back.  Only for a
// window of its own process (see own_process_window.h): elsewhere the cursor
// hidden would be the program's.
extern "C" __declspec(dllexport) LRESULT CALLBACK GetMsgProc(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* msg = reinterpret_cast<const MSG*>(lParam);
    // A message only peeked at comes again when it is removed.
    if (code == HC_ACTION && msg && wParam == PM_REMOVE &&
        (msg->message == WM_CHAR || msg->message == WM_IME_CHAR) && IsFeatureEnabled(kFeatureHideCursor) &&
        IsOwnProcessWindow(msg->hwnd))
        SetCursor(nullptr);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
