#include "DamagedDatabase.h"
#include "DatabaseSalvage.h"
#include "DatabaseTrouble.h"
#include "FakePlatform.h"
#include "Unprivileged.h"
#include "UntSqliteUtils.h"
#include "WaitUntil.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

class DamagedDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        fake.dataFolderPath = fake.configFolderPath = dir.path() + "/";
    }
    void TearDown() override { finiSqliteUtilsModule(); }

    QString file(const QString& name) const { return dir.path() + "/" + name; }

    static qint64 count(const QString& path, const QString& sql)
    {
        TSQLiteDatabase db(path);
        return db.GetTableValue(sql);
    }

    // Carries the damaged file into a new one at freshPath.
    static CarriedOver carry(const QString& damagedPath, const QString& freshPath)
    {
        TSQLiteDatabase fresh(freshPath);
        createTables(fresh);
        const std::atomic_bool stop = false;
        return carryUserData(damagedPath, fresh, stop);
    }

    QTemporaryDir dir;
    platform::ScopedFakePlatform fake;
};

constexpr int ListHosts = 100000; // enough for the hosts tree to have three levels
constexpr int MineHosts = 300;
constexpr int WorkHosts = 50;
constexpr int ProbeRecords = 400;
// Rowids of the user's hosts: "Mine" (category 1) in the middle, "Work"
// (category 2) at the end.
constexpr qint64 FirstMine = ListHosts / 2 + 1;
constexpr qint64 FirstWork = ListHosts + MineHosts + 1;

// The program's layout with two categories of the user's, and rows of the
// user's shape left on the freelist by a dropped table, as deleted rows are.
void makeUserDatabase(const QString& path)
{
    makeProgramDatabase(path, ListHosts, MineHosts, ProbeRecords);
    TSQLiteDatabase db(path);
    db.BeginTransaction();
    db.ExecSQL("INSERT INTO categories VALUES('2', 'Work', 'N');");
    db.ExecSQL("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 50) "
               "INSERT INTO hosts SELECT '2', 'work' || i || '.example.com', 'N' FROM n;");
    db.ExecSQL("CREATE TABLE gone (category text, host text, reserved text);");
    db.ExecSQL("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
               "INSERT INTO gone SELECT '1', 'gone' || i || '.example.com', 'N' FROM n;");
    db.Commit();
    db.GetTableValue("PRAGMA secure_delete = OFF;"); // Debian's SQLite clears freed pages
    db.ExecSQL("DROP TABLE gone;");
}

// The index of the leaf holding the rowid, the table's rowids running from 1.
int leafHolding(const QList<TreePage>& leaves, qint64 rowid)
{
    qint64 last = 0;
    for (int i = 0; i < leaves.size(); ++i)
        if ((last += leaves[i].cells) >= rowid)
            return i;
    return -1;
}

// What overwriting some pages (and maybe the header) costs the user.
struct Damage {
    QList<int> pages;
    bool header = false;
    int mineLost = 0;
    int workLost = 0;
    int probeLost = 0;
    bool categoriesLost = false;
};

// Counts the user's hosts on the hosts leaves of those indexes.
void loseHostLeaves(const QList<TreePage>& leaves, const QList<int>& indexes, Damage* damage)
{
    const auto overlap = [](qint64 first, qint64 last, qint64 from, qint64 count) {
        return int(
            std::max<qint64>(0, std::min(last, from + count - 1) - std::max(first, from) + 1));
    };
    for (const int index : indexes) {
        qint64 first = 1;
        for (int i = 0; i < index; ++i)
            first += leaves[i].cells;
        const qint64 last = first + leaves[index].cells - 1;
        damage->pages.append(leaves[index].page);
        damage->mineLost += overlap(first, last, FirstMine, MineHosts);
        damage->workLost += overlap(first, last, FirstWork, WorkHosts);
    }
}

bool spoilHeader(const QString& path)
{
    QFile file(path);
    QByteArray garbage(100, '\0');
    QRandomGenerator(100).fillRange(reinterpret_cast<quint32*>(garbage.data()), 25);
    return file.open(QIODevice::ReadWrite) && file.write(garbage) == 100;
}

} // namespace

