// The routines both deliverables share: version class, taskbar toolbar
// lookup, clipboard text and debug output.
#include <string>

#include "common/clipboard_text.h"
#include "common/debug_print.h"
#include "common/os_version.h"
#include "common/taskbar_toolbar.h"
#include "tests/framework/check.h"
#include "tests/scenario/support/harness.h"

using namespace scenario;

namespace {
std::wstring ClipboardText()
{
    std::wstring text;
    if (!OpenClipboard(nullptr))
        return L"<busy>";
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = p;
            GlobalUnlock(data);
        }
    } else {
        text = L"<none>";
    }
    CloseClipboard();
    return text;
}

// Runs the probe under a Windows version Wine reports for that program only.
int VersionClassUnder(const wchar_t* version)
{
    const wchar_t* key = L"Software\\Wine\\AppDefaults\\os_version_probe.exe";
    RegSetKeyValueW(HKEY_CURRENT_USER, key, L"Version", REG_SZ, version,
                    DWORD((wcslen(version) + 1) * sizeof(wchar_t)));
    Helper probe;
    int result = probe.Start(L"os_version_probe.exe", L"") ? probe.Wait(15000) : -1;
    RegDeleteTreeW(HKEY_CURRENT_USER, key);
    return result;
}
}  // namespace

TEST_CASE("version_class_of_each_reported_windows")
{
    CHECK_EQ(VersionClassUnder(L"win2k"), 2);
    CHECK_EQ(VersionClassUnder(L"winxp"), 3);
    CHECK_EQ(VersionClassUnder(L"vista"), 4);
    CHECK_EQ(VersionClassUnder(L"win7"), 5);
    CHECK_EQ(VersionClassUnder(L"win10"), 6);
}

TEST_CASE("version_classification_table")
{
    CHECK_EQ(ClassifyOsVersion(4, 0), 1);
    CHECK_EQ(ClassifyOsVersion(3, 51), 1);
    CHECK_EQ(ClassifyOsVersion(5, 0), 2);
    CHECK_EQ(ClassifyOsVersion(5, 1), 3);
    CHECK_EQ(ClassifyOsVersion(5, 2), 3);
    CHECK_EQ(ClassifyOsVersion(6, 0), 4);
    CHECK_EQ(ClassifyOsVersion(6, 1), 5);
    CHECK_EQ(ClassifyOsVersion(6, 2), 6);
    CHECK_EQ(ClassifyOsVersion(6, 3), 6);
    CHECK_EQ(ClassifyOsVersion(10, 0), 6);
}

TEST_CASE("taskbar_toolbar_found_only_in_the_xp_structure")
{
    // Wine's own taskbar has no button toolbar, as on Windows 7.
    CHECK(FindTaskbarToolbar() == nullptr);
    Helper taskbar;
    REQUIRE(taskbar.Start(L"taskbar_double_gui.exe", L""));
    HWND found = nullptr;
    // The double's window came after 0.14 s natively and after 3 s to 8.5 s
    // in the emulated 32-bit stage on a loaded machine.
    CHECK(WaitFor([&] { return (found = FindTaskbarToolbar()) != nullptr; }, 30000));
    if (found) {
        wchar_t cls[64];
        GetClassNameW(found, cls, 64);
        CHECK_EQ(std::wstring(cls), std::wstring(L"ToolbarWindow32"));
        DWORD pid = 0;
        GetWindowThreadProcessId(found, &pid);
        CHECK_EQ(pid, taskbar.ProcessId());
        GetClassNameW(GetParent(found), cls, 64);
        CHECK_EQ(std::wstring(cls), std::wstring(L"MSTaskSwWClass"));
    }
    taskbar.Kill();
    CHECK(WaitFor([] { return FindTaskbarToolbar() == nullptr; }, 5000));
}

TEST_CASE("clipboard_text_round_trip")
{
    CHECK(CopyTextToClipboard(L"Quornvale \u00e9t\u00e9"));
    CHECK_EQ(ClipboardText(), std::wstring(L"Quornvale \u00e9t\u00e9"));
    // An empty text is still a text.
    CHECK(CopyTextToClipboard(L""));
    CHECK_EQ(ClipboardText(), std::wstring());
    CHECK(!CopyTextToClipboard(nullptr));
    CHECK_EQ(ClipboardText(), std::wstring());
}

TEST_CASE("clipboard_held_by_another_program_is_left_alone")
{
    REQUIRE(CopyTextToClipboard(L"before"));
    Helper holder;
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, L"qv-clip-ready");
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, L"qv-clip-release");
    REQUIRE(holder.Start(L"clipboard_holder.exe", L"qv-clip-ready qv-clip-release"));
    REQUIRE(WaitForSingleObject(ready, 10000) == WAIT_OBJECT_0);
    CHECK(!CopyTextToClipboard(L"after"));
    SetEvent(release);
    CHECK_EQ(holder.Wait(10000), 0);
    CHECK_EQ(ClipboardText(), std::wstring(L"before"));
    CloseHandle(ready);
    CloseHandle(release);
}

namespace {
// The clipboard's owner, which closes the clipboard when it is asked to give
// it up: the emptying that follows fails, and so does the write after it.
volatile bool g_close_on_destroy = false;
LRESULT CALLBACK ClosingOwnerProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_DESTROYCLIPBOARD && g_close_on_destroy)
        CloseClipboard();
    return DefWindowProcW(wnd, msg, wp, lp);
}
}  // namespace

TEST_CASE("a_text_the_clipboard_refuses_is_reported_as_not_copied")
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ClosingOwnerProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QvClipboardOwnerTest";
    RegisterClassW(&wc);
    HWND owner = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 wc.hInstance, nullptr);
    REQUIRE(owner != nullptr);
    REQUIRE(OpenClipboard(owner));
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, 8 * sizeof(wchar_t));
    REQUIRE(memory != nullptr);
    lstrcpyW(static_cast<wchar_t*>(GlobalLock(memory)), L"before");
    GlobalUnlock(memory);
    CHECK(SetClipboardData(CF_UNICODETEXT, memory) != nullptr);
    CloseClipboard();
    REQUIRE(GetClipboardOwner() == owner);

    g_close_on_destroy = true;
    CHECK(!CopyTextToClipboard(L"after"));
    g_close_on_destroy = false;
    CHECK(ClipboardText() != L"after");
    DestroyWindow(owner);
    // And with no owner in the way it works again.
    CHECK(CopyTextToClipboard(L"after"));
    CHECK_EQ(ClipboardText(), std::wstring(L"after"));
}

TEST_CASE("debug_output_formats_and_survives_long_text")
{
    DebugMonitor monitor;
    REQUIRE(monitor.Active());
    DebugPrint(L"plain 100%% text\n");
    DebugPrint(L"Hook %s has %d%s\n", L"MouseProc", 3, L" parts");
    DebugPrintA("narrow %s %d\n", "text", 7);
    std::wstring huge(5000, L'w');
    DebugPrint(L"%s", huge.c_str());
    DebugPrint(nullptr);
    CHECK(monitor.WaitForText("plain 100% text", 3000));
    CHECK(monitor.WaitForText("Hook MouseProc has 3 parts", 3000));
    CHECK(monitor.WaitForText("narrow text 7", 3000));
    CHECK(monitor.WaitForText(std::string(1000, 'w'), 3000));
}
