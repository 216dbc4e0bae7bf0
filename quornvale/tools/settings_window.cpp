#include "quornvale/tools/settings_window.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "common/debug_print.h"
#include "quornvale/shell/app_state.h"
#include "quornvale/shell/language.h"
#include "quornvale/shell/program_restart.h"
#include "quornvale/shell/settings.h"
#include "quornvale/shell/settings_effects.h"
#include "quornvale/shell/settings_file_edit.h"
#include "quornvale/shell/settings_watch.h"
#include "quornvale/tools/hotkey_text.h"
#include "quornvale/tools/hotkeys.h"
#include "quornvale/tools/settings_form.h"

namespace {
constexpr wchar_t kSection[] = L"settings_window";
constexpr int kRows = int(Setting::kCount);
constexpr int kMaxPages = 64;
constexpr int kNoteChars = 160;
// A hotkey tried on the window itself to see whether Windows takes it.
constexpr int kTrialHotkeyId = 0xBFF0;

// Layout in dialog units.
constexpr int kWidth = 416, kHeight = 236;
constexpr int kRowTop = 7, kRowStep = 15;
constexpr int kLabelX = 106, kLabelWidth = 72;
constexpr int kControlX = 180, kControlWidth = 110;
constexpr int kNoteX = 296, kNoteWidth = 114;
// The accounts' page: the record's label, then one column per key.
constexpr int kAccountLabelWidth = 16;
constexpr int kAccountColumnX[kAccountFieldCount] = {124, 238, 324};
constexpr int kAccountColumnWidth[kAccountFieldCount] = {110, 82, 86};
// Account texts are read with room for the quotes a stored value may have.
constexpr int kAccountReadChars = kSettingTextChars + 2;

// The value a row's control holds; compared with the one it was given.
struct RowValue {
    int checked = 0;
    std::wstring text;
    WORD hotkey = 0;
    bool win = false;
};

struct WindowState {
    HWND window = nullptr;
    HFONT font = nullptr;
    const wchar_t* pages[kMaxPages] = {};
    int page_count = 0;
    RowValue given[kRows];
    // The accounts' page follows the sections' pages.
    int accounts_page = -1;
    std::wstring account_given[kMaxNetAccountCount][kAccountFieldCount];
};
WindowState g_settings;

// A language text of the window, or the English one.
std::wstring Text(const wchar_t* key, const wchar_t* english)
{
    wchar_t text[kNoteChars] = {};
    if (GetLanguageText(kSection, key, text, kNoteChars) && text[0])
        return text;
    return english;
}

std::wstring Decimal(int value)
{
    wchar_t text[16] = {};
    _snwprintf(text, 15, L"%d", value);
    return text;
}

Setting RowSetting(int row) { return static_cast<Setting>(row); }
HWND Part(int row, SettingsRowPart part) { return GetDlgItem(g_settings.window, SettingsControlId(RowSetting(row), part)); }

RECT DialogRect(int x, int y, int width, int height)
{
    RECT r = {x, y, x + width, y + height};
    MapDialogRect(g_settings.window, &r);
    return r;
}

HWND MakeControl(const wchar_t* class_name, const wchar_t* text, DWORD style, DWORD ex_style, int id, int x,
                 int y, int width, int height)
{
    const RECT r = DialogRect(x, y, width, height);
    HWND control = CreateWindowExW(ex_style, class_name, text, WS_CHILD | style, r.left, r.top, r.right - r.left,
                                   r.bottom - r.top, g_settings.window, reinterpret_cast<HMENU>(INT_PTR(id)),
                                   g_app.instance, nullptr);
    if (!control)
        DebugPrint(L"Settings control %d not made, error %lu\n", id, GetLastError());
    else
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(g_settings.font), FALSE);
    return control;
}

int PageOfRow(int row)
{
    for (int page = 0; page < g_settings.page_count; ++page)
        if (IsOnPage(RowSetting(row), g_settings.pages[page]))
            return page;
    return -1;
}

