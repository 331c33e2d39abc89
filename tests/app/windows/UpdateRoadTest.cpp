// The whole road of one update, from the main window's Update button to the
// hosts file, against local HTTPS servers.

#include "WindowsFixture.h"

#include "BlockList.h"
#include "HostsFile.h"
#include "LocalServers.h"
#include "MainWindowProgress.h"
#include "MainWindowWorkers.h"
#include "Unit_Win7Taskbar.h"
#include "UntHTTPRequestThread.h"
#include "UntINI.h"
#include "UntMain.h"
#include "UntSettings.h"
#include "UntUpdateHosts.h"
#include "VistaProBar.h"
#include "bsSkinExCtrls.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QSpinBox>
#include <QToolButton>

#include <array>
#include <atomic>
#include <chrono>
#include <csignal>
#include <memory>
#include <sys/stat.h>
#include <thread>

namespace {

const QString Unsuccessful = QStringLiteral(
    "Unsuccessful|We were not able to reach internet using your actual network configuration, be "
    "sure you setup the proxy settings if you are behind a proxy, and check your internet "
    "connection !|0x10");

class UpdateRoadTest : public WindowsFixture {
protected:
    void SetUp() override
    {
        WindowsFixture::SetUp();
        startUpdate = startBlockListUpdate; // the program's own starter
        InitializeTaskbarList();
        qputenv("SSL_CERT_FILE", testCertificate().certificateFile.toUtf8());
        for (size_t i = 0; i < servers.size(); ++i) {
            servers[i] = std::make_unique<LocalHttpsServer>();
            pointSourceAt(int(i), servers[i]->hostAndPort());
        }
        servers[0]->setBody(path(0), "# zeus\r\nbad.com\r\nshared.com\r\n");
        servers[1]->setBody(path(1), "127.0.0.1 palevo.com\r\n");
        servers[2]->setBody(path(2), "shared.com\r\nspyeye.com\r\n");
        servers[3]->setBody(path(3), "own.com\r\n");
        writeHostsFile("# the user's own lines\r\n10.0.0.2 nas\r\n127.0.0.1 notbad.com\r\n");
    }
    void TearDown() override
    {
        // The workers free themselves on the window thread once they end.
        EXPECT_TRUE(waitUntil([] { return THTTPRequest::live() == 0 && TUpdateHosts::live() == 0; },
                              60000));
        qunsetenv("SSL_CERT_FILE");
        hostsfile_testing::afterHalfWritten = nullptr;
        releaseTaskbarList();
        WindowsFixture::TearDown();
    }

    static QString path(int index)
    {
        return QString::fromUtf16(BlockListSources[size_t(index)].path);
    }
    void pointSourceAt(int index, const QString& host)
    {
        setConfigValue(QString::number(index + 1), host, QStringLiteral("SOURCES"));
    }
    // Presses Update and serves the window thread until the refresh after the
    // download has enabled the button again; false when that never happens.
    bool updateAndWait()
    {
        main->btnupdateClick();
        if (main->btnupdate->isEnabled())
            return false; // the click was refused
        return waitUntil([&] { return main->btnupdate->isEnabled() && !main->getDBLock(); },
                         120000);
    }

    std::array<std::unique_ptr<LocalHttpsServer>, 4> servers;
};

const QByteArray updatedFile = "# the user's own lines\r\n10.0.0.2 nas\r\n127.0.0.1 notbad.com\r\n"
                               "127.0.0.1 bad.com\r\n127.0.0.1 shared.com\r\n"
                               "127.0.0.1 palevo.com\r\n127.0.0.1 spyeye.com\r\n"
                               "127.0.0.1 own.com\r\n";

} // namespace

