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
#include "UntHTTPRequestThread.h"
#include "UntINI.h"
#include "UntSqliteUtils.h"
#include "UntUpdateHosts.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <memory>
#include <sys/resource.h>
#include <unistd.h>

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

// Runs "openssl s_server -WWW" on a free port in a folder whose files are the
// lists, named by their paths; stopped when the object goes.
class ListServer {
public:
    ListServer(const QString& folder, const QString& certificate, const QString& key)
    {
        m_port = freePort();
        m_process.setWorkingDirectory(folder);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.setStandardOutputFile(QProcess::nullDevice());
        m_process.start(QStringLiteral("openssl"),
                        {QStringLiteral("s_server"), QStringLiteral("-accept"),
                         QStringLiteral("127.0.0.1:%1").arg(m_port), QStringLiteral("-cert"),
                         certificate, QStringLiteral("-key"), key, QStringLiteral("-WWW"),
                         QStringLiteral("-quiet")});
        m_process.waitForStarted();
        for (int attempt = 0; attempt < 500; ++attempt) {
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, m_port);
            if (probe.waitForConnected(1000))
                return;
            QThread::msleep(10);
        }
    }
    ~ListServer()
    {
        m_process.kill();
        m_process.waitForFinished();
    }
    QString hostAndPort() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }

private:
    static quint16 freePort()
    {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost, 0);
        return server.serverPort();
    }

    QProcess m_process;
    quint16 m_port = 0;
};

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The list of N hosts as source 1; sources 2 to 4 answer empty lists.
struct Servers {
    explicit Servers(const QTemporaryDir& dir, qint64 hosts)
    {
        certificate = dir.filePath(QStringLiteral("certificate.pem"));
        const QString key = dir.filePath(QStringLiteral("key.pem"));
        QProcess openssl;
        openssl.start(QStringLiteral("openssl"),
                      {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                       QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                       QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"),
                       QStringLiteral("-keyout"), key, QStringLiteral("-out"), certificate,
                       QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"),
                       QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-addext"),
                       QStringLiteral("subjectAltName=IP:127.0.0.1")});
        openssl.waitForFinished();
        const QString listFolder = dir.filePath(QStringLiteral("list"));
        const QString emptyFolder = dir.filePath(QStringLiteral("empty"));
        // s_server takes the path after the first "/" as a file name, query included.
        const auto fileName = [](const BlockListSource& source) {
            return QString::fromUtf16(source.path).mid(1);
        };
        writeFile(listFolder + u'/' + fileName(BlockListSources[0]), generatedList(hosts));
        for (size_t i = 1; i < BlockListSources.size(); ++i)
            writeFile(emptyFolder + u'/' + fileName(BlockListSources[i]), QByteArray());
        list = std::make_unique<ListServer>(listFolder, certificate, key);
        empty = std::make_unique<ListServer>(emptyFolder, certificate, key);
    }

    QString certificate;
    std::unique_ptr<ListServer> list;
    std::unique_ptr<ListServer> empty;
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
    qputenv("SSL_CERT_FILE", servers.certificate.toUtf8());

    QTemporaryDir dir;
    platform::ScopedFakePlatform fake;
    fake.programFolderPath = dir.path() + "/";
    fake.programFilePath = dir.path() + "/solvek-antibot";
    fake.hostsFilePath = dir.path() + "/hosts";
    DBPath = dir.path() + "/solvekdat.db";
    createDB();
    writeIni(QStringLiteral("SOURCES"), QStringLiteral("1"), servers.list->hostAndPort());
    for (int source = 2; source <= 4; ++source)
        writeIni(QStringLiteral("SOURCES"), QString::number(source), servers.empty->hostAndPort());
    QFile hostsFile(fake.hostsFilePath);
    if (!hostsFile.open(QIODevice::WriteOnly))
        return 1;
    hostsFile.write(usersHostsFile());
    hostsFile.close();

    const RunTimes first = oneUpdate();
    const long firstPeak = peakMegabytes();
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
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    if (arguments.size() == 2 && arguments[0] == QStringLiteral("--measure"))
        return measure(arguments[1].toLongLong());

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
