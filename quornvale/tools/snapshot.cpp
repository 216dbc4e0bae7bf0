#include "quornvale/tools/snapshot.h"

#include <cwchar>

#include "common/clipboard_text.h"
#include "common/debug_print.h"
#include "quornvale/resources/resource.h"
#include "quornvale/shell/app_state.h"
#include "quornvale/shell/program_path.h"
#include "quornvale/shell/settings.h"
#include "quornvale/shell/tray_icon.h"
#include "quornvale/tools/gdiplus_runtime.h"
#include "quornvale/tools/snapshot_capture.h"
#include "quornvale/tools/snapshot_file_target.h"
#include "quornvale/tools/snapshot_geometry.h"
#include "quornvale/tools/snapshot_notice.h"
#include "quornvale/tools/watermark_placement.h"

namespace {
constexpr COLORREF kColourKey = RGB(255, 0, 0);  // see-through in the veil

// The selection, touched only by the GUI thread.  All zero while no drag is
// in progress or pending.
struct SelectionState {
    RECT selection;
    POINT last_pointer;
    RECT label;
    RECT inner;
    bool label_right;
    bool dragging;
    HBRUSH brush;
    RECT saved_clip;
};
SelectionState g_snap = {};

void HideOverlay(HWND wnd)
{
    SetWindowPos(wnd, nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool SelectionEmpty()
{
    const RECT& s = g_snap.selection;
    return s.left == 0 && s.top == 0 && s.right == 0 && s.bottom == 0;
}

SIZE ClientSize(HWND wnd)
{
    RECT client = {};
    GetClientRect(wnd, &client);
    return SIZE{client.right, client.bottom};
}

// Ends a drag: capture, cursor clip and brush go back as they were.
void EndDrag()
{
    if (!g_snap.dragging)
        return;
    g_snap.dragging = false;
    ReleaseCapture();
    // GetClipCursor answers the whole screen when nothing was clipped;
    // setting that back would leave a clip in force.
    RECT screen = {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN), 0, 0};
    screen.right = screen.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    screen.bottom = screen.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    const RECT& c = g_snap.saved_clip;
    bool unclipped = c.left <= screen.left && c.top <= screen.top && c.right >= screen.right && c.bottom >= screen.bottom;
    ClipCursor(unclipped ? nullptr : &g_snap.saved_clip);
    if (g_snap.brush) {
        DeleteObject(g_snap.brush);
        g_snap.brush = nullptr;
    }
}

void OnPress(HWND wnd, UINT message, LPARAM lParam)
{
    if (g_snap.dragging)
        return;
    POINT p = SelectionPoint(lParam, ClientSize(wnd));
    g_snap.selection = RECT{p.x, p.y, p.x, p.y};
    g_snap.last_pointer = p;
    g_snap.inner = RECT{};
    g_snap.label = RECT{};
    g_snap.brush = CreateSolidBrush(kColourKey);
    g_snap.dragging = true;
    DebugPrint(L"snapshot press (message 0x%x) at %d, %d\n", message, p.x, p.y);
    SetCapture(wnd);
    GetClipCursor(&g_snap.saved_clip);
    RECT window = {};
    GetWindowRect(wnd, &window);
    ClipCursor(&window);
}

void OnDrag(HWND wnd, WPARAM wParam, LPARAM lParam)
{
    if (!g_snap.dragging || !(wParam & (MK_LBUTTON | MK_RBUTTON)))
        return;
    POINT p = SelectionPoint(lParam, ClientSize(wnd));
    g_snap.selection.right = p.x;
    g_snap.selection.bottom = p.y;
    DebugPrint(L"mouse move. pt_downcorner.x=%d, pt_downcorner.y=%d\n", p.x, p.y);

    if (HDC dc = GetDC(wnd)) {
        HGDIOBJ old_brush = SelectObject(dc, g_snap.brush ? g_snap.brush : GetStockObject(WHITE_BRUSH));
        Rectangle(dc, g_snap.selection.left, g_snap.selection.top, g_snap.selection.right,
                  g_snap.selection.bottom);
        SelectObject(dc, old_brush);
        ReleaseDC(wnd, dc);
    }
    // The previous frame's area.
    RECT previous = NormalisedRect(RECT{g_snap.selection.left, g_snap.selection.top,
                                        g_snap.last_pointer.x, g_snap.last_pointer.y});
    InvalidateRect(wnd, &previous, TRUE);

    POINT start = {g_snap.selection.left, g_snap.selection.top};
    SizeLabel label = PlaceSizeLabel(start, p);
    g_snap.inner = label.inner;
    InvalidateRect(wnd, &g_snap.label, TRUE);
    g_snap.label = label.rect;
    g_snap.label_right = label.align_right;
    InvalidateRect(wnd, &g_snap.label, TRUE);
    UpdateWindow(wnd);
    g_snap.last_pointer = p;
}

void OnRelease(HWND wnd)
{
    DebugPrint(L"snapshot release, dragging %d\n", int(g_snap.dragging));
    if (!g_snap.dragging)
        return;
    InvalidateRect(wnd, nullptr, TRUE);
    EndDrag();
    g_snap.selection = NormalisedRect(g_snap.selection);
    if (IsSelectionTooSmall(g_snap.selection, 1)) {
        g_snap.selection = RECT{};
        HideOverlay(wnd);
        return;
    }
    // The capture runs on the first tick, after the repaint asked for above
    // (WM_PAINT is retrieved before WM_TIMER).
    SetTimer(wnd, CAPTURE_TIMER, 1, nullptr);
}

void OnPaint(HWND wnd)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(wnd, &ps);
    if (dc && !SelectionEmpty()) {
        wchar_t text[64];
        FormatSizeLabel(g_snap.inner, text, 64);
        RECT label = g_snap.label;
        DrawTextExW(dc, text, -1, &label, g_snap.label_right ? DT_RIGHT : DT_LEFT, nullptr);
    }
    EndPaint(wnd, &ps);
}

void ShowBalloon(UINT title_id, UINT text_id, DWORD icon)
{
    wchar_t title[36] = {}, text[256] = {};
    LoadStringW(g_app.instance, title_id, title, 36);
    LoadStringW(g_app.instance, text_id, text, 256);
    ShowTrayBalloon(title, text, icon);
}

void ShowCaptureFailed() { ShowBalloon(IDS_CAPTURE_FAILED_TITLE, IDS_CAPTURE_FAILED_TEXT, kBalloonError); }

bool CaptureIntoFile(HDC screen, const RECT& r)
{
    // Without GDI+ (a Windows 2000 without the redistributable) the file is
    // a BMP of the program's own making.
    gdiplus::Session session;
    SnapshotFile file;
    if (!CreateSnapshotFile(session ? nullptr : L"bmp", &file))
        return false;
    wchar_t stamp_path[kPathChars] = {};
    WatermarkSpec spec = {};
    const WatermarkSpec* watermark = nullptr;
    if (ReadSetting(Setting::kSnapshotWatermarkEnable) != 0) {
        ReadSettingText(Setting::kSnapshotWatermarkPath, stamp_path, kPathChars);
        if (stamp_path[0] && IsReadableFile(stamp_path))
            spec.image_path = stamp_path;
        spec.position_code = ReadSetting(Setting::kSnapshotWatermarkPos);
        spec.alpha = WatermarkAlpha(ReadSetting(Setting::kSnapshotWatermarkAlpha));
        watermark = &spec;
    }
    bool saved = CaptureToFile(screen, r, &file, watermark, session);
    CloseSnapshotFile(&file, !saved);
    if (!saved)
        return false;
    CopyTextToClipboard(file.path);
    DebugPrint(L"snapshot saved to %ls\n", file.path);
    wchar_t format[kPathChars] = {};
    ReadSettingText(Setting::kSnapshotFormat, format, kPathChars);
    const SnapshotNotice notice = NoGdiplusNotice(bool(session), _wcsicmp(format, L"bmp") == 0,
                                                  spec.image_path != nullptr);
    if (notice.show)
        ShowBalloon(notice.title_id, notice.text_id, NIIF_WARNING);
    // The next capture still takes a new file (the name is never reused),
    // but the user should know the number did not move on.
    if (!file.counter_saved)
        ShowBalloon(IDS_COUNTER_NOT_SAVED_TITLE, IDS_COUNTER_NOT_SAVED_TEXT, NIIF_WARNING);
    return true;
}

void OnCaptureTimer(HWND wnd)
{
    KillTimer(wnd, CAPTURE_TIMER);
    DebugPrint(L"snapshot capture timer\n");
    if (SelectionEmpty()) {
        HideOverlay(wnd);
        return;
    }
    POINT origin = {0, 0};
    ClientToScreen(wnd, &origin);
    RECT virtual_screen = {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN), 0, 0};
    virtual_screen.right = virtual_screen.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    virtual_screen.bottom = virtual_screen.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    RECT r = CaptureRectangle(g_snap.selection, origin, virtual_screen);
    g_snap.selection = RECT{};

