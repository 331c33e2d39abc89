#include "UntListHosts.h"

#include "ListWindowParts.h"
#include "Platform.h"
#include "SQLiteTable3.h"
#include "Unit_Win7Taskbar.h"
#include "UntHosts.h"
#include "UntSqliteUtils.h"
#include "VistaProBar.h"

#include <QTableWidget>
#include <QTreeWidget>

#include <memory>

TListHosts::TListHosts(TFrmHosts* window) : m_window(window), m_generation(window->listGeneration())
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
    return m_window->listGeneration() == m_generation;
}

void TListHosts::Execute()
{
    try {
        listRows();
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

void TListHosts::listRows()
{
    std::unique_ptr<TSQLiteTable> table;
    {
        TSQLiteDatabase db(DBPath);
        db.AddParamText(QStringLiteral(":category"), category);
        db.AddParamText(QStringLiteral(":reserved"), reserved);
        table = db.GetTable(QStringLiteral(
            "SELECT host FROM hosts WHERE category=:category AND reserved=:reserved;"));
    }
    const int rows = int(table->Count());

    if (rows == 0) {
        if (reserved != QLatin1String("N") || !current())
            return;
        const int answer = platform::messageBox(
            nullptr,
            QStringLiteral("No items for such category. Woud you like to create one now ?"),
            QStringLiteral("No items"), platform::MB_YESNO | platform::MB_ICONINFORMATION);
        if (answer == platform::IDYES)
            Synchronize([this] {
                if (current())
                    m_window->btnaddhostClick();
            });
        return;
    }

    Synchronize([&] {
        if (!current())
            return;
        m_window->tree->setEnabled(false);
        m_window->lst->setRowCount(0);
        beginListProgress(m_window->p, rows);
    });

    const int hostColumn = table->FindFieldIndex(QStringLiteral("host"));
    int i = 0;
    while (i < rows && !Terminated()) {
        QStringList hosts;
        for (; i < rows && hosts.size() < RowsPerStep; ++i, table->Next())
            hosts.append(table->FieldAsString(hostColumn));
        bool stale = false;
        Synchronize([&] {
            if (!current()) {
                stale = true;
                return;
            }
            QTableWidget* lst = m_window->lst;
            int row = lst->rowCount();
            lst->setRowCount(row + int(hosts.size()));
            for (const QString& curHost : std::as_const(hosts))
                lst->setItem(row++, 0, new QTableWidgetItem(curHost));
            stepListProgress(m_window->p, i - 1, rows);
        });
        if (stale)
            return;
    }
}

void TListHosts::finish()
{
    Synchronize([this] {
        // A newer list thread owns the window now and ends it itself.
        if (!current())
            return;
        m_window->tree->setEnabled(true);
        setTaskbarState(0);
        m_window->lst->viewport()->update();
        hideListProgress(m_window->p);
    });
}
