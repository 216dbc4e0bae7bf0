#pragma once
// Records of the changes the library makes to a window of another
// application, kept as properties on the changed window itself.  They
// outlive the program (ended from Task Manager, crashed) and go with the
// window when it is destroyed, so a program that starts later finds every
// change an instance that no longer runs made, and nothing of windows that
// closed meanwhile.  A record is written when its change is made (before
// the change, so a program killed in between leaves nothing unrecorded) and
// removed when the change is given back; "Quornvale.Owner" names the
// program's process that made the changes.  Writing, reading and removing a
// property sends the window no message and takes no heap of ours, and works
// from any process (the fade worker records from the program's process).
#include <windows.h>

// The property names.
constexpr wchar_t kRecordOwner[] = L"Quornvale.Owner";
constexpr wchar_t kRecordRolledUp[] = L"Quornvale.RolledUp";
constexpr wchar_t kRecordDockedFromTopLeft[] = L"Quornvale.DockedFrom.TopLeft";
constexpr wchar_t kRecordDockedFromBottomRight[] = L"Quornvale.DockedFrom.BottomRight";
constexpr wchar_t kRecordFaded[] = L"Quornvale.Faded";
constexpr wchar_t kRecordFadedKey[] = L"Quornvale.FadedKey";
constexpr wchar_t kRecordInTray[] = L"Quornvale.InTray";

// --- encodings (pure): every recorded value is non-zero, since a property
// that is not there reads as 0 -----------------------------------------------

// Two heights (1 to 65535 pixels each).
ULONG_PTR PackHeights(int full_height, int rolled_height);
void UnpackHeights(ULONG_PTR value, int* full_height, int* rolled_height);
// A point of workspace coordinates, each cut to -32768 .. 32767.
ULONG_PTR PackPoint(LONG x, LONG y);
POINT UnpackPoint(ULONG_PTR value);
// How a window looked before its first fade: whether it was layered, and
// its own layered attributes (the key apart, as its own record).
struct RecordedLook {
    bool was_layered;
    COLORREF key;
    BYTE alpha;
    DWORD flags;  // LWA_COLORKEY, LWA_ALPHA
};
ULONG_PTR PackLook(const RecordedLook& look);
ULONG_PTR PackKey(COLORREF key);
// False when the look value is not a record.
bool UnpackLook(ULONG_PTR look_value, ULONG_PTR key_value, RecordedLook* look);

// Everything recorded on one window.
struct RecordedChanges {
    DWORD owner;           // the program's process id; 0: no record
    bool rolled_up;
    int full_height;       // the height before rolling up
    int rolled_height;     // the height it was rolled to
    bool docked;
    RECT before_dock;      // the normal position before docking (workspace coordinates)
    bool faded;
    RecordedLook look;
    UINT tray_icon;        // the id of its tray icon; 0: not in the tray
};

// --- on a window (any process) ------------------------------------------------

void RecordRolledUp(HWND window, int full_height, int rolled_height);
void EraseRolledUpRecord(HWND window);
void RecordDockedFrom(HWND window, const RECT& normal_position);
void EraseDockRecord(HWND window);
void RecordFaded(HWND window, const RecordedLook& look);
void EraseFadeRecord(HWND window);
void RecordInTray(HWND window, UINT icon_id);
void EraseTrayRecord(HWND window);
// Reads every record of the window; false when it carries none.
bool ReadRecordedChanges(HWND window, RecordedChanges* changes);
// The owner of the window's records; 0 when it has none.  Cheap: one
// lookup that is skipped at once when no window anywhere was ever recorded.
DWORD RecordOwnerOf(HWND window);
// Removes every record of the window.
void EraseAllRecords(HWND window);
