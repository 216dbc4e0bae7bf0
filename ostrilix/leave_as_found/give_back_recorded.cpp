#include "ostrilix/leave_as_found/give_back_recorded.h"

#include "common/debug_print.h"
#include "ostrilix/core/budgeted_ask.h"
#include "ostrilix/core/window_records.h"
#include "ostrilix/docking/dock_leave_as_found.h"
#include "ostrilix/leave_as_found/leave_as_found.h"
#include "ostrilix/rollup/rollup.h"
#include "ostrilix/transparency/faded_windows.h"
#include "ostrilix/tray/tray_windows.h"

namespace {
volatile UINT g_give_back_message = 0;

// Windows with records of programs that no longer run, found by one scan.
constexpr int kMostPrograms = 8;
constexpr int kMostRecordedWindows = 256;
struct Scan {
    DWORD programs[kMostPrograms];  // processes that run a program now
    int program_count;
    HWND windows[kMostRecordedWindows];
    DWORD owners[kMostRecordedWindows];
    int count;
    bool full;
};

bool Runs(const Scan& scan, DWORD owner)
{
    for (int i = 0; i < scan.program_count; ++i)
        if (scan.programs[i] == owner)
            return true;
    return false;
}

void FindRunningPrograms(Scan* scan)
{
    HWND found = nullptr;
    while (scan->program_count < kMostPrograms &&
           (found = FindWindowExW(nullptr, found, kProgramWindowClass, nullptr)) != nullptr) {
        DWORD process = 0;
        GetWindowThreadProcessId(found, &process);
        if (process)
            scan->programs[scan->program_count++] = process;
    }
}

BOOL CALLBACK CollectRecordedWindow(HWND window, LPARAM parameter)
{
    Scan* scan = reinterpret_cast<Scan*>(parameter);
    const DWORD owner = RecordOwnerOf(window);
    if (!owner || Runs(*scan, owner))
        return TRUE;
    if (scan->count == kMostRecordedWindows) {
        scan->full = true;
        return FALSE;
    }
    scan->windows[scan->count] = window;
    scan->owners[scan->count] = owner;
    ++scan->count;
    return TRUE;
}

// Its own extended style (only the layered bit is ours) and layering.
void GiveBackOwnLook(HWND window, const RecordedLook& look)
{
    FadedWindow record = {};
    record.was_layered = look.was_layered;
    record.own = {look.key, look.alpha, look.flags};
    const LONG current = GetWindowLongW(window, GWL_EXSTYLE);
    const LONG wanted = FadedExStyle(current, kOwnLook, look.was_layered);
    if (wanted != current) {
        SetLastError(0);
        if (!SetWindowLongW(window, GWL_EXSTYLE, wanted) && GetLastError() != 0)
            DebugPrint(L"GiveBackOwnLook: SetWindowLongW(%p) failed, error %lu\n", window, GetLastError());
    }
    if (look.was_layered) {
        const LayeredAttributes own = FadedAttributes(record, kOwnLook);
        if (!SetLayeredWindowAttributes(window, own.key, own.alpha, own.flags))
            DebugPrint(L"GiveBackOwnLook: SetLayeredWindowAttributes(%p) failed, error %lu\n", window,
                       GetLastError());
    }
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED | SWP_NOOWNERZORDER);
}
}  // namespace

UINT GiveBackRecordedMessage()
{
    if (!g_give_back_message)
        g_give_back_message = RegisterWindowMessageW(kGiveBackRecordedMessageName);
    return g_give_back_message;
}

void GiveBackRecordedOn(HWND window, DWORD owner)
{
    if (!owner || RecordOwnerOf(window) != owner)
        return;
    // What this process still knows of the window (the same library stayed
    // here, held by its procedure in front of the window), or an earlier
    // library's procedure that is still in front of it, is left as found as
    // at exit; that also removes the records of what it gave back.
    if (const UINT leave = LeaveAsFoundMessage())
        SendMessageW(window, leave, 0, 0);
    RecordedChanges changes = {};
    if (!ReadRecordedChanges(window, &changes) || changes.owner != owner)
        return;
    if (changes.rolled_up)
        GiveBackFullHeight(window, changes.full_height, changes.rolled_height);
    if (changes.docked)
        GiveBackPlacementBeforeDock(window, changes.before_dock);
    if (changes.faded)
        GiveBackOwnLook(window, changes.look);
    if (changes.tray_icon)
        GiveBackRecordedTrayWindow(window, changes.tray_icon);
    EraseAllRecords(window);
    DebugPrint(L"Recorded changes of window 0x%p given back:%s%s%s%s\n", static_cast<void*>(window),
               changes.rolled_up ? L" rolled up" : L"", changes.docked ? L" docked" : L"",
               changes.faded ? L" faded" : L"", changes.tray_icon ? L" in the tray" : L"");
}

extern "C" LONG WINAPI GiveBackRecordedChanges(DWORD budget_ms)
{
    const UINT message = GiveBackRecordedMessage();
    if (!message) {
        DebugPrint(L"GiveBackRecordedChanges: no message, error %lu\n", GetLastError());
        return 0;
    }
    // About 3 KB on the caller's stack; nothing of it stays.
    Scan scan = {};
    FindRunningPrograms(&scan);
    // Child windows too: a captioned child (a document window) rolls up, and
    // goes to the tray, by itself.
    EnumChildWindows(GetDesktopWindow(), CollectRecordedWindow, reinterpret_cast<LPARAM>(&scan));
    if (scan.full)
        DebugPrint(L"GiveBackRecordedChanges: more than %d windows; the rest at the next start\n",
                   kMostRecordedWindows);
    BudgetedAsk ask(message, budget_ms, L"GiveBackRecordedChanges");
    for (int i = 0; i < scan.count; ++i) {
        ask.SetArgument(scan.owners[i]);
        ask.Ask(scan.windows[i]);
    }
    DebugPrint(L"GiveBackRecordedChanges: %d window(s) of a program that no longer runs, %ld answered\n",
               scan.count, ask.Answered());
    return ask.Answered();
}
