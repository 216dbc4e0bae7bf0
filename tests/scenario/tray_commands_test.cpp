// Menu commands through the real program: every switch writes settings.ini
// and changes the library's shared state at once; choosing it twice restores
// both; hooks, the run-at-start value, the notify-icon list and the
// icon-only taskbar follow their switches.
#include <windows.h>
#include <commctrl.h>

#include <functional>

#include "common/taskbar_toolbar.h"
#include "quornvale/shell/command_ids.h"
#include "tests/framework/check.h"
#include "tests/scenario/support/harness.h"
#include "tests/scenario/support/library_view.h"
#include "tests/scenario/support/responsiveness.h"
#include "tests/scenario/support/tray_view.h"

using namespace scenario;

namespace {
std::wstring Setting(const Program& program, const wchar_t* section, const wchar_t* key)
{
    wchar_t value[64] = {};
    GetPrivateProfileStringW(section, key, L"<none>", value, 64, program.SettingsPath().c_str());
    return value;
}

// The menu's WM_COMMAND, sent so that it has been handled on return.
void Choose(const Program& program, UINT id)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutW(program.MainWindow(), WM_COMMAND, id, 0, SMTO_NORMAL, 5000, &result);
}

struct Switch {
    UINT id;
    const wchar_t* section;
    const wchar_t* key;
    std::function<long(const SharedBlock&)> state;  // the library's view; null: none
    long on, off;
};
}  // namespace