TEST_F(UpdateRoadTest, UpdateFromTheWindowBlocksEveryListedHost)
{
    createWindows();
    main->show();
    ASSERT_TRUE(updateAndWait());

    EXPECT_EQ(hostsFileBytes(), updatedFile);
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(fake.hostsFilePath).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0444u);
    EXPECT_TRUE(takeBoxes().isEmpty());

    const QString lastUpdate = configValue(QStringLiteral("lastupdate"), QStringLiteral("INFO"));
    EXPECT_NE(lastUpdate, QStringLiteral("<missing>"));
    EXPECT_EQ(main->lup->Caption(), QStringLiteral("Last Update : ") + lastUpdate);
    for (int category = 1; category <= 4; ++category)
        EXPECT_EQ(configValue(QString::number(category), QStringLiteral("DBMD5")).size(), 32);

    EXPECT_EQ(main->p->position(), 0);
    EXPECT_EQ(main->p->posTextPrefix(), QString());
    EXPECT_FALSE(main->p->marquee());
    ASSERT_GE(fake.taskbarCalls.size(), 2);
    const auto& last = fake.taskbarCalls.last();
    EXPECT_EQ(last.what, QStringLiteral("state"));
    EXPECT_EQ(last.first, 0u);
    bool showedRefresh = false;
    for (const auto& call : fake.taskbarCalls)
        showedRefresh |= call.what == QStringLiteral("overlay") &&
                         call.description == QStringLiteral("Refresh Hosts...");
    EXPECT_TRUE(showedRefresh);

    // Nothing changed: the lists are skipped and the file stays as it is.
    ASSERT_TRUE(updateAndWait());
    EXPECT_EQ(hostsFileBytes(), updatedFile);
    for (const auto& server : servers)
        EXPECT_EQ(server->requestHeads().size(), 2);
}

TEST_F(UpdateRoadTest, AnUnreachableSourceIsToldOnlyWhileTheWindowIsVisible)
{
    pointSourceAt(1, QStringLiteral("127.0.0.1:%1").arg(unusedPort()));
    createWindows();
    main->show();
    ASSERT_TRUE(updateAndWait());
    EXPECT_EQ(takeBoxes(), QStringList({Unsuccessful}));
    // List 1 was merged before the failure, and the refresh ran all the same.
    EXPECT_EQ(hostsFileBytes(), QByteArray("# the user's own lines\r\n10.0.0.2 nas\r\n"
                                           "127.0.0.1 notbad.com\r\n127.0.0.1 bad.com\r\n"
                                           "127.0.0.1 shared.com\r\n"));
    EXPECT_NE(configValue(QStringLiteral("lastupdate"), QStringLiteral("INFO")),
              QStringLiteral("<missing>"));

    main->hide();
    testing::internal::CaptureStderr();
    const bool ended = updateAndWait();
    const std::string told = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(ended);
    EXPECT_TRUE(takeBoxes().isEmpty());
    // Standard error tells it as a failed update, not as a crashed thread.
    EXPECT_NE(told.find("Solvek Anti-Bot: Update failed: list 2: Could not download "),
              std::string::npos)
        << told;
    EXPECT_EQ(told.find("Thread ended by an exception"), std::string::npos) << told;
}

TEST_F(UpdateRoadTest, TheProxyComesFromTheSettingsWindow)
{
    TinyProxy proxy;
    ASSERT_TRUE(proxy.started()) << "tinyproxy did not start";
    createWindows();
    main->show();
    settings->useproxy->setChecked(true);
    settings->edtproxyhost->setText(QStringLiteral("127.0.0.1"));
    settings->sport->setValue(proxy.port());
    settings->edtproxyuser->setText(QString());
    settings->edtproxypwd->setText(QStringLiteral("unused"));
    ASSERT_TRUE(updateAndWait());
    EXPECT_TRUE(takeBoxes().isEmpty());
    EXPECT_EQ(hostsFileBytes(), updatedFile);
    EXPECT_EQ(proxy.log().count(QStringLiteral("): CONNECT 127.0.0.1:")), 4);
}

TEST_F(UpdateRoadTest, AHostsFileThatCannotBeWrittenIsToldAndUpdateComesBack)
{
    hostsfile_testing::afterHalfWritten = [] {
        throw EHostsFileError(
            QStringLiteral("Could not write the hosts file \"hosts\": Permission denied."));
    };
    createWindows();
    main->show();
    ASSERT_TRUE(updateAndWait());
    // The box comes after the end step, from the refresh's own thread.
    waitUntil([&] { return !fake.shownBoxes.isEmpty(); }, 60000);
    EXPECT_EQ(takeBoxes(),
              QStringList({"Hosts file|Could not write the hosts file \"hosts\": Permission "
                           "denied.|0x10"}));
    EXPECT_EQ(hostsFileBytes(),
              QByteArray("# the user's own lines\r\n10.0.0.2 nas\r\n127.0.0.1 notbad.com\r\n"));
}

