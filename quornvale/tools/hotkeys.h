#pragma once
// The fourteen system-wide hotkeys of the main window, each written as a
// text in settings.ini: ids 1 monitor off, 2 hibernate, 3 snapshot, 4
// minimise the window under the cursor, 5 to 14 keyboard sizing.
#include <windows.h>

#include "quornvale/shell/settings_keys.h"

constexpr int kMonitorOffHotkeyId = 1;
constexpr int kHibernateHotkeyId = 2;
constexpr int kSnapshotHotkeyId = 3;
constexpr int kNotifyIconHotkeyId = 4;
constexpr int kFirstSizingHotkeyId = 5;
constexpr int kLastHotkeyId = 14;

// The settings key of a hotkey id, and the sizing action of ids 5 to 14:
// 0 enlarge, -1 shrink, else the nudge code (1 to 8).  False for other ids.
bool HotkeySetting(int hotkey_id, Setting* setting);
bool SizingAction(int hotkey_id, int* action);
constexpr int kSizingEnlarge = 0;
constexpr int kSizingShrink = -1;

// Reads the hotkey text and registers it for the id (unregistering the id
// first).  A text shorter than 3 characters means no hotkey: false, no
// notice.  A text that names no key, or a combination that cannot be
// registered (another program holds it), is reported in an error balloon.
bool RegisterHotkeyFromSettings(HWND main_window, Setting hotkey_text, int hotkey_id);
// Ids 1 to 3, registered at start whether or not the hook library loads.
void RegisterStartHotkeys(HWND main_window);
// Ids 5 to 14 in id order; with register false, unregisters them.
void RegisterSizingHotkeys(HWND main_window, bool register_keys);
// Every id at exit.
void UnregisterAllHotkeys(HWND main_window);

// While an object of this class lives, hotkeys that fail are collected and
// then reported together in one balloon, so that one failure's balloon does
// not replace another's (start-up registers up to fourteen).
class HotkeyFailureBatch {
public:
    HotkeyFailureBatch();
    ~HotkeyFailureBatch();
    HotkeyFailureBatch(const HotkeyFailureBatch&) = delete;
    HotkeyFailureBatch& operator=(const HotkeyFailureBatch&) = delete;
};

// The hotkey an id holds now, as a menu shows it ("Ctrl+Alt+S"): the text
// it was registered with.  False (out empty) while it holds none: an empty
// text, one that names no key, a combination Windows refused, or after it
// was unregistered.
bool RegisteredHotkeyMenuText(int hotkey_id, wchar_t* out, int out_chars);

// WM_HOTKEY with the id of wParam; ids outside 1 to 14 are ignored.
LRESULT OnHotkey(HWND main_window, int hotkey_id);

// Whether the hotkey that minimises the window under the cursor may act on
// a top-level window of this class: never on the desktop, the shell's
// desktop windows or the taskbar, which have no button to come back from.
bool MayMinimiseWindowOfClass(const wchar_t* class_name);
