// Exits with the user's menu effects as the system has them now: bit 0 menu
// fade, bit 1 menu animation.  Wine keeps the values each process has read
// (or set) itself, so a test that wants what another process set asks a
// fresh process.
#include <windows.h>

int wmain()
{
    BOOL fade = FALSE, animation = FALSE;
    if (!SystemParametersInfoW(SPI_GETMENUFADE, 0, &fade, 0) ||
        !SystemParametersInfoW(SPI_GETMENUANIMATION, 0, &animation, 0))
        return 0x100;
    return (fade ? 1 : 0) | (animation ? 2 : 0);
}
