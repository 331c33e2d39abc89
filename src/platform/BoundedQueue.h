#pragma once

// Hands items from one producing thread to one consuming thread through a
// queue of a few places, so the producer never runs far ahead of the
// consumer's memory. A failure of the producer is carried over to the
// consumer, after the items made before it.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <utility>

namespace platform {

template <class T> class BoundedQueue {
public:
    explicit BoundedQueue(size_t places) : m_places(places < 1 ? 1 : places) {}

    // Producer: waits for a free place. False once the consumer has given
    // up, so the producer can stop.
    bool push(T item)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_items.size() < m_places || m_abandoned; });
        if (m_abandoned)
            return false;
        m_items.push_back(std::move(item));
        m_changed.notify_all();
        return true;
    }

    // Producer: the item goes in only when a place is free at once.
    bool tryPush(T item)
    {
        std::lock_guard lock(m_mutex);
        if (m_items.size() >= m_places || m_abandoned)
            return false;
        m_items.push_back(std::move(item));
        m_changed.notify_all();
        return true;
    }

    // Producer: no more items; a failure is raised by the consumer's pop once
    // it has taken every item made before it.
    void finish(std::exception_ptr failure = nullptr)
    {
        std::lock_guard lock(m_mutex);
        m_finished = true;
        m_failure = std::move(failure);
        m_changed.notify_all();
    }

    // Consumer: waits for the next item; empty once the producer finished and
    // every item is taken, or after abandon.
    std::optional<T> pop()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return !m_items.empty() || m_finished || m_abandoned; });
        if (m_items.empty() || m_abandoned) {
            if (m_failure && !m_abandoned)
                std::rethrow_exception(std::exchange(m_failure, nullptr));
            return std::nullopt;
        }
        return takeFront();
    }

    // The next item if one waits, without waiting.
    std::optional<T> tryPop()
    {
        std::lock_guard lock(m_mutex);
        if (m_items.empty() || m_abandoned)
            return std::nullopt;
        return takeFront();
    }

    // Consumer: wants no more items; wakes a producer waiting for a place.
    void abandon()
    {
        std::lock_guard lock(m_mutex);
        m_abandoned = true;
        m_items.clear();
        m_changed.notify_all();
    }

private:
    // With the lock held and an item waiting.
    std::optional<T> takeFront()
    {
        std::optional<T> item(std::move(m_items.front()));
        m_items.pop_front();
        m_changed.notify_all();
        return item;
    }

    const size_t m_places;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<T> m_items;
    std::exception_ptr m_failure;
    bool m_finished = false;
    bool m_abandoned = false;
};

} // namespace platform
