// The low-level input features of the hook library: the decisions of the
// low-level hooks and of auto-scroll, the chord's records, and the thread
// mechanics of auto-scroll and of the chord, run in this process.
#include <windows.h>
#include <windowsx.h>

#include <string>
#include <vector>

#include "common/ostrilix_interface.h"
#include "ostrilix/core/config_exports.h"
#include "ostrilix/core/name_lists.h"
#include "ostrilix/core/shared_block.h"
#include "ostrilix/scrolling/auto_scroll.h"
#include "ostrilix/scrolling/direct_scroll.h"
#include "ostrilix/hooks/low_level_decisions.h"
#include "ostrilix/hooks/low_level_input.h"
#include "ostrilix/chord/right_chord.h"
#include "tests/framework/check.h"
#include "tests/scenario/support/harness.h"

using scenario::PumpFor;
using scenario::WaitFor;

TEST_CASE("calc_whell_delta_first_step_follows_the_wheel")
{
    // No step yet: the first distance in the wheel's direction.
    CHECK_EQ(CalcWhellDelta(120, 0, 10, 40), SHORT(10));
    CHECK_EQ(CalcWhellDelta(-120, 0, 10, 40), SHORT(-10));
    // A wheel of 0 counts as toward the user.
    CHECK_EQ(CalcWhellDelta(0, 0, 10, 40), SHORT(-10));
    CHECK_EQ(CalcWhellDelta(0, 50, 10, 40), SHORT(-10));
    CHECK_EQ(CalcWhellDelta(0, -50, 10, 40), SHORT(-10));
    // High-resolution wheels: any positive amount is a notch away.
    CHECK_EQ(CalcWhellDelta(1, 0, 7, 40), SHORT(7));
}

TEST_CASE("calc_whell_delta_accelerates_in_one_direction_and_restarts_on_reversal")
{
    // Three notches away with the defaults, then one back.
    SHORT step = 0;
    std::vector<SHORT> seen;
    for (SHORT wheel : {120, 120, 120, -120}) {
        step = CalcWhellDelta(wheel, step, 10, 40);
        seen.push_back(step);
    }
    CHECK(seen == std::vector<SHORT>({10, 50, 90, -10}));
    // Toward the user it accelerates the same way.
    CHECK_EQ(CalcWhellDelta(-120, -10, 10, 40), SHORT(-50));
    CHECK_EQ(CalcWhellDelta(-120, -50, 10, 40), SHORT(-90));
    // A reversal from any speed starts over.
    CHECK_EQ(CalcWhellDelta(120, -90, 10, 40), SHORT(10));
    CHECK_EQ(CalcWhellDelta(-120, 90, 10, 40), SHORT(-10));
}

TEST_CASE("calc_whell_delta_wraps_in_16_bits")
{
    CHECK_EQ(CalcWhellDelta(120, 32760, 10, 40), SHORT(-32736));
    CHECK_EQ(CalcWhellDelta(-120, -32760, 10, 40), SHORT(32736));
    // The product of two large 16-bit values keeps its sign.
    CHECK_EQ(CalcWhellDelta(-32768, -32768, 10, 40), SHORT(32728));
    // Odd settings are taken as given: a negative distance or delta, 0.
    CHECK_EQ(CalcWhellDelta(120, 0, -10, 40), SHORT(-10));
    CHECK_EQ(CalcWhellDelta(120, 10, 10, -40), SHORT(-30));
    CHECK_EQ(CalcWhellDelta(-120, 0, -32768, 40), SHORT(-32768));
    CHECK_EQ(CalcWhellDelta(120, 0, 0, 0), SHORT(0));
}

