#pragma once
// The program's test seams: what only the scenario tests use.  Two files
// implement these functions.  test_seams.cpp, linked only into the test
// build of the program (target quornvale_test_seams,
// bin/test_seams/quornvale.exe, the copy the scenario tests run), holds the
// seams;
// no_test_seams.cpp, linked into the product (bin/quornvale.exe, the one the
// packages carry), holds none, so that a release image carries neither the
// sink's class name nor the variable's name (tests/static_checks.py and
// tests/package_checks.py look).
#include <windows.h>

// Address-open sink: while a window of this class exists, the test build
// hands every address it would open to that window with WM_COPYDATA (dwData
// kAddressOpenTestTag, the text with its terminator) instead of opening it,
// so a test sees which address a click opens without a browser.
constexpr wchar_t kAddressOpenTestSinkClass[] = L"Quornvale.Test.AddressOpenSink";
constexpr ULONG_PTR kAddressOpenTestTag = 0x51564F50;  // "QVOP"
// True when a test sink took the address (never in the product).
bool HandAddressToTestSink(const wchar_t* address);

// Power double: the bench cannot hibernate or lock its machine.  With this
// variable set to "1" in its environment, the test build takes the power and
// lock functions from kPowerDoubleFile in its own directory instead of the
// system's DLLs.  Both are needed: the variable alone finds no file in an
// installed copy, and the file alone is never loaded.
constexpr wchar_t kPowerDoubleVariable[] = L"QUORNVALE_TEST_POWER_DOUBLE";
constexpr wchar_t kPowerDoubleFile[] = L"power_double_hook.dll";
// The double's module, loaded; null when not asked for (always in the
// product).  The caller frees it.
HMODULE LoadPowerDouble();

// Dropped low-level hooks: Windows removes a low-level hook behind the
// program's back (Windows 7, after a late answer).  In the test build, this
// registered message posted to the input thread's window (class
// "Quornvale.Input", a message-only window) unhooks its low-level hooks
// without telling the program, as Windows would.  True when the message is
// that request (never in the product).
constexpr wchar_t kTestUnhookMessageName[] = L"Quornvale.Test.DropLowLevelHooks";
bool IsTestUnhookRequest(UINT message);

// Slow snapshot folder: a network folder that takes long to create.  With
// this variable set to a number of milliseconds in its environment, the
// test build's snapshot folder creation waits that long before it creates
// the folder.  Null in the product: the system's SHCreateDirectoryExW.
constexpr wchar_t kSlowFolderVariable[] = L"QUORNVALE_TEST_SLOW_FOLDER_MS";
using CreateFolderFn = int(WINAPI*)(HWND, LPCWSTR, const SECURITY_ATTRIBUTES*);
CreateFolderFn FolderCreationDouble();
