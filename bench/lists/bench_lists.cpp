// Opens the hosts manager on a category of N hosts and the probe log viewer on
// a day of N records (arriving evenly over the day's minutes), headless, and prints for each: the
// time until the list is full, the longest stretch the window thread was busy while it filled, and
// the memory the filled list holds (resident size after minus before).
//
//   bench_lists [N ...]          (default: 300000 1000000)

#include "FakePlatform.h"
#include "HeapTuning.h"
#include "SQLiteTable3.h"
#include "UntHosts.h"
#include "UntListHosts.h"
#include "UntProbeLogs.h"
#include "UntRefreshProbeList.h"
#include "UntRefreshProbeTreeThread.h"
#include "UntSqliteUtils.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <unistd.h>

namespace {

double residentMegabytes()
{
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

void fillDatabase(qint64 rows)
{
    const QString numbers =
        QStringLiteral("WITH RECURSIVE n(x) AS (SELECT 0 UNION ALL SELECT x + 1 "
                       "FROM n WHERE x + 1 < %1) ")
            .arg(rows);
    TSQLiteDatabase db(DBPath);
    db.BeginTransaction();
    db.ExecSQL(QStringLiteral("INSERT INTO hosts ") + numbers +
               QStringLiteral("SELECT '1', 'bot' || x || '.c2-' || (x % 977) || '.example', 'Y' "
                              "FROM n;"));
    db.ExecSQL(
        QStringLiteral("INSERT INTO probe ") + numbers +
        QStringLiteral("SELECT '20261207', printf('%02d%02d', m / 60, m % 60), "
                       "'bot' || x || '.example' FROM (SELECT x, x * 1440 / %1 AS m FROM n);")
            .arg(rows));
    db.Commit();
}

struct Fill {
    double seconds = 0;
    double longestBusyMs = 0;
    double megabytes = 0;
    int rowsShown = 0;
};

// Runs the window thread's events until done(). A timer due every
// millisecond shows how long the thread was busy at a stretch: by how late it
// comes.
Fill measure(const std::function<void()>& start, const std::function<bool()>& done,
             const std::function<int()>& rowsShown)
{
    Fill fill;
    QElapsedTimer sinceTick;
    QTimer ticks;
    ticks.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        fill.longestBusyMs = std::max(fill.longestBusyMs, double(sinceTick.nsecsElapsed()) / 1e6);
        sinceTick.restart();
    });
    const double before = residentMegabytes();
    QElapsedTimer total;
    total.start();
    start();
    sinceTick.start();
    ticks.start(1);
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    fill.seconds = double(total.nsecsElapsed()) / 1e9;
    ticks.stop();
    QCoreApplication::processEvents();
    fill.megabytes = residentMegabytes() - before;
    fill.rowsShown = rowsShown();
    return fill;
}

void print(const char* window, qint64 rows, const Fill& fill)
{
    std::printf("%-13s %9lld rows: shown %9d in %6.3f s, window busy at most %6.1f ms, list "
                "%6.1f MB\n",
                window, static_cast<long long>(rows), fill.rowsShown, fill.seconds,
                fill.longestBusyMs, fill.megabytes);
    std::fflush(stdout);
}

void run(qint64 rows)
{
    QTemporaryDir dir;
    platform::ScopedFakePlatform fake;
    fake.dataFolderPath = fake.configFolderPath = dir.path() + "/";
    fake.programFilePath = dir.path() + "/solvek-antibot";
    fake.hostsFilePath = dir.path() + "/hosts";
    DBPath = dir.path() + "/solvekdat.db";
    createDB();
    fillDatabase(rows);

    {
        TFrmHosts hosts;
        hosts.show();
        QCoreApplication::processEvents();
        const Fill fill = measure(
            [&] { hosts.startListThread(QStringLiteral("1"), QStringLiteral("Y")); },
            [] { return TListHosts::live() == 0; }, [&] { return hosts.lst->model()->rowCount(); });
        print("hosts manager", rows, fill);
    }
    {
        TFrmProbe probe;
        probe.show();
        while (TRefreshProbeTree::live() != 0)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const Fill fill = measure([&] { probe.refreshList(QStringLiteral("07/12/2026")); },
                                  [] { return TRefreshProbeList::live() == 0; },
                                  [&] { return probe.lst->model()->rowCount(); });
        print("probe viewer", rows, fill);
    }
}

} // namespace

int main(int argc, char** argv)
{
    platform::shareHeapsAmongThreads(); // as the program does at start
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QList<qint64> sizes;
    for (int i = 1; i < argc; ++i)
        sizes << QByteArray(argv[i]).toLongLong();
    if (sizes.isEmpty())
        sizes = {300000, 1000000};
    for (qint64 rows : sizes)
        run(rows);
    return 0;
}
