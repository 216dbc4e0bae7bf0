#pragma once
// A thread and a lock for test programs, in place of std::thread and
// std::mutex: everything is built with the win32 thread-model compilers
// (the posix model's winpthreads imports functions Windows 2000 lacks), and
// their libstdc++ has neither.  Same use: TestThread t([&] { ... }); t.join();
// std::lock_guard<TestMutex> guard(lock);
#include <windows.h>
#include <process.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <utility>

class TestThread {
public:
    TestThread() = default;
    template <typename Fn>
    explicit TestThread(Fn&& fn)
    {
        auto* job = new std::function<void()>(std::forward<Fn>(fn));
        handle_ = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &Run, job, 0, nullptr));
        if (!handle_) {
            // A test without its thread would wait for it and fail obscurely.
            std::fprintf(stderr, "TestThread: _beginthreadex failed (errno %d)\n", errno);
            std::abort();
        }
    }
    TestThread(TestThread&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    TestThread& operator=(TestThread&& other) noexcept
    {
        if (joinable())
            std::terminate();  // as std::thread: a running thread is never dropped
        handle_ = std::exchange(other.handle_, nullptr);
        return *this;
    }
    TestThread(const TestThread&) = delete;
    TestThread& operator=(const TestThread&) = delete;
    ~TestThread()
    {
        if (joinable())
            std::terminate();
    }

    bool joinable() const { return handle_ != nullptr; }
    void join()
    {
        WaitForSingleObject(handle_, INFINITE);
        CloseHandle(handle_);
        handle_ = nullptr;
    }

private:
    static unsigned __stdcall Run(void* param)
    {
        auto* job = static_cast<std::function<void()>*>(param);
        (*job)();
        delete job;
        return 0;
    }

    HANDLE handle_ = nullptr;
};

class TestMutex {
public:
    TestMutex() { InitializeCriticalSection(&section_); }
    ~TestMutex() { DeleteCriticalSection(&section_); }
    TestMutex(const TestMutex&) = delete;
    TestMutex& operator=(const TestMutex&) = delete;

    void lock() { EnterCriticalSection(&section_); }
    void unlock() { LeaveCriticalSection(&section_); }

private:
    CRITICAL_SECTION section_;
};
