#pragma once
// Keeps this library mapped in a process while any of its code can still be
// on a stack there, and lets it go, from a thread of that process, once
// nothing of it is left.
//
// The system unloads a hook library from a process when the program removes
// its hooks, at the process's next message retrieval, which may happen in a
// loop nested inside one of our calls (a window's move loop or system menu
// running under the shared subclass procedure).  So:
//  - every window whose procedure chain runs through ours is a hold (taken
//    by the subclass registry when it installs the procedure, given back
//    when the procedure is out of the chain or the window is gone); the
//    first hold takes a reference on the image, the last one hands it to a
//    short thread that waits until no counted call of ours is on any stack
//    and then ends with FreeLibraryAndExitThread, so the last unmapping
//    never returns into our code;
//  - the shared subclass procedure and the hook code that can give the last
//    hold back count themselves while they run (LibraryFrame);
//  - threads of our own (chord, auto-scroll) hold a reference of their own
//    and end the same way.
#include <windows.h>

// Calls of the library on a stack in this process (see LibraryFrame).
extern volatile LONG g_library_frames;

// Counts one call of ours as being on the stack for its lifetime.  The count
// goes down as the very last step of the call: what is left after it is the
// return into the caller.
class LibraryFrame {
public:
    LibraryFrame() { InterlockedIncrement(&g_library_frames); }
    ~LibraryFrame() { InterlockedDecrement(&g_library_frames); }
    LibraryFrame(const LibraryFrame&) = delete;
    LibraryFrame& operator=(const LibraryFrame&) = delete;
};

// One more reason to stay mapped.  False when no reference on the image could
// be had (then nothing is held and nothing is to be given back).  Takes the
// loader's lock: never call it while holding the process lock, nor from
// DllMain.
bool HoldLibrary();
// Gives one hold back; the last one lets the image go once no counted call
// is left on a stack.  Never frees from the caller's frame.
void LetGoLibrary();
// Holds of this process now: for tests and diagnostics.
LONG LibraryHoldCount();
// The library is being detached from the process: the loader is unmapping it
// anyway, so holds are forgotten and nothing more is let go (no thread may
// start on an image that is going).
void ForgetLibraryHolds();

// --- decisions (pure) ------------------------------------------------------

// How long the letting-go thread waits before it looks at the count again: it
// starts short (a call usually returns at once) and grows up to a ceiling (a
// nested loop can last as long as the user holds a menu open).
DWORD NextLetGoPoll(DWORD previous_ms);
