// WH_KEYBOARD_LL procedure: F6 as the left Windows key.  Installed only while
// that setting is on; runs on the program's main thread.
#include <windows.h>

#include "common/debug_print.h"
#include "ostrilix/hooks/low_level_decisions.h"

namespace {
// Set while a Windows key this hook pressed for F6 is down (program's
// process; only this hook's thread touches it).
bool g_win_key_down = false;
}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK LowLevelKeyboardProc(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* event = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    if (code < 0 || !event || event->vkCode != VK_F6)
        return CallNextHookEx(nullptr, code, wParam, lParam);
    DebugPrint(L"VK_F6");
    // The injected Windows key events pass this hook again, as a key that is
    // not F6.
    switch (DecideF6(event->vkCode, wParam, g_win_key_down)) {
    case F6Action::PressWinKey:
        keybd_event(VK_LWIN, 0, KEYEVENTF_EXTENDEDKEY, 0);
        g_win_key_down = true;
        return 1;
    case F6Action::ReleaseWinKey:
        keybd_event(VK_LWIN, 0, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP, 0);
        g_win_key_down = false;
        return 1;
    case F6Action::Pass:
        break;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
