#include "tests/scenario/support/responsiveness.h"

#include "tests/doubles/hang_switch.h"
#include "tests/scenario/support/harness.h"

namespace scenario {

ResponseWatch::ResponseWatch(HWND window) : window_(window)
{
    thread_ = std::thread([this] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        while (!stop_) {
            LARGE_INTEGER before, after;
            QueryPerformanceCounter(&before);
            DWORD_PTR result = 0;
            const bool answered =
                SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &result) != 0;
            QueryPerformanceCounter(&after);
            const DWORD ms = DWORD((after.QuadPart - before.QuadPart) * 1000 / frequency.QuadPart);
            if (answered) {
                if (ms > longest_)
                    longest_ = ms;
                ++samples_;
            } else {
                ++unanswered_;
            }
            Sleep(2);
        }
    });
}

ResponseWatch::~ResponseWatch()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
}

bool Answers(HWND window, DWORD timeout_ms)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, timeout_ms, &result) != 0;
}

bool HangThreadOf(HWND window, DWORD hang_ms)
{
    if (!PostMessageW(window, HangThreadMessage(), hang_ms, 0))
        return false;
    return WaitFor([&] { return !Answers(window, 100); }, 5000);
}

}  // namespace scenario
