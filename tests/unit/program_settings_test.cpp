// The settings routines against real INI files through the profile functions.
#include <limits.h>

#include <string>

#include "quornvale/shell/app_state.h"
#include "quornvale/shell/menu_commands.h"
#include "quornvale/shell/program_path.h"
#include "quornvale/shell/settings.h"
#include "quornvale/shell/settings_location.h"
#include "quornvale/tools/document_type.h"
#include "tests/framework/check.h"
#include "tests/scenario/support/harness.h"

using namespace scenario;

namespace {
// A fresh settings.ini (or none) in a directory of its own.
std::wstring UseSettings(const char* content)
{
    std::wstring path = JoinPath(MakeTempDir(L"settings"), L"settings.ini");
    if (content)
        WriteTextFile(path, content);
    SetSettingsPath(path.c_str());
    return path;
}

std::string Ini(const std::string& section, const std::string& key, const std::string& value)
{
    return "[" + section + "]\r\n" + key + "=" + value + "\r\n";
}
}  // namespace

TEST_CASE("missing_file_gives_every_default")
{
    UseSettings(nullptr);
    CHECK_EQ(ReadSettingFlag(L"rollupwnd", L"enable"), 0);
    CHECK_EQ(ReadSettingInt(L"autoscroll", L"distance", 10), 10);
    CHECK_EQ(ReadSettingInt(L"autoscroll", L"delta", 40), 40);
    CHECK_EQ(ReadSettingInt(L"autoscroll", L"mode", 1), 1);
    wchar_t text[32] = L"junk";
    CHECK_EQ(ReadSettingString(L"snapshot", L"hotkey", text, 32), 0);
    CHECK_EQ(std::wstring(text), std::wstring());
    CHECK_EQ(std::wstring(ReadSettingStringGrowing(L"notifyicon", L"list").get()), std::wstring());
}

TEST_CASE("integers_read_their_numeric_prefix")
{
    UseSettings("[a]\r\nplain=42\r\nprefix=12abc\r\nword=abc\r\nnegative=-7\r\nspaced= 9 \r\nempty=\r\n");
    CHECK_EQ(ReadSettingInt(L"a", L"plain", 5), 42);
    CHECK_EQ(ReadSettingInt(L"a", L"prefix", 5), 12);
    CHECK_EQ(ReadSettingInt(L"a", L"word", 5), 0);
    CHECK_EQ(ReadSettingInt(L"a", L"negative", 5), -7);
    CHECK_EQ(ReadSettingInt(L"a", L"spaced", 5), 9);
    CHECK_EQ(ReadSettingInt(L"a", L"missing", 5), 5);
    // Section and key names ignore case.
    CHECK_EQ(ReadSettingInt(L"A", L"PLAIN", 5), 42);
}

TEST_CASE("text_is_cut_to_its_buffer")
{
    UseSettings("[s]\r\nhotkey=Ctrl+Alt+Shift+Win+ScrollLock+Something\r\n");
    wchar_t small[8];
    CHECK_EQ(ReadSettingString(L"s", L"hotkey", small, 8), 7);
    CHECK_EQ(std::wstring(small), std::wstring(L"Ctrl+Al"));
    wchar_t none[1] = {L'x'};
    CHECK_EQ(ReadSettingString(L"s", L"hotkey", none, 1), 0);
    CHECK_EQ(none[0], L'\0');
    CHECK_EQ(ReadSettingString(L"s", L"hotkey", nullptr, 8), 0);
}

TEST_CASE("growing_read_crosses_the_260_character_boundary")
{
    for (size_t length : {0u, 1u, 258u, 259u, 260u, 261u, 519u, 520u, 600u, 5000u}) {
        std::string value;
        for (size_t i = 0; i < length; ++i)
            value += char('a' + i % 26);
        UseSettings(Ini("directscroll", "excluded_list", value).c_str());
        OwnedText read = ReadSettingStringGrowing(L"directscroll", L"excluded_list");
        REQUIRE(read != nullptr);
        std::wstring wide(value.begin(), value.end());
        if (!CHECK_EQ(std::wstring(read.get()), wide))
            MESSAGE(check::Format("length %u", unsigned(length)));
    }
}

