#include "HostsFile.h"

#include "LineParts.h"
#include "Parallel.h"
#include "Platform.h"
#include "PresentHosts.h"
#include "SystemText.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <cstring>
#include <sys/stat.h>
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

namespace {

// Runs the step, telling a failure as a failed write of the hosts file.
template <class Step> void asHostsFileWrite(const QString& path, Step step)
{
    try {
        step();
    } catch (const platform::EFileReplaceError& error) {
        raiseWriteError(path, error.message());
    }
}

// The hosts file's replacement, read-only once in place; a file that cannot
// be begun leaves the hosts file read-only as well.
platform::ReplacingFile startReplacing(const QString& path)
{
    try {
        return platform::ReplacingFile(path, platform::ReplacedMode::always(ReadOnlyMode));
    } catch (const platform::EFileReplaceError& error) {
        platform::current().fileAttributes().setReadOnly(path, true);
        raiseWriteError(path, error.message());
    }
}

} // namespace

HostsFileWriter::HostsFileWriter(BlankLines blankLines, LineEnd lineEnd)
    : m_path(hostsFilePath()), m_blankLines(blankLines), m_lineEnd(lineEnd),
      m_file(startReplacing(m_path))
{}

HostsFileWriter::~HostsFileWriter()
{
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
    asHostsFileWrite(m_path, [&] { m_file.commit(); });
    if (m_blankLines == BlankLines::Drop)
        platform::current().resolverCache().flush();
}

void HostsFileWriter::writeBytes(QByteArrayView bytes)
{
    asHostsFileWrite(m_path, [&] { m_file.write(bytes); });
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
