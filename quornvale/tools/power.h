#pragma once
// The system functions: turn the monitor off, hibernate, lock the session,
// and the Windows-key release when the session is locked or unlocked.
#include <windows.h>

// The test bench cannot hibernate or lock its machine: the test build takes
// the power and lock functions from a double (LoadPowerDouble,
// quornvale/test_seams/test_seams.h); the product always from the system.

// A one-shot timer of the main window: the monitor goes off a second after
// the command, without holding up the thread that runs the low-level hooks.
constexpr UINT_PTR MONITOR_OFF_TIMER = 99;
constexpr UINT kMonitorOffDelayMs = 1000;

void TurnOffMonitor(HWND main_window);
// True when the system accepted the request (it returns after the resume).
// A machine without hibernation, without a hibernation file, or a refusal
// is explained in an error balloon.  Waits for the power manager: call it
// on a worker (HibernateOnWorker), never on the GUI thread.
bool HibernateNow(HWND main_window);
// The hibernate command and hotkey: HibernateNow on a worker thread.
void HibernateOnWorker();
void LockSession();

// Session lock and unlock notices for the main window (the notification
// functions are not on Windows 2000; there the program gets none).  False
// when the registration failed (the session service not started yet at
// logon): worth trying again.
bool RegisterSessionNotices(HWND main_window);
void UnregisterSessionNotices(HWND main_window);
// WM_WTSSESSION_CHANGE: on a lock or an unlock, releases the left Windows
// key, which the lock combination may leave held in the key state.
void OnSessionChange(WPARAM session_event);

constexpr UINT kSessionChangeMessage = 0x02B1;  // WM_WTSSESSION_CHANGE
constexpr WPARAM kSessionLock = 7;              // WTS_SESSION_LOCK
constexpr WPARAM kSessionUnlock = 8;            // WTS_SESSION_UNLOCK
