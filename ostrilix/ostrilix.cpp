// Ostrilix.dll: loaded by quornvale.exe and, through its global hooks, by
// every GUI process of the desktop.
#include <windows.h>

#include "common/os_version.h"
#include "ostrilix/core/name_lists.h"
#include "ostrilix/core/shared_block.h"
#include "ostrilix/hooks/auto_scroll.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        DisableThreadLibraryCalls(instance);
        g_shared.s_n_os_version = GetOsVersionClass();
        break;
    case DLL_PROCESS_DETACH:
        ReleaseMappedLists();
        EndAutoScrollOfProcess();
        break;
    default:
        break;
    }
    return TRUE;
}
