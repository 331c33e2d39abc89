#include "HostsFile.h"

#include "Parallel.h"
#include "Platform.h"
#include "SystemText.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
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

char16_t folded(char16_t unit)
{
    if (unit < 0x80)
        return (unit >= u'A' && unit <= u'Z') ? char16_t(unit + 32) : unit;
    return char16_t(QChar::toCaseFolded(char32_t(unit)));
}

// Eight bytes at once with 'A' to 'Z' made lower case and every other byte
// kept: a byte from 'A' to 'Z' (high bit clear) gets 0x20 added.
quint64 foldedLetters(quint64 word)
{
    const quint64 low = word & 0x7F7F7F7F7F7F7F7Full;
    const quint64 fromA = low + 0x3F3F3F3F3F3F3F3Full; // bit 7 set from 'A'
    const quint64 pastZ = low + 0x2525252525252525ull; // bit 7 set from '['
    const quint64 upper = fromA & ~pastZ & ~word & 0x8080808080808080ull;
    return word | (upper >> 2);
}

// The up to eight bytes from `at` on, zero beyond the end, folded. The last
// few bytes of a longer text come from one load ending at its end.
quint64 foldedWordAt(QByteArrayView bytes, qsizetype at)
{
    const qsizetype left = bytes.size() - at;
    quint64 word = 0;
    if (left >= 8) {
        std::memcpy(&word, bytes.data() + at, 8);
    } else if (bytes.size() >= 8) {
        std::memcpy(&word, bytes.data() + bytes.size() - 8, 8);
        word >>= 8 * (8 - left);
    } else {
        for (qsizetype i = left - 1; i >= 0; --i)
            word = (word << 8) | uchar(bytes[at + i]);
    }
    return foldedLetters(word);
}

// The case-folded UTF-16 units of a key beyond ASCII.
std::vector<char16_t> foldedUnits(QByteArrayView bytes)
{
    const QString text = systemtext::decode(bytes);
    std::vector<char16_t> units(size_t(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i)
        units[size_t(i)] = folded(text[i].unicode());
    return units;
}

// The bytes a key beyond ASCII is hashed by: its folded units, one byte each
// when they are all ASCII (so it meets the ASCII key it equals), else two.
QByteArray hashedBytesBeyondAscii(QByteArrayView bytes)
{
    const std::vector<char16_t> units = foldedUnits(bytes);
    const bool allAscii =
        std::all_of(units.begin(), units.end(), [](char16_t unit) { return unit < 0x80; });
    QByteArray hashed;
    for (char16_t unit : units) {
        hashed.append(char(unit & 0xFF));
        if (!allAscii)
            hashed.append(char(unit >> 8));
    }
    return hashed;
}

quint64 hashOfFolded(QByteArrayView bytes)
{
    quint64 hash = 0x9E3779B97F4A7C15ull ^ quint64(bytes.size());
    for (qsizetype at = 0; at < bytes.size(); at += 8) {
        hash = (hash ^ foldedWordAt(bytes, at)) * 0xBF58476D1CE4E5B9ull;
        hash ^= hash >> 31;
    }
    // A final mix, so the high half (slot index and check) depends on every byte.
    hash ^= hash >> 30;
    hash *= 0xBF58476D1CE4E5B9ull;
    hash ^= hash >> 27;
    hash *= 0x94D049BB133111EBull;
    hash ^= hash >> 31;
    return hash;
}

bool sameFoldedAscii(const char* a, const char* b, qsizetype size)
{
    const QByteArrayView left(a, size);
    const QByteArrayView right(b, size);
    for (qsizetype at = 0; at < size; at += 8) {
        if (foldedWordAt(left, at) != foldedWordAt(right, at))
            return false;
    }
    return true;
}

bool isSeparator(char c)
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

namespace {

// A text below this is worked on by one thread: more would cost more than they save.
constexpr qsizetype BytesPerThread = qsizetype(1) << 20;

// How many threads work on the text.
size_t partsFor(QByteArrayView bytes)
{
    return std::min<size_t>(platform::workerCount(), size_t(bytes.size() / BytesPerThread) + 1);
}

// The text cut into up to `count` parts of about equal size, each of whole
// lines: a cut follows a LF, which always ends a line.
std::vector<QByteArrayView> wholeLineParts(QByteArrayView bytes, size_t count)
{
    std::vector<QByteArrayView> parts;
    qsizetype start = 0;
    for (size_t part = 1; part < count && start < bytes.size(); ++part) {
        const qsizetype target = std::max(start, qsizetype(bytes.size() * part / count));
        const qsizetype lineFeed = bytes.indexOf('\n', target);
        if (lineFeed < 0)
            break;
        parts.push_back(bytes.sliced(start, lineFeed + 1 - start));
        start = lineFeed + 1;
    }
    parts.push_back(bytes.sliced(start));
    return parts;
}

// True when every line of the text ends with CR LF (and, when asked, none is
// blank), checked in parts on several threads for a large text: a part
// boundary follows a LF, so the parts hold whole lines.
bool hasCrLfLinesInParallel(QByteArrayView bytes, bool withoutBlankLines)
{
    const std::vector<QByteArrayView> parts = wholeLineParts(bytes, partsFor(bytes));
    std::vector<char> shaped(parts.size(), 0);
    platform::runInParallel(parts.size(), [&](size_t part) {
        shaped[part] = systemtext::hasCrLfLines(parts[part], withoutBlankLines);
    });
    return std::all_of(shaped.begin(), shaped.end(), [](char part) { return part != 0; });
}

// The file's bytes as they are: attributes normal first, the resolver-cache
// flush afterwards, also after a failure.
QByteArray readHostsFile()
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
    return bytes;
}

} // namespace

