#include "UntUpdateHosts.h"

#include "BlockList.h"
#include "HandOver.h"
#include "HostsFile.h"
#include "Parallel.h"
#include "Platform.h"
#include "ProgressThrottle.h"
#include "SQLiteTable3.h"
#include "SystemText.h"
#include "UntSqliteUtils.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace {

// How long the refresh waits for a database another connection is writing.
constexpr int DatabaseBusyTimeoutMs = 10000;

// A stored text up to its first NUL, as the toolkit reads a text column.
template <class View> View upToNul(View text)
{
    const qsizetype nul = text.indexOf(decltype(text[0])(0));
    return nul < 0 ? text : text.first(nul);
}

// The hosts of the database in the order of the query, read on threads of
// their own and handed over in batches, so the refresh works on the first
// ones while later ones are still being read. A large table is read in
// parts, by rowid, each on a connection and thread of its own; the parts are
// handed over in order, so the hosts come as one scan of the table gives them.
class DatabaseReader {
public:
    // How a row's host stands once read.
    enum class HostForm : quint8 {
        Unwritable, // cannot stand in a line as written
        PlainName,  // the row's own bytes, one plain name (systemtext::isPlainName)
        Ascii,      // the row's own bytes, still to be judged
        Judged,     // a host beyond ASCII, judged as its characters, in the 8-bit form
    };
    // A host's key: where it stands within the batch's hosts, and its hash.
    // Small, since a million of them may wait while the file is read.
    struct Row {
        quint64 hash = 0;
        qint32 keyStart = -1; // -1: the host cannot stand in a line as written
        quint32 keySize : 31 = 0;
        quint32 ascii : 1 = 1;

        bool writable() const { return keyStart >= 0; }
    };
    struct Batch {
        QByteArray hosts;         // the hosts' bytes, one after another
        std::vector<qint32> ends; // where each row's host ends in `hosts`
        std::vector<HostForm> forms;
        std::vector<Row> rows;

        QByteArrayView host(size_t row) const
        {
            const qint32 start = row == 0 ? 0 : ends[row - 1];
            return QByteArrayView(hosts).sliced(start, ends[row] - start);
        }
    };

    explicit DatabaseReader(const QString& dbPath)
        : m_dbPath(dbPath), m_coordinator([this] { readAll(); })
    {}
    ~DatabaseReader()
    {
        std::lock_guard lock(m_mutex);
        m_stopped = true;
        m_changed.notify_all();
        for (const std::unique_ptr<Part>& part : m_parts)
            part->batches.giveUp();
        // The coordinator joins as its member goes, before the parts it uses.
    }
    DatabaseReader(const DatabaseReader&) = delete;
    DatabaseReader& operator=(const DatabaseReader&) = delete;

    // The number of rows the query gives; waits until it is known.
    qint64 rowCount()
    {
        waitUntilReady();
        return m_rows;
    }
    // The next batch, its rows keyed; false once every row was handed over,
    // or a part failed (the rows before the failure were handed over).
    bool next(Batch& batch)
    {
        waitUntilReady();
        for (;;) {
            Part* part = nullptr;
            {
                std::lock_guard lock(m_mutex);
                if (m_current == m_parts.size())
                    return false;
                part = m_parts[m_current].get();
            }
            const bool taken = part->batches.take(batch);
            std::lock_guard lock(m_mutex);
            if (taken) {
                m_queuedBytes -= queuedBytesOf(batch);
            } else if (!part->failure.isEmpty()) {
                m_failure = part->failure;
                m_current = m_parts.size();
            } else {
                ++m_current;
            }
            m_changed.notify_all();
            if (taken)
                return true;
        }
    }
    // Why the query failed, once next() answered false; empty when it did not.
    QString failure()
    {
        std::lock_guard lock(m_mutex);
        return m_failure;
    }

private:
    static constexpr size_t BatchSize = 4096;
    // A batch ends early once its hosts pass this, whatever its hosts hold,
    // so their block lines stay far below 2 GiB.
    static constexpr qsizetype BatchBytes = 1 << 20;
    static constexpr qsizetype TypicalHostBytes = 32;
    // Fewer rows than this in a part cost more in connections than they save.
    static constexpr qint64 MinRowsPerPart = 16384;
    // Parts read ahead of the one being handed over wait once the batches
    // waiting pass this, so a large table is not held twice in memory.
    static constexpr qsizetype QueuedBytesLimit = qsizetype(32) << 20;

