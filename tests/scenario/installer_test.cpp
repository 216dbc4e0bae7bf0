// The installer of this build's own bitness, win64 or win32
// (scripts/package.sh builds it beside bin/, in packages/; the 32-bit stage
// runs the i686 build in a 32-bit prefix), in this run's prefix: a silent install into Program Files over
// the settings.ini an earlier version left there (moved to the installing
// user's profile, the defaults put in its place), the installed program
// started as the plain user of the prefix and keeping its settings in that
// user's profile, no right granted to Users anywhere in the installation, an
// upgrade over it that keeps the user's settings and the user's choice about
// starting with Windows, and a silent uninstall while the program runs that
// removes what it installed and keeps a translation the user added.
#include <aclapi.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <string>

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
#ifdef _WIN64
    return JoinPath(BinDir(), L"..\\packages\\quornvale-" QUORNVALE_VERSION_WTEXT L"-win64-setup.exe");
#else
    return JoinPath(BinDir(), L"..\\packages\\quornvale-" QUORNVALE_VERSION_WTEXT L"-win32-setup.exe");
#endif
}

std::wstring Folder(int csidl, const wchar_t* name)
{
    wchar_t path[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return JoinPath(path, name);
}
std::wstring InstallDir() { return Folder(CSIDL_PROGRAM_FILES, L"Quornvale"); }
std::wstring UserSettings() { return Folder(CSIDL_APPDATA, L"Quornvale\\settings.ini"); }
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

// The well-known Users group, S-1-5-32-545.
struct UsersSid {
    BYTE sid[SECURITY_MAX_SID_SIZE];
    UsersSid()
    {
        DWORD size = sizeof(sid);
        CreateWellKnownSid(WinBuiltinUsersSid, nullptr, sid, &size);
    }
};

// Whether the file's own access list gives the Users group any right to
// change it.  null when the bench keeps no access list for the file.
const char* UsersMayChange(const std::wstring& path, bool* may_change)
{
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                              nullptr, &descriptor) != ERROR_SUCCESS)
        return "no access list readable";
    static const UsersSid users;
    constexpr ACCESS_MASK kChange = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_WRITE_ATTRIBUTES |
                                    DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;
    *may_change = false;
    for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
        ACE_HEADER* header = nullptr;
        if (!GetAce(dacl, i, reinterpret_cast<void**>(&header)) || header->AceType != ACCESS_ALLOWED_ACE_TYPE)
            continue;
        auto* ace = reinterpret_cast<ACCESS_ALLOWED_ACE*>(header);
        if (EqualSid(&ace->SidStart, const_cast<BYTE*>(users.sid)) && (ace->Mask & kChange))
            *may_change = true;
    }
    LocalFree(descriptor);
    return nullptr;
}

// Gives Users the right to change the file, as an earlier installer did.
bool GrantUsersChange(const std::wstring& path)
{
    static const UsersSid users;
    EXPLICIT_ACCESSW access = {};
    access.grfAccessPermissions = FILE_GENERIC_READ | FILE_GENERIC_WRITE | DELETE;
    access.grfAccessMode = GRANT_ACCESS;
    access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    access.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    access.Trustee.ptstrName = reinterpret_cast<LPWSTR>(const_cast<BYTE*>(users.sid));
    PACL dacl = nullptr;
    if (SetEntriesInAclW(1, &access, nullptr, &dacl) != ERROR_SUCCESS)
        return false;
    const bool done = SetNamedSecurityInfoW(const_cast<wchar_t*>(path.c_str()), SE_FILE_OBJECT,
                                            DACL_SECURITY_INFORMATION, nullptr, nullptr, dacl,
                                            nullptr) == ERROR_SUCCESS;
    LocalFree(dacl);
    return done;
}

// Starts the installed program and waits for its main window.
HWND StartInstalled(Process* program)
{
    if (!program->Start(L"\"" + JoinPath(InstallDir(), L"quornvale.exe") + L"\""))
        return nullptr;
    HWND wnd = nullptr;
    WaitFor([&] { return (wnd = FindProcessWindow(program->id, L"QUORNVALE")) != nullptr; }, 20000);
    // The window exists while its creation message still runs: wait until
    // start-up is over.
    if (wnd)
        WaitForInputIdle(program->handle, 10000);
    return wnd;
}
}  // namespace

