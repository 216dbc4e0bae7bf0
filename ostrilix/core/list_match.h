#pragma once
// The matching rules of the shared name lists.  Pure: texts in, answers out.
#include <stddef.h>

// Notify-icon and direct-scroll exception lists: entries separated by ';'
// (spaces before an entry skipped).  An entry matches when it begins with the
// whole key, ignoring case; a last entry shorter than the key matches when
// the key begins with it.  list_length bounds the scan.
bool IsKeyListed(const wchar_t* list, size_t list_length, const wchar_t* key);

// Middle-button exception list: up to ten comma-separated class names; the
// character after each comma always belongs to the next entry, even a comma.
// Exact, case-sensitive equality with one entry.  Reads at most 260
// characters of the list and never changes it.
bool IsMidButtonException(const wchar_t* list, const wchar_t* class_name);

// Input-method class list: entries of the form "[class];", found by a
// case-sensitive substring search.  An empty class name is never listed.
bool IsClassInImeList(const wchar_t* list, const wchar_t* class_name);
