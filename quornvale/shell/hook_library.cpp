#include "quornvale/shell/hook_library.h"

#include "common/debug_print.h"

HMODULE LoadHookLibrary(UINT string_id)
{
    wchar_t name[36] = {};
    if (!LoadStringW(g_app.instance, string_id, name, 36))
        return nullptr;
    return LoadLibraryExW(name, nullptr, 0);
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
    HHOOK installed = SetWindowsHookExW(hook_type, procedure, library, thread_id);
    if (!installed)
        return false;
    *hook = installed;
    DebugPrintA("Hook %s is installed!\n", export_name);
    return true;
}

void RemoveHook(HHOOK* hook, const char* export_name)
{
    if (hook && *hook) {
        UnhookWindowsHookEx(*hook);
        *hook = nullptr;
        DebugPrintA("Hook %s is removed!\n", export_name);
    }
}

void PushFeature(DWORD mask, LONG value)
{
    if (g_app.library && g_app.enable_features)
        g_app.enable_features(mask, value);
}

void PushFeatureParams(DWORD flags, const FeatureParams& params)
{
    if (g_app.library && g_app.set_feature_flags)
        g_app.set_feature_flags(flags, params);
}

void PushList(const char* setter, const wchar_t* list)
{
    if (auto set = LibraryExport<SetListFn>(setter))
        set(list);
}
