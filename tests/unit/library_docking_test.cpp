// Docking geometry against worked examples, the hit-test remapping, the size
// label's text and place, and the per-window docking state on real windows
// of this process: docking one window pins only that one, and a destroyed
// docked window leaves nothing behind.
#include <windows.h>

#include <string>

#include "ostrilix/core/shared_block.h"
#include "ostrilix/docking/dock_geometry.h"
#include "ostrilix/docking/dock_leave_as_found.h"
#include "ostrilix/docking/dock_state.h"
#include "ostrilix/hooks/dock_wnd_proc.h"
#include "ostrilix/core/subclass_registry.h"
#include "tests/framework/check.h"

namespace {
// Wine's virtual desktop of 1280 x 1024 less its taskbar.
constexpr RECT kWork = {0, 0, 1280, 980};

RECT Rect(LONG l, LONG t, LONG r, LONG b) { return RECT{l, t, r, b}; }
// A 400 x 300 window with its top-left corner at x, y.
RECT At(LONG x, LONG y) { return Rect(x, y, x + 400, y + 300); }

bool Same(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// A second monitor of 1024 x 768 to the right of the first, 100 pixels lower,
// with a taskbar of 28 pixels at its bottom; and a third to the left, above.
constexpr RECT kRightMonitor = {1280, 100, 2304, 868};
constexpr RECT kRightWork = {1280, 100, 2304, 840};
constexpr RECT kLeftWork = {-1024, -200, 0, 568};
}  // namespace

TEST_CASE("a_side_docks_only_when_its_edge_enters_the_band_from_outside")
{
    struct Row {
        const char* name;
        RECT work, last, drag;
        LONG side;
    } rows[] = {
        {"top 40 -> 10 docks", kWork, At(300, 40), At(300, 10), kDockTop},
        {"top 40 -> 19 docks", kWork, At(300, 40), At(300, 19), kDockTop},
        {"top 40 -> 20 is outside the band", kWork, At(300, 40), At(300, 20), kDockNone},
        {"top 40 -> 0 is on the edge, not inside", kWork, At(300, 40), At(300, 0), kDockNone},
        {"top 40 -> -10 jumped past the edge", kWork, At(300, 40), At(300, -10), kDockNone},
        {"top 15 -> 10 was already in the band", kWork, At(300, 15), At(300, 10), kDockNone},
        {"left 50 -> 5 docks", kWork, At(50, 300), At(5, 300), kDockLeft},
        {"left 50 -> -30 jumped past", kWork, At(50, 300), At(-30, 300), kDockNone},
        // The taskbar's top, not the screen's bottom: 19 pixels above 980.
        {"bottom 961 docks", kWork, At(300, 600), At(300, 661), kDockBottom},
        {"bottom 960 is outside the band", kWork, At(300, 600), At(300, 660), kDockNone},
        {"bottom jumped below the taskbar", kWork, At(300, 600), At(300, 700), kDockNone},
        {"right 1279 docks", kWork, At(800, 300), At(879, 300), kDockRight},
        {"right jumped past", kWork, At(800, 300), At(900, 300), kDockNone},
        // Top is tested before left: a corner docks to the top.
        {"corner docks top first", kWork, At(50, 50), At(5, 5), kDockTop},
        {"middle of the screen", kWork, At(300, 300), At(310, 310), kDockNone},
        {"work area not at 0", Rect(0, 30, 1280, 1024), At(300, 80), At(300, 45), kDockTop},
    };
    for (const Row& r : rows) {
        const LONG side = DockSideEntered(r.work, r.drag, r.last);
        if (side != r.side)
            MESSAGE(check::Format("%s: got %ld", r.name, side));
        CHECK_EQ(side, r.side);
    }
}

TEST_CASE("a_docked_window_is_released_past_30_inside_or_past_the_overshoot_limit")
{
    struct Row {
        LONG side;
        RECT drag;
        bool half;
        bool released;
    } rows[] = {
        {kDockTop, At(300, 30), false, false},
        {kDockTop, At(300, 31), false, true},
        {kDockTop, At(300, -50), false, false},
        {kDockTop, At(300, -51), false, true},
        {kDockTop, At(300, -51), true, false},
        {kDockTop, At(300, -3000), true, false},
        {kDockTop, At(300, -3001), true, true},
        {kDockLeft, At(31, 300), false, true},
        {kDockLeft, At(10, 300), true, false},
        {kDockBottom, At(300, 980 - 300 - 31), false, true},
        {kDockBottom, At(300, 980 - 300 - 30), false, false},
        {kDockRight, At(1280 - 400 - 31, 300), true, true},
        {kDockRight, At(1280 - 400 + 60, 300), false, true},  // 60 beyond the edge
        {kDockNone, At(300, 300), false, false},
    };
    for (const Row& r : rows) {
        const bool released = ShouldReleaseDock(r.side, kWork, r.drag, r.half);
        if (released != r.released)
            MESSAGE(check::Format("side %ld at %ld,%ld half %d: got %d", r.side, r.drag.left, r.drag.top, r.half, released));
        CHECK_EQ(released, r.released);
    }
}

TEST_CASE("docked_placement_per_side_in_edge_and_half_screen_mode")
{
    struct Row {
        LONG side;
        bool half;
        DockPlacement want;
        int cursor_up;
    } rows[] = {
        {kDockTop, false, {300, 0, 400, 300}, 0},
        {kDockTop, true, {0, 0, 1280, 490}, 0},
        {kDockLeft, false, {0, 12, 400, 300}, 0},
        {kDockLeft, true, {0, 0, 640, 980}, 12},
        {kDockBottom, false, {300, 680, 400, 300}, 0},
        {kDockBottom, true, {0, 490, 1280, 490}, 0},
        {kDockRight, false, {880, 12, 400, 300}, 0},
        {kDockRight, true, {640, 0, 640, 980}, 12},
    };
    for (const Row& r : rows) {
        DockPlacement pos = {300, 12, 400, 300};
        int cursor_up = -1;
        CHECK(PlaceDocked(r.side, kWork, r.half, &pos, &cursor_up));
        const bool same = pos.x == r.want.x && pos.y == r.want.y && pos.cx == r.want.cx && pos.cy == r.want.cy;
        if (!same)
            MESSAGE(check::Format("side %ld half %d: %d,%d %dx%d", r.side, r.half, pos.x, pos.y, pos.cx, pos.cy));
        CHECK(same);
        CHECK_EQ(cursor_up, r.cursor_up);
    }
    DockPlacement untouched = {1, 2, 3, 4};
    int cursor_up = 0;
    CHECK(!PlaceDocked(3, kWork, true, &untouched, &cursor_up));
    CHECK_EQ(untouched.x, 1);
    // Odd sizes: halves truncate.
    DockPlacement odd = {0, 0, 10, 10};
    CHECK(PlaceDocked(kDockRight, Rect(0, 0, 1281, 981), true, &odd, &cursor_up));
    CHECK_EQ(odd.x, 640);
    CHECK_EQ(odd.cx, 640);
    CHECK_EQ(odd.cy, 981);
}

TEST_CASE("a_half_screen_window_released_regains_its_size_from_before_docking")
{
    // Docked at 100, 50 with 400 x 300; then it filled a half, and was pulled
    // more than 30 pixels away from the edge.
    const RECT before = Rect(8, 50, 408, 350);
    struct Row {
        LONG side;
        RECT drag;  // the drag rectangle at release (the half's size)
        RECT want;
        int cursor_down;
    } rows[] = {
        // Left half pulled right by 31: same width and height as before.
        {kDockLeft, Rect(31, 0, 671, 980), Rect(31, 0, 431, 300), 50},
        {kDockRight, Rect(609, 0, 1249, 980), Rect(849, 0, 1249, 300), 50},
        // Top half pulled down by 31: back under the cursor's x.
        {kDockTop, Rect(0, 31, 1280, 521), Rect(8, 31, 408, 331), 0},
        {kDockBottom, Rect(0, 459, 1280, 949), Rect(8, 649, 408, 949), 0},
    };
    for (const Row& r : rows) {
        int cursor_down = -1;
        const RECT got = RectOnHalfRelease(r.side, before, r.drag, &cursor_down);
        if (!Same(got, r.want))
            MESSAGE(check::Format("side %ld: %ld,%ld,%ld,%ld", r.side, got.left, got.top, got.right, got.bottom));
        CHECK(Same(got, r.want));
        CHECK_EQ(got.right - got.left, before.right - before.left);
        CHECK_EQ(got.bottom - got.top, before.bottom - before.top);
        CHECK_EQ(cursor_down, r.cursor_down);
    }
}

TEST_CASE("docking_on_a_second_monitor_follows_that_monitors_work_area")
{
    // Entering the band along each edge of the other monitors.
    struct Enter {
        RECT work, last, drag;
        LONG side;
    } enters[] = {
        {kRightWork, At(1500, 160), At(1500, 110), kDockTop},
        {kRightWork, At(1500, 160), At(1500, 95), kDockNone},  // past the edge
        {kRightWork, At(1340, 300), At(1290, 300), kDockLeft},
        {kRightWork, At(1500, 480), At(1500, 530), kDockBottom},  // bottom 830: 10 above the taskbar
        {kRightWork, At(1840, 300), At(1890, 300), kDockRight},  // right 2290
        {kLeftWork, At(-700, -140), At(-700, -190), kDockTop},
        {kLeftWork, At(-960, 0), At(-1014, 0), kDockLeft},
        {kLeftWork, At(-460, 0), At(-410, 0), kDockRight},  // right -10
    };
    for (const Enter& e : enters) {
        const LONG side = DockSideEntered(e.work, e.drag, e.last);
        if (side != e.side)
            MESSAGE(check::Format("drag at %ld,%ld: got %ld", e.drag.left, e.drag.top, side));
        CHECK_EQ(side, e.side);
    }
    // The placement fills that monitor's halves, and the cursor goes up by
    // the window's offset from that monitor's top.
    struct Place {
        RECT work;
        LONG side;
        bool half;
        DockPlacement want;
        int cursor_up;
    } places[] = {
        {kRightWork, kDockTop, false, {1500, 100, 400, 300}, 0},
        {kRightWork, kDockTop, true, {1280, 100, 1024, 370}, 0},
        {kRightWork, kDockLeft, true, {1280, 100, 512, 740}, 200},
        {kRightWork, kDockBottom, false, {1500, 540, 400, 300}, 0},
        {kRightWork, kDockBottom, true, {1280, 470, 1024, 370}, 0},
        {kRightWork, kDockRight, true, {1792, 100, 512, 740}, 200},
        {kLeftWork, kDockLeft, true, {-1024, -200, 512, 768}, 500},
        {kLeftWork, kDockRight, false, {-400, 300, 400, 300}, 0},
        {kLeftWork, kDockBottom, true, {-1024, 184, 1024, 384}, 0},
    };
    for (const Place& p : places) {
        DockPlacement pos = {p.work.left < 0 ? -700 : 1500, 300, 400, 300};
        int cursor_up = -1;
        CHECK(PlaceDocked(p.side, p.work, p.half, &pos, &cursor_up));
        const bool same = pos.x == p.want.x && pos.y == p.want.y && pos.cx == p.want.cx && pos.cy == p.want.cy;
        if (!same)
            MESSAGE(check::Format("side %ld half %d: %d,%d %dx%d", p.side, p.half, pos.x, pos.y, pos.cx, pos.cy));
        CHECK(same);
        CHECK_EQ(cursor_up, p.cursor_up);
    }
    // Released from a left or right half, the window regains its former
    // top: the cursor goes down by the window's offset from the half's top,
    // not by its distance from the top of the first screen.
    const RECT before = Rect(1290, 400, 1690, 700);
    int cursor_down = -1;
    RECT got = RectOnHalfRelease(kDockLeft, before, Rect(1311, 100, 1823, 840), &cursor_down);
    CHECK(Same(got, Rect(1311, 100, 1711, 400)));
    CHECK_EQ(cursor_down, 300);
    got = RectOnHalfRelease(kDockRight, Rect(1894, 400, 2294, 700), Rect(1761, 100, 2273, 840), &cursor_down);
    CHECK(Same(got, Rect(1873, 100, 2273, 400)));
    CHECK_EQ(cursor_down, 300);
    // A monitor above the first: the offset is positive though the tops are not.
    got = RectOnHalfRelease(kDockLeft, Rect(-1014, -50, -614, 250), Rect(-993, -200, -481, 568), &cursor_down);
    CHECK(Same(got, Rect(-993, -200, -593, 100)));
    CHECK_EQ(cursor_down, 150);
}

TEST_CASE("a_docked_window_is_placed_only_where_the_user_did_not_ask_otherwise")
{
    constexpr RECT kFirst = {0, 0, 1280, 1024};
    struct Row {
        const char* name;
        bool in_drag, sizing, min_or_max;
        RECT target;
        DockedChange want;
    } rows[] = {
        {"the application moves or sizes it on its monitor", false, false, false, kFirst, DockedChange::Place},
        {"dragged by the user", true, false, false, kFirst, DockedChange::Place},
        {"dragged onto another monitor (the cursor's decides)", true, false, false, kRightMonitor,
         DockedChange::Place},
        {"maximised", false, false, true, kFirst, DockedChange::Allow},
        {"minimised", false, false, true, kFirst, DockedChange::Allow},
        {"maximised on another monitor", false, false, true, kRightMonitor, DockedChange::Allow},
        {"moved to another monitor", false, false, false, kRightMonitor, DockedChange::Release},
        {"sized by its border", true, true, false, kFirst, DockedChange::Release},
    };
    for (const Row& r : rows) {
        const DockedChange got = DecideDockedChange(r.in_drag, r.sizing, r.min_or_max, kFirst, r.target);
        if (got != r.want)
            MESSAGE(check::Format("%s: got %d", r.name, int(got)));
        CHECK(got == r.want);
    }
}

TEST_CASE("hit_test_remapping_keeps_buttons_and_upper_corners_in_every_mode")
{
    struct Row {
        LRESULT hit;
        LRESULT plain, rolled, by_border;
    } rows[] = {
        {HTHSCROLL, HTHSCROLL, HTHSCROLL, HTCAPTION},
        {HTVSCROLL, HTVSCROLL, HTVSCROLL, HTCAPTION},
        {HTLEFT, HTLEFT, HTLEFT, HTCAPTION},
        {HTRIGHT, HTRIGHT, HTRIGHT, HTCAPTION},
        {HTBOTTOMLEFT, HTBOTTOMLEFT, HTBOTTOMLEFT, HTCAPTION},
        {HTBOTTOMRIGHT, HTBOTTOMRIGHT, HTBOTTOMRIGHT, HTCAPTION},
        {HTTOP, HTTOP, HTCAPTION, HTTOP},
        {HTBOTTOM, HTBOTTOM, HTCAPTION, HTBOTTOM},
        {HTMINBUTTON, HTMINBUTTON, HTMINBUTTON, HTMINBUTTON},
        {HTMAXBUTTON, HTMAXBUTTON, HTMAXBUTTON, HTMAXBUTTON},
        {HTTOPLEFT, HTTOPLEFT, HTTOPLEFT, HTTOPLEFT},
        {HTTOPRIGHT, HTTOPRIGHT, HTTOPRIGHT, HTTOPRIGHT},
        {HTCLIENT, HTCLIENT, HTCLIENT, HTCLIENT},
        {HTCAPTION, HTCAPTION, HTCAPTION, HTCAPTION},
        {HTSYSMENU, HTSYSMENU, HTSYSMENU, HTSYSMENU},
    };
    for (const Row& r : rows) {
        CHECK_EQ(RemapHitTest(r.hit, false, false), r.plain);
        CHECK_EQ(RemapHitTest(r.hit, true, false), r.rolled);
        CHECK_EQ(RemapHitTest(r.hit, false, true), r.by_border);
        // Both modes at once: each applies to its own codes.
        const LRESULT both = RemapHitTest(r.hit, true, true);
        CHECK_EQ(both, r.rolled != r.hit ? r.rolled : r.by_border);
    }
}

TEST_CASE("size_label_text_and_place")
{
    wchar_t text[32];
    CHECK_EQ(FormatSizeLabel(Rect(100, 50, 900, 650), text, 32), 19);
    CHECK(std::wstring(text) == L"800 x 600 (100, 50)");
    FormatSizeLabel(Rect(-8, -20, 632, 460), text, 32);
    CHECK(std::wstring(text) == L"640 x 480 (-8, -20)");
    // Cut to the buffer, never past it.
    wchar_t small[8];
    CHECK_EQ(FormatSizeLabel(Rect(100, 50, 900, 650), small, 8), 7);
    CHECK(std::wstring(small) == L"800 x 6");
    CHECK_EQ(FormatSizeLabel(Rect(0, 0, 1, 1), nullptr, 8), 0);
    const POINT at = SizeLabelOrigin(Rect(100, 50, 900, 650), 121, 17);
    CHECK_EQ(at.x, 500 - 60);
    CHECK_EQ(at.y, 350 - 8);
}

namespace {
LRESULT CALLBACK PlainProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcW(wnd, msg, wp, lp); }

HWND MakeWindow(int x, int y)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QvDockTest";
    RegisterClassW(&wc);
    return CreateWindowExW(0, L"QvDockTest", L"dock", WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, 400, 300, nullptr,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
}

RECT NormalPlaceOf(HWND wnd)
{
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof(placement);
    GetWindowPlacement(wnd, &placement);
    return placement.rcNormalPosition;
}

RECT WindowRectOf(HWND wnd)
{
    RECT r = {};
    GetWindowRect(wnd, &r);
    return r;
}

// What the system's move loop sends for one step of a caption drag.
LRESULT Moving(HWND wnd, RECT drag) { return SendMessageW(wnd, WM_MOVING, WMSZ_TOPLEFT, LPARAM(&drag)); }
void MoveTo(HWND wnd, int x, int y)
{
    SetWindowPos(wnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
}  // namespace

TEST_CASE("docking_one_window_pins_only_that_window_and_a_destroyed_one_leaves_nothing")
{
    RECT work = {};
    REQUIRE(GetMonitorWorkArea(10, 10, &work));
    g_shared.s_b_dockwindow = 1;
    g_shared.s_n_aero_snap_mode = 0;
    HWND a = MakeWindow(work.left + 300, work.top + 200);
    HWND b = MakeWindow(work.left + 350, work.top + 250);
    REQUIRE(a && b);
    for (HWND w : {a, b}) {
        REQUIRE(SubclassWindow(w, DockWndProc));
        CHECK(BeginDockableDrag(w));
    }
    CHECK_EQ(g_dock_records, 2);

    // Window a: its top moves from 40 to 10 below the work-area top: docked.
    CHECK_EQ(Moving(a, At(work.left + 300, work.top + 40)), 0);
    CHECK_EQ(Moving(a, At(work.left + 300, work.top + 10)), TRUE);
    MoveTo(a, work.left + 300, work.top + 10);
    CHECK_EQ(WindowRectOf(a).top, work.top);
    // Window b jumps past the band in one step: not docked, placed as asked.
    CHECK_EQ(Moving(b, At(work.left + 350, work.top + 250)), 0);
    CHECK_EQ(Moving(b, At(work.left + 350, work.top - 10)), 0);

    // The drag ends: a stays docked, b is free.
    CHECK_EQ(EndDockableDrags(), 1);
    CHECK_EQ(g_dock_records, 1);
    MoveTo(b, work.left + 500, work.top + 300);
    CHECK_EQ(WindowRectOf(b).top, work.top + 300);
    CHECK_EQ(WindowRectOf(b).left, work.left + 500);
    MoveTo(a, work.left + 200, work.top + 300);
    CHECK_EQ(WindowRectOf(a).top, work.top);       // still pinned to the top
    CHECK_EQ(WindowRectOf(a).left, work.left + 200);

    // The next drag starts docked; pulled 31 below the top it is released.
    CHECK(!BeginDockableDrag(a));
    CHECK_EQ(Moving(a, At(work.left + 200, work.top + 20)), 0);
    CHECK_EQ(Moving(a, At(work.left + 200, work.top + 31)), TRUE);
    MoveTo(a, work.left + 200, work.top + 31);
    CHECK_EQ(WindowRectOf(a).top, work.top + 31);

    // Docked again, then destroyed: no record and no subclass slot is left.
    CHECK_EQ(Moving(a, At(work.left + 200, work.top + 60)), 0);
    CHECK_EQ(Moving(a, At(work.left + 200, work.top + 5)), TRUE);
    DockState state = {};
    CHECK(LookupDockState(a, &state) && state.docked && state.side == kDockTop);
    DestroyWindow(a);
    CHECK(!LookupDockState(a, nullptr));
    CHECK_EQ(SubclassSlotOf(a), -1);
    CHECK_EQ(g_dock_records, 0);
    EndDockableDrags();
    DestroyWindow(b);
    CHECK_EQ(g_dock_records, 0);
    CHECK_EQ(SubclassSlotOf(b), -1);
}

TEST_CASE("a_drag_whose_first_step_lands_in_the_band_docks")
{
    // A busy move loop takes several mouse moves as one: the first WM_MOVING
    // of the drag may already be in the band.  The window came from outside.
    RECT work = {};
    REQUIRE(GetMonitorWorkArea(10, 10, &work));
    g_shared.s_b_dockwindow = 1;
    g_shared.s_n_aero_snap_mode = 0;
    HWND a = MakeWindow(work.left + 300, work.top + 200);
    HWND b = MakeWindow(work.left + 300, work.top + 10);
    REQUIRE(a && b);
    for (HWND w : {a, b}) {
        REQUIRE(SubclassWindow(w, DockWndProc));
        CHECK(BeginDockableDrag(w));
    }
    CHECK_EQ(Moving(a, At(work.left + 300, work.top + 10)), TRUE);
    DockState state = {};
    CHECK((LookupDockState(a, &state) && state.docked && state.side == kDockTop));
    // A window that starts its drag in the band has not entered it.
    CHECK_EQ(Moving(b, At(work.left + 300, work.top + 5)), 0);
    CHECK((LookupDockState(b, &state) && !state.docked));
    EndDockableDrags();
    for (HWND w : {a, b})
        DestroyWindow(w);
    CHECK_EQ(g_dock_records, 0);
}

TEST_CASE("half_screen_docking_fills_a_half_and_leaving_as_found_gives_the_size_back")
{
    RECT work = {};
    REQUIRE(GetMonitorWorkArea(10, 10, &work));
    g_shared.s_b_dockwindow = 1;
    g_shared.s_n_aero_snap_mode = 1;
    HWND a = MakeWindow(work.left + 300, work.top + 200);
    REQUIRE(a);
    REQUIRE(SubclassWindow(a, DockWndProc));
    CHECK(BeginDockableDrag(a));
    CHECK_EQ(Moving(a, At(work.left + 60, work.top + 200)), 0);
    CHECK_EQ(Moving(a, At(work.left + 8, work.top + 200)), TRUE);
    MoveTo(a, work.left + 8, work.top + 200);
    const RECT half = WindowRectOf(a);
    CHECK_EQ(half.left, work.left);
    CHECK_EQ(half.top, work.top);
    CHECK_EQ(half.right - half.left, (work.right - work.left) / 2);
    CHECK_EQ(half.bottom - half.top, work.bottom - work.top);

    LeaveDockAsFound(a);
    const RECT back = WindowRectOf(a);
    CHECK_EQ(back.left, work.left + 8);
    CHECK_EQ(back.top, work.top + 200);
    CHECK_EQ(back.right - back.left, 400);
    CHECK_EQ(back.bottom - back.top, 300);
    CHECK(!LookupDockState(a, nullptr));
    DestroyWindow(a);
    g_shared.s_n_aero_snap_mode = 0;
}

TEST_CASE("a_docked_window_maximises_minimises_and_restores_and_is_left_as_found_through_its_normal_place")
{
    RECT work = {};
    REQUIRE(GetMonitorWorkArea(10, 10, &work));
    g_shared.s_b_dockwindow = 1;
    g_shared.s_n_aero_snap_mode = 1;
    HWND a = MakeWindow(work.left + 300, work.top + 200);
    REQUIRE(a);
    REQUIRE(SubclassWindow(a, DockWndProc));
    CHECK(BeginDockableDrag(a));
    CHECK_EQ(Moving(a, At(work.left + 60, work.top + 200)), 0);
    CHECK_EQ(Moving(a, At(work.left + 8, work.top + 200)), TRUE);
    MoveTo(a, work.left + 8, work.top + 200);
    const RECT half = WindowRectOf(a);
    CHECK_EQ(half.right - half.left, (work.right - work.left) / 2);
    // The button is released: the window stays docked.
    EndDockableDrags();

    // Maximised by its own button (the system command the button sends):
    // the whole work area, not the half.
    SendMessageW(a, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    CHECK(IsZoomed(a));
    const RECT full = WindowRectOf(a);
    if (!CHECK(full.left <= work.left && full.top <= work.top && full.right >= work.right &&
               full.bottom >= work.bottom))
        MESSAGE(check::Format("maximised at %ld,%ld,%ld,%ld", full.left, full.top, full.right, full.bottom));
    // Restored: back in its half, and still docked.
    SendMessageW(a, WM_SYSCOMMAND, SC_RESTORE, 0);
    CHECK(Same(WindowRectOf(a), half));
    DockState state = {};
    CHECK(LookupDockState(a, &state) && state.docked);
    // Minimised and restored: the same.
    SendMessageW(a, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    CHECK(IsIconic(a));
    SendMessageW(a, WM_SYSCOMMAND, SC_RESTORE, 0);
    CHECK(Same(WindowRectOf(a), half));

    // Maximised when the program ends: it stays maximised, and what it is
    // restored to is its place and size from before docking (workspace
    // coordinates: from the work area's corner).
    SendMessageW(a, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    LeaveDockAsFound(a);
    CHECK(IsZoomed(a));
    const RECT normal = NormalPlaceOf(a);
    if (!CHECK(Same(normal, At(8, 200))))
        MESSAGE(check::Format("normal place %ld,%ld,%ld,%ld", normal.left, normal.top, normal.right, normal.bottom));
    SendMessageW(a, WM_SYSCOMMAND, SC_RESTORE, 0);
    CHECK(Same(WindowRectOf(a), At(work.left + 8, work.top + 200)));
    CHECK(!LookupDockState(a, nullptr));
    DestroyWindow(a);
    g_shared.s_n_aero_snap_mode = 0;
}
