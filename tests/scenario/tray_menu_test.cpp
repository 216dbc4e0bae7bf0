// The real tray menu, read inside the running program: its entries, ids,
// texts, hotkeys, check marks and grey states for the settings, languages
// and Windows versions that shape it.
#include <set>

#include "quornvale/shell/command_ids.h"
#include "tests/framework/check.h"
#include "tests/scenario/support/harness.h"
#include "tests/scenario/support/library_view.h"
#include "tests/scenario/support/net_double.h"
#include "tests/scenario/support/tray_view.h"

using namespace scenario;

namespace {
const std::set<UINT> kSeparators = {CmdRootSeparator1, CmdRootSeparator2, CmdRootSeparator3,
                                    CmdRootSeparator4, CmdRootSeparator5, CmdSystemSeparator,
                                    CmdHelpSeparator, CmdFeaturesSeparator1, CmdFeaturesSeparator2,
                                    CmdFeaturesSeparator3};
const std::set<UINT> kSubmenus = {CmdAccountsMenu, CmdFeaturesMenu, CmdSystemMenu, CmdLanguagesMenu,
                                  CmdHelpMenu};

std::wstring W(const std::string& s) { return std::wstring(s.begin(), s.end()); }

// The test language's text of an entry: "PREFIX ID".
std::wstring Label(const std::string& prefix, UINT id) { return W(prefix + " " + std::to_string(id)); }

// Checks a menu level against the ids it must hold, in order, with the texts
// of the test language "PREFIX ID".
void ExpectEntries(const std::vector<MenuItemView>& got, const std::vector<UINT>& ids,
                   const std::string& prefix)
{
    if (!CHECK_EQ(got.size(), ids.size()))
        return;
    for (size_t i = 0; i < ids.size(); ++i) {
        UINT id = ids[i];
        if (kSeparators.count(id)) {
            CHECK(got[i].Separator());
            continue;
        }
        CHECK(!got[i].Separator());
        // The language's text exactly; no hotkey column without hotkeys.
        CHECK_EQ(got[i].Label(), W(prefix + " " + std::to_string(id)));
        CHECK_EQ(got[i].Accelerator(), std::wstring());
        if (kSubmenus.count(id) && got[i].depth == 0)
            CHECK(got[i].submenu);
        else
            CHECK_EQ(got[i].id, id);
    }
}

std::vector<UINT> Range(UINT first, UINT last, UINT skipped = 0)
{
    std::vector<UINT> ids;
    for (UINT id = first; id <= last; ++id)
        if (id != skipped)
            ids.push_back(id);
    return ids;
}

// A program with the test language "Alpha" as its current language.
ProgramOptions WithAlpha(const char* settings)
{
    ProgramOptions options;
    options.settings = settings;
    options.files = {{L"language\\Alpha.ini", TestLanguage("Alpha")}};
    return options;
}

constexpr char kAlphaOnly[] = "[language]\r\nfilepath=language\\Alpha.ini\r\n";
}  // namespace