QString getHostsFile()
{
    const QString text = systemtext::decodeWithByteOrderMark(readHostsFile());
    if (!systemtext::hasCrLfLines(text))
        return systemtext::withCrLf(text);
    return text;
}

QByteArray getHostsFileBytes(bool& alreadyAsWritten)
{
    QByteArray bytes = readHostsFile();
    // Without a mark the 8-bit form is the file's own bytes, so only the line
    // ends and blank lines can differ.
    const bool marked = systemtext::hasByteOrderMark(bytes);
    if (marked)
        bytes = systemtext::encode(systemtext::decodeWithByteOrderMark(bytes));
    alreadyAsWritten = !marked && hasCrLfLinesInParallel(bytes, true);
    if (!alreadyAsWritten && !hasCrLfLinesInParallel(bytes, false))
        return systemtext::withCrLf(QByteArrayView(bytes));
    return bytes;
}

void setHostsFile(const QString& text, BlankLines blankLines)
{
    const QByteArray bytes = systemtext::encode(text);
    setHostsFile(std::vector<QByteArrayView>{bytes}, blankLines);
}

void setHostsFile(const std::vector<QByteArrayView>& parts, BlankLines blankLines)
{
    HostsFileWriter writer(blankLines);
    qsizetype total = 0;
    for (QByteArrayView part : parts)
        total += part.size();
    writer.expectBytes(total);
    for (QByteArrayView part : parts)
        writer.write(part);
    writer.commit();
}

HostsFileWriter::HostsFileWriter(BlankLines blankLines)
    : m_path(hostsFilePath()), m_target(replacedFile(m_path)), m_blankLines(blankLines)
{
    struct stat old {};
    m_replacesFile = ::stat(QFile::encodeName(m_target).constData(), &old) == 0;
    m_mode = m_replacesFile ? (old.st_mode & 07777) : 0644;
    m_owner = old.st_uid;
    m_group = old.st_gid;
    const QFileInfo info(m_target);
    m_temporaryName = QFile::encodeName(info.absolutePath() + QStringLiteral("/.") +
                                        info.fileName() + QStringLiteral(".solvek-XXXXXX"));
    m_fd = ::mkstemp(m_temporaryName.data());
    if (m_fd < 0) {
        platform::current().fileAttributes().setReadOnly(m_path, true);
        raiseWriteError(m_path, systemErrorText(errno));
    }
}

