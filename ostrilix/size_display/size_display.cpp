#include "ostrilix/size_display/size_display.h"

#include "common/debug_print.h"
#include "ostrilix/core/shared_block.h"
#include "ostrilix/docking/dock_geometry.h"

namespace {
// The window whose drag this process shows the label for.  The switch that
// says a label is up (s_b_displaysize) is shared by every process; this keeps
// another application's own resizing from moving the label onto its window.
HWND volatile g_label_window = nullptr;

constexpr int kLabelChars = 32;

// The program's window lives in another thread (usually another process): it
// is moved by a posted request, so a program that is busy never holds up the
// application being dragged.
UINT CoverFlags(HWND cover, UINT flags)
{
    if (GetWindowThreadProcessId(cover, nullptr) != GetCurrentThreadId())
        flags |= SWP_ASYNCWINDOWPOS;
    return flags;
}
}  // namespace

bool DisplayWindowSize(HWND window, HWND cover, bool show)
{
    DebugPrint(L"h_wnd=%p, h_cover_wnd=%p, b_display=%d\n", static_cast<void*>(window),
               static_cast<void*>(cover), show ? 1 : 0);
    if (!show) {
        if (!cover || cover == window)
            return false;
        if (!SetWindowPos(cover, nullptr, 0, 0, 0, 0, CoverFlags(cover, SWP_HIDEWINDOW | SWP_NOACTIVATE))) {
            DebugPrint(L"DisplayWindowSize: hiding failed, error %lu\n", GetLastError());
            return false;
        }
        return true;
    }
    if (!window || !cover || window == cover)
        return false;
    RECT r = {};
    if (!GetWindowRect(window, &r))
        return false;
    wchar_t text[kLabelChars];
    const int length = FormatSizeLabel(r, text, kLabelChars);
    // The label is painted into the cover's own context; when the system
    // gives none (the cover belongs to another process), it is still
    // measured and placed, with the screen's context.
    HDC dc = GetWindowDC(cover);
    if (!dc)
        DebugPrint(L"DisplayWindowSize: GetWindowDC failed, error %lu\n", GetLastError());
    HDC measure = dc ? dc : GetDC(nullptr);
    RECT t = {0, 0, 200, 50};
    if (measure)
        DrawTextExW(measure, text, length, &t, DT_CALCRECT, nullptr);
    if (!dc && measure)
        ReleaseDC(nullptr, measure);
    const int w = t.right - t.left;
    const int h = t.bottom - t.top;
    const POINT at = SizeLabelOrigin(r, w, h);
    DebugPrint(L"n_left=%d, n_top=%d, n_width=%d, n_height=%d\n", int(at.x), int(at.y), w, h);
    DebugPrint(L"size label \"%s\"\n", text);
    const bool placed = SetWindowPos(cover, HWND_TOPMOST, at.x, at.y, w, h,
                                     CoverFlags(cover, SWP_SHOWWINDOW | SWP_NOACTIVATE)) != FALSE;
    if (!placed)
        DebugPrint(L"DisplayWindowSize: placing failed, error %lu\n", GetLastError());
    if (dc) {
        DrawTextExW(dc, text, length, &t, DT_CENTER, nullptr);
        ReleaseDC(cover, dc);
    }
    return placed;
}

void StartSizeLabel(HWND window)
{
    HWND cover = g_shared.s_feature_value.s_h_cover_wnd;
    if (!window || window == cover)
        return;
    g_label_window = window;
    g_shared.s_feature_value.s_b_displaysize = 1;
    DisplayWindowSize(window, cover, true);
}

void EndSizeLabel(HWND window)
{
    g_label_window = nullptr;
    // Only a release that ends a drag with a label hides it: the program's
    // own sizing label is not taken away by every click on the desktop.
    if (InterlockedExchange(&g_shared.s_feature_value.s_b_displaysize, 0))
        DisplayWindowSize(window, g_shared.s_feature_value.s_h_cover_wnd, false);
}

void RefreshSizeLabel(HWND window)
{
    if (!g_label_window || window != g_label_window || !g_shared.s_b_sizewindow ||
        !g_shared.s_feature_value.s_b_displaysize)
        return;
    DisplayWindowSize(window, g_shared.s_feature_value.s_h_cover_wnd, true);
}
