// The program started as a user starts it.

#include "DamagedDatabase.h"
#include "ProgramFolder.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <grp.h>
#include <optional>
#include <string>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const alreadyRunning = "Solvek Anti-Bot: Solvek Anti-Bot is already running on your "
                                   "system. Check your system tray !";

// The single-instance lock, held as a running copy of the program holds it.
class HeldInstanceLock {
public:
    explicit HeldInstanceLock(const QString& runtimeFolder)
        : m_fd(::open(QFile::encodeName(runtimeFolder + "/SOLVEKAB.lock").constData(),
                      O_RDWR | O_CREAT | O_CLOEXEC, 0600))
    {}
    ~HeldInstanceLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    HeldInstanceLock(const HeldInstanceLock&) = delete;
    HeldInstanceLock& operator=(const HeldInstanceLock&) = delete;

    bool held() const { return m_fd >= 0 && ::flock(m_fd, LOCK_EX | LOCK_NB) == 0; }
    void release() { ::flock(m_fd, LOCK_UN); }

private:
    int m_fd;
};

} // namespace

TEST(ProgramStart, SecondStartWithoutADisplayReportsTheRunningCopyAndEnds)
{
    ProgramFolder folder;
    ASSERT_TRUE(folder.ready());
    HeldInstanceLock running(folder.path("runtime"));
    ASSERT_TRUE(running.held());

    QProcess second;
    second.setProcessEnvironment(folder.environment());
    second.start(folder.program(), {});
    ASSERT_TRUE(second.waitForStarted(10000));
    const bool ended = second.waitForFinished(30000);
    if (!ended)
        second.kill();
    ASSERT_TRUE(ended) << "the second start waits for an answer nobody can give";

    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    const QString errors = QString::fromLocal8Bit(second.readAllStandardError());
    EXPECT_TRUE(errors.contains(QLatin1String(alreadyRunning))) << errors.toStdString();
    EXPECT_TRUE(running.held());
}

TEST(ProgramStart, WithoutADisplayOrPlatformSaysSoInOneLineAndFails)
{
    ProgramFolder folder;
    ASSERT_TRUE(folder.ready());
    QProcessEnvironment env = folder.environment();
    for (const char* variable : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(variable);

    QProcess program;
    program.setProcessEnvironment(env);
    program.start(folder.program(), {});
    ASSERT_TRUE(program.waitForFinished(30000));

    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 1);
    EXPECT_EQ(program.readAllStandardError().toStdString(),
              "solvek-antibot: no display (DISPLAY and WAYLAND_DISPLAY are not set); start it on "
              "a desktop, or set QT_QPA_PLATFORM=offscreen to run it without one\n");
}

TEST(ProgramStart, AUsersSettingsFileLeftByARootRunIsSavedAsTheirs)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "files of other users need root";
    constexpr uid_t Nobody = 65534;
    ProgramFolder folder;
    ASSERT_TRUE(folder.ready());
    const QString settingsFolder = folder.path("config/solvek-antibot");
    ASSERT_TRUE(QDir().mkpath(settingsFolder));
    // A root run left the file and a write killed midway; the user took the file
    // back with "chown user", which keeps group root.
    const QString settings = settingsFolder + "/config.ini";
    const QString leftover = settingsFolder + "/.config.ini.solvek-Ab12Cd";
    for (const QString& path : {settings, leftover}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("[INFO]\nlastupdate=x\n") > 0);
    }
    const QByteArray name = QFile::encodeName(settings);
    ASSERT_EQ(::chmod(name.constData(), 0640), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(leftover).constData(), 0600), 0);
    const struct timespec anHourAgo[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(leftover).constData(), anHourAgo, 0), 0);
    for (const QString& path :
         {QFileInfo(folder.program()).absolutePath(), folder.path("home"), folder.path("data"),
          folder.path("config"), settingsFolder, folder.path("runtime")})
        ASSERT_EQ(::chown(QFile::encodeName(path).constData(), Nobody, Nobody), 0);
    ASSERT_EQ(::chown(name.constData(), Nobody, 0), 0);

    QProcess program;
    program.setProcessEnvironment(folder.environment());
    program.setChildProcessModifier([] {
        if (::setgroups(0, nullptr) != 0 || ::setgid(Nobody) != 0 || ::setuid(Nobody) != 0)
            ::_exit(126);
    });
    program.start(folder.program(), {});
    ASSERT_TRUE(program.waitForStarted(10000));
    // A start stores the probe's switch in the settings file.
    QDeadlineTimer deadline(60000);
    QFile file(settings);
    while (!(file.open(QIODevice::ReadOnly) && file.readAll().contains("PROBE=")) &&
           !deadline.hasExpired() && program.state() == QProcess::Running) {
        file.close();
        program.waitForFinished(50);
    }
    program.kill();
    program.waitForFinished(10000);
    const QString errors = QString::fromLocal8Bit(program.readAllStandardError());

    struct stat info {};
    ASSERT_EQ(::stat(name.constData(), &info), 0);
    EXPECT_EQ(info.st_uid, Nobody) << errors.toStdString();
    EXPECT_EQ(info.st_gid, Nobody);
    // Group root's read bit is not given to the user's own group.
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    EXPECT_FALSE(errors.contains("Unable to write")) << errors.toStdString();
    EXPECT_FALSE(QFileInfo::exists(leftover));
}

