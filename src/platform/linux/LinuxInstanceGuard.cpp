#include "LinuxInstanceGuard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

namespace {

// A lock name must stay one file name inside its folder.
QString fileNameOf(const QString& name)
{
    QString fileName = name;
    fileName.replace(QLatin1Char('/'), QLatin1Char('_'));
    return fileName + QStringLiteral(".lock");
}

// An `su` shell keeps the other user's runtime folder: a lock file made there
// would be ours, and their own instance could not open it to see the lock.
bool isOwnFolder(const QString& path)
{
    const QFileInfo folder(path);
    return folder.isDir() && folder.ownerId() == ::geteuid();
}

} // namespace

LinuxInstanceGuard::~LinuxInstanceGuard()
{
    for (int fd : std::as_const(m_heldLocks))
        ::close(fd);
}

QString LinuxInstanceGuard::lockFilePath(const QString& name)
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isOwnFolder(runtime))
        return QDir(runtime).filePath(fileNameOf(name));
    // The temporary folder is every user's: the lock stays each user's own, as
    // the runtime folder would keep it, so one user's instance does not stop another's.
    return QDir(QDir::tempPath()).filePath(QString::number(::getuid()) + u'-' + fileNameOf(name));
}

bool LinuxInstanceGuard::acquire(const QString& name)
{
    QMutexLocker lock(&m_mutex);
    if (m_heldLocks.contains(name))
        return true;

    const QByteArray path = QFile::encodeName(lockFilePath(name));
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        // Without a lock file nothing can tell whether another instance runs;
        // refusing to start over that would lock the user out of the program.
        return true;
    }
    int result;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        const bool heldElsewhere = errno == EWOULDBLOCK;
        ::close(fd);
        return !heldElsewhere;
    }
    m_heldLocks.insert(name, fd);
    return true;
}

} // namespace platform
