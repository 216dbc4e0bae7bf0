// The right-button chord: a right press while the left button is held
// becomes Alt + a right click at that place.  The mouse hook swallows the
// user's press and starts this on a thread of the application's process.
#include "ostrilix/chord/right_chord.h"

#include <string.h>

#include "common/debug_print.h"
#include "ostrilix/core/key_state.h"
#include "ostrilix/core/module_reference.h"
#include "ostrilix/core/shared_block.h"
#include "ostrilix/hooks/low_level_decisions.h"
#include "ostrilix/hooks/low_level_input.h"

namespace {
// What the chord's thread gets: its own copy of the record, and a reference
// on this library that keeps the thread's code mapped until it has ended.
struct ChordStart {
    MOUSEHOOKSTRUCT record;
    HMODULE module;
};

DWORD WINAPI ChordThread(void* parameter);

void Send(INPUT input)
{
    SendInput(1, &input, sizeof(INPUT));
}

// Sends the record until the key test holds, at most kChordMaxSends times,
// waiting a moment after each send for the system to take it.
template <typename Done>
void SendUntil(const INPUT& input, const wchar_t* trace, Done done)
{
    for (int sent = 0; sent < kChordMaxSends && !done(); ++sent) {
        DebugPrint(trace);
        Send(input);
        Sleep(kChordRetryPauseMs);
    }
}
}  // namespace

void __cdecl SendKeyAndClick(void* record)
{
    if (!record) {
        DebugPrint(L"SendKeyAndClick mshk.lpParameter == NULL.");
        return;
    }
    MOUSEHOOKSTRUCT mshk;
    memcpy(&mshk, record, sizeof(mshk));
    if (mshk.dwExtraInfo == EVENT_INFO) {
        DebugPrint(L"SendKeyAndClick mshk.dwExtraInfo == EVENT_INFO.");
        return;
    }
    if (!SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST))
        DebugPrint(L"SendKeyAndClick failed raise the priority to THREAD_PRIORITY_HIGHEST.\n");

    g_shared.s_b_sending_click = 1;
    const bool swapped = GetSystemMetrics(SM_SWAPBUTTON) != 0;
    INPUT inputs[4];
    BuildChordInputs(mshk.pt, swapped, inputs);

    SendUntil(inputs[0], L"Sending VK_MENU pressing message.", [] { return IsKeyPressed(VK_MENU); });
    Sleep(kChordStepPauseMs);
    Send(inputs[1]);
    Sleep(kChordStepPauseMs);
    SendUntil(inputs[2], L"Sending VK_RBUTTON up message.", [] { return !IsKeyPressed(VK_RBUTTON); });
    Sleep(kChordStepPauseMs);
    Send(inputs[3]);
    // s_b_sending_click stays set: the user's own release ends the chord
    // (low-level hook) or the mouse hook does.
}

namespace {
DWORD WINAPI ChordThread(void* parameter)
{
    auto* start = static_cast<ChordStart*>(parameter);
    MOUSEHOOKSTRUCT record = start->record;
    const HMODULE module = start->module;
    HeapFree(GetProcessHeap(), 0, start);
    SendKeyAndClick(&record);
    // The reference may be the last one on the library: the thread ends
    // inside the system, never returning into unmapped code.
    FreeLibraryAndExitThread(module, 0);
    return 0;
}
}  // namespace

bool StartChordThread(const MOUSEHOOKSTRUCT& record, ThreadStarter start)
{
    g_shared.s_b_avoid_rbtn_up = 1;
    // No thread without a reference: nothing else keeps its code mapped.
    const HMODULE module = AcquireModuleReference();
    auto* copy = module ? static_cast<ChordStart*>(HeapAlloc(GetProcessHeap(), 0, sizeof(ChordStart)))
                        : nullptr;
    HANDLE thread = nullptr;
    if (copy) {
        copy->record = record;
        copy->module = module;
        thread = start(ChordThread, copy);
    }
    if (!thread) {
        DebugPrint(L"StartChordThread: the chord could not start, error %lu\n", GetLastError());
        if (copy)
            HeapFree(GetProcessHeap(), 0, copy);
        // Taken in this same call: giving it back cannot be the last.
        ReleaseModuleReference(module);
        g_shared.s_b_avoid_rbtn_up = 0;
        return false;
    }
    CloseHandle(thread);
    return true;
}
