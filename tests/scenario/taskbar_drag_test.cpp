// Taskbar button dragging through the real program and library, on a
// stand-in for the Windows XP taskbar driven by real mouse input: a button
// dropped on another takes its place, one dropped on empty space stays, the
// subclass is installed once and given back when the program ends, a new
// taskbar after the shell was killed gets the feature again, and nothing
// happens on Windows 7 and later.
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>

#include <vector>

#include "tests/framework/check.h"
#include "tests/scenario/support/app_version.h"
#include "tests/scenario/support/harness.h"
#include "tests/scenario/support/input.h"
#include "tests/scenario/support/library_view.h"

using namespace scenario;

namespace {
constexpr int kButtons = 3;  // commands 100, 101, 102
constexpr char kInstalled[] = "Taskbar button dragging installed";

struct Taskbar {
    Helper helper;
    HWND toolbar = nullptr;
    std::vector<POINT> centres;  // of the buttons as they were placed
    POINT empty = {};            // toolbar space right of the last button
};

bool StartTaskbar(Taskbar& taskbar)
{
    wchar_t arguments[32];
    _snwprintf(arguments, 31, L"--buttons %d", kButtons);
    arguments[31] = L'\0';
    if (!taskbar.helper.Start(L"taskbar_double_gui.exe", arguments))
        return false;
    HWND task_switch = nullptr;
    wchar_t title[256] = {};
    const bool found = WaitFor([&] {
        HWND tray = FindProcessWindow(taskbar.helper.ProcessId(), L"Shell_TrayWnd");
        HWND rebar = tray ? FindWindowExW(tray, nullptr, L"ReBarWindow32", nullptr) : nullptr;
        task_switch = rebar ? FindWindowExW(rebar, nullptr, L"MSTaskSwWClass", nullptr) : nullptr;
        taskbar.toolbar = task_switch ? FindWindowExW(task_switch, nullptr, L"ToolbarWindow32", nullptr) : nullptr;
        return taskbar.toolbar && GetWindowTextW(task_switch, title, 256) > 0;
    }, 10000);
    if (!found)
        return false;
    const wchar_t* at = title;
    POINT p;
    int used = 0;
    while (swscanf(at, L"%ld,%ld%n", &p.x, &p.y, &used) == 2) {
        taskbar.centres.push_back(p);
        at += used;
    }
    RECT rect = {};
    GetWindowRect(taskbar.toolbar, &rect);
    taskbar.empty = {rect.right - 20, taskbar.centres.empty() ? 0 : taskbar.centres[0].y};
    return int(taskbar.centres.size()) == kButtons && rect.right - 20 > taskbar.centres.back().x + 60;
}

// The library comes into the taskbar's process with the first message that
// passes the program's hooks there.
bool WaitForLibraryIn(const Taskbar& taskbar)
{
    return WaitFor([&] {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(taskbar.toolbar, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 500, &result);
        return ProcessHasModule(taskbar.helper.ProcessId(), L"Ostrilix.dll");
    }, 15000, 100);
}

HWND CaptureOf(HWND window)
{
    GUITHREADINFO info = {sizeof(info)};
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndCapture : nullptr;
}

// Index of each command, in command order; asked by a sent message, so the
// toolbar's thread is done with the input before it answers.
std::vector<int> Order(const Taskbar& taskbar)
{
    std::vector<int> indexes;
    for (int i = 0; i < kButtons; ++i) {
        DWORD_PTR index = DWORD_PTR(-2);
        SendMessageTimeoutW(taskbar.toolbar, TB_COMMANDTOINDEX, 100 + i, 0, SMTO_ABORTIFHUNG, 5000, &index);
        indexes.push_back(int(index));
    }
    return indexes;
}

// A real left-button drag from one point to another, the cursor placed at
// every step (a low-level mouse hook keeps Wine from moving it for injected
// moves).  Ends when the toolbar has let the mouse go.
bool Drag(const Taskbar& taskbar, POINT from, POINT to)
{
    input::PlaceCursor(from);
    input::Press(input::Button::Left, from);
    if (!WaitFor([&] { return CaptureOf(taskbar.toolbar) == taskbar.toolbar; }, 5000))
        return false;
    for (int step = 1; step <= 4; ++step) {
        POINT p = {from.x + (to.x - from.x) * step / 4, from.y + (to.y - from.y) * step / 4};
        input::PlaceCursor(p);
        input::MoveTo(p);
        input::Settle(30);
    }
    input::Release(input::Button::Left, to);
    return WaitFor([&] { return CaptureOf(taskbar.toolbar) == nullptr; }, 5000);
}

const std::vector<int> kPlaced = {0, 1, 2};
}  // namespace

