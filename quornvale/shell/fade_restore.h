#pragma once
// At exit, windows that wheel transparency faded get their own look back.

// Calls the library's RestoreFadedWindows, if it has it, bounded to about a
// second so that a hung application cannot hold the exit.  Call while the
// hooks and the library are still there.
void RestoreFadedWindowsBeforeExit();
