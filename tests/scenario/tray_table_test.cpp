// Minimise to tray when no icon can be had: with the table of tray windows
// full (32 windows) a 33rd stays minimised in sight, and an icon the shell
// refuses leaves its window minimised in sight, its slot free, until the
// shell takes icons again.  A program of its own, so that no program an
// earlier test case ended can have left its hooks, with a table of its own,
// in the target.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "tests/framework/check.h"
#include "tests/scenario/support/harness.h"
#include "tests/scenario/support/library_view.h"
#include "tests/scenario/support/target.h"
#include "tests/scenario/support/tray_view.h"

using namespace scenario;

namespace {
std::string Utf8(const std::wstring& text)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::string TraySettings(const std::string& list)
{
    return "[notifyicon]\r\nenable=1\r\nlist=" + list + "\r\n";
}

void Minimise(HWND window) { ShowWindowAsync(window, SW_MINIMIZE); }

bool WaitVisible(HWND window) { return WaitFor([&] { return IsWindowVisible(window) != FALSE; }, 10000); }
}  // namespace

TEST_CASE("a_full_tray_table_or_a_refused_icon_leaves_the_window_minimised_in_sight")
{
    const std::string exe = Utf8(JoinPath(BinDir(), L"target_window_gui.exe"));
    DebugMonitor monitor;
    REQUIRE(monitor.Active());
    TrayShell shell;
    REQUIRE(shell.Start());
    const std::string settings = TraySettings(exe + ", QvTrayListed");
    Program program(L"trayfull", WithSettings(settings.c_str()));
    LibraryView view(program.LibraryPath());
    REQUIRE(view.Loaded());
    TargetWindow target;
    TargetOptions options;
    options.window_class = L"QvTrayListed";
    REQUIRE(StartProgramAndTarget(program, target, options));
    HWND window = target.Window();
    auto minimised_seen = [&](size_t count) {
        return WaitFor([&] {
            size_t n = 0;
            for (const auto& r : target.Messages(WM_SIZE, 0))
                n += r.wParam == SIZE_MINIMIZED;
            return n >= count;
        }, 10000);
    };
    auto holds = [&](HWND wnd) {
        for (int i = 0; i < kTrayWindows; ++i)
            if (view.Block().s_h_tray_windows[i] == wnd)
                return true;
        return false;
    };

    // 32 live windows in the tray already (windows of this process): the
    // 33rd has no slot and stays minimised where the user can see it.
    std::vector<HWND> others;
    for (int i = 0; i < kTrayWindows; ++i)
        others.push_back(CreateWindowExW(0, L"STATIC", L"in the tray", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr,
                                         nullptr, nullptr));
    for (int i = 0; i < kTrayWindows; ++i) {
        REQUIRE(others[size_t(i)] != nullptr);
        view.MutableBlock().s_h_tray_windows[i] = others[size_t(i)];
    }
    Minimise(window);
    CHECK(minimised_seen(1));
    // The decision is traced before the window gets its WM_SIZE.
    CHECK(monitor.WaitForText("No room in the tray table", 10000));
    CHECK(IsIconic(window));
    CHECK(IsWindowVisible(window));
    CHECK_EQ(shell.CountOf(window, NIM_ADD), size_t(0));
    CHECK(!holds(window));
    for (int i = 0; i < kTrayWindows; ++i)
        CHECK(view.Block().s_h_tray_windows[i] == others[size_t(i)]);

    // Room again, but the shell refuses the icon: no icon, no hiding, and
    // the slot it took is free again.
    for (int i = 0; i < kTrayWindows; ++i)
        view.MutableBlock().s_h_tray_windows[i] = nullptr;
    for (HWND other : others)
        DestroyWindow(other);
    ShowWindowAsync(window, SW_RESTORE);
    REQUIRE(WaitFor([&] { return !IsIconic(window); }, 10000));
    REQUIRE(shell.RefuseIcons(true));
    Minimise(window);
    CHECK(minimised_seen(2));
    CHECK(shell.WaitForNotification(window, NIM_ADD));
    CHECK(monitor.WaitForText("not added", 10000));
    CHECK(IsIconic(window));
    CHECK(IsWindowVisible(window));
    CHECK(!holds(window));

    // The shell takes icons again: the same window goes to the tray.
    REQUIRE(shell.RefuseIcons(false));
    ShowWindowAsync(window, SW_RESTORE);
    REQUIRE(WaitFor([&] { return !IsIconic(window); }, 10000));
    Minimise(window);
    CHECK(shell.WaitForNotification(window, NIM_ADD, 2));
    CHECK(WaitFor([&] { return !IsWindowVisible(window); }, 10000));
    CHECK(holds(window));
    CHECK_EQ(program.Close(), 0);
    CHECK(WaitVisible(window));
}
