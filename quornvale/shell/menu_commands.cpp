#include "quornvale/shell/menu_commands.h"

#include <shellapi.h>

#include "quornvale/shell/app_state.h"
#include "quornvale/shell/feature_push.h"
#include "quornvale/shell/hook_library.h"
#include "quornvale/shell/icon_taskbar.h"
#include "quornvale/shell/language.h"
#include "quornvale/shell/settings.h"
#include "quornvale/tools/about_dialog.h"
#include "quornvale/tools/auto_close.h"
#include "quornvale/tools/clipboard_switch.h"
#include "quornvale/tools/desktop_colours.h"
#include "quornvale/tools/hotkeys.h"
#include "quornvale/tools/net_accounts.h"
#include "quornvale/tools/power.h"
#include "quornvale/tools/snapshot.h"

namespace {
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRunValue[] = L"quornvale.exe";

// Reads a switch and writes its opposite; returns the new state (1 or 0).
int FlipSwitch(const wchar_t* section, const wchar_t* key)
{
    int now = ReadSettingFlag(section, key) ? 0 : 1;
    WriteSettingInt(section, key, now);
    return now;
}

void PushInt(const char* setter, LONG value)
{
    if (auto set = LibraryExport<SetIntValueFn>(setter))
        set(value);
}

void SetMinimalAlpha(DWORD alpha)
{
    if (auto set = LibraryExport<SetMinimalAlphaValueFn>("SetMinimalAlphaValue"))
        set(alpha);
}

// An optional hook follows its switch.  A hook already in place stays (a
// hand edit may have changed the file behind the program's back), so no
// handle is ever lost.
void SwitchHook(bool on, int type, const char* export_name, HHOOK* hook)
{
    if (!on)
        RemoveHook(hook, export_name);
    else if (!*hook)
        InstallHook(g_app.library, type, export_name, 0, hook);
}

void ToggleRollUp()
{
    if (ReadSettingFlag(L"rollupwnd", L"enable")) {
        PushFeature(kFeatureRollUp, 0);
        WriteSettingInt(L"rollupwnd", L"enable", 0);
        return;
    }
    PushFeature(kFeatureRollUp, 1);
    WriteSettingInt(L"rollupwnd", L"enable", 1);
    PushFeatureParams(kFeatureRollUp, RollUpParams());
}

void ToggleAutoClose(HWND main_window)
{
    if (ReadSettingFlag(L"autoclose", L"enable")) {
        WriteSettingString(L"autoclose", L"enable", L"0");
        KillTimer(main_window, AUTOCLOSE_TIMER);
        return;
    }
    WriteSettingString(L"autoclose", L"enable", L"1");
    SetTimer(main_window, AUTOCLOSE_TIMER, 1, AutoCloseTimerProc);
    SetAutoCloseJustFound(true);
}

void ToggleSimulatedWinKey()
{
    int now = FlipSwitch(L"simwinkey", L"enable");
    SwitchHook(now != 0, WH_KEYBOARD_LL, "LowLevelKeyboardProc", &g_app.low_level_keyboard_hook);
}

void ToggleMiddleButtonCode()
{
    int code = ReadSettingInt(L"mbutton", L"code", 0) == 0 ? 1 : 0;
    WriteSettingInt(L"mbutton", L"code", code);
    PushInt("SetMButtonFunctionCode", code);
}

void ToggleTransparency()
{
    if (ReadSettingFlag(L"transparent", L"enable")) {
        WriteSettingString(L"transparent", L"enable", L"0");
        SetMinimalAlpha(255);
        return;
    }
    WriteSettingString(L"transparent", L"enable", L"1");
    SetMinimalAlpha(DWORD(ReadSettingInt(L"transparent", L"minivalue", 40)) & 0xFF);
}

void ToggleNotifyIcon(HWND main_window)
{
    if (ReadSettingFlag(L"notifyicon", L"enable")) {
        PushFeature(kFeatureNotifyIcon, 0);
        PushList("SetNotifyIconList", nullptr);
        delete[] g_app.notify_icon_list;
        g_app.notify_icon_list = nullptr;
        WriteSettingInt(L"notifyicon", L"enable", 0);
        UnregisterHotKey(main_window, kNotifyIconHotkeyId);
        return;
    }
    PushFeature(kFeatureNotifyIcon, 1);
    // Read again from the file: a hand edit of the list takes effect now.
    delete[] g_app.notify_icon_list;
    g_app.notify_icon_list = ReadSettingStringGrowing(L"notifyicon", L"list").release();
    PushList("SetNotifyIconList", g_app.notify_icon_list);
    WriteSettingInt(L"notifyicon", L"enable", 1);
    RegisterHotkeyFromSettings(main_window, L"notifyicon", L"hotkey", kNotifyIconHotkeyId);
}

void ToggleHiddenCursor()
{
    int now = FlipSwitch(L"hidecursor", L"enable");
    SwitchHook(now != 0, WH_GETMESSAGE, "GetMsgProc", &g_app.get_message_hook);
    PushFeature(kFeatureHideCursor, now);
}

void ToggleDocking()
{
    int now = ReadSettingFlag(L"dockwindow", L"enable") ? 0 : 1;
    ApplyDocking(now);
    WriteSettingInt(L"dockwindow", L"enable", now);
}

void ToggleInputMethod()
{
    int now = FlipSwitch(L"disableime", L"enable");
    if (now) {
        wchar_t classes[kPathChars] = {};
        ReadSettingString(L"disableime", L"classes", classes, kPathChars);
        PushList("SetDisableIMEList", classes);
    } else {
        PushList("SetDisableIMEList", L"");
    }
    PushFeature(kFeatureDisableIme, now);
}

void ToggleDesktopCaptions()
{
    int was = ReadSettingInt(L"bkcolor", L"transp", 0);
    ApplyDesktopColours(was ? 0 : 1);
    WriteSettingString(L"bkcolor", L"transp", was ? L"0" : L"1");
}

void SetAutoScrollMode(SHORT mode)
{
    FeatureParams params = AutoScrollParams();
    params.s_s_scroll_mode = mode;
    PushFeatureParams(kFeatureAutoScrolling, params);
    WriteSettingInt(L"autoscroll", L"mode", mode);
}

void ToggleConnectAtStart()
{
    bool on = ReadSettingInt(L"netaccounts", L"count", 0) != 0 &&
              ReadSettingInt(L"netaccounts", L"atstart", 0) != 0;
    WriteSettingInt(L"netaccounts", L"atstart", on ? 0 : 1);
}

void Open(const wchar_t* target)
{
    ShellExecuteW(nullptr, L"open", target, nullptr, nullptr, SW_SHOWNA);
}

bool Readable(const wchar_t* path)
{
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

// Commands without an entry of their own: a language, else an account.
void DefaultCommand(UINT id)
{
    SelectLanguage(id);
    if (const NetAccountEntry* account = FindNetAccount(id))
        StartNetAccountWorker(account);
}
}  // namespace

void ToggleRunAtStart()
{
    bool present = IsRunAtStartSet();
    HKEY run = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_WRITE, &run) != ERROR_SUCCESS)
        return;
    if (present) {
        RegDeleteValueW(run, kRunValue);
    } else {
        wchar_t path[kPathChars];
        DWORD length = GetModuleFileNameW(g_app.instance, path, kPathChars);
        if (length != 0 && length < DWORD(kPathChars))
            RegSetValueExW(run, kRunValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(path),
                           2 * length + 2);
    }
    RegCloseKey(run);
}

