#include "UntUpdateHosts.h"

#include "BlockList.h"
#include "BoundedQueue.h"
#include "DatabaseTrouble.h"
#include "HostsFile.h"
#include "HostsTableReader.h"
#include "Parallel.h"
#include "Platform.h"
#include "PresentHosts.h"
#include "ProgressThrottle.h"
#include "UntSqliteUtils.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <exception>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace {

using Batch = HostsTableReader::Batch;

// Looks the batches' hosts up in the set on several threads, each owning a
// range of the set's shards and recording the hosts it lacks. Every row of a
// host falls to the same thread, which takes the batches and their rows in
// order, so the row kept for a host is its first in the query's order.
class ParallelLookup {
public:
    // One batch's lookup: which rows are kept, once every thread is done.
    struct Job {
        explicit Job(Batch&& batch, size_t threads)
            : batch(std::move(batch)), kept(this->batch.rows.size(), 0), remaining(threads)
        {}
        Batch batch;
        std::vector<quint8> kept; // a byte per row: threads write rows of their own
        std::mutex mutex;
        std::condition_variable done;
        size_t remaining;
        std::exception_ptr failure;
    };

    // Raises std::system_error when a thread cannot start.
    ParallelLookup(PresentHosts& present, size_t threads) : m_present(present)
    {
        for (size_t index = 0; index < threads; ++index)
            m_queues.push_back(std::make_unique<Queue>(std::numeric_limits<size_t>::max()));
        m_threads.reserve(threads);
        try {
            for (size_t index = 0; index < threads; ++index)
                m_threads.push_back(platform::startThread([this, index] { lookUp(index); }));
        } catch (...) {
            // The threads started wait on their queues; they end and join
            // as their member goes.
            abandonQueues();
            throw;
        }
    }
    ~ParallelLookup()
    {
        abandonQueues();
        // The threads join as their member goes, before the queues.
    }
    ParallelLookup(const ParallelLookup&) = delete;
    ParallelLookup& operator=(const ParallelLookup&) = delete;

    std::shared_ptr<Job> submit(Batch&& batch)
    {
        auto job = std::make_shared<Job>(std::move(batch), m_queues.size());
        for (const std::unique_ptr<Queue>& queue : m_queues)
            queue->push(job);
        return job;
    }
    // Waits until every thread is done with the job; raises a thread's failure.
    static void wait(Job& job)
    {
        std::unique_lock lock(job.mutex);
        job.done.wait(lock, [&] { return job.remaining == 0; });
        if (job.failure)
            std::rethrow_exception(job.failure);
    }

private:
    void abandonQueues()
    {
        for (const std::unique_ptr<Queue>& queue : m_queues)
            queue->abandon();
    }

    void lookUp(size_t index)
    {
        const size_t shards = PresentHosts::shardCount();
        const size_t first = shards * index / m_queues.size();
        const size_t end = shards * (index + 1) / m_queues.size();
        std::vector<size_t> own;
        while (const std::optional<std::shared_ptr<Job>> next = m_queues[index]->pop()) {
            Job& job = **next;
            std::exception_ptr failure;
            try {
                lookUpRows(job, first, end, own);
            } catch (...) {
                failure = std::current_exception();
            }
            std::lock_guard lock(job.mutex);
            if (failure && !job.failure)
                job.failure = failure;
            if (--job.remaining == 0)
                job.done.notify_all();
        }
    }

    void lookUpRows(Job& job, size_t firstShard, size_t endShard, std::vector<size_t>& own)
    {
        // A little ahead, so each lookup finds its place in the set fetched.
        constexpr size_t Ahead = 8;
        const Batch& batch = job.batch;
        own.clear();
        for (size_t row = 0; row < batch.rows.size(); ++row) {
            if (!batch.rows[row].writable())
                continue;
            const size_t shard = PresentHosts::shardOf(batch.rows[row].key(batch.lines));
            if (shard >= firstShard && shard < endShard)
                own.push_back(row);
        }
        for (size_t at = 0; at < own.size(); ++at) {
            if (at + Ahead < own.size())
                m_present.prefetch(batch.rows[own[at + Ahead]].key(batch.lines));
            const size_t row = own[at];
            if (m_present.insertIntoShard(batch.rows[row].key(batch.lines)))
                job.kept[row] = 1;
        }
    }

