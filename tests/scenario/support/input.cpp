#include "tests/scenario/support/input.h"

#include <string>

#include "tests/scenario/support/harness.h"

namespace scenario::input {
namespace {
INPUT MouseInput(POINT p, DWORD flags, DWORD data, ULONG_PTR extra)
{
    // Absolute coordinates are normalised to 0..65535 over the primary screen.
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dx = LONG((p.x * 65536LL + w / 2) / w);
    in.mi.dy = LONG((p.y * 65536LL + h / 2) / h);
    in.mi.mouseData = data;
    in.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    in.mi.dwExtraInfo = extra;
    return in;
}

void Send(INPUT in)
{
    SendInput(1, &in, sizeof(INPUT));
}

DWORD DownFlag(Button b)
{
    return b == Button::Left ? MOUSEEVENTF_LEFTDOWN : b == Button::Right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_MIDDLEDOWN;
}

DWORD UpFlag(Button b)
{
    return b == Button::Left ? MOUSEEVENTF_LEFTUP : b == Button::Right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_MIDDLEUP;
}

bool IsExtended(WORD vk)
{
    switch (vk) {
    case VK_RMENU: case VK_RCONTROL: case VK_LWIN: case VK_RWIN: case VK_INSERT: case VK_DELETE:
    case VK_HOME: case VK_END: case VK_PRIOR: case VK_NEXT: case VK_LEFT: case VK_RIGHT:
    case VK_UP: case VK_DOWN:
        return true;
    default:
        return false;
    }
}

void Key(WORD vk, bool up)
{
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = WORD(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (IsExtended(vk) ? KEYEVENTF_EXTENDEDKEY : 0);
    Send(in);
}

// X key codes of the X server's default keyboard map.
int XKeyCode(WORD vk)
{
    switch (vk) {
    case VK_LMENU: return 64;
    case VK_RMENU: return 108;
    case VK_LCONTROL: return 37;
    case VK_RCONTROL: return 105;
    case VK_LSHIFT: return 50;
    default: return 0;
    }
}

// xdotool is a Unix program; Wine starts it, but gives no waitable handle,
// so the caller waits for the effect instead.
bool RunXdotool(std::wstring line)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(L"Z:\\usr\\bin\\xdotool", line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info))
        return false;
    if (info.hProcess)
        CloseHandle(info.hProcess);
    if (info.hThread)
        CloseHandle(info.hThread);
    return true;
}

// The X window that Wine made for the foreground window, or 0.  A real key
// goes to the window that has the X server's keyboard focus.  Without a
// virtual desktop and without a window manager Wine asks for that focus
// itself when it activates a window, with a time stamp of the thread's last
// message, and the X server ignores a request older than its last focus
// change: a window activated on its creation after an earlier one was
// destroyed (the focus went back to the root) may never get it.  A key
// then goes to the root window, or to what is under the pointer (nothing
// when a docked window left it outside), and Wine never sees it.
ULONG_PTR ForegroundXWindow()
{
    HWND foreground = GetForegroundWindow();
    if (!foreground || !IsWindowVisible(foreground))
        return 0;
    return reinterpret_cast<ULONG_PTR>(GetPropW(foreground, L"__wine_x11_whole_window"));
}

bool RealKey(WORD vk, bool down)
{
    const int code = XKeyCode(vk);
    if (!code)
        return false;
    // The focus first, as a click on it would have given it, in the same
    // xdotool run: the X server takes both in order.  A window that went
    // meanwhile fails the focus and with it the run: the key alone then.
    const std::wstring key = (down ? L"keydown " : L"keyup ") + std::to_wstring(code);
    const auto arrived = [&] {
        return WaitFor([&] { return ((GetAsyncKeyState(vk) & 0x8000) != 0) == down; }, 5000);
    };
    if (const ULONG_PTR window = ForegroundXWindow())
        if (RunXdotool(L"xdotool windowfocus " + std::to_wstring(window) + L" " + key) && arrived())
            return true;
    return RunXdotool(L"xdotool " + key) && arrived();
}

bool RealButton(bool down)
{
    if (!RunXdotool(down ? L"xdotool mousedown 1" : L"xdotool mouseup 1"))
        return false;
    return WaitFor([&] { return ((GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0) == down; }, 5000);
}
}  // namespace

bool RealKeyDown(WORD vk) { return RealKey(vk, true); }
bool RealLeftDown() { return RealButton(true); }
bool RealLeftUp() { return RealButton(false); }

bool RealMoveToUnwaited(POINT p)
{
    return RunXdotool(L"xdotool mousemove " + std::to_wstring(p.x) + L" " + std::to_wstring(p.y));
}

bool RealMoveTo(POINT p)
{
    if (!RunXdotool(L"xdotool mousemove " + std::to_wstring(p.x) + L" " + std::to_wstring(p.y)))
        return false;
    return WaitFor([&] {
        POINT now = {};
        return GetCursorPos(&now) && now.x == p.x && now.y == p.y;
    }, 5000);
}
bool RealKeyUp(WORD vk) { return RealKey(vk, false); }

void MoveTo(POINT p, ULONG_PTR extra) { Send(MouseInput(p, 0, 0, extra)); }
void Press(Button b, POINT p, ULONG_PTR extra) { Send(MouseInput(p, DownFlag(b), 0, extra)); }
void Release(Button b, POINT p, ULONG_PTR extra) { Send(MouseInput(p, UpFlag(b), 0, extra)); }

void Click(Button b, POINT p)
{
    MoveTo(p);
    Settle(30);
    Press(b, p);
    Settle(30);
    Release(b, p);
}

void DoubleClick(Button b, POINT p)
{
    MoveTo(p);
    Settle(30);
    Press(b, p);
    Release(b, p);
    Settle(30);
    Press(b, p);
    Release(b, p);
}

void Wheel(int amount, POINT p, ULONG_PTR extra)
{
    Send(MouseInput(p, MOUSEEVENTF_WHEEL, DWORD(amount), extra));
}

void KeyDown(WORD vk) { Key(vk, false); }
void KeyUp(WORD vk) { Key(vk, true); }
void Tap(WORD vk) { KeyDown(vk); KeyUp(vk); }
void Settle(DWORD ms) { PumpFor(ms); }

POINT PlaceCursor(POINT p)
{
    SetCursorPos(p.x, p.y);
    MoveTo(p);
    Settle(150);
    POINT now = p;
    GetCursorPos(&now);
    return now;
}

bool MoveUntil(POINT around, const std::function<bool()>& done, DWORD timeout_ms)
{
    const DWORD start = GetTickCount();
    for (int i = 0; GetTickCount() - start < timeout_ms; ++i) {
        if (done())
            return true;
        MoveTo(POINT{around.x + (i % 8) * 5, around.y + (i % 3) * 5});
        Settle(50);
    }
    return done();
}

}  // namespace scenario::input