TEST_CASE("the_growing_read_doubles_its_buffer_up_to_its_limit")
{
    // A 100000-character list takes 10 reads, not 385.
    int reads = 1, size = GrowingReadNextSize(0);
    CHECK_EQ(size, 260);
    while (size > 0 && size - 1 <= 100000) {
        size = GrowingReadNextSize(size);
        ++reads;
    }
    CHECK_EQ(reads, 10);
    // The last size is the limit itself: a value of up to 4M - 1 characters
    // is read whole, a longer one is no list.
    int last = 0;
    for (size = 260; size > 0; size = GrowingReadNextSize(size))
        last = size;
    CHECK_EQ(last, 4 * 1024 * 1024);
    CHECK_EQ(GrowingReadNextSize(last), 0);

    std::string value(100000, 'x');
    value[99999] = 'y';
    UseSettings(Ini("notifyicon", "list", value).c_str());
    OwnedText read = ReadSettingList(Setting::kNotifyIconList);
    REQUIRE(read != nullptr);
    CHECK_EQ(check::Narrow(read.get()), value);
}

TEST_CASE("writes_create_the_file_and_read_back")
{
    std::wstring path = UseSettings(nullptr);
    CHECK(WriteSettingInt(L"rollupwnd", L"enable", 1));
    CHECK_EQ(ReadSettingFlag(L"rollupwnd", L"enable"), 1);
    CHECK(WriteSettingInt(L"x", L"negative", -123456789));
    CHECK_EQ(ReadSettingInt(L"x", L"negative", 0), -123456789);
    CHECK(WriteSettingString(L"language", L"filepath", L"language\\English.ini"));
    wchar_t text[260];
    ReadSettingString(L"language", L"filepath", text, 260);
    CHECK_EQ(std::wstring(text), std::wstring(L"language\\English.ini"));
    std::string file = ReadTextFile(path);
    CHECK(file.find("[rollupwnd]") != std::string::npos);
    CHECK(file.find("enable=1") != std::string::npos);
}

TEST_CASE("a_file_that_cannot_be_written_keeps_its_content")
{
    // Tests run as root, for whom a read-only attribute does not stop a
    // write; a handle that shares the file for reading only does.
    std::wstring path = UseSettings("[topmost]\r\nenable=1\r\n");
    HANDLE lock = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    REQUIRE(lock != INVALID_HANDLE_VALUE);
    CHECK(!WriteSettingInt(L"topmost", L"enable", 0));  // fails quietly
    CloseHandle(lock);
    CHECK_EQ(ReadTextFile(path), std::string("[topmost]\r\nenable=1\r\n"));
    // What the file holds, not the value it did not take.
    CHECK_EQ(ReadSettingFlag(L"topmost", L"enable"), 1);
}

TEST_CASE("hand_edited_switch_values_read_as_written")
{
    UseSettings("[topmost]\r\nenable=2\r\n");
    CHECK_EQ(ReadSettingFlag(L"topmost", L"enable"), 2);
}

TEST_CASE("account_records_are_sections_named_by_index")
{
    UseSettings("[netaccounts]\r\ncount=3\r\n[0]\r\nremote=alpha\r\nstate=1\r\n"
                "[2]\r\nremote=gamma\r\n[3]\r\nremote=stale\r\n");
    wchar_t remote[64];
    ReadAccountString(0, L"remote", remote, 64);
    CHECK_EQ(std::wstring(remote), std::wstring(L"alpha"));
    CHECK_EQ(ReadAccountFlag(0, L"state"), 1);
    ReadAccountString(1, L"remote", remote, 64, L"none");
    CHECK_EQ(std::wstring(remote), std::wstring(L"none"));
    ReadAccountString(2, L"remote", remote, 64);
    CHECK_EQ(std::wstring(remote), std::wstring(L"gamma"));
    CHECK(WriteAccountString(2, L"state", L"1"));
    CHECK_EQ(ReadAccountInt(2, L"state", 0), 1);
    CHECK_EQ(ReadAccountInt(9, L"state", 4), 4);
}

TEST_CASE("an_unnamed_settings_file_reads_defaults_and_writes_nothing")
{
    SetSettingsPath(L"");
    CHECK_EQ(ReadSettingInt(L"autoscroll", L"distance", 10), 10);
    wchar_t text[16] = L"x";
    CHECK_EQ(ReadSettingString(L"a", L"b", text, 16, L"dflt"), 4);
    CHECK_EQ(std::wstring(text), std::wstring(L"dflt"));
    CHECK(!WriteSettingInt(L"a", L"b", 1));
}

namespace {
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

HKEY OpenRunKey()
{
    HKEY run = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &run,
                    nullptr);
    return run;
}