namespace {

// A signal set of a running process's status, such as "SigIgn" or "SigCgt".
quint64 signalSet(qint64 pid, const QByteArray& name)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(name + ':'))
            return line.mid(name.size() + 1).trimmed().toULongLong(nullptr, 16);
    return 0;
}

constexpr quint64 bitOf(int signal)
{
    return quint64(1) << (signal - 1);
}

} // namespace

// Started as nohup starts it, and as a shell starts a background job.
TEST(ProgramStart, SignalsIgnoredAtStartStayIgnored)
{
    ProgramFolder folder;
    ASSERT_TRUE(folder.ready());
    QProcess program;
    program.setProcessEnvironment(folder.environment());
    program.setChildProcessModifier([] {
        std::signal(SIGHUP, SIG_IGN);
        std::signal(SIGINT, SIG_IGN);
    });
    program.start(folder.program(), {});
    ASSERT_TRUE(program.waitForStarted(10000));
    const qint64 pid = program.processId();
    QDeadlineTimer deadline(30000);
    while (!(signalSet(pid, "SigCgt") & bitOf(SIGTERM)) && !deadline.hasExpired() &&
           program.state() == QProcess::Running)
        QThread::msleep(20);
    ASSERT_TRUE(signalSet(pid, "SigCgt") & bitOf(SIGTERM))
        << program.readAllStandardError().toStdString();
    EXPECT_EQ(signalSet(pid, "SigIgn") & (bitOf(SIGHUP) | bitOf(SIGINT)),
              bitOf(SIGHUP) | bitOf(SIGINT));

    ASSERT_EQ(::kill(pid_t(pid), SIGHUP), 0);
    ASSERT_EQ(::kill(pid_t(pid), SIGINT), 0);
    EXPECT_FALSE(program.waitForFinished(1000)) << "ended with " << program.exitCode();
    if (program.state() == QProcess::Running)
        ASSERT_EQ(::kill(pid_t(pid), SIGTERM), 0);
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 128 + SIGTERM);
}

namespace {

// The soft and hard "Max open files" of a running process.
std::pair<std::string, std::string> openFilesLimits(qint64 pid)
{
    QFile limits(QStringLiteral("/proc/%1/limits").arg(pid));
    if (!limits.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray& line : limits.readAll().split('\n'))
        if (line.startsWith("Max open files")) {
            const QList<QByteArray> words = line.simplified().split(' ');
            return {words.value(3).toStdString(), words.value(4).toStdString()};
        }
    return {};
}

} // namespace

TEST(ProgramStart, RaisesItsSoftOpenFilesLimitToTheHardLimit)
{
    rlimit session{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &session), 0);
    const rlim_t hard = std::min<rlim_t>(session.rlim_max, 4096);
    const rlim_t soft = 256;
    if (hard <= soft)
        GTEST_SKIP() << "the hard limit of open files is " << session.rlim_max;
    ProgramFolder folder;
    ASSERT_TRUE(folder.ready());

    QProcess program;
    program.setProcessEnvironment(folder.environment());
    program.setChildProcessModifier([soft, hard] {
        const rlimit low{soft, hard};
        ::setrlimit(RLIMIT_NOFILE, &low);
    });
    program.start(folder.program(), {});
    ASSERT_TRUE(program.waitForStarted(10000));
    // The database is made after the limit is raised.
    const QString database = folder.path("data/solvek-antibot/solvekdat.db");
    QDeadlineTimer deadline(30000);
    while (!QFile::exists(database) && !deadline.hasExpired() &&
           program.state() == QProcess::Running)
        QThread::msleep(20);
    const auto [softNow, hardNow] = openFilesLimits(program.processId());
    program.kill();
    program.waitForFinished(10000);

    ASSERT_TRUE(QFile::exists(database)) << program.readAllStandardError().toStdString();
    EXPECT_EQ(hardNow, std::to_string(hard));
    EXPECT_EQ(softNow, hardNow);
}

