#pragma once
// The size label of keyboard sizing: the program's main window, shown
// topmost over the sized window with its new size and position for a second
// after the last sizing key.
#include <windows.h>

constexpr int kSizeTextChars = 32;
constexpr UINT kSizeDisplayMs = 1000;

// "W x H (LEFT, TOP)" of a window rectangle; returns the length.
int FormatSizeText(const RECT& window, wchar_t* out, int out_chars);
// Where a label of the measured text size goes: centred on the window
// (integer halves, truncated toward zero).
POINT SizeLabelPosition(const RECT& window, SIZE text);

// Shows (or hides) the label for the target's current rectangle; false when
// a needed handle is null.
bool ShowSizeDisplay(HWND target, HWND main_window, bool show);
// Shows the label for a rectangle the caller has asked a window to take.
bool ShowSizeDisplayOver(HWND main_window, const RECT& window);
// (Re)starts the one-second timer that hides the label, so that it stays up
// until a second after the last sizing key.  While the primary mouse button
// is down (the hook library may be showing its drag label on the same
// window) the timer leaves the label and looks again a second later.
void KeepSizeDisplayForASecond(HWND main_window);
// WM_PAINT of the main window while the label is up: draws its text (the
// window's own text) and answers true; false when the label is not up.
bool PaintSizeDisplay(HWND main_window);
