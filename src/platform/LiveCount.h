#pragma once

// Counts the objects of a class that exist now. A worker that frees itself
// is gone only once the window thread has deleted it, so "none alive" tells
// that every such worker has ended and been freed.

#include <atomic>

template <class T> class LiveCount {
public:
    static int live() { return s_live.load(); }

protected:
    LiveCount() { s_live.fetch_add(1); }
    ~LiveCount() { s_live.fetch_sub(1); }
    LiveCount(const LiveCount&) = delete;
    LiveCount& operator=(const LiveCount&) = delete;

private:
    static inline std::atomic<int> s_live{0};
};
