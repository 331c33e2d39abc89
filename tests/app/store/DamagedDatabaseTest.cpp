#include "DamagedDatabase.h"
#include "DatabaseSalvage.h"
#include "FakePlatform.h"
#include "UntSqliteUtils.h"
#include "WaitUntil.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

class DamagedDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    void TearDown() override { finiSqliteUtilsModule(); }

    QString file(const QString& name) const { return dir.path() + "/" + name; }

    static qint64 count(const QString& path, const QString& sql)
    {
        TSQLiteDatabase db(path);
        return db.GetTableValue(sql);
    }

    QTemporaryDir dir;
    platform::ScopedFakePlatform fake;
};

// The rowids read from the hosts table, each checked against its host.
QList<qint64> readableHostRowids(const QString& path, int* skipped)
{
    TSQLiteDatabase db(path);
    QList<qint64> rowids;
    *skipped = forEachReadableRow(db, "hosts", "host", [&](const TSQLiteUniTable& row) {
        const qint64 rowid = row.FieldAsInteger(0);
        EXPECT_EQ(row.FieldAsString(1), QString("list%1.example.net").arg(rowid - 1));
        rowids.append(rowid);
    });
    return rowids;
}

} // namespace

TEST_F(DamagedDatabaseTest, ADamagedPageLosesOnlyItsOwnRows)
{
    constexpr int Hosts = 20000;
    // The first and last leaves test the ends of the rowid range; two apart
    // test going on after each.
    const QList<QList<int>> damagedLeaves = {{0}, {40}, {-1}, {30, 33}};
    for (const QList<int>& damaged : damagedLeaves) {
        SCOPED_TRACE(damaged.first());
        const QString path = file(QString("db%1-%2").arg(damaged.first()).arg(damaged.size()));
        makeProgramDatabase(path, Hosts, 0, 0);
        const QList<LeafPage> leaves = leafPages(path, "hosts");
        ASSERT_GT(leaves.size(), 60);
        QList<int> pages;
        int lostRows = 0;
        for (const int index : damaged) {
            const LeafPage& leaf = leaves.at(index < 0 ? leaves.size() + index : index);
            pages.append(leaf.page);
            lostRows += leaf.rows;
        }
        ASSERT_TRUE(overwritePages(path, pages));

        int skipped = 0;
        const QList<qint64> rowids = readableHostRowids(path, &skipped);
        EXPECT_EQ(skipped, damaged.size());
        EXPECT_EQ(rowids.size(), Hosts - lostRows);
        // Every row read once, in order; the lost ones make one run per page.
        int runs = 0;
        qint64 expected = 1;
        for (const qint64 rowid : rowids) {
            ASSERT_GE(rowid, expected);
            runs += rowid > expected ? 1 : 0;
            expected = rowid + 1;
        }
        runs += expected <= Hosts ? 1 : 0;
        EXPECT_EQ(runs, damaged.size());
    }
}

// Quitting interrupts the reads: the walk ends there, rather than crawling on
// as if every interrupted read were a damaged page.
TEST_F(DamagedDatabaseTest, AnInterruptedReadEndsTheWalk)
{
    const QString path = file("sound.db");
    makeProgramDatabase(path, 5000, 0, 0);
    TSQLiteDatabase db(path);
    sqlite3_progress_handler(
        db.DB(), 1, [](void*) { return 1; }, nullptr);
    int rows = 0;
    EXPECT_THROW(forEachReadableRow(db, "hosts", "host", [&](const TSQLiteUniTable&) { ++rows; }),
                 ESQLiteException);
    EXPECT_EQ(rows, 0);
}

// The check runs while workers and the window thread already want the
// database: they wait for it and then use the new file, never the old one.
TEST_F(DamagedDatabaseTest, UseDuringTheCheckWaitsAndReachesTheNewDatabase)
{
    constexpr int Rounds = 12;
    constexpr int Workers = 2;
    constexpr int RecordsEach = 5;
    for (int round = 0; round < Rounds; ++round) {
        SCOPED_TRACE(round);
        const QString folder = file(QString("round%1").arg(round));
        ASSERT_TRUE(QDir().mkpath(folder));
        fake.dataFolderPath = fake.configFolderPath = folder + "/";
        const QString path = folder + "/solvekdat.db";
        makeProgramDatabase(path, 100000, 200, 10);
        const QList<LeafPage> leaves = leafPages(path, "hosts");
        ASSERT_GT(leaves.size(), 20);
        ASSERT_TRUE(overwritePages(path, {leaves[5].page, leaves[6].page, leaves[7].page}));
        fake.shownBoxes.clear();

        initSqliteUtilsModule();
        startDatabaseCheck();
        // A read that opens its connection directly, as the hosts refresh does.
        const auto hostRows = [] {
            try {
                return queryTable("SELECT COUNT(*) FROM hosts")->FieldAsInteger(0);
            } catch (const std::exception&) {
                return qint64(-1);
            }
        };
        EXPECT_EQ(hostRows(), 200);
        std::atomic_int failures = 0;
        std::vector<std::thread> workers;
        for (int w = 0; w < Workers; ++w)
            workers.emplace_back([&, w] {
                for (int k = 0; k < RecordsEach; ++k) {
                    try {
                        addProbeLog(QString("worker%1-%2.example.org").arg(w).arg(k));
                    } catch (const std::exception&) {
                        ++failures;
                    }
                }
            });
        // The window thread's answers: 1 found, 0 not found, -1 failed.
        const auto found = [](const QString& host) {
            try {
                return hostExists(host) ? 1 : 0;
            } catch (const std::exception&) {
                return -1;
            }
        };
        EXPECT_EQ(found("mine150.example.com"), 1);
        EXPECT_EQ(found("list10.example.net"), 0);
        for (std::thread& worker : workers)
            worker.join();
        endDatabaseCheck();

        EXPECT_EQ(failures, 0);
        EXPECT_EQ(count(path, "SELECT COUNT(*) FROM probe"), 10 + Workers * RecordsEach);
        EXPECT_EQ(count(path, "SELECT COUNT(*) FROM hosts"), 200);
        const QStringList kept = QDir(folder).entryList({"solvekdat.db.broken-*"}, QDir::Files);
        ASSERT_EQ(kept.size(), 1);
        EXPECT_EQ(count(folder + "/" + kept[0], "SELECT COUNT(*) FROM probe"), 10);
        EXPECT_FALSE(QFile::exists(path + ".salvage"));
        ASSERT_TRUE(waitUntil([&] { return !fake.shownBoxes.isEmpty(); }));
        EXPECT_TRUE(fake.shownBoxes[0].text.contains("1 of your own categories with 200 hosts, "
                                                     "and 10 probe records"))
            << fake.shownBoxes[0].text.toStdString();
        finiSqliteUtilsModule();
    }
}
