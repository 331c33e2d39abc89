#include "linux/LinuxPlatform.h"
#include "linux/LinuxEndRequests.h"
#include "linux/LinuxInstanceGuard.h"
#include "linux/LinuxMessageBoxes.h"

#include "FileSizeLimit.h"
#include "SolvekException.h"
#include "Unprivileged.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;

namespace {

// Sets an environment variable for one test and restores it afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int modeOf(const QString& path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return int(info.st_mode & 07777);
}

// A second open file description of the lock file; flock conflicts between
// descriptions even inside one process.
class SecondHolder {
public:
    explicit SecondHolder(const QString& path)
        : m_fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600))
    {}
    ~SecondHolder()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    SecondHolder(const SecondHolder&) = delete;
    SecondHolder& operator=(const SecondHolder&) = delete;
    bool tryLock() { return m_fd >= 0 && ::flock(m_fd, LOCK_EX | LOCK_NB) == 0; }

private:
    int m_fd;
};

} // namespace

TEST(LinuxPlaces, ProgramFileAndHostsFile)
{
    Places& places = systemPlatform().places();
    EXPECT_EQ(places.programFile(), QCoreApplication::applicationFilePath());
    EXPECT_TRUE(QFileInfo(places.programFile()).isFile());
    {
        ScopedEnv hosts("SOLVEK_HOSTS_FILE", "/tmp/some/hosts");
        EXPECT_EQ(places.hostsFile(), "/tmp/some/hosts");
    }
    ScopedEnv none("SOLVEK_HOSTS_FILE", "");
    EXPECT_EQ(places.hostsFile(), "/etc/hosts");
}

TEST(LinuxPlaces, UserFilesLiveInTheXdgFoldersCreatedPrivate)
{
    QTemporaryDir home;
    ScopedEnv homeEnv("HOME", QFile::encodeName(home.path()));
    ScopedEnv data("XDG_DATA_HOME", QFile::encodeName(home.filePath("data/nested")));
    ScopedEnv config("XDG_CONFIG_HOME", QFile::encodeName(home.filePath("conf")));
    Places& places = systemPlatform().places();

    // Nothing of the user's lies beside the program, where a clean build deletes it.
    EXPECT_EQ(places.dataFolder(), home.filePath("data/nested/solvek-antibot/"));
    EXPECT_EQ(places.configFolder(), home.filePath("conf/solvek-antibot/"));
    EXPECT_EQ(modeOf(home.filePath("data/nested/solvek-antibot")), 0700);
    EXPECT_EQ(modeOf(home.filePath("conf/solvek-antibot")), 0700);

    // An existing folder keeps the mode its user gave it.
    ASSERT_EQ(::chmod(QFile::encodeName(home.filePath("conf/solvek-antibot")).constData(), 0750),
              0);
    EXPECT_EQ(places.configFolder(), home.filePath("conf/solvek-antibot/"));
    EXPECT_EQ(modeOf(home.filePath("conf/solvek-antibot")), 0750);
}

TEST(LinuxPlaces, UnsetOrRelativeXdgVariablesFallBackToTheHomeFolder)
{
    QTemporaryDir home;
    ScopedEnv homeEnv("HOME", QFile::encodeName(home.path()));
    ScopedEnv data("XDG_DATA_HOME", "relative/data");
    ScopedEnv config("XDG_CONFIG_HOME", QByteArray());
    Places& places = systemPlatform().places();
    EXPECT_EQ(places.dataFolder(), home.filePath(".local/share/solvek-antibot/"));
    EXPECT_EQ(places.configFolder(), home.filePath(".config/solvek-antibot/"));
    EXPECT_TRUE(QFileInfo(home.filePath(".local/share/solvek-antibot")).isDir());
    EXPECT_FALSE(QFileInfo::exists("relative/data"));
}

TEST(LinuxFileAttributes, ReadOnlyAndNormal)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("hosts");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    FileAttributes& attributes = systemPlatform().fileAttributes();

    ASSERT_TRUE(attributes.setReadOnly(path, true));
    EXPECT_EQ(modeOf(path), 0444);

    ASSERT_TRUE(attributes.setReadOnly(path, false));
    EXPECT_EQ(modeOf(path), 0644);

    EXPECT_FALSE(attributes.setReadOnly(dir.filePath("missing"), true));
}

