// quornvale32.exe: the 32-bit companion of the 64-bit program.  A 64-bit
// program's global hooks reach 64-bit processes only; this program installs
// the 32-bit library's in-context hooks (the ones the program has: WH_MOUSE,
// WH_CALLWNDPROC, WH_GETMESSAGE while its switch is on) so that 32-bit
// applications get every in-process feature.  Low-level hooks, the tray
// icon, the menu, hotkeys and the tools stay in the program alone, so no
// gesture is handled twice.
//
// It has one hidden window (never shown), no tray icon and no
// single-instance flag; it takes every push of the program from the library
// mirror, ends when told to and when the program's process ends, and gives
// back first what its library changed, through the program's own exit code.
// Started by itself it says so once and ends.
#include <windows.h>

#include "common/debug_print.h"
#include "common/system_function.h"
#include "quornvale/companion/companion_arguments.h"
#include "quornvale/companion/companion_protocol.h"
#include "quornvale/shell/app_state.h"
#include "quornvale/shell/exit_restore.h"
#include "quornvale/shell/start_restore.h"
#include "quornvale/shell/hook_library.h"
#include "quornvale/shell/library_mirror.h"

namespace {
struct CompanionRun {
    DWORD program_process_id;
    DWORD last_serial;   // of the newest mirror replayed
    DWORD last_action;   // serial of the newest action performed
    bool leaving;
};
CompanionRun g_run = {};

using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE process, BOOL* wow64);

// The companion is the 32-bit side of a 64-bit program: a 32-bit process on
// 64-bit Windows.  The test build of the same source (an x86_64 stand-in,
// QV_COMPANION_ANY_BITNESS) runs as it is.
bool RunsAsCompanionBitness()
{
#if defined(QV_COMPANION_ANY_BITNESS)
    return true;
#else
    if (sizeof(void*) != 4)
        return false;
    auto query = LoadedSystemFunction<IsWow64ProcessFn>(L"kernel32.dll", "IsWow64Process");
    BOOL wow64 = FALSE;
    return query && query(GetCurrentProcess(), &wow64) && wow64;
#endif
}

// The window is the program's main window, of that process.
bool IsProgramWindow(HWND wnd, DWORD* process_id)
{
    wchar_t name[32] = {};
    if (!IsWindow(wnd) || !GetClassNameW(wnd, name, 32) || lstrcmpW(name, kMainWindowClass) != 0)
        return false;
    DWORD process = 0;
    GetWindowThreadProcessId(wnd, &process);
    if (process_id)
        *process_id = process;
    return process != 0;
}

void Hook(int hook_type, const char* export_name, bool on)
{
    if (HHOOK* slot = HookSlot(hook_type))
        SwitchHook(on, hook_type, export_name, slot);
}

void Action(const char* export_name, DWORD argument) { PushAction(export_name, argument); }

constexpr MirrorSink kLibrarySink = {PushFeature, PushFeatureParams, PushList, PushIntValue, Hook, Action};

void Reload(DWORD serial)
{
    if (g_run.leaving || serial <= g_run.last_serial)
        return;
    wchar_t name[kMirrorMappingNameChars];
    MirrorMappingName(g_run.program_process_id, serial, name);
    HANDLE mapping = OpenFileMappingW(FILE_MAP_READ, FALSE, name);
    if (!mapping)
        return;  // replaced already: its successor's message follows
    const BYTE* view = static_cast<const BYTE*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
    if (view) {
        MEMORY_BASIC_INFORMATION info = {};
        VirtualQuery(view, &info, sizeof(info));
        if (ReplayMirror(view, info.RegionSize, kLibrarySink, &g_run.last_action)) {
            DebugPrint(L"Companion: settings %lu applied\n", serial);
            // The hooks are in place with the first settings: what an ended
            // program's companion left changed comes back.
            if (g_run.last_serial == 0)
                GiveBackWhatAnEndedProgramLeft();
        } else
            DebugPrint(L"Companion: settings %lu unreadable\n", serial);
        UnmapViewOfFile(view);
        g_run.last_serial = serial;
    } else {
        DebugPrint(L"Companion: settings %lu not mapped, error %lu\n", serial, GetLastError());
    }
    CloseHandle(mapping);
}

