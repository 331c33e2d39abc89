#include "BlockList.h"
#include "UntHTTPRequestThread.h"
#include "UntINI.h"
#include "UntUpdateHosts.h"

#include "AppTestSupport.h"
#include "FileSizeLimit.h"
#include "LocalServers.h"
#include "SmallDisk.h"
#include "Unprivileged.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <array>
#include <functional>
#include <memory>

namespace {

// Records the window steps of one run.
class RecordingBlockListUi : public BlockListUi {
public:
    bool begin(ProxySettings& settings) override
    {
        calls << QStringLiteral("begin");
        if (busy)
            return false;
        settings = proxy;
        return true;
    }
    void downloading() override { calls << QStringLiteral("downloading"); }
    void updating(const QString& categoryName, qint64 lines) override
    {
        calls << QStringLiteral("updating %1 %2").arg(categoryName).arg(lines);
    }
    void step(qint64 line, qint64) override
    {
        steps << line;
        if (onStep)
            onStep();
    }
    void reset() override { calls << QStringLiteral("reset"); }
    bool windowVisible() override { return visible; }
    void showErrorOverlay() override { calls << QStringLiteral("error overlay"); }
    void clearOverlay() override { calls << QStringLiteral("clear overlay"); }
    void end(const QString& text, bool updated) override
    {
        lastUpdate = text;
        calls << QStringLiteral("end %1").arg(updated ? "updated" : "unchanged");
    }
    void startRefresh() override { calls << QStringLiteral("refresh"); }
    void abandon() override { calls << QStringLiteral("abandon"); }

    std::function<void()> onStep; // runs on the worker, mid-merge
    bool busy = false;
    bool visible = true;
    ProxySettings proxy;
    QStringList calls;
    QList<qint64> steps;
    QString lastUpdate;
};

QString md5(const QByteArray& bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex());
}

// A list of `count` hosts "h<i>.example", one per line.
QByteArray numberedList(int count)
{
    QByteArray list;
    list.reserve(count * 16);
    for (int i = 0; i < count; ++i)
        list += "h" + QByteArray::number(i) + ".example\n";
    return list;
}

class BlockListUpdateTest : public UpdateFolderTest {
protected:
    void SetUp() override
    {
        UpdateFolderTest::SetUp();
        qputenv("SSL_CERT_FILE", testCertificate().certificateFile.toUtf8());
        for (size_t i = 0; i < servers.size(); ++i) {
            servers[i] = std::make_unique<LocalHttpsServer>();
            pointSourceAt(int(i), servers[i]->hostAndPort());
        }
    }
    void TearDown() override { qunsetenv("SSL_CERT_FILE"); }

    void pointSourceAt(int index, const QString& host)
    {
        writeIni(QStringLiteral("SOURCES"), QString::number(index + 1), host);
    }
    void setList(int index, const QByteArray& body)
    {
        servers[size_t(index)]->setBody(QString::fromUtf16(BlockListSources[size_t(index)].path),
                                        body);
    }
    int requests(int index) const
    {
        return servers[size_t(index)]->requestCount(
            QString::fromUtf16(BlockListSources[size_t(index)].path));
    }
    QString digest(int category) { return readIni("DBMD5", QString::number(category), "<none>"); }
    void setAllLists()
    {
        setList(0, "# zeus\r\nz1.com\r\n127.0.0.1 z2.com\r\n");
        setList(1, "p1.com\np2.com\n");
        setList(2, "s1.com");
        setList(3, "127.0.0.1 y1.com\r\n127.0.0.1 y2.com\r\n127.0.0.1 y3.com\r\n");
    }
    BlockListRunOutcome run() { return runBlockListUpdate(ui); }
    // A run's failure, then every box it showed as "title|text|details" (taken
    // from the record): what a run in a child process hands back.
    QString runAndTell()
    {
        QStringList told{run().failure};
        QMutexLocker lock(&fake.mutex);
        for (const auto& box : fake.shownBoxes)
            told << box.title + u'|' + box.text + u'|' + box.details;
        fake.shownBoxes.clear();
        return told.join(u'\n');
    }
    // What runAndTell gives for a failure in the words of `sentence` on list 1.
    static QString toldOfListOne(const QString& sentence)
    {
        return "list 1: " + sentence + "\nUnsuccessful|" + sentence + "|list 1: " + sentence;
    }
    // The hosts of setAllLists, each list in its category.
    void expectAllListsStored()
    {
        EXPECT_EQ(hosts("1"), QStringList({"z1.com", "z2.com"}));
        EXPECT_EQ(hosts("2"), QStringList({"p1.com", "p2.com"}));
        EXPECT_EQ(hosts("3"), QStringList({"s1.com"}));
        EXPECT_EQ(hosts("4"), QStringList({"y1.com", "y2.com", "y3.com"}));
    }