TEST(LinuxResolverCache, StartsResolvectlWhenFoundAndIgnoresItsAbsence)
{
    QTemporaryDir dir;
    const QString marker = dir.filePath("ran");
    const QString tool = dir.filePath("resolvectl");
    QFile script(tool);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\necho \"$@\" > '" + QFile::encodeName(marker) + ".tmp'\n/bin/mv '" +
                 QFile::encodeName(marker) + ".tmp' '" + QFile::encodeName(marker) + "'\n");
    script.close();
    ASSERT_TRUE(script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    {
        ScopedEnv path("PATH", QFile::encodeName(dir.path()));
        systemPlatform().resolverCache().flush();
    }
    // Detached: wait for the helper to leave its mark.
    QDeadlineTimer deadline(20000);
    while (!QFileInfo::exists(marker) && !deadline.hasExpired())
        QThread::msleep(10);
    EXPECT_EQ(readAll(marker), QByteArray("flush-caches\n"));

    QTemporaryDir empty;
    ScopedEnv path("PATH", QFile::encodeName(empty.path()));
    EXPECT_NO_THROW(systemPlatform().resolverCache().flush());
}

TEST(LinuxInstanceGuard, SecondHolderIsRefused)
{
    QTemporaryDir runtime;
    ScopedEnv env("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    // A guard of its own: the program's guard holds its locks for the whole
    // process, which would carry them into a repeated run.
    LinuxInstanceGuard guard;

    // Another process holding the lock is seen through the lock file.
    SecondHolder other(runtime.filePath("TAKEN.lock"));
    ASSERT_TRUE(other.tryLock());
    EXPECT_FALSE(guard.acquire("TAKEN"));

    // Once this process holds it, nobody else gets it, and asking again still answers true.
    const QString name = "SOLVEKAB-test-" + QString::number(QCoreApplication::applicationPid());
    ASSERT_TRUE(guard.acquire(name));
    EXPECT_TRUE(QFileInfo::exists(runtime.filePath(name + ".lock")));
    SecondHolder latecomer(runtime.filePath(name + ".lock"));
    EXPECT_FALSE(latecomer.tryLock());
    EXPECT_TRUE(guard.acquire(name));
}

TEST(LinuxInstanceGuard, WithoutARuntimeFolderTheLockIsTheUsersOwn)
{
    QTemporaryDir temp;
    ScopedEnv runtime("XDG_RUNTIME_DIR", QByteArray());
    ScopedEnv tmpdir("TMPDIR", QFile::encodeName(temp.path()));
    LinuxInstanceGuard guard;

    // Another user's lock of the same name, which this user may not even open.
    SecondHolder otherUser(temp.filePath("SHARED.lock"));
    ASSERT_TRUE(otherUser.tryLock());
    EXPECT_TRUE(guard.acquire("SHARED"));
    const QString own = temp.filePath(QString::number(::getuid()) + "-SHARED.lock");
    EXPECT_TRUE(QFileInfo::exists(own));
    SecondHolder latecomer(own);
    EXPECT_FALSE(latecomer.tryLock());
}

TEST(LinuxInstanceGuard, AnotherUsersRuntimeFolderIsNotUsed)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving a folder to another user needs root";
    QTemporaryDir theirs;
    QTemporaryDir temp;
    ASSERT_EQ(::chown(QFile::encodeName(theirs.path()).constData(), 4321, 4322), 0);
    ScopedEnv runtime("XDG_RUNTIME_DIR", QFile::encodeName(theirs.path()));
    ScopedEnv tmpdir("TMPDIR", QFile::encodeName(temp.path()));

    LinuxInstanceGuard guard;
    EXPECT_TRUE(guard.acquire("FOREIGN"));
    EXPECT_FALSE(QFileInfo::exists(theirs.filePath("FOREIGN.lock")));
    SecondHolder latecomer(temp.filePath(QString::number(::getuid()) + "-FOREIGN.lock"));
    EXPECT_FALSE(latecomer.tryLock());
}