int LineOfRow(int row)
{
    const int page = PageOfRow(row);
    int line = 0;
    for (int other = 0; other < row; ++other)
        if (FieldKindOf(RowSetting(other)) != FieldKind::kNone && PageOfRow(other) == page)
            ++line;
    return line;
}

std::wstring DefaultText(Setting id)
{
    const SettingBounds& bounds = SettingKeyOf(id).bounds;
    std::wstring text = Text(L"default", L"Default:") + L" ";
    switch (FieldKindOf(id)) {
    case FieldKind::kCheck: text += Text(L"off", L"off"); break;
    case FieldKind::kBoundedNumber:
    case FieldKind::kNumber: text += Decimal(bounds.default_value); break;
    default: text += Text(L"empty", L"none"); break;
    }
    if (NeedsRestart(id))
        text += L" " + Text(L"next_start", L"(at next start)");
    return text;
}

std::wstring ReadText(Setting id)
{
    if (FieldKindOf(id) == FieldKind::kList) {
        OwnedText list = ReadSettingList(id);
        return list ? list.get() : L"";
    }
    wchar_t text[kSettingTextChars] = {};
    ReadSettingText(id, text, kSettingTextChars);
    return text;
}

std::wstring WindowText(HWND control)
{
    const int length = GetWindowTextLengthW(control);
    std::wstring text(size_t(length) + 1, L'\0');
    GetWindowTextW(control, text.data(), length + 1);
    text.resize(size_t(lstrlenW(text.c_str())));
    return text;
}

HWND AccountEdit(int index, int column) { return GetDlgItem(g_settings.window, SettingsAccountControlId(index, column)); }

Setting AccountSetting(int column) { return kAccountFields[column]; }

void MakeAccountPage()
{
    for (int column = 0; column < kAccountFieldCount; ++column)
        MakeControl(L"STATIC", SettingKeyOf(AccountSetting(column)).key, SS_LEFT | SS_NOPREFIX, 0,
                    kSettingsAccountHeading + column, kAccountColumnX[column], kRowTop + 2,
                    kAccountColumnWidth[column], 8);
    for (int index = 0; index < kMaxNetAccountCount; ++index) {
        const int y = kRowTop + (index + 1) * kRowStep;
        const std::wstring label = std::wstring(L"[") + AccountSectionName(index) + L"]";
        MakeControl(L"STATIC", label.c_str(), SS_LEFT | SS_NOPREFIX, 0, SettingsAccountLabelId(index), kLabelX,
                    y + 2, kAccountLabelWidth, 8);
        for (int column = 0; column < kAccountFieldCount; ++column) {
            const Setting id = AccountSetting(column);
            const DWORD style = WS_TABSTOP | ES_AUTOHSCROLL | (id == Setting::kAccountPassword ? ES_PASSWORD : 0);
            HWND edit = MakeControl(L"EDIT", L"", style, WS_EX_CLIENTEDGE, SettingsAccountControlId(index, column),
                                    kAccountColumnX[column], y, kAccountColumnWidth[column], 12);
            SendMessageW(edit, EM_LIMITTEXT, WPARAM(SettingChars(id) - 1), 0);
        }
    }
}

// The records as settings.ini holds them now.
void FillAccountPage()
{
    for (int index = 0; index < kMaxNetAccountCount; ++index)
        for (int column = 0; column < kAccountFieldCount; ++column) {
            wchar_t text[kAccountReadChars] = {};
            ReadAccountString(index, SettingKeyOf(AccountSetting(column)).key, text, kAccountReadChars);
            SetWindowTextW(AccountEdit(index, column), text);
            g_settings.account_given[index][column] = WindowText(AccountEdit(index, column));
        }
}

