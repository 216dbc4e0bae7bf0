#pragma once
// Opens a web or mail address with the shell ("open", SW_SHOWNA); failures
// are not reported.
//
// Test seam: while a window of class kAddressOpenTestSinkClass exists, the
// address is handed to it with WM_COPYDATA (dwData kAddressOpenTestTag, the
// text with its terminator) instead of being opened, so a scenario test can
// see which address a click opens without starting a browser.  Only a test
// program creates a window of that class; see CONTRIBUTING.md.
#include <windows.h>

constexpr wchar_t kAddressOpenTestSinkClass[] = L"Quornvale.Test.AddressOpenSink";
constexpr ULONG_PTR kAddressOpenTestTag = 0x51564F50;  // "QVOP"

void OpenAddress(const wchar_t* address);
