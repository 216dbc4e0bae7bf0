// The library is never unmapped while its code can be on a stack of a host,
// and leaves the host by itself once nothing of it is left.  Wine keeps a
// hook library loaded in other processes after unhooking, so this test
// process is the host: it loads a copy of Ostrilix.dll, runs its MouseProc
// as a mouse hook on its own GUI threads, lets real clicks subclass its
// windows, and frees the library from a modal loop nested inside the
// library's subclass procedure.
#include <windows.h>

#include <atomic>
#include <functional>

#include "common/ostrilix_interface.h"
#include "tests/framework/check.h"
#include "tests/framework/test_thread.h"
#include "tests/scenario/support/harness.h"
#include "tests/scenario/support/input.h"
#include "tests/scenario/support/own_library.h"
#include "tests/scenario/support/target.h"

using namespace scenario;
using input::Button;

namespace {
// Asks the host window to run a modal loop of its own (its procedure is
// then on the stack, under whatever procedure sits in front of it), and in
// it, one step: g_inside_loop.
constexpr UINT kRunNestedLoop = WM_APP + 1;
constexpr UINT kNestedStep = WM_APP + 2;
constexpr LRESULT kNestedLoopRan = 0x4E4C;
std::function<void()> g_inside_loop;
bool g_nested_done = false;
// Runs in the host window's own procedure when its size changes.
std::function<void()> g_on_size;

LRESULT RunNestedLoop(HWND wnd)
{
    g_nested_done = false;
    PostMessageW(wnd, kNestedStep, 0, 0);
    const DWORD start = GetTickCount();
    while (!g_nested_done && GetTickCount() - start < 60000) {
        MSG msg;
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
    }
    return g_nested_done ? kNestedLoopRan : 0;
}

LRESULT CALLBACK HostProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_APP:
        return 0x4F4B;  // answered by the window's own procedure
    case kRunNestedLoop:
        return RunNestedLoop(wnd);
    case kNestedStep:
        if (g_inside_loop)
            g_inside_loop();
        g_nested_done = true;
        return 0;
    case WM_SIZE:
        if (g_on_size)
            g_on_size();
        return DefWindowProcW(wnd, msg, wp, lp);
    default:
        return DefWindowProcW(wnd, msg, wp, lp);
    }
}

HWND MakeHostWindow(const wchar_t* title, int x, int y)
{
    WNDCLASSW wc = {};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"QvUnloadHost";
    RegisterClassW(&wc);
    HWND wnd = CreateWindowExW(0, L"QvUnloadHost", title, WS_OVERLAPPEDWINDOW, x, y, 360, 260,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ShowWindow(wnd, SW_SHOW);
    UpdateWindow(wnd);
    return wnd;
}

WNDPROC ProcOf(HWND wnd) { return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(wnd, GWLP_WNDPROC)); }

bool InModule(HMODULE module, WNDPROC proc)
{
    auto* base = reinterpret_cast<BYTE*>(module);
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    auto* p = reinterpret_cast<BYTE*>(proc);
    return p >= base && p < base + nt->OptionalHeader.SizeOfImage;
}

int Height(HWND wnd) { return RectHeight(WindowRect(wnd)); }

UINT LeaveMessage() { return RegisterWindowMessageW(kLeaveAsFoundMessageName); }

// The test's own copy of the library, loaded, with roll-up on caption
// double clicks switched on.
bool LoadWithRollUp(OwnLibrary& library, const wchar_t* tag)
{
    if (!library.Load(tag))
        return false;
    auto enable = library.Export<EnableFeaturesFn>(kExportEnableFeatures);
    auto set_flags = library.Export<SetFeatureFlagsFn>(kExportSetFeatureFlags);
    if (!enable || !set_flags)
        return false;
    enable(kFeatureChord | kFeatureTopmost, 0);
    enable(kFeatureRollUp, 1);
    FeatureParams params = {};
    params.s_n_rollup_hotaction = 1;  // caption double click
    set_flags(kFeatureRollUp, params);
    return true;
}

// A real caption double click (the window brought to the front first).
bool RollUpByDoubleClick(HWND wnd)
{
    SetForegroundWindow(wnd);
    PumpFor(GetDoubleClickTime() + 150);
    POINT caption;
    if (!FindHitPoint(wnd, HTCAPTION, &caption))
        return false;
    const int full = Height(wnd);
    input::DoubleClick(Button::Left, caption);
    return WaitFor([&] { return Height(wnd) < full / 3; }, 5000);
}

