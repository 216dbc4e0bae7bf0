#pragma once
// Switching the clipboard between a text of file paths (one a line) and a
// file list that a folder window pastes (CF_HDROP).  The source format stays
// on the clipboard and the new one is added beside it; every failure leaves
// the clipboard closed and its content as it was.
#include <windows.h>

// Menu command 10: clipboard text to a file list.
bool PathsToFileList();
// Menu command 11: a file list to a text of its paths, each followed by CR LF.
bool FileListToPaths();
// An error balloon titled "Switching between path and pastable object".
void ShowErrorBalloon(const wchar_t* text);

// The CF_HDROP block for a text of paths separated by CR LF: a 20-byte
// DROPFILES header (wide characters), then each path and a 0, then one more
// 0; 2 * length + 28 bytes, movable and zeroed.  Empty lines are skipped.
// None for a null or empty text or one that names no path.
HGLOBAL BuildDropFiles(const wchar_t* text);
