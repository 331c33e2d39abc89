#include "SmallDisk.h"

#include "ChildProcess.h"

#include <QByteArray>
#include <QFile>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

namespace {

bool writeWhole(const char* path, const QByteArray& text)
{
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, text.constData(), size_t(text.size())) == text.size();
    return ::close(fd) == 0 && written;
}

// Root needs only a mount namespace; anyone else a user namespace around it.
bool enterMountNamespace()
{
    if (::geteuid() == 0)
        return ::unshare(CLONE_NEWNS) == 0;
    const QByteArray uid = QByteArray::number(::geteuid());
    const QByteArray gid = QByteArray::number(::getegid());
    return ::unshare(CLONE_NEWUSER | CLONE_NEWNS) == 0 &&
           writeWhole("/proc/self/setgroups", "deny") &&
           writeWhole("/proc/self/uid_map", uid + ' ' + uid + " 1") &&
           writeWhole("/proc/self/gid_map", gid + ' ' + gid + " 1");
}

bool mountSmallDisk(const QString& folder, qint64 bytes)
{
    const QByteArray options = "size=" + QByteArray::number(bytes);
    // Private, so the mount never reaches the namespace of the test.
    return enterMountNamespace() &&
           ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
           ::mount("none", QFile::encodeName(folder).constData(), "tmpfs", 0,
                   options.constData()) == 0;
}

} // namespace

QString runOnSmallDisk(const QString& folder, qint64 bytes, const std::function<QString()>& body)
{
    return runInChild([&] {
        if (!mountSmallDisk(folder, bytes))
            return QString::fromLatin1(NoSmallDisk);
        return body();
    });
}
