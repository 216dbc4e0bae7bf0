#include "common/debug_print.h"

#include <windows.h>
#include <stdarg.h>
#include <stdio.h>

namespace {
// The hook library runs this inside every process on the desktop, so it
// formats into a bounded stack buffer instead of allocating; longer traces are
// cut, which costs nothing but the tail of a diagnostic line.
constexpr int kTraceChars = 1024;
}  // namespace

void DebugPrint(const wchar_t* format, ...)
{
    if (!format)
        return;
    wchar_t text[kTraceChars];
    va_list args;
    va_start(args, format);
    // The underscore variant keeps Microsoft's %s rule (wide text in a wide
    // format) whatever the C runtime's ANSI-stdio setting is.
    int n = _vsnwprintf(text, kTraceChars - 1, format, args);
    va_end(args);
    text[kTraceChars - 1] = L'\0';
    if (n < 0)
        text[kTraceChars - 2] = L'\0';
    OutputDebugStringW(text);
}
