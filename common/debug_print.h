#pragma once
// Diagnostic output to the debugger (OutputDebugString).  Nothing in the
// system reads these lines back; a debugger or debug-output viewer shows them.

// Wide-character printf-style trace; %s takes a wide text (Microsoft rules).
void DebugPrint(const wchar_t* format, ...);
// Narrow-character twin, built into the program only.
void DebugPrintA(const char* format, ...);
