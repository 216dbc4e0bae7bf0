// The decisions of the mouse-hook window actions, as values: roll-up heights
// and animation steps, the alpha arithmetic and its per-window table, the
// topmost and maximize choices and the hit-test remapping.
#include <windows.h>

#include <vector>

#include "ostrilix/hooks/dock_wnd_proc.h"
#include "ostrilix/maximize/maximize.h"
#include "ostrilix/rollup/rollup.h"
#include "ostrilix/topmost/topmost.h"
#include "ostrilix/transparency/wheel_transparency.h"
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

TEST_CASE("rolled_up_height_is_title_bar_and_two_borders_at_least_5")
{
    CHECK_EQ(RolledUpHeightOf(23, 3), 29);
    CHECK_EQ(RolledUpHeightOf(18, 4), 26);
    CHECK_EQ(RolledUpHeightOf(2, 1), 5);
    CHECK_EQ(RolledUpHeightOf(0, 0), 5);
    CHECK_EQ(RolledUpHeightOf(3, 1), 5);
    CHECK_EQ(RolledUpHeightOf(4, 1), 6);
}

TEST_CASE("animation_steps_down_to_the_target_and_always_ends")
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

TEST_CASE("roll_decision_comes_from_the_windows_own_record")
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
            MESSAGE(check::Format("case: %s", c.what));
    }
}

TEST_CASE("roll_animation_stops_when_its_time_is_spent")
{
    CHECK(AnimationTimeLeft(1000, 1000));
    CHECK(AnimationTimeLeft(1000, 1000 + kRollAnimationBudgetMs - 1));
    CHECK(!AnimationTimeLeft(1000, 1000 + kRollAnimationBudgetMs));
    CHECK(!AnimationTimeLeft(1000, 1000 + 60000));
    // Across the wrap of the tick count.
    CHECK(AnimationTimeLeft(0xFFFFFFF0u, 0x10u));
    CHECK(!AnimationTimeLeft(0xFFFFFFF0u, kRollAnimationBudgetMs));
}

TEST_CASE("alpha_moves_10_per_notch_between_the_minimum_and_255")
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

namespace {
constexpr WindowLook kPlain = {LayeredState::NotLayered, {0, 255, 0}};

WindowLook LayeredLook(COLORREF key, BYTE alpha, DWORD flags)
{
    return {LayeredState::Known, {key, alpha, flags}};
}

bool SameAttributes(const LayeredAttributes& a, const LayeredAttributes& b)
{
    return a.key == b.key && a.alpha == b.alpha && a.flags == b.flags;
}
}  // namespace

TEST_CASE("each_window_keeps_its_own_alpha_and_style")
{
    FadedWindows table = {};
    const LONG style_a = WS_EX_WINDOWEDGE, style_b = WS_EX_TOOLWINDOW;
    AlphaChange a1 = PlanAlphaChange(table, Fake(0x10), 7, -120, 40, kPlain);
    CHECK(a1.action == AlphaAction::Fade);
    CHECK_EQ(a1.alpha, 245);
    CHECK_EQ(FadedExStyle(style_a, a1.alpha, table.Find(Fake(0x10))->was_layered), LONG(style_a | WS_EX_LAYERED));
    // The second notch continues from the record, whatever the window looks
    // like now (layered by us).
    AlphaChange a2 = PlanAlphaChange(table, Fake(0x10), 7, -120, 40, LayeredLook(0, 245, LWA_ALPHA));
    CHECK_EQ(a2.alpha, 235);
    CHECK(!table.Find(Fake(0x10))->was_layered);

    // B starts from its own 255.
    AlphaChange b1 = PlanAlphaChange(table, Fake(0x20), 8, -120, 40, kPlain);
    CHECK(b1.action == AlphaAction::Fade);
    CHECK_EQ(b1.alpha, 245);
    CHECK_EQ(FadedExStyle(style_b, b1.alpha, false), LONG(style_b | WS_EX_LAYERED));

    // Back to 255: its own look back; the record waits for the worker.
    PlanAlphaChange(table, Fake(0x10), 7, 120, 40, kPlain);
    AlphaChange a_back = PlanAlphaChange(table, Fake(0x10), 7, 120, 40, kPlain);
    CHECK(a_back.action == AlphaAction::Restore);
    CHECK_EQ(a_back.alpha, kOwnLook);
    FadedWindow* a = table.Find(Fake(0x10));
    REQUIRE(a != nullptr);
    CHECK_EQ(a->alpha, kOwnLook);
    CHECK_EQ(FadedExStyle(style_a | WS_EX_LAYERED, kOwnLook, a->was_layered), style_a);
    // Faded again before the worker gave the look back: the first look is
    // kept, not read from the window as our fade left it.
    AlphaChange a_again = PlanAlphaChange(table, Fake(0x10), 7, -240, 40, LayeredLook(0, 235, LWA_ALPHA));
    CHECK_EQ(a_again.alpha, 235);
    CHECK(!table.Find(Fake(0x10))->was_layered);

    // B is still where it was.
    AlphaChange b2 = PlanAlphaChange(table, Fake(0x20), 8, -120, 40, kPlain);
    CHECK_EQ(b2.alpha, 235);
}

