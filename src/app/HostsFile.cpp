#include "HostsFile.h"

#include "Platform.h"
#include "SystemText.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace hostsfile_testing {
void (*afterHalfWritten)() = nullptr;
}

namespace {

QRecursiveMutex& hostsFileMutex()
{
    static QRecursiveMutex mutex;
    return mutex;
}

QString systemErrorText(int error)
{
    return QString::fromStdString(std::system_category().message(error));
}

[[noreturn]] void raiseReadError(const QString& path, const QString& reason)
{
    throw EHostsFileError(
        QStringLiteral("Could not read the hosts file \"%1\": %2.").arg(path, reason));
}

[[noreturn]] void raiseWriteError(const QString& path, const QString& reason)
{
    throw EHostsFileError(
        QStringLiteral("Could not write the hosts file \"%1\": %2.").arg(path, reason));
}

// Runs the step when the scope ends, however it ends.
template <class Step> class AtScopeEnd {
public:
    explicit AtScopeEnd(Step step) : m_step(std::move(step)) {}
    ~AtScopeEnd() { m_step(); }
    AtScopeEnd(const AtScopeEnd&) = delete;
    AtScopeEnd& operator=(const AtScopeEnd&) = delete;

private:
    Step m_step;
};

// A temporary file beside the target; removed unless it was renamed over it.
class TemporaryFile {
public:
    explicit TemporaryFile(const QString& target)
    {
        const QFileInfo info(target);
        m_name = QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                                   QStringLiteral(".solvek-XXXXXX"));
        m_fd = ::mkstemp(m_name.data());
        if (m_fd < 0)
            raiseWriteError(target, systemErrorText(errno));
    }
    ~TemporaryFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        if (!m_renamed)
            ::unlink(m_name.constData());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int fd() const { return m_fd; }
    const char* name() const { return m_name.constData(); }
    // Closes the descriptor; answers errno, or 0.
    int close()
    {
        const int result = ::close(m_fd);
        m_fd = -1;
        return result == 0 ? 0 : errno;
    }
    void markRenamed() { m_renamed = true; }

private:
    QByteArray m_name;
    int m_fd = -1;
    bool m_renamed = false;
};

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

void writeAtomically(const QString& path, const QByteArray& bytes)
{
    const QString target = replacedFile(path);
    struct stat old {};
    const bool exists = ::stat(QFile::encodeName(target).constData(), &old) == 0;

    TemporaryFile temporary(target);
    const qsizetype half = bytes.size() / 2;
    if (int error = writeAll(temporary.fd(), bytes.constData(), half))
        raiseWriteError(path, systemErrorText(error));
    if (hostsfile_testing::afterHalfWritten)
        hostsfile_testing::afterHalfWritten();
    if (int error = writeAll(temporary.fd(), bytes.constData() + half, bytes.size() - half))
        raiseWriteError(path, systemErrorText(error));

    if (::fchmod(temporary.fd(), exists ? (old.st_mode & 07777) : 0644) != 0)
        raiseWriteError(path, systemErrorText(errno));
    if (exists && (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) &&
        ::fchown(temporary.fd(), old.st_uid, old.st_gid) != 0)
        raiseWriteError(
            path, QStringLiteral("its owner cannot be kept (%1)").arg(systemErrorText(errno)));
    if (::fsync(temporary.fd()) != 0)
        raiseWriteError(path, systemErrorText(errno));
    if (int error = temporary.close())
        raiseWriteError(path, systemErrorText(error));
    if (::rename(temporary.name(), QFile::encodeName(target).constData()) != 0)
        raiseWriteError(path, systemErrorText(errno));
    temporary.markRenamed();

    // Make the rename itself durable; a failure here loses nothing already written.
    const int folder = ::open(QFile::encodeName(QFileInfo(target).absolutePath()).constData(),
                              O_RDONLY | O_DIRECTORY);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}

char16_t folded(QChar c)
{
    const char16_t unit = c.unicode();
    if (unit < 0x80)
        return (unit >= u'A' && unit <= u'Z') ? char16_t(unit + 32) : unit;
    return char16_t(QChar::toCaseFolded(char32_t(unit)));
}

bool isSeparator(QChar c)
{
    return systemtext::isBlankOrControl(c);
}

} // namespace

QString getWindowsDir()
{
    return QFileInfo(hostsFilePath()).absolutePath();
}

QString hostsFilePath()
{
    return platform::current().places().hostsFile();
}

