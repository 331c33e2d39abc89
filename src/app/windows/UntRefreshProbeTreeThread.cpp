#include "UntRefreshProbeTreeThread.h"

#include "SQLiteTable3.h"
#include "UntSqliteUtils.h"

#include <memory>

TRefreshProbeTree::TRefreshProbeTree(ViewFillTarget<QString>* window)
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
    const std::unique_ptr<TSQLiteTable> table =
        queryTable(QStringLiteral("SELECT DISTINCT date FROM probe ORDER BY date DESC;"));
    const int rows = int(table->Count());
    if (rows == 0)
        return;
    const auto stillCurrent = [this] { return current(); };
    if (!synchronizeIfCurrent(stillCurrent, [&] {
            m_window->beginFill(rows);
            m_shownProgress = true;
        }))
        return;

    const int dateColumn = table->FindFieldIndex(QStringLiteral("date"));
    showRowsInSteps(
        *this, stillCurrent, *table,
        [&] { return formatLogDate(table->FieldAsString(dateColumn)); },
        [&](const std::vector<QString>& days, int i) { m_window->addRows(days, i, rows); });
}

void TRefreshProbeTree::finish()
{
    synchronizeIfCurrent([this] { return current(); },
                         [this] { m_window->endFill(m_shownProgress); });
}
