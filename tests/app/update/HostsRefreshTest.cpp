#include "HostsFile.h"
#include "UntUpdateHosts.h"

#include "AppTestSupport.h"
#include "Parallel.h"
#include "SystemText.h"

#include <QMutex>
#include <QMutexLocker>
#include <QSet>
#include <atomic>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>

namespace {

// Records the window steps of one refresh.
class RecordingRefreshUi : public HostsRefreshUi {
public:
    void begin(qint64 rows) override
    {
        QMutexLocker lock(&mutex);
        calls << QStringLiteral("begin %1").arg(rows);
    }
    void step(qint64 row, qint64 rows) override
    {
        QMutexLocker lock(&mutex);
        steps << row;
        EXPECT_LT(row, rows);
    }
    void end() override
    {
        QMutexLocker lock(&mutex);
        calls << QStringLiteral("end");
    }
    bool windowVisible() override { return visible; }
    void showBalloon(const QString& title, const QString& text) override
    {
        QMutexLocker lock(&mutex);
        calls << QStringLiteral("balloon %1|%2").arg(title, text);
    }

    bool visible = false;
    QStringList calls;
    QList<qint64> steps;
    QMutex mutex;
};

class HostsRefreshTest : public UpdateFolderTest {
protected:
    void TearDown() override
    {
        hostsfile_testing::afterHalfWritten = nullptr;
        parallel_testing::beforeThreadStart = nullptr;
    }

    HostsRefreshOutcome refresh() { return refreshHostsFile(DBPath, ui); }

    // What a refresh appends for the hosts in the order given, worked out
    // plainly: a block line for each host that is neither blank nor holds a
    // line end, once per host ignoring case and surrounding blanks, unless
    // `present` (lower case) holds it already. Each line ends with `lineEnd`.
    static QByteArray expectedLines(const QStringList& hosts, QSet<QString> present,
                                    const QByteArray& lineEnd, qint64& count)
    {
        QByteArray lines;
        count = 0;
        for (const QString& host : hosts) {
            const QString key = host.trimmed().toLower();
            if (key.isEmpty() || host.contains(u'\n') || present.contains(key))
                continue;
            present.insert(key);
            lines += "127.0.0.1 " + systemtext::encode(host) + lineEnd;
            ++count;
        }
        return lines;
    }

    RecordingRefreshUi ui;
};

} // namespace

TEST_F(HostsRefreshTest, AppendsOneLinePerHostAndKeepsTheUsersLines)
{
    const QByteArray user = "# the user's own\r\n\r\n10.0.0.2  nas # backup\r\n  \r\n"
                            "127.0.0.1 known.com\r\n";
    writeHostsFile(user);
    addHost("1", "a.com", "Y");
    addHost("2", "known.com", "Y");
    addHost("1", "b.com", "N");
    addHost("4", "a.com", "Y"); // a host in two categories gets one line
    addHost("3", "KNOWN.com", "Y");

    const HostsRefreshOutcome outcome = refresh();

    EXPECT_EQ(hostsFileBytes(), QByteArray("# the user's own\r\n10.0.0.2  nas # backup\r\n"
                                           "127.0.0.1 known.com\r\n"
                                           "127.0.0.1 a.com\r\n127.0.0.1 b.com\r\n"));
    EXPECT_TRUE(hostsFileIsReadOnly());
    EXPECT_EQ(outcome.linesAdded, 2);
    EXPECT_TRUE(outcome.fileWritten);
    EXPECT_EQ(ui.calls, QStringList({"begin 5", "end"}));
    EXPECT_EQ(fake.resolverFlushes, 2); // after the read and after the write
    EXPECT_TRUE(fake.shownBoxes.isEmpty());
}

