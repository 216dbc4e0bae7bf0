// The tray icon through a shell double that receives every notification:
// added with the program's icon and tip, added again when the taskbar is
// recreated, tried again while the shell refuses it at start, balloons,
// clicks, and removal at exit.
#include "quornvale/shell/command_ids.h"
#include "tests/framework/check.h"
#include "tests/scenario/support/harness.h"
#include "tests/scenario/support/tray_view.h"

using namespace scenario;

namespace {
constexpr unsigned kTrayCallback = WM_USER + 101;

void BroadcastTaskbarCreated()
{
    PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
}

void CheckIconRecord(const TrayNotification& n, const Program& program, int message)
{
    CHECK_EQ(n.message, message);
    CHECK_EQ(n.window, (unsigned long)(ULONG_PTR)program.MainWindow());
    CHECK_EQ(n.uid, 0u);
    CHECK_EQ(n.flags & 7u, 7u);  // NIF_MESSAGE | NIF_ICON | NIF_TIP
    CHECK_EQ(n.callback, kTrayCallback);
    CHECK_EQ(n.icon, std::string("32x32"));
    CHECK_EQ(n.tip, std::wstring(L"Quornvale"));
}
}  // namespace

TEST_CASE("icon_is_added_with_tip_and_comes_back_after_the_taskbar_is_recreated")
{
    TrayShell shell;
    REQUIRE(shell.Start());
    Program program(L"trayadd");
    REQUIRE(program.Start());
    REQUIRE(shell.WaitForCount(1, 5000));
    auto list = shell.Notifications();
    CheckIconRecord(list[0], program, NIM_ADD);
    CHECK_EQ(list[0].flags, 7u);

    BroadcastTaskbarCreated();
    REQUIRE(shell.WaitForCount(3, 5000));
    list = shell.Notifications();
    CHECK_EQ(list[1].message, int(NIM_DELETE));
    CheckIconRecord(list[2], program, NIM_ADD);

    CHECK_EQ(program.Close(), 0);
    REQUIRE(shell.WaitForCount(4, 5000));
    list = shell.Notifications();
    CHECK_EQ(list.back().message, int(NIM_DELETE));
    CHECK_EQ(list.size(), size_t(4));
}