// Every row of the user's on a page that still reads as a table leaf is
// carried, whatever else is damaged; the lists' rows, rows on damaged leaves
// and rows deleted before never are.
TEST_F(DamagedDatabaseTest, CarriesEveryUserRowOnAReadableLeaf)
{
    const QString sound = file("sound.db");
    makeUserDatabase(sound);
    ASSERT_GT(count(sound, "PRAGMA freelist_count;"), 10);
    const QList<TreePage> hostTree = treePages(sound, "hosts");
    const QList<TreePage> hostLeaves = leavesOf(hostTree);
    const QList<TreePage> probeLeaves = leavesOf(treePages(sound, "probe"));
    ASSERT_GT(probeLeaves.size(), 3);
    const int firstMineLeaf = leafHolding(hostLeaves, FirstMine);
    ASSERT_GT(firstMineLeaf, 30);
    const auto rootOf = [&](const QString& table) {
        const TreePage root = treePages(sound, table).first();
        EXPECT_EQ(root.path, "/");
        EXPECT_EQ(root.type, "internal");
        return root.page;
    };

    const auto pageAboveMine = [&] {
        const QString leafPath = hostLeaves[firstMineLeaf].path;
        const QString above = leafPath.left(leafPath.lastIndexOf('/', -2) + 1);
        for (const TreePage& page : hostTree)
            if (page.path == above) {
                EXPECT_EQ(page.type, "internal");
                EXPECT_NE(page.path, "/");
                return page.page;
            }
        ADD_FAILURE() << "no page above " << leafPath.toStdString();
        return 0;
    };
    const auto categoriesPage = [&] {
        const QList<TreePage> categories = treePages(sound, "categories");
        EXPECT_EQ(categories.size(), 1);
        Damage damage{{categories.first().page}};
        damage.categoriesLost = true;
        return damage;
    };

    const std::vector<std::pair<const char*, std::function<Damage()>>> cases = {
        {"the first and the last leaf of hosts",
         [&] {
             Damage damage;
             loseHostLeaves(hostLeaves, {0, int(hostLeaves.size()) - 1}, &damage);
             return damage;
         }},
        {"the first and the last leaf of probe",
         [&] {
             Damage damage{{probeLeaves.first().page, probeLeaves.last().page}};
             damage.probeLost = probeLeaves.first().cells + probeLeaves.last().cells;
             return damage;
         }},
        {"the interior page above Mine's first leaf", [&] { return Damage{{pageAboveMine()}}; }},
        {"the categories page", categoriesPage},
        {"the file's header",
         [&] {
             return Damage{{}, true};
         }},
        {"page 1: the header and the schema", [&] { return Damage{{1}}; }},
        {"the roots of hosts and probe",
         [&] {
             return Damage{{rootOf("hosts"), rootOf("probe")}};
         }},
        // Mine's leaves fit the gap in hosts and the whole of categories.
        {"the categories page and the interior page above Mine's first leaf",
         [&] {
             Damage damage = categoriesPage();
             damage.pages.append(pageAboveMine());
             return damage;
         }},
        {"several runs of leaves",
         [&] {
             Damage damage;
             loseHostLeaves(hostLeaves, {20, 21, 22, firstMineLeaf + 1, firstMineLeaf + 2},
                            &damage);
             EXPECT_GT(damage.mineLost, 0);
             return damage;
         }},
    };
    for (int k = 0; k < int(cases.size()); ++k) {
        SCOPED_TRACE(cases[k].first);
        const QString damaged = file(QString("damaged%1.db").arg(k));
        const QString fresh = file(QString("fresh%1.db").arg(k));
        ASSERT_TRUE(QFile::copy(sound, damaged));
        const Damage damage = cases[k].second();
        ASSERT_TRUE(overwritePages(damaged, damage.pages));
        if (damage.header) {
            ASSERT_TRUE(spoilHeader(damaged));
        }

        const CarriedOver carried = carry(damaged, fresh);
        const int mine = MineHosts - damage.mineLost;
        const int work = WorkHosts - damage.workLost;
        EXPECT_EQ(carried.categories, 2);
        EXPECT_EQ(carried.hosts, mine + work);
        EXPECT_EQ(carried.probeRecords, ProbeRecords - damage.probeLost);
        EXPECT_EQ(count(fresh, "SELECT COUNT(*) FROM hosts WHERE category = '1'"), mine);
        EXPECT_EQ(count(fresh, "SELECT COUNT(*) FROM hosts WHERE category = '2'"), work);
        EXPECT_EQ(count(fresh, "SELECT COUNT(*) FROM probe"), carried.probeRecords);
        TSQLiteDatabase db(fresh);
        QStringList names;
        db.GetTableStrings("SELECT catname FROM categories WHERE reserved = 'N' ORDER BY catid;",
                           names);
        const QStringList expected =
            damage.categoriesLost ? QStringList{"Recovered category 1", "Recovered category 2"}
                                  : QStringList{"Mine", "Work"};
        EXPECT_EQ(names, expected);
    }
}

// Hosts whose category is gone go into one recovered category for each old
// id, named so that no two categories share a name.
TEST_F(DamagedDatabaseTest, HostsWithoutTheirCategoryGoToARecoveredOne)
{
    const QString path = file("orphans.db");
    makeProgramDatabase(path, 0, 0, 0);
    {
        TSQLiteDatabase db(path);
        db.ExecSQL("INSERT INTO categories VALUES('3', 'Recovered category 7', 'N');");
        db.ExecSQL("INSERT INTO hosts VALUES('7', 'a.example', 'N'), ('3', 'b.example', 'N'), "
                   "('7', 'c.example', 'N'), ('9', 'd.example', 'N'), ('2', 'e.example', 'Y');");
    }
    const QString fresh = file("fresh.db");
    const CarriedOver carried = carry(path, fresh);
    EXPECT_EQ(carried.categories, 4);
    EXPECT_EQ(carried.hosts, 4);
    TSQLiteDatabase db(fresh);
    QStringList rows;
    db.GetTableStrings("SELECT c.catid || ' ' || c.catname || ': ' || group_concat(h.host) FROM "
                       "categories c JOIN hosts h ON h.category = c.catid WHERE c.reserved = 'N' "
                       "GROUP BY c.catid ORDER BY c.catid;",
                       rows);
    EXPECT_EQ(rows.join('\n').toStdString(),
              "3 Recovered category 7: b.example\n7 Recovered category 7 (2): a.example,c.example\n"
              "9 Recovered category 9: d.example");
}

