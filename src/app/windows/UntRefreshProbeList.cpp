#include "UntRefreshProbeList.h"

#include "SQLiteTable3.h"
#include "UntSqliteUtils.h"

#include <memory>
#include <utility>
#include <vector>

TRefreshProbeList::TRefreshProbeList(ViewFillTarget<ProbeRecord>* window)
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

void TRefreshProbeList::addRecords()
{
    const std::unique_ptr<TSQLiteTable> table = queryTable(
        QStringLiteral("SELECT DISTINCT * FROM probe WHERE date=:date ORDER BY time DESC;"),
        {{QStringLiteral(":date"), curDate}});
    const int rows = int(table->Count());
    const auto stillCurrent = [this] { return current(); };
    if (!synchronizeIfCurrent(stillCurrent, [&] {
            m_window->beginFill(rows);
            m_begun = true;
        }))
        return;

    if (rows == 0)
        return; // an empty result has no columns to find
    const int timeColumn = table->FindFieldIndex(QStringLiteral("time"));
    const int hostColumn = table->FindFieldIndex(QStringLiteral("host"));
    const auto readRecord = [&] {
        return std::pair(table->FieldAsString(timeColumn), table->FieldAsString(hostColumn));
    };
    showRowsInSteps(*this, stillCurrent, *table, readRecord,
                    [&](const std::vector<ProbeRecord>& records, int i) {
                        m_window->addRows(records, i, rows);
                    });
}

void TRefreshProbeList::finish()
{
    // A newer list, or a refresh of the tree, owns the window now.
    synchronizeIfCurrent([this] { return current(); }, [this] { m_window->endFill(m_begun); });
}
