#pragma once
// The program's one notification-area icon: added at start, added again when
// the shell restarts, removed at exit, and the carrier of every balloon
// notice of the running program.
#include <windows.h>
#include <shellapi.h>

// The size of the icon record the shell of that system takes (a version
// class of common/os_version.h).
DWORD TrayRecordSize(int os_version_class);
// Fills the icon record for the main window and adds the icon; false when
// the shell did not take it (no taskbar yet).
bool AddTrayIcon(HWND main_window);
// Adds the icon with the record as it is now unless the shell has it
// already; true when the shell has it.
bool RetryTrayIcon();
// The shell was restarted ("TaskbarCreated"): delete and add again with the
// record as it is now (a balloon shown earlier shows again).
void ReAddTrayIcon();
void DeleteTrayIcon();

// Balloon icons.
constexpr DWORD kBalloonInfo = NIIF_INFO;
constexpr DWORD kBalloonError = NIIF_ERROR;
// Title cut to 63 characters, text to 255.  Callable from any thread.
void ShowTrayBalloon(const wchar_t* title, const wchar_t* text, DWORD balloon_icon);

// The icon's callback message: a single click opens the menu, a double click
// ends the program.
LRESULT OnTrayNotify(HWND main_window, UINT mouse_message);
