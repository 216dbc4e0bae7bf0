// Middle-button maximize through the real program: a middle click
// maximizes a window of another process and the next restores it; exempt
// classes and function code 0 leave the middle button to the application.
#include "tests/framework/check.h"
#include "tests/scenario/support/harness.h"
#include "tests/scenario/support/input.h"
#include "tests/scenario/support/target.h"

using namespace scenario;
using input::Button;

TEST_CASE("middle_click_maximizes_and_the_next_restores")
{
    Program program(L"mbutton", WithSettings("[mbutton]\r\ncode=1\r\nexcept=Notepad,CabinetWClass\r\n"));
    TargetWindow target;
    REQUIRE(StartProgramAndTarget(program, target));
    HWND wnd = target.Window();
    const RECT before = WindowRect(wnd);

    target.ClearLog();
    input::Click(Button::Middle, ClientCentre(wnd));
    // The style says maximized before the window has its new place.
    CHECK(WaitFor([&] { return IsZoomed(wnd) != FALSE && RectWidth(WindowRect(wnd)) > RectWidth(before); }, 5000));
    CHECK(WaitForInputTaken(target, ClientCentre(wnd)));
    CHECK_EQ(target.Count(WM_MBUTTONDOWN), size_t(0));
    CHECK_EQ(target.Count(WM_MBUTTONUP), size_t(0));

    // On the caption of the maximized window this time.
    POINT caption;
    REQUIRE(FindHitPoint(wnd, HTCAPTION, &caption));
    PumpFor(GetDoubleClickTime() + 100);
    input::Click(Button::Middle, caption);
    CHECK(WaitFor([&] { return !IsZoomed(wnd); }, 5000));
    CHECK(WaitFor([&] { return RectHeight(WindowRect(wnd)) == RectHeight(before); }, 3000));
    CHECK(WaitForInputTaken(target, ClientCentre(wnd)));
    CHECK_EQ(target.Count(WM_NCMBUTTONDOWN), size_t(0));
    CHECK_EQ(target.Count(WM_NCMBUTTONUP), size_t(0));
    CHECK(target.Responsive());
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("an_exempt_class_and_function_code_0_keep_their_middle_click")
{
    struct Case {
        const char* settings;
        const wchar_t* window_class;
    };
    for (const Case& c : {Case{"[mbutton]\r\ncode=1\r\nexcept=Notepad,QvExemptTarget\r\n", L"QvExemptTarget"},
                          Case{"[mbutton]\r\ncode=0\r\n", L"QvTargetWindow"}}) {
        TargetOptions target_options;
        target_options.window_class = c.window_class;
        Program program(L"mbexempt", WithSettings(c.settings));
        TargetWindow target;
        REQUIRE(StartProgramAndTarget(program, target, target_options));
        HWND wnd = target.Window();

        target.ClearLog();
        input::Click(Button::Middle, ClientCentre(wnd));
        CHECK(WaitFor([&] { return target.Count(WM_MBUTTONUP) == 1; }, 5000));
        CHECK_EQ(target.Count(WM_MBUTTONDOWN), size_t(1));
        const POINT centre = ClientCentre(wnd);
        CHECK(WaitForInputTaken(target, {centre.x + 7, centre.y + 7}));
        CHECK(!IsZoomed(wnd));
        CHECK_EQ(program.Close(), 0);
    }
}