    // The rows from `firstRowid` to `lastRowid`, or the whole table when the
    // table is read in one part.
    struct Part {
        size_t index = 0;
        qint64 firstRowid = 0;
        qint64 lastRowid = 0;
        bool whole = false;
        platform::HandOver<Batch> batches;
        QString failure;                // set before batches finish
        bool leftToCoordinator = false; // its own connection found the database busy
        std::jthread thread;            // last: joins before the hand-over goes
    };

    void waitUntilReady()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_ready; });
    }

    // The first part is read on the connection that counted the rows, whose
    // read transaction stays open until every part has started: no write can
    // be committed meanwhile, so every part sees the state that was counted.
    void readAll()
    {
        try {
            TSQLiteDatabase db(m_dbPath);
            db.SetTimeout(DatabaseBusyTimeoutMs);
            db.BeginTransaction();
            const qint64 rows = db.GetTableValue(QStringLiteral("SELECT COUNT(*) FROM hosts;"));
            if (!publishParts(rows, partsFor(db, rows)))
                return;
            for (size_t index = 1; index < m_parts.size(); ++index)
                m_parts[index]->thread =
                    std::jthread([this, index] { readOnOwnConnection(index); });
            readPart(db, *m_parts[0]);
            for (size_t index = 1; index < m_parts.size(); ++index) {
                m_parts[index]->thread.join();
                if (m_parts[index]->leftToCoordinator)
                    readPart(db, *m_parts[index]);
            }
        } catch (const std::exception& error) {
            publishFailure(failureText(error));
        }
    }

    // Rowid ranges of about equal width; one part for a small table, and for
    // a table with an index on it, whose scan order an index may decide.
    std::vector<std::unique_ptr<Part>> partsFor(TSQLiteDatabase& db, qint64 rows)
    {
        const qint64 count =
            std::min<qint64>(qint64(platform::workerCount()), rows / MinRowsPerPart);
        std::vector<std::unique_ptr<Part>> parts;
        const bool indexed = db.GetTableValue(QStringLiteral(
                                 "SELECT COUNT(*) FROM sqlite_master WHERE tbl_name = 'hosts' "
                                 "AND type = 'index';")) > 0;
        if (count < 2 || indexed) {
            parts.push_back(std::make_unique<Part>());
            parts.back()->whole = true;
            return parts;
        }
        const qint64 first = db.GetTableValue(QStringLiteral("SELECT MIN(rowid) FROM hosts;"));
        const qint64 last = db.GetTableValue(QStringLiteral("SELECT MAX(rowid) FROM hosts;"));
        // In 128 bits: rowids may span the whole 64-bit range.
        const __int128 span = __int128(last) - first + 1;
        const auto startOf = [&](qint64 index) { return qint64(first + span * index / count); };
        for (qint64 index = 0; index < count; ++index) {
            parts.push_back(std::make_unique<Part>());
            parts.back()->index = size_t(index);
            parts.back()->firstRowid = startOf(index);
            parts.back()->lastRowid = index + 1 < count ? startOf(index + 1) - 1 : last;
        }
        return parts;
    }

    bool publishParts(qint64 rows, std::vector<std::unique_ptr<Part>> parts)
    {
        std::lock_guard lock(m_mutex);
        if (m_stopped)
            return false;
        m_rows = rows;
        m_parts = std::move(parts);
        m_ready = true;
        m_changed.notify_all();
        return true;
    }

    // A failure before any part: nothing to hand over.
    void publishFailure(const QString& failure)
    {
        std::lock_guard lock(m_mutex);
        if (!m_ready) {
            m_failure = failure;
            m_ready = true;
            m_changed.notify_all();
        }
    }

    // A part read on its own connection, which waits for no lock: a busy
    // database leaves the part to the coordinator, whose transaction holds.
    void readOnOwnConnection(size_t index)
    {
        Part& part = *m_parts[index];
        bool started = false;
        try {
            TSQLiteDatabase db(m_dbPath);
            db.BeginTransaction();
            readPart(db, part, &started);
        } catch (const std::exception&) {
            if (!started)
                part.leftToCoordinator = true;
        }
    }

    // Reads the part's rows into batches, keys them and hands them over; a
    // failure is kept in the part and raised again. `started` turns true with
    // the first row.
    void readPart(TSQLiteDatabase& db, Part& part, bool* started = nullptr)
    {
        try {
            const auto table = db.GetUniTable(queryOf(part));
            Batch batch;
            for (; !table->GetEOF(); table->Next()) {
                if (started)
                    *started = true;
                addRow(*table, batch);
                const bool full =
                    batch.ends.size() == BatchSize || batch.hosts.size() >= BatchBytes;
                if (full && !handOver(part, batch))
                    return;
            }
            if (!batch.ends.empty())
                handOver(part, batch);
            part.batches.finish();
        } catch (const std::exception& error) {
            if (started && !*started)
                throw; // left to the coordinator
            {
                std::lock_guard lock(m_mutex);
                part.failure = failureText(error);
            }
            part.batches.finish();
            throw;
        }
    }

    static QString queryOf(const Part& part)
    {
        if (part.whole)
            return QStringLiteral("SELECT host FROM hosts;");
        return QStringLiteral("SELECT host FROM hosts WHERE rowid BETWEEN %1 AND %2;")
            .arg(part.firstRowid)
            .arg(part.lastRowid);
    }

    static QString failureText(const std::exception& error)
    {
        if (const auto* ours = dynamic_cast<const solvek::Exception*>(&error))
            return ours->message();
        return QString::fromUtf8(error.what());
    }

    static qsizetype queuedBytesOf(const Batch& batch)
    {
        return batch.hosts.capacity() +
               qsizetype(batch.ends.capacity() * (sizeof(qint32) + sizeof(HostForm)) +
                         batch.rows.capacity() * sizeof(Row));
    }

    // False when the refresh no longer wants rows.
    bool handOver(Part& part, Batch& batch)
    {
        keyRows(batch);
        const qsizetype bytes = queuedBytesOf(batch);
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [&] {
                return m_queuedBytes < QueuedBytesLimit || part.index == m_current || m_stopped;
            });
            m_queuedBytes += bytes;
        }
        return part.batches.give(std::exchange(batch, Batch()));
    }

    // The row's host as the toolkit reads a text column (up to its first NUL).
    // A host beyond ASCII is judged here, as the characters the row holds.
    static void addRow(const TSQLiteUniTable& table, Batch& batch)
    {
        if (batch.ends.empty()) {
            batch.ends.reserve(BatchSize);
            batch.forms.reserve(BatchSize);
            batch.hosts.reserve(qsizetype(BatchSize) * TypicalHostBytes);
        }
        QByteArrayView host = table.FieldAsUtf8View(0);
        QByteArray beyondAscii;
        HostForm form = HostForm::PlainName;
        if (!systemtext::isPlainName(host)) {
            host = upToNul(host);
            form = HostForm::Ascii;
        }
        if (form == HostForm::Ascii && !systemtext::isAscii(host)) {
            const QStringView text = upToNul(table.FieldAsStringView(0));
            form = isWritableHost(text) ? HostForm::Judged : HostForm::Unwritable;
            if (form == HostForm::Judged)
                beyondAscii = systemtext::encode(text);
            host = beyondAscii;
        }
        batch.hosts.append(host);
        batch.ends.push_back(qint32(batch.hosts.size()));
        batch.forms.push_back(form);
    }

    static void keyRows(Batch& batch)
    {
        batch.rows.resize(batch.ends.size());
        for (size_t i = 0; i < batch.ends.size(); ++i) {
            const QByteArrayView host = batch.host(i);
            const HostForm form = batch.forms[i];
            if (form == HostForm::Unwritable || (form == HostForm::Ascii && !isWritableHost(host)))
                continue;
            const PresentHosts::Key key = form == HostForm::PlainName
                                              ? PresentHosts::keyOfPlainName(host)
                                              : PresentHosts::keyOf(host);
            batch.rows[i] = {key.hash, qint32(key.text.data() - batch.hosts.constData()),
                             quint32(key.text.size()), key.ascii};
        }
    }

    const QString m_dbPath;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_ready = false;   // the parts (or a failure) are known
    bool m_stopped = false; // the refresh wants no more rows
    qint64 m_rows = 0;
    std::vector<std::unique_ptr<Part>> m_parts; // fixed once ready
    size_t m_current = 0;                       // the part being handed over
    qsizetype m_queuedBytes = 0;                // in batches read, not yet handed over
    QString m_failure;
    std::jthread m_coordinator; // last: it starts once everything above exists
};