// A GUI thread of this process with one window and the mouse hook.
class HostThread {
public:
    HostThread(HOOKPROC hook, HMODULE module)
    {
        thread_ = TestThread([this, hook, module] {
            MSG msg;
            PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // a message queue
            window_ = MakeHostWindow(L"Unload host thread", 100, 520);
            hook_ = SetWindowsHookExW(WH_MOUSE, hook, module, GetCurrentThreadId());
            thread_id_ = GetCurrentThreadId();
            ready_ = true;
            while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            DestroyWindow(window_);
        });
        WaitFor([&] { return ready_.load(); }, 5000);
    }
    ~HostThread() { Stop(); }
    void Unhook()
    {
        if (hook_)
            UnhookWindowsHookEx(hook_);
        hook_ = nullptr;
    }
    void Stop()
    {
        if (thread_.joinable()) {
            PostThreadMessageW(thread_id_, WM_QUIT, 0, 0);
            thread_.join();
        }
    }
    HWND Window() const { return window_; }
    HHOOK Hook() const { return hook_; }

private:
    TestThread thread_;
    std::atomic<bool> ready_{false};
    HWND window_ = nullptr;
    HHOOK hook_ = nullptr;
    DWORD thread_id_ = 0;
};
}  // namespace

TEST_CASE("freeing_the_library_under_its_own_procedure_keeps_it_until_every_window_is_given_back_and_the_call_returned")
{
    OwnLibrary library;
    REQUIRE(LoadWithRollUp(library, L"unload"));
    const std::wstring& path = library.path;

    HWND a = MakeHostWindow(L"Unload host A", 100, 100);
    HWND b = MakeHostWindow(L"Unload host B", 520, 100);
    const WNDPROC original = ProcOf(a);
    const int full = Height(a);
    HHOOK hook = SetWindowsHookExW(WH_MOUSE, library.mouse_proc, library.module, GetCurrentThreadId());
    REQUIRE(hook != nullptr);
    HostThread other(library.mouse_proc, library.module);
    REQUIRE(other.Window() != nullptr && other.Hook() != nullptr);

    // B first gets the border move mode (a right click on its bottom
    // border), so it holds two requests; then all three are rolled up.
    SetForegroundWindow(b);
    PumpFor(300);
    POINT bottom;
    REQUIRE(FindHitPoint(b, HTBOTTOM, &bottom));
    input::Click(Button::Right, bottom);
    CHECK(WaitFor([&] { return ProcOf(b) != original; }, 5000));
    POINT side;
    if (CHECK(FindHitPoint(b, HTCAPTION, &side))) {
        RECT r = WindowRect(b);
        DWORD_PTR hit = 0;
        SendMessageTimeoutW(b, WM_NCHITTEST, 0, MAKELPARAM(r.left + 1, (r.top + r.bottom) / 2),
                            SMTO_ABORTIFHUNG, 2000, &hit);
        CHECK_EQ(LRESULT(hit), LRESULT(HTCAPTION));  // the left border moves the window now
    }
    CHECK(RollUpByDoubleClick(a));
    CHECK(RollUpByDoubleClick(b));
    CHECK(RollUpByDoubleClick(other.Window()));
    for (HWND w : {a, b, other.Window()}) {
        CHECK(ProcOf(w) != original);
        CHECK(InModule(library.module, ProcOf(w)));
        CHECK_EQ(SendMessageW(w, WM_APP, 0, 0), LRESULT(0x4F4B));  // forwarded to the original
    }

    UnhookWindowsHookEx(hook);
    other.Unhook();
    // A's own procedure runs a modal loop, under the library's procedure, as
    // a move loop or a system menu would; everything below happens in it.
    bool stayed_for_the_windows = false, stayed_for_the_call = false;
    g_inside_loop = [&] {
        CHECK(FreeLibrary(library.module));
        stayed_for_the_windows = Mapped(path);
        // The program's request at its end, here from the windows' own
        // threads through the library's procedure (no hook is left).
        for (HWND w : {a, b, other.Window()})
            SendMessageW(w, LeaveMessage(), 0, 0);
        for (HWND w : {a, b, other.Window()}) {
            CHECK(ProcOf(w) == original);
            CHECK_EQ(Height(w), full);
        }
        // Nothing of the library holds it now but this call of it, still on
        // this thread's stack.
        PumpFor(800);
        stayed_for_the_call = Mapped(path);
    };
    CHECK_EQ(SendMessageW(a, kRunNestedLoop, 0, 0), kNestedLoopRan);
    g_inside_loop = nullptr;
    CHECK(stayed_for_the_windows);
    CHECK(stayed_for_the_call);
    // Returned through the library's procedure without a crash; now it goes.
    CHECK(WaitFor([&] { return !Mapped(path); }, 5000));

    for (HWND w : {a, b, other.Window()}) {
        CHECK(ProcOf(w) == original);
        CHECK_EQ(SendMessageW(w, WM_APP, 0, 0), LRESULT(0x4F4B));
        // The window keeps working, now sizable to any height.
        CHECK(SetWindowPos(w, nullptr, 0, 0, 360, 240, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE));
        CHECK_EQ(Height(w), 240);
        RECT r = WindowRect(w);
        DWORD_PTR hit = 0;
        CHECK(SendMessageTimeoutW(w, WM_NCHITTEST, 0, MAKELPARAM((r.left + r.right) / 2, r.bottom - 1),
                                  SMTO_ABORTIFHUNG, 2000, &hit));
        CHECK_EQ(LRESULT(hit), LRESULT(HTBOTTOM));
        hit = 0;
        SendMessageTimeoutW(w, WM_NCHITTEST, 0, MAKELPARAM(r.left + 1, (r.top + r.bottom) / 2),
                            SMTO_ABORTIFHUNG, 2000, &hit);
        CHECK_EQ(LRESULT(hit), LRESULT(HTLEFT));  // no border move mode left
    }
    // Real input reaches the windows as before.
    input::DoubleClick(Button::Left, ClientCentre(a));
    PumpFor(300);
    other.Stop();
    DestroyWindow(a);
    DestroyWindow(b);
}

