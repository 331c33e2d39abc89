#include "UntRefreshProbeTreeThread.h"

#include "ListRowsModel.h"
#include "SQLiteTable3.h"
#include "UntSqliteUtils.h"

TRefreshProbeTree::TRefreshProbeTree(ViewFillTarget* window)
    : m_window(window), m_generation(window->fillGeneration())
{}

TRefreshProbeTree::~TRefreshProbeTree()
{
    if (!FreeOnTerminate())
        WaitFor();
}

bool TRefreshProbeTree::current() const
{
    return m_window->fillGeneration() == m_generation;
}

void TRefreshProbeTree::Execute()
{
    runThenFinish([this] { addDays(); }, [this] { finish(); });
}

void TRefreshProbeTree::addDays()
{
    // The stored day sorts in date order, so the newest day comes first.
    TListRows days(1);
    forEachQueryRow(
        QStringLiteral("SELECT DISTINCT date FROM probe ORDER BY date DESC;"), {},
        [&](const TSQLiteUniTable& row) { days.appendCell(formatLogDate(row.FieldAsString(0))); });
    const int rows = days.rowCount();
    if (rows == 0)
        return;
    const auto stillCurrent = [this] { return current(); };
    if (!synchronizeIfCurrent(stillCurrent, [&] {
            m_window->beginFill(rows);
            m_shownProgress = true;
        }))
        return;
    showRowsInSteps(*this, stillCurrent, *m_window, days);
}

void TRefreshProbeTree::finish()
{
    synchronizeIfCurrent([this] { return current(); },
                         [this] { m_window->endFill(m_shownProgress); });
}
