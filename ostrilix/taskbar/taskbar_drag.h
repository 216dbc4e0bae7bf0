#pragma once
// Reordering taskbar buttons by dragging them (systems before Windows 7):
// the window that holds the taskbar's button toolbar is subclassed from the
// mouse hook, inside the shell's own process, at the first left press on the
// toolbar; when the toolbar reports the end of a button drag, the dragged
// button moves to the button under the cursor.  The subclass goes again when
// the program ends (the leave-as-found request), when the window goes, or
// when the library leaves the shell's process.
#include <windows.h>

// A button drag is under way in this process (begin-drag seen, end-drag not
// yet): the mouse hook traces mouse moves meanwhile.
extern volatile LONG g_bDraggingButton;

// --- decisions (pure) ------------------------------------------------------

// Whether the feature exists on a system of that version class: up to Vista.
bool TaskbarDragAvailable(int os_class);
// What a drop does: the button at index source moves to the button index the
// hit test found under the cursor.  A hit below 0 (empty space, a
// separator, outside the toolbar) or an unknown source moves nothing, and
// nor does a drop on the button itself.
struct DropMove {
    bool move;
    int from, to;
};
DropMove DecideDrop(int source, int hit);

// The taskbar's button toolbar as this process keeps it: the kept handle
// while it names a window, looked up again (find) only when it is gone.
HWND KeptTaskbarToolbar(HWND* kept, HWND (*find)());

// --- the Win32 side -----------------------------------------------------------

// From the mouse hook, for a left press on target: installs the subclass when
// target is the taskbar's button toolbar, this process's system has the
// feature and the subclass is not installed yet.  A shared record of the
// subclass on a window that no longer exists (a shell killed or crashed,
// which never ran the library's detach) is forgotten first: each taskbar
// gets the feature.
void InstallTaskbarDragOnPress(HWND target);
// Install or remove on the toolbar's parent.  Installing when the shared
// original procedure is recorded already does nothing (true).  Removing acts
// only in the process that installed, and only while our procedure is still
// the window's current one; the shared original is cleared only then.
bool HookTaskbarToolbar(bool install, HWND toolbar);
// The library leaves this process; freed is false when the process ends.
void RemoveTaskbarDragOfProcess(bool freed);

LRESULT CALLBACK TaskbarDragWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
