// The start-up guard and the main window, driven as a user would.

#include "WindowsFixture.h"

#include "DamagedDatabase.h"
#include "UntMain.h"
#include "UntProbeThread.h"
#include "UntSettings.h"
#include "UntSqliteUtils.h"
#include "VistaProBar.h"
#include "bsSkinExCtrls.h"

#include <QApplication>
#include <QCloseEvent>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolButton>

namespace {

const QString alreadyRunning = QStringLiteral(
    "Solvek Anti-Bot|Solvek Anti-Bot is already running on your system. Check your system tray "
    "!|0x40");
const QString wrongPassword =
    QStringLiteral("Wrong password|The password you entered is incorrect !|0x10");
const QString notLogged = QStringLiteral("Not logged|This application is protected by a "
                                         "password, you must log before using this function|0x10");
const QString exitQuestion = QStringLiteral(
    "Exit Solvek|This action will terminate solvek process, we won't be able to automatically "
    "update database anymore, are you sure?|0x34");

} // namespace

class MainWindowTest : public WindowsFixture {
protected:
    void protectWith(const QString& password)
    {
        setConfigValue("USEPWD", "1");
        setConfigValue("PWD", passwordDigest(password));
    }
};

TEST_F(MainWindowTest, SecondInstanceIsToldThatTheProgramRuns)
{
    fake.locksHeldElsewhere.insert("SOLVEKAB");
    EXPECT_FALSE(acquireSingleInstance());
    EXPECT_EQ(takeBoxes(), QStringList{alreadyRunning});
    EXPECT_TRUE(fake.locksHeld.isEmpty());
}

TEST_F(MainWindowTest, FirstInstanceTakesTheLockSilently)
{
    EXPECT_TRUE(acquireSingleInstance());
    EXPECT_TRUE(fake.locksHeld.contains("SOLVEKAB"));
    EXPECT_TRUE(takeBoxes().isEmpty());
}

TEST_F(MainWindowTest, ComponentsSitWhereTheWindowPutsThem)
{
    createWindows();
    EXPECT_EQ(main->client->size(), QSize(330, 162));
    EXPECT_EQ(main->p->geometry(), QRect(8, 40, 312, 33));
    EXPECT_EQ(main->btnoff->geometry(), QRect(226, 88, 94, 27));
    EXPECT_EQ(main->btnon->geometry(), main->btnoff->geometry());
    EXPECT_EQ(main->Panel1->geometry(), QRect(0, 121, 330, 41));
    // Right-aligned, 4 pixels apart.
    EXPECT_EQ(main->btnupdate->geometry().right(), 330 - 4 - 1);
    EXPECT_EQ(main->btnsettings->x() + 89 + 4, main->btnupdate->x());
    EXPECT_EQ(main->btnabout->x() + 89 + 4, main->btnsettings->x());
    EXPECT_TRUE(main->btnupdate->font().bold());
    EXPECT_FALSE(main->btnsettings->font().bold());
    EXPECT_EQ(main->lup->Caption(), "Last Update : Never");
    EXPECT_EQ(main->bsSkinVistaGlowLabel1->Caption(), "Probe: Log when website blocked");
    EXPECT_EQ(main->Img16.size(), 9);
    EXPECT_EQ(main->windowTitle(), "Solvek Anti-Bot 3.0.2 - www.solvek.example");
}

// The glow labels size themselves to their captions in the window's font
// (8 point, 11 pixels) plus 28 pixels of room for the halo each way.
TEST_F(MainWindowTest, GlowLabelsSitAtTheirPlacesSizedToTheirCaptions)
{
    createWindows();
    for (TbsSkinVistaGlowLabel* label : {main->lup, main->bsSkinVistaGlowLabel1}) {
        QFont font = label->font();
        font.setPixelSize(11);
        const QFontMetrics metrics(font);
        EXPECT_TRUE(label->AutoSize());
        EXPECT_EQ(label->SkinData(), nullptr);
        const QRect text = metrics.boundingRect(
            QRect(0, 0, 1000, 1000), Qt::TextExpandTabs | Qt::TextShowMnemonic, label->Caption());
        EXPECT_EQ(label->size(), QSize(text.width() + 28, metrics.height() + 28))
            << label->Caption().toStdString();
    }
    EXPECT_EQ(main->lup->pos(), QPoint(8, 4));
    EXPECT_EQ(main->lup->GlowColor(), 0xCFCFCFu);
    EXPECT_EQ(main->bsSkinVistaGlowLabel1->pos(), QPoint(0, 85));
    EXPECT_EQ(main->bsSkinVistaGlowLabel1->GlowColor(), platform::clSilver);
    // The probe caption ends before the switch.
    EXPECT_LT(main->bsSkinVistaGlowLabel1->geometry().right(), main->btnoff->x());
}

