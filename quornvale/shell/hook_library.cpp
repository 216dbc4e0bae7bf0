#include "quornvale/shell/hook_library.h"

#include "common/debug_print.h"
#include "quornvale/shell/library_mirror.h"
#include "quornvale/shell/program_path.h"

namespace {
const LowLevelHookRunner* g_low_level_runner = nullptr;

bool IsLowLevel(int hook_type) { return hook_type == WH_MOUSE_LL || hook_type == WH_KEYBOARD_LL; }
}  // namespace

void SetLowLevelHookRunner(const LowLevelHookRunner* runner) { g_low_level_runner = runner; }

HMODULE LoadHookLibrary(UINT string_id)
{
    wchar_t name[36] = {};
    if (!LoadStringW(g_app.instance, string_id, name, 36))
        return nullptr;
    // By full path from the program's directory: a bare name would return a
    // module of that name already in this process, which a global hook of
    // another copy (say, of a killed instance elsewhere) may have put there.
    wchar_t path[kPathChars];
    int directory = GetModuleDirectory(g_app.instance, path, kPathChars);
    if (directory > 0 && directory + lstrlenW(name) < kPathChars) {
        lstrcpyW(path + directory, name);
        return LoadLibraryExW(path, nullptr, 0);
    }
    return LoadLibraryExW(name, nullptr, 0);
}

bool UnloadHookLibrary()
{
    if (!g_app.library)
        return true;
    const bool freed = FreeLibrary(g_app.library) != FALSE;
    if (freed)
        DebugPrintA("Hook library is unloaded!\n");
    else
        DebugPrintA("FreeLibrary failed: %lu\n", GetLastError());
    g_app.library = nullptr;
    g_app.enable_features = nullptr;
    g_app.set_feature_flags = nullptr;
    return freed;
}

bool InstallHook(HMODULE library, int hook_type, const char* export_name, DWORD thread_id,
                 HHOOK* hook)
{
    if (!library || !export_name || !hook)
        return false;
    auto procedure = reinterpret_cast<HOOKPROC>(
        reinterpret_cast<void*>(GetProcAddress(library, export_name)));
    if (!procedure)
        return false;
    HHOOK installed = IsLowLevel(hook_type) && thread_id == 0 && g_low_level_runner
                          ? g_low_level_runner->install(hook_type, procedure)
                          : SetWindowsHookExW(hook_type, procedure, library, thread_id);
    if (!installed)
        return false;
    *hook = installed;
    DebugPrintA("Hook %s is installed!\n", export_name);
    if (thread_id == 0)
        MirrorHook(hook_type, export_name, true);
    return true;
}

void RemoveHook(HHOOK* hook, const char* export_name)
{
    if (hook && *hook) {
        if (!g_low_level_runner || !g_low_level_runner->remove(*hook))
            UnhookWindowsHookEx(*hook);
        *hook = nullptr;
        DebugPrintA("Hook %s is removed!\n", export_name);
        MirrorHookRemoved(export_name);
    }
}

void SwitchHook(bool on, int hook_type, const char* export_name, HHOOK* hook)
{
    if (!on)
        RemoveHook(hook, export_name);
    else if (!*hook)
        InstallHook(g_app.library, hook_type, export_name, 0, hook);
}

void ResetLibraryRunTimeState()
{
    // The export (a newer library) also releases the cursor that a killed
    // auto-scroll held; the switch alone stops auto-scroll with any library.
    if (auto reset = LibraryExport<ResetRunTimeStateFn>(kExportResetRunTimeState))
        reset();
    PushFeature(kFeatureAutoScrolling, 0);
}

HHOOK* HookSlot(int hook_type)
{
    switch (hook_type) {
    case WH_MOUSE: return &g_app.mouse_hook;
    case WH_MOUSE_LL: return &g_app.low_level_mouse_hook;
    case WH_CALLWNDPROC: return &g_app.call_wnd_proc_hook;
    case WH_GETMESSAGE: return &g_app.get_message_hook;
    case WH_KEYBOARD_LL: return &g_app.low_level_keyboard_hook;
    default: return nullptr;
    }
}

// Each push is recorded in the same call that reaches the library: the
// companion's library gets exactly what this one got.
void PushFeature(DWORD mask, LONG value)
{
    if (g_app.library && g_app.enable_features)
        g_app.enable_features(mask, value);
    MirrorFeature(mask, value);
}

void PushFeatureParams(DWORD flags, const FeatureParams& params)
{
    if (g_app.library && g_app.set_feature_flags)
        g_app.set_feature_flags(flags, params);
    MirrorFeatureParams(flags, params);
}

void PushList(const char* setter, const wchar_t* list)
{
    if (auto set = LibraryExport<SetListFn>(setter))
        set(list);
    MirrorList(setter, list);
}

void PushIntValue(const char* setter, LONG value)
{
    if (auto set = LibraryExport<SetIntValueFn>(setter))
        set(value);
    MirrorValue(setter, value);
}

LONG PushAction(const char* export_name, DWORD argument)
{
    LONG result = 0;
    if (auto act = LibraryExport<LibraryActionFn>(export_name))
        result = act(argument);
    MirrorAction(export_name, argument);
    return result;
}
