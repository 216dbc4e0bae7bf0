#pragma once
// Input-method disabling: when a window of a class on the input-method class
// list (s_sz_disableime_classes, entries "[Class];") is created, the input
// method is switched off for every thread of its process.
#include <windows.h>

// --- pure ---------------------------------------------------------------------

// The class, put in brackets and followed by a semicolon, occurs in the list
// (case-sensitive), so a prefix, a suffix or another case of a listed name
// does not match.  list_chars bounds the list; an empty or null class or list
// is not listed.
bool IsImeClassInList(const wchar_t* list, size_t list_chars, const wchar_t* class_name);

// --- the hook's side ------------------------------------------------------------

// WM_NCCREATE with the feature on: reads the window's class into a bounded
// buffer of the stack and disables the input method of the whole process when
// it is listed.  True when the test could be made.
bool DisableImeIfListed(HWND window);

// The call that disables the input method of every thread of this process;
// tests put a recorder here.  The default resolves ImmDisableIME at run time
// from the imm32.dll the process has loaded already (a process without it
// has no input method to switch off).
using DisableImeFn = BOOL(WINAPI*)(DWORD thread_id);
void SetDisableImeCall(DisableImeFn call);
