#include "quornvale/shell/feature_push.h"

#include <commctrl.h>

#include "common/debug_print.h"
#include "quornvale/shell/app_state.h"
#include "quornvale/shell/fade_restore.h"
#include "quornvale/shell/hook_library.h"
#include "quornvale/shell/icon_taskbar.h"
#include "quornvale/shell/language.h"
#include "quornvale/shell/settings.h"
#include "quornvale/shell/tray_icon.h"

namespace {
void PushSizeDisplay(HWND main_window)
{
    if (ReadSettingFlag(L"sizewindow", L"enable")) {
        PushFeature(kFeatureSizeDisplay, 1);
        FeatureParams params = {};
        params.s_h_cover_wnd = main_window;
        params.s_b_displaysize = 0;
        PushFeatureParams(kFeatureSizeDisplay, params);
    } else {
        PushFeature(kFeatureSizeDisplay, 0);
    }
}

void PushNotifyIcon()
{
    if (ReadSettingFlag(L"notifyicon", L"enable")) {
        PushFeature(kFeatureNotifyIcon, 1);
        delete[] g_app.notify_icon_list;
        g_app.notify_icon_list = ReadSettingStringGrowing(L"notifyicon", L"list").release();
        PushList("SetNotifyIconList", g_app.notify_icon_list);
    } else {
        PushFeature(kFeatureNotifyIcon, 0);
    }
}

void PushMinimalAlpha()
{
    auto set_alpha = LibraryExport<SetMinimalAlphaValueFn>("SetMinimalAlphaValue");
    if (!set_alpha)
        return;
    if (ReadSettingFlag(L"transparent", L"enable"))
        set_alpha(DWORD(ReadSettingInt(L"transparent", L"minivalue", 40)) & 0xFF);
    else
        set_alpha(255);
}

void PushIntValue(const char* setter, LONG value)
{
    if (auto set = LibraryExport<SetIntValueFn>(setter))
        set(value);
}

void PushRollUp()
{
    if (ReadSettingFlag(L"rollupwnd", L"enable")) {
        PushFeature(kFeatureRollUp, 1);
        PushFeatureParams(kFeatureRollUp, RollUpParams());
    } else {
        PushFeature(kFeatureRollUp, 0);
    }
}

void PushHideCursor()
{
    if (ReadSettingFlag(L"hidecursor", L"enable")) {
        InstallHook(g_app.library, WH_GETMESSAGE, "GetMsgProc", 0, &g_app.get_message_hook);
        PushFeature(kFeatureHideCursor, 1);
    } else {
        PushFeature(kFeatureHideCursor, 0);
    }
}

void PushDisableIme()
{
    if (ReadSettingFlag(L"disableime", L"enable")) {
        wchar_t classes[kPathChars] = {};
        ReadSettingString(L"disableime", L"classes", classes, kPathChars);
        PushList("SetDisableIMEList", classes);
        PushFeature(kFeatureDisableIme, 1);
    } else {
        PushList("SetDisableIMEList", L"");
        PushFeature(kFeatureDisableIme, 0);
    }
}

void PushScrollExceptions()
{
    OwnedText list = ReadSettingStringGrowing(L"directscroll", L"excluded_list");
    PushList("SetScrollDirectlyExceptionList", list.get());
}

bool OnOff(int value) { return value != 0; }
}  // namespace

FeatureParams AutoScrollParams()
{
    FeatureParams params = {};
    params.s_s_scroll_distance = SHORT(ReadSettingInt(L"autoscroll", L"distance", 10));
    params.s_s_scroll_delta = SHORT(ReadSettingInt(L"autoscroll", L"delta", 40));
    params.s_s_scroll_mode = SHORT(ReadSettingInt(L"autoscroll", L"mode", 1));
    return params;
}

FeatureParams RollUpParams()
{
    FeatureParams params = {};
    params.s_s_rollup_animate = WORD(ReadSettingInt(L"rollupwnd", L"animate", 0));
    params.s_n_rollup_hotaction = SHORT(ReadSettingInt(L"rollupwnd", L"hotaction", 1));
    return params;
}

void ApplyDocking(int enable)
{
    if (!enable) {
        // The system's dragging setting is left as it is.
        PushFeature(kFeatureDocking, 0);
        return;
    }
    BOOL full_drag = FALSE;
    SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &full_drag, 0);
    if (full_drag) {
        PushFeature(kFeatureDocking, 1);
    } else if (ReadSettingFlag(L"dockwindow", L"dragfullwindow")) {
        // For this session only: not written to the profile, not broadcast.
        SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, 1, nullptr, 0);
        PushFeature(kFeatureDocking, 1);
    } else {
        PushFeature(kFeatureDocking, 0);
    }
    PushIntValue("SetAeroSnapMode", ReadSettingInt(L"dockwindow", L"dockmode", 0));
}

