// The 32-bit companion's life cycle, with its x86_64 stand-in (the same
// source, its bitness check open) and a second copy of the x86_64 library in
// the program's x86 folder: started by the program, given every setting and
// every switch the program pushes into its own library, ended with the
// program and when the program is killed, and refusing a start by itself.
#include <string>

#include "quornvale/companion/companion_arguments.h"
#include "quornvale/companion/companion_protocol.h"
#include "quornvale/shell/command_ids.h"
#include "tests/framework/check.h"
#include "tests/scenario/support/harness.h"
#include "tests/scenario/support/library_view.h"

using namespace scenario;

namespace {
constexpr char kSettings[] =
    "[rollupwnd]\r\nenable=1\r\nanimate=3\r\nhotaction=2\r\n"
    "[topmost]\r\nenable=1\r\n"
    "[hidecursor]\r\nenable=1\r\n"
    "[notifyicon]\r\nenable=1\r\nlist=notepad.exe;wordpad.exe\r\n"
    "[mbutton]\r\ncode=2\r\nexcept=Shell_TrayWnd\r\n"
    "[disableime]\r\nenable=1\r\nclasses=Edit;RichEdit20W\r\n"
    "[transparent]\r\nenable=1\r\nminivalue=70\r\n"
    "[autoscroll]\r\ndistance=12\r\ndelta=30\r\nmode=1\r\n"
    "[information]\r\nenable=1\r\n"
    "[simwinkey]\r\nenable=1\r\n"
    "[sizewindow]\r\nenable=1\r\n";

std::wstring CompanionDir(const Program& program) { return JoinPath(program.Dir(), kCompanionFolder); }

// The stand-in and the second library where the program looks for the pair.
bool PlaceCompanion(const Program& program)
{
    const std::wstring dir = CompanionDir(program);
    CreateDirectoryW(dir.c_str(), nullptr);
    return CopyFileW(JoinPath(BinDir(), L"companion_stand_in.exe").c_str(),
                     JoinPath(dir, kCompanionFile).c_str(), FALSE) &&
           CopyFileW(JoinPath(BinDir(), L"Ostrilix.dll").c_str(), JoinPath(dir, L"Ostrilix.dll").c_str(), FALSE);
}

// The companion's window (of a process other than the program's), or null.
HWND FindCompanion(const Program& program)
{
    HWND wnd = nullptr;
    while ((wnd = FindWindowExW(nullptr, wnd, kCompanionWindowClass, nullptr)) != nullptr) {
        DWORD pid = 0;
        GetWindowThreadProcessId(wnd, &pid);
        if (pid != program.ProcessId())
            return wnd;
    }
    return nullptr;
}

struct CompanionProcess {
    HANDLE handle = nullptr;
    DWORD id = 0;
    ~CompanionProcess()
    {
        if (!handle)
            return;
        if (WaitForSingleObject(handle, 0) == WAIT_TIMEOUT)
            TerminateProcess(handle, 99);
        CloseHandle(handle);
    }
    bool Open(HWND wnd)
    {
        GetWindowThreadProcessId(wnd, &id);
        handle = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, id);
        return handle != nullptr;
    }
    bool EndsWithin(DWORD ms) const { return WaitForSingleObject(handle, ms) == WAIT_OBJECT_0; }
    DWORD ExitCode() const
    {
        DWORD code = 0;
        GetExitCodeProcess(handle, &code);
        return code;
    }
};

