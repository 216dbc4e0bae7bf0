// A target application for scenario tests: one top-level window (and an
// optional child filling its client area) in a process of its own, logging
// every message it receives to shared memory so a test can see what the
// application saw.
//   target_window_gui --title T [--class C] [--rect x,y,w,h] [--log TAG]
//                     [--child CLASS] [--popup] [--keep-on-close]
//                     [--no-activate] [--menu] [--second x,y,w,h] [--pattern]
// --second adds a second top-level window of the same class in the same
// process and thread, titled T + " (second)" (logged as window 1).
// --pattern paints the client area with TargetPattern() of message_log.h, a
// known colour for every client pixel, so a test can check captured pixels.
// The hang switch of hang_switch.h makes its thread hang on request.
#include <windows.h>
#include <shellapi.h>
#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include <string>

#include "tests/doubles/hang_switch.h"
#include "tests/doubles/message_log.h"

namespace {
message_log::Log* g_log = nullptr;
HWND g_top = nullptr;
HWND g_child = nullptr;
bool g_keep_on_close = false;
UINT g_hang_message = 0;
bool g_pattern = false;

void PaintPattern(HWND wnd)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(wnd, &ps);
    RECT client;
    GetClientRect(wnd, &client);
    const int w = client.right, h = client.bottom;
    if (dc && w > 0 && h > 0) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;  // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        DWORD* bits = static_cast<DWORD*>(HeapAlloc(GetProcessHeap(), 0, size_t(w) * h * 4));
        if (bits) {
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    COLORREF c = message_log::TargetPattern(x, y);
                    bits[size_t(y) * w + x] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
                }
            SetDIBitsToDevice(dc, 0, 0, w, h, 0, 0, 0, h, bits, &info, DIB_RGB_COLORS);
            HeapFree(GetProcessHeap(), 0, bits);
        }
    }
    EndPaint(wnd, &ps);
}

DWORD KeyBits()
{
    DWORD bits = 0;
    if (GetAsyncKeyState(VK_MENU) & 0x8000) bits |= 1;
    if (GetAsyncKeyState(VK_CONTROL) & 0x8000) bits |= 2;
    if (GetAsyncKeyState(VK_SHIFT) & 0x8000) bits |= 4;
    if (GetAsyncKeyState(VK_LWIN) & 0x8000) bits |= 8;
    return bits;
}

void Record(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (!g_log)
        return;
    // Hit tests and cursor queries come in floods and tell a test nothing.
    if (msg == WM_NCHITTEST || msg == WM_SETCURSOR || msg == WM_GETICON || msg == WM_GETTEXT ||
        msg == WM_GETTEXTLENGTH || msg == WM_GETOBJECT)
        return;
    LONG slot = InterlockedIncrement(&g_log->count) - 1;
    message_log::Record& r = g_log->records[slot % message_log::kCapacity];
    r.message = msg;
    r.window = wnd == g_top ? 0 : 1;
    r.wParam = ULONGLONG(wp);
    r.lParam = LONGLONG(lp);
    if (g_top)
        GetWindowRect(g_top, &r.rect);
    r.time = GetTickCount();
    r.async_keys = KeyBits();
}

LRESULT Packed(LONG x, LONG y) { return LRESULT(MAKELONG(WORD(SHORT(x)), WORD(SHORT(y)))); }

LRESULT OwnPoint(HWND wnd, WPARAM which)
{
    RECT r = {};
    GetWindowRect(wnd, &r);
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    POINT cursor = {};
    switch (which) {
    case message_log::kOwnRectTopLeft: return Packed(r.left, r.top);
    case message_log::kOwnRectBottomRight: return Packed(r.right, r.bottom);
    case message_log::kOwnWorkTopLeft: return Packed(work.left, work.top);
    case message_log::kOwnWorkBottomRight: return Packed(work.right, work.bottom);
    case message_log::kOwnCursor:
        GetCursorPos(&cursor);
        return Packed(cursor.x, cursor.y);
    case message_log::kOwnCaptionPoint:
        // Down the middle, from the top: the first caption pixel, and a few more.
        for (LONG y = r.top; y < r.top + 80 && y < r.bottom; ++y)
            if (DefWindowProcW(wnd, WM_NCHITTEST, 0, MAKELPARAM((r.left + r.right) / 2, y)) == HTCAPTION)
                return Packed((r.left + r.right) / 2, y + 6);
        return Packed(-1, -1);
    default: return Packed(-1, -1);
    }
}

