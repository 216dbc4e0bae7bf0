#include "ostrilix/core/process_os_class.h"

#include <windows.h>

#include "common/os_version.h"

namespace {
volatile LONG g_process_os_class = -1;
}  // namespace

int ProcessOsClass()
{
    LONG os_class = g_process_os_class;
    if (os_class < 0) {
        os_class = GetOsVersionClass();
        InterlockedExchange(&g_process_os_class, os_class);
    }
    return int(os_class);
}
