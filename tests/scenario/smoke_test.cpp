// The smoke of a user's copy: the program started from a folder laid out as
// its portable zip (the build's staged package folder), under the Windows
// version the prefix reports.  Its tray icon comes, its library arrives in a
// target application, a caption double click rolls the target up, the wheel
// over an inactive window under the cursor scrolls that window, a switch of
// the tray menu is written to settings.ini, and after the exit the target's
// window is as it was found.  The version paths are those of the reported
// version (the trace of its class, the entries of the tray menu).  The
// 32-bit stage runs it once for each of win2k, winxp and win7, naming the
// version in QV_TEST_WINDOWS_VERSION, which the reported one must match.
#include "common/os_version.h"
#include "common/version.h"
#include "quornvale/shell/command_ids.h"
#include "tests/framework/check.h"
#include "tests/scenario/support/harness.h"
#include "tests/scenario/support/input.h"
#include "tests/scenario/support/target.h"
#include "tests/scenario/support/tray_view.h"

using namespace scenario;
using input::Button;

namespace {
// The folder the zip holds, as the build stages it.
std::wstring PackageFolder()
{
    const wchar_t* arch = sizeof(void*) == 8 ? L"-win64" : L"-win32";
    return JoinPath(BinDir(), std::wstring(L"..\\packages\\quornvale-") + QUORNVALE_VERSION_WTEXT + arch);
}

std::wstring Setting(const Program& program, const wchar_t* section, const wchar_t* key)
{
    wchar_t value[64] = {};
    GetPrivateProfileStringW(section, key, L"<none>", value, 64, program.SettingsPath().c_str());
    return value;
}

bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// The wheel messages the program posted itself: an empty key-state word
// (the system's own carries the Shift held meanwhile) and the amount.
size_t Reposted(const TargetWindow& target, int amount)
{
    size_t n = 0;
    for (const auto& r : target.Messages(WM_MOUSEWHEEL, 0))
        n += LOWORD(DWORD(r.wParam)) == 0 && SHORT(HIWORD(DWORD(r.wParam))) == amount;
    return n;
}

// The version class the runner asked the prefix for (QV_TEST_WINDOWS_VERSION:
// win2k, winxp, vista, win7), or -1 when it asked for none.
int RequestedVersionClass()
{
    wchar_t text[16] = {};
    const DWORD n = GetEnvironmentVariableW(L"QV_TEST_WINDOWS_VERSION", text, 16);
    if (n == 0 || n >= 16)
        return -1;
    const struct {
        const wchar_t* name;
        int os_class;
    } versions[] = {{L"win2k", kOsWin2000}, {L"winxp", kOsWinXP}, {L"vista", kOsVista}, {L"win7", kOsWin7}};
    for (const auto& v : versions)
        if (lstrcmpiW(text, v.name) == 0)
            return v.os_class;
    return kOsUnknown;  // a name this test does not know never matches
}

// Milliseconds since the given tick, for the step times of the report.
DWORD Since(DWORD start) { return GetTickCount() - start; }
}  // namespace

