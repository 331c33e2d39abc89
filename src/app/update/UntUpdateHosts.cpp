#include "UntUpdateHosts.h"

#include "BlockList.h"
#include "HostsFile.h"
#include "Platform.h"
#include "ProgressThrottle.h"
#include "SQLiteTable3.h"
#include "UntSqliteUtils.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <initializer_list>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// How long the refresh waits for a database another connection is writing.
constexpr int DatabaseBusyTimeoutMs = 10000;

// Text kept in large blocks that never move, so views into it stay valid. The
// pieces of one append stay together in one block.
class TextBlocks {
public:
    // Appends the pieces one after another; answers where piece `kept` stands.
    QStringView append(std::initializer_list<QStringView> pieces, size_t kept)
    {
        qsizetype needed = 0;
        for (QStringView piece : pieces)
            needed += piece.size();
        if (m_blocks.empty() || m_blocks.back().capacity() - m_blocks.back().size() < needed) {
            QString block;
            block.reserve(std::max(BlockSize, needed));
            m_blocks.push_back(std::move(block)); // moving keeps the characters where they are
        }
        QString& block = m_blocks.back();
        QStringView result;
        size_t index = 0;
        for (QStringView piece : pieces) {
            if (index++ == kept)
                result = QStringView(block.constData() + block.size(), piece.size());
            block.append(piece);
        }
        return result;
    }
    const std::vector<QString>& blocks() const { return m_blocks; }

private:
    static constexpr qsizetype BlockSize = 1 << 20;
    std::vector<QString> m_blocks;
};

// The hosts of the database in the order of the query, read on a thread of
// their own and handed over in batches, so the refresh works on the first
// ones while later ones are still being read.
class DatabaseReader {
public:
    struct Batch {
        std::vector<QStringView> hosts; // views into the reader's text
        std::vector<PresentHosts::Key> keys;
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
                // Only this thread appends; the characters never move.
                batch.hosts.push_back(m_text.append({table->FieldAsString(0)}, 0));
                batch.keys.push_back(PresentHosts::keyOf(batch.hosts.back()));
                if (batch.hosts.size() == BatchSize && !publish(std::move(batch)))
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
        if (!batch.hosts.empty())
            m_batches.push_back(std::move(batch));
        batch = Batch();
        m_changed.notify_all();
        return !m_stop;
    }

    TextBlocks m_text;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Batch> m_batches;
    qint64 m_rows = -1;
    bool m_done = false;
    bool m_stop = false;
    QString m_failure;
    std::thread m_thread; // last: it starts once everything above exists
};

// Appends a block line for every database host that the text does not block
// yet, in the order of the query; each host once, however many categories
// hold it. Answers the number of lines.
qint64 addMissingHosts(DatabaseReader& database, PresentHosts& present, TextBlocks& lines,
                       HostsRefreshUi& ui)
{
    const qint64 rows = database.rowCount();
    if (rows > 0)
        ui.begin(rows);
    // Room for the hosts the file may lack, taken once rather than by growing.
    present.reserve(std::max<qint64>(0, rows - present.size()));
    ProgressThrottle throttle(rows);
    // A little ahead, so each lookup finds its place in the set fetched.
    constexpr size_t Ahead = 16;
    qint64 added = 0;
    qint64 row = 0;
    DatabaseReader::Batch batch;
    while (database.next(batch)) {
        for (size_t i = 0; i < batch.hosts.size(); ++i, ++row) {
            if (i + Ahead < batch.keys.size())
                present.prefetch(batch.keys[i + Ahead]);
            const QStringView host = batch.hosts[i];
            const PresentHosts::Key& key = batch.keys[i];
            // A host that cannot stand in a line as written would break the
            // file (a line end) or never count as present (a blank host).
            if (isWritableHost(host) && !present.contains(key)) {
                const QStringView stored = lines.append({BlockLinePrefix, host, u"\r\n"}, 1);
                present.insert({PresentHosts::keyText(stored), key.hash});
                ++added;
            }
            if (throttle.shows(row))
                ui.step(row, rows);
        }
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
        QString text;
        bool alreadyAsWritten = false;
        try {
            text = getHostsFile(alreadyAsWritten);
            outcome.fileRead = true;
        } catch (const EHostsFileError& error) {
            outcome.fileFailure = error.message();
        }

        if (outcome.fileRead) {
            PresentHosts present(text);
            TextBlocks added;
            outcome.linesAdded = addMissingHosts(database, present, added, ui);
            outcome.databaseFailure = database.failure();
            std::vector<QStringView> parts{text};
            for (const QString& block : added.blocks())
                parts.push_back(block);
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
