// Load test of the probe: a listener on a free port of 127.0.0.1 in this
// process, and a load generator (one thread, non-blocking sockets) that opens
// N connections with M at once, sends each a request with a Host header and
// checks every answer. Then every request must be in the database. A second
// run holds idle connections that never send while normal requests go on.
//
//   bench_probe [--requests N] [--concurrency M] [--idle K]
//
// Prints requests per second, the rows stored, and the process's peak thread
// count and memory. The clients and the probe share this process, so it
// raises its limit of open files to the hard limit, and stops at once when
// even that is too low for the arguments.

#include "Descriptors.h"
#include "FakePlatform.h"
#include "HeapTuning.h"
#include "ProbeLogWriter.h"
#include "SQLiteTable3.h"
#include "UntProbeThread.h"
#include "UntSqliteUtils.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

struct Options {
    int requests = 20000;
    int concurrency = 200;
    int idle = 500;
};

Options parse(const QStringList& args)
{
    Options options;
    for (int i = 1; i + 1 < args.size(); i += 2) {
        const int value = args[i + 1].toInt();
        if (args[i] == "--requests")
            options.requests = value;
        else if (args[i] == "--concurrency")
            options.concurrency = value;
        else if (args[i] == "--idle")
            options.idle = value;
    }
    return options;
}

long statusValue(const char* key)
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qsizetype(std::strlen(key))).trimmed().split(' ').first().toLong();
    return -1;
}

struct Peaks {
    long threads = 0;
    long rssKb = 0;
    void sample()
    {
        threads = std::max(threads, statusValue("Threads:"));
        rssKb = std::max(rssKb, statusValue("VmRSS:"));
    }
};

// Descriptors the run needs at once: both ends of every connection, what the
// probe leaves free, what is open now, and a few for the generator and the
// database.
int descriptorsNeeded(const Options& options)
{
    const int connections =
        std::max(options.concurrency, options.idle + std::max(1, options.concurrency / 4));
    return platform::DescriptorCount().inUse() + 2 * connections +
           probe_limits::MostReservedDescriptors + 32;
}

int connectNonBlocking(quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 &&
        errno != EINPROGRESS) {
        ::close(fd);
        return -1;
    }
    return fd;
}

struct Client {
    int fd = -1;
    QByteArray request;
    qsizetype sent = 0;
    QByteArray answer;
};

struct RunResult {
    int answered = 0; // exactly the 42 bytes, then the end
    int wrong = 0;    // anything else: other bytes, reset, refused
    double seconds = 0;
};

// N requests, M connections at once, every answer checked.
RunResult runLoad(quint16 port, int requests, int concurrency, const QString& hostPrefix,
                  Peaks& peaks)
{
    const QByteArray expected = probeAnswer();
    const int epoll = ::epoll_create1(EPOLL_CLOEXEC);
    std::vector<Client> clients(static_cast<size_t>(requests));
    int started = 0;
    int open = 0;
    RunResult result;

    const auto start = [&] {
        while (open < concurrency && started < requests) {
            Client& client = clients[size_t(started)];
            client.request = "GET / HTTP/1.1\r\nHost: " + hostPrefix.toLatin1() +
                             QByteArray::number(started) + ".example\r\nUser-Agent: load\r\n\r\n";
            client.fd = connectNonBlocking(port);
            if (client.fd < 0) {
                ++result.wrong;
                ++started;
                continue;
            }
            epoll_event event{};
            event.events = EPOLLOUT | EPOLLIN;
            event.data.u32 = uint32_t(started);
            ::epoll_ctl(epoll, EPOLL_CTL_ADD, client.fd, &event);
            ++started;
            ++open;
        }
    };
    const auto finish = [&](Client& client, bool ok) {
        ::epoll_ctl(epoll, EPOLL_CTL_DEL, client.fd, nullptr);
        ::close(client.fd);
        client.fd = -1;
        --open;
        ok ? ++result.answered : ++result.wrong;
    };

    QElapsedTimer timer;
    timer.start();
    QElapsedTimer sampleTimer;
    sampleTimer.start();
    start();
    std::vector<epoll_event> events(1024);
    while (open > 0) {
        const int ready = ::epoll_wait(epoll, events.data(), int(events.size()), 1000);
        for (int i = 0; i < ready; ++i) {
            Client& client = clients[events[size_t(i)].data.u32];
            if (client.fd < 0)
                continue;
            if (client.sent < client.request.size() && (events[size_t(i)].events & EPOLLOUT)) {
                const ssize_t n = ::send(client.fd, client.request.constData() + client.sent,
                                         size_t(client.request.size() - client.sent), MSG_NOSIGNAL);
                if (n > 0)
                    client.sent += n;
                else if (errno != EAGAIN) {
                    finish(client, false);
                    continue;
                }
                if (client.sent == client.request.size()) {
                    epoll_event event{};
                    event.events = EPOLLIN;
                    event.data.u32 = events[size_t(i)].data.u32;
                    ::epoll_ctl(epoll, EPOLL_CTL_MOD, client.fd, &event);
                }
            }
            if (events[size_t(i)].events & (EPOLLIN | EPOLLHUP | EPOLLERR)) {
                char buffer[256];
                const ssize_t n = ::recv(client.fd, buffer, sizeof buffer, 0);
                if (n > 0)
                    client.answer.append(buffer, n);
                else if (n == 0)
                    finish(client, client.answer == expected);
                else if (errno != EAGAIN)
                    finish(client, false);
            }
        }
        start();
        if (sampleTimer.elapsed() >= 20) {
            peaks.sample();
            sampleTimer.restart();
        }
    }
    result.seconds = double(timer.nsecsElapsed()) / 1e9;
    ::close(epoll);
    return result;
}

