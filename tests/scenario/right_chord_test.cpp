// The right-button chord through the real program: a right press while the
// left button is held reaches the target application as Alt + a right click,
// and the user's own right press and release never reach it.  Low-level hooks
// of this test, installed after the program's, see every event first and
// show which ones the library injected.
#include <mutex>
#include <vector>

#include "common/ostrilix_interface.h"
#include "tests/framework/check.h"
#include "tests/framework/test_thread.h"
#include "tests/scenario/support/input.h"
#include "tests/scenario/support/library_view.h"
#include "tests/scenario/support/responsiveness.h"
#include "tests/scenario/support/target.h"

using namespace scenario;
using input::Button;

namespace {
struct Event {
    bool keyboard;
    WPARAM message;
    DWORD vk;
    ULONG_PTR extra;
};

// Low-level hooks on a thread of their own (they need a message loop), which
// record every button and key event and pass it on.
class InputObserver {
public:
    InputObserver()
    {
        thread_ = TestThread([this] {
            s_self = this;
            HINSTANCE self = GetModuleHandleW(nullptr);
            HHOOK mouse = SetWindowsHookExW(WH_MOUSE_LL, Mouse, self, 0);
            HHOOK keys = SetWindowsHookExW(WH_KEYBOARD_LL, Keys, self, 0);
            thread_id_ = GetCurrentThreadId();
            MSG msg;
            while (GetMessageW(&msg, nullptr, 0, 0) > 0)
                DispatchMessageW(&msg);
            UnhookWindowsHookEx(keys);
            UnhookWindowsHookEx(mouse);
        });
        WaitFor([&] { return thread_id_ != 0; }, 5000);
    }
    ~InputObserver()
    {
        PostThreadMessageW(thread_id_, WM_QUIT, 0, 0);
        thread_.join();
        s_self = nullptr;
    }
    std::vector<Event> Events() const
    {
        std::lock_guard<TestMutex> guard(lock_);
        return events_;
    }

private:
    static LRESULT CALLBACK Mouse(int code, WPARAM wp, LPARAM lp)
    {
        const auto* m = reinterpret_cast<const MSLLHOOKSTRUCT*>(lp);
        if (code == HC_ACTION && wp != WM_MOUSEMOVE && s_self)
            s_self->Add({false, wp, 0, m->dwExtraInfo});
        return CallNextHookEx(nullptr, code, wp, lp);
    }
    static LRESULT CALLBACK Keys(int code, WPARAM wp, LPARAM lp)
    {
        const auto* k = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lp);
        if (code == HC_ACTION && s_self)
            s_self->Add({true, wp, k->vkCode, k->dwExtraInfo});
        return CallNextHookEx(nullptr, code, wp, lp);
    }
    void Add(const Event& e)
    {
        std::lock_guard<TestMutex> guard(lock_);
        events_.push_back(e);
    }
    static inline InputObserver* s_self = nullptr;
    mutable TestMutex lock_;
    std::vector<Event> events_;
    TestThread thread_;
    volatile DWORD thread_id_ = 0;
};

size_t CountEvents(const std::vector<Event>& events, bool keyboard, WPARAM message, bool marked)
{
    size_t n = 0;
    for (const Event& e : events)
        n += e.keyboard == keyboard && e.message == message && (e.extra == EVENT_INFO) == marked;
    return n;
}

bool IsAlt(WPARAM vk) { return vk == VK_MENU || vk == VK_LMENU || vk == VK_RMENU; }

// Index of the first record of the message (and, for keys, of Alt), or -1.
int IndexOf(const std::vector<message_log::Record>& records, UINT message, bool alt_key = false)
{
    for (size_t i = 0; i < records.size(); ++i)
        if (records[i].message == message && (!alt_key || IsAlt(WPARAM(records[i].wParam))))
            return int(i);
    return -1;
}

bool AltReleased(const TargetWindow& target)
{
    const auto all = target.Messages();
    return IndexOf(all, WM_KEYUP, true) >= 0 || IndexOf(all, WM_SYSKEYUP, true) >= 0;
}

