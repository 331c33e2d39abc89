#pragma once

// Stands in for an update's merge: it holds a write transaction on the
// program's database and shows progress on the window thread, step after
// step, before it commits, as the merge does.

#include "SQLiteTable3.h"
#include "TThread.h"
#include "UntSqliteUtils.h"
#include "WaitUntil.h"

#include <QThread>

#include <atomic>
#include <future>
#include <thread>

class SynchronizingMerge {
public:
    // Returns once the transaction is held, without running the window
    // thread's events. Each step takes stepMs on the window thread.
    explicit SynchronizingMerge(int steps = 5, int stepMs = 40) : m_steps(steps), m_stepMs(stepMs)
    {
        m_writing.get_future().wait();
    }
    // Sends no more steps and serves those on their way, so that a failed
    // wait ends the test instead of hanging it.
    ~SynchronizingMerge()
    {
        m_stop.store(true);
        waitUntil([this] { return committed(); });
    }
    SynchronizingMerge(const SynchronizingMerge&) = delete;
    SynchronizingMerge& operator=(const SynchronizingMerge&) = delete;

    bool committed() const { return m_committed.load(); }

private:
    void run()
    {
        // As the program opens it: its commit waits for a window's read.
        const auto db = openDatabase();
        db->BeginTransaction();
        db->ExecSQL("INSERT INTO hosts VALUES('1', 'merged.com', 'Y');");
        m_writing.set_value();
        for (int step = 0; step < m_steps && !m_stop.load(); ++step)
            TThread::Synchronize([this] { QThread::msleep(m_stepMs); });
        db->Commit();
        m_committed.store(true);
    }

    const int m_steps;
    const int m_stepMs;
    std::promise<void> m_writing;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_committed{false};
    std::jthread m_thread{[this] { run(); }}; // last: it uses the members above
};
