#pragma once
// A log of window messages in named shared memory: the target window double
// writes it, scenario tests read it from outside.
#include <windows.h>

namespace message_log {

struct Record {
    UINT message;
    UINT window;   // 0 the top-level window, 1 its child
    ULONGLONG wParam;
    LONGLONG lParam;
    RECT rect;     // the top-level window's rectangle after the message
    DWORD time;    // GetTickCount when logged
    DWORD async_keys;  // bit 0 Alt, 1 Ctrl, 2 Shift, 3 Left Win held (async state)
};

constexpr LONG kCapacity = 8192;

// Requests the target window double answers on its top-level window.
// Sent: answers 1 when the window runs the double's own procedure (nothing
// in front of it), 2 when another procedure is in front.
constexpr UINT kAskOwnProcedure = WM_APP + 0x3A0;
// Sent: answers 1 when the window's thread shows the system's move cursor
// (IDC_SIZEALL), 2 for any other cursor.
constexpr UINT kAskMoveCursor = WM_APP + 0x3A1;
// Sent: a point of the target's own view (physical pixels for this
// DPI-aware double, whatever the asking process sees), as two signed
// 16-bit halves (x low, y high).  wParam names it:
enum OwnPoint : WPARAM {
    kOwnRectTopLeft, kOwnRectBottomRight,  // the top-level window's rectangle
    kOwnWorkTopLeft, kOwnWorkBottomRight,  // the work area
    kOwnCursor,                            // GetCursorPos
    kOwnCaptionPoint,                      // a point of the caption (HTCAPTION), or -1, -1
};
constexpr UINT kAskOwnPoint = WM_APP + 0x3A2;

struct Log {
    volatile LONG count;  // records written so far (may exceed capacity: ring)
    Record records[kCapacity];
};

inline void MappingName(const wchar_t* tag, wchar_t* out, int chars)
{
    _snwprintf(out, size_t(chars) - 1, L"qv-message-log-%s", tag);
    out[chars - 1] = 0;
}

// The colour of client pixel (x, y) of a target started with --pattern:
// smooth ramps (a lossy encoder keeps them close), never the pure red that
// is the snapshot veil's colour key.
inline COLORREF TargetPattern(int x, int y)
{
    return RGB((x * 2) & 0xFF, (y * 2) & 0xFF, (x + y + 64) & 0xFF);
}

}  // namespace message_log
