#pragma once
// Desktop icon caption colours (Windows 2000 only): the captions of the
// desktop icons get the text colour of [TxColor] and either the background
// colour of [BkColor] or no background ([BkColor] "Transp" 1).  The desktop's
// own colours are saved when the feature is switched on and put back when it
// is switched off or the program ends; meanwhile the library's
// CallWndProcRet, hooked onto the desktop list view's thread only, sets the
// wanted colours again whenever the list view is given other ones.
#include <windows.h>

// Colours as settings.ini gives them: each component cut to its low 8 bits.
struct CaptionColours {
    COLORREF background;  // CLR_NONE when the captions have no background
    COLORREF text;
};
CaptionColours ComposeCaptionColours(bool no_background, int back_red, int back_green, int back_blue,
                                     int text_red, int text_green, int text_blue);

// Switches the feature on or off; 0 when this is not Windows 2000 (nothing
// done), else 1.  Switching on while on colours the captions again and keeps
// the desktop's colours saved the first time.
int ShowDesktopColours(int on);
// Records the wanted colours in the library and gives them to the list view;
// false when the library or the list view is missing.
bool ApplyDesktopColours();
// At exit: the hook goes and the desktop gets its own colours back.
void RestoreDesktopColours();
