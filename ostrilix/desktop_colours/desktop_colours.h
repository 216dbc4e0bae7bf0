#pragma once
// Desktop icon caption colours, the library's side: finding the desktop's
// icon list view, recording the colours the program wants for it, and
// setting them again when the list view is given other ones (from the
// WH_CALLWNDPROCRET hook on the list view's thread, Windows 2000 only).
#include <windows.h>

extern "C" {
// The desktop's icon list view ("Progman" "Program Manager" >
// "SHELLDLL_DefView" > "SysListView32"), or null; remembered in the shared
// block either way.
__declspec(dllexport) HWND WINAPI GetDesktopHandle();
// Records the wanted caption colour: the background when background is
// non-zero, else the text colour.  Returns the colour.
__declspec(dllexport) COLORREF WINAPI SetLVMTextColor(LONG background, COLORREF colour);
}

// The colour the list view is to be given again after it processed message
// with the colour just_set, or false when nothing is to be done: not a
// caption colour message, not Windows 2000, or already the wanted colour
// (which is also how the hook's own message ends).  Pure.
bool DesktopColourToReapply(UINT message, COLORREF just_set, COLORREF wanted_text,
                            COLORREF wanted_background, int os_class, COLORREF* wanted);

// From the hook: the message a window of the hooked thread has processed.
void KeepDesktopColours(const CWPRETSTRUCT& processed);
