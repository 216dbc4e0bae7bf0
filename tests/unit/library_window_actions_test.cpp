// The decisions of the mouse-hook window actions, as values: roll-up heights
// and animation steps, the alpha arithmetic and its per-window table, the
// topmost and maximize choices and the hit-test remapping.
#include <windows.h>

#include <vector>

#include "ostrilix/hooks/dock_wnd_proc.h"
#include "ostrilix/mousehook/maximize.h"
#include "ostrilix/mousehook/rollup.h"
#include "ostrilix/mousehook/topmost.h"
#include "ostrilix/mousehook/wheel_transparency.h"
#include "tests/framework/check.h"

namespace {
std::vector<int> Frames(int from, int target, unsigned steps)
{
    std::vector<int> heights;
    RollFrames frames = MakeRollFrames(from, target, steps);
    int h = 0;
    while (frames.Next(&h) && heights.size() < 100000)
        heights.push_back(h);
    return heights;
}

HWND Fake(ULONG_PTR n) { return reinterpret_cast<HWND>(n); }
}  // namespace

TEST(rolled_up_height_is_title_bar_and_two_borders_at_least_5)
{
    CHECK_EQ(RolledUpHeightOf(23, 3), 29);
    CHECK_EQ(RolledUpHeightOf(18, 4), 26);
    CHECK_EQ(RolledUpHeightOf(2, 1), 5);
    CHECK_EQ(RolledUpHeightOf(0, 0), 5);
    CHECK_EQ(RolledUpHeightOf(3, 1), 5);
    CHECK_EQ(RolledUpHeightOf(4, 1), 6);
}

TEST(animation_steps_down_to_the_target_and_always_ends)
{
    CHECK(Frames(600, 29, 4) == (std::vector<int>{600, 450, 300, 150}));
    CHECK(Frames(600, 29, 0).empty());  // no animation: one resize only
    CHECK(Frames(600, 29, 1) == (std::vector<int>{600}));
    // More steps than pixels: one pixel per step, and the loop ends.
    std::vector<int> fine = Frames(20, 5, 100);
    CHECK_EQ(fine.size(), size_t(15));
    CHECK_EQ(fine.front(), 20);
    CHECK_EQ(fine.back(), 6);
    CHECK_EQ(Frames(600, 29, 65535).size(), size_t(571));
    // A window already at or below its target has nothing to animate.
    CHECK(Frames(29, 29, 4).empty());
}

TEST(roll_decision_comes_from_the_windows_own_record)
{
    struct Case {
        const char* what;
        int current, fresh;
        RollMemory memory;
        bool roll_up;
        int target;
    };
    const Case cases[] = {
        {"a full window rolls up to its fresh height", 600, 29, {false, 0, 0}, true, 29},
        {"rolled by us: back to its own height", 29, 29, {true, 29, 600}, false, 600},
        // A window with a menu bar measures its title bar differently once
        // it is that small: the record decides, not the fresh measurement.
        {"menu bar: fresh measurement differs on the rolled window", 48, 29, {true, 48, 600},
         false, 600},
        {"menu bar: fresh measurement larger than the rolled height", 29, 48, {true, 29, 600},
         false, 600},
        {"no record, as high as its title bar: kept", 29, 29, {false, 0, 0}, false, 29},
        {"resized by someone else since: rolled up again", 400, 29, {true, 29, 600}, true, 29},
    };
    for (const Case& c : cases) {
        const RollDecision d = DecideRoll(c.current, c.fresh, c.memory);
        if (!CHECK_EQ(d.roll_up, c.roll_up) || !CHECK_EQ(d.target_height, c.target))
            check::Note("case: %s", c.what);
    }
}

TEST(roll_animation_stops_when_its_time_is_spent)
{
    CHECK(AnimationTimeLeft(1000, 1000));
    CHECK(AnimationTimeLeft(1000, 1000 + kRollAnimationBudgetMs - 1));
    CHECK(!AnimationTimeLeft(1000, 1000 + kRollAnimationBudgetMs));
    CHECK(!AnimationTimeLeft(1000, 1000 + 60000));
    // Across the wrap of the tick count.
    CHECK(AnimationTimeLeft(0xFFFFFFF0u, 0x10u));
    CHECK(!AnimationTimeLeft(0xFFFFFFF0u, kRollAnimationBudgetMs));
}

