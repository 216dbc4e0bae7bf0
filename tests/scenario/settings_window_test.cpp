// The settings window of the real program, opened by its menu command:
// a switch, a number, a hotkey and a list changed through their controls
// and applied (only those keys change in settings.ini, its comments, order
// and unknown keys kept, and the library and the hotkeys follow at once);
// Cancel and Escape write nothing; a second open brings the same window
// forward; a value out of bounds and a key the hotkey text cannot name are
// refused with a message that names the key; a value that takes effect
// only at start offers a restart, and the restarted program uses it; the
// network accounts' records are edited on a page of their own.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "quornvale/shell/command_ids.h"
#include "quornvale/tools/settings_window.h"
#include "tests/framework/check.h"
#include "tests/scenario/support/harness.h"
#include "tests/scenario/support/input.h"
#include "tests/scenario/support/library_view.h"
#include "tests/scenario/support/tray_view.h"

using namespace scenario;

namespace {
constexpr char kSettings[] =
    "; Hand-written head comment.\r\n"
    "\r\n"
    "[rollupwnd]\r\n"
    "; roll-up comment\r\n"
    "enable=0\r\n"
    "animate = 0\r\n"
    "\r\n"
    "[transparent]\r\n"
    "enable=1\r\n"
    "minivalue=40\r\n"
    "mystery=keep me\r\n"
    "\r\n"
    "[snapshot]\r\n"
    "hotkey=ctrl+alt+s\r\n"
    "\r\n"
    "[notifyicon]\r\n"
    "enable=1\r\n"
    "hotkey=ctrl+alt+h\r\n"
    "list=\r\n"
    "\r\n"
    "[zzz_unknown]\r\n"
    "a=b\r\n";

constexpr char kApplied[] =
    "; Hand-written head comment.\r\n"
    "\r\n"
    "[rollupwnd]\r\n"
    "; roll-up comment\r\n"
    "enable=1\r\n"
    "animate = 0\r\n"
    "\r\n"
    "[transparent]\r\n"
    "enable=1\r\n"
    "minivalue=90\r\n"
    "mystery=keep me\r\n"
    "\r\n"
    "[snapshot]\r\n"
    "hotkey=ctrl+shift+k\r\n"
    "\r\n"
    "[notifyicon]\r\n"
    "enable=1\r\n"
    "hotkey=ctrl+alt+h\r\n"
    "list=C:\\Windows\\notepad.exe, Notepad\r\n"
    "\r\n"
    "[zzz_unknown]\r\n"
    "a=b\r\n";

HWND Control(HWND window, Setting id, SettingsRowPart part = kRowControl)
{
    return GetDlgItem(window, SettingsControlId(id, part));
}

std::wstring Text(HWND control)
{
    // Asked of the control itself: another process's edit keeps its text
    // where GetWindowText does not look.
    wchar_t text[512] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(control, WM_GETTEXT, 512, LPARAM(text), SMTO_NORMAL, 5000, &copied);
    return text;
}

// Answers once the window's thread has handled what was sent before.
void Sync(HWND window)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
}

HWND OpenSettings(const Program& program)
{
    PostMessageW(program.MainWindow(), WM_COMMAND, CmdSettingsWindow, 0);
    HWND window = nullptr;
    WaitFor([&] {
        window = FindProcessWindow(program.ProcessId(), L"#32770", L"Quornvale settings");
        return window && IsWindowVisible(window);
    }, 10000);
    if (window)
        Sync(window);
    return window;
}

void Press(HWND window, int id)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutW(GetDlgItem(window, id), BM_CLICK, 0, 0, SMTO_NORMAL, 5000, &result);
    Sync(window);
}

// The page chosen in the list, as a click on it would.
void ShowPageOf(HWND window, const wchar_t* section)
{
    HWND pages = GetDlgItem(window, kSettingsPageList);
    SendMessageW(pages, LB_SELECTSTRING, WPARAM(-1), LPARAM(section));
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(kSettingsPageList, LBN_SELCHANGE), LPARAM(pages));
    Sync(window);
}

