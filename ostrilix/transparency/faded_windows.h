#pragma once
// The faded windows of wheel transparency: per window, the alpha the user
// asked for, what the fade worker has applied, and how the window looked
// before its first fade, in one table of the program's process.  The
// low-level hook plans the changes here (wheel_transparency.h) and the fade
// worker applies them (fade_worker.h); neither calls the other's side.
#include <windows.h>

#include "ostrilix/core/window_table.h"

// --- decisions (pure) ------------------------------------------------------

// One wheel notch (120) moves the alpha by 10; it never goes below the
// minimal alpha nor above 255.
int NextAlpha(int current, int wheel, int minimal);

// A window's own layered attributes, as SetLayeredWindowAttributes takes them.
struct LayeredAttributes {
    COLORREF key;
    BYTE alpha;
    DWORD flags;  // LWA_COLORKEY, LWA_ALPHA
};

// What the window looks like before its first fade.
enum class LayeredState {
    NotLayered,
    Known,       // layered, with attributes read back
    Unreadable,  // layered, and this system cannot read them back (Windows 2000)
    PerPixel,    // layered, but drawn by the application itself (UpdateLayeredWindow)
};
struct WindowLook {
    LayeredState state;
    LayeredAttributes attributes;  // valid when state is Known
};

// The alpha value that stands for "the window's own look": nothing of ours.
constexpr int kOwnLook = 256;

struct FadedWindow {
    HWND window;
    DWORD owner_thread;   // tells a reused handle from the window we faded
    int alpha;            // what the user asked for; kOwnLook: give its own look back
    int applied;          // what the worker has applied; kOwnLook: nothing of ours
    bool was_layered;     // WS_EX_LAYERED before the first fade
    LayeredAttributes own;  // its own attributes (opaque when they could not be read)
    int ceiling;          // its own alpha: fading starts here and ends above it
};
constexpr int kFadedWindows = 16;
using FadedWindows = WindowTable<FadedWindow, kFadedWindows>;

enum class AlphaAction {
    None,     // nothing to change (never faded and staying as it is, or no room)
    Fade,     // the window is to show the alpha
    Restore,  // the window is to get its own look back
};
struct AlphaChange {
    AlphaAction action;
    int alpha;  // the new alpha; kOwnLook for Restore and None
};
// Applies one wheel amount to the window's record: a window met for the
// first time starts at its own alpha (255 for a window that is not layered)
// and remembers how it looked; reaching its own alpha again gives that look
// back.  A window its application draws itself is left alone.  The record
// stays until the worker has given the window its look back.
AlphaChange PlanAlphaChange(FadedWindows& table, HWND window, DWORD owner_thread, int wheel,
                            int minimal, const WindowLook& look);

// The extended style to write: the current style with only the layered bit
// changed, so that whatever else changed while the window was faded (made
// topmost, say) stays.
LONG FadedExStyle(LONG current, int alpha, bool was_layered);
// The layered attributes for the alpha: ours while faded (keeping the
// window's own colour key), the window's own at kOwnLook.
LayeredAttributes FadedAttributes(const FadedWindow& record, int alpha);

// --- the table -----------------------------------------------------------------

// The program's table; hold the process lock while using it.
FadedWindows& FadedWindowTable();
// Forgets windows that are gone or whose handle now names another window.
void ForgetGoneFadedWindows(FadedWindows& table);
