#include "quornvale/tools/snapshot_capture.h"

#include <cwchar>

#include "common/debug_print.h"
#include "quornvale/tools/snapshot_bmp.h"
#include "quornvale/tools/snapshot_encoder.h"
#include "quornvale/tools/snapshot_file_name.h"
#include "quornvale/tools/watermark_placement.h"

namespace {
// SRCCOPY with CAPTUREBLT: layered windows (the overlay too) are part of the copy.
constexpr DWORD kCaptureRop = SRCCOPY | CAPTUREBLT;
constexpr DWORD kOpaqueWhite = 0xFFFFFFFF;  // ARGB

struct MemoryDc {
    HDC dc;
    explicit MemoryDc(HDC like) : dc(CreateCompatibleDC(like)) {}
    ~MemoryDc() { if (dc) DeleteDC(dc); }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
};

struct Bitmap {
    HBITMAP handle = nullptr;
    ~Bitmap() { if (handle) DeleteObject(handle); }
    HBITMAP Release() { HBITMAP h = handle; handle = nullptr; return h; }
};

// Selects an object for a scope and puts the previous one back.
struct Selection {
    HDC dc;
    HGDIOBJ previous;
    Selection(HDC d, HGDIOBJ object) : dc(d), previous(SelectObject(d, object)) {}
    ~Selection() { if (previous) SelectObject(dc, previous); }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;
};

// The rectangle's screen pixels in a new bitmap, drawn through `memory`.
bool CopyScreen(HDC screen, HDC memory, const RECT& r, Bitmap* bitmap)
{
    if (!memory || IsRectEmpty(&r))
        return false;
    int width = r.right - r.left, height = r.bottom - r.top;
    bitmap->handle = CreateCompatibleBitmap(screen, width, height);
    if (!bitmap->handle) {
        DebugPrint(L"CreateCompatibleBitmap %d x %d failed, error %lu\n", width, height, GetLastError());
        return false;
    }
    Selection selected(memory, bitmap->handle);
    // A copy that failed leaves the new bitmap black: no picture at all is
    // the honest result.
    if (!BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, kCaptureRop)) {
        DebugPrint(L"BitBlt of the screen failed, error %lu\n", GetLastError());
        return false;
    }
    return true;
}

struct LoadedImage {
    const gdiplus::Functions& api;
    gdiplus::GpBitmap* image = nullptr;
    explicit LoadedImage(const gdiplus::Functions& a) : api(a) {}
    ~LoadedImage() { if (image) api.DisposeImage(image); }
    LoadedImage(const LoadedImage&) = delete;
    LoadedImage& operator=(const LoadedImage&) = delete;
};

void StampWatermark(const gdiplus::Functions& api, HDC memory, int width, int height,
                    const WatermarkSpec& spec)
{
    LoadedImage stamp(api);
    if (api.CreateBitmapFromFile(spec.image_path, &stamp.image) != gdiplus::kOk || !stamp.image) {
        DebugPrint(L"Watermark %ls could not be loaded\n", spec.image_path);
        return;
    }
    UINT image_width = 0, image_height = 0;
    api.GetImageWidth(stamp.image, &image_width);
    api.GetImageHeight(stamp.image, &image_height);
    WatermarkPlacement at = PlaceWatermark(static_cast<int>(image_width), static_cast<int>(image_height),
                                           width, height, spec.position_code);
    if (spec.alpha != 0) {
        // Faded by the constant alpha, unscaled: a larger stamp is cut at the
        // capture's size from its top-left corner.
        Bitmap converted;
        if (api.CreateHBITMAPFromBitmap(stamp.image, &converted.handle, kOpaqueWhite) != gdiplus::kOk ||
            !converted.handle)
            return;
        MemoryDc source(memory);
        if (!source.dc)
            return;
        Selection selected(source.dc, converted.handle);
        BLENDFUNCTION blend = {AC_SRC_OVER, 0, spec.alpha, AC_SRC_ALPHA};
        if (!AlphaBlend(memory, at.x, at.y, at.width, at.height, source.dc, 0, 0, at.width, at.height, blend))
            DebugPrint(L"AlphaBlend of the watermark failed, error %lu\n", GetLastError());
        return;
    }
    // The image's own transparency, scaled into the stamp's area.
    gdiplus::GpGraphics* graphics = nullptr;
    if (api.CreateFromHDC(memory, &graphics) != gdiplus::kOk || !graphics)
        return;
    api.DrawImageRectI(graphics, stamp.image, at.x, at.y, at.width, at.height);
    api.DeleteGraphics(graphics);
}

