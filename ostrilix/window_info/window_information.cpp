#include "ostrilix/window_info/window_information.h"

#include <stdio.h>

#include "common/clipboard_text.h"
#include "common/debug_print.h"
#include "ostrilix/core/shared_block.h"

void FormatWindowInformation(const wchar_t* class_name, const wchar_t* root_class_name, bool topmost,
                             wchar_t* text)
{
    wchar_t own[kInfoClassChars] = {}, root[kInfoClassChars] = {};
    lstrcpynW(own, class_name ? class_name : L"", kInfoClassChars);
    lstrcpynW(root, root_class_name ? root_class_name : L"", kInfoClassChars);
    _snwprintf(text, kInfoTextChars - 1, L"ClassName: %s RootClassName: %s Is Topmost: %s", own, root,
               topmost ? L"TRUE" : L"FALSE");
    text[kInfoTextChars - 1] = L'\0';
}

void HideWindowInformation()
{
    // The label is drawn on the screen, over whatever lies there: a repaint
    // of the desktop and every window takes it away.  Each window erases its
    // own background when it paints (an erase sent now to another process's
    // window is not carried out everywhere).
    if (!RedrawWindow(GetDesktopWindow(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN))
        DebugPrint(L"HideWindowInformation: repaint failed, error %lu\n", GetLastError());
}

bool ShowWindowInformation(HWND window)
{
    if (!IsFeatureEnabled(kFeatureWindowInfo) || !window)
        return false;
    // The text of an earlier press goes with the repaint.
    InvalidateRect(nullptr, nullptr, TRUE);
    UpdateWindow(nullptr);

    wchar_t own[kInfoClassChars] = {}, root[kInfoClassChars] = {};
    GetClassNameW(window, own, kInfoClassChars);
    HWND root_window = GetAncestor(window, GA_ROOT);
    if (root_window)
        GetClassNameW(root_window, root, kInfoClassChars);
    const bool topmost = (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    wchar_t text[kInfoTextChars];
    FormatWindowInformation(own, root, topmost, text);

    if (HDC screen = GetDC(nullptr)) {
        TextOutW(screen, 0, 0, text, lstrlenW(text));
        ReleaseDC(nullptr, screen);
    } else {
        DebugPrint(L"ShowWindowInformation: no screen DC, error %lu\n", GetLastError());
    }
    if (!CopyTextToClipboard(text))
        DebugPrint(L"ShowWindowInformation: clipboard not written, error %lu\n", GetLastError());
    return true;
}
