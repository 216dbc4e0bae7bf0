// Every message over a window of the debug-output viewer's class passes
// untouched, whatever is switched on: both mouse hooks leave it alone.
#include "tests/framework/check.h"
#include "tests/scenario/support/harness.h"
#include "tests/scenario/support/input.h"
#include "tests/scenario/support/target.h"

using namespace scenario;
using input::Button;

TEST_CASE("a_debug_viewer_window_gets_every_message_untouched")
{
    ProgramOptions options;
    options.settings =
        "[rollupwnd]\r\nenable=1\r\n"
        "[topmost]\r\nenable=1\r\n"
        "[mbutton]\r\ncode=1\r\n"
        "[transparent]\r\nenable=1\r\nminivalue=40\r\n";
    Program program(L"dbgview", options);
    REQUIRE(program.Start());
    TargetOptions target_options;
    target_options.window_class = L"DBGVIEWclass";  // any case
    TargetWindow target;
    REQUIRE(target.Start(target_options));
    REQUIRE(target.WaitForLibrary());
    HWND wnd = target.Window();
    const int height = RectHeight(WindowRect(wnd));

    target.ClearLog();
    {
        input::HeldKey alt(VK_LMENU), ctrl(VK_LCONTROL);
        REQUIRE(alt.Held() && ctrl.Held());
        input::Wheel(-120, ClientCentre(wnd));
        CHECK(WaitFor([&] { return target.Count(WM_MOUSEWHEEL) == 1; }, 5000));
    }
    CHECK(!(GetWindowLongW(wnd, GWL_EXSTYLE) & WS_EX_LAYERED));

    input::Click(Button::Middle, ClientCentre(wnd));
    CHECK(WaitFor([&] { return target.Count(WM_MBUTTONUP) == 1; }, 5000));
    CHECK_EQ(target.Count(WM_MBUTTONDOWN), size_t(1));
    CHECK(!IsZoomed(wnd));

    POINT caption;
    REQUIRE(FindHitPoint(wnd, HTCAPTION, &caption));
    PumpFor(GetDoubleClickTime() + 150);
    input::Click(Button::Right, caption);
    // The press reaches the application, whose system menu opens.
    CHECK(WaitFor([&] { return target.Count(WM_CONTEXTMENU) == 1; }, 5000));
    CHECK_EQ(target.Count(WM_NCRBUTTONDOWN), size_t(1));
    CHECK(!(GetWindowLongW(wnd, GWL_EXSTYLE) & WS_EX_TOPMOST));
    SendMessageTimeoutW(wnd, WM_CANCELMODE, 0, 0, SMTO_ABORTIFHUNG, 2000, nullptr);  // the system menu

    PumpFor(GetDoubleClickTime() + 150);
    input::DoubleClick(Button::Left, caption);
    CHECK(WaitFor([&] { return target.Count(WM_NCLBUTTONDBLCLK) == 1; }, 5000));
    CHECK(WaitForInputTaken(target, ClientCentre(wnd)));
    CHECK(RectHeight(WindowRect(wnd)) != GetSystemMetrics(SM_CYCAPTION));
    CHECK(RectHeight(WindowRect(wnd)) >= height);  // not rolled up (maybe maximized)
    CHECK(target.Responsive());
    CHECK_EQ(program.Close(), 0);
}
