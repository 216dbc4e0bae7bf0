// Snapshots through the real program: the overlay opened by the menu
// command, a real drag over a target window that paints a known pattern,
// and the pixels that reach the clipboard or the numbered image files
// (decoded here with GDI+), with watermarks, the failure balloons and a key
// that cancels a drag; files in the user's pictures folder, never over a
// kept one; GDI+ hidden from the program; a 144 DPI screen.
#include <windows.h>
#include <shlobj.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "quornvale/shell/command_ids.h"
#include "tests/doubles/message_log.h"
#include "tests/framework/check.h"
#include "tests/scenario/support/harness.h"
#include "tests/scenario/support/input.h"
#include "tests/scenario/support/registry_value.h"
#include "tests/scenario/support/target.h"
#include "tests/scenario/support/tray_view.h"

using namespace scenario;

// The flat GDI+ functions this test decodes files with.
extern "C" {
struct GpImage;
struct GdiplusStartupInputFlat {
    UINT32 version;
    void* callback;
    BOOL no_thread;
    BOOL no_codecs;
};
int WINAPI GdiplusStartup(ULONG_PTR*, const GdiplusStartupInputFlat*, void*);
int WINAPI GdipCreateBitmapFromFile(const WCHAR*, GpImage**);
int WINAPI GdipGetImageWidth(GpImage*, UINT*);
int WINAPI GdipGetImageHeight(GpImage*, UINT*);
int WINAPI GdipBitmapGetPixel(GpImage*, INT, INT, DWORD*);
int WINAPI GdipDisposeImage(GpImage*);
}

namespace {
struct Pixels {
    int width = 0, height = 0;
    std::vector<COLORREF> data;
    COLORREF At(int x, int y) const { return data[size_t(y) * width + x]; }
};

bool StartGdiplus()
{
    static ULONG_PTR token = 0;
    static bool started = false;
    if (!started) {
        GdiplusStartupInputFlat input = {1, nullptr, FALSE, FALSE};
        started = GdiplusStartup(&token, &input, nullptr) == 0;
    }
    return started;
}

// The decoded image file; empty when it cannot be read.
Pixels DecodeFile(const std::wstring& path)
{
    Pixels p;
    GpImage* image = nullptr;
    if (!StartGdiplus() || GdipCreateBitmapFromFile(path.c_str(), &image) != 0 || !image)
        return p;
    UINT w = 0, h = 0;
    GdipGetImageWidth(image, &w);
    GdipGetImageHeight(image, &h);
    p.width = int(w);
    p.height = int(h);
    p.data.resize(size_t(w) * h);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            DWORD argb = 0;
            GdipBitmapGetPixel(image, x, y, &argb);
            p.data[size_t(y) * w + x] = RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
        }
    GdipDisposeImage(image);
    return p;
}

// The CF_BITMAP on the clipboard; empty when there is none.
Pixels ClipboardBitmap()
{
    Pixels p;
    if (!OpenClipboard(nullptr))
        return p;
    HBITMAP bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    BITMAP info = {};
    if (bitmap && GetObjectW(bitmap, sizeof(info), &info)) {
        p.width = info.bmWidth;
        p.height = info.bmHeight;
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = p.width;
        bi.bmiHeader.biHeight = -p.height;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        std::vector<DWORD> bits(size_t(p.width) * p.height);
        HDC dc = GetDC(nullptr);
        GetDIBits(dc, bitmap, 0, p.height, bits.data(), &bi, DIB_RGB_COLORS);
        ReleaseDC(nullptr, dc);
        for (DWORD v : bits)
            p.data.push_back(RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF));
    }
    CloseClipboard();
    return p;
}

