#include "UntRefreshProbeList.h"

#include "ListRowsModel.h"
#include "ProbeDayRecords.h"
#include "SQLiteTable3.h"
#include "UntSqliteUtils.h"

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

TListRows dayRecords(const QString& day)
{
    TProbeDayRecords records;
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
