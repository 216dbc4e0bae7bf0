#include "quornvale/tools/clipboard_switch.h"

#include <shellapi.h>
#include <shlobj.h>

#include <new>

#include "common/debug_print.h"
#include "quornvale/shell/app_state.h"
#include "quornvale/shell/tray_icon.h"

namespace {
// Opened for the time of one operation; closed whatever happens.
struct OpenedClipboard {
    bool open;
    explicit OpenedClipboard(HWND owner) : open(OpenClipboard(owner) != FALSE)
    {
        if (!open)
            DebugPrint(L"OpenClipboard failed, error %lu\n", GetLastError());
    }
    ~OpenedClipboard()
    {
        if (open)
            CloseClipboard();
    }
};

struct LockedGlobal {
    HGLOBAL handle;
    void* data;
    explicit LockedGlobal(HGLOBAL h) : handle(h), data(h ? GlobalLock(h) : nullptr) {}
    ~LockedGlobal()
    {
        if (data)
            GlobalUnlock(handle);
    }
};

// Hands the block to the clipboard; it is freed here when the clipboard
// does not take it.
bool Put(UINT format, HGLOBAL block)
{
    if (SetClipboardData(format, block))
        return true;
    DebugPrint(L"SetClipboardData(%u) failed, error %lu\n", format, GetLastError());
    GlobalFree(block);
    return false;
}
}  // namespace

HGLOBAL BuildDropFiles(const wchar_t* text)
{
    if (!text || !text[0])
        return nullptr;
    const SIZE_T length = lstrlenW(text);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 2 * length + 28);
    if (!block) {
        DebugPrint(L"GlobalAlloc for the file list failed, error %lu\n", GetLastError());
        return nullptr;
    }
    auto* header = static_cast<DROPFILES*>(GlobalLock(block));
    if (!header) {
        GlobalFree(block);
        return nullptr;
    }
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    wchar_t* out = reinterpret_cast<wchar_t*>(reinterpret_cast<BYTE*>(header) + sizeof(DROPFILES));
    int paths = 0;
    const wchar_t* piece = text;
    for (;;) {
        const wchar_t* end = piece;
        while (*end && !(end[0] == L'\r' && end[1] == L'\n'))
            ++end;
        // An empty line is skipped: as an entry it would end the list for
        // every reader (text copied from an editor often starts or ends
        // with one).
        if (end != piece) {
            for (const wchar_t* c = piece; c < end; ++c)
                *out++ = *c;
            ++out;  // the zeroed block already holds the 0 after the path
            ++paths;
        }
        if (!*end)
            break;
        piece = end + 2;
    }
    GlobalUnlock(block);
    if (paths == 0) {
        GlobalFree(block);
        return nullptr;
    }
    return block;
}

bool PathsToFileList()
{
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT) && !IsClipboardFormatAvailable(CF_OEMTEXT) &&
        !IsClipboardFormatAvailable(CF_TEXT))
        return false;
    OpenedClipboard clipboard(g_app.main_window);
    if (!clipboard.open)
        return false;
    HGLOBAL block;
    {
        LockedGlobal text(GetClipboardData(CF_UNICODETEXT));
        if (!text.data)
            return false;
        // The clipboard's block may lack its terminator: read no further than
        // it reaches.
        const SIZE_T chars = GlobalSize(text.handle) / sizeof(wchar_t);
        auto* copy = new (std::nothrow) wchar_t[chars + 1];
        if (!copy)
            return false;
        lstrcpynW(copy, static_cast<const wchar_t*>(text.data), int(chars + 1));
        block = BuildDropFiles(copy);
        delete[] copy;
    }
    return block && Put(CF_HDROP, block);
}

bool FileListToPaths()
{
    if (!IsClipboardFormatAvailable(CF_HDROP))
        return false;
    OpenedClipboard clipboard(g_app.main_window);
    if (!clipboard.open)
        return false;
    HDROP drop = static_cast<HDROP>(GetClipboardData(CF_HDROP));
    if (!drop)
        return false;
    const UINT files = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    if (files == 0)
        return false;
    SIZE_T total = 1;  // the terminator
    for (UINT i = 0; i < files; ++i)
        total += DragQueryFileW(drop, i, nullptr, 0) + 2;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, total * sizeof(wchar_t));
    if (!block) {
        DebugPrint(L"GlobalAlloc for the paths failed, error %lu\n", GetLastError());
        return false;
    }
    {
        LockedGlobal out(block);
        if (!out.data) {
            GlobalFree(block);
            return false;
        }
        auto* text = static_cast<wchar_t*>(out.data);
        SIZE_T at = 0;
        for (UINT i = 0; i < files; ++i) {
            const UINT room = UINT(total - at);
            at += DragQueryFileW(drop, i, text + at, room > 2 ? room - 2 : 0);
            if (at + 2 < total) {
                text[at++] = L'\r';
                text[at++] = L'\n';
            }
        }
        text[at < total ? at : total - 1] = L'\0';
    }
    return Put(CF_UNICODETEXT, block);
}

void ShowErrorBalloon(const wchar_t* text)
{
    ShowTrayBalloon(L"Switching between path and pastable object", text, kBalloonError);
}
