// Auto-scroll through the real program: middle button + wheel over a target
// application, which then receives the program's stream of wheel messages.
// The wheel input the test sends itself is swallowed; everything the target
// receives comes from the program.
#include <algorithm>
#include <vector>

#include "common/ostrilix_interface.h"
#include "tests/framework/check.h"
#include "tests/scenario/support/input.h"
#include "tests/scenario/support/library_view.h"
#include "tests/scenario/support/responsiveness.h"
#include "tests/scenario/support/target.h"

using namespace scenario;
using input::Button;

namespace {
SHORT Delta(const message_log::Record& r) { return SHORT(HIWORD(DWORD(r.wParam))); }

std::vector<SHORT> Deltas(const TargetWindow& target)
{
    std::vector<SHORT> out;
    for (const auto& r : target.Messages(WM_MOUSEWHEEL))
        out.push_back(Delta(r));
    return out;
}

size_t CountDelta(const TargetWindow& target, SHORT delta)
{
    const auto all = Deltas(target);
    return size_t(std::count(all.begin(), all.end(), delta));
}

// Median spacing of the wheel messages of one step.
DWORD MedianSpacing(const TargetWindow& target, SHORT delta)
{
    std::vector<DWORD> gaps;
    const auto records = target.Messages(WM_MOUSEWHEEL);
    for (size_t i = 1; i < records.size(); ++i)
        if (Delta(records[i]) == delta && Delta(records[i - 1]) == delta)
            gaps.push_back(records[i].time - records[i - 1].time);
    if (gaps.empty())
        return 0;
    std::sort(gaps.begin(), gaps.end());
    return gaps[gaps.size() / 2];
}

bool ClippedToPixel(POINT p)
{
    RECT clip = {};
    GetClipCursor(&clip);
    return clip.left == p.x && clip.top == p.y && clip.right == p.x + 1 && clip.bottom == p.y + 1;
}

bool CursorFree()
{
    RECT clip = {};
    GetClipCursor(&clip);
    return clip.right - clip.left > 1 && clip.bottom - clip.top > 1;
}

// The worker has ended and every wheel event it injected has reached the
// target: the worker's last trace, then a move of the test's own taken by the
// target (input arrives in order).  The wheel count is stable from then on.
bool WorkerGone(const DebugMonitor& monitor, const TargetWindow& target, POINT p)
{
    return monitor.WaitForText("Thread is about exiting.", 5000) &&
           WaitForInputTaken(target, {p.x + 7, p.y + 7});
}

// Starts auto-scroll as a user does: middle button down, one notch away.
bool StartAutoScroll(const TargetWindow& target, POINT p, const volatile SharedBlock& block)
{
    input::Press(Button::Middle, p);
    input::Settle(100);
    input::Wheel(120, p);
    return WaitFor([&] { return block.s_b_autoscrolling == 1 && CountDelta(target, 10) >= 3; }, 5000);
}

// Ends a run whatever the mouse hook did, so that one test's auto-scroll never
// reaches into the next: the switch off (the worker notices within a tick)
// and the cursor free.
void ForceStop(const LibraryView& view)
{
    if (auto enable = view.Export<EnableFeaturesFn>(kExportEnableFeatures))
        enable(kFeatureAutoScrolling, 0);
    ClipCursor(nullptr);
    input::Settle(300);
}

// One program, its library seen from here, one target application, and the
// cursor on the target's middle.
struct ScrollBench {
    explicit ScrollBench(const wchar_t* name, const char* settings = nullptr, const TargetOptions& window = {})
        : program(name, WithSettings(settings)), view(program.LibraryPath())
    {
        started = view.Loaded() && program.Start() && target.Start(window);
        if (started)
            p = input::PlaceCursor(WindowCentre(target.Window()));
    }
    SharedBlock& WritableBlock() { return const_cast<SharedBlock&>(view.Block()); }
    Program program;
    LibraryView view;
    TargetWindow target;
    POINT p = {};
    bool started = false;
};
}  // namespace

