// Docking through the real program with the real pointer: a window of
// another process dragged by its caption docks to each edge of the work
// area and comes free when pulled away; in the half-screen mode it fills a
// half and gets its size back; Left Ctrl inverts the mode, Alt keeps it
// from docking, a jump past the band does not dock, a docked window pins
// only itself, not the other windows of its process, and at 144 DPI a
// window docks exactly at the edge.
#include <memory>
#include <string>

#include "tests/framework/check.h"
#include "tests/scenario/support/harness.h"
#include "tests/scenario/support/input.h"
#include "tests/scenario/support/library_view.h"
#include "tests/scenario/support/registry_value.h"
#include "tests/scenario/support/target.h"

using namespace scenario;

namespace {
constexpr const char* kEdgeDocking = "[dockwindow]\r\nenable=1\r\ndragfullwindow=1\r\ndockmode=0\r\n";

RECT WorkArea()
{
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

// A caption drag with the real pointer: the cursor keeps its offset from
// the window's top-left corner, so a step names where that corner goes.
class CaptionDrag {
public:
    explicit CaptionDrag(HWND wnd) : wnd_(wnd) {}
    ~CaptionDrag()
    {
        if (down_)
            input::RealLeftUp();
    }
    bool Begin()
    {
        // A press soon after the last one at the same place would be a
        // double click (which maximizes): the last one has to age first.
        PumpFor(GetDoubleClickTime() + 150);
        POINT caption;
        if (!FindHitPoint(wnd_, HTCAPTION, &caption))
            return false;
        const RECT r = WindowRect(wnd_);
        offset_ = {caption.x - r.left, caption.y - r.top};
        if (!input::RealMoveTo(caption))
            return false;
        down_ = input::RealLeftDown();
        return down_;
    }
    // The window's top-left corner would be at x, y if nothing docked it.
    // A window docked to a left or right half moves the cursor up with it
    // at once: a move counts as done when the cursor reached the new x and
    // left the old y, or reached the point.
    bool CornerTo(int x, int y)
    {
        POINT before = {};
        GetCursorPos(&before);
        const POINT p = {x + offset_.x, y + offset_.y};
        if (!input::RealMoveToUnwaited(p))
            return false;
        return WaitFor([&] {
            POINT now = {};
            GetCursorPos(&now);
            return (now.x == p.x && now.y == p.y) ||
                   (now.x == p.x && now.x != before.x && now.y != before.y);
        }, 5000);
    }
    bool End()
    {
        down_ = false;
        return input::RealLeftUp();
    }

private:
    HWND wnd_;
    POINT offset_ = {};
    bool down_ = false;
};

bool RectIs(HWND wnd, const RECT& want, DWORD timeout_ms = 5000)
{
    return WaitFor([&] {
        const RECT r = WindowRect(wnd);
        return r.left == want.left && r.top == want.top && r.right == want.right && r.bottom == want.bottom;
    }, timeout_ms);
}

RECT Sized(int x, int y, int w, int h) { return RECT{x, y, x + w, y + h}; }

std::string Text(const RECT& r)
{
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

bool CheckRect(HWND wnd, const RECT& want, const char* what)
{
    if (RectIs(wnd, want))
        return true;
    MESSAGE(check::Format("%s: wanted %s, window at %s", what, Text(want).c_str(), Text(WindowRect(wnd)).c_str()));
    return false;
}

void PutWindow(HWND wnd, int x, int y, int w = 400, int h = 300)
{
    SetWindowPos(wnd, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    RectIs(wnd, Sized(x, y, w, h));
}

using AeroSnapModeFn = LONG(WINAPI*)(LONG);
}  // namespace

TEST_CASE("edge_docking_to_each_side_and_release_by_pulling_away")
{
    Program program(L"dockedge", WithSettings(kEdgeDocking));
    TargetWindow target;
    REQUIRE(StartProgramAndTarget(program, target));
    HWND wnd = target.Window();
    const RECT w = WorkArea();
    const int cx = 400, cy = 300;
    // Each row: where the corner goes in three steps: outside the band, into
    // it (docks: only the docked coordinate changes), and 45 pixels away
    // from the edge (released: the window follows the pointer again).
    struct Row {
        const char* side;
        POINT outside, inside, away;
        RECT docked;
    } rows[] = {
        {"top", {300, w.top + 40}, {320, w.top + 10}, {340, w.top + 45}, Sized(320, w.top, cx, cy)},
        {"left", {w.left + 40, 300}, {w.left + 10, 320}, {w.left + 45, 340}, Sized(w.left, 320, cx, cy)},
        {"bottom", {300, w.bottom - cy - 40}, {320, w.bottom - cy - 10}, {340, w.bottom - cy - 45},
         Sized(320, w.bottom - cy, cx, cy)},
        {"right", {w.right - cx - 40, 300}, {w.right - cx - 10, 320}, {w.right - cx - 45, 340},
         Sized(w.right - cx, 320, cx, cy)},
    };
    for (const Row& r : rows) {
        MESSAGE(check::Format("side %s", r.side));
        PutWindow(wnd, 440, 340);
        CaptionDrag drag(wnd);
        REQUIRE(drag.Begin());
        REQUIRE(drag.CornerTo(r.outside.x, r.outside.y));
        CHECK(CheckRect(wnd, Sized(r.outside.x, r.outside.y, cx, cy), "outside the band"));
        REQUIRE(drag.CornerTo(r.inside.x, r.inside.y));
        CHECK(CheckRect(wnd, r.docked, "docked"));
        REQUIRE(drag.CornerTo(r.away.x, r.away.y));
        CHECK(CheckRect(wnd, Sized(r.away.x, r.away.y, cx, cy), "released"));
        CHECK(drag.End());
    }
    CHECK(target.Responsive());
    CHECK_EQ(program.Close(), 0);
    CHECK(WaitFor([&] { return target.RunsOwnProcedure(); }, 5000));
}

TEST_CASE("half_screen_docking_fills_each_half_and_gives_the_size_back_and_left_ctrl_inverts_the_mode")
{
    Program program(L"dockhalf", WithSettings(kEdgeDocking));
    LibraryView view(program.LibraryPath());
    REQUIRE(view.Loaded());
    auto set_mode = reinterpret_cast<AeroSnapModeFn>(
        reinterpret_cast<void*>(GetProcAddress(view.Module(), "SetAeroSnapMode")));
    REQUIRE(set_mode != nullptr);
    TargetWindow target;
    REQUIRE(StartProgramAndTarget(program, target));
    HWND wnd = target.Window();
    const RECT w = WorkArea();
    const int width = w.right - w.left, height = w.bottom - w.top;
    struct Row {
        const char* name;
        LONG mode;
        bool left_ctrl;  // held through the drag: inverts the mode
        POINT outside, inside, away;
        RECT half;
    } rows[] = {
        {"left", 1, false, {w.left + 40, 300}, {w.left + 10, 300}, {w.left + 45, 300},
         Sized(w.left, w.top, width / 2, height)},
        {"right", 1, false, {w.right - 440, 300}, {w.right - 410, 300}, {w.right - 445, 300},
         Sized((w.left + w.right) / 2, w.top, width / 2, height)},
        {"top", 1, false, {300, w.top + 40}, {300, w.top + 10}, {300, w.top + 45},
         Sized(w.left, w.top, width, height / 2)},
        {"bottom", 1, false, {300, w.bottom - 340}, {300, w.bottom - 310}, {300, w.bottom - 345},
         Sized(w.left, (w.top + w.bottom) / 2, width, height / 2)},
        {"left, edge mode with Left Ctrl", 0, true, {w.left + 40, 300}, {w.left + 10, 300}, {w.left + 45, 300},
         Sized(w.left, w.top, width / 2, height)},
        {"left, half mode with Left Ctrl: an edge dock", 1, true, {w.left + 40, 300}, {w.left + 10, 300},
         {w.left + 45, 300}, Sized(w.left, 300, 400, 300)},
    };
    for (const Row& r : rows) {
        MESSAGE(check::Format("%s", r.name));
        set_mode(r.mode);
        PutWindow(wnd, 440, 340);
        CaptionDrag drag(wnd);
        REQUIRE(drag.Begin());
        std::unique_ptr<input::HeldKey> ctrl(r.left_ctrl ? new input::HeldKey(VK_LCONTROL) : nullptr);
        if (ctrl)
            CHECK(ctrl->Held());
        REQUIRE(drag.CornerTo(r.outside.x, r.outside.y));
        CHECK(CheckRect(wnd, Sized(r.outside.x, r.outside.y, 400, 300), "outside the band"));
        REQUIRE(drag.CornerTo(r.inside.x, r.inside.y));
        CHECK(CheckRect(wnd, r.half, "docked"));
        REQUIRE(drag.CornerTo(r.away.x, r.away.y));
        // Released: its own size again, following the pointer (across; the
        // cursor moves up and down with a left or right half).
        CHECK(WaitFor([&] {
            const RECT now = WindowRect(wnd);
            return RectWidth(now) == 400 && RectHeight(now) == 300 && now.left == r.away.x;
        }, 5000));
        MESSAGE(check::Format("released at %s", Text(WindowRect(wnd)).c_str()));
        ctrl.reset();
        CHECK(drag.End());
    }
    set_mode(0);
    CHECK(target.Responsive());
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("alt_keeps_a_window_from_docking_and_releases_a_docked_one_and_a_jump_past_the_band_does_not_dock")
{
    Program program(L"dockalt", WithSettings(kEdgeDocking));
    TargetWindow target;
    REQUIRE(StartProgramAndTarget(program, target));
    HWND wnd = target.Window();
    const RECT w = WorkArea();
    PutWindow(wnd, 440, 340);
    // Along the lower edge, where a jump past it keeps the caption on the
    // screen: the corner's y for a window bottom at b.
    const auto top_for = [&](int bottom) { return bottom - 300; };
    {
        CaptionDrag drag(wnd);
        REQUIRE(drag.Begin());
        // A jump from 200 above the lower edge to 10 below it: past the band.
        REQUIRE(drag.CornerTo(300, top_for(w.bottom - 200)));
        REQUIRE(drag.CornerTo(300, top_for(w.bottom + 10)));
        CHECK(CheckRect(wnd, Sized(300, top_for(w.bottom + 10), 400, 300), "jumped past"));
        // Back into the band from beyond the edge: not from outside, no dock.
        REQUIRE(drag.CornerTo(300, top_for(w.bottom - 5)));
        CHECK(CheckRect(wnd, Sized(300, top_for(w.bottom - 5), 400, 300), "back from beyond"));
        // Out and in again: this one docks.
        REQUIRE(drag.CornerTo(300, top_for(w.bottom - 60)));
        REQUIRE(drag.CornerTo(310, top_for(w.bottom - 10)));
        CHECK(CheckRect(wnd, Sized(310, top_for(w.bottom), 400, 300), "docked from outside"));

        // Alt while docked: released where the pointer has it.
        {
            input::HeldKey alt(VK_LMENU);
            CHECK(alt.Held());
            REQUIRE(drag.CornerTo(320, top_for(w.bottom - 15)));
            CHECK(CheckRect(wnd, Sized(320, top_for(w.bottom - 15), 400, 300), "released by Alt"));
            // Alt held: into the band from outside, and still no dock.
            REQUIRE(drag.CornerTo(320, top_for(w.bottom - 60)));
            REQUIRE(drag.CornerTo(330, top_for(w.bottom - 10)));
            CHECK(CheckRect(wnd, Sized(330, top_for(w.bottom - 10), 400, 300), "Alt held"));
            REQUIRE(drag.CornerTo(330, top_for(w.bottom - 60)));
            // Another key while Alt is down: letting Alt go does not open
            // the window's menu.
            input::HeldKey shift(VK_LSHIFT);
        }
        CHECK(drag.End());
    }
    CHECK(target.Responsive());
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("two_windows_of_one_process_docking_one_leaves_the_other_free")
{
    Program program(L"docktwo", WithSettings(kEdgeDocking));
    TargetOptions options;
    options.rect = {440, 340, 840, 640};
    options.second_rect = {100, 500, 500, 800};
    TargetWindow target;
    REQUIRE(StartProgramAndTarget(program, target, options));
    HWND first = target.Window();
    HWND second = target.Second();
    REQUIRE(second != nullptr);
    const RECT w = WorkArea();
    {
        CaptionDrag drag(first);
        REQUIRE(drag.Begin());
        REQUIRE(drag.CornerTo(300, w.top + 40));
        REQUIRE(drag.CornerTo(300, w.top + 10));
        CHECK(CheckRect(first, Sized(300, w.top, 400, 300), "first docked"));
        // Released while docked: it stays docked.
        CHECK(drag.End());
    }
    // The application moves its other window: it goes where it is asked.
    SetWindowPos(second, nullptr, 600, 450, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    CHECK(CheckRect(second, Sized(600, 450, 400, 300), "second moved by the application"));
    // And the user drags it about, also near the top but not into the band.
    {
        CaptionDrag drag(second);
        REQUIRE(drag.Begin());
        REQUIRE(drag.CornerTo(500, 300));
        CHECK(CheckRect(second, Sized(500, 300, 400, 300), "second dragged"));
        REQUIRE(drag.CornerTo(520, w.top + 25));
        CHECK(CheckRect(second, Sized(520, w.top + 25, 400, 300), "second near the top"));
        CHECK(drag.End());
    }
    // The docked window itself stays pinned to the top.
    SetWindowPos(first, nullptr, 200, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    CHECK(CheckRect(first, Sized(200, w.top, 400, 300), "first still docked"));
    CHECK(target.Responsive());
    CHECK_EQ(program.Close(), 0);
    // Left as found: both windows run their own procedures again.
    CHECK(WaitFor([&] { return target.RunsOwnProcedure(); }, 5000));
}

namespace {
bool Covers(const RECT& r, const RECT& area)
{
    return r.left <= area.left && r.top <= area.top && r.right >= area.right && r.bottom >= area.bottom;
}
}  // namespace

TEST_CASE("half_docked_windows_get_their_size_back_when_the_program_ends_also_when_maximised")
{
    Program program(L"dockexit", WithSettings("[dockwindow]\r\nenable=1\r\ndragfullwindow=1\r\ndockmode=1\r\n"));
    TargetOptions options;
    // Apart, and the second right of the left half the first goes to.
    options.rect = {200, 340, 600, 640};
    options.second_rect = {760, 500, 1160, 800};
    TargetWindow target;
    REQUIRE(StartProgramAndTarget(program, target, options));
    HWND first = target.Window();
    HWND second = target.Second();
    REQUIRE(second != nullptr);
    const RECT w = WorkArea();
    const int width = w.right - w.left, height = w.bottom - w.top;
    // The drag rectangles at the moment each window docks.
    const RECT first_before = Sized(w.left + 10, 300, 400, 300);
    const RECT second_before = Sized(w.right - 410, 300, 400, 300);
    {
        CaptionDrag drag(first);
        REQUIRE(drag.Begin());
        REQUIRE(drag.CornerTo(w.left + 40, 300));
        REQUIRE(drag.CornerTo(w.left + 10, 300));
        CHECK(CheckRect(first, Sized(w.left, w.top, width / 2, height), "first in the left half"));
        CHECK(drag.End());
    }
    {
        CaptionDrag drag(second);
        REQUIRE(drag.Begin());
        REQUIRE(drag.CornerTo(w.right - 440, 300));
        REQUIRE(drag.CornerTo(w.right - 410, 300));
        CHECK(CheckRect(second, Sized((w.left + w.right) / 2, w.top, width / 2, height), "second in the right half"));
        CHECK(drag.End());
    }
    // The user maximises the second one from its system menu: it fills the
    // work area, not its half.
    PostMessageW(second, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    if (!CHECK(WaitFor([&] { return IsZoomed(second) && Covers(WindowRect(second), w); }, 5000)))
        MESSAGE(check::Format("maximised at %s", Text(WindowRect(second)).c_str()));
    // The first is still docked: its application moves it, and it stays.
    SetWindowPos(first, nullptr, 200, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    CHECK(CheckRect(first, Sized(w.left, w.top, width / 2, height), "first still docked"));

    CHECK_EQ(program.Close(), 0);
    // Left as found: the first has its place and size from before docking;
    // the second stays maximised, and comes back to its own when restored.
    CHECK(CheckRect(first, first_before, "first given back"));
    CHECK(IsZoomed(second));
    // Its normal position cannot be read from here (Wine does not give
    // another process's maximised window its normal position): the restore
    // shows it.
    PostMessageW(second, WM_SYSCOMMAND, SC_RESTORE, 0);
    CHECK(CheckRect(second, second_before, "second restored"));
    CHECK(WaitFor([&] { return target.RunsOwnProcedure(); }, 5000));
}

TEST_CASE("at_144_dpi_a_window_docks_exactly_at_each_edge")
{
    // The target declares itself DPI-aware; this test, started at 96 DPI,
    // sees its rectangles scaled, so every rectangle and point is the
    // target's own (physical pixels, as X and the real pointer have them).
    // Each edge gets a fresh target where it starts: Wine took a caption
    // press only where the point also lies in the window's rectangle as
    // scaled by 96 / 144, so a window dragged away once is not dragged
    // again here.
    HighDpiScreen screen;
    REQUIRE(screen.Set());
    Program program(L"dockdpi", WithSettings(kEdgeDocking));
    REQUIRE(program.Start());
    constexpr int cx = 400, cy = 300;
    RECT w = {};
    for (int side = 0; side < 4; ++side) {
        TargetWindow target;
        TargetOptions options;
        // Where the target starts by default: the press on its caption is
        // taken there (a caption pressed at 440, 340 was not: the press
        // must also lie inside the window as scaled by 96 / 144).
        options.rect = RECT{100, 100, 100 + cx, 100 + cy};
        REQUIRE(target.Start(options));
        REQUIRE(target.WaitForLibrary());
        auto own = [&](WPARAM which) {
            POINT p = {-30000, -30000};
            target.OwnPoint(which, &p);
            return p;
        };
        auto own_rect = [&] {
            const POINT a = own(message_log::kOwnRectTopLeft), b = own(message_log::kOwnRectBottomRight);
            return RECT{a.x, a.y, b.x, b.y};
        };
        auto own_rect_is = [&](const RECT& want, const char* what) {
            if (WaitFor([&] {
                    const RECT now = own_rect();
                    return EqualRect(&want, &now) != FALSE;
                }, 5000))
                return true;
            MESSAGE(check::Format("%s: wanted %s, window at %s", what, Text(want).c_str(), Text(own_rect()).c_str()));
            return false;
        };
        if (side == 0) {
            const POINT a = own(message_log::kOwnWorkTopLeft), b = own(message_log::kOwnWorkBottomRight);
            w = RECT{a.x, a.y, b.x, b.y};
            // The physical work area: the whole width of the 1280-pixel desktop.
            REQUIRE_EQ(w.right - w.left, 1280);
        }
        REQUIRE(own_rect_is(options.rect, "as started"));
        struct Row {
            const char* side;
            POINT outside, inside, away;
            RECT docked;
        } rows[] = {
            {"top", {300, w.top + 40}, {320, w.top + 10}, {340, w.top + 45}, Sized(320, w.top, cx, cy)},
            {"left", {w.left + 40, 300}, {w.left + 10, 320}, {w.left + 45, 340}, Sized(w.left, 320, cx, cy)},
            {"bottom", {300, w.bottom - cy - 40}, {320, w.bottom - cy - 10}, {340, w.bottom - cy - 45},
             Sized(320, w.bottom - cy, cx, cy)},
            {"right", {w.right - cx - 40, 300}, {w.right - cx - 10, 320}, {w.right - cx - 45, 340},
             Sized(w.right - cx, 320, cx, cy)},
        };
        const Row& r = rows[side];
        MESSAGE(check::Format("side %s", r.side));
        // A press soon after the last one would be taken for a double click.
        PumpFor(GetDoubleClickTime() + 150);
        const POINT caption = own(message_log::kOwnCaptionPoint);
        REQUIRE(caption.x >= 0);
        const POINT offset = {caption.x - options.rect.left, caption.y - options.rect.top};
        REQUIRE(input::RealMoveToUnwaited(caption));
        REQUIRE(WaitFor([&] {
            const POINT c = own(message_log::kOwnCursor);
            return c.x == caption.x && c.y == caption.y;
        }, 5000));
        REQUIRE(input::RealLeftDown());
        auto corner_to = [&](POINT corner) {
            return input::RealMoveToUnwaited(POINT{corner.x + offset.x, corner.y + offset.y});
        };
        CHECK(corner_to(r.outside));
        CHECK(own_rect_is(Sized(r.outside.x, r.outside.y, cx, cy), "outside the band"));
        CHECK(corner_to(r.inside));
        CHECK(own_rect_is(r.docked, "docked"));
        CHECK(corner_to(r.away));
        CHECK(own_rect_is(Sized(r.away.x, r.away.y, cx, cy), "released"));
        CHECK(input::RealLeftUp());
        target.Close();
    }
    CHECK_EQ(program.Close(), 0);
}
