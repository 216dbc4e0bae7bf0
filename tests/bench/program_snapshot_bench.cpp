// Cost of a 1920 x 1080 snapshot saved as PNG through the program's own path
// (per capture a GDI+ session: gdiplus.dll loaded and GDI+ started, the file
// made new, CaptureToFile: the encoder looked up, the file saved; then GDI+
// shut down and the DLL let go) against
// the cheapest sound path for one capture in the same state: gdiplus.dll
// bound at run time as a program for Windows 2000 must, GDI+ started, a bare
// BitBlt, a save with the PNG encoder's known CLSID, GDI+ shut down and the
// DLL let go.  Nothing in this process keeps GDI+ loaded between captures,
// as in the program.  Both alternate in one process (goal: at most 1.2).
//
// Under Wine's 1280 x 1024 virtual desktop the part of the rectangle outside
// the desktop is black in both files alike; the desktop part shows a window
// painted with a busy pattern, so the encoder has real work.
#include <windows.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "quornvale/tools/snapshot_capture.h"
#include "tests/bench/bench_ratio.h"

namespace {
struct GpImage;
struct StartupInputFlat {
    UINT32 version;
    void* callback;
    BOOL no_thread;
    BOOL no_codecs;
};
// The PNG encoder of GDI+ (Windows and Wine alike).
constexpr CLSID kPngEncoder = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

template <typename Fn>
bool Bind(HMODULE dll, const char* name, Fn* fn)
{
    *fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(dll, name)));
    return *fn != nullptr;
}

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

// The cheapest sound capture into a PNG file.
bool BareCapture(HDC screen, const RECT& r, const wchar_t* file)
{
    wchar_t path[MAX_PATH];
    UINT n = GetSystemDirectoryW(path, MAX_PATH);
    if (n == 0 || n + 13 >= MAX_PATH)
        return false;
    lstrcpyW(path + n, L"\\gdiplus.dll");
    HMODULE dll = LoadLibraryW(path);
    if (!dll)
        return false;
    int(WINAPI * startup)(ULONG_PTR*, const StartupInputFlat*, void*);
    void(WINAPI * shutdown)(ULONG_PTR);
    int(WINAPI * from_hbitmap)(HBITMAP, HPALETTE, GpImage**);
    int(WINAPI * save)(GpImage*, const WCHAR*, const CLSID*, const void*);
    int(WINAPI * dispose)(GpImage*);
    ULONG_PTR token = 0;
    StartupInputFlat input = {1, nullptr, FALSE, FALSE};
    bool ok = Bind(dll, "GdiplusStartup", &startup) && Bind(dll, "GdiplusShutdown", &shutdown) &&
              Bind(dll, "GdipCreateBitmapFromHBITMAP", &from_hbitmap) &&
              Bind(dll, "GdipSaveImageToFile", &save) && Bind(dll, "GdipDisposeImage", &dispose) &&
              startup(&token, &input, nullptr) == 0;
    if (ok) {
        int w = r.right - r.left, h = r.bottom - r.top;
        HDC memory = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
        HGDIOBJ old = SelectObject(memory, bitmap);
        ok = BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY | CAPTUREBLT) != 0;
        SelectObject(memory, old);
        GpImage* image = nullptr;
        ok = ok && from_hbitmap(bitmap, nullptr, &image) == 0 && save(image, file, &kPngEncoder, nullptr) == 0;
        if (image)
            dispose(image);
        DeleteObject(bitmap);
        DeleteDC(memory);
        shutdown(token);
    }
    FreeLibrary(dll);
    return ok;
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

    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring product_file = std::wstring(temp) + L"qv-bench-product.png";
    std::wstring bare_file = std::wstring(temp) + L"qv-bench-bare.png";
    const RECT r = {0, 0, 1920, 1080};
    HDC screen = GetDC(nullptr);

    if (GetModuleHandleW(L"gdiplus.dll"))
        printf("note: gdiplus.dll is loaded before the first capture\n");
    // One capture a slice: two of each kind a round, in alternating order.
    RatioPlan plan;
    plan.rounds = 7;
    plan.slices = 2;
    plan.calls = 1;
    bool ok = true;
    auto ratios = InterleavedRatios(
        plan,
        [&] {
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
        },
        [&] { ok &= BareCapture(screen, r, bare_file.c_str()); });
    ReleaseDC(nullptr, screen);
    DeleteFileW(product_file.c_str());
    DeleteFileW(bare_file.c_str());
    DestroyWindow(pattern);
    if (!ok) {
        printf("a capture failed\n");
        ratios.clear();
    }
    ReportFigure("snapshot 1920 x 1080 PNG, CaptureToFile / cheapest sound capture", 1.2, ratios);
    return ok ? 0 : 1;
}