TEST_CASE("on_xp_a_dragged_button_takes_the_place_it_is_dropped_on_and_the_taskbar_is_left_as_found")
{
    ScopedAppVersion version(L"taskbar_double_gui.exe", L"winxp");
    DebugMonitor monitor;
    REQUIRE(monitor.Active());
    Taskbar taskbar;
    REQUIRE(StartTaskbar(taskbar));
    Program program(L"tbdrag");
    REQUIRE(program.Start());
    REQUIRE(WaitForLibraryIn(taskbar));

    // The first press installs the subclass; a drop on empty space moves nothing.
    REQUIRE(Drag(taskbar, taskbar.centres[0], taskbar.empty));
    CHECK(monitor.WaitForText(kInstalled, 5000));
    CHECK(Order(taskbar) == kPlaced);
    // A drop on the last button: the first one takes its place.
    REQUIRE(Drag(taskbar, taskbar.centres[0], taskbar.centres[2]));
    CHECK(Order(taskbar) == (std::vector<int>{2, 0, 1}));
    // And back onto the first place, by a later press that installs nothing more.
    REQUIRE(Drag(taskbar, taskbar.centres[2], taskbar.centres[0]));
    CHECK(Order(taskbar) == kPlaced);
    CHECK_EQ(monitor.Count(kInstalled), size_t(1));

    // The program ends: the taskbar window gets its own procedure back, and
    // a drag moves nothing any more.
    CHECK_EQ(program.Close(), 0);
    CHECK(monitor.WaitForText("Taskbar button dragging removed", 5000));
    REQUIRE(Drag(taskbar, taskbar.centres[0], taskbar.centres[2]));
    CHECK(Order(taskbar) == kPlaced);
}

TEST_CASE("on_windows_7_and_later_nothing_is_installed")
{
    for (const wchar_t* system : {L"win7", L"win10"}) {
        ScopedAppVersion version(L"taskbar_double_gui.exe", system);
        DebugMonitor monitor;
        REQUIRE(monitor.Active());
        Taskbar taskbar;
        REQUIRE(StartTaskbar(taskbar));
        Program program(L"tbdrag7");
        REQUIRE(program.Start());
        REQUIRE(WaitForLibraryIn(taskbar));
        REQUIRE(Drag(taskbar, taskbar.centres[0], taskbar.centres[2]));
        CHECK(Order(taskbar) == kPlaced);
        CHECK(monitor.Contains("WM_LBUTTONDOWN"));  // the press did reach the library
        CHECK_EQ(monitor.Count(kInstalled), size_t(0));
        CHECK_EQ(program.Close(), 0);
    }
}

TEST_CASE("a_taskbar_started_after_the_shell_was_killed_gets_dragging_and_the_gone_one_is_forgotten")
{
    ScopedAppVersion version(L"taskbar_double_gui.exe", L"winxp");
    DebugMonitor monitor;
    REQUIRE(monitor.Active());
    Taskbar first;
    REQUIRE(StartTaskbar(first));
    Program program(L"tbrestart");
    REQUIRE(program.Start());
    REQUIRE(WaitForLibraryIn(first));
    REQUIRE(Drag(first, first.centres[0], first.empty));
    REQUIRE(monitor.WaitForText(kInstalled, 5000));
    HWND gone = GetParent(first.toolbar);

    // Killed, as a crashing shell ends: the library's detach never runs there.
    first.helper.Kill();
    REQUIRE(WaitFor([&] { return !IsWindow(gone); }, 10000));

    Taskbar second;
    REQUIRE(StartTaskbar(second));
    REQUIRE(WaitForLibraryIn(second));
    REQUIRE(Drag(second, second.centres[0], second.centres[2]));
    CHECK(monitor.WaitForText("button dragging is forgotten", 5000));
    CHECK(Order(second) == (std::vector<int>{2, 0, 1}));
    CHECK_EQ(monitor.Count(kInstalled), size_t(2));
    LibraryView view(program.LibraryPath());
    REQUIRE(view.Loaded());
    for (int slot = 0; slot < kTouchedWindows; ++slot)
        CHECK(view.Block().s_h_touched_windows[slot] != gone);

    // The new taskbar is given back at the end, as the first one would be.
    CHECK_EQ(program.Close(), 0);
    CHECK(monitor.WaitForText("Taskbar button dragging removed", 5000));
}
