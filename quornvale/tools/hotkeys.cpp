#include "quornvale/tools/hotkeys.h"

#include <string_view>

#include "common/debug_print.h"
#include "quornvale/shell/language.h"
#include "quornvale/shell/settings.h"
#include "quornvale/shell/tray_icon.h"
#include "quornvale/tools/hotkey_text.h"
#include "quornvale/tools/keyboard_sizing.h"
#include "quornvale/tools/notice_text.h"
#include "quornvale/tools/power.h"
#include "quornvale/tools/shell_windows.h"
#include "quornvale/tools/snapshot.h"

namespace {
struct HotkeyRow {
    Setting setting;
    int sizing_action;  // ids 5 to 14 only
};
// Index = id - 1.  Ids 12 and 13 move right and up: nudge codes 7 and 6.
constexpr HotkeyRow kHotkeys[kLastHotkeyId] = {
    {Setting::kTurnOffMonitorHotkey, 0},
    {Setting::kHibernateHotkey, 0},
    {Setting::kSnapshotHotkey, 0},
    {Setting::kNotifyIconHotkey, 0},
    {Setting::kSizeEnlarge, kSizingEnlarge},
    {Setting::kSizeShrink, kSizingShrink},
    {Setting::kSizeExtendWidth, 1},
    {Setting::kSizeReduceWidth, 2},
    {Setting::kSizeExtendHeight, 3},
    {Setting::kSizeReduceHeight, 4},
    {Setting::kSizeMoveLeft, 5},
    {Setting::kSizeMoveRight, 7},
    {Setting::kSizeMoveUp, 6},
    {Setting::kSizeMoveDown, 8},
};

constexpr int kMinimumHotkeyChars = 3;
constexpr int kBalloonTextChars = 256;

// The text each id was registered with; empty while it holds no hotkey.
// Main thread only, as registration.
wchar_t g_registered[kLastHotkeyId][kHotkeyTextChars] = {};

void Unregister(HWND main_window, int hotkey_id)
{
    UnregisterHotKey(main_window, hotkey_id);
    g_registered[hotkey_id - 1][0] = L'\0';
}

// Failed hotkey texts of the open batch, separated by ", ".
int g_batch_depth = 0;
wchar_t g_failed[kBalloonTextChars] = {};

void ShowFailureBalloon(const wchar_t* hotkey_texts)
{
    wchar_t title[64] = {}, format[kBalloonTextChars] = {}, text[kBalloonTextChars] = {};
    GetLanguageText(L"error_message", L"ID_HOTKEY_ERROR_TITLE", title, 64);
    GetLanguageText(L"error_message", L"ID_HOTKEY_ERROR_MESSAGE", format, kBalloonTextChars);
    FormatNoticeText(format, hotkey_texts, text, kBalloonTextChars);
    ShowTrayBalloon(title, text, kBalloonError);
}

void ReportFailure(const wchar_t* hotkey_text)
{
    if (g_batch_depth == 0) {
        ShowFailureBalloon(hotkey_text);
        return;
    }
    const int used = lstrlenW(g_failed);
    if (used > 0 && used + 2 < kBalloonTextChars)
        lstrcpynW(g_failed + used, L", ", kBalloonTextChars - used);
    const int now = lstrlenW(g_failed);
    lstrcpynW(g_failed + now, hotkey_text, kBalloonTextChars - now);
}

void MinimiseWindowUnderCursor(HWND main_window)
{
    POINT cursor;
    if (!GetCursorPos(&cursor))
        return;
    HWND window = WindowFromPoint(cursor);
    if (!window)
        return;
    HWND root = GetAncestor(window, GA_ROOT);
    if (!root)
        root = window;
    wchar_t class_name[64] = {};
    GetClassNameW(root, class_name, 64);
    if (root == GetDesktopWindow() || root == main_window || !MayMinimiseWindowOfClass(class_name))
        return;
    ShowWindowAsync(root, SW_MINIMIZE);
}
}  // namespace

bool HotkeySetting(int hotkey_id, Setting* setting)
{
    if (hotkey_id < 1 || hotkey_id > kLastHotkeyId)
        return false;
    *setting = kHotkeys[hotkey_id - 1].setting;
    return true;
}