TEST_F(MainWindowTest, LastUpdateLabelShowsTheStoredTime)
{
    setConfigValue("lastupdate", "01/02/2024 - 10:11:12", "INFO");
    createWindows();
    EXPECT_EQ(main->lup->Caption(), "Last Update : 01/02/2024 - 10:11:12");
}

TEST_F(MainWindowTest, MenusCarryTheirImages)
{
    createWindows();
    auto iconOf = [](const QAction* action) { return action->icon().cacheKey(); };
    const QList<QAction*> bar = main->Main->actions();
    ASSERT_EQ(bar.size(), 4);
    EXPECT_EQ(bar[1]->text(), "Manage Hosts");
    EXPECT_EQ(bar[2]->text(), "Probe Logs");
    const QList<QAction*> solvek = bar[0]->menu()->actions();
    ASSERT_EQ(solvek.size(), 4);
    EXPECT_EQ(solvek[0]->text(), "Update");
    EXPECT_EQ(iconOf(solvek[0]), main->Img16[2].cacheKey());
    EXPECT_EQ(iconOf(solvek[1]), main->Img16[6].cacheKey());
    EXPECT_TRUE(solvek[2]->isSeparator());
    EXPECT_EQ(solvek[3]->text(), "Exit Solvek");
    EXPECT_EQ(iconOf(solvek[3]), main->Img16[5].cacheKey());
    const QList<QAction*> help = bar[3]->menu()->actions();
    ASSERT_EQ(help.size(), 2);
    EXPECT_EQ(iconOf(help[0]), main->Img16[4].cacheKey());
    EXPECT_EQ(iconOf(help[1]), main->Img16[7].cacheKey());

    const QList<QAction*> tray = main->poptray->actions();
    QStringList captions;
    for (const QAction* action : tray)
        captions << (action->isSeparator() ? QStringLiteral("-") : action->text());
    EXPECT_EQ(captions, (QStringList{"Update", "-", "Settings", "-", "Restore Solvek",
                                     "About Solvek", "Exit Solvek"}));
    EXPECT_EQ(iconOf(tray[4]), main->Img16[8].cacheKey());
    EXPECT_EQ(main->Tray->contextMenu(), main->poptray);
}

TEST_F(MainWindowTest, HiddenStartHidesAfterTheHideTimer)
{
    protectWith("secret");
    createWindows();
    main->firstParameter = "/hidden";
    main->show();
    EXPECT_TRUE(main->TimerHide->isActive());
    EXPECT_EQ(main->TimerHide->interval(), 1000);
    // The hidden start does not ask for the password.
    EXPECT_FALSE(main->TimerProtect->isActive());

    main->TimerHideTimer();
    EXPECT_FALSE(main->isVisible());
    EXPECT_FALSE(main->TimerHide->isActive());

    // A later showing asks for the password and does not hide again.
    main->show();
    EXPECT_FALSE(main->TimerHide->isActive());
    EXPECT_TRUE(main->TimerProtect->isActive());
}

TEST_F(MainWindowTest, OnlyTheExactSwitchStartsHidden)
{
    createWindows();
    for (const char* parameter : {"/HIDDEN", "hidden", "/hidden ", "", "/hiddenx"}) {
        main->firstParameter = parameter;
        main->show();
        EXPECT_FALSE(main->TimerHide->isActive()) << parameter;
        main->hide();
    }
}

