#pragma once
// One apply function per feature, called by start-up with the value
// settings.ini holds and by the menu with the new value it has just written.
// The menu applies only a value that settings.ini took (a write that fails
// leaves the feature as it was and says so in a balloon).  A value that the library keeps as read (chord, topmost, window
// information, middle-button code) is handed on unchanged; the others count
// any non-zero value as on.
#include <windows.h>

#include "common/ostrilix_interface.h"
#include "quornvale/shell/settings_keys.h"

using ApplyFn = void (*)(int value);

void ApplyIconOnlyTaskbar(int on);
// The library's size display, drawn on the main window.
void ApplySizeDisplay(int on);
// Distance and delta as settings.ini has them now, with this mode.
void ApplyAutoScroll(int mode);
// The notify-icon list is read again from the file, so a hand edit of the
// list takes effect when the feature is switched on.
void ApplyNotifyIcon(int on);
void ApplyDesktopCaptions(int transparent);
// Wheel transparency: "minivalue" as the lowest alpha, or 255 (off).
void ApplyTransparency(int on);
void ApplyChord(int value);
void ApplyMiddleButtonCode(int code);
void ApplyRollUp(int on);
void ApplyWindowInfo(int value);
void ApplyTopmost(int value);
void ApplyHideCursor(int on);
void ApplyMoveCursor(int on);
void ApplyDisableIme(int on);
// Direct scrolling and its exception list (sent also when it is off).
void ApplyDirectScroll(int on);
// Docking needs the system to show window contents while dragging.
void ApplyDocking(int enable);
void ApplyAutoClose(int on);
void ApplySimulatedWinKey(int on);

// The parameter blocks of auto-scroll (flag 0x4) and roll-up (flag 0x1) as
// settings.ini has them now; the other fields are zero.
FeatureParams AutoScrollParams(int mode);
FeatureParams RollUpParams();

// "except" of "mbutton" into the library, when not empty.
void PushMidButtonExceptions();

// The library's switches and parameters in the order start-up pushes them,
// each with the value settings.ini holds.
void ApplyAllSettings();