TEST_CASE("every_switch_writes_its_key_and_the_library_state_and_twice_restores_both")
{
    ProgramOptions options;
    options.settings = "[transparent]\r\nminivalue=300\r\n"
                       "[rollupwnd]\r\nanimate=3\r\nhotaction=2\r\n"
                       "[disableime]\r\nclasses=[Edit];\r\n"
                       "[dockwindow]\r\ndragfullwindow=1\r\n";
    Program program(L"cmdswitch", options);
    LibraryView view(program.LibraryPath());
    REQUIRE(view.Loaded());
    REQUIRE(program.Start());

    const Switch switches[] = {
        {CmdRollUp, L"rollupwnd", L"enable", [](const SharedBlock& b) { return long(b.s_b_rollupwnd); }, 1, 0},
        {CmdChord, L"hotkey", L"babylon", [](const SharedBlock& b) { return long(b.s_b_babylon); }, 1, 0},
        {CmdMiddleButton, L"mbutton", L"code", [](const SharedBlock& b) { return long(b.s_n_mbutton_code); }, 1, 0},
        {CmdTransparency, L"transparent", L"enable", [](const SharedBlock& b) { return long(b.s_n_minimal_alpha); }, 44, 255},
        {CmdNotifyIcon, L"notifyicon", L"enable", [](const SharedBlock& b) { return long(b.s_b_notifyicon); }, 1, 0},
        {CmdTopmost, L"topmost", L"enable", [](const SharedBlock& b) { return long(b.s_b_topmost); }, 1, 0},
        {CmdHideCursor, L"hidecursor", L"enable", [](const SharedBlock& b) { return long(b.s_b_hidecursor); }, 1, 0},
        {CmdDocking, L"dockwindow", L"enable", [](const SharedBlock& b) { return long(b.s_b_dockwindow); }, 1, 0},
        {CmdDisableIme, L"disableime", L"enable", [](const SharedBlock& b) { return long(b.s_b_disableime); }, 1, 0},
        {CmdWindowInfo, L"information", L"enable", [](const SharedBlock& b) { return long(b.s_b_retrieve_wnd_info); }, 1, 0},
        {CmdAutoClose, L"autoclose", L"enable", nullptr, 0, 0},
        {CmdSimulatedWinKey, L"simwinkey", L"enable", nullptr, 0, 0},
        {CmdSnapshotIntoFile, L"snapshot", L"intofile", nullptr, 0, 0},
        {CmdSnapshotWatermark, L"snapshot", L"watermark_enable", nullptr, 0, 0},
        {CmdIconOnlyTaskbar, L"icontaskbar", L"enable", nullptr, 0, 0},
    };
    for (const Switch& s : switches) {
        if (s.state)
            CHECK_EQ(s.state(view.Snapshot()), s.off);
        Choose(program, s.id);
        if (!CHECK_EQ(Setting(program, s.section, s.key), std::wstring(L"1")))
            MESSAGE(check::Format("switch %u", s.id));
        if (s.state && !CHECK_EQ(s.state(view.Snapshot()), s.on))
            MESSAGE(check::Format("switch %u", s.id));
        Choose(program, s.id);
        if (!CHECK_EQ(Setting(program, s.section, s.key), std::wstring(L"0")))
            MESSAGE(check::Format("switch %u", s.id));
        if (s.state && !CHECK_EQ(s.state(view.Snapshot()), s.off))
            MESSAGE(check::Format("switch %u", s.id));
    }
    CHECK(program.Running());
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("turning_roll_up_on_sends_its_parameters_read_after_the_write")
{
    ProgramOptions options;
    options.settings = "[rollupwnd]\r\nanimate=3\r\nhotaction=65534\r\n"
                       "[disableime]\r\nclasses=[Edit];[Notepad];\r\n";
    Program program(L"cmdrollup", options);
    LibraryView view(program.LibraryPath());
    REQUIRE(view.Loaded());
    REQUIRE(program.Start());
    CHECK_EQ(view.Block().s_feature_value.s_s_rollup_animate, 0);
    Choose(program, CmdRollUp);
    SharedBlock b = view.Snapshot();
    CHECK_EQ(b.s_feature_value.s_s_rollup_animate, 3);
    CHECK_EQ(b.s_feature_value.s_n_rollup_hotaction, -2);
    // The input-method list goes over with the switch; switching off sends an
    // empty list, which the library keeps unread behind its switch.
    Choose(program, CmdDisableIme);
    CHECK_EQ(std::wstring(view.Snapshot().s_sz_disableime_classes), std::wstring(L"[Edit];[Notepad];"));
    CHECK_EQ(view.Block().s_b_disableime, 1);
    Choose(program, CmdDisableIme);
    CHECK_EQ(view.Block().s_b_disableime, 0);
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("a_hand_edited_2_shows_checked_and_becomes_0")
{
    ScopedReportedVersion xp(L"winxp");
    TrayShell shell;
    REQUIRE(shell.Start());
    Program program(L"cmdtwo", WithSettings("[topmost]\r\nenable=2\r\n[hotkey]\r\nbabylon=2\r\n"));
    LibraryView view(program.LibraryPath());
    REQUIRE(view.Loaded());
    REQUIRE(program.Start());
    MenuView menu;
    REQUIRE(ReadTrayMenu(program, &menu));
    CHECK(menu.Command(CmdTopmost)->Checked());
    CHECK(menu.Command(CmdChord)->Checked());
    CHECK_EQ(view.Block().s_b_topmost, 2);
    Choose(program, CmdTopmost);
    Choose(program, CmdChord);
    CHECK_EQ(Setting(program, L"topmost", L"enable"), std::wstring(L"0"));
    CHECK_EQ(Setting(program, L"hotkey", L"babylon"), std::wstring(L"0"));
    CHECK_EQ(view.Block().s_b_topmost, 0);
    CHECK_EQ(view.Block().s_b_babylon, 0);
    REQUIRE(ReadTrayMenu(program, &menu));
    CHECK(!menu.Command(CmdTopmost)->Checked());
    CHECK(!menu.Command(CmdChord)->Checked());
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("a_switch_that_settings_ini_does_not_take_is_left_as_it_was_and_said_so")
{
    TrayShell shell;
    REQUIRE(shell.Start());
    Program program(L"cmdunsaved", WithSettings("[topmost]\r\nenable=0\r\n[autoscroll]\r\nmode=1\r\n"));
    LibraryView view(program.LibraryPath());
    REQUIRE(view.Loaded());
    REQUIRE(program.Start());
    const std::string before = ReadTextFile(program.SettingsPath());
    // The program runs as root here, for whom a read-only attribute stops no
    // write; a handle that shares the file for reading only does.
    HANDLE lock = CreateFileW(program.SettingsPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    REQUIRE(lock != INVALID_HANDLE_VALUE);
    const UINT commands[] = {CmdTopmost, CmdAutoScrollMode2};
    for (UINT command : commands) {
        const size_t count = shell.Notifications().size();
        Choose(program, command);
        if (!CHECK(shell.WaitForCount(count + 1, 5000)))
            MESSAGE(check::Format("command %u", command));
        else {
            const TrayNotification note = shell.Notifications().back();
            CHECK_EQ(note.title, std::wstring(L"Setting not saved"));
            CHECK(note.info.find(program.SettingsPath()) == 0);
            CHECK_EQ(note.info_flags, unsigned(NIIF_ERROR));
        }
    }
    // Nothing was applied that the next start would not do again, and the
    // menu shows what the file holds.
    CHECK_EQ(view.Block().s_b_topmost, 0);
    CHECK_EQ(view.Block().s_feature_value.s_s_scroll_mode, 1);
    MenuView menu;
    REQUIRE(ReadTrayMenu(program, &menu));
    CHECK(!menu.Command(CmdTopmost)->Checked());
    CHECK(menu.Command(CmdAutoScrollMode1)->Checked());
    CloseHandle(lock);
    CHECK_EQ(ReadTextFile(program.SettingsPath()), before);
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("auto_scroll_modes_send_the_current_distance_and_delta")
{
    Program program(L"cmdscroll", ProgramOptions{true, "[autoscroll]\r\ndistance=12\r\ndelta=50\r\n"});
    LibraryView view(program.LibraryPath());
    REQUIRE(view.Loaded());
    REQUIRE(program.Start());
    WriteTextFile(program.SettingsPath(), "[autoscroll]\r\ndistance=20\r\ndelta=60\r\n");
    Choose(program, CmdAutoScrollMode2);
    SharedBlock b = view.Snapshot();
    CHECK_EQ(b.s_feature_value.s_s_scroll_mode, 2);
    CHECK_EQ(b.s_feature_value.s_s_scroll_distance, 20);
    CHECK_EQ(b.s_feature_value.s_s_scroll_delta, 60);
    CHECK_EQ(Setting(program, L"autoscroll", L"mode"), std::wstring(L"2"));
    Choose(program, CmdAutoScrollMode1);
    CHECK_EQ(view.Block().s_feature_value.s_s_scroll_mode, 1);
    CHECK_EQ(Setting(program, L"autoscroll", L"mode"), std::wstring(L"1"));
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("hidden_cursor_and_windows_key_switches_install_and_remove_their_hooks")
{
    DebugMonitor monitor;
    REQUIRE(monitor.Active());
    Program program(L"cmdhooks");
    REQUIRE(program.Start());
    CHECK(!monitor.Contains("Hook GetMsgProc is installed!"));
    Choose(program, CmdHideCursor);
    CHECK(monitor.WaitForText("Hook GetMsgProc is installed!", 3000));
    Choose(program, CmdHideCursor);
    CHECK(monitor.WaitForText("Hook GetMsgProc is removed!", 3000));
    Choose(program, CmdSimulatedWinKey);
    CHECK(monitor.WaitForText("Hook LowLevelKeyboardProc is installed!", 3000));
    Choose(program, CmdSimulatedWinKey);
    CHECK(monitor.WaitForText("Hook LowLevelKeyboardProc is removed!", 3000));
    CHECK_EQ(monitor.Count("Hook GetMsgProc is installed!"), size_t(1));
    CHECK_EQ(monitor.Count("Hook LowLevelKeyboardProc is installed!"), size_t(1));

    // A hand edit behind the program's back never doubles a hook.
    Choose(program, CmdHideCursor);  // on
    WriteTextFile(program.SettingsPath(), "[hidecursor]\r\nenable=0\r\n");
    Choose(program, CmdHideCursor);  // reads off: turns on again, the hook is already there
    CHECK_EQ(monitor.Count("Hook GetMsgProc is installed!"), size_t(2));
    CHECK_EQ(program.Close(), 0);
    CHECK(monitor.WaitForText("Hook library is unloaded!", 3000));
    CHECK_EQ(monitor.Count("Hook GetMsgProc is removed!"), size_t(2));
}

TEST_CASE("the_notify_icon_switch_reads_the_list_again_from_the_file")
{
    constexpr wchar_t kNotifyList[] = L"OSTRILIX_NOFITYICON_LIST";
    Program program(L"cmdnotify", WithSettings("[notifyicon]\r\nenable=1\r\nlist=C:\\A\\first.exe, One\r\n"));
    LibraryView view(program.LibraryPath());
    REQUIRE(view.Loaded());
    REQUIRE(program.Start());
    CHECK_EQ(LibraryView::MappedList(kNotifyList), std::wstring(L"C:\\A\\first.exe, One"));
    Choose(program, CmdNotifyIcon);
    CHECK_EQ(view.Block().s_b_notifyicon, 0);
    bool exists = true;
    LibraryView::MappedList(kNotifyList, &exists);
    CHECK(!exists);
    WritePrivateProfileStringW(L"notifyicon", L"list", L"C:\\B\\second.exe, Two",
                               program.SettingsPath().c_str());
    Choose(program, CmdNotifyIcon);
    CHECK_EQ(view.Block().s_b_notifyicon, 1);
    CHECK_EQ(LibraryView::MappedList(kNotifyList), std::wstring(L"C:\\B\\second.exe, Two"));
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("run_at_start_writes_and_deletes_the_run_value_with_the_quoted_full_path")
{
    ScopedReportedVersion xp(L"winxp");
    constexpr wchar_t kRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kRun, L"quornvale.exe");
    TrayShell shell;
    REQUIRE(shell.Start());
    Program program(L"cmdrun");
    REQUIRE(program.Start());
    Choose(program, CmdRunAtStart);
    wchar_t data[300] = {};
    DWORD bytes = sizeof(data), type = 0;
    LONG r = RegGetValueW(HKEY_CURRENT_USER, kRun, L"quornvale.exe", RRF_RT_ANY, &type, data, &bytes);
    CHECK_EQ(r, LONG(ERROR_SUCCESS));
    CHECK_EQ(type, DWORD(REG_SZ));
    // In double quotes: a path with blanks names this program and no other.
    const std::wstring quoted = L"\"" + program.ExePath() + L"\"";
    CHECK_EQ(lstrcmpiW(data, quoted.c_str()), 0);
    CHECK_EQ(bytes, DWORD((quoted.size() + 1) * sizeof(wchar_t)));
    MenuView menu;
    REQUIRE(ReadTrayMenu(program, &menu));
    CHECK(menu.Command(CmdRunAtStart)->Checked());

    Choose(program, CmdRunAtStart);
    bytes = sizeof(data);
    CHECK_EQ(RegGetValueW(HKEY_CURRENT_USER, kRun, L"quornvale.exe", RRF_RT_ANY, nullptr, data, &bytes),
             LONG(ERROR_FILE_NOT_FOUND));
    REQUIRE(ReadTrayMenu(program, &menu));
    CHECK(!menu.Command(CmdRunAtStart)->Checked());
    CHECK_EQ(program.Close(), 0);
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kRun, L"quornvale.exe");
}

TEST_CASE("icon_only_taskbar_switches_the_toolbar_style_and_shows_checked")
{
    ScopedReportedVersion xp(L"winxp");
    Helper taskbar;
    REQUIRE(taskbar.Start(L"taskbar_double_gui.exe", L""));
    HWND tray = nullptr;
    REQUIRE(WaitFor([&] { return (tray = FindProcessWindow(taskbar.ProcessId(), L"Shell_TrayWnd")) != nullptr; },
                    10000));
    HWND toolbar = nullptr;
    // Ready when the program's own lookup finds this double's toolbar: an
    // earlier double may still be going away.
    REQUIRE(WaitFor([&] { return (toolbar = FindTaskbarToolbarOf(tray)) && FindTaskbarToolbar() == toolbar; },
                    10000));
    Program program(L"cmdicons");
    REQUIRE(program.Start());
    // The shell is asked by a worker: the style follows the command shortly.
    const auto mixed = [&] {
        return (SendMessageW(toolbar, TB_GETEXTENDEDSTYLE, 0, 0) & TBSTYLE_EX_MIXEDBUTTONS) != 0;
    };
    Choose(program, CmdIconOnlyTaskbar);
    CHECK_EQ(Setting(program, L"icontaskbar", L"enable"), std::wstring(L"1"));
    CHECK(WaitFor(mixed, 3000));
    wchar_t title[32] = {};
    CHECK(WaitFor([&] { GetWindowTextW(tray, title, 32); return lstrcmpW(title, L"commands=2") == 0; }, 3000));
    // The menu entry shows the toolbar's state (read from the toolbar, as the
    // taskbar double is found first).  Opening the menu needs no tray icon.
    MenuView menu;
    REQUIRE(ReadTrayMenu(program, &menu));
    CHECK(menu.Command(CmdIconOnlyTaskbar)->Checked());
    Choose(program, CmdIconOnlyTaskbar);
    CHECK_EQ(Setting(program, L"icontaskbar", L"enable"), std::wstring(L"0"));
    CHECK(WaitFor([&] { return !mixed(); }, 3000));
    // Switched on and off again while the shell is slow to answer the first
    // ask: the last choice holds.
    REQUIRE(HangThreadOf(tray, 400));
    Choose(program, CmdIconOnlyTaskbar);
    Choose(program, CmdIconOnlyTaskbar);
    CHECK_EQ(Setting(program, L"icontaskbar", L"enable"), std::wstring(L"0"));
    PumpFor(1000);
    CHECK(!mixed());
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("without_the_library_the_switches_still_write_their_settings")
{
    ProgramOptions options;
    options.with_library = false;
    options.wait_for_window = false;
    Program program(L"cmdnolib", options);
    REQUIRE(program.Start());
    HWND box = nullptr;
    REQUIRE(WaitFor([&] { return (box = FindDialog(program.ProcessId(), L"Error")) != nullptr; }, 15000));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    HWND main = nullptr;
    REQUIRE(WaitFor([&] { return (main = FindProcessWindow(program.ProcessId(), L"QUORNVALE")) != nullptr
                                 && !FindDialog(program.ProcessId(), L"Error"); }, 5000));
    for (UINT id : {CmdRollUp, CmdHideCursor, CmdSimulatedWinKey, CmdNotifyIcon, CmdAutoScrollMode2}) {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(main, WM_COMMAND, id, 0, SMTO_NORMAL, 5000, &result);
    }
    CHECK_EQ(Setting(program, L"rollupwnd", L"enable"), std::wstring(L"1"));
    CHECK_EQ(Setting(program, L"hidecursor", L"enable"), std::wstring(L"1"));
    CHECK_EQ(Setting(program, L"simwinkey", L"enable"), std::wstring(L"1"));
    CHECK_EQ(Setting(program, L"notifyicon", L"enable"), std::wstring(L"1"));
    CHECK_EQ(Setting(program, L"autoscroll", L"mode"), std::wstring(L"2"));
    CHECK(program.Running());
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("connect_at_start_is_written_as_the_opposite_of_the_feature_state")
{
    Program program(L"cmdatstart", ProgramOptions{true, "[netaccounts]\r\ncount=0\r\natstart=1\r\n"});
    REQUIRE(program.Start());
    Choose(program, CmdConnectAtStart);  // count 0: the feature is off, so "atstart" becomes 1
    CHECK_EQ(Setting(program, L"netaccounts", L"atstart"), std::wstring(L"1"));
    WritePrivateProfileStringW(L"netaccounts", L"count", L"2", program.SettingsPath().c_str());
    Choose(program, CmdConnectAtStart);
    CHECK_EQ(Setting(program, L"netaccounts", L"atstart"), std::wstring(L"0"));
    Choose(program, CmdConnectAtStart);
    CHECK_EQ(Setting(program, L"netaccounts", L"atstart"), std::wstring(L"1"));
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("the_desktop_caption_switch_writes_transp")
{
    Program program(L"cmdtransp", ProgramOptions{true, "[bkcolor]\r\ntransp=2\r\n"});
    REQUIRE(program.Start());
    Choose(program, CmdDesktopCaptions);
    CHECK_EQ(Setting(program, L"bkcolor", L"transp"), std::wstring(L"0"));
    Choose(program, CmdDesktopCaptions);
    CHECK_EQ(Setting(program, L"bkcolor", L"transp"), std::wstring(L"1"));
    CHECK_EQ(program.Close(), 0);
}

namespace {
struct FindNotepad {
    std::wstring file;
    HWND found;
};

BOOL CALLBACK FindNotepadProc(HWND wnd, LPARAM param)
{
    auto* find = reinterpret_cast<FindNotepad*>(param);
    wchar_t cls[32] = {}, title[256] = {};
    GetClassNameW(wnd, cls, 32);
    GetWindowTextW(wnd, title, 256);
    if (lstrcmpiW(cls, L"Notepad") == 0 && std::wstring(title).find(find->file) == 0) {
        find->found = wnd;
        return FALSE;
    }
    return TRUE;
}

// The program opens files with the shell's "open" verb; under Wine a text
// file opens in Notepad, whose title starts with the file name.  The window
// is closed again.
bool OpensInNotepad(const Program& program, UINT command, const std::wstring& file)
{
    Choose(program, command);
    FindNotepad find = {file, nullptr};
    bool opened = WaitFor([&] {
        EnumWindows(FindNotepadProc, reinterpret_cast<LPARAM>(&find));
        return find.found != nullptr;
    }, 15000);
    if (opened) {
        PostMessageW(find.found, WM_CLOSE, 0, 0);
        WaitFor([&] { return !IsWindow(find.found); }, 5000);
    }
    return opened;
}
}  // namespace

TEST_CASE("help_opens_the_languages_help_file_or_readme_en_and_settings_opens_settings_ini")
{
    ProgramOptions options;
    options.settings = "[language]\r\nfilepath=language\\Alpha.ini\r\n";
    options.files = {{L"language\\Alpha.ini", TestLanguage("Alpha", {{"help_file/file", "hilfe.txt"}})},
                     {L"language\\Beta.ini", TestLanguage("Beta", {{"help_file/file", "missing.txt"}})},
                     {L"hilfe.txt", "Hilfe\r\n"},
                     {L"readme_en.txt", "Help\r\n"}};
    // The test prefix knows no ".txt" type (Windows does): lend it one.  Wine
    // looks file types up in HKEY_CLASSES_ROOT only.
    bool lent = RegGetValueW(HKEY_CLASSES_ROOT, L".txt", nullptr, RRF_RT_ANY, nullptr, nullptr,
                             nullptr) != ERROR_SUCCESS;
    if (lent)
        RegSetKeyValueW(HKEY_CLASSES_ROOT, L".txt", nullptr, REG_SZ, L"txtfile", 16);
    Program program(L"cmdhelp", options);
    REQUIRE(program.Start());
    CHECK(OpensInNotepad(program, 129, L"hilfe.txt"));
    WritePrivateProfileStringW(L"language", L"filepath", L"language\\Beta.ini",
                               program.SettingsPath().c_str());
    CHECK(OpensInNotepad(program, 129, L"readme_en.txt"));
    CHECK(OpensInNotepad(program, 130, L"settings.ini"));
    CHECK_EQ(program.Close(), 0);
    if (lent)
        RegDeleteKeyW(HKEY_CLASSES_ROOT, L".txt");
}

TEST_CASE("help_opens_only_documents_and_says_why_it_cannot_open_one")
{
    TrayShell shell;
    REQUIRE(shell.Start());
    ProgramOptions options;
    options.settings = "[language]\r\nfilepath=language\\Alpha.ini\r\n";
    // A help entry that names a program: it would leave ran.txt behind.
    options.files = {{L"language\\Alpha.ini", TestLanguage("Alpha", {{"help_file/file", "tool.bat"}})},
                     {L"tool.bat", "echo ran > ran.txt\r\n"},
                     {L"hilfe.qvdoc", "Hilfe\r\n"},
                     {L"README", "Help\r\n"}};
    Program program(L"cmdhelpno", options);
    REQUIRE(program.Start());
    REQUIRE(shell.WaitForCount(1, 10000));

    struct Row {
        const wchar_t* help_file;
        const wchar_t* reason;  // the start of the balloon's text
    };
    const Row rows[] = {
        {L"tool.bat", L"The help file "},
        {L"README", L"The help file "},  // no type at all
        // Named but missing: readme_en.txt instead, which is missing too.
        {L"missing.txt", L"The help file "},
        {L"hilfe.qvdoc", L"No program is set to open the help file "},
    };
    const wchar_t* endings[] = {L"tool.bat is not opened: it is not a document (programs are never opened as help).",
                                L"README is not opened: it is not a document (programs are never opened as help).",
                                L"readme_en.txt is missing.", L"hilfe.qvdoc."};
    const std::wstring language = JoinPath(program.Dir(), L"language\\Alpha.ini");
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        const Row& row = rows[i];
        MESSAGE(check::Narrow(row.help_file));
        WritePrivateProfileStringW(L"help_file", L"file", row.help_file, language.c_str());
        const size_t before = shell.Notifications().size();
        Choose(program, CmdHelpFile);
        if (!CHECK(shell.WaitForCount(before + 1, 10000)))
            continue;
        const TrayNotification last = shell.Notifications().back();
        CHECK((last.flags & NIF_INFO) && last.info_flags == NIIF_ERROR);
        CHECK_EQ(last.title, std::wstring(L"Help"));
        const std::wstring ending = endings[i];
        const bool says_why = last.info.find(row.reason) == 0 && last.info.size() > ending.size() &&
                              last.info.compare(last.info.size() - ending.size(), ending.size(), ending) == 0;
        CHECK_MESSAGE(says_why, check::Narrow(last.info));
    }
    // The program named as help never ran.
    CHECK(!WaitFor([&] { return FileExists(JoinPath(program.Dir(), L"ran.txt")); }, 2000));
    CHECK_EQ(program.Close(), 0);
}