const char kChordOn[] = "[hotkey]\r\nbabylon=1\r\n";

struct ChordBench {
    explicit ChordBench(const char* settings) : program(L"chord", WithSettings(settings)), view(program.LibraryPath())
    {
        started = view.Loaded() && StartProgramAndTarget(program, target);
        point = target.Window() ? WindowCentre(target.Window()) : POINT{};
        // The clicks go where the cursor is: a cursor that cannot stand on
        // the target (clipped elsewhere, a button still held from before)
        // stops the case here, saying so, instead of as missing messages.
        const POINT at = input::PlaceCursor(point);
        RECT clip = {};
        GetClipCursor(&clip);
        const bool held = (GetAsyncKeyState(VK_LBUTTON) | GetAsyncKeyState(VK_RBUTTON)) & 0x8000;
        if (at.x != point.x || at.y != point.y || held) {
            MESSAGE(check::Format("cursor wanted at %ld,%ld, is at %ld,%ld; clip %ld,%ld,%ld,%ld; a button %s",
                                  point.x, point.y, at.x, at.y, clip.left, clip.top, clip.right, clip.bottom,
                                  held ? "held" : "not held"));
            started = false;
        }
    }
    Program program;
    LibraryView view;
    TargetWindow target;
    bool started = false;
    POINT point = {};
};

// What the target application saw of one chord, checked the same way
// whatever the timing of the user's release.
void CheckOneAltRightClick(const ChordBench& bench, const std::vector<Event>& events)
{
    const auto seen = bench.target.Messages();
    CHECK_EQ(bench.target.Count(WM_RBUTTONDOWN), size_t(1));
    CHECK_EQ(bench.target.Count(WM_RBUTTONUP), size_t(1));
    const int alt_down = IndexOf(seen, WM_SYSKEYDOWN, true);
    const int down = IndexOf(seen, WM_RBUTTONDOWN);
    const int up = IndexOf(seen, WM_RBUTTONUP);
    int alt_up = IndexOf(seen, WM_KEYUP, true);
    if (alt_up < 0)
        alt_up = IndexOf(seen, WM_SYSKEYUP, true);
    CHECK(alt_down >= 0 && alt_down < down && down < up && up < alt_up);
    if (down >= 0) {
        CHECK((seen[size_t(down)].async_keys & 1) != 0);  // Alt held at the click
        CHECK(IndexOf(seen, WM_LBUTTONDOWN) >= 0);
        // At the user's point.  Compared with where the user pressed, not with
        // the left press's own message: on one fresh machine Wine delivered
        // the injected left press some 20 pixels from where it was sent, while
        // the chord's click (which carries no position) landed on the cursor.
        POINT client = bench.point;
        ScreenToClient(bench.target.Window(), &client);
        CHECK_EQ(seen[size_t(down)].lParam, LPARAM(MAKELPARAM(client.x, client.y)));
    }
    // The user's own right press and release went in unmarked; the library
    // injected one marked press and release and a marked Alt down and up.
    CHECK_EQ(CountEvents(events, false, WM_RBUTTONDOWN, false), size_t(1));
    CHECK_EQ(CountEvents(events, false, WM_RBUTTONUP, false), size_t(1));
    CHECK_EQ(CountEvents(events, false, WM_RBUTTONDOWN, true), size_t(1));
    CHECK_EQ(CountEvents(events, false, WM_RBUTTONUP, true), size_t(1));
    CHECK(CountEvents(events, true, WM_SYSKEYDOWN, true) + CountEvents(events, true, WM_KEYDOWN, true) >= 1);
    CHECK_EQ(CountEvents(events, true, WM_KEYUP, true) + CountEvents(events, true, WM_SYSKEYUP, true),
             size_t(1));
    // The bookkeeping is over: the next chord can start.
    CHECK_EQ(bench.view.Block().s_b_avoid_rbtn_up, 0);
    CHECK_EQ(bench.view.Block().s_b_sending_click, 0);
    CHECK(!(GetAsyncKeyState(VK_MENU) & 0x8000));
}
}  // namespace

