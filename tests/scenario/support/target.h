#pragma once
// Target applications for scenario tests: target_window_gui.exe in a process
// of its own, with the messages its windows received readable from here.
#include <windows.h>

#include <string>
#include <vector>

#include "tests/doubles/message_log.h"
#include "tests/scenario/support/harness.h"

namespace scenario {

struct TargetOptions {
    std::wstring title = L"Quornvale target";
    std::wstring window_class = L"QvTargetWindow";
    RECT rect = {100, 100, 500, 400};  // left, top, right, bottom
    std::wstring child_class;          // e.g. L"EDIT"; empty: no child
    bool popup = false;
    bool keep_on_close = false;        // log WM_CLOSE but stay open
    bool activate = true;
    bool menu_bar = false;             // a menu bar under the caption
    bool second_window = false;        // one more top-level window "TITLE (second)", 40 pixels down and right
    RECT second_rect = {};             // not empty: a second top-level window in the same process
    bool pattern = false;              // client painted with message_log::TargetPattern
    std::wstring helper_path;          // not empty: this build of the helper (e.g. the i686 one)
    DWORD start_timeout_ms = 15000;    // for its window to appear
};

class TargetWindow {
public:
    TargetWindow() = default;
    ~TargetWindow();
    TargetWindow(const TargetWindow&) = delete;
    TargetWindow& operator=(const TargetWindow&) = delete;

    bool Start(const TargetOptions& options = {});
    HWND Window() const { return window_; }
    HWND Child() const { return GetWindow(window_, GW_CHILD); }
    // The second top-level window (TargetOptions::second_rect), or null.
    HWND Second() const { return second_; }
    // The target's thread shows the system's move cursor.
    bool ShowsMoveCursor(DWORD timeout_ms = 3000) const;
    DWORD ProcessId() const { return helper_.ProcessId(); }
    bool Alive() const;
    // Answers a message within the time: the application is not hung.
    bool Responsive(DWORD timeout_ms = 2000) const;

    // The system loads a global hook's library into a process only after a
    // hooked event there (in Wine about a second later): sends the window
    // messages until the hook library is in the target's process.
    bool WaitForLibrary(const wchar_t* module_name = L"Ostrilix.dll", DWORD timeout_ms = 20000);

    // The window runs the double's own window procedure, nothing in front
    // of it (false also when the target does not answer).
    bool RunsOwnProcedure(DWORD timeout_ms = 3000) const;
    // A point as the target itself sees it (message_log::OwnPoint): its
    // own physical pixels on a high-DPI screen, where this process sees
    // the rectangles of DPI-aware windows scaled.  False when it does not
    // answer.
    bool OwnPoint(WPARAM which, POINT* point, DWORD timeout_ms = 3000) const;
    // The target's thread stops handling messages for the given time, as a
    // hung application does; true once it has begun.
    bool Hang(DWORD ms);

    std::vector<message_log::Record> Messages() const;
    // Records of one message, optionally only from the top window (0) or child (1).
    std::vector<message_log::Record> Messages(UINT message, int window = -1) const;
    size_t Count(UINT message, int window = -1) const { return Messages(message, window).size(); }
    void ClearLog();
    void Close();

private:
    Helper helper_;
    HWND window_ = nullptr;
    HWND second_ = nullptr;
    HANDLE mapping_ = nullptr;
    message_log::Log* log_ = nullptr;
    LONG cleared_at_ = 0;
};

RECT WindowRect(HWND wnd);
// The centre of the window's client area, in screen coordinates.
POINT ClientCentre(HWND wnd);
// The middle of the window rectangle, which for a framed window lies in its
// client area.
POINT WindowCentre(HWND wnd);
int RectHeight(const RECT& r);
int RectWidth(const RECT& r);
// A screen point of the window whose WM_NCHITTEST answer is the given code,
// searched on a grid; false when there is none.
bool FindHitPoint(HWND wnd, LRESULT hit, POINT* point);

// Whether the window has WS_EX_LAYERED, and its alpha (255 when it is not
// layered or sets no alpha).
bool IsLayered(HWND wnd);
int LayeredAlpha(HWND wnd);
// Double-clicks the target's caption, once an earlier click has aged, and
// waits until the window is rolled up; false when it never was.
bool RollUpByCaption(TargetWindow& target);

// Proof that the target has taken every input sent before it: the pointer
// moves (SendInput, in order with the input before) to the marker, a point
// of the top-level window (client area or frame) other than the cursor's
// place (its column is taken down to a multiple of 5, where SendInput lands
// exactly), and the target's log is awaited for that move.  A check that something did
// NOT happen follows this, never a fixed wait.  False when the move never
// arrived.
bool WaitForInputTaken(const TargetWindow& target, POINT marker, DWORD timeout_ms = 10000);

// Starts the program, then the target, and waits until the program's library
// is in the target's process: the usual start of a test of a mouse action.
bool StartProgramAndTarget(Program& program, TargetWindow& target, const TargetOptions& options = {});

}  // namespace scenario
