#include "quornvale/tools/snapshot_encoder.h"

#include <cstdlib>
#include <cwchar>

#include "common/debug_print.h"

int FindEncoderClsid(const gdiplus::Functions& api, const wchar_t* mime, CLSID* clsid)
{
    UINT count = 0, bytes = 0;
    if (!mime || api.GetImageEncodersSize(&count, &bytes) != gdiplus::kOk || bytes == 0)
        return -1;
    auto* codecs = static_cast<gdiplus::ImageCodecInfo*>(malloc(bytes));
    if (!codecs)
        return -1;
    int found = -1;
    if (api.GetImageEncoders(count, bytes, codecs) == gdiplus::kOk) {
        for (UINT i = 0; i < count; ++i) {
            if (codecs[i].mime_type && wcscmp(codecs[i].mime_type, mime) == 0) {
                if (clsid)
                    *clsid = codecs[i].clsid;
                found = static_cast<int>(i);
                break;
            }
        }
    }
    free(codecs);
    if (found < 0)
        DebugPrint(L"No image encoder for %ls\n", mime);
    return found;
}
