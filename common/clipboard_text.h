#pragma once
// Places a copy of the text on the clipboard as CF_UNICODETEXT.  True when the
// clipboard took it; false for a null text, when the clipboard cannot be
// opened, when the allocation fails or when the clipboard refuses the text.
bool CopyTextToClipboard(const wchar_t* text);
