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


// The modifier words at the start of a text, taken off it; what is left
// names the key.  Texts come from a fixed buffer: nothing after a
// terminator counts.
UINT TakeModifiers(std::wstring_view* text)
{
    if (const size_t end = text->find(L'\0'); end != std::wstring_view::npos)
        text->remove_suffix(text->size() - end);
    UINT modifiers = 0;
    while (text->size() > 1) {
        const ModifierWord* found = nullptr;
        for (const ModifierWord& m : kModifierWords)
            if (StartsWithNoCase(*text, m.word)) {
                found = &m;
                break;
            }
        if (!found)
            break;
        modifiers |= found->flag;
        // The word and its separator; a text that ends there leaves no key.
        text->remove_prefix(std::min(text->size(), found->word.size() + 1));
    }
    return modifiers;
}

const KeyName* ArrowNamed(std::wstring_view text)
{
    for (const KeyName& k : kKeyNames)
        if (EqualsNoCase(text, k.name))
            return &k;
    return nullptr;
}

struct MenuWord {
    UINT flag;
    const wchar_t* name;
};
constexpr MenuWord kMenuWords[] = {{MOD_WIN, L"Win+"}, {MOD_CONTROL, L"Ctrl+"}, {MOD_ALT, L"Alt+"}, {MOD_SHIFT, L"Shift+"}};
}  // namespace

bool ParseHotkeyText(std::wstring_view text, HotkeyCombination* out)
{
    const UINT modifiers = TakeModifiers(&text);
    if (text.empty())
        return false;
    UINT key = 0;
    if (const KeyName* arrow = ArrowNamed(text))
        key = arrow->virtual_key;
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

bool HotkeyMenuText(std::wstring_view text, wchar_t* out, int out_chars)
{
    if (!out || out_chars <= 0)
        return false;
    out[0] = L'\0';
    const UINT modifiers = TakeModifiers(&text);
    if (text.empty())
        return false;
    wchar_t shown[kHotkeyMenuChars] = {};
    for (const MenuWord& word : kMenuWords)
        if (modifiers & word.flag)
            lstrcatW(shown, word.name);  // at most 19 characters together
    const int used = lstrlenW(shown);
    if (const KeyName* arrow = ArrowNamed(text)) {
        shown[used] = wchar_t(arrow->name[0] - L'a' + L'A');
        lstrcpynW(shown + used + 1, arrow->name.data() + 1, int(arrow->name.size()));
    } else {
        const wchar_t key = text[0];
        shown[used] = (key >= L'a' && key <= L'z') ? wchar_t(key - L'a' + L'A') : key;
    }
    lstrcpynW(out, shown, out_chars);
    return true;
}
