#pragma once
// A small fixed table of per-window records: no allocation, pure operations
// on the values it holds.  A record whose window is null is a free slot.
// Callers that share a table between threads hold the process lock.
#include <windows.h>

template <typename Record, int kSlots>
struct WindowTable {
    Record records[kSlots];

    Record* Find(HWND window)
    {
        if (!window)
            return nullptr;
        for (Record& r : records)
            if (r.window == window)
                return &r;
        return nullptr;
    }
    // A free slot, filled with the window and otherwise zeroed; null when
    // the table is full.
    Record* Add(HWND window)
    {
        if (!window)
            return nullptr;
        for (Record& r : records)
            if (!r.window) {
                r = Record{};
                r.window = window;
                return &r;
            }
        return nullptr;
    }
    void Remove(HWND window)
    {
        if (Record* r = Find(window))
            *r = Record{};
    }
    // Frees every record for which the predicate holds (windows that no
    // longer exist); returns how many were freed.
    template <typename Fn>
    int RemoveIf(Fn&& gone)
    {
        int removed = 0;
        for (Record& r : records)
            if (r.window && gone(r)) {
                r = Record{};
                ++removed;
            }
        return removed;
    }
    int Used() const
    {
        int n = 0;
        for (const Record& r : records)
            n += r.window ? 1 : 0;
        return n;
    }
};
