#pragma once
// The 64-bit program's side of its 32-bit companion (quornvale/companion):
// on 64-bit Windows a 64-bit hook library reaches 64-bit processes only, so
// the companion installs the 32-bit library's in-context hooks for 32-bit
// applications.  The companion gets the library mirror (library_mirror.h)
// after every change, and is told to end when the program ends.  The 32-bit
// program has no companion: these do nothing there.
#include <windows.h>

// The companion's path below the program's folder; false when it does not fit.
bool CompanionPath(const wchar_t* program_dir, wchar_t* out, int out_chars);

// Starts x86\quornvale32.exe when it is there (end of start-up, after every
// first push); from then on every change of the mirror is published to it.
void StartCompanion(HWND main_window);
// Tells the companion to give its windows back and end (start of the exit).
void EndCompanion();
// Waits, answering sent messages, up to two seconds for it to be gone.
void AwaitCompanionEnd();