QString getHostsFile()
{
    const QString path = hostsFilePath();
    platform::current().fileAttributes().setReadOnly(path, false);
    AtScopeEnd flush([] { platform::current().resolverCache().flush(); });

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        raiseReadError(path, file.errorString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        raiseReadError(path, file.errorString());
    return systemtext::withCrLf(systemtext::decodeWithByteOrderMark(bytes));
}

void setHostsFile(const QString& text, BlankLines blankLines)
{
    const QString path = hostsFilePath();
    AtScopeEnd readOnly([&] { platform::current().fileAttributes().setReadOnly(path, true); });
    const QString lines = blankLines == BlankLines::Drop
                              ? systemtext::withCrLfWithoutBlankLines(text)
                              : systemtext::withCrLf(text);
    writeAtomically(path, systemtext::encode(lines));
    if (blankLines == BlankLines::Drop)
        platform::current().resolverCache().flush();
}

bool hostInText(const QString& host, const QString& text)
{
    return PresentHosts(text).contains(host);
}

void cleanFromHosts(const QString& hostList)
{
    HostsFileLock lock;
    const QString text = getHostsFile();

    std::vector<QStringView> lines;
    QHash<QStringView, std::vector<qsizetype>> blockLines; // line text -> its indexes, in order
    systemtext::forEachLine(text, [&](QStringView line, qsizetype index) {
        lines.push_back(line);
        if (line.startsWith(BlockLinePrefix))
            blockLines[line].push_back(index);
    });

    std::vector<bool> emptied(lines.size(), false);
    QHash<QStringView, size_t> used; // block lines already emptied, per line text
    systemtext::forEachLine(hostList, [&](QStringView host, qsizetype) {
        QString blockLine = BlockLinePrefix.toString();
        blockLine.append(host);
        const auto found = blockLines.constFind(blockLine);
        if (found == blockLines.cend())
            return;
        size_t& next = used[found.key()];
        if (next < found->size())
            emptied[(*found)[next++]] = true;
    });

    QString cleaned;
    cleaned.reserve(text.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!emptied[i])
            cleaned.append(lines[i]);
        cleaned.append(u"\r\n");
    }
    setHostsFile(cleaned, BlankLines::Keep);
}

HostsFileLock::HostsFileLock() : m_locker(&hostsFileMutex()) {}

PresentHosts::PresentHosts(QStringView text)
{
    m_names.reserve(size_t(text.count(u'\n') + 1));
    systemtext::forEachLine(text, [this](QStringView line, qsizetype) { addLine(line); });
}

QStringView PresentHosts::keyOf(QStringView host)
{
    return systemtext::trimmed(host);
}

bool PresentHosts::contains(QStringView host) const
{
    const QStringView key = keyOf(host);
    return !key.isEmpty() && m_names.contains(key);
}

bool PresentHosts::insert(QStringView host)
{
    const QStringView key = keyOf(host);
    return !key.isEmpty() && m_names.insert(key).second;
}

// "<address> <name> <name> # comment": the names count, each alone and all of
// them together as written (a stored host may hold blanks). A line whose first
// character past the blanks is "#" is a comment.
void PresentHosts::addLine(QStringView line)
{
    qsizetype at = 0;
    const qsizetype size = line.size();
    while (at < size && isSeparator(line[at]))
        ++at;
    if (at == size || line[at] == u'#')
        return;
    while (at < size && !isSeparator(line[at]))
        ++at; // the address
    const QStringView rest = systemtext::trimmed(line.sliced(at));
    if (rest.isEmpty())
        return;
    insert(rest);

    const qsizetype comment = rest.indexOf(u'#');
    const QStringView names = comment < 0 ? rest : rest.first(comment);
    qsizetype start = 0;
    while (start < names.size()) {
        while (start < names.size() && isSeparator(names[start]))
            ++start;
        qsizetype end = start;
        while (end < names.size() && !isSeparator(names[end]))
            ++end;
        if (end > start)
            insert(names.sliced(start, end - start));
        start = end;
    }
}

size_t PresentHosts::FoldedHash::operator()(QStringView name) const noexcept
{
    size_t hash = 14695981039346656037ull;
    for (QChar c : name) {
        hash ^= folded(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

bool PresentHosts::FoldedEqual::operator()(QStringView a, QStringView b) const noexcept
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (folded(a[i]) != folded(b[i]))
            return false;
    }
    return true;
}
