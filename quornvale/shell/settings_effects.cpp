#include "quornvale/shell/settings_effects.h"

#include <stdio.h>

#include "quornvale/shell/app_state.h"
#include "quornvale/shell/feature_apply.h"
#include "quornvale/shell/settings.h"
#include "quornvale/tools/hotkeys.h"

namespace {
// The apply function that makes a changed key take effect, and the switch
// whose value it is given: what start-up and the menu call.
struct SettingEffect {
    Setting changed;
    ApplyFn apply;
    Setting value_of;
};

void ApplyStartHotkeys(int)
{
    for (int id = kMonitorOffHotkeyId; id <= kSnapshotHotkeyId; ++id) {
        Setting setting;
        if (HotkeySetting(id, &setting))
            RegisterHotkeyFromSettings(g_app.main_window, setting, id);
    }
}

void ApplyMidButtonExceptions(int) { PushMidButtonExceptions(); }

constexpr SettingEffect kEffects[] = {
    {Setting::kTurnOffMonitorHotkey, ApplyStartHotkeys, Setting::kTurnOffMonitorHotkey},
    {Setting::kHibernateHotkey, ApplyStartHotkeys, Setting::kHibernateHotkey},
    {Setting::kSnapshotHotkey, ApplyStartHotkeys, Setting::kSnapshotHotkey},
    {Setting::kNotifyIconHotkey, ApplyNotifyIcon, Setting::kNotifyIconEnable},
    {Setting::kSizeWindowEnable, ApplySizeDisplay, Setting::kSizeWindowEnable},
    {Setting::kSizeEnlarge, ApplySizeDisplay, Setting::kSizeWindowEnable},
    {Setting::kSizeShrink, ApplySizeDisplay, Setting::kSizeWindowEnable},
    {Setting::kSizeExtendWidth, ApplySizeDisplay, Setting::kSizeWindowEnable},
    {Setting::kSizeReduceWidth, ApplySizeDisplay, Setting::kSizeWindowEnable},
    {Setting::kSizeExtendHeight, ApplySizeDisplay, Setting::kSizeWindowEnable},
    {Setting::kSizeReduceHeight, ApplySizeDisplay, Setting::kSizeWindowEnable},
    {Setting::kSizeMoveLeft, ApplySizeDisplay, Setting::kSizeWindowEnable},
    {Setting::kSizeMoveRight, ApplySizeDisplay, Setting::kSizeWindowEnable},
    {Setting::kSizeMoveUp, ApplySizeDisplay, Setting::kSizeWindowEnable},
    {Setting::kSizeMoveDown, ApplySizeDisplay, Setting::kSizeWindowEnable},
    {Setting::kChord, ApplyChord, Setting::kChord},
    {Setting::kNotifyIconEnable, ApplyNotifyIcon, Setting::kNotifyIconEnable},
    {Setting::kNotifyIconList, ApplyNotifyIcon, Setting::kNotifyIconEnable},
    {Setting::kAutoScrollDistance, ApplyAutoScroll, Setting::kAutoScrollMode},
    {Setting::kAutoScrollDelta, ApplyAutoScroll, Setting::kAutoScrollMode},
    {Setting::kAutoScrollMode, ApplyAutoScroll, Setting::kAutoScrollMode},
    {Setting::kTransparentEnable, ApplyTransparency, Setting::kTransparentEnable},
    {Setting::kTransparentMinimum, ApplyTransparency, Setting::kTransparentEnable},
    {Setting::kMButtonCode, ApplyMiddleButtonCode, Setting::kMButtonCode},
    {Setting::kMButtonExcept, ApplyMidButtonExceptions, Setting::kMButtonExcept},
    {Setting::kRollUpEnable, ApplyRollUp, Setting::kRollUpEnable},
    {Setting::kRollUpAnimate, ApplyRollUp, Setting::kRollUpEnable},
    {Setting::kRollUpHotAction, ApplyRollUp, Setting::kRollUpEnable},
    {Setting::kInformationEnable, ApplyWindowInfo, Setting::kInformationEnable},
    {Setting::kTopmostEnable, ApplyTopmost, Setting::kTopmostEnable},
    {Setting::kHideCursorEnable, ApplyHideCursor, Setting::kHideCursorEnable},
    {Setting::kChangeCursorEnable, ApplyMoveCursor, Setting::kChangeCursorEnable},
    {Setting::kDisableImeEnable, ApplyDisableIme, Setting::kDisableImeEnable},
    {Setting::kDisableImeClasses, ApplyDisableIme, Setting::kDisableImeEnable},
    {Setting::kDirectScrollEnable, ApplyDirectScroll, Setting::kDirectScrollEnable},
    {Setting::kDirectScrollExcluded, ApplyDirectScroll, Setting::kDirectScrollEnable},
    {Setting::kDockEnable, ApplyDocking, Setting::kDockEnable},
    {Setting::kDockDragFullWindow, ApplyDocking, Setting::kDockEnable},
    {Setting::kDockMode, ApplyDocking, Setting::kDockEnable},
    {Setting::kIconTaskbarEnable, ApplyIconOnlyTaskbar, Setting::kIconTaskbarEnable},
    {Setting::kDesktopCaptionsTransparent, ApplyDesktopCaptions, Setting::kDesktopCaptionsTransparent},
    {Setting::kCaptionBackRed, ApplyDesktopCaptions, Setting::kDesktopCaptionsTransparent},
    {Setting::kCaptionBackGreen, ApplyDesktopCaptions, Setting::kDesktopCaptionsTransparent},
    {Setting::kCaptionBackBlue, ApplyDesktopCaptions, Setting::kDesktopCaptionsTransparent},
    {Setting::kCaptionTextRed, ApplyDesktopCaptions, Setting::kDesktopCaptionsTransparent},
    {Setting::kCaptionTextGreen, ApplyDesktopCaptions, Setting::kDesktopCaptionsTransparent},
    {Setting::kCaptionTextBlue, ApplyDesktopCaptions, Setting::kDesktopCaptionsTransparent},
    {Setting::kAutoCloseEnable, ApplyAutoClose, Setting::kAutoCloseEnable},
    {Setting::kSimulatedWinKeyEnable, ApplySimulatedWinKey, Setting::kSimulatedWinKeyEnable},
};

}  // namespace

int ApplySettingEffects(const Setting* changed, int count)
{
    ApplyFn applied[ARRAYSIZE(kEffects)] = {};
    int ran = 0;
    for (const SettingEffect& effect : kEffects) {
        bool wanted = false;
        for (int i = 0; i < count && !wanted; ++i)
            wanted = changed[i] == effect.changed;
        bool done = false;
        for (int i = 0; i < ran && !done; ++i)
            done = applied[i] == effect.apply;
        if (!wanted || done)
            continue;
        applied[ran++] = effect.apply;
        effect.apply(ReadSetting(effect.value_of));
    }
    return ran;
}

std::wstring SettingValueText(Setting id)
{
    const SettingKey& row = SettingKeyOf(id);
    if (!row.section)
        return {};
    switch (row.bounds.kind) {
    case SettingKind::kSwitch:
    case SettingKind::kInteger: {
        wchar_t text[16] = {};
        _snwprintf(text, 15, L"%d", ReadSetting(id));
        return text;
    }
    case SettingKind::kText: {
        wchar_t text[kSettingTextChars] = {};
        ReadSettingText(id, text, kSettingTextChars);
        return text;
    }
    case SettingKind::kLongText: {
        OwnedText list = ReadSettingList(id);
        return list ? list.get() : L"";
    }
    }
    return {};
}