// Everything the program configures in its library, side by side with the
// companion's library.
bool SameConfiguration(const SharedBlock& a, const SharedBlock& b)
{
    return a.s_b_babylon == b.s_b_babylon && a.s_b_rollupwnd == b.s_b_rollupwnd &&
           a.s_b_retrieve_wnd_info == b.s_b_retrieve_wnd_info && a.s_b_topmost == b.s_b_topmost &&
           a.s_b_hidecursor == b.s_b_hidecursor && a.s_b_changecursor == b.s_b_changecursor &&
           a.s_b_dockwindow == b.s_b_dockwindow && a.s_b_notifyicon == b.s_b_notifyicon &&
           a.s_b_sizewindow == b.s_b_sizewindow && a.s_b_disableime == b.s_b_disableime &&
           a.s_b_directscroll == b.s_b_directscroll && a.s_n_aero_snap_mode == b.s_n_aero_snap_mode &&
           a.s_n_mbutton_code == b.s_n_mbutton_code && a.s_n_minimal_alpha == b.s_n_minimal_alpha &&
           a.s_feature_value.s_s_scroll_distance == b.s_feature_value.s_s_scroll_distance &&
           a.s_feature_value.s_s_scroll_delta == b.s_feature_value.s_s_scroll_delta &&
           a.s_feature_value.s_s_scroll_mode == b.s_feature_value.s_s_scroll_mode &&
           a.s_feature_value.s_s_rollup_animate == b.s_feature_value.s_s_rollup_animate &&
           a.s_feature_value.s_n_rollup_hotaction == b.s_feature_value.s_n_rollup_hotaction &&
           a.s_feature_value.s_h_cover_wnd == b.s_feature_value.s_h_cover_wnd &&
           lstrcmpW(a.s_sz_disableime_classes, b.s_sz_disableime_classes) == 0 &&
           lstrcmpW(a.s_sz_mbutton_except, b.s_sz_mbutton_except) == 0;
}
}  // namespace

TEST_CASE("companion_starts_with_the_program_takes_every_push_and_ends_with_it")
{
    DebugMonitor monitor;
    REQUIRE(monitor.Active());
    Program program(L"companion", WithSettings(kSettings));
    REQUIRE(PlaceCompanion(program));
    REQUIRE(program.Start());

    HWND wnd = nullptr;
    REQUIRE(WaitFor([&] { return (wnd = FindCompanion(program)) != nullptr; }, 15000));
    CompanionProcess companion;
    REQUIRE(companion.Open(wnd));
    CHECK(!IsWindowVisible(wnd));
    // One window only, never shown, and no tray icon of its own.
    CHECK(FindProcessWindow(companion.id, nullptr) == wnd);

    LibraryView mine(program.LibraryPath());
    LibraryView theirs(JoinPath(CompanionDir(program), L"Ostrilix.dll"));
    REQUIRE(mine.Loaded());
    REQUIRE(theirs.Loaded());
    // Two libraries, two blocks: the companion's is not the program's.
    CHECK(&mine.Block() != &theirs.Block());
    CHECK(WaitFor([&] { return theirs.Block().s_n_minimal_alpha == 70; }, 10000));
    CHECK(WaitFor([&] { return SameConfiguration(mine.Snapshot(), theirs.Snapshot()); }, 10000));
    const SharedBlock pushed = theirs.Snapshot();
    CHECK_EQ(pushed.s_b_rollupwnd, 1);
    CHECK_EQ(int(pushed.s_feature_value.s_s_rollup_animate), 3);
    CHECK_EQ(pushed.s_feature_value.s_n_rollup_hotaction, 2);
    CHECK_EQ(int(pushed.s_feature_value.s_s_scroll_distance), 12);
    CHECK_EQ(pushed.s_n_mbutton_code, 2);
    CHECK_EQ(pushed.s_b_retrieve_wnd_info, 1);
    CHECK(lstrcmpW(pushed.s_sz_disableime_classes, L"Edit;RichEdit20W") == 0);
    CHECK(lstrcmpW(pushed.s_sz_mbutton_except, L"Shell_TrayWnd") == 0);
    CHECK(pushed.s_feature_value.s_h_cover_wnd == program.MainWindow());

    // The in-context hooks twice (program and companion), the low-level
    // ones once: no gesture is taken twice.
    CHECK(WaitFor([&] { return monitor.Count("Hook GetMsgProc is installed!") == 2; }, 5000));
    CHECK_EQ(monitor.Count("Hook MouseProc is installed!"), size_t(2));
    CHECK_EQ(monitor.Count("Hook CallWndProc is installed!"), size_t(2));
    CHECK_EQ(monitor.Count("Hook LowLevelMouseProc is installed!"), size_t(1));
    CHECK_EQ(monitor.Count("Hook LowLevelKeyboardProc is installed!"), size_t(1));

    // Menu switches reach both libraries, with the hook that follows one.
    PostMessageW(program.MainWindow(), WM_COMMAND, CmdRollUp, 0);
    PostMessageW(program.MainWindow(), WM_COMMAND, CmdHideCursor, 0);
    PostMessageW(program.MainWindow(), WM_COMMAND, CmdAutoScrollMode2, 0);
    PostMessageW(program.MainWindow(), WM_COMMAND, CmdTransparency, 0);
    CHECK(WaitFor([&] {
        const SharedBlock now = theirs.Snapshot();
        return now.s_b_rollupwnd == 0 && now.s_b_hidecursor == 0 && now.s_feature_value.s_s_scroll_mode == 2 &&
               now.s_n_minimal_alpha == 255;
    }, 10000));
    CHECK(SameConfiguration(mine.Snapshot(), theirs.Snapshot()));
    CHECK(WaitFor([&] { return monitor.Count("Hook GetMsgProc is removed!") == 2; }, 5000));

    CHECK_EQ(program.Close(), 0);
    CHECK(companion.EndsWithin(10000));
    CHECK_EQ(companion.ExitCode(), DWORD(0));
    CHECK(monitor.WaitForText("Companion: windows given back, leaving", 5000));
    CHECK_EQ(monitor.Count("Hook CallWndProc is removed!"), size_t(2));
    // The program waited for it.
    CHECK(monitor.Contains("Companion ended"));
}

