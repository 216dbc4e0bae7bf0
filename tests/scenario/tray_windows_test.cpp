// Minimise to tray through the real program and library, with targets in
// processes of their own and a shell double that records every
// Shell_NotifyIconW call: listed windows and windows minimised with Left Alt
// held become icons of their own; a click on the icon, a restore by other
// means, a recreated taskbar, the switch in the menu, the window's end and
// the program's end each do their part, and no window stays hidden.
//
// The shell sends an icon's callback message (it does not post it), so the
// tests click an icon by sending it.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "quornvale/shell/command_ids.h"
#include "tests/framework/check.h"
#include "tests/scenario/support/harness.h"
#include "tests/scenario/support/input.h"
#include "tests/scenario/support/library_view.h"
#include "tests/scenario/support/target.h"
#include "tests/scenario/support/tray_view.h"

using namespace scenario;

namespace {
constexpr unsigned kIconCallback = 0x836;
constexpr unsigned kFirstIconId = 101;

std::string Utf8(const std::wstring& text)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::string TraySettings(const std::string& list)
{
    return "[notifyicon]\r\nenable=1\r\nlist=" + list + "\r\n";
}

// The id of the window's latest icon (0: none was added).
unsigned IconId(const TrayShell& shell, HWND window)
{
    unsigned id = 0;
    for (const auto& n : shell.NotificationsOf(window))
        if (n.message == NIM_ADD)
            id = n.uid;
    return id;
}

void Minimise(HWND window) { ShowWindowAsync(window, SW_MINIMIZE); }

// Minimised with Left Alt held, and waits until it is hidden in the tray.
bool MinimiseToTrayWithAlt(const TrayShell& shell, HWND window)
{
    const size_t added = shell.CountOf(window, NIM_ADD);
    input::HeldKey alt(VK_LMENU);
    if (!alt.Held())
        return false;
    Minimise(window);
    return WaitFor([&] { return !IsWindowVisible(window) && shell.CountOf(window, NIM_ADD) > added; }, 10000);
}

// A left press on the window's icon, as the shell reports it.
void ClickIcon(const TrayShell& shell, HWND window)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, kIconCallback, IconId(shell, window), WM_LBUTTONDOWN, SMTO_ABORTIFHUNG, 5000,
                        &result);
}

bool WaitVisible(HWND window) { return WaitFor([&] { return IsWindowVisible(window) != FALSE; }, 10000); }

HWND SecondWindow(const TargetWindow& target, const TargetOptions& options)
{
    HWND second = nullptr;
    WaitFor([&] {
        second = FindProcessWindow(target.ProcessId(), options.window_class.c_str(),
                                   (options.title + L" (second)").c_str());
        return second != nullptr;
    }, 10000);
    return second;
}
}  // namespace

TEST_CASE("listed_windows_and_left_alt_send_a_window_to_the_tray_and_its_icon_brings_it_back")
{
    const std::string exe = Utf8(JoinPath(BinDir(), L"target_window_gui.exe"));
    const std::wstring title200 = L"Tray " + std::wstring(195, L't');
    struct Row {
        const char* what;
        std::string list;
        const wchar_t* window_class;
        bool left_alt;
        bool to_tray;
    } rows[] = {
        {"path and class", exe + ", QvTrayListed", L"QvTrayListed", false, true},
        {"same path, another class", exe + ", QvTrayListed", L"QvTrayOther", false, false},
        {"a path-only last entry", "C:\\None\\other.exe, QvTrayOther; " + exe, L"QvTrayOther", false, true},
        {"Left Alt with an empty list", "", L"QvTrayOther", true, true},
    };
    for (const Row& row : rows) {
        MESSAGE(check::Format("row: %s", row.what));
        TrayShell shell;
        REQUIRE(shell.Start());
        const std::string settings = TraySettings(row.list);
        Program program(L"traywindows", WithSettings(settings.c_str()));
        TargetWindow target;
        TargetOptions options;
        options.window_class = row.window_class;
        options.title = title200;
        REQUIRE(StartProgramAndTarget(program, target, options));
        HWND window = target.Window();

        if (row.left_alt) {
            CHECK(MinimiseToTrayWithAlt(shell, window));
        } else {
            Minimise(window);
            // The hook decides before the window gets its WM_SIZE, and an
            // icon is added before that decision returns.
            CHECK(WaitFor([&] {
                for (const auto& r : target.Messages(WM_SIZE, 0))
                    if (r.wParam == SIZE_MINIMIZED)
                        return true;
                return false;
            }, 10000));
            if (row.to_tray)
                CHECK(WaitFor([&] { return !IsWindowVisible(window); }, 10000));
        }
        if (!row.to_tray) {
            CHECK_EQ(shell.CountOf(window, NIM_ADD), size_t(0));
            CHECK(IsWindowVisible(window));
            CHECK(IsIconic(window));
            // Closed, not killed: a killed program's hooks stay with Wine.
            CHECK_EQ(program.Close(), 0);
            continue;
        }
        auto icons = shell.NotificationsOf(window);
        REQUIRE_EQ(icons.size(), size_t(1));
        CHECK_EQ(icons[0].message, int(NIM_ADD));
        CHECK(icons[0].uid >= kFirstIconId);
        CHECK_EQ(icons[0].flags, 7u);  // NIF_MESSAGE | NIF_ICON | NIF_TIP
        CHECK_EQ(icons[0].callback, kIconCallback);
        // The double has no icon of its own: the system's application icon.
        CHECK(icons[0].icon != "0x0");
        CHECK(icons[0].tip == title200.substr(0, 120));

        ClickIcon(shell, window);
        CHECK(WaitVisible(window));
        CHECK(shell.WaitForNotification(window, NIM_DELETE));
        icons = shell.NotificationsOf(window);
        CHECK_EQ(icons.back().uid, icons[0].uid);
        CHECK_EQ(program.Close(), 0);
    }
}

