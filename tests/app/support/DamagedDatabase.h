#pragma once

// A database in the program's layout whose pages can be overwritten with
// garbage, as a failing disk or a crash in the middle of a write leaves it.

#include "SQLiteTable3.h"

#include <QFile>
#include <QList>
#include <QRandomGenerator>
#include <QString>

// A leaf page of a table and the rows it holds.
struct LeafPage {
    int page = 0;
    int rows = 0;
};

// The program's three tables and its four reserved categories, one user
// category "1" named "Mine" with userHosts hosts between two halves of
// listHosts hosts of the lists, and probeRecords probe records.
inline void makeProgramDatabase(const QString& path, int listHosts, int userHosts, int probeRecords)
{
    TSQLiteDatabase db(path);
    db.ExecSQL("PRAGMA encoding = \"UTF-8\";");
    db.BeginTransaction();
    db.ExecSQL("CREATE TABLE categories (catid text,catname text,reserved text);");
    db.ExecSQL("CREATE TABLE hosts (category text,host text, reserved text);");
    db.ExecSQL("CREATE TABLE probe (\"date\" text,\"time\" text,host text);");
    db.ExecSQL("INSERT INTO categories VALUES('1', 'Zeus Bot', 'Y'), ('2', 'Palevo Bot', 'Y'), "
               "('3', 'SpyEye Bot', 'Y'), ('4', 'Yeldcraft', 'Y'), ('1', 'Mine', 'N');");
    const auto addRows = [&](const QString& sql, int first, int count) {
        db.AddParamInt(":first", first);
        db.AddParamInt(":last", qint64(first) + count - 1);
        db.ExecSQL("WITH RECURSIVE n(i) AS (SELECT :first UNION ALL SELECT i + 1 FROM n "
                   "WHERE i < :last) " +
                   sql);
    };
    const QString probe = "INSERT INTO probe SELECT '201301' || printf('%02d', 1 + i % 28), "
                          "printf('%04d', i % 1440), 'probed' || i || '.example.org' FROM n;";
    const QString list = "INSERT INTO hosts SELECT 1 + i % 4, 'list' || i || '.example.net', "
                         "'Y' FROM n;";
    if (probeRecords > 0)
        addRows(probe, 0, probeRecords);
    if (listHosts / 2 > 0)
        addRows(list, 0, listHosts / 2);
    if (userHosts > 0)
        addRows("INSERT INTO hosts SELECT '1', 'mine' || i || '.example.com', 'N' FROM n;", 0,
                userHosts);
    if (listHosts - listHosts / 2 > 0)
        addRows(list, listHosts / 2, listHosts - listHosts / 2);
    db.Commit();
}

// A page of a table's tree as dbstat tells it.
struct TreePage {
    int page = 0;
    QString path; // "/" for the root, then one step a level
    QString type;
    int cells = 0;
};

inline QList<TreePage> treePages(const QString& path, const QString& table)
{
    TSQLiteDatabase db(path);
    db.AddParamText(":table", table);
    const auto pages = db.GetTable("SELECT pageno, path, pagetype, ncell FROM dbstat WHERE "
                                   "name = :table ORDER BY path;");
    QList<TreePage> result;
    for (; !pages->GetEOF(); pages->Next())
        result.append({int(pages->FieldAsInteger(0)), pages->FieldAsString(1),
                       pages->FieldAsString(2), int(pages->FieldAsInteger(3))});
    return result;
}

inline QList<TreePage> leavesOf(const QList<TreePage>& tree)
{
    QList<TreePage> leaves;
    for (const TreePage& page : tree)
        if (page.type == "leaf")
            leaves.append(page);
    return leaves;
}

// The table's leaf pages in rowid order.
inline QList<LeafPage> leafPages(const QString& path, const QString& table)
{
    QList<LeafPage> result;
    for (const TreePage& leaf : leavesOf(treePages(path, table)))
        result.append({leaf.page, leaf.cells});
    return result;
}

// Overwrites the pages (numbered from 1) with bytes drawn from a generator
// seeded by the page's number, so every run damages alike; the first byte is
// no page type, so SQLite never reads such a page as rows.
inline bool overwritePages(const QString& path, const QList<int>& pages)
{
    qint64 pageSize = 0;
    {
        TSQLiteDatabase db(path);
        pageSize = db.GetTableValue("PRAGMA page_size;");
    }
    QFile file(path);
    if (pageSize <= 0 || !file.open(QIODevice::ReadWrite))
        return false;
    for (const int page : pages) {
        QByteArray garbage(pageSize, '\0');
        QRandomGenerator(quint32(page))
            .fillRange(reinterpret_cast<quint32*>(garbage.data()), garbage.size() / 4);
        garbage[0] = '\0';
        if (!file.seek((page - 1) * pageSize) || file.write(garbage) != pageSize)
            return false;
    }
    return true;
}
