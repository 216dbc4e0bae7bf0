#include "tests/scenario/support/responsiveness.h"

namespace scenario {

ResponseWatch::ResponseWatch(HWND window) : window_(window)
{
    thread_ = TestThread([this] {
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

}  // namespace scenario
