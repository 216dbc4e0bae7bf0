#pragma once
// The companion's command line, decided apart from its effects.
#include <windows.h>

// Pure: "/companion <decimal window handle>" with any spaces around, and
// nothing else; the handle (not zero, not above 32 bits) in *window.  False
// for anything else: no switch, another one, no number, a number too big,
// text after it.
bool ParseCompanionArguments(const wchar_t* arguments, ULONG_PTR* window);

// The companion's text for a user who starts it by itself.
constexpr wchar_t kCompanionAloneText[] =
    L"This is the 32-bit companion of Quornvale. quornvale.exe starts it so that 32-bit "
    L"applications get every feature on 64-bit Windows; it does not run by itself.\n\n"
    L"Start quornvale.exe instead.";
constexpr wchar_t kCompanionAloneCaption[] = L"Quornvale";
