#include "UntHTTPRequestThread.h"

#include "BlockList.h"
#include "DatabaseTrouble.h"
#include "Md5.h"
#include "Platform.h"
#include "ProgressThrottle.h"
#include "SQLiteTable3.h"
#include "SystemText.h"
#include "UntINI.h"
#include "UntSqliteUtils.h"

#include <QDateTime>
#include <QLocale>

#include <array>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

namespace {

const QString Reserved = QStringLiteral("Y");
const QString DigestSection = QStringLiteral("DBMD5");

// How long the run waits for a database another connection is writing.
constexpr int DatabaseBusyTimeoutMs = 10000;

// Inserts one category's hosts several rows to a statement, which costs the
// database far less than a statement per row. A refused row fails the insert.
// Hosts go in as the 8-bit bytes of the list, without conversion.
class HostInserter {
public:
    static constexpr int RowsPerStatement = 32;

    HostInserter(TSQLiteDatabase& db, const QString& category)
        : m_db(db), m_category(category), m_many(db.PrepareSQL(insertStatement(RowsPerStatement))),
          m_one(db.PrepareSQL(insertStatement(1)))
    {
        for (const TSQLiteQuery* query : {&m_many, &m_one}) {
            db.BindSQL(*query, 1, m_category);
            db.BindSQL(*query, 2, Reserved);
        }
        m_pending.reserve(RowsPerStatement);
    }

    // A host whose bytes stay unchanged until the next flush is bound
    // without a copy; another is copied.
    void add(QByteArrayView host, bool bytesStay)
    {
        if (!bytesStay) {
            std::string& copy = m_copies[m_pending.size()];
            copy.assign(host.data(), size_t(host.size()));
            host = QByteArrayView(copy.data(), qsizetype(copy.size()));
        }
        m_pending.push_back(host);
        if (m_pending.size() == RowsPerStatement)
            flush();
    }

    void flush()
    {
        if (m_pending.size() == RowsPerStatement) {
            for (int row = 0; row < RowsPerStatement; ++row)
                m_db.BindSQLUtf8(m_many, row + 3, m_pending[size_t(row)]);
            m_db.ExecSQL(m_many);
        } else {
            for (QByteArrayView host : m_pending) {
                m_db.BindSQLUtf8(m_one, 3, host);
                m_db.ExecSQL(m_one);
            }
        }
        m_pending.clear();
    }

private:
    // "INSERT INTO hosts VALUES(?1, ?3, ?2), (?1, ?4, ?2), ...": category,
    // host, reserved flag.
    static QString insertStatement(int rows)
    {
        QString sql = QStringLiteral("INSERT INTO hosts VALUES");
        for (int row = 0; row < rows; ++row)
            sql += QStringLiteral("%1(?1, ?%2, ?2)")
                       .arg(row ? QStringLiteral(", ") : QString())
                       .arg(row + 3);
        return sql + u';';
    }

