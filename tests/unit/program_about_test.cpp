// The plain link control that stands in for "SysLink" where common
// controls 6 are missing: its visible text, and the notifications a click
// and Enter send to the dialog, as the About dialog expects them.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "quornvale/tools/plain_link_control.h"
#include "tests/framework/check.h"

namespace {
std::vector<std::pair<UINT_PTR, UINT>> g_notifications;

LRESULT CALLBACK ParentProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NOTIFY) {
        auto* header = reinterpret_cast<const NMHDR*>(lParam);
        g_notifications.push_back({header->idFrom, header->code});
        return TRUE;
    }
    return DefWindowProcW(wnd, message, wParam, lParam);
}
}  // namespace

TEST_CASE("markup_is_left_out_of_the_visible_text")
{
    struct { const wchar_t* markup; const wchar_t* text; } cases[] = {
        {L"Support: <a href=\"mailto:a@b\">a@b</a>", L"Support: a@b"},
        {L"<a href=\"https://x/\">Quornvale</a>", L"Quornvale"},
        {L"plain", L"plain"},
        {L"a &lt;b&gt; &amp; c", L"a <b> & c"},
        {L"unclosed <a href=", L"unclosed "},
        {L"", L""},
    };
    for (auto& c : cases) {
        wchar_t out[64];
        StripLinkMarkup(c.markup, out, 64);
        CHECK_EQ(std::wstring(out), std::wstring(c.text));
    }
    wchar_t small[4];
    StripLinkMarkup(L"<a>abcdef</a>", small, 4);
    CHECK_EQ(std::wstring(small), std::wstring(L"abc"));
    StripLinkMarkup(nullptr, small, 4);
    CHECK_EQ(std::wstring(small), std::wstring(L""));
}

TEST_CASE("plain_link_tells_its_parent_of_a_click_and_of_enter")
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    // A class name no system registers, so the plain control is the one made.
    REQUIRE(EnsureLinkControlClass(instance, L"QvPlainLinkUnderTest"));
    CHECK(EnsureLinkControlClass(instance, L"QvPlainLinkUnderTest"));  // once is enough
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ParentProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"QvPlainLinkParent";
    RegisterClassW(&wc);
    HWND parent = CreateWindowW(L"QvPlainLinkParent", L"", WS_OVERLAPPEDWINDOW, 0, 0, 300, 100, nullptr,
                                nullptr, instance, nullptr);
    REQUIRE(parent != nullptr);
    HWND link = CreateWindowW(L"QvPlainLinkUnderTest", L"Home: <a href=\"x\">Quornvale</a>", WS_CHILD | WS_VISIBLE,
                              0, 0, 200, 20, parent, reinterpret_cast<HMENU>(1004), instance, nullptr);
    REQUIRE(link != nullptr);
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    SendMessageW(link, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
    CHECK_EQ(reinterpret_cast<HFONT>(SendMessageW(link, WM_GETFONT, 0, 0)), font);

    SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    SendMessageW(link, WM_KEYDOWN, VK_RETURN, 0);
    MSG enter = {link, WM_KEYDOWN, VK_RETURN, 0};
    CHECK_EQ(SendMessageW(link, WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&enter)), LRESULT(DLGC_WANTMESSAGE));
    REQUIRE_EQ(g_notifications.size(), size_t(2));
    CHECK_EQ(g_notifications[0].first, UINT_PTR(1004));
    CHECK_EQ(g_notifications[0].second, UINT(NM_CLICK));
    CHECK_EQ(g_notifications[1].second, UINT(NM_RETURN));
    DestroyWindow(parent);
}
