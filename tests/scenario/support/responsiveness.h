#pragma once
// Watches how quickly a window's thread answers: a thread of the test sends
// WM_NULL to it over and over and keeps the longest answer time.  For the
// program's main window this is the time the low-level hooks may hold up
// every mouse and keyboard event of the desktop.
#include <windows.h>

#include <atomic>

#include "tests/framework/test_thread.h"

namespace scenario {

class ResponseWatch {
public:
    explicit ResponseWatch(HWND window);
    ~ResponseWatch();  // stops the watching thread
    ResponseWatch(const ResponseWatch&) = delete;
    ResponseWatch& operator=(const ResponseWatch&) = delete;

    DWORD LongestMs() const { return longest_; }
    unsigned Samples() const { return samples_; }
    // Answers that did not come within the time-out (2 s).
    unsigned Unanswered() const { return unanswered_; }

private:
    HWND window_;
    std::atomic<bool> stop_{false};
    std::atomic<DWORD> longest_{0};
    std::atomic<unsigned> samples_{0};
    std::atomic<unsigned> unanswered_{0};
    TestThread thread_;
};

// Times the low-level hooks that were installed before it (the program's):
// a thread of the test installs its own WH_MOUSE_LL and WH_KEYBOARD_LL
// hooks, which the system calls first, and measures how long each event
// takes to come back from CallNextHookEx, that is, from the hooks after it.
// A hook procedure that waits keeps its event, and with it the desktop's
// input, waiting; the WM_NULL answers of ResponseWatch cannot show that,
// because a thread that waits inside SendMessage still answers sent
// messages.  One at a time.
class HookLatencyWatch {
public:
    HookLatencyWatch();
    ~HookLatencyWatch();
    HookLatencyWatch(const HookLatencyWatch&) = delete;
    HookLatencyWatch& operator=(const HookLatencyWatch&) = delete;

    bool Installed() const { return installed_; }
    DWORD LongestMs() const;
    unsigned Events() const;

private:
    std::atomic<bool> installed_{false};
    std::atomic<DWORD> thread_id_{0};
    TestThread thread_;
};

// Whether the window's thread answers a message within the time.
bool Answers(HWND window, DWORD timeout_ms);

// Makes the thread of a test double's window hang for the time (the hang
// switch of tests/doubles/hang_switch.h) and waits until it has stopped
// answering; false when it never did.
bool HangThreadOf(HWND window, DWORD hang_ms);

}  // namespace scenario