TEST_CASE("a_quick_right_click_while_left_is_held_becomes_alt_right_click")
{
    ChordBench bench(kChordOn);
    REQUIRE(bench.started);
    DebugMonitor monitor;
    ResponseWatch watch(bench.program.MainWindow());
    InputObserver observer;
    const POINT p = bench.point;
    bench.target.ClearLog();

    input::Press(Button::Left, p);
    input::Settle(100);
    input::Press(Button::Right, p);
    input::Settle(60);
    input::Release(Button::Right, p);  // before the chord's own press
    CHECK(WaitFor([&] { return AltReleased(bench.target); }, 5000));
    input::Settle(300);
    input::Release(Button::Left, p);
    input::Settle(300);
    CheckOneAltRightClick(bench, observer.Events());
    CHECK(monitor.Contains("Sending VK_MENU pressing message."));
    CHECK(monitor.Contains("WM_RBUTTONUP s_b_avoid_rbtn_up. LowLevelMouseProc"));

    MESSAGE(check::Format("main thread answered %u times during the chord, longest %lu ms, %u unanswered",
                watch.Samples(), watch.LongestMs(), watch.Unanswered()));
    CHECK_EQ(watch.Unanswered(), 0u);
    CHECK(watch.LongestMs() < 1000);  // goal: well under 50 ms
    CHECK_EQ(bench.program.Close(), 0);
}

TEST_CASE("a_right_button_held_past_the_chord_is_never_seen_released")
{
    ChordBench bench(kChordOn);
    REQUIRE(bench.started);
    InputObserver observer;
    const POINT p = bench.point;
    bench.target.ClearLog();

    input::Press(Button::Left, p);
    input::Settle(100);
    input::Press(Button::Right, p);
    CHECK(WaitFor([&] { return AltReleased(bench.target); }, 5000));
    input::Settle(200);
    input::Release(Button::Right, p);  // long after the chord's release
    input::Settle(300);
    input::Release(Button::Left, p);
    CHECK(WaitForInputTaken(bench.target, {p.x + 7, p.y + 7}));
    CheckOneAltRightClick(bench, observer.Events());

    // A second chord works the same way.
    bench.target.ClearLog();
    input::Press(Button::Left, p);
    input::Settle(100);
    input::Press(Button::Right, p);
    input::Settle(60);
    input::Release(Button::Right, p);
    CHECK(WaitFor([&] { return AltReleased(bench.target); }, 5000));
    input::Settle(300);
    input::Release(Button::Left, p);
    CHECK(WaitForInputTaken(bench.target, {p.x + 7, p.y + 7}));
    CHECK_EQ(bench.target.Count(WM_RBUTTONDOWN), size_t(1));
    CHECK_EQ(bench.target.Count(WM_RBUTTONUP), size_t(1));
    CHECK_EQ(bench.program.Close(), 0);
}

TEST_CASE("with_the_chord_off_the_right_click_arrives_as_it_is")
{
    ChordBench bench("[hotkey]\r\nbabylon=0\r\n");
    REQUIRE(bench.started);
    const POINT p = bench.point;
    bench.target.ClearLog();
    input::Press(Button::Left, p);
    input::Settle(100);
    input::Press(Button::Right, p);
    input::Settle(60);
    input::Release(Button::Right, p);
    CHECK(WaitFor([&] { return bench.target.Count(WM_RBUTTONUP) == 1; }, 3000));
    input::Release(Button::Left, p);
    CHECK(WaitForInputTaken(bench.target, {p.x + 7, p.y + 7}));
    CHECK_EQ(bench.target.Count(WM_RBUTTONDOWN), size_t(1));
    const auto seen = bench.target.Messages();
    CHECK(IndexOf(seen, WM_SYSKEYDOWN, true) < 0 && IndexOf(seen, WM_KEYDOWN, true) < 0);
    CHECK_EQ(bench.program.Close(), 0);
}
