#pragma once
// Asks windows of other threads, one after another, to act on a registered
// message within one time budget.  A thread that kept one window waiting is
// not waited for again; a window that did not answer in time gets the
// message queued, so its thread acts once it gets to its messages.  Lives on
// the caller's stack: no heap, no static state.
#include <windows.h>

// How long the next window may take: what is left of the budget, at most
// per_window_ms; 0 once the budget is spent.  Pure.
DWORD NextSendTimeout(DWORD elapsed_ms, DWORD budget_ms, DWORD per_window_ms);

class BudgetedAsk {
public:
    // who names the caller in the traces; argument goes with the message
    // as its wParam.
    BudgetedAsk(UINT message, DWORD budget_ms, const wchar_t* who, WPARAM argument = 0);
    // The same request with another argument for the windows asked next.
    void SetArgument(WPARAM argument) { argument_ = argument; }
    // True when the window answered within its share of the budget.
    bool Ask(HWND window);
    LONG Answered() const { return answered_; }

private:
    static constexpr DWORD kPerWindowMs = 200;
    static constexpr int kMostThreads = 128;
    bool IsSlow(DWORD thread) const;

    UINT message_;
    DWORD budget_ms_;
    DWORD start_;
    const wchar_t* who_;
    WPARAM argument_;
    DWORD slow_threads_[kMostThreads];
    int slow_count_ = 0;
    LONG answered_ = 0;
};
