// The About dialog through the real program: texts from each shipped
// language file and the one version number, the hidden forum link, the
// addresses a link click, Enter on a link and the donate picture open (seen
// through the address test sink instead of a browser), Escape leaving the
// dialog open and OK closing it.
#include <windows.h>

#include <string>
#include <vector>

#include "common/version.h"
#include "quornvale/shell/command_ids.h"
#include "quornvale/tools/about_dialog.h"
#include "quornvale/test_seams/test_seams.h"
#include "tests/framework/check.h"
#include "tests/scenario/support/harness.h"
#include "tests/scenario/support/input.h"

using namespace scenario;

namespace {
std::vector<std::wstring> g_opened;

LRESULT CALLBACK SinkProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COPYDATA) {
        auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (data->dwData == kAddressOpenTestTag && data->cbData >= sizeof(wchar_t))
            g_opened.emplace_back(static_cast<const wchar_t*>(data->lpData), data->cbData / sizeof(wchar_t) - 1);
        return TRUE;
    }
    return DefWindowProcW(wnd, message, wParam, lParam);
}

// The window that receives the addresses the program would open.
class AddressSink {
public:
    AddressSink()
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = SinkProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kAddressOpenTestSinkClass;
        RegisterClassW(&wc);
        wnd_ = CreateWindowW(kAddressOpenTestSinkClass, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                             wc.hInstance, nullptr);
        g_opened.clear();
    }
    ~AddressSink() { DestroyWindow(wnd_); }
    bool Ok() const { return wnd_ != nullptr; }

private:
    HWND wnd_ = nullptr;
};

std::wstring ItemText(HWND dialog, int id)
{
    wchar_t text[512] = {};
    GetWindowTextW(GetDlgItem(dialog, id), text, 512);
    return text;
}

HWND OpenAbout(const Program& program, const wchar_t* caption)
{
    PostMessageW(program.MainWindow(), WM_COMMAND, CmdAbout, 0);
    HWND dialog = nullptr;
    WaitFor([&] { return (dialog = FindDialog(program.ProcessId(), caption)) && IsWindowVisible(dialog); },
            10000);
    return dialog;
}

POINT ControlPoint(HWND dialog, int id, int dx)
{
    RECT r = {};
    GetWindowRect(GetDlgItem(dialog, id), &r);
    return POINT{r.left + dx, (r.top + r.bottom) / 2};
}

// The cursor is put on the point first: while the program's low-level mouse
// hook is installed, injected moves leave Wine's cursor where it was.
void ClickAt(POINT p)
{
    input::PlaceCursor(p);
    input::Click(input::Button::Left, p);
}

// Answers once the dialog's thread has handled what was sent before.
void Sync(HWND dialog)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
    input::Settle(200);
}
}  // namespace

TEST_CASE("texts_of_each_shipped_language_and_the_version")
{
    struct Case { const char* file; const wchar_t* caption; const wchar_t* group; const wchar_t* thanks;
                  const wchar_t* support; const wchar_t* home; };
    const Case cases[] = {
        {"English.ini", L"About Quornvale", L"Quornvale ", L"Thanks ", L"Support: ", L"Home page: "},
        {"Deutsch.ini", L"\u00dcber Quornvale", L"Quornvale ", L"Dank ", L"Unterst\u00fctzung: ", L"Homepage: "},
    };
    for (const Case& c : cases) {
        ProgramOptions options;
        std::string settings = std::string("[language]\r\nfilepath=language\\") + c.file + "\r\n";
        options.settings = settings.c_str();
        options.language_source = JoinPath(BinDir(), L"language");
        Program program(L"about", options);
        REQUIRE(program.Start());
        HWND dialog = OpenAbout(program, c.caption);
        REQUIRE(dialog != nullptr);
        CHECK_EQ(ItemText(dialog, 1001), std::wstring(c.group));
        CHECK_EQ(ItemText(dialog, 1013), std::wstring(c.thanks));
        CHECK_EQ(ItemText(dialog, 1002), std::wstring(L"Version: ") + QUORNVALE_VERSION_WTEXT);
        CHECK_EQ(ItemText(dialog, 1002), std::wstring(L"Version: 2.2.5.1"));
        CHECK_EQ(ItemText(dialog, 1003).rfind(c.support, 0), size_t(0));
        CHECK(ItemText(dialog, 1003).find(kSupportMailAddress) != std::wstring::npos);
        CHECK_EQ(ItemText(dialog, 1004).rfind(c.home, 0), size_t(0));
        CHECK(ItemText(dialog, 1004).find(L">Quornvale</a>") != std::wstring::npos);
        CHECK(ItemText(dialog, 1005).rfind(L"Forum: ", 0) == 0);
        CHECK(!IsWindowVisible(GetDlgItem(dialog, 1005)));  // created hidden, stays hidden
        RECT donate = {};
        GetClientRect(GetDlgItem(dialog, 1006), &donate);
        CHECK_EQ(donate.right, 74L);
        CHECK_EQ(donate.bottom, 21L);
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        CHECK(WaitFor([&] { return !IsWindow(dialog); }, 5000));
        CHECK_EQ(program.Close(), 0);
    }
}

TEST_CASE("links_enter_and_the_picture_open_fixed_addresses_and_escape_keeps_the_dialog")
{
    AddressSink sink;
    REQUIRE(sink.Ok());
    ProgramOptions options;
    options.settings = "[language]\r\nfilepath=language\\English.ini\r\n";
    options.language_source = JoinPath(BinDir(), L"language");
    Program program(L"aboutlinks", options);
    REQUIRE(program.Start());
    HWND dialog = OpenAbout(program, L"About Quornvale");
    REQUIRE(dialog != nullptr);
    SetForegroundWindow(dialog);
    Sync(dialog);

    // Enter on the focused first link (the support mail), then on the next
    // one (the home page); the forum link is hidden and never reached.
    input::Tap(VK_RETURN);
    CHECK(WaitFor([&] { return g_opened.size() == 1; }, 5000));
    input::Tap(VK_TAB);
    input::Tap(VK_RETURN);
    CHECK(WaitFor([&] { return g_opened.size() == 2; }, 5000));
    // A click on the first thanked person's link and on the donate picture.
    ClickAt(ControlPoint(dialog, 1011, 6));
    CHECK(WaitFor([&] { return g_opened.size() == 3; }, 5000));
    ClickAt(ControlPoint(dialog, 1006, 20));
    CHECK(WaitFor([&] { return g_opened.size() == 4; }, 5000));
    const std::wstring expected[] = {kSupportMailOpen, L"https://quornvale.example/", kThanksAddress, kDonateAddress};
    for (size_t i = 0; i < g_opened.size() && i < 4; ++i)
        CHECK_EQ(g_opened[i], expected[i]);

    // Escape does nothing; OK closes.
    input::Tap(VK_ESCAPE);
    Sync(dialog);
    CHECK(IsWindowVisible(dialog));
    ClickAt(ControlPoint(dialog, IDOK, 10));
    CHECK(WaitFor([&] { return !IsWindow(dialog); }, 5000));
    CHECK_EQ(g_opened.size(), size_t(4));  // closing opened nothing
    CHECK_EQ(program.Close(), 0);
}