TEST(alpha_moves_10_per_notch_between_the_minimum_and_255)
{
    CHECK_EQ(NextAlpha(255, -120, 40), 245);
    CHECK_EQ(NextAlpha(245, 120, 40), 255);
    CHECK_EQ(NextAlpha(250, 120, 40), 255);
    CHECK_EQ(NextAlpha(45, -120, 40), 40);
    CHECK_EQ(NextAlpha(40, -120, 40), 40);
    CHECK_EQ(NextAlpha(255, -1200, 40), 155);
    // High-resolution wheels: 11 or less changes nothing, 12 is one step.
    CHECK_EQ(NextAlpha(200, -11, 40), 200);
    CHECK_EQ(NextAlpha(200, 11, 40), 200);
    CHECK_EQ(NextAlpha(200, -12, 40), 199);
    // A minimum of 255 (the feature switched off) keeps everything opaque.
    CHECK_EQ(NextAlpha(255, -120, 255), 255);
    CHECK_EQ(NextAlpha(100, -120, 255), 255);
    CHECK_EQ(NextAlpha(0, 0, 0), 0);
}

TEST(each_window_keeps_its_own_alpha_and_style)
{
    FadedWindows table = {};
    const LONG style_a = WS_EX_WINDOWEDGE, style_b = WS_EX_TOOLWINDOW;
    AlphaChange a1 = PlanAlphaChange(table, Fake(0x10), 7, -120, 40, style_a);
    CHECK(a1.action == AlphaAction::Fade);
    CHECK_EQ(a1.alpha, 245);
    CHECK_EQ(a1.exstyle, LONG(style_a | WS_EX_LAYERED));
    AlphaChange a2 = PlanAlphaChange(table, Fake(0x10), 7, -120, 40, style_a | WS_EX_LAYERED);
    CHECK_EQ(a2.alpha, 235);
    CHECK_EQ(a2.exstyle, LONG(style_a | WS_EX_LAYERED));

    // B starts from its own 255 and keeps its own style.
    AlphaChange b1 = PlanAlphaChange(table, Fake(0x20), 8, -120, 40, style_b);
    CHECK(b1.action == AlphaAction::Fade);
    CHECK_EQ(b1.alpha, 245);
    CHECK_EQ(b1.exstyle, LONG(style_b | WS_EX_LAYERED));

    // Back to 255: the remembered style without the layered bit, record gone.
    PlanAlphaChange(table, Fake(0x10), 7, 120, 40, 0);
    AlphaChange a_back = PlanAlphaChange(table, Fake(0x10), 7, 120, 40, 0);
    CHECK(a_back.action == AlphaAction::Opaque);
    CHECK_EQ(a_back.alpha, 255);
    CHECK_EQ(a_back.exstyle, style_a);
    // Next time A starts afresh and remembers the style it has then.
    AlphaChange a_new = PlanAlphaChange(table, Fake(0x10), 7, -240, 40, style_b);
    CHECK_EQ(a_new.alpha, 235);
    CHECK_EQ(a_new.exstyle, LONG(style_b | WS_EX_LAYERED));

    // B is still where it was.
    AlphaChange b2 = PlanAlphaChange(table, Fake(0x20), 8, -120, 40, 0);
    CHECK_EQ(b2.alpha, 235);
    CHECK_EQ(b2.exstyle, LONG(style_b | WS_EX_LAYERED));
}

