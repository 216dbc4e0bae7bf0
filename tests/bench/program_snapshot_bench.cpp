// Cost of a 1920 x 1080 snapshot saved as PNG through the program's own path
// (a GDI+ session loaded and started for the capture, the file made new,
// CaptureToFile: the encoder looked up, the file saved) against the least that
// any such capture costs: a bare BitBlt and a GDI+ save of the same screen
// rectangle, with GDI+ started once and the encoder known.  Both run
// alternately in one process; prints the ratio of the medians.
//
// Under Wine's 1280 x 1024 virtual desktop the part of the rectangle outside
// the desktop is black in both files alike; the desktop part shows a window
// painted with a busy pattern, so the encoder has real work.
#include <windows.h>
#include <stdio.h>

#include <algorithm>
#include <string>
#include <vector>

#include "quornvale/tools/snapshot_capture.h"
#include "tests/bench/bench_clock.h"

extern "C" {
struct GpImage;
struct StartupInputFlat {
    UINT32 version;
    void* callback;
    BOOL no_thread;
    BOOL no_codecs;
};
int WINAPI GdiplusStartup(ULONG_PTR*, const StartupInputFlat*, void*);
void WINAPI GdiplusShutdown(ULONG_PTR);
int WINAPI GdipCreateBitmapFromHBITMAP(HBITMAP, HPALETTE, GpImage**);
int WINAPI GdipSaveImageToFile(GpImage*, const WCHAR*, const CLSID*, const void*);
int WINAPI GdipDisposeImage(GpImage*);
}

namespace {
constexpr int kRounds = 7;
// The PNG encoder of GDI+ (Windows and Wine alike).
constexpr CLSID kPngEncoder = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

LRESULT CALLBACK PatternProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(wnd, &ps);
        RECT client;
        GetClientRect(wnd, &client);
        for (int y = 0; y < client.bottom; y += 8)
            for (int x = 0; x < client.right; x += 8) {
                RECT cell = {x, y, x + 8, y + 8};
                HBRUSH brush = CreateSolidBrush(RGB((x * 7 + y) & 255, (y * 3) & 255, (x ^ y) & 255));
                FillRect(dc, &cell, brush);
                DeleteObject(brush);
            }
        EndPaint(wnd, &ps);
        return 0;
    }
    return DefWindowProcW(wnd, msg, wp, lp);
}

bool BareCapture(HDC screen, const RECT& r, const wchar_t* file)
{
    int w = r.right - r.left, h = r.bottom - r.top;
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY | CAPTUREBLT);
    SelectObject(memory, old);
    GpImage* image = nullptr;
    bool ok = GdipCreateBitmapFromHBITMAP(bitmap, nullptr, &image) == 0 &&
              GdipSaveImageToFile(image, file, &kPngEncoder, nullptr) == 0;
    if (image)
        GdipDisposeImage(image);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return ok;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
}  // namespace

int main()
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = PatternProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QvSnapshotBenchPattern";
    RegisterClassW(&wc);
    HWND pattern = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0,
                                   GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr,
                                   nullptr, wc.hInstance, nullptr);
    UpdateWindow(pattern);

    ULONG_PTR token = 0;
    StartupInputFlat input = {1, nullptr, FALSE, FALSE};
    if (GdiplusStartup(&token, &input, nullptr) != 0) {
        printf("GDI+ does not start\n");
        return 1;
    }
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring product_file = std::wstring(temp) + L"qv-bench-product.png";
    std::wstring bare_file = std::wstring(temp) + L"qv-bench-bare.png";
    const RECT r = {0, 0, 1920, 1080};
    HDC screen = GetDC(nullptr);

    std::vector<double> product, bare;
    bool ok = true;
    for (int round = 0; round < kRounds; ++round) {
        double start = BenchNow();
        {
            // As a file capture of the program: GDI+ loaded and started for
            // it, the file made new first.
            gdiplus::Session session;
            SnapshotFile file = {};
            lstrcpynW(file.path, product_file.c_str(), kSnapshotPathChars);
            DeleteFileW(file.path);
            file.handle = CreateFileW(file.path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
            ok &= file.handle != INVALID_HANDLE_VALUE && CaptureToFile(screen, r, &file, nullptr, session);
            CloseSnapshotFile(&file, false);
        }
        product.push_back(BenchNow() - start);
        start = BenchNow();
        ok &= BareCapture(screen, r, bare_file.c_str());
        bare.push_back(BenchNow() - start);
    }
    ReleaseDC(nullptr, screen);
    GdiplusShutdown(token);
    DeleteFileW(product_file.c_str());
    DeleteFileW(bare_file.c_str());
    DestroyWindow(pattern);
    if (!ok) {
        printf("a capture failed\n");
        return 1;
    }
    double ratio = Median(product) / Median(bare);
    printf("1920 x 1080 PNG snapshot, %d rounds: CaptureToFile / bare BitBlt + GDI+ save = %.2f (goal <= 1.2)\n",
           kRounds, ratio);
    return 0;
}
