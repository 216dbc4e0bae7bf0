// The settings window's decisions: a control for each row of the settings
// table, the pages, the checks of typed values, the hotkey text, and the
// writer that changes only the keys given, and the command line of the
// restart it offers.
#include <windows.h>
#include <commctrl.h>
#include <limits.h>

#include <string>

#include "quornvale/shell/program_restart.h"
#include "quornvale/shell/settings_file_edit.h"
#include "quornvale/tools/hotkey_text.h"
#include "quornvale/tools/settings_form.h"
#include "tests/framework/check.h"
#include "tests/scenario/support/harness.h"

using namespace scenario;

TEST_CASE("each_row_of_the_table_gets_the_control_of_its_kind")
{
    struct Case {
        Setting id;
        FieldKind kind;
    };
    const Case cases[] = {
        {Setting::kRollUpEnable, FieldKind::kCheck},
        {Setting::kDesktopCaptionsTransparent, FieldKind::kCheck},
        {Setting::kAutoScrollMode, FieldKind::kBoundedNumber},       // clamped
        {Setting::kTransparentMinimum, FieldKind::kBoundedNumber},   // wrapped
        {Setting::kNetAccountCount, FieldKind::kBoundedNumber},
        {Setting::kMButtonCode, FieldKind::kNumber},                 // as read
        {Setting::kDockMode, FieldKind::kNumber},
        {Setting::kSnapshotHotkey, FieldKind::kHotkey},
        {Setting::kSizeMoveDown, FieldKind::kHotkey},
        {Setting::kNotifyIconHotkey, FieldKind::kHotkey},
        {Setting::kSizeArray, FieldKind::kText},                     // a hotkey-less text
        {Setting::kMButtonExcept, FieldKind::kText},
        {Setting::kNotifyIconList, FieldKind::kList},
        {Setting::kDirectScrollExcluded, FieldKind::kList},
        {Setting::kLanguageFile, FieldKind::kFile},
        {Setting::kSnapshotWatermarkPath, FieldKind::kFile},
        {Setting::kSnapshotPath, FieldKind::kFolder},
        {Setting::kAccountPassword, FieldKind::kNone},               // an account's own record
        {Setting::kAccountState, FieldKind::kNone},
        {Setting::kCount, FieldKind::kNone},
    };
    for (const Case& c : cases)
        if (!CHECK_EQ(int(FieldKindOf(c.id)), int(c.kind)))
            MESSAGE(check::Format("setting %d", int(c.id)));
    // Every one of the fourteen hotkeys, and nothing else, is a hotkey control.
    int hotkeys = 0;
    for (int i = 0; i < int(Setting::kCount); ++i)
        hotkeys += FieldKindOf(Setting(i)) == FieldKind::kHotkey;
    CHECK_EQ(hotkeys, 14);
    int low = 0, high = 0;
    FieldRange(Setting::kTransparentMinimum, &low, &high);
    CHECK(low == 0 && high == 255);
    FieldRange(Setting::kAutoScrollMode, &low, &high);
    CHECK(low == 1 && high == 2);
    FieldRange(Setting::kMButtonCode, &low, &high);
    CHECK(low == INT_MIN && high == INT_MAX);
    CHECK(NeedsRestart(Setting::kLanguageFile));
    CHECK(!NeedsRestart(Setting::kRollUpEnable));
}

TEST_CASE("pages_are_the_sections_once_each_in_table_order")
{
    const wchar_t* pages[64] = {};
    const int count = SettingPages(pages, 64);
    REQUIRE(count > 10);
    CHECK_EQ(std::wstring(pages[0]), std::wstring(L"language"));
    int bkcolor = 0, txcolor = 0;
    for (int i = 0; i < count; ++i) {
        bkcolor += lstrcmpiW(pages[i], L"bkcolor") == 0;
        txcolor += lstrcmpiW(pages[i], L"txcolor") == 0;
        for (int j = 0; j < i; ++j)
            CHECK(lstrcmpiW(pages[i], pages[j]) != 0);
    }
    // "bkcolor" and "BkColor" are one section, and one page.
    CHECK_EQ(bkcolor, 1);
    CHECK_EQ(txcolor, 1);
    CHECK(IsOnPage(Setting::kCaptionBackRed, L"bkcolor"));
    CHECK(IsOnPage(Setting::kDesktopCaptionsTransparent, L"BKCOLOR"));
    CHECK(!IsOnPage(Setting::kCaptionTextRed, L"bkcolor"));
    CHECK(!IsOnPage(Setting::kAccountRemote, L"netaccounts"));
    // Every row with a control is on exactly one page.
    for (int i = 0; i < int(Setting::kCount); ++i) {
        if (FieldKindOf(Setting(i)) == FieldKind::kNone)
            continue;
        int on = 0;
        for (int p = 0; p < count; ++p)
            on += IsOnPage(Setting(i), pages[p]);
        if (!CHECK_EQ(on, 1))
            MESSAGE(check::Format("setting %d", i));
    }
    CHECK_EQ(SettingPages(pages, 3), 3);
}

