#include "common/clipboard_text.h"

#include <windows.h>

bool CopyTextToClipboard(const wchar_t* text)
{
    if (!text || !OpenClipboard(nullptr))
        return false;
    EmptyClipboard();
    const int length = lstrlenW(text);
    bool copied = false;
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (SIZE_T(length) + 1) * sizeof(wchar_t))) {
        if (auto* target = static_cast<wchar_t*>(GlobalLock(memory))) {
            lstrcpynW(target, text, length + 1);
            GlobalUnlock(memory);
            // Once accepted the memory belongs to the clipboard.
            copied = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
            if (!copied)
                GlobalFree(memory);
        } else {
            GlobalFree(memory);
        }
    }
    CloseClipboard();
    return copied;
}