TEST_CASE("companion_started_by_itself_says_so_once_and_ends")
{
    // The test's own window stands for a window that is not the program's.
    HWND other = CreateWindowExW(0, L"STATIC", L"not the program", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr);
    REQUIRE(other != nullptr);
    const std::wstring not_program = L"/companion " + std::to_wstring(reinterpret_cast<ULONG_PTR>(other));
    const std::wstring dir = MakeTempDir(L"alone");
    CreateDirectoryW(JoinPath(dir, kCompanionFolder).c_str(), nullptr);
    const std::wstring exe = JoinPath(JoinPath(dir, kCompanionFolder), kCompanionFile);
    REQUIRE(CopyFileW(JoinPath(BinDir(), L"companion_stand_in.exe").c_str(), exe.c_str(), FALSE));

    for (const std::wstring& arguments : {std::wstring(), std::wstring(L"/companion"),
                                          std::wstring(L"/companion 0"), std::wstring(L"/other 5"), not_program}) {
        std::wstring line = L"\"" + exe + L"\" " + arguments;
        STARTUPINFOW startup = {sizeof(startup)};
        PROCESS_INFORMATION info = {};
        if (!CHECK(CreateProcessW(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(),
                                  &startup, &info)))
            continue;
        HWND box = nullptr;
        CHECK(WaitFor([&] { return (box = FindDialog(info.dwProcessId, kCompanionAloneCaption)) != nullptr; },
                      10000));
        if (box) {
            CHECK(DialogText(box).find(L"does not run by itself") != std::wstring::npos);
            CHECK(WaitFor([&] { return !FindProcessWindow(info.dwProcessId, kCompanionWindowClass); }, 100));
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
        CHECK_EQ(WaitForSingleObject(info.hProcess, 10000), DWORD(WAIT_OBJECT_0));
        DWORD code = 0;
        GetExitCodeProcess(info.hProcess, &code);
        CHECK_EQ(code, DWORD(1));
        if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(info.hProcess, 99);
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
    }
    DestroyWindow(other);
}

// Last: a killed program leaves its global hooks behind under Wine.
TEST_CASE("companion_ends_when_the_program_is_killed")
{
    DebugMonitor monitor;
    REQUIRE(monitor.Active());
    Program program(L"companionkill", WithSettings("[rollupwnd]\r\nenable=1\r\n"));
    REQUIRE(PlaceCompanion(program));
    REQUIRE(program.Start());
    HWND wnd = nullptr;
    REQUIRE(WaitFor([&] { return (wnd = FindCompanion(program)) != nullptr; }, 15000));
    CompanionProcess companion;
    REQUIRE(companion.Open(wnd));
    REQUIRE(monitor.WaitForText("Companion: settings", 10000));

    program.Kill();  // TerminateProcess: no exit code of the program runs
    CHECK(companion.EndsWithin(10000));
    CHECK(monitor.WaitForText("Companion: the program has ended", 5000));
    CHECK(monitor.WaitForText("Companion: windows given back, leaving", 5000));
}