std::wstring ClipboardText()
{
    std::wstring text;
    if (!OpenClipboard(nullptr))
        return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = chars;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

void PutClipboardText(const wchar_t* text)
{
    if (!OpenClipboard(nullptr))
        return;
    EmptyClipboard();
    size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    memcpy(GlobalLock(memory), text, bytes);
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
}

void SetSnapshotKey(const Program& program, const wchar_t* key, const wchar_t* value)
{
    WritePrivateProfileStringW(L"snapshot", key, value, program.SettingsPath().c_str());
}

std::wstring SnapshotKey(const Program& program, const wchar_t* key)
{
    wchar_t value[MAX_PATH] = {};
    GetPrivateProfileStringW(L"snapshot", key, L"", value, MAX_PATH, program.SettingsPath().c_str());
    return value;
}

// The test's own view of a DPI-aware window on a screen of a DPI other than
// the one the test started with: rectangles scaled by 96 / 144 (HighDpiScreen).
int g_view_numerator = 1, g_view_denominator = 1;

bool OverlayShown(HWND main)
{
    RECT r = WindowRect(main);
    return IsWindowVisible(main) &&
           RectWidth(r) == MulDiv(GetSystemMetrics(SM_CXVIRTUALSCREEN), g_view_numerator, g_view_denominator) &&
           r.left == GetSystemMetrics(SM_XVIRTUALSCREEN);
}

// Opens the overlay from the menu and drags from one screen point to
// another; true once the overlay is hidden again.  With cancel_key, the key
// is pressed during the drag, before the release.
bool DragSnapshot(const Program& program, POINT from, POINT to, WORD cancel_key = 0)
{
    DebugMonitor monitor;
    DWORD_PTR result = 0;
    SendMessageTimeoutW(program.MainWindow(), WM_COMMAND, CmdSnapshot, 0, SMTO_NORMAL, 5000, &result);
    if (!WaitFor([&] { return OverlayShown(program.MainWindow()); }, 5000)) {
        RECT r = WindowRect(program.MainWindow());
        MESSAGE(check::Format("overlay not shown: visible %d, (%ld, %ld, %ld, %ld)", int(IsWindowVisible(program.MainWindow())),
                    r.left, r.top, r.right, r.bottom));
        return false;
    }
    input::PlaceCursor(from);
    input::Press(input::Button::Left, from);
    input::Settle(50);
    for (int step = 1; step <= 4; ++step) {
        POINT p = {from.x + (to.x - from.x) * step / 4, from.y + (to.y - from.y) * step / 4};
        input::MoveTo(p);
        input::Settle(30);
    }
    if (cancel_key) {
        // The key ends the drag and hides the veil before the release is
        // sent: the release then finds no drag.
        input::Tap(cancel_key);
        if (!WaitFor([&] { return !IsWindowVisible(program.MainWindow()); }, 5000)) {
            MESSAGE("the veil did not go at the key");
            return false;
        }
    }
    input::Release(input::Button::Left, to);
    if (!WaitFor([&] { return !IsWindowVisible(program.MainWindow()); }, 10000)) {
        DWORD_PTR answer = 0;
        bool answers = SendMessageTimeoutW(program.MainWindow(), WM_NULL, 0, 0, SMTO_NORMAL, 2000, &answer) != 0;
        POINT cursor = {};
        GetCursorPos(&cursor);
        HWND below = WindowFromPoint(cursor);
        MESSAGE(check::Format("overlay still shown 10 s after the release: answers %d, monitor %d, press %d, "
                              "release %d, timer %d, done %d, hidden %d, cursor (%ld, %ld) over %p (main %p), "
                              "capture %p",
                              int(answers), int(monitor.Active()), int(monitor.Count("snapshot press")),
                              int(monitor.Count("snapshot release")), int(monitor.Count("snapshot capture timer")),
                              int(monitor.Count("snapshot capture done")), int(monitor.Count("snapshot overlay hidden")),
                              cursor.x, cursor.y, static_cast<void*>(below), static_cast<void*>(program.MainWindow()),
                              static_cast<void*>(GetCapture())));
        return false;
    }
    return true;
}

// The target's client origin on the screen.
POINT ClientOrigin(HWND wnd)
{
    POINT origin = {0, 0};
    ClientToScreen(wnd, &origin);
    return origin;
}

// Compares a capture of the target's client area starting at client pixel
// (x0, y0) with the pattern; the mean and the largest channel difference.
struct Difference {
    double mean = 1e9;
    int largest = 1 << 30;
};
Difference CompareWithPattern(const Pixels& p, int x0, int y0, int width, int height)
{
    Difference d;
    if (p.width != width || p.height != height)
        return d;
    long long sum = 0;
    int largest = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            COLORREF got = p.At(x, y), want = message_log::TargetPattern(x0 + x, y0 + y);
            int diffs[] = {abs(int(GetRValue(got)) - GetRValue(want)), abs(int(GetGValue(got)) - GetGValue(want)),
                           abs(int(GetBValue(got)) - GetBValue(want))};
            for (int v : diffs) {
                sum += v;
                largest = v > largest ? v : largest;
            }
        }
    d.mean = double(sum) / (3.0 * width * height);
    d.largest = largest;
    return d;
}

