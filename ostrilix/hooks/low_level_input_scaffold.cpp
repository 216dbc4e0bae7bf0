// Placeholders until the low-level input features are built; the mouse hook
// already calls them.
#include "ostrilix/hooks/low_level_input.h"

void StopAutoScroll() {}
bool DirectlyScroll(POINT) { return false; }
void __cdecl SendKeyAndClick(void*) {}
