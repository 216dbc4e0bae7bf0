#pragma once
// Saving snapshots into files, off the GUI thread: the folder's creation
// (half a minute on a network path that does not answer), the encoding and
// the writing run on the saver thread, one snapshot after another in the
// order they were taken, so two snapshots in quick succession never take
// the same number or overwrite each other.  The GUI thread only copies the
// pixels and queues them; the outcome is the clipboard path and the
// balloons, as ever.
#include <windows.h>

// Queues the copied pixels (a bitmap selected into no DC; the saver's from
// now on, also when this fails) for saving into the next snapshot file.
// False when the saver thread could not be started or there is no memory.
bool QueueSnapshotSave(HBITMAP pixels, int width, int height);

// At the end of the program: lets the saves queued so far finish, waiting
// at most wait_ms (then the process ends and takes an unfinished save with
// it, which is traced).
void FinishSnapshotSaves(DWORD wait_ms);
