// The decisions behind the tray menu and the language texts: language names
// and their comparison, the language path rules, menu entry kinds, the check
// and grey rules, and the language file reads behind them.
#include <windows.h>

#include <string>

#include "quornvale/shell/command_ids.h"
#include "quornvale/shell/language.h"
#include "quornvale/shell/menu_commands.h"
#include "quornvale/shell/settings.h"
#include "quornvale/shell/shell_retry.h"
#include "quornvale/shell/tray_menu.h"
#include "quornvale/tools/hotkeys.h"
#include "tests/framework/check.h"
#include "tests/scenario/support/harness.h"

using scenario::JoinPath;
using scenario::MakeTempDir;
using scenario::WriteTextFile;

namespace {
std::wstring Resolve(const wchar_t* value, const wchar_t* program_dir = L"C:\\prog\\")
{
    wchar_t out[MAX_PATH] = L"untouched";
    if (!ResolveLanguageFile(value, program_dir, out, MAX_PATH))
        return std::wstring(L"<none>") + out;
    return out;
}

std::wstring Owned(wchar_t* text)
{
    std::wstring copy = text ? text : L"<null>";
    delete[] text;
    return copy;
}

// A settings file naming a language file, both in a fresh directory.
struct LanguageFixture {
    std::wstring dir = MakeTempDir(L"unitlang");
    std::wstring settings = JoinPath(dir, L"settings.ini");
    std::wstring language = JoinPath(dir, L"Lang.ini");
    explicit LanguageFixture(const std::string& language_text)
    {
        WriteTextFile(language, language_text);
        WritePrivateProfileStringW(L"language", L"filepath", language.c_str(), settings.c_str());
        SetSettingsPath(settings.c_str());
    }
    ~LanguageFixture() { SetSettingsPath(L""); }
};

MenuInputs NoSettings()
{
    MenuInputs in = {};
    in.autoscroll_mode = 1;
    in.system_drags_full_windows = true;
    return in;
}

const MenuItemState* Find(const MenuItemState* states, int n, UINT id)
{
    for (int i = 0; i < n; ++i)
        if (states[i].id == id)
            return &states[i];
    return nullptr;
}
}  // namespace

TEST_CASE("language_names_drop_the_last_four_characters")
{
    CHECK_EQ(LanguageNameLength(L"English.ini"), 7);
    CHECK_EQ(LanguageNameLength(L".ini"), 0);   // ends the enumeration
    CHECK_EQ(LanguageNameLength(L"a.i"), -1);
    CHECK(LanguageNameLength(nullptr) <= 0);
}

TEST_CASE("a_language_entry_matches_its_file_name_without_regard_to_case")
{
    CHECK(LanguageEntryMatches(L"English", L"English.ini"));
    CHECK(LanguageEntryMatches(L"english", L"ENGLISH.INI"));
    CHECK(LanguageEntryMatches(L"English", L"English.txt"));  // the extension is not compared
    // The longer of the two lengths is compared: no prefix matches.
    CHECK(!LanguageEntryMatches(L"Eng", L"English.ini"));
    CHECK(!LanguageEntryMatches(L"English", L"Eng.ini"));
    CHECK(!LanguageEntryMatches(L"Deutsch", L"English.ini"));
    CHECK(!LanguageEntryMatches(L"", L".ini"));
    CHECK(!LanguageEntryMatches(nullptr, L"English.ini"));
}

TEST_CASE("the_current_language_is_the_first_entry_naming_the_file")
{
    wchar_t alpha[] = L"Alpha", beta[] = L"beta", beta2[] = L"Beta";
    LanguageEntry entries[] = {{alpha, CmdFirstLanguage}, {beta, CmdFirstLanguage + 1},
                               {beta2, CmdFirstLanguage + 2}};
    CHECK_EQ(FindCurrentLanguage(entries, 3, L"language\\Beta.ini"), 1);
    CHECK_EQ(FindCurrentLanguage(entries, 3, L"C:\\x\\alpha.ini"), 0);
    CHECK_EQ(FindCurrentLanguage(entries, 3, L"Alpha.ini"), 0);  // a bare file name
    CHECK_EQ(FindCurrentLanguage(entries, 3, L"language\\Gamma.ini"), -1);
    // Four characters or fewer name no language.
    CHECK_EQ(FindCurrentLanguage(entries, 3, L".ini"), -1);
    CHECK_EQ(FindCurrentLanguage(entries, 3, L""), -1);
    CHECK_EQ(FindCurrentLanguage(entries, 0, L"Alpha.ini"), -1);
}