TEST(LinuxAutostart, DesktopEntryWithTheExactCommandLine)
{
    QTemporaryDir config;
    ScopedEnv env("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    Autostart& autostart = systemPlatform().autostart();
    const QString name = "Solvek Anti-Bot";
    const QString entry = config.filePath("autostart/Solvek-Anti-Bot.desktop");

    EXPECT_FALSE(autostart.exists(name));
    const mode_t oldMask = ::umask(022);
    autostart.set(name, "\"/opt/solvek app/solvek-antibot\" /hidden");
    ::umask(oldMask);
    EXPECT_TRUE(autostart.exists(name));
    EXPECT_EQ(readAll(entry), QByteArray("[Desktop Entry]\nType=Application\nName=Solvek Anti-Bot\n"
                                         "Exec=\"/opt/solvek app/solvek-antibot\" /hidden\n"));
    // The desktop reads the entry as any user: readable by all the umask lets read.
    EXPECT_EQ(modeOf(entry), 0644);

    // Setting again replaces the entry; a '%' is not taken for a field code.
    autostart.set(name, "\"/opt/100%/solvek-antibot\" /hidden");
    EXPECT_TRUE(readAll(entry).contains("\nExec=\"/opt/100%%/solvek-antibot\" /hidden\n"));

    autostart.remove(name);
    EXPECT_FALSE(autostart.exists(name));
    EXPECT_FALSE(QFileInfo::exists(entry));
    EXPECT_NO_THROW(autostart.remove(name));
}

TEST(LinuxAutostart, AWriteCutShortKeepsTheOldEntryAndRaises)
{
    QTemporaryDir config;
    ScopedEnv env("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    Autostart& autostart = systemPlatform().autostart();
    const QString name = "Solvek Anti-Bot";
    autostart.set(name, "\"/x\" /hidden");
    const QString entry = config.filePath("autostart/Solvek-Anti-Bot.desktop");
    const QByteArray old = readAll(entry);
    ASSERT_FALSE(old.isEmpty());
    {
        // As on a full disk: the write fails partway, here at the file-size limit.
        FileSizeLimit limit(old.size());
        ASSERT_TRUE(limit.isSet());
        try {
            autostart.set(name, "\"/opt/a much longer folder name/solvek-antibot\" /hidden");
            FAIL() << "a cut write raised nothing";
        } catch (const solvek::Exception& e) {
            EXPECT_EQ(e.message(), "Failed to set data for 'Solvek Anti-Bot'");
        }
    }
    EXPECT_EQ(readAll(entry), old);
    EXPECT_EQ(QDir(config.filePath("autostart"))
                  .entryList(QDir::Files | QDir::Hidden)
                  .join(u' ')
                  .toStdString(),
              "Solvek-Anti-Bot.desktop");
}

TEST(LinuxAutostart, AUserReplacesTheirEntryWhoseGroupIsRoots)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "files of other users need root";
    constexpr uid_t Nobody = 65534; // the user runUnprivileged drops to, with its group
    QTemporaryDir config;
    ASSERT_TRUE(QDir(config.path()).mkdir("autostart"));
    const QString entry = config.filePath("autostart/Solvek-Anti-Bot.desktop");
    QFile file(entry);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("[Desktop Entry]\n") > 0);
    file.close();
    for (const QString& path : {config.path(), config.filePath("autostart")})
        ASSERT_EQ(::chown(QFile::encodeName(path).constData(), Nobody, Nobody), 0);
    ASSERT_EQ(::chown(QFile::encodeName(entry).constData(), Nobody, 0), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(entry).constData(), 0640), 0);
    ScopedEnv env("XDG_CONFIG_HOME", QFile::encodeName(config.path()));

    const QString outcome = runUnprivileged([] {
        try {
            systemPlatform().autostart().set("Solvek Anti-Bot", "\"/x\" /hidden");
        } catch (const solvek::Exception& e) {
            return e.message();
        }
        return QStringLiteral("set");
    });
    EXPECT_EQ(outcome.toStdString(), "set");
    EXPECT_TRUE(readAll(entry).contains("\nExec=\"/x\" /hidden\n"));
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(entry).constData(), &info), 0);
    EXPECT_EQ(info.st_uid, Nobody);
    EXPECT_EQ(info.st_gid, Nobody);
    EXPECT_EQ(info.st_mode & 07777, 0600u); // root's group bits are not the user's group's
}

