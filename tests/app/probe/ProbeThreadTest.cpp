#include "AppTestSupport.h"
#include "Descriptors.h"
#include "ProbeLogWriter.h"
#include "Socket.h"
#include "SocketError.h"
#include "StepSenders.h"
#include "SynchronizingMerge.h"
#include "UntProbeThread.h"

#include <QDate>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <limits>
#include <netinet/in.h>
#include <numeric>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using platform::Socket;

// ---------------------------------------------------------------------------
// The request rules

TEST(ProbeRequest, HostValueKeepsItsLeadingBlankAndPort)
{
    const ProbeRequest request =
        judgeProbeRequest("GET / HTTP/1.1\r\nHost: example.com:8080\r\nAccept: */*\r\n\r\n");
    EXPECT_TRUE(request.answer);
    EXPECT_TRUE(request.log);
    EXPECT_EQ(request.host, " example.com:8080");
}

TEST(ProbeRequest, OtherCaseIsAnsweredButNotLogged)
{
    for (const char* text : {"GET / HTTP/1.1\r\nhost: example.com\r\n\r\n",
                             "GET / HTTP/1.1\r\nHOST: example.com\r\n\r\n",
                             "GET / HTTP/1.1\r\nX-Forwarded-Host: example.com\r\n\r\n"}) {
        const ProbeRequest request = judgeProbeRequest(text);
        EXPECT_TRUE(request.answer) << text;
        EXPECT_FALSE(request.log) << text;
    }
}

TEST(ProbeRequest, WithoutHostNothingIsAnswered)
{
    EXPECT_FALSE(judgeProbeRequest("GET / HTTP/1.0\r\n\r\n").answer);
    EXPECT_FALSE(judgeProbeRequest("").answer);
}

TEST(ProbeRequest, OnlyTheFirstHostLineCounts)
{
    EXPECT_EQ(judgeProbeRequest("GET /\r\nHost: first.com\r\nHost: second.com\r\n").host,
              " first.com");
}

TEST(ProbeRequest, LinesEndAtCrLfOrCrOrLf)
{
    EXPECT_EQ(judgeProbeRequest("GET /\rHost: a.com\rX: 1").host, " a.com");
    EXPECT_EQ(judgeProbeRequest("GET /\nHost: b.com\nX: 1").host, " b.com");
    // The whole request is trimmed first, so a Host line after leading blanks counts.
    EXPECT_EQ(judgeProbeRequest("\r\n  \tHost: c.com  \r\n").host, " c.com");
    // Without any line end the one line must begin with the header.
    EXPECT_EQ(judgeProbeRequest("Host: d.com GET / HTTP/1.1").host, " d.com GET / HTTP/1.1");
}

TEST(ProbeRequest, ReadingStopsAtTheFirstZeroByte)
{
    const QByteArray beforeZero = QByteArray("GET /\r\nHost: a.com\r\n\0Host: b.com", 33);
    EXPECT_EQ(judgeProbeRequest(beforeZero).host, " a.com");
    const QByteArray hostAfterZero = QByteArray("GET /\r\n\0Host: a.com\r\n", 21);
    EXPECT_FALSE(judgeProbeRequest(hostAfterZero).answer);
}

TEST(ProbeRequest, HostileValuesAreKeptAsTheyCame)
{
    EXPECT_EQ(judgeProbeRequest("Host: \"); DROP TABLE probe; --\r\n").host,
              " \"); DROP TABLE probe; --");
    // Bytes that are not text in the locale's encoding: one character per byte.
    const ProbeRequest binary = judgeProbeRequest("Host: \x01\xfe\xff.com\r\n");
    EXPECT_EQ(binary.host, QString::fromLatin1(" \x01\xfe\xff.com"));
    EXPECT_EQ(judgeProbeRequest("Host: b\xc3\xbc"
                                "cher.de\r\n")
                  .host,
              QString::fromUtf8(" b\xc3\xbc"
                                "cher.de"));
}

TEST(ProbeRequest, AnswerIsTheFortyTwoBytes)
{
    EXPECT_EQ(probeAnswer(), QByteArray("<b>Site blocked by Solvek Anti-Bot 3.0</b>"));
    EXPECT_EQ(probeAnswer().size(), 42);
}

TEST(ProbeLimits, ReserveIsHalfTheLimitAtLeast32AtMost192)
{
    // Worked out by hand from the rule, not from the code.
    const std::pair<int, int> limitAndReserve[] = {{40, 32},   {63, 32},   {64, 32},   {100, 50},
                                                   {200, 100}, {384, 192}, {400, 192}, {1024, 192}};
    for (const auto& [limit, reserve] : limitAndReserve)
        EXPECT_EQ(probe_limits::reservedDescriptors(limit), reserve) << "limit " << limit;
}

// ---------------------------------------------------------------------------
// The listener on a free port of 127.0.0.1

namespace {

bool connectSocket(const Socket& client, quint16 port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return ::connect(client.fd(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
}

Socket tcpSocket()
{
    return Socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
}

Socket connectTo(quint16 port)
{
    Socket client = tcpSocket();
    return connectSocket(client, port) ? std::move(client) : Socket();
}

void sendAll(const Socket& client, const QByteArray& bytes)
{
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(client.fd(), bytes.constData() + sent, size_t(bytes.size() - sent),
                                 MSG_NOSIGNAL);
        ASSERT_GT(n, 0);
        sent += n;
    }
}

// Everything until the probe closes the connection.
QByteArray readToEnd(const Socket& client)
{
    QByteArray received;
    char chunk[256];
    ssize_t n;
    while ((n = ::recv(client.fd(), chunk, sizeof chunk, 0)) > 0)
        received.append(chunk, n);
    EXPECT_EQ(n, 0) << "the connection was reset instead of closed";
    return received;
}

int threadCount()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("Threads:"))
            return line.mid(8).trimmed().toInt();
    return -1;
}

QByteArray exchange(quint16 port, const QByteArray& request)
{
    Socket client = connectTo(port);
    EXPECT_TRUE(client.valid());
    sendAll(client, request);
    return readToEnd(client);
}

} // namespace

