// Wheel transparency through the real program: Left Alt + Left Ctrl + wheel
// fades a window of another process notch by notch down to the minimal
// alpha and back to opaque, each window on its own; with the feature off
// the window stays opaque.
#include "tests/framework/check.h"
#include "tests/scenario/support/harness.h"
#include "tests/scenario/support/input.h"
#include "tests/scenario/support/target.h"

using namespace scenario;

namespace {
bool Layered(HWND wnd) { return (GetWindowLongW(wnd, GWL_EXSTYLE) & WS_EX_LAYERED) != 0; }

int Alpha(HWND wnd)
{
    BYTE alpha = 0;
    DWORD flags = 0;
    if (!Layered(wnd) || !GetLayeredWindowAttributes(wnd, nullptr, &alpha, &flags) || !(flags & LWA_ALPHA))
        return 255;
    return alpha;
}

// One notch over the window; true once the window shows the expected alpha.
bool Notch(HWND wnd, int amount, int expected)
{
    input::Wheel(amount, ClientCentre(wnd));
    return WaitFor([&] { return Alpha(wnd) == expected && Layered(wnd) == (expected != 255); }, 5000);
}
}  // namespace

TEST(alt_ctrl_wheel_fades_down_to_the_minimum_and_back_to_opaque)
{
    Program program(L"fade", WithSettings("[transparent]\r\nenable=1\r\nminivalue=200\r\n"));
    REQUIRE(program.Start());
    TargetWindow target;
    REQUIRE(target.Start());
    HWND wnd = target.Window();
    const LONG style = GetWindowLongW(wnd, GWL_EXSTYLE);
    REQUIRE(!Layered(wnd));
    input::MoveTo(ClientCentre(wnd));

    target.ClearLog();
    {
        input::HeldKey alt(VK_LMENU), ctrl(VK_LCONTROL);
        REQUIRE(alt.Held() && ctrl.Held());
        CHECK(Notch(wnd, -120, 245));
        for (int expected : {235, 225, 215, 205, 200, 200})
            CHECK(Notch(wnd, -120, expected));
        for (int expected : {210, 220, 230, 240, 250})
            CHECK(Notch(wnd, 120, expected));
        CHECK(Notch(wnd, 120, 255));
    }
    CHECK_EQ(GetWindowLongW(wnd, GWL_EXSTYLE), style);
    PumpFor(300);
    CHECK_EQ(target.Count(WM_MOUSEWHEEL), size_t(0));
    CHECK(target.Responsive());
    CHECK_EQ(program.Close(), 0);
}

TEST(each_window_fades_from_its_own_alpha_and_keeps_its_own_style)
{
    Program program(L"fadetwo", WithSettings("[transparent]\r\nenable=1\r\nminivalue=40\r\n"));
    REQUIRE(program.Start());
    TargetOptions a_options, b_options;
    a_options.title = L"Fade A";
    a_options.rect = {60, 60, 460, 360};
    b_options.title = L"Fade B";
    b_options.popup = true;  // another extended style than A's
    b_options.rect = {600, 60, 1000, 360};
    TargetWindow a, b;
    REQUIRE(a.Start(a_options));
    REQUIRE(b.Start(b_options));
    const LONG a_style = GetWindowLongW(a.Window(), GWL_EXSTYLE);
    const LONG b_style = GetWindowLongW(b.Window(), GWL_EXSTYLE);
    REQUIRE(a_style != b_style);

    {
        input::HeldKey alt(VK_LMENU), ctrl(VK_LCONTROL);
        REQUIRE(alt.Held() && ctrl.Held());
        CHECK(Notch(a.Window(), -120, 245));
        CHECK(Notch(a.Window(), -120, 235));
        // B starts from its own 255 and keeps its own style.
        CHECK(Notch(b.Window(), -120, 245));
        CHECK_EQ(GetWindowLongW(b.Window(), GWL_EXSTYLE), LONG(b_style | WS_EX_LAYERED));
        CHECK_EQ(Alpha(a.Window()), 235);
        CHECK(Notch(b.Window(), 120, 255));
        CHECK_EQ(GetWindowLongW(b.Window(), GWL_EXSTYLE), b_style);
        // A continues from its own alpha.
        CHECK(Notch(a.Window(), 120, 245));
        CHECK(Notch(a.Window(), 120, 255));
        CHECK_EQ(GetWindowLongW(a.Window(), GWL_EXSTYLE), a_style);
    }
    CHECK_EQ(program.Close(), 0);
}

TEST(with_the_feature_off_the_window_stays_opaque)
{
    Program program(L"nofade", WithSettings("[transparent]\r\nenable=0\r\nminivalue=40\r\n"));
    REQUIRE(program.Start());
    TargetWindow target;
    REQUIRE(target.Start());
    HWND wnd = target.Window();
    const LONG style = GetWindowLongW(wnd, GWL_EXSTYLE);
    input::MoveTo(ClientCentre(wnd));
    {
        input::HeldKey alt(VK_LMENU), ctrl(VK_LCONTROL);
        REQUIRE(alt.Held() && ctrl.Held());
        for (int i = 0; i < 3; ++i)
            input::Wheel(-120, ClientCentre(wnd));
    }
    // The hook handles wheel events in order: once a plain notch reaches
    // the window, the three before it have been dealt with.
    target.ClearLog();
    input::Wheel(-120, ClientCentre(wnd));
    CHECK(WaitFor([&] { return target.Count(WM_MOUSEWHEEL) >= 1; }, 5000));
    CHECK(!Layered(wnd));
    CHECK_EQ(Alpha(wnd), 255);
    CHECK_EQ(GetWindowLongW(wnd, GWL_EXSTYLE), style);
    CHECK_EQ(program.Close(), 0);
}