qint64 storedRows(const QString& hostPrefix)
{
    ProbeLogWriter::instance().flush(60000);
    TSQLiteDatabase db(DBPath);
    return db.GetTableValue("SELECT COUNT(*) FROM probe WHERE host LIKE ' " + hostPrefix + "%';");
}

void report(const char* title, const RunResult& run, int requests, qint64 rows)
{
    std::printf("%s\n", title);
    std::printf("  requests %d, answered exactly %d, wrong or refused %d\n", requests, run.answered,
                run.wrong);
    std::printf("  %.3f s, %.0f requests per second\n", run.seconds, requests / run.seconds);
    std::printf("  rows stored %lld of %d\n", static_cast<long long>(rows), requests);
}

int runAll(quint16 port, const Options& options)
{
    Peaks peaks;
    peaks.sample();
    const long baseThreads = peaks.threads;

    const RunResult load = runLoad(port, options.requests, options.concurrency, "load-", peaks);
    report("Load", load, options.requests, storedRows("load-"));

    // Idle connections that never send, held while normal requests go on.
    std::vector<int> idle;
    for (int i = 0; i < options.idle; ++i)
        idle.push_back(connectNonBlocking(port));
    const int normal = options.requests / 10;
    const RunResult withIdle =
        runLoad(port, normal, std::max(1, options.concurrency / 4), "beside-idle-", peaks);
    int idleStillOpen = 0;
    for (int fd : idle) {
        char byte;
        idleStillOpen += fd >= 0 && ::recv(fd, &byte, 1, MSG_DONTWAIT) < 0 && errno == EAGAIN;
        if (fd >= 0)
            ::close(fd);
    }
    report("Beside idle connections", withIdle, normal, storedRows("beside-idle-"));
    std::printf("  idle connections %d, still open (unanswered, not timed out) when done %d\n",
                options.idle, idleStillOpen);

    peaks.sample();
    std::printf("Process: threads at start %ld, peak %ld (the load generator is one of them); "
                "peak resident memory %ld KiB\n",
                baseThreads, peaks.threads, peaks.rssKb);
    const bool ok = load.wrong == 0 && withIdle.wrong == 0 &&
                    storedRows("load-") == options.requests && storedRows("beside-idle-") == normal;
    std::printf("%s\n", ok ? "OK" : "FAILED");
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    platform::shareHeapsAmongThreads(); // as the program does at start
    QCoreApplication app(argc, argv);
    const Options options = parse(app.arguments());
    const int needed = descriptorsNeeded(options);
    const int limit = platform::raiseDescriptorLimit();
    if (limit < needed) {
        std::fprintf(stderr,
                     "bench_probe: these arguments need %d open files at once, but the hard limit "
                     "is %d; raise it (ulimit -Hn, as root) or lower --concurrency and --idle\n",
                     needed, limit);
        return 2;
    }

    QTemporaryDir dir;
    // The database and the settings it touches stay in the bench's own folder.
    platform::ScopedFakePlatform fake;
    fake.dataFolderPath = fake.configFolderPath = dir.path() + "/";
    DBPath = dir.path() + "/solvekdat.db";
    createDB();

    TProbe probe(0);
    probe.Start();
    while (probe.listeningPort() == 0 && !probe.Finished())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (probe.listeningPort() == 0) {
        std::fprintf(stderr, "the probe did not start: %s\n", qPrintable(probe.threadMessage()));
        return 1;
    }

    // The window thread serves the probe (self-freeing threads are deleted
    // there) while the generator runs on its own thread.
    int status = 1;
    std::thread generator([&] {
        status = runAll(probe.listeningPort(), options);
        QMetaObject::invokeMethod(
            &app, [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
    });
    app.exec();
    generator.join();
    return status;
}