TEST_CASE("two_windows_of_one_process_keep_their_own_icons_through_a_new_taskbar_and_come_back_at_exit")
{
    // The program ends by WM_CLOSE, and by the end of the session.
    for (bool session_end : {false, true}) {
        MESSAGE(check::Format("ended by %s", session_end ? "WM_ENDSESSION" : "WM_CLOSE"));
        TrayShell shell;
        REQUIRE(shell.Start());
        const std::string settings = TraySettings("");
        Program program(L"traytwo", WithSettings(settings.c_str()));
        TargetWindow target;
        TargetOptions options;
        options.second_window = true;
        REQUIRE(StartProgramAndTarget(program, target, options));
        HWND first = target.Window();
        HWND second = SecondWindow(target, options);
        REQUIRE(second);

        REQUIRE(MinimiseToTrayWithAlt(shell, first));
        REQUIRE(MinimiseToTrayWithAlt(shell, second));
        CHECK(IconId(shell, first) != IconId(shell, second));

        // Restored by other means: the icon goes.
        ShowWindowAsync(second, SW_RESTORE);
        CHECK(WaitVisible(second));
        CHECK(shell.WaitForNotification(second, NIM_DELETE));
        REQUIRE(MinimiseToTrayWithAlt(shell, second));

        // A new taskbar: each window in the tray adds its icon again (the shell
        // sends the message to every top-level window, hidden ones too).
        SendNotifyMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
        CHECK(shell.WaitForNotification(first, NIM_ADD, 2));
        CHECK(shell.WaitForNotification(second, NIM_ADD, 3));
        CHECK(!IsWindowVisible(first));
        CHECK(!IsWindowVisible(second));

        // Each icon brings back its own window.
        ClickIcon(shell, first);
        CHECK(WaitVisible(first));
        CHECK(!IsWindowVisible(second));
        REQUIRE(MinimiseToTrayWithAlt(shell, first));

        // The program's end brings back every window and removes every icon.
        const size_t first_deleted = shell.CountOf(first, NIM_DELETE);
        const size_t second_deleted = shell.CountOf(second, NIM_DELETE);
        if (session_end) {
            DWORD_PTR result = 0;
            SendMessageTimeoutW(program.MainWindow(), WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 10000, &result);
            CHECK(WaitFor([&] { return !program.Running(); }, 10000));
        } else {
            CHECK_EQ(program.Close(), 0);
        }
        CHECK(IsWindowVisible(first));
        CHECK(IsWindowVisible(second));
        CHECK_EQ(shell.CountOf(first, NIM_DELETE), first_deleted + 1);
        CHECK_EQ(shell.CountOf(second, NIM_DELETE), second_deleted + 1);
    }
}

