// The snapshot tool's decisions: selection geometry (negative virtual-screen
// origins included), the size label, watermark placement, file names and
// encoder types, the folder and the new numbered file made from
// settings.ini, and BMP headers.
#include <string>

#include "quornvale/shell/settings.h"
#include "quornvale/tools/snapshot_bmp.h"
#include "quornvale/tools/snapshot_file_name.h"
#include "quornvale/tools/snapshot_file_target.h"
#include "quornvale/tools/snapshot_folder.h"
#include "quornvale/tools/snapshot_geometry.h"
#include "quornvale/tools/snapshot_notice.h"
#include "quornvale/resources/resource.h"
#include "quornvale/tools/watermark_placement.h"
#include "tests/framework/check.h"
#include "tests/scenario/support/harness.h"

using namespace scenario;

namespace {
bool Same(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
std::string Show(const RECT& r)
{
    char b[80];
    snprintf(b, sizeof b, "(%ld, %ld, %ld, %ld)", r.left, r.top, r.right, r.bottom);
    return b;
}
}  // namespace

TEST_CASE("greatest_common_divisor_and_too_small_selections")
{
    struct { int a, b, gcd; } gcds[] = {{1024, 768, 256}, {0, 5, 1}, {7, 0, 1}, {-12, 18, 6},
                                        {17, 5, 1}, {INT_MIN, 2, 2}, {INT_MIN, INT_MIN, 0}};
    for (auto& c : gcds)
        if (c.gcd)
            CHECK_EQ(GreatestCommonDivisor(c.a, c.b), c.gcd);
    CHECK(GreatestCommonDivisor(INT_MIN, INT_MIN) != 0);  // no division by zero, no crash
    struct { RECT r; bool small; } sizes[] = {
        {{10, 10, 10, 10}, true}, {{10, 10, 11, 50}, true}, {{10, 10, 50, 11}, true},
        {{10, 10, 12, 12}, false}, {{-5, -5, 100, 100}, false},
        {{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, false},  // 64-bit squares
    };
    for (auto& c : sizes)
        CHECK_EQ(IsSelectionTooSmall(c.r, 1), c.small);
}

TEST_CASE("capture_rectangle_is_the_frame_interior_in_screen_coordinates")
{
    // Overlay origin = virtual-screen origin; the virtual screen limits the capture.
    struct Case { RECT selection; POINT origin; RECT screen; RECT expected; };
    Case cases[] = {
        // Primary monitor only.
        {{100, 50, 300, 250}, {0, 0}, {0, 0, 1280, 1024}, {101, 51, 299, 249}},
        // Dragged up and left: the same pixels.
        {{300, 250, 100, 50}, {0, 0}, {0, 0, 1280, 1024}, {101, 51, 299, 249}},
        // A monitor left of and above the primary: client (0, 0) is screen (-1920, -1080).
        {{10, 20, 1930, 1100}, {-1920, -1080}, {-1920, -1080, 1280, 1024}, {-1909, -1059, 9, 19}},
        {{1930, 1100, 10, 20}, {-1920, -1080}, {-1920, -1080, 1280, 1024}, {-1909, -1059, 9, 19}},
        // Past the virtual screen's edge: cut there.
        {{-40, -40, 50, 50}, {-100, -100}, {-100, -100, 100, 100}, {-100, -100, -51, -51}},
        // Nothing inside the frame.
        {{10, 10, 12, 40}, {0, 0}, {0, 0, 100, 100}, {0, 0, 0, 0}},
    };
    for (auto& c : cases) {
        RECT r = CaptureRectangle(c.selection, c.origin, c.screen);
        const std::string what = Show(c.selection) + " gives " + Show(r) + ", expected " + Show(c.expected);
        CHECK_MESSAGE(Same(r, c.expected), what);
    }
}

TEST_CASE("pointer_outside_the_overlay_is_clamped")
{
    struct { int x, y; POINT expected; } cases[] = {
        {5, 6, {5, 6}}, {-3, 7, {0, 7}}, {5000, -20, {1279, 0}}, {1279, 1023, {1279, 1023}},
        {1400, 2000, {1279, 1023}},
    };
    for (auto& c : cases) {
        POINT p = SelectionPoint(MAKELPARAM(c.x, c.y), SIZE{1280, 1024});
        CHECK_EQ(p.x, c.expected.x);
        CHECK_EQ(p.y, c.expected.y);
    }
}

TEST_CASE("size_label_text_and_place_for_both_drag_directions")
{
    struct Case { POINT start, pointer; const wchar_t* text; RECT rect; bool right; };
    Case cases[] = {
        // A 1026 x 770 frame dragged down-right: interior 1024 x 768, label above, left-aligned.
        {{100, 100}, {1126, 870}, L"1024 x 768 (4 : 3)", {101, 76, 301, 96}, false},
        // The same frame dragged up-left: same text, right-aligned left of and below the start.
        {{1126, 870}, {100, 100}, L"1024 x 768 (4 : 3)", {927, 876, 1127, 896}, true},
        // An interior 0 wide: "0 x h (0 : h)".
        {{100, 100}, {101, 301}, L"0 x 199 (0 : 199)", {-99, 76, 101, 96}, true},
        {{100, 100}, {102, 301}, L"0 x 199 (0 : 199)", {-99, 76, 101, 96}, true},
        {{500, 500}, {497, 300}, L"1 x 198 (1 : 198)", {301, 506, 501, 526}, true},
    };
    for (auto& c : cases) {
        SizeLabel label = PlaceSizeLabel(c.start, c.pointer);
        wchar_t text[64];
        FormatSizeLabel(label.inner, text, 64);
        CHECK_EQ(std::wstring(text), std::wstring(c.text));
        const std::string what = "label at " + Show(label.rect);
        CHECK_MESSAGE(Same(label.rect, c.rect), what);
        CHECK_EQ(label.align_right, c.right);
    }
    wchar_t tiny[5];
    FormatSizeLabel(RECT{0, 0, 1024, 768}, tiny, 5);
    CHECK_EQ(std::wstring(tiny), std::wstring(L"1024"));
}

TEST_CASE("watermark_placement_for_every_position_code")
{
    // A 40 x 20 stamp on a 200 x 100 capture: free 160 x 80.
    struct { int code, x, y; } places[] = {
        {1, 0, 0}, {2, 80, 0}, {3, 160, 0}, {4, 80, 40}, {5, 0, 80}, {6, 80, 80},
        {0, 160, 80}, {7, 160, 80}, {-1, 160, 80}, {256, 160, 80},
    };
    for (auto& c : places) {
        WatermarkPlacement p = PlaceWatermark(40, 20, 200, 100, c.code);
        CHECK_EQ(p.x, c.x);
        CHECK_EQ(p.y, c.y);
        CHECK_EQ(p.width, 40);
        CHECK_EQ(p.height, 20);
    }
    // A stamp larger than the capture: area limited to the capture, no free space.
    for (int code = 0; code <= 7; ++code) {
        WatermarkPlacement p = PlaceWatermark(500, 30, 200, 100, code);
        CHECK_EQ(p.width, 200);
        CHECK_EQ(p.height, 30);
        CHECK_EQ(p.x, 0);
    }
    // Odd free space: halves truncated.
    CHECK_EQ(PlaceWatermark(10, 10, 21, 21, 4).x, 5);
    struct { int setting; int alpha; } alphas[] = {{0, 0}, {128, 128}, {255, 255}, {256, 0}, {300, 44}};
    for (auto& c : alphas)
        CHECK_EQ(int(WatermarkAlpha(c.setting)), c.alpha);
}

TEST_CASE("file_names_fit_or_fail_and_encoder_types")
{
    wchar_t out[MAX_PATH];
    REQUIRE(ComposeSnapshotFileName(L"D:\\shots\\", L"shot", 7, L"png", out, MAX_PATH));
    CHECK_EQ(std::wstring(out), std::wstring(L"D:\\shots\\shot7.png"));
    // Exactly 259 characters fit, 260 do not; nothing is written past the buffer.
    std::wstring folder(259 - 6, L'a');  // + "1.png" + name "x"
    wchar_t guarded[MAX_PATH + 8];
    for (wchar_t& c : guarded) c = L'#';
    CHECK(ComposeSnapshotFileName(folder.c_str(), L"x", 1, L"png", guarded, MAX_PATH));
    CHECK_EQ(wcslen(guarded), size_t(259));
    std::wstring longer(259 - 5, L'a');
    for (wchar_t& c : guarded) c = L'#';
    CHECK(!ComposeSnapshotFileName(longer.c_str(), L"x", 1, L"png", guarded, MAX_PATH));
    CHECK_EQ(guarded[0], L'\0');
    for (int i = MAX_PATH; i < MAX_PATH + 8; ++i)
        CHECK_EQ(guarded[i], L'#');

    struct { const wchar_t* path; const wchar_t* mime; } types[] = {
        {L"C:\\a\\s1.png", L"image/png"}, {L"C:\\a\\s1.jpg", L"image/jpeg"},
        {L"C:\\a\\s1.jpeg", L"image/jpeg"}, {L"C:\\a\\s1.tif", L"image/tiff"},
        {L"C:\\a\\s1.bmp", L"image/bmp"}, {L"C:\\a\\s1.PNG", L"image/PNG"},
        {L"C:\\a\\s1.", L"image/"}, {L"C:\\a\\s1.abcdefghijklm", L"image/abcdefghijklm"},
    };
    wchar_t mime[20];
    for (auto& c : types) {
        CHECK(EncoderMimeType(c.path, mime, 20));
        CHECK_EQ(std::wstring(mime), std::wstring(c.mime));
    }
    CHECK(!EncoderMimeType(L"C:\\a\\s1.abcdefghijklmn", mime, 20));  // longer than 19
    CHECK(!EncoderMimeType(L"C:\\noextension", mime, 20));
}

TEST_CASE("snapshot_folder_resolves_against_the_user_folder")
{
    struct Case { const wchar_t* base; const wchar_t* setting; const wchar_t* expected; };
    const Case cases[] = {
        {L"C:\\Users\\u\\Pictures\\", L"", L"C:\\Users\\u\\Pictures\\"},
        {L"C:\\Users\\u\\Pictures", L"", L"C:\\Users\\u\\Pictures\\"},
        {L"C:\\Users\\u\\Pictures\\", L"snapshots\\", L"C:\\Users\\u\\Pictures\\snapshots\\"},
        {L"C:\\Users\\u\\Pictures", L"a\\b\\", L"C:\\Users\\u\\Pictures\\a\\b\\"},
        {L"C:\\Users\\u\\Pictures\\", L"D:\\shots\\", L"D:\\shots\\"},
        {L"C:\\Users\\u\\Pictures\\", L"d:/shots/", L"d:/shots/"},
        {L"C:\\Users\\u\\Pictures\\", L"\\\\server\\share\\s\\", L"\\\\server\\share\\s\\"},
        {L"C:\\Users\\u\\Pictures\\", L"\\shots\\", L"C:\\shots\\"},
        {L"\\\\srv\\home\\u\\", L"\\shots\\", L"\\\\srv\\home\\shots\\"},
        {L"C:\\Users\\u\\Pictures\\", L"E:shots\\", L"E:\\shots\\"},
    };
    wchar_t out[MAX_PATH];
    for (const Case& c : cases) {
        CHECK(ResolveSnapshotFolder(c.base, c.setting, out, MAX_PATH));
        CHECK_EQ(std::wstring(out), std::wstring(c.expected));
    }
    // 259 characters fit, 260 do not; nothing past the buffer.
    std::wstring base = L"C:\\" + std::wstring(250, L'b') + L"\\";  // 254
    wchar_t guarded[MAX_PATH + 4];
    for (wchar_t& c : guarded) c = L'#';
    CHECK(ResolveSnapshotFolder(base.c_str(), L"abcd\\", guarded, MAX_PATH));
    CHECK_EQ(wcslen(guarded), size_t(259));
    CHECK(!ResolveSnapshotFolder(base.c_str(), L"abcde\\", guarded, MAX_PATH));
    CHECK_EQ(guarded[0], L'\0');
    for (int i = MAX_PATH; i < MAX_PATH + 4; ++i)
        CHECK_EQ(guarded[i], L'#');
    // The user's own folder is known and absolute.
    CHECK(UserSnapshotFolder(out, MAX_PATH));
    CHECK(out[1] == L':' || (out[0] == L'\\' && out[1] == L'\\'));
    CHECK_EQ(out[wcslen(out) - 1], L'\\');
}

TEST_CASE("numbers_of_existing_snapshot_files")
{
    struct Case { const wchar_t* name; int number; };
    const Case cases[] = {
        {L"shot7.png", 7}, {L"SHOT12.PNG", 12}, {L"shot0.png", 0}, {L"shot.png", -1}, {L"shot7.jpg", -1},
        {L"shot7a.png", -1}, {L"shot7.png.bak", -1}, {L"other7.png", -1}, {L"shot999999999.png", 999999999},
        {L"shot1000000000.png", -1}, {L"shot99999999999999999999.png", -1}, {L"shot-3.png", -1},
    };
    for (const Case& c : cases)
        CHECK_EQ(SnapshotNumberOf(c.name, L"shot", L"png", 999999999), c.number);
    CHECK_EQ(SnapshotNumberOf(L"5.bmp", L"", L"bmp", 10), 5);
    CHECK_EQ(SnapshotNumberOf(nullptr, L"", L"bmp", 10), -1);
}

TEST_CASE("bmp_headers_for_every_row_padding")
{
    struct Case { int width, height; DWORD pixel_bytes; };
    const Case cases[] = {{1, 1, 4}, {2, 3, 24}, {3, 1, 12}, {4, 2, 24}, {63, 40, 7680}, {1920, 1080, 6220800}};
    for (const Case& c : cases) {
        unsigned char h[kBmpHeaderBytes];
        DWORD pixels = 0;
        REQUIRE(BmpHeaders(c.width, c.height, h, &pixels));
        auto u32 = [&](int at) { return DWORD(h[at]) | DWORD(h[at + 1]) << 8 | DWORD(h[at + 2]) << 16 | DWORD(h[at + 3]) << 24; };
        CHECK_EQ(pixels, c.pixel_bytes);
        CHECK(h[0] == 'B' && h[1] == 'M');
        CHECK_EQ(u32(2), c.pixel_bytes + 54);
        CHECK_EQ(u32(10), DWORD(54));
        CHECK_EQ(u32(14), DWORD(40));
        CHECK_EQ(u32(18), DWORD(c.width));
        CHECK_EQ(u32(22), DWORD(c.height));
        CHECK_EQ(int(h[26]), 1);
        CHECK_EQ(int(h[28]), 24);
        CHECK_EQ(u32(30), DWORD(0));  // BI_RGB
    }
    unsigned char h[kBmpHeaderBytes];
    DWORD pixels = 1;
    CHECK(!BmpHeaders(0, 5, h, &pixels));
    CHECK(!BmpHeaders(5, -1, h, &pixels));
    CHECK(!BmpHeaders(40000, 40000, h, &pixels));      // 4.8 GB
    CHECK(!BmpHeaders(INT_MAX, INT_MAX, h, &pixels));  // no overflow
    CHECK_EQ(pixels, DWORD(1));
}

namespace {
std::string FileBytes(const std::wstring& path) { return ReadTextFile(path); }
}  // namespace

TEST_CASE("snapshot_files_are_made_new_and_never_replace_a_kept_one")
{
    std::wstring dir = MakeTempDir(L"snapname");
    std::wstring ini = JoinPath(dir, L"settings.ini");
    SetSettingsPath(ini.c_str());
    std::wstring shots = JoinPath(dir, L"shots\\deep\\");
    auto settings = [&](const char* next, const char* format = "png") {
        std::string text = "[snapshot]\r\npath=" + check::Narrow(shots) + "\r\nname=shot\r\nnext=" + next +
                           "\r\nformat=" + format + "\r\n";
        WriteTextFile(ini, text);
    };
    // A new folder with its parents, the file made, the number advanced.
    settings("7");
    SnapshotFile file;
    REQUIRE(CreateSnapshotFile(nullptr, &file));
    CHECK_EQ(std::wstring(file.path), shots + L"shot7.png");
    CHECK(file.handle != INVALID_HANDLE_VALUE);
    CHECK(file.counter_saved);
    CloseSnapshotFile(&file, false);
    CHECK(FileExists(shots + L"shot7.png"));
    CHECK_EQ(ReadSetting(Setting::kSnapshotNext), 8);

    // The number was reset below kept snapshots: past the highest of them,
    // and none of them touched.
    WriteTextFile(shots + L"shot8.png", "kept 8");
    WriteTextFile(shots + L"shot12.png", "kept 12");
    WriteTextFile(shots + L"shot30.jpg", "other type");
    settings("8");
    REQUIRE(CreateSnapshotFile(nullptr, &file));
    CHECK_EQ(std::wstring(file.path), shots + L"shot13.png");
    CloseSnapshotFile(&file, false);
    CHECK_EQ(ReadSetting(Setting::kSnapshotNext), 14);
    CHECK_EQ(FileBytes(shots + L"shot8.png"), std::string("kept 8"));
    CHECK_EQ(FileBytes(shots + L"shot12.png"), std::string("kept 12"));

    // The format replaced (no GDI+); a discarded file is gone again.
    REQUIRE(CreateSnapshotFile(L"bmp", &file));
    CHECK_EQ(std::wstring(file.path), shots + L"shot14.bmp");
    CloseSnapshotFile(&file, true);
    CHECK(!FileExists(shots + L"shot14.bmp"));

    // settings.ini held by another program that lets nobody write it: the
    // number cannot be saved and says so, and the next file is still a new one.
    settings("20");
    HANDLE held = CreateFileW(ini.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    REQUIRE(held != INVALID_HANDLE_VALUE);
    std::wstring first, second;
    REQUIRE(CreateSnapshotFile(nullptr, &file));
    CHECK(!file.counter_saved);
    first = file.path;
    CloseSnapshotFile(&file, false);
    REQUIRE(CreateSnapshotFile(nullptr, &file));
    second = file.path;
    CloseSnapshotFile(&file, false);
    CHECK_EQ(first, shots + L"shot20.png");
    CHECK_EQ(second, shots + L"shot21.png");
    CHECK_EQ(ReadSetting(Setting::kSnapshotNext), 20);
    CloseHandle(held);

    // Too long a name: fails, the number still advances.
    WriteTextFile(ini, "[snapshot]\r\npath=" + check::Narrow(dir) + "\\" + std::string(200, 'p') +
                           "\\\r\nname=" + std::string(200, 'n') + "\r\nnext=3\r\nformat=png\r\n");
    CHECK(!CreateSnapshotFile(nullptr, &file));
    CHECK_EQ(file.handle, INVALID_HANDLE_VALUE);
    CHECK_EQ(ReadSetting(Setting::kSnapshotNext), 4);
}

TEST_CASE("without_gdiplus_the_balloon_names_the_bmp_and_the_missing_watermark")
{
    struct Row {
        bool gdiplus, bmp, watermark;
        SnapshotNotice notice;
    } rows[] = {
        {true, false, true, {false, 0, 0}},
        {true, true, true, {false, 0, 0}},
        {false, true, false, {false, 0, 0}},
        {false, false, false, {true, IDS_FORMAT_REPLACED_TITLE, IDS_FORMAT_REPLACED_TEXT}},
        {false, false, true, {true, IDS_FORMAT_REPLACED_TITLE, IDS_FORMAT_REPLACED_NO_WATERMARK_TEXT}},
        {false, true, true, {true, IDS_WATERMARK_SKIPPED_TITLE, IDS_WATERMARK_SKIPPED_TEXT}},
    };
    for (const Row& row : rows) {
        const SnapshotNotice notice = NoGdiplusNotice(row.gdiplus, row.bmp, row.watermark);
        CHECK_EQ(notice.show, row.notice.show);
        CHECK_EQ(notice.title_id, row.notice.title_id);
        CHECK_EQ(notice.text_id, row.notice.text_id);
    }
}
