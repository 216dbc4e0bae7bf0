#include "quornvale/shell/exit_restore.h"

#include "common/debug_print.h"
#include "quornvale/shell/app_state.h"
#include "quornvale/shell/hook_library.h"

namespace {
// Half of the exit's second for each step.
constexpr DWORD kFadeRestoreMs = 500;
constexpr DWORD kLeaveBudgetMs = 500;
constexpr DWORD kTrayReturnBudgetMs = 500;
}  // namespace

void RestoreFadedWindowsBeforeExit()
{
    auto restore = LibraryExport<RestoreFadedWindowsFn>(kExportRestoreFadedWindows);
    if (!restore)
        return;
    if (const LONG left = restore(kFadeRestoreMs))
        DebugPrint(L"%ld faded window(s) did not get their own look back\n", left);
}

void LeaveWindowsAsFound()
{
    if (auto restore = LibraryExport<RestoreTouchedWindowsFn>(kExportRestoreTouchedWindows)) {
        const LONG answered = restore(kLeaveBudgetMs);
        DebugPrintA("Windows left as found: %ld\n", long(answered));
    }
}

void ReturnTrayWindowsBeforeExit()
{
    PushFeature(kFeatureNotifyIcon, 0);
    if (auto give_back = LibraryExport<ReturnTrayWindowsFn>(kExportReturnTrayWindows)) {
        const LONG answered = give_back(kTrayReturnBudgetMs);
        DebugPrintA("Windows back from the tray: %ld\n", long(answered));
    }
}

void RestoreMenuEffectsBeforeExit()
{
    if (auto restore = LibraryExport<RestoreMenuEffectsFn>(kExportRestoreMenuEffects))
        if (restore())
            DebugPrintA("Menu effects restored\n");
}

void UnhookAndGiveBack()
{
    RemoveHook(&g_app.mouse_hook, kExportMouseProc);
    RemoveHook(&g_app.low_level_mouse_hook, kExportLowLevelMouseProc);
    LeaveWindowsAsFound();
    ReturnTrayWindowsBeforeExit();
    RestoreMenuEffectsBeforeExit();
    PushList(kExportSetNotifyIconList, nullptr);
    RemoveHook(&g_app.call_wnd_proc_hook, kExportCallWndProc);
}
