#pragma once
// The two unbounded name lists travel through named file mappings; each
// process keeps one handle and one view per list.
#include <windows.h>

extern "C" {
__declspec(dllexport) LONG WINAPI SetNotifyIconList(const wchar_t* list);
__declspec(dllexport) LONG WINAPI SetScrollDirectlyExceptionList(const wchar_t* list);
__declspec(dllexport) LONG WINAPI SetMidButtonExceptionList(const wchar_t* list);
__declspec(dllexport) LONG WINAPI SetDisableIMEList(const wchar_t* list);
}

// Reader side, for the hooks in every process: the list text (bounded by
// *capacity characters) or null while the program has not created it.  The
// view is opened once per process, read-only, and stays valid until
// ReleaseMappedLists; a missing list is looked for again only after the
// program has written one.
const wchar_t* GetNotifyIconList(size_t* capacity);
const wchar_t* GetScrollExceptionList(size_t* capacity);

// Is this process's executable (and, for the notify-icon list, the window's
// class) listed?  A process whose executable path cannot be had is not.
bool IsNotifyIconListed(HWND wnd);
bool IsProcessScrollException();

// Drops this process's views and handles; called when the library leaves it.
void ReleaseMappedLists();

// The smallest mapping the setters create, in characters: a later, longer
// list then still fits a mapping that another process keeps open.
constexpr size_t kMinListMappingChars = 32 * 1024;
