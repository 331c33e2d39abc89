#include "HostsFile.h"

#include "Platform.h"
#include "SystemText.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <cerrno>
#include <cstring>
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

char16_t folded(char16_t unit)
{
    if (unit < 0x80)
        return (unit >= u'A' && unit <= u'Z') ? char16_t(unit + 32) : unit;
    return char16_t(QChar::toCaseFolded(char32_t(unit)));
}

// Four characters at once, each case-folded; plain ASCII takes a few word
// operations: a lane from 'A' to 'Z' gets 0x20 added.
quint64 foldedWord(const char16_t* characters)
{
    quint64 word;
    std::memcpy(&word, characters, sizeof word);
    if ((word & 0xFF80FF80FF80FF80ull) == 0) {
        const quint64 fromA = word + 0x003F003F003F003Full; // bit 7 set from 'A'
        const quint64 pastZ = word + 0x0025002500250025ull; // bit 7 set from '['
        return word | (((fromA & ~pastZ) & 0x0080008000800080ull) >> 2);
    }
    quint64 result = 0;
    for (int i = 3; i >= 0; --i)
        result = (result << 16) | folded(characters[i]);
    return result;
}

bool sameFolded(const QChar* a, const QChar* b, qsizetype size)
{
    const auto* left = reinterpret_cast<const char16_t*>(a);
    const auto* right = reinterpret_cast<const char16_t*>(b);
    qsizetype i = 0;
    for (; i + 4 <= size; i += 4) {
        if (foldedWord(left + i) != foldedWord(right + i))
            return false;
    }
    for (; i < size; ++i) {
        if (folded(left[i]) != folded(right[i]))
            return false;
    }
    return true;
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
    bool alreadyAsWritten = false;
    return getHostsFile(alreadyAsWritten);
}

QString getHostsFile(bool& alreadyAsWritten)
{
    const QString path = hostsFilePath();
    platform::current().fileAttributes().setReadOnly(path, false);
    AtScopeEnd flush([] { platform::current().resolverCache().flush(); });

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        raiseReadError(path, file.errorString());
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        raiseReadError(path, file.errorString());
    // Without a mark the 8-bit form gives back every byte, so only the line
    // ends and blank lines can differ.
    const bool marked = systemtext::hasByteOrderMark(bytes);
    QString text = systemtext::decodeWithByteOrderMark(bytes);
    bytes.clear();
    alreadyAsWritten = false;
    if (!systemtext::hasCrLfLines(text))
        return systemtext::withCrLf(text);
    alreadyAsWritten = !marked && systemtext::hasCrLfLines(text, true);
    return text;
}

void setHostsFile(const QString& text, BlankLines blankLines)
{
    setHostsFile(std::vector<QStringView>{text}, blankLines);
}

void setHostsFile(const std::vector<QStringView>& parts, BlankLines blankLines)
{
    const QString path = hostsFilePath();
    AtScopeEnd readOnly([&] { platform::current().fileAttributes().setReadOnly(path, true); });
    const bool dropBlankLines = blankLines == BlankLines::Drop;
    qsizetype size = 0;
    for (QStringView part : parts)
        size += part.size();
    QByteArray bytes;
    bytes.reserve(size);
    for (QStringView part : parts) {
        // Most texts are already in shape; only the others are copied.
        if (systemtext::hasCrLfLines(part, dropBlankLines))
            systemtext::appendEncoded(bytes, part);
        else if (dropBlankLines)
            systemtext::appendEncoded(bytes, systemtext::withCrLfWithoutBlankLines(part));
        else
            systemtext::appendEncoded(bytes, systemtext::withCrLf(part));
    }
    writeAtomically(path, bytes);
    if (dropBlankLines)
        platform::current().resolverCache().flush();
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
    reserve(text.count(u'\n') + 1);
    // In batches, so each insert finds its slot already fetched.
    constexpr size_t Batch = 4096;
    constexpr size_t Ahead = 16;
    std::vector<Key> keys;
    keys.reserve(Batch + 64);
    const auto insertAll = [&] {
        for (size_t i = 0; i < keys.size(); ++i) {
            if (i + Ahead < keys.size())
                prefetch(keys[i + Ahead]);
            insert(keys[i]);
        }
        keys.clear();
    };
    systemtext::forEachLine(text, [&](QStringView line, qsizetype) {
        addLineKeys(line, keys);
        if (keys.size() >= Batch)
            insertAll();
    });
    insertAll();
}

