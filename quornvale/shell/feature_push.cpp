#include "quornvale/shell/feature_push.h"

#include <commctrl.h>

#include "common/debug_print.h"
#include "quornvale/shell/app_state.h"
#include "quornvale/shell/companion_link.h"
#include "quornvale/shell/exit_restore.h"
#include "quornvale/shell/hook_library.h"
#include "quornvale/shell/input_thread.h"
#include "quornvale/shell/language.h"
#include "quornvale/shell/platform_notice.h"
#include "quornvale/shell/settings.h"
#include "quornvale/shell/settings_watch.h"
#include "quornvale/shell/shell_retry.h"
#include "quornvale/shell/start_restore.h"
#include "quornvale/shell/tray_icon.h"
#include "quornvale/tools/desktop_colours.h"
#include "quornvale/tools/hotkeys.h"
#include "quornvale/tools/net_accounts.h"
#include "quornvale/tools/power.h"

LRESULT OnCreate(HWND main_window)
{
    g_app.main_window = main_window;
    const bool icon_added = AddTrayIcon(main_window);
    g_app.taskbar_created_message = RegisterWindowMessageW(L"TaskbarCreated");
    // Every hotkey that fails during start-up is named in one balloon.
    HotkeyFailureBatch hotkey_failures;
    RegisterStartHotkeys(main_window);
    RetryShellPartsIfNeeded(main_window, icon_added, RegisterSessionNotices(main_window));

    INITCOMMONCONTROLSEX controls = {sizeof(controls), 0xFF};
    InitCommonControlsEx(&controls);

    g_app.library = LoadHookLibrary(IDS_LIBRARY_NAME);
    if (!g_app.library) {
        wchar_t name[36] = {};
        LoadStringW(g_app.instance, IDS_LIBRARY_NAME, name, 36);
        wchar_t text[128];
        _snwprintf(text, 127, L"Couldn't load the %s, application will failed!", name);
        text[127] = L'\0';
        MessageBoxW(nullptr, text, L"Error", MB_ICONERROR);
        return 0;
    }
    g_app.enable_features = LibraryExport<EnableFeaturesFn>(kExportEnableFeatures);
    g_app.set_feature_flags = LibraryExport<SetFeatureFlagsFn>(kExportSetFeatureFlags);
    if (!g_app.enable_features || !g_app.set_feature_flags)
        return 0;
    ResetLibraryRunTimeState();
    TellLibraryTheProgramProcess();

    // The low-level hooks go to the input thread (or, failing that, stay here).
    StartInputThread();
    InstallHook(g_app.library, WH_MOUSE, kExportMouseProc, 0, &g_app.mouse_hook);
    InstallHook(g_app.library, WH_MOUSE_LL, kExportLowLevelMouseProc, 0, &g_app.low_level_mouse_hook);
    InstallHook(g_app.library, WH_CALLWNDPROC, kExportCallWndProc, 0, &g_app.call_wnd_proc_hook);
    // Before the settings: minimise-to-tray stays off until then.
    PushFeature(kFeatureNotifyIcon, 0);
    GiveBackWhatAnEndedProgramLeft();

    ApplyAllSettings();
    EnumerateLanguages();
    InitNetAccounts();

    ApplySimulatedWinKey(ReadSetting(Setting::kSimulatedWinKeyEnable));
    StartHookWatch(main_window);
    PushMidButtonExceptions();
    StartSettingsWatch();
    // 32-bit applications: the companion gets everything pushed so far.
    StartCompanion(main_window);
    TellAboutWin64PackageIfNeeded();
    return 0;
}

LRESULT OnDestroy(HWND main_window)
{
    // The companion gives its windows back meanwhile; waited for at the end.
    EndCompanion();
    // Hand edits of settings.ini are no longer applied.
    StopSettingsWatch();
    // No new gesture starts on the input thread while windows are given back.
    // The switches decide at start which optional hooks exist; a hook that a
    // menu toggle removed is already null, so removing by handle is safe.
    StopHookWatch(main_window);
    RemoveHook(&g_app.low_level_keyboard_hook, kExportLowLevelKeyboardProc);
    RemoveHook(&g_app.low_level_mouse_hook, kExportLowLevelMouseProc);
    EndInputThread();
    RestoreFadedWindowsBeforeExit();
    RemoveHook(&g_app.get_message_hook, kExportGetMsgProc);
    UnregisterAllHotkeys(main_window);
    UnregisterSessionNotices(main_window);
    FreeLanguages();
    RestoreDesktopColours();

    UnhookAndGiveBack();
    delete[] g_app.notify_icon_list;
    g_app.notify_icon_list = nullptr;

    const bool unloaded = UnloadHookLibrary();
    if (!unloaded) {
        // Said once, then the teardown goes on: stopping here would leave a
        // process with no window that every later start takes for a running
        // instance.
        MessageBoxW(nullptr, L"Couldn't free the dll", L"Error", MB_ICONERROR);
    }
    ShutdownNetAccounts();
    AwaitCompanionEnd();
    DeleteTrayIcon();
    PostQuitMessage(0);
    return unloaded ? 0 : 1;
}