HostsFileWriter::~HostsFileWriter()
{
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_committed)
        ::unlink(m_temporaryName.constData());
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
    QByteArray mended;
    if (!hasCrLfLinesInParallel(part, dropBlankLines)) {
        mended = dropBlankLines ? systemtext::withCrLfWithoutBlankLines(part)
                                : systemtext::withCrLf(part);
        part = mended;
    }
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
    if (::fchmod(m_fd, m_mode) != 0)
        raiseWriteError(m_path, systemErrorText(errno));
    if (m_replacesFile && (m_owner != ::geteuid() || m_group != ::getegid()) &&
        ::fchown(m_fd, m_owner, m_group) != 0)
        raiseWriteError(
            m_path, QStringLiteral("its owner cannot be kept (%1)").arg(systemErrorText(errno)));
    if (::fsync(m_fd) != 0)
        raiseWriteError(m_path, systemErrorText(errno));
    const int closed = ::close(m_fd);
    m_fd = -1;
    if (closed != 0)
        raiseWriteError(m_path, systemErrorText(errno));
    if (::rename(m_temporaryName.constData(), QFile::encodeName(m_target).constData()) != 0)
        raiseWriteError(m_path, systemErrorText(errno));
    m_committed = true;

    // Make the rename itself durable; a failure here loses nothing already written.
    const int folder = ::open(QFile::encodeName(QFileInfo(m_target).absolutePath()).constData(),
                              O_RDONLY | O_DIRECTORY);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    if (m_blankLines == BlankLines::Drop)
        platform::current().resolverCache().flush();
}

