#include "quornvale/shell/settings.h"

#include <new>
#include <stdio.h>

#include "quornvale/shell/app_state.h"

namespace {
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRunValue[] = L"quornvale.exe";
constexpr int kGrowStep = kPathChars;
// A value this long is no list anyone typed; stop growing rather than eat memory.
constexpr int kGrowLimit = 4 * 1024 * 1024;

void AccountSection(int index, wchar_t* section, int chars)
{
    _snwprintf(section, size_t(chars) - 1, L"%d", index);
    section[chars - 1] = L'\0';
}
}  // namespace

void SetSettingsPath(const wchar_t* path)
{
    lstrcpynW(g_app.settings_path, path ? path : L"", kPathChars);
}

const wchar_t* GetSettingsPath() { return g_app.settings_path; }

int ReadSettingInt(const wchar_t* section, const wchar_t* key, int default_value)
{
    if (!g_app.settings_path[0])
        return default_value;
    return int(GetPrivateProfileIntW(section, key, default_value, g_app.settings_path));
}

int ReadSettingFlag(const wchar_t* section, const wchar_t* key)
{
    return ReadSettingInt(section, key, 0);
}

int ReadSettingString(const wchar_t* section, const wchar_t* key, wchar_t* buffer,
                      int buffer_chars, const wchar_t* default_text)
{
    if (!buffer || buffer_chars <= 0)
        return 0;
    if (!g_app.settings_path[0]) {
        lstrcpynW(buffer, default_text ? default_text : L"", buffer_chars);
        return lstrlenW(buffer);
    }
    return int(GetPrivateProfileStringW(section, key, default_text ? default_text : L"", buffer,
                                        DWORD(buffer_chars), g_app.settings_path));
}

OwnedText ReadSettingStringGrowing(const wchar_t* section, const wchar_t* key)
{
    for (int size = kGrowStep; size <= kGrowLimit; size += kGrowStep) {
        OwnedText buffer(new (std::nothrow) wchar_t[size]);
        if (!buffer)
            return nullptr;
        int length = ReadSettingString(section, key, buffer.get(), size);
        if (length < size - 1)
            return buffer;
    }
    return nullptr;
}

BOOL WriteSettingString(const wchar_t* section, const wchar_t* key, const wchar_t* text)
{
    if (!g_app.settings_path[0])
        return FALSE;
    return WritePrivateProfileStringW(section, key, text, g_app.settings_path);
}

BOOL WriteSettingInt(const wchar_t* section, const wchar_t* key, int value)
{
    wchar_t text[16];
    _snwprintf(text, 15, L"%d", value);
    text[15] = L'\0';
    return WriteSettingString(section, key, text);
}

int ReadAccountInt(int index, const wchar_t* key, int default_value)
{
    wchar_t section[64];
    AccountSection(index, section, 64);
    return ReadSettingInt(section, key, default_value);
}

int ReadAccountFlag(int index, const wchar_t* key) { return ReadAccountInt(index, key, 0); }

int ReadAccountString(int index, const wchar_t* key, wchar_t* buffer, int buffer_chars,
                      const wchar_t* default_text)
{
    wchar_t section[64];
    AccountSection(index, section, 64);
    return ReadSettingString(section, key, buffer, buffer_chars, default_text);
}

BOOL WriteAccountString(int index, const wchar_t* key, const wchar_t* text)
{
    wchar_t section[12];
    AccountSection(index, section, 12);
    return WriteSettingString(section, key, text);
}

bool IsRunAtStartSet()
{
    HKEY run = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_QUERY_VALUE, &run) != ERROR_SUCCESS)
        return false;
    wchar_t data[256];
    DWORD bytes = sizeof(data);
    LONG result = RegQueryValueExW(run, kRunValue, nullptr, nullptr,
                                   reinterpret_cast<BYTE*>(data), &bytes);
    RegCloseKey(run);
    return result == ERROR_SUCCESS;
}
