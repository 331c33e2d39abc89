#include "PresentHosts.h"

#include "LineParts.h"
#include "Parallel.h"
#include "SystemText.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

using lineparts::partsFor;
using lineparts::wholeLineParts;

namespace {

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
