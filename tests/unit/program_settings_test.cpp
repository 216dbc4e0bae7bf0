// The settings routines against real INI files through the profile functions.
#include <string>

#include "quornvale/shell/app_state.h"
#include "quornvale/shell/program_path.h"
#include "quornvale/shell/settings.h"
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

TEST(missing_file_gives_every_default)
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

TEST(integers_read_their_numeric_prefix)
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

TEST(text_is_cut_to_its_buffer)
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

TEST(growing_read_crosses_the_260_character_boundary)
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
            check::Note("length %u", unsigned(length));
    }
}

TEST(writes_create_the_file_and_read_back)
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

TEST(a_file_that_cannot_be_written_keeps_its_content)
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
    check::Note("value read after the failed write: %d", ReadSettingFlag(L"topmost", L"enable"));
}

TEST(hand_edited_switch_values_read_as_written)
{
    UseSettings("[topmost]\r\nenable=2\r\n");
    CHECK_EQ(ReadSettingFlag(L"topmost", L"enable"), 2);
}

TEST(account_records_are_sections_named_by_index)
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

TEST(an_unnamed_settings_file_reads_defaults_and_writes_nothing)
{
    SetSettingsPath(L"");
    CHECK_EQ(ReadSettingInt(L"autoscroll", L"distance", 10), 10);
    wchar_t text[16] = L"x";
    CHECK_EQ(ReadSettingString(L"a", L"b", text, 16, L"dflt"), 4);
    CHECK_EQ(std::wstring(text), std::wstring(L"dflt"));
    CHECK(!WriteSettingInt(L"a", L"b", 1));
}

TEST(run_at_start_value)
{
    HKEY run = nullptr;
    REQUIRE(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", 0,
                            nullptr, 0, KEY_ALL_ACCESS, nullptr, &run, nullptr) == ERROR_SUCCESS);
    RegDeleteValueW(run, L"quornvale.exe");
    CHECK(!IsRunAtStartSet());
    // A long path (255 characters) still shows as set.
    std::wstring path = L"C:\\" + std::wstring(240, L'p') + L"\\quornvale.exe";
    path.resize(255);
    RegSetValueExW(run, L"quornvale.exe", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                   DWORD((path.size() + 1) * sizeof(wchar_t)));
    CHECK(IsRunAtStartSet());
    RegDeleteValueW(run, L"quornvale.exe");
    CHECK(!IsRunAtStartSet());
    RegCloseKey(run);
}

TEST(module_directory_keeps_its_trailing_backslash)
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