LRESULT CALLBACK TopProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    Record(wnd, msg, wp, lp);
    if (HandleHangThreadMessage(g_hang_message, msg, wp))
        return 0;
    switch (msg) {
    case WM_CLOSE:
        if (g_keep_on_close)
            return 0;
        break;
    case WM_SIZE:
        if (g_child)
            MoveWindow(g_child, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
        break;
    case WM_DESTROY:
        if (wnd == g_top)
            PostQuitMessage(0);
        break;
    case message_log::kAskMoveCursor:
        return GetCursor() == LoadCursorW(nullptr, IDC_SIZEALL) ? 1 : 2;
    case WM_PAINT:
        if (g_pattern) {
            PaintPattern(wnd);
            return 0;
        }
        break;
    case message_log::kAskOwnPoint:
        return OwnPoint(wnd, wp);
    case message_log::kAskOwnProcedure:
        return GetWindowLongPtrW(wnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(TopProc) ? 1 : 2;
    default:
        break;
    }
    return DefWindowProcW(wnd, msg, wp, lp);
}

WNDPROC g_child_original = nullptr;
LRESULT CALLBACK ChildProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    Record(wnd, msg, wp, lp);
    return CallWindowProcW(g_child_original, wnd, msg, wp, lp);
}

const wchar_t* Arg(int argc, wchar_t** argv, const wchar_t* name, const wchar_t* fallback)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (wcscmp(argv[i], name) == 0)
            return argv[i + 1];
    return fallback;
}

bool Flag(int argc, wchar_t** argv, const wchar_t* name)
{
    for (int i = 1; i < argc; ++i)
        if (wcscmp(argv[i], name) == 0)
            return true;
    return false;
}
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    // Physical pixels on a high-DPI screen too, as an application that
    // declares itself DPI-aware: its pattern and rectangles are what the
    // screen shows.
    using SetAwareFn = BOOL(WINAPI*)();
    if (auto set_aware = reinterpret_cast<SetAwareFn>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDPIAware"))))
        set_aware();
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const wchar_t* title = Arg(argc, argv, L"--title", L"Quornvale target");
    const wchar_t* cls = Arg(argc, argv, L"--class", L"QvTargetWindow");
    const wchar_t* tag = Arg(argc, argv, L"--log", nullptr);
    const wchar_t* child_class = Arg(argc, argv, L"--child", nullptr);
    int x = 100, y = 100, w = 400, h = 300;
    swscanf(Arg(argc, argv, L"--rect", L"100,100,400,300"), L"%d,%d,%d,%d", &x, &y, &w, &h);
    g_keep_on_close = Flag(argc, argv, L"--keep-on-close");
    g_pattern = Flag(argc, argv, L"--pattern");
    g_hang_message = HangThreadMessage();

    if (tag) {
        wchar_t name[128];
        message_log::MappingName(tag, name, 128);
        HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                            sizeof(message_log::Log), name);
        if (mapping)
            g_log = static_cast<message_log::Log*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
    }

    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = TopProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = cls;
    RegisterClassExW(&wc);

    DWORD style = Flag(argc, argv, L"--popup") ? (WS_POPUP | WS_BORDER) : WS_OVERLAPPEDWINDOW;
    // A menu bar, as an ordinary editor has.
    HMENU menu_bar = nullptr;
    if (Flag(argc, argv, L"--menu")) {
        menu_bar = CreateMenu();
        const wchar_t* const names[] = {L"&File", L"&Edit", L"&View", L"&Help"};
        for (const wchar_t* name : names) {
            HMENU popup = CreatePopupMenu();
            AppendMenuW(popup, MF_STRING, 100, L"&Item");
            AppendMenuW(menu_bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), name);
        }
    }
    g_top = CreateWindowExW(0, cls, title, style, x, y, w, h, nullptr, menu_bar, instance, nullptr);
    if (!g_top)
        return 1;
    if (child_class) {
        RECT client;
        GetClientRect(g_top, &client);
        g_child = CreateWindowExW(0, child_class, L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL, 0, 0,
                                  client.right, client.bottom, g_top, nullptr, instance, nullptr);
        if (g_child)
            g_child_original = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrW(g_child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ChildProc)));
    }
    if (const wchar_t* second = Arg(argc, argv, L"--second", nullptr)) {
        int sx = 0, sy = 0, sw = 0, sh = 0;
        swscanf(second, L"%d,%d,%d,%d", &sx, &sy, &sw, &sh);
        wchar_t second_title[256];
        _snwprintf(second_title, 255, L"%s (second)", title);
        second_title[255] = 0;
        HWND second_window = CreateWindowExW(0, cls, second_title, style, sx, sy, sw, sh, nullptr, nullptr,
                                             instance, nullptr);
        if (second_window)
            ShowWindow(second_window, SW_SHOWNOACTIVATE);
    }
    ShowWindow(g_top, Flag(argc, argv, L"--no-activate") ? SW_SHOWNOACTIVATE : SW_SHOW);
    if (!Flag(argc, argv, L"--no-activate"))
        SetForegroundWindow(g_top);
    UpdateWindow(g_top);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
