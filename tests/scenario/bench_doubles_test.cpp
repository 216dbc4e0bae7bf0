// The bench's own doubles and input driver, checked against Wine before any
// product test relies on them: a target window logs what input reaches it.
#include "tests/framework/check.h"
#include "tests/scenario/support/input.h"
#include "tests/scenario/support/target.h"

using namespace scenario;

TEST_CASE("target_window_logs_real_clicks_and_double_clicks")
{
    TargetWindow target;
    REQUIRE(target.Start());
    RECT r = WindowRect(target.Window());
    CHECK_EQ(RectWidth(r), 400);
    CHECK_EQ(RectHeight(r), 300);

    POINT caption;
    REQUIRE(FindHitPoint(target.Window(), HTCAPTION, &caption));
    POINT client = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    target.ClearLog();
    input::Click(input::Button::Right, client);
    CHECK(WaitFor([&] { return target.Count(WM_RBUTTONUP) == 1; }, 3000));
    CHECK_EQ(target.Count(WM_RBUTTONDOWN), size_t(1));

    input::DoubleClick(input::Button::Left, client);
    CHECK(WaitFor([&] { return target.Count(WM_LBUTTONDBLCLK) == 1; }, 3000));

    input::Wheel(-120, client);
    CHECK(WaitFor([&] { return target.Count(WM_MOUSEWHEEL) == 1; }, 3000));
    auto wheel = target.Messages(WM_MOUSEWHEEL);
    if (!wheel.empty())
        CHECK_EQ(SHORT(HIWORD(wheel[0].wParam)), SHORT(-120));

    // A double click on the caption reaches the frame as a non-client one.
    target.ClearLog();
    input::DoubleClick(input::Button::Left, caption);
    CHECK(WaitFor([&] { return target.Count(WM_NCLBUTTONDBLCLK) == 1; }, 3000));
    auto dbl = target.Messages(WM_NCLBUTTONDBLCLK);
    if (!dbl.empty())
        CHECK_EQ(dbl[0].wParam, ULONGLONG(HTCAPTION));
    // Let the default processing (maximize) happen and undo it.
    WaitFor([&] { return IsZoomed(target.Window()) != FALSE; }, 2000);
    ShowWindow(target.Window(), SW_RESTORE);
    CHECK(target.Responsive());
}

TEST_CASE("target_window_child_and_keys")
{
    TargetOptions options;
    options.child_class = L"EDIT";
    options.title = L"Target with child";
    TargetWindow target;
    REQUIRE(target.Start(options));
    REQUIRE(target.Child() != nullptr);
    RECT r = WindowRect(target.Child());
    POINT inside = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    input::Click(input::Button::Left, inside);
    CHECK(WaitFor([&] { return target.Count(WM_LBUTTONUP, 1) == 1; }, 3000));
    target.ClearLog();
    input::Tap('A');
    CHECK(WaitFor([&] { return target.Count(WM_KEYUP, 1) == 1; }, 3000));
    CHECK(WaitFor([&] { return target.Count(WM_CHAR, 1) == 1; }, 3000));
}

TEST_CASE("keep_on_close_logs_the_close_request")
{
    TargetOptions options;
    options.keep_on_close = true;
    TargetWindow target;
    REQUIRE(target.Start(options));
    PostMessageW(target.Window(), WM_CLOSE, 0, 0);
    CHECK(WaitFor([&] { return target.Count(WM_CLOSE) == 1; }, 3000));
    CHECK(target.Alive());
}
