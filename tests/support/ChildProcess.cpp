#include "ChildProcess.h"

#include <QByteArray>
#include <sys/wait.h>
#include <unistd.h>

QString runInChild(const std::function<QString()>& body)
{
    int fds[2];
    if (pipe(fds) != 0)
        return QStringLiteral("pipe failed");
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return QStringLiteral("fork failed");
    }
    if (pid == 0) {
        close(fds[0]);
        const QByteArray out = body().toUtf8();
        const ssize_t written = write(fds[1], out.constData(), size_t(out.size()));
        _exit(written == out.size() ? 0 : 1);
    }
    close(fds[1]);
    QByteArray answer;
    char chunk[512];
    ssize_t got;
    while ((got = read(fds[0], chunk, sizeof chunk)) > 0)
        answer.append(chunk, got);
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return QString::fromUtf8(answer);
}