void HostsFileWriter::writeBytes(QByteArrayView bytes)
{
    if (int error = writeAll(m_fd, bytes.data(), bytes.size()))
        raiseWriteError(m_path, systemErrorText(error));
    // The disk starts on what is written while more comes, so the final
    // sync has little left to wait for. Only a hint: commit() syncs all.
    ::sync_file_range(m_fd, m_written, bytes.size(), SYNC_FILE_RANGE_WRITE);
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

PresentHosts::PresentHosts(QByteArrayView bytes)
{
    insertAll(bytes);
}

PresentHosts::PresentHosts(QStringView text)
{
    m_kept.push_back(systemtext::encode(text));
    insertAll(m_kept.back());
}

namespace {

// The first slot a check probes among `capacity`, from the check's low 24
// bits (the high ones pick the shard), without needing a power of two.
size_t firstSlot(quint32 check, size_t capacity)
{
    return size_t((quint64(check & 0xFFFFFFu) * capacity) >> 24);
}

} // namespace

void PresentHosts::insertAll(QByteArrayView bytes)
{
    // The text is taken in a few rounds, so the keys gathered but not yet
    // recorded stay a fraction of the set.
    constexpr size_t Rounds = 4;
    const size_t threads = partsFor(bytes);
    const std::vector<QByteArrayView> parts = wholeLineParts(bytes, threads * Rounds);
    for (size_t first = 0; first < parts.size(); first += threads) {
        const size_t count = std::min(threads, parts.size() - first);
        std::vector<GatheredKeys> gathered(count);
        platform::runInParallel(
            count, [&](size_t part) { gathered[part] = gatherKeys(parts[first + part]); });
        // Room for as many keys again in each round still to come, so a
        // text of like lines fills its shards without growing them.
        const auto roundsLeft = qsizetype((parts.size() - first + threads - 1) / threads);
        insertGathered(gathered, roundsLeft);
    }
}

// Each thread fills shards of its own, taking their keys in text order.
void PresentHosts::insertGathered(const std::vector<GatheredKeys>& gathered, qsizetype roundsLeft)
{
    std::vector<qsizetype> added(gathered.size(), 0);
    platform::runInParallel(gathered.size(), [&](size_t filler) {
        const size_t firstShard = ShardCount * filler / gathered.size();
        const size_t endShard = ShardCount * (filler + 1) / gathered.size();
        for (size_t index = firstShard; index < endShard; ++index) {
            qsizetype keys = 0;
            for (const GatheredKeys& part : gathered)
                keys += part.shardSizes[index];
            reserveIn(m_shards[index], keys * roundsLeft);
        }
        // Keys wait a little after their place is asked for, so each insert
        // finds it fetched.
        constexpr size_t Waiting = 32;
        std::array<const Slot*, Waiting> waiting{};
        size_t count = 0;
        const auto insertWaiting = [&] {
            for (size_t at = 0; at < count; ++at)
                added[filler] += insertInto(shardFor(*waiting[at]), *waiting[at]) ? 1 : 0;
            count = 0;
        };
        for (const GatheredKeys& part : gathered) {
            for (const Slot& key : part.keys) {
                const size_t index = shardOf(key.check);
                if (index < firstShard || index >= endShard)
                    continue;
                prefetchSlot(key);
                waiting[count++] = &key;
                if (count == Waiting)
                    insertWaiting();
            }
        }
        insertWaiting();
    });
    for (qsizetype count : added)
        m_count += count;
}

PresentHosts::GatheredKeys PresentHosts::gatherKeys(QByteArrayView lines)
{
    GatheredKeys gathered;
    // Room for lines of typical length; untouched room costs no memory.
    constexpr qsizetype ShortLineBytes = 16;
    gathered.keys.reserve(size_t(lines.size() / ShortLineBytes + 1));
    systemtext::forEachLine(
        lines, [&](QByteArrayView line, qsizetype) { addLineKeys(line, gathered.keys); });
    gathered.shardSizes.assign(ShardCount, 0);
    for (const Slot& key : gathered.keys)
        ++gathered.shardSizes[shardOf(key.check)];
    return gathered;
}

PresentHosts::Key PresentHosts::keyOf(QByteArrayView host)
{
    if (systemtext::isPlainName(host))
        return keyOfPlainName(host);
    const QByteArrayView text = keyText(host);
    if (systemtext::isAscii(text))
        return {text, hashOfFolded(text), true};
    return {text, hashOfFolded(hashedBytesBeyondAscii(text)), false};
}

PresentHosts::Key PresentHosts::keyOfPlainName(QByteArrayView host)
{
    return {host, hashOfFolded(host), true};
}

QByteArrayView PresentHosts::keyText(QByteArrayView host)
{
    return systemtext::trimmed(host);
}

PresentHosts::Slot PresentHosts::slotOf(const Key& key)
{
    return {key.text.data(), quint32(key.text.size()) | (key.ascii ? 0 : BeyondAscii),
            quint32(key.hash >> 32)};
}

bool PresentHosts::contains(QStringView host) const
{
    return contains(QByteArrayView(systemtext::encode(host)));
}

bool PresentHosts::contains(const Key& key) const
{
    if (key.text.isEmpty())
        return false;
    const Slot wanted = slotOf(key);
    const Shard& shard = shardFor(wanted);
    return !shard.table.empty() && shard.table[placeOf(shard, wanted)].data != nullptr;
}

bool PresentHosts::insert(QStringView host)
{
    const QByteArray bytes = systemtext::encode(host);
    const Key key = keyOf(bytes);
    if (key.text.isEmpty() || contains(key))
        return false;
    // The set keeps the host's 8-bit form, from its key on.
    m_kept.push_back(key.text.toByteArray());
    return insert(Key{m_kept.back(), key.hash, key.ascii});
}

bool PresentHosts::insert(const Key& key)
{
    if (!insertIntoShard(key))
        return false;
    ++m_count;
    return true;
}

bool PresentHosts::insertIntoShard(const Key& key)
{
    if (key.text.isEmpty())
        return false;
    const Slot slot = slotOf(key);
    Shard& shard = shardFor(slot);
    reserveIn(shard, 1);
    return insertInto(shard, slot);
}

void PresentHosts::countShards()
{
    m_count = 0;
    for (const Shard& shard : m_shards)
        m_count += shard.count;
}

void PresentHosts::prefetch(const Key& key) const
{
    prefetchSlot(slotOf(key));
}

void PresentHosts::prefetchSlot(const Slot& key) const
{
    const std::vector<Slot>& table = shardFor(key).table;
    if (!table.empty())
        __builtin_prefetch(&table[firstSlot(key.check, table.size())]);
}

void PresentHosts::reserve(qsizetype additional)
{
    if (additional <= 0)
        return;
    // The hosts spread evenly over the shards, give or take a few times the
    // square root of a shard's share; more than that grows as it comes.
    const double share = double(additional) / double(ShardCount);
    const auto perShard = qsizetype(share + 3 * std::sqrt(share) + 1);
    for (Shard& shard : m_shards)
        reserveIn(shard, perShard);
}

bool PresentHosts::insertInto(Shard& shard, const Slot& key)
{
    Slot& slot = shard.table[placeOf(shard, key)];
    if (slot.data)
        return false;
    slot = key;
    ++shard.count;
    return true;
}

void PresentHosts::reserveIn(Shard& shard, qsizetype additional)
{
    // At most half full, so probes stay short; growing one at a time takes
    // half as much again, so it happens rarely.
    const size_t needed = size_t(shard.count + additional) * 2;
    const size_t capacity = shard.table.size();
    if (needed <= capacity)
        return;
    rehash(shard,
           additional == 1 ? std::max<size_t>({needed, capacity + capacity / 2, 16}) : needed);
}

// The first slot comes from the check, so growing needs no hashing again.
void PresentHosts::rehash(Shard& shard, size_t capacity)
{
    std::vector<Slot> old(capacity);
    old.swap(shard.table);
    for (const Slot& slot : old) {
        if (!slot.data)
            continue;
        size_t index = firstSlot(slot.check, capacity);
        while (shard.table[index].data)
            index = index + 1 == capacity ? 0 : index + 1;
        shard.table[index] = slot;
    }
}

bool PresentHosts::sameKey(const Slot& a, const Slot& b)
{
    const QByteArrayView aText(a.data, qsizetype(a.size & ~BeyondAscii));
    const QByteArrayView bText(b.data, qsizetype(b.size & ~BeyondAscii));
    if ((a.size & BeyondAscii) == 0 && (b.size & BeyondAscii) == 0)
        return aText.size() == bText.size() &&
               sameFoldedAscii(aText.data(), bText.data(), aText.size());
    // Beyond ASCII a character may fold to an ASCII one (the Kelvin sign to
    // "k"), so the folded characters decide.
    return foldedUnits(aText) == foldedUnits(bText);
}

size_t PresentHosts::placeOf(const Shard& shard, const Slot& key)
{
    const size_t capacity = shard.table.size();
    for (size_t index = firstSlot(key.check, capacity);;
         index = index + 1 == capacity ? 0 : index + 1) {
        const Slot& slot = shard.table[index];
        if (!slot.data)
            return index;
        if (slot.check == key.check && sameKey(slot, key))
            return index;
    }
}

// "<address> <name> <name> # comment": the names count, each alone and all of
// them together as written (a stored host may hold blanks). A line whose first
// character past the blanks is "#" is a comment.
void PresentHosts::addLineKeys(QByteArrayView line, std::vector<Slot>& keys)
{
    // Most lines are a block line of one plain name: its one key is that name.
    if (line.startsWith(BlockLinePrefixBytes)) {
        const QByteArrayView name = line.sliced(BlockLinePrefixBytes.size());
        if (systemtext::isPlainName(name)) {
            keys.push_back(slotOf(keyOfPlainName(name)));
            return;
        }
    }
    qsizetype at = 0;
    const qsizetype size = line.size();
    while (at < size && isSeparator(line[at]))
        ++at;
    if (at == size || line[at] == '#')
        return;
    while (at < size && !isSeparator(line[at]))
        ++at; // the address
    const QByteArrayView rest = systemtext::trimmed(line.sliced(at));
    if (rest.isEmpty())
        return;

    const qsizetype comment = rest.indexOf('#');
    const QByteArrayView names = comment < 0 ? rest : rest.first(comment);
    qsizetype start = 0;
    bool restIsOneName = false;
    while (start < names.size()) {
        while (start < names.size() && isSeparator(names[start]))
            ++start;
        qsizetype end = start;
        while (end < names.size() && !isSeparator(names[end]))
            ++end;
        if (end > start) {
            keys.push_back(slotOf(keyOf(names.sliced(start, end - start))));
            restIsOneName = end - start == rest.size();
        }
        start = end;
    }
    if (!restIsOneName)
        keys.push_back(slotOf(keyOf(rest)));
}
