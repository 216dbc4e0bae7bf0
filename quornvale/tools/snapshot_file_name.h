#pragma once
// Names of snapshot files and the image type their extension asks for.
#include <cstddef>

// folder + name + next + "." + format, e.g. "D:\shots\" "shot" 7 "png" gives
// "D:\shots\shot7.png" (no separator is inserted).  False, with an empty
// result, when the whole name does not fit into out_chars (terminator
// included) or an argument is missing; nothing is written past out_chars.
bool ComposeSnapshotFileName(const wchar_t* folder, const wchar_t* name, int next,
                             const wchar_t* format, wchar_t* out, size_t out_chars);

// The MIME type of the encoder for a file path: "image/" + the text after the
// last ".", where "jpg" means "image/jpeg" and "tif" "image/tiff" (the file
// keeps the extension typed).  False when the path has no "." or the type
// would be longer than 19 characters.
bool EncoderMimeType(const wchar_t* file_path, wchar_t* out, size_t out_chars);

// Pure: the number of a snapshot file name "<prefix><digits>.<extension>",
// compared without regard to case as Windows compares names; -1 for any
// other name and for a number above max.
int SnapshotNumberOf(const wchar_t* file_name, const wchar_t* prefix, const wchar_t* extension, int max);