TEST_CASE("language_paths_resolve_beside_the_program_or_as_written")
{
    CHECK_EQ(LanguageDirectoryLength(L"language\\English.ini"), 9);
    CHECK_EQ(LanguageDirectoryLength(L"English.ini"), 0);
    CHECK_EQ(LanguageDirectoryLength(L"\\English.ini"), 1);
    // Relative paths lie in the program's folder, whatever the current
    // directory is; absolute ones are used as written.
    CHECK_EQ(Resolve(L"language\\English.ini"), std::wstring(L"C:\\prog\\language\\English.ini"));
    CHECK_EQ(Resolve(L"..\\lang\\English.ini"), std::wstring(L"C:\\prog\\..\\lang\\English.ini"));
    CHECK_EQ(Resolve(L"D:\\lang\\English.ini"), std::wstring(L"D:\\lang\\English.ini"));
    CHECK_EQ(Resolve(L"\\\\server\\share\\English.ini"), std::wstring(L"\\\\server\\share\\English.ini"));
    CHECK_EQ(Resolve(L"\\lang\\English.ini"), std::wstring(L"C:\\lang\\English.ini"));  // the program's drive
    CHECK_EQ(Resolve(L"D:English.ini"), std::wstring(L"<none>"));  // relative to D:'s current directory
    CHECK_EQ(Resolve(L"language\\English.ini", L""), std::wstring(L"<none>"));  // no folder known
    CHECK_EQ(Resolve(L"English.ini"), std::wstring(L"C:\\prog\\English.ini"));
    CHECK_EQ(Resolve(L""), std::wstring(L"<none>"));
    CHECK_EQ(Resolve(nullptr), std::wstring(L"<none>"));
    std::wstring long_name(MAX_PATH - 5, L'a');
    CHECK_EQ(Resolve(long_name.c_str()), std::wstring(L"<none>"));  // does not fit
}

TEST_CASE("fixed_entries_are_separators_when_their_text_starts_with_a_dash")
{
    CHECK_EQ(FixedEntryKind(L"-"), int(kItemSeparator));
    CHECK_EQ(FixedEntryKind(L"-Hibernate"), int(kItemSeparator));
    CHECK_EQ(FixedEntryKind(L"Ex-it"), int(kItemCommand));
    CHECK_EQ(FixedEntryKind(L""), int(kItemCommand));
    CHECK_EQ(FixedEntryKind(nullptr), int(kItemCommand));

    LanguageFixture fixture("[sysfunc]\r\n96=Lock\r\n98=-\r\n"
                            "[features]\r\n256=A text that is longer than thirty-one characters\r\n");
    DynMenuItem lock = MakeFixedEntry(L"sysfunc", CmdLockWorkstation);
    CHECK_EQ(Owned(lock.text), std::wstring(L"Lock"));
    CHECK_EQ(lock.kind, int(kItemCommand));
    CHECK_EQ(UINT(lock.id), UINT(CmdLockWorkstation));
    DynMenuItem dash = MakeFixedEntry(L"sysfunc", CmdSystemSeparator);
    CHECK_EQ(dash.kind, int(kItemSeparator));
    delete[] dash.text;
    // No text in the file: the id stands in, as a command entry.
    DynMenuItem missing = MakeFixedEntry(L"sysfunc", CmdTurnOffMonitor);
    CHECK_EQ(missing.kind, int(kItemCommand));
    CHECK_EQ(Owned(missing.text), std::to_wstring(CmdTurnOffMonitor));
    CHECK_EQ(Owned(GetMenuText(L"features", CmdRollUp)), std::wstring(L"A text that is longer than thir"));
    CHECK_EQ(Owned(GetMenuText(L"features", CmdAutoClose)), std::wstring(L"<null>"));
    wchar_t buffer[8] = L"x";
    CHECK(!GetLanguageText(nullptr, L"96", buffer, 8));
    CHECK(!GetLanguageText(L"sysfunc", L"97", buffer, 8));
    CHECK_EQ(std::wstring(buffer), std::wstring());
}

TEST_CASE("entries_of_functions_with_a_hotkey_show_it_after_a_tab")
{
    struct Row {
        UINT command;
        int hotkey_id;
    };
    const Row rows[] = {
        {CmdSnapshot, kSnapshotHotkeyId}, {CmdHibernate, kHibernateHotkeyId},
        {CmdTurnOffMonitor, kMonitorOffHotkeyId}, {CmdNotifyIcon, 0}, {CmdLockWorkstation, 0},
        {CmdSystemMenu, 0}, {CmdExit, 0}, {0, 0},
    };
    for (const Row& row : rows)
        if (!CHECK_EQ(MenuHotkeyId(row.command), row.hotkey_id))
            MESSAGE(check::Format("command %u", row.command));
    CHECK_EQ(Owned(MenuTextWithHotkey(L"Snapshot", L"Ctrl+Alt+S")), std::wstring(L"Snapshot\tCtrl+Alt+S"));
    CHECK_EQ(Owned(MenuTextWithHotkey(L"Snapshot", L"")), std::wstring(L"Snapshot"));
    CHECK_EQ(Owned(MenuTextWithHotkey(L"Snapshot", nullptr)), std::wstring(L"Snapshot"));
    CHECK_EQ(Owned(MenuTextWithHotkey(nullptr, L"Ctrl+Alt+S")), std::wstring(L"\tCtrl+Alt+S"));
    // The longest language text and hotkey fit whole.
    const std::wstring text(kMenuTextChars - 1, L'a');
    CHECK_EQ(Owned(MenuTextWithHotkey(text.c_str(), L"Win+Ctrl+Alt+Shift+Right")),
             text + L"\tWin+Ctrl+Alt+Shift+Right");
}

