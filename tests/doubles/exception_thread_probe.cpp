// The 32-bit stage's probe of its emulator, with none of the product's code:
// raises and handles the exception that OutputDebugString raises for a
// debugger, twenty times, alone ("alone") or while a second thread of the
// process waits ("beside").  Prints "probe done" and exits 0 when every one
// came back.  Under bookworm's qemu-i386 7.2 the "beside" run dies (the
// waiting thread faults with Wine's "unexpected trap -1"); qemu 10 of the
// backports, which the stage uses, passes both; see CONTRIBUTING.md.
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {
HANDLE g_stop = nullptr;

DWORD WINAPI Wait(void*)
{
    WaitForSingleObject(g_stop, INFINITE);
    return 0;
}
}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const bool beside = argc > 1 && std::wcscmp(argv[1], L"beside") == 0;
    g_stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = beside ? CreateThread(nullptr, 0, Wait, nullptr, 0, nullptr) : nullptr;
    if (!g_stop || (beside && !thread)) {
        std::printf("probe could not start (error %lu)\n", GetLastError());
        return 2;
    }
    for (int i = 0; i < 20; ++i)
        OutputDebugStringA("probe\n");
    SetEvent(g_stop);
    if (thread) {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
    CloseHandle(g_stop);
    std::printf("probe done\n");
    std::fflush(stdout);
    return 0;
}