    PresentHosts& m_present;
    // A queue of jobs for each thread; the caller bounds the jobs in flight.
    using Queue = platform::BoundedQueue<std::shared_ptr<Job>>;
    std::vector<std::unique_ptr<Queue>> m_queues;
    std::vector<std::jthread> m_threads; // last: they join before the queues go
};

// The new hosts file, written while the missing hosts are found, so that
// writing overlaps the lookups: the file's own text first, once the first
// line to add turns up. A file that gains nothing and is already as written
// is not written again. A failed write leaves the old file; it is told once
// the refresh ends.
class NewHostsFile {
public:
    NewHostsFile(QByteArrayView text, systemtext::LineEnd lineEnd, bool alreadyAsWritten)
        : m_text(text), m_lineEnd(lineEnd), m_alreadyAsWritten(alreadyAsWritten)
    {}

    void add(QByteArrayView lines)
    {
        if (!m_failure.isEmpty())
            return;
        try {
            start();
            m_writer->write(lines);
        } catch (const EHostsFileError& error) {
            fail(error);
        }
    }
    // Ends the write; answers why it failed, or nothing.
    QString finish()
    {
        if (!m_failure.isEmpty())
            return m_failure;
        try {
            if (!m_writer && m_alreadyAsWritten) {
                keepHostsFile();
                return {};
            }
            start();
            m_writer->commit();
            m_writer.reset();
        } catch (const EHostsFileError& error) {
            fail(error);
        }
        return m_failure;
    }

private:
    void start()
    {
        if (m_writer)
            return;
        m_writer.emplace(BlankLines::Drop, m_lineEnd);
        if (m_alreadyAsWritten)
            m_writer->writeInShape(m_text); // checked as it was read
        else
            m_writer->write(m_text);
    }
    void fail(const EHostsFileError& error)
    {
        m_failure = error.message();
        m_writer.reset(); // the old file stays
    }

    QByteArrayView m_text;
    systemtext::LineEnd m_lineEnd;
    bool m_alreadyAsWritten;
    std::optional<HostsFileWriter> m_writer;
    QString m_failure;
};

// Writes the batch's kept lines to the file. The batch's lines then stay in
// `viewed`, since the set keeps views of the kept hosts.
void writeKeptLines(ParallelLookup::Job& job, NewHostsFile& file, std::vector<QByteArray>& viewed)
{
    const Batch& batch = job.batch;
    const auto keptRows = size_t(std::count(job.kept.begin(), job.kept.end(), quint8(1)));
    if (keptRows == 0)
        return;
    if (keptRows == batch.rows.size()) {
        file.add(batch.lines);
    } else {
        QByteArray lines;
        lines.reserve(batch.lines.size());
        for (size_t row = 0; row < batch.rows.size(); ++row) {
            if (job.kept[row])
                lines.append(batch.line(row));
        }
        file.add(lines);
    }
    viewed.push_back(std::move(job.batch.lines)); // moving keeps the bytes where they are
}

// Writes a block line for every database host that the text does not block
// yet, in the order of the query; each host once, however many categories
// hold it. Answers their number.
qint64 addMissingHosts(HostsTableReader& database, PresentHosts& present, NewHostsFile& file,
                       HostsRefreshUi& ui)
{
    // Batches looked up ahead of the one written out.
    constexpr size_t InFlight = 4;
    const qint64 rows = database.rowCount();
    if (rows > 0)
        ui.begin(rows);
    // Room for the hosts the file may lack, taken once rather than by growing.
    present.reserve(std::max<qint64>(0, rows - present.size()));
    ProgressThrottle throttle(rows);
    std::vector<QByteArray> viewed; // lines the set keeps views of
    qint64 added = 0;
    qint64 row = 0;
    const auto writeOut = [&](ParallelLookup::Job& job) {
        ParallelLookup::wait(job);
        for (size_t index = 0; index < job.kept.size(); ++index, ++row) {
            added += job.kept[index];
            if (throttle.shows(row))
                ui.step(row, rows);
        }
        writeKeptLines(job, file, viewed);
    };
    {
        ParallelLookup lookup(present, platform::workerCount());
        std::deque<std::shared_ptr<ParallelLookup::Job>> jobs;
        Batch batch;
        while (database.next(batch)) {
            jobs.push_back(lookup.submit(std::move(batch)));
            if (jobs.size() > InFlight) {
                writeOut(*jobs.front());
                jobs.pop_front();
            }
        }
        for (const std::shared_ptr<ParallelLookup::Job>& job : jobs)
            writeOut(*job);
    }
    present.countShards();
    return added;
}

