#include "UntUpdateHosts.h"

#include "BlockList.h"
#include "HostsFile.h"
#include "Platform.h"
#include "ProgressThrottle.h"
#include "SQLiteTable3.h"
#include "SystemText.h"
#include "UntSqliteUtils.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
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

// The hosts of the database in the order of the query, read on a thread of
// their own and handed over in batches, so the refresh works on the first
// ones while later ones are still being read. Each host comes as its block
// line in the 8-bit form, ready to be written.
class DatabaseReader {
public:
    // Small, since a million of them may wait while the file is read: a
    // batch's lines stay far below 2 GiB (see BatchBytes).
    struct Row {
        quint64 hash = 0;
        qint32 lineStart = -1; // -1: the host cannot stand in a line as written
        qint32 lineSize = 0;
        qint32 keyStart = 0; // the host's key, within the lines
        qint32 keySize = 0;
        bool ascii = true;
    };
    struct Batch {
        QByteArray lines; // the block lines of the batch, one after another
        std::vector<Row> rows;
    };

    explicit DatabaseReader(const QString& dbPath) : m_thread([this, dbPath] { read(dbPath); }) {}
    ~DatabaseReader()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_thread.join();
    }
    DatabaseReader(const DatabaseReader&) = delete;
    DatabaseReader& operator=(const DatabaseReader&) = delete;

    // The number of rows the query gives; waits until it is known.
    qint64 rowCount()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_rows >= 0 || m_done; });
        return std::max<qint64>(m_rows, 0);
    }
    // The next batch; false once every row was handed over.
    bool next(Batch& batch)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return !m_batches.empty() || m_done; });
        if (m_batches.empty())
            return false;
        batch = std::move(m_batches.front());
        m_batches.pop_front();
        return true;
    }
    // Why the query failed, once next() answered false; empty when it did not.
    QString failure()
    {
        std::lock_guard lock(m_mutex);
        return m_failure;
    }

