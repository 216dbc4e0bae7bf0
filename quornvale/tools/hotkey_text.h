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
