#include "quornvale/shell/feature_apply.h"

#include "quornvale/shell/app_state.h"
#include "quornvale/shell/hook_library.h"
#include "quornvale/shell/icon_taskbar.h"
#include "quornvale/shell/settings.h"
#include "quornvale/tools/auto_close.h"
#include "quornvale/tools/desktop_colours.h"
#include "quornvale/tools/hotkeys.h"

namespace {
LONG OneOrZero(int value) { return value ? 1 : 0; }

void PushScrollExceptions()
{
    OwnedText list = ReadSettingList(Setting::kDirectScrollExcluded);
    PushList(kExportSetScrollDirectlyExceptionList, list.get());
}

void ForgetNotifyIconList()
{
    PushList(kExportSetNotifyIconList, nullptr);
    delete[] g_app.notify_icon_list;
    g_app.notify_icon_list = nullptr;
}

// Start-up, in this order: each step's setting and what applies it.
struct StartStep {
    Setting setting;
    ApplyFn apply;
};
constexpr StartStep kStartSteps[] = {
    {Setting::kIconTaskbarEnable, ApplyIconOnlyTaskbar},
    {Setting::kSizeWindowEnable, ApplySizeDisplay},
    {Setting::kAutoScrollMode, ApplyAutoScroll},
    {Setting::kNotifyIconEnable, ApplyNotifyIcon},
    {Setting::kDesktopCaptionsTransparent, ApplyDesktopCaptions},
    {Setting::kTransparentEnable, ApplyTransparency},
    {Setting::kChord, ApplyChord},
    {Setting::kMButtonCode, ApplyMiddleButtonCode},
    {Setting::kRollUpEnable, ApplyRollUp},
    {Setting::kInformationEnable, ApplyWindowInfo},
    {Setting::kTopmostEnable, ApplyTopmost},
    {Setting::kHideCursorEnable, ApplyHideCursor},
    {Setting::kChangeCursorEnable, ApplyMoveCursor},
    {Setting::kDisableImeEnable, ApplyDisableIme},
    {Setting::kDirectScrollEnable, ApplyDirectScroll},
    {Setting::kDockEnable, ApplyDocking},
    {Setting::kAutoCloseEnable, ApplyAutoClose},
};
}  // namespace

FeatureParams AutoScrollParams(int mode)
{
    FeatureParams params = {};
    params.s_s_scroll_distance = SHORT(ReadSetting(Setting::kAutoScrollDistance));
    params.s_s_scroll_delta = SHORT(ReadSetting(Setting::kAutoScrollDelta));
    params.s_s_scroll_mode = SHORT(mode);
    return params;
}

FeatureParams RollUpParams()
{
    FeatureParams params = {};
    params.s_s_rollup_animate = WORD(ReadSetting(Setting::kRollUpAnimate));
    params.s_n_rollup_hotaction = ReadSetting(Setting::kRollUpHotAction);
    return params;
}

void ApplyIconOnlyTaskbar(int on) { RequestIconOnlyTaskbar(on != 0); }

void ApplySizeDisplay(int on)
{
    // Switched off from the settings window, the sizing keys go too.
    RegisterSizingHotkeys(g_app.main_window, on != 0);
    PushFeature(kFeatureSizeDisplay, OneOrZero(on));
    if (!on)
        return;
    FeatureParams params = {};
    params.s_h_cover_wnd = g_app.main_window;
    params.s_b_displaysize = 0;
    PushFeatureParams(kFeatureSizeDisplay, params);
}

void ApplyAutoScroll(int mode) { PushFeatureParams(kFeatureAutoScrolling, AutoScrollParams(mode)); }

void ApplyNotifyIcon(int on)
{
    if (!on) {
        PushFeature(kFeatureNotifyIcon, 0);
        // Every window in the tray comes back; the requests are queued, so
        // the menu never waits for another process.
        PushAction(kExportReturnTrayWindows, 0);
        ForgetNotifyIconList();
        UnregisterHotKey(g_app.main_window, kNotifyIconHotkeyId);
        return;
    }
    PushFeature(kFeatureNotifyIcon, 1);
    delete[] g_app.notify_icon_list;
    g_app.notify_icon_list = ReadSettingList(Setting::kNotifyIconList).release();
    PushList(kExportSetNotifyIconList, g_app.notify_icon_list);
    RegisterHotkeyFromSettings(g_app.main_window, Setting::kNotifyIconHotkey, kNotifyIconHotkeyId);
}

void ApplyDesktopCaptions(int transparent) { ShowDesktopColours(OneOrZero(transparent)); }

void ApplyTransparency(int on)
{
    PushIntValue(kExportSetMinimalAlphaValue, on ? ReadSetting(Setting::kTransparentMinimum) : 255);
}

void ApplyChord(int value) { PushFeature(kFeatureChord, value); }

void ApplyMiddleButtonCode(int code) { PushIntValue(kExportSetMButtonFunctionCode, code); }

void ApplyRollUp(int on)
{
    PushFeature(kFeatureRollUp, OneOrZero(on));
    if (on)
        PushFeatureParams(kFeatureRollUp, RollUpParams());
}

void ApplyWindowInfo(int value) { PushIntValue(kExportSetRetrieveWndInfoFlag, value); }

void ApplyTopmost(int value) { PushFeature(kFeatureTopmost, value); }

void ApplyHideCursor(int on)
{
    SwitchHook(on != 0, WH_GETMESSAGE, kExportGetMsgProc, &g_app.get_message_hook);
    PushFeature(kFeatureHideCursor, OneOrZero(on));
}

void ApplyMoveCursor(int on) { PushFeature(kFeatureMoveCursor, OneOrZero(on)); }

void ApplyDisableIme(int on)
{
    wchar_t classes[SettingChars(Setting::kDisableImeClasses)] = {};
    if (on)
        ReadSettingText(Setting::kDisableImeClasses, classes, ARRAYSIZE(classes));
    PushList(kExportSetDisableIMEList, classes);
    PushFeature(kFeatureDisableIme, OneOrZero(on));
}

void ApplyDirectScroll(int on)
{
    PushFeature(kFeatureDirectScroll, OneOrZero(on));
    PushScrollExceptions();
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
    } else if (ReadSetting(Setting::kDockDragFullWindow)) {
        // For this session only: not written to the profile, not broadcast.
        SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, 1, nullptr, 0);
        PushFeature(kFeatureDocking, 1);
    } else {
        PushFeature(kFeatureDocking, 0);
    }
    PushIntValue(kExportSetAeroSnapMode, ReadSetting(Setting::kDockMode));
}

void ApplyAutoClose(int on)
{
    if (!on) {
        KillTimer(g_app.main_window, AUTOCLOSE_TIMER);
        return;
    }
    SetTimer(g_app.main_window, AUTOCLOSE_TIMER, 1, AutoCloseTimerProc);
    SetAutoCloseJustFound(true);
}

void ApplySimulatedWinKey(int on)
{
    SwitchHook(on != 0, WH_KEYBOARD_LL, kExportLowLevelKeyboardProc, &g_app.low_level_keyboard_hook);
}

void PushMidButtonExceptions()
{
    ReadSettingText(Setting::kMButtonExcept, g_app.mid_button_except, kPathChars);
    if (g_app.mid_button_except[0])
        PushList(kExportSetMidButtonExceptionList, g_app.mid_button_except);
}

void ApplyAllSettings()
{
    for (const StartStep& step : kStartSteps)
        step.apply(ReadSetting(step.setting));
}