TEST_CASE("opaque_unknown_windows_reused_handles_and_a_full_table")
{
    FadedWindows table = {};
    // Never faded and staying opaque: nothing to write, nothing remembered.
    CHECK(PlanAlphaChange(table, Fake(0x10), 7, 120, 40, kPlain).action == AlphaAction::None);
    CHECK(PlanAlphaChange(table, Fake(0x10), 7, -120, 255, kPlain).action == AlphaAction::None);
    CHECK(PlanAlphaChange(table, nullptr, 7, -120, 40, kPlain).action == AlphaAction::None);
    CHECK_EQ(table.Used(), 0);

    // Switched off (minimum 255) while faded: its own look back at once.
    PlanAlphaChange(table, Fake(0x30), 7, -600, 40, kPlain);
    AlphaChange off = PlanAlphaChange(table, Fake(0x30), 7, -120, 255, kPlain);
    CHECK(off.action == AlphaAction::Restore);

    // The same handle owned by another thread is another window: fresh start
    // with the look it has now.
    PlanAlphaChange(table, Fake(0x40), 7, -600, 40, LayeredLook(0, 100, LWA_ALPHA));
    AlphaChange reused = PlanAlphaChange(table, Fake(0x40), 9, -120, 40, kPlain);
    CHECK_EQ(reused.alpha, 245);
    CHECK(!table.Find(Fake(0x40))->was_layered);
    CHECK_EQ(table.Find(Fake(0x40))->owner_thread, DWORD(9));

    // Full: a further window is left alone, known ones still change.
    FadedWindows full = {};
    for (int i = 0; i < kFadedWindows; ++i)
        CHECK(PlanAlphaChange(full, Fake(0x100 + i), 1, -120, 40, kPlain).action == AlphaAction::Fade);
    CHECK(PlanAlphaChange(full, Fake(0x999), 1, -120, 40, kPlain).action == AlphaAction::None);
    CHECK_EQ(PlanAlphaChange(full, Fake(0x100), 1, -120, 40, kPlain).alpha, 235);
    full.RemoveIf([](const FadedWindow& r) { return r.window == Fake(0x101); });
    CHECK(PlanAlphaChange(full, Fake(0x999), 1, -120, 40, kPlain).action == AlphaAction::Fade);
}

