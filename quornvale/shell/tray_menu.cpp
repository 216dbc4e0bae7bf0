#include "quornvale/shell/tray_menu.h"

#include <new>
#include <stdio.h>

#include "common/os_version.h"
#include "quornvale/shell/command_ids.h"
#include "quornvale/shell/icon_taskbar.h"
#include "quornvale/shell/language.h"
#include "quornvale/shell/settings.h"
#include "quornvale/tools/hotkey_text.h"
#include "quornvale/tools/hotkeys.h"
#include "quornvale/tools/net_accounts.h"

namespace {
constexpr UINT kTrackFlags = TPM_BOTTOMALIGN | TPM_RIGHTALIGN | TPM_RIGHTBUTTON;  // 0x2A
constexpr int kMaxStates = 32;

struct MenuHotkey {
    UINT command;
    int hotkey_id;
};
constexpr MenuHotkey kMenuHotkeys[] = {
    {CmdSnapshot, kSnapshotHotkeyId},
    {CmdHibernate, kHibernateHotkeyId},
    {CmdTurnOffMonitor, kMonitorOffHotkeyId},
};

wchar_t* CopyText(const wchar_t* text)
{
    int length = lstrlenW(text);
    auto* copy = new (std::nothrow) wchar_t[length + 1];
    if (copy)
        lstrcpyW(copy, text);
    return copy;
}

DynMenuItem* NewItems(int count)
{
    auto* items = new (std::nothrow) DynMenuItem[count > 0 ? count : 1];
    if (items)
        for (int i = 0; i < (count > 0 ? count : 1); ++i)
            items[i] = {0, kItemLeftOut, nullptr};
    return items;
}

// Fixed entries first_id..last_id of one section, in id order, leaving out
// the one id given as skipped (0: none).
DynMenuItem* FixedEntries(const wchar_t* section, UINT first_id, UINT last_id, UINT skipped,
                          int* count)
{
    int n = int(last_id - first_id + 1) - (skipped ? 1 : 0);
    DynMenuItem* items = NewItems(n);
    *count = items ? n : 0;
    if (!items)
        return nullptr;
    int at = 0;
    for (UINT id = first_id; id <= last_id; ++id)
        if (id != skipped)
            items[at++] = MakeFixedEntry(section, id);
    return items;
}

DynMenuItem* LanguageItems(int* count)
{
    int n = LanguageCount();
    *count = 0;
    if (n <= 0)
        return nullptr;
    DynMenuItem* items = NewItems(n);
    if (!items)
        return nullptr;
    const LanguageEntry* entries = LanguageEntries();
    for (int i = 0; i < n; ++i)
        items[i] = {entries[i].id, kItemCommand, CopyText(entries[i].name)};
    *count = n;
    return items;
}

// The accounts submenu: the fixed items 32, 33 and 34 of section
// "connection", then one item per account, titled by its remote computer.
// Refills the account table; no list without accounts.
DynMenuItem* ConnectionItems(int* count)
{
    *count = 0;
    const int accounts = ListNetAccounts();
    if (accounts <= 0)
        return nullptr;
    const int fixed = int(CmdConnectionLast - CmdConnectionFirst + 1);
    DynMenuItem* items = NewItems(fixed + accounts);
    if (!items)
        return nullptr;
    for (UINT id = CmdConnectionFirst; id <= CmdConnectionLast; ++id)
        items[id - CmdConnectionFirst] = MakeFixedEntry(L"connection", id);
    for (int i = 0; i < accounts; ++i)
        items[fixed + i] = {g_net_accounts[i].id, kItemCommand, CopyText(g_net_accounts[i].remote)};
    *count = fixed + accounts;
    return items;
}

// The hotkey each command entry's function holds now, beside its text.  The
// language file's text itself is left as it is.
void AddHotkeyColumn(DynMenuItem* items, int count)
{
    for (int i = 0; items && i < count; ++i) {
        DynMenuItem& item = items[i];
        const int hotkey_id = item.kind == kItemCommand ? MenuHotkeyId(UINT(item.id)) : 0;
        wchar_t hotkey[kHotkeyMenuChars] = {};
        if (!hotkey_id || !item.text || !RegisteredHotkeyMenuText(hotkey_id, hotkey, kHotkeyMenuChars))
            continue;
        if (wchar_t* joined = MenuTextWithHotkey(item.text, hotkey)) {
            delete[] item.text;
            item.text = joined;
        }
    }
}

// A submenu into the root entry of that id; a submenu that could not be
// made leaves the entry a plain item.
void AttachSubmenu(TrayMenu* menu, UINT id, HMENU submenu)
{
    UINT first = menu->root_first_id;
    if (id < first || int(id - first) >= menu->root_count)
        return;
    DynMenuItem& entry = menu->root_items[id - first];
    if (!submenu)
        return;
    entry.id = reinterpret_cast<UINT_PTR>(submenu);
    entry.kind = kItemSubmenu;
}

void Check(HMENU root, UINT id, bool on)
{
    CheckMenuItem(root, id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

void ApplyStates(TrayMenu* menu)
{
    MenuItemState states[kMaxStates];
    int n = ComputeMenuStates(ReadMenuInputs(), states, kMaxStates);
    for (int i = 0; i < n; ++i) {
        if (states[i].grayed)
            EnableMenuItem(menu->root, states[i].id, MF_BYCOMMAND | MF_GRAYED);
        Check(menu->root, states[i].id, states[i].checked);
    }
    // Account items by position: the first account shares its id with the
    // third fixed item of the submenu, so a lookup by command would find that.
    if (menu->accounts) {
        const int fixed = menu->account_count - g_net_account_count;
        for (int i = 0; i < g_net_account_count; ++i)
            CheckMenuItem(menu->accounts, UINT(fixed + i),
                          MF_BYPOSITION | (ReadAccountSetting(g_net_accounts[i].index, Setting::kAccountState)
                                               ? MF_CHECKED : MF_UNCHECKED));
    }
    // The current language; the entries before it are unchecked.
    wchar_t filepath[SettingChars(Setting::kLanguageFile)] = {};
    ReadSettingText(Setting::kLanguageFile, filepath, ARRAYSIZE(filepath));
    int current = FindCurrentLanguage(LanguageEntries(), LanguageCount(), filepath);
    for (int i = 0; i <= current; ++i)
        Check(menu->root, LanguageEntries()[i].id, i == current);
}
}  // namespace

HMENU BuildPopupMenu(DynMenuItem* items, int count)
{
    HMENU menu = CreatePopupMenu();
    if (!menu)
        return nullptr;
    for (int i = 0; i < count; ++i) {
        const DynMenuItem& item = items[i];
        const wchar_t* text = item.text ? item.text : L"";
        switch (item.kind) {
        case kItemCommand:
            InsertMenuW(menu, UINT(i), MF_BYPOSITION | MF_STRING, item.id, text);
            break;
        case kItemSubmenu:
            InsertMenuW(menu, UINT(i), MF_BYPOSITION | MF_STRING | MF_POPUP, item.id, text);
            break;
        case kItemSeparator:
            InsertMenuW(menu, UINT(i), MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
            break;
        default:
            break;  // left out
        }
    }
    return menu;
}

void FreePopupMenu(HMENU menu, DynMenuItem* items, int count)
{
    if (items) {
        for (int i = 0; i < count; ++i)
            delete[] items[i].text;
        delete[] items;
    }
    if (menu)
        DestroyMenu(menu);
}

int FixedEntryKind(const wchar_t* text)
{
    return text && text[0] == L'-' ? kItemSeparator : kItemCommand;
}

DynMenuItem MakeFixedEntry(const wchar_t* section, UINT id)
{
    wchar_t* text = GetMenuText(section, id);
    if (!text) {
        // No text in the language file: the id stands in for it.
        text = new (std::nothrow) wchar_t[kMenuTextChars];
        if (text) {
            _snwprintf(text, kMenuTextChars - 1, L"%u", id);
            text[kMenuTextChars - 1] = L'\0';
        }
    }
    return {id, FixedEntryKind(text), text};
}

int MenuHotkeyId(UINT command_id)
{
    for (const MenuHotkey& row : kMenuHotkeys)
        if (row.command == command_id)
            return row.hotkey_id;
    return 0;
}

wchar_t* MenuTextWithHotkey(const wchar_t* text, const wchar_t* hotkey)
{
    const int text_chars = text ? lstrlenW(text) : 0;
    const int hotkey_chars = hotkey ? lstrlenW(hotkey) : 0;
    auto* joined = new (std::nothrow) wchar_t[text_chars + hotkey_chars + 2];
    if (!joined)
        return nullptr;
    lstrcpyW(joined, text ? text : L"");
    if (hotkey_chars > 0) {
        joined[text_chars] = L'\t';
        lstrcpyW(joined + text_chars + 1, hotkey);
    }
    return joined;
}

int ComputeMenuStates(const MenuInputs& in, MenuItemState* out, int max)
{
    int n = 0;
    auto add = [&](UINT id, bool checked, bool grayed = false) {
        if (n < max)
            out[n++] = {id, checked, grayed};
    };
    add(CmdRunAtStart, in.run_at_start);
    add(CmdIconOnlyTaskbar, in.icon_only_taskbar);
    add(CmdAutoClose, in.autoclose != 0);
    add(CmdSimulatedWinKey, in.simwinkey != 0);
    add(CmdChord, in.babylon != 0);
    add(CmdMiddleButton, in.mbutton_code != 0);
    add(CmdTopmost, in.topmost != 0);
    add(CmdHideCursor, in.hidecursor != 0);
    // Docking needs full-window dragging, which the program may switch on
    // only when "dragfullwindow" allows it.
    add(CmdDocking, in.dockwindow != 0, !in.system_drags_full_windows && in.dragfullwindow == 0);
    add(CmdRollUp, in.rollup != 0);
    add(CmdDisableIme, in.disableime != 0);
    const bool into_file = in.intofile != 0;
    add(CmdSnapshotIntoFile, into_file);
    // A watermark only exists on file snapshots.
    add(CmdSnapshotWatermark, into_file && in.watermark != 0, !into_file);
    add(CmdNotifyIcon, in.notifyicon != 0);
    add(CmdTransparency, in.transparent != 0);
    add(CmdAutoScrollMode1, in.autoscroll_mode == 1);
    add(CmdAutoScrollMode2, in.autoscroll_mode != 1);
    add(CmdWindowInfo, in.information != 0);
    if (in.windows_2000)
        add(CmdDesktopCaptions, in.bkcolor_transp != 0);
    if (in.accounts)
        add(CmdConnectAtStart, in.atstart != 0);
    return n;
}

MenuInputs ReadMenuInputs()
{
    MenuInputs in = {};
    in.run_at_start = IsRunAtStartSet();
    in.icon_only_taskbar = IsIconOnlyTaskbar();
    in.autoclose = ReadSetting(Setting::kAutoCloseEnable);
    in.simwinkey = ReadSetting(Setting::kSimulatedWinKeyEnable);
    in.babylon = ReadSetting(Setting::kChord);
    in.mbutton_code = ReadSetting(Setting::kMButtonCode);
    in.topmost = ReadSetting(Setting::kTopmostEnable);
    in.hidecursor = ReadSetting(Setting::kHideCursorEnable);
    in.dockwindow = ReadSetting(Setting::kDockEnable);
    BOOL full_drag = FALSE;
    SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &full_drag, 0);
    in.system_drags_full_windows = full_drag != FALSE;
    in.dragfullwindow = ReadSetting(Setting::kDockDragFullWindow);
    in.rollup = ReadSetting(Setting::kRollUpEnable);
    in.disableime = ReadSetting(Setting::kDisableImeEnable);
    in.intofile = ReadSetting(Setting::kSnapshotIntoFile);
    in.watermark = ReadSetting(Setting::kSnapshotWatermarkEnable);
    in.notifyicon = ReadSetting(Setting::kNotifyIconEnable);
    in.transparent = ReadSetting(Setting::kTransparentEnable);
    in.autoscroll_mode = ReadSetting(Setting::kAutoScrollMode);
    in.information = ReadSetting(Setting::kInformationEnable);
    in.windows_2000 = GetOsVersionClass() == kOsWin2000;
    if (in.windows_2000)
        in.bkcolor_transp = ReadSetting(Setting::kDesktopCaptionsTransparent);
    in.accounts = ReadSetting(Setting::kNetAccountCount) != 0;
    if (in.accounts)
        in.atstart = ReadSetting(Setting::kNetAccountsAtStart);
    return in;
}

bool BuildTrayMenu(TrayMenu* menu)
{
    *menu = {};
    const bool accounts = ReadSetting(Setting::kNetAccountCount) != 0;

    // The item lists: root, system functions, features, accounts, languages, help.
    menu->root_first_id = accounts ? CmdRootFirst : CmdRootFirstWithoutAccounts;
    menu->root_items = FixedEntries(L"root", menu->root_first_id, CmdRootLast, 0, &menu->root_count);
    if (menu->root_items && GetOsVersionClass() == kOsWin7) {
        // Windows 7 groups its task buttons itself: no icon-only entry.
        menu->root_items[CmdIconOnlyTaskbar - menu->root_first_id].kind = kItemLeftOut;
    }
    menu->system_items = FixedEntries(L"sysfunc", CmdSystemFirst, CmdSystemLast, 0, &menu->system_count);
    menu->feature_items = FixedEntries(L"features", CmdFeaturesFirst, CmdFeaturesLast,
                                       GetOsVersionClass() == kOsWin2000 ? 0u : UINT(CmdDesktopCaptions),
                                       &menu->feature_count);
    if (accounts)
        menu->account_items = ConnectionItems(&menu->account_count);
    menu->language_items = LanguageItems(&menu->language_count);
    menu->help_items = FixedEntries(L"help", CmdHelpFirst, CmdHelpLast, 0, &menu->help_count);
    AddHotkeyColumn(menu->root_items, menu->root_count);
    AddHotkeyColumn(menu->system_items, menu->system_count);
    if (!menu->root_items) {
        FreeTrayMenu(menu);
        return false;
    }

    AttachSubmenu(menu, CmdSystemMenu, BuildPopupMenu(menu->system_items, menu->system_count));
    AttachSubmenu(menu, CmdFeaturesMenu, BuildPopupMenu(menu->feature_items, menu->feature_count));
    AttachSubmenu(menu, CmdLanguagesMenu, BuildPopupMenu(menu->language_items, menu->language_count));
    AttachSubmenu(menu, CmdHelpMenu, BuildPopupMenu(menu->help_items, menu->help_count));
    if (accounts && menu->account_items) {
        menu->accounts = BuildPopupMenu(menu->account_items, menu->account_count);
        AttachSubmenu(menu, CmdAccountsMenu, menu->accounts);
    }
    menu->root = BuildPopupMenu(menu->root_items, menu->root_count);
    if (!menu->root) {
        // The submenus belong to no menu yet: destroy them one by one.
        for (int i = 0; i < menu->root_count; ++i)
            if (menu->root_items[i].kind == kItemSubmenu)
                DestroyMenu(reinterpret_cast<HMENU>(menu->root_items[i].id));
        FreeTrayMenu(menu);
        return false;
    }
    ApplyStates(menu);
    return true;
}

void FreeTrayMenu(TrayMenu* menu)
{
    // The submenus go with the root menu; their lists are freed on their own.
    FreePopupMenu(nullptr, menu->system_items, menu->system_count);
    FreePopupMenu(nullptr, menu->feature_items, menu->feature_count);
    FreePopupMenu(nullptr, menu->language_items, menu->language_count);
    FreePopupMenu(nullptr, menu->help_items, menu->help_count);
    FreePopupMenu(nullptr, menu->account_items, menu->account_count);
    FreePopupMenu(menu->root, menu->root_items, menu->root_count);
    *menu = {};
}

void ShowTrayMenu(HWND main_window)
{
    TrayMenu menu;
    if (!BuildTrayMenu(&menu))
        return;
    POINT cursor = {};
    GetCursorPos(&cursor);
    // Without the foreground the menu would not close when clicking elsewhere.
    SetForegroundWindow(main_window);
    TrackPopupMenuEx(menu.root, kTrackFlags, cursor.x, cursor.y, main_window, nullptr);
    PostMessageW(main_window, WM_NULL, 0, 0);
    FreeTrayMenu(&menu);
}
