#include "UntHTTPRequestThread.h"

#include "BlockList.h"
#include "BlockListParser.h"
#include "DatabaseTrouble.h"
#include "Md5.h"
#include "Platform.h"
#include "SQLiteTable3.h"
#include "SystemText.h"
#include "UntINI.h"
#include "UntSqliteUtils.h"

#include <QDateTime>
#include <QLocale>

#include <cstdio>
#include <exception>
#include <memory>
#include <optional>

namespace {

const QString Reserved = QStringLiteral("Y");

// Inserts one category's hosts several rows to a statement, which costs the
// database far less than a statement per row. A refused row fails the insert.
// Hosts go in as the 8-bit bytes of the list, bound without a copy.
class HostInserter {
public:
    static constexpr int RowsPerStatement = 128;
    static_assert(BlockListParser::DefaultBatchHosts % RowsPerStatement == 0);

    HostInserter(TSQLiteDatabase& db, const QString& category)
        : m_db(db), m_many(db.PrepareSQL(insertStatement(category, RowsPerStatement))),
          m_one(db.PrepareSQL(insertStatement(category, 1)))
    {}

    // Inserts the batch's hosts in order, showing each of its progress steps
    // once the hosts before it are in.
    template <class ShowStep> void insert(const BlockListParser::Batch& batch, ShowStep&& showStep)
    {
        auto step = batch.steps.begin();
        size_t done = 0;
        while (done < batch.hosts.size()) {
            if (batch.hosts.size() - done >= size_t(RowsPerStatement)) {
                for (int row = 0; row < RowsPerStatement; ++row)
                    m_db.BindSQLUtf8(m_many, row + 1, batch.host(done + size_t(row)));
                m_db.ExecSQL(m_many);
                done += RowsPerStatement;
            } else {
                m_db.BindSQLUtf8(m_one, 1, batch.host(done));
                m_db.ExecSQL(m_one);
                ++done;
            }
            for (; step != batch.steps.end() && step->hostsBefore <= done; ++step)
                showStep(step->line);
        }
    }

private:
    // "INSERT INTO hosts VALUES('<category>', ?1, 'Y'), ('<category>', ?2, 'Y'), ...".
    // The two fixed values stand in the statement rather than in parameters:
    // a constant costs the database less for each row than a parameter.
    static QString insertStatement(const QString& category, int rows)
    {
        const QString rowStart =
            QStringLiteral("('") +
            QString(category).replace(QStringLiteral("'"), QStringLiteral("''")) +
            QStringLiteral("', ?");
        const QString rowEnd = QStringLiteral(", '") + Reserved + QStringLiteral("')");
        QString sql = QStringLiteral("INSERT INTO hosts VALUES");
        for (int row = 0; row < rows; ++row)
            sql += (row ? QStringLiteral(", ") : QString()) + rowStart + QString::number(row + 1) +
                   rowEnd;
        return sql + u';';
    }