    std::array<std::unique_ptr<LocalHttpsServer>, 4> servers;
    RecordingBlockListUi ui;
};

} // namespace

TEST_F(BlockListUpdateTest, TheFirstRunMergesEveryList)
{
    setAllLists();
    const BlockListRunOutcome outcome = run();

    EXPECT_TRUE(outcome.started);
    EXPECT_FALSE(outcome.failed) << outcome.failure.toStdString();
    EXPECT_TRUE(outcome.updated);
    EXPECT_EQ(outcome.merged, QStringList({"1", "2", "3", "4"}));
    expectAllListsStored();
    EXPECT_EQ(digest(1), md5("# zeus\r\nz1.com\r\n127.0.0.1 z2.com\r\n"));
    EXPECT_EQ(digest(4), md5("127.0.0.1 y1.com\r\n127.0.0.1 y2.com\r\n127.0.0.1 y3.com\r\n"));
    EXPECT_EQ(ui.calls,
              QStringList({"begin", "downloading", "updating Zeus Bot 3", "reset", "downloading",
                           "updating Palevo Bot 2", "reset", "downloading", "updating SpyEye Bot 1",
                           "reset", "downloading", "updating Yeldcraft 3", "reset", "clear overlay",
                           "end updated", "refresh"}));
    EXPECT_FALSE(ui.lastUpdate.isEmpty());
    EXPECT_EQ(readIni("INFO", "lastupdate", "Never"), ui.lastUpdate);
    EXPECT_TRUE(fake.shownBoxes.isEmpty());
}

TEST_F(BlockListUpdateTest, AnUnchangedListIsSkipped)
{
    setAllLists();
    run();
    addHost("1", "user.com", "N");
    setList(1, "p1.com\np3.com\n");
    ui.calls.clear();

    const BlockListRunOutcome outcome = run();
    EXPECT_EQ(outcome.merged, QStringList({"2"}));
    EXPECT_EQ(hosts("1"), QStringList({"z1.com", "z2.com"}));
    EXPECT_EQ(hosts("2"), QStringList({"p1.com", "p3.com"}));
    EXPECT_EQ(hosts("1", "N"), QStringList({"user.com"}));
    EXPECT_EQ(ui.calls, QStringList({"begin", "downloading", "downloading", "updating Palevo Bot 2",
                                     "reset", "downloading", "downloading", "clear overlay",
                                     "end updated", "refresh"}));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(requests(i), 2) << i;

    ui.calls.clear();
    EXPECT_FALSE(run().updated);
    EXPECT_TRUE(ui.calls.contains(QStringLiteral("end unchanged")));
}

TEST_F(BlockListUpdateTest, AfterABrokenDatabaseWasSetAsideEveryListComesBack)
{
    setAllLists();
    run();
    ASSERT_EQ(digest(2), md5("p1.com\np2.com\n"));

    // The file turns into garbage; the next start keeps it aside and makes a new one.
    QFile file(DBPath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QByteArray(4096, 'x'));
    file.close();
    initSqliteUtilsModule();
    ASSERT_TRUE(hosts("1").isEmpty());

    const BlockListRunOutcome outcome = run(); // the lists have not changed
    EXPECT_FALSE(outcome.failed) << outcome.failure.toStdString();
    EXPECT_EQ(outcome.merged, QStringList({"1", "2", "3", "4"}));
    expectAllListsStored();
    EXPECT_EQ(digest(2), md5("p1.com\np2.com\n"));
}