void ShowAccountPage(bool show)
{
    const int how = show ? SW_SHOWNA : SW_HIDE;
    for (int column = 0; column < kAccountFieldCount; ++column)
        ShowWindow(GetDlgItem(g_settings.window, kSettingsAccountHeading + column), how);
    for (int index = 0; index < kMaxNetAccountCount; ++index) {
        ShowWindow(GetDlgItem(g_settings.window, SettingsAccountLabelId(index)), how);
        for (int column = 0; column < kAccountFieldCount; ++column)
            ShowWindow(AccountEdit(index, column), how);
    }
}

void MakeRow(int row)
{
    const Setting id = RowSetting(row);
    const FieldKind kind = FieldKindOf(id);
    const SettingKey& key = SettingKeyOf(id);
    const int y = kRowTop + LineOfRow(row) * kRowStep;
    const DWORD edit_style = WS_TABSTOP | ES_AUTOHSCROLL;
    if (kind == FieldKind::kCheck) {
        MakeControl(L"BUTTON", key.key, WS_TABSTOP | BS_AUTOCHECKBOX, 0, SettingsControlId(id, kRowControl), kLabelX,
                    y, kLabelWidth + kControlWidth + 2, 12);
    } else {
        MakeControl(L"STATIC", key.key, SS_LEFT | SS_NOPREFIX, 0, SettingsControlId(id, kRowLabel), kLabelX, y + 2,
                    kLabelWidth, 8);
    }
    int low = 0, high = 0;
    FieldRange(id, &low, &high);
    switch (kind) {
    case FieldKind::kBoundedNumber: {
        MakeControl(L"EDIT", L"", edit_style, WS_EX_CLIENTEDGE, SettingsControlId(id, kRowControl), kControlX, y,
                    kControlWidth, 12);
        HWND spin = MakeControl(UPDOWN_CLASSW, L"",
                                UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS | UDS_SETBUDDYINT, 0,
                                SettingsControlId(id, kRowExtra), kControlX + kControlWidth, y, 10, 12);
        SendMessageW(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(Part(row, kRowControl)), 0);
        SendMessageW(spin, UDM_SETRANGE32, WPARAM(low), LPARAM(high));
        break;
    }
    case FieldKind::kNumber:
    case FieldKind::kText:
    case FieldKind::kList:
        MakeControl(L"EDIT", L"", edit_style, WS_EX_CLIENTEDGE, SettingsControlId(id, kRowControl), kControlX, y,
                    kControlWidth, 12);
        if (kind == FieldKind::kText)
            SendMessageW(Part(row, kRowControl), EM_LIMITTEXT, WPARAM(key.bounds.chars - 1), 0);
        else
            SendMessageW(Part(row, kRowControl), EM_LIMITTEXT, WPARAM(0x7FFFFFFE), 0);
        break;
    case FieldKind::kFile:
    case FieldKind::kFolder:
        MakeControl(L"EDIT", L"", edit_style, WS_EX_CLIENTEDGE, SettingsControlId(id, kRowControl), kControlX, y,
                    kControlWidth - 16, 12);
        SendMessageW(Part(row, kRowControl), EM_LIMITTEXT, WPARAM(key.bounds.chars - 1), 0);
        MakeControl(L"BUTTON", L"...", WS_TABSTOP | BS_PUSHBUTTON, 0, SettingsControlId(id, kRowExtra),
                    kControlX + kControlWidth - 14, y, 14, 12);
        break;
    case FieldKind::kHotkey:
        MakeControl(HOTKEY_CLASSW, L"", WS_TABSTOP, WS_EX_CLIENTEDGE, SettingsControlId(id, kRowControl), kControlX, y,
                    kControlWidth - 30, 12);
        MakeControl(L"BUTTON", L"Win", WS_TABSTOP | BS_AUTOCHECKBOX, 0, SettingsControlId(id, kRowExtra),
                    kControlX + kControlWidth - 28, y, 28, 12);
        break;
    default: break;
    }
    MakeControl(L"STATIC", DefaultText(id).c_str(), SS_LEFT | SS_NOPREFIX, 0, SettingsControlId(id, kRowNote), kNoteX,
                y + 2, kNoteWidth, 8);
}