TEST_CASE("typed_numbers_are_whole_numbers_within_their_bounds")
{
    struct Case {
        const wchar_t* text;
        int low, high;
        NumberCheck check;
        int value;
    };
    const Case cases[] = {
        {L"40", 0, 255, NumberCheck::kOk, 40},
        {L"  7 ", 0, 255, NumberCheck::kOk, 7},
        {L"+3", 0, 255, NumberCheck::kOk, 3},
        {L"-32768", SHRT_MIN, SHRT_MAX, NumberCheck::kOk, SHRT_MIN},
        {L"2147483647", INT_MIN, INT_MAX, NumberCheck::kOk, INT_MAX},
        {L"-2147483648", INT_MIN, INT_MAX, NumberCheck::kOk, INT_MIN},
        {L"256", 0, 255, NumberCheck::kOutOfRange, 0},
        {L"-1", 0, 255, NumberCheck::kOutOfRange, 0},
        {L"3", 1, 2, NumberCheck::kOutOfRange, 0},
        {L"2147483648", INT_MIN, INT_MAX, NumberCheck::kOutOfRange, 0},
        {L"99999999999999999999999", INT_MIN, INT_MAX, NumberCheck::kOutOfRange, 0},
        {L"", 0, 255, NumberCheck::kNotANumber, 0},
        {L"   ", 0, 255, NumberCheck::kNotANumber, 0},
        {L"-", 0, 255, NumberCheck::kNotANumber, 0},
        {L"12abc", 0, 255, NumberCheck::kNotANumber, 0},
        {L"1 2", 0, 255, NumberCheck::kNotANumber, 0},
        {L"0x10", 0, 255, NumberCheck::kNotANumber, 0},
        {L"4.5", 0, 255, NumberCheck::kNotANumber, 0},
    };
    for (const Case& c : cases) {
        int value = -999;
        const NumberCheck got = ParseFormNumber(c.text, c.low, c.high, &value);
        if (!CHECK_EQ(int(got), int(c.check)))
            MESSAGE(check::Narrow(c.text));
        if (got == NumberCheck::kOk)
            CHECK_EQ(value, c.value);
        else
            CHECK_EQ(value, -999);
    }
}

TEST_CASE("texts_are_one_line_within_their_buffer")
{
    CHECK(CheckFormText(L"ctrl+alt+s", 32) == TextCheck::kOk);
    CHECK(CheckFormText(std::wstring(31, L'x'), 32) == TextCheck::kOk);
    CHECK(CheckFormText(std::wstring(32, L'x'), 32) == TextCheck::kTooLong);
    CHECK(CheckFormText(std::wstring(100000, L'x'), 0) == TextCheck::kOk);
    CHECK(CheckFormText(L"a\r\n[other]", 0) == TextCheck::kLineBreak);
    CHECK(CheckFormText(L"a\nb", 260) == TextCheck::kLineBreak);
    CHECK(CheckFormText(L"", 260) == TextCheck::kOk);
}

