#include "DatabaseTrouble.h"
#include "FakePlatform.h"
#include "StepSenders.h"
#include "TThread.h"
#include "UntSqliteUtils.h"
#include "WaitUntil.h"

#include <QCoreApplication>
#include <QDate>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <sys/stat.h>
#include <thread>

namespace {

class SqliteUtilsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        fake.dataFolderPath = fake.configFolderPath = dir.path() + "/";
        fake.programFilePath = dir.path() + "/solvek-antibot";
    }
    void TearDown() override { finiSqliteUtilsModule(); }

    QString file(const QString& name) const { return dir.path() + "/" + name; }

    // Every row of the query on the program's database, its columns joined by "|".
    static QStringList rows(const QString& sql)
    {
        TSQLiteDatabase db(DBPath);
        const auto table = db.GetTable(sql);
        QStringList result;
        for (; !table->GetEOF(); table->Next()) {
            QStringList columns;
            for (quint32 c = 0; c < table->ColCount(); ++c)
                columns << table->FieldAsString(int(c));
            result << columns.join(u'|');
        }
        return result;
    }

    static QStringList userCategories()
    {
        return rows("SELECT catid, catname FROM categories WHERE reserved='N' "
                    "ORDER BY CAST(catid AS integer)");
    }

    static void addCategory(const QString& id, const QString& name, const QString& reserved)
    {
        execSQL("INSERT INTO categories VALUES(:id, :name, :reserved);",
                {{":id", id}, {":name", name}, {":reserved", reserved}});
    }

    static void addHost(const QString& category, const QString& host, const QString& reserved)
    {
        execSQL("INSERT INTO hosts VALUES(:category, :host, :reserved);",
                {{":category", category}, {":host", host}, {":reserved", reserved}});
    }

    QTemporaryDir dir;
    platform::ScopedFakePlatform fake;
};

// --- creation -----------------------------------------------------------------

TEST_F(SqliteUtilsTest, FirstStartCreatesTheTablesAndFourReservedCategories)
{
    initSqliteUtilsModule();
    EXPECT_EQ(DBPath, file("solvekdat.db"));
    ASSERT_TRUE(QFile::exists(DBPath));
    EXPECT_EQ(rows("SELECT name FROM sqlite_master WHERE type='table' ORDER BY name"),
              QStringList({"categories", "hosts", "probe"}));
    const QStringList reserved{"1|Zeus Bot|Y", "2|Palevo Bot|Y", "3|SpyEye Bot|Y", "4|Yeldcraft|Y"};
    EXPECT_EQ(rows("SELECT * FROM categories ORDER BY rowid"), reserved);
    EXPECT_TRUE(rows("SELECT * FROM hosts").isEmpty());
    EXPECT_TRUE(rows("SELECT * FROM probe").isEmpty());

    initSqliteUtilsModule(); // a second start adds nothing
    createDB();
    EXPECT_EQ(rows("SELECT * FROM categories ORDER BY rowid"), reserved);
}

TEST_F(SqliteUtilsTest, NewDatabasesKeepTheirTextAsUtf8AndReadBackAsStored)
{
    initSqliteUtilsModule();
    EXPECT_EQ(rows("PRAGMA encoding"), QStringList{"UTF-8"});
    const QString accented = QString::fromUtf8("caf\xc3\xa9 \xf0\x9f\x98\x80");
    addCategory("1", accented, "N");
    EXPECT_EQ(getCatName("1", "N"), accented);
}

TEST_F(SqliteUtilsTest, AnExistingDatabaseIsTakenAsItIs)
{
    {
        TSQLiteDatabase db(file("solvekdat.db"));
        db.ExecSQL("CREATE TABLE mine (x text);");
    }
    initSqliteUtilsModule();
    EXPECT_EQ(rows("SELECT name FROM sqlite_master"), QStringList{"mine"});
}