TEST_CASE("a_balloon_modifies_the_icon_and_shows_again_after_a_re_add")
{
    TrayShell shell;
    REQUIRE(shell.Start());
    Program program(L"trayballoon");
    REQUIRE(program.Start());
    REQUIRE(shell.WaitForCount(1, 5000));
    // An empty clipboard holds no paths: the conversion fails with a balloon.
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
    PostMessageW(program.MainWindow(), WM_COMMAND, CmdPathsToFileList, 0);
    REQUIRE(shell.WaitForCount(2, 5000));
    TrayNotification balloon = shell.Notifications()[1];
    CHECK_EQ(balloon.message, int(NIM_MODIFY));
    CHECK_EQ(balloon.flags, 0x17u);  // NIF_INFO added to the others
    CHECK_EQ(balloon.title, std::wstring(L"Switching between path and pastable object"));
    CHECK_EQ(balloon.info, std::wstring(L"Failed to convert path to pastable object."));
    CHECK_EQ(balloon.timeout, 10u);
    CHECK_EQ(balloon.info_flags, unsigned(NIIF_ERROR));
    CHECK_EQ(balloon.tip, std::wstring(L"Quornvale"));

    PostMessageW(program.MainWindow(), WM_COMMAND, CmdFileListToPaths, 0);
    REQUIRE(shell.WaitForCount(3, 5000));
    CHECK_EQ(shell.Notifications()[2].info, std::wstring(L"Failed to convert pastable object to path."));

    // The re-added icon still carries the last balloon.
    BroadcastTaskbarCreated();
    REQUIRE(shell.WaitForCount(5, 5000));
    TrayNotification again = shell.Notifications()[4];
    CHECK_EQ(again.message, int(NIM_ADD));
    CHECK_EQ(again.flags, 0x17u);
    CHECK_EQ(again.info, std::wstring(L"Failed to convert pastable object to path."));
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("a_single_click_of_either_button_opens_the_menu")
{
    TrayShell shell;
    REQUIRE(shell.Start());
    Program program(L"trayclick");
    REQUIRE(program.Start());
    for (UINT button : {UINT(WM_LBUTTONUP), UINT(WM_RBUTTONUP)}) {
        HWND menu = OpenTrayMenu(program, button);
        CHECK(menu != nullptr);
        if (menu)
            CHECK(CloseTrayMenu(program, menu));
    }
    // Other mouse messages open nothing.  The icon added again for
    // "TaskbarCreated", posted after them, proves both have been handled.
    const size_t adds = shell.CountOf(program.MainWindow(), NIM_ADD);
    PostMessageW(program.MainWindow(), kTrayCallback, 0, WM_MOUSEMOVE);
    PostMessageW(program.MainWindow(), kTrayCallback, 0, WM_LBUTTONDOWN);
    PostMessageW(program.MainWindow(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    CHECK(shell.WaitForNotification(program.MainWindow(), NIM_ADD, adds + 1));
    CHECK(VisibleMenuWindow(program.ProcessId()) == nullptr);
    CHECK(program.Running());
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("a_double_click_of_either_button_ends_the_program")
{
    TrayShell shell;
    REQUIRE(shell.Start());
    for (UINT button : {UINT(WM_LBUTTONDBLCLK), UINT(WM_RBUTTONDBLCLK)}) {
        Program program(L"traydbl");
        size_t before = shell.Notifications().size();
        REQUIRE(program.Start());
        REQUIRE(shell.WaitForCount(before + 1, 5000));
        PostMessageW(program.MainWindow(), kTrayCallback, 0, button);
        CHECK_EQ(WaitForSingleObject(program.Process(), 10000), DWORD(WAIT_OBJECT_0));
        DWORD code = 99;
        GetExitCodeProcess(program.Process(), &code);
        CHECK_EQ(code, DWORD(0));
        CHECK(shell.WaitForCount(before + 2, 5000));  // added, then removed
        CHECK_EQ(shell.Notifications().back().message, int(NIM_DELETE));
    }
}

TEST_CASE("choosing_exit_in_the_real_menu_ends_the_program")
{
    TrayShell shell;
    REQUIRE(shell.Start());
    Program program(L"trayexit");
    REQUIRE(program.Start());
    HWND menu = OpenTrayMenu(program);
    REQUIRE(menu != nullptr);
    // Up from no selection lands on the last entry, Exit; Return chooses it.
    PostMessageW(program.MainWindow(), WM_KEYDOWN, VK_UP, 0);
    PostMessageW(program.MainWindow(), WM_KEYDOWN, VK_RETURN, 0);
    CHECK_EQ(WaitForSingleObject(program.Process(), 10000), DWORD(WAIT_OBJECT_0));
    DWORD code = 99;
    GetExitCodeProcess(program.Process(), &code);
    CHECK_EQ(code, DWORD(0));
}

TEST_CASE("an_icon_the_shell_refuses_at_start_is_tried_again_until_the_shell_takes_it")
{
    // The taskbar is not there yet at logon: the shell refuses every icon.
    TrayShell shell;
    REQUIRE(shell.Start());
    REQUIRE(shell.RefuseIcons(true));
    DebugMonitor monitor;
    REQUIRE(monitor.Active());
    Program program(L"trayretry");
    REQUIRE(program.Start());
    // Refused at start, and tried again on the program's own.
    REQUIRE(shell.WaitForNotification(program.MainWindow(), NIM_ADD, 2));
    CHECK(monitor.WaitForText("tried again for a minute", 5000));
    REQUIRE(shell.RefuseIcons(false));
    CHECK(monitor.WaitForText("Tray icon added on a later attempt", 15000));
    const size_t added = shell.CountOf(program.MainWindow(), NIM_ADD);
    CheckIconRecord(shell.NotificationsOf(program.MainWindow()).back(), program, NIM_ADD);

    // Taken: no more attempts.  A balloon shown after two more retry
    // periods proves the time passed; no add came meanwhile.
    PumpFor(4500);
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
    PostMessageW(program.MainWindow(), WM_COMMAND, CmdPathsToFileList, 0);
    CHECK(shell.WaitForNotification(program.MainWindow(), NIM_MODIFY));
    CHECK_EQ(shell.CountOf(program.MainWindow(), NIM_ADD), added);
    CHECK(!monitor.Contains("could not be added for a minute"));
    CHECK_EQ(program.Close(), 0);
}