TEST_CASE("a_hotkey_is_stored_only_as_a_text_that_reads_back_as_itself")
{
    struct Case {
        UINT modifiers, key;
        HotkeyCheck check;
        const wchar_t* text;
    };
    const Case cases[] = {
        {MOD_CONTROL | MOD_ALT, 'S', HotkeyCheck::kOk, L"ctrl+alt+s"},
        {MOD_SHIFT | MOD_ALT | MOD_CONTROL | MOD_WIN, '7', HotkeyCheck::kOk, L"win+ctrl+alt+shift+7"},
        {MOD_ALT | MOD_SHIFT, VK_LEFT, HotkeyCheck::kOk, L"alt+shift+left"},
        {MOD_WIN, VK_UP, HotkeyCheck::kOk, L"win+up"},
        {MOD_CONTROL, VK_DOWN, HotkeyCheck::kOk, L"ctrl+down"},
        {MOD_CONTROL, VK_RIGHT, HotkeyCheck::kOk, L"ctrl+right"},
        {MOD_CONTROL, 0, HotkeyCheck::kNone, L""},
        {0, 0, HotkeyCheck::kNone, L""},
        {0, 'S', HotkeyCheck::kNoModifier, L""},
        {0, VK_LEFT, HotkeyCheck::kNoModifier, L""},
        {MOD_CONTROL, VK_F5, HotkeyCheck::kUnnamedKey, L""},
        {MOD_CONTROL, VK_NUMPAD1, HotkeyCheck::kUnnamedKey, L""},
        {MOD_CONTROL, VK_HOME, HotkeyCheck::kUnnamedKey, L""},
        {MOD_CONTROL | MOD_ALT, VK_OEM_COMMA, HotkeyCheck::kUnnamedKey, L""},
        {MOD_CONTROL, VK_SPACE, HotkeyCheck::kUnnamedKey, L""},
    };
    for (const Case& c : cases) {
        wchar_t text[32] = L"junk";
        const HotkeyCheck got = HotkeyTextFor(c.modifiers, c.key, text, 32);
        if (!CHECK_EQ(int(got), int(c.check)) || !CHECK_EQ(std::wstring(text), std::wstring(c.text)))
            MESSAGE(check::Format("key %u", c.key));
        if (got != HotkeyCheck::kOk)
            continue;
        // The program's own reader gives back the same combination.
        HotkeyCombination read = {};
        REQUIRE(ParseHotkeyText(text, &read));
        CHECK_EQ(read.modifiers, c.modifiers);
        CHECK_EQ(read.virtual_key, c.key);
        // And through the hotkey control's flags and back.
        const UINT flags = ControlFlagsFromModifiers(c.modifiers, c.key);
        CHECK_EQ(ModifiersFromControl(flags, (c.modifiers & MOD_WIN) != 0), c.modifiers);
        const bool arrow = c.key == VK_UP || c.key == VK_DOWN || c.key == VK_LEFT || c.key == VK_RIGHT;
        CHECK_EQ((flags & HOTKEYF_EXT) != 0, arrow);
    }
}

TEST_CASE("a_hotkey_clashes_with_another_of_the_same_keys_only")
{
    const FormHotkey hotkeys[] = {
        {MOD_CONTROL | MOD_ALT, 'S'}, {MOD_CONTROL, 'S'}, {MOD_CONTROL | MOD_ALT, 'S'}, {0, 0}, {0, 0}};
    CHECK_EQ(FindHotkeyClash(hotkeys, 5, 0), 2);
    CHECK_EQ(FindHotkeyClash(hotkeys, 5, 2), 0);
    CHECK_EQ(FindHotkeyClash(hotkeys, 5, 1), -1);
    CHECK_EQ(FindHotkeyClash(hotkeys, 5, 3), -1);  // two empty ones are no clash
    CHECK_EQ(FindHotkeyClash(hotkeys, 5, 5), -1);
    CHECK_EQ(FindHotkeyClash(hotkeys, 5, -1), -1);
}

namespace {
std::string Edit(std::string text, const char* section, const char* key, const char* value, bool* ok = nullptr)
{
    const bool done = EditIniText(&text, IniEdit<char>{section, key, value});
    if (ok)
        *ok = done;
    return text;
}
}  // namespace

