// The hook procedures act only on windows of the process they run in.  On
// 64-bit Windows a 64-bit program's global hooks are called for the windows
// of 32-bit applications inside the program's own process: this test process
// plays that program.  It loads a copy of the library, calls the hook
// procedures directly with the window of a target in a process of its own,
// and checks that nothing of that window (nor of this process) changed and
// that no acting branch ran; the same call with a window of this process
// acts.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "common/ostrilix_interface.h"
#include "tests/framework/check.h"
#include "tests/scenario/support/harness.h"
#include "tests/scenario/support/own_library.h"
#include "tests/scenario/support/target.h"

using namespace scenario;

namespace {
constexpr UINT kTrayCallbackMessage = 0x836;  // the library's tray icon callback
constexpr UINT kSettled = WM_APP + 0x51;      // posted to the target after a call
const wchar_t kOwnClass[] = L"QvOwnProcessWindow";

LONG g_own_wheels = 0;

LRESULT CALLBACK OwnProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_MOUSEWHEEL) {
        ++g_own_wheels;
        return 0;
    }
    return DefWindowProcW(wnd, msg, wp, lp);
}

HWND MakeOwnWindow()
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = OwnProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kOwnClass;
    RegisterClassW(&wc);  // fails harmlessly when already registered
    HWND wnd = CreateWindowExW(0, kOwnClass, L"Own process window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 620, 100,
                               400, 300, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    UpdateWindow(wnd);
    return wnd;
}

WNDPROC ProcOf(HWND wnd) { return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(wnd, GWLP_WNDPROC)); }

// What a hook could change of a window, as seen from any process.
struct WindowState {
    RECT rect;
    LONG style;
    LONG ex_style;
    bool visible;
    bool operator==(const WindowState& o) const
    {
        return EqualRect(&rect, &o.rect) && style == o.style && ex_style == o.ex_style && visible == o.visible;
    }
};

WindowState StateOf(HWND wnd)
{
    return {WindowRect(wnd), GetWindowLongW(wnd, GWL_STYLE), GetWindowLongW(wnd, GWL_EXSTYLE),
            IsWindowVisible(wnd) != FALSE};
}

// The middle of the window's caption (computed: a hit-test search on a
// window of another process is slow).
POINT CaptionPoint(HWND wnd)
{
    const RECT r = WindowRect(wnd);
    return {(r.left + r.right) / 2,
            r.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2};
}

LRESULT CallMouseProc(const OwnLibrary& library, UINT message, HWND wnd, POINT at, UINT hit)
{
    MOUSEHOOKSTRUCTEX record = {};
    record.pt = at;
    record.hwnd = wnd;
    record.wHitTestCode = hit;
    return library.mouse_proc(HC_ACTION, message, reinterpret_cast<LPARAM>(&record));
}

LRESULT CallCallWndProc(const OwnLibrary& library, HWND wnd, UINT message, WPARAM wp, LPARAM lp)
{
    CWPSTRUCT sent = {lp, wp, message, wnd};
    return library.call_wnd_proc(HC_ACTION, 0, reinterpret_cast<LPARAM>(&sent));
}

LRESULT CallGetMsgProc(const OwnLibrary& library, HWND wnd, UINT message, WPARAM wp)
{
    MSG msg = {};
    msg.hwnd = wnd;
    msg.message = message;
    msg.wParam = wp;
    return library.get_msg_proc(HC_ACTION, PM_REMOVE, reinterpret_cast<LPARAM>(&msg));
}

// One gesture that acts on the window of its message.
struct Gesture {
    const char* what;
    DWORD features;                                        // switched on, everything else off
    std::function<LRESULT(const OwnLibrary&, HWND)> call;  // the hook call for this window
    std::function<bool(HWND)> acted;                       // its effect shows on a window of this process
    std::vector<std::string> traces;                       // lines only a branch past the test prints
    std::function<void(const OwnLibrary&, HWND)> undo;     // gives an own window back (or null)
};

HCURSOR Arrow() { return LoadCursorW(nullptr, IDC_ARROW); }
}  // namespace

