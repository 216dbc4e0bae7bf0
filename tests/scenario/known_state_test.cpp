// Every test program starts from the prepared prefix's state, whatever an
// earlier program that crashed left changed: a second copy of this program
// (only listing its test cases, so it runs nothing but its start-up) finds
// the leftovers of a crashed net, version and run-at-start test and clears
// them.
#include <windows.h>

#include <string>

#include "tests/framework/check.h"
#include "tests/scenario/support/harness.h"

using namespace scenario;

namespace {
constexpr wchar_t kOverrides[] = L"Software\\Wine\\DllOverrides";
constexpr wchar_t kAppDefaults[] = L"Software\\Wine\\AppDefaults\\quornvale.exe";
constexpr wchar_t kRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

bool HasValue(const wchar_t* key, const wchar_t* value)
{
    return RegGetValueW(HKEY_CURRENT_USER, key, value, RRF_RT_ANY, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool SetText(const wchar_t* key, const wchar_t* value, const wchar_t* text)
{
    return RegSetKeyValueW(HKEY_CURRENT_USER, key, value, REG_SZ, text, DWORD((lstrlenW(text) + 1) * 2)) ==
           ERROR_SUCCESS;
}

// This program again, started and ended before any test case runs.
bool RunStartUpOnly()
{
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring line = std::wstring(L"\"") + self + L"\" -ltc";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(self, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &info))
        return false;
    const bool ended = WaitForSingleObject(info.hProcess, 60000) == WAIT_OBJECT_0;
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    return ended;
}
}  // namespace

TEST_CASE("a_test_program_starts_without_what_a_crashed_one_left_changed")
{
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring net = JoinPath(system, L"net.exe"), saved = JoinPath(system, L"net.exe.qv-saved");
    REQUIRE(FileExists(net));
    const std::string original = ReadTextFile(net);
    REQUIRE(!original.empty());
    // What a net test killed midway leaves: net.exe moved aside, a double in
    // its place, the override that makes Wine run it.
    REQUIRE(MoveFileW(net.c_str(), saved.c_str()));
    REQUIRE(WriteTextFile(net, "not the system's net.exe"));
    REQUIRE(WriteTextFile(JoinPath(system, L"net_double.ini"), "[reply]\r\n"));
    REQUIRE(SetText(kOverrides, L"net.exe", L"native"));
    // A version and a run-at-start value.
    REQUIRE(SetText(kAppDefaults, L"Version", L"win2k"));
    REQUIRE(SetText(kRun, L"quornvale.exe", L"\"C:\\quornvale.exe\""));

    REQUIRE(RunStartUpOnly());
    CHECK(!HasValue(kOverrides, L"net.exe"));
    CHECK(!FileExists(saved));
    CHECK(ReadTextFile(net) == original);
    CHECK(!FileExists(JoinPath(system, L"net_double.ini")));
    CHECK(!HasValue(kAppDefaults, L"Version"));
    CHECK(!HasValue(kRun, L"quornvale.exe"));
}