TEST_F(BlockListUpdateTest, AnEmptyListKeepsTheRowsAndTheDigest)
{
    setAllLists();
    run();
    const QString before = digest(3);
    setList(2, " \r\n\t\r\n");
    const BlockListRunOutcome outcome = run();
    EXPECT_FALSE(outcome.failed);
    EXPECT_FALSE(outcome.updated);
    EXPECT_EQ(hosts("3"), QStringList({"s1.com"}));
    EXPECT_EQ(digest(3), before);
}

TEST_F(BlockListUpdateTest, ACommentOnlyListEmptiesTheCategoryAndCountsAsAnUpdate)
{
    setAllLists();
    run();
    setList(1, "# nothing today\r\n#\r\n");
    ui.calls.clear();
    const BlockListRunOutcome outcome = run();
    EXPECT_TRUE(outcome.updated);
    EXPECT_TRUE(hosts("2").isEmpty());
    EXPECT_EQ(digest(2), md5("# nothing today\r\n#\r\n"));
    EXPECT_TRUE(ui.calls.contains(QStringLiteral("end updated")));
}

TEST_F(BlockListUpdateTest, AnUnreachableSecondSourceEndsTheLoopAndTellsTheVisibleUser)
{
    setAllLists();
    pointSourceAt(1, QStringLiteral("127.0.0.1:%1").arg(unusedPort()));
    const BlockListRunOutcome outcome = run();

    EXPECT_TRUE(outcome.failed);
    EXPECT_EQ(outcome.merged, QStringList({"1"}));
    EXPECT_EQ(hosts("1"), QStringList({"z1.com", "z2.com"}));
    EXPECT_EQ(requests(2), 0);
    EXPECT_EQ(requests(3), 0);
    EXPECT_EQ(digest(2), QStringLiteral("<none>"));
    ASSERT_EQ(fake.shownBoxes.size(), 1);
    EXPECT_EQ(fake.shownBoxes[0].title, QStringLiteral("Unsuccessful"));
    EXPECT_EQ(fake.shownBoxes[0].text, QString::fromLatin1(UnsuccessfulText));
    EXPECT_EQ(fake.shownBoxes[0].flags, platform::MB_OK | platform::MB_ICONERROR);
    // The details name the list and the transfer error.
    EXPECT_TRUE(fake.shownBoxes[0].details.startsWith("list 2: Could not download https://"))
        << fake.shownBoxes[0].details.toStdString();
    EXPECT_EQ(
        ui.calls.mid(ui.calls.size() - 5),
        QStringList({"downloading", "error overlay", "clear overlay", "end updated", "refresh"}));
    EXPECT_EQ(readIni("INFO", "lastupdate", "Never"), ui.lastUpdate);
}

TEST_F(BlockListUpdateTest, ATimeTheSettingsFileCouldNotStoreIsNotShown)
{
    setAllLists();
    run();
    writeIni("INFO", "lastupdate", "x");
    {
        // The lists are unchanged, so only the time would grow the settings file.
        FileSizeLimit limit(QFileInfo(settingsFilePath()).size());
        ASSERT_TRUE(limit.isSet());
        run();
    }
    EXPECT_EQ(readIni("INFO", "lastupdate", "Never"), QStringLiteral("x"));
    EXPECT_EQ(ui.lastUpdate, QStringLiteral("x"));
}

