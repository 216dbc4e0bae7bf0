#pragma once
// Program-wide state of quornvale.exe; all of it belongs to the main thread.
#include <windows.h>

#include "common/ostrilix_interface.h"

constexpr int kPathChars = MAX_PATH;  // paths and most settings texts

// Private messages, timers and resources of the main window.
constexpr UINT WM_TRAY_NOTIFY = WM_USER + 101;
constexpr UINT_PTR CAPTURE_TIMER = 12;
constexpr UINT_PTR SIZE_DISPLAY_TIMER = 13;
constexpr UINT_PTR AUTOCLOSE_TIMER = 101;
// Publishes the library mirror to the companion (companion_link.cpp).
constexpr UINT_PTR COMPANION_TIMER = 102;
constexpr wchar_t kMainWindowClass[] = L"QUORNVALE";

struct ProgramState {
    HINSTANCE instance;
    HWND main_window;
    wchar_t settings_path[kPathChars];
    UINT taskbar_created_message;

    // The hook library and the two exports bound once at start.
    HMODULE library;
    EnableFeaturesFn enable_features;
    SetFeatureFlagsFn set_feature_flags;

    HHOOK mouse_hook;
    HHOOK low_level_mouse_hook;
    HHOOK call_wnd_proc_hook;
    HHOOK get_message_hook;
    HHOOK low_level_keyboard_hook;

    // The notify-icon list as last handed to the library (owned here).
    wchar_t* notify_icon_list;
    // "except" of "mbutton"; lives as long as the program.
    wchar_t mid_button_except[kPathChars];
};

extern ProgramState g_app;