TEST_CASE("hook_procedures_act_on_windows_of_their_own_process_only")
{
    DebugMonitor monitor;
    REQUIRE(monitor.Active());
    OwnLibrary library;
    REQUIRE(library.Load(L"foreign"));
    auto enable = library.Export<EnableFeaturesFn>(kExportEnableFeatures);
    auto set_flags = library.Export<SetFeatureFlagsFn>(kExportSetFeatureFlags);
    auto reset = library.Export<ResetRunTimeStateFn>(kExportResetRunTimeState);
    auto set_tray_list = library.Export<SetListFn>(kExportSetNotifyIconList);
    auto set_ime_list = library.Export<SetListFn>(kExportSetDisableIMEList);
    REQUIRE(enable && set_flags && reset && set_tray_list && set_ime_list);
    FeatureParams params = {};
    params.s_n_rollup_hotaction = 1;  // caption double click; a right click is topmost
    params.s_s_rollup_animate = 0;
    set_flags(kFeatureRollUp, params);

    TargetWindow target;
    TargetOptions options;
    options.rect = {100, 100, 500, 400};
    REQUIRE(target.Start(options));
    HWND foreign = target.Window();

    // Both windows are listed for minimising to the tray and for the input
    // method: only the process decides.
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    const std::wstring tray_list = std::wstring(exe) + L", QvTargetWindow;" + exe + L", " + kOwnClass + L";";
    REQUIRE(set_tray_list(tray_list.c_str()));
    REQUIRE(set_ime_list((std::wstring(L"[QvTargetWindow];[") + kOwnClass + L"];").c_str()));

    const UINT leave_message = RegisterWindowMessageW(kLeaveAsFoundMessageName);
    const auto leave = [&](const OwnLibrary&, HWND wnd) { SendMessageW(wnd, leave_message, 0, 0); };
    int own_height = 0;
    WNDPROC own_procedure = nullptr;
    const Gesture gestures[] = {
        {"caption double click rolls up", kFeatureRollUp,
         [](const OwnLibrary& l, HWND w) { return CallMouseProc(l, WM_NCLBUTTONDBLCLK, w, CaptionPoint(w), HTCAPTION); },
         [&](HWND w) { return RectHeight(WindowRect(w)) < own_height / 3; }, {"nCurHeight"}, leave},
        {"caption right click toggles topmost", kFeatureTopmost,
         [](const OwnLibrary& l, HWND w) { return CallMouseProc(l, WM_NCRBUTTONDOWN, w, CaptionPoint(w), HTCAPTION); },
         [](HWND w) { return (GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }, {"WM_NCRBUTTONDOWN entry"},
         [](const OwnLibrary&, HWND w) {
             SetWindowPos(w, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
         }},
        {"caption press prepares the move cursor and the size label", kFeatureMoveCursor | kFeatureSizeDisplay,
         [](const OwnLibrary& l, HWND w) { return CallMouseProc(l, WM_NCLBUTTONDOWN, w, CaptionPoint(w), HTCAPTION); },
         [&](HWND w) { return ProcOf(w) != own_procedure; }, {"SubclassWindow", "h_wnd="}, leave},
        {"wheel goes directly to the window under the cursor", kFeatureDirectScroll,
         [](const OwnLibrary& l, HWND w) { return CallMouseProc(l, WM_MOUSEWHEEL, w, ClientCentre(w), HTCLIENT); },
         [](HWND) { return g_own_wheels > 0; }, {"DirectlyScroll"}, nullptr},
        {"a listed window minimised goes to the tray", kFeatureNotifyIcon,
         [](const OwnLibrary& l, HWND w) { return CallCallWndProc(l, w, WM_SIZE, SIZE_MINIMIZED, 0); },
         [](HWND w) { return !IsWindowVisible(w); }, {"Tray icon for window"},
         [](const OwnLibrary& l, HWND w) {
             CallCallWndProc(l, w, kTrayCallbackMessage, 0, WM_LBUTTONDOWN);
             WaitFor([&] { return IsWindowVisible(w) != FALSE; }, 5000);
         }},
        {"a listed window created switches the input method off", kFeatureDisableIme,
         [](const OwnLibrary& l, HWND w) { return CallCallWndProc(l, w, WM_NCCREATE, 0, 0); },
         [&](HWND) {
             return monitor.Contains("Input method disabled in process") || monitor.Contains("ImmDisableIME failed") ||
                    monitor.Contains("No input method to disable");
         },
         {"Input method disabled in process", "ImmDisableIME failed", "No input method to disable"}, nullptr},
        {"a typed character hides the cursor", kFeatureHideCursor,
         [](const OwnLibrary& l, HWND w) { return CallGetMsgProc(l, w, WM_CHAR, L'a'); },
         [](HWND) { return GetCursor() == nullptr; }, {}, nullptr},
    };

    for (const Gesture& g : gestures) {
        MESSAGE(check::Format("gesture: %s", g.what));
        reset();
        enable(0xFFFFFFFF, 0);
        enable(g.features, 1);
        HWND own = MakeOwnWindow();
        REQUIRE(own != nullptr);
        own_height = RectHeight(WindowRect(own));
        own_procedure = ProcOf(own);
        g_own_wheels = 0;
        SetCursor(Arrow());
        monitor.Clear();
        target.ClearLog();

        // The target's window: passed on, nothing acted.
        const WindowState before = StateOf(foreign);
        CHECK_EQ(g.call(library, foreign), LRESULT(0));
        const HCURSOR cursor_after = GetCursor();
        // Whatever the call posted to the target comes before this.
        PostMessageW(foreign, kSettled, 0, 0);
        CHECK(WaitFor([&] { return target.Count(kSettled) > 0; }, 10000));
        CHECK(StateOf(foreign) == before);
        CHECK(target.RunsOwnProcedure());
        CHECK_EQ(target.Count(WM_MOUSEWHEEL), size_t(0));
        CHECK(cursor_after == Arrow());
        for (const std::string& trace : g.traces)
            if (!CHECK(!monitor.Contains(trace)))
                MESSAGE(check::Format("traced: %s", trace.c_str()));

        // A window of this process: the same call acts.
        g.call(library, own);
        CHECK(g.acted(own) || WaitFor([&] { return g.acted(own); }, 5000));
        if (g.undo)
            g.undo(library, own);
        DestroyWindow(own);
        PumpFor(50);
    }
    SetCursor(Arrow());
    reset();
    enable(0xFFFFFFFF, 0);
}
