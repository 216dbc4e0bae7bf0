#pragma once
// The decisions of the settings window, free of windows: which control a row
// of the settings table gets, which page it is on, and whether a value typed
// into a control may be stored.
#include <windows.h>

#include <string>
#include <string_view>

#include "quornvale/shell/settings_keys.h"

enum class FieldKind {
    kNone,           // not a row of a section's page (the accounts' records have their own)
    kCheck,          // a switch: check box
    kBoundedNumber,  // an integer with bounds: edit with an up-down control
    kNumber,         // an integer its consumer takes as read: edit
    kHotkey,         // a hotkey text: hotkey control and a Win check box
    kText,           // edit, at most the row's characters
    kList,           // a list of any length: edit
    kFile,           // a file: edit and a browse button
    kFolder,         // a folder: edit and a browse button
};

FieldKind FieldKindOf(Setting id);
// The hotkey id (1 to 14) that a hotkey text registers, or 0.
int HotkeyIdOfSetting(Setting id);
// A value that takes effect only at the next start of the program.
bool NeedsRestart(Setting id);
// The lowest and highest value a number field takes: its bounds for a
// clamped or wrapped row, else the whole int range.
void FieldRange(Setting id, int* low, int* high);

// The pages: each section of the table once (names ignore case, the first
// spelling is shown), in table order; the accounts' records have none.
// Returns how many were written.
int SettingPages(const wchar_t** sections, int max);
bool IsOnPage(Setting id, const wchar_t* section);

enum class NumberCheck { kOk, kNotANumber, kOutOfRange };
// Blanks around it, an optional sign, then decimal digits only.
NumberCheck ParseFormNumber(std::wstring_view text, int low, int high, int* out);

enum class TextCheck { kOk, kLineBreak, kTooLong };
// chars: the row's buffer (terminator included); 0 for a list of any length.
TextCheck CheckFormText(std::wstring_view text, int chars);

enum class HotkeyCheck {
    kOk,          // out holds the text
    kNone,        // no key: the empty text, no hotkey
    kNoModifier,  // a key alone would be taken from every program
    kUnnamedKey,  // the text names letters, digits and the four arrows only
};
// modifiers: MOD_WIN, MOD_CONTROL, MOD_ALT, MOD_SHIFT.  The text is written
// "win+ctrl+alt+shift+" in that order, then the key: a lower-case letter, a
// digit or up, down, left, right.
HotkeyCheck HotkeyTextFor(UINT modifiers, UINT virtual_key, wchar_t* out, int out_chars);
// The hotkey control's modifier flags (HOTKEYF_*) and the Win check box as
// MOD_* flags, and back (the Win flag is left out of the control's flags).
UINT ModifiersFromControl(UINT hotkey_flags, bool win);
UINT ControlFlagsFromModifiers(UINT modifiers, UINT virtual_key);

// The index of the first other entry with the same combination (a key of 0
// is no hotkey and clashes with nothing), or -1.
struct FormHotkey {
    UINT modifiers;
    UINT virtual_key;
};
int FindHotkeyClash(const FormHotkey* hotkeys, int count, int index);

// The page of the network accounts' own records, sections "0" to "9": the
// keys it edits, in column order.  "state" is the program's own record of a
// connection, written by the program alone, and is not edited.
constexpr Setting kAccountFields[] = {Setting::kAccountRemote, Setting::kAccountUser, Setting::kAccountPassword};
constexpr int kAccountFieldCount = int(sizeof(kAccountFields) / sizeof(kAccountFields[0]));
// The section of account record `index` (0 to 9), or null.
const wchar_t* AccountSectionName(int index);

// The text to write for a value so that the profile functions read it back
// as it is: they trim blanks at both ends and strip one pair of matching
// quotes ('...' or "...") around a value, so such a value is written inside
// one more pair of double quotes; any other value as it is.
std::wstring ProfileTextFor(std::wstring_view value);
