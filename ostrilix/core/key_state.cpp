#include "ostrilix/core/key_state.h"

#include <windows.h>

bool IsKeyPressed(int virtual_key)
{
    if ((virtual_key == VK_LBUTTON || virtual_key == VK_RBUTTON) && GetSystemMetrics(SM_SWAPBUTTON))
        virtual_key = virtual_key == VK_LBUTTON ? VK_RBUTTON : VK_LBUTTON;
    return (GetAsyncKeyState(virtual_key) & 0x8000) != 0;
}
