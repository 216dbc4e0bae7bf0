// Windows drops a low-level hook without a word (Windows 7, after a late
// answer).  The test build of the program drops its hooks on request, as
// Windows would (the registered message of the test seam, posted to the
// input thread's window); the program's watch notices that the cursor moves
// while its input thread sees no event, and sets the hooks again.  F6 as the
// Windows key shows, from the target's own log, whether the low-level hooks
// are in place: the target gets the Windows key while they are, F6 while
// they are not.
#include <windows.h>

#include <functional>

#include "tests/framework/check.h"
#include "tests/scenario/support/input.h"
#include "tests/scenario/support/target.h"

using namespace scenario;

namespace {
size_t KeyDowns(const TargetWindow& target, WPARAM vk)
{
    size_t n = 0;
    for (const auto& r : target.Messages(WM_KEYDOWN))
        n += r.wParam == vk;
    return n;
}

// F6 pressed and released over the target, brought to the front first (a
// Windows key may have given the focus to the desktop's start menu); the
// key the target got for it, 0 when none came.
WPARAM KeyForF6(TargetWindow& target)
{
    input::Click(input::Button::Left, WindowCentre(target.Window()));
    if (!WaitFor([&] { return GetForegroundWindow() == target.Window(); }, 5000))
        return 0;
    target.ClearLog();
    input::KeyDown(VK_F6);
    input::Settle(50);
    input::KeyUp(VK_F6);
    WPARAM got = 0;
    WaitFor([&] {
        got = KeyDowns(target, VK_LWIN) ? VK_LWIN : KeyDowns(target, VK_F6) ? VK_F6 : 0;
        return got != 0 && target.Count(WM_KEYUP) > 0;
    }, 5000);
    return got;
}

}  // namespace

TEST_CASE("dropped_low_level_hooks_are_set_again_once_the_cursor_moves")
{
    DebugMonitor monitor;
    REQUIRE(monitor.Active());
    Program program(L"hookwatch", WithSettings("[simwinkey]\r\nenable=1\r\n"));
    TargetWindow target;
    REQUIRE(StartProgramAndTarget(program, target));
    CHECK(monitor.WaitForText("runs the low-level hooks", 5000));
    const POINT centre = input::PlaceCursor(WindowCentre(target.Window()));
    REQUIRE_EQ(KeyForF6(target), WPARAM(VK_LWIN));

    // While the hooks answer, moving the mouse for longer than the watch's
    // silence sets nothing again.
    const DWORD moving = GetTickCount();
    input::MoveUntil(centre, [&] { return GetTickCount() - moving > 6000; }, 7000);
    CHECK_EQ(KeyForF6(target), WPARAM(VK_LWIN));
    CHECK_EQ(monitor.Count("Low-level hooks reinstalled"), size_t(0));

    // Dropped behind the program's back: F6 reaches the target as it is.
    HWND input_window = FindWindowExW(HWND_MESSAGE, nullptr, L"Quornvale.Input", nullptr);
    REQUIRE(input_window != nullptr);
    REQUIRE(PostMessageW(input_window, RegisterWindowMessageW(L"Quornvale.Test.DropLowLevelHooks"), 0, 0));
    REQUIRE(monitor.WaitForText("low-level hooks are dropped behind the program's back", 5000));
    CHECK_EQ(KeyForF6(target), WPARAM(VK_F6));

    // The cursor moves, no event comes: both hooks are set again, and F6 is
    // the Windows key once more.
    const DWORD dropped = GetTickCount();
    CHECK(input::MoveUntil(centre, [&] { return monitor.Contains("Low-level hooks reinstalled (2)"); }, 20000));
    MESSAGE(check::Format("hooks set again %lu ms after they were dropped", GetTickCount() - dropped));
    CHECK_EQ(KeyForF6(target), WPARAM(VK_LWIN));
    CHECK_EQ(monitor.Count("Low-level hooks reinstalled"), size_t(1));
    CHECK_EQ(program.Close(), 0);
}
