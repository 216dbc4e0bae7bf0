#pragma once
#include <windows.h>

#include "ostrilix/scrolling/auto_scroll.h"

constexpr DWORD kChordStepPauseMs = 200;
// The system may refuse injected input: each repeated send gives up after
// this many tries, and the chord still ends with the Alt release.
constexpr int kChordMaxSends = 10;
constexpr DWORD kChordRetryPauseMs = 20;

// Starts the chord for the user's right press on a thread of this process:
// sets s_b_avoid_rbtn_up (the user's own release is to be swallowed), gives
// the thread a copy of the record and a reference on the library, which the
// thread gives back as it ends (FreeLibraryAndExitThread), so the library
// cannot be unmapped under it.  False when the thread could not start; then
// nothing is left behind: the flag is clear again and the reference given
// back, and the caller lets the press reach the application.
bool StartChordThread(const MOUSEHOOKSTRUCT& record, ThreadStarter start = StartThread);