TEST_CASE("the_writer_changes_only_the_key_given")
{
    const std::string file =
        "; head comment\r\n"
        "\r\n"
        "[rollupwnd]\r\n"
        "; what it does\r\n"
        "enable=1\r\n"
        "  Animate = 3\r\n"
        "unknown=kept\r\n"
        "\r\n"
        "; comment of the next section\r\n"
        "[Transparent]\r\n"
        "minivalue=40\r\n";
    struct Case {
        const char *section, *key, *value, *expected;
    };
    const Case cases[] = {
        // A key that is there: only its value, name and spacing kept.
        {"rollupwnd", "enable", "0",
         "; head comment\r\n\r\n[rollupwnd]\r\n; what it does\r\nenable=0\r\n  Animate = 3\r\nunknown=kept\r\n\r\n"
         "; comment of the next section\r\n[Transparent]\r\nminivalue=40\r\n"},
        {"ROLLUPWND", "animate", "12",
         "; head comment\r\n\r\n[rollupwnd]\r\n; what it does\r\nenable=1\r\n  Animate = 12\r\nunknown=kept\r\n\r\n"
         "; comment of the next section\r\n[Transparent]\r\nminivalue=40\r\n"},
        {"transparent", "minivalue", "",
         "; head comment\r\n\r\n[rollupwnd]\r\n; what it does\r\nenable=1\r\n  Animate = 3\r\nunknown=kept\r\n\r\n"
         "; comment of the next section\r\n[Transparent]\r\nminivalue=\r\n"},
        // A missing key: after the section's last key, before the blank
        // line and the next section's comment.
        {"rollupwnd", "hotaction", "2",
         "; head comment\r\n\r\n[rollupwnd]\r\n; what it does\r\nenable=1\r\n  Animate = 3\r\nunknown=kept\r\n"
         "hotaction=2\r\n\r\n; comment of the next section\r\n[Transparent]\r\nminivalue=40\r\n"},
        {"transparent", "enable", "1",
         "; head comment\r\n\r\n[rollupwnd]\r\n; what it does\r\nenable=1\r\n  Animate = 3\r\nunknown=kept\r\n\r\n"
         "; comment of the next section\r\n[Transparent]\r\nminivalue=40\r\nenable=1\r\n"},
        // A missing section: at the end, set apart by a blank line.
        {"topmost", "enable", "1",
         "; head comment\r\n\r\n[rollupwnd]\r\n; what it does\r\nenable=1\r\n  Animate = 3\r\nunknown=kept\r\n\r\n"
         "; comment of the next section\r\n[Transparent]\r\nminivalue=40\r\n\r\n[topmost]\r\nenable=1\r\n"},
        // A commented-out key is no key.
        {"rollupwnd", "; what it does", "x", nullptr},
    };
    for (const Case& c : cases) {
        bool ok = false;
        const std::string got = Edit(file, c.section, c.key, c.value, &ok);
        if (!c.expected) {
            CHECK(!ok);
            CHECK_EQ(got, file);
            continue;
        }
        CHECK(ok);
        if (!CHECK_EQ(got, std::string(c.expected)))
            MESSAGE(check::Format("%s %s", c.section, c.key));
    }
}

TEST_CASE("the_writer_keeps_the_files_line_endings_and_refuses_what_would_read_back_otherwise")
{
    // Unix line endings stay Unix; a last line without its break gets one
    // only where a line is added after it.
    CHECK_EQ(Edit("[a]\nx=1\n", "a", "y", "2"), std::string("[a]\nx=1\ny=2\n"));
    CHECK_EQ(Edit("[a]\nx=1", "a", "x", "5"), std::string("[a]\nx=5"));
    CHECK_EQ(Edit("[a]\r\nx=1", "a", "y", "2"), std::string("[a]\r\nx=1\r\ny=2\r\n"));
    CHECK_EQ(Edit("[a]\nx=1", "b", "y", "2"), std::string("[a]\nx=1\n\n[b]\ny=2\n"));
    CHECK_EQ(Edit("", "b", "y", "2"), std::string("[b]\r\ny=2\r\n"));
    // The first section of the name and its first key are the ones read.
    CHECK_EQ(Edit("[a]\r\nx=1\r\nx=2\r\n[a]\r\nx=3\r\n", "a", "x", "9"),
             std::string("[a]\r\nx=9\r\nx=2\r\n[a]\r\nx=3\r\n"));
    CHECK_EQ(Edit("[a]\r\ny=1\r\n[a]\r\nx=3\r\n", "a", "x", "9"), std::string("[a]\r\ny=1\r\nx=9\r\n[a]\r\nx=3\r\n"));
    // A key of the same name in another section, or before any section.
    CHECK_EQ(Edit("x=0\r\n[b]\r\nx=1\r\n[a]\r\n", "a", "x", "9"), std::string("x=0\r\n[b]\r\nx=1\r\n[a]\r\nx=9\r\n"));
    // A value with "=" in it is one value.
    CHECK_EQ(Edit("[a]\r\nlist=a=b\r\n", "a", "list", "c=d;e"), std::string("[a]\r\nlist=c=d;e\r\n"));
    const char* refused[][3] = {
        {"a", "x", "1\r\n[evil]"}, {"a", "x", "1\n"}, {"a", "x=y", "1"}, {"a]", "x", "1"},
        {"", "x", "1"},          {"a", "", "1"},    {"a\n", "x", "1"}, {"a", " x", "1"},
    };
    for (const auto& edit : refused) {
        bool ok = true;
        CHECK_EQ(Edit("[a]\r\nx=0\r\n", edit[0], edit[1], edit[2], &ok), std::string("[a]\r\nx=0\r\n"));
        CHECK(!ok);
    }
}

