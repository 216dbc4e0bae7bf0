#include "ostrilix/core/shared_block.h"


// Constant-initialised, so no process ever runs code to set it up: the first
// process to map the image gets these values, later ones see the live block.
constinit SharedBlock g_shared __attribute__((section(".shared"), shared)) = {
    .s_sz_disableime_classes = {},
    .s_b_babylon = 1,
    .s_b_rollupwnd = 1,
    .s_b_reserved = 0,
    .s_b_autoscrolling = 0,
    .s_b_retrieve_wnd_info = 0,
    .s_b_topmost = 0,
    .s_b_hidecursor = 0,
    .s_b_changecursor = 0,
    .s_b_dockwindow = 0,
    .s_b_notifyicon = 0,
    .s_b_sizewindow = 0,
    .s_b_disableime = 0,
    .s_b_directscroll = 1,
    .s_n_aero_snap_mode = 0,
    .s_n_mbutton_code = 0,
    .s_h_autoscroll_thread = nullptr,
    .s_s_whell_delta = 0,
    .s_n_wheel_data = 0,
    .s_feature_value = {},
    .s_h_desktop_listview = nullptr,
    .s_cr_text_bkcolor = 0xFFFFFFFF,  // CLR_NONE: no caption background
    .s_cr_text_color = 0x00FFFFFF,
    .s_b_avoid_rbtn_up = 0,
    .s_b_sending_click = 0,
    .s_n_mbutton_state = 0,
    .s_n_minimal_alpha = 40,
    .s_sz_mbutton_except = {},
    .s_b_menu_anim_off = 0,
    .s_b_saved_menu_fade = 0,
    .s_b_saved_menu_anim = 0,
    .s_b_rolled_up = 0,
    .s_wp_taskbar_orig = nullptr,
    .s_h_taskbar_drag_window = nullptr,
    .s_h_touched_windows = {},
    .s_h_tray_windows = {},
    .s_n_program_process = 0,
};

namespace {
struct SwitchSlot {
    DWORD bit;
    LONG SharedBlock::*field;
};
// Test order of the feature test: 0x20 first, then ascending.
constexpr SwitchSlot kSwitches[] = {
    {kFeatureChord, &SharedBlock::s_b_babylon},
    {kFeatureRollUp, &SharedBlock::s_b_rollupwnd},
    {kFeatureReserved, &SharedBlock::s_b_reserved},
    {kFeatureAutoScrolling, &SharedBlock::s_b_autoscrolling},
    {kFeatureWindowInfo, &SharedBlock::s_b_retrieve_wnd_info},
    {kFeatureTopmost, &SharedBlock::s_b_topmost},
    {kFeatureHideCursor, &SharedBlock::s_b_hidecursor},
    {kFeatureMoveCursor, &SharedBlock::s_b_changecursor},
    {kFeatureDocking, &SharedBlock::s_b_dockwindow},
    {kFeatureNotifyIcon, &SharedBlock::s_b_notifyicon},
    {kFeatureSizeDisplay, &SharedBlock::s_b_sizewindow},
    {kFeatureDisableIme, &SharedBlock::s_b_disableime},
    {kFeatureDirectScroll, &SharedBlock::s_b_directscroll},
};
}  // namespace

LONG* FeatureSwitch(SharedBlock& block, DWORD bit)
{
    for (const SwitchSlot& slot : kSwitches)
        if (slot.bit == bit)
            return &(block.*slot.field);
    return nullptr;
}

LONG FeatureValue(const SharedBlock& block, DWORD mask)
{
    for (const SwitchSlot& slot : kSwitches)
        if (mask & slot.bit)
            return block.*slot.field;
    return 0;
}

void StoreFeatures(SharedBlock& block, DWORD mask, LONG value)
{
    for (const SwitchSlot& slot : kSwitches)
        if (mask & slot.bit)
            block.*slot.field = value;
}

void StoreFeatureParams(SharedBlock& block, DWORD flags, const FeatureParams& params)
{
    FeatureParams& kept = block.s_feature_value;
    if (flags & kFeatureAutoScrolling) {
        kept.s_s_scroll_distance = params.s_s_scroll_distance;
        kept.s_s_scroll_delta = params.s_s_scroll_delta;
        kept.s_s_scroll_mode = params.s_s_scroll_mode;
    }
    if (flags & kFeatureRollUp) {
        kept.s_s_rollup_animate = params.s_s_rollup_animate;
        kept.s_n_rollup_hotaction = params.s_n_rollup_hotaction;
    }
    if (flags & kFeatureSizeDisplay) {
        kept.s_h_cover_wnd = params.s_h_cover_wnd;
        kept.s_b_displaysize = params.s_b_displaysize;
    }
}
