#pragma once
// The record of everything the program has told its hook library: the
// latest value of each switch, parameter block, list and value setter, the
// in-context hooks it has in place (WH_MOUSE, WH_CALLWNDPROC, WH_GETMESSAGE
// and any other non-low-level hook on all threads) and the actions it asked
// for.  hook_library.cpp writes it in the same call that reaches the
// library, so the record cannot differ from what the library was told.
//
// The 32-bit companion (quornvale/companion) replays it into the 32-bit
// library through the same push functions: one path, nothing to keep in step
// by hand.  The bytes have one layout for both bitnesses.
#include <windows.h>

#include "common/ostrilix_interface.h"

// Recording; each entry keeps the place of its first appearance, so a
// replay runs in the order start-up pushed.
void MirrorFeature(DWORD mask, LONG value);
void MirrorFeatureParams(DWORD flags, const FeatureParams& params);
void MirrorList(const char* setter, const wchar_t* list);  // null: no list
void MirrorValue(const char* setter, LONG value);
// An in-context hook of all threads installed (on) or removed.
void MirrorHook(int hook_type, const char* export_name, bool on);
// A removal by name only (the type of an entry recorded earlier is kept);
// nothing when the hook was never recorded (the low-level ones are not).
void MirrorHookRemoved(const char* export_name);
// An action export taking one DWORD, asked for now (not a state: replayed
// once by each reader, by its serial number).
void MirrorAction(const char* export_name, DWORD argument);

// Told after every change (the companion link publishes then); null: none.
using MirrorChangedFn = void (*)();
void SetMirrorChangedHandler(MirrorChangedFn handler);

// The record as bytes: the size it needs, and writing it into a buffer of
// at least that size (false when it does not fit).
size_t MirrorByteSize();
bool WriteMirror(BYTE* out, size_t capacity);
// Drops every entry (the program's exit, and tests).
void ClearMirror();

// --- replay, pure -------------------------------------------------------

// Where a replay goes: the reader's own library.
struct MirrorSink {
    void (*feature)(DWORD mask, LONG value);
    void (*feature_params)(DWORD flags, const FeatureParams& params);
    void (*list)(const char* setter, const wchar_t* list);
    void (*value)(const char* setter, LONG value);
    void (*hook)(int hook_type, const char* export_name, bool on);
    void (*action)(const char* export_name, DWORD argument);
};

// Replays the bytes into the sink, in their order.  An action runs only when
// its serial is above *last_action, which is raised to the highest serial
// seen.  Bad bytes (a cut record, a name or list without its terminator, a
// wrong signature) stop the replay there: false, nothing read past them.
bool ReplayMirror(const BYTE* bytes, size_t size, const MirrorSink& sink, DWORD* last_action);
