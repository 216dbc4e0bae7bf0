#pragma once
// Copies a screen rectangle into a bitmap on the clipboard, or into an image
// file (optionally stamped with a watermark image) through GDI+, or as a BMP
// of the program's own making where GDI+ is missing.
#include <windows.h>

#include "quornvale/tools/gdiplus_runtime.h"
#include "quornvale/tools/snapshot_file_target.h"

struct WatermarkSpec {
    const wchar_t* image_path;  // null: no watermark
    int position_code;          // see watermark_placement.h
    unsigned char alpha;        // 0: drawn by GDI+ with the image's own alpha
};

// A CF_BITMAP of the rectangle's pixels on the clipboard (layered windows
// included).  False when no bitmap could be made, the rectangle is empty or
// the clipboard could not be opened or did not take the bitmap.
bool CaptureToClipboard(HWND owner, HDC screen, const RECT& r);

// The rectangle's screen pixels in a new bitmap, selected into no DC (the
// caller's to delete); null when none could be made or the rectangle is empty.
HBITMAP CaptureBitmap(HDC screen, const RECT& r);

// The rectangle's pixels into the new snapshot file (snapshot_file_target.h,
// open).  With a usable GDI+ session the file is closed and saved with the
// encoder its extension asks for (snapshot_file_name.h); without one the
// pixels are written into it as BMP, whatever its extension, and without a
// watermark (loading one needs GDI+).  False when no bitmap could be made,
// there is no such encoder, or saving failed.  A watermark whose image
// cannot be loaded is left out.
bool CaptureToFile(HDC screen, const RECT& r, SnapshotFile* file, const WatermarkSpec* spec,
                   const gdiplus::Session& session);
