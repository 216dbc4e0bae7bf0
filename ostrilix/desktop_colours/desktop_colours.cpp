#include "ostrilix/desktop_colours/desktop_colours.h"

#include <commctrl.h>

#include "common/debug_print.h"
#include "common/os_version.h"
#include "ostrilix/core/process_os_class.h"
#include "ostrilix/core/shared_block.h"

namespace {
// The list view is on the hooked thread, where sending is a plain call; a
// list view of another thread must not hold the shell's thread up.
constexpr UINT kSendTimeoutMs = 500;
}  // namespace

extern "C" HWND WINAPI GetDesktopHandle()
{
    HWND view = nullptr;
    if (HWND program_manager = FindWindowExW(GetDesktopWindow(), nullptr, L"Progman", L"Program Manager"))
        if (HWND shell_view = FindWindowExW(program_manager, nullptr, L"SHELLDLL_DefView", nullptr))
            view = FindWindowExW(shell_view, nullptr, L"SysListView32", nullptr);
    g_shared.s_h_desktop_listview = view;
    return view;
}

extern "C" COLORREF WINAPI SetLVMTextColor(LONG background, COLORREF colour)
{
    if (background)
        g_shared.s_cr_text_bkcolor = colour;
    else
        g_shared.s_cr_text_color = colour;
    return colour;
}

bool DesktopColourToReapply(UINT message, COLORREF just_set, COLORREF wanted_text,
                            COLORREF wanted_background, int os_class, COLORREF* wanted)
{
    COLORREF colour;
    switch (message) {
    case LVM_SETTEXTCOLOR: colour = wanted_text; break;
    case LVM_SETTEXTBKCOLOR: colour = wanted_background; break;
    default: return false;
    }
    if (os_class != kOsWin2000 || just_set == colour)
        return false;
    *wanted = colour;
    return true;
}

void KeepDesktopColours(const CWPRETSTRUCT& processed)
{
    // The message number first: every other message of the thread ends here.
    if (processed.message != LVM_SETTEXTCOLOR && processed.message != LVM_SETTEXTBKCOLOR)
        return;
    COLORREF wanted = 0;
    if (!DesktopColourToReapply(processed.message, COLORREF(processed.lParam), g_shared.s_cr_text_color,
                                g_shared.s_cr_text_bkcolor, ProcessOsClass(), &wanted))
        return;
    HWND view = GetDesktopHandle();
    if (!view)
        return;
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(view, processed.message, 0, LPARAM(wanted), SMTO_ABORTIFHUNG, kSendTimeoutMs,
                             &result))
        DebugPrint(L"KeepDesktopColours: message 0x%x not taken, error %lu\n", processed.message, GetLastError());
}
