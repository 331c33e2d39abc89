#include "UntMain.h"

#include "MainWindowWorkers.h"
#include "Platform.h"
#include "ProbeLogWriter.h"
#include "ReplacingFile.h"
#include "UntAbout.h"
#include "UntForms.h"
#include "UntHTTPRequestThread.h"
#include "UntHosts.h"
#include "UntINI.h"
#include "UntProbeLogs.h"
#include "UntProbeThread.h"
#include "UntSettings.h"
#include "UntSettingsVar.h"
#include "UntSqliteUtils.h"
#include "VistaProBar.h"
#include "bsSkinExCtrls.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFrame>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>

TFrmMain* FrmMain = nullptr;

std::function<std::optional<QString>(QWidget* owner)> promptPassword =
    [](QWidget* owner) -> std::optional<QString> {
    bool confirmed = false;
    const QString text =
        QInputDialog::getText(owner, QStringLiteral("Enter password"),
                              QStringLiteral("Enter the password to access to Solvek :"),
                              QLineEdit::Password, QString(), &confirmed);
    if (!confirmed)
        return std::nullopt;
    return text;
};

std::function<void(int code)> endProcess = [](int code) { std::_Exit(code); };

std::function<TProbe*()> createProbe = [] { return new TProbe(); };

namespace {

const QString instanceLockName = QStringLiteral("SOLVEKAB");
const QString productTitle = QStringLiteral("Solvek Anti-Bot");

constexpr int clientWidth = 330;
constexpr int clientHeight = 162;
constexpr int updateIntervalMs = 600000;
constexpr int hideDelayMs = 1000;
constexpr int protectDelayMs = 100;

const char* const img16Files[] = {
    ":/images/img16_0_error.png",    ":/images/img16_1_database.png",
    ":/images/img16_2_refresh.png",  ":/images/img16_3_download.png",
    ":/images/img16_4_about.png",    ":/images/img16_5_exit.png",
    ":/images/img16_6_settings.png", ":/images/img16_7_web.png",
    ":/images/img16_8_restore.png",
};
enum Img16Index {
    imgUpdate = 2,
    imgAbout = 4,
    imgExit = 5,
    imgSettings = 6,
    imgWeb = 7,
    imgRestore = 8
};

QLabel* picture(QWidget* parent, const QString& resource, const QRect& place)
{
    auto* label = new QLabel(parent);
    label->setGeometry(place);
    label->setPixmap(QPixmap(resource));
    return label;
}

void showNonModal(QWidget* window)
{
    if (!window)
        return;
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

// The Update command's download: created suspended, freeing itself, highest
// priority, resumed; nobody keeps a reference.
std::function<void()> startUpdate = startBlockListUpdate;

bool acquireSingleInstance()
{
    if (platform::current().instanceGuard().acquire(instanceLockName))
        return true;
    platform::messageBox(
        nullptr,
        QStringLiteral(
            "Solvek Anti-Bot is already running on your system. Check your system tray !"),
        productTitle, platform::MB_OK | platform::MB_ICONINFORMATION);
    return false;
}

static void createListForms()
{
    new TFrmHosts();
    new TFrmProbe();
}

void createForms()
{
    new TFrmMain();
    new TFrmAbout();
    new TFrmSettings();
    createListForms();
}

TFrmMain::TFrmMain(QWidget* parent) : QWidget(parent)
{
    FrmMain = this;
    initResources();
    firstParameter = QCoreApplication::arguments().value(1);

    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(
        QStringLiteral("Solvek Anti-Bot 3.0.2 - %1").arg(QString::fromLatin1(MakerSiteName)));
    setWindowIcon(programIcon());
    setFont(windowFont());

    createImages();
    createComponents();
    createMenus();
    createTray();
    createTimers();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(Main);
    layout->addWidget(client);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();
    centreOn(this, nullptr);

    runReported([this] { FormCreate(); });
}

TFrmMain::~TFrmMain()
{
    // A listener still running reports back through FrmMain, so it finds no window.
    if (FrmMain == this)
        FrmMain = nullptr;
}

void TFrmMain::createImages()
{
    for (const char* file : img16Files)
        Img16.append(QIcon(QString::fromLatin1(file)));
}

QToolButton* TFrmMain::createButton(const QString& caption, const QString& glyph, bool bold)
{
    auto* button = new QToolButton(Panel1);
    button->setText(caption);
    button->setIcon(QIcon(glyph));
    button->setIconSize(QSize(20, 20));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    button->setFixedSize(89, 30);
    button->move(button->x(), 5);
    if (bold) {
        QFont font = button->font();
        font.setBold(true);
        button->setFont(font);
    }
    return button;
}

void TFrmMain::createComponents()
{
    client = new QWidget(this);
    client->setFixedSize(clientWidth, clientHeight);

    Image3 = picture(client, QStringLiteral(":/images/main_background.png"),
                     QRect(0, 0, clientWidth, clientHeight));
    Image3->setScaledContents(true);
    Image2 = picture(client, QStringLiteral(":/images/main_heading.png"), QRect(8, 8, 312, 28));

    lup = new TbsSkinVistaGlowLabel(client);
    lup->move(8, 4);
    lup->setGlowColor(0xCFCFCF);

    p = new TVistaProBar(client);
    p->setGeometry(8, 40, 312, 33);
    p->setColor(QColor(0, 255, 0));
    p->setMarqueeSize(40);
    p->setMarqueeFade(30);
    p->setMarqueeSpeed(25);
    p->setOrientation(vpbHorizontal);
    p->setPercentage(true);
    p->setShowPosText(true);

    Shape1 = new QFrame(client);
    Shape1->setGeometry(40, 80, 249, 1);
    Shape1->setAutoFillBackground(true);
    QPalette silver = Shape1->palette();
    silver.setColor(QPalette::Window, QColor(192, 192, 192));
    Shape1->setPalette(silver);

    btnoff = picture(client, QStringLiteral(":/images/probe_off.png"), QRect(226, 88, 94, 27));
    btnon = picture(client, QStringLiteral(":/images/probe_on.png"), QRect(226, 88, 94, 27));
    for (QLabel* image : {btnoff, btnon}) {
        image->setCursor(Qt::PointingHandCursor);
        image->installEventFilter(this);
    }
    btnoff->setToolTip(QStringLiteral("Switch the probe on"));
    btnon->setToolTip(QStringLiteral("Switch the probe off"));
    btnon->setVisible(false);

    bsSkinVistaGlowLabel1 = new TbsSkinVistaGlowLabel(client);
    bsSkinVistaGlowLabel1->move(0, 85);
    bsSkinVistaGlowLabel1->setGlowColor(platform::clSilver);
    bsSkinVistaGlowLabel1->setCaption(QStringLiteral("Probe: Log when website blocked"));

    Panel1 = new QWidget(client);
    Panel1->setGeometry(0, clientHeight - 41, clientWidth, 41);
    Image1 = createPanelBackground(Panel1);
    Image1->setGeometry(0, 0, clientWidth, 41);
    btnupdate =
        createButton(QStringLiteral("Update"), QStringLiteral(":/images/glyph_update.png"), true);
    btnsettings = createButton(QStringLiteral("Settings"),
                               QStringLiteral(":/images/glyph_settings.png"), false);
    btnabout =
        createButton(QStringLiteral("About"), QStringLiteral(":/images/glyph_about.png"), false);
    connectReported(btnupdate, &QToolButton::clicked, this, &TFrmMain::btnupdateClick);
    connectReported(btnsettings, &QToolButton::clicked, this, &TFrmMain::btnsettingsClick);
    connectReported(btnabout, &QToolButton::clicked, this, &TFrmMain::btnaboutClick);
    FormResize();
}

void TFrmMain::onTriggered(QAction* action, void (TFrmMain::*handler)())
{
    connectReported(action, &QAction::triggered, this, handler);
}

void TFrmMain::createMenus()
{
    Main = new QMenuBar(this);
    QMenu* Solvek1 = Main->addMenu(QStringLiteral("Solvek"));
    onTriggered(Solvek1->addAction(Img16[imgUpdate], QStringLiteral("Update")),
                &TFrmMain::Update1Click);
    onTriggered(Solvek1->addAction(Img16[imgSettings], QStringLiteral("Settings")),
                &TFrmMain::Settings1Click);
    Solvek1->addSeparator();
    onTriggered(Solvek1->addAction(Img16[imgExit], QStringLiteral("Exit Solvek")),
                &TFrmMain::ExitSolvek1Click);
    onTriggered(Main->addAction(QStringLiteral("Manage Hosts")), &TFrmMain::Hosts1Click);
    onTriggered(Main->addAction(QStringLiteral("Probe Logs")), &TFrmMain::ProbeLogs1Click);
    QMenu* help = Main->addMenu(QStringLiteral("?"));
    onTriggered(help->addAction(Img16[imgAbout], QStringLiteral("About Solvek")),
                &TFrmMain::AboutSolvek1Click);
    onTriggered(help->addAction(Img16[imgWeb], QStringLiteral("Visit our website")),
                &TFrmMain::Visitourwebsite1Click);

    poptray = new QMenu(this);
    onTriggered(poptray->addAction(Img16[imgUpdate], QStringLiteral("Update")),
                &TFrmMain::Refresh1Click);
    poptray->addSeparator();
    onTriggered(poptray->addAction(Img16[imgSettings], QStringLiteral("Settings")),
                &TFrmMain::Settings2Click);
    poptray->addSeparator();
    onTriggered(poptray->addAction(Img16[imgRestore], QStringLiteral("Restore Solvek")),
                &TFrmMain::RestoreSolvek1Click);
    onTriggered(poptray->addAction(Img16[imgAbout], QStringLiteral("About Solvek")),
                &TFrmMain::AboutSolvek2Click);
    onTriggered(poptray->addAction(Img16[imgExit], QStringLiteral("Exit Solvek")),
                &TFrmMain::ExitSolvek2Click);
}

void TFrmMain::createTray()
{
    Tray = new QSystemTrayIcon(programIcon(), this);
    Tray->setToolTip(productTitle);
    Tray->setContextMenu(poptray);
    connect(Tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason why) {
        if (why == QSystemTrayIcon::Trigger)
            runReported([this] { TrayClick(); });
    });
    Tray->show();
}

void TFrmMain::createTimers()
{
    TimerUpdateDNS = new QTimer(this);
    TimerUpdateDNS->setInterval(1000);
    TimerHide = new QTimer(this);
    TimerHide->setInterval(hideDelayMs);
    TimerProtect = new QTimer(this);
    TimerProtect->setInterval(protectDelayMs);
    connectReported(TimerUpdateDNS, &QTimer::timeout, this, &TFrmMain::TimerUpdateDNSTimer);
    connectReported(TimerHide, &QTimer::timeout, this, &TFrmMain::TimerHideTimer);
    connectReported(TimerProtect, &QTimer::timeout, this, &TFrmMain::TimerProtectTimer);
}

void TFrmMain::FormCreate()
{
    loaded = false;
    logged = false;
    createDB();
    lup->setCaption(QStringLiteral("Last Update : ") + storedLastUpdate());
    TimerUpdateDNS->setInterval(updateIntervalMs);
    TimerUpdateDNS->start();
    dblock = false;
}

bool TFrmMain::startedHidden() const
{
    return firstParameter == QLatin1String("/hidden") && !loaded;
}

void TFrmMain::FormShow()
{
    loadSettings();
    if (!loaded && SETTINGS_PROBE)
        btnoffClick();
    if (startedHidden())
        TimerHide->start();
    TimerUpdateDNS->stop();
    if (SETTINGS_USEPWD && !startedHidden())
        TimerProtect->start();
    loaded = true;
}

void TFrmMain::FormHide()
{
    TimerUpdateDNS->start();
    logged = false;
}

void TFrmMain::FormResize()
{
    const int width = client ? client->width() : clientWidth;
    btnupdate->move(width - 4 - btnupdate->width(), btnupdate->y());
    btnsettings->move(btnupdate->x() - 4 - btnsettings->width(), btnsettings->y());
    btnabout->move(btnsettings->x() - 4 - btnabout->width(), btnabout->y());
}

void TFrmMain::setProbe(bool on)
{
    writeIni(QStringLiteral("SOLVEK"), QStringLiteral("PROBE"), boolToIniStr(on));
    btnoff->setVisible(!on);
    btnon->setVisible(on);
}

void TFrmMain::setDBLock(bool value)
{
    dblock = value;
}

bool TFrmMain::getDBLock() const
{
    return dblock;
}

void TFrmMain::btnupdateClick()
{
    // One download at a time: the button stays disabled from the start of a
    // download until the hosts-file refresh after it is done, and the menus
    // and the timer reach this handler as well.
    if (!btnupdate->isEnabled() || dblock)
        return;
    btnupdate->setEnabled(false);
    startUpdate();
}

void TFrmMain::Update1Click()
{
    btnupdate->click();
}

void TFrmMain::Refresh1Click()
{
    btnupdate->click();
}

void TFrmMain::TimerUpdateDNSTimer()
{
    btnupdate->click();
}

void TFrmMain::btnsettingsClick()
{
    showNonModal(FrmSettings);
}

void TFrmMain::Settings1Click()
{
    showNonModal(FrmSettings);
}

void TFrmMain::Settings2Click()
{
    if (passesGate())
        btnsettings->click();
}

void TFrmMain::btnaboutClick()
{
    showNonModal(FrmAbout);
}

void TFrmMain::AboutSolvek1Click()
{
    showNonModal(FrmAbout);
}

void TFrmMain::AboutSolvek2Click()
{
    showNonModal(FrmAbout);
}

void TFrmMain::Hosts1Click()
{
    if (!FrmHosts)
        return;
    centreOn(FrmHosts, this);
    FrmHosts->exec();
}

void TFrmMain::ProbeLogs1Click()
{
    if (!FrmProbe)
        return;
    centreOn(FrmProbe, this);
    FrmProbe->exec();
}

void TFrmMain::Visitourwebsite1Click()
{
    opensite(QString::fromLatin1(makerPages::Home));
}

void TFrmMain::TrayClick()
{
    showNonModal(this);
}

void TFrmMain::RestoreSolvek1Click()
{
    showNonModal(this);
}

void TFrmMain::ExitSolvek1Click()
{
    confirmExit();
}

void TFrmMain::ExitSolvek2Click()
{
    if (passesGate())
        confirmExit();
}

void TFrmMain::confirmExit()
{
    const int answer = platform::messageBox(
        this,
        QStringLiteral("This action will terminate solvek process, we won't be able to "
                       "automatically update database anymore, are you sure?"),
        QStringLiteral("Exit Solvek"), platform::MB_YESNO | platform::MB_ICONWARNING);
    if (answer != platform::IDNO)
        endProgram(0);
}

void endProgram(int code)
{
    platform::current().endRequests().endingBegun();
    const QDeadlineTimer bound(ProgramEndBoundMs, Qt::PreciseTimer);
    // A check or salvage under way stops; the file at the path stays whole
    // whenever it is cut short.
    endDatabaseCheck(bound);
    if (FrmMain && FrmMain->probe)
        FrmMain->probe->stopAnswering(bound);
    ProbeLogWriter::instance().finish(int(std::max<qint64>(0, bound.remainingTime())));
    // A file still being written (the hosts file during an Update) stays as it
    // was, and its new contents' temporary file goes.
    platform::removeUnfinishedWrites();
    endProcess(code);
}

bool TFrmMain::passesGate()
{
    if (!SETTINGS_USEPWD || logged)
        return true;
    platform::messageBox(this,
                         QStringLiteral("This application is protected by a password, you must "
                                        "log before using this function"),
                         QStringLiteral("Not logged"), platform::MB_OK | platform::MB_ICONERROR);
    return false;
}

void TFrmMain::btnoffClick()
{
    setProbe(true);
    TProbe* listener = createProbe();
    listener->setFreeOnTerminate(true);
    listener->setPriority(tpHighest);
    // The listener frees itself when it ends; forget it before that.
    listener->OnTerminate = [listener] {
        if (FrmMain && FrmMain->probe == listener)
            FrmMain->probe = nullptr;
    };
    listener->onStartFailed = [] {
        if (FrmMain)
            FrmMain->setProbe(false);
    };
    probe = listener;
    listener->Start();
}

void TFrmMain::btnonClick()
{
    setProbe(false);
    if (probe)
        probe->stopListening();
}

void TFrmMain::TimerHideTimer()
{
    hide();
    TimerHide->stop();
}

void TFrmMain::TimerProtectTimer()
{
    TimerProtect->stop();
    const std::optional<QString> typed = promptPassword(this);
    if (typed && passwordDigest(*typed) == SETTINGS_PWD) {
        logged = true;
        return;
    }
    platform::messageBox(this, QStringLiteral("The password you entered is incorrect !"),
                         QStringLiteral("Wrong password"),
                         platform::MB_OK | platform::MB_ICONERROR);
    hide();
}

void TFrmMain::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    runUnlessSpontaneous(event, [this] { FormShow(); });
}

void TFrmMain::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    runUnlessSpontaneous(event, [this] { FormHide(); });
}

void TFrmMain::closeEvent(QCloseEvent* event)
{
    // Closing only hides the window; the program lives on in the tray.
    event->ignore();
    hide();
}

void TFrmMain::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    FormResize();
}

bool TFrmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != btnoff && watched != btnon)
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::MouseButtonPress)
        return true;
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        auto* image = static_cast<QLabel*>(watched);
        if (mouse->button() == Qt::LeftButton &&
            image->rect().contains(mouse->position().toPoint())) {
            if (watched == btnoff)
                runReported([this] { btnoffClick(); });
            else
                runReported([this] { btnonClick(); });
        }
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
