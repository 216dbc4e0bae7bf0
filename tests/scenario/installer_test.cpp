// The win64 installer (scripts/package.sh builds it beside bin/, in
// packages/) in this run's prefix: a silent install into Program Files, the
// installed program started, an upgrade over it that keeps the user's
// settings.ini and the user's choice about starting with Windows, and a
// silent uninstall while the program runs.
#include <shlobj.h>

#include <vector>

#include "common/version.h"
#include "quornvale/shell/command_ids.h"
#include "tests/framework/check.h"
#include "tests/scenario/support/harness.h"

using namespace scenario;

namespace {
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRunValue[] = L"quornvale.exe";

std::wstring Installer()
{
    return JoinPath(BinDir(), L"..\\packages\\quornvale-" QUORNVALE_VERSION_WTEXT L"-win64-setup.exe");
}

std::wstring Folder(int csidl, const wchar_t* name)
{
    wchar_t path[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return JoinPath(path, name);
}
std::wstring InstallDir() { return Folder(CSIDL_PROGRAM_FILES, L"Quornvale"); }
std::wstring Shortcut() { return Folder(CSIDL_COMMON_PROGRAMS, L"Quornvale\\Quornvale.lnk"); }

// The Run value, or "<none>".
std::wstring RunValue()
{
    wchar_t data[MAX_PATH + 4] = L"";
    DWORD bytes = sizeof(data) - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, kRunKey, kRunValue, RRF_RT_REG_SZ, nullptr, data, &bytes) !=
        ERROR_SUCCESS)
        return L"<none>";
    return data;
}

struct Process {
    HANDLE handle = nullptr;
    DWORD id = 0;
    ~Process()
    {
        if (handle && WaitForSingleObject(handle, 0) == WAIT_TIMEOUT)
            TerminateProcess(handle, 1);
        if (handle)
            CloseHandle(handle);
    }
    bool Start(const std::wstring& command_line)
    {
        STARTUPINFOW si = {sizeof si};
        PROCESS_INFORMATION pi = {};
        std::wstring line = command_line;
        if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
            return false;
        CloseHandle(pi.hThread);
        handle = pi.hProcess;
        id = pi.dwProcessId;
        return true;
    }
    // The exit code once it ended within the time, else STILL_ACTIVE.
    DWORD Wait(DWORD timeout_ms)
    {
        DWORD code = STILL_ACTIVE;
        if (WaitForSingleObject(handle, timeout_ms) == WAIT_OBJECT_0)
            GetExitCodeProcess(handle, &code);
        return code;
    }
};

DWORD RunSetup(const std::wstring& exe)
{
    Process setup;
    if (!setup.Start(L"\"" + exe + L"\" /S"))
        return DWORD(-1);
    return setup.Wait(180000);
}

std::vector<std::wstring> FilesIn(const std::wstring& dir)
{
    std::vector<std::wstring> files;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(JoinPath(dir, L"*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return files;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        const std::wstring path = JoinPath(dir, name);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            auto inner = FilesIn(path);
            files.insert(files.end(), inner.begin(), inner.end());
            if (inner.empty())
                files.push_back(path);  // an empty folder left behind
        } else {
            files.push_back(path);
        }
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return files;
}

// Whether the file is listed to be deleted at the next restart.
bool DeletedAtRestart(const std::wstring& path)
{
    std::vector<wchar_t> data(65536);
    DWORD bytes = DWORD(data.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager",
                     L"PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr, data.data(),
                     &bytes) != ERROR_SUCCESS)
        return false;
    // Pairs of texts: source ("\\??\\" + path), then the new name, empty for
    // a deletion.
    std::vector<std::wstring> texts;
    for (const wchar_t* p = data.data(); p < data.data() + bytes / sizeof(wchar_t); p += lstrlenW(p) + 1)
        texts.push_back(p);
    for (size_t i = 0; i + 1 < texts.size(); i += 2)
        if (texts[i + 1].empty() && lstrcmpiW(texts[i].c_str(), (L"\\??\\" + path).c_str()) == 0)
            return true;
    return false;
}