private:
    static constexpr size_t BatchSize = 4096;
    // A batch ends early once its lines pass this, whatever its hosts hold.
    static constexpr qsizetype BatchBytes = 1 << 20;
    static constexpr qsizetype TypicalLineBytes = 48;

    void read(const QString& dbPath)
    {
        QString failure;
        try {
            TSQLiteDatabase db(dbPath);
            db.SetTimeout(DatabaseBusyTimeoutMs);
            db.BeginTransaction(); // the count and the rows from one state of the database
            publishCount(db.GetTableValue(QStringLiteral("SELECT COUNT(*) FROM hosts;")));
            const auto table = db.GetUniTable(QStringLiteral("SELECT host FROM hosts;"));
            Batch batch;
            for (; !table->GetEOF(); table->Next()) {
                addRow(*table, batch);
                const bool full =
                    batch.rows.size() == BatchSize || batch.lines.size() >= BatchBytes;
                if (full && !publish(std::move(batch)))
                    return;
            }
            publish(std::move(batch));
        } catch (const solvek::Exception& error) {
            failure = error.message();
        } catch (const std::exception& error) {
            failure = QString::fromUtf8(error.what());
        }
        std::lock_guard lock(m_mutex);
        m_failure = failure;
        m_done = true;
        m_changed.notify_all();
    }

    static void addRow(const TSQLiteUniTable& table, Batch& batch)
    {
        if (batch.rows.empty()) {
            batch.rows.reserve(BatchSize);
            batch.lines.reserve(qsizetype(BatchSize) * TypicalLineBytes);
        }
        QByteArray beyondAscii;
        if (const std::optional<QByteArrayView> host = writableHost(table, beyondAscii))
            appendLine(*host, batch);
        else
            batch.rows.push_back({});
    }

    // The row's host in the 8-bit form; nothing when it cannot stand in a
    // line as written. A host beyond ASCII is judged and written as the
    // characters the row holds, and kept in beyondAscii.
    static std::optional<QByteArrayView> writableHost(const TSQLiteUniTable& table,
                                                      QByteArray& beyondAscii)
    {
        const QByteArrayView host = upToNul(table.FieldAsUtf8View(0));
        if (systemtext::isAscii(host))
            return isWritableHost(host) ? std::optional(host) : std::nullopt;
        const QStringView text = upToNul(table.FieldAsStringView(0));
        if (!isWritableHost(text))
            return std::nullopt;
        beyondAscii = systemtext::encode(text);
        return QByteArrayView(beyondAscii);
    }

    static void appendLine(QByteArrayView host, Batch& batch)
    {
        const PresentHosts::Key key = PresentHosts::keyOf(host);
        Row row;
        row.lineStart = qint32(batch.lines.size());
        row.lineSize = qint32(BlockLinePrefixBytes.size() + host.size() + 2);
        row.keyStart =
            qint32(row.lineStart + BlockLinePrefixBytes.size() + (key.text.data() - host.data()));
        row.keySize = qint32(key.text.size());
        row.hash = key.hash;
        row.ascii = key.ascii;
        batch.lines.resize(qsizetype(row.lineStart) + row.lineSize);
        char* line = batch.lines.data() + row.lineStart;
        std::memcpy(line, BlockLinePrefixBytes.data(), size_t(BlockLinePrefixBytes.size()));
        line += BlockLinePrefixBytes.size();
        std::memcpy(line, host.data(), size_t(host.size()));
        std::memcpy(line + host.size(), "\r\n", 2);
        batch.rows.push_back(row);
    }

    void publishCount(qint64 rows)
    {
        std::lock_guard lock(m_mutex);
        m_rows = rows;
        m_changed.notify_all();
    }
    // False when the refresh no longer wants rows.
    bool publish(Batch&& batch)
    {
        std::lock_guard lock(m_mutex);
        if (!batch.rows.empty())
            m_batches.push_back(std::move(batch));
        batch = Batch();
        m_changed.notify_all();
        return !m_stop;
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Batch> m_batches;
    qint64 m_rows = -1;
    bool m_done = false;
    bool m_stop = false;
    QString m_failure;
    std::thread m_thread; // last: it starts once everything above exists
};

// Keeps the block lines of the batch whose hosts the set lacks, moved to the
// batch's front over the others, and records their hosts; answers how many.
qint64 keepMissingLines(DatabaseReader::Batch& batch, PresentHosts& present, qint64& row,
                        qint64 rows, ProgressThrottle& throttle, HostsRefreshUi& ui)
{
    // A little ahead, so each lookup finds its place in the set fetched.
    constexpr size_t Ahead = 16;
    char* lines = batch.lines.data();
    qsizetype kept = 0;
    qint64 added = 0;
    for (size_t i = 0; i < batch.rows.size(); ++i, ++row) {
        if (i + Ahead < batch.rows.size())
            present.prefetch({{}, batch.rows[i + Ahead].hash, true});
        const DatabaseReader::Row& entry = batch.rows[i];
        // A host that cannot stand in a line as written would break the file
        // (a line end) or never count as present (a blank host).
        if (entry.lineStart >= 0 &&
            !present.contains(
                {QByteArrayView(lines + entry.keyStart, entry.keySize), entry.hash, entry.ascii})) {
            std::memmove(lines + kept, lines + entry.lineStart, size_t(entry.lineSize));
            const qsizetype keyStart = kept + (entry.keyStart - entry.lineStart);
            present.insert(
                {QByteArrayView(lines + keyStart, entry.keySize), entry.hash, entry.ascii});
            kept += entry.lineSize;
            ++added;
        }
        if (throttle.shows(row))
            ui.step(row, rows);
    }
    batch.lines.resize(kept); // a shorter size keeps the bytes where they are
    return added;
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
        const qint64 addedHere = keepMissingLines(batch, present, row, rows, throttle, ui);
        if (addedHere > 0)
            lines.push_back(std::move(batch.lines)); // moving keeps the bytes where they are
        added += addedHere;
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
