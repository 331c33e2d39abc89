// The program started as a user starts it, from a copy in a folder of its own
// so that the files it creates beside itself stay inside the test's folder.

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/resource.h>
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
