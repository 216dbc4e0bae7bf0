#pragma once
// settings.ini beside the program, read through the profile functions at the
// moment a value is needed: hand edits are seen at once, nothing is cached.
#include <windows.h>

#include <memory>

#include "quornvale/shell/settings_keys.h"

// Where settings.ini lives; set once at start-up (tests point it elsewhere).
void SetSettingsPath(const wchar_t* path);
const wchar_t* GetSettingsPath();

// --- by key table entry: section, name, default and bounds from the table ---

using OwnedText = std::unique_ptr<wchar_t[]>;

// A switch (as read: any non-zero value is on) or an integer within its
// bounds; the key's default when the key is missing.
int ReadSetting(Setting id);
// A text key into a buffer of at most its own size; returns the count read.
int ReadSettingText(Setting id, wchar_t* buffer, int buffer_chars);
// A long list, read whole (null when memory runs out).
OwnedText ReadSettingList(Setting id);
BOOL WriteSetting(Setting id, int value);
BOOL WriteSettingText(Setting id, const wchar_t* text);
// The menu's switch: reads the switch and writes its opposite ("1" for 0,
// "0" for any other value) and gives the new state, 1 or 0, in *now.  False
// when the write failed (a read-only settings.ini): the file still holds the
// old state, and the next start would read that.
bool FlipSwitch(Setting id, int* now);

// The same for the keys of one network account's record.
int ReadAccountSetting(int index, Setting id);
int ReadAccountText(int index, Setting id, wchar_t* buffer, int buffer_chars);
BOOL WriteAccountText(int index, Setting id, const wchar_t* text);

// --- the profile routines underneath, by section and key ---

int ReadSettingInt(const wchar_t* section, const wchar_t* key, int default_value);
// Switches: any non-zero value is on; handed on as read.
int ReadSettingFlag(const wchar_t* section, const wchar_t* key);
// Copies at most buffer_chars - 1 characters; returns the count read.
int ReadSettingString(const wchar_t* section, const wchar_t* key, wchar_t* buffer,
                      int buffer_chars, const wchar_t* default_text = L"");
// Reads a value of any length, doubling the buffer from 260 characters until
// the value fits, up to a limit; null when the buffer cannot be enlarged.
OwnedText ReadSettingStringGrowing(const wchar_t* section, const wchar_t* key);
// The buffer size after `chars` was too small; 0 once the limit is reached.
int GrowingReadNextSize(int chars);

BOOL WriteSettingString(const wchar_t* section, const wchar_t* key, const wchar_t* text);
BOOL WriteSettingInt(const wchar_t* section, const wchar_t* key, int value);

// The network account records: one section per account, named by its index.
int ReadAccountInt(int index, const wchar_t* key, int default_value);
int ReadAccountFlag(int index, const wchar_t* key);
int ReadAccountString(int index, const wchar_t* key, wchar_t* buffer, int buffer_chars,
                      const wchar_t* default_text = L"");
BOOL WriteAccountString(int index, const wchar_t* key, const wchar_t* text);

// --- start with Windows: value "quornvale.exe" under HKCU's Run key ---

// Present, whatever its data: quoted or not, or longer than the read buffer.
bool IsRunAtStartSet();
// Writes the program's path (quoted) or deletes the value; nothing when the
// Run key cannot be opened for writing.
void WriteRunAtStart(bool on);
// The Run value's data for a program path: the path in double quotes, so a
// path with blanks names this program and nothing before its first blank.
// Returns the length written, or 0 when out cannot hold it.
int FormatRunValue(const wchar_t* path, wchar_t* out, int out_chars);
