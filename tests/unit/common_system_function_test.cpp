// Run-time binding of system functions: what an image may not import because
// Windows 2000 lacks it is found, or reported missing, without loading
// anything but system DLLs.
#include <string>

#include "common/system_function.h"
#include "tests/framework/check.h"
#include "tests/scenario/support/harness.h"

using namespace scenario;

TEST_CASE("functions_of_loaded_modules_bound_by_name")
{
    using TickFn = DWORD(WINAPI*)();
    auto tick = LoadedSystemFunction<TickFn>(L"kernel32.dll", "GetTickCount");
    CHECK(tick == &GetTickCount);
    CHECK(tick && tick() != 0);
    CHECK(LoadedSystemFunction<TickFn>(L"kernel32.dll", "QvNoSuchFunction") == nullptr);
    CHECK(LoadedSystemFunction<TickFn>(L"qv_no_such_module.dll", "GetTickCount") == nullptr);
}

TEST_CASE("a_module_not_loaded_is_not_loaded_by_the_lookup")
{
    REQUIRE(GetModuleHandleW(L"powrprof.dll") == nullptr);
    CHECK(LoadedSystemFunction<FARPROC>(L"powrprof.dll", "GetPwrCapabilities") == nullptr);
    CHECK(GetModuleHandleW(L"powrprof.dll") == nullptr);
}

TEST_CASE("system_library_held_while_it_lives")
{
    REQUIRE(GetModuleHandleW(L"powrprof.dll") == nullptr);
    {
        SystemLibrary library(L"powrprof.dll");
        REQUIRE(library);
        CHECK(library.Function<FARPROC>("GetPwrCapabilities") != nullptr);
        CHECK(library.Function<FARPROC>("QvNoSuchFunction") == nullptr);
        wchar_t system_dir[MAX_PATH], loaded[MAX_PATH];
        const UINT n = GetSystemDirectoryW(system_dir, MAX_PATH);
        const DWORD m = GetModuleFileNameW(library.Module(), loaded, MAX_PATH);
        CHECK(n > 0 && m > n && _wcsnicmp(loaded, system_dir, n) == 0);
        CHECK(GetModuleHandleW(L"powrprof.dll") == library.Module());
    }
    CHECK(GetModuleHandleW(L"powrprof.dll") == nullptr);
}

TEST_CASE("system_library_takes_only_plain_names_from_the_system_directory")
{
    // This DLL lies beside the test program, the first place a plain
    // LoadLibrary looks: a system library must not take it.
    const std::wstring planted = JoinPath(BinDir(), L"menu_reader_hook.dll");
    REQUIRE(GetFileAttributesW(planted.c_str()) != INVALID_FILE_ATTRIBUTES);
    const wchar_t* refused[] = {
        nullptr, L"", L"menu_reader_hook.dll", L"qv_no_such_library.dll",
        L"..\\powrprof.dll", L"sub/powrprof.dll", L"C:powrprof.dll", planted.c_str(),
    };
    for (const wchar_t* name : refused) {
        SystemLibrary library(name);
        CHECK_EQ(bool(library), false);
        CHECK(library.Function<FARPROC>("DllMain") == nullptr);
    }
    CHECK(GetModuleHandleW(L"menu_reader_hook.dll") == nullptr);
}