TEST(LinuxAutostart, UnwritableFolderRaises)
{
    QTemporaryDir config;
    // A plain file where the autostart folder belongs stops root as well.
    QFile blocker(config.filePath("autostart"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    ScopedEnv env("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    try {
        systemPlatform().autostart().set("Solvek Anti-Bot", "\"/x\" /hidden");
        FAIL() << "no exception";
    } catch (const solvek::Exception& e) {
        EXPECT_EQ(e.message(), "Failed to set data for 'Solvek Anti-Bot'");
    }
    EXPECT_FALSE(systemPlatform().autostart().exists("Solvek Anti-Bot"));
    EXPECT_THROW(systemPlatform().autostart().set("Solvek Anti-Bot", "\"/x\"\n[Other]"),
                 solvek::Exception);
}

namespace {

struct SeenBox {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QString text;
    QString title;
    QWidget* owner = nullptr;
};

// Answers the next modal box by pressing `button`, or by Escape when it is NoButton.
int answerNextBox(unsigned flags, QMessageBox::StandardButton button, SeenBox& seen,
                  QWidget* owner = nullptr)
{
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen = {box->icon(), box->standardButtons(), box->text(), box->windowTitle(),
                box->parentWidget()};
        if (button == QMessageBox::NoButton)
            box->reject();
        else
            box->button(button)->click();
    });
    LinuxMessageBoxes onScreen(LinuxMessageBoxes::Display::Screen);
    return onScreen.show(owner, "Body", "Title", flags);
}

// A window shown and made active, as the one the user looks at.
void showInFront(QWidget& window)
{
    window.show();
    window.activateWindow();
    QApplication::setActiveWindow(&window);
}

} // namespace

namespace {

void otherHandler(int) {}

sighandler_t handlerOf(int signal)
{
    struct sigaction action {};
    ::sigaction(signal, nullptr, &action);
    return action.sa_handler;
}

} // namespace

TEST(LinuxEndRequests, GivesTheSignalsBackTheHandlingTheyHad)
{
    const sighandler_t before[] = {std::signal(SIGTERM, &otherHandler),
                                   std::signal(SIGHUP, SIG_IGN), std::signal(SIGINT, SIG_DFL)};
    {
        LinuxEndRequests requests;
        requests.watch([](int) {});
        EXPECT_NE(handlerOf(SIGTERM), &otherHandler);
        EXPECT_NE(handlerOf(SIGINT), SIG_DFL);
        EXPECT_EQ(handlerOf(SIGHUP), SIG_IGN);
    }
    EXPECT_EQ(handlerOf(SIGTERM), &otherHandler);
    EXPECT_EQ(handlerOf(SIGHUP), SIG_IGN);
    EXPECT_EQ(handlerOf(SIGINT), SIG_DFL);
    std::signal(SIGTERM, before[0]);
    std::signal(SIGHUP, before[1]);
    std::signal(SIGINT, before[2]);
}