TEST_CASE("wheel_decision_follows_the_order_of_the_tests")
{
    auto decide = [](bool alt, bool ctrl, bool injected, bool right, bool middle, bool running) {
        return DecideWheel(WheelState{alt, ctrl, injected, right, middle, running});
    };
    // Left Alt + Left Ctrl wins over everything.
    CHECK(decide(true, true, true, true, true, true) == WheelAction::AdjustTransparency);
    CHECK(decide(true, true, false, false, false, false) == WheelAction::AdjustTransparency);
    // Our own wheel input: swallowed while the right button is held, else remembered.
    CHECK(decide(false, false, true, true, true, true) == WheelAction::SwallowInjected);
    CHECK(decide(false, false, true, false, true, true) == WheelAction::PassAndRemember);
    CHECK(decide(true, false, true, false, false, false) == WheelAction::PassAndRemember);
    // Left Ctrl + wheel never starts or steers auto-scroll.
    CHECK(decide(false, true, false, false, true, false) == WheelAction::PassAndRemember);
    CHECK(decide(false, true, false, false, false, true) == WheelAction::PassAndRemember);
    // Middle button held: start (or restart) auto-scroll.
    CHECK(decide(false, false, false, false, true, false) == WheelAction::StartAutoScroll);
    CHECK(decide(false, false, false, false, true, true) == WheelAction::StartAutoScroll);
    CHECK(decide(true, false, false, true, true, false) == WheelAction::StartAutoScroll);
    // Running with the middle button up: the notch changes the step.
    CHECK(decide(false, false, false, false, false, true) == WheelAction::ChangeStep);
    CHECK(decide(false, false, false, true, false, true) == WheelAction::ChangeStep);
    // Otherwise the wheel is only remembered.
    CHECK(decide(false, false, false, false, false, false) == WheelAction::PassAndRemember);
    CHECK(decide(true, false, false, true, false, false) == WheelAction::PassAndRemember);
}

TEST_CASE("right_release_decision_swallows_only_the_users_release_after_a_chord")
{
    CHECK(DecideRightUp(true, true, true, false) == RightUpAction::SwallowAndEndChord);
    // The chord's own release passes and keeps the bookkeeping for the user's.
    CHECK(DecideRightUp(true, true, true, true) == RightUpAction::Pass);
    // Flags of other actions (roll-up, topmost, auto-scroll) are the mouse hook's.
    CHECK(DecideRightUp(true, false, true, false) == RightUpAction::Pass);
    CHECK(DecideRightUp(true, true, false, false) == RightUpAction::Pass);
    CHECK(DecideRightUp(false, true, true, false) == RightUpAction::Pass);
}

TEST_CASE("f6_decision")
{
    CHECK(DecideF6(VK_F6, WM_KEYDOWN, false) == F6Action::PressWinKey);
    CHECK(DecideF6(VK_F6, WM_KEYDOWN, true) == F6Action::PressWinKey);  // auto-repeat
    CHECK(DecideF6(VK_F6, WM_KEYUP, true) == F6Action::ReleaseWinKey);
    // Alt+F6 reaches applications unchanged.
    CHECK(DecideF6(VK_F6, WM_SYSKEYDOWN, false) == F6Action::Pass);
    CHECK(DecideF6(VK_F6, WM_SYSKEYUP, false) == F6Action::Pass);
    // F6 pressed with Alt and released without it: the application gets its
    // F6 release, and no Windows key is released that was never pressed.
    CHECK(DecideF6(VK_F6, WM_KEYUP, false) == F6Action::Pass);
    // F6 pressed as the Windows key, Alt pressed meanwhile: the Windows key
    // repeats and is released, never left held.
    CHECK(DecideF6(VK_F6, WM_SYSKEYDOWN, true) == F6Action::PressWinKey);
    CHECK(DecideF6(VK_F6, WM_SYSKEYUP, true) == F6Action::ReleaseWinKey);
    // Other keys pass whatever the state.
    CHECK(DecideF6(VK_F5, WM_KEYDOWN, false) == F6Action::Pass);
    CHECK(DecideF6(VK_LWIN, WM_KEYUP, true) == F6Action::Pass);
    CHECK(DecideF6(VK_F6, WM_CHAR, true) == F6Action::Pass);
}

TEST_CASE("reposted_wheel_point_keeps_16_bits_per_coordinate")
{
    CHECK_EQ(WheelPointLParam({300, 200}), LPARAM(0x00C8012C));
    // A monitor left of or above the primary one.
    const LPARAM negative = WheelPointLParam({-5, -1});
    CHECK_EQ(SHORT(LOWORD(negative)), SHORT(-5));
    CHECK_EQ(SHORT(HIWORD(negative)), SHORT(-1));
    CHECK_EQ(GET_X_LPARAM(negative), -5);
    CHECK_EQ(GET_Y_LPARAM(negative), -1);
}