// The program's exit, for this library: every window given back, unhooked,
// unloaded.
void Leave()
{
    if (g_run.leaving)
        return;
    g_run.leaving = true;
    RemoveHook(&g_app.get_message_hook, kExportGetMsgProc);
    UnhookAndGiveBack();
    if (!UnloadHookLibrary())
        DebugPrint(L"Companion: library not unloaded\n");
    DebugPrint(L"Companion: windows given back, leaving\n");
}

LRESULT CALLBACK CompanionWndProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case kCompanionReload:
        Reload(DWORD(wParam));
        return 0;
    case kCompanionExit:
        DestroyWindow(wnd);
        return 0;
    case WM_ENDSESSION:
        if (wParam)
            DestroyWindow(wnd);
        return 0;
    case WM_DESTROY:
        Leave();
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(wnd, message, wParam, lParam);
    }
}

HWND CreateCompanionWindow(HINSTANCE instance)
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = CompanionWndProc;
    wc.hInstance = instance;
    wc.lpszClassName = kCompanionWindowClass;
    if (!RegisterClassExW(&wc)) {
        DebugPrint(L"Companion: class not registered, error %lu\n", GetLastError());
        return nullptr;
    }
    // Top-level (so the session's end reaches it) and never shown.
    return CreateWindowExW(WS_EX_TOOLWINDOW, kCompanionWindowClass, nullptr, WS_POPUP, 0, 0, 0, 0, nullptr,
                           nullptr, instance, nullptr);
}

// The loop also wakes when the program's process ends, killed or not.
int RunLoop(HWND wnd, HANDLE program)
{
    bool program_ended = false;
    for (;;) {
        if (!program_ended) {
            const DWORD woke = MsgWaitForMultipleObjects(1, &program, FALSE, INFINITE, QS_ALLINPUT);
            if (woke != WAIT_OBJECT_0 + 1) {
                program_ended = true;
                DebugPrint(L"Companion: the program has ended\n");
                if (IsWindow(wnd))
                    DestroyWindow(wnd);
            }
        } else {
            WaitMessage();
        }
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT)
                return int(msg.wParam);
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int)
{
    ULONG_PTR handle = 0;
    HWND program_window = nullptr;
    if (ParseCompanionArguments(arguments, &handle))
        program_window = reinterpret_cast<HWND>(LONG_PTR(LONG(DWORD(handle))));
    DWORD program_id = 0;
    if (!program_window || !IsProgramWindow(program_window, &program_id)) {
        MessageBoxW(nullptr, kCompanionAloneText, kCompanionAloneCaption, MB_ICONINFORMATION);
        return 1;
    }
    if (!RunsAsCompanionBitness()) {
        DebugPrint(L"Companion: not a 32-bit process on 64-bit Windows, leaving\n");
        return 2;
    }
    HANDLE program = OpenProcess(SYNCHRONIZE, FALSE, program_id);
    // Checked again once the handle is open: a window that still belongs to
    // that process proves the handle is the program's, not a later one's.
    DWORD still = 0;
    if (!program || !IsProgramWindow(program_window, &still) || still != program_id) {
        DebugPrint(L"Companion: the program is gone, error %lu\n", GetLastError());
        if (program)
            CloseHandle(program);
        return 3;
    }
    g_run.program_process_id = program_id;
    g_app.instance = instance;

    HWND wnd = CreateCompanionWindow(instance);
    g_app.library = wnd ? LoadHookLibrary(IDS_LIBRARY_NAME) : nullptr;
    if (g_app.library) {
        g_app.enable_features = LibraryExport<EnableFeaturesFn>(kExportEnableFeatures);
        g_app.set_feature_flags = LibraryExport<SetFeatureFlagsFn>(kExportSetFeatureFlags);
    }
    if (!g_app.library || !g_app.enable_features || !g_app.set_feature_flags) {
        DebugPrint(L"Companion: no library, error %lu\n", GetLastError());
        if (wnd) {
            g_run.leaving = true;
            DestroyWindow(wnd);
        }
        UnloadHookLibrary();
        CloseHandle(program);
        return 4;
    }
    ResetLibraryRunTimeState();
    DebugPrint(L"Companion: running for process %lu\n", program_id);
    // The hooks and every setting come with the first mirror.
    const int code = RunLoop(wnd, program);
    CloseHandle(program);
    return code;
}