RowValue ControlValue(int row)
{
    RowValue value;
    HWND control = Part(row, kRowControl);
    switch (FieldKindOf(RowSetting(row))) {
    case FieldKind::kCheck: value.checked = SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED; break;
    case FieldKind::kHotkey:
        value.hotkey = WORD(SendMessageW(control, HKM_GETHOTKEY, 0, 0));
        value.win = SendMessageW(Part(row, kRowExtra), BM_GETCHECK, 0, 0) == BST_CHECKED;
        break;
    default: value.text = WindowText(control); break;
    }
    return value;
}

// The effective value into the control: what a read gives now.
void FillRow(int row)
{
    const Setting id = RowSetting(row);
    HWND control = Part(row, kRowControl);
    switch (FieldKindOf(id)) {
    case FieldKind::kCheck:
        SendMessageW(control, BM_SETCHECK, ReadSetting(id) ? BST_CHECKED : BST_UNCHECKED, 0);
        break;
    case FieldKind::kBoundedNumber:
    case FieldKind::kNumber: SetWindowTextW(control, Decimal(ReadSetting(id)).c_str()); break;
    case FieldKind::kHotkey: {
        wchar_t text[kHotkeyTextChars] = {};
        ReadSettingText(id, text, kHotkeyTextChars);
        HotkeyCombination combination = {};
        // A text of fewer than three characters is no hotkey.
        if (lstrlenW(text) >= 3 && ParseHotkeyText(text, &combination)) {
            const UINT flags = ControlFlagsFromModifiers(combination.modifiers, combination.virtual_key);
            SendMessageW(control, HKM_SETHOTKEY, MAKEWORD(combination.virtual_key, flags), 0);
            SendMessageW(Part(row, kRowExtra), BM_SETCHECK,
                         (combination.modifiers & MOD_WIN) ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        break;
    }
    default: SetWindowTextW(control, ReadText(id).c_str()); break;
    }
    g_settings.given[row] = ControlValue(row);
}

bool SameValue(FieldKind kind, const RowValue& a, const RowValue& b)
{
    switch (kind) {
    case FieldKind::kCheck: return a.checked == b.checked;
    case FieldKind::kHotkey: return a.hotkey == b.hotkey && a.win == b.win;
    default: return a.text == b.text;
    }
}

void ShowPage(int page)
{
    ShowAccountPage(page == g_settings.accounts_page);
    for (int row = 0; row < kRows; ++row) {
        if (FieldKindOf(RowSetting(row)) == FieldKind::kNone)
            continue;
        const int show = PageOfRow(row) == page ? SW_SHOWNA : SW_HIDE;
        for (SettingsRowPart part : {kRowLabel, kRowControl, kRowExtra, kRowNote})
            if (HWND control = Part(row, part))
                ShowWindow(control, show);
    }
}

void SelectPage(int page)
{
    SendDlgItemMessageW(g_settings.window, kSettingsPageList, LB_SETCURSEL, WPARAM(page), 0);
    ShowPage(page);
}

void SetStatus(const std::wstring& text) { SetDlgItemTextW(g_settings.window, kSettingsStatus, text.c_str()); }

std::wstring RowName(int row)
{
    const SettingKey& key = SettingKeyOf(RowSetting(row));
    return std::wstring(L"[") + key.section + L"] " + key.key;
}

FormHotkey FormHotkeyOf(const RowValue& value)
{
    return {ModifiersFromControl(HIBYTE(value.hotkey), value.win), LOBYTE(value.hotkey)};
}

// Beside a hotkey control, at once: another of ours with the same keys, a
// key the text cannot name, or keys that Windows refuses.
void UpdateHotkeyNote(int row)
{
    std::vector<FormHotkey> hotkeys;
    std::vector<int> rows;
    int index = -1;
    for (int other = 0; other < kRows; ++other) {
        if (FieldKindOf(RowSetting(other)) != FieldKind::kHotkey)
            continue;
        if (other == row)
            index = int(rows.size());
        rows.push_back(other);
        hotkeys.push_back(FormHotkeyOf(ControlValue(other)));
    }
    const RowValue now = ControlValue(row);
    const FormHotkey mine = FormHotkeyOf(now);
    std::wstring note = DefaultText(RowSetting(row));
    wchar_t text[kHotkeyTextChars];
    const HotkeyCheck check = HotkeyTextFor(mine.modifiers, mine.virtual_key, text, kHotkeyTextChars);
    const int clash = FindHotkeyClash(hotkeys.data(), int(hotkeys.size()), index);
    if (SameValue(FieldKind::kHotkey, now, g_settings.given[row]) && clash < 0) {
        // As stored: its registration was reported when it was made.
    } else if (check == HotkeyCheck::kUnnamedKey) {
        note = Text(L"unnamed_key", L"Not storable: letters, digits and arrows only");
    } else if (check == HotkeyCheck::kNoModifier) {
        note = Text(L"no_modifier", L"Needs Ctrl, Alt, Shift or Win");
    } else if (clash >= 0) {
        note = Text(L"used_by", L"Used by") + L" " + RowName(rows[size_t(clash)]);
    } else if (check == HotkeyCheck::kOk) {
        if (RegisterHotKey(g_settings.window, kTrialHotkeyId, mine.modifiers, mine.virtual_key))
            UnregisterHotKey(g_settings.window, kTrialHotkeyId);
        else
            note = Text(L"taken", L"Taken by another program");
    }
    SetWindowTextW(Part(row, kRowNote), note.c_str());
}

// The text a changed row writes, or false with the reason in *error.
bool StoredText(int row, const RowValue& value, std::wstring* stored, std::wstring* error)
{
    const Setting id = RowSetting(row);
    const FieldKind kind = FieldKindOf(id);
    int low = 0, high = 0, number = 0;
    FieldRange(id, &low, &high);
    switch (kind) {
    case FieldKind::kCheck: *stored = value.checked ? L"1" : L"0"; return true;
    case FieldKind::kBoundedNumber:
    case FieldKind::kNumber:
        if (ParseFormNumber(value.text, low, high, &number) != NumberCheck::kOk) {
            *error = RowName(row) + L": " + Text(L"bad_number", L"enter a whole number from") + L" " +
                     Decimal(low) + L" " + Text(L"to", L"to") + L" " + Decimal(high) + L".";
            return false;
        }
        *stored = Decimal(number);
        return true;
    case FieldKind::kHotkey: {
        const FormHotkey keys = FormHotkeyOf(value);
        wchar_t text[kHotkeyTextChars] = {};
        switch (HotkeyTextFor(keys.modifiers, keys.virtual_key, text, kHotkeyTextChars)) {
        case HotkeyCheck::kOk:
        case HotkeyCheck::kNone: *stored = text; return true;
        case HotkeyCheck::kNoModifier:
            *error = RowName(row) + L": " +
                     Text(L"bad_no_modifier", L"a hotkey needs Ctrl, Alt, Shift or Win with its key.");
            return false;
        case HotkeyCheck::kUnnamedKey:
            *error = RowName(row) + L": " +
                     Text(L"bad_key", L"this key cannot be stored; a hotkey's key is a letter, a digit or an arrow.");
            return false;
        }
        return false;
    }
    default:
        switch (CheckFormText(value.text, kind == FieldKind::kList ? 0 : SettingKeyOf(id).bounds.chars)) {
        case TextCheck::kOk: *stored = value.text; return true;
        case TextCheck::kLineBreak:
            *error = RowName(row) + L": " + Text(L"bad_line_break", L"a value is one line.");
            return false;
        case TextCheck::kTooLong:
            *error = RowName(row) + L": " + Text(L"bad_long", L"too long.");
            return false;
        }
        return false;
    }
}

void FocusRow(int row)
{
    SelectPage(PageOfRow(row));
    HWND control = Part(row, kRowControl);
    SetFocus(control);
    if (FieldKindOf(RowSetting(row)) != FieldKind::kHotkey && FieldKindOf(RowSetting(row)) != FieldKind::kCheck)
        SendMessageW(control, EM_SETSEL, 0, -1);
}

enum class Saved {
    kRefused,       // nothing written: a value refused or the file not written
    kDone,          // written (or nothing to write) and in effect
    kNeedsRestart,  // written, and a value among them takes effect at start
};

// Shows the offer to restart now, beside the status that says why.
void OfferRestart()
{
    ShowWindow(GetDlgItem(g_settings.window, kSettingsRestart), SW_SHOWNA);
}

// Writes the changed rows and applies them; nothing is written when a value
// is refused or the file cannot be written.
Saved ApplyChanges()
{
    struct Change {
        int row;
        RowValue value;
        std::wstring stored;
    };
    std::vector<Change> changes;
    for (int row = 0; row < kRows; ++row) {
        const FieldKind kind = FieldKindOf(RowSetting(row));
        if (kind == FieldKind::kNone)
            continue;
        RowValue value = ControlValue(row);
        if (SameValue(kind, value, g_settings.given[row]))
            continue;
        std::wstring stored, error;
        if (!StoredText(row, value, &stored, &error)) {
            FocusRow(row);
            SetStatus(error);
            MessageBeep(MB_ICONWARNING);
            DebugPrint(L"Settings refused: %s\n", error.c_str());
            return Saved::kRefused;
        }
        changes.push_back({row, value, stored});
    }
    // The accounts' records: their texts as typed, each within its buffer.
    struct AccountChange {
        int index, column;
        std::wstring value, stored;
    };
    std::vector<AccountChange> account_changes;
    for (int index = 0; index < kMaxNetAccountCount; ++index)
        for (int column = 0; column < kAccountFieldCount; ++column) {
            std::wstring value = WindowText(AccountEdit(index, column));
            if (value == g_settings.account_given[index][column])
                continue;
            const Setting id = AccountSetting(column);
            const std::wstring name = std::wstring(L"[") + AccountSectionName(index) + L"] " + SettingKeyOf(id).key;
            const TextCheck check = CheckFormText(value, SettingChars(id));
            if (check != TextCheck::kOk) {
                const std::wstring error =
                    name + L": " + (check == TextCheck::kLineBreak ? Text(L"bad_line_break", L"a value is one line.")
                                                                    : Text(L"bad_long", L"too long."));
                SelectPage(g_settings.accounts_page);
                SetFocus(AccountEdit(index, column));
                SendMessageW(AccountEdit(index, column), EM_SETSEL, 0, -1);
                SetStatus(error);
                MessageBeep(MB_ICONWARNING);
                DebugPrint(L"Settings refused: %s\n", error.c_str());
                return Saved::kRefused;
            }
            // Written so that a read gives it back: blanks at its ends and
            // quotes around it kept.
            std::wstring stored = ProfileTextFor(value);
            account_changes.push_back({index, column, std::move(value), std::move(stored)});
        }
    if (changes.empty() && account_changes.empty()) {
        // A restart offered before stays on offer, with its reason.
        if (!IsWindowVisible(GetDlgItem(g_settings.window, kSettingsRestart)))
            SetStatus(L"");
        return Saved::kDone;
    }
    std::vector<IniEdit<wchar_t>> edits;
    for (const Change& change : changes) {
        const SettingKey& key = SettingKeyOf(RowSetting(change.row));
        edits.push_back({key.section, key.key, change.stored});
    }
    for (const AccountChange& change : account_changes)
        edits.push_back({AccountSectionName(change.index), SettingKeyOf(AccountSetting(change.column)).key,
                         change.stored});
    if (!WriteIniEdits(GetSettingsPath(), edits.data(), int(edits.size()))) {
        SetStatus(std::wstring(GetSettingsPath()) + L" " +
                  Text(L"not_saved", L"could not be written: nothing was changed."));
        MessageBeep(MB_ICONWARNING);
        return Saved::kRefused;
    }
    for (const AccountChange& change : account_changes)
        g_settings.account_given[change.index][change.column] = change.value;
    bool restart = false;
    std::vector<Setting> changed;
    for (const Change& change : changes) {
        g_settings.given[change.row] = change.value;
        changed.push_back(RowSetting(change.row));
        restart = restart || NeedsRestart(RowSetting(change.row));
    }
    // The accounts' records need no apply function: the tray menu and the
    // connections read them when they are used.
    const int applied = ApplySettingEffects(changed.data(), int(changed.size()));
    NoteSettingsApplied();
    for (const Change& change : changes)
        if (FieldKindOf(RowSetting(change.row)) == FieldKind::kHotkey)
            UpdateHotkeyNote(change.row);
    DebugPrint(L"Settings saved: %d keys, %d apply functions\n", int(changes.size() + account_changes.size()),
               applied);
    SetStatus(Text(L"saved", L"Saved.") +
              (restart ? L" " + Text(L"restart", L"Marked values take effect at the next start.") : L""));
    if (!restart)
        return Saved::kDone;
    OfferRestart();
    return Saved::kNeedsRestart;
}

void Browse(int row)
{
    const Setting id = RowSetting(row);
    wchar_t path[MAX_PATH] = {};
    GetWindowTextW(Part(row, kRowControl), path, MAX_PATH);
    if (FieldKindOf(id) == FieldKind::kFile) {
        OPENFILENAMEW open = {};
        open.lStructSize = sizeof(open);
        open.hwndOwner = g_settings.window;
        open.lpstrFile = path;
        open.nMaxFile = MAX_PATH;
        open.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
        if (GetOpenFileNameW(&open))
            SetWindowTextW(Part(row, kRowControl), path);
        return;
    }
    BROWSEINFOW browse = {};
    browse.hwndOwner = g_settings.window;
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    if (LPITEMIDLIST chosen = SHBrowseForFolderW(&browse)) {
        if (SHGetPathFromIDListW(chosen, path)) {
            // The snapshot folder ends with a backslash.
            const int length = lstrlenW(path);
            if (length > 0 && length + 1 < MAX_PATH && path[length - 1] != L'\\')
                lstrcatW(path, L"\\");
            SetWindowTextW(Part(row, kRowControl), path);
        }
        CoTaskMemFree(chosen);
    }
}

void OnInit(HWND window)
{
    g_settings.window = window;
    g_settings.font = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
    SetWindowTextW(window, Text(L"title", L"Quornvale settings").c_str());
    MakeControl(L"STATIC", Text(L"pages", L"&Pages:").c_str(), SS_LEFT | WS_VISIBLE, 0, kSettingsPageLabel, 7, 7, 92, 8);
    HWND list = MakeControl(L"LISTBOX", L"", WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                            WS_EX_CLIENTEDGE, kSettingsPageList, 7, 17, 92, 190);
    g_settings.page_count = SettingPages(g_settings.pages, kMaxPages);
    for (int page = 0; page < g_settings.page_count; ++page)
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(g_settings.pages[page]));
    g_settings.accounts_page = g_settings.page_count;
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Text(L"accounts", L"accounts [0] - [9]").c_str()));
    for (int row = 0; row < kRows; ++row)
        if (FieldKindOf(RowSetting(row)) != FieldKind::kNone) {
            MakeRow(row);
            FillRow(row);
        }
    MakeAccountPage();
    FillAccountPage();
    MakeControl(L"STATIC", L"", WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, kSettingsStatus, kLabelX, 192, kWidth - kLabelX - 7,
                18);
    // Shown once a saved value needs a restart.
    MakeControl(L"BUTTON", Text(L"restart_now", L"&Restart now").c_str(), WS_TABSTOP | BS_PUSHBUTTON, 0,
                kSettingsRestart, kLabelX, 215, 80, 14);
    MakeControl(L"BUTTON", Text(L"ok", L"OK").c_str(), WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, IDOK, 252, 215,
                50, 14);
    MakeControl(L"BUTTON", Text(L"cancel", L"Cancel").c_str(), WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, IDCANCEL,
                306, 215, 50, 14);
    MakeControl(L"BUTTON", Text(L"apply", L"&Apply").c_str(), WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0,
                kSettingsApply, 360, 215, 50, 14);
    SelectPage(0);
}

