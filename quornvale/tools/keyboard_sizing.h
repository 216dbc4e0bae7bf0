#pragma once
// Sizing the foreground window from the keyboard: to the next size of the
// "sizearray" list of settings.ini, or by 10 pixels an edge or a move.
#include <windows.h>

#include <string_view>

struct SizePreset {
    int width;
    int height;
};

// The most entries a list of 259 characters can hold ("1x1;" each).
constexpr int kMaxSizePresets = 65;

// Entries "WIDTHxHEIGHT;" in list order (lower-case x only).  Each number
// reads as a decimal integer: leading blanks, an optional sign, digits, up to
// the first other character (no digits: 0).  An entry whose width or height
// has more than 4 digits, that has no x, or that no semicolon ends, is
// skipped; the list is never read past its end or past `max` entries.
int ParseSizePresets(std::wstring_view list, SizePreset* out, int max);

// The size the enlarge (or shrink) key gives a window of the current size:
// the smallest width step in that direction, the height breaking ties; an
// entry with the current width counts by its height alone; an entry equal
// to the current size starts the search afresh; a step of 3000 pixels or
// more is never taken.  The current size when nothing qualifies.
SIZE ChoosePresetSize(SIZE current, const SizePreset* presets, int count, bool enlarge);

constexpr int kNudgeStep = 10;

struct NudgedWindow {
    RECT rect;
    UINT swp_flags;  // SWP_NOMOVE for an edge, SWP_NOSIZE for a move
};
// Codes: 1 right edge +10, 2 right edge -10, 3 bottom edge +10, 4 bottom
// edge -10, 5 left, 6 up, 7 right, 8 down by 10.  False for other codes.
// No clamping to the screen or a minimum size.
bool NudgeRect(const RECT& window, int code, NudgedWindow* out);

// The actions of the sizing hotkeys.  False when there is no foreground
// window, or when it is the desktop or the taskbar (left alone).  The new geometry is asked for without waiting for the window's
// thread (a hung application must not stall the program, which runs the
// desktop's low-level hooks), and the size display shows what was asked.
bool ResizeToPreset(HWND main_window, bool enlarge);
bool NudgeForegroundWindow(HWND main_window, int code);
