#pragma once
// Every key of settings.ini, declared once: its section and name, its kind,
// the default a read gives when the key is missing, and its bounds.  The
// program reads through this table at the moment a value is needed (nothing
// is cached); the shipped settings.ini holds exactly these keys.
#include <limits.h>

#include "quornvale/shell/settings_bounds.h"

// The file, beside the program.
constexpr wchar_t kSettingsFileName[] = L"settings.ini";

enum class Setting : int {
    kLanguageFile,
    kTurnOffMonitorHotkey,
    kHibernateHotkey,
    kSnapshotHotkey,
    kNotifyIconHotkey,
    kSizeWindowEnable,
    kSizeEnlarge,
    kSizeShrink,
    kSizeExtendWidth,
    kSizeReduceWidth,
    kSizeExtendHeight,
    kSizeReduceHeight,
    kSizeMoveLeft,
    kSizeMoveRight,
    kSizeMoveUp,
    kSizeMoveDown,
    kSizeArray,
    kChord,
    kNotifyIconEnable,
    kNotifyIconList,
    kAutoScrollDistance,
    kAutoScrollDelta,
    kAutoScrollMode,
    kTransparentEnable,
    kTransparentMinimum,
    kMButtonCode,
    kMButtonExcept,
    kRollUpEnable,
    kRollUpAnimate,
    kRollUpHotAction,
    kInformationEnable,
    kTopmostEnable,
    kHideCursorEnable,
    kChangeCursorEnable,
    kDisableImeEnable,
    kDisableImeClasses,
    kDirectScrollEnable,
    kDirectScrollExcluded,
    kDockEnable,
    kDockDragFullWindow,
    kDockMode,
    kIconTaskbarEnable,
    kDesktopCaptionsTransparent,
    kCaptionBackRed,
    kCaptionBackGreen,
    kCaptionBackBlue,
    kCaptionTextRed,
    kCaptionTextGreen,
    kCaptionTextBlue,
    kAutoCloseEnable,
    kAutoCloseWindowName,
    kAutoCloseClassName,
    kSimulatedWinKeyEnable,
    kSnapshotIntoFile,
    kSnapshotWatermarkEnable,
    kSnapshotWatermarkPath,
    kSnapshotWatermarkPos,
    kSnapshotWatermarkAlpha,
    kSnapshotPath,
    kSnapshotName,
    kSnapshotNext,
    kSnapshotFormat,
    kNetAccountCount,
    kNetAccountsAtStart,
    // One record per network account, in the section named by its index.
    kAccountRemote,
    kAccountUser,
    kAccountPassword,
    kAccountState,
    kCount
};

constexpr int kHotkeyTextChars = 32;
constexpr int kSettingTextChars = 260;
constexpr int kPasswordChars = 128;
constexpr int kMaxNetAccountCount = 10;
// The program writes integers as at most nine characters.
constexpr int kMaxCounter = 999999999;

struct SettingKey {
    Setting id;
    const wchar_t* section;  // null: the account's own section ("0", "1", ...)
    const wchar_t* key;
    SettingBounds bounds;
};

namespace setting_rows {
constexpr SettingKey Switch(Setting id, const wchar_t* section, const wchar_t* key)
{
    return {id, section, key, {SettingKind::kSwitch, 0, BoundRule::kAsRead, 0, 0, 0}};
}
// An integer handed on as read: its consumer gives every value a meaning.
constexpr SettingKey Integer(Setting id, const wchar_t* section, const wchar_t* key, int fallback)
{
    return {id, section, key, {SettingKind::kInteger, fallback, BoundRule::kAsRead, 0, 0, 0}};
}
constexpr SettingKey Clamped(Setting id, const wchar_t* section, const wchar_t* key, int fallback,
                             int low, int high)
{
    return {id, section, key, {SettingKind::kInteger, fallback, BoundRule::kClamp, low, high, 0}};
}
// Kept in a narrower field by its consumer: low byte, low 16 bits.
constexpr SettingKey Wrapped(Setting id, const wchar_t* section, const wchar_t* key, int fallback,
                             int low, int high)
{
    return {id, section, key, {SettingKind::kInteger, fallback, BoundRule::kWrap, low, high, 0}};
}
constexpr SettingKey Text(Setting id, const wchar_t* section, const wchar_t* key,
                          int chars = kSettingTextChars)
{
    return {id, section, key, {SettingKind::kText, 0, BoundRule::kAsRead, 0, 0, chars}};
}
// A list of any length, read by the growing read.
constexpr SettingKey LongText(Setting id, const wchar_t* section, const wchar_t* key)
{
    return {id, section, key, {SettingKind::kLongText, 0, BoundRule::kAsRead, 0, 0, 0}};
}
}  // namespace setting_rows

