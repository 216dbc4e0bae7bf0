// Direct scrolling through the real program.  Wine itself already sends the
// wheel to the window under the pointer, so these tests look at what only
// the program does: the application's own wheel message is swallowed and a
// posted one arrives instead, carrying the wheel data the low-level hook
// remembered, with an empty key-state word.  Shift is held for every notch:
// the system's own message reports it (MK_SHIFT), the re-posted one does not.
#include <string>

#include "tests/framework/check.h"
#include "tests/scenario/support/harness.h"
#include "tests/scenario/support/input.h"
#include "tests/scenario/support/target.h"

using namespace scenario;

namespace {
// One notch of the given amount with Shift (and optionally Ctrl) held; the
// wheel messages the target then received, anywhere in it.
std::vector<message_log::Record> Notch(TargetWindow& target, POINT p, int amount,
                                       bool ctrl = false)
{
    target.ClearLog();
    input::KeyDown(VK_SHIFT);
    if (ctrl)
        input::KeyDown(VK_CONTROL);
    input::Settle(50);
    input::Wheel(amount, p);
    WaitFor([&] { return target.Count(WM_MOUSEWHEEL) >= 1; }, 3000);
    input::Settle(300);  // anything posted late arrives too
    if (ctrl)
        input::KeyUp(VK_CONTROL);
    input::KeyUp(VK_SHIFT);
    input::Settle(50);
    return target.Messages(WM_MOUSEWHEEL);
}

WORD KeyWord(const message_log::Record& r) { return LOWORD(DWORD(r.wParam)); }
SHORT WheelOf(const message_log::Record& r) { return SHORT(HIWORD(DWORD(r.wParam))); }

std::string Settings(const std::wstring& excluded)
{
    std::string text = "[directscroll]\r\nenable=1\r\nexcluded_list=";
    for (wchar_t c : excluded)
        text += char(c);  // the test paths are plain ASCII
    return text + "\r\n";
}

std::wstring TargetExe() { return JoinPath(BinDir(), L"target_window_gui.exe"); }

// A program with the given settings and a hooked target under the cursor.
struct Bench {
    explicit Bench(const std::string& settings, const TargetOptions& options = {})
        : text(settings), program(L"directscroll", WithSettings(text.c_str()))
    {
        started = StartProgramAndTarget(program, target, options);
        point = target.Window() ? WindowCentre(target.Window()) : POINT{};
        input::PlaceCursor(point);
    }
    std::string text;
    Program program;
    TargetWindow target;
    bool started = false;
    POINT point = {};
};
}  // namespace

TEST_CASE("without_direct_scrolling_the_wheel_message_is_the_systems_own")
{
    Bench bench("[directscroll]\r\nenable=0\r\n");
    REQUIRE(bench.started);
    const auto wheel = Notch(bench.target, bench.point, 240);
    REQUIRE_EQ(wheel.size(), size_t(1));
    CHECK_EQ(WheelOf(wheel[0]), SHORT(240));
    CHECK((KeyWord(wheel[0]) & MK_SHIFT) != 0);
    CHECK_EQ(bench.program.Close(), 0);
}

TEST_CASE("the_wheel_is_swallowed_and_reposted_with_the_remembered_data")
{
    Bench bench(Settings(L""));
    REQUIRE(bench.started);
    DebugMonitor monitor;
    for (int amount : {240, -120}) {
        const auto wheel = Notch(bench.target, bench.point, amount);
        REQUIRE_EQ(wheel.size(), size_t(1));
        CHECK_EQ(wheel[0].window, UINT(0));
        CHECK_EQ(WheelOf(wheel[0]), SHORT(amount));
        CHECK_EQ(KeyWord(wheel[0]), WORD(0));
        CHECK_EQ(LOWORD(DWORD(wheel[0].lParam)), WORD(bench.point.x));
        CHECK_EQ(HIWORD(DWORD(wheel[0].lParam)), WORD(bench.point.y));
    }
    CHECK(monitor.WaitForText("DirectlyScroll hCurWnd == ", 2000));
    CHECK_EQ(bench.program.Close(), 0);
}

TEST_CASE("ctrl_wheel_is_never_redirected")
{
    Bench bench(Settings(L""));
    REQUIRE(bench.started);
    const auto wheel = Notch(bench.target, bench.point, 120, true);
    REQUIRE_EQ(wheel.size(), size_t(1));
    CHECK_EQ(KeyWord(wheel[0]) & (MK_CONTROL | MK_SHIFT), WORD(MK_CONTROL | MK_SHIFT));
    CHECK_EQ(bench.program.Close(), 0);
}

TEST_CASE("a_tooltip_under_the_cursor_is_left_alone")
{
    TargetOptions options;
    options.child_class = L"tooltips_class32";
    Bench bench(Settings(L""), options);
    REQUIRE(bench.started);
    REQUIRE(bench.target.Child() != nullptr);
    const auto wheel = Notch(bench.target, bench.point, 120);
    REQUIRE(!wheel.empty());
    for (const auto& r : wheel)
        CHECK((KeyWord(r) & MK_SHIFT) != 0);
    CHECK_EQ(bench.program.Close(), 0);
}

TEST_CASE("an_excepted_executable_keeps_the_systems_routing")
{
    const std::wstring exe = TargetExe();
    const std::wstring stem = exe.substr(0, exe.size() - 4);  // without ".exe"
    const std::wstring sibling = stem + L"2.exe";
    struct Case {
        std::wstring list;
        bool excepted;
    };
    const Case cases[] = {
        {L"c:\\tools\\app.exe; " + exe, true},
        {L"c:\\tools\\app.exe;" + stem, true},  // a last entry the path begins with
        {sibling + L";c:\\tools\\app.exe", false},
    };
    for (const Case& c : cases) {
        Bench bench(Settings(c.list));
        REQUIRE(bench.started);
        const auto wheel = Notch(bench.target, bench.point, 120);
        REQUIRE_EQ(wheel.size(), size_t(1));
        CHECK_EQ((KeyWord(wheel[0]) & MK_SHIFT) != 0, c.excepted);
        CHECK_EQ(bench.program.Close(), 0);
    }
}

TEST_CASE("the_wheel_reaches_the_unfocused_window_under_the_cursor_not_the_focused_one")
{
    // The focused application on the left, another one under the cursor on
    // the right, never activated.
    Bench bench(Settings(L""));
    REQUIRE(bench.started);
    TargetWindow under;
    TargetOptions options;
    options.title = L"Under the cursor";
    options.window_class = L"QvTargetUnder";
    options.rect = {600, 100, 1000, 400};
    options.activate = false;
    REQUIRE(under.Start(options));
    REQUIRE(under.WaitForLibrary());
    HWND focused = bench.target.Window();
    SetForegroundWindow(focused);
    REQUIRE(WaitFor([&] { return GetForegroundWindow() == focused; }, 5000));
    const POINT p = input::PlaceCursor(WindowCentre(under.Window()));
    REQUIRE(WindowFromPoint(p) == under.Window());

    bench.target.ClearLog();
    const auto wheel = Notch(under, p, -240);
    // The program's own message, posted to the window under the cursor.
    REQUIRE_EQ(wheel.size(), size_t(1));
    CHECK_EQ(WheelOf(wheel[0]), SHORT(-240));
    CHECK_EQ(KeyWord(wheel[0]), WORD(0));
    CHECK_EQ(bench.target.Count(WM_MOUSEWHEEL), size_t(0));
    CHECK(GetForegroundWindow() == focused);
    CHECK_EQ(bench.program.Close(), 0);
}
