#include "UntRefreshProbeList.h"

#include "ListWindowParts.h"
#include "SQLiteTable3.h"
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
    runThenFinish([this] { addRecords(); }, [this] { finish(); });
}

void TRefreshProbeList::addRecords()
{
    const std::unique_ptr<TSQLiteTable> table = queryTable(
        QStringLiteral("SELECT DISTINCT * FROM probe WHERE date=:date ORDER BY time DESC;"),
        {{QStringLiteral(":date"), curDate}});
    const int rows = int(table->Count());
    const auto stillCurrent = [this] { return current(); };
    if (!synchronizeIfCurrent(
            stillCurrent, [&] { beginListFill(m_window->tree, m_window->lst, m_window->p, rows); }))
        return;

    const int timeColumn = table->FindFieldIndex(QStringLiteral("time"));
    const int hostColumn = table->FindFieldIndex(QStringLiteral("host"));
    const auto readRecord = [&] {
        return std::pair(table->FieldAsString(timeColumn), table->FieldAsString(hostColumn));
    };
    showRowsInSteps(*this, stillCurrent, *table, readRecord,
                    [&](const std::vector<std::pair<QString, QString>>& records, int i) {
                        addRows(records);
                        stepListProgress(m_window->p, i, rows);
                    });
}

void TRefreshProbeList::addRows(const std::vector<std::pair<QString, QString>>& records)
{
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
}

void TRefreshProbeList::finish()
{
    // A newer list, or a refresh of the tree, owns the window now.
    synchronizeIfCurrent([this] { return current(); },
                         [this] { endListFill(m_window->tree, m_window->p); });
}