void ChooseHelpFile(wchar_t* name, int name_chars)
{
    if (!GetLanguageText(L"help_file", L"file", name, name_chars) || !Readable(name))
        lstrcpynW(name, kDefaultHelpFile, name_chars);
}

LRESULT OnMenuCommand(HWND main_window, UINT id)
{
    switch (id) {
    case 3: ToggleRunAtStart(); break;
    case 4: {
        int now = FlipSwitch(L"icontaskbar", L"enable");
        SetIconOnlyTaskbar(now != 0);
        break;
    }
    case 8: OpenSnapshotOverlay(main_window); break;
    case 10:
        if (!PathsToFileList())
            ShowErrorBalloon(L"Failed to convert path to pastable object.");
        break;
    case 11:
        if (!FileListToPaths())
            ShowErrorBalloon(L"Failed to convert pastable object to path.");
        break;
    case 16: DestroyWindow(main_window); break;
    case kConnectAllCommand: StartNetAccountWorker(nullptr); break;
    case kConnectAtStartCommand: ToggleConnectAtStart(); break;
    case 96: LockSession(); break;
    case 97: HibernateNow(main_window); break;
    case 99: TurnOffMonitor(main_window); break;
    case 128: Open(kHomePage); break;
    case 129: {
        wchar_t help[kPathChars];
        ChooseHelpFile(help, kPathChars);
        Open(help);
        break;
    }
    case 130: Open(L"settings.ini"); break;
    case 132: ShowAboutDialog(); break;
    case 256: ToggleRollUp(); break;
    case 257: ToggleAutoClose(main_window); break;
    case 258: PushFeature(kFeatureChord, FlipSwitch(L"hotkey", L"babylon")); break;
    case 259: ToggleSimulatedWinKey(); break;
    case 260: ToggleMiddleButtonCode(); break;
    case 261: ToggleTransparency(); break;
    case 262: ToggleNotifyIcon(main_window); break;
    case 263: PushFeature(kFeatureTopmost, FlipSwitch(L"topmost", L"enable")); break;
    case 264: ToggleHiddenCursor(); break;
    case 265: ToggleDocking(); break;
    case 266: ToggleInputMethod(); break;
    case 267: ToggleDesktopCaptions(); break;
    case 269: FlipSwitch(L"snapshot", L"intofile"); break;
    case 270: FlipSwitch(L"snapshot", L"watermark_enable"); break;
    case 272: SetAutoScrollMode(1); break;
    case 273: SetAutoScrollMode(2); break;
    case 275: PushInt("SetRetrieveWndInfoFlag", FlipSwitch(L"information", L"enable")); break;
    default: DefaultCommand(id); break;
    }
    return 0;
}
