// The per-process window subclass registry, with real windows of this
// process: counting, restoring, slot reuse, the taskbar exception, the
// library's detach, and several threads at once.
#include <windows.h>

#include <vector>

#include "ostrilix/hooks/dock_wnd_proc.h"
#include "ostrilix/core/subclass_registry.h"
#include "tests/framework/check.h"
#include "tests/framework/test_thread.h"

namespace {
volatile LONG g_frame_changes = 0;

LRESULT CALLBACK OriginalProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_NCCALCSIZE && wp)
        InterlockedIncrement(&g_frame_changes);
    return DefWindowProcW(wnd, msg, wp, lp);
}

// The procedure a feature would install: forwards through the registry.
LRESULT CALLBACK Replacement(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_APP)
        return 0x5157;  // tells a test which procedure answered
    WNDPROC original = GetOriginalWndProc(wnd);
    return original ? CallWindowProcW(original, wnd, msg, wp, lp) : DefWindowProcW(wnd, msg, wp, lp);
}

HWND MakeWindow(const wchar_t* class_name = L"QvRegistryTest")
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = OriginalProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = class_name;
    RegisterClassW(&wc);  // fails harmlessly when already registered
    return CreateWindowExW(0, class_name, L"registry", WS_OVERLAPPEDWINDOW, 10, 10, 200, 150,
                           nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

WNDPROC ProcOf(HWND wnd) { return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(wnd, GWLP_WNDPROC)); }

LONG CountOf(HWND wnd)
{
    SubclassRecord record = {};
    return LookupSubclass(wnd, &record) ? record.use_count : -1;
}
}  // namespace

TEST_CASE("two_requests_replace_the_procedure_once_and_the_last_release_restores_it")
{
    HWND wnd = MakeWindow();
    REQUIRE(wnd != nullptr);
    const WNDPROC original = ProcOf(wnd);
    const LONG frames_before = g_frame_changes;

    CHECK(SubclassWindow(wnd, Replacement));
    CHECK(SubclassWindow(wnd, Replacement));
    CHECK_EQ(CountOf(wnd), 2);
    CHECK(ProcOf(wnd) == Replacement);
    CHECK(GetOriginalWndProc(wnd) == original);
    CHECK(IsWindowSubclassed(wnd));
    CHECK_EQ(g_frame_changes - frames_before, 1);  // the frame was refreshed once
    CHECK_EQ(SendMessageW(wnd, WM_APP, 0, 0), LRESULT(0x5157));

    CHECK(UnsubclassWindow(wnd, false));
    CHECK(ProcOf(wnd) == Replacement);
    CHECK_EQ(CountOf(wnd), 1);

    CHECK(UnsubclassWindow(wnd, false));
    CHECK(ProcOf(wnd) == original);
    CHECK_EQ(SendMessageW(wnd, WM_APP, 0, 0), LRESULT(0));
    // The record stays, released, until the next release.
    CHECK_EQ(CountOf(wnd), 0);
    CHECK(!IsWindowSubclassed(wnd));

    // A new request installs the procedure again and counts from one.
    CHECK(SubclassWindow(wnd, Replacement));
    CHECK_EQ(CountOf(wnd), 1);
    CHECK(ProcOf(wnd) == Replacement);
    CHECK(IsWindowSubclassed(wnd));
    CHECK(UnsubclassWindow(wnd, false));
    CHECK(UnsubclassWindow(wnd, false));  // the released record goes
    CHECK_EQ(CountOf(wnd), -1);
    CHECK(ProcOf(wnd) == original);
    DestroyWindow(wnd);
    RemoveAllSubclasses();
}