TEST_F(SqliteUtilsTest, AnEmptyFileLeftByAFailedCreationGetsTheTables)
{
    QFile existing(file("solvekdat.db"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    initSqliteUtilsModule();
    EXPECT_EQ(rows("SELECT COUNT(*) FROM categories"), QStringList{"4"});
    QCoreApplication::processEvents();
    EXPECT_TRUE(fake.shownBoxes.isEmpty());
}

TEST_F(SqliteUtilsTest, AMissingFileIsCreatedAgainByTheNextRoutine)
{
    initSqliteUtilsModule();
    ASSERT_TRUE(QFile::remove(DBPath));
    EXPECT_FALSE(hostExists("a.com"));
    EXPECT_EQ(rows("SELECT COUNT(*) FROM categories"), QStringList{"4"});
}

// Its parent was not writable at start, or it went since: the next routine
// makes it again, as private as the start makes it.
TEST_F(SqliteUtilsTest, AMissingDataFolderIsMadeAgainByTheNextRoutine)
{
    const QString folder = file("data");
    fake.dataFolderPath = folder + "/";
    initSqliteUtilsModule();
    ASSERT_TRUE(QDir(folder).removeRecursively());

    EXPECT_FALSE(hostExists("a.com"));
    EXPECT_EQ(rows("SELECT COUNT(*) FROM categories"), QStringList{"4"});
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(folder).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0700u);
}

TEST_F(SqliteUtilsTest, RoutinesRefuseToRunWithoutADatabasePath)
{
    finiSqliteUtilsModule();
    try {
        createDB();
        FAIL() << "created a database without a path";
    } catch (const ESQLiteException& e) {
        EXPECT_EQ(e.message(), "The database path is not set");
    }
}

// --- a database that is no database ---------------------------------------------

TEST_F(SqliteUtilsTest, AFileThatIsNoDatabaseIsKeptAsideAndReplacedAndTheUserTold)
{
    const QByteArray garbage(4096, 'x');
    QFile bad(file("solvekdat.db"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(garbage);
    bad.close();

    testing::internal::CaptureStderr();
    initSqliteUtilsModule();
    const std::string err = testing::internal::GetCapturedStderr();

    // The bad file is kept, never deleted, under a dated name beside the new one.
    const QStringList kept = QDir(dir.path()).entryList({"solvekdat.db.broken-*"}, QDir::Files);
    ASSERT_EQ(kept.size(), 1);
    EXPECT_TRUE(
        QRegularExpression("^solvekdat\\.db\\.broken-\\d{8}-\\d{6}$").match(kept[0]).hasMatch())
        << kept[0].toStdString();
    QFile keptFile(file(kept[0]));
    ASSERT_TRUE(keptFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(keptFile.readAll(), garbage);
    EXPECT_EQ(rows("SELECT COUNT(*) FROM categories"), QStringList{"4"});

    // Told once, in a box that names both files, and on standard error.
    ASSERT_TRUE(waitUntil([&] { return !fake.shownBoxes.isEmpty(); }));
    QCoreApplication::processEvents();
    ASSERT_EQ(fake.shownBoxes.size(), 1);
    const QString text = fake.shownBoxes[0].text;
    EXPECT_TRUE(text.startsWith("The database \"" + DBPath +
                                "\" could not be opened: File opened that is not a database file."))
        << text.toStdString();
    EXPECT_TRUE(text.contains("It was kept as \"" + file(kept[0]) + "\"")) << text.toStdString();
    EXPECT_EQ(fake.shownBoxes[0].flags, platform::MB_OK | platform::MB_ICONERROR);
    EXPECT_NE(err.find("could not be opened"), std::string::npos) << err;

    initSqliteUtilsModule(); // the next start finds a sound database
    QCoreApplication::processEvents();
    EXPECT_EQ(fake.shownBoxes.size(), 1);
    EXPECT_EQ(QDir(dir.path()).entryList({"solvekdat.db.broken-*"}, QDir::Files).size(), 1);
}

TEST_F(SqliteUtilsTest, ASettingsFileThatCannotBeWrittenDoesNotCostANewDatabase)
{
    // A folder in its place: the list digests cannot be forgotten.
    ASSERT_TRUE(QDir(dir.path()).mkdir("config.ini"));
    initSqliteUtilsModule();
    EXPECT_EQ(rows("SELECT COUNT(*) FROM categories"), QStringList{"4"});
    ASSERT_TRUE(waitUntil([&] { return !fake.shownBoxes.isEmpty(); }));
    EXPECT_EQ(fake.shownBoxes[0].text,
              "The new database could not be marked for a full download of the block lists: "
              "Unable to write to " +
                  file("config.ini") +
                  ": it cannot be read. Until the settings file can be written, Update may "
                  "leave lists out.");
}

TEST_F(SqliteUtilsTest, ADatabaseInUseElsewhereIsNotTakenForBroken)
{
    initSqliteUtilsModule();
    TSQLiteDatabase holder(DBPath);
    holder.ExecSQL("BEGIN EXCLUSIVE;");
    holder.ExecSQL("INSERT INTO probe VALUES('20130113', '0905', 'held');");
    EXPECT_TRUE(setAsideBrokenDatabase().isEmpty());
    const std::atomic_bool stop = false;
    EXPECT_TRUE(checkWholeDatabase(stop).isEmpty());
    holder.ExecSQL("COMMIT;");
    EXPECT_EQ(QDir(dir.path()).entryList({"solvekdat.db.broken-*"}, QDir::Files).size(), 0);
    EXPECT_EQ(rows("SELECT host FROM probe"), QStringList{"held"});
}

TEST_F(SqliteUtilsTest, AFailureIsToldAsOneSentenceNamingTheFileAndTheReason)
{
    initSqliteUtilsModule();
    QFile bad(DBPath);
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly | QIODevice::Truncate));
    bad.write(QByteArray(4096, 'x'));
    bad.close();

    const auto textOf = [](const std::function<void()>& action) {
        try {
            action();
        } catch (const ESQLiteException& e) {
            return databaseFailureText(e.message());
        }
        return QString("no failure");
    };
    EXPECT_EQ(textOf([] { execSQL("INSERT INTO probe VALUES('a', 'b', 'c');"); }),
              "The database \"" + DBPath +
                  "\" could not be written: File opened that is not a database file");
    EXPECT_EQ(textOf([] { hostExists("a.com"); }),
              "The database \"" + DBPath +
                  "\" could not be read: File opened that is not a database file");
    EXPECT_EQ(sqliteReason("Failed to open database \"/x/y.db\" : unable to open database file"),
              "unable to open database file");
    EXPECT_EQ(sqliteReason("Transaction already open"), "Transaction already open");
    EXPECT_TRUE(isDatabaseBusy("Error executing SQL.\rError [5]: The database file is locked.\r"
                               "\"COMMIT\": database is locked"));
    EXPECT_FALSE(isDatabaseBusy("Error executing SQL.\rError [26]: File opened that is not a "
                                "database file.\r\"COMMIT\": file is not a database"));
}

// --- lookups ------------------------------------------------------------------

TEST_F(SqliteUtilsTest, NextCategoryIdIsTheNumericMaximumPlusOne)
{
    initSqliteUtilsModule();
    EXPECT_EQ(getNextCatID("N"), "1");
    for (const char* id : {"1", "2", "7"})
        addCategory(id, QStringLiteral("cat %1").arg(id), "N");
    EXPECT_EQ(getNextCatID("N"), "8"); // "7" < "10" would not matter: numeric
    addCategory("10", "cat 10", "N");
    EXPECT_EQ(getNextCatID("N"), "11");
    EXPECT_EQ(getNextCatID("Y"), "5");
}

TEST_F(SqliteUtilsTest, CategoryNamesByKey)
{
    initSqliteUtilsModule();
    addCategory("1", "Mine", "N");
    EXPECT_EQ(getCatName("1", "Y"), "Zeus Bot");
    EXPECT_EQ(getCatName("1", "N"), "Mine");
    EXPECT_EQ(getCatName("9", "N"), "Unknow");
    EXPECT_TRUE(catExists("Mine"));
    EXPECT_TRUE(catExists("Yeldcraft"));
    EXPECT_FALSE(catExists("mine"));
}

TEST_F(SqliteUtilsTest, CategoryHostsJoinedByLineBreaks)
{
    initSqliteUtilsModule();
    addCategory("1", "Mine", "N");
    EXPECT_EQ(getCatHosts("1", "N"), "");
    addHost("1", "a.com", "N");
    addHost("1", "b.com", "N");
    addHost("1", "zeus.example", "Y"); // same id, the downloaded category
    EXPECT_EQ(getCatHosts("1", "N"), "a.com\r\nb.com");
    EXPECT_EQ(getCatHosts("1", "Y"), "zeus.example");
}

TEST_F(SqliteUtilsTest, HostExistsInEveryCategory)
{
    initSqliteUtilsModule();
    addHost("2", "palevo.example", "Y");
    addHost("1", "mine.example", "N");
    EXPECT_TRUE(hostExists("palevo.example"));
    EXPECT_TRUE(hostExists("mine.example"));
    EXPECT_FALSE(hostExists("Mine.example"));
    EXPECT_FALSE(hostExists("other.example"));
}

// --- values that look like SQL ------------------------------------------------

TEST_F(SqliteUtilsTest, ColumnNamesAsValuesAreValuesNotColumns)
{
    initSqliteUtilsModule();
    addCategory("1", "Mine", "N");
    addHost("1", "a.com", "N");
    // Between double quotes each would have compared a column with itself.
    EXPECT_FALSE(hostExists("host"));
    EXPECT_FALSE(catExists("catname"));
    EXPECT_EQ(getCatName("catid", "reserved"), "Unknow");
    EXPECT_EQ(getNextCatID("reserved"), "1");
    EXPECT_EQ(getCatHosts("category", "reserved"), "");
}

TEST_F(SqliteUtilsTest, AwkwardValuesAreStoredAndReadBackExactly)
{
    initSqliteUtilsModule();
    const QStringList values{
        "say \"hi\"",
        "it's",
        "a;b",
        "host",
        "catname",
        "\"\"",
        "x\" OR \"1\"=\"1",
        "\"); DELETE FROM hosts; DROP TABLE probe; --",
    };
    int id = 1;
    for (const QString& value : values) {
        const QString catid = QString::number(id++);
        addCategory(catid, value, "N");
        addHost(catid, value, "N");
        addProbeLog(value);
        EXPECT_TRUE(catExists(value)) << qPrintable(value);
        EXPECT_TRUE(hostExists(value)) << qPrintable(value);
        EXPECT_EQ(getCatName(catid, "N"), value);
        EXPECT_EQ(getCatHosts(catid, "N"), value);
    }
    EXPECT_EQ(rows("SELECT host FROM probe ORDER BY rowid"), values);
    EXPECT_EQ(rows("SELECT COUNT(*) FROM categories"), QStringList{"12"});
    EXPECT_EQ(rows("SELECT COUNT(*) FROM hosts"), QStringList{QString::number(values.size())});
    EXPECT_EQ(getNextCatID("N"), QString::number(values.size() + 1));
}

TEST_F(SqliteUtilsTest, AFailedStatementChangesNothing)
{
    initSqliteUtilsModule();
    EXPECT_THROW(execSQL("INSERT INTO nosuch VALUES(:a);", {{":a", "x"}}), ESQLiteException);
    EXPECT_THROW(execSQL("INSERT INTO hosts VALUES(:a);", {{":a", "x"}}), ESQLiteException);
    EXPECT_TRUE(rows("SELECT * FROM hosts").isEmpty());
}

// --- probe records ------------------------------------------------------------

TEST_F(SqliteUtilsTest, LogDayAndTimeTexts)
{
    EXPECT_EQ(formatLogDate("20130113"), "13/01/2013");
    EXPECT_EQ(formatLogTime("0905"), "09:05");
    EXPECT_EQ(formatLogTime("1244"), "12:44");
    EXPECT_EQ(parseLogDate("13/01/2013"), "20130113");
    EXPECT_EQ(parseLogDate(formatLogDate("19991231")), "19991231");
    EXPECT_EQ(formatLogDate(""), "//"); // short texts give short parts, no failure
    EXPECT_EQ(formatLogTime("9"), "9:");

    const QString before = QDate::currentDate().toString("yyyyMMdd");
    const QString day = getLogDate();
    const QString after = QDate::currentDate().toString("yyyyMMdd");
    EXPECT_TRUE(day == before || day == after) << qPrintable(day);
    EXPECT_TRUE(
        QRegularExpression("^([01][0-9]|2[0-3])[0-5][0-9]$").match(getLogTime()).hasMatch());
}

TEST_F(SqliteUtilsTest, ProbeLogStoresDayTimeAndHost)
{
    initSqliteUtilsModule();
    const QString before = getLogDate();
    addProbeLog("blocked.example");
    const QString after = getLogDate();
    const QStringList stored = rows("SELECT \"date\", \"time\", host FROM probe");
    ASSERT_EQ(stored.size(), 1);
    const QStringList parts = stored.first().split(u'|');
    EXPECT_TRUE(parts[0] == before || parts[0] == after);
    EXPECT_EQ(parts[1].size(), 4);
    EXPECT_EQ(parts[2], "blocked.example");
}

// --- the window thread's wait for a busy database ---------------------------------

// A worker's step as the window thread runs it: whether it ran, what it saw
// and what it raised in the worker.
struct SentStep {
    std::atomic<bool> ended{false};
    bool ran = false;
    bool sawHost = false;
    QString failure;

    void send(TThread::StepKind kind, const QString& host)
    {
        try {
            TThread::Synchronize(
                [&] {
                    ran = true;
                    sawHost = hostExists(host);
                },
                kind);
        } catch (const solvek::Exception& e) {
            failure = e.message();
        }
        ended = true;
    }
};

TEST_F(SqliteUtilsTest, InsideTheWindowsWaitAStepUsingTheDatabaseIsRefusedOrKeptForTheEventLoop)
{
    initSqliteUtilsModule();
    // A reader's open transaction keeps the window's commit waiting; a step
    // that read the database under that wait would wait for the wait itself.
    std::atomic<bool> reading{false};
    SentStep display;
    SentStep eventLoop;
    std::thread reader([&] {
        TSQLiteDatabase db(DBPath);
        db.ExecSQL("BEGIN;");
        db.GetTable("SELECT * FROM categories;");
        reading = true;
        QDeadlineTimer limit(DatabaseBusyTimeoutMs + 5000);
        while (!display.ended && !limit.hasExpired())
            QThread::msleep(5);
        db.ExecSQL("COMMIT;");
    });
    std::thread displayWorker;
    std::thread eventLoopWorker;
    ASSERT_TRUE(waitUntil([&] { return reading.load(); }));
    displayWorker = std::thread([&] { display.send(TThread::StepKind::DisplayOnly, "new.com"); });
    eventLoopWorker =
        std::thread([&] { eventLoop.send(TThread::StepKind::EventLoopOnly, "new.com"); });

    EXPECT_NO_THROW(addHost("9", "new.com", "N"));
    const bool keptStepRanInTheWait = eventLoop.ran;
    EXPECT_TRUE(waitUntil([&] { return display.ended && eventLoop.ended; }));
    reader.join();
    displayWorker.join();
    eventLoopWorker.join();

    EXPECT_TRUE(display.failure.contains("cannot use the database"))
        << display.failure.toStdString();
    EXPECT_FALSE(keptStepRanInTheWait);
    EXPECT_TRUE(eventLoop.failure.isEmpty()) << eventLoop.failure.toStdString();
    EXPECT_TRUE(eventLoop.sawHost);
}

// The window thread's write while another connection holds the write lock, as
// list threads keep sending steps: it fails as busy, and answers how long it waited.
qint64 windowsWaitForAHeldDatabase(StepSenders& senders)
{
    TSQLiteDatabase holder(DBPath);
    holder.ExecSQL("BEGIN IMMEDIATE;");
    QElapsedTimer waited;
    waited.start();
    EXPECT_THROW(execSQL("INSERT INTO hosts VALUES('9', 'late.com', 'N');"), ESQLiteException);
    const qint64 waitedMs = waited.elapsed();
    std::printf("The window's database wait took %lld ms\n", waitedMs);
    EXPECT_TRUE(senders.sending()); // the steps did not stop coming first
    return waitedMs;
}

// The step running at the time-out may finish; a busy machine adds its delays.
constexpr qint64 BusyWaitBoundMs = DatabaseBusyTimeoutMs + 2500;

TEST_F(SqliteUtilsTest, TheWindowsWaitEndsAtTheBusyTimeOutThoughAWorkerKeepsPosting)
{
    initSqliteUtilsModule();
    StepSenders poster(StepSenders::Way::Posting, 1, std::chrono::microseconds(200),
                       3 * DatabaseBusyTimeoutMs);
    const qint64 waitedMs = windowsWaitForAHeldDatabase(poster);
    EXPECT_GE(waitedMs, DatabaseBusyTimeoutMs);
    EXPECT_LT(waitedMs, BusyWaitBoundMs);
    EXPECT_TRUE(poster.stop()); // the steps left after the wait run too, in order
}

TEST_F(SqliteUtilsTest, TheWindowsWaitEndsAtTheBusyTimeOutThoughWorkersKeepSynchronising)
{
    initSqliteUtilsModule();
    StepSenders synchronisers(StepSenders::Way::Synchronising, 3, std::chrono::microseconds(500),
                              3 * DatabaseBusyTimeoutMs);
    const qint64 waitedMs = windowsWaitForAHeldDatabase(synchronisers);
    EXPECT_GE(waitedMs, DatabaseBusyTimeoutMs);
    EXPECT_LT(waitedMs, BusyWaitBoundMs);
    EXPECT_TRUE(synchronisers.stop());
}

TEST_F(SqliteUtilsTest, TheWindowsWaitEndsSoonAfterTheHolderLetsGoThoughAWorkerKeepsPosting)
{
    initSqliteUtilsModule();
    StepSenders poster(StepSenders::Way::Posting, 1, std::chrono::microseconds(200),
                       3 * DatabaseBusyTimeoutMs);
    std::atomic<bool> holding{false};
    std::thread holder([&] {
        TSQLiteDatabase db(DBPath);
        db.ExecSQL("BEGIN IMMEDIATE;");
        holding.store(true);
        QThread::msleep(500);
        db.ExecSQL("COMMIT;");
    });
    ASSERT_TRUE(waitUntil([&] { return holding.load(); }));
    QElapsedTimer waited;
    waited.start();
    EXPECT_NO_THROW(execSQL("INSERT INTO hosts VALUES('9', 'late.com', 'N');"));
    EXPECT_LT(waited.elapsed(), DatabaseBusyTimeoutMs / 2);
    EXPECT_TRUE(poster.sending());
    holder.join();
    EXPECT_TRUE(poster.stop());
}

// --- import of the previous version's database -----------------------------------

class ImportTest : public SqliteUtilsTest {
protected:
    QString oldPath() const { return file("solvek.db"); }

    // An old database with the given user categories (name, old id) and hosts
    // (old id, host).
    void writeOldDatabase(const QList<QPair<QString, QString>>& categories,
                          const QList<QPair<QString, QString>>& hosts, bool withHostsTable = true)
    {
        TSQLiteDatabase old(oldPath());
        old.ExecSQL("CREATE TABLE categories (catid text,catname text,reserved text);");
        if (withHostsTable)
            old.ExecSQL("CREATE TABLE hosts (category text,host text, reserved text);");
        old.BeginTransaction();
        old.ExecSQL("INSERT INTO categories VALUES('1', 'Zeus Bot', 'Y');");
        for (const auto& [name, id] : categories) {
            queueParams(old, {{":id", id}, {":name", name}});
            old.ExecSQL("INSERT INTO categories VALUES(:id, :name, 'N');");
        }
        for (const auto& [id, host] : hosts) {
            queueParams(old, {{":id", id}, {":host", host}});
            old.ExecSQL("INSERT INTO hosts VALUES(:id, :host, 'N');");
        }
        old.Commit();
    }
};

TEST_F(ImportTest, UserCategoriesAndNewHostsAreCopied)
{
    initSqliteUtilsModule();
    addHost("2", "shared.example", "Y");
    writeOldDatabase({{"Zeus Bot", "1"}, {"A", "3"}, {"B", "5"}}, {{"3", "a1.example"},
                                                                   {"3", "shared.example"},
                                                                   {"5", "b1.example"},
                                                                   {"1", "skipped.example"}});
    initSqliteUtilsModule();

    // The first row's name exists already: skipped, its number left unused.
    EXPECT_EQ(userCategories(), QStringList({"2|A", "3|B"}));
    EXPECT_EQ(getCatHosts("2", "N"), "a1.example");
    EXPECT_EQ(getCatHosts("3", "N"), "b1.example");
    EXPECT_EQ(rows("SELECT COUNT(*) FROM hosts WHERE host='shared.example'"), QStringList{"1"});
    EXPECT_FALSE(hostExists("skipped.example"));
    EXPECT_FALSE(QFile::exists(oldPath()));
}

TEST_F(ImportTest, FreshDatabaseNumbersFromOne)
{
    writeOldDatabase({{"A", "3"}, {"B", "5"}}, {{"3", "a.example"}, {"5", "b.example"}});
    initSqliteUtilsModule();
    EXPECT_EQ(userCategories(), QStringList({"1|A", "2|B"}));
    EXPECT_EQ(getCatHosts("1", "N"), "a.example");
    EXPECT_EQ(getCatHosts("2", "N"), "b.example");
}

TEST_F(ImportTest, ImportedCategoriesNeverTakeATakenKey)
{
    initSqliteUtilsModule();
    addCategory("1", "Mine", "N");
    addHost("1", "mine.example", "N");
    writeOldDatabase({{"A", "3"}, {"B", "5"}}, {{"3", "a.example"}, {"5", "b.example"}});
    initSqliteUtilsModule();

    EXPECT_EQ(userCategories(), QStringList({"1|Mine", "2|A", "3|B"}));
    EXPECT_EQ(getCatHosts("1", "N"), "mine.example");
    EXPECT_EQ(getCatHosts("2", "N"), "a.example");
    EXPECT_TRUE(rows("SELECT catid, reserved FROM categories GROUP BY catid, reserved "
                     "HAVING COUNT(*) > 1")
                    .isEmpty());
}

TEST_F(ImportTest, AFileThatIsNotADatabaseIsReportedAndDeleted)
{
    QFile old(oldPath());
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(2048, 'x'));
    old.close();

    testing::internal::CaptureStderr();
    initSqliteUtilsModule(); // must not throw: start-up goes on
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("preparing the database failed"), std::string::npos) << err;
    EXPECT_NE(err.find("file is not a database"), std::string::npos) << err;
    EXPECT_FALSE(QFile::exists(oldPath()));
    EXPECT_EQ(rows("SELECT COUNT(*) FROM categories"), QStringList{"4"});
}

