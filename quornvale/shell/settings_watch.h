#pragma once
// Hand edits of settings.ini take effect while the program runs: a worker
// waits for change notifications on the file's folder, and the main thread,
// a moment after the last one, reads every key again and applies those whose
// values changed, through the same apply functions as the settings window
// (settings_effects.h).  A broken value is read as at start.
#include <windows.h>

// The values now are the ones applied; the watch starts (main thread, after
// the settings are applied at start).  False when the folder cannot be
// watched (traced): hand edits then take effect at the next start.
bool StartSettingsWatch();
void StopSettingsWatch();
// After the program itself applied what it wrote: the values now are the
// ones applied, so its own write is not applied twice.
void NoteSettingsApplied();