void SetRunValue(HKEY run, const std::wstring& data)
{
    RegSetValueExW(run, L"quornvale.exe", 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   DWORD((data.size() + 1) * sizeof(wchar_t)));
}

std::wstring RunValue(HKEY run)
{
    wchar_t data[400] = {};
    DWORD bytes = sizeof(data) - sizeof(wchar_t);
    if (RegQueryValueExW(run, L"quornvale.exe", nullptr, nullptr, reinterpret_cast<BYTE*>(data),
                         &bytes) != ERROR_SUCCESS)
        return L"<none>";
    return data;
}
}  // namespace

TEST_CASE("run_at_start_value")
{
    HKEY run = OpenRunKey();
    REQUIRE(run != nullptr);
    RegDeleteValueW(run, L"quornvale.exe");
    CHECK(!IsRunAtStartSet());
    // Long paths show as set, also those longer than the 256-character read
    // buffer, and the menu switch removes each of them.
    for (size_t length : {255u, 256u, 259u, 261u}) {
        std::wstring path = L"C:\\" + std::wstring(300, L'p');
        path.resize(length - 14);
        path += L"\\quornvale.exe";
        for (bool quoted : {false, true}) {
            SetRunValue(run, quoted ? L"\"" + path + L"\"" : path);
            if (!CHECK(IsRunAtStartSet()))
                MESSAGE(check::Format("length %u, quoted %d", unsigned(length), int(quoted)));
            ToggleRunAtStart();
            if (!CHECK_EQ(RunValue(run), std::wstring(L"<none>")))
                MESSAGE(check::Format("length %u, quoted %d", unsigned(length), int(quoted)));
        }
    }
    CHECK(!IsRunAtStartSet());
    // Switched on, the value is this program's path in double quotes.
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(g_app.instance, self, MAX_PATH);
    ToggleRunAtStart();
    CHECK(IsRunAtStartSet());
    CHECK_EQ(RunValue(run), L"\"" + std::wstring(self) + L"\"");
    ToggleRunAtStart();
    CHECK(!IsRunAtStartSet());
    RegCloseKey(run);
}

TEST_CASE("the_run_value_is_the_path_in_double_quotes")
{
    wchar_t out[16] = L"junk";
    CHECK_EQ(FormatRunValue(L"C:\\A B\\q.exe", out, 16), 14);
    CHECK_EQ(std::wstring(out), std::wstring(L"\"C:\\A B\\q.exe\""));
    // Exactly fits: twelve characters, two quotes and the terminator.
    CHECK_EQ(FormatRunValue(L"C:\\AB\\q.exe", out, 14), 13);
    CHECK_EQ(FormatRunValue(L"C:\\ABC\\q.exe", out, 14), 0);
    CHECK_EQ(std::wstring(out), std::wstring());
    CHECK_EQ(FormatRunValue(L"", out, 16), 0);
    CHECK_EQ(FormatRunValue(nullptr, out, 16), 0);
    CHECK_EQ(FormatRunValue(L"x", nullptr, 16), 0);
}

TEST_CASE("module_directory_keeps_its_trailing_backslash")
{
    CHECK_EQ(DirectoryLength(L"C:\\dir\\sub\\quornvale.exe"), 11);
    CHECK_EQ(DirectoryLength(L"C:\\quornvale.exe"), 3);
    CHECK_EQ(DirectoryLength(L"quornvale.exe"), 0);
    CHECK_EQ(DirectoryLength(L"\\x"), 0);  // the first character is never taken
    CHECK_EQ(DirectoryLength(nullptr), 0);
    wchar_t buffer[MAX_PATH];
    int n = GetModuleDirectory(nullptr, buffer, MAX_PATH);
    CHECK(n > 0);
    CHECK_EQ(buffer[n - 1], L'\\');
    CHECK_EQ(int(wcslen(buffer)), n);
    // A buffer too small for the path names no directory.
    wchar_t tiny[4];
    CHECK_EQ(GetModuleDirectory(nullptr, tiny, 4), 0);
    CHECK_EQ(tiny[0], L'\0');
}

namespace {
std::string Narrow(const wchar_t* text) { return check::Narrow(text ? text : L""); }

// settings.ini holding this one key of the table with this value (none: the
// key is missing).
void UseKey(Setting id, const char* value)
{
    const SettingKey& row = SettingKeyOf(id);
    UseSettings(value ? Ini(Narrow(row.section ? row.section : L"0"), Narrow(row.key), value).c_str()
                      : "");
}
}  // namespace

