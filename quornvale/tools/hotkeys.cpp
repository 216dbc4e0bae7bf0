#include "quornvale/tools/hotkeys.h"

bool RegisterHotkeyFromSettings(HWND /*main_window*/, Setting /*hotkey_text*/, int /*hotkey_id*/)
{
    return false;  // not built yet
}
