#include "quornvale/tools/clipboard_switch.h"

#include "quornvale/shell/tray_icon.h"

bool PathsToFileList()
{
    return false;  // not built yet: nothing was converted
}

bool FileListToPaths()
{
    return false;  // not built yet: nothing was converted
}

void ShowErrorBalloon(const wchar_t* text)
{
    ShowTrayBalloon(L"Switching between path and pastable object", text, kBalloonError);
}