TEST_CASE("table_reads_give_the_default_and_keep_each_value_within_its_bounds")
{
    struct Case {
        Setting id;
        const char* value;  // null: the key is missing
        int expected;
    };
    const Case cases[] = {
        // Missing keys read as their defaults.
        {Setting::kAutoScrollDistance, nullptr, 10},
        {Setting::kAutoScrollDelta, nullptr, 40},
        {Setting::kAutoScrollMode, nullptr, 1},
        {Setting::kTransparentMinimum, nullptr, 40},
        {Setting::kRollUpHotAction, nullptr, 1},
        {Setting::kCaptionBackRed, nullptr, 58},
        {Setting::kCaptionBackGreen, nullptr, 110},
        {Setting::kCaptionBackBlue, nullptr, 165},
        {Setting::kCaptionTextBlue, nullptr, 255},
        {Setting::kRollUpEnable, nullptr, 0},
        {Setting::kNetAccountCount, nullptr, 0},
        // Switches and values whose consumer takes any value: as read.
        {Setting::kTopmostEnable, "2", 2},
        {Setting::kChord, "-1", -1},
        {Setting::kMButtonCode, "3", 3},
        {Setting::kDockMode, "-2", -2},
        {Setting::kSnapshotWatermarkPos, "9", 9},
        // Clamped to the nearest value that means something.
        {Setting::kAutoScrollMode, "2", 2},
        {Setting::kAutoScrollMode, "3", 2},
        {Setting::kAutoScrollMode, "0", 1},
        {Setting::kAutoScrollMode, "-7", 1},
        {Setting::kNetAccountCount, "3", 3},
        {Setting::kNetAccountCount, "12", 10},
        {Setting::kNetAccountCount, "-1", 0},
        {Setting::kSnapshotNext, "-5", 0},
        {Setting::kSnapshotNext, "1234567890", 999999999},
        // Reduced to the field the library keeps them in.
        {Setting::kTransparentMinimum, "300", 44},
        {Setting::kTransparentMinimum, "-1", 255},
        {Setting::kTransparentMinimum, "255", 255},
        {Setting::kSnapshotWatermarkAlpha, "256", 0},
        {Setting::kRollUpHotAction, "65535", -1},
        {Setting::kRollUpHotAction, "65534", -2},
        {Setting::kRollUpHotAction, "2", 2},
        {Setting::kRollUpAnimate, "-1", 65535},
        {Setting::kAutoScrollDelta, "70000", 4464},
        {Setting::kAutoScrollDistance, "-32769", 32767},
        // Profile rules first: the numeric prefix.
        {Setting::kAutoScrollDistance, "12abc", 12},
    };
    for (const Case& c : cases) {
        UseKey(c.id, c.value);
        if (!CHECK_EQ(ReadSetting(c.id), c.expected))
            MESSAGE(check::Format("[%ls] %ls = %s", SettingKeyOf(c.id).section, SettingKeyOf(c.id).key,
                        c.value ? c.value : "<missing>"));
    }
}

TEST_CASE("bounds_hold_at_the_ends_of_the_integer_range")
{
    const SettingBounds& alpha = SettingKeyOf(Setting::kTransparentMinimum).bounds;
    const SettingBounds& hot = SettingKeyOf(Setting::kRollUpHotAction).bounds;
    const SettingBounds& mode = SettingKeyOf(Setting::kAutoScrollMode).bounds;
    CHECK_EQ(BoundSettingValue(alpha, INT_MIN), 0);
    CHECK_EQ(BoundSettingValue(alpha, INT_MAX), 255);
    CHECK_EQ(BoundSettingValue(hot, INT_MAX), -1);
    CHECK_EQ(BoundSettingValue(hot, INT_MIN), 0);
    CHECK_EQ(BoundSettingValue(mode, INT_MIN), 1);
    CHECK_EQ(BoundSettingValue(mode, INT_MAX), 2);
    CHECK_EQ(BoundSettingValue(SettingKeyOf(Setting::kDockMode).bounds, INT_MIN), INT_MIN);
}

TEST_CASE("every_key_is_declared_once")
{
    for (const SettingKey& a : kSettingKeys)
        for (const SettingKey& b : kSettingKeys) {
            if (&a == &b)
                continue;
            bool same_section = (!a.section && !b.section) ||
                                (a.section && b.section && lstrcmpiW(a.section, b.section) == 0);
            if (!CHECK(!(same_section && lstrcmpiW(a.key, b.key) == 0)))
                MESSAGE(check::Format("[%ls] %ls", a.section ? a.section : L"account", a.key));
        }
}

