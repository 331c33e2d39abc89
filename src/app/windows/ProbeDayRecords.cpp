#include "ProbeDayRecords.h"

#include "UntSqliteUtils.h"

#include <algorithm>

namespace {

constexpr size_t FirstSlots = 16;

std::uint32_t hashOf(QByteArrayView bytes)
{
    // Seeded per process: hosts come from the network and could be chosen to collide.
    const size_t hash = qHash(bytes, QHashSeed::globalSeed());
    return std::uint32_t(hash ^ (hash >> 32));
}

std::uint32_t slotHash(std::uint64_t slot)
{
    return std::uint32_t(slot >> 32);
}

// 0 for a free slot.
std::uint32_t slotRecordPlusOne(std::uint64_t slot)
{
    return std::uint32_t(slot);
}

std::uint64_t makeSlot(std::uint32_t hash, std::uint32_t record)
{
    return (std::uint64_t(hash) << 32) | (std::uint64_t(record) + 1);
}

} // namespace

void TProbeDayRecords::add(QByteArrayView time, QByteArrayView host)
{
    addDistinct(minuteOf(time), host);
}

TProbeDayRecords::Minute& TProbeDayRecords::minuteOf(QByteArrayView time)
{
    // Records mostly arrive minute by minute, so the last minute is kept at hand.
    if (m_lastMinute >= 0 && m_minutes[size_t(m_lastMinute)].time == time)
        return m_minutes[size_t(m_lastMinute)];
    const QByteArray key = time.toByteArray();
    auto found = m_minuteIndex.constFind(key);
    if (found == m_minuteIndex.cend()) {
        found = m_minuteIndex.insert(key, int(m_minutes.size()));
        m_minutes.push_back({key, {}, {}});
    }
    m_lastMinute = *found;
    return m_minutes[size_t(m_lastMinute)];
}

void TProbeDayRecords::addDistinct(Minute& minute, QByteArrayView host)
{
    if ((minute.records.size() + 1) * 2 > minute.seen.size())
        growSeen(minute);
    const std::uint32_t hash = hashOf(host);
    const size_t mask = minute.seen.size() - 1;
    size_t at = hash & mask;
    for (; slotRecordPlusOne(minute.seen[at]) != 0; at = (at + 1) & mask) {
        const std::uint64_t slot = minute.seen[at];
        if (slotHash(slot) == hash && this->host(slotRecordPlusOne(slot) - 1) == host)
            return;
    }
    const auto record = std::uint32_t(m_hostEnds.size());
    m_hostBytes.append(host);
    m_hostEnds.push_back(m_hostBytes.size());
    minute.records.push_back(record);
    minute.seen[at] = makeSlot(hash, record);
}

void TProbeDayRecords::growSeen(Minute& minute)
{
    // The slots keep the hash, so the hosts need not be hashed again.
    std::vector<std::uint64_t> old(std::max(FirstSlots, minute.seen.size() * 2), 0);
    old.swap(minute.seen);
    const size_t mask = minute.seen.size() - 1;
    for (std::uint64_t slot : old) {
        if (slotRecordPlusOne(slot) == 0)
            continue;
        size_t at = slotHash(slot) & mask;
        while (minute.seen[at] != 0)
            at = (at + 1) & mask;
        minute.seen[at] = slot;
    }
}

QByteArrayView TProbeDayRecords::host(std::uint32_t record) const
{
    const qsizetype start = record == 0 ? 0 : m_hostEnds[record - 1];
    return QByteArrayView(m_hostBytes).sliced(start, m_hostEnds[record] - start);
}

TListRows TProbeDayRecords::shownNewestFirst() const
{
    std::vector<const Minute*> newestFirst;
    newestFirst.reserve(m_minutes.size());
    for (const Minute& minute : m_minutes)
        newestFirst.push_back(&minute);
    std::sort(newestFirst.begin(), newestFirst.end(),
              [](const Minute* a, const Minute* b) { return a->time > b->time; });

    std::vector<QString> shownTimes;
    shownTimes.reserve(newestFirst.size());
    // UTF-16 never takes more units than UTF-8 takes bytes.
    qsizetype characters = m_hostBytes.size();
    for (const Minute* minute : newestFirst) {
        shownTimes.push_back(formatLogTime(QString::fromUtf8(minute->time)));
        characters += shownTimes.back().size() * qsizetype(minute->records.size());
    }

    TListRows shown(2);
    shown.reserve(size(), characters);
    for (size_t i = 0; i < newestFirst.size(); ++i)
        for (std::uint32_t record : newestFirst[i]->records) {
            shown.appendCell(shownTimes[i]);
            shown.appendUtf8Cell(host(record));
        }
    return shown;
}