// Writes the host's block line at `end` when the set lacks the host, and
// records the host with a view of the line; answers the new end.
char* appendIfMissing(QByteArrayView host, const DatabaseReader::Row& entry, const char* hosts,
                      PresentHosts& present, char* end, qint64& added)
{
    const PresentHosts::Key key{QByteArrayView(hosts + entry.keyStart, entry.keySize), entry.hash,
                                entry.ascii == 1};
    if (present.contains(key))
        return end;
    end = std::copy(BlockLinePrefixBytes.begin(), BlockLinePrefixBytes.end(), end);
    const char* const keyInLine = end + (key.text.data() - host.data());
    end = std::copy(host.begin(), host.end(), end);
    end = std::copy_n("\r\n", 2, end);
    present.insert({QByteArrayView(keyInLine, key.text.size()), key.hash, key.ascii});
    ++added;
    return end;
}

// The block lines of the batch's hosts that the set lacks, in order, counted
// in `added`; their hosts are recorded in the set, which keeps views into the
// lines.
QByteArray missingLines(const DatabaseReader::Batch& batch, PresentHosts& present, qint64& added,
                        qint64& row, qint64 rows, ProgressThrottle& throttle, HostsRefreshUi& ui)
{
    // A little ahead, so each lookup finds its place in the set fetched.
    constexpr size_t Ahead = 16;
    constexpr qsizetype LineFrame = BlockLinePrefixBytes.size() + 2;
    // Room for every line at once: the set's views must never move.
    QByteArray lines(batch.hosts.size() + qsizetype(batch.rows.size()) * LineFrame,
                     Qt::Uninitialized);
    char* const start = lines.data();
    char* end = start;
    for (size_t i = 0; i < batch.rows.size(); ++i, ++row) {
        if (i + Ahead < batch.rows.size())
            present.prefetch({{}, batch.rows[i + Ahead].hash, true});
        const DatabaseReader::Row& entry = batch.rows[i];
        // A host that cannot stand in a line as written would break the file
        // (a line end) or never count as present (a blank host).
        if (entry.writable())
            end =
                appendIfMissing(batch.host(i), entry, batch.hosts.constData(), present, end, added);
        if (throttle.shows(row))
            ui.step(row, rows);
    }
    lines.truncate(end - start); // a shorter size keeps the bytes where they are
    return lines;
}

