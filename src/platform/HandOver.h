#pragma once

// Passes items from one thread to another, in the order they were given.

#include <condition_variable>
#include <deque>
#include <mutex>

namespace platform {

template <class T> class HandOver {
public:
    // Queues the item; false (and the item dropped) once the taker has given up.
    bool give(T&& item)
    {
        std::lock_guard lock(m_mutex);
        if (m_givenUp)
            return false;
        m_items.push_back(std::move(item));
        m_changed.notify_one();
        return true;
    }
    // Waits for the next item; false once the giver has finished and every
    // item was taken, or the taker has given up.
    bool take(T& item)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return !m_items.empty() || m_finished || m_givenUp; });
        if (m_items.empty() || m_givenUp)
            return false;
        item = std::move(m_items.front());
        m_items.pop_front();
        return true;
    }
    // The giver has no more.
    void finish()
    {
        std::lock_guard lock(m_mutex);
        m_finished = true;
        m_changed.notify_all();
    }
    // The taker wants no more: what waits is dropped and later gifts refused.
    void giveUp()
    {
        std::lock_guard lock(m_mutex);
        m_givenUp = true;
        m_items.clear();
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<T> m_items;
    bool m_finished = false;
    bool m_givenUp = false;
};

} // namespace platform