namespace {
// Someone else's subclass, put on a window after the library's.
WNDPROC g_chain_previous = nullptr;
LONG g_chain_calls = 0;
LRESULT CALLBACK LaterSubclass(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    ++g_chain_calls;
    return CallWindowProcW(g_chain_previous, wnd, msg, wp, lp);
}
}  // namespace

TEST_CASE("a_window_subclassed_after_the_library_keeps_its_chain_and_the_library_until_it_is_destroyed")
{
    OwnLibrary library;
    REQUIRE(LoadWithRollUp(library, L"unloadchain"));
    const std::wstring& path = library.path;
    HWND a = MakeHostWindow(L"Unload chain A", 100, 100);
    const WNDPROC original = ProcOf(a);
    const int full = Height(a);
    HHOOK hook = SetWindowsHookExW(WH_MOUSE, library.mouse_proc, library.module, GetCurrentThreadId());
    REQUIRE(hook != nullptr);
    REQUIRE(RollUpByDoubleClick(a));
    const WNDPROC ours = ProcOf(a);
    REQUIRE(ours != original);
    g_chain_previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(a, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LaterSubclass)));
    REQUIRE(g_chain_previous == ours);
    UnhookWindowsHookEx(hook);
    CHECK(FreeLibrary(library.module));
    CHECK(Mapped(path));

    // The program's request at its end: the window is rolled down, but the
    // library's procedure cannot leave the chain without cutting it.
    SendMessageW(a, LeaveMessage(), 0, 0);
    CHECK_EQ(Height(a), full);
    CHECK(ProcOf(a) == LaterSubclass);
    g_chain_calls = 0;
    // The later subclass still reaches the window's own procedure: the
    // library's record of it stayed.
    CHECK_EQ(SendMessageW(a, WM_APP, 0, 0), LRESULT(0x4F4B));
    CHECK(g_chain_calls > 0);
    CHECK(SetWindowPos(a, nullptr, 0, 0, 360, 240, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE));
    CHECK_EQ(Height(a), 240);
    // So the library stays, however long.
    PumpFor(1000);
    CHECK(Mapped(path));

    // Once the window is gone, nothing of the library is left in use.
    DestroyWindow(a);
    CHECK(WaitFor([&] { return !Mapped(path); }, 5000));
}

TEST_CASE("a_mouse_hook_call_that_outlasts_the_last_hold_keeps_the_library_until_it_returns")
{
    OwnLibrary library;
    REQUIRE(LoadWithRollUp(library, L"unloadmouse"));
    const std::wstring& path = library.path;
    HWND a = MakeHostWindow(L"Unload mouse host", 100, 100);
    const int full = Height(a);
    // The mouse hook called as the system calls it: a caption double click
    // on A, in A's thread.
    const auto double_click = [&] {
        const RECT r = WindowRect(a);
        MOUSEHOOKSTRUCTEX record = {};
        record.pt = {(r.left + r.right) / 2, r.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2};
        record.hwnd = a;
        record.wHitTestCode = HTCAPTION;
        return library.mouse_proc(HC_ACTION, WM_NCLBUTTONDBLCLK, reinterpret_cast<LPARAM>(&record));
    };
    // Rolled up, A's subclass is the library's only hold besides this
    // test's load.
    REQUIRE_EQ(double_click(), LRESULT(1));
    REQUIRE(Height(a) < full / 3);
    CHECK(FreeLibrary(library.module));
    CHECK(Mapped(path));

    // Rolling down gives the subclass, and so the last hold, back before the
    // window is resized: A's own procedure then runs, slowly, under the
    // mouse hook's call.
    bool sized = false, stayed_while_called = true;
    g_on_size = [&] {
        if (sized)
            return;
        sized = true;
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < 1500) {
            if (!Mapped(path))
                stayed_while_called = false;
            Sleep(20);
        }
    };
    CHECK_EQ(double_click(), LRESULT(1));
    g_on_size = nullptr;
    CHECK(sized);
    CHECK(stayed_while_called);
    CHECK_EQ(Height(a), full);
    // Returned into the library without a crash; now it goes.
    CHECK(WaitFor([&] { return !Mapped(path); }, 5000));
    DestroyWindow(a);
}
