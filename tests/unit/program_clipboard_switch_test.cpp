// The CF_HDROP block built from a text of paths: its size, its header and
// its file list, for the texts the path switch meets.
#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "quornvale/tools/clipboard_switch.h"
#include "tests/framework/check.h"

namespace {
// The paths of a wide DROPFILES block, read as every reader does: up to the
// first empty entry.
std::vector<std::wstring> Paths(const DROPFILES* header, SIZE_T size)
{
    std::vector<std::wstring> out;
    const wchar_t* p = reinterpret_cast<const wchar_t*>(reinterpret_cast<const BYTE*>(header) + header->pFiles);
    const wchar_t* end = reinterpret_cast<const wchar_t*>(reinterpret_cast<const BYTE*>(header) + size);
    while (p < end && *p) {
        std::wstring path;
        while (p < end && *p)
            path += *p++;
        ++p;
        out.push_back(path);
    }
    return out;
}
}  // namespace

TEST_CASE("file_list_blocks_have_the_documented_size_header_and_paths")
{
    struct Row {
        const wchar_t* text;
        std::vector<std::wstring> paths;  // empty: no block
    };
    const Row rows[] = {
        {L"C:\\a.txt\r\nC:\\b.txt", {L"C:\\a.txt", L"C:\\b.txt"}},
        {L"C:\\a.txt\r\nC:\\b.txt\r\n", {L"C:\\a.txt", L"C:\\b.txt"}},
        {L"C:\\a.txt\r\n\r\nC:\\b.txt", {L"C:\\a.txt", L"C:\\b.txt"}},  // empty lines are skipped
        {L" spaced name \r\nrelative\\x", {L" spaced name ", L"relative\\x"}},
        {L"one\rtwo\nthree", {L"one\rtwo\nthree"}},  // only CR LF separates
        {L"x", {L"x"}},
        {L"\r\n", {}},
        {L"\r\nC:\\a.txt", {L"C:\\a.txt"}},
        {L"\r\n\r\nC:\\a.txt\r\n\r\n", {L"C:\\a.txt"}},
        {L"\r\n\r\n", {}},
        {L"", {}},
    };
    for (const Row& row : rows) {
        HGLOBAL block = BuildDropFiles(row.text);
        if (row.paths.empty()) {
            CHECK(block == nullptr);
            continue;
        }
        REQUIRE(block != nullptr);
        const SIZE_T size = GlobalSize(block);
        CHECK_EQ(size, SIZE_T(2 * lstrlenW(row.text) + 28));
        auto* header = static_cast<DROPFILES*>(GlobalLock(block));
        REQUIRE(header != nullptr);
        CHECK_EQ(header->pFiles, DWORD(20));
        CHECK(header->pt.x == 0 && header->pt.y == 0 && header->fNC == 0);
        CHECK_EQ(header->fWide, TRUE);
        CHECK(Paths(header, size) == row.paths);
        GlobalUnlock(block);
        GlobalFree(block);
    }
    CHECK(BuildDropFiles(nullptr) == nullptr);
}
