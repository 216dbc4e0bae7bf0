#pragma once
// Where snapshot files go: the user's own pictures folder (My Pictures, else
// the profile), never a folder beside the program, which an installed copy
// cannot write to.  A "path" setting that is not absolute is taken inside
// that folder.
#include <cstddef>

// The user's pictures folder with a final backslash: My Pictures (created
// when missing), else the profile folder.  False when neither is known.
bool UserSnapshotFolder(wchar_t* out, size_t out_chars);

// Pure: the folder named by the "path" setting, resolved against `base` (an
// absolute folder).  Empty: `base` itself, with a final backslash.  Absolute
// ("X:\..." or "\\server\share..."): as it is.  Rooted ("\shots"): on the
// root of base's drive.  Drive-relative ("X:shots"): on the root of that
// drive.  Anything else: inside base.  The setting's own end is kept (no
// separator is added after it: "path" normally ends with a backslash).
// False, with an empty result, when it does not fit into out_chars.
bool ResolveSnapshotFolder(const wchar_t* base, const wchar_t* setting, wchar_t* out, size_t out_chars);