TEST_CASE("the_file_writer_keeps_ansi_and_utf16_files_and_leaves_a_read_only_one_alone")
{
    const std::wstring dir = MakeTempDir(L"settings_edit");
    const std::wstring ansi = JoinPath(dir, L"ansi.ini");
    // A byte of the ANSI code page that is no ASCII stays as it was.
    REQUIRE(WriteTextFile(ansi, "; caf\xE9\r\n[rollupwnd]\r\nenable=1\r\n[x]\r\nk=\xE9\r\n"));
    const IniEdit<wchar_t> edits[] = {{L"rollupwnd", L"enable", L"0"}, {L"topmost", L"enable", L"1"}};
    REQUIRE(WriteIniEdits(ansi.c_str(), edits, 2));
    CHECK_EQ(ReadTextFile(ansi), std::string("; caf\xE9\r\n[rollupwnd]\r\nenable=0\r\n[x]\r\nk=\xE9\r\n\r\n"
                                             "[topmost]\r\nenable=1\r\n"));
    CHECK_EQ(GetPrivateProfileIntW(L"rollupwnd", L"enable", 7, ansi.c_str()), 0u);
    CHECK(!FileExists(ansi + L".new"));

    const std::wstring utf16 = JoinPath(dir, L"utf16.ini");
    const std::wstring wide = L"; \x00DC\r\n[a]\r\nx=1\r\n";
    std::string bytes("\xFF\xFE", 2);
    bytes.append(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
    REQUIRE(WriteTextFile(utf16, bytes));
    const IniEdit<wchar_t> edit = {L"a", L"x", L"\x00E4"};
    REQUIRE(WriteIniEdits(utf16.c_str(), &edit, 1));
    const std::wstring expected = L"; \x00DC\r\n[a]\r\nx=\x00E4\r\n";
    std::string expected_bytes("\xFF\xFE", 2);
    expected_bytes.append(reinterpret_cast<const char*>(expected.data()), expected.size() * 2);
    CHECK_EQ(ReadTextFile(utf16), expected_bytes);

    // Missing: made.  Read-only: left whole, and the answer says so.
    const std::wstring fresh = JoinPath(dir, L"fresh.ini");
    REQUIRE(WriteIniEdits(fresh.c_str(), &edit, 1));
    CHECK_EQ(ReadTextFile(fresh), std::string("[a]\r\nx=\xE4\r\n"));
    const std::wstring locked = JoinPath(dir, L"locked.ini");
    REQUIRE(WriteTextFile(locked, "[a]\r\nx=1\r\n"));
    REQUIRE(SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_READONLY));
    CHECK(!WriteIniEdits(locked.c_str(), &edit, 1));
    CHECK_EQ(ReadTextFile(locked), std::string("[a]\r\nx=1\r\n"));
    CHECK(!FileExists(locked + L".new"));
    SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
    // A refused edit writes nothing either.
    const IniEdit<wchar_t> bad = {L"a", L"x", L"1\r\n[b]"};
    CHECK(!WriteIniEdits(locked.c_str(), &bad, 1));
    CHECK_EQ(ReadTextFile(locked), std::string("[a]\r\nx=1\r\n"));
    CHECK(!WriteIniEdits(L"", &edit, 1));
}

