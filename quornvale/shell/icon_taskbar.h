#pragma once
// Icon-only task buttons: the TBSTYLE_EX_MIXEDBUTTONS style of the taskbar's
// button toolbar (systems before Windows 7; elsewhere there is no toolbar).
// Asks the shell's toolbar and waits for its answer (up to half a second
// each): for workers.
bool SetIconOnlyTaskbar(bool on);
// The same on a worker thread, so the caller never waits for the shell;
// requests made while one is applied are coalesced, the last one wins.
void RequestIconOnlyTaskbar(bool on);
bool IsIconOnlyTaskbar();
