#include "quornvale/tools/hotkeys.h"

bool RegisterHotkeyFromSettings(HWND /*main_window*/, const wchar_t* /*section*/,
                                const wchar_t* /*key*/, int /*hotkey_id*/)
{
    return false;  // not built yet
}
