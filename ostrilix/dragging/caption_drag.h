#pragma once
// What the mouse hook does at the start and end of a drag by the caption or
// a border: docking is prepared, the move cursor is switched on and the size
// display is shown at the press; the release ends them.
#include <windows.h>

// Hit-test codes of a press that starts a move or a resize.
bool IsDragHit(UINT hit);

// WM_NCLBUTTONDOWN, before the message goes on (the system's move or size
// loop starts from it).
void OnCaptionOrBorderPress(const MOUSEHOOKSTRUCTEX& record);
// WM_NCLBUTTONUP and WM_LBUTTONUP.
void OnLeftRelease(const MOUSEHOOKSTRUCTEX& record);
