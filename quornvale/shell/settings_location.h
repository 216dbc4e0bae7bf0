#pragma once
// Which settings.ini the program uses.  A portable copy (the zip: the marker
// file kPortableMarkerName lies beside the program) keeps its settings in
// settings.ini beside itself.  An installed copy keeps each user's settings
// in that user's own profile, %APPDATA%\Quornvale\settings.ini, made at the
// user's first start from the shipped settings.ini beside the program, which
// stays the read-only defaults: nobody changes a file that another user's
// program reads.
#include <windows.h>

// Shipped in the zip only; the installer never installs it.
constexpr wchar_t kPortableMarkerName[] = L"portable.txt";
// The folder of the user's settings under the profile's application data.
constexpr wchar_t kUserSettingsFolder[] = L"Quornvale";

enum class SettingsForm { kPortable, kPerUser };

// Pure: the path of the settings file of that form: the program folder (with
// its trailing backslash) + "settings.ini", or the application data folder +
// "\Quornvale\settings.ini".  False (out empty) when the folder it needs is
// unknown (empty) or the path does not fit.
bool SettingsPathFor(SettingsForm form, const wchar_t* program_dir, const wchar_t* app_data,
                     wchar_t* out, int out_chars);

// The settings file of this program: decides the form by the marker, makes
// the user's folder and copies the shipped defaults into it at the user's
// first start, and traces which file is in use.  False (path empty) when
// there is none to use: every read then gives its default.
bool LocateSettings(HINSTANCE instance, wchar_t* path, int path_chars);