void OnCommand(int id, int code)
{
    switch (id) {
    case IDOK:
        // A value that needs a restart keeps the window open with the offer.
        if (ApplyChanges() == Saved::kDone)
            DestroyWindow(g_settings.window);
        return;
    case IDCANCEL: DestroyWindow(g_settings.window); return;
    case kSettingsApply: ApplyChanges(); return;
    case kSettingsRestart:
        if (code == BN_CLICKED && IsWindowVisible(GetDlgItem(g_settings.window, kSettingsRestart))) {
            DestroyWindow(g_settings.window);
            RequestRestart(g_app.main_window);
        }
        return;
    case kSettingsPageList:
        if (code == LBN_SELCHANGE)
            ShowPage(int(SendDlgItemMessageW(g_settings.window, kSettingsPageList, LB_GETCURSEL, 0, 0)));
        return;
    default: break;
    }
    if (id < SettingsControlId(Setting(0), kRowLabel))
        return;
    const int row = (id - SettingsControlId(Setting(0), kRowLabel)) / 8;
    const int part = (id - SettingsControlId(Setting(0), kRowLabel)) % 8;
    if (row >= kRows)
        return;
    const FieldKind kind = FieldKindOf(RowSetting(row));
    if (kind == FieldKind::kHotkey && (part == kRowControl || (part == kRowExtra && code == BN_CLICKED)))
        UpdateHotkeyNote(row);
    else if ((kind == FieldKind::kFile || kind == FieldKind::kFolder) && part == kRowExtra && code == BN_CLICKED)
        Browse(row);
}