void PushMidButtonExceptions()
{
    ReadSettingString(L"mbutton", L"except", g_app.mid_button_except, kPathChars);
    if (g_app.mid_button_except[0])
        PushList("SetMidButtonExceptionList", g_app.mid_button_except);
}

void PushAllSettings(HWND main_window)
{
    SetIconOnlyTaskbar(OnOff(ReadSettingFlag(L"icontaskbar", L"enable")));
    PushSizeDisplay(main_window);
    PushFeatureParams(kFeatureAutoScrolling, AutoScrollParams());
    PushNotifyIcon();
    PushMinimalAlpha();
    PushFeature(kFeatureChord, ReadSettingFlag(L"hotkey", L"babylon"));
    PushIntValue("SetMButtonFunctionCode", ReadSettingInt(L"mbutton", L"code", 0));
    PushRollUp();
    PushIntValue("SetRetrieveWndInfoFlag", ReadSettingFlag(L"information", L"enable"));
    PushFeature(kFeatureTopmost, ReadSettingFlag(L"topmost", L"enable"));
    PushHideCursor();
    PushFeature(kFeatureMoveCursor, OnOff(ReadSettingFlag(L"changecursor", L"enable")));
    PushDisableIme();
    PushFeature(kFeatureDirectScroll, OnOff(ReadSettingFlag(L"directscroll", L"enable")));
    PushScrollExceptions();
    ApplyDocking(ReadSettingFlag(L"dockwindow", L"enable"));
}

LRESULT OnCreate(HWND main_window)
{
    g_app.main_window = main_window;
    AddTrayIcon(main_window);
    g_app.taskbar_created_message = RegisterWindowMessageW(L"TaskbarCreated");

    INITCOMMONCONTROLSEX controls = {sizeof(controls), 0xFF};
    InitCommonControlsEx(&controls);

    g_app.library = LoadHookLibrary(IDS_LIBRARY_NAME);
    if (!g_app.library) {
        wchar_t name[36] = {};
        LoadStringW(g_app.instance, IDS_LIBRARY_NAME, name, 36);
        wchar_t text[128];
        _snwprintf(text, 127, L"Couldn't load the %s, application will failed!", name);
        text[127] = L'\0';
        MessageBoxW(nullptr, text, L"Error", MB_ICONERROR);
        return 0;
    }
    g_app.enable_features = LibraryExport<EnableFeaturesFn>("EnableFeatures");
    g_app.set_feature_flags = LibraryExport<SetFeatureFlagsFn>("SetFeatureFlags");
    if (!g_app.enable_features || !g_app.set_feature_flags)
        return 0;

    InstallHook(g_app.library, WH_MOUSE, "MouseProc", 0, &g_app.mouse_hook);
    InstallHook(g_app.library, WH_MOUSE_LL, "LowLevelMouseProc", 0, &g_app.low_level_mouse_hook);
    InstallHook(g_app.library, WH_CALLWNDPROC, "CallWndProc", 0, &g_app.call_wnd_proc_hook);

    PushAllSettings(main_window);
    EnumerateLanguages();

    if (ReadSettingFlag(L"simwinkey", L"enable"))
        InstallHook(g_app.library, WH_KEYBOARD_LL, "LowLevelKeyboardProc", 0,
                    &g_app.low_level_keyboard_hook);
    PushMidButtonExceptions();
    return 0;
}

LRESULT OnDestroy(HWND /*main_window*/)
{
    RestoreFadedWindowsBeforeExit();
    // The switches decide at start which optional hooks exist; a hook that a
    // menu toggle removed is already null, so removing by handle is safe.
    RemoveHook(&g_app.low_level_keyboard_hook, "LowLevelKeyboardProc");
    RemoveHook(&g_app.get_message_hook, "GetMsgProc");
    FreeLanguages();

    RemoveHook(&g_app.mouse_hook, "MouseProc");
    RemoveHook(&g_app.low_level_mouse_hook, "LowLevelMouseProc");
    PushList("SetNotifyIconList", nullptr);
    RemoveHook(&g_app.call_wnd_proc_hook, "CallWndProc");
    delete[] g_app.notify_icon_list;
    g_app.notify_icon_list = nullptr;

    if (g_app.library) {
        if (!FreeLibrary(g_app.library)) {
            MessageBoxW(nullptr, L"Couldn't free the dll", L"Error", MB_ICONERROR);
            return 1;
        }
        g_app.library = nullptr;
        DebugPrintA("Hook library is unloaded!\n");
        g_app.enable_features = nullptr;
        g_app.set_feature_flags = nullptr;
    }
    DeleteTrayIcon();
    PostQuitMessage(0);
    return 0;
}
