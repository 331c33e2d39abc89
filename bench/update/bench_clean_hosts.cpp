// Times removing one host from a hosts file of N block lines, as deleting a
// host in the hosts manager does, beside grep removing the same line from the
// same file and syncing, the least any such removal costs.
//
//   bench_clean_hosts [N] [rounds]     (default: 1000000 5)
//
// The file is written afresh and synced before every timed run, so each run
// starts from the same file with nothing of it left to write back.

#include "FakePlatform.h"
#include "HeapTuning.h"
#include "HostsFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <unistd.h>
#include <vector>

namespace {

QByteArray hostOf(qint64 i)
{
    return "bot" + QByteArray::number(i) + ".c2-" + QByteArray::number(i % 977) + ".example.net";
}

QByteArray hostsFileOf(qint64 lines)
{
    QByteArray text = "127.0.0.1 localhost\n::1 localhost\n";
    text.reserve(lines * 40);
    for (qint64 i = 0; i < lines; ++i)
        text += "127.0.0.1 " + hostOf(i) + '\n';
    return text;
}

// The file as the generator made it, writable, and on disk.
bool writeAfresh(const QString& path, const QByteArray& bytes)
{
    QFile::remove(path);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return false;
    file.close();
    ::sync();
    return true;
}

// Single quotes for the shell.
QString quoted(const QString& text)
{
    QString inner = text;
    return u'\'' + inner.replace(u'\'', QStringLiteral("'\\''")) + u'\'';
}

double grepSeconds(const QString& line, const QString& file, const QString& out)
{
    const QString command =
        QStringLiteral("grep -vxF %1 %2 > %3 && sync").arg(quoted(line), quoted(file), quoted(out));
    QElapsedTimer timer;
    timer.start();
    QProcess shell;
    shell.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command});
    shell.waitForFinished(-1);
    const double seconds = timer.nsecsElapsed() / 1e9;
    return shell.exitStatus() == QProcess::NormalExit && shell.exitCode() == 0 ? seconds : -1;
}

double cleanSeconds(const QString& host)
{
    QElapsedTimer timer;
    timer.start();
    cleanFromHosts(host);
    return timer.nsecsElapsed() / 1e9;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

} // namespace

int main(int argc, char** argv)
{
    platform::shareHeapsAmongThreads(); // as the program does at start
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    const qint64 lines = arguments.size() > 0 ? arguments[0].toLongLong() : 1000000;
    const int rounds = arguments.size() > 1 ? arguments[1].toInt() : 5;
    if (lines < 1 || rounds < 1) {
        std::fprintf(stderr, "usage: bench_clean_hosts [N] [rounds]\n");
        return 2;
    }

    QTemporaryDir dir;
    platform::ScopedFakePlatform fake;
    fake.hostsFilePath = dir.filePath(QStringLiteral("hosts"));
    const QString grepOut = dir.filePath(QStringLiteral("grep-out"));
    const QByteArray bytes = hostsFileOf(lines);
    const QByteArray host = hostOf(lines / 2);
    const QByteArray blockLine = "127.0.0.1 " + host;

    std::vector<double> cleaning;
    std::vector<double> grepping;
    for (int round = 0; round < rounds; ++round) {
        if (!writeAfresh(fake.hostsFilePath, bytes))
            return 1;
        cleaning.push_back(cleanSeconds(QString::fromLatin1(host)));
        if (QFile(fake.hostsFilePath).size() != bytes.size() - host.size() - 10) {
            std::fprintf(stderr, "cleaning did not remove the host's line\n");
            return 1;
        }
        if (!writeAfresh(fake.hostsFilePath, bytes))
            return 1;
        grepping.push_back(
            grepSeconds(QString::fromLatin1(blockLine), fake.hostsFilePath, grepOut));
        if (grepping.back() < 0) {
            std::fprintf(stderr, "grep failed\n");
            return 1;
        }
    }

    const double clean = median(cleaning);
    const double grep = median(grepping);
    std::printf("%lld lines, %.1f MB, median of %d rounds:\n", static_cast<long long>(lines),
                bytes.size() / 1e6, rounds);
    std::printf("  cleanFromHosts of one host:       %.3f s\n", clean);
    std::printf("  grep -vxF of its line and sync:   %.3f s\n", grep);
    std::printf("  ratio:                            %.2f\n", clean / grep);
    return 0;
}
