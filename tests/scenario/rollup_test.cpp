// Roll-up through the real program: caption clicks on windows of another
// process roll them up to their title bar and back, the rolled window keeps
// its height, and Right Alt + double click closes instead.
#include <algorithm>
#include <vector>

#include "tests/framework/check.h"
#include "tests/scenario/support/harness.h"
#include "tests/scenario/support/input.h"
#include "tests/scenario/support/target.h"

using namespace scenario;
using input::Button;

namespace {
// The title bar and two window borders, as the system reports them.
int TitleBarHeight(HWND wnd)
{
    TITLEBARINFO title = {};
    title.cbSize = sizeof(title);
    GetTitleBarInfo(wnd, &title);
    WINDOWINFO info = {};
    info.cbSize = sizeof(info);
    GetWindowInfo(wnd, &info);
    return std::max(5, int(title.rcTitleBar.bottom - title.rcTitleBar.top) + 2 * int(info.cyWindowBorders));
}

int Height(HWND wnd) { return RectHeight(WindowRect(wnd)); }

// Lets a finished double click age, so the next click starts a new one.
void PauseBetweenGestures() { PumpFor(GetDoubleClickTime() + 150); }

LRESULT HitTest(HWND wnd, POINT p)
{
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(wnd, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y), SMTO_ABORTIFHUNG, 2000, &answer);
    return LRESULT(answer);
}

bool SystemMenuOpen(DWORD process_id)
{
    HWND menu = FindProcessWindow(process_id, L"#32768");
    return menu && IsWindowVisible(menu);
}

// Distinct heights the window had, in order, from the messages it logged.
std::vector<int> HeightsSeen(const TargetWindow& target)
{
    std::vector<int> heights;
    for (const auto& r : target.Messages(WM_WINDOWPOSCHANGED, 0)) {
        int h = RectHeight(r.rect);
        if (heights.empty() || heights.back() != h)
            heights.push_back(h);
    }
    return heights;
}

int LastHeightSeen(const TargetWindow& target)
{
    std::vector<int> heights = HeightsSeen(target);
    return heights.empty() ? -1 : heights.back();
}

bool ContainsInOrder(const std::vector<int>& seen, const std::vector<int>& wanted)
{
    size_t next = 0;
    for (int h : seen)
        if (next < wanted.size() && h == wanted[next])
            ++next;
    return next == wanted.size();
}
}  // namespace