TEST_CASE("switching_the_feature_off_brings_windows_back_and_a_destroyed_window_leaves_no_icon")
{
    TrayShell shell;
    REQUIRE(shell.Start());
    const std::string settings = TraySettings("");
    Program program(L"trayoff", WithSettings(settings.c_str()));
    TargetWindow target;
    TargetOptions options;
    options.second_window = true;
    REQUIRE(StartProgramAndTarget(program, target, options));
    HWND first = target.Window();
    HWND second = SecondWindow(target, options);
    REQUIRE(second);
    REQUIRE(MinimiseToTrayWithAlt(shell, first));
    REQUIRE(MinimiseToTrayWithAlt(shell, second));

    PostMessageW(program.MainWindow(), WM_COMMAND, CmdNotifyIcon, 0);
    CHECK(WaitVisible(first));
    CHECK(WaitVisible(second));
    CHECK(shell.WaitForNotification(first, NIM_DELETE));
    CHECK(shell.WaitForNotification(second, NIM_DELETE));

    PostMessageW(program.MainWindow(), WM_COMMAND, CmdNotifyIcon, 0);
    CHECK(WaitFor([&] { return ReadTextFile(program.SettingsPath()).find("enable=1") != std::string::npos; },
                  5000));
    // Restored first, so that a minimise comes again.
    ShowWindowAsync(first, SW_RESTORE);
    CHECK(WaitFor([&] { return !IsIconic(first); }, 10000));
    REQUIRE(MinimiseToTrayWithAlt(shell, first));
    const size_t deleted = shell.CountOf(first, NIM_DELETE);
    target.Close();
    CHECK(shell.WaitForNotification(first, NIM_DELETE, deleted + 1));
}

TEST_CASE("a_window_whose_application_hangs_at_exit_is_shown_from_the_program_side_and_loses_its_icon")
{
    TrayShell shell;
    REQUIRE(shell.Start());
    const std::string settings = TraySettings("");
    Program program(L"trayhung", WithSettings(settings.c_str()));
    TargetWindow hung;
    REQUIRE(StartProgramAndTarget(program, hung));
    TargetWindow awake;
    TargetOptions awake_options;
    awake_options.title = L"Awake target";
    REQUIRE(awake.Start(awake_options));
    REQUIRE(awake.WaitForLibrary());
    REQUIRE(MinimiseToTrayWithAlt(shell, hung.Window()));
    REQUIRE(MinimiseToTrayWithAlt(shell, awake.Window()));

    // Long enough to outlast the whole exit of the program.
    constexpr DWORD kHangMs = 8000;
    REQUIRE(hung.Hang(kHangMs));
    const DWORD hung_from = GetTickCount();
    const size_t deleted = shell.CountOf(hung.Window(), NIM_DELETE);
    CHECK_EQ(program.Close(), 0);
    // The program ended while the application still slept: its icon was
    // removed from the program's side, not by the application.
    CHECK(GetTickCount() - hung_from < kHangMs);
    CHECK(!hung.Responsive(50));
    CHECK_EQ(shell.CountOf(hung.Window(), NIM_DELETE), deleted + 1);
    // The answering one came back by itself.
    CHECK(IsWindowVisible(awake.Window()));
    CHECK(shell.WaitForNotification(awake.Window(), NIM_DELETE));

    // Once the application wakes, its window is there again, as the user
    // left it: minimised, with its taskbar button.
    CHECK(WaitFor([&] { return hung.Responsive(200); }, kHangMs + 10000));
    CHECK(WaitVisible(hung.Window()));
    CHECK(IsIconic(hung.Window()));
}

TEST_CASE("a_new_taskbar_gets_every_icon_back_the_program_s_and_those_of_windows_of_two_processes")
{
    TrayShell shell;
    REQUIRE(shell.Start());
    const std::string settings = TraySettings("");
    Program program(L"traynewbar", WithSettings(settings.c_str()));
    TargetWindow first, second;
    REQUIRE(StartProgramAndTarget(program, first));
    TargetOptions second_options;
    second_options.title = L"Second process";
    REQUIRE(second.Start(second_options));
    REQUIRE(second.WaitForLibrary());
    HWND windows[] = {first.Window(), second.Window()};
    for (HWND window : windows)
        REQUIRE(MinimiseToTrayWithAlt(shell, window));

    // What a restarted shell does: its new taskbar knows no icon and says
    // so to every top-level window, hidden ones too.
    SendNotifyMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    CHECK(shell.WaitForNotification(program.MainWindow(), NIM_ADD, 2));
    for (HWND window : windows) {
        CHECK(shell.WaitForNotification(window, NIM_ADD, 2));
        CHECK(!IsWindowVisible(window));
    }
    // Each icon still brings back its own window, and the program's icon
    // still opens the menu.
    for (HWND window : windows) {
        ClickIcon(shell, window);
        CHECK(WaitVisible(window));
    }
    HWND menu = OpenTrayMenu(program);
    CHECK(menu != nullptr);
    if (menu)
        CHECK(CloseTrayMenu(program, menu));
    CHECK_EQ(program.Close(), 0);
}
