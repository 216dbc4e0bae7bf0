#pragma once
// Balloon texts from the language file that carry one value ("The hotkey %s
// could not be registered.").  The language file is the user's to edit, so
// its text is never handed to printf as a format: the first conversion
// ("%s", "%d", "%lu", ...) is replaced by the value's text, "%%" becomes
// "%", and any later conversion stays as written.
#include <string_view>

// Returns the length written (the result is cut to fit, terminated).
int FormatNoticeText(std::wstring_view format, std::wstring_view value, wchar_t* out, int out_chars);