TEST_CASE("chord_records_alt_down_click_alt_up_all_marked")
{
    INPUT in[4];
    BuildChordInputs({321, -7}, false, in);
    CHECK_EQ(in[0].type, DWORD(INPUT_KEYBOARD));
    CHECK_EQ(in[0].ki.wVk, WORD(VK_MENU));
    CHECK_EQ(in[0].ki.wScan, WORD(0));
    CHECK_EQ(in[0].ki.dwFlags, DWORD(KEYEVENTF_EXTENDEDKEY));
    CHECK_EQ(in[3].type, DWORD(INPUT_KEYBOARD));
    CHECK_EQ(in[3].ki.wVk, WORD(VK_MENU));
    CHECK_EQ(in[3].ki.dwFlags, DWORD(KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP));
    CHECK_EQ(in[1].type, DWORD(INPUT_MOUSE));
    CHECK_EQ(in[1].mi.dwFlags, DWORD(MOUSEEVENTF_RIGHTDOWN));  // no move, no absolute
    CHECK_EQ(in[2].mi.dwFlags, DWORD(MOUSEEVENTF_RIGHTUP));
    for (int i = 1; i <= 2; ++i) {
        CHECK_EQ(in[i].mi.dx, LONG(321));
        CHECK_EQ(in[i].mi.dy, LONG(-7));
        CHECK_EQ(in[i].mi.mouseData, DWORD(EVENT_INFO));
    }
    for (const INPUT& one : in)
        CHECK_EQ(one.type == INPUT_KEYBOARD ? one.ki.dwExtraInfo : one.mi.dwExtraInfo, EVENT_INFO);

    // Swapped buttons: the physical left button is the logical right one.
    BuildChordInputs({1, 2}, true, in);
    CHECK_EQ(in[1].mi.dwFlags, DWORD(MOUSEEVENTF_LEFTDOWN));
    CHECK_EQ(in[2].mi.dwFlags, DWORD(MOUSEEVENTF_LEFTUP));
}

// --- Direct-scroll exceptions ------------------------------------------------

namespace {
std::wstring OwnPath()
{
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::wstring(path, n);
}

std::wstring Upper(std::wstring s)
{
    for (wchar_t& c : s)
        c = wchar_t(towupper(c));
    return s;
}
}  // namespace

TEST_CASE("direct_scroll_exception_is_the_calling_process_on_the_list")
{
    HWND any = GetDesktopWindow();
    ReleaseMappedLists();
    SetScrollDirectlyExceptionList(nullptr);
    CHECK(!IsDirectScrollException(any));  // no list at all

    const std::wstring own = OwnPath();
    const std::wstring folder = own.substr(0, own.find_last_of(L'\\') + 1);
    REQUIRE_EQ(SetScrollDirectlyExceptionList((L"c:\\tools\\app.exe; " + Upper(own)).c_str()), 1);
    CHECK(IsDirectScrollException(any));  // case is ignored
    CHECK(!IsDirectScrollException(nullptr));  // only the window is tested for null

    // A folder as the last entry excepts every executable under it; not
    // elsewhere in the list.
    REQUIRE_EQ(SetScrollDirectlyExceptionList(nullptr), 1);
    REQUIRE_EQ(SetScrollDirectlyExceptionList((L"c:\\tools\\app.exe;" + folder).c_str()), 1);
    CHECK(IsDirectScrollException(any));
    REQUIRE_EQ(SetScrollDirectlyExceptionList(nullptr), 1);
    REQUIRE_EQ(SetScrollDirectlyExceptionList((folder + L";c:\\tools\\app.exe").c_str()), 1);
    CHECK(!IsDirectScrollException(any));

    // A sibling whose name only begins like this executable's does not
    // except it; an entry that begins with the whole path does.
    const std::wstring sibling = own.substr(0, own.size() - 4) + L"2.exe";
    REQUIRE_EQ(SetScrollDirectlyExceptionList(nullptr), 1);
    REQUIRE_EQ(SetScrollDirectlyExceptionList((sibling + L";c:\\x.exe").c_str()), 1);
    CHECK(!IsDirectScrollException(any));
    REQUIRE_EQ(SetScrollDirectlyExceptionList(nullptr), 1);
    REQUIRE_EQ(SetScrollDirectlyExceptionList((own + L"2;c:\\x.exe").c_str()), 1);
    CHECK(IsDirectScrollException(any));
    REQUIRE_EQ(SetScrollDirectlyExceptionList(nullptr), 1);
    REQUIRE_EQ(SetScrollDirectlyExceptionList(L""), 1);
    CHECK(!IsDirectScrollException(any));
    SetScrollDirectlyExceptionList(nullptr);
    ReleaseMappedLists();
}

