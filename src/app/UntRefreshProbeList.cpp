#include "UntRefreshProbeList.h"

#include "ListWindowParts.h"
#include "SQLiteTable3.h"
#include "Unit_Win7Taskbar.h"
#include "UntProbeLogs.h"
#include "UntSqliteUtils.h"

#include <QTableWidget>
#include <QTreeWidget>

#include <memory>
#include <utility>
#include <vector>

TRefreshProbeList::TRefreshProbeList(TFrmProbe* window)
    : m_window(window), m_generation(window->listGeneration())
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
    return m_window->listGeneration() == m_generation;
}

void TRefreshProbeList::Execute()
{
    try {
        addRecords();
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

void TRefreshProbeList::addRecords()
{
    std::unique_ptr<TSQLiteTable> table;
    {
        TSQLiteDatabase db(DBPath);
        queueParams(db, {{QStringLiteral(":date"), curDate}});
        table = db.GetTable(
            QStringLiteral("SELECT DISTINCT * FROM probe WHERE date=:date ORDER BY time DESC;"));
    }
    const int rows = int(table->Count());

    bool stale = false;
    Synchronize([&] {
        stale = !current();
        if (stale)
            return;
        m_window->tree->setEnabled(false);
        m_window->lst->setRowCount(0);
        beginListProgress(m_window->p, rows);
    });

    const int timeColumn = table->FindFieldIndex(QStringLiteral("time"));
    const int hostColumn = table->FindFieldIndex(QStringLiteral("host"));
    int i = 0;
    while (!stale && i < rows) {
        std::vector<std::pair<QString, QString>> records; // time, host
        for (; i < rows && int(records.size()) < RowsPerStep; ++i, table->Next())
            records.emplace_back(table->FieldAsString(timeColumn),
                                 table->FieldAsString(hostColumn));
        Synchronize([&] {
            stale = !current();
            if (stale)
                return;
            QTableWidget* lst = m_window->lst;
            int row = lst->rowCount();
            lst->setRowCount(row + int(records.size()));
            for (const auto& [curTime, curHost] : records) {
                auto* time = new QTableWidgetItem(m_window->img16.value(TFrmProbe::imgRecord),
                                                  formatLogTime(curTime));
                lst->setItem(row, 0, time);
                lst->setItem(row, 1, new QTableWidgetItem(curHost));
                ++row;
            }
            stepListProgress(m_window->p, i - 1, rows);
        });
    }
}

void TRefreshProbeList::finish()
{
    Synchronize([this] {
        // A newer list, or a refresh of the tree, owns the window now.
        if (!current())
            return;
        m_window->tree->setEnabled(true);
        hideListProgress(m_window->p);
        setTaskbarState(0);
    });
}
