#include "quornvale/shell/program_restart.h"

#include <stdio.h>

#include "common/debug_print.h"
#include "quornvale/shell/app_state.h"
#include "quornvale/tools/command_line_quote.h"

namespace {
constexpr wchar_t kRestartSwitch[] = L"/restart:";
constexpr int kCommandLineChars = kPathChars + 32;

bool g_restart_requested = false;

wchar_t Lower(wchar_t c) { return (c >= L'A' && c <= L'Z') ? wchar_t(c - L'A' + L'a') : c; }
bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }
}  // namespace

void RequestRestart(HWND main_window)
{
    g_restart_requested = true;
    DebugPrint(L"Restart requested\n");
    DestroyWindow(main_window);
}

bool IsRestartRequested() { return g_restart_requested; }

bool StartNextInstance()
{
    wchar_t path[kPathChars] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, kPathChars);
    wchar_t line[kCommandLineChars] = {};
    if (length == 0 || length >= DWORD(kPathChars) ||
        !FormatRestartCommandLine(path, GetCurrentProcessId(), line, kCommandLineChars)) {
        DebugPrint(L"Restart: the program's path could not be read, error %lu\n", GetLastError());
        MessageBoxW(nullptr, L"Quornvale could not be started again.", L"Quornvale", MB_ICONERROR);
        return false;
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(path, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        const DWORD error = GetLastError();
        DebugPrint(L"Restart: CreateProcess of %s failed, error %lu\n", path, error);
        wchar_t text[kPathChars + 64];
        _snwprintf(text, ARRAYSIZE(text) - 1, L"Quornvale could not be started again (error %lu).", error);
        text[ARRAYSIZE(text) - 1] = L'\0';
        MessageBoxW(nullptr, text, L"Quornvale", MB_ICONERROR);
        return false;
    }
    DebugPrint(L"Restart: started process %lu\n", process.dwProcessId);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

bool AwaitPreviousInstance(const wchar_t* command_line, DWORD limit_ms)
{
    DWORD previous = 0;
    if (!command_line || !ParseRestartArgument(command_line, &previous))
        return false;
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, previous);
    if (!process) {
        // Gone already (no such process), which is what is waited for.
        DebugPrint(L"Restart: process %lu not opened (ended), error %lu\n", previous, GetLastError());
        return true;
    }
    const DWORD waited = WaitForSingleObject(process, limit_ms);
    CloseHandle(process);
    if (waited == WAIT_OBJECT_0)
        DebugPrint(L"Restart: process %lu has ended\n", previous);
    else
        DebugPrint(L"Restart: process %lu still runs after %lu ms (wait %lu, error %lu)\n", previous, limit_ms,
                   waited, GetLastError());
    return true;
}

bool ParseRestartArgument(std::wstring_view line, DWORD* process_id)
{
    // The program's own path first, as one argument (quoted or not).
    while (!line.empty() && IsBlank(line.front()))
        line.remove_prefix(1);
    // The command line wWinMain gets holds the arguments only; a full one
    // starts with the program's path, which never starts with "/".
    if (!line.empty() && line.front() != L'/') {
        if (line.front() == L'"') {
            const size_t close = line.find(L'"', 1);
            line.remove_prefix(close == std::wstring_view::npos ? line.size() : close + 1);
        } else {
            while (!line.empty() && !IsBlank(line.front()))
                line.remove_prefix(1);
        }
        while (!line.empty() && IsBlank(line.front()))
            line.remove_prefix(1);
    }
    while (!line.empty() && IsBlank(line.back()))
        line.remove_suffix(1);
    const std::wstring_view name(kRestartSwitch);
    if (line.size() <= name.size())
        return false;
    for (size_t i = 0; i < name.size(); ++i)
        if (Lower(line[i]) != name[i])
            return false;
    line.remove_prefix(name.size());
    unsigned long long id = 0;
    for (wchar_t c : line) {
        if (c < L'0' || c > L'9')
            return false;
        id = id * 10 + unsigned(c - L'0');
        if (id > 0xFFFFFFFFull)
            return false;
    }
    if (id == 0)
        return false;
    if (process_id)
        *process_id = DWORD(id);
    return true;
}

int FormatRestartCommandLine(const wchar_t* program_path, DWORD process_id, wchar_t* out, int out_chars)
{
    if (!out || out_chars <= 0 || !program_path || !program_path[0])
        return 0;
    out[0] = L'\0';
    const int quoted = AppendQuotedArgument(out, out_chars, 0, program_path, true);
    if (quoted < 0)
        return 0;
    wchar_t tail[32];
    const int tail_length = _snwprintf(tail, 31, L" %s%lu", kRestartSwitch, process_id);
    tail[31] = L'\0';
    if (tail_length < 0 || quoted + tail_length + 1 > out_chars) {
        out[0] = L'\0';
        return 0;
    }
    lstrcpyW(out + quoted, tail);
    return quoted + tail_length;
}
