#pragma once
#include <windows.h>
// Registers the hotkey written in a settings key on the main window.
// Not built yet: registers nothing and returns false.
bool RegisterHotkeyFromSettings(HWND main_window, const wchar_t* section, const wchar_t* key,
                                int hotkey_id);
constexpr int kNotifyIconHotkeyId = 4;
