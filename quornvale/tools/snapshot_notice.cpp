#include "quornvale/tools/snapshot_notice.h"

#include "quornvale/resources/resource.h"

SnapshotNotice NoGdiplusNotice(bool has_gdiplus, bool format_is_bmp, bool watermark_wanted)
{
    if (has_gdiplus || (format_is_bmp && !watermark_wanted))
        return {false, 0, 0};
    if (format_is_bmp)
        return {true, IDS_WATERMARK_SKIPPED_TITLE, IDS_WATERMARK_SKIPPED_TEXT};
    const UINT text = watermark_wanted ? IDS_FORMAT_REPLACED_NO_WATERMARK_TEXT : IDS_FORMAT_REPLACED_TEXT;
    return {true, IDS_FORMAT_REPLACED_TITLE, text};
}
