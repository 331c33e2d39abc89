// The program's end by a signal, as a session's end, kill or Ctrl+C send it,
// while clients keep the probe busy.

#include "ProgramFolder.h"
#include "SQLiteTable3.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <net/if.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr quint16 ProbePort = 80;
const QByteArray probeAnswer = "<b>Site blocked by Solvek Anti-Bot 3.0</b>";

bool writeFile(const char* path, const std::string& text)
{
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, text.data(), text.size()) == ssize_t(text.size());
    ::close(fd);
    return written;
}

// Moves this thread, and the threads and processes it starts from then on,
// into a network of its own with its loopback up: there the program's probe
// listens on its port 80, which no other listener of the machine holds, and
// the clients reach it. Root makes one directly; another user in a user
// namespace of its own, where it is root. Answers why it could not.
QString enterOwnNetwork()
{
    const uid_t uid = ::geteuid();
    const gid_t gid = ::getegid();
    if (uid == 0) {
        if (::unshare(CLONE_NEWNET) != 0)
            return QStringLiteral("unshare(CLONE_NEWNET): ") + std::strerror(errno);
    } else {
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNET) != 0)
            return QStringLiteral("unshare(CLONE_NEWUSER | CLONE_NEWNET): ") + std::strerror(errno);
        if (!writeFile("/proc/self/setgroups", "deny") ||
            !writeFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
            !writeFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1"))
            return QStringLiteral("user namespace maps: ") + std::strerror(errno);
    }
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ifreq request{};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    const bool up = fd >= 0 && ::ioctl(fd, SIOCGIFFLAGS, &request) == 0 &&
                    (request.ifr_flags |= IFF_UP, ::ioctl(fd, SIOCSIFFLAGS, &request) == 0);
    const QString failure = up ? QString() : QStringLiteral("loopback up: ") + std::strerror(errno);
    if (fd >= 0)
        ::close(fd);
    return failure;
}

int connectToProbe()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const timeval limit{5, 0}; // a stalled probe fails the request, never the test's end
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(ProbePort);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
        return fd;
    ::close(fd);
    return -1;
}

// The request's answer, read until the probe closes the connection.
QByteArray exchange(int fd, const QByteArray& request)
{
    if (::send(fd, request.constData(), size_t(request.size()), MSG_NOSIGNAL) != request.size())
        return {};
    QByteArray received;
    char chunk[256];
    ssize_t n;
    while ((n = ::recv(fd, chunk, sizeof chunk, 0)) > 0)
        received.append(chunk, n);
    return n == 0 ? received : QByteArray();
}

// Clients that ask the probe, each for hosts of its own, one request after
// another, until stopped; they note the hosts whose requests were answered.
class Flood {
public:
    explicit Flood(int clients)
    {
        for (int c = 0; c < clients; ++c)
            m_threads.emplace_back([this, c] { ask(c); });
    }
    ~Flood() { stop(); }
    Flood(const Flood&) = delete;
    Flood& operator=(const Flood&) = delete;

    qint64 answeredCount() const { return m_answeredCount.load(); }

    void stop()
    {
        m_stop.store(true);
        for (std::thread& thread : m_threads)
            if (thread.joinable())
                thread.join();
    }

    // The stored form of each answered host: the Host line's value, blank first.
    QSet<QString> answered() const
    {
        std::lock_guard lock(m_mutex);
        return m_answered;
    }

private:
    void ask(int client)
    {
        for (int request = 0; !m_stop.load();) {
            const int fd = connectToProbe();
            if (fd < 0) { // the probe has stopped listening, or is not there yet
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                continue;
            }
            const QString host = QStringLiteral("c%1-%2.test").arg(client).arg(request++);
            const QByteArray answer =
                exchange(fd, "GET / HTTP/1.1\r\nHost: " + host.toLatin1() + "\r\n\r\n");
            ::close(fd);
            if (answer == probeAnswer) {
                std::lock_guard lock(m_mutex);
                m_answered.insert(u' ' + host);
                ++m_answeredCount;
            }
        }
    }

    std::atomic<bool> m_stop{false};
    std::atomic<qint64> m_answeredCount{0};
    mutable std::mutex m_mutex;
    QSet<QString> m_answered;
    std::vector<std::thread> m_threads;
};

