#pragma once
// What crosses between quornvale.exe and Ostrilix.dll: plain values only.
// The program binds every export by name at run time with these types.
#include <windows.h>
#include <stddef.h>

// Feature switches of the shared block, one bit each.
enum FeatureBit : DWORD {
    kFeatureRollUp = 0x1,
    kFeatureReserved = 0x2,
    kFeatureAutoScrolling = 0x4,
    kFeatureWindowInfo = 0x8,
    kFeatureTopmost = 0x10,
    kFeatureChord = 0x20,
    kFeatureHideCursor = 0x40,
    kFeatureMoveCursor = 0x80,
    kFeatureDocking = 0x100,
    kFeatureNotifyIcon = 0x200,
    kFeatureSizeDisplay = 0x400,
    kFeatureDisableIme = 0x800,
    kFeatureDirectScroll = 0x1000,
};

// Marker in dwExtraInfo (and mouseData) of every input event the library
// injects, so that its own hooks let such input pass.
constexpr ULONG_PTR EVENT_INFO = 0x1010;

// Parameter block of SetFeatureFlags, passed by value.  On 32-bit Windows its
// layout is fixed at 20 bytes; the 64-bit build follows the natural layout.
struct FeatureParams {
    SHORT s_s_scroll_distance;   // flag 0x4
    SHORT s_s_scroll_delta;      // flag 0x4
    SHORT s_s_scroll_mode;       // flag 0x4
    WORD s_s_rollup_animate;     // flag 0x1
    LONG s_n_rollup_hotaction;   // flag 0x1
    HWND s_h_cover_wnd;          // flag 0x400
    LONG s_b_displaysize;        // flag 0x400
};
#if defined(__i386__) || defined(_M_IX86)
static_assert(sizeof(FeatureParams) == 20, "FeatureParams is 20 bytes on 32-bit Windows");
static_assert(offsetof(FeatureParams, s_n_rollup_hotaction) == 8, "fixed 32-bit layout");
static_assert(offsetof(FeatureParams, s_h_cover_wnd) == 12, "fixed 32-bit layout");
static_assert(offsetof(FeatureParams, s_b_displaysize) == 16, "fixed 32-bit layout");
#endif

