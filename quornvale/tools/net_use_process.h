#pragma once
// Runs net.exe hidden and collects the start of its output through a pipe.
// The output is read while the process runs, so a program that writes more
// than the pipe holds never waits for us; the wait is bounded, and a process
// still running at the bound is ended.
#include <windows.h>

struct HiddenRun {
    bool started;        // CreateProcessW succeeded
    DWORD start_error;   // its error when it did not
    bool ended;          // the process ended within the time (else it was ended)
    DWORD exit_code;     // valid when ended
    char output[256];    // the first 255 bytes of its output, 0-terminated
};

// "%SystemDirectory%\net.exe"; false when it does not fit.
bool NetExePath(wchar_t* out, int out_chars);

// Starts the program with the command line (which must begin with a blank:
// the program's name is not part of it), hidden, with standard output and
// error into a pipe and standard input from the null device, and waits at
// most limit_ms for it.  Not on the main thread with a long limit.
void RunHidden(const wchar_t* program, const wchar_t* command_line, DWORD limit_ms, HiddenRun* run);