TEST_CASE("middle_and_wheel_send_steps_of_10_50_90_then_minus_10_every_50_ms")
{
    DebugMonitor monitor;
    ScrollBench bench(L"autoscroll-steps");
    REQUIRE(bench.started);
    ResponseWatch watch(bench.program.MainWindow());
    bench.target.ClearLog();

    REQUIRE(StartAutoScroll(bench.target, bench.p, bench.view.Block()));
    CHECK(ClippedToPixel(bench.p));
    for (SHORT step : {50, 90, -10}) {
        input::Wheel(step > 0 ? 120 : -120, bench.p);
        CHECK(WaitFor([&] { return CountDelta(bench.target, step) >= 4; }, 5000));
    }
    CHECK(ClippedToPixel(bench.p));
    const std::vector<SHORT> seen = Deltas(bench.target);
    ForceStop(bench.view);

    // Only the program's steps, in order: every 10 before every 50, and so on;
    // none of the notches the test sent.
    std::vector<SHORT> phases;
    for (SHORT d : seen)
        if (phases.empty() || phases.back() != d)
            phases.push_back(d);
    CHECK(phases == std::vector<SHORT>({10, 50, 90, -10}));
    for (SHORT step : {10, 50, 90}) {
        const DWORD spacing = MedianSpacing(bench.target, step);
        MESSAGE(check::Format("step %d: median spacing %lu ms", step, spacing));
        CHECK(spacing >= 30 && spacing <= 150);
    }
    // The first notch starts it; the others, with the middle button released
    // for the applications by then, change the step.
    CHECK(monitor.Active());
    CHECK_EQ(monitor.Count("LowLevelMouseProc IsKeyPressed(VK_MBUTTON)"), size_t(1));
    CHECK(monitor.Contains("LowLevelMouseProc CalcWhellDelta 50"));
    CHECK(monitor.Contains("LowLevelMouseProc CalcWhellDelta 90"));
    CHECK(monitor.Contains("LowLevelMouseProc CalcWhellDelta -10"));
    CHECK(WaitFor([&] { return monitor.Contains("Thread is about exiting."); }, 3000));

    MESSAGE(check::Format("main thread answered %u times during auto-scroll, longest %lu ms, %u unanswered",
                watch.Samples(), watch.LongestMs(), watch.Unanswered()));
    CHECK(watch.Samples() > 20);
    CHECK_EQ(watch.Unanswered(), 0u);
    CHECK(watch.LongestMs() < 1000);  // goal: well under 50 ms
    input::Release(Button::Middle, bench.p);
    CHECK_EQ(bench.program.Close(), 0);
}

TEST_CASE("the_start_releases_the_middle_button_for_applications")
{
    ScrollBench bench(L"autoscroll-mup");
    REQUIRE(bench.started);
    bench.target.ClearLog();
    REQUIRE(StartAutoScroll(bench.target, bench.p, bench.view.Block()));
    // The application saw the press and, at the start, a release; the user
    // still holds the button.
    CHECK_EQ(bench.target.Count(WM_MBUTTONDOWN), size_t(1));
    CHECK(WaitFor([&] { return bench.target.Count(WM_MBUTTONUP) == 1; }, 3000));
    CHECK(!(GetAsyncKeyState(VK_MBUTTON) & 0x8000));
    ForceStop(bench.view);
    input::Release(Button::Middle, bench.p);
    CHECK_EQ(bench.program.Close(), 0);
}

TEST_CASE("no_wheel_input_while_the_right_button_is_held")
{
    DebugMonitor monitor;
    ScrollBench bench(L"autoscroll-right");
    REQUIRE(bench.started);
    bench.target.ClearLog();
    REQUIRE(StartAutoScroll(bench.target, bench.p, bench.view.Block()));

    input::Press(Button::Right, bench.p);
    // The worker notices within a tick; give the last tick time to arrive.
    // (The cursor is clipped to its point while auto-scroll runs: no move of
    // the test's own can reach the target behind the wheel events.)
    CHECK(WaitFor([&] { return bench.view.Block().s_b_avoid_rbtn_up == 1; }, 3000));
    input::Settle(300);
    const size_t held = bench.target.Count(WM_MOUSEWHEEL);
    // Marked wheel input arriving now is swallowed too.
    input::Wheel(120, bench.p, EVENT_INFO);
    input::Settle(600);
    CHECK_EQ(bench.target.Count(WM_MOUSEWHEEL), held);
    CHECK_EQ(bench.view.Block().s_b_autoscrolling, 1);

    input::Release(Button::Right, bench.p);
    CHECK(WaitFor([&] { return bench.target.Count(WM_MOUSEWHEEL) >= held + 3; }, 5000));
    CHECK(monitor.WaitForText("WM_RBUTTONUP Entry. LowLevelMouseProc", 3000));
    ForceStop(bench.view);
    input::Release(Button::Middle, bench.p);
    CHECK_EQ(bench.program.Close(), 0);
}

