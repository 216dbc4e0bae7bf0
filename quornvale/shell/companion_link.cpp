#include "quornvale/shell/companion_link.h"

#include "common/debug_print.h"
#include "quornvale/companion/companion_protocol.h"
#include "quornvale/shell/app_state.h"
#include "quornvale/shell/library_mirror.h"
#include "quornvale/shell/program_path.h"

namespace {
// A 64-bit image has a companion; the 32-bit program reaches 32-bit
// processes itself.
constexpr bool kHasCompanion = sizeof(void*) == 8;
// Published changes are gathered for this long: start-up's forty pushes
// become one publication.
constexpr UINT kPublishDelayMs = 50;
constexpr DWORD kEndBudgetMs = 2000;

struct CompanionState {
    HANDLE process;
    DWORD thread_id;
    HWND window;          // found once the companion has made it
    HANDLE mapping;       // the newest publication, kept until the next
    DWORD serial;
    bool ending;
};
CompanionState g_companion = {};

BOOL CALLBACK FindCompanionWindow(HWND wnd, LPARAM found)
{
    wchar_t name[64] = {};
    GetClassNameW(wnd, name, 64);
    if (lstrcmpW(name, kCompanionWindowClass) != 0)
        return TRUE;
    *reinterpret_cast<HWND*>(found) = wnd;
    return FALSE;
}

bool CompanionGone()
{
    return !g_companion.process || WaitForSingleObject(g_companion.process, 0) != WAIT_TIMEOUT;
}

void Forget()
{
    if (g_companion.process)
        CloseHandle(g_companion.process);
    if (g_companion.mapping)
        CloseHandle(g_companion.mapping);
    g_companion = {};
    SetMirrorChangedHandler(nullptr);
}

// One publication: a new mapping with the whole mirror, its serial posted.
// False when it must be tried again (the companion has no window yet).
bool Publish()
{
    if (!g_companion.window) {
        HWND found = nullptr;
        EnumThreadWindows(g_companion.thread_id, FindCompanionWindow, reinterpret_cast<LPARAM>(&found));
        if (!found)
            return false;
        g_companion.window = found;
    }
    const size_t size = MirrorByteSize();
    wchar_t name[kMirrorMappingNameChars];
    const DWORD serial = g_companion.serial + 1;
    MirrorMappingName(GetCurrentProcessId(), serial, name);
    HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, DWORD(size), name);
    if (!mapping) {
        DebugPrint(L"Companion: mirror mapping not made, error %lu\n", GetLastError());
        return true;  // not again: the next change tries anew
    }
    void* view = MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0);
    if (!view || !WriteMirror(static_cast<BYTE*>(view), size)) {
        DebugPrint(L"Companion: mirror not written, error %lu\n", GetLastError());
        if (view)
            UnmapViewOfFile(view);
        CloseHandle(mapping);
        return true;
    }
    UnmapViewOfFile(view);
    if (!PostMessageW(g_companion.window, kCompanionReload, serial, 0)) {
        DebugPrint(L"Companion: reload not posted, error %lu\n", GetLastError());
        CloseHandle(mapping);
        return true;
    }
    if (g_companion.mapping)
        CloseHandle(g_companion.mapping);
    g_companion.mapping = mapping;
    g_companion.serial = serial;
    DebugPrint(L"Companion: settings %lu published\n", serial);
    return true;
}

void CALLBACK PublishTimer(HWND wnd, UINT, UINT_PTR id, DWORD)
{
    if (CompanionGone()) {
        KillTimer(wnd, id);
        DebugPrint(L"Companion ended by itself: 32-bit applications are not reached\n");
        Forget();
        return;
    }
    if (Publish())
        KillTimer(wnd, id);
    // else the timer ticks again until the companion's window is there
}

void OnMirrorChanged()
{
    if (g_companion.process && !g_companion.ending && g_app.main_window)
        SetTimer(g_app.main_window, COMPANION_TIMER, kPublishDelayMs, PublishTimer);
}
}  // namespace

bool CompanionPath(const wchar_t* program_dir, wchar_t* out, int out_chars)
{
    const int needed = lstrlenW(program_dir) + lstrlenW(kCompanionFolder) + 1 + lstrlenW(kCompanionFile);
    if (needed >= out_chars)
        return false;
    wsprintfW(out, L"%s%s\\%s", program_dir, kCompanionFolder, kCompanionFile);
    return true;
}

void StartCompanion(HWND main_window)
{
    if (!kHasCompanion || g_companion.process)
        return;
    wchar_t dir[kPathChars], path[kPathChars];
    if (!GetModuleDirectory(g_app.instance, dir, kPathChars) || !CompanionPath(dir, path, kPathChars))
        return;
    if (!IsReadableFile(path)) {
        DebugPrint(L"No companion at %s: 32-bit applications are not reached\n", path);
        return;
    }
    wchar_t command[kPathChars + 48];
    wsprintfW(command, L"\"%s\" %s %lu", path, kCompanionSwitch,
              static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(main_window)));
    // Its own folder as the current one; no handle of the program inherited.
    wchar_t companion_dir[kPathChars];
    lstrcpynW(companion_dir, path, DirectoryLength(path) + 1);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(path, command, nullptr, nullptr, FALSE, 0, nullptr, companion_dir, &startup, &info)) {
        DebugPrint(L"Companion %s not started, error %lu\n", path, GetLastError());
        return;
    }
    CloseHandle(info.hThread);
    g_companion.process = info.hProcess;
    g_companion.thread_id = info.dwThreadId;
    DebugPrint(L"Companion started, process %lu\n", info.dwProcessId);
    SetMirrorChangedHandler(OnMirrorChanged);
    OnMirrorChanged();  // everything pushed so far
}

void EndCompanion()
{
    if (!g_companion.process)
        return;
    g_companion.ending = true;
    KillTimer(g_app.main_window, COMPANION_TIMER);
    if (!g_companion.window)
        EnumThreadWindows(g_companion.thread_id, FindCompanionWindow, reinterpret_cast<LPARAM>(&g_companion.window));
    // Not found (still starting): it ends all the same once this process has.
    if (!g_companion.window || !PostMessageW(g_companion.window, kCompanionExit, 0, 0))
        DebugPrint(L"Companion not told to end, error %lu\n", GetLastError());
}

void AwaitCompanionEnd()
{
    if (!g_companion.process)
        return;
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD spent = GetTickCount() - start;
        if (spent >= kEndBudgetMs)
            break;
        const DWORD woke = MsgWaitForMultipleObjects(1, &g_companion.process, FALSE, kEndBudgetMs - spent,
                                                     QS_SENDMESSAGE);
        if (woke == WAIT_OBJECT_0)
            break;
        // Sent messages only: posted ones wait for the loop (it ends soon).
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        if (woke == WAIT_FAILED)
            break;
    }
    if (CompanionGone())
        DebugPrint(L"Companion ended\n");
    else
        DebugPrint(L"Companion did not end in time\n");
    Forget();
}