TEST_CASE("texts_are_cut_to_their_keys_buffers_and_accounts_live_in_their_sections")
{
    UseSettings("[snapshot]\r\nhotkey=ctrl+alt+shift+a-text-longer-than-thirty-one\r\n"
                "[language]\r\nfilepath=language\\English.ini\r\n"
                "[netaccounts]\r\ncount=2\r\n[1]\r\nremote=server\r\nstate=2\r\n");
    wchar_t text[kSettingTextChars];
    CHECK_EQ(ReadSettingText(Setting::kSnapshotHotkey, text, kSettingTextChars), 31);
    CHECK_EQ(ReadSettingText(Setting::kSnapshotHotkey, text, 5), 4);
    CHECK_EQ(ReadSettingText(Setting::kLanguageFile, text, kSettingTextChars), 20);
    CHECK_EQ(std::wstring(text), std::wstring(L"language\\English.ini"));
    CHECK_EQ(ReadAccountText(1, Setting::kAccountRemote, text, kSettingTextChars), 6);
    CHECK_EQ(std::wstring(text), std::wstring(L"server"));
    CHECK_EQ(ReadAccountSetting(1, Setting::kAccountState), 2);
    CHECK_EQ(ReadAccountSetting(0, Setting::kAccountState), 0);
    CHECK(WriteAccountText(0, Setting::kAccountState, L"1"));
    CHECK_EQ(ReadAccountInt(0, L"state", 0), 1);
    CHECK(WriteSettingText(Setting::kAutoCloseClassName, L"Notepad"));
    CHECK_EQ(ReadSettingText(Setting::kAutoCloseClassName, text, kSettingTextChars), 7);
}

TEST_CASE("a_menu_switch_writes_the_opposite_and_returns_it")
{
    std::wstring path = UseSettings("[topmost]\r\nenable=2\r\n[mbutton]\r\ncode=0\r\n");
    int now = -1;
    CHECK(FlipSwitch(Setting::kTopmostEnable, &now));
    CHECK_EQ(now, 0);  // "2" is on: becomes "0"
    CHECK_EQ(ReadSettingInt(L"topmost", L"enable", 9), 0);
    CHECK(FlipSwitch(Setting::kTopmostEnable, &now));
    CHECK_EQ(now, 1);
    CHECK_EQ(ReadSettingInt(L"topmost", L"enable", 9), 1);
    CHECK(FlipSwitch(Setting::kMButtonCode, &now));
    CHECK_EQ(now, 1);
    CHECK(FlipSwitch(Setting::kRollUpEnable, &now));
    CHECK_EQ(now, 1);  // missing: off, becomes "1"
    CHECK_EQ(ReadSettingInt(L"rollupwnd", L"enable", 9), 1);

    // A file that cannot be written: the flip says so.
    HANDLE lock = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    REQUIRE(lock != INVALID_HANDLE_VALUE);
    CHECK(!FlipSwitch(Setting::kTopmostEnable, &now));
    CloseHandle(lock);
}

namespace {
std::wstring PathFor(SettingsForm form, const wchar_t* program_dir, const wchar_t* app_data, int chars = MAX_PATH)
{
    wchar_t out[MAX_PATH] = L"untouched";
    if (!SettingsPathFor(form, program_dir, app_data, out, chars))
        return std::wstring(L"<none>") + out;
    return out;
}
}  // namespace

TEST_CASE("a_portable_copy_keeps_settings_beside_itself_an_installed_one_in_the_users_profile")
{
    const wchar_t* program = L"C:\\Program Files\\Quornvale\\";
    const wchar_t* app_data = L"C:\\users\\ann\\Application Data";
    CHECK_EQ(PathFor(SettingsForm::kPortable, program, app_data),
             std::wstring(L"C:\\Program Files\\Quornvale\\settings.ini"));
    CHECK_EQ(PathFor(SettingsForm::kPerUser, program, app_data),
             std::wstring(L"C:\\users\\ann\\Application Data\\Quornvale\\settings.ini"));
    // Without the folder it needs, no file at all: never the other form's.
    CHECK_EQ(PathFor(SettingsForm::kPerUser, program, L""), std::wstring(L"<none>"));
    CHECK_EQ(PathFor(SettingsForm::kPerUser, program, nullptr), std::wstring(L"<none>"));
    CHECK_EQ(PathFor(SettingsForm::kPortable, L"", app_data), std::wstring(L"<none>"));
    // A path that does not fit is none, not a cut one.
    const std::wstring deep = L"C:\\" + std::wstring(MAX_PATH - 20, L'd');
    CHECK_EQ(PathFor(SettingsForm::kPerUser, program, deep.c_str()), std::wstring(L"<none>"));
    CHECK_EQ(PathFor(SettingsForm::kPortable, program, app_data, 20), std::wstring(L"<none>"));
}

