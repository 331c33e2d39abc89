#include "UntRefreshProbeTreeThread.h"

#include "ListWindowParts.h"
#include "SQLiteTable3.h"
#include "Unit_Win7Taskbar.h"
#include "UntProbeLogs.h"
#include "UntSqliteUtils.h"

#include <QStringList>
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
    try {
        addDays();
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

void TRefreshProbeTree::addDays()
{
    std::unique_ptr<TSQLiteTable> table;
    {
        TSQLiteDatabase db(DBPath);
        // The stored day sorts in date order, so the newest day comes first.
        table = db.GetTable(QStringLiteral("SELECT DISTINCT date FROM probe ORDER BY date DESC;"));
    }
    const int rows = int(table->Count());
    if (rows == 0)
        return;

    bool stale = false;
    Synchronize([&] {
        stale = !current();
        if (stale)
            return;
        beginListProgress(m_window->p, rows);
        m_shownProgress = true;
        m_window->tree->clear();
    });

    const int dateColumn = table->FindFieldIndex(QStringLiteral("date"));
    int i = 0;
    while (!stale && i < rows) {
        QStringList days;
        for (; i < rows && days.size() < RowsPerStep; ++i, table->Next())
            days.append(formatLogDate(table->FieldAsString(dateColumn)));
        Synchronize([&] {
            stale = !current();
            if (stale)
                return;
            for (const QString& str : std::as_const(days))
                setNodeImage(new QTreeWidgetItem(m_window->tree, {str}), TFrmProbe::imgDay,
                             m_window->img16);
            stepListProgress(m_window->p, i - 1, rows);
        });
    }
}

void TRefreshProbeTree::finish()
{
    Synchronize([this] {
        if (!current())
            return;
        setTaskbarState(0);
        if (m_shownProgress)
            hideListProgress(m_window->p);
    });
}