TEST_CASE("an_account_value_is_written_so_that_it_reads_back_as_typed")
{
    struct Row {
        const wchar_t* typed;
        const wchar_t* written;
    };
    const Row rows[] = {
        {L"secret", L"secret"},
        {L"pa\"ss", L"pa\"ss"},                    // a quote inside stays as it is
        {L"\"quoted\"", L"\"\"quoted\"\""},        // quotes around it would be stripped
        {L"'single'", L"\"'single'\""},
        {L"\"", L"\""},                            // one quote alone is read as it is
        {L"\"\"", L"\"\"\"\""},
        {L" lead", L"\" lead\""},                  // blanks at the ends would be trimmed
        {L"trail\t", L"\"trail\t\""},
        {L"in side", L"in side"},
        {L"", L""},
    };
    const std::wstring dir = MakeTempDir(L"unitaccounts");
    const std::wstring file = JoinPath(dir, L"settings.ini");
    REQUIRE(WriteTextFile(file, "[0]\r\nremote=host\r\n"));
    for (const Row& row : rows) {
        const std::wstring written = ProfileTextFor(row.typed);
        CHECK_EQ(written, std::wstring(row.written));
        // The profile functions give the typed text back.
        const IniEdit<wchar_t> edit = {AccountSectionName(0), L"psw", written};
        REQUIRE(WriteIniEdits(file.c_str(), &edit, 1));
        wchar_t read[64] = L"untouched";
        GetPrivateProfileStringW(L"0", L"psw", L"<none>", read, 64, file.c_str());
        if (!CHECK_EQ(std::wstring(read), std::wstring(row.typed)))
            MESSAGE(check::Format("%ls", row.written));
    }
    // The records' sections; the page edits their keys but "state".
    CHECK_EQ(std::wstring(AccountSectionName(0)), std::wstring(L"0"));
    CHECK_EQ(std::wstring(AccountSectionName(9)), std::wstring(L"9"));
    CHECK(AccountSectionName(10) == nullptr);
    CHECK(AccountSectionName(-1) == nullptr);
    for (Setting field : kAccountFields)
        CHECK(SettingKeyOf(field).section == nullptr && field != Setting::kAccountState);
}

TEST_CASE("a_restart_names_the_ending_process_on_the_next_ones_command_line")
{
    struct Row {
        const wchar_t* line;
        DWORD id;  // 0: not a restart
    };
    const Row rows[] = {
        {L"/restart:1234", 1234},
        {L"  /RESTART:77  ", 77},
        {L"\"C:\\Program Files\\Quornvale\\quornvale.exe\" /restart:4294967295", 4294967295u},
        {L"C:\\Quornvale\\quornvale.exe /restart:9", 9},
        {L"/restart:4294967296", 0},  // beyond 32 bits
        {L"/restart:0", 0},
        {L"/restart:", 0},
        {L"/restart:12x", 0},
        {L"/restart:-5", 0},
        {L"/restart 12", 0},
        {L"/restarted:12", 0},
        {L"\"C:\\a b\\quornvale.exe\"", 0},
        {L"", 0},
    };
    for (const Row& row : rows) {
        DWORD id = 0xDEAD;
        const bool parsed = ParseRestartArgument(row.line, &id);
        if (!CHECK_EQ(parsed, row.id != 0) || (parsed && !CHECK_EQ(id, row.id)))
            MESSAGE(check::Format("%ls", row.line));
    }
    // What one instance writes, the next one reads.
    wchar_t line[MAX_PATH + 32] = {};
    const int length = FormatRestartCommandLine(L"C:\\Program Files\\Q\\quornvale.exe", 4321, line, MAX_PATH + 32);
    CHECK_EQ(std::wstring(line), std::wstring(L"\"C:\\Program Files\\Q\\quornvale.exe\" /restart:4321"));
    CHECK_EQ(length, lstrlenW(line));
    DWORD id = 0;
    CHECK(ParseRestartArgument(line, &id) && id == 4321);
    // Too small a buffer or no path: nothing, never a cut line.
    wchar_t small[20] = L"untouched";
    CHECK_EQ(FormatRestartCommandLine(L"C:\\Q\\quornvale.exe", 4321, small, 20), 0);
    CHECK_EQ(std::wstring(small), std::wstring());
    CHECK_EQ(FormatRestartCommandLine(L"", 1, line, MAX_PATH + 32), 0);
    CHECK_EQ(FormatRestartCommandLine(nullptr, 1, line, MAX_PATH + 32), 0);
}
