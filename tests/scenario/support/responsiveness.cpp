#include "tests/scenario/support/responsiveness.h"

#include "tests/doubles/hang_switch.h"
#include "tests/scenario/support/harness.h"

namespace scenario {

ResponseWatch::ResponseWatch(HWND window) : window_(window)
{
    thread_ = TestThread([this] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        while (!stop_) {
            LARGE_INTEGER before, after;
            QueryPerformanceCounter(&before);
            DWORD_PTR result = 0;
            const bool answered =
                SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &result) != 0;
            QueryPerformanceCounter(&after);
            const DWORD ms = DWORD((after.QuadPart - before.QuadPart) * 1000 / frequency.QuadPart);
            if (answered) {
                if (ms > longest_)
                    longest_ = ms;
                ++samples_;
            } else {
                ++unanswered_;
            }
            Sleep(2);
        }
    });
}

ResponseWatch::~ResponseWatch()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
}

namespace {
// The hook procedures have no context of their own: one watch at a time.
std::atomic<DWORD> g_longest_hook_ms{0};
std::atomic<unsigned> g_hook_events{0};
LARGE_INTEGER g_frequency;

LRESULT TimedNextHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code != HC_ACTION)
        return CallNextHookEx(nullptr, code, wParam, lParam);
    LARGE_INTEGER before, after;
    QueryPerformanceCounter(&before);
    const LRESULT result = CallNextHookEx(nullptr, code, wParam, lParam);
    QueryPerformanceCounter(&after);
    const DWORD ms = DWORD((after.QuadPart - before.QuadPart) * 1000 / g_frequency.QuadPart);
    if (ms > g_longest_hook_ms)
        g_longest_hook_ms = ms;
    ++g_hook_events;
    return result;
}

LRESULT CALLBACK TimedMouseHook(int code, WPARAM wParam, LPARAM lParam) { return TimedNextHook(code, wParam, lParam); }
LRESULT CALLBACK TimedKeyboardHook(int code, WPARAM wParam, LPARAM lParam) { return TimedNextHook(code, wParam, lParam); }
}  // namespace

HookLatencyWatch::HookLatencyWatch()
{
    QueryPerformanceFrequency(&g_frequency);
    g_longest_hook_ms = 0;
    g_hook_events = 0;
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread_ = TestThread([this, ready] {
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue, for WM_QUIT
        thread_id_ = GetCurrentThreadId();
        HINSTANCE self = GetModuleHandleW(nullptr);
        HHOOK mouse = SetWindowsHookExW(WH_MOUSE_LL, TimedMouseHook, self, 0);
        HHOOK keyboard = SetWindowsHookExW(WH_KEYBOARD_LL, TimedKeyboardHook, self, 0);
        installed_ = mouse && keyboard;
        SetEvent(ready);
        while (GetMessageW(&msg, nullptr, 0, 0) > 0)
            DispatchMessageW(&msg);
        if (mouse)
            UnhookWindowsHookEx(mouse);
        if (keyboard)
            UnhookWindowsHookEx(keyboard);
    });
    WaitForSingleObject(ready, 5000);
    CloseHandle(ready);
}

HookLatencyWatch::~HookLatencyWatch()
{
    while (thread_id_ == 0 && thread_.joinable())
        Sleep(1);
    PostThreadMessageW(thread_id_, WM_QUIT, 0, 0);
    if (thread_.joinable())
        thread_.join();
}

DWORD HookLatencyWatch::LongestMs() const { return g_longest_hook_ms; }
unsigned HookLatencyWatch::Events() const { return g_hook_events; }

bool Answers(HWND window, DWORD timeout_ms)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, timeout_ms, &result) != 0;
}

bool HangThreadOf(HWND window, DWORD hang_ms)
{
    if (!PostMessageW(window, HangThreadMessage(), hang_ms, 0))
        return false;
    return WaitFor([&] { return !Answers(window, 100); }, 5000);
}

}  // namespace scenario
