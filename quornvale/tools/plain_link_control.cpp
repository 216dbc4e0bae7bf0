#include "quornvale/tools/plain_link_control.h"

#include <commctrl.h>

#include <cwchar>

#include "common/debug_print.h"

namespace {
constexpr DWORD kLinkClassFlag = 0x8000;  // ICC_LINK_CLASS: common controls 6

void Notify(HWND control, UINT code)
{
    NMHDR header = {control, static_cast<UINT_PTR>(GetDlgCtrlID(control)), code};
    SendMessageW(GetParent(control), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

void Paint(HWND wnd)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(wnd, &ps);
    if (!dc)
        return;
    wchar_t markup[512] = {}, text[512] = {};
    GetWindowTextW(wnd, markup, 512);
    StripLinkMarkup(markup, text, 512);
    RECT client;
    GetClientRect(wnd, &client);
    HFONT font = reinterpret_cast<HFONT>(GetWindowLongPtrW(wnd, 0));
    HGDIOBJ old_font = font ? SelectObject(dc, font) : nullptr;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_HOTLIGHT));
    DrawTextW(dc, text, -1, &client, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    if (GetFocus() == wnd)
        DrawFocusRect(dc, &client);
    if (old_font)
        SelectObject(dc, old_font);
    EndPaint(wnd, &ps);
}

LRESULT CALLBACK PlainLinkProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        Paint(wnd);
        return 0;
    case WM_SETFONT:
        SetWindowLongPtrW(wnd, 0, static_cast<LONG_PTR>(wParam));
        if (LOWORD(lParam))
            InvalidateRect(wnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return GetWindowLongPtrW(wnd, 0);
    case WM_SETTEXT: {
        LRESULT result = DefWindowProcW(wnd, message, wParam, lParam);
        InvalidateRect(wnd, nullptr, TRUE);
        return result;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateRect(wnd, nullptr, TRUE);
        break;
    case WM_GETDLGCODE:
        // Enter reaches the control instead of pressing the default button.
        if (lParam && reinterpret_cast<const MSG*>(lParam)->message == WM_KEYDOWN &&
            reinterpret_cast<const MSG*>(lParam)->wParam == VK_RETURN)
            return DLGC_WANTMESSAGE;
        return DLGC_WANTCHARS;
    case WM_KEYDOWN:
        if (wParam == VK_RETURN || wParam == VK_SPACE) {
            Notify(wnd, NM_RETURN);
            return 0;
        }
        break;
    case WM_LBUTTONDOWN:
        SetFocus(wnd);
        return 0;
    case WM_LBUTTONUP:
        Notify(wnd, NM_CLICK);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(wnd, message, wParam, lParam);
}
}  // namespace

bool EnsureLinkControlClass(HINSTANCE instance, const wchar_t* class_name)
{
    INITCOMMONCONTROLSEX controls = {sizeof(controls), kLinkClassFlag};
    InitCommonControlsEx(&controls);
    WNDCLASSEXW known = {sizeof(known)};
    if (GetClassInfoExW(instance, class_name, &known) || GetClassInfoExW(nullptr, class_name, &known))
        return true;
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = PlainLinkProc;
    wc.cbWndExtra = sizeof(LONG_PTR);  // the font
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_HAND);
    wc.lpszClassName = class_name;
    if (!RegisterClassExW(&wc)) {
        DebugPrint(L"Registering the plain link control failed, error %lu\n", GetLastError());
        return false;
    }
    return true;
}

void StripLinkMarkup(const wchar_t* markup, wchar_t* out, size_t size)
{
    if (!out || size == 0)
        return;
    size_t n = 0;
    bool in_tag = false;
    for (const wchar_t* p = markup; p && *p && n + 1 < size; ++p) {
        if (in_tag) {
            in_tag = *p != L'>';
            continue;
        }
        if (*p == L'<') {
            in_tag = true;
            continue;
        }
        struct { const wchar_t* entity; wchar_t c; } constexpr kEntities[] = {
            {L"&lt;", L'<'}, {L"&gt;", L'>'}, {L"&amp;", L'&'}};
        wchar_t c = *p;
        for (const auto& e : kEntities) {
            size_t length = wcslen(e.entity);
            if (wcsncmp(p, e.entity, length) == 0) {
                c = e.c;
                p += length - 1;
                break;
            }
        }
        out[n++] = c;
    }
    out[n] = L'\0';
}
