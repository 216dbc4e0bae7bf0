#pragma once
// Geometry of the snapshot selection, apart from any window: where the
// pointer is, which screen pixels a selection means, where its size label
// goes and what it says.  The overlay covers the virtual screen, whose
// origin is negative when monitors lie left of or above the primary one.
#include <windows.h>

#include <cstddef>

// 1 when either is 0; otherwise the greatest common divisor of |a| and |b|.
int GreatestCommonDivisor(int a, int b);

// True when the width or height squared is at most 2 * tolerance (in 64
// bits): with tolerance 1, a selection 0 or 1 pixel wide or high.
bool IsSelectionTooSmall(const RECT& r, int tolerance);

// left <= right and top <= bottom.
RECT NormalisedRect(const RECT& r);

// The pointer of a mouse message in the overlay's client area.  While the
// mouse is captured the pointer may lie outside the overlay (a cursor clip
// that does not hold, a monitor removed during the drag): the signed
// coordinates are clamped to the client area of the given size.
POINT SelectionPoint(LPARAM lParam, SIZE overlay);

// The screen rectangle captured for a selection in client coordinates of an
// overlay whose client origin is at `overlay_origin` on the screen: the
// interior of the drawn frame (one pixel in from each edge of the normalised
// selection), limited to `virtual_screen`.  Empty when nothing is inside.
RECT CaptureRectangle(const RECT& selection, POINT overlay_origin, const RECT& virtual_screen);

// The size label of a drag from the selection's start corner to (x, y).
struct SizeLabel {
    RECT inner;         // (start.x + 1, start.y + 1, x - 1, y - 1)
    RECT rect;          // where it is drawn: 200 x 20 beside the start corner
    bool align_right;   // dragging left: right-aligned
};
SizeLabel PlaceSizeLabel(POINT start, POINT pointer);

// "%d x %d (%d : %d)": the interior size of the frame and its reduced aspect
// ratio, e.g. "1024 x 768 (4 : 3)", for either drag direction.  Cut to the
// buffer; always terminated when size > 0.
void FormatSizeLabel(const RECT& inner, wchar_t* out, size_t size);
