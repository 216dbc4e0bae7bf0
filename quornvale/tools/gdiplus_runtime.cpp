#include "quornvale/tools/gdiplus_runtime.h"

#include "common/debug_print.h"

namespace gdiplus {

namespace {
template <typename Fn>
bool Bind(const SystemLibrary& library, Fn& fn, const char* name)
{
    fn = library.Function<Fn>(name);
    if (!fn)
        DebugPrintA("gdiplus.dll has no %s\n", name);
    return fn != nullptr;
}
}  // namespace

Session::Session() : library_(L"gdiplus.dll")
{
    if (!library_) {
        DebugPrint(L"gdiplus.dll could not be loaded, error %lu\n", GetLastError());
        return;
    }
    bool all = Bind(library_, api_.Startup, "GdiplusStartup") &
               Bind(library_, api_.Shutdown, "GdiplusShutdown") &
               Bind(library_, api_.CreateBitmapFromFile, "GdipCreateBitmapFromFile") &
               Bind(library_, api_.CreateBitmapFromHBITMAP, "GdipCreateBitmapFromHBITMAP") &
               Bind(library_, api_.CreateHBITMAPFromBitmap, "GdipCreateHBITMAPFromBitmap") &
               Bind(library_, api_.GetImageWidth, "GdipGetImageWidth") &
               Bind(library_, api_.GetImageHeight, "GdipGetImageHeight") &
               Bind(library_, api_.CreateFromHDC, "GdipCreateFromHDC") &
               Bind(library_, api_.DrawImageRectI, "GdipDrawImageRectI") &
               Bind(library_, api_.DeleteGraphics, "GdipDeleteGraphics") &
               Bind(library_, api_.DisposeImage, "GdipDisposeImage") &
               Bind(library_, api_.GetImageEncodersSize, "GdipGetImageEncodersSize") &
               Bind(library_, api_.GetImageEncoders, "GdipGetImageEncoders") &
               Bind(library_, api_.SaveImageToFile, "GdipSaveImageToFile");
    if (!all)
        return;
    StartupInput input = {1, nullptr, FALSE, FALSE};
    Status status = api_.Startup(&token_, &input, nullptr);
    if (status != kOk) {
        DebugPrint(L"GdiplusStartup failed, status %d\n", status);
        return;
    }
    started_ = true;
}

Session::~Session()
{
    if (started_)
        api_.Shutdown(token_);
}

}  // namespace gdiplus
