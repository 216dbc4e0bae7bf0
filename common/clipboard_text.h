#pragma once
// Places a copy of the text on the clipboard as CF_UNICODETEXT.  True when the
// memory for it could be allocated; false for a null text, when the clipboard
// cannot be opened, or when the allocation fails (the clipboard is then empty).
bool CopyTextToClipboard(const wchar_t* text);