// The window as the screen shows it, into a 24-bit BMP file.
bool SaveScreenshot(HWND window, const std::wstring& path)
{
    RECT r = {};
    GetWindowRect(window, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    if (width <= 0 || height <= 0)
        return false;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const DWORD stride = (DWORD(width) * 3 + 3) & ~3u;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info.bmiHeader);
    file.bfSize = file.bfOffBits + stride * DWORD(height);
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
    bytes.append(reinterpret_cast<const char*>(&info.bmiHeader), sizeof(info.bmiHeader));
    bytes.append(static_cast<const char*>(bits), stride * DWORD(height));
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return WriteTextFile(path, bytes);
}

// Whether some process holds the combination: then this one cannot have it.
bool HeldElsewhere(UINT modifiers, UINT vk)
{
    if (!RegisterHotKey(nullptr, 0x7000, modifiers, vk))
        return true;
    UnregisterHotKey(nullptr, 0x7000);
    return false;
}

ProgramOptions Options()
{
    ProgramOptions options = WithSettings(kSettings);
    options.language_source = JoinPath(BinDir(), L"language");
    return options;
}
}  // namespace

TEST_CASE("apply_writes_only_the_changed_keys_and_they_take_effect_at_once")
{
    DebugMonitor monitor;
    Program program(L"settingswin", Options());
    REQUIRE(program.Start());
    LibraryView library(program.LibraryPath());
    REQUIRE(library.Loaded());
    REQUIRE(WaitFor([&] { return HeldElsewhere(MOD_CONTROL | MOD_ALT, 'S'); }, 10000));
    CHECK(!HeldElsewhere(MOD_CONTROL | MOD_SHIFT, 'K'));
    CHECK_EQ(library.Block().s_b_rollupwnd, 0);

    HWND window = OpenSettings(program);
    REQUIRE(window != nullptr);
    // The effective values, and the defaults beside them.
    HWND rollup = Control(window, Setting::kRollUpEnable);
    HWND minimum = Control(window, Setting::kTransparentMinimum);
    HWND hotkey = Control(window, Setting::kSnapshotHotkey);
    HWND list = Control(window, Setting::kNotifyIconList);
    REQUIRE(rollup && minimum && hotkey && list);
    CHECK_EQ(SendMessageW(rollup, BM_GETCHECK, 0, 0), LRESULT(BST_UNCHECKED));
    CHECK_EQ(Text(minimum), std::wstring(L"40"));
    CHECK_EQ(Text(Control(window, Setting::kTransparentMinimum, kRowNote)), std::wstring(L"Default: 40"));
    CHECK_EQ(LOWORD(SendMessageW(hotkey, HKM_GETHOTKEY, 0, 0)), WORD(MAKEWORD('S', HOTKEYF_CONTROL | HOTKEYF_ALT)));
    CHECK_EQ(Text(list), std::wstring());
    // The up-down of a bounded number holds its bounds.
    const LRESULT range = SendMessageW(Control(window, Setting::kTransparentMinimum, kRowExtra), UDM_GETRANGE, 0, 0);
    CHECK_EQ(HIWORD(range), WORD(0));
    CHECK_EQ(LOWORD(range), WORD(255));
    // Pages: the first is shown, another's controls are hidden.
    CHECK(IsWindowVisible(Control(window, Setting::kLanguageFile)));
    CHECK(!IsWindowVisible(rollup));

    // It fits on an 800 x 600 screen; each page is kept as a picture beside
    // the test programs, for a person to look at.
    RECT outer = {};
    GetWindowRect(window, &outer);
    MESSAGE(check::Format("window %ld x %ld", outer.right - outer.left, outer.bottom - outer.top));
    CHECK(outer.right - outer.left <= 800 && outer.bottom - outer.top <= 600);
    const std::wstring pictures = JoinPath(BinDir(), L"test_output");
    CreateDirectoryW(pictures.c_str(), nullptr);
    SetForegroundWindow(window);
    WaitFor([&] { return GetForegroundWindow() == window; }, 3000);
    HWND pages = GetDlgItem(window, kSettingsPageList);
    const int page_count = int(SendMessageW(pages, LB_GETCOUNT, 0, 0));
    CHECK(page_count > 20);
    for (int page = 0; page < page_count; ++page) {
        SendMessageW(pages, LB_SETCURSEL, WPARAM(page), 0);
        SendMessageW(window, WM_COMMAND, MAKEWPARAM(kSettingsPageList, LBN_SELCHANGE), LPARAM(pages));
        Sync(window);
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        input::Settle(100);
        CHECK(SaveScreenshot(window, JoinPath(pictures, L"settings_window_page_" +
                                                            std::to_wstring(page + 1) + L".bmp")));
    }

    // A switch, a number, a hotkey and a list, through their controls.
    ShowPageOf(window, L"rollupwnd");
    CHECK(IsWindowVisible(rollup));
    CHECK(!IsWindowVisible(Control(window, Setting::kLanguageFile)));
    Press(window, SettingsControlId(Setting::kRollUpEnable, kRowControl));
    SetWindowTextW(minimum, L"90");
    SendMessageW(hotkey, HKM_SETHOTKEY, MAKEWORD('K', HOTKEYF_CONTROL | HOTKEYF_SHIFT), 0);
    SetWindowTextW(list, L"C:\\Windows\\notepad.exe, Notepad");
    Press(window, kSettingsApply);
    REQUIRE(monitor.WaitForText("Settings saved: 4 keys", 10000));
    CHECK_EQ(ReadTextFile(program.SettingsPath()), std::string(kApplied));
    CHECK(IsWindow(window));
    CHECK_EQ(Text(GetDlgItem(window, kSettingsStatus)), std::wstring(L"Saved."));
    // Live: the library's roll-up and alpha, the list, the hotkeys.
    CHECK(WaitFor([&] { return library.Block().s_b_rollupwnd == 1 && library.Block().s_n_minimal_alpha == 90; },
                  5000));
    CHECK_EQ(LibraryView::MappedList(L"OSTRILIX_NOFITYICON_LIST"), std::wstring(L"C:\\Windows\\notepad.exe, Notepad"));
    CHECK(HeldElsewhere(MOD_CONTROL | MOD_SHIFT, 'K'));
    CHECK(!HeldElsewhere(MOD_CONTROL | MOD_ALT, 'S'));
    // Apply again with nothing changed: nothing written.
    monitor.Clear();
    Press(window, kSettingsApply);
    CHECK(!monitor.WaitForText("Settings saved", 1000));

    // Cancel writes nothing and leaves the library as it is.
    Press(window, SettingsControlId(Setting::kRollUpEnable, kRowControl));
    SetWindowTextW(minimum, L"100");
    Press(window, IDCANCEL);
    CHECK(WaitFor([&] { return !IsWindow(window); }, 5000));
    CHECK_EQ(ReadTextFile(program.SettingsPath()), std::string(kApplied));
    CHECK_EQ(library.Block().s_b_rollupwnd, 1);
    CHECK_EQ(library.Block().s_n_minimal_alpha, 90);

    // Opened again: the values as the file has them now.
    window = OpenSettings(program);
    REQUIRE(window != nullptr);
    CHECK_EQ(SendMessageW(Control(window, Setting::kRollUpEnable), BM_GETCHECK, 0, 0), LRESULT(BST_CHECKED));
    CHECK_EQ(Text(Control(window, Setting::kTransparentMinimum)), std::wstring(L"90"));
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("one_window_refused_values_and_the_keyboard")
{
    DebugMonitor monitor;
    Program program(L"settingsbad", Options());
    REQUIRE(program.Start());
    HWND window = OpenSettings(program);
    REQUIRE(window != nullptr);

    // A second open brings the same window to the front.
    ShowWindow(window, SW_MINIMIZE);
    REQUIRE(WaitFor([&] { return IsIconic(window) != FALSE; }, 5000));
    PostMessageW(program.MainWindow(), WM_COMMAND, CmdSettingsWindow, 0);
    CHECK(WaitFor([&] { return !IsIconic(window) && GetForegroundWindow() == window; }, 5000));
    CHECK_EQ(FindProcessWindow(program.ProcessId(), L"#32770", L"Quornvale settings"), window);

    // A number beyond its bounds: refused, named, nothing written.
    HWND minimum = Control(window, Setting::kTransparentMinimum);
    SetWindowTextW(minimum, L"300");
    Press(window, kSettingsApply);
    const std::wstring message = Text(GetDlgItem(window, kSettingsStatus));
    CHECK(message.find(L"[transparent] minivalue") != std::wstring::npos);
    CHECK(message.find(L"0 to 255") != std::wstring::npos);
    CHECK(IsWindowVisible(minimum));  // its page is shown
    SetWindowTextW(minimum, L"4x");
    Press(window, IDOK);
    CHECK(IsWindow(window));  // OK with a refused value keeps the window
    CHECK(Text(GetDlgItem(window, kSettingsStatus)).find(L"whole number") != std::wstring::npos);
    SetWindowTextW(minimum, L"40");

    // A key the hotkey text cannot name: refused, not stored as something else.
    HWND hotkey = Control(window, Setting::kSnapshotHotkey);
    SendMessageW(hotkey, HKM_SETHOTKEY, MAKEWORD(VK_F5, HOTKEYF_CONTROL), 0);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(SettingsControlId(Setting::kSnapshotHotkey, kRowControl), EN_CHANGE),
                 LPARAM(hotkey));
    CHECK(Text(Control(window, Setting::kSnapshotHotkey, kRowNote)).find(L"Not storable") == 0);
    Press(window, kSettingsApply);
    CHECK(Text(GetDlgItem(window, kSettingsStatus)).find(L"[snapshot] hotkey: this key cannot be stored") == 0);
    // Another of ours with the same keys is named beside the control at once.
    SendMessageW(hotkey, HKM_SETHOTKEY, MAKEWORD('H', HOTKEYF_CONTROL | HOTKEYF_ALT), 0);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(SettingsControlId(Setting::kSnapshotHotkey, kRowControl), EN_CHANGE),
                 LPARAM(hotkey));
    CHECK_EQ(Text(Control(window, Setting::kSnapshotHotkey, kRowNote)), std::wstring(L"Used by [notifyicon] hotkey"));
    CHECK_EQ(ReadTextFile(program.SettingsPath()), std::string(kSettings));

    // Escape is Cancel: the window goes, nothing is written.
    SetForegroundWindow(window);
    REQUIRE(WaitFor([&] { return GetForegroundWindow() == window; }, 5000));
    input::Tap(VK_ESCAPE);
    CHECK(WaitFor([&] { return !IsWindow(window); }, 5000));
    CHECK_EQ(ReadTextFile(program.SettingsPath()), std::string(kSettings));
    CHECK(!monitor.Contains("Settings saved"));
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("a_hand_edit_of_the_file_takes_effect_within_two_seconds")
{
    DebugMonitor monitor;
    Program program(L"settingsedit", Options());
    REQUIRE(program.Start());
    LibraryView library(program.LibraryPath());
    REQUIRE(library.Loaded());
    REQUIRE(monitor.WaitForText("for hand edits", 10000));
    REQUIRE(WaitFor([&] { return library.Block().s_n_minimal_alpha == 40; }, 5000));
    CHECK_EQ(library.Block().s_b_rollupwnd, 0);

    // As an editor saves it: roll-up on, a broken alpha (wrapped as at start:
    // 300 is 44), the snapshot hotkey moved.
    std::string edited = kSettings;
    edited.replace(edited.find("enable=0"), 8, "enable=1");
    edited.replace(edited.find("minivalue=40"), 12, "minivalue=300");
    edited.replace(edited.find("hotkey=ctrl+alt+s"), 17, "hotkey=ctrl+shift+j");
    REQUIRE(WriteTextFile(program.SettingsPath(), edited));
    const DWORD written = GetTickCount();
    CHECK(WaitFor([&] { return library.Block().s_b_rollupwnd == 1 && library.Block().s_n_minimal_alpha == 44; },
                  2000));
    MESSAGE(check::Format("taken in %lu ms", GetTickCount() - written));
    CHECK(monitor.WaitForText("Settings file changed: 3 keys", 2000));
    CHECK(WaitFor([&] { return HeldElsewhere(MOD_CONTROL | MOD_SHIFT, 'J'); }, 2000));
    CHECK(!HeldElsewhere(MOD_CONTROL | MOD_ALT, 'S'));
    // The file is left as the user wrote it.
    CHECK_EQ(ReadTextFile(program.SettingsPath()), edited);
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("a_value_read_only_at_start_offers_a_restart_and_the_new_instance_uses_it")
{
    DebugMonitor monitor;
    REQUIRE(monitor.Active());
    TrayShell shell;
    REQUIRE(shell.Start());
    const std::string before = std::string("[language]\r\nfilepath=language\\English.ini\r\n\r\n") + kSettings;
    std::string after = before;
    after.replace(after.find("English.ini"), 11, "Beta.ini");
    ProgramOptions options = Options();
    options.settings = before.c_str();
    options.files = {{L"language\\Beta.ini", TestLanguage("Beta")}};
    Program program(L"settingsrestart", options);
    REQUIRE(program.Start());
    const HWND old_window = program.MainWindow();
    const DWORD old_process = program.ProcessId();
    REQUIRE(shell.WaitForNotification(old_window, NIM_ADD));

    HWND window = OpenSettings(program);
    REQUIRE(window != nullptr);
    HWND restart = GetDlgItem(window, kSettingsRestart);
    REQUIRE(restart != nullptr);
    // Marked beside its control; no offer before such a value is saved.
    CHECK(Text(Control(window, Setting::kLanguageFile, kRowNote)).find(L"(at next start)") != std::wstring::npos);
    CHECK(!IsWindowVisible(restart));
    // A value that takes effect at once brings no offer.
    ShowPageOf(window, L"transparent");
    SetWindowTextW(Control(window, Setting::kTransparentMinimum), L"41");
    Press(window, kSettingsApply);
    CHECK_EQ(Text(GetDlgItem(window, kSettingsStatus)), std::wstring(L"Saved."));
    CHECK(!IsWindowVisible(restart));

    ShowPageOf(window, L"language");
    SetWindowTextW(Control(window, Setting::kLanguageFile), L"language\\Beta.ini");
    // OK saves it and keeps the window open with the offer.
    Press(window, IDOK);
    REQUIRE(IsWindow(window));
    after.replace(after.find("minivalue=40"), 12, "minivalue=41");
    CHECK_EQ(ReadTextFile(program.SettingsPath()), after);
    CHECK_EQ(Text(GetDlgItem(window, kSettingsStatus)),
             std::wstring(L"Saved. Marked values take effect at the next start."));
    CHECK(IsWindowVisible(restart));
    CHECK_EQ(Text(restart), std::wstring(L"&Restart now"));
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    input::Settle(100);
    const std::wstring pictures = JoinPath(BinDir(), L"test_output");
    CreateDirectoryW(pictures.c_str(), nullptr);
    CHECK(SaveScreenshot(window, JoinPath(pictures, L"settings_window_restart_offer.bmp")));

    // Restart now: this instance ends as at Exit, a new one takes its place.
    monitor.Clear();
    Press(window, kSettingsRestart);
    const int exit_code = program.FollowRestart(30000);
    CHECK_EQ(exit_code, 0);
    REQUIRE(program.Running());
    CHECK_NE(program.ProcessId(), old_process);
    CHECK_NE(program.MainWindow(), old_window);
    CHECK(monitor.WaitForText("Restart: started process " + std::to_string(program.ProcessId()), 5000));
    CHECK(monitor.WaitForText("Restart: process " + std::to_string(old_process), 5000));
    // The old icon went with the exit work before the new one came.
    REQUIRE(shell.WaitForNotification(program.MainWindow(), NIM_ADD));
    CHECK_EQ(shell.CountOf(old_window, NIM_DELETE), size_t(1));
    const std::vector<TrayNotification> all = shell.Notifications();
    size_t deleted_at = all.size(), added_at = all.size();
    for (size_t i = 0; i < all.size(); ++i) {
        if (all[i].window == (unsigned long)(ULONG_PTR)old_window && all[i].message == NIM_DELETE)
            deleted_at = i;
        if (all[i].window == (unsigned long)(ULONG_PTR)program.MainWindow() && all[i].message == NIM_ADD &&
            added_at == all.size())
            added_at = i;
    }
    CHECK(deleted_at < added_at);
    CHECK(added_at < all.size());
    // The new instance speaks the language chosen; the file is as saved.
    MenuView menu;
    REQUIRE(ReadTrayMenu(program, &menu));
    const MenuItemView* settings_entry = menu.Command(CmdSettingsWindow);
    REQUIRE(settings_entry != nullptr);
    CHECK_EQ(settings_entry->Label(), std::wstring(L"Beta 133"));
    CHECK_EQ(ReadTextFile(program.SettingsPath()), after);
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("the_accounts_page_writes_the_records_changed_and_the_menu_lists_them")
{
    DebugMonitor monitor;
    REQUIRE(monitor.Active());
    TrayShell shell;
    REQUIRE(shell.Start());
    const std::string before =
        "; Accounts written by hand.\r\n"
        "[netaccounts]\r\n"
        "count=2\r\n"
        "atstart=0\r\n"
        "\r\n"
        "[0]\r\n"
        "; the first share\r\n"
        "remote=host-a\r\n"
        "user=alice\r\n"
        "psw=old\r\n"
        "state=0\r\n"
        "\r\n"
        "[1]\r\n"
        "remote=host-b\r\n"
        "state=0\r\n";
    // What each changed field is given, and how the file then holds it: a
    // value with blanks at its ends or quotes around it is quoted once more,
    // so that it reads back as typed; a record's missing key and a missing
    // record are added.
    struct Field {
        int index, column;
        const wchar_t* typed;
        const char* line;  // the key's line after Apply
    };
    const std::wstring longest(127, L'x');  // the longest password there is room for
    const Field fields[] = {
        {1, 0, L"host-c", "remote=host-c"},
        {0, 2, L"\"quoted\"", "psw=\"\"quoted\"\""},
        {1, 1, L" bob ", "user=\" bob \""},
        {1, 2, longest.c_str(), "psw=xx...x"},
        {2, 0, L"host-new", "remote=host-new"},
    };
    const std::string after =
        "; Accounts written by hand.\r\n"
        "[netaccounts]\r\n"
        "count=2\r\n"
        "atstart=0\r\n"
        "\r\n"
        "[0]\r\n"
        "; the first share\r\n"
        "remote=host-a\r\n"
        "user=alice\r\n"
        "psw=\"\"quoted\"\"\r\n"
        "state=0\r\n"
        "\r\n"
        "[1]\r\n"
        "remote=host-c\r\n"
        "state=0\r\n"
        "user=\" bob \"\r\n"
        "psw=" + std::string(127, 'x') + "\r\n"
        "\r\n"
        "[2]\r\n"
        "remote=host-new\r\n";
    ProgramOptions options = Options();
    options.settings = before.c_str();
    Program program(L"settingsaccounts", options);
    REQUIRE(program.Start());
    HWND window = OpenSettings(program);
    REQUIRE(window != nullptr);
    // The page lists every record with the file's values; the password is
    // hidden.
    HWND pages = GetDlgItem(window, kSettingsPageList);
    const int last = int(SendMessageW(pages, LB_GETCOUNT, 0, 0)) - 1;
    SendMessageW(pages, LB_SETCURSEL, WPARAM(last), 0);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(kSettingsPageList, LBN_SELCHANGE), LPARAM(pages));
    Sync(window);
    for (int index = 0; index < 10; ++index)
        for (int column = 0; column < 3; ++column)
            REQUIRE(IsWindowVisible(GetDlgItem(window, SettingsAccountControlId(index, column))));
    CHECK(!IsWindowVisible(Control(window, Setting::kLanguageFile)));
    CHECK_EQ(Text(GetDlgItem(window, SettingsAccountControlId(0, 0))), std::wstring(L"host-a"));
    CHECK_EQ(Text(GetDlgItem(window, SettingsAccountControlId(1, 0))), std::wstring(L"host-b"));
    CHECK_EQ(Text(GetDlgItem(window, SettingsAccountControlId(9, 0))), std::wstring());
    HWND password = GetDlgItem(window, SettingsAccountControlId(0, 2));
    CHECK((GetWindowLongW(password, GWL_STYLE) & ES_PASSWORD) != 0);

    // A password longer than its buffer: refused, named, nothing written.
    SetWindowTextW(password, std::wstring(128, L'p').c_str());
    Press(window, kSettingsApply);
    CHECK_EQ(Text(GetDlgItem(window, kSettingsStatus)), std::wstring(L"[0] psw: too long."));
    CHECK_EQ(ReadTextFile(program.SettingsPath()), before);
    CHECK(!monitor.Contains("Settings saved"));
    SetWindowTextW(password, L"old");

    for (const Field& field : fields)
        SetWindowTextW(GetDlgItem(window, SettingsAccountControlId(field.index, field.column)), field.typed);
    monitor.Clear();
    Press(window, kSettingsApply);
    REQUIRE(monitor.WaitForText("Settings saved: 5 keys", 10000));
    CHECK_EQ(ReadTextFile(program.SettingsPath()), after);
    const wchar_t* const keys[] = {L"remote", L"user", L"psw"};
    for (const Field& field : fields) {
        // Read back by the profile functions as typed.
        wchar_t read[300] = {};
        GetPrivateProfileStringW(std::to_wstring(field.index).c_str(), keys[field.column], L"", read, 300,
                                 program.SettingsPath().c_str());
        if (!CHECK_EQ(std::wstring(read), std::wstring(field.typed)))
            MESSAGE(check::Format("%s", field.line));
    }
    // The connection submenu lists the changed record.
    MenuView menu;
    REQUIRE(ReadTrayMenu(program, &menu));
    std::vector<MenuItemView> accounts = menu.Submenu(0);
    REQUIRE_EQ(accounts.size(), size_t(5));
    CHECK_EQ(accounts[3].text, std::wstring(L"host-a"));
    CHECK_EQ(accounts[4].text, std::wstring(L"host-c"));

    // Cancel writes nothing.
    window = OpenSettings(program);
    REQUIRE(window != nullptr);
    CHECK_EQ(Text(GetDlgItem(window, SettingsAccountControlId(1, 1))), std::wstring(L" bob "));
    SetWindowTextW(GetDlgItem(window, SettingsAccountControlId(1, 0)), L"host-d");
    Press(window, IDCANCEL);
    CHECK(WaitFor([&] { return !IsWindow(window); }, 5000));
    CHECK_EQ(ReadTextFile(program.SettingsPath()), after);
    CHECK_EQ(program.Close(), 0);
}
