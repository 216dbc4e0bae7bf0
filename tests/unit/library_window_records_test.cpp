// Records of changed windows: the encodings round-trip, a record's owner
// goes with the last record, and the give-back from records alone (no memory
// of the change left in this process) puts each kind of change back.
#include <windows.h>

#include "ostrilix/core/shared_block.h"
#include "ostrilix/core/window_records.h"
#include "ostrilix/leave_as_found/give_back_recorded.h"
#include "tests/framework/check.h"

namespace {
LRESULT CALLBACK PlainProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcW(w, m, wp, lp); }

// A captioned window of this process, shown without activation.
struct OwnWindow {
    HWND wnd = nullptr;
    explicit OwnWindow(const RECT& r, DWORD ex_style = 0)
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = PlainProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"QvRecordsTest";
        RegisterClassW(&wc);
        wnd = CreateWindowExW(ex_style, L"QvRecordsTest", L"records", WS_OVERLAPPEDWINDOW, r.left, r.top,
                              r.right - r.left, r.bottom - r.top, nullptr, nullptr, wc.hInstance, nullptr);
        ShowWindow(wnd, SW_SHOWNOACTIVATE);
    }
    ~OwnWindow() { DestroyWindow(wnd); }
};

RECT RectOf(HWND wnd)
{
    RECT r = {};
    GetWindowRect(wnd, &r);
    return r;
}
}  // namespace

TEST_CASE("record_encodings_round_trip_and_are_never_zero")
{
    struct Heights { int full, rolled; } heights[] = {{600, 29}, {1, 5}, {65535, 65535}, {32767, 100}};
    for (const Heights& h : heights) {
        const ULONG_PTR v = PackHeights(h.full, h.rolled);
        CHECK(v != 0);
        int full = 0, rolled = 0;
        UnpackHeights(v, &full, &rolled);
        CHECK_EQ(full, h.full);
        CHECK_EQ(rolled, h.rolled);
    }
    // Out of range is cut, never wraps to another value.
    int full = 0, rolled = 0;
    UnpackHeights(PackHeights(70000, -3), &full, &rolled);
    CHECK_EQ(full, 65535);
    CHECK_EQ(rolled, 1);

    struct Point { LONG x, y, want_x, want_y; } points[] = {
        {0, 0, 0, 0}, {-1, -32768, -1, -32768}, {32767, 1280, 32767, 1280}, {-40000, 40000, -32768, 32767},
    };
    for (const Point& p : points) {
        const ULONG_PTR v = PackPoint(p.x, p.y);
        CHECK(v != 0 || (p.want_x == -32768 && p.want_y == -32768));
        const POINT back = UnpackPoint(v);
        CHECK_EQ(back.x, p.want_x);
        CHECK_EQ(back.y, p.want_y);
    }

    const RecordedLook looks[] = {
        {false, 0, 255, LWA_ALPHA},
        {true, RGB(1, 2, 3), 200, LWA_ALPHA | LWA_COLORKEY},
        {true, RGB(255, 255, 255), 0, LWA_COLORKEY},
    };
    for (const RecordedLook& l : looks) {
        RecordedLook back = {};
        CHECK(PackLook(l) != 0);
        REQUIRE(UnpackLook(PackLook(l), PackKey(l.key), &back));
        CHECK_EQ(back.was_layered, l.was_layered);
        CHECK_EQ(back.key, l.key);
        CHECK_EQ(back.alpha, l.alpha);
        CHECK_EQ(back.flags, l.flags);
    }
    RecordedLook none = {};
    CHECK(!UnpackLook(0, 0, &none));
}

TEST_CASE("the_owner_goes_with_the_last_record_of_a_window")
{
    g_shared.s_n_program_process = 1234;
    OwnWindow own({100, 100, 500, 400});
    HWND wnd = own.wnd;
    REQUIRE(wnd != nullptr);
    CHECK_EQ(RecordOwnerOf(wnd), 0u);
    RecordRolledUp(wnd, 300, 29);
    RecordInTray(wnd, 103);
    CHECK_EQ(RecordOwnerOf(wnd), 1234u);
    RecordedChanges changes = {};
    REQUIRE(ReadRecordedChanges(wnd, &changes));
    CHECK(changes.rolled_up && changes.full_height == 300 && changes.rolled_height == 29);
    CHECK_EQ(changes.tray_icon, 103u);
    CHECK(!changes.docked && !changes.faded);
    EraseRolledUpRecord(wnd);
    CHECK_EQ(RecordOwnerOf(wnd), 1234u);  // the tray record is still there
    EraseTrayRecord(wnd);
    CHECK_EQ(RecordOwnerOf(wnd), 0u);
    CHECK(!ReadRecordedChanges(wnd, &changes));
    // Erasing what is not there changes nothing.
    EraseDockRecord(wnd);
    EraseFadeRecord(wnd);
    CHECK_EQ(RecordOwnerOf(wnd), 0u);
    // A program that never said who it is: an owner no process has.
    g_shared.s_n_program_process = 0;
    RecordDockedFrom(wnd, RECT{1, 2, 3, 4});
    CHECK_EQ(RecordOwnerOf(wnd), 0xFFFFFFFFu);
    EraseAllRecords(wnd);
    CHECK_EQ(RecordOwnerOf(wnd), 0u);
}

TEST_CASE("records_alone_give_each_change_back_and_only_to_their_owner")
{
    g_shared.s_n_program_process = 4321;
    const RECT full = {120, 140, 520, 440};
    OwnWindow own(full);
    HWND wnd = own.wnd;
    REQUIRE(wnd != nullptr);
    const LONG own_style = GetWindowLongW(wnd, GWL_EXSTYLE);

    // As a killed program left it: rolled up to 30 pixels, faded, moved by
    // docking; the records say what it was.
    SetWindowPos(wnd, nullptr, 0, 0, 400, 30, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RecordRolledUp(wnd, 300, 30);
    RecordFaded(wnd, {false, 0, 255, LWA_ALPHA});
    SetWindowLongW(wnd, GWL_EXSTYLE, own_style | WS_EX_LAYERED);
    SetLayeredWindowAttributes(wnd, 0, 100, LWA_ALPHA);

    // Another owner's request changes nothing.
    GiveBackRecordedOn(wnd, 999);
    CHECK_EQ(RecordOwnerOf(wnd), 4321u);
    CHECK_EQ(RectOf(wnd).bottom - RectOf(wnd).top, 30);

    GiveBackRecordedOn(wnd, 4321);
    const RECT back = RectOf(wnd);
    CHECK(EqualRect(&back, &full));
    CHECK_EQ(GetWindowLongW(wnd, GWL_EXSTYLE), own_style);
    CHECK_EQ(RecordOwnerOf(wnd), 0u);

    // Docked to a half: the placement from before docking.
    SetWindowPos(wnd, nullptr, 0, 0, 640, 980, SWP_NOZORDER | SWP_NOACTIVATE);
    RecordDockedFrom(wnd, full);  // no taskbar above or left: workspace = screen here
    GiveBackRecordedOn(wnd, 4321);
    const RECT undocked = RectOf(wnd);
    CHECK(EqualRect(&undocked, &full));

    // Hidden in the tray: shown, minimised, with its taskbar button.
    ShowWindow(wnd, SW_MINIMIZE);
    ShowWindow(wnd, SW_HIDE);
    RecordInTray(wnd, 101);
    GiveBackRecordedOn(wnd, 4321);
    CHECK(IsWindowVisible(wnd));
    CHECK(IsIconic(wnd));
    CHECK_EQ(RecordOwnerOf(wnd), 0u);
}