// Starts the installed program and waits for its main window.
HWND StartInstalled(Process* program)
{
    if (!program->Start(L"\"" + JoinPath(InstallDir(), L"quornvale.exe") + L"\""))
        return nullptr;
    HWND wnd = nullptr;
    WaitFor([&] { return (wnd = FindProcessWindow(program->id, L"QUORNVALE")) != nullptr; }, 20000);
    return wnd;
}
}  // namespace

TEST_CASE("installer_installs_upgrades_keeping_settings_and_uninstalls_a_running_program")
{
    REQUIRE(FileExists(Installer()));
    const std::wstring dir = InstallDir();
    const std::wstring exe = JoinPath(dir, L"quornvale.exe");
    const std::wstring settings = JoinPath(dir, L"settings.ini");
    const std::wstring run_value = L"\"" + exe + L"\"";
    REQUIRE(!FileExists(exe));

    CHECK_EQ(RunSetup(Installer()), DWORD(0));
    for (const wchar_t* name : {L"quornvale.exe", L"Ostrilix.dll", L"settings.ini", L"readme_en.txt",
                                L"language\\English.ini", L"language\\Deutsch.ini", L"uninstall.exe",
                                // the 32-bit companion and its library
                                L"x86\\quornvale32.exe", L"x86\\Ostrilix.dll"})
        CHECK_MESSAGE(FileExists(JoinPath(dir, name)), check::Narrow(name));
    CHECK(FileExists(Shortcut()));
    // The value the program's menu switch writes, so that it can remove it.
    CHECK_EQ(RunValue(), run_value);

    std::string mine;
    {
        Process program;
        HWND wnd = StartInstalled(&program);
        REQUIRE(wnd != nullptr);
        // The user's own settings, and start with Windows switched off from
        // the program's menu.
        mine = ReadTextFile(settings) + "\r\n[installer_test]\r\nkept=1\r\n";
        REQUIRE(WriteTextFile(settings, mine));
        PostMessageW(wnd, WM_COMMAND, CmdRunAtStart, 0);
        CHECK(WaitFor([&] { return RunValue() == L"<none>"; }, 10000));

        // The upgrade ends the running program the way its own exit does.
        CHECK_EQ(RunSetup(Installer()), DWORD(0));
        CHECK_EQ(program.Wait(0), DWORD(0));
    }
    CHECK(ReadTextFile(settings) == mine);
    CHECK_EQ(RunValue(), std::wstring(L"<none>"));
    CHECK(FileExists(exe));

    Process program;
    HWND wnd = StartInstalled(&program);
    REQUIRE(wnd != nullptr);
    // Switched on again from the menu: the uninstaller removes the value the
    // program wrote.
    PostMessageW(wnd, WM_COMMAND, CmdRunAtStart, 0);
    CHECK(WaitFor([&] { return RunValue() == run_value; }, 10000));

    // The uninstaller copies itself away and returns at once: wait for what
    // it does.
    CHECK_EQ(RunSetup(JoinPath(dir, L"uninstall.exe")), DWORD(0));
    CHECK_EQ(program.Wait(60000), DWORD(0));
    // Everything goes; only a library still mapped in another process (the
    // hooks bring it into every one, and Wine keeps it there) may wait for
    // the next restart, moved aside and listed for deletion.
    CHECK(WaitFor([&] { return !FileExists(JoinPath(dir, L"uninstall.exe")); }, 60000));
    const auto left = FilesIn(dir);
    MESSAGE(check::Format("%zu file(s) left for the next restart", left.size()));
    for (const std::wstring& file : left)
        CHECK_MESSAGE(DeletedAtRestart(file), check::Narrow(file));
    CHECK(!FileExists(Shortcut()));
    CHECK_EQ(RunValue(), std::wstring(L"<none>"));
}
