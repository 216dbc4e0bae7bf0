// A program ended from Task Manager (TerminateProcess) or by a crash could
// not give back what it changed: the next start does.  For each kind of
// change (rolled up, faded, docked to a half, hidden in the tray, and several
// at once in two target processes) the program changes windows of other
// processes, is killed, and is started again: every window is back exactly
// (rectangle, visibility, extended style, layered state), and a window
// hidden in the tray is shown minimised with its icon gone, as at exit.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/framework/check.h"
#include "tests/scenario/support/harness.h"
#include "tests/scenario/support/input.h"
#include "tests/scenario/support/target.h"
#include "tests/scenario/support/tray_view.h"

using namespace scenario;

namespace {
constexpr const char* kSettings =
    "[rollupwnd]\r\nenable=1\r\n"
    "[transparent]\r\nenable=1\r\nminivalue=40\r\n"
    "[dockwindow]\r\nenable=1\r\ndragfullwindow=1\r\ndockmode=1\r\n"
    "[notifyicon]\r\nenable=1\r\nlist=\r\n";

// Wine leaves a killed program's hooks installed, and every process started
// later loads that program's library through them: once a row's targets are
// gone, its library file is renamed away, so the next row's targets see only
// their own program's library.
class LibraryFileRemover {
public:
    explicit LibraryFileRemover(std::wstring path) : path_(std::move(path)) {}
    ~LibraryFileRemover()
    {
        const std::wstring away = path_ + L".stale";
        if (!WaitFor([&] {
                return DeleteFileW(path_.c_str()) ||
                       MoveFileExW(path_.c_str(), away.c_str(), MOVEFILE_REPLACE_EXISTING) || !FileExists(path_);
            }, 10000, 100))
            MESSAGE(check::Format("could not move %ls out of the way", path_.c_str()));
    }

private:
    std::wstring path_;
};

// What "back exactly" compares.
struct Look {
    RECT rect;
    bool visible;
    LONG ex_style;
    bool layered;
    int alpha;
};

Look LookOf(HWND wnd)
{
    return {WindowRect(wnd), IsWindowVisible(wnd) != FALSE, GetWindowLongW(wnd, GWL_EXSTYLE), IsLayered(wnd),
            LayeredAlpha(wnd)};
}

std::string Text(const Look& l)
{
    return check::Format("rect %ld,%ld,%ld,%ld visible %d exstyle 0x%lx layered %d alpha %d", l.rect.left,
                         l.rect.top, l.rect.right, l.rect.bottom, int(l.visible), l.ex_style, int(l.layered),
                         l.alpha);
}

bool Same(const Look& a, const Look& b)
{
    return EqualRect(&a.rect, &b.rect) && a.visible == b.visible && a.ex_style == b.ex_style &&
           a.layered == b.layered && a.alpha == b.alpha;
}

enum Change : unsigned { kRollUp = 1, kFade = 2, kDock = 4, kTray = 8 };

RECT WorkArea()
{
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

// Docks the window to the left half by a caption drag with the real pointer.
bool DockLeft(HWND wnd)
{
    PumpFor(GetDoubleClickTime() + 150);
    POINT caption;
    if (!FindHitPoint(wnd, HTCAPTION, &caption))
        return false;
    const RECT r = WindowRect(wnd);
    const POINT offset = {caption.x - r.left, caption.y - r.top};
    const RECT w = WorkArea();
    if (!input::RealMoveTo(caption) || !input::RealLeftDown())
        return false;
    bool docked = true;
    for (int x : {int(w.left) + 40, int(w.left) + 10}) {
        const POINT p = {x + offset.x, r.top + offset.y};
        docked = docked && input::RealMoveToUnwaited(p) &&
                 WaitFor([&] {
                     POINT now = {};
                     GetCursorPos(&now);
                     return now.x == p.x;
                 }, 5000);
        if (!docked) {
            POINT now = {};
            GetCursorPos(&now);
            MESSAGE(check::Format("cursor at %ld,%ld, wanted %ld,%ld", now.x, now.y, p.x, p.y));
        }
    }
    docked = docked && WaitFor([&] {
        const RECT now = WindowRect(wnd);
        return now.left == w.left && now.top == w.top && RectHeight(now) == w.bottom - w.top;
    }, 5000);
    if (!docked) {
        const RECT now = WindowRect(wnd);
        MESSAGE(check::Format("caption %ld,%ld; window %ld,%ld-%ld,%ld; work area %ld,%ld-%ld,%ld", caption.x,
                              caption.y, now.left, now.top, now.right, now.bottom, w.left, w.top, w.right,
                              w.bottom));
    }
    return input::RealLeftUp() && docked;
}

bool FadeTwoNotches(HWND wnd)
{
    input::HeldKey alt(VK_LMENU), ctrl(VK_LCONTROL);
    if (!alt.Held() || !ctrl.Held())
        return false;
    input::Wheel(-120, ClientCentre(wnd));
    if (!WaitFor([&] { return LayeredAlpha(wnd) == 245; }, 5000))
        return false;
    input::Wheel(-120, ClientCentre(wnd));
    return WaitFor([&] { return LayeredAlpha(wnd) == 235 && IsLayered(wnd); }, 5000);
}

bool MinimiseToTray(HWND wnd)
{
    input::HeldKey alt(VK_LMENU);
    if (!alt.Held())
        return false;
    ShowWindowAsync(wnd, SW_MINIMIZE);
    return WaitFor([&] { return !IsWindowVisible(wnd); }, 10000);
}

bool Apply(TargetWindow& target, unsigned changes)
{
    HWND wnd = target.Window();
    bool ok = true;
    if (changes & kDock)
        ok = CHECK(DockLeft(wnd)) && ok;
    if (changes & kFade)
        ok = CHECK(FadeTwoNotches(wnd)) && ok;
    if (changes & kRollUp)
        ok = CHECK(RollUpByCaption(target)) && ok;
    if (changes & kTray)
        ok = CHECK(MinimiseToTray(wnd)) && ok;
    return ok;
}

// The window as it was: a window that was in the tray is shown minimised,
// and a restore brings back its rectangle.
bool BackExactly(HWND wnd, const Look& before, unsigned changes)
{
    if (changes & kTray) {
        if (!WaitFor([&] { return IsWindowVisible(wnd) && IsIconic(wnd); }, 10000)) {
            MESSAGE("a window from the tray is not shown minimised");
            return false;
        }
        PostMessageW(wnd, WM_SYSCOMMAND, SC_RESTORE, 0);
    }
    if (WaitFor([&] { return Same(LookOf(wnd), before); }, 10000))
        return true;
    MESSAGE(check::Format("wanted %s", Text(before).c_str()));
    MESSAGE(check::Format("window %s", Text(LookOf(wnd)).c_str()));
    return false;
}

struct Row {
    const char* what;
    unsigned first;    // the first process's window
    unsigned second;   // its second window (0: none)
    unsigned other;    // a window of a second process (0: none)
};
}  // namespace

TEST_CASE("a_start_gives_back_every_change_a_killed_program_left")
{
    const Row rows[] = {
        {"rolled up", kRollUp, 0, 0},
        {"faded", kFade, 0, 0},
        {"docked to a half", kDock, 0, 0},
        {"hidden in the tray", kTray, 0, 0},
        {"rolled up, then hidden in the tray", kRollUp | kTray, 0, 0},
        {"several at once in two processes", kRollUp | kFade, kDock, kTray | kFade},
    };
    for (const Row& row : rows) {
        MESSAGE(check::Format("row: %s", row.what));
        DebugMonitor monitor;
        TrayShell shell;
        REQUIRE(shell.Start());
        Program program(L"killed", WithSettings(kSettings));
        LibraryFileRemover remover(program.LibraryPath());
        TargetWindow first, other;
        TargetOptions first_options, other_options;
        first_options.title = L"Killed first";
        first_options.rect = {200, 340, 600, 640};
        if (row.second)
            first_options.second_rect = {760, 500, 1160, 800};
        other_options.title = L"Killed other";
        other_options.rect = {700, 80, 1100, 380};
        REQUIRE(StartProgramAndTarget(program, first, first_options));
        if (row.other)
            REQUIRE(other.Start(other_options) && other.WaitForLibrary());

        struct Changed {
            HWND wnd;
            unsigned changes;
            Look before;
        };
        std::vector<Changed> windows = {{first.Window(), row.first, {}}};
        if (row.second)
            windows.push_back({first.Second(), row.second, {}});
        if (row.other)
            windows.push_back({other.Window(), row.other, {}});
        for (Changed& c : windows) {
            REQUIRE(c.wnd != nullptr);
            c.before = LookOf(c.wnd);
            // A docked window gets the place it had when it docked (as at
            // exit): where the drag had it when its edge entered the band.
            if (c.changes & kDock)
                OffsetRect(&c.before.rect, WorkArea().left + 10 - c.before.rect.left, 0);
        }
        // Each changed, and seen changed.
        for (Changed& c : windows) {
            TargetWindow& target = c.wnd == other.Window() ? other : first;
            if (c.wnd == first.Second()) {
                // The second window of a target is docked by itself.
                const bool docked = DockLeft(c.wnd);
                if (!docked)
                    MESSAGE(check::Format("traces: %zu 'dock to left', %zu 'apply dock left'",
                                          monitor.Count("dock to left"), monitor.Count("apply dock left")));
                REQUIRE(CHECK(docked));
                continue;
            }
            REQUIRE(Apply(target, c.changes));
        }
        for (const Changed& c : windows)
            CHECK(!Same(LookOf(c.wnd), c.before));

        program.Kill();
        CHECK(!program.Running());
        monitor.Clear();
        REQUIRE(program.Start());
        CHECK(monitor.WaitForText("Windows an ended program left changed, given back: ", 10000));
        for (const Changed& c : windows) {
            CHECK(BackExactly(c.wnd, c.before, c.changes));
            if (c.changes & kTray)
                CHECK(shell.WaitForNotification(c.wnd, NIM_DELETE));
        }
        CHECK(first.Responsive());
        CHECK_EQ(program.Close(), 0);
    }
}