TEST_F(ImportTest, RowsCopiedBeforeAFailureAreKept)
{
    writeOldDatabase({{"A", "3"}}, {}, /*withHostsTable=*/false);
    testing::internal::CaptureStderr();
    initSqliteUtilsModule();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("no such table: hosts"), std::string::npos) << err;
    EXPECT_EQ(userCategories(), QStringList{"1|A"});
    EXPECT_FALSE(QFile::exists(oldPath()));
}

TEST_F(ImportTest, ALargeImportIsNotLockedOutByItsOwnLookups)
{
    // About 3 MB of new rows: more than SQLite's page cache holds, so the
    // import's connection would write them to the file before the commit.
    const QString padding(180, u'x');
    QList<QPair<QString, QString>> hosts;
    for (int i = 0; i < 15000; ++i)
        hosts.append({"3", QStringLiteral("host%1.%2.example").arg(i).arg(padding)});
    writeOldDatabase({{"A", "3"}}, hosts);

    testing::internal::CaptureStderr();
    initSqliteUtilsModule();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.find("preparing the database failed"), std::string::npos) << err;
    EXPECT_EQ(rows("SELECT COUNT(*) FROM hosts"), QStringList{"15000"});
}

// --- autostart ----------------------------------------------------------------

TEST_F(SqliteUtilsTest, AutostartEntryQuotesThePathAndStartsHidden)
{
    EXPECT_FALSE(isAutoStart("Solvek Anti-Bot"));
    setAutoStart("Solvek Anti-Bot", "/opt/solvek anti-bot/solvek-antibot");
    EXPECT_EQ(fake.autostartEntries.value("Solvek Anti-Bot"),
              "\"/opt/solvek anti-bot/solvek-antibot\" /hidden");
    EXPECT_TRUE(isAutoStart("Solvek Anti-Bot"));
    delAutoStart("Solvek Anti-Bot");
    EXPECT_FALSE(isAutoStart("Solvek Anti-Bot"));
    delAutoStart("Solvek Anti-Bot"); // a missing entry is no error

    fake.autostartFails = true;
    EXPECT_THROW(setAutoStart("Solvek Anti-Bot", "/x"), solvek::Exception);
}

} // namespace
