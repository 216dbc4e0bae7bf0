#pragma once
// settings.ini beside the program, read through the profile functions at the
// moment a value is needed: hand edits are seen at once, nothing is cached.
#include <windows.h>

#include <memory>

// Where settings.ini lives; set once at start-up (tests point it elsewhere).
void SetSettingsPath(const wchar_t* path);
const wchar_t* GetSettingsPath();

int ReadSettingInt(const wchar_t* section, const wchar_t* key, int default_value);
// Switches: any non-zero value is on; handed on as read.
int ReadSettingFlag(const wchar_t* section, const wchar_t* key);
// Copies at most buffer_chars - 1 characters; returns the count read.
int ReadSettingString(const wchar_t* section, const wchar_t* key, wchar_t* buffer,
                      int buffer_chars, const wchar_t* default_text = L"");

using OwnedText = std::unique_ptr<wchar_t[]>;
// Reads a value of any length, enlarging the buffer 260 characters at a time;
// null when the buffer cannot be enlarged.
OwnedText ReadSettingStringGrowing(const wchar_t* section, const wchar_t* key);

BOOL WriteSettingString(const wchar_t* section, const wchar_t* key, const wchar_t* text);
BOOL WriteSettingInt(const wchar_t* section, const wchar_t* key, int value);

// The network account records: one section per account, named by its index.
int ReadAccountInt(int index, const wchar_t* key, int default_value);
int ReadAccountFlag(int index, const wchar_t* key);
int ReadAccountString(int index, const wchar_t* key, wchar_t* buffer, int buffer_chars,
                      const wchar_t* default_text = L"");
BOOL WriteAccountString(int index, const wchar_t* key, const wchar_t* text);

// Start with Windows: value "quornvale.exe" under HKCU's Run key.
bool IsRunAtStartSet();
