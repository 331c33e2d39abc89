// The program started as a user starts it.

#include "ProgramFolder.h"

#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
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
