#pragma once
// A restart of the program, offered by the settings window when a saved
// value takes effect only at start.  The running instance ends as at Exit
// (every exit step runs), releases its single-instance flag and, last of
// all, starts quornvale.exe again with "/restart:<its process id>"; the new
// instance waits, bounded, for that process to end before it starts up, so
// that the two never run side by side.
#include <windows.h>

#include <string_view>

// How long a restarted instance waits for the one that started it.
constexpr DWORD kRestartHandOverMs = 10000;

// Ends the program as Exit does and marks the restart for the end of
// wWinMain (main thread).
void RequestRestart(HWND main_window);
bool IsRestartRequested();

// After the exit work, once the single-instance flag is released: starts
// this program's file again with "/restart:<this process id>".  False (the
// error traced and told in a message box) when it cannot be started.
bool StartNextInstance();

// At start: when the command line holds "/restart:<id>", waits at most
// limit_ms for that process to end (at once when it is gone already).
// Returns whether the command line asked for it.
bool AwaitPreviousInstance(const wchar_t* command_line, DWORD limit_ms);

// --- pure ---------------------------------------------------------------

// The process id of a "/restart:<id>" argument (case ignored, blanks around
// the arguments allowed): decimal digits only, not 0, within 32 bits.
// False for any other command line.
bool ParseRestartArgument(std::wstring_view command_line, DWORD* process_id);
// The command line of the next instance: the program's path as one quoted
// argument, then "/restart:<id>".  Its length, or 0 when out cannot hold it.
int FormatRestartCommandLine(const wchar_t* program_path, DWORD process_id, wchar_t* out, int out_chars);