bool SizingAction(int hotkey_id, int* action)
{
    if (hotkey_id < kFirstSizingHotkeyId || hotkey_id > kLastHotkeyId)
        return false;
    *action = kHotkeys[hotkey_id - 1].sizing_action;
    return true;
}

bool RegisterHotkeyFromSettings(HWND main_window, Setting hotkey_text, int hotkey_id)
{
    if (hotkey_id < 1 || hotkey_id > kLastHotkeyId)
        return false;
    Unregister(main_window, hotkey_id);
    wchar_t text[kHotkeyTextChars] = {};
    if (ReadSettingText(hotkey_text, text, kHotkeyTextChars) < kMinimumHotkeyChars)
        return false;
    HotkeyCombination combination;
    if (!ParseHotkeyText(text, &combination)) {
        DebugPrint(L"Hotkey %d: \"%s\" names no key\n", hotkey_id, text);
        ReportFailure(text);
        return false;
    }
    if (!RegisterHotKey(main_window, hotkey_id, combination.modifiers, combination.virtual_key)) {
        DebugPrint(L"RegisterHotKey %d (\"%s\", modifiers 0x%x, key 0x%x) failed, error %lu\n", hotkey_id, text,
                   combination.modifiers, combination.virtual_key, GetLastError());
        ReportFailure(text);
        return false;
    }
    lstrcpynW(g_registered[hotkey_id - 1], text, kHotkeyTextChars);
    DebugPrint(L"Hotkey %d registered: modifiers 0x%x, key 0x%x\n", hotkey_id, combination.modifiers,
               combination.virtual_key);
    return true;
}

void RegisterStartHotkeys(HWND main_window)
{
    for (int id = kMonitorOffHotkeyId; id <= kSnapshotHotkeyId; ++id)
        RegisterHotkeyFromSettings(main_window, kHotkeys[id - 1].setting, id);
}

void RegisterSizingHotkeys(HWND main_window, bool register_keys)
{
    HotkeyFailureBatch batch;
    for (int id = kFirstSizingHotkeyId; id <= kLastHotkeyId; ++id) {
        if (register_keys)
            RegisterHotkeyFromSettings(main_window, kHotkeys[id - 1].setting, id);
        else
            Unregister(main_window, id);
    }
}

void UnregisterAllHotkeys(HWND main_window)
{
    for (int id = 1; id <= kLastHotkeyId; ++id)
        Unregister(main_window, id);
}

bool RegisteredHotkeyMenuText(int hotkey_id, wchar_t* out, int out_chars)
{
    if (out && out_chars > 0)
        out[0] = L'\0';
    if (hotkey_id < 1 || hotkey_id > kLastHotkeyId || !g_registered[hotkey_id - 1][0])
        return false;
    return HotkeyMenuText(g_registered[hotkey_id - 1], out, out_chars);
}

HotkeyFailureBatch::HotkeyFailureBatch()
{
    if (g_batch_depth++ == 0)
        g_failed[0] = L'\0';
}

HotkeyFailureBatch::~HotkeyFailureBatch()
{
    if (--g_batch_depth == 0 && g_failed[0]) {
        ShowFailureBalloon(g_failed);
        g_failed[0] = L'\0';
    }
}

LRESULT OnHotkey(HWND main_window, int hotkey_id)
{
    int action = 0;
    switch (hotkey_id) {
    case kMonitorOffHotkeyId: TurnOffMonitor(main_window); break;
    case kHibernateHotkeyId: HibernateOnWorker(); break;
    case kSnapshotHotkeyId: OpenSnapshotOverlay(main_window); break;
    case kNotifyIconHotkeyId: MinimiseWindowUnderCursor(main_window); break;
    default:
        if (!SizingAction(hotkey_id, &action))
            break;
        if (action == kSizingEnlarge || action == kSizingShrink)
            ResizeToPreset(main_window, action == kSizingEnlarge);
        else
            NudgeForegroundWindow(main_window, action);
        break;
    }
    // After the work: the trace says the key's action has been done.
    DebugPrint(L"Hotkey %d pressed\n", hotkey_id);
    return 0;
}

bool MayMinimiseWindowOfClass(const wchar_t* class_name)
{
    return !IsDesktopOrTaskbarClass(class_name ? class_name : L"");
}