TEST(opaque_unknown_windows_reused_handles_and_a_full_table)
{
    FadedWindows table = {};
    // Never faded and staying opaque: nothing to write.
    CHECK(PlanAlphaChange(table, Fake(0x10), 7, 120, 40, WS_EX_LAYERED).action == AlphaAction::None);
    CHECK(PlanAlphaChange(table, Fake(0x10), 7, -120, 255, 0).action == AlphaAction::None);
    CHECK(PlanAlphaChange(table, nullptr, 7, -120, 40, 0).action == AlphaAction::None);

    // Switched off (minimum 255) while faded: back to opaque at once.
    PlanAlphaChange(table, Fake(0x30), 7, -600, 40, 0);
    AlphaChange off = PlanAlphaChange(table, Fake(0x30), 7, -120, 255, 0);
    CHECK(off.action == AlphaAction::Opaque);

    // The same handle owned by another thread is another window: fresh start.
    PlanAlphaChange(table, Fake(0x40), 7, -600, 40, WS_EX_TOPMOST);
    AlphaChange reused = PlanAlphaChange(table, Fake(0x40), 9, -120, 40, 0);
    CHECK_EQ(reused.alpha, 245);
    CHECK_EQ(reused.exstyle, LONG(WS_EX_LAYERED));

    // Full: a further window is left alone, known ones still change.
    FadedWindows full = {};
    for (int i = 0; i < kFadedWindows; ++i)
        CHECK(PlanAlphaChange(full, Fake(0x100 + i), 1, -120, 40, 0).action == AlphaAction::Fade);
    CHECK(PlanAlphaChange(full, Fake(0x999), 1, -120, 40, 0).action == AlphaAction::None);
    CHECK_EQ(PlanAlphaChange(full, Fake(0x100), 1, -120, 40, 0).alpha, 235);
    full.RemoveIf([](const FadedWindow& r) { return r.window == Fake(0x101); });
    CHECK(PlanAlphaChange(full, Fake(0x999), 1, -120, 40, 0).action == AlphaAction::Fade);
}

TEST(topmost_and_maximize_choices)
{
    CHECK(TopmostInsertAfter(WS_EX_TOPMOST | WS_EX_WINDOWEDGE) == HWND_NOTOPMOST);
    CHECK(TopmostInsertAfter(WS_EX_WINDOWEDGE) == HWND_TOPMOST);
    CHECK(TopmostInsertAfter(0) == HWND_TOPMOST);
    // Only on Vista, and only the taskbar (any case), is left alone.
    CHECK(IsTopmostLeftAlone(4, L"Shell_TrayWnd"));
    CHECK(IsTopmostLeftAlone(4, L"shell_traywnd"));
    CHECK(!IsTopmostLeftAlone(5, L"Shell_TrayWnd"));
    CHECK(!IsTopmostLeftAlone(3, L"Shell_TrayWnd"));
    CHECK(!IsTopmostLeftAlone(4, L"Notepad"));

    CHECK_EQ(MaximizeCommand(WS_OVERLAPPEDWINDOW | WS_MAXIMIZE | WS_VISIBLE), SW_RESTORE);
    CHECK_EQ(MaximizeCommand(WS_OVERLAPPEDWINDOW | WS_VISIBLE), SW_MAXIMIZE);
}

TEST(hit_test_remapping)
{
    for (bool rolled : {false, true})
        for (bool by_border : {false, true}) {
            // Minimise, maximise and the upper corners never change.
            for (LRESULT kept : {HTMINBUTTON, HTMAXBUTTON, HTTOPLEFT, HTTOPRIGHT, HTCLIENT,
                                 HTCAPTION, HTSYSMENU, HTCLOSE, HTNOWHERE})
                CHECK_EQ(RemapHitTest(kept, rolled, by_border), kept);
            for (LRESULT vertical : {HTTOP, HTBOTTOM})
                CHECK_EQ(RemapHitTest(vertical, rolled, by_border), rolled ? LRESULT(HTCAPTION) : vertical);
            for (LRESULT side : {HTHSCROLL, HTVSCROLL, HTLEFT, HTRIGHT, HTBOTTOMLEFT, HTBOTTOMRIGHT})
                CHECK_EQ(RemapHitTest(side, rolled, by_border), by_border ? LRESULT(HTCAPTION) : side);
        }
}
