#pragma once
// What makes a changed key of settings.ini take effect in the running
// program: for each key, the feature's apply function (the one start-up and
// the menu call) and the switch whose value it is given.  Used by the
// settings window after it writes and by the watch of hand edits.
#include <string>

#include "quornvale/shell/settings_keys.h"

// Runs each apply function that one of the keys needs, once, with the value
// settings.ini holds now; returns how many ran.  Keys read at the moment of
// use (the snapshot's, the sizing presets) need none.
int ApplySettingEffects(const Setting* changed, int count);

// The value of a key as settings.ini gives it now, as text (integers after
// their bounds), for telling which keys changed.  Empty for the accounts'
// own records.
std::wstring SettingValueText(Setting id);
