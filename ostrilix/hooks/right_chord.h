#pragma once
#include <windows.h>

constexpr DWORD kChordStepPauseMs = 200;
// The system may refuse injected input: each repeated send gives up after
// this many tries, and the chord still ends with the Alt release.
constexpr int kChordMaxSends = 10;
constexpr DWORD kChordRetryPauseMs = 20;