class ProbeTest : public DatabaseFixture {
protected:
    void SetUp() override
    {
        DatabaseFixture::SetUp();
        probe = std::make_unique<TProbe>(0);
        probe->Start();
        ASSERT_TRUE(waitUntil([&] { return probe->listeningPort() != 0; }));
        port = probe->listeningPort();
    }

    void TearDown() override
    {
        probe.reset();
        QCoreApplication::processEvents(); // boxes told late meet the fake, not a real box
        // Connection threads free themselves on the window thread.
        ASSERT_TRUE(waitUntil([] { return TProbeCo::live() == 0; }));
        // Records of this test reach its database before the folder goes.
        ASSERT_TRUE(ProbeLogWriter::instance().flush());
    }

    // The stored records as "date|time|host", in table order.
    QStringList records()
    {
        EXPECT_TRUE(ProbeLogWriter::instance().flush());
        TSQLiteDatabase db(DBPath);
        auto table = db.GetTable("SELECT date, time, host FROM probe ORDER BY rowid;");
        QStringList rows;
        for (; !table->GetEOF(); table->Next())
            rows << table->FieldAsString(0) + "|" + table->FieldAsString(1) + "|" +
                        table->FieldAsString(2);
        return rows;
    }

    QStringList storedHosts()
    {
        EXPECT_TRUE(ProbeLogWriter::instance().flush());
        return column("SELECT host FROM probe ORDER BY rowid;");
    }

    std::unique_ptr<TProbe> probe;
    quint16 port = 0;
};

TEST_F(ProbeTest, RequestGetsTheAnswerAndIsRecordedWithDayAndTime)
{
    const QString before = QDate::currentDate().toString("yyyyMMdd");
    EXPECT_EQ(exchange(port, "GET / HTTP/1.1\r\nHost: example.com\r\n\r\n"), probeAnswer());

    const QStringList rows = records();
    ASSERT_EQ(rows.size(), 1);
    const QStringList fields = rows[0].split('|');
    const QString after = QDate::currentDate().toString("yyyyMMdd");
    EXPECT_TRUE(fields[0] == before || fields[0] == after) << fields[0].toStdString();
    EXPECT_EQ(fields[1].size(), 4);
    EXPECT_EQ(fields[2], " example.com");
}

TEST_F(ProbeTest, OtherCaseHeaderIsAnsweredButNotRecorded)
{
    EXPECT_EQ(exchange(port, "GET / HTTP/1.1\r\nhost: example.com\r\n\r\n"), probeAnswer());
    EXPECT_EQ(exchange(port, "GET / HTTP/1.1\r\nHOST: example.com\r\n\r\n"), probeAnswer());
    EXPECT_TRUE(storedHosts().isEmpty());
}

TEST_F(ProbeTest, EmptyConnectionIsClosedWithoutAnswer)
{
    Socket client = connectTo(port);
    ASSERT_TRUE(client.valid());
    ::shutdown(client.fd(), SHUT_WR);
    EXPECT_EQ(readToEnd(client), QByteArray());
    EXPECT_EQ(exchange(port, "GET / HTTP/1.0\r\n\r\n"), QByteArray());
    EXPECT_TRUE(storedHosts().isEmpty());
}

TEST_F(ProbeTest, TwoHostLinesRecordTheFirst)
{
    exchange(port, "GET / HTTP/1.1\r\nHost: first.com\r\nHost: second.com\r\n\r\n");
    EXPECT_EQ(storedHosts(), QStringList{" first.com"});
}

TEST_F(ProbeTest, LargeRequestsAreJudgedByTheirFirstReceive)
{
    QByteArray exact = "GET / HTTP/1.1\r\nHost: exact.com\r\nX-Pad: ";
    exact.append(QByteArray(8192 - exact.size() - 2, 'x')).append("\r\n");
    ASSERT_EQ(exact.size(), 8192);
    EXPECT_EQ(exchange(port, exact), probeAnswer());

    QByteArray larger = "GET / HTTP/1.1\r\nHost: larger.com\r\n";
    larger.append(QByteArray(30000, 'y'));
    EXPECT_EQ(exchange(port, larger), probeAnswer());

    // A Host line beyond the first 8192 bytes is not seen.
    QByteArray late(9000, 'z');
    late.append("\r\nHost: late.com\r\n\r\n");
    EXPECT_EQ(exchange(port, late), QByteArray());

    EXPECT_EQ(storedHosts(), (QStringList{" exact.com", " larger.com"}));
}

TEST_F(ProbeTest, HostileHostValuesAreStoredExactly)
{
    const QByteArray sql = "\"); DROP TABLE probe; --";
    const QByteArray quotes = "'\"\"'";
    exchange(port, "GET / HTTP/1.1\r\nHost: " + sql + "\r\n\r\n");
    exchange(port, "GET / HTTP/1.1\r\nHost: " + quotes + "\r\n\r\n");
    exchange(port, QByteArray("GET /\r\nHost: \x01\x7f\xff\r\n\r\n"));
    exchange(port, "no line ends Host: x.com");
    exchange(port, QByteArray("Host: nul.com\r\n\0\0\0Host: after.com", 33));

    const QStringList hosts = storedHosts();
    ASSERT_EQ(hosts.size(), 4);
    EXPECT_TRUE(hosts.contains(" " + QString::fromLatin1(sql)));
    EXPECT_TRUE(hosts.contains(" " + QString::fromLatin1(quotes)));
    EXPECT_TRUE(hosts.contains(QString::fromLatin1(" \x01\x7f\xff")));
    EXPECT_TRUE(hosts.contains(" nul.com"));
}

TEST_F(ProbeTest, RecordsOfManyClientsAreAllStoredInArrivalOrder)
{
    for (int i = 0; i < 300; ++i)
        exchange(port, QStringLiteral("GET / HTTP/1.1\r\nHost: h%1.com\r\n\r\n").arg(i).toLatin1());
    const QStringList hosts = storedHosts();
    ASSERT_EQ(hosts.size(), 300);
    for (int i = 0; i < 300; ++i)
        EXPECT_EQ(hosts[i], QStringLiteral(" h%1.com").arg(i));
}

