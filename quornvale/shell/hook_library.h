#pragma once
// Binding of Ostrilix.dll: loading it, its hooks, and calls into its exports.
#include <windows.h>

#include "quornvale/resources/resource.h"
#include "quornvale/shell/app_state.h"

constexpr UINT IDS_LIBRARY_NAME = IDS_LIBRARY_FILE;

// LoadStringW of the id (36 characters), then LoadLibraryExW with the
// normal search order, which starts with the program's directory.
HMODULE LoadHookLibrary(UINT string_id);
// Frees the library and forgets it and its bound exports, even when the
// system refuses (the handle is of no further use then); false in that case.
// True when no library was loaded.
bool UnloadHookLibrary();

// Installs one library procedure, by export name, as a hook of the given
// type on the given thread (0: all).  False, with *hook untouched, when the
// module, the name or the export is missing or the system refuses.
bool InstallHook(HMODULE library, int hook_type, const char* export_name, DWORD thread_id,
                 HHOOK* hook);
// Where low-level hooks (WH_MOUSE_LL, WH_KEYBOARD_LL) are set and removed:
// the program's input thread registers itself here (input_thread.h); with
// none registered (the companion, unit tests) the calling thread does it.
struct LowLevelHookRunner {
    HHOOK (*install)(int hook_type, HOOKPROC procedure);
    // False when the runner does not hold this hook.
    bool (*remove)(HHOOK hook);
};
void SetLowLevelHookRunner(const LowLevelHookRunner* runner);

// Unhooks and clears the handle; nothing when it is null.  The export name
// only labels the trace.
void RemoveHook(HHOOK* hook, const char* export_name);
// An optional hook (all threads) follows its switch.  A hook already in
// place stays (a hand edit may have changed the file behind the program's
// back), so no handle is ever lost and none installed twice.
void SwitchHook(bool on, int hook_type, const char* export_name, HHOOK* hook);

// A program killed in the middle of a gesture left its run-time state in the
// shared block, which outlives it while other processes keep the library:
// auto-scroll still running with its step, a chord in flight, the
// middle-button state.  Cleared before any hook of this run is installed.
void ResetLibraryRunTimeState();

// An optional export, looked up at the point of use; null while no library
// is loaded or when the library lacks it.
template <typename Fn>
Fn LibraryExport(const char* name)
{
    if (!g_app.library)
        return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(g_app.library, name)));
}

// The handle slot of the program state for a hook type; null for another type.
HHOOK* HookSlot(int hook_type);

// Feature switches and parameters; nothing while no library is bound.  Every
// push (and every hook of all threads installed or removed above) is also
// recorded in the library mirror (library_mirror.h) for the companion.
void PushFeature(DWORD mask, LONG value);
void PushFeatureParams(DWORD flags, const FeatureParams& params);
// Calls a list setter or an integer setter by name when the library exports it.
void PushList(const char* setter, const wchar_t* list);
void PushIntValue(const char* setter, LONG value);
// An action export taking one DWORD (ReturnTrayWindows with no wait), asked
// for now, here and in the companion's library; its result here, 0 without it.
using LibraryActionFn = LONG(WINAPI*)(DWORD argument);
LONG PushAction(const char* export_name, DWORD argument);