TEST_F(HostsRefreshTest, AFileThatWouldNotChangeIsNotWrittenAgain)
{
    addHost("1", "A.COM", "Y");
    for (const QByteArray& asWritten : {QByteArray("10.0.0.1 nas\r\n127.0.0.1 a.com\r\n"),
                                        QByteArray("10.0.0.1 nas\n127.0.0.1 a.com\n")}) {
        writeHostsFile(asWritten);
        fake.resolverFlushes = 0;
        struct stat before {};
        ASSERT_EQ(::stat(QFile::encodeName(fake.hostsFilePath).constData(), &before), 0);

        const HostsRefreshOutcome outcome = refresh();
        EXPECT_TRUE(outcome.fileWritten);
        struct stat after {};
        ASSERT_EQ(::stat(QFile::encodeName(fake.hostsFilePath).constData(), &after), 0);
        // A write renames a new file over the old one.
        EXPECT_EQ(after.st_ino, before.st_ino) << asWritten.constData();
        EXPECT_EQ(hostsFileBytes(), asWritten);
        EXPECT_TRUE(hostsFileIsReadOnly());
        EXPECT_EQ(fake.resolverFlushes, 2);
    }

    // Line ends, blank lines or a byte-order mark to mend: written again,
    // every line ended as the first one is.
    const QByteArray crLf = "10.0.0.1 nas\r\n127.0.0.1 A.COM\r\n";
    const QByteArray lf = "10.0.0.1 nas\n127.0.0.1 A.COM\n";
    const std::pair<QByteArray, QByteArray> mended[] = {
        {"10.0.0.1 nas\r\n\r\n", crLf},
        {"10.0.0.1 nas\n\r\n", lf},
        {"10.0.0.1 nas\r\n10.0.0.2 nas2\n", "10.0.0.1 nas\r\n10.0.0.2 nas2\r\n127.0.0.1 A.COM\r\n"},
        {"10.0.0.1 nas\n10.0.0.2 nas2\r\n", "10.0.0.1 nas\n10.0.0.2 nas2\n127.0.0.1 A.COM\n"},
        {"10.0.0.1 nas\r10.0.0.2 nas2\r\n", "10.0.0.1 nas\n10.0.0.2 nas2\n127.0.0.1 A.COM\n"},
        {"\xEF\xBB\xBF"
         "10.0.0.1 nas\r\n",
         crLf},
        {"\xEF\xBB\xBF" + crLf, crLf}, // nothing to add, the mark still goes
        {QByteArray("\xFF\xFE"
                    "a\0\n\0",
                    6),
         "a\n127.0.0.1 A.COM\n"},
    };
    for (const auto& [before, after] : mended) {
        writeHostsFile(before);
        refresh();
        EXPECT_EQ(hostsFileBytes(), after) << before.constData();
    }
}

TEST_F(HostsRefreshTest, BadComIsBlockedNextToNotbadCom)
{
    writeHostsFile("127.0.0.1 notbad.com\r\n# bad.org is listed in this comment\r\n");
    addHost("1", "notbad.com", "Y");
    addHost("1", "bad.com", "Y");
    addHost("1", "bad.org", "Y");
    refresh();
    EXPECT_EQ(hostsFileBytes(),
              QByteArray("127.0.0.1 notbad.com\r\n# bad.org is listed in this comment\r\n"
                         "127.0.0.1 bad.com\r\n127.0.0.1 bad.org\r\n"));
}

TEST_F(HostsRefreshTest, ASecondRefreshAddsNothing)
{
    writeHostsFile("last line without an end");
    addHost("1", "a.com", "Y");
    addHost("2", "0.0.0.0 b.com", "Y");
    addHost("3", " #word", "Y");
    refresh();
    const QByteArray once = hostsFileBytes();
    EXPECT_EQ(once, QByteArray("last line without an end\n127.0.0.1 a.com\n"
                               "127.0.0.1 0.0.0.0 b.com\n127.0.0.1  #word\n"));
    EXPECT_EQ(refresh().linesAdded, 0);
    EXPECT_EQ(hostsFileBytes(), once);
}

TEST_F(HostsRefreshTest, AnEmptyTableShowsNoProgressButStillRewritesTheFile)
{
    writeHostsFile("a\r\n\r\n   \r\nb");
    refresh();
    EXPECT_EQ(hostsFileBytes(), QByteArray("a\r\nb\r\n"));
    EXPECT_EQ(ui.calls, QStringList({"end"}));
    EXPECT_TRUE(ui.steps.isEmpty());
    EXPECT_TRUE(hostsFileIsReadOnly());
    EXPECT_EQ(fake.resolverFlushes, 2);
}

TEST_F(HostsRefreshTest, HostsThatWouldBreakTheFileAreLeftOut)
{
    writeHostsFile("");
    addHost("1", "ok.com", "N");
    addHost("1", "two\r\nlines.com", "N");
    addHost("1", QStringLiteral("bell\a.com"), "N");
    addHost("1", "   ", "N");
    refresh();
    EXPECT_EQ(hostsFileBytes(), QByteArray("127.0.0.1 ok.com\n"));
}

