#pragma once
// Copies a screen rectangle into a bitmap on the clipboard, or into an image
// file (optionally stamped with a watermark image) through GDI+.
#include <windows.h>

struct WatermarkSpec {
    const wchar_t* image_path;  // null: no watermark
    int position_code;          // see watermark_placement.h
    unsigned char alpha;        // 0: drawn by GDI+ with the image's own alpha
};

// A CF_BITMAP of the rectangle's pixels on the clipboard (layered windows
// included).  False when no bitmap could be made, the rectangle is empty or
// the clipboard could not be opened or did not take the bitmap.
bool CaptureToClipboard(HWND owner, HDC screen, const RECT& r);

// The rectangle's pixels saved to the file with the encoder its extension
// asks for (snapshot_file_name.h).  False when no bitmap could be made,
// GDI+ is not available, there is no such encoder, or saving failed.  A
// watermark whose image cannot be loaded is left out.
bool CaptureToFile(HDC screen, const RECT& r, const wchar_t* file, const WatermarkSpec* spec);
