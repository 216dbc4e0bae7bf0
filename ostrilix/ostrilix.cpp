// Ostrilix.dll: loaded by quornvale.exe and, through its global hooks, by
// every GUI process of the desktop.
#include <windows.h>

#include "ostrilix/core/library_hold.h"
#include "ostrilix/core/name_lists.h"
#include "ostrilix/core/process_lock.h"
#include "ostrilix/core/shared_block.h"
#include "ostrilix/scrolling/auto_scroll.h"
#include "ostrilix/taskbar/taskbar_drag.h"
#include "ostrilix/core/subclass_registry.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        DisableThreadLibraryCalls(instance);
        InitProcessLock();
        break;
    case DLL_PROCESS_DETACH: {
        // reserved is non-null when the whole process is ending: its other
        // threads are already gone, perhaps while holding the registry.
        const bool freed = reserved == nullptr;
        // The image is going: nothing may start a thread on it any more.
        ForgetLibraryHolds();
        ReleaseMappedLists();
        EndAutoScrollOfProcess();
        // No window may keep a procedure that is about to be unmapped.  (Every
        // window whose chain runs through ours holds the library, so when it
        // is freed rather than ended with the process, none is left.)
        RemoveAllSubclasses(freed);
        RemoveTaskbarDragOfProcess(freed);
        if (freed)
            DeleteProcessLock();
        break;
    }
    default:
        break;
    }
    return TRUE;
}
