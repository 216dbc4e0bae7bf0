#include "common/debug_print.h"

#include <windows.h>
#include <stdarg.h>
#include <stdio.h>

void DebugPrintA(const char* format, ...)
{
    if (!format)
        return;
    char text[1024];
    va_list args;
    va_start(args, format);
    int n = _vsnprintf(text, sizeof(text) - 1, format, args);
    va_end(args);
    text[sizeof(text) - 1] = '\0';
    if (n < 0)
        text[sizeof(text) - 2] = '\0';
    OutputDebugStringA(text);
}
