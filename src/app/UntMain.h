#pragma once

// The main window: last-update label, progress bar, probe switch, Update,
// Settings and About, both menus, the tray icon and the three timers.

#include <QIcon>
#include <QList>
#include <QWidget>

class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QSystemTrayIcon;
class QTimer;
class QToolButton;
class QFrame;
class TVistaProBar;
class TbsSkinVistaGlowLabel;
class TProbe;

class TFrmMain : public QWidget {
    Q_OBJECT

public:
    explicit TFrmMain(QWidget* parent = nullptr);
    ~TFrmMain() override;

    // Stores the probe switch and shows it; does not start or stop the listener.
    void setProbe(bool on);
    void setDBLock(bool value);
    bool getDBLock() const;

    // Components the workers reach inside synchronised steps.
    TbsSkinVistaGlowLabel* lup = nullptr;
    TVistaProBar* p = nullptr;
    QToolButton* btnupdate = nullptr;
    QToolButton* btnsettings = nullptr;
    QToolButton* btnabout = nullptr;
    QLabel* btnoff = nullptr;
    QLabel* btnon = nullptr;
    TbsSkinVistaGlowLabel* bsSkinVistaGlowLabel1 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Image2 = nullptr;
    QLabel* Image3 = nullptr;
    QFrame* Shape1 = nullptr;
    QWidget* Panel1 = nullptr;
    QMenuBar* Main = nullptr;
    QMenu* poptray = nullptr;
    // Menu images and taskbar overlays: 0 error, 1 updating the database,
    // 2 refreshing the hosts file, 3 downloading, 4 about, 5 exit,
    // 6 settings, 7 web site, 8 restore.
    QList<QIcon> Img16;
    QSystemTrayIcon* Tray = nullptr;
    QTimer* TimerUpdateDNS = nullptr;
    QTimer* TimerHide = nullptr;
    QTimer* TimerProtect = nullptr;

    // The listener started last by the probe switch; cleared when it ends.
    TProbe* probe = nullptr;

    // Handlers, public so tests drive them as the user would.
    void btnupdateClick();
    void btnsettingsClick();
    void btnaboutClick();
    void btnoffClick();
    void btnonClick();
    void Update1Click();
    void Refresh1Click();
    void Settings1Click();
    void Settings2Click();
    void Hosts1Click();
    void ProbeLogs1Click();
    void AboutSolvek1Click();
    void AboutSolvek2Click();
    void Visitourwebsite1Click();
    void TrayClick();
    void RestoreSolvek1Click();
    void ExitSolvek1Click();
    void ExitSolvek2Click();
    void TimerUpdateDNSTimer();
    void TimerHideTimer();
    void TimerProtectTimer();

    bool isLogged() const { return logged; }
    bool isLoaded() const { return loaded; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    void FormHide();
    void FormResize();
    // The tray's Settings and Exit ask for the password first.
    bool passesGate();

    bool dblock = false;
    bool loaded = false;
    bool logged = false;
};

extern TFrmMain* FrmMain;
