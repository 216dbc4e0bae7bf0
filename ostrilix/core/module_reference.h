#pragma once
// Load-count references on this library's own image.  Code of the library
// that can still be on a stack after the program has let the library go (a
// worker thread, a subclass procedure inside a nested loop) holds one, so
// the image stays mapped until that code is done.  Works on every Windows
// from 2000 on: the reference is a LoadLibraryW of the image's own path.
// Never call from DllMain (the loader lock is held there).
#include <windows.h>

// The module handle of this library (or of the test program that links the
// library's code), found from an address inside it.
HMODULE ThisModule();
// One more load count on this image; null when it could not be had, and then
// nothing is to be released.
HMODULE AcquireModuleReference();
// Gives back a reference taken by AcquireModuleReference (null: nothing).
void ReleaseModuleReference(HMODULE module);
