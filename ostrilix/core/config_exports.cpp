#include "ostrilix/core/config_exports.h"

#include "ostrilix/core/shared_block.h"
#include "ostrilix/window_info/window_information.h"

// Values are stored as given: each hook re-reads its switch on every event,
// and any non-zero switch counts as on.

extern "C" LONG WINAPI EnableFeatures(DWORD mask, LONG value)
{
    StoreFeatures(g_shared, mask, value);
    return value;
}

extern "C" LONG WINAPI SetFeatureFlags(DWORD flags, FeatureParams params)
{
    StoreFeatureParams(g_shared, flags, params);
    return LONG(flags);
}

extern "C" LONG WINAPI SetRetrieveWndInfoFlag(LONG flag)
{
    const bool was_on = IsFeatureEnabled(kFeatureWindowInfo) != 0;
    EnableFeatures(kFeatureWindowInfo, flag);
    // The mode's label stays on the screen until it is taken away.
    if (was_on && !flag)
        HideWindowInformation();
    return flag;
}

extern "C" LONG WINAPI SetAeroSnapMode(LONG mode)
{
    g_shared.s_n_aero_snap_mode = mode;
    return mode;
}

extern "C" LONG WINAPI SetMButtonFunctionCode(LONG code)
{
    g_shared.s_n_mbutton_code = code;
    return code;
}

extern "C" DWORD WINAPI SetMinimalAlphaValue(DWORD alpha)
{
    g_shared.s_n_minimal_alpha = LONG(alpha & 0xFF);
    return alpha & 0xFF;
}

extern "C" LONG WINAPI ResetRunTimeState()
{
    // A program killed during auto-scroll left the cursor held to one pixel.
    const bool was_scrolling = IsFeatureEnabled(kFeatureAutoScrolling) != 0;
    EnableFeatures(kFeatureAutoScrolling, 0);
    if (was_scrolling)
        ClipCursor(nullptr);
    g_shared.s_s_whell_delta = 0;
    // The worker it names ran in the killed program's process.
    g_shared.s_h_autoscroll_thread = nullptr;
    g_shared.s_b_avoid_rbtn_up = 0;
    g_shared.s_b_sending_click = 0;
    g_shared.s_n_mbutton_state = 0;
    g_shared.s_feature_value.s_b_displaysize = 0;
    return was_scrolling ? 1 : 0;
}

extern "C" LONG WINAPI SetProgramProcess(LONG process_id)
{
    g_shared.s_n_program_process = process_id;
    return process_id;
}
