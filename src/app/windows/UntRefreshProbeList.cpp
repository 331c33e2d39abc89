#include "UntRefreshProbeList.h"

#include "ListRowsModel.h"
#include "SQLiteTable3.h"
#include "UntSqliteUtils.h"

#include <QHash>

#include <algorithm>
#include <vector>

TRefreshProbeList::TRefreshProbeList(ViewFillTarget* window)
    : m_window(window), m_generation(window->fillGeneration())
{}

TRefreshProbeList::~TRefreshProbeList()
{
    if (!FreeOnTerminate())
        WaitFor();
}

void TRefreshProbeList::setCurDate(const QString& day)
{
    curDate = parseLogDate(day);
}

bool TRefreshProbeList::current() const
{
    return m_window->fillGeneration() == m_generation;
}

void TRefreshProbeList::Execute()
{
    runThenFinish([this] { addRecords(); }, [this] { finish(); });
}

namespace {

// A day's records as they are read: the hosts in stored order, each distinct
// (minute, host) once, grouped by minute. Only row indexes are hashed, so a
// million records make no object each.
class DayRecords {
public:
    // Both as SQLite's UTF-8 text.
    void add(QByteArrayView time, QByteArrayView host)
    {
        m_hosts.appendUtf8Cell(host);
        m_minuteOfRow.push_back(minuteOf(time));
        const int row = m_hosts.rowCount() - 1;
        if (!insertDistinct(row)) {
            m_hosts.removeLastRow();
            m_minuteOfRow.pop_back();
            return;
        }
        m_minutes[size_t(m_minuteOfRow.back())].rows.push_back(row);
    }

    // Newest minute first; within a minute the order stored.
    TListRows shownNewestFirst()
    {
        std::sort(m_minutes.begin(), m_minutes.end(),
                  [](const Minute& a, const Minute& b) { return a.time > b.time; });
        TListRows shown(2);
        for (const Minute& minute : m_minutes) {
            const QString shownTime = formatLogTime(QString::fromUtf8(minute.time));
            for (int row : minute.rows) {
                shown.appendCell(shownTime);
                shown.appendCell(m_hosts.cell(row, 0));
            }
        }
        return shown;
    }

private:
    struct Minute {
        QByteArray time;
        std::vector<int> rows;
    };
    size_t hashOf(int row) const
    {
        return qHash(m_hosts.cell(row, 0), size_t(m_minuteOfRow[size_t(row)]));
    }
    bool sameRecord(int a, int b) const
    {
        return m_minuteOfRow[size_t(a)] == m_minuteOfRow[size_t(b)] &&
               m_hosts.cell(a, 0) == m_hosts.cell(b, 0);
    }

    // Inserts the row into the open-addressing set of distinct rows, unless
    // an equal record is there already.
    bool insertDistinct(int row)
    {
        if (size_t(m_distinctCount + 1) * 2 > m_slots.size())
            growSlots();
        const size_t mask = m_slots.size() - 1;
        for (size_t slot = hashOf(row) & mask;; slot = (slot + 1) & mask) {
            if (m_slots[slot] < 0) {
                m_slots[slot] = row;
                ++m_distinctCount;
                return true;
            }
            if (sameRecord(m_slots[slot], row))
                return false;
        }
    }
    void growSlots()
    {
        std::vector<int> old(std::max<size_t>(1024, m_slots.size() * 2), -1);
        old.swap(m_slots);
        m_distinctCount = 0;
        for (int row : old)
            if (row >= 0)
                insertDistinct(row);
    }

    // Records mostly arrive minute by minute, so the last minute is kept at hand.
    int minuteOf(QByteArrayView time)
    {
        if (m_lastMinute >= 0 && m_minutes[size_t(m_lastMinute)].time == time)
            return m_lastMinute;
        const QByteArray key = time.toByteArray();
        auto found = m_minuteIndex.constFind(key);
        if (found == m_minuteIndex.cend()) {
            found = m_minuteIndex.insert(key, int(m_minutes.size()));
            m_minutes.push_back({key, {}});
        }
        m_lastMinute = *found;
        return m_lastMinute;
    }

    TListRows m_hosts{1};
    std::vector<int> m_minuteOfRow;
    std::vector<Minute> m_minutes;
    QHash<QByteArray, int> m_minuteIndex;
    int m_lastMinute = -1;
    std::vector<int> m_slots;
    int m_distinctCount = 0;
};

TListRows dayRecords(const QString& day)
{
    DayRecords records;
    forEachQueryRow(QStringLiteral("SELECT time, host FROM probe WHERE date=:date;"),
                    {{QStringLiteral(":date"), day}}, [&](const TSQLiteUniTable& row) {
                        records.add(row.FieldAsUtf8View(0), row.FieldAsUtf8View(1));
                    });
    return records.shownNewestFirst();
}

} // namespace

void TRefreshProbeList::addRecords()
{
    const TListRows records = dayRecords(curDate);
    const int rows = records.rowCount();
    const auto stillCurrent = [this] { return current(); };
    if (!synchronizeIfCurrent(stillCurrent, [&] {
            m_window->beginFill(rows);
            m_begun = true;
        }))
        return;
    showRowsInSteps(*this, stillCurrent, *m_window, records);
}

void TRefreshProbeList::finish()
{
    // A newer list, or a refresh of the tree, owns the window now.
    synchronizeIfCurrent([this] { return current(); }, [this] { m_window->endFill(m_begun); });
}