TEST_CASE("check_and_grey_rules")
{
    MenuItemState states[32];
    MenuInputs in = NoSettings();
    int n = ComputeMenuStates(in, states, 32);
    for (int i = 0; i < n; ++i) {
        bool expected = states[i].id == CmdAutoScrollMode1;
        if (!CHECK_EQ(states[i].checked, expected))
            MESSAGE(check::Format("id %u", states[i].id));
    }
    CHECK(Find(states, n, CmdSnapshotWatermark)->grayed);  // no file snapshots: no watermark
    CHECK(!Find(states, n, CmdDocking)->grayed);
    CHECK(Find(states, n, CmdDesktopCaptions) == nullptr);  // only on Windows 2000
    CHECK(Find(states, n, CmdConnectAtStart) == nullptr);   // only with accounts

    in.intofile = 1;
    in.watermark = 2;
    in.autoscroll_mode = 2;
    in.topmost = 2;
    in.system_drags_full_windows = false;
    in.dockwindow = 1;
    in.windows_2000 = true;
    in.bkcolor_transp = 1;
    in.accounts = true;
    in.atstart = 1;
    n = ComputeMenuStates(in, states, 32);
    CHECK(Find(states, n, CmdSnapshotIntoFile)->checked);
    CHECK(Find(states, n, CmdSnapshotWatermark)->checked);
    CHECK(!Find(states, n, CmdSnapshotWatermark)->grayed);
    CHECK(Find(states, n, CmdAutoScrollMode2)->checked);
    CHECK(!Find(states, n, CmdAutoScrollMode1)->checked);
    CHECK(Find(states, n, CmdTopmost)->checked);
    CHECK(Find(states, n, CmdDocking)->grayed);  // no full-window dragging and not allowed
    CHECK(Find(states, n, CmdDocking)->checked);
    CHECK(Find(states, n, CmdDesktopCaptions)->checked);
    CHECK(Find(states, n, CmdConnectAtStart)->checked);
    in.dragfullwindow = 1;
    in.intofile = 0;
    n = ComputeMenuStates(in, states, 32);
    CHECK(!Find(states, n, CmdDocking)->grayed);
    CHECK(!Find(states, n, CmdSnapshotWatermark)->checked);  // the watermark shows only with file snapshots
    CHECK(Find(states, n, CmdSnapshotWatermark)->grayed);
    CHECK_EQ(ComputeMenuStates(in, states, 3), 3);  // bounded by the room given
}

TEST_CASE("popup_menus_are_built_in_array_order_leaving_out_kind_3")
{
    wchar_t a[] = L"A", b[] = L"B", c[] = L"C";
    DynMenuItem items[] = {{10, kItemCommand, a}, {11, kItemLeftOut, b}, {0, kItemSeparator, nullptr},
                           {12, kItemCommand, c}};
    HMENU menu = BuildPopupMenu(items, 4);
    REQUIRE(menu != nullptr);
    REQUIRE_EQ(GetMenuItemCount(menu), 3);
    CHECK_EQ(GetMenuItemID(menu, 0), 10u);
    CHECK(GetMenuState(menu, 1, MF_BYPOSITION) & MF_SEPARATOR);
    CHECK_EQ(GetMenuItemID(menu, 2), 12u);
    wchar_t text[8] = {};
    GetMenuStringW(menu, 2, text, 8, MF_BYPOSITION);
    CHECK_EQ(std::wstring(text), std::wstring(L"C"));
    DestroyMenu(menu);
}

