#pragma once
// Link controls without common controls 6.  The About dialog's template
// uses the "SysLink" class, which Windows 2000 lacks (and a dialog with a
// control of an unknown class does not open at all).  There the program
// registers a plain control of that name for its own module: it shows the
// text without its markup and tells its parent NM_CLICK on a click and
// NM_RETURN on Enter or Space, as the link control does.
#include <windows.h>

#include <cstddef>

// Registers the plain control under `class_name` unless a class of that name
// is known already; true when one is available afterwards.
bool EnsureLinkControlClass(HINSTANCE instance, const wchar_t* class_name);

// The visible text of link markup: tags left out, "&lt;", "&gt;" and
// "&amp;" unescaped.  Cut to the buffer, always terminated when size > 0.
void StripLinkMarkup(const wchar_t* markup, wchar_t* out, size_t size);
