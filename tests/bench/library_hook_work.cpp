// The hook procedures' own work, which Wine's CallNextHookEx (tens of
// microseconds a call) hides in the other hook benchmarks: the library's
// code is linked into this program with the next-hook call behind its test
// seam (ostrilix/core/next_hook.h), so that passing a message on costs one
// plain call here.  Each hook procedure on the message it sees most and does
// not act on (a mouse move for MouseProc and LowLevelMouseProc, an ignored
// WM_WINDOWPOSCHANGING for CallWndProc) is timed interleaved with the least a
// hook of this library can do: a bare read of the shared block and the same
// call (goal: at most 2).  Every switch is on, so the figures show that a
// message that cannot act is decided before any switch is looked at.
#include <windows.h>
#include <stdio.h>

#include "common/ostrilix_interface.h"
#include "ostrilix/core/process_lock.h"
#include "ostrilix/core/shared_block.h"
#include "tests/bench/bench_ratio.h"

extern "C" LRESULT CALLBACK MouseProc(int code, WPARAM wParam, LPARAM lParam);
extern "C" LRESULT CALLBACK LowLevelMouseProc(int code, WPARAM wParam, LPARAM lParam);
extern "C" LRESULT CALLBACK CallWndProc(int code, WPARAM wParam, LPARAM lParam);

// The seam's next hook: one call that the compiler cannot leave out.
extern "C" __attribute__((noinline)) LRESULT QvNextHookSeam(int code, WPARAM wParam, LPARAM lParam)
{
    asm volatile("" ::: "memory");
    return code < 0 ? LRESULT(wParam) : 0;
}

namespace {
using HookFn = LRESULT(CALLBACK*)(int, WPARAM, LPARAM);

// The least a hook procedure of the library does: read a switch of the
// shared block, then pass the message on.
LRESULT CALLBACK BareSharedRead(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && *static_cast<volatile LONG*>(&g_shared.s_b_rollupwnd) < 0)
        return 1;
    return QvNextHookSeam(code, wParam, lParam);
}

void Compare(const char* what, HookFn hook, WPARAM wParam, LPARAM lParam)
{
    // Through volatile pointers: neither side is inlined into the loop.
    HookFn volatile ours = hook;
    HookFn volatile bare = BareSharedRead;
    volatile LRESULT sink = 0;
    ReportFigure(what, 2.0,
                 InterleavedRatios(RatioPlan{}, [&] { sink = ours(HC_ACTION, wParam, lParam); },
                                   [&] { sink = bare(HC_ACTION, wParam, lParam); }));
    (void)sink;
}
}  // namespace

int main()
{
    InitProcessLock();
    // Every switch on (auto-scroll's bit is its running state, not a switch).
    StoreFeatures(g_shared, 0x1FFF & ~DWORD(kFeatureAutoScrolling), 1);

    HWND window = CreateWindowExW(0, L"STATIC", L"bench", WS_OVERLAPPEDWINDOW, 200, 200, 400, 300, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    MOUSEHOOKSTRUCTEX record = {};
    record.pt = {400, 350};
    record.hwnd = window;
    record.wHitTestCode = HTCLIENT;
    Compare("own work: MouseProc on a mouse move / bare read of the shared block", MouseProc, WM_MOUSEMOVE,
            reinterpret_cast<LPARAM>(&record));

    MSLLHOOKSTRUCT event = {};
    event.pt = {400, 350};
    event.time = GetTickCount();
    Compare("own work: LowLevelMouseProc on a mouse move / bare read of the shared block", LowLevelMouseProc,
            WM_MOUSEMOVE, reinterpret_cast<LPARAM>(&event));

    WINDOWPOS position = {};
    CWPSTRUCT changing = {reinterpret_cast<LPARAM>(&position), 0, WM_WINDOWPOSCHANGING, window};
    Compare("own work: CallWndProc on an ignored WM_WINDOWPOSCHANGING / bare read of the shared block",
            CallWndProc, 0, reinterpret_cast<LPARAM>(&changing));
    DestroyWindow(window);
    return 0;
}
