#pragma once
// Snapshot files in BMP written by the program itself: the format that needs
// no GDI+ (a plain Windows 2000 has none).  24 bits a pixel, rows bottom-up.
#include <windows.h>

constexpr int kBmpHeaderBytes = 54;  // BITMAPFILEHEADER + BITMAPINFOHEADER

// Pure: the headers of a width x height 24-bit BMP file into out, and the
// count of pixel bytes that follow them (rows padded to 4 bytes).  False
// when a side is not positive or the file would not stay below 2 GB.
bool BmpHeaders(int width, int height, unsigned char (&out)[kBmpHeaderBytes], DWORD* pixel_bytes);

// The bitmap (selected into no DC) as a BMP file written to `file` from its
// current position.  False when its pixels cannot be read or written.
bool WriteBmpFile(HDC reference, HBITMAP bitmap, int width, int height, HANDLE file);
