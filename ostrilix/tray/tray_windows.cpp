#include "ostrilix/tray/tray_windows.h"

#include <shellapi.h>

#include "common/debug_print.h"
#include "common/os_version.h"
#include "common/system_function.h"
#include "ostrilix/core/budgeted_ask.h"
#include "ostrilix/core/key_state.h"
#include "ostrilix/core/name_lists.h"
#include "ostrilix/core/process_os_class.h"
#include "ostrilix/core/shared_block.h"
#include "ostrilix/core/touched_windows.h"
#include "ostrilix/core/window_records.h"
#include "ostrilix/leave_as_found/leave_as_found.h"

namespace {
// Registered in this process when the first window of it goes to the tray
// (only such a process has an icon to give back after the taskbar returns).
volatile UINT g_taskbar_created = 0;
volatile UINT g_return_message = 0;

HWND volatile* TraySlots() { return g_shared.s_h_tray_windows; }

bool IsLiveWindow(HWND window) { return IsWindow(window) != FALSE; }

UINT ReturnFromTrayMessage()
{
    if (!g_return_message)
        g_return_message = RegisterWindowMessageW(kReturnFromTrayMessageName);
    return g_return_message;
}

using NotifyIconFn = BOOL(WINAPI*)(DWORD message, PNOTIFYICONDATAW data);
NotifyIconFn volatile g_notify_icon = nullptr;

// Shell_NotifyIconW, from shell32.dll, which is not imported (every process
// the hooks reach would load it): a process loads it from the system
// directory when the first of its windows goes to the tray, and keeps it
// while it lives, as its icons do.
BOOL NotifyIcon(DWORD message, NOTIFYICONDATAW* data)
{
    NotifyIconFn notify = g_notify_icon;
    if (!notify) {
        HMODULE shell = GetModuleHandleW(L"shell32.dll");
        if (!shell)
            shell = LoadSystemLibraryForGood(L"shell32.dll");
        if (shell)
            notify = reinterpret_cast<NotifyIconFn>(
                reinterpret_cast<void*>(GetProcAddress(shell, "Shell_NotifyIconW")));
        if (!notify) {
            DebugPrint(L"Shell_NotifyIconW not found, error %lu\n", GetLastError());
            return FALSE;
        }
        g_notify_icon = notify;
    }
    return notify(message, data);
}

// The record Shell_NotifyIconW knows the icon by: the window and the id.
NOTIFYICONDATAW IconRecord(HWND window, int slot)
{
    NOTIFYICONDATAW icon = {};
    // The shell of Windows 2000 knows the 5.0 record; later ones the full one.
    icon.cbSize = ProcessOsClass() <= kOsWin2000 ? NOTIFYICONDATAW_V2_SIZE : sizeof(icon);
    icon.hWnd = window;
    icon.uID = TrayIconId(slot);
    return icon;
}

HICON WindowSmallIcon(HWND window)
{
    // In the window's own thread: these are direct calls of its procedure.
    if (auto icon = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_SMALL, 0)))
        return icon;
    if (auto icon = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, 2 /* ICON_SMALL2 */, 0)))
        return icon;
    if (auto icon = reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICONSM)))
        return icon;
    if (auto icon = reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICON)))
        return icon;
    return LoadIconW(nullptr, IDI_APPLICATION);
}

bool AddIcon(HWND window, int slot)
{
    NOTIFYICONDATAW icon = IconRecord(window, slot);
    icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    icon.uCallbackMessage = kTrayCallbackMessage;
    icon.hIcon = WindowSmallIcon(window);
    wchar_t title[kTrayTipChars + 1] = {};
    GetWindowTextW(window, title, kTrayTipChars + 1);
    CutTrayTip(title, icon.szTip);
    if (NotifyIcon(NIM_ADD, &icon))
        return true;
    DebugPrint(L"Tray icon for window 0x%p not added, error %lu\n", static_cast<void*>(window), GetLastError());
    return false;
}

void DeleteIcon(HWND window, int slot)
{
    NOTIFYICONDATAW icon = IconRecord(window, slot);
    if (!NotifyIcon(NIM_DELETE, &icon))
        DebugPrint(L"Tray icon of window 0x%p not removed, error %lu\n", static_cast<void*>(window), GetLastError());
}

void SendToTray(HWND window)
{
    if (!AddTouched(TraySlots(), kTrayWindows, window, IsLiveWindow)) {
        // Full of live windows: this one stays minimised as usual rather than
        // being hidden with no icon to bring it back.
        DebugPrint(L"No room in the tray table for window 0x%p; it stays minimised\n", static_cast<void*>(window));
        return;
    }
    const int slot = FindTraySlot(TraySlots(), kTrayWindows, window);
    if (slot < 0)
        return;
    if (!AddIcon(window, slot)) {
        // No icon, no hiding: a hidden window without an icon would be lost.
        RemoveTouched(TraySlots(), kTrayWindows, window);
        return;
    }
    if (!g_taskbar_created)
        g_taskbar_created = RegisterWindowMessageW(L"TaskbarCreated");
    // On the window itself, for a start after the program was killed.
    RecordInTray(window, TrayIconId(slot));
    ShowWindowAsync(window, SW_HIDE);
}

