// Times one whole Update without the windows: a block list of N hosts fetched
// from a local HTTPS server, its digest, the merge into the database and the
// refresh of a hosts file that already holds 1,000 lines of the user's own;
// then the same run again with the list unchanged.
//
//   bench_update [N ...]          (default: 100000 1000000)
//
// Each N runs in a fresh process, and the lists are served by "openssl
// s_server" in processes of their own, so the peak memory printed is the
// client's alone.

#include "BlockList.h"
#include "FakePlatform.h"
#include "HeapTuning.h"
#include "LocalServers.h"
#include "UntHTTPRequestThread.h"
#include "UntINI.h"
#include "UntSqliteUtils.h"
#include "UntUpdateHosts.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/resource.h>

namespace {

QByteArray generatedList(qint64 hosts)
{
    QByteArray list = "# generated block list\n";
    list.reserve(hosts * 32);
    for (qint64 i = 0; i < hosts; ++i) {
        list += "bot";
        list += QByteArray::number(i);
        list += ".c2-";
        list += QByteArray::number(i % 977);
        list += ".example.net\n";
    }
    return list;
}

QByteArray usersHostsFile()
{
    QByteArray text = "# the user's own hosts\r\n127.0.0.1 localhost\r\n::1 localhost\r\n";
    for (int i = 3; i < 1000; ++i)
        text += "10.1." + QByteArray::number(i / 250) + "." + QByteArray::number(i % 250) +
                " machine" + QByteArray::number(i) + ".lan\r\n";
    return text;
}

long peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Serves the files of the folder, named by their paths, with "openssl s_server
// -WWW", which takes the path after the first "/" as a file name, query included.
bool serveFolder(ServerProcess& server, const QString& folder)
{
    const TestCertificate& certificate = testCertificate();
    server.process().setWorkingDirectory(folder);
    server.process().setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server.process().setStandardOutputFile(QProcess::nullDevice());
    return server.start(QStringLiteral("openssl"),
                        {QStringLiteral("s_server"), QStringLiteral("-accept"),
                         server.hostAndPort(), QStringLiteral("-cert"), certificate.certificateFile,
                         QStringLiteral("-key"), certificate.keyFile, QStringLiteral("-WWW"),
                         QStringLiteral("-quiet")});
}

// The list of N hosts as source 1; sources 2 to 4 answer empty lists.
struct Servers {
    Servers(const QTemporaryDir& dir, qint64 hosts)
    {
        const QString listFolder = dir.filePath(QStringLiteral("list"));
        const QString emptyFolder = dir.filePath(QStringLiteral("empty"));
        const auto fileName = [](const BlockListSource& source) {
            return QString::fromUtf16(source.path).mid(1);
        };
        const QByteArray listText = generatedList(hosts);
        listBytes = listText.size();
        writeFile(listFolder + u'/' + fileName(BlockListSources[0]), listText);
        for (size_t i = 1; i < BlockListSources.size(); ++i)
            writeFile(emptyFolder + u'/' + fileName(BlockListSources[i]), QByteArray());
        started = serveFolder(list, listFolder) && serveFolder(empty, emptyFolder);
    }

