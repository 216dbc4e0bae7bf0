#include "quornvale/tools/snapshot_bmp.h"

#include <cstdlib>
#include <cstring>

#include "common/debug_print.h"

namespace {
void Put16(unsigned char* at, unsigned value)
{
    at[0] = static_cast<unsigned char>(value);
    at[1] = static_cast<unsigned char>(value >> 8);
}
void Put32(unsigned char* at, DWORD value)
{
    Put16(at, value & 0xFFFF);
    Put16(at + 2, value >> 16);
}
}  // namespace

bool BmpHeaders(int width, int height, unsigned char (&out)[kBmpHeaderBytes], DWORD* pixel_bytes)
{
    memset(out, 0, sizeof out);
    if (width <= 0 || height <= 0)
        return false;
    unsigned long long row = (static_cast<unsigned long long>(width) * 3 + 3) / 4 * 4;
    unsigned long long pixels = row * static_cast<unsigned long long>(height);
    if (pixels + kBmpHeaderBytes >= 0x80000000ULL)
        return false;
    out[0] = 'B';
    out[1] = 'M';
    Put32(out + 2, static_cast<DWORD>(pixels + kBmpHeaderBytes));  // file size
    Put32(out + 10, kBmpHeaderBytes);                                // pixel offset
    Put32(out + 14, 40);                                             // BITMAPINFOHEADER
    Put32(out + 18, static_cast<DWORD>(width));
    Put32(out + 22, static_cast<DWORD>(height));  // positive: bottom-up
    Put16(out + 26, 1);                           // planes
    Put16(out + 28, 24);                          // bits a pixel
    Put32(out + 34, static_cast<DWORD>(pixels));  // BI_RGB, image size
    Put32(out + 38, 2835);                        // 72 dots an inch
    Put32(out + 42, 2835);
    *pixel_bytes = static_cast<DWORD>(pixels);
    return true;
}

bool WriteBmpFile(HDC reference, HBITMAP bitmap, int width, int height, HANDLE file)
{
    unsigned char headers[kBmpHeaderBytes];
    DWORD pixel_bytes = 0;
    if (!BmpHeaders(width, height, headers, &pixel_bytes))
        return false;
    void* pixels = malloc(pixel_bytes);
    if (!pixels) {
        DebugPrint(L"No memory for %lu bytes of BMP pixels\n", pixel_bytes);
        return false;
    }
    BITMAPINFO info = {};
    memcpy(&info.bmiHeader, headers + 14, sizeof info.bmiHeader);
    int rows = GetDIBits(reference, bitmap, 0, static_cast<UINT>(height), pixels, &info, DIB_RGB_COLORS);
    DWORD written_headers = 0, written_pixels = 0;
    bool written = rows == height && WriteFile(file, headers, kBmpHeaderBytes, &written_headers, nullptr) &&
                   written_headers == kBmpHeaderBytes &&
                   WriteFile(file, pixels, pixel_bytes, &written_pixels, nullptr) && written_pixels == pixel_bytes;
    if (!written)
        DebugPrint(L"Writing a %d x %d BMP failed (%d rows read), error %lu\n", width, height, rows, GetLastError());
    free(pixels);
    return written;
}
