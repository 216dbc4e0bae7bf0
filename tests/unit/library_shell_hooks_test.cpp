// The decisions of the shell hooks, as values: where a dragged taskbar button
// goes, on which systems the taskbar dragging exists, and when the desktop
// list view is given its wanted caption colours again.
#include <windows.h>
#include <commctrl.h>

#include "common/os_version.h"
#include "ostrilix/desktop_colours/desktop_colours.h"
#include "ostrilix/taskbar/taskbar_drag.h"
#include "tests/framework/check.h"

TEST_CASE("a_drop_moves_the_button_to_the_hit_button_and_nowhere_else")
{
    struct Case {
        int source, hit;
        bool move;
    };
    constexpr Case cases[] = {
        {0, 2, true},    // onto a later button
        {3, 1, true},    // onto an earlier button
        {1, 1, false},   // onto itself
        {1, -1, false},  // empty space or a separator
        {0, -5, false},
        {-1, 2, false},  // the dragged command is no longer there
    };
    for (const Case& c : cases) {
        const DropMove drop = DecideDrop(c.source, c.hit);
        CHECK_EQ(drop.move, c.move);
        if (c.move) {
            CHECK_EQ(drop.from, c.source);
            CHECK_EQ(drop.to, c.hit);
        }
    }
}

namespace {
int g_lookups = 0;
HWND g_found = nullptr;
HWND CountedLookup()
{
    ++g_lookups;
    return g_found;
}
}  // namespace

TEST_CASE("the_taskbar_toolbar_is_looked_up_again_only_when_the_kept_one_is_gone")
{
    HWND first = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    HWND second = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    REQUIRE(first && second);
    HWND kept = nullptr;
    // No taskbar: looked for at every press.
    g_found = nullptr;
    CHECK(KeptTaskbarToolbar(&kept, CountedLookup) == nullptr);
    CHECK(KeptTaskbarToolbar(&kept, CountedLookup) == nullptr);
    CHECK_EQ(g_lookups, 2);
    // Found once, then kept however many presses follow.
    g_found = first;
    for (int press = 0; press < 10; ++press)
        CHECK(KeptTaskbarToolbar(&kept, CountedLookup) == first);
    CHECK_EQ(g_lookups, 3);
    // The shell restarted: the kept toolbar is gone, the new one is found.
    DestroyWindow(first);
    g_found = second;
    CHECK(KeptTaskbarToolbar(&kept, CountedLookup) == second);
    CHECK(KeptTaskbarToolbar(&kept, CountedLookup) == second);
    CHECK_EQ(g_lookups, 4);
    DestroyWindow(second);
}

TEST_CASE("taskbar_dragging_exists_up_to_vista_only")
{
    constexpr struct {
        int os_class;
        bool available;
    } cases[] = {{kOsWin2000, true}, {kOsWinXP, true}, {kOsVista, true}, {kOsWin7, false}, {kOsLater, false}};
    for (const auto& c : cases)
        CHECK_EQ(TaskbarDragAvailable(c.os_class), c.available);
}

TEST_CASE("the_desktop_gets_its_wanted_colour_again_only_on_windows_2000_and_only_when_it_differs")
{
    constexpr COLORREF kText = RGB(255, 255, 255), kBack = CLR_NONE;
    struct Case {
        UINT message;
        COLORREF just_set;
        int os_class;
        bool reapply;
        COLORREF wanted;
    };
    constexpr Case cases[] = {
        {LVM_SETTEXTCOLOR, RGB(0, 0, 0), kOsWin2000, true, kText},
        {LVM_SETTEXTBKCOLOR, RGB(1, 2, 3), kOsWin2000, true, kBack},
        // The hook's own message comes back with the wanted colour: the end.
        {LVM_SETTEXTCOLOR, kText, kOsWin2000, false, 0},
        {LVM_SETTEXTBKCOLOR, CLR_NONE, kOsWin2000, false, 0},
        {LVM_SETTEXTCOLOR, RGB(0, 0, 0), kOsWinXP, false, 0},
        {LVM_SETTEXTBKCOLOR, RGB(1, 2, 3), kOsWin7, false, 0},
        {LVM_SETTEXTCOLOR, RGB(0, 0, 0), kOsUnknown, false, 0},
        {LVM_SETBKCOLOR, RGB(0, 0, 0), kOsWin2000, false, 0},
        {WM_SETTEXT, RGB(0, 0, 0), kOsWin2000, false, 0},
    };
    for (const Case& c : cases) {
        COLORREF wanted = 0x12345678;
        CHECK_EQ(DesktopColourToReapply(c.message, c.just_set, kText, kBack, c.os_class, &wanted), c.reapply);
        CHECK_EQ(wanted, c.reapply ? c.wanted : COLORREF(0x12345678));
    }
}
