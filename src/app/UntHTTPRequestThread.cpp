#include "UntHTTPRequestThread.h"

#include "BlockList.h"
#include "MainWindowProgress.h"
#include "Platform.h"
#include "ProgressThrottle.h"
#include "SQLiteTable3.h"
#include "SystemText.h"
#include "UntINI.h"
#include "UntMain.h"
#include "UntSettings.h"
#include "UntSettingsVar.h"
#include "UntSqliteUtils.h"
#include "UntUpdateHosts.h"
#include "bsSkinExCtrls.h"

#include <QCheckBox>
#include <QDateTime>
#include <QLineEdit>
#include <QLocale>
#include <QSpinBox>
#include <QSystemTrayIcon>
#include <QToolButton>

#include <exception>
#include <memory>

namespace {

const QString Reserved = QStringLiteral("Y");
const QString DigestSection = QStringLiteral("DBMD5");

// How long the run waits for a database another connection is writing.
constexpr int DatabaseBusyTimeoutMs = 10000;

// Replaces the category's downloaded hosts by the hosts of the list text.
void replaceCategoryHosts(TSQLiteDatabase& db, const QString& category, const QString& text,
                          BlockListUi& ui)
{
    db.AddParamText(QStringLiteral(":category"), category);
    db.AddParamText(QStringLiteral(":reserved"), Reserved);
    db.ExecSQL(
        QStringLiteral("DELETE FROM hosts WHERE category=:category AND reserved=:reserved;"));

    const qint64 lines = systemtext::countLines(text);
    ui.updating(getCatName(category, Reserved), lines);

    TSQLiteQuery insert = db.PrepareSQL(QStringLiteral("INSERT INTO hosts VALUES(?1, ?2, ?3);"));
    db.BindSQL(insert, 1, category);
    db.BindSQL(insert, 3, Reserved);
    ProgressThrottle throttle(lines);
    systemtext::forEachLine(text, [&](QStringView line, qsizetype index) {
        const QString host = hostFromBlockLine(line);
        if (host.isEmpty())
            return;
        db.BindSQL(insert, 2, host);
        db.ExecSQL(insert); // steps and resets, so the bound host may go
        if (throttle.shows(index))
            ui.step(index, lines);
    });
}

// Merges the list when its digest changed; answers whether it did.
bool mergeIfChanged(TSQLiteDatabase& db, const QString& category, const QByteArray& body,
                    BlockListUi& ui)
{
    const QString digest = blockListDigest(body);
    if (digest == readIni(DigestSection, category, QString()))
        return false;
    const QString text = blockListText(body);
    if (systemtext::trimmed(text).isEmpty())
        return false; // an empty answer is no list: the category keeps its hosts

    // One transaction per list. A host the database refuses ends the merge,
    // but what was inserted stays, and so does the digest, so the same list
    // is not merged again until it changes.
    db.BeginTransaction();
    std::exception_ptr failure;
    try {
        replaceCategoryHosts(db, category, text, ui);
    } catch (...) {
        failure = std::current_exception();
    }
    db.Commit();
    writeIni(DigestSection, category, digest);
    ui.reset();
    if (failure)
        std::rethrow_exception(failure);
    return true;
}

void fetchAndMerge(TSQLiteDatabase& db, THttpClient& client, BlockListRunOutcome& outcome,
                   BlockListUi& ui)
{
    for (const BlockListSource& source : BlockListSources) {
        const QString category = QString::fromUtf16(source.categoryId);
        ui.downloading();
        const QByteArray body = client.get(blockListUrl(source));
        if (mergeIfChanged(db, category, body, ui)) {
            outcome.updated = true;
            outcome.merged.append(category);
        }
    }
}

QString failureText(const std::exception& error)
{
    if (const auto* ours = dynamic_cast<const solvek::Exception*>(&error))
        return ours->message();
    return QString::fromUtf8(error.what());
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
        client = std::make_unique<THttpClient>();
    } catch (const std::exception& error) {
        outcome.failed = true;
        outcome.failure = failureText(error);
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
        platform::messageBox(nullptr, QString::fromLatin1(UnsuccessfulText),
                             QString::fromLatin1(UnsuccessfulTitle),
                             platform::MB_OK | platform::MB_ICONERROR);
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

namespace {

// The run's steps on the main window and the settings window.
class MainWindowBlockListUi : public BlockListUi {
public:
    bool begin(ProxySettings& proxy) override
    {
        bool taken = false;
        TThread::Synchronize([&] {
            if (FrmMain->getDBLock())
                return;
            proxy.use = FrmSettings->useproxy->isChecked();
            proxy.host = FrmSettings->edtproxyhost->text();
            proxy.user = FrmSettings->edtproxyuser->text();
            proxy.password = FrmSettings->edtproxypwd->text();
            proxy.port = quint16(FrmSettings->sport->value());
            FrmMain->setDBLock(true);
            FrmMain->btnupdate->setEnabled(false);
            taken = true;
        });
        return taken;
    }
    void downloading() override { TThread::Synchronize(mainprogress::showDownloading); }
    void updating(const QString& categoryName, qint64 lines) override
    {
        TThread::Synchronize([&] {
            mainprogress::startCounting(
                lines, mainprogress::OverlayUpdatingDatabase, QStringLiteral("Updating DB..."),
                QStringLiteral("Updating ") + categoryName + QStringLiteral(" : "));
        });
    }
    void step(qint64 line, qint64 lines) override
    {
        TThread::Synchronize([&] { mainprogress::showStep(line, lines); });
    }
    void reset() override { TThread::Synchronize(mainprogress::resetCounting); }
    bool windowVisible() override { return mainprogress::windowVisible(); }
    void showErrorOverlay() override
    {
        TThread::Synchronize(
            [] { mainprogress::setOverlay(mainprogress::OverlayError, QStringLiteral("Error")); });
    }
    void clearOverlay() override
    {
        TThread::Synchronize([] { mainprogress::setOverlay(mainprogress::OverlayNone, {}); });
    }
    void end(const QString& lastUpdate, bool updated) override
    {
        TThread::Synchronize([&] {
            mainprogress::finishDownload();
            FrmMain->lup->setCaption(QStringLiteral("Last Update : ") + lastUpdate);
            FrmMain->setDBLock(false);
            if (updated && SETTINGS_SHOWBALLOON)
                FrmMain->Tray->showMessage(QStringLiteral("Solvek Anti-Bot"),
                                           QStringLiteral("New host entries added to database !"),
                                           QSystemTrayIcon::Information);
        });
    }
    void startRefresh() override { TUpdateHosts::start(); }
    void abandon() override
    {
        TThread::Synchronize([] {
            mainprogress::finishDownload();
            FrmMain->setDBLock(false);
            FrmMain->btnupdate->setEnabled(true);
        });
    }
};

} // namespace

void THTTPRequest::start()
{
    auto* thread = new THTTPRequest;
    thread->setFreeOnTerminate(true);
    thread->setPriority(tpHighest);
    thread->Resume();
}

void THTTPRequest::Execute()
{
    MainWindowBlockListUi ui;
    const BlockListRunOutcome outcome = runBlockListUpdate(ui);
    // The thread keeps the failure, as it keeps every failure.
    if (outcome.failed)
        throw solvek::Exception(outcome.failure);
}