// The GIF encoder has to reduce the capture to 256 colours on its own, and
// some GIF encoders report success for a file that nothing can read: its
// captures count only when the file loads back with the captured size.
bool MustReadBack(const wchar_t* mime)
{
    return wcscmp(mime, L"image/gif") == 0;
}

// Whether the saved file loads back with the captured size.
bool SavedFileReadsBack(const gdiplus::Functions& api, const wchar_t* file, int width, int height)
{
    LoadedImage saved(api);
    UINT saved_width = 0, saved_height = 0;
    bool readable = api.CreateBitmapFromFile(file, &saved.image) == gdiplus::kOk && saved.image &&
                    api.GetImageWidth(saved.image, &saved_width) == gdiplus::kOk &&
                    api.GetImageHeight(saved.image, &saved_height) == gdiplus::kOk &&
                    saved_width == static_cast<UINT>(width) && saved_height == static_cast<UINT>(height);
    if (!readable)
        DebugPrint(L"Saved %ls does not read back as a %d x %d image\n", file, width, height);
    return readable;
}
}  // namespace

HBITMAP CaptureBitmap(HDC screen, const RECT& r)
{
    Bitmap bitmap;
    {
        MemoryDc memory(screen);
        if (!CopyScreen(screen, memory.dc, r, &bitmap))
            return nullptr;
    }
    return bitmap.Release();
}

bool CaptureToClipboard(HWND owner, HDC screen, const RECT& r)
{
    MemoryDc memory(screen);
    Bitmap bitmap;
    if (!CopyScreen(screen, memory.dc, r, &bitmap))
        return false;
    if (!OpenClipboard(owner)) {
        DebugPrint(L"OpenClipboard failed, error %lu\n", GetLastError());
        return false;
    }
    EmptyClipboard();
    bool placed = SetClipboardData(CF_BITMAP, bitmap.handle) != nullptr;
    if (placed)
        bitmap.Release();  // the clipboard's now
    else
        DebugPrint(L"SetClipboardData(CF_BITMAP) failed, error %lu\n", GetLastError());
    CloseClipboard();
    return placed;
}

bool CaptureToFile(HDC screen, const RECT& r, SnapshotFile* file, const WatermarkSpec* spec,
                   const gdiplus::Session& session)
{
    MemoryDc memory(screen);
    Bitmap bitmap;
    if (!file || !CopyScreen(screen, memory.dc, r, &bitmap))
        return false;
    const int width = r.right - r.left, height = r.bottom - r.top;
    if (!session)
        return WriteBmpFile(screen, bitmap.handle, width, height, file->handle);
    const gdiplus::Functions& api = session.Api();
    wchar_t mime[20];
    CLSID encoder = {};
    if (!EncoderMimeType(file->path, mime, 20) || FindEncoderClsid(api, mime, &encoder) < 0)
        return false;
    if (spec && spec->image_path) {
        Selection selected(memory.dc, bitmap.handle);
        StampWatermark(api, memory.dc, width, height, *spec);
    }
    LoadedImage image(api);
    if (api.CreateBitmapFromHBITMAP(bitmap.handle, nullptr, &image.image) != gdiplus::kOk || !image.image)
        return false;
    // GDI+ writes by name: the empty file made for this snapshot is
    // replaced, no other.
    CloseSnapshotFile(file, false);
    gdiplus::Status status = api.SaveImageToFile(image.image, file->path, &encoder, nullptr);
    if (status != gdiplus::kOk) {
        DebugPrint(L"Saving %ls failed, status %d\n", file->path, status);
        return false;
    }
    // Reading back costs about half a save again, so only the file of an
    // encoder that has to convert the capture itself is checked.
    return !MustReadBack(mime) || SavedFileReadsBack(api, file->path, width, height);
}
