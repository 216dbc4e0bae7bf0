// The hook library's configuration exports, called by name on the real
// Ostrilix.dll, with the shared block read back through its section; and the
// icon-only taskbar switch of the real program against an XP taskbar double.
#include <windows.h>
#include <commctrl.h>

#include "tests/framework/check.h"
#include "tests/scenario/support/harness.h"
#include "tests/scenario/support/library_view.h"

using namespace scenario;

namespace {
// A copy of the library in a directory of its own: its block starts fresh.
std::wstring FreshLibraryCopy()
{
    std::wstring dir = MakeTempDir(L"lib");
    std::wstring path = JoinPath(dir, L"Ostrilix.dll");
    CopyFileW(JoinPath(BinDir(), L"Ostrilix.dll").c_str(), path.c_str(), FALSE);
    return path;
}

std::wstring WindowTitle(HWND wnd)
{
    wchar_t text[64] = {};
    GetWindowTextW(wnd, text, 64);
    return text;
}
}  // namespace

TEST_CASE("a_fresh_library_holds_its_initial_values")
{
    LibraryView view(FreshLibraryCopy());
    REQUIRE(view.Loaded());
    SharedBlock b = view.Snapshot();
    CHECK_EQ(b.s_b_rollupwnd, 1);
    CHECK_EQ(b.s_b_babylon, 1);
    CHECK_EQ(b.s_b_directscroll, 1);
    CHECK_EQ(b.s_b_topmost, 0);
    CHECK_EQ(b.s_n_minimal_alpha, 40);
    CHECK_EQ(b.s_cr_text_bkcolor, COLORREF(0xFFFFFFFF));
    CHECK_EQ(b.s_cr_text_color, COLORREF(0x00FFFFFF));
}

TEST_CASE("configuration_exports_write_the_shared_block")
{
    LibraryView view(FreshLibraryCopy());
    REQUIRE(view.Loaded());
    auto enable = view.Export<EnableFeaturesFn>(kExportEnableFeatures);
    auto set_flags = view.Export<SetFeatureFlagsFn>(kExportSetFeatureFlags);
    auto set_alpha = view.Export<SetMinimalAlphaValueFn>(kExportSetMinimalAlphaValue);
    auto set_info = view.Export<SetIntValueFn>(kExportSetRetrieveWndInfoFlag);
    auto set_snap = view.Export<SetIntValueFn>(kExportSetAeroSnapMode);
    auto set_code = view.Export<SetIntValueFn>(kExportSetMButtonFunctionCode);
    REQUIRE(enable && set_flags && set_alpha && set_info && set_snap && set_code);
    const volatile SharedBlock& b = view.Block();

    enable(0x1FFF, 0);
    enable(0x21, 1);
    CHECK_EQ(b.s_b_rollupwnd, 1);
    CHECK_EQ(b.s_b_babylon, 1);
    CHECK_EQ(b.s_b_topmost, 0);
    enable(0, 5);
    CHECK_EQ(b.s_b_topmost, 0);
    CHECK_EQ(b.s_b_rollupwnd, 1);
    enable(0x8, 2);
    CHECK_EQ(b.s_b_retrieve_wnd_info, 2);
    set_info(0);
    CHECK_EQ(b.s_b_retrieve_wnd_info, 0);

    FeatureParams roll = {};
    roll.s_s_rollup_animate = 4;
    roll.s_n_rollup_hotaction = 2;
    set_flags(0x1, roll);
    FeatureParams cover = {};
    cover.s_h_cover_wnd = GetDesktopWindow();
    set_flags(0x400, cover);
    FeatureParams scroll = {10, 40, 1, 99, 99, nullptr, 1};
    set_flags(0x4, scroll);
    CHECK_EQ(b.s_feature_value.s_s_scroll_distance, 10);
    CHECK_EQ(b.s_feature_value.s_s_scroll_delta, 40);
    CHECK_EQ(b.s_feature_value.s_s_scroll_mode, 1);
    CHECK_EQ(b.s_feature_value.s_s_rollup_animate, 4);
    CHECK_EQ(b.s_feature_value.s_n_rollup_hotaction, 2);
    CHECK(b.s_feature_value.s_h_cover_wnd == GetDesktopWindow());
    CHECK_EQ(b.s_feature_value.s_b_displaysize, 0);

    CHECK_EQ(set_alpha(300), DWORD(44));
    CHECK_EQ(b.s_n_minimal_alpha, 44);
    CHECK_EQ(set_snap(-1), -1);
    CHECK_EQ(b.s_n_aero_snap_mode, -1);
    CHECK_EQ(set_code(1), 1);
    CHECK_EQ(b.s_n_mbutton_code, 1);
}

TEST_CASE("two_processes_share_one_block")
{
    // The running program and this test map the same file: what the program
    // pushes is what this process reads, and what this process writes the
    // program's copy sees (observed through a third mapping).
    Program program(L"shared", WithSettings("[topmost]\r\nenable=1\r\n"));
    LibraryView view(program.LibraryPath());
    REQUIRE(view.Loaded());
    REQUIRE(program.Start());
    CHECK_EQ(view.Block().s_b_topmost, 1);
    view.Export<EnableFeaturesFn>(kExportEnableFeatures)(0x10, 0);
    LibraryView again(program.LibraryPath());
    CHECK_EQ(again.Block().s_b_topmost, 0);
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("icon_only_taskbar_switch_against_an_xp_taskbar")
{
    struct Case {
        const char* settings;
        const wchar_t* double_args;
        bool mixed_after;
        const wchar_t* commands;
    };
    const Case cases[] = {
        {"[icontaskbar]\r\nenable=1\r\n", L"", true, L"commands=2"},
        // Already as asked: no style message, no relayout command.
        {"[icontaskbar]\r\nenable=1\r\n", L"--mixed", true, L"commands=0"},
        // Off clears a style set earlier.
        {"[icontaskbar]\r\nenable=0\r\n", L"--mixed", false, L"commands=2"},
        {nullptr, L"", false, L"commands=0"},
    };
    for (const Case& c : cases) {
        Helper taskbar;
        REQUIRE(taskbar.Start(L"taskbar_double_gui.exe", c.double_args));
        HWND tray = nullptr, toolbar = nullptr;
        REQUIRE(WaitFor([&] {
            tray = FindProcessWindow(taskbar.ProcessId(), L"Shell_TrayWnd");
            toolbar = FindTaskbarToolbarOf(tray);
            return toolbar != nullptr;
        }, 10000));
        Program program(L"icontaskbar", WithSettings(c.settings));
        REQUIRE(program.Start());
        CHECK(WaitFor([&] { return WindowTitle(tray) == c.commands; }, 3000));
        // No further commands: once the program's main thread answers, its
        // start-up is over and all it posted is queued before one relayout
        // request of the test's own, which the double counts as the next.
        DWORD_PTR answer = 0;
        REQUIRE(SendMessageTimeoutW(program.MainWindow(), WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer));
        PostMessageW(tray, WM_COMMAND, 424, 0);
        const int commands = _wtoi(c.commands + wcslen(L"commands="));
        const std::wstring one_more = L"commands=" + std::to_wstring(commands + 1);
        CHECK(WaitFor([&] { return WindowTitle(tray) == one_more; }, 5000));
        CHECK_EQ(WindowTitle(tray), one_more);
        LRESULT style = SendMessageW(toolbar, TB_GETEXTENDEDSTYLE, 0, 0);
        CHECK_EQ((style & TBSTYLE_EX_MIXEDBUTTONS) != 0, c.mixed_after);
        CHECK_EQ(program.Close(), 0);
    }
}