TEST(LinuxMessageBoxes, IconsButtonsAndAnswers)
{
    SeenBox seen;
    EXPECT_EQ(answerNextBox(MB_OK | MB_ICONINFORMATION, QMessageBox::Ok, seen), IDOK);
    EXPECT_EQ(seen.icon, QMessageBox::Information);
    EXPECT_EQ(seen.buttons, QMessageBox::Ok);
    EXPECT_EQ(seen.text, "Body");
    EXPECT_EQ(seen.title, "Title");

    EXPECT_EQ(answerNextBox(MB_YESNO | MB_ICONQUESTION, QMessageBox::Yes, seen), IDYES);
    EXPECT_EQ(seen.icon, QMessageBox::Question);
    EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(answerNextBox(MB_YESNO | MB_ICONWARNING, QMessageBox::No, seen), IDNO);
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    // Closing a confirmation is never a Yes.
    EXPECT_EQ(answerNextBox(MB_YESNO | MB_ICONQUESTION, QMessageBox::NoButton, seen), IDNO);

    EXPECT_EQ(answerNextBox(MB_OKCANCEL | MB_ICONERROR, QMessageBox::Cancel, seen), IDCANCEL);
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_EQ(seen.buttons, QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(answerNextBox(MB_OKCANCEL, QMessageBox::NoButton, seen), IDCANCEL);
}

TEST(LinuxMessageBoxes, BoxBelongsToTheWindowInFront)
{
    QWidget main;
    QWidget other;
    showInFront(other);
    showInFront(main);

    SeenBox seen;
    answerNextBox(MB_OK, QMessageBox::Ok, seen, &other);
    EXPECT_EQ(seen.owner, &other);
    // A box asked for by a child belongs to its window.
    auto* child = new QWidget(&other);
    EXPECT_EQ(LinuxMessageBoxes::ownerFor(child), &other);
    // The application's window: the active one.
    showInFront(main);
    answerNextBox(MB_OK, QMessageBox::Ok, seen);
    EXPECT_EQ(seen.owner, &main);
    // A hidden window cannot hold a box.
    other.hide();
    showInFront(main);
    EXPECT_EQ(LinuxMessageBoxes::ownerFor(&other), &main);
    main.hide();
    QApplication::setActiveWindow(nullptr);
    EXPECT_EQ(LinuxMessageBoxes::ownerFor(&other), nullptr);
    EXPECT_EQ(LinuxMessageBoxes::ownerFor(nullptr), nullptr);
}

TEST(LinuxMessageBoxes, ModalWindowOwnsEveryBox)
{
    QWidget main;
    showInFront(main);
    QDialog modal(&main);
    modal.setModal(true);
    modal.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &modal);

    SeenBox seen;
    answerNextBox(MB_OK, QMessageBox::Ok, seen, &main);
    EXPECT_EQ(seen.owner, &modal);
    EXPECT_EQ(LinuxMessageBoxes::ownerFor(nullptr), &modal);
    modal.hide();
}

TEST(LinuxMessageBoxes, WithoutAScreenTheTextGoesToStandardErrorAndTheBoxAnswersAsClosed)
{
    std::ostringstream report;
    LinuxMessageBoxes boxes(LinuxMessageBoxes::Display::StandardError, report);
    EXPECT_EQ(boxes.show(nullptr, "Already running", "Solvek Anti-Bot", MB_OK | MB_ICONINFORMATION),
              IDOK);
    EXPECT_EQ(report.str(), "Solvek Anti-Bot: Already running\n");
    EXPECT_EQ(boxes.show(nullptr, "Sure?", "Exit", MB_YESNO | MB_ICONWARNING), IDNO);
    EXPECT_EQ(boxes.show(nullptr, "Go on?", "Ask", MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(LinuxMessageBoxes, OnTheOffscreenPlatformBoxesAreReported)
{
    if (QGuiApplication::platformName() != "offscreen")
        GTEST_SKIP() << "runs on the offscreen platform only";
    // A box that did open is closed, so the test fails instead of waiting.
    QTimer::singleShot(0, [] {
        if (QWidget* box = QApplication::activeModalWidget())
            box->close();
    });
    std::ostringstream report;
    LinuxMessageBoxes boxes(LinuxMessageBoxes::Display::FollowPlatform, report);
    EXPECT_EQ(boxes.show(nullptr, "Body", "Title", MB_YESNO), IDNO);
    EXPECT_EQ(report.str(), "Title: Body\n");
}

TEST(LinuxTaskbar, NotAvailableAnswersFalse)
{
    Taskbar& taskbar = systemPlatform().taskbar();
    if (taskbar.available())
        GTEST_SKIP() << "the launcher progress is offered here";
    EXPECT_FALSE(taskbar.setProgressState(2));
    EXPECT_FALSE(taskbar.setProgressValue(1, 2));
    EXPECT_FALSE(taskbar.setOverlayIcon(QIcon(), QString()));
}
