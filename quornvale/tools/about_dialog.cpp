#include "quornvale/tools/about_dialog.h"

#include <commctrl.h>

#include <cwchar>

#include "common/debug_print.h"
#include "common/version.h"
#include "quornvale/resources/resource.h"
#include "quornvale/shell/language.h"
#include "quornvale/tools/address_open.h"
#include "quornvale/tools/plain_link_control.h"

namespace {
constexpr wchar_t kSection[] = L"about_dialog";
constexpr int kTextChars = 260;
constexpr int kDonateWidth = 74, kDonateHeight = 21;
constexpr COLORREF kDonateTransparent = RGB(206, 7, 2);  // 0x0207CE
WNDPROC g_donate_previous = nullptr;

// Language text + suffix into the control; a missing text leaves the suffix.
void FillControl(HWND dialog, int id, const wchar_t* key, const wchar_t* suffix)
{
    wchar_t text[kTextChars] = {};
    GetLanguageText(kSection, key, text, kTextChars);
    wchar_t whole[2 * kTextChars];
    _snwprintf(whole, 2 * kTextChars - 1, L"%ls%ls", text, suffix);
    whole[2 * kTextChars - 1] = L'\0';
    SetDlgItemTextW(dialog, id, whole);
}

void OnInitDialog(HWND dialog)
{
    wchar_t caption[kTextChars] = {};
    if (GetLanguageText(kSection, L"IDD_DIALOG_ABOUT", caption, kTextChars))
        SetWindowTextW(dialog, caption);
    wchar_t link[kTextChars];
    FillControl(dialog, IDC_ABOUT_GROUP, L"IDC_STATIC_GROUP_QUORNVALE", L" ");
    FillControl(dialog, IDC_ABOUT_THANKS_GROUP, L"IDC_STATIC_GROUP_THANKS", L" ");
    FillControl(dialog, IDC_ABOUT_VERSION, L"IDC_STATIC_VERSION", L" " QUORNVALE_VERSION_WTEXT);
    _snwprintf(link, kTextChars - 1, L" <a href=\"mailto:%ls\">%ls</a>", kSupportMailAddress, kSupportMailAddress);
    link[kTextChars - 1] = L'\0';
    FillControl(dialog, IDC_ABOUT_SUPPORT, L"IDC_STATIC_AUTHOR", link);
    _snwprintf(link, kTextChars - 1, L" <a href=\"%ls\">Quornvale</a>", kHomePage);
    link[kTextChars - 1] = L'\0';
    FillControl(dialog, IDC_ABOUT_HOMEPAGE, L"IDC_STATIC_HOMEPAGE", link);
    _snwprintf(link, kTextChars - 1, L" <a href=\"%ls\">%ls</a>", kForumAddress, kForumAddress);
    link[kTextChars - 1] = L'\0';
    FillControl(dialog, IDC_ABOUT_FORUM, L"IDC_STATIC_FORUM", link);

    HANDLE icon = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_QUORNVALE), IMAGE_ICON, 32, 32,
                             LR_LOADTRANSPARENT);
    if (icon)
        SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    else
        DebugPrint(L"Loading the About icon failed, error %lu\n", GetLastError());

    HWND donate = GetDlgItem(dialog, IDC_ABOUT_DONATE);
    if (donate) {
        g_donate_previous = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(donate, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DonatePictureProc)));
        SetWindowPos(donate, nullptr, 0, 0, kDonateWidth, kDonateHeight, SWP_NOZORDER | SWP_NOMOVE);
    }
}

// The address of a link control, by its id; none for the others.
const wchar_t* LinkAddress(UINT_PTR id)
{
    switch (id) {
    case IDC_ABOUT_HOMEPAGE: return kHomePage;
    case IDC_ABOUT_SUPPORT: return kSupportMailOpen;
    case IDC_ABOUT_FORUM: return kForumAddress;
    case IDC_ABOUT_THANKS_FIRST: return kThanksAddress;
    default: return nullptr;
    }
}

void SetResult(HWND dialog, LONG_PTR result)
{
    SetWindowLongPtrW(dialog, DWLP_MSGRESULT, result);
}
}  // namespace

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            SendMessageW(dialog, WM_CLOSE, 0, 0);
            return TRUE;
        }
        if (LOWORD(wParam) == IDC_ABOUT_DONATE) {
            OpenAddress(kDonateAddress);
            return TRUE;
        }
        // IDCANCEL is not handled: Escape leaves the dialog open.
        return FALSE;
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header && (header->code == NM_CLICK || header->code == NM_RETURN)) {
            if (const wchar_t* address = LinkAddress(header->idFrom))
                OpenAddress(address);
        }
        return TRUE;
    }
    case WM_CLOSE: {
        HICON icon = reinterpret_cast<HICON>(SendMessageW(dialog, WM_GETICON, ICON_SMALL, 0));
        if (icon)
            DestroyIcon(icon);
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    case WM_SETCURSOR: {
        HWND over = reinterpret_cast<HWND>(wParam);
        int id = over ? GetDlgCtrlID(over) : 0;
        if (over && over != dialog && (id == IDC_ABOUT_SUPPORT || id == IDC_ABOUT_FORUM)) {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
        } else if (LOWORD(lParam) == HTCAPTION) {
            SetCursor(LoadCursorW(nullptr, IDC_SIZEALL));
        } else {
            return FALSE;
        }
        SetResult(dialog, 1);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

LRESULT CALLBACK DonatePictureProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(wnd, &ps);
        HDC memory = dc ? CreateCompatibleDC(dc) : nullptr;
        if (memory) {
            HBITMAP picture = static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_DONATE),
                                                              IMAGE_BITMAP, kDonateWidth, kDonateHeight,
                                                              LR_LOADTRANSPARENT));
            if (picture) {
                HGDIOBJ old = SelectObject(memory, picture);
                RECT client;
                GetClientRect(wnd, &client);
                TransparentBlt(dc, 0, client.bottom - kDonateHeight, kDonateWidth, kDonateHeight, memory, 0, 0,
                               kDonateWidth, kDonateHeight, kDonateTransparent);
                SelectObject(memory, old);
                DeleteObject(picture);
            }
            DeleteDC(memory);
        }
        EndPaint(wnd, &ps);
        return 0;
    }
    case WM_SETCURSOR:
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return 1;
    default:
        return g_donate_previous ? CallWindowProcW(g_donate_previous, wnd, message, wParam, lParam)
                                 : DefWindowProcW(wnd, message, wParam, lParam);
    }
}

void ShowAboutDialog()
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    EnsureLinkControlClass(instance, L"SysLink");
    if (DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_ABOUT), nullptr, AboutDialogProc, 0) == -1)
        DebugPrint(L"The About dialog could not be opened, error %lu\n", GetLastError());
}
