#include "MainWindowProgress.h"

#include "TThread.h"
#include "Unit_Win7Taskbar.h"
#include "UntMain.h"
#include "VistaProBar.h"

#include <QSystemTrayIcon>
#include <QToolButton>

namespace mainprogress {

namespace {

enum TaskbarState : quint8 { NoProgress = 0, Indeterminate = 1, Normal = 2 };

// The bar counts in int; larger values are clamped.
int barValue(qint64 value)
{
    return int(qMin<qint64>(value, std::numeric_limits<int>::max()));
}

} // namespace

void post(std::function<void()> step)
{
    TThread::Queue(std::move(step));
}

void startCounting(qint64 max, Overlay overlay, const QString& description, const QString& prefix)
{
    TVistaProBar* p = FrmMain->p;
    p->setPosition(0);
    p->setMax(barValue(max));
    setTaskbarState(Normal);
    p->setMarquee(false);
    p->setShowPosText(true);
    setOverlay(overlay, description);
    p->setPosTextPrefix(prefix);
}

void showStep(qint64 position, qint64 total)
{
    FrmMain->p->setPosition(barValue(position));
    setTaskbarProgress(quint64(position), quint64(total));
}

void showDownloading()
{
    setTaskbarState(Indeterminate);
    FrmMain->p->setMarquee(true);
    FrmMain->p->setShowPosText(false);
    setOverlay(OverlayDownloading, QStringLiteral("Downloading..."));
}

void resetCounting()
{
    FrmMain->p->setPosition(0);
    FrmMain->p->setPosTextPrefix(QString());
    setTaskbarState(NoProgress);
}

void setOverlay(Overlay overlay, const QString& description)
{
    setTaskbarOverlayImage(&FrmMain->Img16, overlay, description);
}

void finishDownload()
{
    resetCounting();
    FrmMain->p->setMarquee(false);
}

void finishRefresh(bool counted)
{
    if (counted) {
        FrmMain->p->setPosition(0);
        FrmMain->p->setPosTextPrefix(QString());
    }
    setOverlay(OverlayNone, QString());
    setTaskbarState(NoProgress);
    FrmMain->btnupdate->setEnabled(true);
}

bool windowVisible()
{
    bool visible = false;
    TThread::Synchronize([&] { visible = FrmMain && FrmMain->isVisible(); });
    return visible;
}

void showWarningBalloon(const QString& title, const QString& text)
{
    TThread::Synchronize([&] {
        if (FrmMain && FrmMain->Tray)
            FrmMain->Tray->showMessage(title, text, QSystemTrayIcon::Warning);
    });
}

} // namespace mainprogress
