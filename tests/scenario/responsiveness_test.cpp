// The program's main thread runs the low-level mouse and keyboard hooks:
// while it does not answer, every mouse and keyboard event of the desktop
// waits, and Windows 7 silently removes a low-level hook that answers late.
// Each gesture the program knows runs here against an application that
// hangs (a double whose thread sleeps on request).  Meanwhile the test
// measures two things: how long the program's hooks take for each event
// (from a hook of its own in front of them), and how long the main thread
// takes to answer a message, asked over and over.  Side by side it asks an
// idle application on the same desktop: what that one takes is what the
// loaded machine gives anyway (on this 2-core machine it alone has been seen
// above 50 ms).  Both times must stay within 50 ms of it.
//
// One row a gesture: a later feature that may touch a hung window adds its
// own row.
#include <windows.h>

#include "common/ostrilix_interface.h"
#include "tests/framework/check.h"
#include "tests/scenario/support/input.h"
#include "tests/scenario/support/library_view.h"
#include "tests/scenario/support/responsiveness.h"
#include "tests/scenario/support/target.h"

using namespace scenario;
using input::Button;

namespace {
// Long enough for any gesture to be over before the application wakes.
constexpr DWORD kHangMs = 5000;
// How much later than the idle application the hooks and the main thread
// may answer.
constexpr DWORD kAnswerBoundMs = 50;

struct Bench {
    Program& program;
    LibraryView& view;
    DebugMonitor& monitor;
    HWND hung;        // the window whose thread hangs
    POINT centre;     // of the hung application's window
    POINT caption;    // a caption point of it, found before the hang
};

enum class Hangs { Application, Taskbar };

struct Gesture {
    const char* name;
    const char* settings;
    Hangs hangs;
    // Before the hang: whatever needs the hung window's own answer.
    bool (*prepare)(Bench&);
    // While it hangs.
    void (*run)(Bench&);
    // Once it answers again: what the gesture should have done by then.
    bool (*check)(Bench&);
};


bool FindCaption(Bench& b) { return FindHitPoint(b.hung, HTCAPTION, &b.caption); }

bool MakeForeground(Bench& b)
{
    input::Click(Button::Left, b.centre);
    return WaitFor([&] { return GetForegroundWindow() == b.hung; }, 5000);
}

// The modifiers go through SendInput: no click resets them here, and keys
// held as real X keys while a window hangs make Wine hold up every
// OutputDebugString of the desktop for seconds (the debug monitor then
// misses the program's traces).
void FadeThreeNotches(Bench& b)
{
    input::KeyDown(VK_LMENU);
    input::KeyDown(VK_LCONTROL);
    for (int i = 0; i < 3; ++i) {
        input::Wheel(-120, b.centre);
        input::Settle(100);
    }
    input::KeyUp(VK_LCONTROL);
    input::KeyUp(VK_LMENU);
}

// The fade waited for the window and is applied once it answers.
bool FadedOnceAwake(Bench& b)
{
    return WaitFor([&] { return LayeredAlpha(b.hung) == 225; }, 5000) &&
           b.monitor.Contains("does not answer; its style waits");
}

void DoubleClickCaption(Bench& b) { input::DoubleClick(Button::Left, b.caption); }

void RightClickCaption(Bench& b) { input::Click(Button::Right, b.caption); }

void MiddleClick(Bench& b) { input::Click(Button::Middle, b.centre); }

void ThreeNotches(Bench& b)
{
    for (int i = 0; i < 3; ++i) {
        input::Wheel(-120, b.centre);
        input::Settle(100);
    }
}

void AutoScroll(Bench& b)
{
    input::Press(Button::Middle, b.centre);
    input::Settle(100);
    input::Wheel(120, b.centre);
    CHECK(WaitFor([&] { return b.view.Block().s_b_autoscrolling == 1; }, 3000));
    input::Settle(500);  // the worker sends its wheel input to the hung window
    input::Release(Button::Middle, b.centre);
    // The hung application cannot end it with its mouse hook.
    if (auto enable = b.view.Export<EnableFeaturesFn>("EnableFeatures"))
        enable(kFeatureAutoScrolling, 0);
    ClipCursor(nullptr);
}

void Chord(Bench& b)
{
    input::Press(Button::Left, b.centre);
    input::Settle(100);
    input::Press(Button::Right, b.centre);
    input::Settle(100);
    input::Release(Button::Right, b.centre);
    input::Release(Button::Left, b.centre);
}

void F6(Bench&)
{
    input::KeyDown(VK_F6);
    input::Settle(100);
    input::KeyUp(VK_F6);
}

void IconTaskbarCommand(Bench& b)
{
    // Posted: the test's own thread is not to wait for the answer.  The
    // mouse moves meanwhile, through the program's hook.
    PostMessageW(b.program.MainWindow(), WM_COMMAND, 4, 0);
    for (int i = 0; i < 5; ++i) {
        input::MoveTo(b.centre);
        input::Settle(100);
    }
    // It gave up on the hung toolbar instead of waiting for it.
    CHECK(b.monitor.WaitForText("The taskbar toolbar did not answer", 3000));
}

const Gesture kGestures[] = {
    {"wheel transparency", "[transparent]\r\nenable=1\r\nminivalue=40\r\n", Hangs::Application, nullptr,
     FadeThreeNotches, FadedOnceAwake},
    {"roll-up", "[rollupwnd]\r\nenable=1\r\n", Hangs::Application, FindCaption, DoubleClickCaption, nullptr},
    {"topmost", "[topmost]\r\nenable=1\r\n", Hangs::Application, FindCaption, RightClickCaption, nullptr},
    {"middle-click maximize", "[mbutton]\r\ncode=1\r\n", Hangs::Application, nullptr, MiddleClick, nullptr},
    {"direct scrolling", "[directscroll]\r\nenable=1\r\n", Hangs::Application, nullptr, ThreeNotches, nullptr},
    {"auto-scroll", "", Hangs::Application, nullptr, AutoScroll, nullptr},
    {"right-button chord", "[hotkey]\r\nbabylon=1\r\n", Hangs::Application, nullptr, Chord, nullptr},
    {"F6 as the Windows key", "[simwinkey]\r\nenable=1\r\n", Hangs::Application, MakeForeground, F6, nullptr},
    {"icon-only taskbar command", "", Hangs::Taskbar, nullptr, IconTaskbarCommand, nullptr},
};

// Whatever a gesture left held or clipped is let go before the next.
void LetGo(POINT p)
{
    for (Button button : {Button::Left, Button::Right, Button::Middle}) {
        const int vk = button == Button::Left ? VK_LBUTTON : button == Button::Right ? VK_RBUTTON : VK_MBUTTON;
        if (GetAsyncKeyState(vk) & 0x8000)
            input::Release(button, p);
    }
    for (WORD vk : {WORD(VK_MENU), WORD(VK_LMENU), WORD(VK_LCONTROL), WORD(VK_LWIN), WORD(VK_F6)})
        if (GetAsyncKeyState(vk) & 0x8000)
            input::KeyUp(vk);
    ClipCursor(nullptr);
}

HWND StartTaskbar(Helper& taskbar)
{
    HWND tray = nullptr;
    if (!taskbar.Start(L"taskbar_double_gui.exe", L""))
        return nullptr;
    WaitFor([&] { return (tray = FindProcessWindow(taskbar.ProcessId(), L"Shell_TrayWnd")) != nullptr &&
                         FindTaskbarToolbarOf(tray) != nullptr; },
            10000);
    return tray;
}

struct Timing {
    bool measured;       // the bench was set up and the gesture ran
    DWORD main_ms;       // the main thread's longest answer
    unsigned answers, unanswered;
    DWORD hooks_ms;      // the program's hooks' longest time for one event
    unsigned events;
    DWORD idle_ms;       // the idle application's longest answer
};

bool WithinBound(const Timing& t)
{
    return t.unanswered == 0 && t.main_ms < t.idle_ms + kAnswerBoundMs &&
           t.hooks_ms < t.idle_ms + kAnswerBoundMs;
}

// One gesture against a hung window: what it should do is checked here, its
// times are returned.
Timing Measure(const Gesture& g)
{
    Timing t = {};
    Helper taskbar;
    HWND tray = nullptr;
    if (g.hangs == Hangs::Taskbar && !(tray = StartTaskbar(taskbar)))
        return t;
    DebugMonitor monitor;
    Program program(L"responsive", WithSettings(g.settings));
    LibraryView view(program.LibraryPath());
    TargetWindow application, idle;
    TargetOptions idle_options;
    idle_options.title = L"Idle application";
    idle_options.rect = {700, 100, 1000, 400};
    if (!view.Loaded() || !StartProgramAndTarget(program, application) || !idle.Start(idle_options))
        return t;
    Bench b = {program, view, monitor, g.hangs == Hangs::Taskbar ? tray : application.Window(),
               input::PlaceCursor(WindowCentre(application.Window())), {}};
    if (g.prepare && !g.prepare(b))
        return t;

    ResponseWatch main_thread(program.MainWindow());
    ResponseWatch reference(idle.Window());
    HookLatencyWatch hooks;
    if (!hooks.Installed() || !HangThreadOf(b.hung, kHangMs))
        return t;
    g.run(b);
    CHECK(!Answers(b.hung, 50));  // the gesture was over while the window still hung
    CHECK(WaitFor([&] { return Answers(b.hung, 500); }, kHangMs + 10000));
    // What the application does with the input once it wakes is watched too.
    PumpFor(700);
    t = {true, main_thread.LongestMs(), main_thread.Samples(), main_thread.Unanswered(),
         hooks.LongestMs(), hooks.Events(), reference.LongestMs()};
    if (g.check)
        CHECK(g.check(b));
    LetGo(b.centre);
    CHECK_EQ(program.Close(), 0);
    return t;
}
}  // namespace