// --- Auto-scroll mechanics ----------------------------------------------------

namespace {
int g_starts = 0;
HANDLE CountingStart(LPTHREAD_START_ROUTINE routine, void* parameter)
{
    ++g_starts;
    return StartThread(routine, parameter);
}
HANDLE FailingStart(LPTHREAD_START_ROUTINE, void*)
{
    ++g_starts;
    return nullptr;
}

RECT ClipNow()
{
    RECT r = {};
    GetClipCursor(&r);
    return r;
}

bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Where the cursor is now, and the event of a notch away from the user there.
MSLLHOOKSTRUCT WheelEventAtCursor(SHORT wheel)
{
    MSLLHOOKSTRUCT event = {};
    GetCursorPos(&event.pt);
    event.mouseData = DWORD(WORD(wheel)) << 16;
    return event;
}

void UseDefaultScrollParams()
{
    FeatureParams params = {};
    params.s_s_scroll_distance = 10;
    params.s_s_scroll_delta = 40;
    params.s_s_scroll_mode = 1;
    SetFeatureFlags(kFeatureAutoScrolling, params);
    g_shared.s_s_whell_delta = 0;
}

bool WorkerEnded() { return !AutoScrollWorkerAlive(); }
}  // namespace

TEST_CASE("a_failing_thread_start_leaves_auto_scroll_stopped_and_the_cursor_free")
{
    ClipCursor(nullptr);
    const RECT free_clip = ClipNow();
    UseDefaultScrollParams();
    g_starts = 0;
    BeginAutoScroll(WheelEventAtCursor(120), FailingStart);
    CHECK_EQ(g_starts, 1);
    CHECK_EQ(IsFeatureEnabled(kFeatureAutoScrolling), 0);
    CHECK(g_shared.s_h_autoscroll_thread == nullptr);
    CHECK(SameRect(ClipNow(), free_clip));
    CHECK_EQ(g_shared.s_s_whell_delta, SHORT(0));
    CHECK(!AutoScrollWorkerAlive());

    // The next middle-held notch tries again and starts from the first step.
    BeginAutoScroll(WheelEventAtCursor(120), CountingStart);
    CHECK_EQ(g_starts, 2);
    CHECK_EQ(IsFeatureEnabled(kFeatureAutoScrolling), 1);
    CHECK(g_shared.s_h_autoscroll_thread != nullptr);
    CHECK_EQ(g_shared.s_s_whell_delta, SHORT(10));
    StopAutoScroll();
    CHECK(WaitFor(WorkerEnded, 3000));
    ClipCursor(nullptr);
}