// A whole fade: one notch toward the user, the window's application changes
// its style meanwhile, one notch back.  The style written back is the current
// one with only the layered bit changed; the layering is the window's own.
TEST_CASE("a_fade_gives_back_exactly_the_layered_state_the_window_had")
{
    const COLORREF key = RGB(1, 2, 3);
    struct Case {
        const char* name;
        LONG before;        // extended style before the first fade
        WindowLook look;    // its layering then
        int minimal;
        LONG toggled;       // style bits its application flipped while faded
        int faded_alpha;    // after one notch; 0: the window is left alone
        LayeredAttributes faded;  // the attributes set while faded
        LONG after;         // the style written back
        LayeredAttributes own;    // the attributes given back
    } cases[] = {
        {"not layered", WS_EX_WINDOWEDGE, kPlain, 40, 0, 245, {0, 245, LWA_ALPHA},
         WS_EX_WINDOWEDGE, {0, 255, LWA_ALPHA}},
        {"made topmost while faded", WS_EX_WINDOWEDGE, kPlain, 40, WS_EX_TOPMOST, 245, {0, 245, LWA_ALPHA},
         WS_EX_WINDOWEDGE | WS_EX_TOPMOST, {0, 255, LWA_ALPHA}},
        {"topmost released while faded", WS_EX_TOPMOST, kPlain, 40, WS_EX_TOPMOST, 245, {0, 245, LWA_ALPHA},
         0, {0, 255, LWA_ALPHA}},
        {"layered with alpha and colour key", WS_EX_LAYERED | WS_EX_TOOLWINDOW,
         LayeredLook(key, 200, LWA_ALPHA | LWA_COLORKEY), 40, 0, 190, {key, 190, LWA_ALPHA | LWA_COLORKEY},
         WS_EX_LAYERED | WS_EX_TOOLWINDOW, {key, 200, LWA_ALPHA | LWA_COLORKEY}},
        {"layered with a colour key only", WS_EX_LAYERED, LayeredLook(key, 0, LWA_COLORKEY), 40, WS_EX_TOPMOST,
         245, {key, 245, LWA_ALPHA | LWA_COLORKEY}, WS_EX_LAYERED | WS_EX_TOPMOST, {key, 0, LWA_COLORKEY}},
        {"layered, unreadable (Windows 2000)", WS_EX_LAYERED, {LayeredState::Unreadable, {0, 0, 0}}, 40, 0, 245,
         {0, 245, LWA_ALPHA}, WS_EX_LAYERED, {0, 255, LWA_ALPHA}},
        {"drawn by its application", WS_EX_LAYERED, {LayeredState::PerPixel, {0, 0, 0}}, 40, 0, 0, {}, 0, {}},
        {"own alpha under the minimum", WS_EX_LAYERED, LayeredLook(0, 30, LWA_ALPHA), 40, 0, 0, {}, 0, {}},
    };
    for (const Case& c : cases) {
        FadedWindows table = {};
        bool ok = true;
        const AlphaChange fade = PlanAlphaChange(table, Fake(0x10), 7, -120, c.minimal, c.look);
        if (c.faded_alpha == 0) {
            ok &= CHECK(fade.action == AlphaAction::None);
            ok &= CHECK_EQ(table.Used(), 0);
        } else {
            ok &= CHECK(fade.action == AlphaAction::Fade);
            ok &= CHECK_EQ(fade.alpha, c.faded_alpha);
            const FadedWindow* record = table.Find(Fake(0x10));
            REQUIRE(record != nullptr);
            const LONG faded_style = FadedExStyle(c.before, fade.alpha, record->was_layered);
            ok &= CHECK_EQ(faded_style, LONG(c.before | WS_EX_LAYERED));
            ok &= CHECK(SameAttributes(FadedAttributes(*record, fade.alpha), c.faded));

            const AlphaChange back = PlanAlphaChange(table, Fake(0x10), 7, 120, c.minimal, LayeredLook(0, 1, 0));
            ok &= CHECK(back.action == AlphaAction::Restore);
            ok &= CHECK_EQ(FadedExStyle(faded_style ^ c.toggled, back.alpha, record->was_layered), c.after);
            ok &= CHECK(SameAttributes(FadedAttributes(*record, back.alpha), c.own));
        }
        if (!ok)
            MESSAGE(check::Format("failing case: %s", c.name));
    }
}

TEST_CASE("topmost_and_maximize_choices")
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

TEST_CASE("hit_test_remapping")
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
