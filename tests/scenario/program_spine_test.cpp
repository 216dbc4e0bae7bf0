// The program's spine through the real binaries: single instance, the main
// window, start-up pushes into the hook library, a missing library, and exit.
#include "quornvale/shell/command_ids.h"
#include "tests/framework/check.h"
#include "tests/scenario/support/harness.h"
#include "tests/scenario/support/library_view.h"

using namespace scenario;

namespace {
constexpr wchar_t kNotifyList[] = L"OSTRILIX_NOFITYICON_LIST";
constexpr wchar_t kScrollList[] = L"OSTRILIX_DIRECT_SCROLL_EXCEPT_LIST";
}  // namespace

TEST_CASE("second_start_leaves_at_once_and_a_later_start_runs")
{
    Program program(L"single");
    REQUIRE(program.Start());

    HANDLE second = program.StartAnother();
    REQUIRE(second != nullptr);
    DWORD started = GetTickCount();
    CHECK_EQ(WaitForSingleObject(second, 2000), DWORD(WAIT_OBJECT_0));
    MESSAGE(check::Format("second start ended after %lu ms", GetTickCount() - started));
    DWORD code = 99;
    GetExitCodeProcess(second, &code);
    CloseHandle(second);
    CHECK_EQ(code, DWORD(0));
    CHECK(program.Running());

    CHECK_EQ(program.Close(), 0);
    REQUIRE(program.Start());
    CHECK(program.Running());
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("main_window_is_a_hidden_layered_topmost_tool_window")
{
    Program program(L"window");
    REQUIRE(program.Start());
    HWND wnd = program.MainWindow();
    CHECK(!IsWindowVisible(wnd));
    CHECK_EQ(GetWindowLongW(wnd, GWL_STYLE) & ~WS_CLIPSIBLINGS, LONG(WS_POPUP));
    CHECK_EQ(GetWindowLongW(wnd, GWL_EXSTYLE) & 0x00080088, 0x00080088);
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    CHECK(GetLayeredWindowAttributes(wnd, &key, &alpha, &flags));
    CHECK_EQ(key, COLORREF(RGB(255, 0, 0)));
    CHECK_EQ(int(alpha), 192);
    CHECK_EQ(flags, DWORD(LWA_COLORKEY | LWA_ALPHA));
    CHECK_EQ(GetClassLongPtrW(wnd, GCL_STYLE), ULONG_PTR(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS));

    // A key while the window has the focus hides it, whatever it showed.
    ShowWindow(wnd, SW_SHOWNOACTIVATE);
    CHECK(WaitFor([&] { return IsWindowVisible(wnd) != FALSE; }, 2000));
    PostMessageW(wnd, WM_KEYDOWN, VK_ESCAPE, 0);
    CHECK(WaitFor([&] { return !IsWindowVisible(wnd); }, 2000));
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("with_no_settings_every_setting_is_pushed_with_its_default")
{
    Program program(L"defaults");
    LibraryView view(program.LibraryPath());
    REQUIRE(view.Loaded());
    // Before the program runs the block holds its initial values, which
    // differ from what the program must push.
    SharedBlock before = view.Snapshot();
    CHECK(before.s_b_rollupwnd != 0);
    CHECK(before.s_b_babylon != 0);
    CHECK(before.s_b_directscroll != 0);
    CHECK_EQ(before.s_n_minimal_alpha, 40);
    CHECK_EQ(before.s_feature_value.s_s_scroll_distance, 0);

    DebugMonitor monitor;
    REQUIRE(program.Start());
    CHECK(!FileExists(program.SettingsPath()));
    SharedBlock b = view.Snapshot();
    CHECK_EQ(b.s_b_sizewindow, 0);
    CHECK_EQ(b.s_feature_value.s_s_scroll_distance, 10);
    CHECK_EQ(b.s_feature_value.s_s_scroll_delta, 40);
    CHECK_EQ(b.s_feature_value.s_s_scroll_mode, 1);
    CHECK_EQ(b.s_b_notifyicon, 0);
    CHECK_EQ(b.s_n_minimal_alpha, 255);
    CHECK_EQ(b.s_b_babylon, 0);
    CHECK_EQ(b.s_n_mbutton_code, 0);
    CHECK_EQ(b.s_b_rollupwnd, 0);
    CHECK_EQ(b.s_b_retrieve_wnd_info, 0);
    CHECK_EQ(b.s_b_topmost, 0);
    CHECK_EQ(b.s_b_hidecursor, 0);
    CHECK_EQ(b.s_b_changecursor, 0);
    CHECK_EQ(b.s_b_disableime, 0);
    CHECK_EQ(std::wstring(b.s_sz_disableime_classes), std::wstring());
    CHECK_EQ(b.s_b_directscroll, 0);
    CHECK_EQ(b.s_b_dockwindow, 0);
    CHECK_EQ(std::wstring(b.s_sz_mbutton_except), std::wstring());
    // The exception list goes over even when empty; the notify list does not.
    bool exists = false;
    CHECK_EQ(LibraryView::MappedList(kScrollList, &exists), std::wstring());
    CHECK(exists);
    LibraryView::MappedList(kNotifyList, &exists);
    CHECK(!exists);
    // The three permanent hooks, and no optional one.
    CHECK(monitor.Active());
    CHECK(monitor.Contains("Hook MouseProc is installed!"));
    CHECK(monitor.Contains("Hook LowLevelMouseProc is installed!"));
    CHECK(monitor.Contains("Hook CallWndProc is installed!"));
    CHECK(!monitor.Contains("Hook GetMsgProc is installed!"));
    CHECK(!monitor.Contains("Hook LowLevelKeyboardProc is installed!"));
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("settings_reach_the_library_as_written")
{
    ProgramOptions options;
    options.settings =
        "[sizewindow]\r\nenable=1\r\n"
        "[autoscroll]\r\ndistance=7\r\ndelta=70000\r\nmode=2\r\n"
        "[notifyicon]\r\nenable=1\r\nlist=C:\\Tools\\App.exe, TrayClass; D:\\Other.exe, X\r\n"
        "[transparent]\r\nenable=1\r\nminivalue=300\r\n"
        "[hotkey]\r\nbabylon=2\r\n"
        "[mbutton]\r\ncode=3\r\nexcept=Notepad,CabinetWClass\r\n"
        "[rollupwnd]\r\nenable=5\r\nanimate=4\r\nhotaction=65535\r\n"
        "[information]\r\nenable=2\r\n"
        "[topmost]\r\nenable=2\r\n"
        "[hidecursor]\r\nenable=1\r\n"
        "[changecursor]\r\nenable=7\r\n"
        "[disableime]\r\nenable=1\r\nclasses=[Edit];[Notepad];\r\n"
        "[directscroll]\r\nenable=9\r\nexcluded_list=C:\\A\\b.exe;C:\\C\\d.exe\r\n"
        "[dockwindow]\r\nenable=1\r\ndragfullwindow=1\r\ndockmode=2\r\n"
        "[simwinkey]\r\nenable=1\r\n";
    Program program(L"pushes", options);
    LibraryView view(program.LibraryPath());
    REQUIRE(view.Loaded());
    DebugMonitor monitor;
    REQUIRE(program.Start());

    SharedBlock b = view.Snapshot();
    CHECK_EQ(b.s_b_sizewindow, 1);
    CHECK(b.s_feature_value.s_h_cover_wnd == program.MainWindow());
    CHECK_EQ(b.s_feature_value.s_b_displaysize, 0);
    CHECK_EQ(b.s_feature_value.s_s_scroll_distance, 7);
    CHECK_EQ(b.s_feature_value.s_s_scroll_delta, SHORT(70000 & 0xFFFF));
    CHECK_EQ(b.s_feature_value.s_s_scroll_mode, 2);
    CHECK_EQ(b.s_b_notifyicon, 1);
    CHECK_EQ(LibraryView::MappedList(kNotifyList),
             std::wstring(L"C:\\Tools\\App.exe, TrayClass; D:\\Other.exe, X"));
    CHECK_EQ(b.s_n_minimal_alpha, 44);  // low byte of 300
    CHECK_EQ(b.s_b_babylon, 2);         // handed on as read
    CHECK_EQ(b.s_n_mbutton_code, 3);
    CHECK_EQ(std::wstring(b.s_sz_mbutton_except), std::wstring(L"Notepad,CabinetWClass"));
    CHECK_EQ(b.s_b_rollupwnd, 1);       // normalised to 1
    CHECK_EQ(b.s_feature_value.s_s_rollup_animate, 4);
    CHECK_EQ(b.s_feature_value.s_n_rollup_hotaction, -1);  // 16 bits, sign-extended
    CHECK_EQ(b.s_b_retrieve_wnd_info, 2);
    CHECK_EQ(b.s_b_topmost, 2);
    CHECK_EQ(b.s_b_hidecursor, 1);
    CHECK_EQ(b.s_b_changecursor, 1);
    CHECK_EQ(b.s_b_disableime, 1);
    CHECK_EQ(std::wstring(b.s_sz_disableime_classes), std::wstring(L"[Edit];[Notepad];"));
    CHECK_EQ(b.s_b_directscroll, 1);
    CHECK_EQ(LibraryView::MappedList(kScrollList), std::wstring(L"C:\\A\\b.exe;C:\\C\\d.exe"));
    CHECK_EQ(b.s_b_dockwindow, 1);      // dragfullwindow lets the program switch dragging on
    CHECK_EQ(b.s_n_aero_snap_mode, 2);
    BOOL full_drag = FALSE;
    SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &full_drag, 0);
    CHECK(full_drag);
    CHECK(monitor.Active());
    CHECK(monitor.Contains("Hook GetMsgProc is installed!"));
    CHECK(monitor.Contains("Hook LowLevelKeyboardProc is installed!"));
    CHECK_EQ(program.Close(), 0);
    CHECK(monitor.WaitForText("Hook library is unloaded!", 2000));
    for (const char* hook : {"MouseProc", "LowLevelMouseProc", "CallWndProc", "GetMsgProc",
                             "LowLevelKeyboardProc"})
        CHECK(monitor.Contains(std::string("Hook ") + hook + " is removed!"));
}

TEST_CASE("docking_stays_off_without_full_window_dragging")
{
    SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, FALSE, nullptr, 0);
    Program program(L"nodock", WithSettings("[dockwindow]\r\nenable=1\r\ndragfullwindow=0\r\n"));
    LibraryView view(program.LibraryPath());
    REQUIRE(view.Loaded());
    REQUIRE(program.Start());
    CHECK_EQ(view.Block().s_b_dockwindow, 0);
    BOOL full_drag = TRUE;
    SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &full_drag, 0);
    CHECK(!full_drag);
    CHECK_EQ(program.Close(), 0);
    SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, TRUE, nullptr, 0);
}

