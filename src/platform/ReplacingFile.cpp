#include "ReplacingFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <system_error>
#include <utility>

namespace platform {

namespace {

QString systemErrorText(int error)
{
    return QString::fromStdString(std::system_category().message(error));
}

[[noreturn]] void raiseSystemError(int error)
{
    throw EFileReplaceError(systemErrorText(error));
}

[[noreturn]] void raiseOwnerError(int error)
{
    throw EFileReplaceError(
        QStringLiteral("its owner cannot be kept (%1)").arg(systemErrorText(error)));
}

// Writes every byte; answers errno, or 0.
int writeAll(int fd, const char* data, qsizetype size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size_t(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += written;
        size -= written;
    }
    return 0;
}

// The file a write replaces: a symbolic link is followed, so the link stays.
QString replacedFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.symLinkTarget() : canonical;
}

QString temporaryPrefix(const QFileInfo& replaced)
{
    return QStringLiteral(".") + replaced.fileName() + QStringLiteral(".solvek-");
}
constexpr qsizetype TemporaryUniqueLength = 6;

QByteArray uniqueLetters()
{
    static constexpr char Letters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray letters(TemporaryUniqueLength, Qt::Uninitialized);
    for (char& letter : letters)
        letter = Letters[QRandomGenerator::global()->bounded(int(sizeof Letters - 1))];
    return letters;
}

bool isTemporaryName(const QString& name, const QString& prefix)
{
    return name.size() == prefix.size() + TemporaryUniqueLength && name.startsWith(prefix) &&
           std::all_of(name.cbegin() + prefix.size(), name.cend(),
                       [](QChar c) { return c.unicode() < 0x80 && c.isLetterOrNumber(); });
}

// Whether the system's lock table shows a lock on the file. A table that
// cannot be read counts as a lock, so nothing is removed on a guess.
bool lockedInTable(const struct stat& file)
{
    QFile table(QStringLiteral("/proc/locks"));
    if (!table.open(QIODevice::ReadOnly))
        return true;
    const QByteArray id =
        QString::asprintf("%02x:%02x:%llu", major(file.st_dev), minor(file.st_dev),
                          static_cast<unsigned long long>(file.st_ino))
            .toLatin1();
    for (const QByteArray& line : table.readAll().split('\n')) {
        if (line.simplified().split(' ').contains(id))
            return true;
    }
    return false;
}

// A writer locks its file right after making it; a file this old that no lock
// holds is no running write's.
constexpr time_t UnlockedWriteSeconds = 60;

// Removes a leftover this process may not open, in a folder it owns: another
// user's write, root's among them, killed midway. Without a descriptor to lock,
// the lock is looked up in the system's table.
void removeUnopenableLeftover(const QByteArray& path)
{
    struct stat named {};
    if (::lstat(path.constData(), &named) != 0 || !S_ISREG(named.st_mode) ||
        ::time(nullptr) - named.st_mtime < UnlockedWriteSeconds || lockedInTable(named))
        return;
    ::unlink(path.constData());
}

// Removes the file when it is a leftover: a regular file of this user, or of
// anyone in a folder this user owns, that no writer holds locked, still under
// its name once locked.
void removeIfLeftover(const QByteArray& path, bool ownsFolder)
{
    const OpenFile file(::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!file.isOpen()) {
        if (errno == EACCES && ownsFolder)
            removeUnopenableLeftover(path);
        return;
    }
    struct stat opened {};
    if (::fstat(file.fd(), &opened) != 0 || !S_ISREG(opened.st_mode) ||
        (opened.st_uid != ::geteuid() && !ownsFolder))
        return;
    if (::flock(file.fd(), LOCK_EX | LOCK_NB) != 0)
        return; // a running write's own
    // Meanwhile the name may have gone to the file it replaced, or to a new write's file.
    struct stat named {};
    if (::lstat(path.constData(), &named) == 0 && named.st_dev == opened.st_dev &&
        named.st_ino == opened.st_ino)
        ::unlink(path.constData());
}

// Removes the temporary files that earlier writes left behind when they were
// killed midway. A writer holds its temporary file locked until the file is in
// place or removed, so no running write loses its file.
void removeLeftoverTemporaryFiles(const QFileInfo& replaced)
{
    const QString prefix = temporaryPrefix(replaced);
    const QDir folder = replaced.absoluteDir();
    struct stat folderInfo {};
    const bool ownsFolder =
        ::stat(QFile::encodeName(folder.path()).constData(), &folderInfo) == 0 &&
        folderInfo.st_uid == ::geteuid();
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden)) {
        if (isTemporaryName(name, prefix))
            removeIfLeftover(QFile::encodeName(folder.filePath(name)), ownsFolder);
    }
}

