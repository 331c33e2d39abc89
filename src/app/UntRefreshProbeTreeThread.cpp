#include "UntRefreshProbeTreeThread.h"

#include "ListWindowParts.h"
#include "SQLiteTable3.h"
#include "Unit_Win7Taskbar.h"
#include "UntProbeLogs.h"
#include "UntSqliteUtils.h"

#include <QTreeWidget>

#include <memory>

TRefreshProbeTree::TRefreshProbeTree(TFrmProbe* window)
    : m_window(window), m_generation(window->treeGeneration())
{}

TRefreshProbeTree::~TRefreshProbeTree()
{
    if (!FreeOnTerminate())
        WaitFor();
}

bool TRefreshProbeTree::current() const
{
    return m_window->treeGeneration() == m_generation;
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
            beginListProgress(m_window->p, rows);
            m_shownProgress = true;
            m_window->tree->clear();
        }))
        return;

    const int dateColumn = table->FindFieldIndex(QStringLiteral("date"));
    showRowsInSteps(
        *this, stillCurrent, *table,
        [&] { return formatLogDate(table->FieldAsString(dateColumn)); },
        [&](const std::vector<QString>& days, int i) {
            for (const QString& str : days)
                setNodeImage(new QTreeWidgetItem(m_window->tree, {str}), TFrmProbe::imgDay,
                             m_window->img16);
            stepListProgress(m_window->p, i, rows);
        });
}

void TRefreshProbeTree::finish()
{
    synchronizeIfCurrent([this] { return current(); },
                         [this] {
                             setTaskbarState(0);
                             if (m_shownProgress)
                                 hideListProgress(m_window->p);
                         });
}
