#pragma once
// Observing the program's tray icon and tray menu from outside.
//  - TrayShell: a shell double that receives every Shell_NotifyIconW call.
//  - Menu reading: the popup menu is read inside the program's own thread by
//    a test hook DLL (menu handles of another process cannot be read here).
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "tests/scenario/support/harness.h"

namespace scenario {

struct TrayNotification {
    int message = -1;  // NIM_ADD 0, NIM_MODIFY 1, NIM_DELETE 2
    unsigned long window = 0;
    unsigned uid = 0, flags = 0, callback = 0;
    std::string icon;  // "WxH" of the icon's bits; "0x0" without an icon
    std::wstring tip, title, info;
    unsigned timeout = 0, info_flags = 0;
    bool held = false;  // came in while a held balloon waited (Start(true))
};

class TrayShell {
public:
    TrayShell();
    // Starts the double and waits for its window.  With hold_first_balloon,
    // the double answers the first balloon only once another notification
    // has come in, or after eight seconds: a shell slow to answer.
    bool Start(bool hold_first_balloon = false);
    std::vector<TrayNotification> Notifications() const;
    bool WaitForCount(size_t count, DWORD timeout_ms) const;
    void Stop() { helper_.Kill(); }
    // From now on every icon added is refused (logged all the same), or no
    // longer; false when that could not be set.
    bool RefuseIcons(bool refuse);

    // The notifications about one window, in order; how many of them are
    // `message` (NIM_ADD ...); waiting until at least `count` are.
    std::vector<TrayNotification> NotificationsOf(HWND window) const;
    size_t CountOf(HWND window, int message) const;
    bool WaitForNotification(HWND window, int message, size_t count = 1) const;

private:
    std::wstring log_;
    Helper helper_;
};

struct MenuItemView {
    int depth = 0;
    UINT id = 0;
    UINT type = 0;   // MFT_ flags
    UINT state = 0;  // MFS_ flags
    bool submenu = false;
    std::wstring text;

    // The entry's own text, before a tab, and what stands in the accelerator
    // column after it (the hotkey of its function; empty without one).
    std::wstring Label() const { return text.substr(0, text.find(L'\t')); }
    std::wstring Accelerator() const
    {
        const size_t tab = text.find(L'\t');
        return tab == std::wstring::npos ? std::wstring() : text.substr(tab + 1);
    }
    bool Separator() const { return (type & MFT_SEPARATOR) != 0; }
    bool Checked() const { return (state & MFS_CHECKED) != 0; }
    bool Grayed() const { return (state & MFS_GRAYED) != 0; }
};

struct MenuView {
    std::vector<MenuItemView> items;  // depth-first, as the menu nests them
    // The first item with this id that is no separator and holds no submenu.
    const MenuItemView* Command(UINT id) const;
    // Items of the root menu (depth 0).
    std::vector<MenuItemView> Root() const;
    // The items directly under the root item at this root position.
    std::vector<MenuItemView> Submenu(size_t root_position) const;
    // The submenu under the root item whose text is the given one.
    std::vector<MenuItemView> SubmenuNamed(const std::wstring& text) const;
};

// A visible popup menu window of the process (0: of any process), or null.
HWND VisibleMenuWindow(DWORD process_id);
// Clicks the tray icon the way the shell reports it (the icon's callback
// message with this mouse message) and waits for the visible popup menu of
// the program; null when none opens.
HWND OpenTrayMenu(const Program& program, UINT mouse_message = WM_RBUTTONUP);
// The menu shown in that popup window, read inside the program.
bool ReadOpenMenu(const Program& program, HWND menu_window, MenuView* view);
// Ends the menu (WM_CANCELMODE to its owner) and waits until it is gone.
bool CloseTrayMenu(const Program& program, HWND menu_window);
// Open, read and close.
bool ReadTrayMenu(const Program& program, MenuView* view);

// A complete language file in INI form with every menu text "PREFIX ID"
// (separators "-" at the usual places: root 2, 6, 9, 12, 15; features 268,
// 271, 274; sysfunc 98; help 131; connection 34).  Changes: "section/key"
// to a new value; an empty value leaves the key out.
std::string TestLanguage(const std::string& prefix,
                         const std::vector<std::pair<std::string, std::string>>& changes = {});

// The Windows version Wine reports to quornvale.exe ("win7", ...) while the
// object lives.
class ScopedReportedVersion {
public:
    explicit ScopedReportedVersion(const wchar_t* version);
    ~ScopedReportedVersion();
};

}  // namespace scenario
