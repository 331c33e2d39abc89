#pragma once

// Keeps the probe's sockets within the descriptors the process can spare,
// whatever the limit and whatever else is open: a connection thread that
// cannot make its event loop ends the whole process, and so may a shortage
// in the database, the windows or a download.

#include "Descriptors.h"

#include <chrono>

class ProbeDescriptorBudget {
public:
    using Clock = std::chrono::steady_clock;

    ProbeDescriptorBudget();

    // How many more sockets the probe may take now; below zero when it holds
    // more than it may and must close some. The process's descriptors are
    // counted again when the last count is old, or sooner when there seems to
    // be no room (sockets closed by connection threads show only in a count).
    int room();
    // The same from a count taken now, for a verdict that must not rest on
    // changes not yet counted.
    int roomByCountNow();

    // The probe took or closed one of its sockets since the last count.
    void opened() { ++m_changeSinceCount; }
    void closed() { --m_changeSinceCount; }

    // When room() may next find more, once it found none; seldom where
    // nothing can be counted, as waiting will not change that.
    Clock::time_point nextLook() const
    {
        return m_countedAt + (uncountable() ? CountInterval : ShortCountInterval);
    }

    // The descriptors open at the last count; -1 when they could not be counted.
    int lastCount() const { return m_countFailed ? -1 : m_counted; }
    // True when they can never be counted here (no /proc).
    bool uncountable() const { return m_countFailed && m_descriptors.unreadable(); }

private:
    static constexpr auto CountInterval = std::chrono::milliseconds(100);
    static constexpr auto ShortCountInterval = std::chrono::milliseconds(10);

    void count();
    int spare() const;

    platform::DescriptorCount m_descriptors;
    int m_counted = 0;
    int m_changeSinceCount = 0;
    bool m_countFailed = false;
    Clock::time_point m_countedAt;
};
