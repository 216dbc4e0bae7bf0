// The win64 package on 64-bit Windows with a 32-bit application: the 64-bit
// program starts its 32-bit companion (the i686 build's quornvale32.exe and
// library in its x86 folder), whose library rolls the 32-bit window up and
// sends it to the tray; the 64-bit library never acts there; everything is
// given back when the program closes, and by the next start after a kill.
// Needs 32-bit programs beside 64-bit ones (tests/run-tests32.sh runs it so,
// with QV_WOW64=1); elsewhere it says so and passes.
#include <string>

#include "quornvale/companion/companion_protocol.h"
#include "tests/framework/check.h"
#include "tests/scenario/support/harness.h"
#include "tests/scenario/support/input.h"
#include "tests/scenario/support/target.h"
#include "tests/scenario/support/tray_view.h"

using namespace scenario;

namespace {
constexpr char kSettings[] = "[rollupwnd]\r\nenable=1\r\n[notifyicon]\r\nenable=1\r\n";
// An emulated 32-bit process takes seconds to start and to load a library.
constexpr DWORD kSlow = 90000;

// The i686 build's binaries, beside this build's folder.
std::wstring I686Dir() { return JoinPath(BinDir(), L"..\\..\\i686\\bin"); }

// Whether 32-bit programs run beside this one: the WoW64 runner says so
// (QV_WOW64=1; plain 64-bit Wine grants a 32-bit start and even reports
// success without running it), and the i686 build's exception probe, a
// console program, comes back with its success code.
bool ThirtyTwoBitRuns()
{
    wchar_t wow64[4] = {};
    if (GetEnvironmentVariableW(L"QV_WOW64", wow64, 4) != 1 || wow64[0] != L'1')
        return false;
    std::wstring exe = JoinPath(I686Dir(), L"exception_thread_probe.exe");
    if (!FileExists(exe))
        return false;
    std::wstring line = L"\"" + exe + L"\" alone";
    STARTUPINFOW startup = {sizeof(startup)};
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(exe.c_str(), &line[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &info))
        return false;
    DWORD code = 1;
    if (WaitForSingleObject(info.hProcess, kSlow) == WAIT_OBJECT_0)
        GetExitCodeProcess(info.hProcess, &code);
    else
        TerminateProcess(info.hProcess, 1);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return code == 0;
}

// The win64 package's layout: the i686 companion and library in "x86".
bool PlaceCompanion(const Program& program)
{
    const std::wstring dir = JoinPath(program.Dir(), kCompanionFolder);
    CreateDirectoryW(dir.c_str(), nullptr);
    return CopyFileW(JoinPath(I686Dir(), L"quornvale32.exe").c_str(), JoinPath(dir, kCompanionFile).c_str(),
                     FALSE) &&
           CopyFileW(JoinPath(I686Dir(), L"Ostrilix.dll").c_str(), JoinPath(dir, L"Ostrilix.dll").c_str(), FALSE);
}

DWORD CompanionId(const Program& program)
{
    HWND wnd = nullptr;
    while ((wnd = FindWindowExW(nullptr, wnd, kCompanionWindowClass, nullptr)) != nullptr) {
        DWORD pid = 0;
        GetWindowThreadProcessId(wnd, &pid);
        if (pid != program.ProcessId())
            return pid;
    }
    return 0;
}

int Height(HWND wnd) { return RectHeight(WindowRect(wnd)); }

std::string Describe(HWND wnd)
{
    return check::Format("visible %d, minimised %d, height %d", int(IsWindowVisible(wnd)), int(IsIconic(wnd)),
                         Height(wnd));
}

TargetOptions ThirtyTwoBitTarget()
{
    TargetOptions options;
    options.title = L"Quornvale 32-bit target";
    options.helper_path = JoinPath(I686Dir(), L"target_window_gui.exe");
    options.start_timeout_ms = kSlow;
    return options;
}

// Program, companion and a 32-bit target started; its window is rolled up,
// then sent to the tray.
struct Session {
    DebugMonitor monitor;
    TrayShell shell;
    Program program{L"wow64", WithSettings(kSettings)};
    TargetWindow target;
    DWORD companion = 0;