TEST_CASE("a_further_middle_held_notch_does_not_start_a_second_worker")
{
    DebugMonitor monitor;
    ScrollBench bench(L"autoscroll-one");
    REQUIRE(bench.started);
    bench.target.ClearLog();
    REQUIRE(StartAutoScroll(bench.target, bench.p, bench.view.Block()));
    HANDLE recorded = bench.view.Block().s_h_autoscroll_thread;
    CHECK(recorded != nullptr);

    // Middle pressed again (the applications had it released) and a notch.
    input::Press(Button::Middle, bench.p);
    input::Settle(100);
    input::Wheel(120, bench.p);
    CHECK(WaitFor([&] { return CountDelta(bench.target, 50) >= 4; }, 5000));
    CHECK_EQ(monitor.Count("LowLevelMouseProc IsKeyPressed(VK_MBUTTON)"), size_t(2));
    CHECK(bench.view.Block().s_h_autoscroll_thread == recorded);
    const DWORD spacing = MedianSpacing(bench.target, 50);
    MESSAGE(check::Format("median spacing with one worker: %lu ms", spacing));
    CHECK(spacing >= 30 && spacing <= 150);

    // One worker ends, and its handle is closed in the program's process at
    // the next event there.
    ForceStop(bench.view);
    CHECK(monitor.WaitForText("Thread is about exiting.", 3000));
    input::MoveTo(bench.p);
    CHECK(monitor.WaitForText("Thread handle is closed.", 3000));
    // One more event in the program's process, where a second handle would
    // be closed, taken by the target.
    CHECK(WaitForInputTaken(bench.target, {bench.p.x + 7, bench.p.y + 7}));
    CHECK_EQ(monitor.Count("Thread is about exiting."), size_t(1));
    CHECK_EQ(monitor.Count("Thread handle is closed."), size_t(1));
    input::Release(Button::Middle, bench.p);
    CHECK_EQ(bench.program.Close(), 0);
}

TEST_CASE("wheel_data_is_remembered_left_ctrl_never_starts_auto_scroll_and_the_fade_gesture_is_taken")
{
    ScrollBench bench(L"autoscroll-ctrl");
    REQUIRE(bench.started);
    auto& block = bench.WritableBlock();

    // A plain notch toward the user passes and is remembered; every wheel
    // event resets the middle-button action.
    block.s_n_mbutton_state = 1;
    bench.target.ClearLog();
    input::Wheel(-240, bench.p);
    CHECK(WaitFor([&] { return bench.target.Count(WM_MOUSEWHEEL) == 1; }, 3000));
    CHECK_EQ(SHORT(HIWORD(DWORD(bench.view.Block().s_n_wheel_data))), SHORT(-240));
    CHECK_EQ(bench.view.Block().s_n_mbutton_state, 0);

    // Left Ctrl + middle + wheel: an ordinary Ctrl + wheel.
    input::KeyDown(VK_LCONTROL);
    input::Press(Button::Middle, bench.p);
    input::Settle(100);
    bench.target.ClearLog();
    input::Wheel(120, bench.p);
    CHECK(WaitFor([&] { return bench.target.Count(WM_MOUSEWHEEL) == 1; }, 3000));
    CHECK(WaitForInputTaken(bench.target, {bench.p.x + 7, bench.p.y + 7}));
    CHECK_EQ(bench.target.Count(WM_MOUSEWHEEL), size_t(1));
    CHECK_EQ(bench.view.Block().s_b_autoscrolling, 0);
    CHECK_EQ(SHORT(HIWORD(DWORD(bench.view.Block().s_n_wheel_data))), SHORT(120));
    CHECK(CursorFree());
    input::Release(Button::Middle, bench.p);

    // Left Ctrl + Left Alt + wheel is the transparency gesture: taken by the
    // program, neither passed on nor remembered.
    input::KeyDown(VK_LMENU);
    input::Settle(100);
    bench.target.ClearLog();
    block.s_n_wheel_data = 0x5A5A;
    input::Wheel(120, bench.p);
    CHECK(WaitForInputTaken(bench.target, {bench.p.x + 7, bench.p.y + 7}));
    CHECK_EQ(bench.target.Count(WM_MOUSEWHEEL), size_t(0));
    CHECK_EQ(bench.view.Block().s_n_wheel_data, 0x5A5A);
    input::KeyUp(VK_LMENU);
    input::KeyUp(VK_LCONTROL);
    input::Settle(100);
    ForceStop(bench.view);
    CHECK_EQ(bench.program.Close(), 0);
}

