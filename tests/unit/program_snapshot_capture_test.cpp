// The snapshot's copy of the screen: a copy that fails puts no picture on
// the clipboard and writes no file (a failed BitBlt leaves the new bitmap
// black, which is no snapshot of anything).
#include <windows.h>

#include <string>

#include "quornvale/tools/snapshot_capture.h"
#include "tests/framework/check.h"
#include "tests/scenario/support/harness.h"

using namespace scenario;

namespace {
// A context that bitmaps can be made compatible with but that no pixels can
// be copied from: an enhanced metafile records drawing, it holds no picture.
struct UnreadableScreen {
    HDC dc = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
    ~UnreadableScreen()
    {
        if (dc)
            DeleteEnhMetaFile(CloseEnhMetaFile(dc));
    }
};

// A file capture as the program makes one: the file made new, GDI+ started
// for it; a capture that fails leaves no file behind.
bool CaptureIntoNewFile(HDC screen, const RECT& r, const std::wstring& path)
{
    gdiplus::Session session;
    SnapshotFile file = {};
    lstrcpynW(file.path, path.c_str(), kSnapshotPathChars);
    file.handle = CreateFileW(file.path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file.handle == INVALID_HANDLE_VALUE)
        return false;
    const bool ok = CaptureToFile(screen, r, &file, nullptr, session);
    CloseSnapshotFile(&file, !ok);
    return ok;
}

bool ClipboardHasBitmap()
{
    if (!OpenClipboard(nullptr))
        return false;
    const bool has = IsClipboardFormatAvailable(CF_BITMAP) != FALSE;
    CloseClipboard();
    return has;
}
}  // namespace

TEST_CASE("a_screen_copy_that_fails_gives_no_picture_on_the_clipboard_or_in_a_file")
{
    const RECT r = {0, 0, 16, 16};
    UnreadableScreen unreadable;
    REQUIRE(unreadable.dc != nullptr);
    {
        // The double is what it claims: a bitmap can be made for it, a copy
        // from it fails.
        HBITMAP bitmap = CreateCompatibleBitmap(unreadable.dc, 16, 16);
        HDC memory = CreateCompatibleDC(unreadable.dc);
        REQUIRE(bitmap != nullptr);
        REQUIRE(memory != nullptr);
        HGDIOBJ old = SelectObject(memory, bitmap);
        CHECK(!BitBlt(memory, 0, 0, 16, 16, unreadable.dc, 0, 0, SRCCOPY));
        SelectObject(memory, old);
        DeleteDC(memory);
        DeleteObject(bitmap);
    }
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
    CHECK(!CaptureToClipboard(nullptr, unreadable.dc, r));
    CHECK(!ClipboardHasBitmap());

    const std::wstring file = JoinPath(MakeTempDir(L"capture"), L"shot.png");
    CHECK(!CaptureIntoNewFile(unreadable.dc, r, file));
    CHECK(!FileExists(file));

    // The same calls with the real screen do put a picture there.
    HDC screen = GetDC(nullptr);
    REQUIRE(screen != nullptr);
    CHECK(CaptureToClipboard(nullptr, screen, r));
    CHECK(ClipboardHasBitmap());
    CHECK(CaptureIntoNewFile(screen, r, file));
    CHECK(FileExists(file));
    ReleaseDC(nullptr, screen);
}