TEST_F(BlockListUpdateTest, TheDetailsOfTheBoxNameTheListAndTheServersAnswer)
{
    setAllLists();
    servers[2] = std::make_unique<LocalHttpsServer>(); // knows no list: answers 404
    pointSourceAt(2, servers[2]->hostAndPort());
    const BlockListRunOutcome outcome = run();
    EXPECT_TRUE(outcome.failed);
    ASSERT_EQ(fake.shownBoxes.size(), 1);
    EXPECT_EQ(fake.shownBoxes[0].text, QString::fromLatin1(UnsuccessfulText));
    const QString details = fake.shownBoxes[0].details;
    EXPECT_TRUE(details.startsWith(QStringLiteral("list 3: "))) << details.toStdString();
    EXPECT_TRUE(details.endsWith(QStringLiteral("the server answered 404.")))
        << details.toStdString();
}

TEST_F(BlockListUpdateTest, AFailureWhileHiddenIsSilent)
{
    ui.visible = false;
    pointSourceAt(0, QStringLiteral("127.0.0.1:%1").arg(unusedPort()));
    const BlockListRunOutcome outcome = run();
    EXPECT_TRUE(outcome.failed);
    EXPECT_FALSE(outcome.updated);
    EXPECT_TRUE(fake.shownBoxes.isEmpty());
    EXPECT_FALSE(ui.calls.contains(QStringLiteral("error overlay")));
    EXPECT_EQ(ui.calls.mid(ui.calls.size() - 3),
              QStringList({"clear overlay", "end unchanged", "refresh"}));
    EXPECT_NE(readIni("INFO", "lastupdate", "Never"), QStringLiteral("Never"));
}

TEST_F(BlockListUpdateTest, ARunWhileAnotherHoldsTheDatabaseEndsAtOnce)
{
    setAllLists();
    ui.busy = true;
    const BlockListRunOutcome outcome = run();
    EXPECT_FALSE(outcome.started);
    EXPECT_EQ(ui.calls, QStringList({"begin"}));
    EXPECT_EQ(requests(0), 0);
    EXPECT_EQ(readIni("INFO", "lastupdate", "Never"), QStringLiteral("Never"));
}

TEST_F(BlockListUpdateTest, ADatabaseThatCannotOpenReleasesTheBusyFlag)
{
    DBPath = dir.path(); // a folder is no database
    const BlockListRunOutcome outcome = run();
    EXPECT_TRUE(outcome.failed);
    EXPECT_EQ(ui.calls, QStringList({"begin", "abandon"}));
    EXPECT_EQ(readIni("INFO", "lastupdate", "Never"), QStringLiteral("Never"));
    // The user sees why.
    const QString why =
        "The database \"" + DBPath + "\" could not be written: unable to open database file";
    ASSERT_EQ(fake.shownBoxes.size(), 1);
    EXPECT_EQ(fake.shownBoxes[0].title, QStringLiteral("Unsuccessful"));
    EXPECT_EQ(fake.shownBoxes[0].text, why);
    EXPECT_EQ(fake.shownBoxes[0].details, why);
}

// The update's box tells the failure, the damage notice comes once in a box
// of its own.
TEST_F(BlockListUpdateTest, ADatabaseThatBecameNoDatabaseIsToldWithTheDamageNoticeOnce)
{
    setAllLists();
    QFile file(DBPath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QByteArray(4096, 'x'));
    file.close();
    const QString why = "The database \"" + DBPath +
                        "\" could not be read: File opened that is not a database file";
    for (int runs = 0; runs < 2; ++runs)
        EXPECT_EQ(runAndTell(), toldOfListOne(why));
    QCoreApplication::processEvents(); // the notice is shown from the window thread
    const QStringList notices = takeBoxes();
    ASSERT_EQ(notices.size(), 1) << notices.join(u'\n').toStdString();
    EXPECT_TRUE(notices[0].startsWith("Solvek Anti-Bot|The database \"" + DBPath +
                                      "\" is damaged. It will be set aside the next time"))
        << notices[0].toStdString();
}