TEST_F(HostsRefreshTest, ProgressStepsFollowTheShownPercentage)
{
    writeHostsFile("");
    addHosts(DBPath, "1", numbered("h%1.com", 5000), "Y");

    refresh();
    EXPECT_EQ(ui.calls.first(), QStringLiteral("begin 5000"));
    ASSERT_EQ(ui.steps.size(), 100);
    EXPECT_EQ(ui.steps.first(), 0);
    EXPECT_EQ(ui.steps.last(), 4950);
    EXPECT_EQ(hostsFileBytes().count("\n"), 5000);
}

TEST_F(HostsRefreshTest, ManyHostsGetExactlyTheLinesTheFileLacksInQueryOrder)
{
    // Present and missing hosts alternate across several batches of rows,
    // with repeats and hosts that cannot be written among them.
    QByteArray file = "# the user's own\r\n";
    QStringList names;
    QByteArray expected;
    QSet<QString> blocked;
    for (int i = 0; i < 10000; ++i) {
        const QString host = QStringLiteral("host%1.example.com").arg(i);
        names << host;
        if (i % 3 == 0) {
            file += "127.0.0.1 " + host.toUpper().toUtf8() + "\r\n";
            blocked << host;
        }
        if (i % 7 == 0)
            names << QStringLiteral("bad\n%1.com").arg(i);
        if (i % 11 == 0)
            names << QStringLiteral("HOST%1.example.com").arg(i / 2);
    }
    for (const QString& name : names) {
        const QString key = name.toLower();
        if (name.contains(u'\n') || blocked.contains(key))
            continue;
        blocked << key;
        expected += "127.0.0.1 " + name.toUtf8() + "\r\n";
    }
    writeHostsFile(file);
    addHosts(DBPath, "1", names, "Y");

    const HostsRefreshOutcome outcome = refresh();
    EXPECT_EQ(hostsFileBytes(), file + expected);
    EXPECT_EQ(outcome.linesAdded, expected.count("\r\n"));
    EXPECT_EQ(refresh().linesAdded, 0);
}

TEST_F(HostsRefreshTest, HostsBeyondAsciiCompareAsTheirCharacters)
{
    writeHostsFile("127.0.0.1 \xE2\x84\xAA.com\r\n127.0.0.1 \xC3\x84rger.de\r\n");
    addHost("1", "k.com", "N"); // the Kelvin sign folds to "k"
    addHost("1", "K.COM", "N");
    addHost("1", QString::fromUtf8("\xC3\xA4RGER.DE"), "N");
    addHost("1", QString::fromUtf8("\xC3\xA9t\xC3\xA9.com"), "N");
    addHost("1", QString::fromUtf8("\xC3\x89T\xC3\x89.com"), "N");
    addHost("1", QString::fromUtf16(u"a.com\u0000hidden.com", 16), "N"); // read up to the NUL
    refresh();
    EXPECT_EQ(hostsFileBytes(),
              QByteArray("127.0.0.1 \xE2\x84\xAA.com\r\n127.0.0.1 \xC3\x84rger.de\r\n"
                         "127.0.0.1 \xC3\xA9t\xC3\xA9.com\r\n127.0.0.1 a.com\r\n"));
}

TEST_F(HostsRefreshTest, AnOlderUtf16DatabaseGivesTheSameLines)
{
    makeUtf16Database();
    writeHostsFile("127.0.0.1 known.com\r\n");
    addHost("1", "known.com", "Y");
    addHost("1", QString::fromUtf8("caf\xC3\xA9.com"), "Y");
    addHost("2", "plain.com", "N");
    addHost("2", QStringLiteral("bell\a.com"), "N");
    refresh();
    EXPECT_EQ(hostsFileBytes(), QByteArray("127.0.0.1 known.com\r\n127.0.0.1 caf\xC3\xA9.com\r\n"
                                           "127.0.0.1 plain.com\r\n"));
}

TEST_F(HostsRefreshTest, AnUnreadableFileIsToldAndNothingIsWritten)
{
    ui.visible = true;
    addHost("1", "a.com", "Y");
    const HostsRefreshOutcome outcome = refresh();

    EXPECT_FALSE(outcome.fileRead);
    EXPECT_EQ(hostsFileBytes(), QByteArray("<missing>"));
    // The end step still runs, so Update is enabled again for a later try.
    EXPECT_EQ(ui.calls, QStringList({"end"}));
    ASSERT_EQ(fake.shownBoxes.size(), 1);
    EXPECT_EQ(fake.shownBoxes[0].title, QStringLiteral("Hosts file"));
    EXPECT_TRUE(fake.shownBoxes[0].text.contains(fake.hostsFilePath));
    EXPECT_EQ(fake.shownBoxes[0].flags, platform::MB_OK | platform::MB_ICONERROR);
}

