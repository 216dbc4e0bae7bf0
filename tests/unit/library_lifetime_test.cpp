// The library's lifetime in a host and the end-of-program request, with real
// windows of this process: when a subclass may be given back, how a later
// subclass keeps ours (and the library) in its chain until the window goes,
// the shared table of touched windows, leaving a rolled window as found, and
// a chord whose thread cannot start.
#include <windows.h>

#include <vector>

#include "ostrilix/core/budgeted_ask.h"
#include "ostrilix/core/library_hold.h"
#include "ostrilix/core/shared_block.h"
#include "ostrilix/core/touched_windows.h"
#include "ostrilix/dragging/drag_state.h"
#include "ostrilix/hooks/dock_wnd_proc.h"
#include "ostrilix/leave_as_found/leave_as_found.h"
#include "ostrilix/chord/right_chord.h"
#include "ostrilix/rollup/rolled_windows.h"
#include "ostrilix/rollup/rollup.h"
#include "ostrilix/core/subclass_registry.h"
#include "tests/framework/check.h"

namespace {
constexpr LRESULT kOwnAnswer = 0x4F57;

LRESULT CALLBACK OwnProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_APP)
        return kOwnAnswer;  // only the window's own procedure answers this
    return DefWindowProcW(wnd, msg, wp, lp);
}

HWND MakeWindow(int height = 300)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = OwnProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QvLifetimeTest";
    RegisterClassW(&wc);  // fails harmlessly when already registered
    return CreateWindowExW(0, L"QvLifetimeTest", L"lifetime", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 320,
                           height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

WNDPROC ProcOf(HWND wnd) { return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(wnd, GWLP_WNDPROC)); }

int Height(HWND wnd)
{
    RECT r = {};
    GetWindowRect(wnd, &r);
    return r.bottom - r.top;
}

LONG CountOf(HWND wnd)
{
    SubclassRecord record = {};
    return LookupSubclass(wnd, &record) ? record.use_count : -1;
}

bool InTouchedTable(HWND wnd)
{
    for (int i = 0; i < kTouchedWindows; ++i)
        if (TouchedWindowAt(i) == wnd)
            return true;
    return false;
}

// Another program's subclass, put in front of ours after it.
struct Later {
    HWND window;
    WNDPROC previous;
};
std::vector<Later> g_later;
int g_later_calls = 0;

LRESULT CALLBACK LaterProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    ++g_later_calls;
    for (const Later& l : g_later)
        if (l.window == wnd)
            return CallWindowProcW(l.previous, wnd, msg, wp, lp);
    return DefWindowProcW(wnd, msg, wp, lp);
}

void SubclassLater(HWND wnd)
{
    g_later.push_back({wnd, reinterpret_cast<WNDPROC>(
                                SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LaterProc)))});
}

void UnsubclassLater(HWND wnd)
{
    for (const Later& l : g_later)
        if (l.window == wnd)
            SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(l.previous));
}

bool AlwaysAlive(HWND) { return true; }
bool OnlyOddAlive(HWND wnd) { return (reinterpret_cast<ULONG_PTR>(wnd) & 4) != 0; }  // Fake(odd)
HWND Fake(int n) { return reinterpret_cast<HWND>(ULONG_PTR(0x1000 + 4 * n)); }

int g_starts = 0;
HANDLE FailingStart(LPTHREAD_START_ROUTINE, void*)
{
    ++g_starts;
    return nullptr;
}
}  // namespace

TEST_CASE("release_decisions")
{
    using A = ReleaseAction;
    struct Case {
        LONG count;
        bool chained, in_front, force;
        LONG count_after;
        A action;
    } cases[] = {
        {2, true, true, false, 1, A::KeepRequests},       // others still hold it
        {1, true, true, false, 0, A::Restore},            // the last one: original back, record kept
        {0, true, true, false, 0, A::RestoreAndForget},   // already released: the record goes too
        {3, true, true, true, 0, A::RestoreAndForget},    // forced: all at once
        {1, true, false, false, 0, A::KeepForwarding},    // a later subclass in front: stay
        {3, true, false, true, 0, A::KeepForwarding},     // even when forced
        {0, true, false, false, 0, A::KeepForwarding},
        {0, false, false, false, 0, A::Forget},           // restored earlier: the next release drops it
        {1, false, false, false, 0, A::KeepRequests},     // counted only, nothing of ours in the chain
        {2, false, false, true, 0, A::Forget},
        {-1, true, true, false, 0, A::RestoreAndForget},  // a bad count counts as released
    };
    for (const Case& c : cases) {
        const ReleaseStep step = DecideRelease(c.count, c.chained, c.in_front, c.force);
        CHECK_EQ(step.use_count, c.count_after);
        CHECK_EQ(int(step.action), int(c.action));
    }
}