TEST_CASE("caption_double_click_rolls_up_and_the_next_restores")
{
    Program program(L"rollup", WithSettings("[rollupwnd]\r\nenable=1\r\n"));
    TargetWindow target;
    REQUIRE(StartProgramAndTarget(program, target));
    HWND wnd = target.Window();
    const RECT before = WindowRect(wnd);
    const int rolled = TitleBarHeight(wnd);
    CHECK(rolled > 5 && rolled < RectHeight(before) / 3);

    POINT caption;
    REQUIRE(FindHitPoint(wnd, HTCAPTION, &caption));
    target.ClearLog();
    input::DoubleClick(Button::Left, caption);
    CHECK(WaitFor([&] { return Height(wnd) == rolled; }, 5000));
    RECT r = WindowRect(wnd);
    CHECK_EQ(r.left, before.left);
    CHECK_EQ(r.top, before.top);
    CHECK_EQ(RectWidth(r), RectWidth(before));
    RECT client = {};
    GetClientRect(wnd, &client);
    CHECK(client.bottom - client.top <= 1);  // only the title bar is left
    PauseBetweenGestures();
    CHECK_EQ(target.Count(WM_NCLBUTTONDBLCLK), size_t(0));

    input::DoubleClick(Button::Left, caption);
    CHECK(WaitFor([&] { return Height(wnd) == RectHeight(before); }, 5000));
    CHECK_EQ(WindowRect(wnd).top, before.top);
    PauseBetweenGestures();
    CHECK_EQ(target.Count(WM_NCLBUTTONDBLCLK), size_t(0));
    CHECK(!IsZoomed(wnd));
    CHECK(target.Responsive());
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("animated_roll_up_passes_through_the_intermediate_heights")
{
    TargetOptions target_options;
    target_options.rect = {100, 40, 500, 640};  // 600 high
    Program program(L"rollanim", WithSettings("[rollupwnd]\r\nenable=1\r\nanimate=4\r\n"));
    TargetWindow target;
    REQUIRE(StartProgramAndTarget(program, target, target_options));
    HWND wnd = target.Window();
    REQUIRE_EQ(Height(wnd), 600);
    const int rolled = TitleBarHeight(wnd);

    POINT caption;
    REQUIRE(FindHitPoint(wnd, HTCAPTION, &caption));
    target.ClearLog();
    input::DoubleClick(Button::Left, caption);
    CHECK(WaitFor([&] { return Height(wnd) == rolled; }, 5000));
    // The target logs the last change a moment after the system made it.
    WaitFor([&] { return LastHeightSeen(target) == rolled; }, 5000);
    std::vector<int> seen = HeightsSeen(target);
    std::string text;
    for (int h : seen)
        text += std::to_string(h) + " ";
    MESSAGE(check::Format("heights seen: %s", text.c_str()));
    CHECK(ContainsInOrder(seen, {450, 300, 150, rolled}));
    CHECK(!seen.empty() && seen.back() == rolled);

    // Restoring is not animated: straight back to 600.
    PauseBetweenGestures();
    target.ClearLog();
    input::DoubleClick(Button::Left, caption);
    CHECK(WaitFor([&] { return Height(wnd) == 600; }, 5000));
    WaitFor([&] { return LastHeightSeen(target) == 600; }, 5000);
    seen = HeightsSeen(target);
    CHECK(seen == std::vector<int>{600});
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("a_window_with_a_menu_bar_rolls_up_and_comes_back_to_its_exact_rectangle_three_times")
{
    TargetOptions target_options;
    target_options.menu_bar = true;
    Program program(L"rollmenu", WithSettings("[rollupwnd]\r\nenable=1\r\n"));
    TargetWindow target;
    REQUIRE(StartProgramAndTarget(program, target, target_options));
    HWND wnd = target.Window();
    REQUIRE(GetMenu(wnd) != nullptr);
    const RECT before = WindowRect(wnd);
    POINT caption;
    REQUIRE(FindHitPoint(wnd, HTCAPTION, &caption));

    for (int round = 1; round <= 3; ++round) {
        input::DoubleClick(Button::Left, caption);
        REQUIRE(WaitFor([&] { return Height(wnd) < RectHeight(before) / 3; }, 5000));
        PumpFor(200);
        const int rolled = Height(wnd);
        CHECK(rolled >= 5);
        CHECK_EQ(WindowRect(wnd).top, before.top);
        PauseBetweenGestures();
        CHECK_EQ(Height(wnd), rolled);  // held there

        input::DoubleClick(Button::Left, caption);
        REQUIRE(WaitFor([&] { return Height(wnd) == RectHeight(before); }, 5000));
        const RECT after = WindowRect(wnd);
        CHECK(EqualRect(&after, &before));
        PauseBetweenGestures();
    }
    CHECK_EQ(target.Count(WM_NCLBUTTONDBLCLK), size_t(0));
    CHECK(target.Responsive());
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("a_huge_animation_step_count_ends_within_its_time")
{
    TargetOptions target_options;
    target_options.rect = {100, 20, 500, 940};  // 920 high: a full animation has ~890 frames
    Program program(L"rollbound", WithSettings("[rollupwnd]\r\nenable=1\r\nanimate=65535\r\n"));
    TargetWindow target;
    REQUIRE(StartProgramAndTarget(program, target, target_options));
    HWND wnd = target.Window();
    const int full = Height(wnd);
    REQUIRE(full > 800);
    const int rolled = TitleBarHeight(wnd);
    POINT caption;
    REQUIRE(FindHitPoint(wnd, HTCAPTION, &caption));

    target.ClearLog();
    input::DoubleClick(Button::Left, caption);
    REQUIRE(WaitFor([&] { return Height(wnd) == rolled; }, 10000));
    WaitFor([&] { return LastHeightSeen(target) == rolled; }, 5000);
    // The frames the application went through, and how long they took.
    std::vector<message_log::Record> moves = target.Messages(WM_WINDOWPOSCHANGED, 0);
    REQUIRE(!moves.empty());
    const DWORD span = moves.back().time - moves.front().time;
    const size_t frames = HeightsSeen(target).size();
    MESSAGE(check::Format("%zu heights in %lu ms (a full animation: %d frames)", frames, span,
                full - rolled));
    // A pause lasts at least a millisecond: every frame of a full
    // animation could not fit into the time allowed.
    CHECK(frames < size_t(full - rolled) / 2);
    CHECK(span < 1500);
    CHECK(target.Responsive());
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("right_click_hot_action_rolls_up_and_swallows_the_release")
{
    Program program(L"rollright", WithSettings("[rollupwnd]\r\nenable=1\r\nhotaction=2\r\n"));
    TargetWindow target;
    REQUIRE(StartProgramAndTarget(program, target));
    HWND wnd = target.Window();
    const int full = Height(wnd);
    const int rolled = TitleBarHeight(wnd);
    POINT caption;
    REQUIRE(FindHitPoint(wnd, HTCAPTION, &caption));

    target.ClearLog();
    input::Click(Button::Right, caption);
    CHECK(WaitFor([&] { return Height(wnd) == rolled; }, 5000));
    CHECK(WaitForInputTaken(target, {caption.x + 5, caption.y}));
    CHECK_EQ(target.Count(WM_NCRBUTTONDOWN), size_t(0));
    CHECK_EQ(target.Count(WM_NCRBUTTONUP), size_t(0));
    CHECK_EQ(target.Count(WM_CONTEXTMENU), size_t(0));
    CHECK(!SystemMenuOpen(target.ProcessId()));

    PauseBetweenGestures();  // else the next press counts as a double click
    input::Click(Button::Right, caption);
    CHECK(WaitFor([&] { return Height(wnd) == full; }, 5000));
    CHECK(WaitForInputTaken(target, ClientCentre(wnd)));
    CHECK_EQ(target.Count(WM_NCRBUTTONUP), size_t(0));
    CHECK(!SystemMenuOpen(target.ProcessId()));
    CHECK(target.Responsive());
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("a_rolled_up_window_cannot_be_sized_vertically_and_keeps_its_height")
{
    Program program(L"rollclamp", WithSettings("[rollupwnd]\r\nenable=1\r\n"));
    TargetWindow target;
    REQUIRE(StartProgramAndTarget(program, target));
    HWND wnd = target.Window();
    const int full = Height(wnd);
    const int rolled = TitleBarHeight(wnd);
    POINT caption, top;
    REQUIRE(FindHitPoint(wnd, HTCAPTION, &caption));
    REQUIRE(FindHitPoint(wnd, HTTOP, &top));

    input::DoubleClick(Button::Left, caption);
    REQUIRE(WaitFor([&] { return Height(wnd) == rolled; }, 5000));
    // Top and bottom borders answer as caption; the upper corners do not.
    CHECK_EQ(HitTest(wnd, top), LRESULT(HTCAPTION));
    POINT found;
    CHECK(!FindHitPoint(wnd, HTTOP, &found));
    CHECK(!FindHitPoint(wnd, HTBOTTOM, &found));
    RECT r = WindowRect(wnd);
    CHECK_EQ(HitTest(wnd, POINT{(r.left + r.right) / 2, r.bottom - 1}), LRESULT(HTCAPTION));
    CHECK_EQ(HitTest(wnd, POINT{r.left, r.top}), LRESULT(HTTOPLEFT));

    // Something else asks for a new size: the width follows, the height not.
    SetWindowPos(wnd, nullptr, 0, 0, RectWidth(r) + 50, 500, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    CHECK(WaitFor([&] { return RectWidth(WindowRect(wnd)) == RectWidth(r) + 50; }, 3000));
    CHECK_EQ(Height(wnd), rolled);
    MoveWindow(wnd, r.left, r.top, RectWidth(r), 400, TRUE);
    PumpFor(200);
    CHECK_EQ(Height(wnd), rolled);

    // Restored: its own height back, its borders size it again.
    PauseBetweenGestures();
    input::DoubleClick(Button::Left, caption);
    CHECK(WaitFor([&] { return Height(wnd) == full; }, 5000));
    CHECK_EQ(HitTest(wnd, top), LRESULT(HTTOP));
    SetWindowPos(wnd, nullptr, 0, 0, RectWidth(r), 350, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    CHECK(WaitFor([&] { return Height(wnd) == 350; }, 3000));
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("right_alt_double_click_closes_and_left_alt_passes_it_on")
{
    TargetOptions target_options;
    target_options.keep_on_close = true;
    Program program(L"rollalt", WithSettings("[rollupwnd]\r\nenable=1\r\n"));
    TargetWindow target;
    REQUIRE(StartProgramAndTarget(program, target, target_options));
    HWND wnd = target.Window();
    const int full = Height(wnd);
    POINT caption;
    REQUIRE(FindHitPoint(wnd, HTCAPTION, &caption));

    target.ClearLog();
    {
        input::HeldKey right_alt(VK_RMENU);
        REQUIRE(right_alt.Held());
        input::DoubleClick(Button::Left, caption);
        CHECK(WaitFor([&] { return target.Count(WM_CLOSE) == 1; }, 5000));
    }
    CHECK_EQ(target.Count(WM_NCLBUTTONDBLCLK), size_t(0));
    CHECK_EQ(Height(wnd), full);
    // Alt pressed and released alone may leave the window in menu mode.
    SendMessageTimeoutW(wnd, WM_CANCELMODE, 0, 0, SMTO_ABORTIFHUNG, 2000, nullptr);

    PauseBetweenGestures();
    target.ClearLog();
    {
        input::HeldKey left_alt(VK_LMENU);
        REQUIRE(left_alt.Held());
        input::DoubleClick(Button::Left, caption);
        CHECK(WaitFor([&] { return target.Count(WM_NCLBUTTONDBLCLK) == 1; }, 5000));
    }
    // Out of the menu mode first, which would take the marker's move.
    SendMessageTimeoutW(wnd, WM_CANCELMODE, 0, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
    CHECK(WaitForInputTaken(target, ClientCentre(wnd)));
    CHECK(Height(wnd) != TitleBarHeight(wnd));  // not rolled up
    CHECK_EQ(target.Count(WM_CLOSE), size_t(0));
    CHECK(target.Responsive());
    CHECK_EQ(program.Close(), 0);
}
