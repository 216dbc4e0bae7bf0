// The fourteen hotkeys through real X key presses: each registered from its
// text, each reaching its action (monitor off a second later, hibernate,
// snapshot, minimising the window under the cursor, the sizing keys on a
// target application with the size label over it); the failure balloon for
// combinations held elsewhere or naming no key; hibernate's balloons and the
// lock through the power double; the Windows-key release on a session lock.
#include <windows.h>

#include <atomic>
#include <string>

#include "quornvale/shell/command_ids.h"
#include "tests/framework/check.h"
#include "tests/scenario/support/harness.h"
#include "tests/scenario/support/input.h"
#include "tests/scenario/support/responsiveness.h"
#include "tests/scenario/support/target.h"
#include "tests/scenario/support/tray_view.h"

using namespace scenario;

namespace {
struct HotkeyRow {
    int id;
    const char* section;
    const char* key;
    const char* text;     // as settings.ini has it
    const wchar_t* x_keys;  // the same combination for xdotool
    UINT modifiers;
    UINT vk;
};
const HotkeyRow kHotkeys[] = {
    {1, "turnoffmonitor", "hotkey", "ctrl+alt+m", L"ctrl+alt+m", MOD_CONTROL | MOD_ALT, 'M'},
    {2, "hibernate", "hotkey", "ctrl+alt+h", L"ctrl+alt+h", MOD_CONTROL | MOD_ALT, 'H'},
    {3, "snapshot", "hotkey", "Ctrl+Alt+P", L"ctrl+alt+p", MOD_CONTROL | MOD_ALT, 'P'},
    {4, "notifyicon", "hotkey", "ctrl+alt+n", L"ctrl+alt+n", MOD_CONTROL | MOD_ALT, 'N'},
    {5, "sizewindow", "enlarge", "ctrl+shift+e", L"ctrl+shift+e", MOD_CONTROL | MOD_SHIFT, 'E'},
    {6, "sizewindow", "shrink", "ctrl-shift-s", L"ctrl+shift+s", MOD_CONTROL | MOD_SHIFT, 'S'},
    {7, "sizewindow", "extend_width", "ctrl+alt+right", L"ctrl+alt+Right", MOD_CONTROL | MOD_ALT, VK_RIGHT},
    {8, "sizewindow", "reduce_width", "ctrl+alt+left", L"ctrl+alt+Left", MOD_CONTROL | MOD_ALT, VK_LEFT},
    {9, "sizewindow", "extend_height", "ctrl+alt+down", L"ctrl+alt+Down", MOD_CONTROL | MOD_ALT, VK_DOWN},
    {10, "sizewindow", "reduce_height", "ctrl+alt+up", L"ctrl+alt+Up", MOD_CONTROL | MOD_ALT, VK_UP},
    {11, "sizewindow", "move_left", "alt+shift+left", L"alt+shift+Left", MOD_ALT | MOD_SHIFT, VK_LEFT},
    {12, "sizewindow", "move_right", "alt+shift+right", L"alt+shift+Right", MOD_ALT | MOD_SHIFT, VK_RIGHT},
    {13, "sizewindow", "move_up", "alt shift up", L"alt+shift+Up", MOD_ALT | MOD_SHIFT, VK_UP},
    {14, "sizewindow", "move_down", "alt+shift+down", L"alt+shift+Down", MOD_ALT | MOD_SHIFT, VK_DOWN},
};

const HotkeyRow& Row(int id) { return kHotkeys[id - 1]; }

std::string AllHotkeySettings()
{
    // One section each: a repeated section is not read again.
    std::string ini = "[language]\r\nfilepath=language\\English.ini\r\n";
    std::string section;
    for (const HotkeyRow& row : kHotkeys) {
        if (section != row.section) {
            section = row.section;
            ini += "[" + section + "]\r\n";
            if (section == "sizewindow")
                ini += "enable=1\r\nsizearray=800x600;1024x768;1280x1024;\r\n";
            if (section == "notifyicon")
                ini += "enable=1\r\n";
        }
        ini += std::string(row.key) + "=" + row.text + "\r\n";
    }
    return ini;
}

// Whether some process holds the combination: then this one cannot have it.
bool HeldElsewhere(UINT modifiers, UINT vk)
{
    if (!RegisterHotKey(nullptr, 0x7000, modifiers, vk))
        return true;
    UnregisterHotKey(nullptr, 0x7000);
    return false;
}

// A combination pressed as real X keys (xdotool gives no waitable handle:
// the caller waits for what the key does).
bool PressX(const wchar_t* keys)
{
    std::wstring line = std::wstring(L"xdotool key ") + keys;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(L"Z:\\usr\\bin\\xdotool", line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        return false;
    if (info.hProcess)
        CloseHandle(info.hProcess);
    if (info.hThread)
        CloseHandle(info.hThread);
    return true;
}

std::string PressedTrace(int id) { return "Hotkey " + std::to_string(id) + " pressed"; }

// Presses the hotkey and waits until the program has taken it.
bool PressHotkey(DebugMonitor& monitor, int id)
{
    const size_t before = monitor.Count(PressedTrace(id));
    return PressX(Row(id).x_keys) && WaitFor([&] { return monitor.Count(PressedTrace(id)) > before; }, 10000);
}

std::string PowerDoubleBytes() { return ReadTextFile(JoinPath(BinDir(), L"power_double_hook.dll")); }

// The program's environment selects the power double while this lives.
class PowerDouble {
public:
    PowerDouble() { SetEnvironmentVariableW(L"QUORNVALE_TEST_POWER_DOUBLE", L"1"); }
    ~PowerDouble() { SetEnvironmentVariableW(L"QUORNVALE_TEST_POWER_DOUBLE", nullptr); }
    static bool SetMode(const Program& program, const char* mode)
    {
        return WriteTextFile(JoinPath(program.Dir(), L"power_mode.txt"), mode);
    }
};

ProgramOptions WithPowerDouble(const std::string& settings)
{
    static std::string kept;
    kept = settings;
    ProgramOptions options = WithSettings(kept.c_str());
    options.language_source = JoinPath(BinDir(), L"language");
    options.files.push_back({L"power_double_hook.dll", PowerDoubleBytes()});
    return options;
}

bool RectIs(HWND wnd, const RECT& expected)
{
    RECT r = WindowRect(wnd);
    return EqualRect(&r, &expected) != FALSE;
}

std::wstring LabelText(HWND main_window)
{
    wchar_t text[64] = {};
    GetWindowTextW(main_window, text, 64);
    return text;
}

std::wstring SizeText(const RECT& r)
{
    wchar_t text[64];
    _snwprintf(text, 63, L"%ld x %ld (%ld, %ld)", r.right - r.left, r.bottom - r.top, r.left, r.top);
    text[63] = L'\0';
    return text;
}

// The label shows the rectangle's text, centred on it.
bool LabelShows(HWND main_window, const RECT& r)
{
    if (!IsWindowVisible(main_window))
        return false;
    const std::wstring shown = LabelText(main_window);
    const std::wstring wanted = SizeText(r);
    if (shown.compare(wanted) != 0)
        return false;
    const RECT label = WindowRect(main_window);
    const LONG dx = (label.left + label.right) / 2 - (r.left + r.right) / 2;
    const LONG dy = (label.top + label.bottom) / 2 - (r.top + r.bottom) / 2;
    return RectWidth(label) > 0 && dx >= -1 && dx <= 1 && dy >= -1 && dy <= 1;
}

// A low-level keyboard hook of the test's own that records the left
// Windows key's releases.
// A key no keyboard has and no application acts on.
constexpr UINT kProbeKey = VK_F24;

class WinKeyReleases {
public:
    WinKeyReleases()
        : thread_([this] {
              thread_id_ = GetCurrentThreadId();
              HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, Proc, GetModuleHandleW(nullptr), 0);
              installed_ = hook != nullptr;
              MSG msg;
              while (GetMessageW(&msg, nullptr, 0, 0) > 0)
                  DispatchMessageW(&msg);
              if (hook)
                  UnhookWindowsHookEx(hook);
          })
    {
        WaitFor([this] { return installed_.load(); }, 5000);
    }
    ~WinKeyReleases()
    {
        PostThreadMessageW(thread_id_, WM_QUIT, 0, 0);
        thread_.join();
    }
    bool Installed() const { return installed_; }
    unsigned Count() const { return releases_; }
    // A key release of the test's own, behind all input injected before it:
    // true once the hook has seen it, so every release before it is counted.
    bool Probe()
    {
        const unsigned before = probes_;
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = kProbeKey;
        input.ki.dwFlags = KEYEVENTF_KEYUP;
        return SendInput(1, &input, sizeof(input)) == 1 && WaitFor([&] { return probes_ > before; }, 5000);
    }

private:
    static LRESULT CALLBACK Proc(int code, WPARAM wParam, LPARAM lParam)
    {
        const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        if (code == HC_ACTION && key->vkCode == VK_LWIN && (wParam == WM_KEYUP || wParam == WM_SYSKEYUP) &&
            (key->flags & LLKHF_EXTENDED))
            ++releases_;
        if (code == HC_ACTION && key->vkCode == kProbeKey && (wParam == WM_KEYUP || wParam == WM_SYSKEYUP))
            ++probes_;
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static inline std::atomic<unsigned> releases_{0};
    static inline std::atomic<unsigned> probes_{0};
    std::atomic<bool> installed_{false};
    std::atomic<DWORD> thread_id_{0};
    TestThread thread_;
};
}  // namespace

TEST_CASE("every_hotkey_is_registered_from_its_text_and_does_its_action")
{
    DebugMonitor monitor;
    REQUIRE(monitor.Active());
    TrayShell shell;
    REQUIRE(shell.Start());
    PowerDouble power;
    Program program(L"hotkeys", WithPowerDouble(AllHotkeySettings()));
    REQUIRE(program.Start());
    REQUIRE(PowerDouble::SetMode(program, "nos4"));
    HWND main_window = program.MainWindow();

    // Every combination is now the program's: nobody else can have it.
    for (const HotkeyRow& row : kHotkeys)
        CHECK(HeldElsewhere(row.modifiers, row.vk));
    REQUIRE(shell.WaitForCount(1, 5000));

    TargetWindow target;
    TargetOptions options;
    options.rect = {100, 50, 1000, 750};  // 900 x 700
    REQUIRE(target.Start(options));
    HWND wnd = target.Window();
    REQUIRE(WaitFor([&] { return GetForegroundWindow() == wnd; }, 5000));

    // Enlarge and shrink with the list as settings.ini has it at the press.
    struct SizingRow {
        const char* list;
        SIZE from;
        int id;
        SIZE to;
    };
    const SizingRow sizing[] = {
        {"800x600;1024x768;1280x1024;", {900, 700}, 5, {1024, 768}},
        {"800x600;1024x768;1280x1024;", {1024, 768}, 5, {1280, 1024}},
        {"800x600;1024x768;1280x1024;", {1024, 768}, 6, {800, 600}},
        {"800x600;1024x768;1280x1024;", {900, 700}, 6, {800, 600}},
        {"1024x700;1024x900;", {1024, 768}, 5, {1024, 900}},
        {"1024x700;1024x900;", {1024, 768}, 6, {1024, 700}},
        {"800x600;1024x768;640x480;", {1024, 768}, 6, {640, 480}},
        {"", {500, 400}, 5, {500, 400}},
        {"800x600;1024x768;1280x1024;", {1280, 1024}, 5, {1280, 1024}},
    };
    for (const SizingRow& row : sizing) {
        std::wstring list(row.list, row.list + strlen(row.list));
        WritePrivateProfileStringW(L"sizewindow", L"sizearray", list.c_str(), program.SettingsPath().c_str());
        SetWindowPos(wnd, nullptr, 100, 50, row.from.cx, row.from.cy, SWP_NOZORDER | SWP_NOACTIVATE);
        CHECK(RectIs(wnd, {100, 50, 100 + row.from.cx, 50 + row.from.cy}));
        const RECT expected = {100, 50, 100 + row.to.cx, 50 + row.to.cy};
        CHECK(PressHotkey(monitor, row.id));
        if (!CHECK(WaitFor([&] { return RectIs(wnd, expected) && LabelShows(main_window, expected); }, 5000)))
            MESSAGE(check::Format("list \"%s\", key %d: got %ls, label \"%ls\"", row.list, row.id,
                        SizeText(WindowRect(wnd)).c_str(), LabelText(main_window).c_str()));
    }

    // Every nudge code, each from where the last one left the window.
    struct NudgeRow {
        int id;
        int dl, dt, dr, db;
    };
    const NudgeRow nudges[] = {
        {7, 0, 0, 10, 0},  {8, 0, 0, -10, 0},  {9, 0, 0, 0, 10},    {10, 0, 0, 0, -10},
        {11, -10, 0, -10, 0}, {12, 10, 0, 10, 0}, {13, 0, -10, 0, -10}, {14, 0, 10, 0, 10},
    };
    for (const NudgeRow& row : nudges) {
        RECT r = WindowRect(wnd);
        const RECT expected = {r.left + row.dl, r.top + row.dt, r.right + row.dr, r.bottom + row.db};
        CHECK(PressHotkey(monitor, row.id));
        if (!CHECK(WaitFor([&] { return RectIs(wnd, expected) && LabelShows(main_window, expected); }, 5000)))
            MESSAGE(check::Format("nudge key %d: got %ls", row.id, SizeText(WindowRect(wnd)).c_str()));
    }

    // The label stays until a second after the last sizing key: a second key
    // within the second starts the second again.
    REQUIRE(WaitFor([&] { return !IsWindowVisible(main_window); }, 5000));
    const RECT before = WindowRect(wnd);
    CHECK(PressHotkey(monitor, 7));
    RECT wider = before;
    wider.right += 10;
    CHECK(WaitFor([&] { return LabelShows(main_window, wider); }, 5000));
    PumpFor(500);
    CHECK(PressHotkey(monitor, 7));
    wider.right += 10;
    CHECK(WaitFor([&] { return LabelShows(main_window, wider); }, 5000));
    const DWORD shown = GetTickCount();
    CHECK(WaitFor([&] { return !IsWindowVisible(main_window); }, 5000));
    const DWORD up = GetTickCount() - shown;
    MESSAGE(check::Format("the label went %lu ms after the last sizing key was seen", up));
    CHECK(up >= 700);
    CHECK(up < 2500);

    // Id 4 minimises the window under the cursor, not the foreground one.
    TargetWindow other;
    TargetOptions other_options;
    other_options.title = L"Under the cursor";
    other_options.rect = {700, 600, 1000, 900};
    other_options.activate = false;
    REQUIRE(other.Start(other_options));
    input::PlaceCursor(WindowCentre(other.Window()));
    CHECK(PressHotkey(monitor, 4));
    CHECK(WaitFor([&] { return IsIconic(other.Window()) != FALSE; }, 5000));
    CHECK(!IsIconic(wnd));

    // Id 3 opens the snapshot overlay (its own feature); id 2 hibernates,
    // which this machine of the double cannot.
    CHECK(PressHotkey(monitor, 3));
    // The trace follows the work: the veil is up over the whole screen.
    const RECT screen = {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                         GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                         GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    CHECK(IsWindowVisible(main_window) && RectIs(main_window, screen));
    CHECK(PressHotkey(monitor, 2));
    // Other notifications may come first (the overlay of id 3 is up): the
    // balloon is looked for among all of them.
    CHECK(WaitFor([&] {
        for (const TrayNotification& n : shell.Notifications())
            if (n.info == L"This computer does not support hibernation.")
                return true;
        return false;
    }, 5000));

    // Id 1: the monitor goes off a second after the key, and the main
    // thread answers all the while.
    {
        ResponseWatch watch(main_window);
        CHECK(PressHotkey(monitor, 1));
        const DWORD pressed = GetTickCount();
        CHECK(monitor.WaitForText("Turning the monitor off", 5000));
        const DWORD later = GetTickCount() - pressed;
        MESSAGE(check::Format("monitor off %lu ms after the key was seen; the main thread answered within %lu ms", later,
                    watch.LongestMs()));
        CHECK(later >= 700);
        CHECK(watch.LongestMs() < 500);
        CHECK_EQ(watch.Unanswered(), 0u);
    }

    CHECK_EQ(program.Close(), 0);
    // Given back at exit.
    for (const HotkeyRow& row : kHotkeys)
        CHECK(!HeldElsewhere(row.modifiers, row.vk));
}

TEST_CASE("hotkeys_that_cannot_be_registered_are_named_in_one_balloon_and_the_others_work")
{
    // Another process holds two of the combinations.
    REQUIRE(RegisterHotKey(nullptr, 1, MOD_CONTROL | MOD_ALT, 'M'));
    REQUIRE(RegisterHotKey(nullptr, 2, MOD_CONTROL | MOD_SHIFT, 'E'));
    REQUIRE(RegisterHotKey(nullptr, 3, MOD_CONTROL | MOD_ALT, 'N'));
    TrayShell shell;
    REQUIRE(shell.Start());
    const char* settings =
        "[language]\r\nfilepath=language\\English.ini\r\n"
        "[turnoffmonitor]\r\nhotkey=ctrl+alt+m\r\n"   // held
        "[hibernate]\r\nhotkey=ctrl+alt\r\n"          // ends with a modifier
        "[snapshot]\r\nhotkey=ab\r\n"                 // too short: no hotkey, no notice
        "[sizewindow]\r\nenable=1\r\nenlarge=ctrl+shift+e\r\nshrink=ctrl+shift+s\r\n"  // the first held
        "[notifyicon]\r\nenable=0\r\nhotkey=ctrl+alt+n\r\n";  // held; registered by the menu later
    ProgramOptions options = WithSettings(settings);
    options.language_source = JoinPath(BinDir(), L"language");
    Program program(L"hotkeyfail", options);
    REQUIRE(program.Start());
    REQUIRE(shell.WaitForCount(2, 5000));
    // The icon added again for "TaskbarCreated", asked once start-up is
    // over, comes after every notice of the start-up.
    DWORD_PTR answer = 0;
    REQUIRE(SendMessageTimeoutW(program.MainWindow(), WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer));
    PostMessageW(program.MainWindow(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    REQUIRE(shell.WaitForNotification(program.MainWindow(), NIM_ADD, 2));
    auto list = shell.Notifications();
    REQUIRE_EQ(list.size(), size_t(4));  // the icon, one balloon, then the icon again
    CHECK_EQ(list[2].message, int(NIM_DELETE));
    CHECK_EQ(list[3].message, int(NIM_ADD));
    CHECK_EQ(list[1].message, int(NIM_MODIFY));
    CHECK_EQ(list[1].info_flags, unsigned(NIIF_ERROR));
    CHECK_EQ(list[1].title, std::wstring(L"Hotkey not registered"));
    CHECK_EQ(list[1].info, std::wstring(L"The hotkey ctrl+alt+m, ctrl+alt, ctrl+shift+e could not be registered. "
                                        L"Another program may be using it; choose another one in settings.ini."));
    // The one that was free is the program's.
    CHECK(HeldElsewhere(MOD_CONTROL | MOD_SHIFT, 'S'));

    // Switching minimise-to-tray on registers id 4, which is held: a
    // balloon of its own.
    PostMessageW(program.MainWindow(), WM_COMMAND, CmdNotifyIcon, 0);
    REQUIRE(shell.WaitForCount(5, 5000));
    CHECK(shell.Notifications()[4].info.find(L"The hotkey ctrl+alt+n could") == 0);

    // Once the holder lets go, the next switch on gets it.
    UnregisterHotKey(nullptr, 3);
    PostMessageW(program.MainWindow(), WM_COMMAND, CmdNotifyIcon, 0);  // off
    PostMessageW(program.MainWindow(), WM_COMMAND, CmdNotifyIcon, 0);  // on
    CHECK(WaitFor([] { return HeldElsewhere(MOD_CONTROL | MOD_ALT, 'N'); }, 5000));
    CHECK_EQ(program.Close(), 0);
    UnregisterHotKey(nullptr, 1);
    UnregisterHotKey(nullptr, 2);
}

TEST_CASE("sizing_keys_leave_the_taskbar_and_the_desktop_alone")
{
    DebugMonitor monitor;
    REQUIRE(monitor.Active());
    Program program(L"hotkeyshell", WithSettings("[sizewindow]\r\nenable=1\r\nsizearray=800x600;\r\n"));
    REQUIRE(program.Start());
    struct Shell {
        const wchar_t* exe;
        const wchar_t* window_class;
    };
    for (const Shell& shell : {Shell{L"taskbar_double_gui.exe", L"Shell_TrayWnd"},
                               Shell{L"desktop_double_gui.exe", L"Progman"}}) {
        Helper helper;
        REQUIRE(helper.Start(shell.exe, L""));
        HWND wnd = nullptr;
        REQUIRE(WaitFor([&] { return (wnd = FindProcessWindow(helper.ProcessId(), shell.window_class)) != nullptr; },
                        10000));
        // Answered once the double's thread is in its message loop, its
        // window placed.
        DWORD_PTR result = 0;
        REQUIRE(SendMessageTimeoutW(wnd, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result));
        SetForegroundWindow(wnd);
        REQUIRE(WaitFor([&] { return GetForegroundWindow() == wnd; }, 5000));
        const RECT before = WindowRect(wnd);
        // Enlarge to a preset, a wider right edge, a move to the right.
        for (int id : {5, 7, 12}) {
            const size_t seen = monitor.Count("keyboard sizing leaves");
            PostMessageW(program.MainWindow(), WM_HOTKEY, WPARAM(id), 0);
            if (!CHECK(WaitFor([&] { return monitor.Count("keyboard sizing leaves") > seen; }, 5000)))
                MESSAGE(check::Format("hotkey %d", id));
        }
        SendMessageTimeoutW(wnd, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
        CHECK(RectIs(wnd, before));
        CHECK(!IsWindowVisible(program.MainWindow()));
    }
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("hibernate_explains_each_refusal_and_lock_calls_the_system")
{
    DebugMonitor monitor;
    REQUIRE(monitor.Active());
    TrayShell shell;
    REQUIRE(shell.Start());
    PowerDouble power;
    Program program(L"power", WithPowerDouble("[language]\r\nfilepath=language\\English.ini\r\n"));
    REQUIRE(program.Start());
    REQUIRE(shell.WaitForCount(1, 5000));
    struct Row {
        const char* mode;
        const wchar_t* balloon;  // null: none, the request was accepted
    };
    const Row rows[] = {
        {"nos4", L"This computer does not support hibernation."},
        {"nofile", L"Hibernation is not switched on in the power options."},
        {"fail:1234", L"The computer could not hibernate (error 1234)."},
        {"fail:4294967295", L"The computer could not hibernate (error 4294967295)."},
        {"works", nullptr},
    };
    size_t balloons = 1;
    for (const Row& row : rows) {
        REQUIRE(PowerDouble::SetMode(program, row.mode));
        monitor.Clear();
        PostMessageW(program.MainWindow(), WM_COMMAND, CmdHibernate, 0);
        CHECK(monitor.WaitForText("power double: GetPwrCapabilities", 5000));
        if (row.balloon) {
            CHECK(shell.WaitForCount(++balloons, 5000));
            auto list = shell.Notifications();
            CHECK_EQ(list.back().title, std::wstring(L"Hibernation"));
            CHECK_EQ(list.back().info, std::wstring(row.balloon));
            CHECK_EQ(list.back().info_flags, unsigned(NIIF_ERROR));
        } else {
            CHECK(monitor.WaitForText("power double: SetSuspendState(1, 1, 0)", 5000));
            // Answered once the command's handler has returned, balloon or not.
            DWORD_PTR answer = 0;
            CHECK(SendMessageTimeoutW(program.MainWindow(), WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer));
            CHECK_EQ(shell.Notifications().size(), balloons);
        }
    }
    PostMessageW(program.MainWindow(), WM_COMMAND, CmdLockWorkstation, 0);
    CHECK(monitor.WaitForText("power double: LockWorkStation", 5000));
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("a_session_lock_or_unlock_releases_the_left_windows_key")
{
    DebugMonitor monitor;
    REQUIRE(monitor.Active());
    Program program(L"session");
    REQUIRE(program.Start());
    WinKeyReleases releases;
    REQUIRE(releases.Installed());
    struct Row {
        WPARAM event;
        unsigned releases;
    };
    const Row rows[] = {{7, 1}, {8, 1}, {5, 0}, {1, 0}};  // lock, unlock, logon, console connect
    for (const Row& row : rows) {
        const unsigned before = releases.Count();
        SendMessageTimeoutW(program.MainWindow(), 0x02B1, row.event, 1, SMTO_ABORTIFHUNG, 5000, nullptr);
        if (row.releases)
            CHECK(WaitFor([&] { return releases.Count() == before + row.releases; }, 5000));
        // The handler has returned: whatever it injected is ahead of the probe.
        CHECK(releases.Probe());
        CHECK_EQ(releases.Count(), before + row.releases);
    }
    CHECK(monitor.Contains("Session locked: the left Windows key is released"));
    CHECK_EQ(program.Close(), 0);
}
