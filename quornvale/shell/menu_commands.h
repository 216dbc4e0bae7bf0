#pragma once
// The tray menu's commands.  Switches flip their key in settings.ini and
// apply the new state at once (library switches, hooks, timers, registry),
// so that the change takes effect now and survives a restart.
#include <windows.h>

#include "quornvale/shell/feature_apply.h"
#include "quornvale/shell/settings_keys.h"

// The help file used when the language names none or the named one is missing.
constexpr wchar_t kDefaultHelpFile[] = L"readme_en.txt";

LRESULT OnMenuCommand(HWND main_window, UINT command_id);

// A switch of the menu: its key, and the feature's apply function that
// takes the new state (null: the key alone, read when it is needed).
struct MenuSwitch {
    UINT command;
    Setting setting;
    ApplyFn apply;
};
// The switch of this command, or null.
const MenuSwitch* FindMenuSwitch(UINT command_id);

// Start with Windows: adds or deletes the Run value "quornvale.exe".
void ToggleRunAtStart();
// The help file to open: the language's "file" of "help_file" when it can be
// opened for reading, else the default.
void ChooseHelpFile(wchar_t* name, int name_chars);
