// Cost of the mouse hook for the message it sees most: WM_MOUSEMOVE over a
// real window while no feature acts.  Calls the real exported MouseProc of
// the built Ostrilix.dll in this process, interleaved with a bare
// CallNextHookEx (what any hook costs at least), and prints the ratio (goal:
// at most 1.5).  For comparison it also times what one window lookup per
// message (the window under the point and its class name) would add.
#include <windows.h>
#include <stdio.h>

#include "common/ostrilix_interface.h"
#include "tests/bench/bench_ratio.h"

namespace {
LRESULT CALLBACK BenchWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    return DefWindowProcW(wnd, msg, wp, lp);
}
}  // namespace

int main()
{
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    while (n && path[n - 1] != L'\\')
        --n;
    lstrcpynW(path + n, L"Ostrilix.dll", MAX_PATH - int(n));
    HMODULE library = LoadLibraryW(path);
    if (!library) {
        printf("cannot load %ls\n", path);
        return 1;
    }
    auto mouse_proc = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(library, "MouseProc")));
    auto enable = reinterpret_cast<EnableFeaturesFn>(reinterpret_cast<void*>(GetProcAddress(library, "EnableFeatures")));
    if (!mouse_proc || !enable) {
        printf("exports missing\n");
        return 1;
    }
    enable(0x1FFF, 0);  // no feature acts

    WNDCLASSW wc = {};
    wc.lpfnWndProc = BenchWndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QvBenchWindow";
    RegisterClassW(&wc);
    HWND wnd = CreateWindowExW(0, L"QvBenchWindow", L"bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 200, 200,
                               400, 300, nullptr, nullptr, wc.hInstance, nullptr);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);

    MOUSEHOOKSTRUCTEX record = {};
    record.pt = {400, 350};
    record.hwnd = wnd;
    record.wHitTestCode = HTCLIENT;
    const LPARAM lp = reinterpret_cast<LPARAM>(&record);
    if (WindowFromPoint(record.pt) != wnd)
        printf("note: the point is not over the bench window\n");

    volatile LRESULT sink = 0;
    RatioPlan plan;
    ReportFigure("MouseProc on a mouse move / bare CallNextHookEx", 1.5,
                 InterleavedRatios(
                     plan, [&] { sink = mouse_proc(HC_ACTION, WM_MOUSEMOVE, lp); },
                     [&] { sink = CallNextHookEx(nullptr, HC_ACTION, WM_MOUSEMOVE, lp); }));
    ReportFigure("a window and class lookup per move, for comparison / bare CallNextHookEx", 0,
                 InterleavedRatios(
                     plan,
                     [&] {
                         wchar_t class_name[260];
                         GetClassNameW(WindowFromPoint(record.pt), class_name, 260);
                         sink = CallNextHookEx(nullptr, HC_ACTION, WM_MOUSEMOVE, lp);
                     },
                     [&] { sink = CallNextHookEx(nullptr, HC_ACTION, WM_MOUSEMOVE, lp); }));
    (void)sink;
    DestroyWindow(wnd);
    FreeLibrary(library);
    return 0;
}
