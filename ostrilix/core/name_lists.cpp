#include "ostrilix/core/name_lists.h"

#include <wchar.h>

#include "common/debug_print.h"
#include "ostrilix/core/list_match.h"
#include "ostrilix/core/process_lock.h"
#include "ostrilix/core/shared_block.h"

namespace {
// The program's side of one mapped list: the mapping it created and a view
// to write through.
struct ListWriter {
    const wchar_t* name;
    HANDLE mapping;
    wchar_t* view;
    size_t capacity;  // characters the view can hold, terminator included
};

// Every process's side: opened once, read-only, kept until the library
// leaves the process, so a pointer into the view stays valid until then.
struct ListReader {
    const wchar_t* name;
    HANDLE mapping;
    const wchar_t* volatile view;
    size_t capacity;
    volatile bool tried;          // an open failed ...
    volatile LONG tried_version;  // ... while the list version was this
};

ListWriter g_notify_writer = {L"OSTRILIX_NOFITYICON_LIST", nullptr, nullptr, 0};
ListWriter g_scroll_writer = {L"OSTRILIX_DIRECT_SCROLL_EXCEPT_LIST", nullptr, nullptr, 0};
ListReader g_notify_reader = {L"OSTRILIX_NOFITYICON_LIST", nullptr, nullptr, 0, false, 0};
ListReader g_scroll_reader = {L"OSTRILIX_DIRECT_SCROLL_EXCEPT_LIST", nullptr, nullptr, 0, false, 0};

template <typename List>
void Release(List& list)
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

LONG WriteList(ListWriter& list, const wchar_t* text)
{
    // Readers elsewhere may keep the mapping (and its old text) alive after
    // this process lets go: a list that is dropped or refused leaves an
    // empty text behind, never the previous entries.
    if (list.view)
        list.view[0] = L'\0';
    Release(list);
    LONG result = 1;
    if (text) {
        const size_t chars = wcslen(text) + 1;
        const size_t wanted = chars < kMinListMappingChars ? kMinListMappingChars : chars;
        const ULONGLONG bytes = ULONGLONG(wanted) * sizeof(wchar_t);
        list.mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE,
                                          DWORD(bytes >> 32), DWORD(bytes), list.name);
        if (list.mapping)
            list.view = static_cast<wchar_t*>(MapViewOfFile(list.mapping, FILE_MAP_WRITE, 0, 0, 0));
        if (!list.view) {
            DebugPrint(L"WriteList %s: no mapping, error %lu\n", list.name, GetLastError());
            Release(list);
            result = 0;
        } else {
            list.capacity = ViewCapacity(list.view);
            if (chars > list.capacity) {
                // A mapping another process kept open is smaller than this
                // list: refuse it rather than write past the view.
                DebugPrint(L"WriteList %s: %lu characters do not fit %lu\n", list.name,
                           static_cast<unsigned long>(chars), static_cast<unsigned long>(list.capacity));
                list.view[0] = L'\0';
                Release(list);
                result = 0;
            } else {
                wmemcpy(list.view, text, chars);
            }
        }
    }
    InterlockedIncrement(&g_shared.s_n_list_version);
    return result;
}

const wchar_t* ReadList(ListReader& list, size_t* capacity)
{
    if (capacity)
        *capacity = 0;
    // The wheel reaches this in every process: once the view is open (it
    // stays until the library leaves), or while nothing new was written
    // since the last try, no lock is taken.
    if (const wchar_t* view = list.view) {
        if (capacity)
            *capacity = list.capacity;
        return view;
    }
    if (list.tried && list.tried_version == g_shared.s_n_list_version)
        return nullptr;
    // Several threads of one process may ask first at the same moment: one
    // of them opens the view, under the lock.
    ProcessLockGuard guard;
    if (!list.view) {
        const LONG version = g_shared.s_n_list_version;
        HANDLE mapping = OpenFileMappingW(FILE_MAP_READ, FALSE, list.name);
        const wchar_t* view =
            mapping ? static_cast<const wchar_t*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0)) : nullptr;
        if (!view) {
            if (mapping)
                CloseHandle(mapping);
            list.tried_version = version;
            list.tried = true;
            return nullptr;
        }
        list.mapping = mapping;
        list.capacity = ViewCapacity(view);
        // Published last: a reader without the lock sees a view only with
        // its capacity.
        MemoryBarrier();
        list.view = view;
    }
    if (capacity)
        *capacity = list.capacity;
    return list.view;
}

// The executable of this process; false when it cannot be had (an empty key
// would match every list).
bool OwnExecutablePath(wchar_t (&path)[MAX_PATH])
{
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        DebugPrint(L"GetModuleFileNameW failed, error %lu\n", GetLastError());
        return false;
    }
    return true;
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
    return WriteList(g_notify_writer, list);
}

extern "C" LONG WINAPI SetScrollDirectlyExceptionList(const wchar_t* list)
{
    return WriteList(g_scroll_writer, list);
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

const wchar_t* GetNotifyIconList(size_t* capacity) { return ReadList(g_notify_reader, capacity); }
const wchar_t* GetScrollExceptionList(size_t* capacity) { return ReadList(g_scroll_reader, capacity); }

bool IsNotifyIconListed(HWND wnd)
{
    size_t capacity = 0;
    const wchar_t* list = GetNotifyIconList(&capacity);
    if (!list)
        return false;
    wchar_t path[MAX_PATH] = {};
    if (!OwnExecutablePath(path))
        return false;
    wchar_t class_name[MAX_PATH] = {};
    GetClassNameW(wnd, class_name, MAX_PATH);
    // Room for both names at their full length and the ", " between them.
    wchar_t key[2 * MAX_PATH + 3];
    _snwprintf(key, 2 * MAX_PATH + 2, L"%s, %s", path, class_name);
    key[2 * MAX_PATH + 2] = L'\0';
    return IsKeyListed(list, capacity, key);
}

bool IsProcessScrollException()
{
    size_t capacity = 0;
    const wchar_t* list = GetScrollExceptionList(&capacity);
    if (!list)
        return false;
    wchar_t path[MAX_PATH] = {};
    return OwnExecutablePath(path) && IsKeyListed(list, capacity, path);
}

void ReleaseMappedLists()
{
    Release(g_notify_writer);
    Release(g_scroll_writer);
    Release(g_notify_reader);
    Release(g_scroll_reader);
    g_notify_reader.tried = false;
    g_scroll_reader.tried = false;
}
