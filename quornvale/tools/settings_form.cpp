#include "quornvale/tools/settings_form.h"

#include <commctrl.h>
#include <limits.h>

#include "quornvale/tools/hotkeys.h"

namespace {
struct PathField {
    Setting setting;
    FieldKind kind;
};
constexpr PathField kPathFields[] = {
    {Setting::kLanguageFile, FieldKind::kFile},
    {Setting::kSnapshotWatermarkPath, FieldKind::kFile},
    {Setting::kSnapshotPath, FieldKind::kFolder},
};

// The languages submenu lists the folder of the language file as it was at
// start.
constexpr Setting kRestartSettings[] = {Setting::kLanguageFile};

wchar_t Lower(wchar_t c) { return (c >= L'A' && c <= L'Z') ? wchar_t(c - L'A' + L'a') : c; }

bool SameName(const wchar_t* a, const wchar_t* b)
{
    for (; *a && *b; ++a, ++b)
        if (Lower(*a) != Lower(*b))
            return false;
    return *a == *b;
}

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

struct KeyName {
    UINT virtual_key;
    const wchar_t* name;
};
constexpr KeyName kArrowNames[] = {{VK_UP, L"up"}, {VK_DOWN, L"down"}, {VK_LEFT, L"left"}, {VK_RIGHT, L"right"}};
}  // namespace

int HotkeyIdOfSetting(Setting id)
{
    for (int hotkey = 1; hotkey <= kLastHotkeyId; ++hotkey) {
        Setting setting;
        if (HotkeySetting(hotkey, &setting) && setting == id)
            return hotkey;
    }
    return 0;
}

FieldKind FieldKindOf(Setting id)
{
    if (int(id) < 0 || id >= Setting::kCount)
        return FieldKind::kNone;
    const SettingKey& row = SettingKeyOf(id);
    if (!row.section)
        return FieldKind::kNone;
    for (const PathField& path : kPathFields)
        if (path.setting == id)
            return path.kind;
    switch (row.bounds.kind) {
    case SettingKind::kSwitch: return FieldKind::kCheck;
    case SettingKind::kInteger:
        return row.bounds.rule == BoundRule::kAsRead ? FieldKind::kNumber : FieldKind::kBoundedNumber;
    case SettingKind::kText: return HotkeyIdOfSetting(id) ? FieldKind::kHotkey : FieldKind::kText;
    case SettingKind::kLongText: return FieldKind::kList;
    }
    return FieldKind::kNone;
}

bool NeedsRestart(Setting id)
{
    for (Setting setting : kRestartSettings)
        if (setting == id)
            return true;
    return false;
}

void FieldRange(Setting id, int* low, int* high)
{
    const SettingBounds& bounds = SettingKeyOf(id).bounds;
    if (bounds.kind == SettingKind::kInteger && bounds.rule != BoundRule::kAsRead) {
        *low = bounds.low;
        *high = bounds.high;
    } else if (bounds.kind == SettingKind::kSwitch) {
        *low = 0;
        *high = 1;
    } else {
        *low = INT_MIN;
        *high = INT_MAX;
    }
}

int SettingPages(const wchar_t** sections, int max)
{
    int count = 0;
    for (const SettingKey& row : kSettingKeys) {
        if (!row.section)
            continue;
        bool known = false;
        for (int i = 0; i < count && !known; ++i)
            known = SameName(sections[i], row.section);
        if (!known && count < max)
            sections[count++] = row.section;
    }
    return count;
}

bool IsOnPage(Setting id, const wchar_t* section)
{
    const wchar_t* own = SettingKeyOf(id).section;
    return own && section && SameName(own, section);
}

NumberCheck ParseFormNumber(std::wstring_view text, int low, int high, int* out)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == L'-' || text.front() == L'+')) {
        negative = text.front() == L'-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return NumberCheck::kNotANumber;
    long long value = 0;
    bool too_large = false;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9')
            return NumberCheck::kNotANumber;
        if (value <= 10000000000LL)
            value = value * 10 + (c - L'0');
        else
            too_large = true;
    }
    if (negative)
        value = -value;
    if (too_large || value < low || value > high)
        return NumberCheck::kOutOfRange;
    *out = int(value);
    return NumberCheck::kOk;
}

