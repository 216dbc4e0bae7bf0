#pragma once
// Writing settings.ini with the fewest changes: the keys given get their new
// values and every other byte of the file stays as it was (comments, blank
// lines, the order of sections and keys, keys this program does not know,
// spacing and line endings).  The profile functions are not used for this:
// some implementations write the whole file again from what they parsed.
#include <windows.h>

#include <string>
#include <string_view>

// One key's new value.  Section and key names ignore case (ASCII letters).
template <class Char>
struct IniEdit {
    std::basic_string_view<Char> section;
    std::basic_string_view<Char> key;
    std::basic_string_view<Char> value;
};

// Pure: the text with the edit made.  A key that is there gets the value
// after its "=" (the name and the blanks around "=" kept); a key missing from
// its section is added after the section's last key (or its header); a
// missing section is added at the end, with the file's own line ending.  The
// first section of that name and its first key of that name are the ones the
// profile functions read, so they are the ones changed.  False (text
// unchanged) when a name or the value holds a line break, a name is empty,
// holds "]" or "=" or the key starts with ";": such an edit would write a
// line that reads back as something else.
template <class Char>
bool EditIniText(std::basic_string<Char>* text, const IniEdit<Char>& edit);

// The file at `path` with each edit made, written to a new file beside it
// that then replaces it, so that a failed write leaves the old file whole.
// A file that starts with the UTF-16 byte-order mark is kept UTF-16; any
// other is edited byte for byte in the ANSI code page.  A missing file is
// made.  False (the file as it was, the error traced) when it cannot be read
// or written or an edit is refused.
bool WriteIniEdits(const wchar_t* path, const IniEdit<wchar_t>* edits, int count);
