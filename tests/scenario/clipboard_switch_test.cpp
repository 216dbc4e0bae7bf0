// The clipboard path switch through the real program: a text of paths
// becomes a file list beside it, a file list (as a folder window leaves it)
// becomes a text of its paths beside it, and what cannot be converted gives
// the failure balloon and leaves the clipboard as it was.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "quornvale/shell/command_ids.h"
#include "tests/framework/check.h"
#include "tests/scenario/support/harness.h"
#include "tests/scenario/support/tray_view.h"

using namespace scenario;

namespace {
using Paths = std::vector<std::wstring>;

bool OpenFromTest()
{
    return WaitFor([] { return OpenClipboard(nullptr) != FALSE; }, 5000);
}

template <typename T>
HGLOBAL Block(const T* data, size_t bytes)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    memcpy(GlobalLock(block), data, bytes);
    GlobalUnlock(block);
    return block;
}

enum class Put { Unicode, Ansi, Picture, Files };

// Replaces the clipboard's content with one format.
bool SetClipboard(Put what, const std::wstring& text, const Paths& files = {})
{
    if (!OpenFromTest())
        return false;
    EmptyClipboard();
    HANDLE done = nullptr;
    if (what == Put::Unicode) {
        done = SetClipboardData(CF_UNICODETEXT, Block(text.c_str(), (text.size() + 1) * sizeof(wchar_t)));
    } else if (what == Put::Ansi) {
        std::string narrow(text.begin(), text.end());
        done = SetClipboardData(CF_TEXT, Block(narrow.c_str(), narrow.size() + 1));
    } else if (what == Put::Picture) {
        HDC screen = GetDC(nullptr);
        done = SetClipboardData(CF_BITMAP, CreateCompatibleBitmap(screen, 8, 8));
        ReleaseDC(nullptr, screen);
    } else {
        // What a folder window leaves: a wide DROPFILES block.
        std::vector<BYTE> bytes(sizeof(DROPFILES));
        auto* header = reinterpret_cast<DROPFILES*>(bytes.data());
        header->pFiles = sizeof(DROPFILES);
        header->fWide = TRUE;
        for (const std::wstring& f : files) {
            const BYTE* p = reinterpret_cast<const BYTE*>(f.c_str());
            bytes.insert(bytes.end(), p, p + (f.size() + 1) * sizeof(wchar_t));
        }
        bytes.insert(bytes.end(), 2, 0);
        done = SetClipboardData(CF_HDROP, Block(bytes.data(), bytes.size()));
    }
    CloseClipboard();
    return done != nullptr;
}

Paths ClipboardFiles()
{
    Paths out;
    if (!OpenFromTest())
        return out;
    if (HDROP drop = static_cast<HDROP>(GetClipboardData(CF_HDROP))) {
        UINT n = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < n; ++i) {
            wchar_t path[MAX_PATH] = L"";
            DragQueryFileW(drop, i, path, MAX_PATH);
            out.push_back(path);
        }
    }
    CloseClipboard();
    return out;
}

std::wstring ClipboardText()
{
    std::wstring out = L"<none>";
    if (!OpenFromTest())
        return out;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        out = static_cast<const wchar_t*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return out;
}

size_t BalloonCount(const TrayShell& shell)
{
    size_t n = 0;
    for (const TrayNotification& note : shell.Notifications())
        n += note.message == NIM_MODIFY && (note.flags & NIF_INFO) ? 1 : 0;
    return n;
}
}  // namespace

TEST_CASE("paths_and_file_lists_convert_both_ways_and_failures_leave_the_clipboard_alone")
{
    TrayShell shell;
    REQUIRE(shell.Start());
    Program program(L"clipswitch");
    REQUIRE(program.Start());
    REQUIRE(shell.WaitForCount(1, 5000));

    struct Row {
        const char* name;
        UINT command;
        Put put;
        std::wstring text;
        Paths files;          // given (Put::Files) or expected (command 10)
        std::wstring result;  // the text expected from command 11
        const wchar_t* failure;  // null: succeeds
    };
    const Row rows[] = {
        {"two paths", CmdPathsToFileList, Put::Unicode, L"C:\\a.txt\r\nC:\\b.txt", {L"C:\\a.txt", L"C:\\b.txt"}, L"",
         nullptr},
        {"a final line break", CmdPathsToFileList, Put::Unicode, L"C:\\a.txt\r\nC:\\b.txt\r\n",
         {L"C:\\a.txt", L"C:\\b.txt"}, L"", nullptr},
        {"an empty line", CmdPathsToFileList, Put::Unicode, L"C:\\a.txt\r\n\r\nC:\\b.txt",
         {L"C:\\a.txt", L"C:\\b.txt"}, L"", nullptr},
        {"a first empty line", CmdPathsToFileList, Put::Unicode, L"\r\nC:\\a.txt\r\n", {L"C:\\a.txt"}, L"",
         nullptr},
        {"ANSI only", CmdPathsToFileList, Put::Ansi, L"C:\\ansi one.txt\r\nD:\\two", {L"C:\\ansi one.txt", L"D:\\two"},
         L"", nullptr},
        {"a picture only", CmdPathsToFileList, Put::Picture, L"", {}, L"", L"Failed to convert path to pastable object."},
        {"two copied files", CmdFileListToPaths, Put::Files, L"", {L"C:\\dir\\first.txt", L"C:\\dir\\second file.doc"},
         L"C:\\dir\\first.txt\r\nC:\\dir\\second file.doc\r\n", nullptr},
        {"text only", CmdFileListToPaths, Put::Unicode, L"C:\\a.txt", {}, L"",
         L"Failed to convert pastable object to path."},
    };
    for (const Row& row : rows) {
        MESSAGE(check::Format("%s", row.name));
        REQUIRE(SetClipboard(row.put, row.text, row.files));
        const size_t balloons = BalloonCount(shell);
        PostMessageW(program.MainWindow(), WM_COMMAND, row.command, 0);
        if (row.failure) {
            REQUIRE(WaitFor([&] { return BalloonCount(shell) > balloons; }, 5000));
            const TrayNotification last = shell.Notifications().back();
            CHECK_EQ(last.title, std::wstring(L"Switching between path and pastable object"));
            CHECK_EQ(last.info, std::wstring(row.failure));
            // The clipboard is closed and holds what it held.
            REQUIRE(OpenFromTest());
            CHECK(IsClipboardFormatAvailable(row.put == Put::Picture ? CF_BITMAP : CF_UNICODETEXT));
            CHECK(!IsClipboardFormatAvailable(row.command == CmdPathsToFileList ? CF_HDROP : CF_UNICODETEXT) ||
                  row.put == Put::Unicode);
            CloseClipboard();
            continue;
        }
        if (row.command == CmdPathsToFileList) {
            REQUIRE(WaitFor([] { return IsClipboardFormatAvailable(CF_HDROP) != FALSE; }, 5000));
            CHECK(ClipboardFiles() == row.files);
            if (row.put == Put::Unicode)
                CHECK_EQ(ClipboardText(), row.text);  // the text stays beside the list
        } else {
            REQUIRE(WaitFor([] { return IsClipboardFormatAvailable(CF_UNICODETEXT) != FALSE; }, 5000));
            CHECK_EQ(ClipboardText(), row.result);
            CHECK(ClipboardFiles() == row.files);  // the list stays beside the text
        }
        CHECK_EQ(BalloonCount(shell), balloons);
    }
    CHECK_EQ(program.Close(), 0);
}
