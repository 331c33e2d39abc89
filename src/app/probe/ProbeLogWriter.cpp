#include "ProbeLogWriter.h"

#include "DatabaseTrouble.h"
#include "SQLiteTable3.h"
#include "TThread.h"
#include "UntSqliteUtils.h"

#include <QDateTime>
#include <QDeadlineTimer>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace {
struct ProbeRecord {
    QString date;
    QString time;
    QString host;
};
} // namespace

class ProbeLogWriter::Worker {
public:
    static constexpr std::size_t QueueLimit = std::size_t(ProbeLogWriter::QueueLimit);
    static constexpr std::size_t BatchLimit = 5000;
    static constexpr auto RetryDelay = std::chrono::seconds(1);
    static constexpr auto StepLookInterval = std::chrono::milliseconds(5);
    static constexpr auto LockLookInterval = std::chrono::milliseconds(10);

    Worker() : m_thread([this] { run(); }) {}

    void add(const QString& host)
    {
        // Day and time are taken under the lock, so the queue order is the
        // arrival order and the times never run backwards within it.
        std::lock_guard lock(m_mutex);
        if (m_queue.size() >= QueueLimit) {
            ++m_dropped;
            return;
        }
        // One moment for both, so a request at midnight gets the day it arrived on.
        const QDateTime now = QDateTime::currentDateTime();
        m_queue.push_back({logDateOf(now), logTimeOf(now), host});
        ++m_queued;
        m_wakeWriter.notify_one();
    }

    // On the window thread the workers' display-only steps are served
    // meanwhile: one of them may hold the database the records wait for.
    bool flush(int timeoutMs)
    {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        std::unique_lock lock(m_mutex);
        const qint64 target = m_queued;
        m_wakeWriter.notify_one();
        const auto stored = [&] { return m_stored >= target; };
        while (!m_progress.wait_until(lock, std::min(deadline, nextLook()), stored)) {
            if (std::chrono::steady_clock::now() >= deadline)
                return false;
            lock.unlock();
            // A slice at a time, so records stored meanwhile end the wait.
            TThread::serveStepsDuringWait(
                QDeadlineTimer(std::min(deadline, nextLook()), Qt::PreciseTimer));
            lock.lock();
        }
        return true;
    }

    qint64 stored() const
    {
        std::lock_guard lock(m_mutex);
        return m_stored;
    }

    qint64 dropped() const
    {
        std::lock_guard lock(m_mutex);
        return m_dropped;
    }

    // Tells how many records the full queue refused since this was last
    // told, in a box; or, when the process ends, on standard error with the
    // records still waiting, which are lost with it, and why they wait.
    void tellLostRecords(bool atExit)
    {
        qint64 refused = 0;
        qint64 waiting = 0;
        QString reason;
        {
            std::lock_guard lock(m_mutex);
            refused = m_dropped - m_droppedTold;
            m_droppedTold = m_dropped;
            if (atExit) {
                waiting = qint64(m_queue.size());
                if (refused + waiting > 0)
                    reason = unstoredReason();
            }
        }
        if (atExit && refused + waiting > 0)
            std::fprintf(stderr, "Solvek Anti-Bot: %s\n",
                         qPrintable(lostAtExitText(refused, waiting, reason)));
        else if (refused > 0)
            tellDatabaseTrouble(QStringLiteral("%1 probe records were lost while the database "
                                               "could not be written: at most %2 records wait "
                                               "for it.")
                                    .arg(refused)
                                    .arg(QueueLimit));
    }

private:
    static QString lostAtExitText(qint64 refused, qint64 waiting, const QString& reason)
    {
        QString text =
            QStringLiteral("%1 probe records were lost. %2.").arg(refused + waiting).arg(reason);
        if (refused > 0)
            text += QStringLiteral(" %1 of them were refused before, as at most %2 records wait "
                                   "for the database.")
                        .arg(refused)
                        .arg(QueueLimit);
        return text;
    }

    // Why the records still waiting are not stored; under the lock.
    QString unstoredReason() const
    {
        if (m_waitingForLock || isDatabaseBusy(m_lastFailure))
            return QStringLiteral("The database \"%1\" was locked by another program or task "
                                  "when Solvek Anti-Bot ended")
                .arg(DBPath);
        if (!m_lastFailure.isEmpty())
            return databaseFailureText(m_lastFailure);
        return QStringLiteral("The time to store them ran out as Solvek Anti-Bot ended");
    }

    static std::chrono::steady_clock::time_point nextLook()
    {
        return std::chrono::steady_clock::now() + StepLookInterval;
    }

    [[noreturn]] void run()
    {
        for (;;) {
            std::vector<ProbeRecord> batch = nextBatch();
            if (store(batch)) {
                {
                    std::lock_guard lock(m_mutex);
                    m_queue.erase(m_queue.begin(), m_queue.begin() + qsizetype(batch.size()));
                    m_stored += qint64(batch.size());
                    m_progress.notify_all();
                }
                tellLostRecords(false);
            } else {
                std::this_thread::sleep_for(RetryDelay);
            }
        }
    }

