// Topmost toggle through the real program: a right click on the caption or
// top border of a window of another process keeps it on top, the next one
// releases it, and the system menu stays shut; with the switch off the
// system menu opens as usual.
#include "tests/framework/check.h"
#include "tests/scenario/support/harness.h"
#include "tests/scenario/support/input.h"
#include "tests/scenario/support/target.h"

using namespace scenario;
using input::Button;

namespace {
bool Topmost(HWND wnd) { return (GetWindowLongW(wnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

HWND OpenMenu(DWORD process_id)
{
    HWND menu = FindProcessWindow(process_id, L"#32768");
    return menu && IsWindowVisible(menu) ? menu : nullptr;
}

// Two right clicks in a row would make the second press a double click.
void RightClickAlone(POINT p)
{
    PumpFor(GetDoubleClickTime() + 150);
    input::Click(Button::Right, p);
}

void CloseMenu(HWND wnd)
{
    SendMessageTimeoutW(wnd, WM_CANCELMODE, 0, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
}
}  // namespace

TEST_CASE("right_click_on_caption_or_top_border_toggles_topmost_without_a_menu")
{
    Program program(L"topmost", WithSettings("[topmost]\r\nenable=1\r\n"));
    TargetWindow target;
    REQUIRE(StartProgramAndTarget(program, target));
    HWND wnd = target.Window();
    REQUIRE(!Topmost(wnd));
    POINT caption, top;
    REQUIRE(FindHitPoint(wnd, HTCAPTION, &caption));
    REQUIRE(FindHitPoint(wnd, HTTOP, &top));

    target.ClearLog();
    input::Click(Button::Right, caption);
    CHECK(WaitFor([&] { return Topmost(wnd); }, 5000));
    CHECK(WaitForInputTaken(target, ClientCentre(wnd)));
    CHECK_EQ(target.Count(WM_NCRBUTTONDOWN), size_t(0));
    CHECK_EQ(target.Count(WM_NCRBUTTONUP), size_t(0));
    CHECK_EQ(target.Count(WM_CONTEXTMENU), size_t(0));
    CHECK(!OpenMenu(target.ProcessId()));

    RightClickAlone(caption);
    CHECK(WaitFor([&] { return !Topmost(wnd); }, 5000));

    RightClickAlone(top);
    CHECK(WaitFor([&] { return Topmost(wnd); }, 5000));
    RightClickAlone(top);
    CHECK(WaitFor([&] { return !Topmost(wnd); }, 5000));
    CHECK(WaitForInputTaken(target, ClientCentre(wnd)));
    CHECK_EQ(target.Count(WM_NCRBUTTONUP), size_t(0));
    CHECK_EQ(target.Count(WM_CONTEXTMENU), size_t(0));
    CHECK(!OpenMenu(target.ProcessId()));
    CHECK(target.Responsive());
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("with_the_switch_off_the_system_menu_opens")
{
    Program program(L"notopmost", WithSettings("[topmost]\r\nenable=0\r\n"));
    TargetWindow target;
    REQUIRE(StartProgramAndTarget(program, target));
    HWND wnd = target.Window();
    POINT caption;
    REQUIRE(FindHitPoint(wnd, HTCAPTION, &caption));

    target.ClearLog();
    input::Click(Button::Right, caption);
    CHECK(WaitFor([&] { return OpenMenu(target.ProcessId()) != nullptr; }, 5000));
    CHECK_EQ(target.Count(WM_NCRBUTTONDOWN), size_t(1));
    CHECK_EQ(target.Count(WM_CONTEXTMENU), size_t(1));
    CHECK(!Topmost(wnd));
    CloseMenu(wnd);
    CHECK(WaitFor([&] { return !OpenMenu(target.ProcessId()); }, 5000));
    CHECK(target.Responsive());
    CHECK_EQ(program.Close(), 0);
}