// A hold-up that a gesture causes comes with every run of it; the machine's
// own hiccups, which strike the program and the idle application apart, do
// not: a gesture gets three runs to stay within the bound.
TEST_CASE("the_main_thread_answers_while_each_gesture_meets_a_hung_window")
{
    for (const Gesture& g : kGestures) {
        Timing t = {};
        for (int run = 1; run <= 3; ++run) {
            t = Measure(g);
            if (!t.measured)
                break;
            MESSAGE(check::Format("%-26s main thread answers within %4lu ms (%u answers, %u unanswered), its hooks "
                        "within %4lu ms (%u events); idle application %4lu ms%s",
                        g.name, t.main_ms, t.answers, t.unanswered, t.hooks_ms, t.events, t.idle_ms,
                        run > 1 ? " (again)" : ""));
            if (WithinBound(t))
                break;
        }
        if (!CHECK(t.measured)) {
            MESSAGE(check::Format("%s: the bench could not be set up", g.name));
            continue;
        }
        CHECK(t.answers > 20);
        CHECK(t.events > 0);
        CHECK_EQ(t.unanswered, 0u);
        CHECK(t.main_ms < t.idle_ms + kAnswerBoundMs);
        CHECK(t.hooks_ms < t.idle_ms + kAnswerBoundMs);
    }
}
