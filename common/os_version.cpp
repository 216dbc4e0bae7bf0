#include "common/os_version.h"

#include <windows.h>

int ClassifyOsVersion(unsigned major, unsigned minor)
{
    if (major <= 4)
        return kOsBefore2000;
    if (major == 5)
        return minor == 0 ? kOsWin2000 : kOsWinXP;
    if (major == 6 && minor == 0)
        return kOsVista;
    if (major == 6 && minor == 1)
        return kOsWin7;
    return kOsLater;
}

int GetOsVersionClass()
{
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExW(&info))
        return kOsUnknown;
#pragma GCC diagnostic pop
    return ClassifyOsVersion(info.dwMajorVersion, info.dwMinorVersion);
}
