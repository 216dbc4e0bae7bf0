// Ending the program, by closing or killing it, while windows of other
// processes are rolled up (and so run the library's subclass procedure)
// leaves every target running and responsive.
#include <string>
#include <utility>

#include "tests/framework/check.h"
#include "tests/scenario/support/harness.h"
#include "tests/scenario/support/input.h"
#include "tests/scenario/support/target.h"

using namespace scenario;
using input::Button;

namespace {
// Wine leaves the global hooks of a killed program installed: every process
// started later loads that program's copy of the library through them, and
// a later program's LoadLibrary by name would get that copy instead of its
// own.  So the copy is renamed away (a loaded library can be renamed, not
// deleted; the desktop's own process keeps it loaded): the stale hooks then
// find no library to load.  Declared before the targets: it acts after
// they are gone.
class LibraryFileRemover {
public:
    explicit LibraryFileRemover(std::wstring path) : path_(std::move(path)) {}
    ~LibraryFileRemover()
    {
        const std::wstring away = path_ + L".stale";
        bool gone = WaitFor([&] {
            return DeleteFileW(path_.c_str()) ||
                   MoveFileExW(path_.c_str(), away.c_str(), MOVEFILE_REPLACE_EXISTING) || !FileExists(path_);
        }, 10000, 100);
        if (!gone)
            MESSAGE(check::Format("could not move %ls out of the way", path_.c_str()));
    }

private:
    std::wstring path_;
};

// The target still handles what is sent to it: a hit test, and a resize
// that its (rolled-up) window now accepts or keeps as the subclass decides.
bool Works(const TargetWindow& target)
{
    HWND wnd = target.Window();
    RECT r = WindowRect(wnd);
    DWORD_PTR hit = 0;
    if (!SendMessageTimeoutW(wnd, WM_NCHITTEST, 0, MAKELPARAM((r.left + r.right) / 2, r.top + 5),
                             SMTO_ABORTIFHUNG, 3000, &hit))
        return false;
    return target.Alive() && target.Responsive(3000) &&
           SetWindowPos(wnd, nullptr, 0, 0, RectWidth(r) + 10, RectHeight(r), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE) &&
           WaitFor([&] { return RectWidth(WindowRect(wnd)) == RectWidth(r) + 10; }, 3000);
}
}  // namespace

TEST_CASE("closing_or_killing_the_program_leaves_rolled_up_targets_running")
{
    for (bool kill : {false, true}) {
        ProgramOptions options;
        options.settings = "[rollupwnd]\r\nenable=1\r\n";
        Program program(kill ? L"exitkill" : L"exitclose", options);
        REQUIRE(program.Start());
        LibraryFileRemover remover(program.LibraryPath());
        TargetOptions a_options, b_options;
        a_options.title = L"Exit A";
        a_options.rect = {60, 60, 460, 360};
        b_options.title = L"Exit B";
        b_options.child_class = L"EDIT";
        b_options.rect = {600, 60, 1000, 360};
        TargetWindow a, b;
        REQUIRE(a.Start(a_options));
        REQUIRE(b.Start(b_options));
        CHECK(a.WaitForLibrary() && RollUpByCaption(a));
        CHECK(b.WaitForLibrary() && RollUpByCaption(b));

        if (kill) {
            program.Kill();
        } else {
            CHECK_EQ(program.Close(), 0);
        }
        CHECK(!program.Running());
        PumpFor(500);
        CHECK(Works(a));
        CHECK(Works(b));
        // Real input still reaches them.
        a.ClearLog();
        input::Click(Button::Left, ClientCentre(b.Window()));
        POINT caption;
        if (CHECK(FindHitPoint(a.Window(), HTCAPTION, &caption))) {
            PumpFor(GetDoubleClickTime() + 150);
            input::Click(Button::Left, caption);
            CHECK(WaitFor([&] { return a.Count(WM_NCLBUTTONUP) + a.Count(WM_NCLBUTTONDOWN) > 0; }, 5000));
        }
        CHECK(Works(a));
        CHECK(Works(b));
    }
}