    TSQLiteDatabase& m_db;
    TSQLiteQuery m_many;
    TSQLiteQuery m_one;
};

// Replaces the category's downloaded hosts by the hosts of the list, read
// from its 8-bit bytes, inside the connection's open transaction; answers
// the lines skipped as no host name. The list is read on a thread of its
// own while this one deletes and inserts.
qint64 replaceCategoryHosts(TSQLiteDatabase& db, const QString& category,
                            const QString& categoryName, QByteArrayView list, BlockListUi& ui)
{
    BlockListParser parser(list);
    db.AddParamText(QStringLiteral(":category"), category);
    db.AddParamText(QStringLiteral(":reserved"), Reserved);
    db.ExecSQL(
        QStringLiteral("DELETE FROM hosts WHERE category=:category AND reserved=:reserved;"));

    const qint64 lines = parser.lineCount();
    ui.updating(categoryName, lines);

    HostInserter inserter(db, category);
    while (const std::optional<BlockListParser::Batch> batch = parser.next())
        inserter.insert(*batch, [&](qint64 line) { ui.step(line, lines); });
    return parser.skippedLines();
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
    if (digest == readIni(ListDigestSection, category, QString()))
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
    writeIni(ListDigestSection, category, digest);
    skipped += skippedHere;
    if (skippedHere > 0)
        std::fprintf(stderr, "Solvek Anti-Bot: list %s: %lld lines skipped, not a host name\n",
                     qPrintable(category), static_cast<long long>(skippedHere));
    return true;
}

// Only a download that failed asks the user to check the connection; any
// other failure (the database, the settings file, memory) says what it was.
void recordFailure(BlockListRunOutcome& outcome, const std::exception& error,
                   const QString& where = QString())
{
    outcome.failed = true;
    outcome.failure = where + failureText(error);
    outcome.shownFailure = dynamic_cast<const EHttpError*>(&error)
                               ? QString::fromLatin1(UnsuccessfulText)
                               : failureText(error);
}

// The whole cause, naming the list, goes into the box's details.
void showUnsuccessful(const BlockListRunOutcome& outcome)
{
    platform::messageBox(nullptr, outcome.shownFailure, QString::fromLatin1(UnsuccessfulTitle),
                         platform::MB_OK | platform::MB_ICONERROR, outcome.failure);
}

// Ends at the first failure, recorded with the list it happened on.
void fetchAndMerge(TSQLiteDatabase& db, THttpClient& client, BlockListRunOutcome& outcome,
                   BlockListUi& ui)
{
    for (const BlockListSource& source : BlockListSources) {
        const QString category = QString::fromUtf16(source.categoryId);
        try {
            ui.downloading();
            // The digest follows the download on a thread of its own, so it is
            // ready a moment after the last byte.
            platform::Md5Beside digest;
            const QByteArray body =
                client.get(blockListUrl(source), [&](QByteArrayView piece) { digest.add(piece); });
            if (mergeIfChanged(db, category, body, digest.hex(), ui, outcome.skippedLines)) {
                outcome.updated = true;
                outcome.merged.append(category);
            }
        } catch (const std::exception& error) {
            tellIfDatabaseDamaged(error); // the update's own box shows only with the window
            recordFailure(outcome, error, QStringLiteral("list %1: ").arg(category));
            return;
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

QString storedLastUpdate()
{
    return readIni(QStringLiteral("INFO"), QStringLiteral("lastupdate"), QStringLiteral("Never"));
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
        db = openDatabase();
        // A large merge must not spill its changes into the file before the
        // commit: that takes the exclusive lock and shuts out every reader
        // (windows, probe records) until the merge ends.
        db->ExecSQL(QStringLiteral("PRAGMA cache_spill = OFF;"));
        client = std::make_unique<THttpClient>();
    } catch (const std::exception& error) {
        tellIfDatabaseDamaged(error);
        recordFailure(outcome, error);
        if (ui.windowVisible())
            showUnsuccessful(outcome);
        ui.abandon();
        return outcome;
    }

    try {
        client->setProxy(proxy);
        fetchAndMerge(*db, *client, outcome, ui);
    } catch (const std::exception& error) {
        recordFailure(outcome, error);
    }

    if (outcome.failed && ui.windowVisible()) {
        ui.showErrorOverlay();
        showUnsuccessful(outcome);
    }
    ui.clearOverlay();
    db.reset();
    client.reset();

    QString lastUpdate = lastUpdateText();
    try {
        writeIni(QStringLiteral("INFO"), QStringLiteral("lastupdate"), lastUpdate);
    } catch (const std::exception&) {
        // Not stored: the window shows the time the file still holds. The run
        // must still release the database and start the refresh.
        lastUpdate = storedLastUpdate();
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
    // A failed run is an expected end, not the thread's crash: told in
    // the program's words, also while the window is hidden and shows no box.
    if (outcome.failed)
        std::fprintf(stderr, "Solvek Anti-Bot: Update failed: %s\n", qPrintable(outcome.failure));
}