TEST_CASE("one_worker_at_a_time_and_its_handle_is_closed_where_it_was_made")
{
    ClipCursor(nullptr);
    const RECT free_clip = ClipNow();
    UseDefaultScrollParams();
    g_starts = 0;
    const MSLLHOOKSTRUCT event = WheelEventAtCursor(120);
    BeginAutoScroll(event, CountingStart);
    HANDLE first = g_shared.s_h_autoscroll_thread;
    REQUIRE(first != nullptr);
    CHECK(AutoScrollWorkerAlive());
    const RECT clip = ClipNow();
    CHECK_EQ(clip.right - clip.left, LONG(1));
    CHECK_EQ(clip.bottom - clip.top, LONG(1));

    // A further middle-held notch while running changes the step only.
    BeginAutoScroll(event, CountingStart);
    CHECK_EQ(g_starts, 1);
    CHECK_EQ(g_shared.s_s_whell_delta, SHORT(50));
    CHECK(g_shared.s_h_autoscroll_thread == first);
    CHECK_EQ(ChangeAutoScrollStep(120), SHORT(90));
    CHECK_EQ(ChangeAutoScrollStep(-120), SHORT(-10));

    // Stopping in any process only drops the record; the handle stays valid
    // until the program's process sees the worker gone and closes it.
    StopAutoScroll();
    CHECK(g_shared.s_h_autoscroll_thread == nullptr);
    CHECK(SameRect(ClipNow(), free_clip));
    DWORD flags = 0;
    CHECK(GetHandleInformation(first, &flags));
    REQUIRE(WaitFor(WorkerEnded, 3000));
    CHECK(WaitFor([&] { return WaitForSingleObject(first, 0) == WAIT_OBJECT_0; }, 3000));
    ReapAutoScrollWorker();
    CHECK(!GetHandleInformation(first, &flags));

    // A start right after a stop never leaves two workers: the old one, if
    // still in its loop, carries on; otherwise it has left its loop, ends
    // soon after, and a new one starts.  The start that replaces a worker
    // closes its handle, so the test keeps a handle of its own.
    g_starts = 0;
    BeginAutoScroll(event, CountingStart);
    HANDLE second = nullptr;
    REQUIRE(DuplicateHandle(GetCurrentProcess(), g_shared.s_h_autoscroll_thread, GetCurrentProcess(), &second,
                            SYNCHRONIZE, FALSE, 0));
    StopAutoScroll();
    g_shared.s_s_whell_delta = 0;
    BeginAutoScroll(event, CountingStart);
    CHECK(g_starts == 1 || (g_starts == 2 && WaitForSingleObject(second, 3000) == WAIT_OBJECT_0));
    CloseHandle(second);
    CHECK(g_shared.s_h_autoscroll_thread != nullptr);  // the running worker, old or new
    PumpFor(200);
    CHECK(AutoScrollWorkerAlive());
    CHECK_EQ(IsFeatureEnabled(kFeatureAutoScrolling), 1);

    // The same with the old worker surely out of its loop: a new one starts.
    HANDLE third = nullptr;
    REQUIRE(DuplicateHandle(GetCurrentProcess(), g_shared.s_h_autoscroll_thread, GetCurrentProcess(), &third,
                            SYNCHRONIZE, FALSE, 0));
    StopAutoScroll();
    REQUIRE(WaitFor(WorkerEnded, 3000));
    g_starts = 0;
    BeginAutoScroll(event, CountingStart);
    CHECK_EQ(g_starts, 1);
    CHECK(WaitForSingleObject(third, 3000) == WAIT_OBJECT_0);
    CloseHandle(third);
    CHECK(AutoScrollWorkerAlive());
    StopAutoScroll();
    CHECK(WaitFor(WorkerEnded, 3000));
    ClipCursor(nullptr);
}

TEST_CASE("stopping_leaves_a_clip_alone_that_auto_scroll_did_not_set")
{
    ClipCursor(nullptr);
    const RECT free_clip = ClipNow();
    EnableFeatures(kFeatureAutoScrolling, 0);
    // An application confining the cursor keeps its confinement on a click.
    const RECT confined = {10, 10, 300, 200};
    ClipCursor(&confined);
    StopAutoScroll();
    CHECK(SameRect(ClipNow(), confined));
    // A stuck running mark releases it, whoever set it.
    EnableFeatures(kFeatureAutoScrolling, 1);
    StopAutoScroll();
    CHECK_EQ(IsFeatureEnabled(kFeatureAutoScrolling), 0);
    CHECK(SameRect(ClipNow(), free_clip));
    ClipCursor(nullptr);
}

TEST_CASE("worker_without_a_record_returns_1")
{
    CHECK_EQ(AutoScrollThread(nullptr), DWORD(1));
}

// --- The chord's injection, watched by low-level hooks of this process -------

