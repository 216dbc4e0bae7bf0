#pragma once
// The flat GDI+ interface, bound at run time: gdiplus.dll is not part of a
// plain Windows 2000, and an image that imported it would not start there.
// A Session loads the DLL where Windows keeps it (LoadGdiplus), resolves the
// functions the snapshot tool uses and starts GDI+ (version 1, no
// callbacks); it shuts GDI+ down and lets the DLL go when it ends.  Without
// gdiplus.dll, or with a function missing, the session is not usable and
// the callers take their path without GDI+.
#include <windows.h>


namespace gdiplus {

// gdiplus.dll, where Windows keeps it: by name through the program's
// activation context (its manifest asks for Microsoft.Windows.GdiPlus: the
// WinSxS copy of Windows XP and later), else from the program's own folder
// (the redistributable a Windows 2000 user puts there), else from the
// system directory; never from the current directory.  Null when there is
// none.  The caller frees it.
HMODULE LoadGdiplus();

using Status = int;  // 0 is Ok
constexpr Status kOk = 0;
struct GpImage;
struct GpGraphics;
using GpBitmap = GpImage;

struct StartupInput {
    UINT32 version;
    void* debug_event_callback;
    BOOL suppress_background_thread;
    BOOL suppress_external_codecs;
};

struct ImageCodecInfo {
    CLSID clsid;
    GUID format_id;
    const WCHAR* codec_name;
    const WCHAR* dll_name;
    const WCHAR* format_description;
    const WCHAR* filename_extension;
    const WCHAR* mime_type;
    DWORD flags;
    DWORD version;
    DWORD signature_count;
    DWORD signature_size;
    const BYTE* signature_pattern;
    const BYTE* signature_mask;
};

struct Functions {
    Status(WINAPI* Startup)(ULONG_PTR*, const StartupInput*, void*);
    void(WINAPI* Shutdown)(ULONG_PTR);
    Status(WINAPI* CreateBitmapFromFile)(const WCHAR*, GpBitmap**);
    Status(WINAPI* CreateBitmapFromHBITMAP)(HBITMAP, HPALETTE, GpBitmap**);
    Status(WINAPI* CreateHBITMAPFromBitmap)(GpBitmap*, HBITMAP*, DWORD);
    Status(WINAPI* GetImageWidth)(GpImage*, UINT*);
    Status(WINAPI* GetImageHeight)(GpImage*, UINT*);
    Status(WINAPI* CreateFromHDC)(HDC, GpGraphics**);
    Status(WINAPI* DrawImageRectI)(GpGraphics*, GpImage*, INT, INT, INT, INT);
    Status(WINAPI* DeleteGraphics)(GpGraphics*);
    Status(WINAPI* DisposeImage)(GpImage*);
    Status(WINAPI* GetImageEncodersSize)(UINT*, UINT*);
    Status(WINAPI* GetImageEncoders)(UINT, UINT, ImageCodecInfo*);
    Status(WINAPI* SaveImageToFile)(GpImage*, const WCHAR*, const CLSID*, const void*);
};

class Session {
public:
    Session();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Loaded, every function found and GDI+ started.
    explicit operator bool() const { return started_; }
    const Functions& Api() const { return api_; }

private:
    HMODULE library_ = nullptr;
    Functions api_ = {};
    ULONG_PTR token_ = 0;
    bool started_ = false;
};

}  // namespace gdiplus
