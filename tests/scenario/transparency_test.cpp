// Wheel transparency through the real program: Left Alt + Left Ctrl + wheel
// fades a window of another process notch by notch down to the minimal
// alpha and back to opaque, each window on its own; with the feature off
// the window stays opaque.  A window gets back exactly the style and the
// layering it has: changes made while it was faded stay, an application's
// own layering comes back, and so it does when the program ends.
#include "tests/framework/check.h"
#include "tests/scenario/support/harness.h"
#include "tests/scenario/support/input.h"
#include "tests/scenario/support/responsiveness.h"
#include "tests/scenario/support/target.h"

using namespace scenario;

namespace {

struct Layering {
    COLORREF key;
    BYTE alpha;
    DWORD flags;
    bool operator==(const Layering& o) const { return key == o.key && alpha == o.alpha && flags == o.flags; }
};

Layering LayeringOf(HWND wnd)
{
    Layering l = {};
    GetLayeredWindowAttributes(wnd, &l.key, &l.alpha, &l.flags);
    return l;
}

// What an application does that makes its own window layered: alpha 200 and
// a colour key.
constexpr Layering kOwnLayering = {RGB(1, 2, 3), 200, LWA_ALPHA | LWA_COLORKEY};
void LayerAsItsApplication(HWND wnd)
{
    SetWindowLongW(wnd, GWL_EXSTYLE, GetWindowLongW(wnd, GWL_EXSTYLE) | WS_EX_LAYERED);
    SetLayeredWindowAttributes(wnd, kOwnLayering.key, kOwnLayering.alpha, kOwnLayering.flags);
}

// A topmost toggle, as the topmost gesture or the application makes it.
void MakeTopmost(HWND wnd)
{
    SetWindowPos(wnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// One notch over the window; true once the window shows the expected alpha.
bool Notch(HWND wnd, int amount, int expected)
{
    input::Wheel(amount, ClientCentre(wnd));
    return WaitFor([&] { return LayeredAlpha(wnd) == expected && IsLayered(wnd) == (expected != 255); }, 5000);
}
}  // namespace

TEST_CASE("alt_ctrl_wheel_fades_down_to_the_minimum_and_back_to_opaque")
{
    Program program(L"fade", WithSettings("[transparent]\r\nenable=1\r\nminivalue=200\r\n"));
    REQUIRE(program.Start());
    TargetWindow target;
    REQUIRE(target.Start());
    HWND wnd = target.Window();
    const LONG style = GetWindowLongW(wnd, GWL_EXSTYLE);
    REQUIRE(!IsLayered(wnd));
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
    const POINT centre = ClientCentre(wnd);
    CHECK(WaitForInputTaken(target, {centre.x + 7, centre.y + 7}));
    CHECK_EQ(target.Count(WM_MOUSEWHEEL), size_t(0));
    CHECK(target.Responsive());
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("each_window_fades_from_its_own_alpha_and_keeps_its_own_style")
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
        CHECK_EQ(LayeredAlpha(a.Window()), 235);
        CHECK(Notch(b.Window(), 120, 255));
        CHECK_EQ(GetWindowLongW(b.Window(), GWL_EXSTYLE), b_style);
        // A continues from its own alpha.
        CHECK(Notch(a.Window(), 120, 245));
        CHECK(Notch(a.Window(), 120, 255));
        CHECK_EQ(GetWindowLongW(a.Window(), GWL_EXSTYLE), a_style);
    }
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("with_the_feature_off_the_window_stays_opaque")
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
    CHECK(!IsLayered(wnd));
    CHECK_EQ(LayeredAlpha(wnd), 255);
    CHECK_EQ(GetWindowLongW(wnd, GWL_EXSTYLE), style);
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("a_topmost_toggle_made_while_faded_stays_and_an_applications_own_layering_comes_back")
{
    Program program(L"fadeown", WithSettings("[transparent]\r\nenable=1\r\nminivalue=40\r\n"));
    REQUIRE(program.Start());
    TargetOptions a_options, b_options;
    a_options.title = L"Fade plain";
    a_options.rect = {60, 60, 460, 360};
    b_options.title = L"Fade layered";
    b_options.popup = true;
    b_options.rect = {600, 60, 1000, 360};
    TargetWindow a, b;
    REQUIRE(a.Start(a_options));
    REQUIRE(b.Start(b_options));
    HWND wa = a.Window(), wb = b.Window();
    const LONG a_style = GetWindowLongW(wa, GWL_EXSTYLE);
    LayerAsItsApplication(wb);
    const LONG b_style = GetWindowLongW(wb, GWL_EXSTYLE);
    REQUIRE(LayeringOf(wb) == kOwnLayering);

    {
        input::HeldKey alt(VK_LMENU), ctrl(VK_LCONTROL);
        REQUIRE(alt.Held() && ctrl.Held());
        CHECK(Notch(wa, -120, 245));
        MakeTopmost(wa);
        CHECK(Notch(wa, 120, 255));
        // The toggle stays; only the layered bit went.
        CHECK_EQ(GetWindowLongW(wa, GWL_EXSTYLE), LONG(a_style | WS_EX_TOPMOST));

        // B fades from its own alpha and keeps its colour key meanwhile.
        CHECK(Notch(wb, -120, 190));
        CHECK(LayeringOf(wb) == (Layering{kOwnLayering.key, 190, LWA_ALPHA | LWA_COLORKEY}));
        // Back at its own alpha: its own layering, still layered.
        CHECK(Notch(wb, 120, 200));
        CHECK(WaitFor([&] { return LayeringOf(wb) == kOwnLayering; }, 3000));
        CHECK_EQ(GetWindowLongW(wb, GWL_EXSTYLE), b_style);
    }
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("faded_windows_get_their_own_look_back_when_the_program_ends")
{
    DebugMonitor monitor;
    Program program(L"fadeexit", WithSettings("[transparent]\r\nenable=1\r\nminivalue=40\r\n"));
    REQUIRE(program.Start());
    TargetOptions options[3];
    options[0].title = L"Fade plain";
    options[0].rect = {60, 60, 400, 300};
    options[1].title = L"Fade layered";
    options[1].popup = true;
    options[1].rect = {460, 60, 800, 300};
    options[2].title = L"Fade hung";
    options[2].rect = {860, 60, 1200, 300};
    TargetWindow targets[3];
    for (int i = 0; i < 3; ++i)
        REQUIRE(targets[i].Start(options[i]));
    HWND plain = targets[0].Window(), layered = targets[1].Window(), hung = targets[2].Window();
    const LONG plain_style = GetWindowLongW(plain, GWL_EXSTYLE);
    LayerAsItsApplication(layered);
    const LONG layered_style = GetWindowLongW(layered, GWL_EXSTYLE);
    {
        input::HeldKey alt(VK_LMENU), ctrl(VK_LCONTROL);
        REQUIRE(alt.Held() && ctrl.Held());
        CHECK(Notch(plain, -120, 245));
        CHECK(Notch(plain, -120, 235));
        CHECK(Notch(layered, -120, 190));
        CHECK(Notch(hung, -120, 245));
    }
    MakeTopmost(plain);

    // A window that hangs at the exit neither holds the exit nor stays
    // faded; it keeps a layered bit, being unable to take its style.
    REQUIRE(HangThreadOf(hung, 10000));
    CHECK_EQ(program.Close(), 0);
    CHECK(!Answers(hung, 50));
    CHECK_EQ(GetWindowLongW(plain, GWL_EXSTYLE), LONG(plain_style | WS_EX_TOPMOST));
    CHECK_EQ(LayeredAlpha(plain), 255);
    CHECK_EQ(GetWindowLongW(layered, GWL_EXSTYLE), layered_style);
    CHECK(LayeringOf(layered) == kOwnLayering);
    CHECK_EQ(LayeredAlpha(hung), 255);
    CHECK(monitor.WaitForText("RestoreFadedWindows: 3 faded, 1 not given back", 3000));
    CHECK(targets[0].Responsive() && targets[1].Responsive());
}