// In the order of Setting.  Section and key names ignore case ("BkColor" and
// "bkcolor" are one section).
inline constexpr SettingKey kSettingKeys[] = {
    setting_rows::Text(Setting::kLanguageFile, L"language", L"filepath"),
    setting_rows::Text(Setting::kTurnOffMonitorHotkey, L"turnoffmonitor", L"hotkey", kHotkeyTextChars),
    setting_rows::Text(Setting::kHibernateHotkey, L"hibernate", L"hotkey", kHotkeyTextChars),
    setting_rows::Text(Setting::kSnapshotHotkey, L"snapshot", L"hotkey", kHotkeyTextChars),
    setting_rows::Text(Setting::kNotifyIconHotkey, L"notifyicon", L"hotkey", kHotkeyTextChars),
    setting_rows::Switch(Setting::kSizeWindowEnable, L"sizewindow", L"enable"),
    setting_rows::Text(Setting::kSizeEnlarge, L"sizewindow", L"enlarge", kHotkeyTextChars),
    setting_rows::Text(Setting::kSizeShrink, L"sizewindow", L"shrink", kHotkeyTextChars),
    setting_rows::Text(Setting::kSizeExtendWidth, L"sizewindow", L"extend_width", kHotkeyTextChars),
    setting_rows::Text(Setting::kSizeReduceWidth, L"sizewindow", L"reduce_width", kHotkeyTextChars),
    setting_rows::Text(Setting::kSizeExtendHeight, L"sizewindow", L"extend_height", kHotkeyTextChars),
    setting_rows::Text(Setting::kSizeReduceHeight, L"sizewindow", L"reduce_height", kHotkeyTextChars),
    setting_rows::Text(Setting::kSizeMoveLeft, L"sizewindow", L"move_left", kHotkeyTextChars),
    setting_rows::Text(Setting::kSizeMoveRight, L"sizewindow", L"move_right", kHotkeyTextChars),
    setting_rows::Text(Setting::kSizeMoveUp, L"sizewindow", L"move_up", kHotkeyTextChars),
    setting_rows::Text(Setting::kSizeMoveDown, L"sizewindow", L"move_down", kHotkeyTextChars),
    setting_rows::Text(Setting::kSizeArray, L"sizewindow", L"sizearray"),
    setting_rows::Switch(Setting::kChord, L"hotkey", L"babylon"),
    setting_rows::Switch(Setting::kNotifyIconEnable, L"notifyicon", L"enable"),
    setting_rows::LongText(Setting::kNotifyIconList, L"notifyicon", L"list"),
    setting_rows::Wrapped(Setting::kAutoScrollDistance, L"autoscroll", L"distance", 10, SHRT_MIN, SHRT_MAX),
    setting_rows::Wrapped(Setting::kAutoScrollDelta, L"autoscroll", L"delta", 40, SHRT_MIN, SHRT_MAX),
    // Any other mode would start an auto-scroll that nothing ends.
    setting_rows::Clamped(Setting::kAutoScrollMode, L"autoscroll", L"mode", 1, 1, 2),
    setting_rows::Switch(Setting::kTransparentEnable, L"transparent", L"enable"),
    setting_rows::Wrapped(Setting::kTransparentMinimum, L"transparent", L"minivalue", 40, 0, UCHAR_MAX),
    // Non-zero switches the middle-button action on; the menu writes 0 or 1.
    setting_rows::Integer(Setting::kMButtonCode, L"mbutton", L"code", 0),
    setting_rows::Text(Setting::kMButtonExcept, L"mbutton", L"except"),
    setting_rows::Switch(Setting::kRollUpEnable, L"rollupwnd", L"enable"),
    setting_rows::Wrapped(Setting::kRollUpAnimate, L"rollupwnd", L"animate", 0, 0, USHRT_MAX),
    setting_rows::Wrapped(Setting::kRollUpHotAction, L"rollupwnd", L"hotaction", 1, SHRT_MIN, SHRT_MAX),
    setting_rows::Switch(Setting::kInformationEnable, L"information", L"enable"),
    setting_rows::Switch(Setting::kTopmostEnable, L"topmost", L"enable"),
    setting_rows::Switch(Setting::kHideCursorEnable, L"hidecursor", L"enable"),
    setting_rows::Switch(Setting::kChangeCursorEnable, L"changecursor", L"enable"),
    setting_rows::Switch(Setting::kDisableImeEnable, L"disableime", L"enable"),
    setting_rows::Text(Setting::kDisableImeClasses, L"disableime", L"classes"),
    setting_rows::Switch(Setting::kDirectScrollEnable, L"directscroll", L"enable"),
    setting_rows::LongText(Setting::kDirectScrollExcluded, L"directscroll", L"excluded_list"),
    setting_rows::Switch(Setting::kDockEnable, L"dockwindow", L"enable"),
    setting_rows::Switch(Setting::kDockDragFullWindow, L"dockwindow", L"dragfullwindow"),
    setting_rows::Integer(Setting::kDockMode, L"dockwindow", L"dockmode", 0),
    setting_rows::Switch(Setting::kIconTaskbarEnable, L"icontaskbar", L"enable"),
    // Also written "Transp" of "BkColor": one key, as names ignore case.
    setting_rows::Switch(Setting::kDesktopCaptionsTransparent, L"bkcolor", L"transp"),
    setting_rows::Wrapped(Setting::kCaptionBackRed, L"BkColor", L"red", 58, 0, UCHAR_MAX),
    setting_rows::Wrapped(Setting::kCaptionBackGreen, L"BkColor", L"green", 110, 0, UCHAR_MAX),
    setting_rows::Wrapped(Setting::kCaptionBackBlue, L"BkColor", L"blue", 165, 0, UCHAR_MAX),
    setting_rows::Wrapped(Setting::kCaptionTextRed, L"TxColor", L"red", 255, 0, UCHAR_MAX),
    setting_rows::Wrapped(Setting::kCaptionTextGreen, L"TxColor", L"green", 255, 0, UCHAR_MAX),
    setting_rows::Wrapped(Setting::kCaptionTextBlue, L"TxColor", L"blue", 255, 0, UCHAR_MAX),
    setting_rows::Switch(Setting::kAutoCloseEnable, L"autoclose", L"enable"),
    setting_rows::Text(Setting::kAutoCloseWindowName, L"autoclose", L"wndname"),
    setting_rows::Text(Setting::kAutoCloseClassName, L"autoclose", L"clsname"),
    setting_rows::Switch(Setting::kSimulatedWinKeyEnable, L"simwinkey", L"enable"),
    setting_rows::Switch(Setting::kSnapshotIntoFile, L"snapshot", L"intofile"),
    setting_rows::Switch(Setting::kSnapshotWatermarkEnable, L"snapshot", L"watermark_enable"),
    setting_rows::Text(Setting::kSnapshotWatermarkPath, L"snapshot", L"watermark_path"),
    // 1 to 6 name a place; every other value is the bottom right corner.
    setting_rows::Integer(Setting::kSnapshotWatermarkPos, L"snapshot", L"watermark_pos", 0),
    setting_rows::Wrapped(Setting::kSnapshotWatermarkAlpha, L"snapshot", L"watermark_alpha", 0, 0, UCHAR_MAX),
    setting_rows::Text(Setting::kSnapshotPath, L"snapshot", L"path"),
    setting_rows::Text(Setting::kSnapshotName, L"snapshot", L"name"),
    setting_rows::Clamped(Setting::kSnapshotNext, L"snapshot", L"next", 0, 0, kMaxCounter),
    setting_rows::Text(Setting::kSnapshotFormat, L"snapshot", L"format"),
    setting_rows::Clamped(Setting::kNetAccountCount, L"netaccounts", L"count", 0, 0, kMaxNetAccountCount),
    setting_rows::Switch(Setting::kNetAccountsAtStart, L"netaccounts", L"atstart"),
    setting_rows::Text(Setting::kAccountRemote, nullptr, L"remote"),
    setting_rows::Text(Setting::kAccountUser, nullptr, L"user"),
    setting_rows::Text(Setting::kAccountPassword, nullptr, L"psw", kPasswordChars),
    setting_rows::Switch(Setting::kAccountState, nullptr, L"state"),
};

constexpr bool SettingKeysInOrder()
{
    int i = 0;
    for (const SettingKey& row : kSettingKeys)
        if (int(row.id) != i++ || !IsSoundBounds(row.bounds))
            return false;
    return i == int(Setting::kCount);
}
static_assert(SettingKeysInOrder(), "one sound row per Setting, in the order of the enum");

constexpr const SettingKey& SettingKeyOf(Setting id) { return kSettingKeys[int(id)]; }
// The buffer a text key is read into (characters, terminator included).
constexpr int SettingChars(Setting id) { return SettingKeyOf(id).bounds.chars; }
