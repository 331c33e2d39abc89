#include "HostsFile.h"

#include "LineParts.h"
#include "Parallel.h"
#include "Platform.h"
#include "PresentHosts.h"
#include "SystemText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace hostsfile_testing {
void (*afterHalfWritten)() = nullptr;
}

using systemtext::LineEnd;

namespace {

// The hosts file's mode between writes: read-only for all.
constexpr mode_t ReadOnlyMode = 0444;

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

// A write's temporary file is ".<file>.solvek-" and six letters or digits,
// beside the file it replaces.
QString temporaryPrefix(const QFileInfo& replaced)
{
    return QStringLiteral(".") + replaced.fileName() + QStringLiteral(".solvek-");
}
constexpr qsizetype TemporaryUniqueLength = 6; // mkostemp's "XXXXXX"

bool isTemporaryName(const QString& name, const QString& prefix)
{
    return name.size() == prefix.size() + TemporaryUniqueLength && name.startsWith(prefix) &&
           std::all_of(name.cbegin() + prefix.size(), name.cend(),
                       [](QChar c) { return c.unicode() < 0x80 && c.isLetterOrNumber(); });
}

// Removes the file when it is a leftover: a regular file of this user that
// no writer holds locked, still under its name once locked.
void removeIfLeftover(const QByteArray& path)
{
    const OpenFile file(::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat opened {};
    if (file.fd() < 0 || ::fstat(file.fd(), &opened) != 0 || !S_ISREG(opened.st_mode) ||
        opened.st_uid != ::geteuid())
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
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden)) {
        if (isTemporaryName(name, prefix))
            removeIfLeftover(QFile::encodeName(folder.filePath(name)));
    }
}

