#include "quornvale/tools/size_display.h"

#include <stdio.h>

#include "common/debug_print.h"
#include "quornvale/shell/app_state.h"

namespace {
// The label is up: the main window's text is the size text to paint.
bool g_showing = false;

const RECT kMeasureRect = {0, 0, 200, 50};

void DrawLabelText(HWND main_window, HDC dc)
{
    wchar_t text[kSizeTextChars] = {};
    GetWindowTextW(main_window, text, kSizeTextChars);
    RECT rect = kMeasureRect;
    DrawTextExW(dc, text, -1, &rect, DT_CALCRECT, nullptr);
    DrawTextExW(dc, text, -1, &rect, DT_CENTER, nullptr);
}

// The hook library shows its label on this same window while a window is
// dragged by its caption or a border, from the press to the release of the
// primary button.  While that button is down the label is left up (the
// timer looks again a second later); the drag's release takes it away.
bool PrimaryButtonDown()
{
    const int button = GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
    return (GetAsyncKeyState(button) & 0x8000) != 0;
}

void CALLBACK HideSizeDisplayTimer(HWND main_window, UINT, UINT_PTR id, DWORD)
{
    if (PrimaryButtonDown()) {
        DebugPrint(L"size display kept: the primary button is down\n");
        return;
    }
    KillTimer(main_window, id);
    ShowSizeDisplay(main_window, main_window, false);
}
}  // namespace

int FormatSizeText(const RECT& window, wchar_t* out, int out_chars)
{
    if (out_chars <= 0)
        return 0;
    const int written = _snwprintf(out, size_t(out_chars) - 1, L"%d x %d (%d, %d)", int(window.right - window.left),
                                   int(window.bottom - window.top), int(window.left), int(window.top));
    out[out_chars - 1] = L'\0';
    return written < 0 ? out_chars - 1 : written;
}

POINT SizeLabelPosition(const RECT& window, SIZE text)
{
    return {(window.right + window.left) / 2 - text.cx / 2, (window.bottom + window.top) / 2 - text.cy / 2};
}

bool ShowSizeDisplay(HWND target, HWND main_window, bool show)
{
    if (!main_window)
        return false;
    if (!show) {
        g_showing = false;
        SetWindowPos(main_window, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOACTIVATE);
        SetWindowTextW(main_window, L"");
        return true;
    }
    RECT window;
    if (!target || !GetWindowRect(target, &window))
        return false;
    return ShowSizeDisplayOver(main_window, window);
}

bool ShowSizeDisplayOver(HWND main_window, const RECT& window)
{
    if (!main_window)
        return false;
    wchar_t text[kSizeTextChars];
    FormatSizeText(window, text, kSizeTextChars);
    HDC dc = GetWindowDC(main_window);
    if (!dc) {
        DebugPrint(L"GetWindowDC of the size display failed, error %lu\n", GetLastError());
        return false;
    }
    RECT measured = kMeasureRect;
    DrawTextExW(dc, text, -1, &measured, DT_CALCRECT, nullptr);
    const SIZE size = {measured.right - measured.left, measured.bottom - measured.top};
    const POINT at = SizeLabelPosition(window, size);
    // The text is the window's own, so that a repaint draws it again.
    SetWindowTextW(main_window, text);
    g_showing = true;
    SetWindowPos(main_window, HWND_TOPMOST, at.x, at.y, size.cx, size.cy, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    InvalidateRect(main_window, nullptr, TRUE);
    DrawTextExW(dc, text, -1, &measured, DT_CENTER, nullptr);
    ReleaseDC(main_window, dc);
    return true;
}

void KeepSizeDisplayForASecond(HWND main_window)
{
    if (!SetTimer(main_window, SIZE_DISPLAY_TIMER, kSizeDisplayMs, HideSizeDisplayTimer))
        DebugPrint(L"SetTimer of the size display failed, error %lu\n", GetLastError());
}

bool PaintSizeDisplay(HWND main_window)
{
    if (!g_showing)
        return false;
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(main_window, &paint);
    if (dc)
        DrawLabelText(main_window, dc);
    EndPaint(main_window, &paint);
    return true;
}
