// The smaller services of the message hooks and information mode, through
// the real program and library with targets in processes of their own:
// information mode's text on the clipboard and no context menu after it, and
// its label on the screen gone once the mode is switched off;
// the cursor hidden while typing only with its switch on; the input method
// switched off when a window of a listed class is created; the program's own
// popup menus following the wheel transparency, with the menu effects given
// back at alpha 255 and at the program's end.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
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
std::wstring ClipboardText()
{
    std::wstring text;
    if (!OpenClipboard(nullptr))
        return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = p;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

void EmptyTheClipboard()
{
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
}

// The screen's pixels in r, as the screen shows them now.
std::vector<DWORD> ScreenPixels(const RECT& r)
{
    const int width = r.right - r.left, height = r.bottom - r.top;
    std::vector<DWORD> pixels(size_t(width) * height);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (memory && bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
        GdiFlush();
        memcpy(pixels.data(), bits, pixels.size() * sizeof(DWORD));
        SelectObject(memory, old);
    }
    if (bitmap)
        DeleteObject(bitmap);
    if (memory)
        DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

HCURSOR CurrentCursor()
{
    CURSORINFO info = {sizeof(info)};
    return GetCursorInfo(&info) ? info.hCursor : reinterpret_cast<HCURSOR>(-1);
}
}  // namespace

TEST_CASE("information_mode_copies_the_classes_and_opens_no_context_menu")
{
    const std::wstring long_class = L"QvInformationClass" + std::wstring(22, L'x');  // 40 characters
    struct Row {
        const char* what;
        bool mode_on;
        bool child;
        bool on_caption;
        std::wstring window_class;
        std::wstring text;
    } rows[] = {
        {"client area of a child", true, true, false, L"QvTargetWindow",
         L"ClassName: Edit RootClassName: QvTargetWindow Is Topmost: FALSE"},
        {"caption of a long-named top-level window", true, false, true, long_class,
         L"ClassName: " + long_class.substr(0, 31) + L" RootClassName: " + long_class.substr(0, 31) +
             L" Is Topmost: FALSE"},
        {"mode off", false, false, false, L"QvTargetWindow", L""},
    };
    for (const Row& row : rows) {
        MESSAGE(check::Format("row: %s", row.what));
        Program program(L"information", WithSettings(row.mode_on ? "[information]\r\nenable=1\r\n"
                                                                  : "[information]\r\nenable=0\r\n"));
        TargetWindow target;
        TargetOptions options;
        options.window_class = row.window_class;
        if (row.child)
            options.child_class = L"EDIT";
        REQUIRE(StartProgramAndTarget(program, target, options));
        POINT at = row.child ? ClientCentre(target.Child()) : ClientCentre(target.Window());
        if (row.on_caption)
            REQUIRE(FindHitPoint(target.Window(), HTCAPTION, &at));
        EmptyTheClipboard();
        target.ClearLog();
        input::Click(input::Button::Right, at);
        if (row.mode_on) {
            CHECK(WaitFor([&] { return ClipboardText() == row.text; }, 10000));
            // Neither the press nor the release reached the application.
            CHECK(target.Responsive());
            CHECK_EQ(target.Count(WM_RBUTTONDOWN) + target.Count(WM_NCRBUTTONDOWN), size_t(0));
            CHECK_EQ(target.Count(WM_RBUTTONUP) + target.Count(WM_NCRBUTTONUP), size_t(0));
            CHECK_EQ(target.Count(WM_CONTEXTMENU), size_t(0));
        } else {
            CHECK(WaitFor([&] { return target.Count(WM_CONTEXTMENU) > 0; }, 10000));
            CHECK(ClipboardText().empty());
        }
        CHECK_EQ(program.Close(), 0);
    }
}

TEST_CASE("information_label_goes_when_the_mode_is_switched_off")
{
    // The label is drawn on the screen at its top-left corner, where no
    // window of the test lies (the target is at 100, 100), over the
    // desktop's plain background: one colour while no label is there.
    const RECT label = {0, 0, 240, 12};
    auto plain = [&] {
        const std::vector<DWORD> pixels = ScreenPixels(label);
        return std::all_of(pixels.begin(), pixels.end(), [&](DWORD p) { return p == pixels[0]; });
    };
    Program program(L"infolabel", WithSettings("[information]\r\nenable=1\r\n"));
    TargetWindow target;
    REQUIRE(StartProgramAndTarget(program, target));
    // A label an earlier program left goes with a repaint.
    RedrawWindow(GetDesktopWindow(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    REQUIRE(WaitFor(plain, 5000));
    EmptyTheClipboard();
    input::Click(input::Button::Right, ClientCentre(target.Window()));
    REQUIRE(WaitFor([&] { return !ClipboardText().empty(); }, 10000));
    REQUIRE(WaitFor([&] { return !plain(); }, 5000));

    // The menu's switch, sent so that it has been handled on return.
    DWORD_PTR result = 0;
    REQUIRE(SendMessageTimeoutW(program.MainWindow(), WM_COMMAND, CmdWindowInfo, 0, SMTO_NORMAL, 5000, &result));
    CHECK(WaitFor(plain, 5000));
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("typing_hides_the_cursor_only_while_the_switch_is_on")
{
    for (bool on : {true, false}) {
        MESSAGE(check::Format("hidecursor=%d", int(on)));
        DebugMonitor monitor;
        REQUIRE(monitor.Active());
        Program program(L"hidecursor", WithSettings(on ? "[hidecursor]\r\nenable=1\r\n" : "[hidecursor]\r\nenable=0\r\n"));
        TargetWindow target;
        REQUIRE(StartProgramAndTarget(program, target));
        CHECK_EQ(monitor.Contains("Hook GetMsgProc is installed"), on);
        // The window's own cursor first.
        input::PlaceCursor(ClientCentre(target.Window()));
        input::MoveTo(ClientCentre(target.Window()));
        CHECK(WaitFor([] { return CurrentCursor() != nullptr; }, 5000));
        target.ClearLog();
        input::Tap('A');
        CHECK(WaitFor([&] { return target.Count(WM_CHAR) > 0; }, 10000));
        if (on)
            CHECK(WaitFor([] { return CurrentCursor() == nullptr; }, 5000));
        else
            CHECK(CurrentCursor() != nullptr);
        CHECK_EQ(program.Close(), 0);
    }
}

TEST_CASE("a_window_of_a_listed_class_switches_the_input_method_off_for_its_process")
{
    // A popup menu window ("#32768") is a window the target creates on
    // request, after the library has arrived in its process.  Whether the
    // input method is really off cannot be seen under Wine from outside, so
    // the library's trace of the call is the observation.
    struct Row {
        const char* classes;
        bool disabled;
    } rows[] = {
        {"[#32768];", true},
        {"[#3276];[#327680];[#32768 ];", false},  // prefix, suffix, with a space
    };
    for (const Row& row : rows) {
        MESSAGE(check::Format("classes=%s", row.classes));
        DebugMonitor monitor;
        REQUIRE(monitor.Active());
        const std::string settings = std::string("[disableime]\r\nenable=1\r\nclasses=") + row.classes + "\r\n";
        Program program(L"disableime", WithSettings(settings.c_str()));
        TargetWindow target;
        TargetOptions options;
        options.menu_bar = true;
        REQUIRE(StartProgramAndTarget(program, target, options));
        PostMessageW(target.Window(), WM_SYSCOMMAND, SC_KEYMENU, 'f');
        CHECK(WaitFor([&] { return VisibleMenuWindow(target.ProcessId()) != nullptr; }, 10000));
        const std::string trace = "Input method disabled in process " + std::to_string(target.ProcessId());
        if (row.disabled)
            CHECK(monitor.WaitForText(trace, 10000));
        else
            CHECK(!monitor.Contains("Input method disabled"));
        PostMessageW(target.Window(), WM_CANCELMODE, 0, 0);
        input::Click(input::Button::Left, POINT{640, 900});
        CHECK(WaitFor([&] { return VisibleMenuWindow(target.ProcessId()) == nullptr; }, 10000));
        CHECK_EQ(program.Close(), 0);
    }
}

namespace {
// The menu effects as the system has them: fade and animation, 1 each when
// on (-1: not read).  Read by a fresh process: Wine keeps in each process
// the values it read before, so this one would not see the library's change.
std::pair<int, int> MenuEffects()
{
    Helper probe;
    if (!probe.Start(L"system_parameter_probe.exe", L""))
        return {-1, -1};
    const int bits = probe.Wait(30000);
    if (bits < 0 || bits > 3)
        return {-1, -1};
    return {bits & 1, (bits >> 1) & 1};
}

bool SetMenuEffects(BOOL on)
{
    return SystemParametersInfoW(SPI_SETMENUFADE, 0, reinterpret_cast<void*>(INT_PTR(on)), SPIF_SENDCHANGE) &&
           SystemParametersInfoW(SPI_SETMENUANIMATION, 0, reinterpret_cast<void*>(INT_PTR(on)), SPIF_SENDCHANGE);
}
}  // namespace

TEST_CASE("the_programs_menus_follow_the_wheel_transparency_and_the_effects_come_back")
{
    // The user's effects are on, and what the program switches off and
    // gives back is read from the system.
    REQUIRE(SetMenuEffects(TRUE));
    REQUIRE(MenuEffects() == std::make_pair(1, 1));
    Program program(L"menualpha", WithSettings("[transparent]\r\nenable=1\r\nminivalue=200\r\n"));
    TargetWindow target;
    REQUIRE(StartProgramAndTarget(program, target));
    LibraryView library(program.LibraryPath());
    REQUIRE(library.Loaded());
    HWND wnd = target.Window();
    input::MoveTo(ClientCentre(wnd));
    auto notch = [&](int amount, int expected) {
        input::HeldKey alt(VK_LMENU), ctrl(VK_LCONTROL);
        input::Wheel(amount, ClientCentre(wnd));
        return WaitFor([&] { return LayeredAlpha(wnd) == expected; }, 5000);
    };
    struct Step {
        const char* what;
        int wheel;
        int alpha;      // the target's, and the program's menu's
        LONG effects_off;
    } steps[] = {
        {"faded one notch", -120, 245, 1},
        {"opaque again", 120, 255, 0},
        {"faded again", -120, 245, 1},
    };
    for (const Step& step : steps) {
        MESSAGE(check::Format("step: %s", step.what));
        REQUIRE(notch(step.wheel, step.alpha));
        HWND menu = OpenTrayMenu(program);
        REQUIRE(menu);
        CHECK_EQ(IsLayered(menu), step.alpha != 255);
        CHECK_EQ(LayeredAlpha(menu), step.alpha);
        CHECK_EQ(library.Block().s_b_menu_anim_off, step.effects_off);
        const int on = step.effects_off ? 0 : 1;
        CHECK(MenuEffects() == std::make_pair(on, on));
        CHECK(CloseTrayMenu(program, menu));
    }
    // The effects are off now; the program's end gives them back.
    CHECK(MenuEffects() == std::make_pair(0, 0));
    CHECK_EQ(program.Close(), 0);
    CHECK_EQ(library.Block().s_b_menu_anim_off, 0);
    CHECK(MenuEffects() == std::make_pair(1, 1));
}
