#pragma once
// The geometry of window docking, free of system calls: when a dragged
// window enters the band along a work-area edge, when a docked window is
// pulled far enough away to be released, where a docked window is placed,
// and the rectangle a half-screen window gets back when it is released.
#include <windows.h>

enum DockSide : LONG {
    kDockNone = 0,
    kDockTop = 1,
    kDockLeft = 2,
    kDockBottom = 4,
    kDockRight = 8,
};

// Width of the band inside each work-area edge in which a window docks.
constexpr int kDockBand = 20;
// A docked window whose edge is pulled further inside than this is released.
constexpr int kDockReleaseDistance = 30;
// How far beyond the edge a docked window may be pushed before it is
// released: edge docking, and half-screen docking (in practice never).
constexpr int kEdgeOvershootLimit = -50;
constexpr int kHalfOvershootLimit = -3000;

// The side whose band the drag rectangle has just entered from outside:
// its edge lies strictly inside the band now, and the last rectangle that
// neither docked nor undocked had that edge at or beyond the band's inner
// line.  Sides are tested top, left, bottom, right.  A rectangle that
// jumps past the edge in one step is outside the band and does not dock.
LONG DockSideEntered(const RECT& work, const RECT& drag, const RECT& last);

// How far the docked edge of the drag rectangle lies inside the work area
// (negative: beyond the edge); 0 for no side.
int DockedEdgeDistance(LONG side, const RECT& work, const RECT& drag);

// A docked window is released when its edge is pulled more than
// kDockReleaseDistance inside, or pushed beyond the overshoot limit.
bool ShouldReleaseDock(LONG side, const RECT& work, const RECT& drag, bool half);

// A window placement, as WINDOWPOS carries it.
struct DockPlacement {
    int x, y, cx, cy;
};
// Where a window docked to the side is placed, given the placement the
// system asked for.  Edge docking moves only the docked coordinate;
// half-screen docking fills the half of the work area along the side.
// *cursor_up is how far the cursor is to be moved up to stay on the
// caption (left and right halves start at the work-area top); 0 otherwise.
// False for an unknown side (the placement is left as asked).
bool PlaceDocked(LONG side, const RECT& work, bool half, DockPlacement* pos, int* cursor_up);

// What becomes of a change of place or size that a docked window is asked for.
enum class DockedChange {
    Place,    // placed against the docked edge
    Allow,    // goes as asked, and the window stays docked
    Release,  // goes as asked, and the window is docked no more
};
// in_drag: the user moves the window in the system's move loop; sizing: the
// user sizes it by a border there; min_or_max: the window is minimised or
// maximised (by its buttons, its system menu or its application).
// docked_monitor: the rectangle of the monitor it is docked on; target: that
// of the monitor the asked placement lies on.
DockedChange DecideDockedChange(bool in_drag, bool sizing, bool min_or_max, const RECT& docked_monitor,
                                const RECT& target);

// The drag rectangle a half-screen window continues with when it is
// released: the size it had before docking, kept under the cursor along
// the docked edge.  *cursor_down is how far the cursor is to be moved down
// (left and right: the window regains its former top, so the cursor moves
// by the window's offset from the half's top).
RECT RectOnHalfRelease(LONG side, const RECT& before, const RECT& drag, int* cursor_down);

// The size display's text for a window rectangle, "W x H (x, y)", cut to
// the buffer; returns the characters written.
int FormatSizeLabel(const RECT& window, wchar_t* out, int chars);
// The label's top-left corner: centred on the window rectangle.
POINT SizeLabelOrigin(const RECT& window, int label_width, int label_height);