INT_PTR CALLBACK SettingsDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: OnInit(window); return TRUE;
    case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam)); return TRUE;
    case WM_CLOSE: DestroyWindow(window); return TRUE;
    case WM_DESTROY:
        g_settings.window = nullptr;
        return TRUE;
    default: return FALSE;
    }
}

// An empty template: a captioned, movable window in the system's dialog
// font; every control is made by OnInit.
struct alignas(4) EmptyTemplate {
    DLGTEMPLATE head;
    WORD menu, window_class, title, point_size;
    wchar_t font[13];
};

HWND CreateSettingsWindow()
{
    static const INITCOMMONCONTROLSEX controls = {sizeof(INITCOMMONCONTROLSEX), ICC_UPDOWN_CLASS | ICC_HOTKEY_CLASS};
    InitCommonControlsEx(&controls);
    EmptyTemplate dialog = {};
    dialog.head.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_SETFONT | DS_MODALFRAME |
                        DS_CENTER | DS_3DLOOK;
    dialog.head.dwExtendedStyle = WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;
    dialog.head.cx = kWidth;
    dialog.head.cy = kHeight;
    dialog.point_size = 8;
    lstrcpyW(dialog.font, L"MS Shell Dlg");
    HWND window = CreateDialogIndirectParamW(g_app.instance, &dialog.head, nullptr, SettingsDialogProc, 0);
    if (!window)
        DebugPrint(L"Settings window not made, error %lu\n", GetLastError());
    return window;
}
}  // namespace

void ShowSettingsWindow()
{
    if (!g_settings.window && !CreateSettingsWindow())
        return;
    ShowWindow(g_settings.window, IsIconic(g_settings.window) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(g_settings.window);
    DebugPrint(L"Settings window shown\n");
}

bool IsSettingsWindowMessage(MSG* message)
{
    return g_settings.window && IsDialogMessageW(g_settings.window, message);
}