TEST_CASE("waits_of_the_letting_go_thread_and_of_the_exit")
{
    struct Poll {
        DWORD previous, next;
    } polls[] = {{0, 10}, {10, 20}, {20, 40}, {160, 250}, {250, 250}, {5000, 250}};
    for (const Poll& p : polls)
        CHECK_EQ(NextLetGoPoll(p.previous), p.next);
    struct Send {
        DWORD elapsed, budget, per_window, timeout;
    } sends[] = {
        {0, 1000, 200, 200},    // a window's own share
        {900, 1000, 200, 100},  // cut to what is left
        {1000, 1000, 200, 0},   // spent: nobody is waited for
        {1500, 1000, 200, 0},
        {0, 50, 200, 50},
    };
    for (const Send& s : sends)
        CHECK_EQ(NextSendTimeout(s.elapsed, s.budget, s.per_window), s.timeout);
}

TEST_CASE("touched_table_keeps_each_window_once_and_makes_room_from_windows_that_are_gone")
{
    HWND volatile slots[4] = {};
    CHECK(!AddTouched(slots, 4, nullptr, AlwaysAlive));
    CHECK(AddTouched(slots, 4, Fake(1), AlwaysAlive));
    CHECK(AddTouched(slots, 4, Fake(1), AlwaysAlive));  // already there: not twice
    CHECK(slots[0] == Fake(1) && slots[1] == nullptr);
    for (int n = 2; n <= 4; ++n)
        CHECK(AddTouched(slots, 4, Fake(n), AlwaysAlive));
    // Full of live windows: no room.
    CHECK(!AddTouched(slots, 4, Fake(5), AlwaysAlive));
    // Full, but the even ones are gone: they make room.
    CHECK(AddTouched(slots, 4, Fake(6), OnlyOddAlive));
    int kept = 0;
    for (HWND w : {Fake(1), Fake(3), Fake(6)})
        for (HWND volatile& s : slots)
            kept += s == w;
    CHECK_EQ(kept, 3);
    RemoveTouched(slots, 4, Fake(3));
    RemoveTouched(slots, 4, Fake(7));  // not there: nothing changes
    RemoveTouched(slots, 4, nullptr);
    int used = 0;
    for (HWND volatile& s : slots)
        used += s != nullptr;
    CHECK_EQ(used, 2);
}

TEST_CASE("a_later_subclass_keeps_ours_forwarding_and_the_library_held_until_the_window_goes")
{
    const LONG holds = LibraryHoldCount();
    HWND wnd = MakeWindow();
    REQUIRE(wnd != nullptr);
    const WNDPROC original = ProcOf(wnd);
    REQUIRE(SubclassWindow(wnd, DockWndProc));
    CHECK_EQ(LibraryHoldCount(), holds + 1);
    CHECK(InTouchedTable(wnd));
    SubclassLater(wnd);

    // Released, forced or not: ours cannot leave without cutting the chain.
    CHECK(UnsubclassWindow(wnd, false));
    CHECK(UnsubclassWindow(wnd, true));
    CHECK(ProcOf(wnd) == LaterProc);
    CHECK_EQ(CountOf(wnd), 0);
    CHECK(GetOriginalWndProc(wnd) == original);
    CHECK_EQ(LibraryHoldCount(), holds + 1);
    g_later_calls = 0;
    CHECK_EQ(SendMessageW(wnd, WM_APP, 0, 0), kOwnAnswer);
    CHECK_EQ(g_later_calls, 1);

    // A new request counts on ours in the chain; a second copy in front of
    // the later one would forward to itself through it.
    CHECK(SubclassWindow(wnd, DockWndProc));
    CHECK_EQ(CountOf(wnd), 1);
    CHECK(ProcOf(wnd) == LaterProc);
    CHECK_EQ(LibraryHoldCount(), holds + 1);
    g_later_calls = 0;
    CHECK_EQ(SendMessageW(wnd, WM_APP, 0, 0), kOwnAnswer);
    CHECK_EQ(g_later_calls, 1);

    // Once the later one has left, the last release gives the original back.
    UnsubclassLater(wnd);
    CHECK(ProcOf(wnd) == DockWndProc);
    CHECK(UnsubclassWindow(wnd, false));
    CHECK(ProcOf(wnd) == original);
    CHECK_EQ(LibraryHoldCount(), holds);
    CHECK(!InTouchedTable(wnd));

    // A window destroyed with a later subclass in front gives its hold back.
    HWND other = MakeWindow();
    REQUIRE(SubclassWindow(other, DockWndProc));
    SubclassLater(other);
    CHECK(UnsubclassWindow(other, true));
    CHECK_EQ(LibraryHoldCount(), holds + 1);
    DestroyWindow(other);
    CHECK_EQ(LibraryHoldCount(), holds);
    CHECK_EQ(SubclassSlotOf(other), -1);
    CHECK(!InTouchedTable(other));
    DestroyWindow(wnd);
    RemoveAllSubclasses();
}

