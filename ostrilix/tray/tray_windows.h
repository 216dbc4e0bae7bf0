#pragma once
// Minimise to tray: a window minimised while it is on the notify-icon list
// (or while Left Alt is held) is hidden and stands in the tray as an icon of
// its own; a left click on the icon, a restore or maximise by other means,
// the window's destruction, the feature switched off from the menu or the
// program's end take it out again.
//
// Every window in the tray has one slot of the shared table
// s_h_tray_windows, in whatever process it lives; its icon id follows from
// the slot, so two windows of one process each have their own icon.  All
// icon calls for a window are made in its own thread, where the hook runs.
#include <windows.h>

constexpr UINT kTrayIconFirstId = 101;
// The icon's callback message, sent to the window itself.
constexpr UINT kTrayCallbackMessage = 0x836;
// The longest tip taken from a window title.
constexpr int kTrayTipChars = 120;
// The registered message by which the program asks a window to come back
// from the tray (answered in the window's thread by the hook).
constexpr wchar_t kReturnFromTrayMessageName[] = L"Ostrilix.ReturnFromTray";

// --- pure ---------------------------------------------------------------------

// The icon id of a table slot.
constexpr UINT TrayIconId(int slot) { return kTrayIconFirstId + UINT(slot); }
// The tip: at most kTrayTipChars characters of the title, always terminated;
// tip must hold kTrayTipChars + 1 characters.  A null title gives "".
void CutTrayTip(const wchar_t* title, wchar_t* tip);
// The slot holding the window, or -1.
int FindTraySlot(HWND const volatile* slots, int count, HWND window);

// --- the hook's side, in the window's thread -------------------------------

// WM_SIZE: a minimised window goes to the tray when the feature is on and
// it is listed or Left Alt is held; a restored or maximised one that is in
// the tray loses its icon.
void OnTrayWindowSized(HWND window, WPARAM size_kind);
// The icon's callback: a left press shows the window and removes its icon.
void OnTrayIconNotified(HWND window, LPARAM notification);
// The window is being destroyed: its icon goes with it.
void OnTrayWindowDestroyed(HWND window);
// A registered message: "TaskbarCreated" gives a window in the tray its icon
// back; the program's return request brings the window back.  True when the
// message was one of these.
bool OnTrayRegisteredMessage(HWND window, UINT message);
// Whether a registered message is one of those above: asked before anything
// is asked of the window, so that the many registered messages of other
// programs cost no system call.
bool IsTrayRegisteredMessage(UINT message);

// Run by the program, in its process: asks every window in the tray, in
// whatever process, to come back (shown, icon removed), waiting for each
// window's thread at most a fifth of a second and for all at most budget_ms;
// with budget 0 the requests are only queued.  Icons of windows that no
// longer exist are removed here; with a budget, so are the icons of windows
// that did not answer in time, and those windows are shown from here
// (ShowWindowAsync), since the hook that would take their queued request is
// about to go.  Returns how many windows came back in time.
extern "C" __declspec(dllexport) LONG WINAPI ReturnTrayWindows(DWORD budget_ms);

// In the window's thread, for a window that a program which no longer runs
// hid (its record on the window names the icon): the icon goes and the
// window comes back as at exit, minimised with its taskbar button.
void GiveBackRecordedTrayWindow(HWND window, UINT icon_id);
