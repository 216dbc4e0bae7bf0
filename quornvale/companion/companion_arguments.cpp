#include "quornvale/companion/companion_arguments.h"

#include "quornvale/companion/companion_protocol.h"

namespace {
bool IsSpace(wchar_t c) { return c == L' ' || c == L'\t'; }
}  // namespace

bool ParseCompanionArguments(const wchar_t* arguments, ULONG_PTR* window)
{
    if (!arguments || !window)
        return false;
    const wchar_t* p = arguments;
    while (IsSpace(*p))
        ++p;
    const int switch_chars = lstrlenW(kCompanionSwitch);
    for (int i = 0; i < switch_chars; ++i, ++p)
        if (*p != kCompanionSwitch[i])
            return false;
    if (!IsSpace(*p))
        return false;
    while (IsSpace(*p))
        ++p;
    ULONGLONG value = 0;
    int digits = 0;
    for (; *p >= L'0' && *p <= L'9'; ++p, ++digits) {
        value = value * 10 + ULONGLONG(*p - L'0');
        if (value > 0xFFFFFFFFull)
            return false;  // window handles have 32 significant bits
    }
    while (IsSpace(*p))
        ++p;
    if (!digits || *p || value == 0)
        return false;
    *window = ULONG_PTR(value);
    return true;
}