// A database that cannot be written is told as such, not as an unreachable
// internet: a full disk, and a folder that lets nobody add the journal.
TEST_F(BlockListUpdateTest, AFullDiskDuringTheMergeIsToldAsAFullDisk)
{
    setAllLists();
    setList(0, numberedList(100000)); // megabytes of rows
    const QString folder = dir.filePath(QStringLiteral("small"));
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString path = folder + QStringLiteral("/solvekdat.db");
    const QString told = runOnSmallDisk(folder, 256 * 1024, [&] {
        DBPath = path;
        return runAndTell();
    });
    if (told == QLatin1String(NoSmallDisk))
        GTEST_SKIP() << NoSmallDisk;
    EXPECT_EQ(told, toldOfListOne("The database \"" + path +
                                  "\" could not be written: the disk is full"));
}

TEST_F(BlockListUpdateTest, ADatabaseInAReadOnlyFolderIsToldAsSuch)
{
    setAllLists();
    const QString folder = dir.filePath(QStringLiteral("data"));
    ASSERT_TRUE(QDir().mkdir(folder));
    DBPath = folder + QStringLiteral("/solvekdat.db");
    createDB();
    // The child, another user when the test runs as root, reads the settings
    // and the certificate and may write the file, but not its folder.
    const QString certificate = dir.filePath(QStringLiteral("certificate.pem"));
    ASSERT_TRUE(QFile::copy(testCertificate().certificateFile, certificate));
    qputenv("SSL_CERT_FILE", certificate.toUtf8());
    constexpr auto readable = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    constexpr auto enterable = QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
    for (const QString& file : {certificate, settingsFilePath()})
        ASSERT_TRUE(QFile::setPermissions(file, readable));
    ASSERT_TRUE(QFile::setPermissions(DBPath, readable | QFile::WriteOwner | QFile::WriteGroup |
                                                  QFile::WriteOther));
    ASSERT_TRUE(QFile::setPermissions(dir.path(), readable | enterable | QFile::WriteOwner));
    ASSERT_TRUE(QFile::setPermissions(folder, readable | enterable));
    const auto writableAgain = qScopeGuard(
        [&] { QFile::setPermissions(folder, readable | enterable | QFile::WriteOwner); });

    EXPECT_EQ(runUnprivileged([&] { return runAndTell(); }),
              toldOfListOne("The database \"" + DBPath +
                            "\" could not be written: Attempt to write a readonly database"));
}

// A merge that meets damaged pages says so even while the window is hidden,
// where other failures are silent: once, whatever the later runs meet.
TEST_F(BlockListUpdateTest, ADamagedDatabaseIsToldOnceAlsoWhileHidden)
{
    setAllLists();
    addHosts(DBPath, "5", numbered("host%1.example", 20000), "N");
    ASSERT_NO_FATAL_FAILURE(damageLeaves("hosts", 1));
    ui.visible = false;

    for (int runs = 0; runs < 2; ++runs) {
        const BlockListRunOutcome outcome = run();
        EXPECT_TRUE(outcome.failed);
        EXPECT_EQ(outcome.failure, "list 1: The database \"" + DBPath +
                                       "\" could not be written: The database disk image is "
                                       "malformed");
    }
    ASSERT_TRUE(waitUntil([&] {
        QMutexLocker lock(&fake.mutex);
        return !fake.shownBoxes.isEmpty();
    }));
    QCoreApplication::processEvents(); // a second notice would be shown by now
    EXPECT_EQ(takeBoxes(),
              QStringList{"Solvek Anti-Bot|The database \"" + DBPath +
                          "\" is damaged. It will be set aside the next time Solvek Anti-Bot "
                          "starts, and a new one made that keeps what can still be read of your "
                          "own categories and the probe log. To do it now, exit the program and "
                          "start it again.|10"});
}

