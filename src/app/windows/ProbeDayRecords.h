#pragma once

// The records of one day as the probe log viewer lists them: each distinct
// (time, host) once, the newest minute first, and within a minute in the order
// they were added (the order stored). Works on SQLite's UTF-8 bytes: a
// million records make no object each, and only the rows shown are decoded.

#include "ListRowsModel.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>

#include <cstdint>
#include <vector>

class TProbeDayRecords {
public:
    // Both as stored: time "hhnn", host as it is.
    void add(QByteArrayView time, QByteArrayView host);
    // Distinct records added so far.
    int size() const { return int(m_hostEnds.size()); }
    // Two columns: the time as "hh:nn" and the host.
    TListRows shownNewestFirst() const;

private:
    // The records of one minute, with a small hash set of them: records of a
    // minute mostly arrive together, so the set in use stays in the cache.
    struct Minute {
        QByteArray time;
        std::vector<std::uint32_t> records; // in the order added
        // Open addressing; a slot holds the host's 32-bit hash in its high half
        // and the record + 1 in its low half, 0 when free.
        std::vector<std::uint64_t> seen;
    };

    Minute& minuteOf(QByteArrayView time);
    // Adds the host to the minute unless the minute has it already.
    void addDistinct(Minute& minute, QByteArrayView host);
    static void growSeen(Minute& minute);
    QByteArrayView host(std::uint32_t record) const;

    QByteArray m_hostBytes; // the hosts of all records, one after another
    std::vector<qsizetype> m_hostEnds;
    std::vector<Minute> m_minutes;
    QHash<QByteArray, int> m_minuteIndex;
    int m_lastMinute = -1;
};
