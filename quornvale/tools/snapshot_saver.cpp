#include "quornvale/tools/snapshot_saver.h"

#include <cwchar>
#include <new>

#include "common/clipboard_text.h"
#include "common/debug_print.h"
#include "quornvale/resources/resource.h"
#include "quornvale/shell/app_state.h"
#include "quornvale/shell/program_path.h"
#include "quornvale/shell/settings.h"
#include "quornvale/shell/tray_icon.h"
#include "quornvale/tools/gdiplus_runtime.h"
#include "quornvale/tools/snapshot_capture.h"
#include "quornvale/tools/snapshot_file_target.h"
#include "quornvale/tools/snapshot_notice.h"
#include "quornvale/tools/watermark_placement.h"

namespace {
constexpr int kClipboardAttempts = 20;
constexpr DWORD kClipboardRetryMs = 50;

struct SaveJob {
    HBITMAP pixels;
    int width, height;
    SaveJob* next;
};

// The queue: the GUI thread appends, the saver takes from the front.  The
// lock is held for the list alone, never while a file is written.
struct SaverState {
    CRITICAL_SECTION lock;
    bool lock_ready;
    SaveJob* first;
    SaveJob* last;
    bool finishing;
    HANDLE wake;    // auto-reset: a job was queued or the end is asked for
    HANDLE thread;
    bool gdiplus_tried;
    HMODULE gdiplus;  // held for the program's life
};
SaverState g_saver = {};

SaveJob* TakeFirst(bool* finishing)
{
    EnterCriticalSection(&g_saver.lock);
    SaveJob* job = g_saver.first;
    if (job) {
        g_saver.first = job->next;
        if (!g_saver.first)
            g_saver.last = nullptr;
    }
    *finishing = g_saver.finishing;
    LeaveCriticalSection(&g_saver.lock);
    return job;
}

void ShowBalloon(UINT title_id, UINT text_id, DWORD icon)
{
    wchar_t title[36] = {}, text[256] = {};
    LoadStringW(g_app.instance, title_id, title, 36);
    LoadStringW(g_app.instance, text_id, text, 256);
    ShowTrayBalloon(title, text, icon);
}

// The pixels in `source` (a DC with the capture selected) into the next file.
bool CaptureIntoFile(HDC source, const RECT& r)
{
    // Without GDI+ (a Windows 2000 without the redistributable) the file is
    // a BMP of the program's own making.
    gdiplus::Session session;
    SnapshotFile file;
    if (!CreateSnapshotFile(session ? nullptr : L"bmp", &file))
        return false;
    wchar_t stamp_path[kPathChars] = {};
    WatermarkSpec spec = {};
    const WatermarkSpec* watermark = nullptr;
    if (ReadSetting(Setting::kSnapshotWatermarkEnable) != 0) {
        ReadSettingText(Setting::kSnapshotWatermarkPath, stamp_path, kPathChars);
        if (stamp_path[0] && IsReadableFile(stamp_path))
            spec.image_path = stamp_path;
        spec.position_code = ReadSetting(Setting::kSnapshotWatermarkPos);
        spec.alpha = WatermarkAlpha(ReadSetting(Setting::kSnapshotWatermarkAlpha));
        watermark = &spec;
    }
    bool saved = CaptureToFile(source, r, &file, watermark, session);
    CloseSnapshotFile(&file, !saved);
    if (!saved)
        return false;
    // Another program may hold the clipboard open for a moment; the saver
    // may wait for it, the GUI thread could not.
    bool on_clipboard = CopyTextToClipboard(file.path);
    for (int attempt = 0; !on_clipboard && attempt < kClipboardAttempts; ++attempt) {
        Sleep(kClipboardRetryMs);
        on_clipboard = CopyTextToClipboard(file.path);
    }
    if (!on_clipboard)
        DebugPrint(L"The snapshot's path could not be put on the clipboard, error %lu\n", GetLastError());
    DebugPrint(L"snapshot saved to %ls\n", file.path);
    wchar_t format[kPathChars] = {};
    ReadSettingText(Setting::kSnapshotFormat, format, kPathChars);
    const SnapshotNotice notice = NoGdiplusNotice(bool(session), _wcsicmp(format, L"bmp") == 0,
                                                  spec.image_path != nullptr);
    if (notice.show)
        ShowBalloon(notice.title_id, notice.text_id, NIIF_WARNING);
    // The next capture still takes a new file (the name is never reused),
    // but the user should know the number did not move on.
    if (!file.counter_saved)
        ShowBalloon(IDS_COUNTER_NOT_SAVED_TITLE, IDS_COUNTER_NOT_SAVED_TEXT, NIIF_WARNING);
    return true;
}

void Save(const SaveJob& job)
{
    bool saved = false;
    if (HDC memory = CreateCompatibleDC(nullptr)) {
        HGDIOBJ previous = SelectObject(memory, job.pixels);
        if (previous) {
            saved = CaptureIntoFile(memory, RECT{0, 0, job.width, job.height});
            SelectObject(memory, previous);
        }
        DeleteDC(memory);
    }
    DeleteObject(job.pixels);
    DebugPrint(L"snapshot file done, saved %d\n", int(saved));
    if (!saved)
        ShowBalloon(IDS_CAPTURE_FAILED_TITLE, IDS_CAPTURE_FAILED_TEXT, kBalloonError);
}

DWORD WINAPI SaverMain(void*)
{
    for (;;) {
        bool finishing = false;
        while (SaveJob* job = TakeFirst(&finishing)) {
            Save(*job);
            delete job;
        }
        if (finishing)
            return 0;
        WaitForSingleObject(g_saver.wake, INFINITE);
    }
}

bool EnsureSaver()
{
    if (!g_saver.lock_ready) {
        InitializeCriticalSection(&g_saver.lock);
        g_saver.lock_ready = true;
    }
    if (!g_saver.wake && !(g_saver.wake = CreateEventW(nullptr, FALSE, FALSE, nullptr)))
        return false;
    // GDI+ is found through the program's manifest (the only copy on
    // Windows XP lives in the side-by-side store), which a new thread may
    // not see: the GUI thread loads it once and it stays for the program's
    // life; the saver's sessions take that copy (LoadGdiplus).
    if (!g_saver.gdiplus_tried) {
        g_saver.gdiplus_tried = true;
        g_saver.gdiplus = gdiplus::LoadGdiplus();
    }
    if (!g_saver.thread && !(g_saver.thread = CreateThread(nullptr, 0, SaverMain, nullptr, 0, nullptr))) {
        DebugPrint(L"The snapshot saver could not be started, error %lu\n", GetLastError());
        return false;
    }
    return true;
}
}  // namespace

bool QueueSnapshotSave(HBITMAP pixels, int width, int height)
{
    auto* job = new (std::nothrow) SaveJob{pixels, width, height, nullptr};
    if (!job || !EnsureSaver()) {
        delete job;
        DeleteObject(pixels);
        return false;
    }
    EnterCriticalSection(&g_saver.lock);
    if (g_saver.last)
        g_saver.last->next = job;
    else
        g_saver.first = job;
    g_saver.last = job;
    LeaveCriticalSection(&g_saver.lock);
    SetEvent(g_saver.wake);
    return true;
}

void FinishSnapshotSaves(DWORD wait_ms)
{
    if (!g_saver.thread)
        return;
    EnterCriticalSection(&g_saver.lock);
    g_saver.finishing = true;
    LeaveCriticalSection(&g_saver.lock);
    SetEvent(g_saver.wake);
    if (WaitForSingleObject(g_saver.thread, wait_ms) != WAIT_OBJECT_0)
        DebugPrint(L"A snapshot was still being saved when the program ended\n");
    CloseHandle(g_saver.thread);
    g_saver.thread = nullptr;
}
