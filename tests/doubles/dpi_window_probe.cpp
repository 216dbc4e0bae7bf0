// A probe of Wine's DPI handling, with none of the product's code: a
// DPI-aware process (SetProcessDPIAware, as a manifest's dpiAware does)
// creates a frameless window at 100, 100, 400 x 300 and prints the window's
// DPI awareness context as Wine answers it, the window's rectangle as
// created, and the window's rectangle and the work area as its own window
// procedure reads them.  Run it on a 144 DPI screen (LogPixels 144 and
// DpiScalingVer 0x1000 under HKCU\Control Panel\Desktop).  An aware process
// has physical pixels throughout: exit 0 when every rectangle is the one
// asked for and the work area the screen's width, 1 otherwise, 2 when the
// probe could not run.  With both values, Wine 8.0's 32-bit build answers
// no (its windows are unaware whatever the process), its 64-bit build yes;
// with LogPixels alone both answer yes.  See CONTRIBUTING.md.
#include <windows.h>

#include <cstdio>

namespace {
constexpr UINT kAskInside = WM_APP + 1;
RECT g_inside_rect = {}, g_inside_work = {};

LRESULT CALLBACK Procedure(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == kAskInside) {
        GetWindowRect(wnd, &g_inside_rect);
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &g_inside_work, 0);
        return 1;
    }
    return DefWindowProcW(wnd, msg, wp, lp);
}

template <typename Fn>
Fn User32Function(const char* name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

void Print(const char* what, const RECT& r)
{
    std::printf("%s %ld,%ld,%ld,%ld\n", what, r.left, r.top, r.right, r.bottom);
}
}  // namespace

int wmain()
{
    using SetAwareFn = BOOL(WINAPI*)();
    using WindowContextFn = HANDLE(WINAPI*)(HWND);
    auto set_aware = User32Function<SetAwareFn>("SetProcessDPIAware");
    auto window_context = User32Function<WindowContextFn>("GetWindowDpiAwarenessContext");
    if (!set_aware || !set_aware()) {
        std::printf("probe could not make the process DPI-aware (error %lu)\n", GetLastError());
        return 2;
    }
    WNDCLASSW wc = {};
    wc.lpfnWndProc = Procedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QvDpiWindowProbe";
    const RECT asked = {100, 100, 500, 400};
    HWND wnd = RegisterClassW(&wc) ? CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"DPI probe", WS_POPUP,
                                                     asked.left, asked.top, asked.right - asked.left,
                                                     asked.bottom - asked.top, nullptr, nullptr, wc.hInstance, nullptr)
                                   : nullptr;
    if (!wnd) {
        std::printf("probe could not create its window (error %lu)\n", GetLastError());
        return 2;
    }
    RECT created = {};
    GetWindowRect(wnd, &created);
    SendMessageW(wnd, kAskInside, 0, 0);
    std::printf("screen %d x %d, process DPI-aware\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    std::printf("window awareness context %p\n", window_context ? static_cast<void*>(window_context(wnd)) : nullptr);
    Print("asked", asked);
    Print("created", created);
    Print("inside its procedure", g_inside_rect);
    Print("work area inside its procedure", g_inside_work);
    const bool physical = EqualRect(&created, &asked) && EqualRect(&g_inside_rect, &asked) &&
                          g_inside_work.right - g_inside_work.left == GetSystemMetrics(SM_CXSCREEN);
    std::printf("%s\n", physical ? "physical pixels throughout" : "not physical pixels: the window is not DPI-aware");
    DestroyWindow(wnd);
    return physical ? 0 : 1;
}
