#include "UntListHosts.h"

#include "Platform.h"
#include "SQLiteTable3.h"
#include "UntSqliteUtils.h"

#include <memory>

TListHosts::TListHosts(HostsListTarget* window)
    : m_window(window), m_generation(window->fillGeneration())
{}

TListHosts::~TListHosts()
{
    if (!FreeOnTerminate())
        WaitFor();
}

void TListHosts::setCat(const QString& value)
{
    category = value;
}

void TListHosts::setReserved(const QString& value)
{
    reserved = value;
}

bool TListHosts::current() const
{
    return m_window->fillGeneration() == m_generation;
}

void TListHosts::Execute()
{
    runThenFinish([this] { listRows(); }, [this] { finish(); });
}

void TListHosts::listRows()
{
    const std::unique_ptr<TSQLiteTable> table = queryTable(
        QStringLiteral("SELECT host FROM hosts WHERE category=:category AND reserved=:reserved;"),
        {{QStringLiteral(":category"), category}, {QStringLiteral(":reserved"), reserved}});
    const int rows = int(table->Count());
    if (rows == 0) {
        offerToAddAHost();
        return;
    }
    const auto stillCurrent = [this] { return current(); };
    if (!synchronizeIfCurrent(stillCurrent, [&] {
            m_window->beginFill(rows);
            m_begun = true;
        }))
        return;

    const int hostColumn = table->FindFieldIndex(QStringLiteral("host"));
    showRowsInSteps(
        *this, stillCurrent, *table, [&] { return table->FieldAsString(hostColumn); },
        [&](const std::vector<QString>& hosts, int i) { m_window->addRows(hosts, i, rows); });
}

void TListHosts::offerToAddAHost()
{
    if (reserved != QLatin1String("N") || !current())
        return;
    const int answer = platform::messageBox(
        nullptr, QStringLiteral("No items for such category. Woud you like to create one now ?"),
        QStringLiteral("No items"), platform::MB_YESNO | platform::MB_ICONINFORMATION);
    if (answer == platform::IDYES)
        synchronizeIfCurrent([this] { return current(); }, [this] { m_window->addFirstHost(); });
}

void TListHosts::finish()
{
    // A newer list thread owns the window now and ends it itself.
    synchronizeIfCurrent([this] { return current(); }, [this] { m_window->endFill(m_begun); });
}