TEST_CASE("installer_installs_upgrades_keeping_settings_and_uninstalls_a_running_program")
{
    REQUIRE(FileExists(Installer()));
    const std::wstring dir = InstallDir();
    const std::wstring exe = JoinPath(dir, L"quornvale.exe");
    const std::wstring defaults = JoinPath(dir, L"settings.ini");
    const std::wstring user_settings = UserSettings();
    const std::string shipped = ReadTextFile(JoinPath(BinDir(), L"settings.ini"));
    const std::wstring run_value = L"\"" + exe + L"\"";
    REQUIRE(!FileExists(exe));
    REQUIRE(!shipped.empty());
    REQUIRE(!FileExists(user_settings));

    // What an earlier version left: one settings.ini for every user in
    // Program Files, which every user could change.
    const std::string earlier = "[language]\r\nfilepath=language\\Deutsch.ini\r\n[installer_test]\r\nearlier=1\r\n";
    REQUIRE(SHCreateDirectoryExW(nullptr, dir.c_str(), nullptr) == ERROR_SUCCESS);
    REQUIRE(WriteTextFile(defaults, earlier));
    bool granted = false;
    // Whether the bench keeps access lists at all: the check below can fail.
    const bool acls_kept = GrantUsersChange(defaults) && !UsersMayChange(defaults, &granted) && granted;
    const std::string bench = acls_kept ? "the bench keeps access lists"
                                        : "the bench keeps no access lists: the grant check is void";
    MESSAGE(bench);

    CHECK_EQ(RunSetup(Installer()), DWORD(0));
    std::vector<const wchar_t*> names = {L"quornvale.exe", L"Ostrilix.dll", L"settings.ini", L"readme_en.txt",
                                         L"language\\English.ini", L"language\\Deutsch.ini", L"uninstall.exe"};
#ifdef _WIN64
    // the 32-bit companion and its library
    names.insert(names.end(), {L"x86\\quornvale32.exe", L"x86\\Ostrilix.dll"});
#endif
    for (const wchar_t* name : names)
        CHECK_MESSAGE(FileExists(JoinPath(dir, name)), check::Narrow(name));
    CHECK(!FileExists(JoinPath(dir, L"portable.txt")));  // an installed copy
    CHECK(FileExists(Shortcut()));
    // The value the program's menu switch writes, so that it can remove it.
    CHECK_EQ(RunValue(), run_value);
    // The earlier file moved, whole, to the installing user's profile; the
    // shipped defaults in its place, with no right of Users.
    CHECK(ReadTextFile(user_settings) == earlier);
    CHECK(ReadTextFile(defaults) == shipped);
    auto installed = FilesIn(dir);
    installed.push_back(dir);
    installed.push_back(JoinPath(dir, L"language"));
    for (const std::wstring& path : installed) {
        bool may_change = false;
        const char* unknown = UsersMayChange(path, &may_change);
        const std::string what = check::Narrow(path) + (unknown ? std::string(": ") + unknown : std::string());
        CHECK_MESSAGE(!may_change, what);
    }

    // The installed copy, started as the prefix's plain user, keeps its
    // settings in that user's profile; the defaults stay as shipped.
    DeleteFileW(user_settings.c_str());
    std::string mine;
    {
        DebugMonitor monitor;
        REQUIRE(monitor.Active());
        Process program;
        HWND wnd = StartInstalled(&program);
        REQUIRE(wnd != nullptr);
        CHECK(ReadTextFile(user_settings) == shipped);  // made from the defaults at the first start
        // The trace names the file in use.
        CHECK(monitor.WaitForText("Settings (installed copy): " + check::Narrow(user_settings), 10000));
        // The user's own settings, and start with Windows switched off from
        // the program's menu.
        mine = ReadTextFile(user_settings) + "\r\n[installer_test]\r\nkept=1\r\n";
        // The program reads its file at any moment; a writer that wants it
        // alone (as this one) takes a moment between two reads.
        REQUIRE(WaitFor([&] { return WriteTextFile(user_settings, mine); }, 10000));
        PostMessageW(wnd, WM_COMMAND, CmdRunAtStart, 0);
        CHECK(WaitFor([&] { return RunValue() == L"<none>"; }, 10000));
        // A menu switch writes the user's file, never the defaults.
        auto topmost = [&] {
            return GetPrivateProfileIntW(L"topmost", L"enable", -1, user_settings.c_str());
        };
        const UINT topmost_before = topmost();
        PostMessageW(wnd, WM_COMMAND, CmdTopmost, 0);
        CHECK(WaitFor([&] { return topmost() == (topmost_before ? 0u : 1u); }, 10000));
        mine = ReadTextFile(user_settings);

        // The upgrade ends the running program the way its own exit does.
        CHECK_EQ(RunSetup(Installer()), DWORD(0));
        CHECK_EQ(program.Wait(0), DWORD(0));
    }
    CHECK(ReadTextFile(user_settings) == mine);
    CHECK(ReadTextFile(defaults) == shipped);
    CHECK_EQ(RunValue(), std::wstring(L"<none>"));
    CHECK(FileExists(exe));

    Process program;
    HWND wnd = StartInstalled(&program);
    REQUIRE(wnd != nullptr);
    // Switched on again from the menu: the uninstaller removes the value the
    // program wrote.
    PostMessageW(wnd, WM_COMMAND, CmdRunAtStart, 0);
    CHECK(WaitFor([&] { return RunValue() == run_value; }, 10000));

    // A translation of the user's own beside the shipped ones.
    const std::wstring added = JoinPath(dir, L"language\\Mine.ini");
    REQUIRE(WriteTextFile(added, "[root]\r\n16=Mine\r\n"));

    // The uninstaller copies itself away and returns at once: wait for what
    // it does.
    CHECK_EQ(RunSetup(JoinPath(dir, L"uninstall.exe")), DWORD(0));
    CHECK_EQ(program.Wait(60000), DWORD(0));
    // Everything it installed goes; only a library still mapped in another
    // process (the hooks bring it into every one, and Wine keeps it there)
    // may wait for the next restart, moved aside and listed for deletion.
    // The user's translation and the user's settings stay.
    CHECK(WaitFor([&] { return !FileExists(JoinPath(dir, L"uninstall.exe")); }, 60000));
    CHECK(FileExists(added));
    CHECK(ReadTextFile(user_settings) == mine);
    size_t pending = 0;
    for (const std::wstring& file : FilesIn(dir)) {
        if (file == added)
            continue;
        ++pending;
        CHECK_MESSAGE(DeletedAtRestart(file), check::Narrow(file));
    }
    MESSAGE(check::Format("%zu file(s) left for the next restart", pending));
    CHECK(!FileExists(Shortcut()));
    CHECK_EQ(RunValue(), std::wstring(L"<none>"));
}

