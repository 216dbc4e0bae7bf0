#pragma once
// The GDI+ encoder of a MIME type.
#include <windows.h>

#include "quornvale/tools/gdiplus_runtime.h"

// Index of the first installed encoder whose MIME type equals mime exactly
// (case-sensitive), its CLSID copied out; -1 when there is none.
int FindEncoderClsid(const gdiplus::Functions& api, const wchar_t* mime, CLSID* clsid);
