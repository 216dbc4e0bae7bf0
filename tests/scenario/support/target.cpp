#include "tests/scenario/support/target.h"

#include <stdio.h>

#include "tests/framework/check.h"
#include "tests/scenario/support/input.h"
#include "tests/scenario/support/responsiveness.h"

namespace scenario {

TargetWindow::~TargetWindow()
{
    helper_.Kill();
    if (log_)
        UnmapViewOfFile(log_);
    if (mapping_)
        CloseHandle(mapping_);
}

bool TargetWindow::Start(const TargetOptions& o)
{
    static int counter = 0;
    wchar_t tag[64];
    _snwprintf(tag, 63, L"%lu-%d", GetCurrentProcessId(), ++counter);
    tag[63] = 0;
    wchar_t name[128];
    message_log::MappingName(tag, name, 128);
    // Created here first, so the log outlives the target and starts empty.
    mapping_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                  sizeof(message_log::Log), name);
    if (!mapping_)
        return false;
    log_ = static_cast<message_log::Log*>(MapViewOfFile(mapping_, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 0));
    if (!log_)
        return false;

    wchar_t rect[64];
    _snwprintf(rect, 63, L"%ld,%ld,%ld,%ld", o.rect.left, o.rect.top, o.rect.right - o.rect.left,
               o.rect.bottom - o.rect.top);
    rect[63] = 0;
    std::wstring args = L"--title \"" + o.title + L"\" --class \"" + o.window_class + L"\" --rect " +
                        rect + L" --log " + tag;
    if (!o.child_class.empty())
        args += L" --child \"" + o.child_class + L"\"";
    if (o.popup)
        args += L" --popup";
    if (o.keep_on_close)
        args += L" --keep-on-close";
    if (!o.activate)
        args += L" --no-activate";
    if (o.menu_bar)
        args += L" --menu";
    RECT second_rect = o.second_rect;
    if (second_rect.right <= second_rect.left && o.second_window) {
        second_rect = o.rect;
        OffsetRect(&second_rect, 40, 40);
    }
    if (second_rect.right > second_rect.left) {
        wchar_t second[64];
        _snwprintf(second, 63, L"%ld,%ld,%ld,%ld", second_rect.left, second_rect.top,
                   second_rect.right - second_rect.left, second_rect.bottom - second_rect.top);
        second[63] = 0;
        args += std::wstring(L" --second ") + second;
    }
    if (o.pattern)
        args += L" --pattern";
    const bool started = o.helper_path.empty() ? helper_.Start(L"target_window_gui.exe", args)
                                               : helper_.StartPath(o.helper_path, args);
    if (!started)
        return false;
    WaitFor([&] {
        window_ = FindProcessWindow(helper_.ProcessId(), o.window_class.c_str(), o.title.c_str());
        return window_ && IsWindowVisible(window_);
    }, o.start_timeout_ms);
    if (!window_)
        return false;
    if (o.second_rect.right > o.second_rect.left) {
        const std::wstring second_title = o.title + L" (second)";
        WaitFor([&] {
            second_ = FindProcessWindow(helper_.ProcessId(), o.window_class.c_str(), second_title.c_str());
            return second_ != nullptr;
        }, 15000);
        if (!second_)
            return false;
    }
    // Let the window settle (activation, first paint) before a test acts.
    WaitFor([&] { return Responsive(500); }, 5000);
    PumpFor(100);
    return true;
}

bool TargetWindow::WaitForLibrary(const wchar_t* module_name, DWORD timeout_ms)
{
    if (!window_)
        return false;
    // A sent message passes the program's call-window-procedure hook, which
    // makes the system load the library there, without moving the cursor.
    return WaitFor([&] {
        Responsive(500);
        return ProcessHasModule(ProcessId(), module_name);
    }, timeout_ms, 100);
}

bool TargetWindow::Alive() const { return window_ && IsWindow(window_); }

bool TargetWindow::Responsive(DWORD timeout_ms) const
{
    DWORD_PTR result = 0;
    return window_ && SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeout_ms, &result);
}

bool TargetWindow::RunsOwnProcedure(DWORD timeout_ms) const
{
    DWORD_PTR answer = 0;
    return window_ &&
           SendMessageTimeoutW(window_, message_log::kAskOwnProcedure, 0, 0, SMTO_ABORTIFHUNG, timeout_ms, &answer) &&
           answer == 1;
}

bool TargetWindow::ShowsMoveCursor(DWORD timeout_ms) const
{
    DWORD_PTR answer = 0;
    return window_ &&
           SendMessageTimeoutW(window_, message_log::kAskMoveCursor, 0, 0, SMTO_ABORTIFHUNG, timeout_ms, &answer) &&
           answer == 1;
}

bool TargetWindow::OwnPoint(WPARAM which, POINT* point, DWORD timeout_ms) const
{
    DWORD_PTR answer = 0;
    if (!window_ || !SendMessageTimeoutW(window_, message_log::kAskOwnPoint, which, 0, SMTO_ABORTIFHUNG,
                                         timeout_ms, &answer))
        return false;
    point->x = SHORT(LOWORD(answer));
    point->y = SHORT(HIWORD(answer));
    return true;
}

bool TargetWindow::Hang(DWORD ms)
{
    return window_ && HangThreadOf(window_, ms);
}

