#include "quornvale/shell/input_thread.h"

#include "common/debug_print.h"
#include "quornvale/shell/hook_library.h"
#include "quornvale/shell/hook_watch.h"
#include "quornvale/test_seams/test_seams.h"

namespace {
constexpr wchar_t kInputWindowClass[] = L"Quornvale.Input";
constexpr DWORD kStartMs = 5000;

// Requests of the GUI thread, sent to the input thread's window.
constexpr UINT kAskInstall = WM_APP + 1;    // wParam: hook type, lParam: procedure; answers the hook's identity
constexpr UINT kAskRemove = WM_APP + 2;     // lParam: the identity; answers 1 when it was held
constexpr UINT kAskReinstall = WM_APP + 3;  // answers how many hooks are in place again

// A hook the input thread holds.  The first handle is its identity for the
// rest of the program (the hook slots of app_state.h), whatever handle a
// reinstallation gives it later.  Touched by the input thread only.
struct HeldHook {
    HHOOK identity;
    HHOOK current;
    int type;
};
HeldHook g_held[4] = {};

// The library's procedures the input thread's own ones pass each event to;
// written by the input thread only.
HOOKPROC g_mouse_procedure = nullptr;
HOOKPROC g_keyboard_procedure = nullptr;

// Low-level events the input thread has seen; written by it, read by the
// GUI thread's watch.
volatile LONG g_events = 0;

struct InputThread {
    HANDLE thread;
    DWORD id;
    HWND window;
    HANDLE ready;
};
InputThread g_input = {};

HookWatchState g_watch = {};

// The input thread's own procedures: each counts the event for the watch
// and hands it to the library's procedure, which passes it on.
LRESULT CALLBACK OwnMouseProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code >= 0)
        InterlockedIncrement(&g_events);
    return g_mouse_procedure ? g_mouse_procedure(code, wParam, lParam) : CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK OwnKeyboardProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code >= 0)
        InterlockedIncrement(&g_events);
    return g_keyboard_procedure ? g_keyboard_procedure(code, wParam, lParam)
                                : CallNextHookEx(nullptr, code, wParam, lParam);
}

HHOOK SetOwnHook(int type)
{
    HOOKPROC own = type == WH_MOUSE_LL ? OwnMouseProc : OwnKeyboardProc;
    HHOOK hook = SetWindowsHookExW(type, own, GetModuleHandleW(nullptr), 0);
    if (!hook)
        DebugPrint(L"The input thread could not set low-level hook %d, error %lu\n", type, GetLastError());
    return hook;
}

LRESULT Install(int type, HOOKPROC procedure)
{
    if ((type != WH_MOUSE_LL && type != WH_KEYBOARD_LL) || !procedure)
        return 0;
    for (HeldHook& held : g_held) {
        if (held.identity)
            continue;
        (type == WH_MOUSE_LL ? g_mouse_procedure : g_keyboard_procedure) = procedure;
        HHOOK hook = SetOwnHook(type);
        if (hook)
            held = HeldHook{hook, hook, type};
        return reinterpret_cast<LRESULT>(hook);
    }
    return 0;
}

LRESULT Remove(HHOOK identity)
{
    for (HeldHook& held : g_held) {
        if (!identity || held.identity != identity)
            continue;
        if (held.current)
            UnhookWindowsHookEx(held.current);
        held = HeldHook{};
        return 1;
    }
    return 0;
}

// Each held hook is unhooked (a dropped one refuses, which does no harm) and
// set again at the front of the chain.
LRESULT Reinstall()
{
    LRESULT in_place = 0;
    for (HeldHook& held : g_held) {
        if (!held.identity)
            continue;
        if (held.current)
            UnhookWindowsHookEx(held.current);
        held.current = SetOwnHook(held.type);
        in_place += held.current != nullptr;
    }
    return in_place;
}

LRESULT CALLBACK InputWndProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case kAskInstall: return Install(int(wParam), reinterpret_cast<HOOKPROC>(lParam));
    case kAskRemove: return Remove(reinterpret_cast<HHOOK>(lParam));
    case kAskReinstall: return Reinstall();
    case WM_DESTROY:
        for (HeldHook& held : g_held)
            Remove(held.identity);
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    if (IsTestUnhookRequest(message)) {
        // What Windows does to a hook it drops: gone, and nobody told.
        for (HeldHook& held : g_held)
            if (held.current)
                UnhookWindowsHookEx(held.current);
        return 0;
    }
    return DefWindowProcW(wnd, message, wParam, lParam);
}

