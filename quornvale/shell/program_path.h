#pragma once
#include <windows.h>

// Writes the module's directory, with its trailing backslash, into the buffer
// and returns its length; 0 (buffer left holding the file name) when the
// name has no backslash after its first character or cannot be read.
int GetModuleDirectory(HMODULE module, wchar_t* buffer, int buffer_chars);

// Pure: the length of the directory part of a path, trailing backslash
// included; 0 when no backslash follows the first character.
int DirectoryLength(const wchar_t* path);

// The file exists and can be opened for reading.
bool IsReadableFile(const wchar_t* path);

// Pure: a path as the program means it: an absolute one ("C:\..." or
// "\\server\share\...") as written; one that starts with a single backslash
// on the folder's drive; any other (relative) one inside the folder (a
// directory with its trailing backslash), never against the current
// directory.  False (out empty) for an empty path, a drive-relative one
// ("C:name"), an unknown folder for a path that needs one, or a result that
// does not fit.
bool ResolveInFolder(const wchar_t* path, const wchar_t* folder, wchar_t* out, int out_chars);
