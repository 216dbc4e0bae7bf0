#pragma once
// Wheel transparency: Left Alt + Left Ctrl + wheel fades the top-level window
// under the cursor.  The low-level hook runs in the program's own process,
// so that is where each faded window's alpha and the extended style it had
// before are kept: per window, in a small table, so fading one window never
// continues from another's alpha or writes another's style.
#include <windows.h>

#include "ostrilix/core/window_table.h"

// --- decisions (pure) ------------------------------------------------------

// One wheel notch (120) moves the alpha by 10; it never goes below the
// minimal alpha nor above 255.
int NextAlpha(int current, int wheel, int minimal);

struct FadedWindow {
    HWND window;
    DWORD owner_thread;   // tells a reused handle from the window we faded
    int alpha;
    LONG saved_exstyle;   // the extended style before the first change
};
constexpr int kFadedWindows = 16;
using FadedWindows = WindowTable<FadedWindow, kFadedWindows>;

enum class AlphaAction {
    None,     // nothing to change (never faded and staying opaque, or no room)
    Fade,     // write style (layered) and set the alpha
    Opaque,   // write the remembered style back without the layered bit
};
struct AlphaChange {
    AlphaAction action;
    int alpha;
    LONG exstyle;  // the style to write
};
// Applies one wheel amount to the window's record: a window met for the
// first time starts at 255 and remembers current_exstyle; a record is
// dropped when its window is opaque again.
AlphaChange PlanAlphaChange(FadedWindows& table, HWND window, DWORD owner_thread, int wheel,
                            int minimal, LONG current_exstyle);

// --- effects ---------------------------------------------------------------

// SetLayeredWindowAttributes's result when an alpha was applied, else 0.
BOOL AdjustTransparency(HWND window, int wheel);
// The alpha this process's last gesture applied (255 at load and after a
// window went back to opaque); popup menus of the process follow it.
int CurrentWheelAlpha();