TEST_F(MainWindowTest, CorrectPasswordLogsIn)
{
    protectWith("Open Sesame");
    createWindows();
    main->show();
    ASSERT_TRUE(main->TimerProtect->isActive());
    EXPECT_EQ(main->TimerProtect->interval(), 100);

    typedPassword = "Open Sesame";
    main->TimerProtectTimer();
    EXPECT_FALSE(main->TimerProtect->isActive());
    EXPECT_TRUE(main->isLogged());
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(takeBoxes().isEmpty());

    // The tray's Settings is open to a logged user.
    main->Settings2Click();
    EXPECT_TRUE(settings->isVisible());
    EXPECT_TRUE(takeBoxes().isEmpty());

    // Hiding forgets the password; the next showing asks again.
    main->hide();
    EXPECT_FALSE(main->isLogged());
    main->show();
    EXPECT_TRUE(main->TimerProtect->isActive());
}

TEST_F(MainWindowTest, WrongOrCancelledPasswordHidesAndLocksTheTray)
{
    protectWith("Open Sesame");
    createWindows();
    for (const std::optional<QString>& answer :
         {std::optional<QString>("open sesame"), std::optional<QString>(" Open Sesame"),
          std::optional<QString>()}) {
        main->show();
        typedPassword = answer;
        main->TimerProtectTimer();
        EXPECT_EQ(takeBoxes(), QStringList{wrongPassword});
        EXPECT_FALSE(main->isVisible());
        EXPECT_FALSE(main->isLogged());

        main->Settings2Click();
        EXPECT_EQ(takeBoxes(), QStringList{notLogged});
        EXPECT_FALSE(settings->isVisible());

        main->ExitSolvek2Click();
        EXPECT_EQ(takeBoxes(), QStringList{notLogged});
        EXPECT_TRUE(endedWith.isEmpty());
    }
}

TEST_F(MainWindowTest, TrayCommandsAreOpenWithoutAPassword)
{
    createWindows();
    main->Settings2Click();
    EXPECT_TRUE(settings->isVisible());
    fake.boxAnswers.push_back(platform::IDNO);
    main->ExitSolvek2Click();
    EXPECT_EQ(takeBoxes(), QStringList{exitQuestion});
    EXPECT_TRUE(endedWith.isEmpty());
}

TEST_F(MainWindowTest, BoxesOfTheMainWindowAreOwnedByIt)
{
    protectWith("secret");
    createWindows();
    main->show();
    typedPassword = QStringLiteral("wrong");
    main->TimerProtectTimer();
    main->Settings2Click();
    fake.boxAnswers.push_back(platform::IDNO);
    main->show();
    typedPassword = QStringLiteral("secret");
    main->TimerProtectTimer();
    main->ExitSolvek2Click();

    ASSERT_EQ(fake.shownBoxes.size(), 3);
    for (const auto& box : fake.shownBoxes)
        EXPECT_EQ(box.owner, main.get()) << box.title.toStdString();
    EXPECT_EQ(takeBoxes(), (QStringList{wrongPassword, notLogged, exitQuestion}));
}

TEST_F(MainWindowTest, ExitEndsTheProcessUnlessTheAnswerIsNo)
{
    createWindows();
    main->show();
    fake.boxAnswers.push_back(platform::IDNO);
    main->ExitSolvek1Click();
    EXPECT_EQ(takeBoxes(), QStringList{exitQuestion});
    EXPECT_TRUE(endedWith.isEmpty());
    EXPECT_EQ(fake.endingsBegun, 0);

    fake.boxAnswers.push_back(platform::IDYES);
    main->ExitSolvek1Click();
    EXPECT_EQ(endedWith, QList<int>{0});
    // The end a signal takes: a signal meanwhile ends the process at once.
    EXPECT_EQ(fake.endingsBegun, 1);
}

// Exit during the check of a damaged database stops it before the process
// ends: the file stays as it was, for the next start to set aside.
TEST_F(MainWindowTest, ExitDuringTheDatabaseCheckStopsItAndLeavesTheFile)
{
    makeProgramDatabase(DBPath, 200000, 50, 10);
    ASSERT_TRUE(overwritePages(DBPath, {leafPages(DBPath, "hosts")[3].page}));
    QFile file(DBPath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();

    startDatabaseCheck();
    endProgram(0);
    EXPECT_EQ(endedWith, QList<int>{0});
    EXPECT_TRUE(endDatabaseCheck(QDeadlineTimer(0))) << "the check outlived the end";
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll() == before);
    EXPECT_EQ(QDir(dir.path()).entryList({"solvekdat.db.*"}, QDir::Files), QStringList{});
}

