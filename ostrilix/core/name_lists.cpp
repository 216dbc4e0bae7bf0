#include "ostrilix/core/name_lists.h"

#include <wchar.h>

#include "ostrilix/core/list_match.h"
#include "ostrilix/core/shared_block.h"

namespace {
// One mapped list as this process holds it (ordinary per-process data).
struct MappedList {
    const wchar_t* name;
    HANDLE mapping;
    wchar_t* view;
    size_t capacity;  // characters the view can hold, terminator included
};

MappedList g_notify_list = {L"OSTRILIX_NOFITYICON_LIST", nullptr, nullptr, 0};
MappedList g_scroll_list = {L"OSTRILIX_DIRECT_SCROLL_EXCEPT_LIST", nullptr, nullptr, 0};

void Release(MappedList& list)
{
    if (list.view)
        UnmapViewOfFile(list.view);
    if (list.mapping)
        CloseHandle(list.mapping);
    list.view = nullptr;
    list.mapping = nullptr;
    list.capacity = 0;
}

// The size of an existing mapping is the one fixed at its creation, which may
// be smaller than asked for: measure the view instead of trusting the request.
size_t ViewCapacity(const void* view)
{
    MEMORY_BASIC_INFORMATION info = {};
    if (!VirtualQuery(view, &info, sizeof(info)))
        return 0;
    return info.RegionSize / sizeof(wchar_t);
}

bool MapWholeView(MappedList& list)
{
    list.view = static_cast<wchar_t*>(
        MapViewOfFile(list.mapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 0));
    if (!list.view) {
        Release(list);
        return false;
    }
    list.capacity = ViewCapacity(list.view);
    return true;
}

LONG WriteList(MappedList& list, const wchar_t* text)
{
    Release(list);
    if (!text)
        return 1;
    const size_t chars = wcslen(text) + 1;
    const size_t wanted = chars < kMinListMappingChars ? kMinListMappingChars : chars;
    const ULONGLONG bytes = ULONGLONG(wanted) * sizeof(wchar_t);
    list.mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE,
                                      DWORD(bytes >> 32), DWORD(bytes), list.name);
    if (!list.mapping)
        return 0;
    if (!MapWholeView(list))
        return 0;
    // A mapping another process kept open may be smaller than this list:
    // refuse the list rather than write past the view.
    if (chars > list.capacity) {
        Release(list);
        return 0;
    }
    wmemcpy(list.view, text, chars);
    return 1;
}

const wchar_t* ReadList(MappedList& list, size_t* capacity)
{
    if (!list.view) {
        list.mapping = OpenFileMappingW(FILE_MAP_READ | FILE_MAP_WRITE, TRUE, list.name);
        if (!list.mapping || !MapWholeView(list)) {
            Release(list);
            if (capacity)
                *capacity = 0;
            return nullptr;
        }
    }
    if (capacity)
        *capacity = list.capacity;
    return list.view;
}

LONG CopyIntoBlock(wchar_t (&field)[kSharedListChars], const wchar_t* text)
{
    const size_t length = wcsnlen(text, kSharedListChars - 1);
    wmemcpy(field, text, length);
    field[length] = L'\0';
    return 1;
}
}  // namespace

extern "C" LONG WINAPI SetNotifyIconList(const wchar_t* list)
{
    return WriteList(g_notify_list, list);
}

extern "C" LONG WINAPI SetScrollDirectlyExceptionList(const wchar_t* list)
{
    return WriteList(g_scroll_list, list);
}

extern "C" LONG WINAPI SetMidButtonExceptionList(const wchar_t* list)
{
    if (!list)
        return 0;
    return CopyIntoBlock(g_shared.s_sz_mbutton_except, list);
}

extern "C" LONG WINAPI SetDisableIMEList(const wchar_t* list)
{
    // An empty list leaves the stored one: the feature switch keeps it unread.
    if (!list || !list[0])
        return 0;
    return CopyIntoBlock(g_shared.s_sz_disableime_classes, list);
}

const wchar_t* GetNotifyIconList(size_t* capacity) { return ReadList(g_notify_list, capacity); }
const wchar_t* GetScrollExceptionList(size_t* capacity) { return ReadList(g_scroll_list, capacity); }

bool IsNotifyIconListed(HWND wnd)
{
    size_t capacity = 0;
    const wchar_t* list = GetNotifyIconList(&capacity);
    if (!list)
        return false;
    wchar_t path[MAX_PATH] = {};
    wchar_t class_name[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    GetClassNameW(wnd, class_name, MAX_PATH);
    // Room for both names at their full length and the ", " between them.
    wchar_t key[2 * MAX_PATH + 3];
    _snwprintf(key, 2 * MAX_PATH + 2, L"%s, %s", path, class_name);
    key[2 * MAX_PATH + 2] = L'\0';
    return IsKeyListed(list, capacity, key);
}

bool IsScrollException()
{
    size_t capacity = 0;
    const wchar_t* list = GetScrollExceptionList(&capacity);
    if (!list)
        return false;
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return IsKeyListed(list, capacity, path);
}

void ReleaseMappedLists()
{
    Release(g_notify_list);
    Release(g_scroll_list);
}
