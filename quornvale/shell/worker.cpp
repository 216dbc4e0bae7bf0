#include "quornvale/shell/worker.h"

#include <new>

#include "common/debug_print.h"
#include "common/system_function.h"

namespace {
struct WorkerStart {
    WorkerFn work;
    void* argument;
    bool with_com;
};

using CoInitializeExFn = HRESULT(WINAPI*)(void*, DWORD);
using CoUninitializeFn = void(WINAPI*)();
constexpr DWORD kApartmentThreaded = 0x2;  // COINIT_APARTMENTTHREADED
constexpr DWORD kNoOle1Dde = 0x4;          // COINIT_DISABLE_OLE1DDE

DWORD WINAPI WorkerMain(void* parameter)
{
    WorkerStart start = *static_cast<WorkerStart*>(parameter);
    delete static_cast<WorkerStart*>(parameter);
    if (!start.with_com) {
        start.work(start.argument);
        return 0;
    }
    SystemLibrary ole(L"ole32.dll");
    auto initialise = ole.Function<CoInitializeExFn>("CoInitializeEx");
    auto uninitialise = ole.Function<CoUninitializeFn>("CoUninitialize");
    const bool com = initialise && uninitialise && SUCCEEDED(initialise(nullptr, kApartmentThreaded | kNoOle1Dde));
    start.work(start.argument);
    if (com)
        uninitialise();
    return 0;
}
}  // namespace

bool StartWorker(WorkerFn work, void* argument, bool with_com)
{
    auto* start = new (std::nothrow) WorkerStart{work, argument, with_com};
    if (!start)
        return false;
    HANDLE thread = CreateThread(nullptr, 0, WorkerMain, start, 0, nullptr);
    if (!thread) {
        DebugPrint(L"A worker thread could not be started, error %lu\n", GetLastError());
        delete start;
        return false;
    }
    CloseHandle(thread);
    return true;
}

wchar_t* CopyForWorker(const wchar_t* text)
{
    if (!text)
        return nullptr;
    const int chars = lstrlenW(text) + 1;
    auto* copy = new (std::nothrow) wchar_t[chars];
    if (copy)
        lstrcpynW(copy, text, chars);
    return copy;
}