    HDC screen = GetDC(nullptr);
    bool captured = false;
    if (screen) {
        captured = ReadSetting(Setting::kSnapshotIntoFile) == 0 ? CaptureToClipboard(wnd, screen, r)
                                                                 : CaptureIntoFile(screen, r);
    }
    DebugPrint(L"snapshot capture done, captured %d\n", int(captured));
    if (!captured)
        ShowCaptureFailed();
    InvalidateRect(wnd, nullptr, TRUE);
    UpdateWindow(wnd);
    if (screen)
        ReleaseDC(nullptr, screen);
    HideOverlay(wnd);
    DebugPrint(L"snapshot overlay hidden\n");
}
}  // namespace

void OpenSnapshotOverlay(HWND main_window)
{
    int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    int width = GetSystemMetrics(SM_CXVIRTUALSCREEN), height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    DebugPrint(L"left=%d, top=%d\n", left, top);
    // Without SWP_NOACTIVATE: the veil takes the keyboard, so a key cancels it.
    SetWindowPos(main_window, HWND_TOPMOST, left, top, width, height, SWP_SHOWWINDOW);
}

void OnSnapshotMessage(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    // The window class takes double-clicks (for the tray icon), so a press
    // soon after the previous one at the same spot comes as a double-click:
    // it starts a drag all the same, or its release would find no drag and
    // leave the overlay up.
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
        OnPress(wnd, message, lParam);
        break;
    case WM_MOUSEMOVE:
        OnDrag(wnd, wParam, lParam);
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        OnRelease(wnd);
        break;
    case WM_ERASEBKGND:
        // The frame's see-through interior survives every repaint of the veil.
        if (!SelectionEmpty()) {
            RECT s = NormalisedRect(g_snap.selection);
            ExcludeClipRect(reinterpret_cast<HDC>(wParam), s.left, s.top, s.right, s.bottom);
        }
        break;
    case WM_PAINT:
        if (!SelectionEmpty())
            OnPaint(wnd);
        break;
    case WM_KEYDOWN:
        // The main window hides itself on any key; a drag in progress ends
        // with it, so its release captures nothing.
        if (g_snap.dragging) {
            EndDrag();
            g_snap.selection = RECT{};
            InvalidateRect(wnd, nullptr, TRUE);
        }
        break;
    case WM_CAPTURECHANGED:
        // Another window took the mouse (the drag's own release gives the
        // capture back only after it has ended the drag): the drag is over,
        // and its selection, which no release will finish, goes with it.
        if (g_snap.dragging && reinterpret_cast<HWND>(lParam) != wnd) {
            DebugPrint(L"snapshot drag cancelled: the capture went to 0x%p\n", reinterpret_cast<void*>(lParam));
            EndDrag();
            g_snap.selection = RECT{};
            InvalidateRect(wnd, nullptr, TRUE);
        }
        break;
    case WM_TIMER:
        if (wParam == CAPTURE_TIMER)
            OnCaptureTimer(wnd);
        break;
    default:
        break;
    }
}