namespace {
// The parent process id and the parent's file name ("" when it has ended).
std::pair<DWORD, std::wstring> ParentOf(DWORD process_id)
{
    std::pair<DWORD, std::wstring> parent = {0, L""};
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return parent;
    PROCESSENTRY32W entry = {sizeof entry};
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        if (entry.th32ProcessID == process_id)
            parent.first = entry.th32ParentProcessID;
    entry = {sizeof entry};
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        if (parent.first && entry.th32ProcessID == parent.first)
            parent.second = entry.szExeFile;
    CloseHandle(snapshot);
    return parent;
}

std::wstring TextOf(HWND wnd)
{
    wchar_t text[128] = L"";
    GetWindowTextW(wnd, text, 128);
    return text;
}

// A person's way through the installer's pages: the default button (id 1:
// "Next", "Install", "Finish") once on each page, when it is enabled, until
// the installer ends.  Returns whether the finish page's "Start Quornvale
// now" was ticked when "Finish" was pressed.
bool ClickThroughInstaller(Process* setup)
{
    HWND last_page = nullptr;
    std::wstring last_text;
    bool run_ticked = false;
    WaitFor([&] {
        if (setup->Wait(0) != STILL_ACTIVE)
            return true;
        HWND outer = FindProcessWindow(setup->id, L"#32770");
        HWND page = outer ? FindWindowExW(outer, nullptr, L"#32770", nullptr) : nullptr;
        HWND button = outer ? GetDlgItem(outer, IDOK) : nullptr;
        if (!page || !button || !IsWindowEnabled(button) || !IsWindowVisible(page))
            return false;
        const std::wstring text = TextOf(button);
        if (page == last_page && text == last_text)
            return false;
        // The progress page goes on to the finish page by itself.
        if (FindWindowExW(page, nullptr, L"msctls_progress32", nullptr))
            return false;
        if (text.find(L"Finish") != std::wstring::npos) {
            for (HWND child = FindWindowExW(page, nullptr, L"Button", nullptr); child;
                 child = FindWindowExW(page, child, L"Button", nullptr))
                if (TextOf(child).find(L"Start Quornvale now") != std::wstring::npos)
                    run_ticked = SendMessageW(child, BM_GETCHECK, 0, 0) == BST_CHECKED;
        }
        last_page = page;
        last_text = text;
        PostMessageW(outer, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(button));
        return false;
    }, 180000, 200);
    return run_ticked;
}
}  // namespace

TEST_CASE("start_quornvale_now_asks_the_shell_and_never_runs_the_program_from_the_installer")
{
    REQUIRE(FileExists(Installer()));
    const std::wstring dir = InstallDir();
    REQUIRE(!FileExists(JoinPath(dir, L"quornvale.exe")));
    Process setup;
    REQUIRE(setup.Start(L"\"" + Installer() + L"\""));
    CHECK(ClickThroughInstaller(&setup));
    CHECK_EQ(setup.Wait(60000), DWORD(0));

    HWND wnd = nullptr;
    CHECK(WaitFor([&] { return (wnd = FindWindowW(L"QUORNVALE", nullptr)) != nullptr; }, 30000));
    if (wnd) {
        DWORD program_id = 0;
        GetWindowThreadProcessId(wnd, &program_id);
        // Started by the shell (Explorer), which runs as the logged-on user,
        // never by the installer, whose administrator token it would inherit.
        const auto parent = ParentOf(program_id);
        const std::string started = "started by process " + std::to_string(parent.first) + " " +
                                    check::Narrow(parent.second);
        MESSAGE(started);
        CHECK_NE(parent.first, setup.id);
        CHECK(parent.second.empty() || lstrcmpiW(parent.second.c_str(), L"explorer.exe") == 0);
    }
    // Wine gives every process an elevated token: whether the program's is
    // elevated cannot be told apart here.
    CHECK_EQ(RunSetup(JoinPath(dir, L"uninstall.exe")), DWORD(0));
    CHECK(WaitFor([&] { return !FileExists(JoinPath(dir, L"uninstall.exe")); }, 60000));
    CHECK(WaitFor([] { return FindWindowW(L"QUORNVALE", nullptr) == nullptr; }, 30000));
}
