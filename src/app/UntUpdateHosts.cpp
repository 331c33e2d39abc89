#include "UntUpdateHosts.h"

#include "BlockList.h"
#include "HostsFile.h"
#include "MainWindowProgress.h"
#include "Platform.h"
#include "ProgressThrottle.h"
#include "SQLiteTable3.h"
#include "UntSqliteUtils.h"

#include <algorithm>
#include <vector>

namespace {

// How long the refresh waits for a database another connection is writing.
constexpr int DatabaseBusyTimeoutMs = 10000;

// The block lines to append, kept in large blocks that never move, so the set
// of present hosts can point into them.
class BlockLines {
public:
    // Appends the host's block line; answers the host as it stands in it.
    QStringView append(QStringView host)
    {
        const qsizetype needed = BlockLinePrefix.size() + host.size() + 2;
        if (m_blocks.empty() || m_blocks.back().capacity() - m_blocks.back().size() < needed) {
            QString block;
            block.reserve(std::max(BlockSize, needed));
            m_blocks.push_back(std::move(block)); // moving keeps the characters where they are
        }
        QString& block = m_blocks.back();
        block.append(BlockLinePrefix);
        const qsizetype at = block.size();
        block.append(host);
        block.append(u"\r\n");
        ++m_count;
        return QStringView(block.constData() + at, host.size());
    }
    qsizetype count() const { return m_count; }
    void appendPartsTo(std::vector<QStringView>& parts) const
    {
        for (const QString& block : m_blocks)
            parts.push_back(block);
    }

private:
    static constexpr qsizetype BlockSize = 1 << 20;
    std::vector<QString> m_blocks;
    qsizetype m_count = 0;
};

// Adds a block line for every database host that the text does not block
// yet, in the order of the query; each host once, however many categories
// hold it.
void collectMissingHosts(const QString& dbPath, PresentHosts& present, BlockLines& added,
                         HostsRefreshUi& ui)
{
    TSQLiteDatabase db(dbPath);
    db.SetTimeout(DatabaseBusyTimeoutMs);
    const qint64 rows = db.GetTableValue(QStringLiteral("SELECT COUNT(*) FROM hosts;"));
    const auto table = db.GetUniTable(QStringLiteral("SELECT host FROM hosts;"));
    if (table->GetEOF())
        return;
    ui.begin(rows);
    // Room for the hosts the file may lack, taken once rather than by growing.
    present.reserve(std::max<qint64>(0, rows - present.size()));
    ProgressThrottle throttle(rows);
    // In batches, so each lookup finds its place in the set already fetched.
    constexpr qsizetype Batch = 512;
    constexpr qsizetype Ahead = 16;
    std::vector<QString> hosts;
    std::vector<PresentHosts::Key> keys;
    qint64 row = 0;
    while (!table->GetEOF()) {
        hosts.clear();
        keys.clear();
        for (; !table->GetEOF() && qsizetype(hosts.size()) < Batch; table->Next()) {
            hosts.push_back(table->FieldAsString(0));
            keys.push_back(PresentHosts::keyOf(hosts.back())); // moving keeps the characters
        }
        for (size_t i = 0; i < hosts.size(); ++i, ++row) {
            if (i + Ahead < keys.size())
                present.prefetch(keys[i + Ahead]);
            // A host that cannot stand in a line as written would break the
            // file (a line end) or never count as present (a blank host).
            if (isWritableHost(hosts[i]) && !present.contains(keys[i]))
                present.insert({PresentHosts::keyText(added.append(hosts[i])), keys[i].hash});
            if (throttle.shows(row))
                ui.step(row, rows);
        }
    }
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
        QString text;
        bool alreadyAsWritten = false;
        try {
            text = getHostsFile(alreadyAsWritten);
            outcome.fileRead = true;
        } catch (const EHostsFileError& error) {
            outcome.fileFailure = error.message();
        }

        if (outcome.fileRead) {
            BlockLines added;
            PresentHosts present(text);
            try {
                collectMissingHosts(dbPath, present, added, ui);
            } catch (const solvek::Exception& error) {
                outcome.databaseFailure = error.message();
            }
            outcome.linesAdded = added.count();
            std::vector<QStringView> parts{text};
            added.appendPartsTo(parts);
            try {
                // A file that would not change is not written again.
                if (added.count() == 0 && alreadyAsWritten)
                    keepHostsFile();
                else
                    setHostsFile(parts, BlankLines::Drop);
                outcome.fileWritten = true;
            } catch (const EHostsFileError& error) {
                outcome.fileFailure = error.message();
            }
        }
    }
    // Outside the lock: these wait for the window thread.
    if (outcome.fileRead)
        ui.end();
    if (!outcome.fileFailure.isEmpty())
        tellFileFailure(outcome.fileFailure, ui);
    return outcome;
}

namespace {

// The refresh's steps on the main window.
class MainWindowRefreshUi : public HostsRefreshUi {
public:
    void begin(qint64 rows) override
    {
        m_begun = true;
        mainprogress::post([rows] {
            mainprogress::startCounting(rows, mainprogress::OverlayRefreshingHosts,
                                        QStringLiteral("Refresh Hosts..."),
                                        QStringLiteral("Updating Hosts : "));
        });
    }
    void step(qint64 row, qint64 rows) override
    {
        mainprogress::post([row, rows] { mainprogress::showStep(row, rows); });
    }
    void end() override
    {
        TThread::Synchronize([begun = m_begun] { mainprogress::finishRefresh(begun); });
    }
    bool windowVisible() override { return mainprogress::windowVisible(); }
    void showBalloon(const QString& title, const QString& text) override
    {
        mainprogress::showWarningBalloon(title, text);
    }

private:
    bool m_begun = false;
};

} // namespace

void TUpdateHosts::start()
{
    auto* thread = new TUpdateHosts;
    thread->setFreeOnTerminate(true);
    thread->setPriority(tpHighest);
    thread->Resume();
}

void TUpdateHosts::Execute()
{
    MainWindowRefreshUi ui;
    const HostsRefreshOutcome outcome = refreshHostsFile(DBPath, ui);
    // The thread keeps a database failure, as it keeps every failure.
    if (!outcome.databaseFailure.isEmpty())
        throw solvek::Exception(outcome.databaseFailure);
}
