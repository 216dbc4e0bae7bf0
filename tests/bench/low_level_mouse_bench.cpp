// The low-level mouse hook runs on the program's main thread for every mouse
// event of the desktop.  This measures the real exported LowLevelMouseProc on
// a plain mouse move, interleaved with a bare CallNextHookEx, in this
// process, and prints the ratio (goal: at most 1.5).
#include <windows.h>

#include <stdio.h>

#include "tests/bench/bench_ratio.h"

namespace {
using HookFn = LRESULT(CALLBACK*)(int, WPARAM, LPARAM);
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
                              reinterpret_cast<void*>(GetProcAddress(library, "LowLevelMouseProc")))
                        : nullptr;
    if (!hook) {
        printf("LowLevelMouseProc not found beside the benchmark\n");
        return 1;
    }
    MSLLHOOKSTRUCT event = {};
    GetCursorPos(&event.pt);
    event.time = GetTickCount();
    const LPARAM lp = reinterpret_cast<LPARAM>(&event);
    volatile LRESULT sink = 0;
    ReportFigure("LowLevelMouseProc on a mouse move / bare CallNextHookEx", 1.5,
                 InterleavedRatios(
                     RatioPlan{}, [&] { sink = hook(HC_ACTION, WM_MOUSEMOVE, lp); },
                     [&] { sink = CallNextHookEx(nullptr, HC_ACTION, WM_MOUSEMOVE, lp); }));
    (void)sink;
    FreeLibrary(library);
    return 0;
}
