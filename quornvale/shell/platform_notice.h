#pragma once
// The 32-bit program on 64-bit Windows reaches 32-bit applications only:
// it says so once, at start, in a balloon that names the win64 package.
// Everything else works as on 32-bit Windows.

// Pure: whether to tell.  A 64-bit image never tells; a 32-bit one tells
// when IsWow64Process exists (Windows 2000 lacks it: has_query false) and
// answered that this process runs under WOW64.
bool NeedsWin64PackageNotice(bool image_is_64bit, bool has_query, bool query_ok, bool is_wow64);

// The balloon's texts, from section "platform" of the language file
// ("ID_WIN64_TITLE", "ID_WIN64_MESSAGE"), the English ones where the file
// has none.
void Win64PackageNoticeTexts(wchar_t* title, int title_chars, wchar_t* text, int text_chars);

// Asks the system and shows the balloon when NeedsWin64PackageNotice.
void TellAboutWin64PackageIfNeeded();