// Quitting stops the carrying: nothing is written, and the caller can tell.
TEST_F(DamagedDatabaseTest, CarryingStopsWhenToldTo)
{
    const QString path = file("big.db");
    makeProgramDatabase(path, ListHosts, MineHosts, ProbeRecords);
    TSQLiteDatabase fresh(file("fresh.db"));
    createTables(fresh);
    const std::atomic_bool stop = true;
    EXPECT_THROW(carryUserData(path, fresh, stop), SalvageStopped);
    EXPECT_EQ(fresh.GetTableValue("SELECT COUNT(*) FROM hosts"), 0);
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

// A damaged database whose folder cannot be written cannot be set aside: one
// box says so and what to do, whether the damage shows at start (a spoilt
// header) or in the check (a damaged leaf), and nothing more is told of it.
TEST_F(DamagedDatabaseTest, InAFolderThatCannotBeWrittenOneBoxSaysToMakeItWritable)
{
    constexpr uid_t Nobody = 65534; // the user runUnprivileged drops to, with its group
    for (const bool spoiltHeader : {true, false}) {
        SCOPED_TRACE(spoiltHeader);
        const QString folder = file(spoiltHeader ? "header" : "leaf");
        ASSERT_TRUE(QDir().mkpath(folder + "/config"));
        const QString path = folder + "/solvekdat.db";
        makeProgramDatabase(path, 20000, 20, 5);
        ASSERT_TRUE(overwritePages(path, {leafPages(path, "hosts")[3].page}));
        QFile header(path);
        if (spoiltHeader)
            ASSERT_TRUE(header.open(QIODevice::ReadWrite) &&
                        header.write(QByteArray(100, '\x7f')) == 100);
        header.close();
        for (const QString& owned : {dir.path(), folder, folder + "/config", path})
            if (::geteuid() == 0)
                ASSERT_EQ(::chown(QFile::encodeName(owned).constData(), Nobody, Nobody), 0);
        ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0555), 0);
        fake.dataFolderPath = folder + "/";
        fake.configFolderPath = folder + "/config/";
        fake.shownBoxes.clear();

        const QString told = runUnprivileged([&] {
            initSqliteUtilsModule();
            startDatabaseCheck();
            QStringList texts;
            try {
                hostExists("mine1.example.com"); // waits for the check, then meets the damage
            } catch (const std::exception& e) {
                if (const QString notice = withDamageNotice({}, e); !notice.isEmpty())
                    texts << notice;
            }
            endDatabaseCheck(); // it has ended: only its box may still be on the way
            QCoreApplication::processEvents();
            for (const auto& box : fake.shownBoxes)
                texts << box.text;
            return QString::number(texts.size()) + "|" + texts.join("|");
        });
        ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0755), 0);

        EXPECT_TRUE(told.startsWith("1|The database \"" + path + "\"")) << told.toStdString();
        EXPECT_TRUE(told.contains("since its folder \"" + folder +
                                  "\" cannot be written: make that folder writable"))
            << told.toStdString();
        EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 1);
    }
}

// Damage met while the program runs, in a folder that cannot be written: the
// notice says what must change before a start can set the file aside.
TEST_F(DamagedDatabaseTest, DamageMetLaterInAFolderThatCannotBeWrittenAsksForAWritableFolder)
{
    constexpr uid_t Nobody = 65534;
    const QString folder = file("later");
    ASSERT_TRUE(QDir().mkpath(folder));
    fake.dataFolderPath = fake.configFolderPath = folder + "/";
    initSqliteUtilsModule();
    makeProgramDatabase(DBPath + ".made", 20000, 20, 5);
    ASSERT_TRUE(overwritePages(DBPath + ".made", {leafPages(DBPath + ".made", "hosts")[3].page}));
    ASSERT_TRUE(QFile::remove(DBPath) && QFile::rename(DBPath + ".made", DBPath));
    for (const QString& owned : {dir.path(), folder, DBPath})
        if (::geteuid() == 0)
            ASSERT_EQ(::chown(QFile::encodeName(owned).constData(), Nobody, Nobody), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0555), 0);

    const QString notice = runUnprivileged([] {
        try {
            hostExists("mine1.example.com");
        } catch (const std::exception& e) {
            return withDamageNotice({}, e);
        }
        return QString("read");
    });
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0755), 0);

    EXPECT_EQ(notice.toStdString(),
              ("\n\nThe database \"" + DBPath +
               "\" is damaged. It can be set aside, keeping what can still be read of "
               "your own categories and the probe log, only once its folder \"" +
               folder +
               "\" can be written: make that folder writable, then exit the program "
               "and start it again.")
                  .toStdString());
}