TextCheck CheckFormText(std::wstring_view text, int chars)
{
    for (wchar_t c : text)
        if (c == L'\r' || c == L'\n')
            return TextCheck::kLineBreak;
    if (chars > 0 && text.size() + 1 > size_t(chars))
        return TextCheck::kTooLong;
    return TextCheck::kOk;
}

HotkeyCheck HotkeyTextFor(UINT modifiers, UINT virtual_key, wchar_t* out, int out_chars)
{
    if (out && out_chars > 0)
        out[0] = L'\0';
    if (virtual_key == 0)
        return HotkeyCheck::kNone;
    wchar_t key[8] = {};
    if ((virtual_key >= 'A' && virtual_key <= 'Z') || (virtual_key >= '0' && virtual_key <= '9')) {
        key[0] = Lower(wchar_t(virtual_key));
    } else {
        for (const KeyName& arrow : kArrowNames)
            if (arrow.virtual_key == virtual_key)
                lstrcpynW(key, arrow.name, 8);
        if (!key[0])
            return HotkeyCheck::kUnnamedKey;
    }
    if (!(modifiers & (MOD_WIN | MOD_CONTROL | MOD_ALT | MOD_SHIFT)))
        return HotkeyCheck::kNoModifier;
    wchar_t text[kHotkeyTextChars] = {};
    if (modifiers & MOD_WIN)
        lstrcatW(text, L"win+");
    if (modifiers & MOD_CONTROL)
        lstrcatW(text, L"ctrl+");
    if (modifiers & MOD_ALT)
        lstrcatW(text, L"alt+");
    if (modifiers & MOD_SHIFT)
        lstrcatW(text, L"shift+");
    lstrcatW(text, key);
    if (out && out_chars > 0)
        lstrcpynW(out, text, out_chars);
    return HotkeyCheck::kOk;
}

UINT ModifiersFromControl(UINT hotkey_flags, bool win)
{
    UINT modifiers = win ? MOD_WIN : 0;
    if (hotkey_flags & HOTKEYF_CONTROL)
        modifiers |= MOD_CONTROL;
    if (hotkey_flags & HOTKEYF_ALT)
        modifiers |= MOD_ALT;
    if (hotkey_flags & HOTKEYF_SHIFT)
        modifiers |= MOD_SHIFT;
    return modifiers;
}

UINT ControlFlagsFromModifiers(UINT modifiers, UINT virtual_key)
{
    UINT flags = 0;
    if (modifiers & MOD_CONTROL)
        flags |= HOTKEYF_CONTROL;
    if (modifiers & MOD_ALT)
        flags |= HOTKEYF_ALT;
    if (modifiers & MOD_SHIFT)
        flags |= HOTKEYF_SHIFT;
    // The arrows are extended keys: without the flag the control names the
    // number pad's keys.
    for (const KeyName& arrow : kArrowNames)
        if (arrow.virtual_key == virtual_key)
            flags |= HOTKEYF_EXT;
    return flags;
}

int FindHotkeyClash(const FormHotkey* hotkeys, int count, int index)
{
    if (index < 0 || index >= count || hotkeys[index].virtual_key == 0)
        return -1;
    for (int i = 0; i < count; ++i)
        if (i != index && hotkeys[i].virtual_key == hotkeys[index].virtual_key &&
            hotkeys[i].modifiers == hotkeys[index].modifiers)
            return i;
    return -1;
}

const wchar_t* AccountSectionName(int index)
{
    static constexpr const wchar_t* kSections[kMaxNetAccountCount] = {L"0", L"1", L"2", L"3", L"4",
                                                                      L"5", L"6", L"7", L"8", L"9"};
    return index >= 0 && index < kMaxNetAccountCount ? kSections[index] : nullptr;
}

std::wstring ProfileTextFor(std::wstring_view value)
{
    const bool blank_at_end = !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()));
    const bool quoted = value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') &&
                        value.back() == value.front();
    if (!blank_at_end && !quoted)
        return std::wstring(value);
    return L"\"" + std::wstring(value) + L"\"";
}
