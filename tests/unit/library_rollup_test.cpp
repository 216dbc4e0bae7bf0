// Roll-up on windows of this process, through the library's own routines:
// every window keeps its own remembered height, the subclass comes and goes
// with the rolled state, and a click on a child below the caption keeps
// that child's offset visible.
#include <windows.h>

#include "ostrilix/hooks/dock_wnd_proc.h"
#include "ostrilix/rollup/rolled_windows.h"
#include "ostrilix/rollup/rollup.h"
#include "ostrilix/core/subclass_registry.h"
#include "tests/framework/check.h"

namespace {
LRESULT CALLBACK FrameProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    return DefWindowProcW(wnd, msg, wp, lp);
}

HWND MakeFrame(int height)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = FrameProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QvRollUpTest";
    RegisterClassW(&wc);
    HWND wnd = CreateWindowExW(0, L"QvRollUpTest", L"roll", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 320,
                               height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    return wnd;
}

int Height(HWND wnd)
{
    RECT r = {};
    GetWindowRect(wnd, &r);
    return r.bottom - r.top;
}

RECT NormalPlaceOf(HWND wnd)
{
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof(placement);
    GetWindowPlacement(wnd, &placement);
    return placement.rcNormalPosition;
}

WNDPROC ProcOf(HWND wnd) { return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(wnd, GWLP_WNDPROC)); }
}  // namespace

TEST_CASE("each_window_is_restored_to_its_own_height")
{
    HWND a = MakeFrame(300), b = MakeFrame(500);
    REQUIRE(a && b);
    const int rolled = GetRolledUpHeight(a);
    CHECK(rolled > 5 && rolled < 100);

    REQUIRE(ToggleRollUp(a));
    CHECK_EQ(Height(a), rolled);
    CHECK(IsRolledUp(a));
    REQUIRE(ToggleRollUp(b));
    CHECK_EQ(Height(b), GetRolledUpHeight(b));

    REQUIRE(ToggleRollUp(a));
    CHECK_EQ(Height(a), 300);
    CHECK(!IsRolledUp(a));
    REQUIRE(ToggleRollUp(b));
    CHECK_EQ(Height(b), 500);
    DestroyWindow(a);
    DestroyWindow(b);
    RemoveAllSubclasses();
}

TEST_CASE("the_subclass_holds_a_rolled_window_and_goes_with_the_restore")
{
    HWND wnd = MakeFrame(300);
    const WNDPROC original = ProcOf(wnd);
    REQUIRE(ToggleRollUp(wnd));
    CHECK(ProcOf(wnd) == DockWndProc);
    const int rolled = Height(wnd);
    SetWindowPos(wnd, nullptr, 0, 0, 400, 450, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    CHECK_EQ(Height(wnd), rolled);
    RECT r = {};
    GetWindowRect(wnd, &r);
    CHECK_EQ(r.right - r.left, 400);
    // The window is only held while it keeps its rolled height.
    CHECK_EQ(RolledUpHeightFor(wnd), rolled);

    REQUIRE(ToggleRollUp(wnd));
    CHECK_EQ(Height(wnd), 300);
    CHECK(ProcOf(wnd) == original);
    SetWindowPos(wnd, nullptr, 0, 0, 400, 260, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    CHECK_EQ(Height(wnd), 260);

    // Rolled again, then destroyed: nothing of it stays recorded.
    REQUIRE(ToggleRollUp(wnd));
    CHECK(SubclassSlotOf(wnd) >= 0);
    DestroyWindow(wnd);
    CHECK_EQ(SubclassSlotOf(wnd), -1);
    CHECK(!IsRolledUp(wnd));
    RemoveAllSubclasses();
}

TEST_CASE("a_rolled_window_minimised_or_maximised_when_the_program_ends_is_restored_to_its_full_size")
{
    const struct {
        const char* name;
        WPARAM command;
    } rows[] = {{"minimised", SC_MINIMIZE}, {"maximised", SC_MAXIMIZE}};
    for (const auto& row : rows) {
        MESSAGE(check::Format("%s", row.name));
        HWND wnd = MakeFrame(300);
        REQUIRE(wnd != nullptr);
        REQUIRE(ToggleRollUp(wnd));
        const int rolled = Height(wnd);
        SendMessageW(wnd, WM_SYSCOMMAND, row.command, 0);
        const bool minimised = row.command == SC_MINIMIZE;
        CHECK(minimised ? IsIconic(wnd) : IsZoomed(wnd));
        CHECK(RestoreRolledUpWindow(wnd));
        // It stays in the state the user put it in; what it is restored to
        // is its full size, at the place it had.
        CHECK(minimised ? IsIconic(wnd) : IsZoomed(wnd));
        const RECT normal = NormalPlaceOf(wnd);
        CHECK_EQ(normal.right - normal.left, 320);
        if (!CHECK_EQ(normal.bottom - normal.top, 300))
            MESSAGE(check::Format("rolled height %d", rolled));
        if (!minimised)
            CHECK(Height(wnd) > rolled);  // a maximised window fills its screen again
        SendMessageW(wnd, WM_SYSCOMMAND, SC_RESTORE, 0);
        CHECK_EQ(Height(wnd), 300);
        DestroyWindow(wnd);
    }
    RemoveAllSubclasses();
}

TEST_CASE("a_click_on_a_child_below_the_caption_keeps_the_offset")
{
    HWND frame = MakeFrame(300);
    HWND child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 40, 100, 30, frame, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    REQUIRE(child != nullptr);
    RECT f = {}, c = {};
    GetWindowRect(frame, &f);
    GetWindowRect(child, &c);
    const int expected = GetRolledUpHeight(frame) + int(c.top - f.top);
    REQUIRE(ToggleRollUp(child));
    CHECK_EQ(Height(frame), expected);
    REQUIRE(ToggleRollUp(child));
    CHECK_EQ(Height(frame), 300);
    // A window without any captioned frame is not rolled.
    HWND popup = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    CHECK(!ToggleRollUp(popup));
    CHECK(!ToggleRollUp(nullptr));
    DestroyWindow(popup);
    DestroyWindow(frame);
    RemoveAllSubclasses();
}