TEST_CASE("taskbar_windows_null_procedures_and_unknown_windows")
{
    HWND taskbar = MakeWindow(L"Shell_TrayWnd");
    REQUIRE(taskbar != nullptr);
    const WNDPROC taskbar_proc = ProcOf(taskbar);
    CHECK(!SubclassWindow(taskbar, Replacement));
    CHECK(ProcOf(taskbar) == taskbar_proc);
    CHECK_EQ(CountOf(taskbar), -1);

    HWND wnd = MakeWindow();
    const WNDPROC original = ProcOf(wnd);
    CHECK(!SubclassWindow(wnd, nullptr));
    CHECK(!SubclassWindow(nullptr, Replacement));
    CHECK(!UnsubclassWindow(nullptr, false));
    // A window that was never recorded is left unchanged, successfully.
    CHECK(UnsubclassWindow(wnd, false));
    CHECK(UnsubclassWindow(wnd, true));
    CHECK(ProcOf(wnd) == original);
    CHECK_EQ(CountOf(wnd), -1);
    CHECK(!IsWindowSubclassed(wnd));
    CHECK(GetOriginalWndProc(wnd) == nullptr);
    DestroyWindow(wnd);
    DestroyWindow(taskbar);
    RemoveAllSubclasses();
}

TEST_CASE("a_freed_slot_is_reused_and_the_others_stay_found")
{
    HWND a = MakeWindow(), b = MakeWindow(), c = MakeWindow(), d = MakeWindow();
    const WNDPROC original = ProcOf(a);
    for (HWND w : {a, b, c})
        REQUIRE(SubclassWindow(w, Replacement));
    CHECK_EQ(SubclassSlotCount(), 3);
    CHECK_EQ(SubclassSlotOf(a), 0);

    CHECK(UnsubclassWindow(a, false));  // restores, keeps the record
    CHECK(UnsubclassWindow(a, false));  // frees the record
    CHECK_EQ(SubclassSlotOf(a), -1);
    CHECK(GetOriginalWndProc(b) == original);
    CHECK(GetOriginalWndProc(c) == original);
    CHECK(ProcOf(b) == Replacement);
    CHECK(ProcOf(c) == Replacement);

    CHECK(SubclassWindow(d, Replacement));
    CHECK_EQ(SubclassSlotOf(d), 0);
    CHECK_EQ(SubclassSlotCount(), 3);  // no growth: the free slot was taken

    RemoveAllSubclasses();
    for (HWND w : {a, b, c, d})
        DestroyWindow(w);
}

TEST_CASE("registration_copies_the_record_and_a_running_original_restarts_the_count")
{
    HWND wnd = MakeWindow();
    const WNDPROC original = ProcOf(wnd);
    SubclassRecord record = {};
    CHECK(!RegisterSubclass(nullptr, original, &record));
    REQUIRE(RegisterSubclass(wnd, original, &record));
    CHECK(record.window == wnd);
    CHECK(record.original == original);
    CHECK_EQ(record.use_count, 1);
    // Still running the original: the earlier request is gone, count again.
    REQUIRE(RegisterSubclass(wnd, original, &record));
    CHECK_EQ(record.use_count, 1);
    REQUIRE(RegisterSubclass(wnd, Replacement, &record));
    CHECK_EQ(record.use_count, 2);
    CHECK(record.original == original);

    CHECK(UnregisterSubclass(wnd, &record));
    CHECK_EQ(record.use_count, 1);
    CHECK(UnregisterSubclass(wnd, &record));
    CHECK_EQ(record.use_count, 0);
    CHECK(UnregisterSubclass(wnd, &record));  // at 0: freed, copied out
    CHECK_EQ(record.use_count, 0);
    CHECK(record.window == wnd);
    record = {};
    CHECK(!UnregisterSubclass(wnd, &record));  // not recorded: out untouched
    CHECK(record.window == nullptr);
    // With no slot in use, the miss frees the array.
    CHECK_EQ(SubclassSlotCount(), 0);
    DestroyWindow(wnd);
}

