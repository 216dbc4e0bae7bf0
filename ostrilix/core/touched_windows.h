#pragma once
// The shared table of windows the library has changed and not given back
// (s_h_touched_windows of the shared block).  Every process writes it
// without a lock: a slot changes only by an interlocked compare-exchange, so
// two processes never take the same free slot and a removal never clears
// another window's entry.
#include <windows.h>

// --- table operations on any slot array (pure but for the interlocked
// stores; the liveness test is passed in) -----------------------------------

using WindowAliveFn = bool (*)(HWND window);
// Puts the window into a free slot unless it is there already.  When no slot
// is free, the slots of windows that no longer exist are freed first.  False
// when the table is full of live windows.
bool AddTouched(HWND volatile* slots, int count, HWND window, WindowAliveFn alive);
// Clears every slot holding the window.
void RemoveTouched(HWND volatile* slots, int count, HWND window);

// --- the shared table --------------------------------------------------------

void NoteTouchedWindow(HWND window);
void ForgetTouchedWindow(HWND window);
// The window in a slot of the shared table (null: free).
HWND TouchedWindowAt(int slot);