std::vector<message_log::Record> TargetWindow::Messages() const
{
    std::vector<message_log::Record> out;
    if (!log_)
        return out;
    LONG count = log_->count;
    LONG first = cleared_at_;
    if (count - first > message_log::kCapacity)
        first = count - message_log::kCapacity;
    for (LONG i = first; i < count; ++i)
        out.push_back(log_->records[i % message_log::kCapacity]);
    return out;
}

std::vector<message_log::Record> TargetWindow::Messages(UINT message, int window) const
{
    std::vector<message_log::Record> out;
    for (const auto& r : Messages())
        if (r.message == message && (window < 0 || int(r.window) == window))
            out.push_back(r);
    return out;
}

void TargetWindow::ClearLog()
{
    if (log_)
        cleared_at_ = log_->count;
}

void TargetWindow::Close()
{
    if (window_)
        PostMessageW(window_, WM_CLOSE, 0, 0);
    helper_.Wait(5000);
    helper_.Kill();
    window_ = nullptr;
}

RECT WindowRect(HWND wnd)
{
    RECT r = {};
    GetWindowRect(wnd, &r);
    return r;
}

POINT WindowCentre(HWND wnd)
{
    const RECT r = WindowRect(wnd);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

POINT ClientCentre(HWND wnd)
{
    RECT client = {};
    GetClientRect(wnd, &client);
    POINT p = {(client.left + client.right) / 2, (client.top + client.bottom) / 2};
    ClientToScreen(wnd, &p);
    return p;
}

int RectHeight(const RECT& r) { return r.bottom - r.top; }
int RectWidth(const RECT& r) { return r.right - r.left; }

bool FindHitPoint(HWND wnd, LRESULT hit, POINT* point)
{
    RECT r = WindowRect(wnd);
    const int cx = (r.left + r.right) / 2;
    // Centre column first (captions, top and bottom borders), then a grid.
    for (int y = r.top; y < r.bottom; ++y) {
        DWORD_PTR answer = 0;
        if (SendMessageTimeoutW(wnd, WM_NCHITTEST, 0, MAKELPARAM(cx, y), SMTO_ABORTIFHUNG, 1000, &answer) &&
            LRESULT(answer) == hit) {
            *point = {cx, y};
            return true;
        }
    }
    for (int y = r.top; y < r.bottom; y += 2)
        for (int x = r.left; x < r.right; x += 2) {
            DWORD_PTR answer = 0;
            if (SendMessageTimeoutW(wnd, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_ABORTIFHUNG, 1000, &answer) &&
                LRESULT(answer) == hit) {
                *point = {x, y};
                return true;
            }
        }
    return false;
}

bool IsLayered(HWND wnd) { return (GetWindowLongW(wnd, GWL_EXSTYLE) & WS_EX_LAYERED) != 0; }

int LayeredAlpha(HWND wnd)
{
    BYTE alpha = 0;
    DWORD flags = 0;
    if (!IsLayered(wnd) || !GetLayeredWindowAttributes(wnd, nullptr, &alpha, &flags) || !(flags & LWA_ALPHA))
        return 255;
    return alpha;
}

bool RollUpByCaption(TargetWindow& target)
{
    HWND wnd = target.Window();
    const int full = RectHeight(WindowRect(wnd));
    POINT caption;
    if (!FindHitPoint(wnd, HTCAPTION, &caption))
        return false;
    PumpFor(GetDoubleClickTime() + 150);
    input::DoubleClick(input::Button::Left, caption);
    return WaitFor([&] { return RectHeight(WindowRect(wnd)) < full / 3; }, 5000);
}

bool StartProgramAndTarget(Program& program, TargetWindow& target, const TargetOptions& options)
{
    return program.Start() && target.Start(options) && target.WaitForLibrary();
}

bool WaitForInputTaken(const TargetWindow& target, POINT marker, DWORD timeout_ms)
{
    // SendInput lands exactly only on columns that are multiples of 5.
    marker.x -= marker.x % 5;
    POINT client = marker;
    ScreenToClient(target.Window(), &client);
    // Within a pixel: a window that was just maximized or restored may still
    // be settling while its client origin is taken.
    auto close_to = [](LONGLONG lParam, POINT p) {
        const int x = SHORT(LOWORD(DWORD(lParam))), y = SHORT(HIWORD(DWORD(lParam)));
        return x >= p.x - 1 && x <= p.x + 1 && y >= p.y - 1 && y <= p.y + 1;
    };
    auto moves_there = [&] {
        size_t n = 0;
        for (const auto& r : target.Messages())
            n += r.window == 0 && ((r.message == WM_MOUSEMOVE && close_to(r.lParam, client)) ||
                                   (r.message == WM_NCMOUSEMOVE && close_to(r.lParam, marker)));
        return n;
    };
    const size_t before = moves_there();
    input::MoveTo(marker);
    if (WaitFor([&] { return moves_there() > before; }, timeout_ms))
        return true;
    std::string seen;
    for (const auto& r : target.Messages())
        if (r.message == WM_MOUSEMOVE || r.message == WM_NCMOUSEMOVE)
            seen += check::Format(" %s(%d,%d)", r.message == WM_MOUSEMOVE ? "client" : "frame",
                                  int(SHORT(LOWORD(DWORD(r.lParam)))), int(SHORT(HIWORD(DWORD(r.lParam)))));
    MESSAGE(check::Format("no move to (%ld, %ld) = client (%ld, %ld) arrived; moves seen:%s", marker.x, marker.y,
                          client.x, client.y, seen.size() > 300 ? seen.substr(seen.size() - 300).c_str() : seen.c_str()));
    return false;
}

}  // namespace scenario
