#include "quornvale/tools/power.h"

#include <stdio.h>

#include "common/debug_print.h"
#include "common/system_function.h"
#include "quornvale/shell/language.h"
#include "quornvale/shell/tray_icon.h"
#include "quornvale/shell/worker.h"
#include "quornvale/test_seams/test_seams.h"
#include "quornvale/tools/notice_text.h"

namespace {
// SYSTEM_POWER_CAPABILITIES as far as the two fields read here; the rest of
// the system's structure is room for the call to fill.
struct PowerCapabilities {
    BOOLEAN PowerButtonPresent;
    BOOLEAN SleepButtonPresent;
    BOOLEAN LidPresent;
    BOOLEAN SystemS1;
    BOOLEAN SystemS2;
    BOOLEAN SystemS3;
    BOOLEAN SystemS4;
    BOOLEAN SystemS5;
    BOOLEAN HiberFilePresent;
    BYTE rest[128];
};
using GetPwrCapabilitiesFn = BOOLEAN(WINAPI*)(PowerCapabilities*);
using SetSuspendStateFn = BOOLEAN(WINAPI*)(BOOLEAN hibernate, BOOLEAN force, BOOLEAN disable_wake);
using LockWorkStationFn = BOOL(WINAPI*)();
using SessionNotificationFn = BOOL(WINAPI*)(HWND, DWORD);
using UnregisterSessionNotificationFn = BOOL(WINAPI*)(HWND);
constexpr DWORD kNotifyForThisSession = 0;

// The power functions: the system's, or in the test build the double's.
class PowerFunctions {
public:
    PowerFunctions() : system_(L"powrprof.dll"), double_(LoadPowerDouble()) {}
    ~PowerFunctions()
    {
        if (double_)
            FreeLibrary(double_);
    }
    PowerFunctions(const PowerFunctions&) = delete;
    PowerFunctions& operator=(const PowerFunctions&) = delete;

    template <typename Fn>
    Fn Power(const char* name) const
    {
        return double_ ? Bind<Fn>(double_, name) : system_.Function<Fn>(name);
    }
    LockWorkStationFn Lock() const
    {
        return double_ ? Bind<LockWorkStationFn>(double_, "LockWorkStation")
                       : LoadedSystemFunction<LockWorkStationFn>(L"user32.dll", "LockWorkStation");
    }

private:
    template <typename Fn>
    static Fn Bind(HMODULE module, const char* name)
    {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    }
    SystemLibrary system_;
    HMODULE double_;
};

void ShowHibernateBalloon(const wchar_t* message_key, const wchar_t* value)
{
    wchar_t title[64] = {}, message[256] = {}, text[256] = {};
    GetLanguageText(L"error_message", L"ID_HIBERNATE_ERROR_TITLE", title, 64);
    GetLanguageText(L"error_message", message_key, message, 256);
    FormatNoticeText(message, value, text, 256);
    ShowTrayBalloon(title, text, kBalloonError);
}

void CALLBACK MonitorOffTimer(HWND main_window, UINT, UINT_PTR id, DWORD)
{
    KillTimer(main_window, id);
    // The main window passes it to DefWindowProc, which switches it off;
    // the trace follows the effect.
    SendMessageW(main_window, WM_SYSCOMMAND, SC_MONITORPOWER, 2);
    DebugPrint(L"Turning the monitor off\n");
}

const SystemLibrary& SessionLibrary()
{
    static SystemLibrary wtsapi(L"wtsapi32.dll");
    return wtsapi;
}
}  // namespace

void TurnOffMonitor(HWND main_window)
{
    // A second press within the second starts the wait again.
    if (!SetTimer(main_window, MONITOR_OFF_TIMER, kMonitorOffDelayMs, MonitorOffTimer))
        DebugPrint(L"SetTimer for turning the monitor off failed, error %lu\n", GetLastError());
}

bool HibernateNow(HWND /*main_window*/)
{
    PowerFunctions functions;
    auto get_capabilities = functions.Power<GetPwrCapabilitiesFn>("GetPwrCapabilities");
    auto suspend = functions.Power<SetSuspendStateFn>("SetSuspendState");
    PowerCapabilities capabilities = {};
    if (!get_capabilities || !suspend || !get_capabilities(&capabilities)) {
        DebugPrint(L"The power capabilities could not be read, error %lu\n", GetLastError());
        return false;
    }
    if (!capabilities.SystemS4) {
        ShowHibernateBalloon(L"ID_HIBERNATE_NOT_SUPPORT", L"");
        return false;
    }
    if (!capabilities.HiberFilePresent) {
        ShowHibernateBalloon(L"ID_HIBERNATE_NOT_READY", L"");
        return false;
    }
    if (suspend(TRUE, TRUE, FALSE))
        return true;
    const DWORD error = GetLastError();
    DebugPrint(L"SetSuspendState failed, error %lu\n", error);
    wchar_t code[16];
    _snwprintf(code, 15, L"%lu", error);
    code[15] = L'\0';
    ShowHibernateBalloon(L"ID_HIBERNATE_ERROR_MESSAGE", code);
    return false;
}

void HibernateOnWorker()
{
    if (!StartWorker([](void*) { HibernateNow(nullptr); }, nullptr))
        ShowHibernateBalloon(L"ID_HIBERNATE_ERROR_MESSAGE", L"");
}

void LockSession()
{
    PowerFunctions functions;
    if (auto lock = functions.Lock()) {
        if (!lock())
            DebugPrint(L"LockWorkStation failed, error %lu\n", GetLastError());
    } else {
        DebugPrint(L"LockWorkStation is not available\n");
    }
}

bool RegisterSessionNotices(HWND main_window)
{
    auto subscribe = SessionLibrary().Function<SessionNotificationFn>("WTSRegisterSessionNotification");
    if (!subscribe)
        return true;  // Windows 2000: no session notices, nothing to try again
    if (subscribe(main_window, kNotifyForThisSession))
        return true;
    DebugPrint(L"WTSRegisterSessionNotification failed, error %lu\n", GetLastError());
    return false;
}

void UnregisterSessionNotices(HWND main_window)
{
    if (auto unsubscribe =
            SessionLibrary().Function<UnregisterSessionNotificationFn>("WTSUnRegisterSessionNotification"))
        unsubscribe(main_window);
}

void OnSessionChange(WPARAM session_event)
{
    if (session_event != kSessionLock && session_event != kSessionUnlock)
        return;
    DebugPrint(L"Session %s: the left Windows key is released\n",
               session_event == kSessionLock ? L"locked" : L"unlocked");
    keybd_event(VK_LWIN, 0, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP, 0);
}