TEST_CASE("languages_are_enumerated_chosen_and_freed")
{
    LanguageFixture fixture("[root]\r\n3=Start\r\n");
    std::wstring dir = JoinPath(fixture.dir, L"lang");
    CreateDirectoryW(dir.c_str(), nullptr);
    WriteTextFile(JoinPath(dir, L"Alpha.ini"), "[root]\r\n3=Alpha\r\n");
    WriteTextFile(JoinPath(dir, L"Beta.ini"), "[root]\r\n3=Beta\r\n");
    std::wstring alpha = JoinPath(dir, L"Alpha.ini");
    WritePrivateProfileStringW(L"language", L"filepath", alpha.c_str(), fixture.settings.c_str());
    REQUIRE(EnumerateLanguages());
    REQUIRE_EQ(LanguageCount(), 2);
    CHECK_EQ(LanguageEntries()[0].id, UINT(CmdFirstLanguage));
    CHECK_EQ(LanguageEntries()[1].id, UINT(CmdFirstLanguage + 1));
    const std::wstring second = LanguageEntries()[1].name;
    CHECK(second == L"Alpha" || second == L"Beta");
    CHECK(!SelectLanguage(CmdFirstLanguage + 2));
    CHECK(SelectLanguage(CmdFirstLanguage + 1));
    wchar_t path[MAX_PATH] = {};
    ReadSettingString(L"language", L"filepath", path, MAX_PATH);
    CHECK_EQ(std::wstring(path), JoinPath(dir, second + L".ini"));
    CHECK_EQ(Owned(GetMenuText(L"root", CmdRunAtStart)), second);
    FreeLanguages();
    CHECK_EQ(LanguageCount(), 0);
    CHECK(LanguageEntries() == nullptr);
    CHECK(!SelectLanguage(CmdFirstLanguage));

    // A directory whose only file is ".ini": no language.
    std::wstring odd = JoinPath(fixture.dir, L"odd");
    CreateDirectoryW(odd.c_str(), nullptr);
    WriteTextFile(JoinPath(odd, L".ini"), "");
    std::wstring odd_file = JoinPath(odd, L"X.ini");
    WritePrivateProfileStringW(L"language", L"filepath", odd_file.c_str(), fixture.settings.c_str());
    CHECK(!EnumerateLanguages());
    CHECK_EQ(LanguageCount(), 0);
    // An empty setting: no language, no list, no text.
    WritePrivateProfileStringW(L"language", L"filepath", L"", fixture.settings.c_str());
    CHECK(!EnumerateLanguages());
    CHECK(!SelectLanguage(CmdFirstLanguage));
    CHECK_EQ(Owned(GetMenuText(L"root", CmdRunAtStart)), std::wstring(L"<null>"));
}

TEST_CASE("the_help_file_is_the_languages_when_it_can_be_read")
{
    LanguageFixture fixture("[root]\r\n3=Start\r\n");
    wchar_t name[MAX_PATH];
    ChooseHelpFile(name, MAX_PATH);
    CHECK_EQ(std::wstring(name), std::wstring(L"readme_en.txt"));  // no help_file text

    std::wstring help = JoinPath(fixture.dir, L"readme_xx.txt");
    WritePrivateProfileStringW(L"help_file", L"file", help.c_str(), fixture.language.c_str());
    ChooseHelpFile(name, MAX_PATH);
    CHECK_EQ(std::wstring(name), std::wstring(L"readme_en.txt"));  // named but missing
    WriteTextFile(help, "help");
    ChooseHelpFile(name, MAX_PATH);
    CHECK_EQ(std::wstring(name), help);
}

TEST_CASE("what_failed_at_start_is_tried_again_for_a_minute_then_said_once")
{
    struct Row {
        DWORD elapsed_ms;
        bool icon, sessions;
        ShellRetryStep step;
    } rows[] = {
        {0, true, true, ShellRetryStep::kDone},
        {0, false, true, ShellRetryStep::kRetry},
        {0, true, false, ShellRetryStep::kRetry},
        {kShellRetryForMs - 1, false, false, ShellRetryStep::kRetry},
        {kShellRetryForMs, false, true, ShellRetryStep::kGiveUp},
        {kShellRetryForMs, true, false, ShellRetryStep::kGiveUp},
        {kShellRetryForMs + 5000, true, true, ShellRetryStep::kDone},
        // Long past the minute.
        {DWORD(-1), false, true, ShellRetryStep::kGiveUp},
    };
    for (const Row& row : rows)
        CHECK_EQ(int(NextShellRetryStep(row.elapsed_ms, row.icon, row.sessions)), int(row.step));
    // About a minute, tried every few seconds.
    CHECK(kShellRetryForMs >= 50000 && kShellRetryForMs <= 70000);
    CHECK(kShellRetryPeriodMs * 10 <= kShellRetryForMs);

    // The notice's texts: the language file's, English where missing.
    wchar_t title[64] = {}, text[256] = {};
    NoTaskbarNoticeTexts(title, 64, text, 256);
    CHECK(wcslen(title) > 0);
    CHECK(wcsstr(text, L"notification area") != nullptr);
}