TEST_CASE("leaving_a_rolled_window_as_found_gives_back_its_height_procedure_and_table_slot")
{
    const LONG holds = LibraryHoldCount();
    HWND wnd = MakeWindow(300);
    REQUIRE(wnd != nullptr);
    const WNDPROC original = ProcOf(wnd);
    REQUIRE(ToggleRollUp(wnd));
    const int rolled = Height(wnd);
    CHECK(rolled < 100);
    // A second request, as the border move mode makes.
    REQUIRE(SubclassWindow(wnd, DockWndProc));
    CHECK_EQ(CountOf(wnd), 2);
    CHECK(InTouchedTable(wnd));
    g_bMoveByBorder = 1;

    // The program's request as the library's procedure receives it (a busy
    // thread after the hooks are gone); the hook calls the same routine.
    SendMessageW(wnd, LeaveAsFoundMessage(), 0, 0);
    CHECK_EQ(Height(wnd), 300);
    CHECK(!IsRolledUp(wnd));
    CHECK(ProcOf(wnd) == original);
    CHECK_EQ(CountOf(wnd), -1);
    CHECK(!InTouchedTable(wnd));
    CHECK_EQ(g_bMoveByBorder, 0);
    CHECK_EQ(LibraryHoldCount(), holds);

    // Asked again, or for a window never touched: nothing changes.
    LeaveWindowAsFound(wnd);
    CHECK_EQ(Height(wnd), 300);
    CHECK(ProcOf(wnd) == original);
    HWND untouched = MakeWindow(200);
    LeaveWindowAsFound(untouched);
    CHECK_EQ(Height(untouched), 200);
    CHECK(ProcOf(untouched) == original);
    // And the window rolls up again as before.
    REQUIRE(ToggleRollUp(wnd));
    CHECK_EQ(Height(wnd), rolled);
    REQUIRE(ToggleRollUp(wnd));
    CHECK_EQ(Height(wnd), 300);
    DestroyWindow(untouched);
    DestroyWindow(wnd);
    RemoveAllSubclasses();
}

extern "C" LRESULT CALLBACK MouseProc(int code, WPARAM wParam, LPARAM lParam);

namespace {
// A right press on the window's lower border, as the mouse hook gets it.
LRESULT RightPressOnLowerBorder(HWND wnd)
{
    RECT r = {};
    GetWindowRect(wnd, &r);
    MOUSEHOOKSTRUCTEX record = {};
    record.pt = {(r.left + r.right) / 2, r.bottom - 2};
    record.hwnd = wnd;
    record.wHitTestCode = HTBOTTOM;
    return MouseProc(HC_ACTION, WM_NCRBUTTONDOWN, reinterpret_cast<LPARAM>(&record));
}
}  // namespace

TEST_CASE("the_border_move_mode_switched_off_on_another_window_releases_the_window_that_holds_it")
{
    HWND a = MakeWindow();
    HWND b = MakeWindow();
    REQUIRE(a && b);
    SetWindowPos(b, nullptr, 500, 400, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    const WNDPROC own = ProcOf(a);
    g_bMoveByBorder = 0;
    CHECK_EQ(RightPressOnLowerBorder(a), 1);
    CHECK_EQ(g_bMoveByBorder, 1);
    CHECK(ProcOf(a) == DockWndProc);
    // Switched off from the lower border of another window: the mode ends,
    // and the window that held it runs its own procedure again.
    CHECK_EQ(RightPressOnLowerBorder(b), 1);
    CHECK_EQ(g_bMoveByBorder, 0);
    CHECK(ProcOf(a) == own);
    CHECK(CountOf(a) <= 0);  // no request of ours left on either window
    CHECK(CountOf(b) <= 0);
    // On and off on one window.
    CHECK_EQ(RightPressOnLowerBorder(b), 1);
    CHECK_EQ(g_bMoveByBorder, 1);
    CHECK_EQ(RightPressOnLowerBorder(b), 1);
    CHECK_EQ(g_bMoveByBorder, 0);
    CHECK(CountOf(b) <= 0);
    CHECK(ProcOf(b) == own);
    g_shared.s_b_avoid_rbtn_up = 0;
    DestroyWindow(a);
    DestroyWindow(b);
}

TEST_CASE("a_chord_whose_thread_cannot_start_leaves_no_flag_behind")
{
    g_shared.s_b_avoid_rbtn_up = 0;
    MOUSEHOOKSTRUCT record = {};
    record.pt = {10, 10};
    g_starts = 0;
    CHECK(!StartChordThread(record, FailingStart));
    CHECK_EQ(g_starts, 1);
    // The user's release then reaches the application like the press did.
    CHECK_EQ(g_shared.s_b_avoid_rbtn_up, 0);
}
