#pragma once
// The hotkey text of settings.ini ("ctrl+alt+s", "win+up"): modifier words,
// each followed by one separator character of any kind, then the key.
#include <windows.h>

#include <string_view>

struct HotkeyCombination {
    UINT modifiers;    // MOD_WIN, MOD_ALT, MOD_CONTROL, MOD_SHIFT
    UINT virtual_key;
};

// Modifier words are recognised case-insensitively by their first three
// ("win", "alt"), four ("ctrl") or five ("shift") letters.  The key is one of
// the whole words "down", "left", "up", "right", or else the key of the first
// character of the rest on the current keyboard layout (VkKeyScanW; its shift
// state is ignored: modifiers come from the words only).
// False when no key is left: a text that ends with a modifier word, an empty
// text, or a character that no key of the layout types.  A false answer must
// never be registered: it names no key.
bool ParseHotkeyText(std::wstring_view text, HotkeyCombination* out);

// Characters of a hotkey as a menu shows it, terminator included:
// "Win+Ctrl+Alt+Shift+Right" and room to spare.
constexpr int kHotkeyMenuChars = 32;

// The hotkey as a menu shows it beside an entry's text, in Windows'
// accelerator column: "Ctrl+Alt+S", "Win+Shift+Up".  The modifier words as
// ParseHotkeyText reads them, named in the order Win, Ctrl, Alt, Shift, then
// the key: an arrow word capitalised, else the first character of the rest
// (a to z in upper case).  False (out empty) when no key is left; a text
// that does not fit is cut, as any bounded text.
bool HotkeyMenuText(std::wstring_view text, wchar_t* out, int out_chars);
