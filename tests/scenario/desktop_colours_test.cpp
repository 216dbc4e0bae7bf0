// Desktop icon caption colours through the real program and library, on a
// stand-in for the Windows 2000 desktop: applied at start, set again by the
// library's hook whenever the desktop list view is given other colours, the
// desktop's own colours back when switched off and at exit; nothing on later
// systems.
#include <windows.h>
#include <commctrl.h>

#include "quornvale/shell/command_ids.h"
#include "tests/framework/check.h"
#include "tests/scenario/support/app_version.h"
#include "tests/scenario/support/harness.h"

using namespace scenario;

namespace {
// The double's own caption colours.
constexpr COLORREF kDesktopText = RGB(10, 20, 30);
constexpr COLORREF kDesktopBack = RGB(40, 50, 60);
// [TxColor] red 300 is cut to 8 bits: 44.
constexpr char kSettings[] = "[bkcolor]\r\ntransp=1\r\n[TxColor]\r\nred=300\r\ngreen=2\r\nblue=3\r\n";
constexpr COLORREF kWantedText = RGB(44, 2, 3);
// What the test gives the list view, as the shell might.
constexpr COLORREF kOtherText = RGB(9, 9, 9);
constexpr COLORREF kOtherBack = RGB(8, 8, 8);

HWND StartDesktop(Helper& desktop)
{
    if (!desktop.Start(L"desktop_double_gui.exe", L""))
        return nullptr;
    HWND list = nullptr;
    WaitFor([&] {
        HWND progman = FindProcessWindow(desktop.ProcessId(), L"Progman", L"Program Manager");
        HWND view = progman ? FindWindowExW(progman, nullptr, L"SHELLDLL_DefView", nullptr) : nullptr;
        list = view ? FindWindowExW(view, nullptr, L"SysListView32", nullptr) : nullptr;
        return list != nullptr;
    }, 10000);
    return list;
}

// Sent, so that the list view (and any hook on its thread) is done with it
// on return.
DWORD_PTR Send(HWND list, UINT message, LPARAM lParam = 0)
{
    DWORD_PTR result = 0xDEADBEEF;
    SendMessageTimeoutW(list, message, 0, lParam, SMTO_ABORTIFHUNG, 5000, &result);
    return result;
}

bool ColoursAre(HWND list, COLORREF text, COLORREF back)
{
    return COLORREF(Send(list, LVM_GETTEXTCOLOR)) == text && COLORREF(Send(list, LVM_GETTEXTBKCOLOR)) == back;
}

void GiveOtherColours(HWND list, COLORREF text, COLORREF back)
{
    Send(list, LVM_SETTEXTCOLOR, LPARAM(text));
    Send(list, LVM_SETTEXTBKCOLOR, LPARAM(back));
}

void Choose(const Program& program, UINT id)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutW(program.MainWindow(), WM_COMMAND, id, 0, SMTO_NORMAL, 5000, &result);
}
}  // namespace

TEST_CASE("on_windows_2000_the_captions_keep_the_wanted_colours_until_switched_off_and_at_exit")
{
    ScopedAppVersion program_version(L"quornvale.exe", L"win2k");
    ScopedAppVersion desktop_version(L"desktop_double_gui.exe", L"win2k");
    Helper desktop;
    HWND list = StartDesktop(desktop);
    REQUIRE(list);
    REQUIRE(ColoursAre(list, kDesktopText, kDesktopBack));
    Program program(L"dcolours", WithSettings(kSettings));
    REQUIRE(program.Start());

    // Start-up with the switch stored as 1: no background behind the captions.
    CHECK(WaitFor([&] { return ColoursAre(list, kWantedText, CLR_NONE); }, 5000));
    // The list view is given other colours: the hook on its thread sets the
    // wanted ones again.
    GiveOtherColours(list, kOtherText, kOtherBack);
    CHECK(WaitFor([&] { return ColoursAre(list, kWantedText, CLR_NONE); }, 10000));

    // Off: the colours it had when switched on come back, and stay what
    // they are given from then on.
    Choose(program, CmdDesktopCaptions);
    CHECK(WaitFor([&] { return ColoursAre(list, kDesktopText, kDesktopBack); }, 5000));
    GiveOtherColours(list, kOtherText, kDesktopBack);
    CHECK(ColoursAre(list, kOtherText, kDesktopBack));

    // On again, then the program ends: the colours of the moment it was
    // switched on come back, and nothing keeps the captions any more.
    Choose(program, CmdDesktopCaptions);
    CHECK(ColoursAre(list, kWantedText, CLR_NONE));
    GiveOtherColours(list, kOtherText, kOtherBack);
    CHECK(WaitFor([&] { return ColoursAre(list, kWantedText, CLR_NONE); }, 10000));
    CHECK_EQ(program.Close(), 0);
    CHECK(WaitFor([&] { return ColoursAre(list, kOtherText, kDesktopBack); }, 5000));
    GiveOtherColours(list, kDesktopText, kOtherBack);
    CHECK(ColoursAre(list, kDesktopText, kOtherBack));
}

TEST_CASE("on_other_systems_the_program_and_the_hook_leave_the_desktop_alone")
{
    struct Case {
        const wchar_t* program_version;
        const wchar_t* desktop_version;
        bool applied;  // the program gives the colours at start
    };
    // The last row has the hook installed on a desktop that is not
    // Windows 2000: the hook itself must do nothing there.
    const Case cases[] = {{L"winxp", L"winxp", false}, {L"win7", L"win7", false}, {L"win2k", L"winxp", true}};
    for (const Case& c : cases) {
        ScopedAppVersion program_version(L"quornvale.exe", c.program_version);
        ScopedAppVersion desktop_version(L"desktop_double_gui.exe", c.desktop_version);
        Helper desktop;
        HWND list = StartDesktop(desktop);
        REQUIRE(list);
        Program program(L"dcolours_other", WithSettings(kSettings));
        REQUIRE(program.Start());
        if (c.applied)
            CHECK(WaitFor([&] { return ColoursAre(list, kWantedText, CLR_NONE); }, 5000));
        else
            CHECK(ColoursAre(list, kDesktopText, kDesktopBack));
        MESSAGE(check::Format("row %ls on %ls: text %06lx, background %08lx", c.program_version, c.desktop_version,
                              static_cast<unsigned long>(Send(list, LVM_GETTEXTCOLOR)),
                              static_cast<unsigned long>(Send(list, LVM_GETTEXTBKCOLOR))));
        if (c.applied)  // the hook's library is in the desktop's process before the colours change
            CHECK(WaitFor([&] {
                Send(list, WM_NULL);
                return ProcessHasModule(desktop.ProcessId(), L"Ostrilix.dll");
            }, 10000));
        GiveOtherColours(list, kOtherText, kOtherBack);
        CHECK(ColoursAre(list, kOtherText, kOtherBack));
        CHECK_EQ(program.Close(), 0);
    }
}
