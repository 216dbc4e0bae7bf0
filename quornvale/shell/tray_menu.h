#pragma once
// The tray menu: built from scratch each time it opens, with its texts from
// the current language file and its check marks and grey states read from
// settings.ini and the system at that moment.
#include <windows.h>

// Kinds of a menu item list entry.
enum MenuItemKind : int {
    kItemCommand = 0,
    kItemSubmenu = 1,
    kItemSeparator = 2,
    kItemLeftOut = 3,
};

struct DynMenuItem {
    UINT_PTR id;    // command id, or the submenu handle for kItemSubmenu
    int kind;
    wchar_t* text;  // owned (new[]); may be null for separators and left-out entries
};

// A popup menu of the entries in array order (left-out entries keep their
// position count but are not inserted); null when no menu can be created.
HMENU BuildPopupMenu(DynMenuItem* items, int count);
// Frees every entry's text and the array, and destroys the menu when given
// (destroying a menu destroys its submenus too).
void FreePopupMenu(HMENU menu, DynMenuItem* items, int count);

// --- decisions, kept free of windows ----------------------------------------

// A fixed entry's kind from its language text: "-..." is a separator.
int FixedEntryKind(const wchar_t* text);
// A fixed entry: its language text, or, when the language file has none, its
// command id as text, so that no entry is empty.  Null text only when memory
// runs out.
DynMenuItem MakeFixedEntry(const wchar_t* section, UINT id);

// The hotkey id (hotkeys.h) of the function a command runs, or 0: snapshot,
// hibernate and monitor off.  The minimise-to-tray switch has none: its
// hotkey minimises the window under the cursor, another function.
int MenuHotkeyId(UINT command_id);
// An entry's text with a hotkey in Windows' accelerator column, after a tab:
// "Snapshot\tCtrl+Alt+S", in a new buffer the caller frees with delete[];
// the text alone for an empty hotkey.  Null only when memory runs out.
wchar_t* MenuTextWithHotkey(const wchar_t* text, const wchar_t* hotkey);

// What decides the check marks and grey states, read at the moment the menu
// opens.
struct MenuInputs {
    bool run_at_start;
    bool icon_only_taskbar;
    int autoclose, simwinkey, babylon, mbutton_code, topmost, hidecursor;
    int dockwindow;
    bool system_drags_full_windows;
    int dragfullwindow;
    int rollup, disableime, intofile, watermark, notifyicon, transparent;
    int autoscroll_mode;
    int information;
    int bkcolor_transp;
    bool windows_2000;
    bool accounts;  // "count" of "netaccounts" non-zero
    int atstart;
};
struct MenuItemState {
    UINT id;
    bool checked;
    bool grayed;  // only entries that can be grey are marked; others are left as built
};
// The states in the order they are applied; returns how many were written.
int ComputeMenuStates(const MenuInputs& inputs, MenuItemState* out, int max);
// Reads the inputs from settings.ini and the system.
MenuInputs ReadMenuInputs();

// The whole menu while it exists.
struct TrayMenu {
    HMENU root;
    UINT root_first_id;  // 1 with network accounts, else 3
    DynMenuItem* root_items;
    int root_count;
    DynMenuItem* system_items;
    int system_count;
    DynMenuItem* feature_items;
    int feature_count;
    DynMenuItem* account_items;
    int account_count;
    DynMenuItem* language_items;
    int language_count;
    DynMenuItem* help_items;
    int help_count;
    HMENU accounts;  // the accounts submenu, when accounts exist
};
// Builds the menu with its check marks and grey states; false when the root
// menu cannot be created (everything built so far is freed again).
bool BuildTrayMenu(TrayMenu* menu);
void FreeTrayMenu(TrayMenu* menu);

// Builds, shows and frees the menu; the chosen command reaches the main
// window as WM_COMMAND.
void ShowTrayMenu(HWND main_window);
