#include "ostrilix/transparency/menu_effects.h"

#include "common/debug_print.h"
#include "ostrilix/core/shared_block.h"
#include "ostrilix/transparency/wheel_transparency.h"

namespace {
// This process has layered a menu: a later menu at alpha 255 is looked at.
volatile LONG g_made_translucent = 0;

bool IsPopupMenuWindow(HWND window)
{
    // "#32768" and one more, so a longer name never compares equal.
    wchar_t class_name[8] = {};
    return GetClassNameW(window, class_name, 8) == 6 && lstrcmpiW(class_name, L"#32768") == 0;
}

void SetEffect(UINT action, LONG value)
{
    if (!SystemParametersInfoW(action, 0, reinterpret_cast<void*>(static_cast<INT_PTR>(value)), SPIF_SENDCHANGE))
        DebugPrint(L"SystemParametersInfoW(0x%x) failed, error %lu\n", action, GetLastError());
}

void SwitchEffectsOff()
{
    if (g_shared.s_b_menu_anim_off)
        return;
    BOOL fade = FALSE, animation = FALSE;
    SystemParametersInfoW(SPI_GETMENUFADE, 0, &fade, 0);
    SystemParametersInfoW(SPI_GETMENUANIMATION, 0, &animation, 0);
    g_shared.s_b_saved_menu_fade = fade ? 1 : 0;
    g_shared.s_b_saved_menu_anim = animation ? 1 : 0;
    // Saved before the flag is set: whoever sees the flag finds the values.
    InterlockedExchange(&g_shared.s_b_menu_anim_off, 1);
    SetEffect(SPI_SETMENUFADE, FALSE);
    SetEffect(SPI_SETMENUANIMATION, FALSE);
}

LONG RestoreEffects()
{
    // One restorer only, whichever process gets here first.
    if (!InterlockedExchange(&g_shared.s_b_menu_anim_off, 0))
        return 0;
    SetEffect(SPI_SETMENUFADE, g_shared.s_b_saved_menu_fade);
    SetEffect(SPI_SETMENUANIMATION, g_shared.s_b_saved_menu_anim);
    return 1;
}
}  // namespace

void OnWindowCreatedForMenus(HWND window)
{
    const int alpha = CurrentWheelAlpha();
    if (alpha == 255 && !g_shared.s_b_menu_anim_off && !g_made_translucent)
        return;
    if (!IsPopupMenuWindow(window))
        return;
    const LONG style = GetWindowLongW(window, GWL_EXSTYLE);
    if (alpha == 255) {
        RestoreEffects();
        if (style & WS_EX_LAYERED)
            SetWindowLongW(window, GWL_EXSTYLE, style & ~WS_EX_LAYERED);
        return;
    }
    SwitchEffectsOff();
    InterlockedExchange(&g_made_translucent, 1);
    if (!(style & WS_EX_LAYERED))
        SetWindowLongW(window, GWL_EXSTYLE, style | WS_EX_LAYERED);
    if (!SetLayeredWindowAttributes(window, 0, BYTE(alpha & 0xFF), LWA_ALPHA))
        DebugPrint(L"Menu alpha not set, error %lu\n", GetLastError());
}

extern "C" LONG WINAPI RestoreMenuEffects() { return RestoreEffects(); }
