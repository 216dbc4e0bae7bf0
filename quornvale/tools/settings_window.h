#pragma once
// The settings window: one non-modal window with a page for each section of
// settings.ini, its controls made from the settings table (settings_form.h),
// and a page for the network accounts' own records, sections "0" to "9".
// OK and Apply write only the keys whose controls were changed, with the
// program's own writer (settings_file_edit.h), and hand the new values to
// the features' apply functions; Cancel writes nothing.  A saved value that
// takes effect only at start brings the offer to restart the program.
#include <windows.h>

#include "quornvale/shell/settings_keys.h"

// Menu command "Settings...": opens the window, or brings the open one to
// the front.
void ShowSettingsWindow();
// For the program's message loop: the window's keyboard use (Tab, access
// keys, Enter for OK, Escape for Cancel).  True when the message was used.
bool IsSettingsWindowMessage(MSG* message);

// Control ids, for the keyboard and the tests.
constexpr int kSettingsPageList = 900;
constexpr int kSettingsStatus = 901;
constexpr int kSettingsApply = 902;
constexpr int kSettingsPageLabel = 903;
// "Restart now": shown once a saved value takes effect only at start.
constexpr int kSettingsRestart = 904;
// The page of the network accounts' records: a heading over each column
// (the key's name), and per record its label and one edit for each key of
// kAccountFields (settings_form.h), "psw" hidden as a password.
constexpr int kSettingsAccountHeading = 905;  // + column
constexpr int SettingsAccountControlId(int index, int column) { return 3000 + index * 8 + column; }
constexpr int SettingsAccountLabelId(int index) { return 3000 + index * 8 + 7; }
// Each row of the table: its label, its control, the control beside it (the
// up-down, the Win check box or the browse button) and its default/notes.
enum SettingsRowPart { kRowLabel, kRowControl, kRowExtra, kRowNote };
constexpr int SettingsControlId(Setting id, SettingsRowPart part) { return 1000 + int(id) * 8 + part; }
