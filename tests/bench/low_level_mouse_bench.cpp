// The low-level mouse hook runs on the program's main thread for every mouse
// event of the desktop.  This measures the real exported LowLevelMouseProc on
// a plain mouse move against a bare CallNextHookEx, in this process, and
// prints the ratio of one run (goal: at most 1.5).
#include <windows.h>

#include <stdio.h>

namespace {
using HookFn = LRESULT(CALLBACK*)(int, WPARAM, LPARAM);

LRESULT CALLBACK BareHook(int code, WPARAM wParam, LPARAM lParam)
{
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Nanoseconds per call of one round.
double NsPerCall(HookFn hook, LPARAM event, int calls)
{
    LARGE_INTEGER frequency, before, after;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&before);
    for (int i = 0; i < calls; ++i)
        hook(HC_ACTION, WM_MOUSEMOVE, event);
    QueryPerformanceCounter(&after);
    return double(after.QuadPart - before.QuadPart) * 1e9 / double(frequency.QuadPart) / calls;
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
    constexpr int kCalls = 50000;
    constexpr int kRounds = 8;
    NsPerCall(hook, lp, kCalls / 10);  // warm up both paths
    NsPerCall(BareHook, lp, kCalls / 10);
    // Rounds alternate, so that a busy machine slows both alike; the best
    // round of each counts.
    double bare = 1e30, real = 1e30;
    for (int round = 0; round < kRounds; ++round) {
        const double b = NsPerCall(BareHook, lp, kCalls);
        const double r = NsPerCall(hook, lp, kCalls);
        bare = b < bare ? b : bare;
        real = r < real ? r : real;
    }
    printf("mouse move, %d calls per round, best of %d alternating rounds:\n", kCalls, kRounds);
    printf("  bare CallNextHookEx:   %8.1f ns per call\n", bare);
    printf("  LowLevelMouseProc:     %8.1f ns per call\n", real);
    printf("  ratio: %.2f (goal at most 1.5)\n", bare > 0 ? real / bare : 0.0);
    FreeLibrary(library);
    return 0;
}
