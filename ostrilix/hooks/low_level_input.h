#pragma once
// What the mouse hook in every process asks of the low-level input features:
// auto-scroll, direct scrolling and the right-button chord.
#include <windows.h>

// Ends auto-scroll: clears its switch and releases the cursor clip.
void StopAutoScroll();
// Re-posts the wheel message to the window under the point; true when it did
// (the caller then swallows the original message).
bool DirectlyScroll(POINT point);
// Thread routine of the chord: Alt + a right click at the recorded point.
// record is a MOUSEHOOKSTRUCT copy that stays valid while the thread runs.
void __cdecl SendKeyAndClick(void* record);
