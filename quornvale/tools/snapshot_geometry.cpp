#include "quornvale/tools/snapshot_geometry.h"

#include <windowsx.h>

#include <cstdio>
#include <cstdlib>

int GreatestCommonDivisor(int a, int b)
{
    if (a == 0 || b == 0)
        return 1;
    // In 64 bits: |INT_MIN| does not fit an int.
    long long x = llabs(a), y = llabs(b);
    if (x < y) {
        long long t = x;
        x = y;
        y = t;
    }
    while (y != 0) {
        long long r = x % y;
        x = y;
        y = r;
    }
    return static_cast<int>(x);
}

namespace {
// v² <= limit in 64 bits; a side longer than 2^31 is never too small (its
// square would not fit).
bool SquareAtMost(long long v, long long limit)
{
    v = llabs(v);
    return v <= 3037000499LL && v * v <= limit;
}
}  // namespace

bool IsSelectionTooSmall(const RECT& r, int tolerance)
{
    long long limit = 2LL * tolerance;
    return SquareAtMost(static_cast<long long>(r.right) - r.left, limit) ||
           SquareAtMost(static_cast<long long>(r.bottom) - r.top, limit);
}

RECT NormalisedRect(const RECT& r)
{
    RECT n = r;
    if (n.left > n.right) {
        n.left = r.right;
        n.right = r.left;
    }
    if (n.top > n.bottom) {
        n.top = r.bottom;
        n.bottom = r.top;
    }
    return n;
}

namespace {
LONG Clamp(LONG v, LONG low, LONG high)
{
    return v < low ? low : (v > high ? high : v);
}
}  // namespace

POINT SelectionPoint(LPARAM lParam, SIZE overlay)
{
    POINT p = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    p.x = Clamp(p.x, 0, overlay.cx > 0 ? overlay.cx - 1 : 0);
    p.y = Clamp(p.y, 0, overlay.cy > 0 ? overlay.cy - 1 : 0);
    return p;
}

RECT CaptureRectangle(const RECT& selection, POINT overlay_origin, const RECT& virtual_screen)
{
    RECT n = NormalisedRect(selection);
    RECT r = {n.left + overlay_origin.x + 1, n.top + overlay_origin.y + 1,
              n.right + overlay_origin.x - 1, n.bottom + overlay_origin.y - 1};
    RECT clipped;
    if (r.left >= r.right || r.top >= r.bottom || !IntersectRect(&clipped, &r, &virtual_screen))
        return RECT{0, 0, 0, 0};
    return clipped;
}

SizeLabel PlaceSizeLabel(POINT start, POINT pointer)
{
    SizeLabel label = {};
    label.inner = RECT{start.x + 1, start.y + 1, pointer.x - 1, pointer.y - 1};
    const RECT& in = label.inner;
    label.align_right = !(in.right > in.left);
    if (!label.align_right) {
        label.rect.left = in.left;
        label.rect.right = in.left + 200;
    } else {
        label.rect.left = in.left - 200;
        label.rect.right = in.left;
    }
    if (in.bottom > in.top) {
        label.rect.top = in.top - 25;
        label.rect.bottom = in.top - 5;
    } else {
        label.rect.top = in.top + 5;
        label.rect.bottom = in.top + 25;
    }
    return label;
}

namespace {
// Dragging left or up, the inner rectangle runs from start + 1 to
// pointer - 1, four more than the interior: corrected by 4, never past 0.
int InteriorExtent(long long v)
{
    if (v < 0)
        v = v < -4 ? v + 4 : 0;
    return static_cast<int>(llabs(v));
}
}  // namespace

void FormatSizeLabel(const RECT& inner, wchar_t* out, size_t size)
{
    if (!out || size == 0)
        return;
    int w = InteriorExtent(static_cast<long long>(inner.right) - inner.left);
    int h = InteriorExtent(static_cast<long long>(inner.bottom) - inner.top);
    int g = GreatestCommonDivisor(w, h);
    _snwprintf(out, size - 1, L"%d x %d (%d : %d)", w, h, w / g, h / g);
    out[size - 1] = L'\0';
}