TEST_F(HostsRefreshTest, AFailedWriteIsToldOnceInABalloonWhileHidden)
{
    const QByteArray user = "10.0.0.1 nas\r\n";
    writeHostsFile(user);
    addHost("1", "a.com", "Y");
    hostsfile_testing::afterHalfWritten = [] {
        throw EHostsFileError(QStringLiteral("Could not write the hosts file \"x\": No space."));
    };

    const HostsRefreshOutcome outcome = refresh();

    EXPECT_FALSE(outcome.fileWritten);
    EXPECT_EQ(hostsFileBytes(), user);
    EXPECT_TRUE(fake.shownBoxes.isEmpty());
    EXPECT_EQ(ui.calls, QStringList({"begin 1", "end",
                                     "balloon Hosts file|Could not write the hosts file \"x\": "
                                     "No space."}));
}

TEST_F(HostsRefreshTest, ADatabaseFailureStillWritesTheFileAndIsTold)
{
    writeHostsFile("a\r\n\r\nb\r\n");
    execSQL(QStringLiteral("DROP TABLE hosts;"));
    testing::internal::CaptureStderr();
    const HostsRefreshOutcome outcome = refresh();
    const std::string told = testing::internal::GetCapturedStderr();
    // The sentence the user reads, not the statement.
    const QString failure =
        "The database \"" + DBPath + "\" could not be read: SQL error or missing database";
    EXPECT_EQ(outcome.databaseFailure, failure);
    EXPECT_TRUE(outcome.fileWritten);
    EXPECT_EQ(hostsFileBytes(), QByteArray("a\r\nb\r\n"));
    // The window is hidden: a balloon, after the end step.
    EXPECT_EQ(ui.calls, QStringList({"end", "balloon Hosts file|" + failure}));
    EXPECT_TRUE(fake.shownBoxes.isEmpty());
    EXPECT_EQ(told, "Solvek Anti-Bot: Hosts refresh failed: " + failure.toStdString() + "\n");
}

// Later pages of the table hold junk where their rows were; the pages'
// headers are whole, so the rows are counted and read up to the damage.
TEST_F(HostsRefreshTest, ADatabaseDamagedPartwayGivesTheHostsBeforeTheDamageAndIsTold)
{
    const QStringList names = numbered(QStringLiteral("host%1.example"), 60000);
    addHosts(DBPath, QStringLiteral("1"), names, QStringLiteral("Y"));
    const QStringList leaves = column(QStringLiteral(
        "SELECT pageno FROM dbstat WHERE name = 'hosts' AND pagetype = 'leaf' ORDER BY path;"));
    const QStringList cells = column(QStringLiteral(
        "SELECT ncell FROM dbstat WHERE name = 'hosts' AND pagetype = 'leaf' ORDER BY path;"));
    const qint64 pageBytes = column(QStringLiteral("PRAGMA page_size;")).value(0).toLongLong();
    ASSERT_GT(leaves.size(), 100);
    ASSERT_EQ(cells.size(), leaves.size());
    const qsizetype firstDamaged = leaves.size() * 3 / 4;
    qint64 rowsBefore = 0;
    for (qsizetype leaf = 0; leaf < firstDamaged; ++leaf)
        rowsBefore += cells[leaf].toLongLong();
    {
        QFile file(DBPath);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        for (qsizetype leaf = firstDamaged; leaf < firstDamaged + 3; ++leaf) {
            // Past the leaf's header (8 bytes) and its cell pointers (2 bytes a cell).
            const qint64 kept = 8 + 2 * cells[leaf].toLongLong();
            ASSERT_TRUE(file.seek((leaves[leaf].toLongLong() - 1) * pageBytes + kept));
            ASSERT_EQ(file.write(QByteArray(pageBytes - kept, '\xFF')), pageBytes - kept);
        }
    }
    const QByteArray user = "10.0.0.1 nas\r\n";
    writeHostsFile(user);
    ui.visible = true;

    const HostsRefreshOutcome outcome = refresh();

    const QString failure =
        "The database \"" + DBPath + "\" could not be read: The database disk image is malformed";
    EXPECT_EQ(outcome.databaseFailure, failure);
    qint64 count = 0;
    EXPECT_EQ(hostsFileBytes(), user + expectedLines(names.mid(0, rowsBefore),
                                                     {QStringLiteral("nas")}, "\r\n", count));
    EXPECT_EQ(outcome.linesAdded, rowsBefore);
    EXPECT_EQ(ui.calls, QStringList({"begin 60000", "end"}));
    ASSERT_EQ(fake.shownBoxes.size(), 1);
    EXPECT_EQ(fake.shownBoxes[0].title, QStringLiteral("Hosts file"));
    EXPECT_EQ(fake.shownBoxes[0].text, failure);
    EXPECT_EQ(fake.shownBoxes[0].flags, platform::MB_OK | platform::MB_ICONERROR);
    // Then, in a box of its own, what becomes of the damaged file.
    ASSERT_TRUE(waitUntil([&] {
        QMutexLocker lock(&fake.mutex);
        return fake.shownBoxes.size() == 2;
    }));
    EXPECT_TRUE(fake.shownBoxes[1].text.startsWith("The database \"" + DBPath +
                                                   "\" is damaged. It will be set aside"))
        << fake.shownBoxes[1].text.toStdString();
}