TEST_CASE("a_debug_viewer_under_the_cursor_gets_the_wheel_untouched")
{
    TargetOptions options;
    options.window_class = L"DbgViewClass";  // the class test ignores case
    options.title = L"Debug viewer";
    ScrollBench bench(L"autoscroll-dbgview", nullptr, options);
    REQUIRE(bench.started);
    auto& block = bench.WritableBlock();
    block.s_n_wheel_data = 0x5A5A;
    block.s_n_mbutton_state = 1;

    bench.target.ClearLog();
    input::Press(Button::Middle, bench.p);
    input::Settle(100);
    input::Wheel(240, bench.p);
    CHECK(WaitFor([&] { return bench.target.Count(WM_MOUSEWHEEL) == 1; }, 3000));
    CHECK(WaitForInputTaken(bench.target, {bench.p.x + 7, bench.p.y + 7}));
    CHECK_EQ(bench.target.Count(WM_MOUSEWHEEL), size_t(1));
    CHECK_EQ(bench.view.Block().s_b_autoscrolling, 0);
    CHECK_EQ(bench.view.Block().s_n_wheel_data, 0x5A5A);
    CHECK_EQ(bench.view.Block().s_n_mbutton_state, 1);
    CHECK(CursorFree());
    input::Release(Button::Middle, bench.p);
    ForceStop(bench.view);
    CHECK_EQ(bench.program.Close(), 0);
}

// --- How auto-scroll ends: the mouse hook in the application calls the stop --

TEST_CASE("mode_1_ends_when_the_user_releases_the_middle_button")
{
    DebugMonitor monitor;
    ScrollBench bench(L"autoscroll-mode1");
    REQUIRE(bench.started);
    bench.target.ClearLog();
    // The release the program injects at the start does not end it.
    REQUIRE(StartAutoScroll(bench.target, bench.p, bench.view.Block()));
    const size_t started = bench.target.Count(WM_MOUSEWHEEL);
    CHECK(WaitFor([&] { return bench.target.Count(WM_MOUSEWHEEL) >= started + 3; }, 3000));
    CHECK_EQ(bench.view.Block().s_b_autoscrolling, 1);

    input::Release(Button::Middle, bench.p);
    CHECK(WaitFor([&] { return bench.view.Block().s_b_autoscrolling == 0; }, 3000));
    CHECK(WaitFor(CursorFree, 3000));
    CHECK(WorkerGone(monitor, bench.target, bench.p));
    const size_t after = bench.target.Count(WM_MOUSEWHEEL);
    CHECK(WaitForInputTaken(bench.target, {bench.p.x + 17, bench.p.y + 12}));
    CHECK_EQ(bench.target.Count(WM_MOUSEWHEEL), after);
    ForceStop(bench.view);
    CHECK_EQ(bench.program.Close(), 0);
}