// The exports: each name beside the type the program binds it with
// (GetProcAddress by plain name, also in the 32-bit image).
constexpr char kExportEnableFeatures[] = "EnableFeatures";
using EnableFeaturesFn = LONG(WINAPI*)(DWORD mask, LONG value);
constexpr char kExportSetFeatureFlags[] = "SetFeatureFlags";
using SetFeatureFlagsFn = LONG(WINAPI*)(DWORD flags, FeatureParams params);
// One integer into the shared block.
using SetIntValueFn = LONG(WINAPI*)(LONG value);
constexpr char kExportSetRetrieveWndInfoFlag[] = "SetRetrieveWndInfoFlag";
constexpr char kExportSetAeroSnapMode[] = "SetAeroSnapMode";
constexpr char kExportSetMButtonFunctionCode[] = "SetMButtonFunctionCode";
constexpr char kExportSetMinimalAlphaValue[] = "SetMinimalAlphaValue";
using SetMinimalAlphaValueFn = DWORD(WINAPI*)(DWORD alpha);
// The list setters: a UTF-16 list, or null to forget the list.
using SetListFn = LONG(WINAPI*)(const wchar_t* list);
constexpr char kExportSetNotifyIconList[] = "SetNotifyIconList";
constexpr char kExportSetScrollDirectlyExceptionList[] = "SetScrollDirectlyExceptionList";
constexpr char kExportSetMidButtonExceptionList[] = "SetMidButtonExceptionList";
constexpr char kExportSetDisableIMEList[] = "SetDisableIMEList";
// Clears the run-time state that only a running gesture sets (a chord in
// flight, the middle-button state, the auto-scroll step and worker record,
// the size display's showing flag), for a program that starts while an
// earlier one was killed in the middle of such a gesture.
constexpr char kExportResetRunTimeState[] = "ResetRunTimeState";
using ResetRunTimeStateFn = LONG(WINAPI*)();
// The program's process id (SetIntValueFn): the owner that the library
// writes into the records of the windows it changes.
constexpr char kExportSetProgramProcess[] = "SetProgramProcess";
// At start: every change recorded on a window by a program that no longer
// runs (killed, crashed) is given back in the window's own thread, as the
// exit gives it back, waiting for the windows' threads no longer than
// budget_ms in all.  Returns how many windows answered in time.
constexpr char kExportGiveBackRecordedChanges[] = "GiveBackRecordedChanges";
using GiveBackRecordedChangesFn = LONG(WINAPI*)(DWORD budget_ms);
// The registered message by which that request reaches each window (wParam:
// the owner of the records to give back).
constexpr wchar_t kGiveBackRecordedMessageName[] = L"Ostrilix.GiveBackRecorded";
// The class of the program's main window: a process that has one runs.
constexpr wchar_t kProgramWindowClass[] = L"QUORNVALE";
// The hook procedures, installed with SetWindowsHookExW.
constexpr char kExportMouseProc[] = "MouseProc";                        // WH_MOUSE
constexpr char kExportLowLevelMouseProc[] = "LowLevelMouseProc";        // WH_MOUSE_LL
constexpr char kExportLowLevelKeyboardProc[] = "LowLevelKeyboardProc";  // WH_KEYBOARD_LL
constexpr char kExportCallWndProc[] = "CallWndProc";                    // WH_CALLWNDPROC
constexpr char kExportCallWndProcRet[] = "CallWndProcRet";              // WH_CALLWNDPROCRET
constexpr char kExportGetMsgProc[] = "GetMsgProc";                      // WH_GETMESSAGE
// Ends of the program: asks every window the library has changed, in
// whatever process, to be left as it was found (full height, own window
// procedure), waiting for the windows' threads no longer than budget_ms in
// all.  Returns how many windows answered in time; the others do it when
// their threads get to their messages.
constexpr char kExportRestoreTouchedWindows[] = "RestoreTouchedWindows";
using RestoreTouchedWindowsFn = LONG(WINAPI*)(DWORD budget_ms);
// The registered window message by which that request reaches each window;
// the library answers it in the window's own thread.
constexpr wchar_t kLeaveAsFoundMessageName[] = L"Ostrilix.LeaveWindowAsFound";
// Gives every window that wheel transparency faded its own look back, waiting
// at most the time; the number of windows that did not get it back.
constexpr char kExportRestoreFadedWindows[] = "RestoreFadedWindows";
using RestoreFadedWindowsFn = LONG(WINAPI*)(DWORD timeout_ms);
// Brings every window that minimise-to-tray hid back (shown, its icon
// removed), in whatever process, waiting for the windows' threads no longer
// than budget_ms in all (0: the requests are only queued; with a budget, a
// window that does not answer in time is shown from the caller's process
// with ShowWindowAsync and its icon removed).  Returns how many windows came
// back in time.
constexpr char kExportReturnTrayWindows[] = "ReturnTrayWindows";
using ReturnTrayWindowsFn = LONG(WINAPI*)(DWORD budget_ms);
// Switches the menu fade and menu animation back to the values saved when
// translucent menus switched them off; 1 when they were off.
constexpr char kExportRestoreMenuEffects[] = "RestoreMenuEffects";
using RestoreMenuEffectsFn = LONG(WINAPI*)();
// Desktop icon caption colours (Windows 2000): the desktop's icon list view
// (null when there is none), and the colour the library keeps it at, the
// caption background when background is non-zero, else the text.
constexpr char kExportGetDesktopHandle[] = "GetDesktopHandle";
using GetDesktopHandleFn = HWND(WINAPI*)();
constexpr char kExportSetLVMTextColor[] = "SetLVMTextColor";
using SetLVMTextColorFn = COLORREF(WINAPI*)(LONG background, COLORREF colour);