// Each thread of the refresh in turn cannot start: the database's reader,
// its parts' connections, the lookup pool. Whichever it is, the refresh ends,
// tells why and leaves the file as it was.
TEST_F(HostsRefreshTest, AThreadThatCannotStartEndsTheRefreshAndIsTold)
{
    static std::atomic<int> starts = 0;
    static std::atomic<int> failingStart = 0; // none
    parallel_testing::beforeThreadStart = [] {
        if (++starts == failingStart)
            throw std::system_error(
                std::make_error_code(std::errc::resource_unavailable_try_again));
    };
    // Rows for a part of the table on each worker, so the reader starts threads too.
    const QStringList names = numbered(QStringLiteral("host%1.example"), 70000);
    addHosts(DBPath, QStringLiteral("1"), names, QStringLiteral("Y"));
    const QByteArray user = "10.0.0.1 nas\r\n";
    writeHostsFile(user);

    starts = 0;
    refresh();
    const int all = starts;
    ASSERT_GE(all, 2);
    for (int failing = 1; failing <= all; ++failing) {
        writeHostsFile(user);
        RecordingRefreshUi hidden;
        starts = 0;
        failingStart = failing;
        const HostsRefreshOutcome outcome = refreshHostsFile(DBPath, hidden);
        failingStart = 0;
        EXPECT_EQ(hostsFileBytes(), user) << failing;
        ASSERT_EQ(outcome.failures().size(), 1) << failing;
        EXPECT_TRUE(outcome.failures()[0].endsWith(": Resource temporarily unavailable"))
            << outcome.failures()[0].toStdString();
        EXPECT_EQ(hidden.calls.mid(hidden.calls.size() - 2),
                  QStringList({"end", "balloon Hosts file|" + outcome.failures()[0]}))
            << failing;
    }
    parallel_testing::beforeThreadStart = nullptr;

    // Nothing is left holding the file or the database.
    writeHostsFile(user);
    EXPECT_EQ(refresh().linesAdded, names.size());
}

TEST_F(HostsRefreshTest, OverlappingRefreshesAndCleaningLoseNoLines)
{
    writeHostsFile("10.0.0.1 nas\r\n127.0.0.1 gone.com\r\n");
    // A second database, as a second writer of the same file.
    const QString otherDb = dir.filePath(QStringLiteral("other.db"));
    const QString ownDb = DBPath;
    DBPath = otherDb;
    createDB();
    DBPath = ownDb;
    addHosts(otherDb, "1", numbered("other%1.com", 300), "Y");
    addHosts(ownDb, "1", numbered("own%1.com", 300), "Y");

    RecordingRefreshUi otherUi;
    std::thread first([&] { refreshHostsFile(ownDb, ui); });
    std::thread second([&] { refreshHostsFile(otherDb, otherUi); });
    std::thread cleaner([] { cleanFromHosts(QStringLiteral("gone.com")); });
    first.join();
    second.join();
    cleaner.join();

    const QString text = QString::fromUtf8(hostsFileBytes());
    EXPECT_TRUE(text.startsWith(QStringLiteral("10.0.0.1 nas\r\n")));
    EXPECT_FALSE(text.contains(QStringLiteral("gone.com")));
    for (int i = 0; i < 300; ++i) {
        ASSERT_TRUE(hostInText(QStringLiteral("own%1.com").arg(i), text)) << i;
        ASSERT_TRUE(hostInText(QStringLiteral("other%1.com").arg(i), text)) << i;
    }
}

