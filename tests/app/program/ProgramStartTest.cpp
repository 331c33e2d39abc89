// The program started as a user starts it, from a copy in a folder of its own
// so that the files it creates beside itself stay inside the test's folder.

#include "DamagedDatabase.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <unistd.h>

namespace {

const char* const alreadyRunning = "Solvek Anti-Bot: Solvek Anti-Bot is already running on your "
                                   "system. Check your system tray !";

// A copy of the program with its own home, data, settings and runtime folders.
class ProgramFolder {
public:
    ProgramFolder()
    {
        for (const char* folder : {"home", "data", "config", "runtime"})
            QDir(m_root.path()).mkpath(QString::fromLatin1(folder));
        QFile::setPermissions(path("runtime"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_copied = QFile::copy(QStringLiteral(SOLVEK_PROGRAM_FILE), program());
    }

    bool ready() const { return m_root.isValid() && m_copied; }
    QString program() const { return path("solvek-antibot"); }
    QString path(const QString& name) const { return m_root.filePath(name); }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("HOME", path("home"));
        env.insert("XDG_DATA_HOME", path("data"));
        env.insert("XDG_CONFIG_HOME", path("config"));
        env.insert("XDG_RUNTIME_DIR", path("runtime"));
        env.insert("SOLVEK_HOSTS_FILE", path("hosts"));
        return env;
    }

private:
    QTemporaryDir m_root;
    bool m_copied = false;
};

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