DWORD WINAPI InputThreadMain(void*)
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = InputWndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kInputWindowClass;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        DebugPrint(L"The input thread's window class could not be registered, error %lu\n", GetLastError());
        SetEvent(g_input.ready);
        return 1;
    }
    g_input.window = CreateWindowExW(0, kInputWindowClass, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     wc.hInstance, nullptr);
    if (!g_input.window)
        DebugPrint(L"The input thread's window could not be created, error %lu\n", GetLastError());
    SetEvent(g_input.ready);
    if (!g_input.window)
        return 1;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
        DispatchMessageW(&msg);
    return 0;
}

// The answer of the input thread to a request, 0 when none came in time.
// Blocking: the GUI thread answers no message sent to it meanwhile, so a
// request during start-up does not let anyone see a half-made program (the
// input thread never sends to the GUI thread, so this cannot deadlock).
LRESULT Ask(UINT request, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR answer = 0;
    if (!g_input.window ||
        !SendMessageTimeoutW(g_input.window, request, wParam, lParam, SMTO_BLOCK, kInputAnswerMs, &answer)) {
        DebugPrint(L"The input thread did not answer request 0x%x, error %lu\n", request, GetLastError());
        return 0;
    }
    return LRESULT(answer);
}

HHOOK InstallOnInputThread(int hook_type, HOOKPROC procedure)
{
    return reinterpret_cast<HHOOK>(Ask(kAskInstall, WPARAM(hook_type), reinterpret_cast<LPARAM>(procedure)));
}

bool RemoveOnInputThread(HHOOK hook) { return Ask(kAskRemove, 0, reinterpret_cast<LPARAM>(hook)) != 0; }

constexpr LowLevelHookRunner kInputThreadRunner = {InstallOnInputThread, RemoveOnInputThread};

void CALLBACK HookWatchTimer(HWND, UINT, UINT_PTR, DWORD)
{
    POINT cursor = {};
    if (!GetCursorPos(&cursor))
        return;
    const DWORD now = GetTickCount();
    const DWORD quiet = now - g_watch.last_event_at;
    if (!HookWatchTick(&g_watch, g_events, cursor, now, kHookSilenceMs))
        return;
    const LRESULT in_place = Ask(kAskReinstall, 0, 0);
    if (in_place > 0)
        DebugPrint(L"Low-level hooks reinstalled (%d): no low-level event for %lu ms while the cursor moved\n",
                   int(in_place), quiet);
}
}  // namespace

bool StartInputThread()
{
    g_input.ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!g_input.ready)
        return false;
    g_input.thread = CreateThread(nullptr, 0, InputThreadMain, nullptr, 0, &g_input.id);
    if (!g_input.thread) {
        DebugPrint(L"The input thread could not be started, error %lu\n", GetLastError());
    } else if (WaitForSingleObject(g_input.ready, kStartMs) != WAIT_OBJECT_0 || !g_input.window) {
        DebugPrint(L"The input thread did not start; the low-level hooks run on the GUI thread\n");
        // Its window, should it come late, is never asked anything.
        g_input.window = nullptr;
    }
    CloseHandle(g_input.ready);
    g_input.ready = nullptr;
    if (!g_input.window)
        return false;
    SetLowLevelHookRunner(&kInputThreadRunner);
    DebugPrint(L"Input thread %lu runs the low-level hooks\n", g_input.id);
    return true;
}

void EndInputThread()
{
    SetLowLevelHookRunner(nullptr);
    if (g_input.window)
        PostMessageW(g_input.window, WM_CLOSE, 0, 0);
    if (g_input.thread) {
        if (WaitForSingleObject(g_input.thread, kInputAnswerMs) != WAIT_OBJECT_0)
            DebugPrint(L"The input thread did not end in time\n");
        CloseHandle(g_input.thread);
    }
    g_input = InputThread{};
}

void StartHookWatch(HWND main_window)
{
    g_watch = HookWatchState{};
    if (!SetTimer(main_window, HOOK_WATCH_TIMER, kHookWatchPeriodMs, HookWatchTimer))
        DebugPrint(L"SetTimer for the hook watch failed, error %lu\n", GetLastError());
}

void StopHookWatch(HWND main_window) { KillTimer(main_window, HOOK_WATCH_TIMER); }
