#include "quornvale/shell/settings.h"

#include <new>
#include <stdio.h>

#include "common/debug_print.h"
#include "quornvale/shell/app_state.h"

namespace {
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRunValue[] = L"quornvale.exe";
// The run value is read into this many characters; a longer one is present too.
constexpr int kRunValueChars = 256;
constexpr int kGrowFirst = kPathChars;
// A value this long is no list anyone typed; stop growing rather than eat memory.
constexpr int kGrowLimit = 4 * 1024 * 1024;

void AccountSection(int index, wchar_t* section, int chars)
{
    _snwprintf(section, size_t(chars) - 1, L"%d", index);
    section[chars - 1] = L'\0';
}

// The section a key is read from: the account's index for the account
// functions, else the table's section (an account key read without an index
// reads the first account, never a null section, which would list sections).
struct Section {
    wchar_t account[12];
    const wchar_t* name;
    Section(const SettingKey& row, int account_index) : account{}, name(row.section)
    {
        if (!name || account_index >= 0) {
            AccountSection(account_index < 0 ? 0 : account_index, account, 12);
            name = account;
        }
    }
};

int ReadBounded(const SettingKey& row, const wchar_t* section)
{
    return BoundSettingValue(row.bounds, ReadSettingInt(section, row.key, row.bounds.default_value));
}

int ReadTextOf(const SettingKey& row, const wchar_t* section, wchar_t* buffer, int buffer_chars)
{
    if (row.bounds.chars > 0 && buffer_chars > row.bounds.chars)
        buffer_chars = row.bounds.chars;
    return ReadSettingString(section, row.key, buffer, buffer_chars);
}
}  // namespace

void SetSettingsPath(const wchar_t* path)
{
    lstrcpynW(g_app.settings_path, path ? path : L"", kPathChars);
}

const wchar_t* GetSettingsPath() { return g_app.settings_path; }

int ReadSetting(Setting id)
{
    const SettingKey& row = SettingKeyOf(id);
    return ReadBounded(row, Section(row, -1).name);
}

int ReadSettingText(Setting id, wchar_t* buffer, int buffer_chars)
{
    const SettingKey& row = SettingKeyOf(id);
    return ReadTextOf(row, Section(row, -1).name, buffer, buffer_chars);
}

OwnedText ReadSettingList(Setting id)
{
    const SettingKey& row = SettingKeyOf(id);
    return ReadSettingStringGrowing(Section(row, -1).name, row.key);
}

BOOL WriteSetting(Setting id, int value)
{
    const SettingKey& row = SettingKeyOf(id);
    return WriteSettingInt(Section(row, -1).name, row.key, value);
}

BOOL WriteSettingText(Setting id, const wchar_t* text)
{
    const SettingKey& row = SettingKeyOf(id);
    return WriteSettingString(Section(row, -1).name, row.key, text);
}

bool FlipSwitch(Setting id, int* now)
{
    *now = ReadSetting(id) ? 0 : 1;
    if (WriteSetting(id, *now))
        return true;
    const SettingKey& row = SettingKeyOf(id);
    DebugPrint(L"[%s] %s not written to %s, error %lu\n", row.section ? row.section : L"", row.key,
               g_app.settings_path, GetLastError());
    return false;
}

int ReadAccountSetting(int index, Setting id)
{
    const SettingKey& row = SettingKeyOf(id);
    return ReadBounded(row, Section(row, index).name);
}

int ReadAccountText(int index, Setting id, wchar_t* buffer, int buffer_chars)
{
    const SettingKey& row = SettingKeyOf(id);
    return ReadTextOf(row, Section(row, index).name, buffer, buffer_chars);
}

BOOL WriteAccountText(int index, Setting id, const wchar_t* text)
{
    const SettingKey& row = SettingKeyOf(id);
    return WriteSettingString(Section(row, index).name, row.key, text);
}

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

int GrowingReadNextSize(int chars)
{
    if (chars <= 0)
        return kGrowFirst;
    if (chars >= kGrowLimit)
        return 0;
    return chars > kGrowLimit / 2 ? kGrowLimit : 2 * chars;
}

OwnedText ReadSettingStringGrowing(const wchar_t* section, const wchar_t* key)
{
    // Each read parses the file again, so the buffer doubles: a long list
    // costs a few reads, not one per 260 characters.
    for (int size = kGrowFirst; size > 0; size = GrowingReadNextSize(size)) {
        OwnedText buffer(new (std::nothrow) wchar_t[size]);
        if (!buffer)
            return nullptr;
        int length = ReadSettingString(section, key, buffer.get(), size);
        if (length < size - 1)
            return buffer;
    }
    DebugPrint(L"[%s] %s is longer than %d characters: not read\n", section, key, kGrowLimit - 1);
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
    wchar_t data[kRunValueChars];
    DWORD bytes = sizeof(data);
    LONG result = RegQueryValueExW(run, kRunValue, nullptr, nullptr,
                                   reinterpret_cast<BYTE*>(data), &bytes);
    RegCloseKey(run);
    // A path too long for the buffer is still a value that is there: it must
    // show as set, or the menu could never remove it.
    return result == ERROR_SUCCESS || result == ERROR_MORE_DATA;
}

int FormatRunValue(const wchar_t* path, wchar_t* out, int out_chars)
{
    if (!path || !out || out_chars <= 0)
        return 0;
    const int length = lstrlenW(path);
    if (length == 0 || length + 3 > out_chars) {
        out[0] = L'\0';
        return 0;
    }
    out[0] = L'"';
    lstrcpyW(out + 1, path);
    out[length + 1] = L'"';
    out[length + 2] = L'\0';
    return length + 2;
}

void WriteRunAtStart(bool on)
{
    HKEY run = nullptr;
    LONG opened = RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_WRITE, &run);
    if (opened != ERROR_SUCCESS) {
        DebugPrint(L"Run key not opened for writing: %ld\n", opened);
        return;
    }
    if (!on) {
        RegDeleteValueW(run, kRunValue);
    } else {
        wchar_t path[kPathChars];
        DWORD length = GetModuleFileNameW(g_app.instance, path, kPathChars);
        wchar_t value[kPathChars + 2];
        int chars = 0;
        if (length != 0 && length < DWORD(kPathChars))
            chars = FormatRunValue(path, value, kPathChars + 2);
        if (chars > 0)
            RegSetValueExW(run, kRunValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                           DWORD(2 * chars + 2));
    }
    RegCloseKey(run);
}