// Makes a new file named the prefix and unique letters, with the mode less
// the umask, and locks it; answers it open with its details, or not open with
// errno set. A file that another writer took for a leftover and removed
// before it was locked is made again.
OpenFile createLockedTemporary(QByteArray& name, const QByteArray& prefix, mode_t mode,
                               struct stat& info)
{
    for (;;) {
        name = prefix + uniqueLetters();
        // Close-on-exec: a program started meanwhile must not inherit a
        // writable descriptor of what becomes the file.
        OpenFile file(
            ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
        if (!file.isOpen()) {
            if (errno == EEXIST)
                continue;
            return file;
        }
        if (::flock(file.fd(), LOCK_EX) != 0 || ::fstat(file.fd(), &info) != 0) {
            const int error = errno;
            ::unlink(name.constData());
            file.reset();
            errno = error;
            return file;
        }
        if (info.st_nlink > 0)
            return file;
    }
}

// The temporary files of this process's writes under way, so that the
// program's end removes them. Under the lock each one is removed, or put in
// its file's place, once.
class WritesUnderWay {
public:
    void add(const QByteArray& temporary)
    {
        const std::lock_guard lock(m_mutex);
        m_temporaries.insert(temporary);
    }

    // Removes the file unless the end removed it already.
    void remove(const QByteArray& temporary)
    {
        const std::lock_guard lock(m_mutex);
        if (m_temporaries.remove(temporary))
            ::unlink(temporary.constData());
    }

    // Renames the file over the target, unless the end removed it.
    void putInPlace(const QByteArray& temporary, const QByteArray& target)
    {
        const std::lock_guard lock(m_mutex);
        if (!m_temporaries.contains(temporary))
            throw EFileReplaceError(QStringLiteral("the program is ending"));
        if (::rename(temporary.constData(), target.constData()) != 0)
            raiseSystemError(errno);
        m_temporaries.remove(temporary);
    }

    void removeAll()
    {
        const std::lock_guard lock(m_mutex);
        for (const QByteArray& temporary : std::as_const(m_temporaries))
            ::unlink(temporary.constData());
        m_temporaries.clear();
    }

private:
    std::mutex m_mutex;
    QSet<QByteArray> m_temporaries;
};

// Never destroyed: a thread may still end its write while the process exits.
WritesUnderWay& writesUnderWay()
{
    static WritesUnderWay* const writes = new WritesUnderWay;
    return *writes;
}

// Makes the renames in the file's folder durable; a failure here loses
// nothing already written.
void syncFolderOf(const QString& path)
{
    const OpenFile folder(::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                                 O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.isOpen())
        ::fsync(folder.fd());
}

} // namespace

void removeUnfinishedWrites()
{
    writesUnderWay().removeAll();
}

ReplacingFile::ReplacingFile(const QString& path, ReplacedMode mode)
    : m_target(replacedFile(path)), m_mode(mode)
{
    const QByteArray target = QFile::encodeName(m_target);
    struct stat old {};
    m_replacesFile = ::stat(target.constData(), &old) == 0;
    m_owner = old.st_uid;
    m_group = old.st_gid;
    m_oldMode = old.st_mode & 07777;
    // A file that keeps its mode keeps its read-only bits too: it is not the
    // process's to replace.
    if (m_replacesFile && m_mode.keepsOld() &&
        ::faccessat(AT_FDCWD, target.constData(), W_OK, AT_EACCESS) != 0)
        raiseSystemError(errno);

    const QFileInfo info(m_target);
    removeLeftoverTemporaryFiles(info);
    // Owner-only until commit() when the file gets another file's mode, so
    // no moment shows its bytes to more users than the old file did.
    const mode_t creationMode = m_mode.keepsOld() && !m_replacesFile ? m_mode.bits() : 0600;
    struct stat temporary {};
    m_file = createLockedTemporary(
        m_temporaryName,
        QFile::encodeName(info.absolutePath() + QLatin1Char('/') + temporaryPrefix(info)),
        creationMode, temporary);
    if (!m_file.isOpen())
        throw EFileReplaceError(QStringLiteral("no new file can be made in its folder \"%1\" (%2)")
                                    .arg(info.absolutePath(), systemErrorText(errno)));
    writesUnderWay().add(m_temporaryName);
    m_temporaryOwner = temporary.st_uid;
    m_temporaryGroup = temporary.st_gid;
}

