// When the library leaves a process, every window it subclassed there gets
// its original procedure back.  Wine keeps a hook library loaded in other
// processes after unhooking, so this test process is the host: it loads a
// copy of Ostrilix.dll, runs its MouseProc as a mouse hook on its own GUI
// threads, lets real clicks subclass its windows, then frees the library.
#include <windows.h>

#include <atomic>
#include <thread>

#include "common/ostrilix_interface.h"
#include "tests/framework/check.h"
#include "tests/scenario/support/harness.h"
#include "tests/scenario/support/input.h"
#include "tests/scenario/support/target.h"

using namespace scenario;
using input::Button;

namespace {
LRESULT CALLBACK HostProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_APP)
        return 0x4F4B;  // answered by the window's own procedure
    return DefWindowProcW(wnd, msg, wp, lp);
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
        thread_ = std::thread([this, hook, module] {
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
    std::thread thread_;
    std::atomic<bool> ready_{false};
    HWND window_ = nullptr;
    HHOOK hook_ = nullptr;
    DWORD thread_id_ = 0;
};
}  // namespace

TEST(freeing_the_library_gives_every_subclassed_window_its_procedure_back)
{
    // A copy of its own, so nothing else in this process holds the module.
    const std::wstring dir = MakeTempDir(L"unload");
    const std::wstring path = JoinPath(dir, L"Ostrilix.dll");
    REQUIRE(CopyFileW(JoinPath(BinDir(), L"Ostrilix.dll").c_str(), path.c_str(), FALSE));
    HMODULE library = LoadLibraryW(path.c_str());
    REQUIRE(library != nullptr);
    auto proc = [&](const char* name) { return reinterpret_cast<void*>(GetProcAddress(library, name)); };
    auto mouse_proc = reinterpret_cast<HOOKPROC>(proc(kExportMouseProc));
    auto enable = reinterpret_cast<EnableFeaturesFn>(proc(kExportEnableFeatures));
    auto set_flags = reinterpret_cast<SetFeatureFlagsFn>(proc(kExportSetFeatureFlags));
    REQUIRE(mouse_proc && enable && set_flags);
    enable(kFeatureChord | kFeatureTopmost, 0);
    enable(kFeatureRollUp, 1);
    FeatureParams params = {};
    params.s_n_rollup_hotaction = 1;  // caption double click
    set_flags(kFeatureRollUp, params);

    HWND a = MakeHostWindow(L"Unload host A", 100, 100);
    HWND b = MakeHostWindow(L"Unload host B", 520, 100);
    const WNDPROC original = ProcOf(a);
    HHOOK hook = SetWindowsHookExW(WH_MOUSE, mouse_proc, library, GetCurrentThreadId());
    REQUIRE(hook != nullptr);
    HostThread other(mouse_proc, library);
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
        CHECK(InModule(library, ProcOf(w)));
        CHECK_EQ(SendMessageW(w, WM_APP, 0, 0), LRESULT(0x4F4B));  // forwarded to the original
    }

    UnhookWindowsHookEx(hook);
    other.Unhook();
    CHECK(FreeLibrary(library));
    CHECK(GetModuleHandleW(path.c_str()) == nullptr);  // really unloaded

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
    }
    // Real input reaches the windows as before.
    input::DoubleClick(Button::Left, ClientCentre(a));
    PumpFor(300);
    other.Stop();
    DestroyWindow(a);
    DestroyWindow(b);
}