TEST_F(BlockListUpdateTest, ALargeListChangedByOneLineIsMergedAgainWhole)
{
    // Deleting this many rows overflows the page cache; the merge must still
    // end as one step on its own connection.
    constexpr int Hosts = 100000;
    setAllLists();
    QByteArray list = numberedList(Hosts);
    setList(0, list);
    ASSERT_FALSE(run().failed);
    ASSERT_EQ(hosts("1").size(), Hosts);

    list.replace("\nh500.example\n", "\nchanged.example\n");
    setList(0, list);
    ui.calls.clear();
    // Other connections (windows, probe records) still read during the merge.
    int readsDuringMerge = 0;
    ui.onStep = [&] {
        TSQLiteDatabase reader(DBPath);
        EXPECT_EQ(reader.GetTableValue(QStringLiteral("SELECT COUNT(*) FROM categories;")), 4);
        ++readsDuringMerge;
    };
    const BlockListRunOutcome outcome = run();
    EXPECT_GT(readsDuringMerge, 0);
    EXPECT_FALSE(outcome.failed) << outcome.failure.toStdString();
    EXPECT_EQ(outcome.merged, QStringList({"1"}));
    const QStringList merged = hosts("1");
    EXPECT_EQ(merged.size(), Hosts);
    EXPECT_TRUE(merged.contains(QStringLiteral("changed.example")));
    EXPECT_FALSE(merged.contains(QStringLiteral("h500.example")));
    EXPECT_EQ(digest(1), md5(list));
    EXPECT_TRUE(ui.calls.contains(QStringLiteral("updating Zeus Bot %1").arg(Hosts)));
    EXPECT_TRUE(fake.shownBoxes.isEmpty());
}

TEST_F(BlockListUpdateTest, AMergeThatFailsHalfwayLeavesTheOldRowsAndDigestAndIsTriedAgain)
{
    setAllLists();
    const QByteArray oldList = numberedList(1000);
    setList(0, oldList);
    ASSERT_FALSE(run().failed);

    // The database refuses one host in the middle of the new list.
    execSQL(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON hosts WHEN NEW.host = "
                           "'poison.example' BEGIN SELECT RAISE(ABORT, 'refused'); END;"));
    QByteArray newList = numberedList(100000);
    newList.replace("\nh50000.example\n", "\npoison.example\n");
    setList(0, newList);
    ui.calls.clear();
    const BlockListRunOutcome failed = run();
    EXPECT_TRUE(failed.failed);
    EXPECT_TRUE(failed.merged.isEmpty());
    EXPECT_EQ(hosts("1"), numbered(QStringLiteral("h%1.example"), 1000));
    EXPECT_EQ(digest(1), md5(oldList));
    EXPECT_EQ(requests(1), 1); // the loop ended at the failure
    EXPECT_TRUE(ui.calls.contains(QStringLiteral("reset")));
    EXPECT_TRUE(ui.calls.contains(QStringLiteral("refresh")));

    execSQL(QStringLiteral("DROP TRIGGER refuse;"));
    const BlockListRunOutcome retried = run();
    EXPECT_FALSE(retried.failed) << retried.failure.toStdString();
    EXPECT_EQ(retried.merged, QStringList({"1"}));
    EXPECT_EQ(hosts("1").size(), 100000);
    EXPECT_EQ(digest(1), md5(newList));
}

TEST_F(BlockListUpdateTest, HostileLinesReachNeitherTheDatabaseNorTheHostsFile)
{
    setAllLists();
    QByteArray list = "good1.com\r";                  // CR-only line ends
    list += "x.com\"); DELETE FROM hosts; --\r";      // several words
    list += "0.0.0.0 zero.com\r";                     // another address
    list += "quo\"te.com\r";                          // a quote
    list += "\" OR \"1\"=\"1\r";                      // SQL
    list += "127.0.0.1 a.com b.com\r";                // two hosts on one line
    list += QByteArray(10 * 1024 * 1024, 'a') + "\r"; // a 10 MB line
    list += QByteArray("bin\0ary.com\r", 12);         // a NUL byte
    list += "\x01\x02\x03\r";                         // control bytes: a blank line
    list += "bytes\xFF\xFE\xC0.com\r";                // bytes that are no text
    list += "# comment\r\r";                          // neither host nor skipped
    list += "127.0.0.1 good2.com\r";
    setList(0, list);

    const BlockListRunOutcome outcome = run();
    EXPECT_FALSE(outcome.failed) << outcome.failure.toStdString();
    EXPECT_EQ(outcome.skippedLines, 8);
    EXPECT_EQ(hosts("1"), QStringList({"good1.com", "good2.com"}));
    EXPECT_EQ(hosts("2"), QStringList({"p1.com", "p2.com"})); // the table is whole

    writeHostsFile("10.0.0.1 nas\r\n");
    class QuietUi : public HostsRefreshUi {
        void begin(qint64) override {}
        void step(qint64, qint64) override {}
        void end() override {}
        bool windowVisible() override { return false; }
        void showBalloon(const QString&, const QString&) override {}
    } quiet;
    refreshHostsFile(DBPath, quiet);
    const QByteArray file = hostsFileBytes();
    EXPECT_TRUE(file.startsWith("10.0.0.1 nas\r\n127.0.0.1 good1.com\r\n127.0.0.1 good2.com\r\n"))
        << file.left(200).constData();
    for (const char* word : {"DELETE", "FROM", "zero.com", "0.0.0.0", "b.com", "\"", "ary.com"})
        EXPECT_FALSE(file.contains(word)) << word;
}

