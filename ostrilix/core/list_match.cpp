#include "ostrilix/core/list_match.h"

#include <windows.h>
#include <wchar.h>

#include "ostrilix/core/shared_block.h"

namespace {
bool EqualsIgnoringCase(const wchar_t* a, const wchar_t* b, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        wchar_t x = a[i], y = b[i];
        if (x == y)
            continue;
        // CharLowerW with a character in the low word lowers that one
        // character by the system's Unicode rules, as file names compare.
        auto lower = [](wchar_t c) {
            return wchar_t(reinterpret_cast<ULONG_PTR>(
                CharLowerW(reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(c)))));
        };
        if (lower(x) != lower(y))
            return false;
    }
    return true;
}
}  // namespace

bool IsKeyListed(const wchar_t* list, size_t list_length, const wchar_t* key)
{
    if (!list || !key)
        return false;
    const size_t length = wcsnlen(list, list_length);
    const size_t key_length = wcslen(key);
    size_t p = 0;
    while (p < length) {
        if (list[p] == L' ' || list[p] == L';') {
            ++p;
            continue;
        }
        const size_t remaining = length - p;
        const size_t n = remaining < key_length ? remaining : key_length;
        if (EqualsIgnoringCase(list + p, key, n))
            return true;
        const wchar_t* next = wmemchr(list + p + 1, L';', length - p - 1);
        if (!next)
            return false;
        p = size_t(next - list);
    }
    return false;
}

bool IsMidButtonException(const wchar_t* list, const wchar_t* class_name)
{
    if (!list || !class_name)
        return false;
    constexpr int kMaxEntries = 10;
    wchar_t copy[kSharedListChars + 1];
    const size_t length = wcsnlen(list, kSharedListChars);
    wmemcpy(copy, list, length);
    copy[length] = L'\0';

    size_t starts[kMaxEntries] = {0};
    int count = 1;
    for (size_t i = 0; i < length; ++i) {
        if (copy[i] != L',')
            continue;
        copy[i] = L'\0';
        if (count == kMaxEntries)
            break;  // text from the tenth comma on is not used
        starts[count++] = i + 1;
        ++i;  // the character after a comma is always entry text
    }
    for (int e = 0; e < count; ++e)
        if (wcscmp(copy + starts[e], class_name) == 0)
            return true;
    return false;
}

bool IsClassInImeList(const wchar_t* list, const wchar_t* class_name)
{
    if (!list || !class_name || !class_name[0])
        return false;
    wchar_t needle[kSharedListChars + 4];
    const size_t length = wcsnlen(class_name, kSharedListChars);
    needle[0] = L'[';
    wmemcpy(needle + 1, class_name, length);
    needle[length + 1] = L']';
    needle[length + 2] = L';';
    needle[length + 3] = L'\0';
    return wcsstr(list, needle) != nullptr;
}