TEST_F(MainWindowTest, ClosingOnlyHides)
{
    createWindows();
    main->show();
    QCloseEvent close;
    QApplication::sendEvent(main.get(), &close);
    EXPECT_FALSE(close.isAccepted());
    EXPECT_FALSE(main->isVisible());
    EXPECT_TRUE(main->Tray->isVisible());
    // The tray brings it back.
    main->TrayClick();
    EXPECT_TRUE(main->isVisible());
}

TEST_F(MainWindowTest, UpdateTimerRunsOnlyWhileHidden)
{
    createWindows();
    EXPECT_TRUE(main->TimerUpdateDNS->isActive());
    EXPECT_EQ(main->TimerUpdateDNS->interval(), 600000);
    main->show();
    EXPECT_FALSE(main->TimerUpdateDNS->isActive());
    main->hide();
    EXPECT_TRUE(main->TimerUpdateDNS->isActive());
    main->TimerUpdateDNSTimer();
    EXPECT_EQ(updatesStarted, 1);
    // The timer stays on: it fires again ten minutes later.
    EXPECT_TRUE(main->TimerUpdateDNS->isActive());
}

TEST_F(MainWindowTest, SecondUpdateIsRefusedWhileOneRuns)
{
    createWindows();
    main->btnupdateClick();
    EXPECT_EQ(updatesStarted, 1);
    EXPECT_FALSE(main->btnupdate->isEnabled());

    main->Update1Click();
    main->Refresh1Click();
    main->TimerUpdateDNSTimer();
    main->btnupdateClick();
    EXPECT_EQ(updatesStarted, 1);
    EXPECT_TRUE(takeBoxes().isEmpty());

    // The refresh after the download enables the button again.
    main->btnupdate->setEnabled(true);
    main->Refresh1Click();
    EXPECT_EQ(updatesStarted, 2);

    // A download that holds the database also refuses a new one.
    main->btnupdate->setEnabled(true);
    main->setDBLock(true);
    main->btnupdateClick();
    EXPECT_EQ(updatesStarted, 2);
    main->setDBLock(false);
    EXPECT_FALSE(main->getDBLock());
}

TEST_F(MainWindowTest, ProbeSwitchStoresAndShowsItsState)
{
    createWindows();
    main->setProbe(true);
    EXPECT_EQ(configValue("PROBE"), "1");
    EXPECT_TRUE(main->btnon->isVisibleTo(main->client));
    EXPECT_FALSE(main->btnoff->isVisibleTo(main->client));
    main->setProbe(false);
    EXPECT_EQ(configValue("PROBE"), "0");
    EXPECT_FALSE(main->btnon->isVisibleTo(main->client));
    EXPECT_TRUE(main->btnoff->isVisibleTo(main->client));
    EXPECT_EQ(main->probe, nullptr);
}

TEST_F(MainWindowTest, StoredProbeStartsTheListenerAndTheSwitchStopsIt)
{
    setConfigValue("PROBE", "1");
    createWindows();
    main->show();
    EXPECT_TRUE(main->btnon->isVisibleTo(main->client));
    ASSERT_NE(main->probe, nullptr);
    TProbe* listener = main->probe;
    ASSERT_TRUE(waitUntil([&] { return main->probe == nullptr || listener->listeningPort(); }));
    ASSERT_EQ(main->probe, listener);

    main->btnonClick();
    EXPECT_EQ(configValue("PROBE"), "0");
    EXPECT_TRUE(main->btnoff->isVisibleTo(main->client));
    // The listener ends and frees itself; the window forgets it.
    EXPECT_TRUE(waitUntil([&] { return main->probe == nullptr; }));

    // Only the first showing starts it.
    setConfigValue("PROBE", "1");
    main->hide();
    main->show();
    EXPECT_EQ(main->probe, nullptr);
}

TEST_F(MainWindowTest, ScreenshotIsNotBlank)
{
    createWindows();
    main->show();
    const QImage shot = main->grab().toImage();
    EXPECT_EQ(shot.size(), main->size());
    EXPECT_GT(distinctColours(shot), 1);
    const QImage client = main->client->grab().toImage();
    EXPECT_EQ(client.size(), QSize(330, 162));
    EXPECT_GT(distinctColours(client), 16);
}