namespace {

// Holds the refresh halfway through its write of the hosts file until let go.
std::atomic<bool> refreshHeld{false};
std::atomic<bool> refreshLetGo{false};

void holdRefresh()
{
    refreshHeld = true;
    while (!refreshLetGo)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

} // namespace

TEST_F(UpdateRoadTest, TheProgramsEndDuringTheHostsFileWriteLeavesNoTemporaryFile)
{
    refreshHeld = false;
    refreshLetGo = false;
    hostsfile_testing::afterHalfWritten = holdRefresh;
    const std::shared_ptr<void> letGo(nullptr, [](void*) { refreshLetGo = true; });
    const QByteArray before = hostsFileBytes();
    const auto temporaryFiles = [&] {
        return QFileInfo(fake.hostsFilePath)
            .dir()
            .entryList({".hosts.solvek-*"}, QDir::Files | QDir::Hidden);
    };
    createWindows();
    main->show();
    main->btnupdateClick();
    ASSERT_TRUE(waitUntil([] { return refreshHeld.load(); }, 120000));
    ASSERT_EQ(temporaryFiles().size(), 1);

    endProgram(128 + SIGTERM);
    EXPECT_EQ(endedWith, QList<int>{128 + SIGTERM});
    EXPECT_EQ(temporaryFiles(), QStringList());
    // Here the refresh outlives the end, as in the program it would not: its
    // commit must not put the removed file in place.
    refreshLetGo = true;
    ASSERT_TRUE(
        waitUntil([&] { return main->btnupdate->isEnabled() && !main->getDBLock(); }, 120000));
    waitUntil([&] { return !fake.shownBoxes.isEmpty(); }, 60000);
    EXPECT_EQ(takeBoxes(), QStringList({"Hosts file|Could not write the hosts file \"" +
                                        fake.hostsFilePath + "\": the program is ending.|0x10"}));
    EXPECT_EQ(hostsFileBytes().toStdString(), before.toStdString());
    EXPECT_EQ(temporaryFiles(), QStringList());
}

TEST_F(UpdateRoadTest, ProgressStepsDriveTheBarAndTheTaskbar)
{
    createWindows();
    main->btnupdate->setEnabled(false);
    fake.taskbarCalls.clear();

    mainprogress::showDownloading();
    EXPECT_TRUE(main->p->marquee());
    EXPECT_FALSE(main->p->showPosText());
    mainprogress::startCounting(200, mainprogress::OverlayRefreshingHosts,
                                QStringLiteral("Refresh Hosts..."),
                                QStringLiteral("Updating Hosts : "));
    mainprogress::showStep(150, 200);
    EXPECT_FALSE(main->p->marquee());
    EXPECT_TRUE(main->p->showPosText());
    EXPECT_EQ(main->p->max(), 200);
    EXPECT_EQ(main->p->position(), 150);
    EXPECT_EQ(main->p->posTextPrefix(), QStringLiteral("Updating Hosts : "));

    mainprogress::finishRefresh(true);
    EXPECT_EQ(main->p->position(), 0);
    EXPECT_EQ(main->p->posTextPrefix(), QString());
    EXPECT_TRUE(main->btnupdate->isEnabled());

    QStringList calls;
    for (const auto& call : fake.taskbarCalls)
        calls << QStringLiteral("%1 %2 %3 %4")
                     .arg(call.what)
                     .arg(call.first)
                     .arg(call.second)
                     .arg(call.description)
                     .trimmed();
    EXPECT_EQ(calls, QStringList({"state 1 0", "overlay 1 0 Downloading...", "state 2 0",
                                  "overlay 1 0 Refresh Hosts...", "value 150 200", "overlay 0 0",
                                  "state 0 0"}));
}

TEST_F(UpdateRoadTest, ARefreshEndingDuringAnUpdateLeavesTheBarAndTheButtonToIt)
{
    createWindows();
    // An update in the middle of its merge, as its own steps leave the window.
    const std::unique_ptr<BlockListUi> update = makeMainWindowBlockListUi();
    ProxySettings proxy;
    ASSERT_TRUE(update->begin(proxy));
    update->updating(QStringLiteral("Zeus Bot"), 100);
    update->step(45, 100);

    // The hosts manager's refresh, on its own thread, counts and ends meanwhile.
    execSQL(QStringLiteral("INSERT INTO hosts VALUES('5', 'mine.com', 'N');"));
    startHostsFileRefresh();
    ASSERT_TRUE(waitUntil([] { return TUpdateHosts::live() == 0; }));
    EXPECT_EQ(main->p->posTextPrefix(), QStringLiteral("Updating Zeus Bot : "));
    EXPECT_EQ(main->p->position(), 45);
    EXPECT_FALSE(main->btnupdate->isEnabled());

    update->end(QStringLiteral("now"), false);
}