TEST_CASE("detach_restores_every_window_whatever_its_count")
{
    HWND twice = MakeWindow(), once = MakeWindow(), released = MakeWindow();
    const WNDPROC original = ProcOf(twice);
    REQUIRE(SubclassWindow(twice, Replacement));
    REQUIRE(SubclassWindow(twice, Replacement));
    REQUIRE(SubclassWindow(once, Replacement));
    REQUIRE(SubclassWindow(released, Replacement));
    REQUIRE(UnsubclassWindow(released, false));

    RemoveAllSubclasses();
    for (HWND w : {twice, once, released}) {
        CHECK(ProcOf(w) == original);
        CHECK_EQ(CountOf(w), -1);
        CHECK_EQ(SendMessageW(w, WM_APP, 0, 0), LRESULT(0));
    }
    CHECK_EQ(SubclassSlotCount(), 0);
    // The windows keep working with their own procedure.
    CHECK(SetWindowPos(once, nullptr, 0, 0, 300, 222, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE));
    RECT r = {};
    GetWindowRect(once, &r);
    CHECK_EQ(r.bottom - r.top, 222);
    for (HWND w : {twice, once, released})
        DestroyWindow(w);
}

TEST_CASE("a_destroyed_subclassed_window_leaves_no_record")
{
    HWND wnd = MakeWindow();
    REQUIRE(SubclassWindow(wnd, DockWndProc));
    CHECK(SubclassSlotOf(wnd) >= 0);
    DestroyWindow(wnd);
    CHECK_EQ(SubclassSlotOf(wnd), -1);
    RemoveAllSubclasses();
}

TEST_CASE("several_threads_of_one_process_share_the_registry")
{
    constexpr int kThreads = 4, kWindowsEach = 6, kRounds = 300;
    volatile LONG failures = 0;
    std::vector<TestThread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&failures, t] {
            HWND windows[kWindowsEach];
            for (HWND& w : windows)
                w = MakeWindow();
            const WNDPROC original = ProcOf(windows[0]);
            for (int round = 0; round < kRounds; ++round) {
                HWND w = windows[(round * 7 + t) % kWindowsEach];
                if (!SubclassWindow(w, Replacement) || !SubclassWindow(w, Replacement))
                    InterlockedIncrement(&failures);
                if (GetOriginalWndProc(w) != original || ProcOf(w) != Replacement)
                    InterlockedIncrement(&failures);
                UnsubclassWindow(w, false);
                UnsubclassWindow(w, false);
                UnsubclassWindow(w, false);  // frees the record
                if (ProcOf(w) != original || SubclassSlotOf(w) != -1)
                    InterlockedIncrement(&failures);
            }
            for (HWND w : windows)
                DestroyWindow(w);
        });
    for (auto& thread : threads)
        thread.join();
    CHECK_EQ(failures, 0);
    RemoveAllSubclasses();
}

TEST_CASE("concurrent_registrations_never_share_or_lose_a_record")
{
    // The bare registry, as fast as threads can hit it: every thread keeps a
    // rolling set of its own (fake) windows recorded.
    constexpr int kThreads = 4, kLive = 8, kRounds = 20000;
    volatile LONG failures = 0;
    std::vector<TestThread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&failures, t] {
            auto handle = [t](int k) { return reinterpret_cast<HWND>(ULONG_PTR(0x100000 * (t + 1) + 4 * (k % 64) + 4)); };
            auto proc = reinterpret_cast<WNDPROC>(ULONG_PTR(0x7000 + t));
            for (int k = 0; k < kRounds; ++k) {
                SubclassRecord record = {};
                if (!RegisterSubclass(handle(k), proc, &record) || record.window != handle(k) ||
                    record.use_count != 1 || record.original != proc)
                    InterlockedIncrement(&failures);
                if (k >= kLive) {
                    HWND old = handle(k - kLive);
                    // count 1 -> 0, then freed
                    if (!UnregisterSubclass(old, &record) || record.use_count != 0 || record.window != old)
                        InterlockedIncrement(&failures);
                    if (!UnregisterSubclass(old, &record) || record.window != old)
                        InterlockedIncrement(&failures);
                    if (GetOriginalWndProc(old) != nullptr)
                        InterlockedIncrement(&failures);
                }
            }
        });
    for (auto& thread : threads)
        thread.join();
    CHECK_EQ(failures, 0);
    RemoveAllSubclasses();
}