// The refresh's work with the file read: the new file, written unless the
// work fails midway. A failed query is no such failure: the lines found
// before it are written.
void refreshReadFile(HostsTableReader& database, const QByteArray& text,
                     systemtext::LineEnd lineEnd, bool alreadyAsWritten,
                     HostsRefreshOutcome& outcome, HostsRefreshUi& ui)
{
    PresentHosts present{QByteArrayView(text)};
    NewHostsFile file(text, lineEnd, alreadyAsWritten);
    outcome.linesAdded = addMissingHosts(database, present, file, ui);
    outcome.databaseFailure = database.failure();
    outcome.fileFailure = file.finish();
    outcome.fileWritten = outcome.fileFailure.isEmpty();
}

// Every failure on standard error, as the update's are; all of them in one
// box while the main window is visible, a tray balloon otherwise.
void tellFailures(const QStringList& failures, HostsRefreshUi& ui)
{
    if (failures.isEmpty())
        return;
    for (const QString& failure : failures)
        std::fprintf(stderr, "Solvek Anti-Bot: Hosts refresh failed: %s\n",
                     qPrintable(failure.simplified()));
    const QString title = QString::fromLatin1(HostsFileFailureTitle);
    const QString text = failures.join(QStringLiteral("\n\n"));
    if (ui.windowVisible())
        platform::messageBox(nullptr, text, title, platform::MB_OK | platform::MB_ICONERROR);
    else
        ui.showBalloon(title, text);
}

} // namespace

QStringList HostsRefreshOutcome::failures() const
{
    QStringList all;
    for (const QString& failure : {refreshFailure, databaseFailure, fileFailure})
        if (!failure.isEmpty())
            all << failure;
    return all;
}

HostsRefreshOutcome refreshHostsFile(const QString& dbPath, HostsRefreshUi& ui)
{
    HostsRefreshOutcome outcome;
    try {
        HostsFileLock lock;
        // The new lines end as the file's do; the database is read on a
        // thread of its own while the file is read and its names gathered.
        const systemtext::LineEnd lineEnd = hostsFileLineEnd();
        HostsTableReader database(dbPath, lineEnd);
        QByteArray text;
        bool alreadyAsWritten = false;
        try {
            text = getHostsFileBytes(lineEnd, BlankLines::Drop, alreadyAsWritten);
            outcome.fileRead = true;
        } catch (const EHostsFileError& error) {
            outcome.fileFailure = error.message();
        }
        if (outcome.fileRead)
            refreshReadFile(database, text, lineEnd, alreadyAsWritten, outcome, ui);
    } catch (const std::exception& error) {
        // A thread that could not start, or memory that ran out: the new
        // file is dropped and the old one stays as it was.
        outcome.refreshFailure =
            QStringLiteral("The hosts file could not be refreshed: %1").arg(failureText(error));
    }
    // Outside the lock: these wait for the window thread. A failed refresh
    // still enables Update again, so one failure does not stop every later
    // update.
    ui.end();
    tellFailures(outcome.failures(), ui);
    return outcome;
}

TUpdateHosts::TUpdateHosts(std::unique_ptr<HostsRefreshUi> ui) : m_ui(std::move(ui)) {}

TUpdateHosts::~TUpdateHosts() = default;

void TUpdateHosts::start(std::unique_ptr<HostsRefreshUi> ui)
{
    auto* thread = new TUpdateHosts(std::move(ui));
    thread->setFreeOnTerminate(true);
    thread->setPriority(tpHighest);
    thread->Resume();
}

void TUpdateHosts::Execute()
{
    refreshHostsFile(DBPath, *m_ui); // tells its failures itself
}