// Makes the temporary file from the pattern and locks it; answers it open,
// or not open with errno set. A file that another writer took for a leftover
// and removed before it was locked is made again.
OpenFile createLockedTemporary(QByteArray& name, const QByteArray& pattern)
{
    for (;;) {
        name = pattern;
        // Close-on-exec: a program started meanwhile (a browser) must not
        // inherit a writable descriptor of what becomes the hosts file.
        OpenFile file(::mkostemp(name.data(), O_CLOEXEC));
        if (!file.isOpen())
            return file;
        struct stat info {};
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

} // namespace

QString getWindowsDir()
{
    return QFileInfo(hostsFilePath()).absolutePath();
}

QString hostsFilePath()
{
    return platform::current().places().hostsFile();
}

namespace {

using lineparts::partsFor;
using lineparts::wholeLineParts;

// True when every line of the text ends with the line end (and, when asked,
// none is blank), checked in parts on several threads for a large text: a
// part boundary follows a LF, so the parts hold whole lines.
bool hasLineEndsInParallel(QByteArrayView bytes, LineEnd lineEnd, bool withoutBlankLines)
{
    const std::vector<QByteArrayView> parts = wholeLineParts(bytes, partsFor(bytes));
    std::vector<char> shaped(parts.size(), 0);
    platform::runInParallel(parts.size(), [&](size_t part) {
        shaped[part] = systemtext::hasLineEnds(parts[part], lineEnd, withoutBlankLines);
    });
    return std::all_of(shaped.begin(), shaped.end(), [](char part) { return part != 0; });
}

// The file's bytes as they are, the resolver-cache flush afterwards, also
// after a failure. Its mode stays: a write replaces the file rather than
// writing into it, so it never needs to be writable.
QByteArray readHostsFile()
{
    const QString path = hostsFilePath();
    AtScopeEnd flush([] { platform::current().resolverCache().flush(); });

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        raiseReadError(path, file.errorString());
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        raiseReadError(path, file.errorString());
    return bytes;
}

} // namespace

LineEnd hostsFileLineEnd()
{
    QFile file(hostsFilePath());
    if (!file.open(QIODevice::ReadOnly))
        return LineEnd::Lf;
    // Read until the first line end and the character after it are known;
    // blocks of even size, so no UTF-16 unit is cut.
    QByteArray head;
    for (;;) {
        const QByteArray more = file.read(std::max<qsizetype>(4096, head.size()));
        head += more;
        const QString text = systemtext::decodeWithByteOrderMark(head);
        const auto end = std::find_if(text.cbegin(), text.cend(),
                                      [](QChar c) { return c == u'\r' || c == u'\n'; });
        if (more.isEmpty() || text.cend() - end > 1)
            return systemtext::firstLineEnd(text);
    }
}

QString getHostsFile()
{
    const QString text = systemtext::decodeWithByteOrderMark(readHostsFile());
    const LineEnd lineEnd = systemtext::firstLineEnd(text);
    if (!systemtext::hasLineEnds(text, lineEnd))
        return systemtext::withLineEnds(text, lineEnd);
    return text;
}

QByteArray getHostsFileBytes(LineEnd lineEnd, BlankLines blankLines, bool& alreadyAsWritten)
{
    QByteArray bytes = readHostsFile();
    // Without a mark the 8-bit form is the file's own bytes, so only the line
    // ends and blank lines can differ.
    const bool marked = systemtext::hasByteOrderMark(bytes);
    if (marked)
        bytes = systemtext::encode(systemtext::decodeWithByteOrderMark(bytes));
    alreadyAsWritten =
        !marked && hasLineEndsInParallel(bytes, lineEnd, blankLines == BlankLines::Drop);
    return bytes;
}

void setHostsFile(const QString& text, BlankLines blankLines)
{
    const QByteArray bytes = systemtext::encode(text);
    HostsFileWriter writer(blankLines, hostsFileLineEnd());
    writer.expectBytes(bytes.size());
    writer.write(bytes);
    writer.commit();
}

HostsFileWriter::HostsFileWriter(BlankLines blankLines, LineEnd lineEnd)
    : m_path(hostsFilePath()), m_target(replacedFile(m_path)), m_blankLines(blankLines),
      m_lineEnd(lineEnd)
{
    struct stat old {};
    m_replacesFile = ::stat(QFile::encodeName(m_target).constData(), &old) == 0;
    m_owner = old.st_uid;
    m_group = old.st_gid;
    const QFileInfo info(m_target);
    removeLeftoverTemporaryFiles(info);
    m_file = createLockedTemporary(
        m_temporaryName, QFile::encodeName(info.absolutePath() + QLatin1Char('/') +
                                           temporaryPrefix(info) + QStringLiteral("XXXXXX")));
    if (!m_file.isOpen()) {
        // Taken first: the attribute call below may set errno again.
        const QString reason = systemErrorText(errno);
        platform::current().fileAttributes().setReadOnly(m_path, true);
        raiseWriteError(m_path, QStringLiteral("no new file can be made in its folder \"%1\" (%2)")
                                    .arg(info.absolutePath(), reason));
    }
}

HostsFileWriter::~HostsFileWriter()
{
    // Removed while still locked, so no other writer's file of the same name goes.
    if (!m_committed && m_file.isOpen())
        ::unlink(m_temporaryName.constData());
    m_file.reset();
    platform::current().fileAttributes().setReadOnly(m_path, true);
}

void HostsFileWriter::expectBytes(qsizetype total)
{
    m_untilHalf = total / 2;
}

void HostsFileWriter::write(QByteArrayView part)
{
    // Most parts are already in shape and are written as they are.
    const bool dropBlankLines = m_blankLines == BlankLines::Drop;
    if (hasLineEndsInParallel(part, m_lineEnd, dropBlankLines)) {
        writeInShape(part);
        return;
    }
    writeInShape(dropBlankLines ? systemtext::withLineEndsWithoutBlankLines(part, m_lineEnd)
                                : systemtext::withLineEnds(part, m_lineEnd));
}

void HostsFileWriter::writeInShape(QByteArrayView part)
{
    if (!m_halfWritten && m_untilHalf >= 0) {
        if (m_untilHalf <= part.size()) {
            writeBytes(part.first(m_untilHalf));
            part = part.sliced(m_untilHalf);
            reachHalf();
        } else {
            m_untilHalf -= part.size();
        }
    }
    writeBytes(part);
}

void HostsFileWriter::commit()
{
    if (!m_halfWritten)
        reachHalf();
    // Read-only before the rename, so no moment leaves the hosts file writable.
    if (::fchmod(m_file.fd(), ReadOnlyMode) != 0)
        raiseWriteError(m_path, systemErrorText(errno));
    if (m_replacesFile && (m_owner != ::geteuid() || m_group != ::getegid()) &&
        ::fchown(m_file.fd(), m_owner, m_group) != 0)
        raiseWriteError(
            m_path, QStringLiteral("its owner cannot be kept (%1)").arg(systemErrorText(errno)));
    if (::fsync(m_file.fd()) != 0)
        raiseWriteError(m_path, systemErrorText(errno));
    // Closed only once in place: until then the lock keeps other writers from
    // taking the file for a leftover. Its bytes are on disk since the sync.
    if (::rename(m_temporaryName.constData(), QFile::encodeName(m_target).constData()) != 0)
        raiseWriteError(m_path, systemErrorText(errno));
    m_committed = true;
    m_file.reset();

    // Make the rename itself durable; a failure here loses nothing already written.
    const OpenFile folder(::open(QFile::encodeName(QFileInfo(m_target).absolutePath()).constData(),
                                 O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.fd() >= 0)
        ::fsync(folder.fd());
    if (m_blankLines == BlankLines::Drop)
        platform::current().resolverCache().flush();
}

void HostsFileWriter::writeBytes(QByteArrayView bytes)
{
    if (int error = writeAll(m_file.fd(), bytes.data(), bytes.size()))
        raiseWriteError(m_path, systemErrorText(error));
    // The disk starts on what is written while more comes, so the final
    // sync has little left to wait for. Only a hint: commit() syncs all.
    ::sync_file_range(m_file.fd(), m_written, bytes.size(), SYNC_FILE_RANGE_WRITE);
    m_written += bytes.size();
}

void HostsFileWriter::reachHalf()
{
    m_halfWritten = true;
    if (hostsfile_testing::afterHalfWritten)
        hostsfile_testing::afterHalfWritten();
}

void keepHostsFile()
{
    platform::current().fileAttributes().setReadOnly(hostsFilePath(), true);
    platform::current().resolverCache().flush();
}

bool hostInText(const QString& host, const QString& text)
{
    return PresentHosts(text).contains(host);
}

namespace {

// The block lines of the listed hosts (one a line) in the 8-bit form, each
// with the number of lines it still empties: a host listed twice empties two.
class ListedBlockLines {
public:
    explicit ListedBlockLines(QStringView hostList)
    {
        systemtext::forEachLine(hostList, [&](QStringView host, qsizetype) {
            ++m_remaining[BlockLinePrefixBytes.toByteArray() + systemtext::encode(host)];
            ++m_total;
        });
    }
    bool isEmpty() const { return m_total == 0; }
    // True when the line is one still to be emptied, which it then counts.
    bool take(QByteArrayView line)
    {
        if (!line.startsWith(BlockLinePrefixBytes))
            return false;
        const auto found = m_remaining.find(QByteArray::fromRawData(line.data(), line.size()));
        if (found == m_remaining.end() || *found == 0)
            return false;
        --*found;
        --m_total;
        return true;
    }

private:
    QHash<QByteArray, qsizetype> m_remaining;
    qsizetype m_total = 0;
};

// The lines to empty, views into the bytes in their order: for each listed
// block line the first that remains. Every line of the bytes ends with the
// line end.
std::vector<QByteArrayView> linesToEmpty(QByteArrayView bytes, LineEnd lineEnd,
                                         ListedBlockLines& listed)
{
    const qsizetype endSize = systemtext::lineEndBytes(lineEnd).size();
    std::vector<QByteArrayView> lines;
    const char* at = bytes.data();
    const char* const end = at + bytes.size();
    while (at < end && !listed.isEmpty()) {
        const auto* lineFeed = static_cast<const char*>(std::memchr(at, '\n', size_t(end - at)));
        if (lineFeed == nullptr)
            break;
        const QByteArrayView line(at, lineFeed + 1 - endSize);
        if (listed.take(line))
            lines.push_back(line);
        at = lineFeed + 1;
    }
    return lines;
}

// Writes the bytes without the text of the lines given (views into them, in
// order), their line ends kept. Short spans between those lines are gathered
// first, so emptying many lines costs few writes.
void writeWithout(HostsFileWriter& writer, QByteArrayView bytes,
                  const std::vector<QByteArrayView>& emptied)
{
    qsizetype total = bytes.size();
    for (QByteArrayView line : emptied)
        total -= line.size();
    writer.expectBytes(total);

    constexpr qsizetype GatheredBytes = qsizetype(1) << 20;
    QByteArray gathered;
    const auto writeGathered = [&] {
        if (gathered.isEmpty())
            return;
        writer.writeInShape(gathered);
        gathered.resize(0);
    };
    const auto keep = [&](QByteArrayView span) {
        if (gathered.size() + span.size() > GatheredBytes)
            writeGathered();
        if (span.size() >= GatheredBytes)
            writer.writeInShape(span);
        else
            gathered.append(span);
    };
    const char* at = bytes.data();
    for (QByteArrayView line : emptied) {
        keep(QByteArrayView(at, line.data()));
        at = line.data() + line.size();
    }
    keep(QByteArrayView(at, bytes.data() + bytes.size()));
    writeGathered();
}

} // namespace

// Runs on the window thread: one pass over the file's bytes, hashing only the
// listed hosts' lines, so a file of millions of lines is cleaned in about the
// time its copy takes.
void cleanFromHosts(const QString& hostList)
{
    HostsFileLock lock;
    const LineEnd lineEnd = hostsFileLineEnd();
    bool inShape = false;
    QByteArray bytes = getHostsFileBytes(lineEnd, BlankLines::Keep, inShape);
    // A marked file counts as not in shape, whatever its lines; mending it costs one pass.
    if (!inShape)
        bytes = systemtext::withLineEnds(bytes, lineEnd);

    ListedBlockLines listed(hostList);
    const std::vector<QByteArrayView> emptied = linesToEmpty(bytes, lineEnd, listed);
    HostsFileWriter writer(BlankLines::Keep, lineEnd);
    writeWithout(writer, bytes, emptied);
    writer.commit();
}

HostsFileLock::HostsFileLock() : m_locker(&hostsFileMutex()) {}