    TSQLiteDatabase& m_db;
    const QString m_category;
    TSQLiteQuery m_many;
    TSQLiteQuery m_one;
    std::vector<QByteArrayView> m_pending;
    std::array<std::string, RowsPerStatement> m_copies; // of the pending hosts that need one
};

bool pointsInto(QByteArrayView part, QByteArrayView whole)
{
    return part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size();
}

// Replaces the category's downloaded hosts by the hosts of the list, read
// from its 8-bit bytes, inside the connection's open transaction; answers
// the lines skipped as no host name.
qint64 replaceCategoryHosts(TSQLiteDatabase& db, const QString& category,
                            const QString& categoryName, QByteArrayView list, BlockListUi& ui)
{
    db.AddParamText(QStringLiteral(":category"), category);
    db.AddParamText(QStringLiteral(":reserved"), Reserved);
    db.ExecSQL(
        QStringLiteral("DELETE FROM hosts WHERE category=:category AND reserved=:reserved;"));

    const qint64 lines = systemtext::countLines(list);
    ui.updating(categoryName, lines);

    HostInserter inserter(db, category);
    ProgressThrottle throttle(lines);
    QByteArray scratch;
    qint64 skipped = 0;
    systemtext::forEachLine(list, [&](QByteArrayView line, qsizetype index) {
        const auto entry = hostFromBlockLine(line, scratch);
        skipped += entry.skipped;
        if (entry.host.isEmpty())
            return;
        inserter.add(entry.host, pointsInto(entry.host, list));
        if (throttle.shows(index))
            ui.step(index, lines);
    });
    inserter.flush();
    return skipped;
}

void rollBackQuietly(TSQLiteDatabase& db)
{
    try {
        db.Rollback();
    } catch (const ESQLiteException&) {
        // SQLite may have rolled back already; closing the connection would too.
    }
}

// Merges the list when its digest changed; answers whether it did. Lines
// that are no host name are added to skipped.
bool mergeIfChanged(TSQLiteDatabase& db, const QString& category, const QByteArray& body,
                    const QString& digest, BlockListUi& ui, qint64& skipped)
{
    if (digest == readIni(DigestSection, category, QString()))
        return false;
    // Blanks and controls are the same bytes in the 8-bit form as in the text.
    if (systemtext::trimmed(QByteArrayView(body)).isEmpty())
        return false; // an empty answer is no list: the category keeps its hosts

    // The merge is one step: the rows change in one transaction, and the
    // digest is stored only once they are committed. A merge that fails
    // leaves the old rows and the old digest, so the next run tries again.
    const QString categoryName = getCatName(db, category, Reserved);
    db.BeginTransaction();
    qint64 skippedHere = 0;
    try {
        skippedHere = replaceCategoryHosts(db, category, categoryName, body, ui);
        db.Commit();
    } catch (...) {
        rollBackQuietly(db);
        ui.reset();
        throw;
    }
    ui.reset();
    writeIni(DigestSection, category, digest);
    skipped += skippedHere;
    if (skippedHere > 0)
        std::fprintf(stderr, "Solvek Anti-Bot: list %s: %lld lines skipped, not a host name\n",
                     qPrintable(category), static_cast<long long>(skippedHere));
    return true;
}

QString failureText(const std::exception& error)
{
    if (const auto* database = dynamic_cast<const ESQLiteException*>(&error))
        return databaseFailureText(database->message());
    if (const auto* ours = dynamic_cast<const solvek::Exception*>(&error))
        return ours->message();
    return QString::fromUtf8(error.what());
}

// The box keeps its text; the cause goes into its details.
void showUnsuccessful(const QString& cause)
{
    platform::messageBox(nullptr, QString::fromLatin1(UnsuccessfulText),
                         QString::fromLatin1(UnsuccessfulTitle),
                         platform::MB_OK | platform::MB_ICONERROR, cause);
}

// A failure names the list it happened on.
void fetchAndMerge(TSQLiteDatabase& db, THttpClient& client, BlockListRunOutcome& outcome,
                   BlockListUi& ui)
{
    for (const BlockListSource& source : BlockListSources) {
        const QString category = QString::fromUtf16(source.categoryId);
        try {
            ui.downloading();
            // The digest follows the download, so it is ready with the last byte.
            platform::Md5 digest;
            const QByteArray body =
                client.get(blockListUrl(source), [&](QByteArrayView piece) { digest.add(piece); });
            if (mergeIfChanged(db, category, body, digest.hex(), ui, outcome.skippedLines)) {
                outcome.updated = true;
                outcome.merged.append(category);
            }
        } catch (const std::exception& error) {
            throw solvek::Exception(
                QStringLiteral("list %1: %2").arg(category, failureText(error)));
        }
    }
}

} // namespace

QString lastUpdateText()
{
    const QLocale locale = QLocale::system();
    const QDateTime now = QDateTime::currentDateTime();
    return locale.toString(now.date(), QLocale::ShortFormat) + QStringLiteral(" - ") +
           locale.toString(now.time(), QLocale::LongFormat);
}

BlockListRunOutcome runBlockListUpdate(BlockListUi& ui)
{
    BlockListRunOutcome outcome;
    ProxySettings proxy;
    if (!ui.begin(proxy))
        return outcome; // another run holds the database
    outcome.started = true;

    std::unique_ptr<TSQLiteDatabase> db;
    std::unique_ptr<THttpClient> client;
    try {
        createDB();
        db = std::make_unique<TSQLiteDatabase>(DBPath);
        db->SetTimeout(DatabaseBusyTimeoutMs);
        // A large merge must not spill its changes into the file before the
        // commit: that takes the exclusive lock and shuts out every reader
        // (windows, probe records) until the merge ends.
        db->ExecSQL(QStringLiteral("PRAGMA cache_spill = OFF;"));
        client = std::make_unique<THttpClient>();
    } catch (const std::exception& error) {
        outcome.failed = true;
        outcome.failure = failureText(error);
        if (ui.windowVisible())
            showUnsuccessful(outcome.failure);
        ui.abandon();
        return outcome;
    }

    try {
        client->setProxy(proxy);
        fetchAndMerge(*db, *client, outcome, ui);
    } catch (const std::exception& error) {
        outcome.failed = true;
        outcome.failure = failureText(error);
    }

    if (outcome.failed && ui.windowVisible()) {
        ui.showErrorOverlay();
        showUnsuccessful(outcome.failure);
    }
    ui.clearOverlay();
    db.reset();
    client.reset();

    const QString lastUpdate = lastUpdateText();
    try {
        writeIni(QStringLiteral("INFO"), QStringLiteral("lastupdate"), lastUpdate);
    } catch (const std::exception&) {
        // Not stored, still shown: the run must still release the database
        // and start the refresh.
    }
    ui.end(lastUpdate, outcome.updated);
    ui.startRefresh();
    return outcome;
}

THTTPRequest::THTTPRequest(std::unique_ptr<BlockListUi> ui) : m_ui(std::move(ui)) {}

THTTPRequest::~THTTPRequest() = default;

void THTTPRequest::start(std::unique_ptr<BlockListUi> ui)
{
    auto* thread = new THTTPRequest(std::move(ui));
    thread->setFreeOnTerminate(true);
    thread->setPriority(tpHighest);
    thread->Resume();
}

void THTTPRequest::Execute()
{
    const BlockListRunOutcome outcome = runBlockListUpdate(*m_ui);
    // The thread keeps the failure, as it keeps every failure.
    if (outcome.failed)
        throw solvek::Exception(outcome.failure);
}