TEST_CASE("only_documents_are_opened_as_help_never_program_types")
{
    const wchar_t* path_ext = L".COM;.EXE;.BAT;.CMD;.VBS;.VBE;.JS;.JSE;.WSF;.WSH;.QVX";
    struct Row {
        const wchar_t* file;
        const wchar_t* open_command;
        const wchar_t* path_ext;
        OpenTargetKind kind;
    };
    const Row rows[] = {
        {L"C:\\prog\\readme_en.txt", L"%SystemRoot%\\system32\\NOTEPAD.EXE %1", path_ext, OpenTargetKind::kDocument},
        {L"help.CHM", L"\"C:\\Windows\\hh.exe\" %1", path_ext, OpenTargetKind::kDocument},
        {L"manual.pdf", nullptr, nullptr, OpenTargetKind::kDocument},  // no program: the shell says so later
        {L"C:\\prog\\setup.exe", L"\"%1\" %*", path_ext, OpenTargetKind::kProgram},
        {L"tool.EXE", nullptr, nullptr, OpenTargetKind::kProgram},  // the table, without the registry
        {L"run.bat", nullptr, nullptr, OpenTargetKind::kProgram},
        {L"run.cmd", nullptr, nullptr, OpenTargetKind::kProgram},
        {L"old.com", nullptr, nullptr, OpenTargetKind::kProgram},
        {L"saver.scr", L"\"%1\" /S", nullptr, OpenTargetKind::kProgram},
        {L"dos.pif", nullptr, nullptr, OpenTargetKind::kProgram},
        {L"link.lnk", nullptr, nullptr, OpenTargetKind::kProgram},
        {L"script.vbs", L"\"C:\\Windows\\System32\\WScript.exe\" \"%1\" %*", nullptr, OpenTargetKind::kProgram},
        {L"script.js", nullptr, nullptr, OpenTargetKind::kProgram},
        {L"package.msi", L"msiexec.exe /i \"%1\"", nullptr, OpenTargetKind::kProgram},
        {L"app.hta", nullptr, nullptr, OpenTargetKind::kProgram},
        {L"merge.reg", nullptr, nullptr, OpenTargetKind::kProgram},
        {L"trailing.bat.", nullptr, nullptr, OpenTargetKind::kProgram},  // Windows drops the dot
        {L"blank.bat ", nullptr, nullptr, OpenTargetKind::kProgram},
        {L"doc.txt:hidden.exe", nullptr, nullptr, OpenTargetKind::kProgram},
        // Unknown to the table: the system's PATHEXT, or an open command that
        // runs the file itself, makes a program type.
        {L"custom.qvx", L"notepad.exe %1", path_ext, OpenTargetKind::kProgram},
        {L"custom.qvy", L"%1 %*", nullptr, OpenTargetKind::kProgram},
        {L"custom.qvz", L"  \"%L\"", nullptr, OpenTargetKind::kProgram},
        {L"custom.qvz", L"viewer.exe \"%1\"", path_ext, OpenTargetKind::kDocument},
        // No extension: no document type.
        {L"C:\\prog\\README", nullptr, nullptr, OpenTargetKind::kNoType},
        {L"C:\\dir.d\\README", nullptr, nullptr, OpenTargetKind::kNoType},
        {L"trailing.", nullptr, nullptr, OpenTargetKind::kNoType},
        {L"", nullptr, nullptr, OpenTargetKind::kNoType},
    };
    for (const Row& row : rows)
        CHECK_MESSAGE(ClassifyOpenTarget(row.file, row.open_command, row.path_ext) == row.kind,
                      check::Narrow(row.file));
    CHECK(FileExtension(L"C:\\a.b\\c.TXT") == std::wstring_view(L".TXT"));
    CHECK(FileExtension(L"C:\\a.b\\c").empty());
}
