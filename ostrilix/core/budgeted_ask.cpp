#include "ostrilix/core/budgeted_ask.h"

#include "common/debug_print.h"

DWORD NextSendTimeout(DWORD elapsed_ms, DWORD budget_ms, DWORD per_window_ms)
{
    if (elapsed_ms >= budget_ms)
        return 0;
    const DWORD left = budget_ms - elapsed_ms;
    return per_window_ms < left ? per_window_ms : left;
}

BudgetedAsk::BudgetedAsk(UINT message, DWORD budget_ms, const wchar_t* who, WPARAM argument)
    : message_(message), budget_ms_(budget_ms), start_(GetTickCount()), who_(who), argument_(argument)
{
}

bool BudgetedAsk::IsSlow(DWORD thread) const
{
    for (int i = 0; i < slow_count_; ++i)
        if (slow_threads_[i] == thread)
            return true;
    return false;
}

bool BudgetedAsk::Ask(HWND window)
{
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    const bool slow = IsSlow(thread);
    const DWORD timeout = slow ? 0 : NextSendTimeout(GetTickCount() - start_, budget_ms_, kPerWindowMs);
    DWORD_PTR result = 0;
    if (timeout && SendMessageTimeoutW(window, message_, argument_, 0, SMTO_ABORTIFHUNG, timeout, &result)) {
        ++answered_;
        return true;
    }
    // Hung, slow, or out of time (a budget of 0 only queues, and says nothing).
    if (budget_ms_)
        DebugPrint(L"%s: window 0x%p did not answer in time, error %lu\n", who_, static_cast<void*>(window),
                   GetLastError());
    if (!slow && slow_count_ < kMostThreads)
        slow_threads_[slow_count_++] = thread;
    if (!SendNotifyMessageW(window, message_, argument_, 0))
        DebugPrint(L"%s: SendNotifyMessageW failed, error %lu\n", who_, GetLastError());
    return false;
}
