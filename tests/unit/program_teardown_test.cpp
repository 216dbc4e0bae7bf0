// The teardown through the program's own OnDestroy when the hook library
// cannot be freed: the message is shown once, and the teardown still removes
// the tray icon and ends the message loop, so the process exits and a later
// start is not refused by the single-instance flag.
#include <windows.h>

#include <string>

#include "quornvale/shell/app_state.h"
#include "quornvale/shell/feature_push.h"
#include "quornvale/shell/tray_icon.h"
#include "tests/framework/check.h"
#include "tests/framework/test_thread.h"
#include "tests/scenario/support/harness.h"
#include "tests/scenario/support/tray_view.h"

using namespace scenario;

namespace {
HWND MakeWindow()
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QvTeardownTest";
    RegisterClassW(&wc);
    return CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                           wc.hInstance, nullptr);
}
}  // namespace

TEST_CASE("a_library_that_cannot_be_freed_is_reported_and_the_teardown_goes_on")
{
    TrayShell shell;
    REQUIRE(shell.Start());
    HWND wnd = MakeWindow();
    REQUIRE(wnd != nullptr);
    g_app.main_window = wnd;
    AddTrayIcon(wnd);
    REQUIRE(shell.WaitForCount(1, 5000));

    // A readable page that is no module: FreeLibrary refuses it, as it would
    // a library the system will not unload; looking exports up in it finds none.
    void* not_a_module = VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    REQUIRE(not_a_module != nullptr);
    g_app.library = static_cast<HMODULE>(not_a_module);

    std::wstring shown;
    TestThread dismiss([&] {
        HWND box = nullptr;
        // Read until the text is complete: the box lays itself out after
        // it is found.
        WaitFor([&] {
            box = FindDialog(GetCurrentProcessId(), L"Error");
            return box && (shown = DialogText(box)) == L"Couldn't free the dll";
        }, 15000);
        if (box)
            PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    LRESULT result = OnDestroy(wnd);
    dismiss.join();

    CHECK_EQ(result, LRESULT(1));
    CHECK_EQ(shown, std::wstring(L"Couldn't free the dll"));
    CHECK(g_app.library == nullptr);
    CHECK(g_app.enable_features == nullptr);
    // The rest of the teardown ran: the icon is gone and the loop would end.
    CHECK(shell.WaitForCount(2, 5000));
    auto list = shell.Notifications();
    CHECK_EQ(list.back().message, int(NIM_DELETE));
    MSG msg;
    CHECK(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    CHECK(FindDialog(GetCurrentProcessId(), L"Error") == nullptr);  // shown once
    VirtualFree(not_a_module, 0, MEM_RELEASE);
    DestroyWindow(wnd);
}
