#pragma once
// The file the next snapshot goes to, from section "snapshot" of
// settings.ini: folder "path" (resolved against the user's pictures folder,
// snapshot_folder.h, and created with its parents), prefix "name", number
// "next" and extension "format".  The file is created new: a name that
// exists already (the number was reset, an older snapshot kept) is never
// opened, the next free number is taken instead.
#include <windows.h>

constexpr int kSnapshotPathChars = MAX_PATH;

struct SnapshotFile {
    wchar_t path[kSnapshotPathChars];
    HANDLE handle;       // the new, empty file, open for writing
    bool counter_saved;  // "next" written back to settings.ini
};

// Creates the file (CREATE_NEW) and writes the number after the one taken
// to "next".  `format` replaces the "format" setting when not null.  False,
// with no file, when the folder is unknown, the whole name does not fit
// into kSnapshotPathChars or the file cannot be created; "next" has still
// advanced once the folder was known.
bool CreateSnapshotFile(const wchar_t* format, SnapshotFile* file);

// Closes the file if it is open; with `discard` it is deleted too (a capture
// that failed leaves no empty file behind).
void CloseSnapshotFile(SnapshotFile* file, bool discard);
