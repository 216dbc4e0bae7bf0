#include "quornvale/shell/language.h"

#include <new>
#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include "quornvale/shell/app_state.h"
#include "quornvale/shell/program_path.h"
#include "quornvale/shell/settings.h"

namespace {
LanguageEntry* g_entries = nullptr;
int g_count = 0;

int ReadLanguageSetting(wchar_t* buffer)
{
    return ReadSettingText(Setting::kLanguageFile, buffer, kPathChars);
}

// The program directory with its trailing backslash; empty when unknown.
void ProgramDirectory(wchar_t* buffer)
{
    if (GetModuleDirectory(g_app.instance, buffer, kPathChars) == 0)
        buffer[0] = L'\0';
}

// The current language file as a path the profile functions resolve as the
// setting means it; false when no language is set.
bool CurrentLanguageFile(wchar_t* file)
{
    wchar_t setting[kPathChars] = {};
    ReadLanguageSetting(setting);
    wchar_t program_dir[kPathChars];
    ProgramDirectory(program_dir);
    return ResolveLanguageFile(setting, program_dir, file, kPathChars);
}

bool AddEntry(const wchar_t* file_name, int name_length, int capacity)
{
    if (g_count >= capacity)
        return false;
    auto* name = new (std::nothrow) wchar_t[name_length + 1];
    if (!name)
        return false;
    wmemcpy(name, file_name, size_t(name_length));
    name[name_length] = L'\0';
    g_entries[g_count].name = name;
    g_entries[g_count].id = CmdFirstLanguage + UINT(g_count);
    ++g_count;
    return true;
}

bool Grow(int* capacity)
{
    int larger = *capacity + 1;
    auto* grown = new (std::nothrow) LanguageEntry[larger];
    if (!grown)
        return false;
    for (int i = 0; i < g_count; ++i)
        grown[i] = g_entries[i];
    delete[] g_entries;
    g_entries = grown;
    *capacity = larger;
    return true;
}
}  // namespace

int LanguageDirectoryLength(const wchar_t* filepath)
{
    if (!filepath)
        return 0;
    const wchar_t* last = wcsrchr(filepath, L'\\');
    return last ? int(last - filepath) + 1 : 0;
}

bool ResolveLanguageFile(const wchar_t* filepath, const wchar_t* program_dir, wchar_t* out,
                         int out_chars)
{
    // Read as data only, from where the program's folder says: never a file
    // that the current directory happens to name.
    return ResolveInFolder(filepath, program_dir, out, out_chars);
}

int LanguageNameLength(const wchar_t* file_name)
{
    return file_name ? lstrlenW(file_name) - 4 : -4;
}

bool LanguageEntryMatches(const wchar_t* entry_name, const wchar_t* file_name)
{
    if (!entry_name || !file_name)
        return false;
    int entry_length = lstrlenW(entry_name);
    int file_length = LanguageNameLength(file_name);
    int compared = entry_length > file_length ? entry_length : file_length;
    if (compared <= 0)
        return false;
    return _wcsnicmp(entry_name, file_name, size_t(compared)) == 0;
}

int FindCurrentLanguage(const LanguageEntry* entries, int count, const wchar_t* filepath)
{
    if (!entries || !filepath || lstrlenW(filepath) <= 4)
        return -1;
    const wchar_t* file_name = filepath + LanguageDirectoryLength(filepath);
    for (int i = 0; i < count; ++i)
        if (LanguageEntryMatches(entries[i].name, file_name))
            return i;
    return -1;
}

bool EnumerateLanguages()
{
    FreeLanguages();
    wchar_t file[kPathChars];
    if (!CurrentLanguageFile(file))
        return false;
    // The directory of the current file, then every "*.ini" in it.
    int dir_length = LanguageDirectoryLength(file);
    if (dir_length + 6 > kPathChars)
        return false;
    lstrcpyW(file + dir_length, L"*.ini");

    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(file, &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    int capacity = 1;
    g_entries = new (std::nothrow) LanguageEntry[capacity];
    if (!g_entries) {
        FindClose(search);
        return false;
    }
    for (;;) {
        int name_length = LanguageNameLength(found.cFileName);
        // A file named ".ini" alone ends the list here.
        if (name_length <= 0 || !AddEntry(found.cFileName, name_length, capacity))
            break;
        if (!FindNextFileW(search, &found) || !Grow(&capacity))
            break;
    }
    FindClose(search);
    return g_count > 0;
}

void FreeLanguages()
{
    for (int i = 0; i < g_count; ++i)
        delete[] g_entries[i].name;
    delete[] g_entries;
    g_entries = nullptr;
    g_count = 0;
}

const LanguageEntry* LanguageEntries() { return g_entries; }
int LanguageCount() { return g_count; }

bool SelectLanguage(UINT menu_id)
{
    for (int i = 0; i < g_count; ++i) {
        if (g_entries[i].id != menu_id)
            continue;
        wchar_t setting[kPathChars] = {};
        ReadLanguageSetting(setting);
        int dir_length = LanguageDirectoryLength(setting);
        wchar_t path[kPathChars];
        int written = _snwprintf(path, kPathChars, L"%.*s%s.ini", dir_length, setting,
                                 g_entries[i].name);
        if (written < 0 || written >= kPathChars)
            return false;  // would not fit: keep the current language
        WriteSettingText(Setting::kLanguageFile, path);
        return true;
    }
    return false;
}

bool GetLanguageText(const wchar_t* section, const wchar_t* key, wchar_t* buffer, int buffer_chars)
{
    if (!buffer || buffer_chars <= 0)
        return false;
    buffer[0] = L'\0';
    if (!section || !key)
        return false;
    wchar_t file[kPathChars];
    if (!CurrentLanguageFile(file))
        return false;
    return GetPrivateProfileStringW(section, key, nullptr, buffer, DWORD(buffer_chars), file) > 0;
}

wchar_t* GetMenuText(const wchar_t* section, UINT id)
{
    wchar_t key[16];
    _snwprintf(key, 15, L"%u", id);
    key[15] = L'\0';
    auto* text = new (std::nothrow) wchar_t[kMenuTextChars];
    if (!text)
        return nullptr;
    if (!GetLanguageText(section, key, text, kMenuTextChars)) {
        delete[] text;
        return nullptr;
    }
    return text;
}
