#pragma once

#include <QApplication>
#include <QDeadlineTimer>

// Runs the window thread until the condition holds; false after 20 s. The
// limit only keeps a broken build from hanging: nothing here is timed.
template <class Condition> bool waitUntil(Condition condition, int limitMs = 20000)
{
    QDeadlineTimer deadline(limitMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}
