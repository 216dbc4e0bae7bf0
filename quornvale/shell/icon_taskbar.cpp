#include "quornvale/shell/icon_taskbar.h"

#include <windows.h>

#include "common/debug_print.h"
#include "common/taskbar_toolbar.h"
#include "quornvale/shell/worker.h"

namespace {
constexpr UINT kGetExtendedStyle = 0x455;  // TB_GETEXTENDEDSTYLE
constexpr UINT kSetExtendedStyle = 0x454;  // TB_SETEXTENDEDSTYLE
constexpr LRESULT kMixedButtons = 0x8;     // TBSTYLE_EX_MIXEDBUTTONS
// The taskbar command that makes the shell lay its buttons out again.
constexpr WPARAM kRelayoutCommand = 424;
// The toolbar belongs to the shell's process: the shell gets this long to
// answer, and one that is hung is not waited for at all.
constexpr UINT kShellAnswerMs = 500;

// The latest style asked for (0 or 1) and whether a worker is applying it:
// requests made while one runs are taken by that worker, the last one wins.
volatile LONG g_wanted = 0;
volatile LONG g_worker_busy = 0;

// The toolbar's answer, or false when it gave none in time.
bool AskToolbar(HWND toolbar, UINT message, LPARAM lParam, DWORD_PTR* answer)
{
    if (SendMessageTimeoutW(toolbar, message, 0, lParam, SMTO_ABORTIFHUNG | SMTO_NORMAL,
                            kShellAnswerMs, answer))
        return true;
    DebugPrint(L"The taskbar toolbar did not answer message 0x%X, error %lu\n", message,
               GetLastError());
    return false;
}
}  // namespace

bool SetIconOnlyTaskbar(bool on)
{
    HWND toolbar = FindTaskbarToolbar();
    if (!toolbar)
        return false;
    DWORD_PTR style = 0;
    if (!AskToolbar(toolbar, kGetExtendedStyle, 0, &style))
        return false;
    if (((style & kMixedButtons) != 0) == on)
        return true;
    style = on ? (style | kMixedButtons) : (style & ~DWORD_PTR(kMixedButtons));
    DWORD_PTR ignored = 0;
    if (!AskToolbar(toolbar, kSetExtendedStyle, LPARAM(style), &ignored))
        return false;
    HWND root = GetAncestor(toolbar, GA_ROOT);
    PostMessageW(root, WM_COMMAND, kRelayoutCommand, 0);
    PostMessageW(root, WM_COMMAND, kRelayoutCommand, 0);
    return true;
}

namespace {
void ApplyWantedStyle(void*)
{
    for (;;) {
        const LONG wanted = g_wanted;
        if (!SetIconOnlyTaskbar(wanted != 0))
            DebugPrint(L"Icon-only taskbar buttons %s: not applied\n", wanted ? L"on" : L"off");
        InterlockedExchange(&g_worker_busy, 0);
        // A request that came meanwhile and found this worker busy is ours.
        if (g_wanted == wanted || InterlockedCompareExchange(&g_worker_busy, 1, 0) != 0)
            return;
    }
}
}  // namespace

void RequestIconOnlyTaskbar(bool on)
{
    InterlockedExchange(&g_wanted, on ? 1 : 0);
    if (InterlockedCompareExchange(&g_worker_busy, 1, 0) != 0)
        return;
    if (!StartWorker(ApplyWantedStyle, nullptr, false)) {
        InterlockedExchange(&g_worker_busy, 0);
        DebugPrint(L"Icon-only taskbar buttons: no worker, error %lu\n", GetLastError());
    }
}

bool IsIconOnlyTaskbar()
{
    HWND toolbar = FindTaskbarToolbar();
    DWORD_PTR style = 0;
    return toolbar && AskToolbar(toolbar, kGetExtendedStyle, 0, &style) && (style & kMixedButtons);
}