// Appends a block line for every database host that the text does not block
// yet, in the order of the query; each host once, however many categories
// hold it. The lines are kept in `lines`; answers their number.
qint64 addMissingHosts(DatabaseReader& database, PresentHosts& present,
                       std::vector<QByteArray>& lines, HostsRefreshUi& ui)
{
    const qint64 rows = database.rowCount();
    if (rows > 0)
        ui.begin(rows);
    // Room for the hosts the file may lack, taken once rather than by growing.
    present.reserve(std::max<qint64>(0, rows - present.size()));
    ProgressThrottle throttle(rows);
    qint64 added = 0;
    qint64 row = 0;
    DatabaseReader::Batch batch;
    while (database.next(batch)) {
        QByteArray batchLines = missingLines(batch, present, added, row, rows, throttle, ui);
        if (!batchLines.isEmpty())
            lines.push_back(std::move(batchLines)); // moving keeps the bytes where they are
    }
    return added;
}

void tellFileFailure(const QString& message, HostsRefreshUi& ui)
{
    const QString title = QString::fromLatin1(HostsFileFailureTitle);
    if (ui.windowVisible())
        platform::messageBox(nullptr, message, title, platform::MB_OK | platform::MB_ICONERROR);
    else
        ui.showBalloon(title, message);
}

} // namespace

HostsRefreshOutcome refreshHostsFile(const QString& dbPath, HostsRefreshUi& ui)
{
    HostsRefreshOutcome outcome;
    {
        HostsFileLock lock;
        // The database is read on a thread of its own while the file is read
        // and its names gathered.
        DatabaseReader database(dbPath);
        QByteArray text;
        bool alreadyAsWritten = false;
        try {
            text = getHostsFileBytes(alreadyAsWritten);
            outcome.fileRead = true;
        } catch (const EHostsFileError& error) {
            outcome.fileFailure = error.message();
        }

        if (outcome.fileRead) {
            PresentHosts present{QByteArrayView(text)};
            std::vector<QByteArray> added;
            outcome.linesAdded = addMissingHosts(database, present, added, ui);
            outcome.databaseFailure = database.failure();
            std::vector<QByteArrayView> parts{text};
            parts.insert(parts.end(), added.begin(), added.end());
            try {
                // A file that would not change is not written again.
                if (outcome.linesAdded == 0 && alreadyAsWritten)
                    keepHostsFile();
                else
                    setHostsFile(parts, BlankLines::Drop);
                outcome.fileWritten = true;
            } catch (const EHostsFileError& error) {
                outcome.fileFailure = error.message();
            }
        }
    }
    // Outside the lock: these wait for the window thread. A failed read still
    // enables Update again, so one failure does not stop every later update.
    ui.end();
    if (!outcome.fileFailure.isEmpty())
        tellFileFailure(outcome.fileFailure, ui);
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
    const HostsRefreshOutcome outcome = refreshHostsFile(DBPath, *m_ui);
    // The thread keeps a database failure, as it keeps every failure.
    if (!outcome.databaseFailure.isEmpty())
        throw solvek::Exception(outcome.databaseFailure);
}
