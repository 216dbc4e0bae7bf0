// Cost of the shared subclass procedure on the message a caption drag sends
// most: WM_MOVING of a window being dragged in the middle of the screen,
// where nothing docks.  The built Ostrilix.dll is loaded into this process,
// a caption press through its MouseProc (docking on) puts DockWndProc in
// front of a window's own procedure, and WM_MOVING through it is timed side
// by side (interleaved) with a bare CallWindowProcW to the same original
// procedure (goal: at most 1.5).  The same is timed once the drag has ended
// (no docking state left).
#include <windows.h>
#include <stdio.h>

#include "common/ostrilix_interface.h"
#include "tests/bench/bench_ratio.h"

namespace {
LRESULT CALLBACK BenchWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    return DefWindowProcW(wnd, msg, wp, lp);
}

// WM_MOVING through DockWndProc against a bare CallWindowProcW to the
// window's own procedure, dragging about the middle of the screen: the
// rectangle changes each call as in a real drag, never near an edge.
std::vector<double> Measure(WNDPROC dock, HWND wnd)
{
    volatile LRESULT sink = 0;
    int i = 0, j = 0;
    auto ratios = InterleavedRatios(
        RatioPlan{},
        [&] {
            RECT drag = {400 + (i & 15), 300 + (i & 7), 800 + (i & 15), 600 + (i & 7)};
            ++i;
            sink = CallWindowProcW(dock, wnd, WM_MOVING, WMSZ_TOPLEFT, reinterpret_cast<LPARAM>(&drag));
        },
        [&] {
            RECT drag = {400 + (j & 15), 300 + (j & 7), 800 + (j & 15), 600 + (j & 7)};
            ++j;
            sink = CallWindowProcW(BenchWndProc, wnd, WM_MOVING, WMSZ_TOPLEFT, reinterpret_cast<LPARAM>(&drag));
        });
    (void)sink;
    return ratios;
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
    enable(0x1FFF, 0);
    enable(kFeatureDocking, 1);

    WNDCLASSW wc = {};
    wc.lpfnWndProc = BenchWndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QvDockBenchWindow";
    RegisterClassW(&wc);
    HWND wnd = CreateWindowExW(0, L"QvDockBenchWindow", L"bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 400, 300,
                               400, 300, nullptr, nullptr, wc.hInstance, nullptr);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);

    // The caption press that starts a drag with docking on.
    MOUSEHOOKSTRUCTEX record = {};
    record.pt = {600, 310};
    record.hwnd = wnd;
    record.wHitTestCode = HTCAPTION;
    mouse_proc(HC_ACTION, WM_NCLBUTTONDOWN, reinterpret_cast<LPARAM>(&record));
    auto dock = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(wnd, GWLP_WNDPROC));
    if (dock == BenchWndProc) {
        printf("the caption press did not subclass the window\n");
        return 1;
    }

    ReportFigure("DockWndProc on a WM_MOVING that does not dock, while dragging / bare CallWindowProcW", 1.5,
                 Measure(dock, wnd));
    // The release ends the drag: the window keeps the subclass, not the state.
    record.wHitTestCode = HTCLIENT;
    mouse_proc(HC_ACTION, WM_LBUTTONUP, reinterpret_cast<LPARAM>(&record));
    ReportFigure("DockWndProc on a WM_MOVING with no drag under way / bare CallWindowProcW", 1.5,
                 Measure(dock, wnd));
    DestroyWindow(wnd);
    FreeLibrary(library);
    return 0;
}
