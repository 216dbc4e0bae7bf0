#include "ostrilix/topmost/topmost.h"

#include "common/os_version.h"
#include "ostrilix/core/process_os_class.h"
#include "ostrilix/core/shared_block.h"

HWND TopmostInsertAfter(LONG extended_style)
{
    return (extended_style & WS_EX_TOPMOST) ? HWND_NOTOPMOST : HWND_TOPMOST;
}

bool IsTopmostLeftAlone(int os_version_class, const wchar_t* class_name)
{
    return os_version_class == kOsVista && class_name &&
           lstrcmpiW(class_name, L"Shell_Traywnd") == 0;
}

BOOL ToggleTopmost(HWND window)
{
    if (!IsFeatureEnabled(kFeatureTopmost) || !window)
        return FALSE;
    const int os_class = ProcessOsClass();
    if (os_class == kOsVista) {
        wchar_t class_name[30] = {};
        GetClassNameW(window, class_name, 30);
        if (IsTopmostLeftAlone(os_class, class_name))
            return FALSE;
    }
    HWND after = TopmostInsertAfter(GetWindowLongW(window, GWL_EXSTYLE));
    return SetWindowPos(window, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}
