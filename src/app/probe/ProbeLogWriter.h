#pragma once

#include <QString>

#include <memory>

// Stores probe records in the order the requests arrived, in one transaction
// per batch, on a thread of its own, so that a burst of requests neither
// blocks the windows nor loses records. One per process.
class ProbeLogWriter {
public:
    // Records waiting beyond this many are refused and counted (only a
    // database that keeps failing lets the queue grow that far); the count
    // is told once the database works again, and at exit.
    static constexpr qint64 QueueLimit = 200000;

    static ProbeLogWriter& instance();

    // Queues a record with the day and time of now.
    void add(const QString& host);
    // Waits until every record queued so far is stored, or the time-out has
    // passed; true when all were stored. On the window thread it serves the
    // workers' display-only steps meanwhile, as every window-thread wait does.
    bool flush(int timeoutMs = 10000);
    // At exit: flushes, then tells on standard error how many records could
    // not be stored, the refused ones not told yet and those still waiting,
    // and why: the database locked elsewhere, or SQLite's reason.
    void finish(int timeoutMs = 10000);

    // Records stored since the start, and records refused because the queue was full.
    qint64 storedCount() const;
    qint64 droppedCount() const;

    ProbeLogWriter(const ProbeLogWriter&) = delete;
    ProbeLogWriter& operator=(const ProbeLogWriter&) = delete;

private:
    class Worker;
    ProbeLogWriter();
    ~ProbeLogWriter() = delete; // lives until the process ends

    std::unique_ptr<Worker> m_worker;
};