PresentHosts::Key PresentHosts::keyOf(QStringView host)
{
    const QStringView text = keyText(host);
    return {text, hashOf(text)};
}

QStringView PresentHosts::keyText(QStringView host)
{
    return systemtext::trimmed(host);
}

bool PresentHosts::contains(const Key& key) const
{
    if (key.text.isEmpty() || m_slots.empty())
        return false;
    return m_slots[slotFor(key)].data != nullptr;
}

bool PresentHosts::insert(const Key& key)
{
    if (key.text.isEmpty())
        return false;
    reserve(1);
    Slot& slot = m_slots[slotFor(key)];
    if (slot.data)
        return false;
    slot = {key.text.data(), quint32(key.text.size()), quint32(key.hash >> 32)};
    ++m_count;
    return true;
}

void PresentHosts::prefetch(const Key& key) const
{
    if (!m_slots.empty())
        __builtin_prefetch(&m_slots[size_t(key.hash >> 32) & (m_slots.size() - 1)]);
}

void PresentHosts::reserve(qsizetype additional)
{
    // At most half full, so probes stay short.
    const size_t needed = size_t(m_count + additional) * 2;
    if (needed <= m_slots.size())
        return;
    size_t capacity = std::max<size_t>(m_slots.size(), 64);
    while (capacity < needed)
        capacity *= 2;
    rehash(capacity);
}

// The slot index comes from the check, so growing needs no hashing again.
void PresentHosts::rehash(size_t capacity)
{
    std::vector<Slot> old(capacity);
    old.swap(m_slots);
    const size_t mask = capacity - 1;
    for (const Slot& slot : old) {
        if (!slot.data)
            continue;
        size_t index = slot.check & mask;
        while (m_slots[index].data)
            index = (index + 1) & mask;
        m_slots[index] = slot;
    }
}

size_t PresentHosts::slotFor(const Key& key) const
{
    const size_t mask = m_slots.size() - 1;
    const auto check = quint32(key.hash >> 32);
    const auto size = quint32(key.text.size());
    for (size_t index = check & mask;; index = (index + 1) & mask) {
        const Slot& slot = m_slots[index];
        if (!slot.data)
            return index;
        if (slot.check == check && slot.size == size &&
            sameFolded(slot.data, key.text.data(), key.text.size()))
            return index;
    }
}

quint64 PresentHosts::hashOf(QStringView key)
{
    const auto* characters = reinterpret_cast<const char16_t*>(key.data());
    const qsizetype size = key.size();
    quint64 hash = 0x9E3779B97F4A7C15ull ^ quint64(size);
    qsizetype i = 0;
    for (; i + 4 <= size; i += 4) {
        hash = (hash ^ foldedWord(characters + i)) * 0xBF58476D1CE4E5B9ull;
        hash ^= hash >> 31;
    }
    for (; i < size; ++i) {
        hash = (hash ^ folded(characters[i])) * 0x94D049BB133111EBull;
        hash ^= hash >> 31;
    }
    // A final mix, so the high half (slot index and check) depends on every
    // character.
    hash ^= hash >> 30;
    hash *= 0xBF58476D1CE4E5B9ull;
    hash ^= hash >> 27;
    hash *= 0x94D049BB133111EBull;
    hash ^= hash >> 31;
    return hash;
}

// "<address> <name> <name> # comment": the names count, each alone and all of
// them together as written (a stored host may hold blanks). A line whose first
// character past the blanks is "#" is a comment.
void PresentHosts::addLineKeys(QStringView line, std::vector<Key>& keys)
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

    const qsizetype comment = rest.indexOf(u'#');
    const QStringView names = comment < 0 ? rest : rest.first(comment);
    qsizetype start = 0;
    bool restIsOneName = false;
    while (start < names.size()) {
        while (start < names.size() && isSeparator(names[start]))
            ++start;
        qsizetype end = start;
        while (end < names.size() && !isSeparator(names[end]))
            ++end;
        if (end > start) {
            const QStringView name = names.sliced(start, end - start);
            keys.push_back({name, hashOf(name)});
            restIsOneName = name.size() == rest.size();
        }
        start = end;
    }
    if (!restIsOneName)
        keys.push_back({rest, hashOf(rest)});
}
