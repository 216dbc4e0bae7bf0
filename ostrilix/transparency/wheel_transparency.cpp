#include "ostrilix/transparency/wheel_transparency.h"

#include "common/os_version.h"
#include "ostrilix/core/process_os_class.h"
#include "ostrilix/core/process_lock.h"
#include "ostrilix/core/shared_block.h"
#include "ostrilix/transparency/fade_worker.h"

namespace {
constexpr LayeredAttributes kOpaque = {0, 255, LWA_ALPHA};
volatile LONG s_n_cur_alpha = 255;

using GetLayeredWindowAttributesFn = BOOL(WINAPI*)(HWND, COLORREF*, BYTE*, DWORD*);
// Resolved at first use: Windows XP and later only.  1 marks "looked, none".
GetLayeredWindowAttributesFn g_get_layered = nullptr;
volatile LONG g_get_layered_resolved = 0;

GetLayeredWindowAttributesFn LayeredAttributesReader()
{
    if (!g_get_layered_resolved) {
        if (HMODULE user32 = GetModuleHandleW(L"user32.dll"))
            g_get_layered = reinterpret_cast<GetLayeredWindowAttributesFn>(
                reinterpret_cast<void*>(GetProcAddress(user32, "GetLayeredWindowAttributes")));
        InterlockedExchange(&g_get_layered_resolved, 1);
    }
    return g_get_layered;
}

// Reads only: neither call sends the window a message.
WindowLook ReadWindowLook(HWND frame)
{
    WindowLook look = {LayeredState::NotLayered, kOpaque};
    if (!(GetWindowLongW(frame, GWL_EXSTYLE) & WS_EX_LAYERED))
        return look;
    GetLayeredWindowAttributesFn read = LayeredAttributesReader();
    if (!read) {
        look.state = LayeredState::Unreadable;
        return look;
    }
    LayeredAttributes own = {};
    if (read(frame, &own.key, &own.alpha, &own.flags)) {
        look.state = LayeredState::Known;
        look.attributes = own;
    } else {
        look.state = LayeredState::PerPixel;
    }
    return look;
}

bool IsDesktopClass(const wchar_t* class_name)
{
    return lstrcmpW(class_name, L"Progman") == 0 || lstrcmpW(class_name, L"WorkerW") == 0;
}
}  // namespace

BOOL AdjustTransparency(HWND window, int wheel)
{
    if (!window || FadeWorkerLeaving())
        return FALSE;
    HWND frame = GetAncestor(window, GA_ROOT);
    if (!frame)
        frame = window;
    if (ProcessOsClass() == kOsWinXP) {
        wchar_t class_name[10] = {};
        GetClassNameW(frame, class_name, 10);
        if (IsDesktopClass(class_name))
            return FALSE;  // the XP desktop is left alone
    }
    const DWORD owner = GetWindowThreadProcessId(frame, nullptr);
    const WindowLook look = ReadWindowLook(frame);
    AlphaChange change;
    {
        ProcessLockGuard guard;
        FadedWindows& table = FadedWindowTable();
        ForgetGoneFadedWindows(table);
        change = PlanAlphaChange(table, frame, owner, wheel, g_shared.s_n_minimal_alpha, look);
    }
    if (change.action == AlphaAction::None)
        return FALSE;
    InterlockedExchange(&s_n_cur_alpha, change.action == AlphaAction::Fade ? change.alpha : 255);
    WakeFadeWorker();
    return change.action == AlphaAction::Fade;
}

int CurrentWheelAlpha() { return s_n_cur_alpha; }