    ServerProcess list;
    ServerProcess empty;
    qint64 listBytes = 0;
    bool started = false;
};

class QuietBlockListUi : public BlockListUi {
public:
    bool begin(ProxySettings&) override { return true; }
    void downloading() override {}
    void updating(const QString&, qint64) override {}
    void step(qint64, qint64) override {}
    void reset() override {}
    bool windowVisible() override { return false; }
    void showErrorOverlay() override {}
    void clearOverlay() override {}
    void end(const QString&, bool) override {}
    void startRefresh() override { refreshStarted = true; }
    void abandon() override {}
    bool refreshStarted = false;
};

class QuietRefreshUi : public HostsRefreshUi {
public:
    void begin(qint64) override {}
    void step(qint64, qint64) override {}
    void end() override {}
    bool windowVisible() override { return false; }
    void showBalloon(const QString&, const QString& text) override
    {
        std::printf("refresh failed: %s\n", qPrintable(text));
    }
};

struct RunTimes {
    double mergeSeconds;
    double refreshSeconds;
    BlockListRunOutcome outcome;
    HostsRefreshOutcome refresh;
};

RunTimes oneUpdate()
{
    QElapsedTimer timer;
    timer.start();
    QuietBlockListUi ui;
    RunTimes times{};
    times.outcome = runBlockListUpdate(ui);
    times.mergeSeconds = timer.nsecsElapsed() / 1e9;
    timer.restart();
    QuietRefreshUi refreshUi;
    if (ui.refreshStarted)
        times.refresh = refreshHostsFile(DBPath, refreshUi);
    times.refreshSeconds = timer.nsecsElapsed() / 1e9;
    return times;
}

int measure(qint64 hosts)
{
    QTemporaryDir serverDir;
    Servers servers(serverDir, hosts);
    if (!servers.started) {
        std::fprintf(stderr, "openssl s_server did not start\n");
        return 1;
    }
    qputenv("SSL_CERT_FILE", testCertificate().certificateFile.toUtf8());

    QTemporaryDir dir;
    platform::ScopedFakePlatform fake;
    fake.dataFolderPath = fake.configFolderPath = dir.path() + "/";
    fake.programFilePath = dir.path() + "/solvek-antibot";
    fake.hostsFilePath = dir.path() + "/hosts";
    DBPath = dir.path() + "/solvekdat.db";
    createDB();
    writeIni(QStringLiteral("SOURCES"), QStringLiteral("1"), servers.list.hostAndPort());
    for (int source = 2; source <= 4; ++source)
        writeIni(QStringLiteral("SOURCES"), QString::number(source), servers.empty.hostAndPort());
    QFile hostsFile(fake.hostsFilePath);
    if (!hostsFile.open(QIODevice::WriteOnly))
        return 1;
    hostsFile.write(usersHostsFile());
    hostsFile.close();

    const RunTimes first = oneUpdate();
    const long firstPeak = peakMegabytes();
    const qint64 databaseBytes = QFileInfo(DBPath).size();
    const RunTimes second = oneUpdate();

    if (first.outcome.failed || second.outcome.failed || !first.refresh.fileWritten) {
        std::fprintf(stderr, "the update failed: %s\n", qPrintable(first.outcome.failure));
        return 1;
    }
    std::printf("N = %lld hosts\n", static_cast<long long>(hosts));
    std::printf("  first run:  download+digest+merge %.3f s, refresh %.3f s, total %.3f s, "
                "%lld lines added, peak memory %ld MB\n",
                first.mergeSeconds, first.refreshSeconds, first.mergeSeconds + first.refreshSeconds,
                static_cast<long long>(first.refresh.linesAdded), firstPeak);
    std::printf("  unchanged:  download+digest %.3f s, refresh %.3f s, total %.3f s, "
                "peak memory %ld MB\n",
                second.mergeSeconds, second.refreshSeconds,
                second.mergeSeconds + second.refreshSeconds, peakMegabytes());
    std::printf("  database:   %.1f MB for a list of %.1f MB (%.2fx)\n", databaseBytes / 1e6,
                servers.listBytes / 1e6, double(databaseBytes) / double(servers.listBytes));
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    if (arguments.size() == 2 && arguments[0] == QStringLiteral("--measure")) {
        platform::shareHeapsAmongThreads(); // as the program does at start
        return measure(arguments[1].toLongLong());
    }

    // One fresh process per N, so each peak is its own.
    const QStringList sizes = arguments.isEmpty()
                                  ? QStringList{QStringLiteral("100000"), QStringLiteral("1000000")}
                                  : arguments;
    int result = 0;
    for (const QString& size : sizes) {
        QProcess run;
        run.setProcessChannelMode(QProcess::ForwardedChannels);
        run.start(app.applicationFilePath(), {QStringLiteral("--measure"), size});
        run.waitForFinished(-1);
        result |= run.exitCode();
    }
    return result;
}
