#pragma once
// Window roll-up: a window shrinks to its title bar and comes back on the
// next roll-up click.  Each process remembers, per rolled-up window, the
// full rectangle it had and the height it was rolled to, so restoring gives
// every window its own height back and the subclass clamp knows which
// windows to hold.
#include <windows.h>

// --- decisions (pure) ------------------------------------------------------

// Title bar plus the upper and lower window border, never below 5 pixels.
int RolledUpHeightOf(int title_bar_height, int border_height);

// Heights of a roll-up animation from one height down to the target: the
// step is the height divided by the number of steps, at least one pixel, so
// the animation ends however large the step count is.
struct RollFrames {
    int current;
    int step;
    int target;
    // The next intermediate height, while it is still above the target.
    bool Next(int* height)
    {
        if (current <= target)
            return false;
        *height = current;
        current -= step;
        return true;
    }
};
// No frames at all when steps is 0 (no animation).
RollFrames MakeRollFrames(int from_height, int target_height, unsigned steps);

struct RollDecision {
    bool roll_up;       // false: restore
    int target_height;
};
// What this process remembers of a window it rolled up.
struct RollMemory {
    bool known;         // the window has a record
    int rolled_height;  // the height it was rolled to
    int full_height;    // the height it had before
};
// A window with a record that still has the height it was rolled to (or,
// failing that, its fresh rolled-up height) is restored to the height
// remembered for it.  The title bar is measured afresh on every
// click, but never trusted for a window that is already rolled up: a window
// with a menu bar measures differently once it is only a title bar high.
// A window with no record whose height is its fresh rolled-up height counts
// as rolled up and keeps its height; any other window is rolled up.
RollDecision DecideRoll(int current_height, int fresh_rolled_height, const RollMemory& memory);

// The whole roll-up animation, whatever its step count, takes no longer than
// this: it runs in the application's own thread, inside its mouse hook.
constexpr DWORD kRollAnimationBudgetMs = 200;
// Whether another animation frame may still be shown, the animation having
// started at start_ms (GetTickCount values, wrap-around safe).
bool AnimationTimeLeft(DWORD start_ms, DWORD now_ms);

// --- effects ---------------------------------------------------------------

// GetTitleBarInfo's title bar plus twice GetWindowInfo's vertical border.
int GetRolledUpHeight(HWND window);
// Rolls the captioned frame of the window up, or restores it; true when it
// acted (false: no captioned frame, or too many rolled windows to remember).
bool ToggleRollUp(HWND window);
// The program is ending: a window this process rolled up gets its full
// height back (at its place and width), and the roll's subclass request
// goes; a window minimised or maximised meanwhile keeps that state and is
// restored to its full height.  False when the window was not rolled up
// here.
bool RestoreRolledUpWindow(HWND window);
// The same from what is known of a roll (its own or a record left by a
// program that no longer runs): the window, while its normal position is
// still the rolled height, gets the full height back.
void GiveBackFullHeight(HWND window, int full_height, int rolled_height);
