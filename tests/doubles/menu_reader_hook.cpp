// A test DLL that reads a popup menu inside the process that shows it: menu
// handles of another process cannot be read from outside under Wine.  The
// test hooks the menu owner's thread with ReadMenuHookProc (WH_CALLWNDPROC),
// then sends the registered message "QV_TEST_READ_MENU" to the visible menu
// window ("#32768") with its own receiver window in wParam.  Inside the
// owner's thread the hook asks the menu window for its menu (MN_GETHMENU)
// and sends back the whole tree as WM_COPYDATA (dwData 0x51564D, UTF-16):
//   one line per item: DEPTH<TAB>ID<TAB>TYPE<TAB>STATE<TAB>HASSUB<TAB>TEXT
#include <windows.h>
#include <stdio.h>

#include <string>

namespace {
constexpr UINT kGetMenuHandle = 0x01E1;  // MN_GETHMENU

void Describe(HMENU menu, int depth, std::wstring* out)
{
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        MENUITEMINFOW item = {};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_ID | MIIM_STATE | MIIM_SUBMENU | MIIM_FTYPE | MIIM_STRING;
        item.dwTypeData = text;
        item.cch = 256;
        if (!GetMenuItemInfoW(menu, UINT(i), TRUE, &item))
            continue;
        wchar_t head[96];
        _snwprintf(head, 95, L"%d\t%u\t%u\t%u\t%d\t", depth, item.wID, item.fType, item.fState,
                   item.hSubMenu ? 1 : 0);
        head[95] = 0;
        *out += head;
        *out += text;
        *out += L"\n";
        if (item.hSubMenu)
            Describe(item.hSubMenu, depth + 1, out);
    }
}
}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK ReadMenuHookProc(int code, WPARAM wp, LPARAM lp)
{
    static const UINT read_message = RegisterWindowMessageW(L"QV_TEST_READ_MENU");
    if (code == HC_ACTION) {
        auto* call = reinterpret_cast<const CWPSTRUCT*>(lp);
        if (call->message == read_message) {
            auto menu = reinterpret_cast<HMENU>(SendMessageW(call->hwnd, kGetMenuHandle, 0, 0));
            std::wstring listing;
            if (menu)
                Describe(menu, 0, &listing);
            COPYDATASTRUCT data = {0x51564D, DWORD((listing.size() + 1) * sizeof(wchar_t)),
                                   const_cast<wchar_t*>(listing.c_str())};
            SendMessageW(reinterpret_cast<HWND>(call->wParam), WM_COPYDATA, 0,
                         reinterpret_cast<LPARAM>(&data));
        }
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}
