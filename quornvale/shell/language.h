#pragma once
// Language texts: INI files in one directory, the current one named by
// "filepath" of "language" in settings.ini.  Nothing is cached: every lookup
// reads the setting again, so a language change shows at the next lookup.
#include <windows.h>

#include "quornvale/shell/command_ids.h"

// Menu texts from the language file: at most 31 characters.
constexpr int kMenuTextChars = 32;

struct LanguageEntry {
    wchar_t* name;  // file name without its last four characters; owned
    UINT id;        // menu id, consecutive from CmdFirstLanguage
};

// Fills the language list from the directory of the current language file,
// once at start-up.  False (and an empty list) when nothing was found.
bool EnumerateLanguages();
void FreeLanguages();
const LanguageEntry* LanguageEntries();
int LanguageCount();

// When a language entry has this menu id: rewrites "filepath" of "language"
// to the language directory + the entry's name + ".ini" and returns true.
bool SelectLanguage(UINT menu_id);

// A text of the current language file; false (buffer empty) when the
// section is missing, the key is missing or no language is set.
bool GetLanguageText(const wchar_t* section, const wchar_t* key, wchar_t* buffer, int buffer_chars);
// A menu text (key = the id in decimal) in a new 32-character buffer that the
// caller frees with delete[]; null when nothing was read.
wchar_t* GetMenuText(const wchar_t* section, UINT id);

// --- pure helpers --------------------------------------------------------

// Length of the directory part of a language "filepath" (up to and including
// its last backslash); 0 for a bare file name.
int LanguageDirectoryLength(const wchar_t* filepath);
// The file a "filepath" value names (ResolveInFolder, program_path.h): an
// absolute path as written, a relative one in the program directory, never
// against the current directory; an empty value names no language (false,
// out empty).  False also when the result does not fit.
bool ResolveLanguageFile(const wchar_t* filepath, const wchar_t* program_dir, wchar_t* out,
                         int out_chars);
// The length of a language's name for this file name: the name without its
// last four characters (".ini"); 0 or less means no language name.
int LanguageNameLength(const wchar_t* file_name);
// Whether a languages-submenu entry names the file: its name equals, without
// regard to case, the file name less its last four characters.
bool LanguageEntryMatches(const wchar_t* entry_name, const wchar_t* file_name);
// The index of the entry that names the current "filepath", or -1.  Only a
// value longer than 4 characters names one; the file name is the text after
// the last backslash (the whole value when it has none).
int FindCurrentLanguage(const LanguageEntry* entries, int count, const wchar_t* filepath);