constexpr int kCaptureWidth = 63, kCaptureHeight = 40;
// The drag for a kCaptureWidth x kCaptureHeight capture of the target's
// client area; *x0, *y0 receive the client pixel of the capture's top-left
// corner (the frame's interior).  SendInput's absolute coordinates (65536
// steps over 1280 pixels) land exactly on screen columns that are multiples
// of 5, so both ends of the drag lie on such columns.
void DragPoints(HWND target, POINT* from, POINT* to, int* x0, int* y0, bool up_left = false)
{
    POINT origin = ClientOrigin(target);
    POINT a = {(origin.x + 14) / 5 * 5, origin.y + 10};
    POINT b = {a.x + kCaptureWidth + 2, a.y + kCaptureHeight + 2};
    *from = up_left ? b : a;
    *to = up_left ? a : b;
    *x0 = a.x + 1 - origin.x;
    *y0 = a.y + 1 - origin.y;
}

// The user's pictures folder, where relative snapshot folders are taken.
std::wstring Pictures()
{
    wchar_t folder[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_MYPICTURES | CSIDL_FLAG_CREATE, nullptr, 0, folder);
    return folder;
}

// A folder inside the pictures folder, emptied of what an earlier run of
// the same test left there.
std::wstring FreshPicturesFolder(const wchar_t* name)
{
    std::wstring folder = JoinPath(Pictures(), name);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(JoinPath(folder, L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileW(JoinPath(folder, found.cFileName).c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    return folder;
}

const char kFileSettings[] =
    "[snapshot]\r\nintofile=1\r\npath=shots\\deep\\\r\nname=s\r\nnext=1\r\nformat=png\r\n";
}  // namespace

TEST_CASE("file_captures_hold_the_frame_interior_in_every_format_and_advance_the_number")
{
    const std::wstring shots = FreshPicturesFolder(L"shots\\deep");
    TrayShell shell;
    REQUIRE(shell.Start());
    Program program(L"snapfiles", WithSettings(kFileSettings));
    TargetWindow target;
    TargetOptions options;
    options.pattern = true;
    REQUIRE(StartProgramAndTarget(program, target, options));
    input::Settle(300);

    struct Case { const wchar_t* format; bool up_left; double mean; int largest; };
    const Case cases[] = {
        {L"png", false, 0, 0}, {L"bmp", true, 0, 0}, {L"tif", false, 0, 0},
        {L"tiff", true, 0, 0}, {L"jpg", false, 3.0, 24}, {L"jpeg", true, 3.0, 24},
    };
    int number = 1;
    for (const Case& c : cases) {
        SetSnapshotKey(program, L"format", c.format);
        POINT from, to;
        int x0, y0;
        DragPoints(target.Window(), &from, &to, &x0, &y0, c.up_left);
        REQUIRE(DragSnapshot(program, from, to));
        std::wstring file = JoinPath(shots, L"s" + std::to_wstring(number) + L"." + c.format);
        CHECK(WaitFor([&] { return ClipboardText() == file; }, 5000));
        Pixels pixels = DecodeFile(file);
        CHECK_EQ(pixels.width, kCaptureWidth);
        CHECK_EQ(pixels.height, kCaptureHeight);
        Difference d = CompareWithPattern(pixels, x0, y0, kCaptureWidth, kCaptureHeight);
        MESSAGE(check::Format("%ls: mean difference %.2f, largest %d", c.format, d.mean, d.largest));
        CHECK(d.mean <= c.mean);
        CHECK(d.largest <= c.largest);
        ++number;
        CHECK_EQ(SnapshotKey(program, L"next"), std::to_wstring(number));
    }
    // No failure balloon along the way.
    for (const TrayNotification& n : shell.Notifications())
        CHECK(n.info.empty());
}

namespace {
size_t FailureBalloons(const TrayShell& shell)
{
    size_t count = 0;
    for (const TrayNotification& n : shell.Notifications()) {
        if (n.info.empty())
            continue;
        CHECK_EQ(n.title, std::wstring(L"Capture file failed!"));
        CHECK_EQ(n.info, std::wstring(L"Please check the settings in settings.ini file. The path must be exist."));
        CHECK_EQ(n.info_flags, unsigned(NIIF_ERROR));
        ++count;
    }
    return count;
}

// A 24-bit BMP file: the left `split` columns `left`, the others `right`.
std::string BmpFile(int width, int height, int split, COLORREF left, COLORREF right)
{
    int row = (width * 3 + 3) / 4 * 4;
    std::string bytes(54 + size_t(row) * height, '\0');
    auto put32 = [&](size_t at, DWORD v) { memcpy(&bytes[at], &v, 4); };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, DWORD(bytes.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, DWORD(width));
    put32(22, DWORD(height));
    bytes[26] = 1;
    bytes[28] = 24;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            COLORREF c = x < split ? left : right;
            size_t at = 54 + size_t(y) * row + size_t(x) * 3;
            bytes[at] = char(GetBValue(c));
            bytes[at + 1] = char(GetGValue(c));
            bytes[at + 2] = char(GetRValue(c));
        }
    return bytes;
}

bool Near(COLORREF a, COLORREF b)
{
    return abs(int(GetRValue(a)) - GetRValue(b)) <= 2 && abs(int(GetGValue(a)) - GetGValue(b)) <= 2 &&
           abs(int(GetBValue(a)) - GetBValue(b)) <= 2;
}
}  // namespace

TEST_CASE("failures_show_the_balloon_and_a_click_or_a_key_captures_nothing")
{
    const std::wstring shots = FreshPicturesFolder(L"shots");
    // Where the settings put the captures: emptied of an earlier case's
    // files, or the first capture here would rightly take the next free number.
    FreshPicturesFolder(L"shots\\deep");
    TrayShell shell;
    REQUIRE(shell.Start());
    Program program(L"snapfail", WithSettings(kFileSettings));
    TargetWindow target;
    TargetOptions options;
    options.pattern = true;
    REQUIRE(StartProgramAndTarget(program, target, options));
    input::Settle(300);
    POINT from, to;
    int x0, y0;
    DragPoints(target.Window(), &from, &to, &x0, &y0);

    // A click without a drag: overlay hidden, nothing captured, the number kept.
    PutClipboardText(L"untouched");
    REQUIRE(DragSnapshot(program, from, from));
    // Escape during a drag: the release that follows captures nothing either.
    REQUIRE(DragSnapshot(program, from, to, VK_ESCAPE));
    CHECK_EQ(ClipboardText(), std::wstring(L"untouched"));
    // A capture of the test's own behind them: once its path is on the
    // clipboard, both releases and any capture they had asked for are over,
    // and it is number 1, so neither took a number.
    REQUIRE(DragSnapshot(program, from, to));
    const std::wstring first = JoinPath(JoinPath(shots, L"deep"), L"s1.png");
    CHECK(WaitFor([&] { return ClipboardText() == first; }, 5000));
    CHECK_EQ(SnapshotKey(program, L"next"), std::wstring(L"2"));
    CHECK_EQ(FailureBalloons(shell), size_t(0));
    PutClipboardText(L"untouched");

    size_t balloons = 0;
    int next = 2;

    // GIF: either the file reads back as the capture, or the capture reports
    // the failure (encoders that write unreadable GIF files exist).
    SetSnapshotKey(program, L"format", L"gif");
    SetSnapshotKey(program, L"path", L"shots\\");
    SetSnapshotKey(program, L"name", L"f");
    // The file is written by the program's saver thread after the veil is gone.
    DebugMonitor saver;
    REQUIRE(saver.Active());
    bool gif_done = DragSnapshot(program, from, to);
    REQUIRE(gif_done);
    CHECK(saver.WaitForText("snapshot file done", 10000));
    std::wstring gif = JoinPath(shots, L"f" + std::to_wstring(next) + L".gif");
    Pixels pixels = DecodeFile(gif);
    bool saved = pixels.width == kCaptureWidth && pixels.height == kCaptureHeight;
    MESSAGE(check::Format("gif %s", saved ? "saved and readable" : "reported as failed"));
    if (saved) {
        CHECK(WaitFor([&] { return ClipboardText() == gif; }, 5000));
    } else {
        CHECK(WaitFor([&] { return FailureBalloons(shell) == balloons + 1; }, 5000));
        CHECK_EQ(ClipboardText(), std::wstring(L"untouched"));
    }
}

// Each failure: one balloon, no path on the clipboard, the number advanced;
// each in a program of its own, started with the case's settings.ini, with
// one tray shell at a time (the program's icon, and so its balloons, go to
// the one taskbar there is).
TEST_CASE("each_capture_failure_shows_one_balloon_and_advances_the_number")
{
    FreshPicturesFolder(L"shots");
    // A file where a folder should be.
    const std::wstring blocker = JoinPath(MakeTempDir(L"snapblock"), L"afile");
    REQUIRE(WriteTextFile(blocker, "not a folder"));
    TargetOptions options;
    options.pattern = true;
    struct Case { const char* key; std::string value; };
    const Case failures[] = {
        {"format", "xyz"},                 // no encoder
        {"format", ""},                    // no extension
        {"format", "PNG"},                 // encoder types are exact
        {"name", std::string(250, 'n')},   // the name does not fit 260 characters
        {"path", check::Narrow(blocker) + "\\sub\\"},  // a file where the folder should be
    };
    for (const Case& c : failures) {
        TrayShell case_shell;
        REQUIRE(case_shell.Start());
        // The case's key first: the first of two equal keys counts.
        std::string settings = "[snapshot]\r\n" + std::string(c.key) + "=" + c.value +
                               "\r\nintofile=1\r\npath=shots\\\r\nname=f\r\nformat=png\r\nnext=5\r\n";
        Program failing(L"snapfailcase", WithSettings(settings.c_str()));
        TargetWindow target;
        REQUIRE(StartProgramAndTarget(failing, target, options));
        input::Settle(300);
        POINT from, to;
        int x0, y0;
        DragPoints(target.Window(), &from, &to, &x0, &y0);
        PutClipboardText(L"untouched");
        REQUIRE(DragSnapshot(failing, from, to));
        CHECK(WaitFor([&] { return FailureBalloons(case_shell) == 1; }, 10000));
        CHECK_EQ(ClipboardText(), std::wstring(L"untouched"));
        CHECK_EQ(SnapshotKey(failing, L"next"), std::wstring(L"6"));
    }
}

TEST_CASE("a_drag_whose_capture_is_taken_away_is_cancelled_and_its_release_captures_nothing")
{
    Program program(L"snaplost", WithSettings("[snapshot]\r\nintofile=0\r\n"));
    TargetWindow target;
    TargetOptions options;
    options.pattern = true;
    REQUIRE(StartProgramAndTarget(program, target, options));
    input::Settle(300);
    POINT from, to;
    int x0, y0;
    DragPoints(target.Window(), &from, &to, &x0, &y0);
    PutClipboardText(L"untouched");
    DebugMonitor monitor;
    REQUIRE(monitor.Active());

    DWORD_PTR result = 0;
    SendMessageTimeoutW(program.MainWindow(), WM_COMMAND, CmdSnapshot, 0, SMTO_NORMAL, 5000, &result);
    REQUIRE(WaitFor([&] { return OverlayShown(program.MainWindow()); }, 5000));
    input::PlaceCursor(from);
    input::Press(input::Button::Left, from);
    input::MoveTo(POINT{(from.x + to.x) / 2, (from.y + to.y) / 2});
    REQUIRE(monitor.WaitForText("snapshot press", 5000));
    // What the system sends when another window takes the mouse (a dialog
    // box that opens, another application's capture): the window's default
    // handling gives the capture up.
    SendMessageTimeoutW(program.MainWindow(), WM_CANCELMODE, 0, 0, SMTO_NORMAL, 5000, &result);
    CHECK(monitor.WaitForText("snapshot drag cancelled", 5000));
    input::MoveTo(to);
    input::Release(input::Button::Left, to);
    REQUIRE(monitor.WaitForText("snapshot release", 5000));
    CHECK(monitor.Contains("snapshot release, dragging 0"));
    // The veil stays for a new drag; a key closes it, as ever.
    input::Tap(VK_ESCAPE);
    CHECK(WaitFor([&] { return !IsWindowVisible(program.MainWindow()); }, 5000));
    SendMessageTimeoutW(program.MainWindow(), WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
    CHECK(!monitor.Contains("snapshot capture timer"));
    CHECK_EQ(ClipboardText(), std::wstring(L"untouched"));
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("clipboard_capture_holds_the_frame_interior")
{
    Program program(L"snapclip", WithSettings("[snapshot]\r\nintofile=0\r\n"));
    TargetWindow target;
    TargetOptions options;
    options.pattern = true;
    REQUIRE(StartProgramAndTarget(program, target, options));
    input::Settle(300);
    // The third drag starts right after a click at its starting point, so
    // its press comes as a double-click.
    struct Case { bool up_left, click_first; };
    for (Case c : {Case{false, false}, Case{true, false}, Case{false, true}}) {
        PutClipboardText(L"before");
        POINT from, to;
        int x0, y0;
        DragPoints(target.Window(), &from, &to, &x0, &y0, c.up_left);
        if (c.click_first) {
            REQUIRE(DragSnapshot(program, from, from));
            CHECK_EQ(ClipboardText(), std::wstring(L"before"));
        }
        REQUIRE(DragSnapshot(program, from, to));
        Pixels pixels;
        CHECK(WaitFor([&] { return (pixels = ClipboardBitmap()).width != 0; }, 5000));
        Difference d = CompareWithPattern(pixels, x0, y0, kCaptureWidth, kCaptureHeight);
        CHECK_EQ(d.largest, 0);
    }
}

TEST_CASE("watermarks_are_placed_faded_clipped_or_scaled")
{
    const std::wstring marks = FreshPicturesFolder(L"marks");
    constexpr COLORREF kBlue = RGB(0, 0, 255), kGreen = RGB(0, 255, 0);
    ProgramOptions settings = WithSettings(
        "[snapshot]\r\nintofile=1\r\npath=marks\\\r\nname=m\r\nnext=1\r\nformat=png\r\nwatermark_enable=1\r\n");
    settings.files.push_back({L"small.bmp", BmpFile(20, 10, 20, kBlue, kBlue)});
    settings.files.push_back({L"large.bmp", BmpFile(100, 100, 50, kBlue, kGreen)});
    Program program(L"snapmark", settings);
    TargetWindow target;
    TargetOptions options;
    options.pattern = true;
    REQUIRE(StartProgramAndTarget(program, target, options));
    input::Settle(300);
    POINT from, to;
    int x0, y0;
    DragPoints(target.Window(), &from, &to, &x0, &y0);

    // Expected colours at capture pixels; 0xFFFFFFFF stands for the pattern.
    constexpr COLORREF kPattern = 0xFFFFFFFF;
    struct Probe { int x, y; COLORREF colour; };
    struct Case { const wchar_t* file; const wchar_t* pos; const wchar_t* alpha; std::vector<Probe> probes; };
    const Case cases[] = {
        // 20 x 10 in 63 x 40, centred: at (21, 15), drawn by GDI+.
        {L"small.bmp", L"4", L"0", {{21, 15, kBlue}, {40, 24, kBlue}, {20, 15, kPattern}, {41, 25, kPattern}}},
        // Top left, faded with constant alpha 255: opaque.
        {L"small.bmp", L"1", L"255", {{0, 0, kBlue}, {19, 9, kBlue}, {20, 5, kPattern}, {5, 10, kPattern}}},
        // Larger than the capture with a constant alpha: cut at 63 x 40 from its top-left corner.
        {L"large.bmp", L"0", L"255", {{10, 20, kBlue}, {45, 20, kBlue}, {55, 20, kGreen}}},
        // Without: scaled into 63 x 40, so its halves meet near column 31.
        {L"large.bmp", L"0", L"0", {{10, 20, kBlue}, {45, 20, kGreen}, {55, 20, kGreen}}},
        // 256 counts as 0.
        {L"large.bmp", L"3", L"256", {{10, 20, kBlue}, {45, 20, kGreen}}},
        // A missing stamp: saved without one.
        {L"missing.bmp", L"4", L"0", {{0, 0, kPattern}, {31, 20, kPattern}, {62, 39, kPattern}}},
    };
    int number = 1;
    for (const Case& c : cases) {
        SetSnapshotKey(program, L"watermark_path", c.file);
        SetSnapshotKey(program, L"watermark_pos", c.pos);
        SetSnapshotKey(program, L"watermark_alpha", c.alpha);
        MESSAGE(check::Format("stamp %ls at %ls, alpha %ls", c.file, c.pos, c.alpha));
        REQUIRE(DragSnapshot(program, from, to));
        std::wstring file = JoinPath(marks, L"m" + std::to_wstring(number++) + L".png");
        CHECK(WaitFor([&] { return ClipboardText() == file; }, 5000));
        Pixels pixels = DecodeFile(file);
        REQUIRE_EQ(pixels.width, kCaptureWidth);
        for (const Probe& p : c.probes) {
            COLORREF want = p.colour == kPattern ? message_log::TargetPattern(x0 + p.x, y0 + p.y) : p.colour;
            COLORREF got = pixels.At(p.x, p.y);
            const std::string what = check::Narrow(c.file) + " pos " + check::Narrow(c.pos) + " alpha " +
                                     check::Narrow(c.alpha) + ": pixel (" + std::to_string(p.x) + ", " +
                                     std::to_string(p.y) + ") is " + std::to_string(got) + ", expected " +
                                     std::to_string(want);
            CHECK_MESSAGE(Near(got, want), what);
        }
    }
}

namespace {
size_t BalloonsTitled(const TrayShell& shell, const wchar_t* title)
{
    size_t count = 0;
    for (const TrayNotification& n : shell.Notifications())
        if (!n.info.empty() && n.title == title)
            ++count;
    return count;
}

// The capture in the file matches the target's pattern pixel for pixel.
bool HoldsPattern(const std::wstring& file, int x0, int y0)
{
    Pixels pixels = DecodeFile(file);
    Difference d = CompareWithPattern(pixels, x0, y0, kCaptureWidth, kCaptureHeight);
    if (d.largest == 0)
        return true;
    MESSAGE(check::Format("%ls: %d x %d, largest difference %d", file.c_str(), pixels.width, pixels.height,
                          d.largest));
    return false;
}
}  // namespace

TEST_CASE("snapshots_go_to_the_pictures_folder_and_never_over_a_kept_file")
{
    const std::wstring kept = FreshPicturesFolder(L"kept");
    REQUIRE(CreateDirectoryW(kept.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    // An older snapshot kept where the number (reset to 1) points.
    const std::wstring old_file = JoinPath(kept, L"k1.png");
    REQUIRE(WriteTextFile(old_file, "an older snapshot"));
    TrayShell shell;
    REQUIRE(shell.Start());
    DebugMonitor monitor;
    REQUIRE(monitor.Active());
    Program program(L"snapkept",
                    WithSettings("[snapshot]\r\nintofile=1\r\npath=kept\\\r\nname=k\r\nnext=1\r\nformat=png\r\n"));
    TargetWindow target;
    TargetOptions options;
    options.pattern = true;
    REQUIRE(StartProgramAndTarget(program, target, options));
    input::Settle(300);
    POINT from, to;
    int x0, y0;
    DragPoints(target.Window(), &from, &to, &x0, &y0);

    REQUIRE(DragSnapshot(program, from, to));
    const std::wstring second = JoinPath(kept, L"k2.png");
    CHECK(WaitFor([&] { return ClipboardText() == second; }, 5000));
    CHECK(HoldsPattern(second, x0, y0));
    CHECK_EQ(ReadTextFile(old_file), std::string("an older snapshot"));
    CHECK_EQ(SnapshotKey(program, L"next"), std::wstring(L"3"));
    CHECK(!FileExists(JoinPath(program.Dir(), L"kept")));  // not beside the program
    // GDI+ came through the manifest's activation context.
    for (const char* way : {"through the activation context", "from the program's folder", "from the system folder"})
        if (monitor.Contains(std::string("gdiplus.dll loaded ") + way))
            MESSAGE(check::Format("gdiplus.dll loaded %s", way));
    CHECK(monitor.Contains("gdiplus.dll loaded through the activation context"));

    // settings.ini held by a program that lets nobody write it: the number
    // cannot move on, and two captures in quick succession still give two
    // files, each reported.
    HANDLE held = CreateFileW(program.SettingsPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    REQUIRE(held != INVALID_HANDLE_VALUE);
    REQUIRE(DragSnapshot(program, from, to));
    REQUIRE(DragSnapshot(program, from, to));
    const std::wstring third = JoinPath(kept, L"k3.png"), fourth = JoinPath(kept, L"k4.png");
    CHECK(WaitFor([&] { return ClipboardText() == fourth; }, 5000));
    CloseHandle(held);
    CHECK(HoldsPattern(third, x0, y0));
    CHECK(HoldsPattern(fourth, x0, y0));
    CHECK_EQ(SnapshotKey(program, L"next"), std::wstring(L"3"));
    CHECK(WaitFor([&] { return BalloonsTitled(shell, L"Snapshot number not saved") == 2; }, 5000));
    CHECK_EQ(BalloonsTitled(shell, L"Capture file failed!"), size_t(0));
}

TEST_CASE("without_gdiplus_the_file_is_a_bmp_and_the_clipboard_capture_works")
{
    const std::wstring folder = FreshPicturesFolder(L"nogdiplus");
    // Wine loads no gdiplus.dll at all into a process of this name.
    ScopedRegistryValue hidden(L"Software\\Wine\\AppDefaults\\quornvale.exe\\DllOverrides", L"gdiplus", L"");
    REQUIRE(hidden.Set());
    TrayShell shell;
    REQUIRE(shell.Start());
    DebugMonitor monitor;
    REQUIRE(monitor.Active());
    ProgramOptions settings =
        WithSettings("[snapshot]\r\nintofile=1\r\npath=nogdiplus\\\r\nname=b\r\nnext=1\r\nformat=png\r\n"
                     "watermark_enable=1\r\nwatermark_path=stamp.bmp\r\n");
    settings.files.push_back({L"stamp.bmp", BmpFile(20, 10, 20, RGB(0, 0, 255), RGB(0, 0, 255))});
    Program program(L"snapnogdi", settings);
    TargetWindow target;
    TargetOptions options;
    options.pattern = true;
    REQUIRE(StartProgramAndTarget(program, target, options));
    input::Settle(300);
    POINT from, to;
    int x0, y0;
    DragPoints(target.Window(), &from, &to, &x0, &y0);

    REQUIRE(DragSnapshot(program, from, to));
    const std::wstring file = JoinPath(folder, L"b1.bmp");
    CHECK(WaitFor([&] { return ClipboardText() == file; }, 5000));
    CHECK(monitor.WaitForText("gdiplus.dll is not available", 5000));
    CHECK(!FileExists(JoinPath(folder, L"b1.png")));
    // A plain 24-bit BMP with the captured pixels.
    const std::string bytes = ReadTextFile(file);
    REQUIRE(bytes.size() > 54);
    CHECK(bytes[0] == 'B' && bytes[1] == 'M');
    CHECK_EQ(int(bytes[28]), 24);
    // Without the watermark, which needs GDI+; the balloon says both.
    CHECK(HoldsPattern(file, x0, y0));
    CHECK(WaitFor([&] { return BalloonsTitled(shell, L"Snapshot saved as BMP") == 1; }, 5000));
    for (const TrayNotification& n : shell.Notifications())
        if (n.title == L"Snapshot saved as BMP") {
            CHECK_EQ(n.info_flags, unsigned(NIIF_WARNING));
            CHECK(n.info.find(L"without its watermark") != std::wstring::npos);
        }
    CHECK_EQ(SnapshotKey(program, L"next"), std::wstring(L"2"));

    // BMP set anyway: only the watermark is missing, and said so.
    SetSnapshotKey(program, L"format", L"bmp");
    REQUIRE(DragSnapshot(program, from, to));
    const std::wstring second = JoinPath(folder, L"b2.bmp");
    CHECK(WaitFor([&] { return ClipboardText() == second; }, 5000));
    CHECK(HoldsPattern(second, x0, y0));
    CHECK(WaitFor([&] { return BalloonsTitled(shell, L"Snapshot saved without watermark") == 1; }, 5000));
    for (const TrayNotification& n : shell.Notifications())
        if (n.title == L"Snapshot saved without watermark")
            CHECK(n.info.find(L"GDI+") != std::wstring::npos);
    CHECK_EQ(BalloonsTitled(shell, L"Snapshot saved as BMP"), size_t(1));

    // The clipboard never needed GDI+.
    SetSnapshotKey(program, L"intofile", L"0");
    PutClipboardText(L"before");
    REQUIRE(DragSnapshot(program, from, to));
    Pixels pixels;
    CHECK(WaitFor([&] { return (pixels = ClipboardBitmap()).width != 0; }, 5000));
    CHECK_EQ(CompareWithPattern(pixels, x0, y0, kCaptureWidth, kCaptureHeight).largest, 0);
    CHECK_EQ(BalloonsTitled(shell, L"Capture file failed!"), size_t(0));
}

TEST_CASE("at_144_dpi_a_capture_has_exactly_the_selected_pixels")
{
    HighDpiScreen screen;
    REQUIRE(screen.Set());
    struct View {
        View() { g_view_numerator = 96, g_view_denominator = 144; }
        ~View() { g_view_numerator = g_view_denominator = 1; }
    } view;
    DebugMonitor monitor;
    REQUIRE(monitor.Active());
    Program program(L"snapdpi", WithSettings("[snapshot]\r\nintofile=0\r\n"));
    // A DPI-aware target without a frame: its client area starts at its
    // rectangle's corner, in physical pixels, where SendInput points too.
    TargetWindow target;
    TargetOptions options;
    options.pattern = true;
    options.popup = true;
    options.rect = RECT{100, 100, 500, 400};
    REQUIRE(StartProgramAndTarget(program, target, options));
    // The manifest made the program DPI-aware: its coordinates are physical.
    CHECK(monitor.WaitForText("DPI aware 1", 5000));
    input::Settle(300);
    const POINT a = {110, 110}, b = {a.x + kCaptureWidth + 2, a.y + kCaptureHeight + 2};
    for (bool up_left : {false, true}) {
        PutClipboardText(L"before");
        REQUIRE(DragSnapshot(program, up_left ? b : a, up_left ? a : b));
        Pixels pixels;
        CHECK(WaitFor([&] { return (pixels = ClipboardBitmap()).width != 0; }, 5000));
        CHECK_EQ(pixels.width, kCaptureWidth);
        CHECK_EQ(pixels.height, kCaptureHeight);
        // The pattern's own pixels: a shifted capture differs by far more
        // than the rounding of the target's colours at this DPI.
        Difference d = CompareWithPattern(pixels, a.x + 1 - 100, a.y + 1 - 100, kCaptureWidth, kCaptureHeight);
        MESSAGE(check::Format("mean difference %.2f, largest %d", d.mean, d.largest));
        CHECK(d.largest <= 2);
    }
}
