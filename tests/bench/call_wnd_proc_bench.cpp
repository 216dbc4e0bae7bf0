// The call-window-procedure hook runs for every sent message of every GUI
// thread of the desktop.  This measures the real exported CallWndProc on
// sent messages it does not act on (WM_WINDOWPOSCHANGING; WM_SIZE of a
// window resized, not minimised and not in the tray, which it looks at; and
// another program's registered message)
// interleaved with a bare CallNextHookEx, in this process, and prints the
// ratios (goal: at most 1.5).
#include <windows.h>

#include <stdio.h>

#include "tests/bench/bench_ratio.h"

namespace {
using HookFn = LRESULT(CALLBACK*)(int, WPARAM, LPARAM);

void Compare(const char* what, HookFn hook, const CWPSTRUCT& sent)
{
    const LPARAM lp = reinterpret_cast<LPARAM>(&sent);
    volatile LRESULT sink = 0;
    ReportFigure(what, 1.5,
                 InterleavedRatios(RatioPlan{}, [&] { sink = hook(HC_ACTION, 0, lp); },
                                   [&] { sink = CallNextHookEx(nullptr, HC_ACTION, 0, lp); }));
    (void)sink;
}
}  // namespace

int main()
{
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    while (n > 0 && path[n - 1] != L'\\')
        --n;
    lstrcpynW(path + n, L"Ostrilix.dll", MAX_PATH - int(n));
    HMODULE library = LoadLibraryW(path);
    auto hook = library ? reinterpret_cast<HookFn>(
                              reinterpret_cast<void*>(GetProcAddress(library, "CallWndProc")))
                        : nullptr;
    if (!hook) {
        printf("CallWndProc not found beside the benchmark\n");
        return 1;
    }
    HWND window = CreateWindowExW(0, L"STATIC", L"bench", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    WINDOWPOS position = {};
    CWPSTRUCT changing = {reinterpret_cast<LPARAM>(&position), 0, WM_WINDOWPOSCHANGING, window};
    Compare("CallWndProc on an ignored WM_WINDOWPOSCHANGING / bare CallNextHookEx", hook, changing);
    CWPSTRUCT sized = {MAKELPARAM(100, 100), SIZE_RESTORED, WM_SIZE, window};
    Compare("CallWndProc on WM_SIZE of a restored window / bare CallNextHookEx", hook, sized);
    CWPSTRUCT registered = {0, 0, RegisterWindowMessageW(L"Quornvale.Bench.SomeoneElses"), window};
    Compare("CallWndProc on another program's registered message / bare CallNextHookEx", hook, registered);
    DestroyWindow(window);
    FreeLibrary(library);
    return 0;
}
