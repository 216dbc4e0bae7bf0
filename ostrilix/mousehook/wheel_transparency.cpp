#include "ostrilix/mousehook/wheel_transparency.h"

#include "common/os_version.h"
#include "ostrilix/core/key_state.h"
#include "ostrilix/core/process_lock.h"
#include "ostrilix/core/shared_block.h"

int NextAlpha(int current, int wheel, int minimal)
{
    int alpha = current + wheel / 12;  // truncates toward zero: |wheel| < 12 changes nothing
    if (alpha <= minimal)
        alpha = minimal;
    if (alpha >= 255)
        alpha = 255;
    return alpha;
}

AlphaChange PlanAlphaChange(FadedWindows& table, HWND window, DWORD owner_thread, int wheel,
                            int minimal, LONG current_exstyle)
{
    if (!window)
        return {AlphaAction::None, 255, 0};
    FadedWindow* record = table.Find(window);
    if (record && record->owner_thread != owner_thread) {
        *record = FadedWindow{};  // the handle now names another window
        record = nullptr;
    }
    const int alpha = NextAlpha(record ? record->alpha : 255, wheel, minimal);
    if (alpha == 255) {
        // Only a window we faded has a style of ours to undo; an opaque
        // window stays exactly as its application made it.
        if (!record)
            return {AlphaAction::None, 255, 0};
        const LONG style = record->saved_exstyle & ~WS_EX_LAYERED;
        *record = FadedWindow{};
        return {AlphaAction::Opaque, 255, style};
    }
    if (!record) {
        record = table.Add(window);
        if (!record)
            return {AlphaAction::None, 255, 0};
        record->owner_thread = owner_thread;
        record->saved_exstyle = current_exstyle;
    }
    record->alpha = alpha;
    return {AlphaAction::Fade, alpha, record->saved_exstyle | WS_EX_LAYERED};
}

namespace {
// The program's process: the low-level hook's thread.  Guarded all the same.
constinit FadedWindows g_faded = {};
volatile LONG s_n_cur_alpha = 255;

bool IsDesktopClass(const wchar_t* class_name)
{
    return lstrcmpW(class_name, L"Progman") == 0 || lstrcmpW(class_name, L"WorkerW") == 0;
}
}  // namespace

BOOL AdjustTransparency(HWND window, int wheel)
{
    if (!window)
        return FALSE;
    HWND frame = GetAncestor(window, GA_ROOT);
    if (!frame)
        frame = window;
    if (GetOsVersionClass() == kOsWinXP) {
        wchar_t class_name[10] = {};
        GetClassNameW(frame, class_name, 10);
        if (IsDesktopClass(class_name))
            return FALSE;  // the XP desktop is left alone
    }
    const DWORD owner = GetWindowThreadProcessId(frame, nullptr);
    const LONG style = GetWindowLongW(frame, GWL_EXSTYLE);
    AlphaChange change;
    {
        ProcessLockGuard guard;
        g_faded.RemoveIf([](const FadedWindow& r) {
            return !IsWindow(r.window) || GetWindowThreadProcessId(r.window, nullptr) != r.owner_thread;
        });
        change = PlanAlphaChange(g_faded, frame, owner, wheel, g_shared.s_n_minimal_alpha, style);
    }
    // The window belongs to another process: these calls send it messages,
    // so they run outside the lock.
    switch (change.action) {
    case AlphaAction::None:
        return FALSE;
    case AlphaAction::Opaque:
        SetWindowLongW(frame, GWL_EXSTYLE, change.exstyle);
        SetWindowPos(frame, nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
        InterlockedExchange(&s_n_cur_alpha, 255);
        return FALSE;
    case AlphaAction::Fade:
    default: {
        SetWindowLongW(frame, GWL_EXSTYLE, change.exstyle);
        BOOL applied = SetLayeredWindowAttributes(frame, 0, BYTE(change.alpha), LWA_ALPHA);
        SetWindowPos(frame, nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED |
                         SWP_NOOWNERZORDER);
        InterlockedExchange(&s_n_cur_alpha, change.alpha);
        return applied;
    }
    }
}

int CurrentWheelAlpha() { return s_n_cur_alpha; }
