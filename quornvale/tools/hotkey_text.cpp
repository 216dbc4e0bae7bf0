#include "quornvale/tools/hotkey_text.h"

#include <algorithm>

namespace {
struct ModifierWord {
    std::wstring_view word;
    UINT flag;
};
constexpr ModifierWord kModifierWords[] = {
    {L"win", MOD_WIN}, {L"alt", MOD_ALT}, {L"ctrl", MOD_CONTROL}, {L"shift", MOD_SHIFT}};

struct KeyName {
    std::wstring_view name;
    UINT virtual_key;
};
constexpr KeyName kKeyNames[] = {{L"down", VK_DOWN}, {L"left", VK_LEFT}, {L"up", VK_UP}, {L"right", VK_RIGHT}};

wchar_t Lower(wchar_t c) { return (c >= L'A' && c <= L'Z') ? wchar_t(c - L'A' + L'a') : c; }

bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (Lower(text[i]) != prefix[i])
            return false;
    return true;
}

bool EqualsNoCase(std::wstring_view text, std::wstring_view word)
{
    return text.size() == word.size() && StartsWithNoCase(text, word);
}
}  // namespace

bool ParseHotkeyText(std::wstring_view text, HotkeyCombination* out)
{
    // Texts come from a fixed buffer: nothing after a terminator counts.
    if (const size_t end = text.find(L'\0'); end != std::wstring_view::npos)
        text.remove_suffix(text.size() - end);
    UINT modifiers = 0;
    while (text.size() > 1) {
        const ModifierWord* found = nullptr;
        for (const ModifierWord& m : kModifierWords)
            if (StartsWithNoCase(text, m.word)) {
                found = &m;
                break;
            }
        if (!found)
            break;
        modifiers |= found->flag;
        // The word and its separator; a text that ends there leaves no key.
        text.remove_prefix(std::min(text.size(), found->word.size() + 1));
    }
    if (text.empty())
        return false;
    UINT key = 0;
    for (const KeyName& k : kKeyNames)
        if (EqualsNoCase(text, k.name))
            key = k.virtual_key;
    if (!key) {
        const SHORT scan = VkKeyScanW(text[0]);
        // -1 in both bytes: no key of the layout types this character.
        if (scan == -1 || LOBYTE(scan) == 0 || LOBYTE(scan) == 0xFF)
            return false;
        key = LOBYTE(scan);
    }
    if (out)
        *out = {modifiers, key};
    return true;
}