// The icon goes and the slot is freed, then the window is shown with the
// command given (0: not shown; its own show already runs).  The slot goes
// first, so the size message that showing may bring finds nothing to do.
bool TakeOutOfTray(HWND window, int show_command)
{
    const int slot = FindTraySlot(TraySlots(), kTrayWindows, window);
    if (slot < 0)
        return false;
    RemoveTouched(TraySlots(), kTrayWindows, window);
    DeleteIcon(window, slot);
    EraseTrayRecord(window);
    if (show_command)
        ShowWindowAsync(window, show_command);
    return true;
}
// At the program's end, for a window whose thread did not answer in time
// (hung, busy, or the budget spent): its queued request would reach a hook
// that is removed meanwhile, so the window is given back from here.
// ShowWindowAsync waits for no thread (the window shows once its thread
// takes its messages again) and the shell knows the icon by window and id.
// The slot goes first: an answer that still comes finds nothing to do.
void GiveBackUnanswered(HWND window, int slot)
{
    RemoveTouched(TraySlots(), kTrayWindows, window);
    DeleteIcon(window, slot);
    if (!ShowWindowAsync(window, SW_SHOWMINNOACTIVE))
        DebugPrint(L"ReturnTrayWindows: window 0x%p not shown, error %lu\n", static_cast<void*>(window),
                   GetLastError());
    else
        DebugPrint(L"ReturnTrayWindows: window 0x%p shown from the program's side\n", static_cast<void*>(window));
}
}  // namespace

void CutTrayTip(const wchar_t* title, wchar_t* tip)
{
    int n = 0;
    if (title)
        for (; n < kTrayTipChars && title[n]; ++n)
            tip[n] = title[n];
    tip[n] = L'\0';
}

int FindTraySlot(HWND const volatile* slots, int count, HWND window)
{
    if (!window)
        return -1;
    for (int i = 0; i < count; ++i)
        if (slots[i] == window)
            return i;
    return -1;
}

void OnTrayWindowSized(HWND window, WPARAM size_kind)
{
    if (size_kind == SIZE_MINIMIZED) {
        if (IsFeatureEnabled(kFeatureNotifyIcon) && FindTraySlot(TraySlots(), kTrayWindows, window) < 0 &&
            (IsKeyPressed(VK_LMENU) || IsNotifyIconListed(window)))
            SendToTray(window);
    } else if (size_kind == SIZE_RESTORED || size_kind == SIZE_MAXIMIZED) {
        // Restored by other means (the taskbar, a program): it is back.
        TakeOutOfTray(window, 0);
    }
}

void OnTrayIconNotified(HWND window, LPARAM notification)
{
    // Only windows in the tray: another window may use the same number for
    // a message of its own.
    // The user asked for the window: shown and restored (to maximised when
    // it was maximised before), not left as a minimised taskbar button.
    if (notification == WM_LBUTTONDOWN)
        TakeOutOfTray(window, SW_RESTORE);
}

void OnTrayWindowDestroyed(HWND window) { TakeOutOfTray(window, 0); }

bool OnTrayRegisteredMessage(HWND window, UINT message)
{
    if (g_taskbar_created && message == g_taskbar_created) {
        // The new taskbar knows no icon: each window in the tray adds its own.
        const int slot = FindTraySlot(TraySlots(), kTrayWindows, window);
        if (slot >= 0) {
            DeleteIcon(window, slot);
            AddIcon(window, slot);
        }
        return true;
    }
    if (message == ReturnFromTrayMessage()) {
        // Back as the user left it: minimised, with its taskbar button.
        TakeOutOfTray(window, SW_SHOWMINNOACTIVE);
        return true;
    }
    return false;
}

bool IsTrayRegisteredMessage(UINT message)
{
    return message >= 0xC000 &&
           ((g_taskbar_created && message == g_taskbar_created) || message == ReturnFromTrayMessage());
}

extern "C" LONG WINAPI ReturnTrayWindows(DWORD budget_ms)
{
    const UINT message = ReturnFromTrayMessage();
    if (!message) {
        DebugPrint(L"ReturnTrayWindows: no message, error %lu\n", GetLastError());
        return 0;
    }
    BudgetedAsk ask(message, budget_ms, L"ReturnTrayWindows");
    for (int slot = 0; slot < kTrayWindows; ++slot) {
        HWND window = TraySlots()[slot];
        if (!window)
            continue;
        if (!IsWindow(window)) {
            // Its process ended without destroying it: the icon is removed
            // from here (the shell knows it by window and id alone).
            DeleteIcon(window, slot);
            RemoveTouched(TraySlots(), kTrayWindows, window);
            continue;
        }
        if (!ask.Ask(window) && budget_ms)
            GiveBackUnanswered(window, slot);
    }
    return ask.Answered();
}

void GiveBackRecordedTrayWindow(HWND window, UINT icon_id)
{
    // Still in the table (the shared block outlived the program): as at exit.
    if (TakeOutOfTray(window, SW_SHOWMINNOACTIVE))
        return;
    NOTIFYICONDATAW icon = IconRecord(window, 0);
    icon.uID = icon_id;
    if (!NotifyIcon(NIM_DELETE, &icon))
        DebugPrint(L"Recorded tray icon %u of window 0x%p not removed, error %lu\n", icon_id,
                   static_cast<void*>(window), GetLastError());
    EraseTrayRecord(window);
    ShowWindowAsync(window, SW_SHOWMINNOACTIVE);
}
