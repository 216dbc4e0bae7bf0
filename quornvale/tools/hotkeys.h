#pragma once
#include <windows.h>

#include "quornvale/shell/settings_keys.h"
// Registers the hotkey written in a settings key on the main window.
// Not built yet: registers nothing and returns false.
bool RegisterHotkeyFromSettings(HWND main_window, Setting hotkey_text, int hotkey_id);
constexpr int kNotifyIconHotkeyId = 4;
