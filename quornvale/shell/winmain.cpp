// quornvale.exe: the tray program.  One hidden window; everything the
// program does is a message to it.
#include <windows.h>

#include "common/debug_print.h"
#include "common/os_version.h"
#include "common/system_function.h"
#include "quornvale/shell/app_state.h"
#include "quornvale/shell/main_window.h"
#include "quornvale/shell/program_path.h"
#include "quornvale/shell/program_restart.h"
#include "quornvale/shell/settings.h"
#include "quornvale/shell/settings_location.h"
#include "quornvale/tools/settings_window.h"
#include "quornvale/tools/snapshot_saver.h"

// Shared by every process started from this image: a second start sees the
// first one's flag and leaves.  An instance that restarts the program
// releases it before it starts the next one.
LONG s_b_instance_running __attribute__((section(".share"), shared)) = 0;

constexpr DWORD kSnapshotFinishMs = 10000;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR command_line, int)
{
    // Started by a restart: the instance that started this one is ending;
    // its window, icon and hooks are gone already, its process goes next.
    AwaitPreviousInstance(command_line, kRestartHandOverMs);
    if (InterlockedCompareExchange(&s_b_instance_running, 1, 0) != 0)
        return 0;

    if (!RegisterMainWindowClass(instance, kMainWindowClass)) {
        MessageBoxW(nullptr, L"This program requires Windows NT!", kMainWindowClass, MB_ICONERROR);
        return 0;
    }

    // Beside the program (a portable copy) or in the user's profile (an
    // installed one).  None (a path too long, no profile) leaves the settings
    // unnamed: every read gives its default and nothing is written anywhere
    // else instead.
    wchar_t path[kPathChars];
    if (LocateSettings(instance, path, kPathChars))
        SetSettingsPath(path);
    // Relative paths (language files, help, snapshot folder) resolve against
    // the program directory.
    if (GetModuleDirectory(instance, path, kPathChars) > 0)
        SetCurrentDirectoryW(path);

    // The version class that the program's version paths ask (2: Windows
    // 2000: the shorter tray record, the desktop captions entry, the
    // desktop colours), traced so that a run shows which paths it takes.
    DebugPrint(L"Windows version class %d\n", GetOsVersionClass());

    // The manifest declares the program DPI-aware (Windows Vista and later):
    // coordinates from hooks, messages and the screen are all physical pixels.
    using IsDpiAwareFn = BOOL(WINAPI*)();
    if (auto aware = LoadedSystemFunction<IsDpiAwareFn>(L"user32.dll", "IsProcessDPIAware"))
        DebugPrint(L"DPI aware %d\n", int(aware()));

    g_app.instance = instance;
    if (!CreateMainWindow(instance))
        return 1;  // no window would ever end the loop

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (IsSettingsWindowMessage(&msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    // The window and the hooks are gone: a snapshot still being written to a
    // slow folder gets a while to finish.
    FinishSnapshotSaves(kSnapshotFinishMs);
    if (IsRestartRequested()) {
        // Every exit step is done: the next instance may run.
        InterlockedExchange(&s_b_instance_running, 0);
        StartNextInstance();
    }
    return int(msg.wParam);
}
