#pragma once
// Window information mode: a right press on any window shows, in the
// top-left corner of the screen, the window's class, its root window's
// class and whether it is topmost, and puts the same text on the clipboard,
// so the user can copy class names into the settings' lists.
#include <windows.h>

// Class names are read into this many characters: longer ones are cut to
// one less.
constexpr int kInfoClassChars = 32;
constexpr int kInfoTextChars = 780;

// --- pure ---------------------------------------------------------------------

// "ClassName: %s RootClassName: %s Is Topmost: TRUE|FALSE" into text
// (kInfoTextChars), names cut to kInfoClassChars - 1 characters.
void FormatWindowInformation(const wchar_t* class_name, const wchar_t* root_class_name, bool topmost,
                             wchar_t* text);

// --- effect ---------------------------------------------------------------------

// Mode off or a null window: false.  Otherwise draws and copies the text of
// the window; true.
bool ShowWindowInformation(HWND window);

// Takes the label off the screen (a repaint of every window), for the end of
// the mode.
void HideWindowInformation();