// A database damaged past its first pages: the start reads it whole, keeps it
// aside and carries the user's own data into a new one.
TEST(ProgramStart, ADatabaseDamagedInItsMiddleIsSetAsideWithTheUsersOwnData)
{
    ProgramFolder folder;
    ASSERT_TRUE(folder.ready());
    const QString dataFolder = folder.path("data/solvek-antibot");
    ASSERT_TRUE(QDir().mkpath(dataFolder));
    const QString database = dataFolder + "/solvekdat.db";
    constexpr int ListHosts = 20000;
    constexpr int UserHosts = 3000;
    constexpr int ProbeRecords = 40;
    makeProgramDatabase(database, ListHosts, UserHosts, ProbeRecords);

    // 20 leaves among the first half of list hosts, and one of the user's.
    const QList<LeafPage> leaves = leafPages(database, "hosts");
    QList<int> listLeaves;
    std::optional<LeafPage> userLeaf;
    for (int i = 0, rowsBefore = 0; i < leaves.size(); rowsBefore += leaves[i++].rows) {
        const int rowsAfter = rowsBefore + leaves[i].rows;
        if (rowsAfter <= ListHosts / 2)
            listLeaves.append(leaves[i].page);
        else if (!userLeaf && rowsBefore >= ListHosts / 2 && rowsAfter <= ListHosts / 2 + UserHosts)
            userLeaf = leaves[i];
    }
    ASSERT_GT(listLeaves.size(), 40);
    ASSERT_TRUE(userLeaf);
    QList<int> damaged = listLeaves.mid(listLeaves.size() / 2 - 10, 20);
    damaged.append(userLeaf->page);
    ASSERT_TRUE(overwritePages(database, damaged));
    QFile damagedFile(database);
    ASSERT_TRUE(damagedFile.open(QIODevice::ReadOnly));
    const QByteArray damagedBytes = damagedFile.readAll();
    damagedFile.close();

    QProcess program;
    program.setProcessEnvironment(folder.environment());
    program.start(folder.program(), {});
    ASSERT_TRUE(program.waitForStarted(10000));
    QString errors;
    for (QDeadlineTimer deadline(60000);
         !errors.contains("It was kept as") && !deadline.hasExpired();) {
        program.waitForReadyRead(100);
        errors += QString::fromLocal8Bit(program.readAllStandardError());
    }
    program.kill();
    program.waitForFinished(10000);

    const int carriedHosts = UserHosts - userLeaf->rows;
    EXPECT_TRUE(errors.contains("The database \"" + database + "\" is damaged"))
        << errors.toStdString();
    EXPECT_TRUE(
        errors.contains(QString("1 of your own categories with %1 hosts, and %2 probe records")
                            .arg(carriedHosts)
                            .arg(ProbeRecords)))
        << errors.toStdString();
    const QStringList kept = QDir(dataFolder).entryList({"solvekdat.db.broken-*"}, QDir::Files);
    ASSERT_EQ(kept.size(), 1);
    EXPECT_TRUE(errors.contains("It was kept as \"" + dataFolder + "/" + kept[0] + "\""))
        << errors.toStdString();
    QFile keptFile(dataFolder + "/" + kept[0]);
    ASSERT_TRUE(keptFile.open(QIODevice::ReadOnly));
    EXPECT_TRUE(keptFile.readAll() == damagedBytes);

    TSQLiteDatabase carried(database);
    EXPECT_EQ(carried.GetTableString("SELECT group_concat(catname, '|') FROM (SELECT catname FROM "
                                     "categories WHERE reserved = 'N')"),
              "Mine");
    EXPECT_EQ(carried.GetTableValue("SELECT COUNT(*) FROM categories WHERE reserved = 'Y'"), 4);
    EXPECT_EQ(carried.GetTableValue("SELECT COUNT(*) FROM hosts WHERE category = '1' AND "
                                    "reserved = 'N'"),
              carriedHosts);
    EXPECT_EQ(carried.GetTableValue("SELECT COUNT(*) FROM hosts"), carriedHosts);
    EXPECT_EQ(carried.GetTableValue("SELECT COUNT(*) FROM probe"), ProbeRecords);
}

