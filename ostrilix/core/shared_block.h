#pragma once
// The one block of switches and parameters that every process which maps
// Ostrilix.dll sees.  It lives alone in the image's ".shared" section
// (readable, writable, shared), so a tool that loads the same file can find
// it by section name and read it through this declaration.
#include "common/ostrilix_interface.h"

constexpr int kSharedListChars = 260;
// Windows of any process that the library has changed (subclassed, rolled
// up) and not yet given back: the program asks each of them to be left as
// found when it ends.  Window handles are valid in every process.
constexpr int kTouchedWindows = 64;
// Windows of any process that are hidden in the tray, each with its own icon
// (whose id follows from the slot): the program brings every one back when
// it ends or when minimise-to-tray is switched off.
constexpr int kTrayWindows = 32;

struct SharedBlock {
    wchar_t s_sz_disableime_classes[kSharedListChars];
    // The thirteen feature switches: bit 0x20 first, then 0x1 .. 0x1000.
    LONG s_b_babylon;
    LONG s_b_rollupwnd;
    LONG s_b_reserved;
    LONG s_b_autoscrolling;
    LONG s_b_retrieve_wnd_info;
    LONG s_b_topmost;
    LONG s_b_hidecursor;
    LONG s_b_changecursor;
    LONG s_b_dockwindow;
    LONG s_b_notifyicon;
    LONG s_b_sizewindow;
    LONG s_b_disableime;
    LONG s_b_directscroll;
    LONG s_n_aero_snap_mode;
    LONG s_n_mbutton_code;
    HANDLE s_h_autoscroll_thread;
    SHORT s_s_whell_delta;
    LONG s_n_wheel_data;
    FeatureParams s_feature_value;
    HWND s_h_desktop_listview;
    COLORREF s_cr_text_bkcolor;
    COLORREF s_cr_text_color;
    LONG s_b_avoid_rbtn_up;
    LONG s_b_sending_click;
    LONG s_n_mbutton_state;
    LONG s_n_minimal_alpha;
    wchar_t s_sz_mbutton_except[kSharedListChars];
    LONG s_b_menu_anim_off;
    LONG s_b_saved_menu_fade;
    LONG s_b_saved_menu_anim;
    LONG s_b_rolled_up;
    WNDPROC s_wp_taskbar_orig;
    // The taskbar window s_wp_taskbar_orig belongs to: set before it and
    // cleared after it, so a recorded procedure always names its window.
    HWND s_h_taskbar_drag_window;
    // Counts the writes of the mapped name lists, so that a process which
    // found no list tries to open it again only after the program wrote one.
    LONG s_n_list_version;
    // Free slots are null; written with interlocked exchanges only.
    HWND s_h_touched_windows[kTouchedWindows];
    // Free slots are null; written with interlocked exchanges only.
    HWND s_h_tray_windows[kTrayWindows];
    // The process id of the program whose hooks these are: the owner named
    // in the records of changed windows (window_records.h).
    LONG s_n_program_process;
};

// Defined in the library only.
extern SharedBlock g_shared;

// Address of the switch that stores one feature bit, or null for a bit that
// names no switch.  Pure: takes the block it works on.
LONG* FeatureSwitch(SharedBlock& block, DWORD bit);
// The stored value of the switch of the first bit found in the mask, testing
// 0x20 first and then 0x1 .. 0x1000; 0 when the mask names no switch.
LONG FeatureValue(const SharedBlock& block, DWORD mask);
// Stores value, unchanged, into the switch of every feature bit in mask.
void StoreFeatures(SharedBlock& block, DWORD mask, LONG value);
// Copies the parameter fields that belong to the given flags.
void StoreFeatureParams(SharedBlock& block, DWORD flags, const FeatureParams& params);

// The library's own feature test on the shared block.
inline LONG IsFeatureEnabled(DWORD mask) { return FeatureValue(g_shared, mask); }
