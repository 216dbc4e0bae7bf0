#pragma once
// Opens a web or mail address with the shell ("open", SW_SHOWNA); failures
// are not reported.  (The test build hands it to a test's sink instead:
// quornvale/test_seams/test_seams.h.)
#include <windows.h>

void OpenAddress(const wchar_t* address);
