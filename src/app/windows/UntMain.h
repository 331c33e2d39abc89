#pragma once

// The main window: last-update label, progress bar, probe switch, Update,
// Settings and About, both menus, the tray icon and the three timers.

#include <QIcon>
#include <QList>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

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

// The maker's web-site name, shown in the main window's caption.
inline constexpr const char* MakerSiteName = "www.solvek.example";

// Replaceable steps, so tests run the windows without modal boxes or ending
// the test program:
// The password prompt; no value when the user cancelled.
extern std::function<std::optional<QString>(QWidget* owner)> promptPassword;
// Ends the process at once with the code; no window is closed, no clean-up runs.
extern std::function<void(int code)> endProcess;
// Starts one block-list download (the Update command once it was accepted).
extern std::function<void()> startUpdate;
// Creates the probe's listener, not yet started.
extern std::function<TProbe*()> createProbe;

// How long the program's end waits for the probe's records to be stored.
inline constexpr int ProgramEndBoundMs = 3000;

// The one way the program ends, from the Exit menu or a request from outside
// (the session's end, kill, Ctrl+C): the probe stops taking connections, the
// records of every request it answered are stored within ProgramEndBoundMs,
// those left are counted on standard error, the temporary files of writes
// still under way are removed, and endProcess(code) follows. A request from
// outside meanwhile ends the process at once.
void endProgram(int code);

// Takes the single-instance lock "SOLVEKAB". When another instance holds it,
// shows the "already running" box and answers false.
bool acquireSingleInstance();

// Creates the five windows in their order: main window, about box, settings
// window, hosts manager, probe log viewer. None is shown.
void createForms();

class TFrmMain : public QWidget {
    Q_OBJECT

public:
    explicit TFrmMain(QWidget* parent = nullptr);
    ~TFrmMain() override;

    // Stores the probe switch and shows it; does not start or stop the listener.
    void setProbe(bool on);
    void setDBLock(bool value);
    bool getDBLock() const;

    // The client area below the menu bar, 330 by 162 pixels, holding the components.
    QWidget* client = nullptr;

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

    // The first command-line parameter; "/hidden" starts in the tray.
    QString firstParameter;

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
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    void FormHide();
    void FormResize();
    void createImages();
    void createComponents();
    QToolButton* createButton(const QString& caption, const QString& glyph, bool bold);
    void createMenus();
    void createTray();
    void createTimers();
    // Connects a menu item or button to a handler whose failures are reported.
    void onTriggered(QAction* action, void (TFrmMain::*handler)());
    // The tray's Settings and Exit ask for the password first.
    bool passesGate();
    void confirmExit();
    bool startedHidden() const;

    bool dblock = false;
    bool loaded = false;
    bool logged = false;
};

extern TFrmMain* FrmMain;
