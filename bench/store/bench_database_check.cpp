// The check of the whole database that runs once the main window is shown:
// its time on a sound database of N hosts, cold (the page cache dropped
// first, which needs root) and warm, and on a copy with 20 pages in the
// middle of its hosts table overwritten, where it also carries the user's
// data into a new file; the carrying alone, read from the damaged file's
// pages; and how soon a check stopped partway ends. The database is made in the folder unless one
// of N hosts is there already.
//
//   bench_database_check [N] [folder]     (default: 4000000, a temporary folder)

#include "DatabaseSalvage.h"
#include "FakePlatform.h"
#include "SQLiteTable3.h"
#include "UntSqliteUtils.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <unistd.h>

namespace {

void makeDatabase(const QString& path, qint64 hosts)
{
    QFile::remove(path);
    {
        TSQLiteDatabase db(path);
        createTables(db);
    }
    TSQLiteDatabase db(path);
    db.BeginTransaction();
    db.ExecSQL("INSERT INTO categories VALUES('1', 'Mine', 'N');");
    db.AddParamInt(":hosts", hosts);
    // One host in a hundred is the user's.
    db.ExecSQL("WITH RECURSIVE n(x) AS (SELECT 0 UNION ALL SELECT x + 1 FROM n WHERE x + 1 < "
               ":hosts) INSERT INTO hosts SELECT CASE WHEN x % 100 = 0 THEN '1' ELSE 1 + x % 4 "
               "END, 'bot' || x || '.c2-' || (x % 977) || '.example', CASE WHEN x % 100 = 0 "
               "THEN 'N' ELSE 'Y' END FROM n;");
    db.ExecSQL("WITH RECURSIVE n(x) AS (SELECT 0 UNION ALL SELECT x + 1 FROM n WHERE x + 1 < "
               "5000) INSERT INTO probe SELECT '20261207', printf('%04d', x % 1440), 'bot' || x "
               "|| '.example' FROM n;");
    db.Commit();
}

qint64 hostCount(const QString& path)
{
    if (!QFileInfo::exists(path))
        return -1;
    try {
        TSQLiteDatabase db(path);
        return db.GetTableValue("SELECT COUNT(*) FROM hosts;");
    } catch (const ESQLiteException&) {
        return -1;
    }
}

bool dropPageCache()
{
    ::sync();
    QFile drop("/proc/sys/vm/drop_caches");
    return geteuid() == 0 && drop.open(QIODevice::WriteOnly) && drop.write("3\n") == 2;
}

// Seconds the check takes, and what it tells the user.
double timeCheck(QString* told)
{
    std::atomic_bool stop = false;
    QElapsedTimer timer;
    timer.start();
    *told = checkWholeDatabase(stop);
    return double(timer.nsecsElapsed()) / 1e9;
}

// Milliseconds a check takes to end once stopped partway: what quitting
// during the check waits for.
double timeStop(std::chrono::milliseconds stoppedAfter)
{
    std::atomic_bool stop = false;
    std::thread check([&] { checkWholeDatabase(stop); });
    std::this_thread::sleep_for(stoppedAfter);
    QElapsedTimer timer;
    timer.start();
    stop = true;
    check.join();
    return double(timer.nsecsElapsed()) / 1e6;
}

// Overwrites 20 pages in the middle of the file, where the hosts table lies.
void damageMiddle(const QString& path)
{
    qint64 pageSize = 0;
    {
        TSQLiteDatabase db(path);
        pageSize = db.GetTableValue("PRAGMA page_size;");
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        std::exit(1);
    const qint64 middle = file.size() / pageSize / 2;
    const QByteArray garbage(pageSize, '\xA5');
    for (qint64 page = middle; page < middle + 20; ++page) {
        file.seek(page * pageSize);
        file.write(garbage);
    }
}

// Seconds carrying the user's data out of the damaged file into a new one takes.
double timeCarry(const QString& damaged, const QString& fresh, CarriedOver* carried)
{
    QFile::remove(fresh);
    TSQLiteDatabase db(fresh);
    createTables(db);
    const std::atomic_bool stop = false;
    QElapsedTimer timer;
    timer.start();
    *carried = carryUserData(damaged, db, stop);
    return double(timer.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char** argv)
{
    const qint64 hosts = argc > 1 ? std::atoll(argv[1]) : 4000000;
    QTemporaryDir temporary;
    const QString folder = argc > 2 ? QDir(argv[2]).absolutePath() : temporary.path();
    QDir().mkpath(folder);
    platform::ScopedFakePlatform fake;
    fake.dataFolderPath = fake.configFolderPath = folder + "/";
    DBPath = folder + "/solvekdat.db";

    if (hostCount(DBPath) != hosts) {
        std::printf("making a database of %lld hosts in %s ...\n", hosts, qPrintable(folder));
        std::fflush(stdout);
        makeDatabase(DBPath, hosts);
    }
    std::printf("database: %lld hosts, %.1f MB\n", hosts, double(QFileInfo(DBPath).size()) / 1e6);

    QString told;
    if (dropPageCache())
        std::printf("sound, cold (page cache dropped): %.3f s\n", timeCheck(&told));
    else
        std::printf("sound, cold: not measured (dropping the page cache needs root)\n");
    for (int run = 1; run <= 3; ++run)
        std::printf("sound, warm, run %d:              %.3f s\n", run, timeCheck(&told));
    if (!told.isEmpty())
        std::printf("the sound database was found damaged: %s\n", qPrintable(told));
    if (dropPageCache())
        std::printf("sound, cold, stopped 1 s in: ended %.1f ms after the stop\n",
                    timeStop(std::chrono::seconds(1)));
    std::printf("sound, warm, stopped 0.1 s in: ended %.1f ms after the stop\n",
                timeStop(std::chrono::milliseconds(100)));

    const QString sound = folder + "/sound.db";
    QFile::remove(sound);
    QFile::copy(DBPath, sound);
    damageMiddle(DBPath);
    const QString carriedInto = folder + "/carried.db";
    const auto reportCarry = [&](const char* how) {
        CarriedOver carried;
        const double seconds = timeCarry(DBPath, carriedInto, &carried);
        std::printf("damaged, %s, carrying alone: %.3f s (%lld categories, %lld hosts, %lld probe "
                    "records)\n",
                    how, seconds, carried.categories, carried.hosts, carried.probeRecords);
    };
    if (dropPageCache())
        reportCarry("cold");
    for (int run = 1; run <= 3; ++run)
        reportCarry("warm");
    QFile::remove(carriedInto);
    const double damaged = timeCheck(&told);
    std::printf("damaged, warm, check and carrying over: %.3f s\n%s\n", damaged,
                qPrintable(told.simplified()));
    for (const QString& kept : QDir(folder).entryList({"solvekdat.db.broken-*"}, QDir::Files))
        QFile::remove(folder + "/" + kept);
    QFile::remove(DBPath);
    QFile::rename(sound, DBPath);
    return 0;
}