TEST_CASE("mode_2_lasts_until_the_next_middle_press_which_is_swallowed")
{
    ScrollBench bench(L"autoscroll-mode2", "[autoscroll]\r\nmode=2\r\n");
    REQUIRE(bench.started);
    bench.target.ClearLog();
    REQUIRE(StartAutoScroll(bench.target, bench.p, bench.view.Block()));
    input::Release(Button::Middle, bench.p);
    input::Settle(300);
    const size_t running = bench.target.Count(WM_MOUSEWHEEL);
    CHECK(WaitFor([&] { return bench.target.Count(WM_MOUSEWHEEL) >= running + 4; }, 3000));
    CHECK_EQ(bench.view.Block().s_b_autoscrolling, 1);

    const size_t presses = bench.target.Count(WM_MBUTTONDOWN);
    input::Press(Button::Middle, bench.p);
    CHECK(WaitFor([&] { return bench.view.Block().s_b_autoscrolling == 0; }, 3000));
    CHECK(WaitFor(CursorFree, 3000));
    CHECK(WaitForInputTaken(bench.target, {bench.p.x + 7, bench.p.y + 7}));
    CHECK_EQ(bench.target.Count(WM_MBUTTONDOWN), presses);
    input::Release(Button::Middle, bench.p);
    ForceStop(bench.view);
    CHECK_EQ(bench.program.Close(), 0);
}

TEST_CASE("mode_2_ends_at_a_left_release")
{
    ScrollBench bench(L"autoscroll-mode2-left", "[autoscroll]\r\nmode=2\r\n");
    REQUIRE(bench.started);
    input::Press(Button::Left, bench.p);
    input::Settle(100);
    bench.target.ClearLog();
    REQUIRE(StartAutoScroll(bench.target, bench.p, bench.view.Block()));
    input::Release(Button::Middle, bench.p);
    // The wheel events after the release prove it has passed the hooks.
    const size_t released = bench.target.Count(WM_MOUSEWHEEL);
    CHECK(WaitFor([&] { return bench.target.Count(WM_MOUSEWHEEL) >= released + 4; }, 3000));
    CHECK_EQ(bench.view.Block().s_b_autoscrolling, 1);
    input::Release(Button::Left, bench.p);
    CHECK(WaitFor([&] { return bench.view.Block().s_b_autoscrolling == 0; }, 3000));
    CHECK(WaitFor(CursorFree, 3000));
    ForceStop(bench.view);
    CHECK_EQ(bench.program.Close(), 0);
}

TEST_CASE("a_left_press_ends_it_in_both_modes")
{
    for (const char* settings : {"[autoscroll]\r\nmode=1\r\n", "[autoscroll]\r\nmode=2\r\n"}) {
        ScrollBench bench(L"autoscroll-left", settings);
        REQUIRE(bench.started);
        bench.target.ClearLog();
        REQUIRE(StartAutoScroll(bench.target, bench.p, bench.view.Block()));
        input::Press(Button::Left, bench.p);
        CHECK(WaitFor([&] { return bench.view.Block().s_b_autoscrolling == 0; }, 3000));
        CHECK(WaitFor(CursorFree, 3000));
        input::Release(Button::Left, bench.p);
        input::Release(Button::Middle, bench.p);
        ForceStop(bench.view);
        CHECK_EQ(bench.program.Close(), 0);
    }
}

TEST_CASE("closing_the_program_while_auto_scroll_runs_ends_it")
{
    ScrollBench bench(L"autoscroll-close");
    REQUIRE(bench.started);
    bench.target.ClearLog();
    REQUIRE(StartAutoScroll(bench.target, bench.p, bench.view.Block()));
    // The library is unloaded while the worker still runs its code.
    CHECK_EQ(bench.program.Close(), 0);
    // Nothing is left running for the applications, and the cursor is free.
    CHECK_EQ(bench.view.Block().s_b_autoscrolling, 0);
    CHECK(WaitFor(CursorFree, 3000));
    // The worker went with the program's process: what it injected is ahead
    // of a move of the test's own.
    CHECK(WaitForInputTaken(bench.target, {bench.p.x + 7, bench.p.y + 7}));
    const size_t after = bench.target.Count(WM_MOUSEWHEEL);
    CHECK(WaitForInputTaken(bench.target, {bench.p.x + 17, bench.p.y + 12}));
    CHECK_EQ(bench.target.Count(WM_MOUSEWHEEL), after);
    ForceStop(bench.view);
    input::Release(Button::Middle, bench.p);
}