TEST_CASE("the_zips_program_shows_its_icon_rolls_up_scrolls_writes_a_switch_and_leaves_the_target_as_found")
{
    const int os_class = GetOsVersionClass();
    MESSAGE(check::Format("reported version class %d, time factor %lu", os_class, TimeFactor()));
    // A prefix that ignored the runner's version would test another system.
    const int requested = RequestedVersionClass();
    if (requested >= 0)
        REQUIRE_EQ(os_class, requested);
    REQUIRE(FileExists(JoinPath(PackageFolder(), L"quornvale.exe")));
    REQUIRE(FileExists(JoinPath(PackageFolder(), L"portable.txt")));
    DebugMonitor monitor;
    REQUIRE(monitor.Active());
    TrayShell shell;
    REQUIRE(shell.Start());

    // Start from the zip's folder, with its shipped settings.
    const DWORD started = GetTickCount();
    ProgramOptions options;
    options.package_dir = PackageFolder();
    Program program(L"smoke", options);
    REQUIRE(program.Start());
    CHECK(WaitFor([&] { return shell.CountOf(program.MainWindow(), NIM_ADD) >= 1; }, Scaled(10000)));
    CHECK(monitor.WaitForText(check::Format("Windows version class %d", os_class), Scaled(5000)));
    CHECK(monitor.Contains("Settings (portable copy): " + check::Format("%ls", program.SettingsPath().c_str())));
    MESSAGE(check::Format("program started and its icon shown in %lu ms", Since(started)));

    // An inactive window to scroll, then the target in front of it.
    TargetOptions scrolled_options;
    scrolled_options.title = L"Smoke scrolled";
    scrolled_options.rect = {600, 100, 1000, 400};
    scrolled_options.activate = false;
    TargetWindow scrolled;
    REQUIRE(scrolled.Start(scrolled_options));
    TargetOptions target_options;
    target_options.title = L"Smoke target";
    TargetWindow target;
    REQUIRE(target.Start(target_options));
    const DWORD library_wait = GetTickCount();
    REQUIRE(target.WaitForLibrary(L"Ostrilix.dll", Scaled(20000)));
    MESSAGE(check::Format("library in the target after %lu ms", Since(library_wait)));
    HWND wnd = target.Window();
    const RECT found = WindowRect(wnd);
    REQUIRE(target.RunsOwnProcedure(Scaled(3000)));

    // In-process feature: roll-up by a caption double click (shipped on).
    POINT caption;
    REQUIRE(FindHitPoint(wnd, HTCAPTION, &caption));
    PumpFor(GetDoubleClickTime() + 150);  // no earlier click counts as the first of the pair
    input::DoubleClick(Button::Left, caption);
    CHECK(WaitFor([&] { return RectHeight(WindowRect(wnd)) < RectHeight(found) / 3; }, Scaled(5000)));
    CHECK_EQ(WindowRect(wnd).top, found.top);
    CHECK(!target.RunsOwnProcedure(Scaled(3000)));  // the library's procedure is in front

    // Low-level feature: direct scrolling (shipped on) of the inactive
    // window under the cursor.  The re-posted message has an empty key
    // word; the system's own (with Shift) is swallowed.
    const POINT over = WindowCentre(scrolled.Window());
    input::PlaceCursor(over);
    scrolled.ClearLog();
    input::KeyDown(VK_SHIFT);
    input::Wheel(-120, over);
    CHECK(WaitFor([&] { return Reposted(scrolled, -120) >= 1; }, Scaled(5000)));
    input::KeyUp(VK_SHIFT);
    CHECK(WaitForInputTaken(scrolled, POINT{over.x + 50, over.y + 50}, Scaled(10000)));
    CHECK_EQ(scrolled.Count(WM_MOUSEWHEEL), size_t(1));
    CHECK(GetForegroundWindow() != scrolled.Window());

    // The tray menu: the reported version's entries, and a switch.
    MenuView menu;
    REQUIRE(ReadTrayMenu(program, &menu));
    CHECK_EQ(menu.Command(CmdDesktopCaptions) != nullptr, os_class == kOsWin2000);
    CHECK_EQ(menu.Command(CmdIconOnlyTaskbar) != nullptr, os_class != kOsWin7);
    const MenuItemView* topmost = menu.Command(CmdTopmost);
    REQUIRE(topmost != nullptr);
    CHECK(topmost->Checked());
    CHECK_EQ(Setting(program, L"topmost", L"enable"), std::wstring(L"1"));
    // The command the menu gives for the entry, handled when the call returns.
    DWORD_PTR result = 0;
    CHECK(SendMessageTimeoutW(program.MainWindow(), WM_COMMAND, CmdTopmost, 0, SMTO_NORMAL, Scaled(5000), &result));
    CHECK_EQ(Setting(program, L"topmost", L"enable"), std::wstring(L"0"));
    REQUIRE(ReadTrayMenu(program, &menu));
    REQUIRE(menu.Command(CmdTopmost) != nullptr);
    CHECK(!menu.Command(CmdTopmost)->Checked());

    // The exit: icon removed, the target as it was found.
    const DWORD closing = GetTickCount();
    CHECK_EQ(program.Close(Scaled(10000)), 0);
    MESSAGE(check::Format("exit took %lu ms", Since(closing)));
    CHECK(WaitFor([&] { return shell.CountOf(program.MainWindow(), NIM_DELETE) >= 1; }, Scaled(5000)));
    CHECK(WaitFor([&] { return SameRect(WindowRect(wnd), found) && target.RunsOwnProcedure(); }, Scaled(5000)));
    CHECK(target.Responsive(Scaled(2000)));
    CHECK(scrolled.Responsive(Scaled(2000)));
    MESSAGE(check::Format("whole smoke %lu ms", Since(started)));
}