TEST_F(ProbeTest, ConcurrentClientsAreAllAnsweredAndRecorded)
{
    constexpr int clients = 40;
    constexpr int requestsEach = 50;
    std::vector<std::thread> threads;
    std::atomic<int> answered{0};
    for (int c = 0; c < clients; ++c)
        threads.emplace_back([&, c] {
            for (int r = 0; r < requestsEach; ++r) {
                const QByteArray host = "c" + QByteArray::number(c) + "-" + QByteArray::number(r);
                answered +=
                    exchange(port, "GET / HTTP/1.1\r\nHost: " + host + "\r\n\r\n") == probeAnswer();
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(answered, clients * requestsEach);

    QStringList hosts = storedHosts();
    ASSERT_EQ(hosts.size(), clients * requestsEach);
    // Each client's requests follow one another, so their records keep that order.
    for (int c = 0; c < clients; ++c) {
        int last = -1;
        for (const QString& host : std::as_const(hosts)) {
            if (!host.startsWith(QStringLiteral(" c%1-").arg(c)))
                continue;
            const int r = host.section('-', 1).toInt();
            EXPECT_EQ(r, last + 1) << host.toStdString();
            last = r;
        }
        EXPECT_EQ(last, requestsEach - 1);
    }
}

TEST_F(ProbeTest, BusyDatabaseNeitherDelaysAnswersNorLosesRecords)
{
    {
        // Another connection holds the database while requests arrive.
        TSQLiteDatabase holder(DBPath);
        holder.ExecSQL("BEGIN EXCLUSIVE;");
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(exchange(port, "GET / HTTP/1.1\r\nHost: held" + QByteArray::number(i) +
                                         ".com\r\n\r\n"),
                      probeAnswer());
        holder.ExecSQL("COMMIT;");
    }
    EXPECT_EQ(storedHosts(),
              (QStringList{" held0.com", " held1.com", " held2.com", " held3.com", " held4.com"}));
}

TEST_F(ProbeTest, SilentConnectionsDoNotHoldBackOthersNorHoldThreads)
{
    const int threadsBefore = threadCount();
    // More silent clients than connection threads.
    std::vector<Socket> silent;
    for (int i = 0; i < probe_limits::ConnectionThreads * 2; ++i) {
        silent.push_back(connectTo(port));
        ASSERT_TRUE(silent.back().valid());
    }
    EXPECT_EQ(exchange(port, "GET / HTTP/1.1\r\nHost: busy.com\r\n\r\n"), probeAnswer());
    // The silent clients connected first, so all of them were accepted by now.
    EXPECT_LT(threadCount() - threadsBefore, probe_limits::ConnectionThreads);

    // Answered while every silent client was still waiting (their time-out
    // has not passed): nothing has arrived for them, not even the end.
    for (const Socket& client : silent) {
        char byte;
        EXPECT_EQ(::recv(client.fd(), &byte, 1, MSG_DONTWAIT), -1);
        EXPECT_TRUE(errno == EAGAIN || errno == EWOULDBLOCK);
    }
}

namespace {

int descriptorsInUse()
{
    return platform::DescriptorCount().inUse();
}

// Sets the soft limit of open files for a test's length. Tests set it from
// what is open now, so they are the same at any session's limit.
class LoweredDescriptorLimit {
public:
    explicit LoweredDescriptorLimit(int limit)
    {
        EXPECT_EQ(::getrlimit(RLIMIT_NOFILE, &m_saved), 0);
        rlimit lowered = m_saved;
        lowered.rlim_cur = rlim_t(limit);
        EXPECT_LE(lowered.rlim_cur, m_saved.rlim_max) << "the hard limit is below the test's needs";
        EXPECT_EQ(::setrlimit(RLIMIT_NOFILE, &lowered), 0);
    }
    ~LoweredDescriptorLimit() { ::setrlimit(RLIMIT_NOFILE, &m_saved); }

private:
    rlimit m_saved{};
};

// Standard error goes to a file of its own while this lives; the file is
// read without opening anything, so also when no descriptor is free.
class StandardErrorInFile {
public:
    StandardErrorInFile() : m_file(std::tmpfile()), m_saved(::dup(STDERR_FILENO))
    {
        std::fflush(stderr);
        ::dup2(::fileno(m_file), STDERR_FILENO);
    }
    ~StandardErrorInFile()
    {
        std::fflush(stderr);
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
        std::fclose(m_file);
    }
    StandardErrorInFile(const StandardErrorInFile&) = delete;
    StandardErrorInFile& operator=(const StandardErrorInFile&) = delete;

    QString text() const
    {
        QByteArray bytes;
        char chunk[4096];
        ssize_t n;
        while ((n = ::pread(::fileno(m_file), chunk, sizeof chunk, off_t(bytes.size()))) > 0)
            bytes.append(chunk, n);
        return QString::fromLocal8Bit(bytes);
    }

private:
    std::FILE* m_file;
    int m_saved;
};

// Descriptors taken from the process, closed when this goes.
class Fillers {
public:
    ~Fillers() { closeAll(); }
    // Takes every free descriptor; errno tells why the last one was refused.
    void takeAll() { take(std::numeric_limits<int>::max()); }
    // Takes descriptors until `inUse` are open.
    void takeUntil(int inUse) { take(inUse - descriptorsInUse()); }
    // Frees the last taken ones.
    void free(int count)
    {
        for (; count > 0 && !m_fds.empty(); --count) {
            ::close(m_fds.back());
            m_fds.pop_back();
        }
    }
    void closeAll() { free(int(m_fds.size())); }
    int size() const { return int(m_fds.size()); }

private:
    void take(int count)
    {
        for (int taken = 0; taken < count; ++taken) {
            const int fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
            if (fd < 0)
                return;
            m_fds.push_back(fd);
        }
    }

    std::vector<int> m_fds;
};

} // namespace

TEST_F(ProbeTest, ListenerOutOfDescriptorsTellsOnceAndAnswersOnceSomeAreFree)
{
    StandardErrorInFile errors; // its file is open before the limit is met
    // Every descriptor below the limit is taken, but for the clients'.
    LoweredDescriptorLimit limit(descriptorsInUse() + probe_limits::MostReservedDescriptors + 64);
    const QString limitText = "open-files limit of " + QString::number(platform::descriptorLimit());
    Fillers fillers;
    fillers.takeAll();
    ASSERT_EQ(errno, EMFILE);
    constexpr int clientCount = 3;
    ASSERT_GT(fillers.size(), clientCount);
    fillers.free(clientCount);

    // All client sockets first: the probe may take a free number the moment one connects.
    std::vector<Socket> clients;
    for (int i = 0; i < clientCount; ++i) {
        clients.push_back(tcpSocket());
        ASSERT_TRUE(clients.back().valid());
        clients.back().setReceiveTimeout(20000); // a probe that never answers fails, not hangs
    }
    for (int i = 0; i < clientCount; ++i) {
        ASSERT_TRUE(connectSocket(clients[size_t(i)], port));
        sendAll(clients[size_t(i)],
                "GET / HTTP/1.1\r\nHost: starved" + QByteArray::number(i) + ".com\r\n\r\n");
    }
    // The probe cannot take them now, and says so; once descriptors are free
    // it takes them. Its box waits meanwhile: a box needs descriptors too.
    const QString told = "Solvek Anti-Bot: The Solvek Probe cannot take connections";
    for (QDeadlineTimer deadline(20000); !errors.text().contains(told) && !deadline.hasExpired();)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::this_thread::sleep_for(std::chrono::milliseconds(300)); // were it told at every look
    fillers.closeAll();
    for (const Socket& client : clients)
        EXPECT_EQ(readToEnd(client), probeAnswer());
    EXPECT_EQ(storedHosts().size(), clientCount);

    EXPECT_EQ(errors.text().count(told), 1) << errors.text().toStdString();
    EXPECT_TRUE(errors.text().contains(limitText)) << errors.text().toStdString();
    waitUntil([&] {
        QMutexLocker lock(&fake.mutex);
        return !fake.shownBoxes.isEmpty();
    });
    QCoreApplication::processEvents();
    const QStringList boxes = takeBoxes();
    ASSERT_EQ(boxes.size(), 1) << boxes.join('\n').toStdString();
    EXPECT_TRUE(boxes[0].startsWith("Solvek Probe|The Solvek Probe cannot take connections"));
    EXPECT_TRUE(boxes[0].contains(limitText)) << boxes[0].toStdString();
}

TEST_F(ProbeTest, UnderAnOpenFilesLimitOf200SixteenConnectionsAtOnceAreAnswered)
{
    constexpr int clientCount = 16;
    constexpr int programShare = 50; // what a desktop program holds: libraries, windows, database
    std::vector<Socket> clients(clientCount);
    for (Socket& client : clients) {
        client = tcpSocket();
        ASSERT_TRUE(client.valid());
        client.setReceiveTimeout(20000); // a probe that never answers fails, not hangs
    }
    Fillers fillers;
    fillers.takeUntil(programShare + clientCount);
    ASSERT_LE(descriptorsInUse(), programShare + clientCount);
    LoweredDescriptorLimit limit(200);

    for (int i = 0; i < clientCount; ++i)
        ASSERT_TRUE(connectSocket(clients[size_t(i)], port));
    for (int i = 0; i < clientCount; ++i)
        sendAll(clients[size_t(i)],
                "GET / HTTP/1.1\r\nHost: small" + QByteArray::number(i) + ".com\r\n\r\n");
    for (const Socket& client : clients)
        ASSERT_EQ(readToEnd(client), probeAnswer());
    EXPECT_EQ(storedHosts().size(), clientCount);
}

namespace {

using Clock = std::chrono::steady_clock;

Socket nonBlockingSocket()
{
    return Socket(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
}

// Holds silent connections until `until`, connecting again each one the
// probe closes. Their sockets exist beforehand, so their count never grows.
void holdSilentConnections(std::vector<Socket>& sockets, quint16 port, Clock::time_point until)
{
    for (Socket& socket : sockets)
        connectSocket(socket, port); // non-blocking: in progress
    std::vector<pollfd> polled(sockets.size());
    while (Clock::now() < until) {
        for (std::size_t i = 0; i < sockets.size(); ++i)
            polled[i] = {sockets[i].fd(), POLLIN, 0};
        ::poll(polled.data(), polled.size(), 10);
        for (std::size_t i = 0; i < sockets.size(); ++i) {
            if (sockets[i].valid() && !polled[i].revents)
                continue;
            // Closed by the probe, or never made: the probe may hold every free number.
            sockets[i].close();
            sockets[i] = nonBlockingSocket();
            if (sockets[i].valid())
                connectSocket(sockets[i], port);
        }
    }
}

// Asks with one request after another until `until` or `count` were asked,
// each on a new connection; returns how many were answered in full. The
// hosts are "<prefix><n>".
int askBackToBack(quint16 port, const QByteArray& prefix, int count, Clock::time_point until)
{
    int answered = 0;
    Socket client = tcpSocket();
    for (int n = 0; n < count && Clock::now() < until;) {
        if (!client.valid()) { // the probe took the number meanwhile
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            client = tcpSocket();
            continue;
        }
        client.setReceiveTimeout(10000);
        if (connectSocket(client, port)) {
            const QByteArray request =
                "GET / HTTP/1.1\r\nHost: " + prefix + QByteArray::number(n) + "\r\n\r\n";
            QByteArray received;
            if (client.sendOnce(request) == request.size()) {
                char chunk[64];
                qint64 got;
                while ((got = client.receiveOnce(chunk, sizeof chunk)) > 0)
                    received.append(chunk, got);
            }
            answered += received == probeAnswer();
        }
        ++n;
        client.close();
        client = tcpSocket();
    }
    return answered;
}

} // namespace

namespace {

// Clients that connect all at once, in bursts, from a process of their own:
// their sockets count neither against the probe's open-files limit nor in
// its count of open files. The hosts asked for are "burst<b>-<i>".
class BurstClients {
public:
    BurstClients(quint16 port, int clientCount, int burstCount)
    {
        // Made before the fork: the child makes nothing it would allocate.
        std::vector<QByteArray> requests;
        for (int b = 0; b < burstCount; ++b)
            for (int i = 0; i < clientCount; ++i)
                requests.push_back("GET / HTTP/1.1\r\nHost: burst" + QByteArray::number(b) + "-" +
                                   QByteArray::number(i) + "\r\n\r\n");
        std::vector<pollfd> polled(static_cast<size_t>(clientCount));
        std::vector<Client> clients(static_cast<size_t>(clientCount));
        int results[2];
        EXPECT_EQ(::pipe2(results, O_CLOEXEC), 0);
        m_child = ::fork();
        if (m_child == 0) {
            ::close(results[0]);
            runBursts(results[1], port, requests, polled, clients);
        }
        ::close(results[1]);
        m_results = results[0];
        ::fcntl(m_results, F_SETFL, O_NONBLOCK);
    }

    ~BurstClients()
    {
        ::close(m_results);
        if (m_child > 0) {
            ::kill(m_child, SIGKILL);
            ::waitpid(m_child, nullptr, 0);
        }
    }
    BurstClients(const BurstClients&) = delete;
    BurstClients& operator=(const BurstClients&) = delete;

    // How many clients of each burst got the whole answer; the window thread
    // is served meanwhile, as in the program.
    std::vector<int> answered(int burstCount)
    {
        std::vector<int> counts;
        bool ended = false;
        waitUntil(
            [&] {
                int count;
                while (!ended && int(counts.size()) < burstCount) {
                    const ssize_t n = ::read(m_results, &count, sizeof count);
                    if (n == sizeof count)
                        counts.push_back(count);
                    else
                        ended = n == 0 || errno != EAGAIN;
                    if (n != sizeof count)
                        break;
                }
                return ended || int(counts.size()) == burstCount;
            },
            120000);
        return counts;
    }

private:
    struct Client {
        Socket socket;
        bool sent = false;
        char received[64];
        qsizetype receivedSize = 0;
    };

    // In the child: raw calls only, as after a fork of a process with threads.
    [[noreturn]] static void runBursts(int results, quint16 port,
                                       const std::vector<QByteArray>& requests,
                                       std::vector<pollfd>& polled, std::vector<Client>& clients)
    {
        ::close_range(3, unsigned(results) - 1, 0); // the probes' listeners among them
        ::close_range(unsigned(results) + 1, ~0U, 0);
        rlimit limit{};
        ::getrlimit(RLIMIT_NOFILE, &limit);
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
        const std::size_t perBurst = clients.size();
        for (std::size_t first = 0; first < requests.size(); first += perBurst) {
            const int answered = burst(port, &requests[first], polled, clients);
            if (::write(results, &answered, sizeof answered) != sizeof answered)
                ::_exit(1);
        }
        ::_exit(0);
    }

    // Connects every client at once, then sends each its request as soon as it
    // is connected, and reads until the probe closes it or resets it.
    static int burst(quint16 port, const QByteArray* requests, std::vector<pollfd>& polled,
                     std::vector<Client>& clients)
    {
        const QByteArray answer = probeAnswer();
        for (Client& client : clients) {
            client.socket = nonBlockingSocket();
            client.sent = false;
            client.receivedSize = 0;
            connectSocket(client.socket, port); // in progress
        }
        int answered = 0;
        for (int open = int(clients.size()), loops = 0; open > 0 && loops < 30000; ++loops) {
            for (std::size_t i = 0; i < clients.size(); ++i)
                polled[i] = {clients[i].socket.fd(), short(clients[i].sent ? POLLIN : POLLOUT), 0};
            ::poll(polled.data(), polled.size(), 1);
            for (std::size_t i = 0; i < clients.size(); ++i) {
                Client& client = clients[i];
                if (!client.socket.valid() || !polled[i].revents)
                    continue;
                if (!client.sent) {
                    client.sent = ::send(client.socket.fd(), requests[i].constData(),
                                         size_t(requests[i].size()), MSG_NOSIGNAL) > 0;
                    if (!client.sent) {
                        client.socket.close();
                        --open;
                    }
                    continue;
                }
                const qsizetype room = qsizetype(sizeof client.received) - client.receivedSize;
                const ssize_t n = ::recv(client.socket.fd(), client.received + client.receivedSize,
                                         size_t(room), 0);
                if (n > 0 && n < room) {
                    client.receivedSize += n;
                    continue;
                }
                if (n == 0 && QByteArrayView(client.received, client.receivedSize) == answer)
                    ++answered;
                client.socket.close();
                --open;
            }
        }
        for (Client& client : clients)
            client.socket.close();
        return answered;
    }

    pid_t m_child = -1;
    int m_results = -1;
};

} // namespace

TEST_F(ProbeTest, UnderAnOpenFilesLimitOf64BurstsOfSixtyAreAllAnsweredAndNothingIsTold)
{
    constexpr int clientCount = 60;
    constexpr int burstCount = 10;
    constexpr int limitValue = 64;
    StandardErrorInFile errors;
    // Room for a few connections at once, far fewer than a burst brings.
    ASSERT_LT(descriptorsInUse(), limitValue - probe_limits::reservedDescriptors(limitValue) - 4)
        << "this process holds too many files for the test";
    LoweredDescriptorLimit limit(limitValue);
    std::vector<int> answered;
    {
        BurstClients bursts(port, clientCount, burstCount);
        answered = bursts.answered(burstCount);
    }
    QString counts;
    for (int count : answered)
        counts += QString::number(count) + ' ';
    std::printf("answered of %d in each burst: %s\n", clientCount, qPrintable(counts));
    EXPECT_EQ(answered, std::vector<int>(burstCount, clientCount));
    EXPECT_EQ(storedHosts().filter(QRegularExpression("^ burst")).size(),
              std::accumulate(answered.begin(), answered.end(), 0));
    EXPECT_FALSE(errors.text().contains("cannot take connections")) << errors.text().toStdString();
    QCoreApplication::processEvents();
    EXPECT_TRUE(takeBoxes().isEmpty());
}

TEST_F(ProbeTest, FloodWithMostDescriptorsTakenEndsNothingAndStoresEveryAnswer)
{
    constexpr int silentCount = 300;
    constexpr int askerCount = 16;
    constexpr int requestsEach = 200;
    constexpr int leftFree = 250; // fewer than the silent clients would take
    const auto floodTime = std::chrono::seconds(2);

    LoweredDescriptorLimit limit(descriptorsInUse() + silentCount + askerCount + 2 * leftFree);
    // The silent clients' sockets exist before the probe starts, as a program's
    // files do; the askers' come later, as a download's do.
    std::vector<Socket> silent(silentCount);
    for (Socket& socket : silent) {
        socket = nonBlockingSocket();
        ASSERT_TRUE(socket.valid());
    }
    Fillers fillers;
    fillers.takeUntil(platform::descriptorLimit() - leftFree - askerCount);
    ASSERT_GT(fillers.size(), 0);

    TProbe flooded(0, 200); // silent clients are closed soon and come back
    flooded.Start();
    ASSERT_TRUE(waitUntil([&] { return flooded.listeningPort() != 0 || flooded.Finished(); }));
    const quint16 floodedPort = flooded.listeningPort();
    ASSERT_NE(floodedPort, 0);

    const Clock::time_point until = Clock::now() + floodTime;
    std::atomic<int> answered{0};
    std::atomic<int> running{askerCount + 1};
    std::vector<std::jthread> clients;
    clients.emplace_back([&] {
        holdSilentConnections(silent, floodedPort, until);
        --running;
    });
    for (int c = 0; c < askerCount; ++c)
        clients.emplace_back([&, c] {
            answered += askBackToBack(floodedPort, "flood" + QByteArray::number(c) + "-",
                                      requestsEach, until);
            --running;
        });
    // The window thread goes on serving meanwhile, as in the program.
    EXPECT_TRUE(waitUntil([&] { return running == 0; }, 60000));
    clients.clear();
    silent.clear();
    fillers.closeAll();

    EXPECT_FALSE(flooded.Finished()) << "the listener ended";
    EXPECT_GT(answered, 0);
    EXPECT_EQ(storedHosts().filter(QRegularExpression("^ flood")).size(), answered.load());
}

namespace {

// How many of the sockets the probe has closed.
int closedByTheProbe(const std::vector<Socket>& sockets)
{
    std::vector<pollfd> polled;
    for (const Socket& socket : sockets)
        polled.push_back({socket.fd(), POLLIN, 0});
    ::poll(polled.data(), polled.size(), 0);
    return int(std::count_if(polled.begin(), polled.end(),
                             [](const pollfd& p) { return p.revents != 0; }));
}

} // namespace

TEST_F(ProbeTest, SilentConnectionsAreGivenBackWhenTheProbeIsOutOfRoom)
{
    constexpr int room = 40; // connections the probe may hold
    constexpr int silentCount = room + 10;
    constexpr int takenLater = 20; // by the rest of the process

    // Every client socket exists before the limit is set from what is open.
    std::vector<Socket> silent(silentCount);
    for (Socket& socket : silent) {
        socket = tcpSocket();
        ASSERT_TRUE(socket.valid());
    }
    Socket asker = tcpSocket();
    ASSERT_TRUE(asker.valid());
    asker.setReceiveTimeout(20000);
    const int inUse = descriptorsInUse();
    int limitValue = inUse + room;
    while (limitValue - inUse - probe_limits::reservedDescriptors(limitValue) < room)
        ++limitValue;
    LoweredDescriptorLimit limit(limitValue);
    const int reserved = probe_limits::reservedDescriptors(limitValue);
    Fillers fillers;
    TProbe patient(0, 120000); // nothing is closed for its silence meanwhile
    patient.Start();
    ASSERT_TRUE(waitUntil([&] { return patient.listeningPort() != 0; }));

    // More silent clients than room: the oldest make room for the newest.
    for (const Socket& socket : silent)
        ASSERT_TRUE(connectSocket(socket, patient.listeningPort()));
    EXPECT_TRUE(waitUntil([&] { return closedByTheProbe(silent) >= silentCount - room - 5; }))
        << "silent connections keep newer ones out";

    // The rest of the process takes descriptors: silent ones give them back,
    // and a client that asks is answered long before any silence ends.
    fillers.takeUntil(descriptorsInUse() + takenLater);
    waitUntil([] { return false; }, 300); // time for the probe's count to grow old
    ASSERT_TRUE(connectSocket(asker, patient.listeningPort()));
    sendAll(asker, "GET / HTTP/1.1\r\nHost: asker.com\r\n\r\n");
    EXPECT_EQ(readToEnd(asker), probeAnswer());
    EXPECT_TRUE(waitUntil([&] { return limitValue - descriptorsInUse() >= reserved - 5; }, 5000))
        << descriptorsInUse() << " open of " << limitValue << ", " << reserved
        << " to be left free";
    EXPECT_EQ(storedHosts(), QStringList{" asker.com"});
}

TEST_F(ProbeTest, SwitchingOffEndsTheListenerAndOnAgainListensAnew)
{
    probe->stopListening();
    probe->WaitFor();
    EXPECT_EQ(probe->getSock(), -1);
    EXPECT_FALSE(connectTo(port).valid()) << "still accepting after the switch-off";
    EXPECT_TRUE(takeBoxes().isEmpty());

    auto again = std::make_unique<TProbe>(port);
    again->Start();
    ASSERT_TRUE(waitUntil([&] { return again->listeningPort() != 0 || again->Finished(); }));
    EXPECT_EQ(again->listeningPort(), port);
    EXPECT_EQ(exchange(port, "GET / HTTP/1.1\r\nHost: again.com\r\n\r\n"), probeAnswer());
    EXPECT_EQ(storedHosts(), QStringList{" again.com"});
}

TEST_F(ProbeTest, PortInUseShowsTheSocketErrorAndSwitchesBackOff)
{
    TProbe second(port);
    bool switchedOff = false;
    bool onWindowThread = false;
    second.onStartFailed = [&] {
        switchedOff = true;
        onWindowThread = TThread::isWindowThread();
    };
    second.Start();
    ASSERT_TRUE(waitUntil([&] { return second.Finished(); }));

    EXPECT_TRUE(switchedOff);
    EXPECT_TRUE(onWindowThread);
    EXPECT_EQ(second.getSock(), -1);
    EXPECT_EQ(second.threadMessage(), platform::socketErrorText(EADDRINUSE));
    QMutexLocker lock(&fake.mutex);
    ASSERT_EQ(fake.shownBoxes.size(), 1);
    const auto& box = fake.shownBoxes.first();
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(box.title, "Socket error");
    EXPECT_EQ(box.flags, unsigned(platform::MB_OK | platform::MB_ICONERROR));
    EXPECT_EQ(box.text,
              QString::fromLatin1(ProbeStartFailureText) + platform::socketErrorText(EADDRINUSE));
    EXPECT_TRUE(box.text.startsWith("Can't start the Solvek Probe system, we wasn't able"));
}

TEST_F(ProbeTest, TheEndWaitsUntilAnAnswerUnderWayIsRecordedAndSent)
{
    std::atomic<bool> recording{false};
    // Slower than all the rest of the end, so an end that does not wait is seen.
    TProbe slow(0, probe_limits::ReceiveTimeoutMs, [&](const QString& host) {
        recording.store(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        ProbeLogWriter::instance().add(host);
    });
    slow.Start();
    ASSERT_TRUE(waitUntil([&] { return slow.listeningPort() != 0; }));
    Socket client = connectTo(slow.listeningPort());
    ASSERT_TRUE(client.valid());
    sendAll(client, "GET / HTTP/1.1\r\nHost: slow.com\r\n\r\n");
    ASSERT_TRUE(waitUntil([&] { return recording.load(); }));

    // The program's end: answers stop, then what was queued is stored.
    EXPECT_TRUE(slow.stopAnswering(QDeadlineTimer(20000)));
    EXPECT_TRUE(ProbeLogWriter::instance().flush());
    EXPECT_EQ(column("SELECT host FROM probe;"), QStringList{" slow.com"});
    EXPECT_EQ(readToEnd(client), probeAnswer());
}

TEST_F(ProbeTest, SilentClientIsClosedUnansweredAfterTheReceiveTimeOut)
{
    TProbe quick(0, 100);
    quick.Start();
    ASSERT_TRUE(waitUntil([&] { return quick.listeningPort() != 0; }));
    Socket silent = connectTo(quick.listeningPort());
    ASSERT_TRUE(silent.valid());
    // Blocks until the probe gives up on the client and closes it.
    EXPECT_EQ(readToEnd(silent), QByteArray());
    EXPECT_TRUE(storedHosts().isEmpty());
}

// ---------------------------------------------------------------------------
// Records while the database cannot be written

class ProbeRecordWriterTest : public DatabaseFixture {
protected:
    void SetUp() override
    {
        DatabaseFixture::SetUp();
        ASSERT_TRUE(writer.flush());
        storedBefore = writer.storedCount();
        droppedBefore = writer.droppedCount();
    }

    void TearDown() override
    {
        repairDatabase();
        ASSERT_TRUE(writer.flush(60000));
        QCoreApplication::processEvents(); // boxes told late meet the fake, not a real box
    }

    void breakDatabase()
    {
        QFile file(DBPath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray(4096, 'x'));
    }

    // A fresh database takes the broken one's place in one step.
    void repairDatabase()
    {
        const QString fresh = DBPath + ".fresh";
        QFile::remove(fresh);
        {
            TSQLiteDatabase db(fresh);
            createTables(db);
        }
        ASSERT_EQ(
            ::rename(QFile::encodeName(fresh).constData(), QFile::encodeName(DBPath).constData()),
            0);
    }

    int boxCount()
    {
        QMutexLocker lock(&fake.mutex);
        return int(fake.shownBoxes.size());
    }

    ProbeLogWriter& writer = ProbeLogWriter::instance();
    qint64 storedBefore = 0;
    qint64 droppedBefore = 0;
};

TEST_F(ProbeRecordWriterTest, RecordsWaitUntilTheDatabaseWorksAndTheUserIsToldOnce)
{
    breakDatabase();
    for (int i = 0; i < 3; ++i)
        writer.add(QStringLiteral(" kept%1.com").arg(i));
    ASSERT_TRUE(waitUntil([&] { return boxCount() == 1; }));
    // Retries go on every second without another box.
    waitUntil([] { return false; }, 2500);
    EXPECT_EQ(writer.storedCount(), storedBefore);
    const QStringList boxes = takeBoxes();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].startsWith("Solvek Anti-Bot|The database \"" + DBPath +
                                    "\" could not be written: File opened that is not a "
                                    "database file\n\nProbe records wait"))
        << boxes[0].toStdString();
    // A file that is no database is damaged for good: the same box says so, once.
    EXPECT_TRUE(boxes[0].endsWith("\n\nThe database \"" + DBPath +
                                  "\" is damaged. It will be set aside the next time Solvek "
                                  "Anti-Bot starts, and a new one made that keeps what can still "
                                  "be read of your own categories and the probe log. To do it "
                                  "now, exit the program and start it again.|10"))
        << boxes[0].toStdString();

    repairDatabase();
    ASSERT_TRUE(waitUntil([&] { return writer.storedCount() == storedBefore + 3; }));
    EXPECT_EQ(column("SELECT host FROM probe ORDER BY rowid;"),
              (QStringList{" kept0.com", " kept1.com", " kept2.com"}));
    QCoreApplication::processEvents();
    EXPECT_TRUE(takeBoxes().isEmpty());
}

namespace {

// Counts the writer's warnings of a try that failed, while it lives.
class FailedTries {
public:
    FailedTries() : m_previous(qInstallMessageHandler(&count)) { s_count = 0; }
    ~FailedTries() { qInstallMessageHandler(m_previous); }
    int seen() const { return s_count; }

private:
    static void count(QtMsgType type, const QMessageLogContext&, const QString& text)
    {
        if (type == QtWarningMsg && text.startsWith("Probe records not stored yet"))
            ++s_count;
    }
    static inline std::atomic<int> s_count{0};
    QtMessageHandler m_previous;
};

} // namespace

TEST_F(ProbeRecordWriterTest, DatabaseHeldPastTheBusyTimeOutIsWaitedForWithoutABox)
{
    FailedTries failedTries;
    {
        TSQLiteDatabase holder(DBPath);
        holder.ExecSQL("BEGIN EXCLUSIVE;");
        writer.add(QStringLiteral(" held.com"));
        // Held until the writer has given up once, after the busy time-out.
        ASSERT_TRUE(waitUntil([&] { return failedTries.seen() > 0; }, 60000));
        holder.ExecSQL("COMMIT;");
    }
    ASSERT_TRUE(waitUntil([&] { return writer.storedCount() == storedBefore + 1; }));
    EXPECT_EQ(column("SELECT host FROM probe;"), QStringList{" held.com"});
    QCoreApplication::processEvents();
    EXPECT_EQ(takeBoxes(), QStringList());
}

TEST_F(ProbeRecordWriterTest, TheFlushOnTheWindowThreadServesAWorkerThatHoldsTheDatabase)
{
    // The records wait for the merge's commit, and the merge for the window thread.
    {
        SynchronizingMerge merge;
        writer.add(QStringLiteral(" atexit.com"));
        EXPECT_TRUE(writer.flush(3000));
    }
    EXPECT_EQ(column("SELECT host FROM probe;"), QStringList{" atexit.com"});
}

TEST_F(ProbeRecordWriterTest, RecordsStillWaitingAtExitAreToldOnStandardErrorWithWhyTheyWait)
{
    const auto toldAtExit = [&] {
        testing::internal::CaptureStderr();
        writer.finish(200);
        return QString::fromStdString(testing::internal::GetCapturedStderr()).split('\n');
    };
    {
        TSQLiteDatabase holder(DBPath);
        holder.ExecSQL("BEGIN EXCLUSIVE;");
        for (int i = 0; i < 3; ++i)
            writer.add(QStringLiteral(" held.com"));
        EXPECT_FALSE(writer.flush(1000)); // time for the writer to meet the lock
        const QStringList told = toldAtExit();
        EXPECT_TRUE(told.contains("Solvek Anti-Bot: 3 probe records were lost. The database \"" +
                                  DBPath +
                                  "\" was locked by another program or task when Solvek "
                                  "Anti-Bot ended."))
            << told.join('\n').toStdString();
        holder.ExecSQL("COMMIT;");
    }
    ASSERT_TRUE(writer.flush());

    breakDatabase();
    for (int i = 0; i < 100; ++i)
        writer.add(QStringLiteral(" left.com"));
    ASSERT_TRUE(waitUntil([&] { return boxCount() == 1; })); // the writer has failed once
    const QStringList told = toldAtExit();
    EXPECT_TRUE(told.contains("Solvek Anti-Bot: 100 probe records were lost. The database \"" +
                              DBPath +
                              "\" could not be written: File opened that is not a database "
                              "file."))
        << told.join('\n').toStdString();
}

TEST_F(ProbeRecordWriterTest, TheFlushOnTheWindowThreadEndsAtItsTimeOutThoughAWorkerKeepsPosting)
{
    StepSenders poster(StepSenders::Way::Posting, 1, std::chrono::microseconds(200), 15000);
    qint64 waitedMs = 0;
    {
        TSQLiteDatabase holder(DBPath);
        holder.ExecSQL("BEGIN EXCLUSIVE;");
        writer.add(QStringLiteral(" held.com"));
        QElapsedTimer waited;
        waited.start();
        EXPECT_FALSE(writer.flush(1000));
        waitedMs = waited.elapsed();
        holder.ExecSQL("COMMIT;");
    }
    std::printf("flush(1000) took %lld ms\n", waitedMs);
    EXPECT_TRUE(poster.sending()); // the steps did not stop coming first
    EXPECT_GE(waitedMs, 1000);
    // The step running at the time-out may finish; a busy machine adds its delays.
    EXPECT_LT(waitedMs, 3500);
    EXPECT_TRUE(poster.stop());
}

TEST_F(ProbeRecordWriterTest, TheFlushOnTheWindowThreadEndsSoonAfterTheHolderLetsGo)
{
    constexpr int heldMs = 1000;
    std::atomic<bool> holding{false};
    QElapsedTimer sinceHeld;
    std::thread holder([&] {
        TSQLiteDatabase db(DBPath);
        db.ExecSQL("BEGIN EXCLUSIVE;");
        sinceHeld.start();
        holding.store(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(heldMs));
        db.ExecSQL("COMMIT;");
    });
    ASSERT_TRUE(waitUntil([&] { return holding.load(); }));
    // Steps keep coming, so a flush that serves them until its deadline
    // would make every Exit take its whole bound.
    StepSenders poster(StepSenders::Way::Posting, 1, std::chrono::microseconds(200), 15000);
    writer.add(QStringLiteral(" released.com"));
    EXPECT_TRUE(writer.flush(6000));
    const qint64 endedMs = sinceHeld.elapsed();
    holder.join();
    std::printf("the holder let go after %d ms; the flush ended %lld ms after it took hold\n",
                heldMs, endedMs);
    EXPECT_TRUE(poster.sending());
    EXPECT_LT(endedMs, heldMs + 2000);
    EXPECT_TRUE(poster.stop());
    EXPECT_EQ(column("SELECT host FROM probe;"), QStringList{" released.com"});
}

TEST_F(ProbeRecordWriterTest, RecordsBeyondTheQueueBoundAreCountedAndToldOnce)
{
    breakDatabase();
    for (qint64 i = 0; i < ProbeLogWriter::QueueLimit + 5; ++i)
        writer.add(QStringLiteral("h.com"));
    EXPECT_EQ(writer.droppedCount(), droppedBefore + 5);
    ASSERT_TRUE(waitUntil([&] { return boxCount() == 1; }));

    repairDatabase();
    ASSERT_TRUE(waitUntil(
        [&] { return writer.storedCount() == storedBefore + ProbeLogWriter::QueueLimit; }, 60000));
    ASSERT_TRUE(waitUntil([&] { return boxCount() == 2; }));
    EXPECT_EQ(takeBoxes().last(), "Solvek Anti-Bot|5 probe records were lost while the database "
                                  "could not be written: at most 200000 records wait for it.|10");
    EXPECT_EQ(column("SELECT COUNT(*) FROM probe;"), QStringList{"200000"});
}