namespace {
struct Seen {
    bool keyboard;
    WPARAM message;
    DWORD vk;
};
std::vector<Seen> g_seen;
bool g_refuse_keys = false;        // swallow our marked key events
bool g_refuse_right_up = false;    // swallow our marked button releases

LRESULT CALLBACK WatchKeys(int code, WPARAM wp, LPARAM lp)
{
    const auto* k = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lp);
    if (code == HC_ACTION && k->dwExtraInfo == EVENT_INFO) {
        g_seen.push_back({true, wp, k->vkCode});
        if (g_refuse_keys)
            return 1;
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

LRESULT CALLBACK WatchMouse(int code, WPARAM wp, LPARAM lp)
{
    const auto* m = reinterpret_cast<const MSLLHOOKSTRUCT*>(lp);
    if (code == HC_ACTION && m->dwExtraInfo == EVENT_INFO && wp != WM_MOUSEMOVE) {
        g_seen.push_back({false, wp, 0});
        if (g_refuse_right_up && (wp == WM_RBUTTONUP || wp == WM_LBUTTONUP))
            return 1;
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

size_t CountSeen(bool keyboard, WPARAM message)
{
    size_t n = 0;
    for (const Seen& s : g_seen)
        n += s.keyboard == keyboard && s.message == message;
    return n;
}

DWORD WINAPI RunChord(void* record)
{
    SendKeyAndClick(record);
    return 0;
}

// Runs the chord for a click at the cursor over a window of this process and
// watches every marked event it injects.  False when it did not end in time.
bool WatchChord(void* record)
{
    g_seen.clear();
    HWND sink = CreateWindowExW(WS_EX_TOPMOST, L"QvChordSink", L"", WS_POPUP | WS_VISIBLE, 600, 500,
                                200, 200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetCursorPos(700, 600);
    PumpFor(100);
    HINSTANCE self = GetModuleHandleW(nullptr);
    HHOOK keys = SetWindowsHookExW(WH_KEYBOARD_LL, WatchKeys, self, 0);
    HHOOK mouse = SetWindowsHookExW(WH_MOUSE_LL, WatchMouse, self, 0);
    HANDLE thread = CreateThread(nullptr, 0, RunChord, record, 0, nullptr);
    bool ended = false;
    const DWORD start = GetTickCount();
    while (thread && !ended && GetTickCount() - start < 15000) {
        if (MsgWaitForMultipleObjects(1, &thread, FALSE, 50, QS_ALLINPUT) == WAIT_OBJECT_0)
            ended = true;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
    }
    PumpFor(100);
    UnhookWindowsHookEx(mouse);
    UnhookWindowsHookEx(keys);
    if (thread)
        CloseHandle(thread);
    DestroyWindow(sink);
    return ended;
}

bool RegisterSink()
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QvChordSink";
    return RegisterClassW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

MOUSEHOOKSTRUCT ChordRecord()
{
    MOUSEHOOKSTRUCT record = {};
    GetCursorPos(&record.pt);
    return record;
}
}  // namespace

TEST_CASE("chord_sends_alt_down_right_click_alt_up_once_each")
{
    REQUIRE(RegisterSink());
    g_refuse_keys = g_refuse_right_up = false;
    g_shared.s_b_sending_click = 0;
    MOUSEHOOKSTRUCT record = ChordRecord();
    const DWORD started = GetTickCount();
    REQUIRE(WatchChord(&record));
    MESSAGE(check::Format("chord took %lu ms", GetTickCount() - started));
    REQUIRE_EQ(g_seen.size(), size_t(4));
    CHECK(g_seen[0].keyboard && g_seen[0].message == WM_SYSKEYDOWN);
    CHECK(g_seen[0].vk == VK_RMENU || g_seen[0].vk == VK_MENU);  // extended Alt
    CHECK(!g_seen[1].keyboard && g_seen[1].message == WM_RBUTTONDOWN);
    CHECK(!g_seen[2].keyboard && g_seen[2].message == WM_RBUTTONUP);
    CHECK(g_seen[3].keyboard && (g_seen[3].message == WM_KEYUP || g_seen[3].message == WM_SYSKEYUP));
    CHECK_EQ(g_shared.s_b_sending_click, 1);  // ended by the user's release, not here
    CHECK(!(GetAsyncKeyState(VK_MENU) & 0x8000));
    CHECK(!(GetAsyncKeyState(VK_RBUTTON) & 0x8000));
}

TEST_CASE("chord_gives_up_an_alt_the_system_refuses_and_still_ends_with_alt_up")
{
    REQUIRE(RegisterSink());
    g_refuse_keys = true;
    g_refuse_right_up = false;
    MOUSEHOOKSTRUCT record = ChordRecord();
    REQUIRE(WatchChord(&record));
    g_refuse_keys = false;
    CHECK_EQ(CountSeen(true, WM_SYSKEYDOWN) + CountSeen(true, WM_KEYDOWN), size_t(kChordMaxSends));
    CHECK_EQ(CountSeen(false, WM_RBUTTONDOWN), size_t(1));
    CHECK_EQ(CountSeen(false, WM_RBUTTONUP), size_t(1));
    REQUIRE(!g_seen.empty());
    CHECK(g_seen.back().keyboard && (g_seen.back().message == WM_KEYUP ||
                                     g_seen.back().message == WM_SYSKEYUP));
    CHECK(!(GetAsyncKeyState(VK_MENU) & 0x8000));
}

TEST_CASE("chord_gives_up_a_release_the_system_refuses_and_still_ends_with_alt_up")
{
    REQUIRE(RegisterSink());
    g_refuse_keys = false;
    g_refuse_right_up = true;
    MOUSEHOOKSTRUCT record = ChordRecord();
    REQUIRE(WatchChord(&record));
    g_refuse_right_up = false;
    CHECK_EQ(CountSeen(true, WM_SYSKEYDOWN), size_t(1));
    CHECK_EQ(CountSeen(false, WM_RBUTTONDOWN), size_t(1));
    CHECK_EQ(CountSeen(false, WM_RBUTTONUP), size_t(kChordMaxSends));
    REQUIRE(!g_seen.empty());
    CHECK(g_seen.back().keyboard && (g_seen.back().message == WM_KEYUP ||
                                     g_seen.back().message == WM_SYSKEYUP));
    CHECK(!(GetAsyncKeyState(VK_MENU) & 0x8000));
    // Let the right button go for the tests that follow.
    INPUT up = {};
    up.type = INPUT_MOUSE;
    up.mi.dwFlags = MOUSEEVENTF_RIGHTUP;
    SendInput(1, &up, sizeof(INPUT));
    CHECK(WaitFor([] { return !(GetAsyncKeyState(VK_RBUTTON) & 0x8000); }, 2000));
}

TEST_CASE("chord_with_swapped_buttons_clicks_with_the_physical_left_button")
{
    REQUIRE(RegisterSink());
    g_refuse_keys = g_refuse_right_up = false;
    const BOOL was_swapped = SwapMouseButton(TRUE);
    MOUSEHOOKSTRUCT record = ChordRecord();
    const bool ended = WatchChord(&record);
    SwapMouseButton(was_swapped);
    REQUIRE(ended);
    CHECK_EQ(CountSeen(false, WM_RBUTTONDOWN) + CountSeen(false, WM_RBUTTONUP), size_t(0));
    CHECK_EQ(CountSeen(false, WM_LBUTTONDOWN), size_t(1));
    CHECK_EQ(CountSeen(false, WM_LBUTTONUP), size_t(1));
    CHECK(!(GetAsyncKeyState(VK_LBUTTON) & 0x8000));
}

TEST_CASE("chord_without_a_record_or_for_a_marked_click_sends_nothing")
{
    REQUIRE(RegisterSink());
    g_refuse_keys = g_refuse_right_up = false;
    g_shared.s_b_sending_click = 0;
    REQUIRE(WatchChord(nullptr));
    CHECK(g_seen.empty());
    MOUSEHOOKSTRUCT record = ChordRecord();
    record.dwExtraInfo = EVENT_INFO;
    REQUIRE(WatchChord(&record));
    CHECK(g_seen.empty());
    CHECK_EQ(g_shared.s_b_sending_click, 0);
}
