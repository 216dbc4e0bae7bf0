#include "quornvale/shell/menu_commands.h"

#include <shellapi.h>
#include <stdio.h>

#include "quornvale/shell/app_state.h"
#include "quornvale/shell/command_ids.h"
#include "quornvale/shell/language.h"
#include "quornvale/shell/program_path.h"
#include "quornvale/shell/settings.h"
#include "quornvale/shell/settings_watch.h"
#include "quornvale/shell/tray_icon.h"
#include "quornvale/shell/worker.h"
#include "quornvale/tools/about_dialog.h"
#include "quornvale/tools/clipboard_switch.h"
#include "quornvale/tools/document_open.h"
#include "quornvale/tools/net_accounts.h"
#include "quornvale/tools/power.h"
#include "quornvale/tools/settings_window.h"
#include "quornvale/tools/snapshot.h"

namespace {
constexpr MenuSwitch kMenuSwitches[] = {
    {CmdIconOnlyTaskbar, Setting::kIconTaskbarEnable, ApplyIconOnlyTaskbar},
    {CmdRollUp, Setting::kRollUpEnable, ApplyRollUp},
    {CmdAutoClose, Setting::kAutoCloseEnable, ApplyAutoClose},
    {CmdChord, Setting::kChord, ApplyChord},
    {CmdSimulatedWinKey, Setting::kSimulatedWinKeyEnable, ApplySimulatedWinKey},
    {CmdMiddleButton, Setting::kMButtonCode, ApplyMiddleButtonCode},
    {CmdTransparency, Setting::kTransparentEnable, ApplyTransparency},
    {CmdNotifyIcon, Setting::kNotifyIconEnable, ApplyNotifyIcon},
    {CmdTopmost, Setting::kTopmostEnable, ApplyTopmost},
    {CmdHideCursor, Setting::kHideCursorEnable, ApplyHideCursor},
    {CmdDocking, Setting::kDockEnable, ApplyDocking},
    {CmdDisableIme, Setting::kDisableImeEnable, ApplyDisableIme},
    {CmdDesktopCaptions, Setting::kDesktopCaptionsTransparent, ApplyDesktopCaptions},
    {CmdSnapshotIntoFile, Setting::kSnapshotIntoFile, nullptr},
    {CmdSnapshotWatermark, Setting::kSnapshotWatermarkEnable, nullptr},
    {CmdWindowInfo, Setting::kInformationEnable, ApplyWindowInfo},
};

// A switch that settings.ini does not take is left as it was: applying it
// would make the menu (which reads the file) and the next start disagree with
// what the program does now.
void ShowNotSaved()
{
    wchar_t text[256];
    _snwprintf(text, 255, L"%s could not be written: the setting is left as it was.", GetSettingsPath());
    text[255] = L'\0';
    ShowTrayBalloon(L"Setting not saved", text, kBalloonError);
}

void SetAutoScrollMode(int mode)
{
    if (!WriteSetting(Setting::kAutoScrollMode, mode)) {
        ShowNotSaved();
        return;
    }
    ApplyAutoScroll(mode);
    NoteSettingsApplied();
}

// "atstart" is written as the opposite of the feature's state, which needs
// accounts too.
void ToggleConnectAtStart()
{
    bool on = ReadSetting(Setting::kNetAccountCount) != 0 &&
              ReadSetting(Setting::kNetAccountsAtStart) != 0;
    if (!WriteSetting(Setting::kNetAccountsAtStart, on ? 0 : 1))
        ShowNotSaved();
}

// The shell may wait for a program to start or a server to answer: on a
// worker, never on the GUI thread.
void OpenOnWorker(void* argument)
{
    auto* target = static_cast<wchar_t*>(argument);
    ShellExecuteW(nullptr, L"open", target, nullptr, nullptr, SW_SHOWNA);
    delete[] target;
}

void Open(const wchar_t* target)
{
    wchar_t* copy = CopyForWorker(target);
    if (!copy || !StartWorker(OpenOnWorker, copy))
        delete[] copy;
}

// The help file is looked for and opened on a worker: both touch the disk
// and the shell.
void OpenHelpOnWorker(void*)
{
    wchar_t help[kPathChars];
    ChooseHelpFile(help, kPathChars);
    OpenDocument(help);
}

// Commands without an entry of their own: a language, else an account.
void DefaultCommand(UINT id)
{
    SelectLanguage(id);
    if (const NetAccountEntry* account = FindNetAccount(id))
        StartNetAccountWorker(account);
}
}  // namespace

const MenuSwitch* FindMenuSwitch(UINT command_id)
{
    for (const MenuSwitch& entry : kMenuSwitches)
        if (entry.command == command_id)
            return &entry;
    return nullptr;
}

void ToggleRunAtStart() { WriteRunAtStart(!IsRunAtStartSet()); }

void ChooseHelpFile(wchar_t* name, int name_chars)
{
    // Looked for where OpenDocument will look: the program's folder, never
    // the current directory.
    wchar_t folder[kPathChars], file[kPathChars];
    if (GetModuleDirectory(nullptr, folder, kPathChars) == 0)
        folder[0] = L'\0';
    if (!GetLanguageText(L"help_file", L"file", name, name_chars) ||
        !ResolveInFolder(name, folder, file, kPathChars) || !IsReadableFile(file))
        lstrcpynW(name, kDefaultHelpFile, name_chars);
}

LRESULT OnMenuCommand(HWND main_window, UINT id)
{
    if (const MenuSwitch* entry = FindMenuSwitch(id)) {
        // The new state is written first, then applied: what start-up does
        // with the same value.  Only a state that was saved is applied.
        int now = 0;
        if (!FlipSwitch(entry->setting, &now))
            ShowNotSaved();
        else if (entry->apply)
            entry->apply(now);
        // Applied already: the watch of hand edits leaves it alone.
        NoteSettingsApplied();
        return 0;
    }
    switch (id) {
    case CmdRunAtStart: ToggleRunAtStart(); break;
    case CmdSnapshot: OpenSnapshotOverlay(main_window); break;
    case CmdPathsToFileList:
        if (!PathsToFileList())
            ShowErrorBalloon(L"Failed to convert path to pastable object.");
        break;
    case CmdFileListToPaths:
        if (!FileListToPaths())
            ShowErrorBalloon(L"Failed to convert pastable object to path.");
        break;
    case CmdExit: DestroyWindow(main_window); break;
    case CmdConnectAll: StartNetAccountWorker(nullptr); break;
    case CmdConnectAtStart: ToggleConnectAtStart(); break;
    case CmdLockWorkstation: LockSession(); break;
    case CmdHibernate: HibernateOnWorker(); break;
    case CmdTurnOffMonitor: TurnOffMonitor(main_window); break;
    case CmdHomePage: Open(kHomePage); break;
    case CmdHelpFile:
        if (!StartWorker(OpenHelpOnWorker, nullptr))
            ShowErrorBalloon(L"The help file could not be opened.");
        break;
    // The file in use: the user's own in an installed copy.
    case CmdOpenSettings: Open(GetSettingsPath()[0] ? GetSettingsPath() : kSettingsFileName); break;
    case CmdAbout: ShowAboutDialog(); break;
    case CmdSettingsWindow: ShowSettingsWindow(); break;
    case CmdAutoScrollMode1: SetAutoScrollMode(1); break;
    case CmdAutoScrollMode2: SetAutoScrollMode(2); break;
    default: DefaultCommand(id); break;
    }
    return 0;
}