namespace {

// The program's database in the folder, its hosts table damaged on two leaves
// of list hosts only, so every row of the user's can still be read.
QString makeDatabaseDamagedInItsLists(const ProgramFolder& folder, int userHosts)
{
    const QString dataFolder = folder.path("data/solvek-antibot");
    const QString database = dataFolder + "/solvekdat.db";
    if (!QDir().mkpath(dataFolder))
        return {};
    makeProgramDatabase(database, 20000, userHosts, 40);
    const QList<LeafPage> leaves = leafPages(database, "hosts");
    if (leaves.size() < 10 || !overwritePages(database, {leaves[3].page, leaves[4].page}))
        return {};
    return database;
}

// How many of the user's hosts the file holds; -1 while it cannot be read.
qint64 userHostsIn(const QString& database)
{
    try {
        TSQLiteDatabase db(database);
        return db.GetTableValue("SELECT COUNT(*) FROM hosts WHERE reserved = 'N'");
    } catch (const ESQLiteException&) {
        return -1;
    }
}

// Starts the program and ends it once the database holds that many hosts of
// the user's, or after a minute; answers what it said on standard error.
QString runUntilTheDatabaseHolds(const ProgramFolder& folder, const QString& database,
                                 qint64 userHosts)
{
    QProcess program;
    program.setProcessEnvironment(folder.environment());
    program.start(folder.program(), {});
    if (!program.waitForStarted(10000))
        return "not started";
    for (QDeadlineTimer deadline(60000);
         userHostsIn(database) != userHosts && !deadline.hasExpired();)
        program.waitForFinished(50);
    program.kill();
    program.waitForFinished(10000);
    return QString::fromLocal8Bit(program.readAllStandardError());
}

} // namespace

// A crash or power loss at any step of setting a damaged database aside never
// leaves the path without a database: the next start keeps the user's data.
TEST(ProgramStart, KilledAtAnyStepOfSettingADamagedDatabaseAsideTheNextStartKeepsTheUsersData)
{
    constexpr int UserHosts = 500;
    // Step 1: the damaged file has its second name; step 2: the new file took its place.
    for (const int step : {1, 2}) {
        SCOPED_TRACE(step);
        ProgramFolder folder;
        ASSERT_TRUE(folder.ready());
        const QString database = makeDatabaseDamagedInItsLists(folder, UserHosts);
        ASSERT_FALSE(database.isEmpty());

        QProcessEnvironment env = folder.environment();
        env.insert("LD_PRELOAD", SOLVEK_KILL_AFTER_STEP_LIBRARY);
        env.insert("SOLVEK_KILL_AFTER_STEP", QString::number(step));
        // The sanitizers' run-time would refuse a library loaded before it.
        env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":verify_asan_link_order=0");
        QProcess killed;
        killed.setProcessEnvironment(env);
        killed.start(folder.program(), {});
        ASSERT_TRUE(killed.waitForFinished(60000)) << "never reached the step";
        EXPECT_EQ(killed.exitStatus(), QProcess::CrashExit)
            << killed.readAllStandardError().toStdString();

        const QString errors = runUntilTheDatabaseHolds(folder, database, UserHosts);
        EXPECT_EQ(userHostsIn(database), UserHosts) << errors.toStdString();
        EXPECT_FALSE(QFileInfo::exists(database + ".salvage"));
    }
}

// The database belongs to the copy that runs: a second start leaves it as it
// is, damaged or not, and only says that the program runs already. The copy
// that runs carries the user's data out of it, its header spoilt as it is.
TEST(ProgramStart, ASecondStartLeavesTheRunningCopysDamagedDatabaseAlone)
{
    ProgramFolder folder;
    ASSERT_TRUE(folder.ready());
    HeldInstanceLock running(folder.path("runtime"));
    ASSERT_TRUE(running.held());
    const QString database = makeDatabaseDamagedInItsLists(folder, 50);
    ASSERT_FALSE(database.isEmpty());
    QFile file(database);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite) && file.write(QByteArray(100, '\x7f')) == 100);
    file.close();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();

    QProcess second;
    second.setProcessEnvironment(folder.environment());
    second.start(folder.program(), {});
    ASSERT_TRUE(second.waitForFinished(30000));
    const QString errors = QString::fromLocal8Bit(second.readAllStandardError());

    EXPECT_TRUE(errors.contains(QLatin1String(alreadyRunning))) << errors.toStdString();
    EXPECT_FALSE(errors.contains("solvekdat.db")) << errors.toStdString();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll() == before);
    EXPECT_EQ(QDir(QFileInfo(database).absolutePath()).entryList(QDir::Files).size(), 1);

    // The copy that runs, started after it, carries the user's data out of it.
    running.release();
    const QString ownersErrors = runUntilTheDatabaseHolds(folder, database, 50);
    EXPECT_EQ(userHostsIn(database), 50) << ownersErrors.toStdString();
}
