#include "ostrilix/docking/dock_geometry.h"

#include <stdio.h>

LONG DockSideEntered(const RECT& work, const RECT& drag, const RECT& last)
{
    if (work.top < drag.top && drag.top < work.top + kDockBand && last.top >= work.top + kDockBand)
        return kDockTop;
    if (work.left < drag.left && drag.left < work.left + kDockBand && last.left >= work.left + kDockBand)
        return kDockLeft;
    const int below = work.bottom - drag.bottom;
    if (0 < below && below < kDockBand && last.bottom <= work.bottom - kDockBand)
        return kDockBottom;
    const int beside = work.right - drag.right;
    if (0 < beside && beside < kDockBand && last.right <= work.right - kDockBand)
        return kDockRight;
    return kDockNone;
}

int DockedEdgeDistance(LONG side, const RECT& work, const RECT& drag)
{
    switch (side) {
    case kDockTop: return drag.top - work.top;
    case kDockLeft: return drag.left - work.left;
    case kDockBottom: return work.bottom - drag.bottom;
    case kDockRight: return work.right - drag.right;
    default: return 0;
    }
}

bool ShouldReleaseDock(LONG side, const RECT& work, const RECT& drag, bool half)
{
    const int distance = DockedEdgeDistance(side, work, drag);
    const int limit = half ? kHalfOvershootLimit : kEdgeOvershootLimit;
    return distance > kDockReleaseDistance || distance < limit;
}

bool PlaceDocked(LONG side, const RECT& work, bool half, DockPlacement* pos, int* cursor_up)
{
    *cursor_up = 0;
    const int width = work.right - work.left;
    const int height = work.bottom - work.top;
    switch (side) {
    case kDockTop:
        pos->y = work.top;
        if (half) {
            pos->x = work.left;
            pos->cx = width;
            pos->cy = height / 2;
        }
        return true;
    case kDockLeft:
        pos->x = work.left;
        if (half) {
            *cursor_up = pos->y - work.top;
            pos->y = work.top;
            pos->cy = height;
            pos->cx = width / 2;
        }
        return true;
    case kDockBottom:
        pos->y = work.bottom - pos->cy;
        if (half) {
            pos->x = work.left;
            pos->cx = width;
            pos->y = (work.bottom + work.top) / 2;
            pos->cy = height / 2;
        }
        return true;
    case kDockRight:
        pos->x = work.right - pos->cx;
        if (half) {
            *cursor_up = pos->y - work.top;
            pos->y = work.top;
            pos->cy = height;
            pos->x = (work.right + work.left) / 2;
            pos->cx = width / 2;
        }
        return true;
    default:
        return false;
    }
}

DockedChange DecideDockedChange(bool in_drag, bool sizing, bool min_or_max, const RECT& docked_monitor,
                                const RECT& target)
{
    // Minimise and maximise go through; a restore comes back to the docked
    // place (its normal position is the docked one).
    if (min_or_max)
        return DockedChange::Allow;
    // The user gives the window a size of his own: it is his from now on.
    if (sizing)
        return DockedChange::Release;
    // A drag docks on the monitor under the cursor.
    if (in_drag)
        return DockedChange::Place;
    const bool same = docked_monitor.left == target.left && docked_monitor.top == target.top &&
                      docked_monitor.right == target.right && docked_monitor.bottom == target.bottom;
    return same ? DockedChange::Place : DockedChange::Release;
}

RECT RectOnHalfRelease(LONG side, const RECT& before, const RECT& drag, int* cursor_down)
{
    *cursor_down = 0;
    const LONG width = before.right - before.left;
    const LONG height = before.bottom - before.top;
    RECT r = drag;
    switch (side) {
    case kDockTop:
        // Under the cursor as it was before docking, at the pulled top.
        r.left = before.left;
        r.right = before.right;
        r.bottom = drag.top + height;
        break;
    case kDockLeft:
        // The window filled the work area's height: it gets its own height
        // back, and the cursor goes down by the window's offset from the
        // half's top, so that the window regains its former top.
        r.right = drag.left + width;
        r.bottom = drag.top + height;
        *cursor_down = before.top - drag.top;
        break;
    case kDockBottom:
        r.top = drag.bottom - height;
        r.left = before.left;
        r.right = before.right;
        break;
    case kDockRight:
        r.left = drag.right - width;
        r.bottom = drag.top + height;
        *cursor_down = before.top - drag.top;
        break;
    default:
        break;
    }
    return r;
}

int FormatSizeLabel(const RECT& window, wchar_t* out, int chars)
{
    if (!out || chars <= 0)
        return 0;
    const int n = _snwprintf(out, size_t(chars), L"%d x %d (%d, %d)", int(window.right - window.left),
                             int(window.bottom - window.top), int(window.left), int(window.top));
    if (n < 0 || n >= chars) {
        out[chars - 1] = 0;
        return chars - 1;
    }
    return n;
}

POINT SizeLabelOrigin(const RECT& window, int label_width, int label_height)
{
    POINT p;
    p.x = (window.left + window.right) / 2 - label_width / 2;
    p.y = (window.top + window.bottom) / 2 - label_height / 2;
    return p;
}
