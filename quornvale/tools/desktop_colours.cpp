#include "quornvale/tools/desktop_colours.h"

#include <commctrl.h>

#include "common/debug_print.h"
#include "common/os_version.h"
#include "common/ostrilix_interface.h"
#include "quornvale/shell/app_state.h"
#include "quornvale/shell/hook_library.h"
#include "quornvale/shell/settings.h"

namespace {
COLORREF g_clrSavedText = 0;
COLORREF g_clrSavedTextBk = 0;
HHOOK g_hDesktopHook = nullptr;

// The list view lives in the shell's process and this thread runs the
// low-level hooks: every message to it is bounded, and after one that is not
// answered the rest are not tried.
constexpr UINT kSendTimeoutMs = 200;

bool SendToView(HWND view, UINT message, LPARAM lParam, DWORD_PTR* result = nullptr)
{
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(view, message, 0, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs, &answer)) {
        DebugPrint(L"Desktop list view: message 0x%x not answered, error %lu\n", message, GetLastError());
        return false;
    }
    if (result)
        *result = answer;
    return true;
}

HWND DesktopListView()
{
    auto find = LibraryExport<GetDesktopHandleFn>(kExportGetDesktopHandle);
    return find ? find() : nullptr;
}

bool InstallDesktopColourHook()
{
    if (!LibraryExport<GetDesktopHandleFn>(kExportGetDesktopHandle))
        return false;
    HWND view = DesktopListView();
    const DWORD thread = view ? GetWindowThreadProcessId(view, nullptr) : 0;
    if (!thread)
        return false;
    return InstallHook(g_app.library, WH_CALLWNDPROCRET, kExportCallWndProcRet, thread, &g_hDesktopHook);
}

// Unhooks; the saved colours go back only when the hook is really gone (a
// hook left behind would set the wanted ones again at once).  They are
// queued without waiting: a hung desktop takes them when it wakes, also
// after the program has ended, and a later switch-on's reading of the
// colours comes after them.
void SwitchOff()
{
    HHOOK hook = g_hDesktopHook;
    g_hDesktopHook = nullptr;
    if (!UnhookWindowsHookEx(hook)) {
        DebugPrint(L"Desktop colour hook not removed, error %lu\n", GetLastError());
        return;
    }
    HWND view = DesktopListView();
    if (!view)
        return;
    if (!SendNotifyMessageW(view, LVM_SETTEXTCOLOR, 0, LPARAM(g_clrSavedText)) ||
        !SendNotifyMessageW(view, LVM_SETTEXTBKCOLOR, 0, LPARAM(g_clrSavedTextBk))) {
        DebugPrint(L"Desktop list view: the saved colours not given back, error %lu\n", GetLastError());
        return;
    }
    InvalidateRect(view, nullptr, TRUE);
}
}  // namespace

CaptionColours ComposeCaptionColours(bool no_background, int back_red, int back_green, int back_blue,
                                     int text_red, int text_green, int text_blue)
{
    const auto rgb = [](int red, int green, int blue) {
        return COLORREF((red & 0xFF) | (green & 0xFF) << 8 | (blue & 0xFF) << 16);
    };
    return {no_background ? CLR_NONE : rgb(back_red, back_green, back_blue), rgb(text_red, text_green, text_blue)};
}

bool ApplyDesktopColours()
{
    auto record = LibraryExport<SetLVMTextColorFn>(kExportSetLVMTextColor);
    HWND view = record ? DesktopListView() : nullptr;
    if (!view)
        return false;
    // "Transp" of "BkColor" is the switch itself (section names ignore case).
    const CaptionColours colours = ComposeCaptionColours(
        ReadSetting(Setting::kDesktopCaptionsTransparent) == 1, ReadSetting(Setting::kCaptionBackRed),
        ReadSetting(Setting::kCaptionBackGreen), ReadSetting(Setting::kCaptionBackBlue),
        ReadSetting(Setting::kCaptionTextRed), ReadSetting(Setting::kCaptionTextGreen),
        ReadSetting(Setting::kCaptionTextBlue));
    // Recorded before each message, so the hook sees the wanted colour arrive
    // and leaves it.  No background is recorded too: a colour recorded by an
    // earlier switch-on would otherwise be forced back over it.
    record(1, colours.background);
    if (!SendToView(view, LVM_SETTEXTBKCOLOR, LPARAM(colours.background)))
        return false;
    record(0, colours.text);
    if (!SendToView(view, LVM_SETTEXTCOLOR, LPARAM(colours.text)))
        return false;
    InvalidateRect(view, nullptr, TRUE);
    return true;
}

int ShowDesktopColours(int on)
{
    if (GetOsVersionClass() != kOsWin2000)
        return 0;
    if (!on) {
        if (g_hDesktopHook)
            SwitchOff();
        return 1;
    }
    if (!g_app.library)
        return 1;
    if (g_hDesktopHook) {
        // Already on: saving again would take our own colours for the desktop's.
        ApplyDesktopColours();
        return 1;
    }
    HWND view = DesktopListView();
    DWORD_PTR text = 0, background = 0;
    if (!view || !SendToView(view, LVM_GETTEXTCOLOR, 0, &text) ||
        !SendToView(view, LVM_GETTEXTBKCOLOR, 0, &background))
        return 1;  // colours that cannot be saved cannot be put back: left alone
    g_clrSavedText = COLORREF(text);
    g_clrSavedTextBk = COLORREF(background);
    if (InstallDesktopColourHook())
        ApplyDesktopColours();
    return 1;
}

void RestoreDesktopColours()
{
    if (g_hDesktopHook && GetOsVersionClass() == kOsWin2000)
        SwitchOff();
}