// A table this large is read in parts on several connections and its hosts
// looked up on several threads; what the refresh writes stays as a plain
// reading of the table in its order gives it.
TEST_F(HostsRefreshTest, ALargeTableGivesEachHostOnceInTheTablesOrder)
{
    const QStringList first = numbered(QStringLiteral("host%1.example"), 30000);
    QStringList second; // every other one the first list's, in capitals
    for (int i = 0; i < 20000; ++i)
        second << (i % 2 ? QStringLiteral("second%1.example").arg(i)
                         : QStringLiteral("HOST%1.EXAMPLE").arg(i * 3 / 2));
    QStringList third; // now and then the second list's, and a few odd ones
    for (int i = 0; i < 20000; ++i)
        third << (i % 5 == 0 ? QStringLiteral("Second%1.Example").arg(i | 1)
                             : QStringLiteral("third%1.example").arg(i));
    third[7] = QStringLiteral("bad\nhost.example");
    third[8] = QStringLiteral("   ");
    third[9] = QString::fromUtf8("caf\xC3\xA9.example");
    third[10] = QStringLiteral(" Spaced.example ");
    third[11] = QStringLiteral("spaced.EXAMPLE");
    const QStringList fourth = numbered(QStringLiteral("fresh%1.example"), 10000);
    addHosts(DBPath, QStringLiteral("1"), first, QStringLiteral("Y"));
    addHosts(DBPath, QStringLiteral("2"), second, QStringLiteral("Y"));
    addHosts(DBPath, QStringLiteral("3"), third, QStringLiteral("N"));
    addHosts(DBPath, QStringLiteral("4"), fourth, QStringLiteral("Y"));
    // The file blocks every seventh host of the first list already, and one
    // of the last list.
    QByteArray user = "10.0.0.1 nas\r\n127.0.0.1 fresh5000.example\r\n";
    QSet<QString> present{QStringLiteral("nas"), QStringLiteral("fresh5000.example")};
    for (int i = 0; i < 30000; i += 7) {
        user += "127.0.0.1 host" + QByteArray::number(i) + ".example\r\n";
        present << QStringLiteral("host%1.example").arg(i);
    }
    writeHostsFile(user);

    const HostsRefreshOutcome outcome = refresh();

    qint64 count = 0;
    const QByteArray expected =
        expectedLines(first + second + third + fourth, present, "\r\n", count);
    EXPECT_EQ(hostsFileBytes(), user + expected);
    EXPECT_EQ(outcome.linesAdded, count);
    EXPECT_TRUE(outcome.databaseFailure.isEmpty());
    EXPECT_EQ(ui.calls, QStringList({"begin 80000", "end"}));
    EXPECT_EQ(ui.steps.size(), 100);   // each percent once
    EXPECT_EQ(ui.steps.last(), 79200); // 99 percent

    // Again: every host is blocked now.
    EXPECT_EQ(refresh().linesAdded, 0);
    EXPECT_EQ(hostsFileBytes(), user + expected);
}

TEST_F(HostsRefreshTest, ALargeTableKeepsTheOrderOfItsScanWithGapsOrAnIndex)
{
    // Inserted from the last name to the first, so an index on the names
    // orders them the other way round.
    QStringList names = numbered(QStringLiteral("n%1.example"), 90000);
    std::reverse(names.begin(), names.end());
    addHosts(DBPath, QStringLiteral("1"), names, QStringLiteral("Y"));
    // A gap in the rowids: parts of equal width hold unequal rows.
    exec(QStringLiteral("DELETE FROM hosts WHERE rowid BETWEEN 5000 AND 35000;"));
    const QStringList scanned = column(QStringLiteral("SELECT host FROM hosts;"));
    ASSERT_EQ(scanned.size(), 90000 - 30001);
    writeHostsFile("");
    refresh();
    qint64 count = 0;
    EXPECT_EQ(hostsFileBytes(), expectedLines(scanned, {}, "\n", count)); // a new file: LF

    exec(QStringLiteral("CREATE INDEX hostnames ON hosts(host);"));
    const QStringList indexed = column(QStringLiteral("SELECT host FROM hosts;"));
    ASSERT_NE(indexed, scanned); // the index decides the order now
    writeHostsFile("");
    refresh();
    EXPECT_EQ(hostsFileBytes(), expectedLines(indexed, {}, "\n", count));
}