TEST_CASE("without_accounts_the_root_holds_ids_3_to_16_with_their_submenus")
{
    ScopedReportedVersion xp(L"winxp");
    TrayShell shell;
    REQUIRE(shell.Start());
    Program program(L"menuroot", WithAlpha(kAlphaOnly));
    REQUIRE(program.Start());
    MenuView menu;
    REQUIRE(ReadTrayMenu(program, &menu));
    std::vector<MenuItemView> root = menu.Root();
    CHECK_EQ(root.size(), size_t(14));
    ExpectEntries(root, Range(CmdRootFirstWithoutAccounts, CmdRootLast), "Alpha");
    ExpectEntries(menu.SubmenuNamed(Label("Alpha", CmdFeaturesMenu)),
                  Range(CmdFeaturesFirst, CmdFeaturesLast, CmdDesktopCaptions), "Alpha");  // 19 entries
    ExpectEntries(menu.SubmenuNamed(Label("Alpha", CmdSystemMenu)), Range(CmdSystemFirst, CmdSystemLast),
                  "Alpha");
    ExpectEntries(menu.SubmenuNamed(Label("Alpha", CmdHelpMenu)), Range(CmdHelpFirst, CmdHelpLast),
                  "Alpha");
    // The languages submenu: the one file of the language directory, checked.
    std::vector<MenuItemView> languages = menu.SubmenuNamed(Label("Alpha", CmdLanguagesMenu));
    REQUIRE_EQ(languages.size(), size_t(1));
    CHECK_EQ(languages[0].text, std::wstring(L"Alpha"));
    CHECK_EQ(languages[0].id, UINT(CmdFirstLanguage));
    CHECK(languages[0].Checked());
    for (UINT id = CmdConnectionFirst; id <= CmdConnectionLast; ++id)
        CHECK(menu.Command(id) == nullptr);
    // With no settings at all every switch is unchecked; auto-scroll mode 1.
    for (UINT id : {CmdRunAtStart, CmdIconOnlyTaskbar, CmdRollUp, CmdAutoClose, CmdChord,
                    CmdSimulatedWinKey, CmdMiddleButton, CmdTransparency, CmdNotifyIcon, CmdTopmost,
                    CmdHideCursor, CmdDisableIme, CmdSnapshotIntoFile, CmdSnapshotWatermark,
                    CmdAutoScrollMode2, CmdWindowInfo})
        if (const MenuItemView* item = menu.Command(id))
            CHECK(!item->Checked());
    CHECK(menu.Command(CmdAutoScrollMode1)->Checked());
    CHECK(menu.Command(CmdSnapshotWatermark)->Grayed());
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("windows_7_leaves_out_the_icon_only_taskbar_entry")
{
    ScopedReportedVersion win7(L"win7");
    TrayShell shell;
    REQUIRE(shell.Start());
    Program program(L"menuwin7", WithAlpha(kAlphaOnly));
    REQUIRE(program.Start());
    MenuView menu;
    REQUIRE(ReadTrayMenu(program, &menu));
    CHECK_EQ(menu.Root().size(), size_t(13));
    std::vector<UINT> ids = Range(CmdRootFirstWithoutAccounts, CmdRootLast, CmdIconOnlyTaskbar);
    ExpectEntries(menu.Root(), ids, "Alpha");
    CHECK(menu.Command(CmdIconOnlyTaskbar) == nullptr);
    CHECK_EQ(menu.SubmenuNamed(Label("Alpha", CmdFeaturesMenu)).size(), size_t(19));
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("windows_2000_adds_the_desktop_caption_entry")
{
    ScopedReportedVersion w2k(L"win2k");
    TrayShell shell;
    REQUIRE(shell.Start());
    Program program(L"menuw2k", WithAlpha("[language]\r\nfilepath=language\\Alpha.ini\r\n"
                                          "[bkcolor]\r\ntransp=1\r\n"));
    REQUIRE(program.Start());
    MenuView menu;
    REQUIRE(ReadTrayMenu(program, &menu));
    ExpectEntries(menu.SubmenuNamed(Label("Alpha", CmdFeaturesMenu)),
                  Range(CmdFeaturesFirst, CmdFeaturesLast), "Alpha");
    REQUIRE(menu.Command(CmdDesktopCaptions) != nullptr);
    CHECK(menu.Command(CmdDesktopCaptions)->Checked());
    CHECK(menu.Command(CmdIconOnlyTaskbar) != nullptr);
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("check_marks_and_grey_states_follow_the_settings")
{
    ScopedReportedVersion xp(L"winxp");
    TrayShell shell;
    REQUIRE(shell.Start());
    // Hand-edited "2" counts as on; "intofile" off greys the watermark.
    Program off(L"menustates", WithAlpha("[language]\r\nfilepath=language\\Alpha.ini\r\n"
                                         "[snapshot]\r\nintofile=0\r\nwatermark_enable=1\r\n"
                                         "[autoscroll]\r\nmode=2\r\n"
                                         "[hotkey]\r\nbabylon=2\r\n[topmost]\r\nenable=2\r\n"
                                         "[rollupwnd]\r\nenable=1\r\n[information]\r\nenable=1\r\n"
                                         "[autoclose]\r\nenable=1\r\n[mbutton]\r\ncode=1\r\n"
                                         "[disableime]\r\nenable=1\r\n[transparent]\r\nenable=1\r\n"));
    REQUIRE(off.Start());
    MenuView menu;
    REQUIRE(ReadTrayMenu(off, &menu));
    CHECK(!menu.Command(CmdSnapshotIntoFile)->Checked());
    CHECK(menu.Command(CmdSnapshotWatermark)->Grayed());
    CHECK(!menu.Command(CmdSnapshotWatermark)->Checked());
    CHECK(menu.Command(CmdAutoScrollMode2)->Checked());
    CHECK(!menu.Command(CmdAutoScrollMode1)->Checked());
    for (UINT id : {CmdRollUp, CmdAutoClose, CmdChord, CmdMiddleButton, CmdTransparency, CmdTopmost,
                    CmdDisableIme, CmdWindowInfo})
        CHECK(menu.Command(id)->Checked());
    for (UINT id : {CmdSimulatedWinKey, CmdNotifyIcon, CmdHideCursor, CmdDocking})
        CHECK(!menu.Command(id)->Checked());

    // Hand edits show at the next opening: the menu reads everything again.
    WriteTextFile(off.SettingsPath(), "[language]\r\nfilepath=language\\Alpha.ini\r\n"
                                      "[snapshot]\r\nintofile=1\r\nwatermark_enable=1\r\n"
                                      "[autoscroll]\r\nmode=1\r\n[simwinkey]\r\nenable=1\r\n");
    REQUIRE(ReadTrayMenu(off, &menu));
    CHECK(menu.Command(CmdSnapshotIntoFile)->Checked());
    CHECK(!menu.Command(CmdSnapshotWatermark)->Grayed());
    CHECK(menu.Command(CmdSnapshotWatermark)->Checked());
    CHECK(menu.Command(CmdAutoScrollMode1)->Checked());
    CHECK(!menu.Command(CmdAutoScrollMode2)->Checked());
    CHECK(menu.Command(CmdSimulatedWinKey)->Checked());
    CHECK(!menu.Command(CmdTopmost)->Checked());
    CHECK_EQ(off.Close(), 0);
}

TEST_CASE("entries_show_the_hotkey_their_function_holds_and_follow_its_change")
{
    ScopedReportedVersion xp(L"winxp");
    // A combination this test holds is refused to the program: no column.
    REQUIRE(RegisterHotKey(nullptr, 0x7001, MOD_CONTROL | MOD_SHIFT, 'E'));
    TrayShell shell;
    REQUIRE(shell.Start());
    DebugMonitor monitor;
    REQUIRE(monitor.Active());
    const char* const settings[] = {
        "[language]\r\nfilepath=language\\Alpha.ini\r\n"
        "[turnoffmonitor]\r\nhotkey=ctrl+alt+m\r\n[hibernate]\r\nhotkey=ctrl+shift+e\r\n"
        "[snapshot]\r\nhotkey=shift+alt+up\r\n[notifyicon]\r\nhotkey=ctrl+alt+h\r\n",
        // Changed by hand while the program runs.
        "[language]\r\nfilepath=language\\Alpha.ini\r\n"
        "[turnoffmonitor]\r\nhotkey=\r\n[hibernate]\r\nhotkey=ctrl+alt+k\r\n"
        "[snapshot]\r\nhotkey=ALT+CTRL+j\r\n[notifyicon]\r\nhotkey=ctrl+alt+h\r\n",
    };
    struct Row {
        UINT id;
        const wchar_t* shown[2];  // with each settings text
    };
    const Row rows[] = {
        {CmdTurnOffMonitor, {L"Ctrl+Alt+M", L""}},
        {CmdHibernate, {L"", L"Ctrl+Alt+K"}},
        {CmdSnapshot, {L"Alt+Shift+Up", L"Ctrl+Alt+J"}},
        // Its hotkey minimises the window under the cursor: another function.
        {CmdNotifyIcon, {L"", L""}},
        {CmdLockWorkstation, {L"", L""}},
    };
    Program program(L"menuhotkeys", WithAlpha(settings[0]));
    REQUIRE(program.Start());
    for (int step = 0; step < 2; ++step) {
        if (step == 1) {
            monitor.Clear();
            REQUIRE(WriteTextFile(program.SettingsPath(), settings[1]));
            REQUIRE(monitor.WaitForText("Settings file changed", 10000));
        }
        MenuView menu;
        REQUIRE(ReadTrayMenu(program, &menu));
        for (const Row& row : rows) {
            const MenuItemView* item = menu.Command(row.id);
            if (!CHECK(item != nullptr))
                continue;
            CHECK_EQ(item->Label(), Label("Alpha", row.id));
            if (!CHECK_EQ(item->Accelerator(), std::wstring(row.shown[step])))
                MESSAGE(check::Format("step %d, entry %u", step, row.id));
        }
    }
    UnregisterHotKey(nullptr, 0x7001);
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("docking_is_grey_when_full_window_dragging_cannot_be_had")
{
    ScopedReportedVersion xp(L"winxp");
    SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, FALSE, nullptr, 0);
    TrayShell shell;
    REQUIRE(shell.Start());
    Program program(L"menudock", WithAlpha("[language]\r\nfilepath=language\\Alpha.ini\r\n"
                                           "[dockwindow]\r\nenable=1\r\ndragfullwindow=0\r\n"));
    REQUIRE(program.Start());
    MenuView menu;
    REQUIRE(ReadTrayMenu(program, &menu));
    CHECK(menu.Command(CmdDocking)->Grayed());
    CHECK(menu.Command(CmdDocking)->Checked());
    // Allowing the program to switch dragging on makes the entry available.
    WriteTextFile(program.SettingsPath(), "[language]\r\nfilepath=language\\Alpha.ini\r\n"
                                          "[dockwindow]\r\nenable=0\r\ndragfullwindow=1\r\n");
    REQUIRE(ReadTrayMenu(program, &menu));
    CHECK(!menu.Command(CmdDocking)->Grayed());
    CHECK(!menu.Command(CmdDocking)->Checked());
    CHECK_EQ(program.Close(), 0);
    SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, TRUE, nullptr, 0);
}

TEST_CASE("separators_come_from_dash_texts_and_missing_texts_show_the_id")
{
    ScopedReportedVersion xp(L"winxp");
    TrayShell shell;
    REQUIRE(shell.Start());
    ProgramOptions options;
    options.settings = kAlphaOnly;
    options.files = {{L"language\\Alpha.ini",
                      TestLanguage("Alpha", {{"sysfunc/97", "-Hibernate"}, {"sysfunc/99", ""},
                                             {"features/263", ""}, {"root/14", ""}})}};
    Program program(L"menudash", options);
    REQUIRE(program.Start());
    MenuView menu;
    REQUIRE(ReadTrayMenu(program, &menu));
    std::vector<MenuItemView> system = menu.SubmenuNamed(Label("Alpha", CmdSystemMenu));
    REQUIRE_EQ(system.size(), size_t(4));
    CHECK_EQ(system[0].text, Label("Alpha", CmdLockWorkstation));
    CHECK(system[1].Separator());  // "-Hibernate"
    CHECK(system[2].Separator());  // "-" for 98
    CHECK_EQ(system[3].text, std::to_wstring(CmdTurnOffMonitor));
    CHECK_EQ(system[3].id, UINT(CmdTurnOffMonitor));
    CHECK_EQ(menu.Command(CmdTopmost)->text, std::to_wstring(CmdTopmost));
    // A submenu entry without a text still holds its submenu.
    CHECK_EQ(menu.SubmenuNamed(std::to_wstring(CmdHelpMenu)).size(), size_t(CmdHelpLast - CmdHelpFirst + 1));
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("accounts_add_the_connection_submenu_with_its_check_marks")
{
    ScopedReportedVersion xp(L"winxp");
    // "atstart" connects every account at start, and a connection that ran
    // writes its "state": without net.exe none runs, so the check marks show
    // the states as written here, whenever the menu is read.
    NetDouble net("", false);
    REQUIRE(net.Ready());
    TrayShell shell;
    REQUIRE(shell.Start());
    Program program(L"menuaccounts",
                    WithAlpha("[language]\r\nfilepath=language\\Alpha.ini\r\n"
                              "[netaccounts]\r\ncount=3\r\natstart=1\r\n"
                              "[0]\r\nremote=host-a\r\nstate=1\r\n"
                              "[1]\r\nremote=host-b\r\nstate=0\r\n"
                              "[2]\r\nremote=a-remote-name-longer-than-thirty-one\r\nstate=1\r\n"
                              "[3]\r\nremote=left-over\r\nstate=1\r\n"));
    REQUIRE(program.Start());
    // The connections at start were tried.
    CHECK(WaitFor([&] {
        for (const TrayNotification& n : shell.Notifications())
            if (n.info.find(L"could not be started") != std::wstring::npos)
                return true;
        return false;
    }, 10000));
    MenuView menu;
    REQUIRE(ReadTrayMenu(program, &menu));
    std::vector<MenuItemView> root = menu.Root();
    CHECK_EQ(root.size(), size_t(16));
    ExpectEntries(root, Range(CmdRootFirst, CmdRootLast), "Alpha");
    std::vector<MenuItemView> accounts = menu.Submenu(0);
    REQUIRE_EQ(accounts.size(), size_t(6));
    CHECK_EQ(accounts[0].id, UINT(CmdConnectAll));
    CHECK_EQ(accounts[0].text, Label("Alpha", CmdConnectAll));
    CHECK_EQ(accounts[1].id, UINT(CmdConnectAtStart));
    CHECK(accounts[1].Checked());
    CHECK(accounts[2].Separator());
    CHECK_EQ(accounts[3].id, UINT(CmdFirstAccount));
    CHECK_EQ(accounts[3].text, std::wstring(L"host-a"));
    CHECK(accounts[3].Checked());  // the first account, though the separator shares its id
    CHECK_EQ(accounts[4].id, UINT(CmdFirstAccount + 1));
    CHECK(!accounts[4].Checked());
    CHECK_EQ(accounts[5].text, std::wstring(L"a-remote-name-longer-than-thirt"));
    CHECK(accounts[5].Checked());
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("choosing_the_second_language_rewrites_filepath_and_the_next_menu_uses_it")
{
    ScopedReportedVersion xp(L"winxp");
    TrayShell shell;
    REQUIRE(shell.Start());
    ProgramOptions options;
    options.settings = kAlphaOnly;
    options.files = {{L"language\\Alpha.ini", TestLanguage("Alpha")},
                     {L"language\\Beta.ini", TestLanguage("Beta")}};
    Program program(L"menulang", options);
    REQUIRE(program.Start());
    MenuView menu;
    REQUIRE(ReadTrayMenu(program, &menu));
    std::vector<MenuItemView> languages = menu.SubmenuNamed(Label("Alpha", CmdLanguagesMenu));
    REQUIRE_EQ(languages.size(), size_t(2));
    // Ids in directory-search order; which file comes first is the file system's.
    CHECK_EQ(languages[0].id, UINT(CmdFirstLanguage));
    CHECK_EQ(languages[1].id, UINT(CmdFirstLanguage + 1));
    std::set<std::wstring> names = {languages[0].text, languages[1].text};
    CHECK((names == std::set<std::wstring>{L"Alpha", L"Beta"}));
    const std::wstring second = languages[1].text;
    const std::wstring first = languages[0].text;
    CHECK_EQ(languages[0].Checked(), first == L"Alpha");
    CHECK_EQ(languages[1].Checked(), second == L"Alpha");

    PostMessageW(program.MainWindow(), WM_COMMAND, CmdFirstLanguage + 1, 0);
    std::string expected = "filepath=language\\" + std::string(second.begin(), second.end()) + ".ini";
    CHECK(WaitFor([&] { return ReadTextFile(program.SettingsPath()).find(expected) != std::string::npos; },
                  5000));
    REQUIRE(ReadTrayMenu(program, &menu));
    const std::string prefix(second.begin(), second.end());
    ExpectEntries(menu.Root(), Range(CmdRootFirstWithoutAccounts, CmdRootLast), prefix);
    languages = menu.SubmenuNamed(Label(prefix, CmdLanguagesMenu));
    REQUIRE_EQ(languages.size(), size_t(2));
    CHECK(!languages[0].Checked());
    CHECK(languages[1].Checked());

    // An id that is no language changes nothing.
    DWORD_PTR done = 0;
    SendMessageTimeoutW(program.MainWindow(), WM_COMMAND, CmdFirstLanguage + 2, 0, SMTO_NORMAL, 5000, &done);
    CHECK(ReadTextFile(program.SettingsPath()).find(expected) != std::string::npos);
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("a_bare_language_file_name_lies_beside_the_program")
{
    ScopedReportedVersion xp(L"winxp");
    TrayShell shell;
    REQUIRE(shell.Start());
    ProgramOptions options;
    options.settings = "[language]\r\nfilepath=Gamma.ini\r\n";
    options.files = {{L"Gamma.ini", TestLanguage("Gamma")}};
    Program program(L"menubare", options);
    REQUIRE(program.Start());
    MenuView menu;
    REQUIRE(ReadTrayMenu(program, &menu));
    ExpectEntries(menu.Root(), Range(CmdRootFirstWithoutAccounts, CmdRootLast), "Gamma");
    // The program directory is the language directory: settings.ini is listed too.
    std::vector<MenuItemView> languages = menu.SubmenuNamed(Label("Gamma", CmdLanguagesMenu));
    REQUIRE_EQ(languages.size(), size_t(2));
    size_t settings = languages[0].text == L"settings" ? 0 : 1;
    CHECK_EQ(languages[settings].text, std::wstring(L"settings"));
    CHECK_EQ(languages[1 - settings].text, std::wstring(L"Gamma"));
    CHECK(languages[1 - settings].Checked());
    CHECK(!languages[settings].Checked());
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("an_empty_language_setting_gives_id_texts_and_no_languages")
{
    ScopedReportedVersion xp(L"winxp");
    TrayShell shell;
    REQUIRE(shell.Start());
    for (const char* settings : {"[language]\r\nfilepath=\r\n", "[language]\r\nfilepath=language\\Missing.ini\r\n"}) {
        Program program(L"menunolang", WithSettings(settings));
        REQUIRE(program.Start());
        MenuView menu;
        REQUIRE(ReadTrayMenu(program, &menu));
        std::vector<MenuItemView> root = menu.Root();
        REQUIRE_EQ(root.size(), size_t(14));
        // No separators without texts: every entry shows its id.
        for (size_t i = 0; i < root.size(); ++i)
            CHECK_EQ(root[i].text, std::to_wstring(CmdRootFirstWithoutAccounts + i));
        CHECK(menu.SubmenuNamed(std::to_wstring(CmdLanguagesMenu)).empty());
        // Choosing the first language id writes nothing.
        DWORD_PTR done = 0;
        SendMessageTimeoutW(program.MainWindow(), WM_COMMAND, CmdFirstLanguage, 0, SMTO_NORMAL, 5000, &done);
        CHECK_EQ(ReadTextFile(program.SettingsPath()), std::string(settings));
        CHECK(program.Running());
        CHECK_EQ(program.Close(), 0);
    }
}
