#include "UntUpdateHosts.h"

#include "BlockList.h"
#include "HostsFile.h"
#include "MainWindowProgress.h"
#include "Platform.h"
#include "ProgressThrottle.h"
#include "SQLiteTable3.h"
#include "UntSqliteUtils.h"

#include <vector>

namespace {

// How long the refresh waits for a database another connection is writing.
constexpr int DatabaseBusyTimeoutMs = 10000;

// Adds every database host that the text does not block yet to `added`, in
// the order of the query; each host once, however many categories hold it.
void collectMissingHosts(const QString& dbPath, PresentHosts& present, std::vector<QString>& added,
                         HostsRefreshUi& ui)
{
    TSQLiteDatabase db(dbPath);
    db.SetTimeout(DatabaseBusyTimeoutMs);
    const qint64 rows = db.GetTableValue(QStringLiteral("SELECT COUNT(*) FROM hosts;"));
    const auto table = db.GetUniTable(QStringLiteral("SELECT host FROM hosts;"));
    if (table->GetEOF())
        return;
    ui.begin(rows);
    ProgressThrottle throttle(rows);
    for (qint64 row = 0; !table->GetEOF(); table->Next(), ++row) {
        QString host = table->FieldAsString(0);
        // A host that cannot stand in a line as written would break the file
        // (a line end) or never count as present (a blank host).
        if (isWritableHost(host) && !present.contains(host)) {
            added.push_back(std::move(host));
            present.insert(added.back()); // views stay valid: moving keeps the characters
        }
        if (throttle.shows(row))
            ui.step(row, rows);
    }
}

void appendBlockLines(QString& text, const std::vector<QString>& hosts)
{
    qsizetype size = text.size();
    for (const QString& host : hosts)
        size += BlockLinePrefix.size() + host.size() + 2;
    text.reserve(size);
    for (const QString& host : hosts) {
        text.append(BlockLinePrefix);
        text.append(host);
        text.append(u"\r\n");
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
        try {
            text = getHostsFile();
            outcome.fileRead = true;
        } catch (const EHostsFileError& error) {
            outcome.fileFailure = error.message();
        }

        if (outcome.fileRead) {
            std::vector<QString> added;
            {
                PresentHosts present(text);
                try {
                    collectMissingHosts(dbPath, present, added, ui);
                } catch (const solvek::Exception& error) {
                    outcome.databaseFailure = error.message();
                }
            }
            appendBlockLines(text, added);
            outcome.linesAdded = qint64(added.size());
            try {
                setHostsFile(text, BlankLines::Drop);
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