TEST_CASE("close_removes_hooks_unloads_the_library_and_exits_0")
{
    DebugMonitor monitor;
    REQUIRE(monitor.Active());
    Program program(L"close");
    REQUIRE(program.Start());
    CHECK(monitor.Contains("Hook MouseProc is installed!"));
    CHECK_EQ(program.Close(), 0);
    CHECK(!program.Running());
    CHECK(monitor.WaitForText("Hook library is unloaded!", 2000));
    CHECK(monitor.Contains("Hook MouseProc is removed!"));
    CHECK(monitor.Contains("Hook LowLevelMouseProc is removed!"));
    CHECK(monitor.Contains("Hook CallWndProc is removed!"));
}

TEST_CASE("missing_library_is_reported_once_and_the_program_keeps_running")
{
    ProgramOptions options;
    options.with_library = false;
    options.wait_for_window = false;
    Program program(L"nolib", options);
    REQUIRE(program.Start());
    HWND box = nullptr;
    REQUIRE(WaitFor([&] { return (box = FindDialog(program.ProcessId(), L"Error")) != nullptr; }, 15000));
    // The box is found as soon as it exists; its text arrives, and the box
    // lays itself out, a moment later: read until the text is complete.
    const std::wstring expected = L"Couldn't load the Ostrilix.dll, application will failed!";
    std::wstring text;
    CHECK(WaitFor([&] { return (text = DialogText(box)) == expected; }, 10000));
    CHECK_EQ(text, expected);
    // Dismiss it as a user would.
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    HWND main = nullptr;
    CHECK(WaitFor([&] { return (main = FindProcessWindow(program.ProcessId(), L"QUORNVALE")) != nullptr
                               && !FindDialog(program.ProcessId(), L"Error"); }, 5000));
    // Answered from the message loop: start-up, where the box comes from, is over.
    DWORD_PTR answer = 0;
    CHECK(SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer));
    CHECK(program.Running());
    CHECK(FindDialog(program.ProcessId(), L"Error") == nullptr);  // shown once
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("only_menu_commands_act_not_accelerators_or_controls")
{
    Program program(L"command", WithSettings("[topmost]\r\nenable=0\r\n[rollupwnd]\r\nenable=0\r\n"));
    LibraryView view(program.LibraryPath());
    REQUIRE(view.Loaded());
    REQUIRE(program.Start());
    constexpr WORD kTopmostSwitch = CmdTopmost;
    // From an accelerator (1) or a control notification: nothing happens.
    PostMessageW(program.MainWindow(), WM_COMMAND, MAKEWPARAM(kTopmostSwitch, 1), 0);
    PostMessageW(program.MainWindow(), WM_COMMAND, MAKEWPARAM(kTopmostSwitch, BN_CLICKED + 5), 0);
    // A menu command of another switch, posted after them, is taken after
    // them: once it acted, they have been handled.
    PostMessageW(program.MainWindow(), WM_COMMAND, MAKEWPARAM(CmdRollUp, 0), 0);
    auto topmost_setting = [&] {
        wchar_t value[8] = {};
        GetPrivateProfileStringW(L"topmost", L"enable", L"", value, 8, program.SettingsPath().c_str());
        return std::wstring(value);
    };
    CHECK(WaitFor([&] { return view.Block().s_b_rollupwnd == 1; }, 10000));
    CHECK_EQ(view.Block().s_b_topmost, 0);
    CHECK_EQ(topmost_setting(), std::wstring(L"0"));
    // The same id as a menu command switches the feature.
    PostMessageW(program.MainWindow(), WM_COMMAND, MAKEWPARAM(kTopmostSwitch, 0), 0);
    CHECK(WaitFor([&] { return view.Block().s_b_topmost == 1; }, 3000));
    CHECK_EQ(topmost_setting(), std::wstring(L"1"));
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("a_start_clears_the_run_time_state_a_killed_program_left_in_the_library")
{
    // A program killed in the middle of auto-scroll and a right-button chord
    // leaves the block as it was: other processes keep the library loaded.
    Program program(L"stale");
    LibraryView view(program.LibraryPath());
    REQUIRE(view.Loaded());
    volatile SharedBlock& stale = view.MutableBlock();
    stale.s_b_autoscrolling = 1;
    stale.s_s_whell_delta = 480;
    stale.s_h_autoscroll_thread = reinterpret_cast<HANDLE>(0x1234);
    stale.s_b_avoid_rbtn_up = 1;
    stale.s_b_sending_click = 1;
    stale.s_n_mbutton_state = 2;
    stale.s_feature_value.s_b_displaysize = 1;
    // What the killed auto-scroll held the cursor to.
    const POINT at = {200, 200};
    const RECT pixel = {at.x, at.y, at.x + 1, at.y + 1};
    // Wine takes a clip only from the foreground thread: a window of the
    // test's own is put in front first.
    HWND front = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"STATIC", L"clip owner", WS_POPUP | WS_VISIBLE,
                                 0, 0, 40, 40, nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(front);
    WaitFor([&] { return GetForegroundWindow() == front; }, 5000);
    RECT clip = {};
    // Without the clip in place the start would have nothing to free.
    REQUIRE(WaitFor([&] {
        ClipCursor(&pixel);
        GetClipCursor(&clip);
        return clip.right - clip.left == 1;
    }, 5000));

    REQUIRE(program.Start());
    SharedBlock b = view.Snapshot();
    CHECK_EQ(b.s_b_autoscrolling, 0);
    CHECK_EQ(b.s_s_whell_delta, 0);
    CHECK(b.s_h_autoscroll_thread == nullptr);
    CHECK_EQ(b.s_b_avoid_rbtn_up, 0);
    CHECK_EQ(b.s_b_sending_click, 0);
    CHECK_EQ(b.s_n_mbutton_state, 0);
    CHECK_EQ(b.s_feature_value.s_b_displaysize, 0);
    GetClipCursor(&clip);
    CHECK(clip.right - clip.left > 1);
    CHECK_EQ(program.Close(), 0);
    ClipCursor(nullptr);
    DestroyWindow(front);
}