ReplacingFile::~ReplacingFile()
{
    // Removed while still locked, so no other writer's file of the same name goes.
    if (!m_committed && m_file.isOpen())
        writesUnderWay().remove(m_temporaryName);
}

void ReplacingFile::write(QByteArrayView bytes)
{
    raiseIfWriteFailed();
    m_writeError = writeAll(m_file.fd(), bytes.data(), bytes.size());
    raiseIfWriteFailed();
    // The disk starts on what is written while more comes, so the final
    // sync has little left to wait for. Only a hint: commit() syncs all.
    ::sync_file_range(m_file.fd(), m_written, bytes.size(), SYNC_FILE_RANGE_WRITE);
    m_written += bytes.size();
}

void ReplacingFile::commit()
{
    raiseIfWriteFailed();
    // The owner first: a change of owner may clear mode bits.
    const bool keepsGroup = !m_replacesFile ||
                            (m_owner == m_temporaryOwner && m_group == m_temporaryGroup) ||
                            keepOwner();
    mode_t mode = m_mode.keepsOld() ? m_oldMode : m_mode.bits();
    // The group bits were meant for the old group's members, not the new one's.
    if (!keepsGroup)
        mode &= ~mode_t(S_IRWXG);
    const bool setsMode = !m_mode.keepsOld() || m_replacesFile;
    if (setsMode && ::fchmod(m_file.fd(), mode) != 0)
        raiseSystemError(errno);
    if (::fsync(m_file.fd()) != 0)
        raiseSystemError(errno);
    // Closed only once in place: until then the lock keeps other writers from
    // taking the file for a leftover. Its bytes are on disk since the sync.
    writesUnderWay().putInPlace(m_temporaryName, QFile::encodeName(m_target));
    m_committed = true;
    m_file.reset();

    syncFolderOf(m_target);
}

bool ReplacingFile::keepOwner() const
{
    if (::fchown(m_file.fd(), m_owner, m_group) == 0)
        return true;
    // Only root may give a file away, or to a group it is not in. Anyone else
    // who may write the old file makes the new one its own, as a fresh save
    // would, keeping the group when it is one of theirs.
    if (errno != EPERM || ::geteuid() == 0)
        raiseOwnerError(errno);
    if (m_group == m_temporaryGroup || ::fchown(m_file.fd(), uid_t(-1), m_group) == 0)
        return true;
    if (errno != EPERM)
        raiseOwnerError(errno);
    return false;
}

void ReplacingFile::raiseIfWriteFailed() const
{
    if (m_writeError != 0)
        raiseSystemError(m_writeError);
}

QString replaceKeepingOld(const QString& path, const QString& replacement, const QString& keptAs)
{
    const QByteArray target = QFile::encodeName(path);
    const QByteArray kept = QFile::encodeName(keptAs);
    if (::link(target.constData(), kept.constData()) != 0)
        raiseSystemError(errno);
    if (::rename(QFile::encodeName(replacement).constData(), target.constData()) != 0) {
        const int error = errno;
        ::unlink(kept.constData());
        raiseSystemError(error);
    }
    syncFolderOf(path);
    return keptAs;
}

void replaceFileContents(const QString& path, QByteArrayView bytes, ReplacedMode mode)
{
    ReplacingFile file(path, mode);
    file.write(bytes);
    file.commit();
}

} // namespace platform
