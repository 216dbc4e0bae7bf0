#pragma once
// What a file snapshot saved without GDI+ tells the user: the BMP it
// became instead of the format set, and the watermark it went without
// (loading a watermark image needs GDI+).  Pure.
#include <windows.h>

struct SnapshotNotice {
    bool show;
    UINT title_id, text_id;  // string resources
};
// has_gdiplus: the capture was encoded by GDI+; format_is_bmp: the format
// set is BMP anyway; watermark_wanted: a watermark is switched on and its
// image can be read.
SnapshotNotice NoGdiplusNotice(bool has_gdiplus, bool format_is_bmp, bool watermark_wanted);
