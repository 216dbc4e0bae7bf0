// Ending the program normally leaves every window it changed as it was
// found: windows of other processes that were rolled up (one also in the
// border move mode, a second subclass request) get their full rectangle and
// their own window procedure back.  A target that hangs does not hold the
// exit, and does the same once it wakes.
#include "tests/framework/check.h"
#include "tests/scenario/support/harness.h"
#include "tests/scenario/support/input.h"
#include "tests/scenario/support/target.h"

using namespace scenario;
using input::Button;

namespace {
int Height(HWND wnd) { return RectHeight(WindowRect(wnd)); }

// The hit test of a point on the left border, half-way down.
LRESULT LeftBorderHit(HWND wnd)
{
    const RECT r = WindowRect(wnd);
    DWORD_PTR hit = 0;
    SendMessageTimeoutW(wnd, WM_NCHITTEST, 0, MAKELPARAM(r.left + 1, (r.top + r.bottom) / 2), SMTO_ABORTIFHUNG,
                        2000, &hit);
    return LRESULT(hit);
}


// A right click on the bottom border switches the border move mode on: the
// left border then answers as the caption.
bool MoveByBorder(TargetWindow& target)
{
    HWND wnd = target.Window();
    POINT bottom;
    if (!FindHitPoint(wnd, HTBOTTOM, &bottom))
        return false;
    PumpFor(GetDoubleClickTime() + 150);
    input::Click(Button::Right, bottom);
    return WaitFor([&] { return LeftBorderHit(wnd) == HTCAPTION; }, 5000);
}

bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Full rectangle, own procedure, its borders size it again.
bool LeftAsFound(const TargetWindow& target, const RECT& before)
{
    HWND wnd = target.Window();
    return SameRect(WindowRect(wnd), before) && target.RunsOwnProcedure() && LeftBorderHit(wnd) == HTLEFT;
}

struct Bench {
    Program program{L"leave", WithSettings("[rollupwnd]\r\nenable=1\r\n")};
    TargetWindow a, b;
    RECT a_before = {}, b_before = {};

    bool Start()
    {
        TargetOptions a_options, b_options;
        a_options.title = L"Leave A";
        a_options.rect = {60, 60, 460, 400};
        b_options.title = L"Leave B";
        b_options.rect = {600, 60, 1000, 400};
        if (!program.Start() || !a.Start(a_options) || !b.Start(b_options) || !a.WaitForLibrary() ||
            !b.WaitForLibrary())
            return false;
        a_before = WindowRect(a.Window());
        b_before = WindowRect(b.Window());
        return a.RunsOwnProcedure() && b.RunsOwnProcedure();
    }
    // B first takes the border move mode, then both are rolled up.
    bool Change()
    {
        if (!MoveByBorder(b)) {
            MESSAGE(check::Format("the border move mode did not come on"));
            return false;
        }
        if (!RollUpByCaption(a) || !RollUpByCaption(b)) {
            MESSAGE(check::Format("a window did not roll up"));
            return false;
        }
        return true;
    }
    // From the close request to the end of the program's process.
    DWORD CloseAndTime(int* exit_code)
    {
        const DWORD start = GetTickCount();
        *exit_code = program.Close();
        return GetTickCount() - start;
    }
};
}  // namespace

TEST_CASE("ending_the_program_gives_every_changed_window_its_rectangle_and_procedure_back")
{
    Bench bench;
    REQUIRE(bench.Start());
    REQUIRE(bench.Change());
    CHECK(!bench.a.RunsOwnProcedure());  // the library's procedure is in front
    CHECK(!bench.b.RunsOwnProcedure());

    int code = -1;
    const DWORD elapsed = bench.CloseAndTime(&code);
    MESSAGE(check::Format("exit took %lu ms", elapsed));
    CHECK_EQ(code, 0);
    CHECK(WaitFor([&] { return LeftAsFound(bench.a, bench.a_before); }, 5000));
    CHECK(WaitFor([&] { return LeftAsFound(bench.b, bench.b_before); }, 5000));
    // Nothing holds their height any more.
    HWND wnd = bench.a.Window();
    SetWindowPos(wnd, nullptr, 0, 0, RectWidth(bench.a_before), 250, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    CHECK(WaitFor([&] { return Height(wnd) == 250; }, 3000));
    CHECK(bench.a.Responsive());
    CHECK(bench.b.Responsive());
}

TEST_CASE("a_hung_target_does_not_hold_the_exit_and_is_left_as_found_when_it_wakes")
{
    Bench bench;
    REQUIRE(bench.Start());
    REQUIRE(bench.Change());
    // B's thread sleeps longer than any exit may take.
    constexpr DWORD kHangMs = 6000;
    REQUIRE(bench.b.Hang(kHangMs));
    const DWORD hang_start = GetTickCount();

    int code = -1;
    const DWORD elapsed = bench.CloseAndTime(&code);
    MESSAGE(check::Format("exit with a hung target took %lu ms", elapsed));
    CHECK_EQ(code, 0);
    CHECK(elapsed < 3000);
    CHECK(GetTickCount() - hang_start < kHangMs);  // B was still asleep: the exit did not wait for it
    CHECK(WaitFor([&] { return LeftAsFound(bench.a, bench.a_before); }, 5000));
    // B wakes and finds the request waiting: the library's own procedure
    // answers it, the program's hooks being gone by then.
    CHECK(WaitFor([&] { return LeftAsFound(bench.b, bench.b_before); }, kHangMs + 10000, 100));
    CHECK(bench.b.Responsive());
}
