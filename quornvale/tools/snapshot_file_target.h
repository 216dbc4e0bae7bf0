#pragma once
// The file the next snapshot goes to, from section "snapshot" of
// settings.ini: folder "path" (made absolute against the current directory,
// the program's folder, and created with its parents), prefix "name",
// number "next" and extension "format".
#include <windows.h>

// Fills `path` (kSnapshotPathChars characters) and advances "next" once the
// folder could be made absolute, whether or not the name then fits.  False
// when the folder cannot be made absolute or the whole name does not fit.
constexpr int kSnapshotPathChars = MAX_PATH;
bool BuildSnapshotFileName(wchar_t* path);
