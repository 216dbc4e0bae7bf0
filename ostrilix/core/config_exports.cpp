#include "ostrilix/core/config_exports.h"

#include "ostrilix/core/shared_block.h"

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
    return EnableFeatures(kFeatureWindowInfo, flag);
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
