#include "MainWindowWorkers.h"

#include "MainWindowProgress.h"
#include "UntMain.h"
#include "UntSettings.h"
#include "UntSettingsVar.h"
#include "bsSkinExCtrls.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QSystemTrayIcon>
#include <QToolButton>

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
    void startRefresh() override { startHostsFileRefresh(); }
    void abandon() override
    {
        TThread::Synchronize([] {
            mainprogress::finishDownload();
            FrmMain->setDBLock(false);
            FrmMain->btnupdate->setEnabled(true);
        });
    }
};

// A refresh started by the hosts manager may run while an update runs; the
// update then owns the bar, the taskbar button and the Update button, and
// ends them itself.
bool updateRuns()
{
    return FrmMain->getDBLock();
}

// The refresh's steps on the main window.
class MainWindowRefreshUi : public HostsRefreshUi {
public:
    void begin(qint64 rows) override
    {
        m_begun = true;
        mainprogress::post([rows] {
            if (!updateRuns())
                mainprogress::startCounting(rows, mainprogress::OverlayRefreshingHosts,
                                            QStringLiteral("Refresh Hosts..."),
                                            QStringLiteral("Updating Hosts : "));
        });
    }
    void step(qint64 row, qint64 rows) override
    {
        mainprogress::post([row, rows] {
            if (!updateRuns())
                mainprogress::showStep(row, rows);
        });
    }
    void end() override
    {
        TThread::Synchronize([begun = m_begun] {
            if (!updateRuns())
                mainprogress::finishRefresh(begun);
        });
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

std::unique_ptr<BlockListUi> makeMainWindowBlockListUi()
{
    return std::make_unique<MainWindowBlockListUi>();
}

std::unique_ptr<HostsRefreshUi> makeMainWindowRefreshUi()
{
    return std::make_unique<MainWindowRefreshUi>();
}

void startBlockListUpdate()
{
    THTTPRequest::start(makeMainWindowBlockListUi());
}

void startHostsFileRefresh()
{
    TUpdateHosts::start(makeMainWindowRefreshUi());
}