    // A copy of the oldest records; they leave the queue only once stored.
    std::vector<ProbeRecord> nextBatch()
    {
        std::unique_lock lock(m_mutex);
        m_wakeWriter.wait(lock, [&] { return !m_queue.empty(); });
        const std::size_t count = std::min(m_queue.size(), BatchLimit);
        return {m_queue.begin(), m_queue.begin() + qsizetype(count)};
    }

    bool store(const std::vector<ProbeRecord>& batch)
    {
        // However the try ends, it no longer waits for a lock.
        struct LockWaitEnd {
            Worker& worker;
            ~LockWaitEnd() { worker.setWaitingForLock(false); }
        } lockWaitEnd{*this};
        try {
            createDB();
            const auto db = openDatabase();
            db->SetBusyHandler(lockWait());
            db->BeginTransaction();
            TSQLiteQuery insert =
                db->PrepareSQL(QStringLiteral("INSERT INTO probe VALUES(?, ?, ?);"));
            for (const ProbeRecord& record : batch) {
                db->BindSQL(insert, 1, record.date);
                db->BindSQL(insert, 2, record.time);
                db->BindSQL(insert, 3, record.host);
                db->ExecSQL(insert);
            }
            db->ReleaseSQL(insert);
            db->Commit();
            m_troubleTold = false;
            setLastFailure({});
            return true;
        } catch (const solvek::Exception& e) {
            // Told once per kind of failure, not at every retry.
            if (setLastFailure(e.message()))
                qWarning("Probe records not stored yet, retrying: %s", qUtf8Printable(e.message()));
            // A database held elsewhere is waited for; one that fails otherwise
            // is told once, until it works again.
            if (!isDatabaseBusy(e.message()) && !m_troubleTold) {
                m_troubleTold = true;
                tellDatabaseTrouble(withDamageNotice(
                    databaseFailureText(e.message()) +
                        QStringLiteral("\n\nProbe records wait, at most %1 of them, and are "
                                       "stored once it can be written again.")
                            .arg(QueueLimit),
                    e));
            }
            tellIfDatabaseDamaged(e); // when told before as another failure
            return false;
        }
    }

    // Waits for a lock held elsewhere as long as any connection does, noting
    // meanwhile that the records wait for it.
    TSQLiteDatabase::TBusyHandler lockWait()
    {
        return [this, timeOut = QDeadlineTimer()](int attempt) mutable {
            if (attempt == 0) {
                timeOut.setRemainingTime(DatabaseBusyTimeoutMs, Qt::PreciseTimer);
                setWaitingForLock(true);
            }
            std::this_thread::sleep_for(LockLookInterval);
            return !timeOut.hasExpired();
        };
    }

    void setWaitingForLock(bool waiting)
    {
        std::lock_guard lock(m_mutex);
        m_waitingForLock = waiting;
    }

    // True when the failure differs from the last try's.
    bool setLastFailure(const QString& message)
    {
        std::lock_guard lock(m_mutex);
        const bool changed = message != m_lastFailure;
        m_lastFailure = message;
        return changed;
    }

    mutable std::mutex m_mutex;
    std::condition_variable m_wakeWriter;
    std::condition_variable m_progress;
    std::deque<ProbeRecord> m_queue;
    qint64 m_queued = 0;
    qint64 m_stored = 0;
    qint64 m_dropped = 0;
    qint64 m_droppedTold = 0;
    QString m_lastFailure;         // of the last try; empty once one succeeded
    bool m_waitingForLock = false; // a try waits for a lock held elsewhere
    bool m_troubleTold = false;    // the writer thread's own
    std::thread m_thread;          // last: starts once the members above exist
};

ProbeLogWriter::ProbeLogWriter() : m_worker(std::make_unique<Worker>()) {}

ProbeLogWriter& ProbeLogWriter::instance()
{
    static ProbeLogWriter* writer = [] {
        auto* created = new ProbeLogWriter;
        // A normal exit still stores what has arrived, and tells what was lost.
        std::atexit([] { ProbeLogWriter::instance().finish(); });
        return created;
    }();
    return *writer;
}

void ProbeLogWriter::add(const QString& host)
{
    m_worker->add(host);
}

bool ProbeLogWriter::flush(int timeoutMs)
{
    return m_worker->flush(timeoutMs);
}

void ProbeLogWriter::finish(int timeoutMs)
{
    flush(timeoutMs);
    m_worker->tellLostRecords(true);
}

qint64 ProbeLogWriter::storedCount() const
{
    return m_worker->stored();
}

qint64 ProbeLogWriter::droppedCount() const
{
    return m_worker->dropped();
}
