// F6 as the left Windows key, through the real program: the focused target
// application logs which keys reach it and whether Windows was held.
#include <vector>

#include "tests/framework/check.h"
#include "tests/scenario/support/input.h"
#include "tests/scenario/support/target.h"

using namespace scenario;

namespace {
constexpr DWORD kWinHeld = 8;  // async key bit of the target's log

std::vector<message_log::Record> KeyMessages(const TargetWindow& target, WPARAM vk)
{
    std::vector<message_log::Record> out;
    for (const auto& r : target.Messages())
        if ((r.message == WM_KEYDOWN || r.message == WM_KEYUP || r.message == WM_SYSKEYDOWN ||
             r.message == WM_SYSKEYUP) &&
            r.wParam == vk)
            out.push_back(r);
    return out;
}

size_t CountKey(const TargetWindow& target, UINT message, WPARAM vk)
{
    size_t n = 0;
    for (const auto& r : KeyMessages(target, vk))
        n += r.message == message;
    return n;
}

bool WinKeyUp() { return !(GetAsyncKeyState(VK_LWIN) & 0x8000); }

const char kOn[] = "[simwinkey]\r\nenable=1\r\n";
}  // namespace

TEST_CASE("f6_press_and_release_become_left_windows_down_and_up")
{
    Program program(L"winkey", WithSettings(kOn));
    DebugMonitor monitor;
    REQUIRE(program.Start());
    TargetWindow target;
    REQUIRE(target.Start());
    target.ClearLog();

    input::KeyDown(VK_F6);
    CHECK(WaitFor([&] { return CountKey(target, WM_KEYDOWN, VK_LWIN) == 1; }, 3000));
    input::KeyUp(VK_F6);
    CHECK(WaitFor([&] { return CountKey(target, WM_KEYUP, VK_LWIN) == 1; }, 3000));
    input::Settle(200);
    CHECK(KeyMessages(target, VK_F6).empty());
    CHECK(WinKeyUp());
    CHECK(monitor.Contains("VK_F6"));

    // Held F6: one Windows press per auto-repeat and one release.
    target.ClearLog();
    for (int i = 0; i < 3; ++i)
        input::KeyDown(VK_F6);
    input::KeyUp(VK_F6);
    CHECK(WaitFor([&] { return CountKey(target, WM_KEYUP, VK_LWIN) == 1; }, 3000));
    input::Settle(200);
    CHECK_EQ(CountKey(target, WM_KEYDOWN, VK_LWIN), size_t(3));
    CHECK_EQ(CountKey(target, WM_KEYUP, VK_LWIN), size_t(1));
    CHECK(KeyMessages(target, VK_F6).empty());

    // F6 with another key, typed as a person does, is the Windows key
    // combination.
    target.ClearLog();
    input::KeyDown(VK_F6);
    CHECK(WaitFor([&] { return CountKey(target, WM_KEYDOWN, VK_LWIN) == 1; }, 3000));
    input::Tap('Q');
    CHECK(WaitFor([&] { return CountKey(target, WM_KEYUP, 'Q') == 1; }, 3000));
    input::KeyUp(VK_F6);
    CHECK(WaitFor([&] { return CountKey(target, WM_KEYUP, VK_LWIN) == 1; }, 3000));
    const auto q = KeyMessages(target, 'Q');
    REQUIRE(!q.empty());
    CHECK_EQ(q.front().message, UINT(WM_KEYDOWN));
    CHECK((q.front().async_keys & kWinHeld) != 0);
    CHECK(WinKeyUp());
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("alt_f6_reaches_applications_unchanged")
{
    Program program(L"winkey-alt", WithSettings(kOn));
    REQUIRE(program.Start());
    TargetWindow target;
    REQUIRE(target.Start());
    target.ClearLog();
    input::KeyDown(VK_MENU);
    input::Tap(VK_F6);
    input::KeyUp(VK_MENU);
    CHECK(WaitFor([&] { return CountKey(target, WM_SYSKEYUP, VK_F6) == 1; }, 3000));
    input::Settle(200);
    CHECK_EQ(CountKey(target, WM_SYSKEYDOWN, VK_F6), size_t(1));
    CHECK(KeyMessages(target, VK_LWIN).empty());
    CHECK(WinKeyUp());
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("alt_changing_while_f6_is_held_leaves_no_windows_key_behind")
{
    Program program(L"winkey-mixed", WithSettings(kOn));
    REQUIRE(program.Start());
    TargetWindow target;
    REQUIRE(target.Start());

    // F6 down as the Windows key, Alt pressed, F6 released: the Windows key
    // is released too.
    target.ClearLog();
    input::KeyDown(VK_F6);
    CHECK(WaitFor([&] { return CountKey(target, WM_KEYDOWN, VK_LWIN) == 1; }, 3000));
    input::KeyDown(VK_MENU);
    input::Settle(100);
    input::KeyUp(VK_F6);
    input::Settle(200);
    input::KeyUp(VK_MENU);
    CHECK(WaitFor(WinKeyUp, 3000));
    CHECK(KeyMessages(target, VK_F6).empty());

    // Alt+F6 pressed, Alt released first: the application gets its F6
    // release, and no Windows key event happens at all.
    target.ClearLog();
    input::KeyDown(VK_MENU);
    input::KeyDown(VK_F6);
    input::Settle(100);
    input::KeyUp(VK_MENU);
    input::Settle(100);
    input::KeyUp(VK_F6);
    CHECK(WaitFor([&] { return CountKey(target, WM_KEYUP, VK_F6) == 1; }, 3000));
    input::Settle(200);
    CHECK_EQ(CountKey(target, WM_SYSKEYDOWN, VK_F6), size_t(1));
    CHECK(KeyMessages(target, VK_LWIN).empty());
    CHECK(WinKeyUp());
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("with_the_setting_off_f6_is_untouched")
{
    Program program(L"winkey-off");
    REQUIRE(program.Start());
    TargetWindow target;
    REQUIRE(target.Start());
    target.ClearLog();
    input::Tap(VK_F6);
    CHECK(WaitFor([&] { return CountKey(target, WM_KEYUP, VK_F6) == 1; }, 3000));
    CHECK_EQ(CountKey(target, WM_KEYDOWN, VK_F6), size_t(1));
    CHECK(KeyMessages(target, VK_LWIN).empty());
    CHECK_EQ(program.Close(), 0);
}