TEST_F(BlockListUpdateTest, DownloadsThroughTinyproxy)
{
    TinyProxy proxy;
    ASSERT_TRUE(proxy.started()) << "tinyproxy did not start";
    setAllLists();
    ui.proxy.use = true;
    ui.proxy.host = QStringLiteral("127.0.0.1");
    ui.proxy.port = proxy.port();
    const BlockListRunOutcome outcome = run();
    EXPECT_FALSE(outcome.failed) << outcome.failure.toStdString();
    EXPECT_EQ(outcome.merged.size(), 4);
    EXPECT_EQ(proxy.log().count(QStringLiteral("): CONNECT 127.0.0.1:")), 4)
        << proxy.log().toStdString();
}

TEST_F(BlockListUpdateTest, AProxyWithAnEmptyUserGetsNoCredentials)
{
    RecordingProxy proxy;
    setAllLists();
    ui.proxy.use = true;
    ui.proxy.host = QStringLiteral("127.0.0.1");
    ui.proxy.port = proxy.port();
    ui.proxy.user = QString();
    ui.proxy.password = QStringLiteral("typed but unused");
    EXPECT_TRUE(run().failed); // the recorder refuses
    ASSERT_EQ(proxy.requestHeads().size(), 1);
    EXPECT_FALSE(proxy.requestHeads().first().contains(QStringLiteral("Proxy-Authorization"),
                                                       Qt::CaseInsensitive));
}

TEST_F(BlockListUpdateTest, AWriterStoppedMidwayWhileTheListIsStillReadRollsBack)
{
    setAllLists();
    const QByteArray oldList = numberedList(1000);
    setList(0, oldList);
    ASSERT_FALSE(run().failed);

    // The window side fails at the third progress step, while the list is
    // still being read ahead of the inserts.
    const QByteArray newList = numberedList(200000);
    setList(0, newList);
    int stepsSeen = 0;
    ui.onStep = [&] {
        if (++stepsSeen == 3)
            throw solvek::Exception(QStringLiteral("the window went away"));
    };
    const BlockListRunOutcome failed = run();
    EXPECT_TRUE(failed.failed);
    EXPECT_TRUE(failed.failure.startsWith(QStringLiteral("list 1: ")))
        << failed.failure.toStdString();
    EXPECT_TRUE(failed.failure.contains(QStringLiteral("the window went away")));
    EXPECT_EQ(hosts("1"), numbered(QStringLiteral("h%1.example"), 1000));
    EXPECT_EQ(digest(1), md5(oldList));
    EXPECT_TRUE(ui.calls.contains(QStringLiteral("reset")));

    ui.onStep = nullptr;
    const BlockListRunOutcome retried = run();
    EXPECT_FALSE(retried.failed) << retried.failure.toStdString();
    EXPECT_EQ(hosts("1"), numbered(QStringLiteral("h%1.example"), 200000));
    EXPECT_EQ(digest(1), md5(newList));
}
