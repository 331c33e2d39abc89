#include "UntListHosts.h"

#include "ListRowsModel.h"
#include "Platform.h"
#include "SQLiteTable3.h"
#include "UntSqliteUtils.h"

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
    TListRows hosts(1);
    forEachQueryRow(
        QStringLiteral("SELECT host FROM hosts WHERE category=:category AND reserved=:reserved;"),
        {{QStringLiteral(":category"), category}, {QStringLiteral(":reserved"), reserved}},
        [&](const TSQLiteUniTable& row) { hosts.appendUtf8Cell(row.FieldAsUtf8View(0)); });
    const int rows = hosts.rowCount();
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
    showRowsInSteps(*this, stillCurrent, *m_window, hosts);
}

void TListHosts::offerToAddAHost()
{
    if (reserved != QLatin1String("N") || !current())
        return;
    const int answer = platform::messageBox(
        nullptr, QStringLiteral("No items for such category. Woud you like to create one now ?"),
        QStringLiteral("No items"), platform::MB_YESNO | platform::MB_ICONINFORMATION);
    // A prompt and a database write: never inside a window-thread wait.
    if (answer == platform::IDYES)
        synchronizeIfCurrent([this] { return current(); }, [this] { m_window->addFirstHost(); },
                             TThread::StepKind::EventLoopOnly);
}

void TListHosts::finish()
{
    // A newer list thread owns the window now and ends it itself.
    synchronizeIfCurrent([this] { return current(); }, [this] { m_window->endFill(m_begun); });
}
