#pragma once

// Decides which progress steps are worth showing: only those that change the
// percentage a person can see, so a run of a million rows makes about a
// hundred calls to the window thread instead of a million.

#include <QtGlobal>

class ProgressThrottle {
public:
    explicit ProgressThrottle(qint64 total) : m_total(total) {}

    // True when position shows another percentage than the last shown step.
    bool shows(qint64 position)
    {
        if (m_total <= 0)
            return false;
        const qint64 percent = position * 100 / m_total;
        if (percent == m_lastPercent)
            return false;
        m_lastPercent = percent;
        return true;
    }

private:
    qint64 m_total;
    qint64 m_lastPercent = -1;
};