    bool Start()
    {
        if (!CHECK(monitor.Active()) || !CHECK(shell.Start()) || !CHECK(PlaceCompanion(program)) ||
            !CHECK(program.Start()))
            return false;
        if (!CHECK(WaitFor([&] { return (companion = CompanionId(program)) != 0; }, kSlow)))
            return false;
        return CHECK(target.Start(ThirtyTwoBitTarget()));
    }

    // A caption double click until the window is rolled up (the library
    // comes into the target with the first hooked events).
    bool RollUp(int full)
    {
        POINT caption;
        if (!CHECK(FindHitPoint(target.Window(), HTCAPTION, &caption)))
            return false;
        return WaitFor([&] {
            input::DoubleClick(input::Button::Left, caption);
            return WaitFor([&] { return Height(target.Window()) < full / 3; }, 3000);
        }, kSlow, 500);
    }

    // Started, and the window rolled up.
    HWND wnd = nullptr;
    int full = 0;
    bool StartAndRollUp()
    {
        if (!Start())
            return false;
        wnd = target.Window();
        full = Height(wnd);
        return RollUp(full);
    }
    // The rolled-up window minimised with Left Alt held: hidden, with an icon.
    bool ToTray()
    {
        input::HeldKey alt(VK_LMENU);
        if (!CHECK(alt.Held()))
            return false;
        ShowWindowAsync(wnd, SW_MINIMIZE);
        return WaitFor([&] { return !IsWindowVisible(wnd) && shell.CountOf(wnd, NIM_ADD) > 0; }, kSlow);
    }
    // Given back as at exit: shown minimised, and a restore brings the full
    // height back.
    void CheckBack(DWORD ms)
    {
        if (!CHECK(WaitFor([&] { return IsWindowVisible(wnd) && IsIconic(wnd); }, ms)))
            MESSAGE(Describe(wnd));
        PostMessageW(wnd, WM_SYSCOMMAND, SC_RESTORE, 0);
        if (!CHECK(WaitFor([&] { return !IsIconic(wnd) && Height(wnd) == full; }, ms)))
            MESSAGE(Describe(wnd));
    }
};
}  // namespace

TEST_CASE("a_32_bit_window_is_rolled_up_and_sent_to_the_tray_by_the_companion_and_given_back_at_exit")
{
    if (!ThirtyTwoBitRuns()) {
        MESSAGE("no 32-bit programs here (the 32-bit stage runs this): nothing checked");
        return;
    }
    Session s;
    REQUIRE(s.StartAndRollUp());
    // The roll-up's trace came from the 32-bit target's own process, where
    // only the 32-bit library can be, and none from the program's.
    CHECK(s.monitor.CountFrom(s.target.ProcessId(), "nCurHeight = ") >= 1);
    CHECK_EQ(s.monitor.CountFrom(s.program.ProcessId(), "nCurHeight = "), size_t(0));
    REQUIRE(s.ToTray());

    CHECK_EQ(s.program.Close(), 0);
    CHECK(s.shell.WaitForNotification(s.wnd, NIM_DELETE));
    CHECK(s.monitor.WaitForText("Companion: windows given back, leaving", 30000));
    s.CheckBack(30000);
    CHECK(s.target.Responsive());
}

TEST_CASE("after_a_kill_of_the_program_and_its_companion_a_new_start_gives_the_32_bit_window_back")
{
    if (!ThirtyTwoBitRuns()) {
        MESSAGE("no 32-bit programs here (the 32-bit stage runs this): nothing checked");
        return;
    }
    Session s;
    REQUIRE(s.StartAndRollUp());
    REQUIRE(s.ToTray());

    HANDLE companion = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, s.companion);
    REQUIRE(companion != nullptr);
    s.program.Kill();
    TerminateProcess(companion, 99);
    CHECK_EQ(WaitForSingleObject(companion, 10000), DWORD(WAIT_OBJECT_0));
    CloseHandle(companion);
    CHECK(!IsWindowVisible(s.wnd));

    REQUIRE(s.program.Start());
    s.CheckBack(kSlow);
    CHECK(s.target.Responsive());
    CHECK_EQ(s.program.Close(), 0);
}