bool waitFor(const std::function<bool()>& condition, int timeoutMs)
{
    QElapsedTimer waited;
    waited.start();
    while (!condition()) {
        if (waited.elapsed() > timeoutMs)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// The program, with the probe switched on, in a network of its own.
class ProgramEndTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString unavailable = enterOwnNetwork();
        if (!unavailable.isEmpty())
            GTEST_SKIP() << "no network of its own for the probe's port 80: "
                         << unavailable.toStdString();
        ASSERT_TRUE(folder.ready());
        ASSERT_TRUE(QDir().mkpath(folder.path("config/solvek-antibot")));
        QFile settings(folder.path("config/solvek-antibot/config.ini"));
        ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
        settings.write("[SOLVEK]\nPROBE=1\n");
        settings.close();

        program.setProcessEnvironment(folder.environment());
        program.start(folder.program(), {});
        ASSERT_TRUE(program.waitForStarted(10000));
        ASSERT_TRUE(waitFor(
            [] {
                const int fd = connectToProbe();
                if (fd >= 0)
                    ::close(fd);
                return fd >= 0;
            },
            60000))
            << "the probe never listened";
    }

    void TearDown() override
    {
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished(10000);
        }
    }

    QString databasePath() const { return folder.path("data/solvek-antibot/solvekdat.db"); }

    void sendSignal(int signal) { ASSERT_EQ(::kill(pid_t(program.processId()), signal), 0); }

    // Waits for the program's end and answers how long it took since `since`.
    qint64 endedAfter(const QElapsedTimer& since)
    {
        const bool ended = program.waitForFinished(60000);
        const qint64 took = since.elapsed();
        EXPECT_TRUE(ended) << "the program did not end";
        return took;
    }

    QString standardError() { return QString::fromLocal8Bit(program.readAllStandardError()); }

    QSet<QString> storedHosts() const
    {
        TSQLiteDatabase db(databasePath());
        QStringList hosts;
        db.GetTableStrings("SELECT host FROM probe;", hosts);
        return QSet<QString>(hosts.begin(), hosts.end());
    }

    ProgramFolder folder;
    QProcess program;
};

// The line that counts the records lost at the end, and says why.
const QRegularExpression
    lostRecordsLine("^Solvek Anti-Bot: (\\d+) probe records were lost\\. (.*)$",
                    QRegularExpression::MultilineOption);

} // namespace

TEST_F(ProgramEndTest, SigtermDuringProbeTrafficStoresEveryAnsweredRequest)
{
    Flood flood(120);
    ASSERT_TRUE(waitFor([&] { return flood.answeredCount() >= 5000; }, 120000));
    QElapsedTimer sinceSignal;
    sinceSignal.start();
    sendSignal(SIGTERM);
    endedAfter(sinceSignal);
    flood.stop();

    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 128 + SIGTERM);
    const QSet<QString> answered = flood.answered();
    const QSet<QString> stored = storedHosts();
    const QSet<QString> missing = answered - stored;
    std::printf("answered %lld, stored %lld, answered but not stored %lld\n",
                qint64(answered.size()), qint64(stored.size()), qint64(missing.size()));
    EXPECT_TRUE(missing.isEmpty()) << missing.size() << " answered requests were not stored, "
                                   << "among them " << missing.begin()->toStdString();
    EXPECT_FALSE(standardError().contains(lostRecordsLine));
}

TEST_F(ProgramEndTest, WithTheDatabaseHeldElsewhereItEndsWithinTheBoundAndCountsTheRecordsLeft)
{
    TSQLiteDatabase holder(databasePath());
    holder.ExecSQL("BEGIN IMMEDIATE;");
    Flood flood(120);
    ASSERT_TRUE(waitFor([&] { return flood.answeredCount() >= 500; }, 120000));
    QElapsedTimer sinceSignal;
    sinceSignal.start();
    sendSignal(SIGHUP);
    const qint64 tookMs = endedAfter(sinceSignal);
    flood.stop();
    holder.ExecSQL("ROLLBACK;");

    std::printf("ended %lld ms after the signal\n", tookMs);
    // The bound is 3 s; a busy machine adds its delays.
    EXPECT_LT(tookMs, 7000);
    EXPECT_EQ(program.exitCode(), 128 + SIGHUP);
    const QString errors = standardError();
    const QRegularExpressionMatch told = lostRecordsLine.match(errors);
    ASSERT_TRUE(told.hasMatch()) << errors.toStdString();
    // Every answered request was queued, and none could be stored.
    EXPECT_GE(told.captured(1).toLongLong(), qint64(flood.answered().size()));
    EXPECT_EQ(told.captured(2), "The database \"" + databasePath() +
                                    "\" was locked by another program or task when Solvek "
                                    "Anti-Bot ended.");
    EXPECT_TRUE(storedHosts().isEmpty());
}

TEST_F(ProgramEndTest, ASecondSignalWhileEndingEndsAtOnce)
{
    TSQLiteDatabase holder(databasePath());
    holder.ExecSQL("BEGIN IMMEDIATE;");
    Flood flood(8);
    ASSERT_TRUE(waitFor([&] { return flood.answeredCount() >= 100; }, 120000));
    QElapsedTimer sinceSignal;
    sinceSignal.start();
    sendSignal(SIGTERM);
    // The first one waits for the held database, up to its 3 s bound.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    sendSignal(SIGINT);
    const qint64 tookMs = endedAfter(sinceSignal);
    flood.stop();
    holder.ExecSQL("ROLLBACK;");

    std::printf("ended %lld ms after the first signal\n", tookMs);
    EXPECT_LT(tookMs, 2500);
    EXPECT_EQ(program.exitCode(), 128 + SIGINT);
}
