#include "quornvale/tools/net_use_process.h"

#include <wchar.h>

#include "common/debug_print.h"

namespace {
// Every process start happens under this lock, with the only inheritable
// handles of the moment being that start's own: otherwise a net.exe started
// by one worker could inherit the pipe of another and keep it open.
CRITICAL_SECTION g_start_lock;
LONG g_start_lock_state = 0;  // 0 new, 1 being set up, 2 ready

void EnterStartLock()
{
    if (InterlockedCompareExchange(&g_start_lock_state, 1, 0) == 0) {
        InitializeCriticalSection(&g_start_lock);
        InterlockedExchange(&g_start_lock_state, 2);
    }
    while (g_start_lock_state != 2)
        Sleep(1);
    EnterCriticalSection(&g_start_lock);
}

struct Handle {
    HANDLE h = nullptr;
    ~Handle() { Close(); }
    void Close()
    {
        if (h && h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
        h = nullptr;
    }
};

// Reads what the pipe holds now; the first bytes are kept, the rest dropped.
void Drain(HANDLE pipe, HiddenRun* run, int* kept)
{
    for (;;) {
        DWORD available = 0;
        if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) || available == 0)
            return;
        char chunk[512];
        DWORD got = 0;
        if (!ReadFile(pipe, chunk, available < sizeof(chunk) ? available : DWORD(sizeof(chunk)), &got, nullptr) ||
            got == 0)
            return;
        for (DWORD i = 0; i < got && *kept < int(sizeof(run->output)) - 1; ++i)
            run->output[(*kept)++] = chunk[i];
        run->output[*kept] = '\0';
    }
}
}  // namespace

bool NetExePath(wchar_t* out, int out_chars)
{
    wchar_t system[MAX_PATH];
    UINT got = GetSystemDirectoryW(system, MAX_PATH);
    if (got == 0 || got >= MAX_PATH)
        return false;
    if (out_chars <= 0)
        return false;
    const int n = _snwprintf(out, out_chars - 1, L"%s\\net.exe", system);
    out[out_chars - 1] = L'\0';
    return n >= 0;
}

void RunHidden(const wchar_t* program, const wchar_t* command_line, DWORD limit_ms, HiddenRun* run)
{
    *run = {};
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    Handle read_end, write_end, input;
    PROCESS_INFORMATION process = {};
    // net.exe hands its work to net1.exe: a time-out ends the whole tree.
    Handle job;
    job.h = CreateJobObjectW(nullptr, nullptr);
    if (!job.h)
        DebugPrint(L"CreateJobObjectW failed, error %lu\n", GetLastError());
    {
        EnterStartLock();
        BOOL ok = CreatePipe(&read_end.h, &write_end.h, &inherit, 0);
        if (!ok) {
            run->start_error = GetLastError();
            DebugPrint(L"CreatePipe failed, error %lu\n", run->start_error);
        } else {
            // Our end is not handed down; net.exe gets the null device as its
            // input, so a prompt ends at once instead of waiting for us.
            SetHandleInformation(read_end.h, HANDLE_FLAG_INHERIT, 0);
            input.h = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                  OPEN_EXISTING, 0, nullptr);
            STARTUPINFOW startup = {};
            startup.cb = sizeof(startup);
            startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
            startup.wShowWindow = SW_HIDE;
            startup.hStdInput = input.h == INVALID_HANDLE_VALUE ? nullptr : input.h;
            startup.hStdOutput = write_end.h;
            startup.hStdError = write_end.h;
            // CreateProcessW may write into the command line.
            wchar_t line[1100];
            lstrcpynW(line, command_line, ARRAYSIZE(line));
            // Suspended until it is in the job, so that nothing it starts
            // is outside.
            ok = CreateProcessW(program, line, nullptr, nullptr, TRUE,
                                CREATE_NO_WINDOW | NORMAL_PRIORITY_CLASS | CREATE_SUSPENDED, nullptr, nullptr,
                                &startup, &process);
            if (!ok) {
                run->start_error = GetLastError();
                DebugPrint(L"CreateProcessW %s failed, error %lu\n", program, run->start_error);
            } else {
                // A program that runs in a job of its own already cannot put
                // net.exe into another before Windows 8: then only net.exe
                // itself is ended at the time-out.
                if (job.h && !AssignProcessToJobObject(job.h, process.hProcess)) {
                    DebugPrint(L"AssignProcessToJobObject failed, error %lu\n", GetLastError());
                    job.Close();
                }
                ResumeThread(process.hThread);
            }
        }
        // Only the child holds the write end now: its end is the pipe's end.
        write_end.Close();
        input.Close();
        LeaveCriticalSection(&g_start_lock);
        if (!ok)
            return;
    }
    run->started = true;
    Handle process_handle{process.hProcess}, thread_handle{process.hThread};
    int kept = 0;
    const DWORD begun = GetTickCount();
    for (;;) {
        Drain(read_end.h, run, &kept);
        DWORD waited = GetTickCount() - begun;
        DWORD step = waited >= limit_ms ? 0 : (limit_ms - waited < 20 ? limit_ms - waited : 20);
        if (WaitForSingleObject(process.hProcess, step) == WAIT_OBJECT_0) {
            Drain(read_end.h, run, &kept);
            run->ended = true;
            GetExitCodeProcess(process.hProcess, &run->exit_code);
            return;
        }
        if (GetTickCount() - begun >= limit_ms) {
            if (job.h && !TerminateJobObject(job.h, 1)) {
                DebugPrint(L"TerminateJobObject failed, error %lu\n", GetLastError());
                job.Close();
            }
            if (!job.h && !TerminateProcess(process.hProcess, 1))
                DebugPrint(L"TerminateProcess failed, error %lu\n", GetLastError());
            DebugPrint(L"%s did not end within %lu ms; it was ended%s\n", program, limit_ms,
                       job.h ? L" with every process it started" : L"");
            return;
        }
    }
}
