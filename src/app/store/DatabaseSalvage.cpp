#include "DatabaseSalvage.h"

#include "DatabaseTrouble.h"

#include <QSet>

#include <algorithm>
#include <limits>
#include <optional>

namespace {

constexpr qint64 LowestRowid = std::numeric_limits<qint64>::min();
constexpr qint64 HighestRowid = std::numeric_limits<qint64>::max();

constexpr int SqliteInterrupt = 9;

// Runs a read, answering false when it failed. An interrupted read is no
// damage: it ends the walk.
bool readable(const std::function<void()>& read)
{
    try {
        read();
        return true;
    } catch (const ESQLiteException& e) {
        if (sqliteResultCode(e.message()) == SqliteInterrupt)
            throw;
        return false;
    }
}

std::unique_ptr<TSQLiteUniTable> rowsFrom(TSQLiteDatabase& db, const QString& table,
                                          const QString& columns, qint64 from, bool firstOnly)
{
    db.AddParamInt(QStringLiteral(":from"), from);
    return db.GetUniTable(QStringLiteral("SELECT rowid, %1 FROM %2 WHERE rowid >= :from "
                                         "ORDER BY rowid%3;")
                              .arg(columns, table, firstOnly ? QStringLiteral(" LIMIT 1") : ""));
}

// Whether a read of the table from that rowid gets past its first step.
bool readableFrom(TSQLiteDatabase& db, const QString& table, qint64 from)
{
    return readable([&] { rowsFrom(db, table, QStringLiteral("rowid"), from, true); });
}

// The lowest rowid above a damaged one from which the table reads again, or
// none when nothing after it can be read. Rows go by rowid from page to page,
// so the readable starts lie above the damaged stretch: doubling steps find
// one, halving finds the stretch's end.
std::optional<qint64> endOfDamage(TSQLiteDatabase& db, const QString& table, qint64 damaged)
{
    // Counted unsigned: the distances span the whole range of rowids.
    const auto above = [](qint64 rowid, quint64 distance) {
        return qint64(quint64(rowid) + distance);
    };
    const quint64 room = quint64(HighestRowid) - quint64(damaged);
    qint64 bad = damaged;
    qint64 good = damaged;
    for (quint64 step = 1;; step = step > room / 2 ? room : step * 2) {
        good = above(damaged, std::min(step, room));
        if (readableFrom(db, table, good))
            break;
        bad = good;
        if (step >= room)
            return std::nullopt;
    }
    for (quint64 gap = quint64(good) - quint64(bad); gap > 1; gap = quint64(good) - quint64(bad)) {
        const qint64 middle = above(bad, gap / 2);
        (readableFrom(db, table, middle) ? good : bad) = middle;
    }
    return good;
}

} // namespace

int forEachReadableRow(TSQLiteDatabase& db, const QString& table, const QString& columns,
                       const std::function<void(const TSQLiteUniTable& row)>& readRow)
{
    int skipped = 0;
    qint64 next = LowestRowid;
    for (;;) {
        std::unique_ptr<TSQLiteUniTable> rows;
        bool damaged = !readable([&] { rows = rowsFrom(db, table, columns, next, false); });
        while (!damaged && !rows->GetEOF()) {
            const qint64 rowid = rows->FieldAsInteger(0);
            readRow(*rows);
            if (rowid == HighestRowid)
                return skipped;
            next = rowid + 1;
            damaged = !readable([&] { rows->Next(); });
        }
        if (!damaged)
            return skipped;
        ++skipped;
        rows.reset();
        const std::optional<qint64> resume = endOfDamage(db, table, next);
        if (!resume)
            return skipped;
        next = *resume;
    }
}

CarriedOver carryUserData(TSQLiteDatabase& damaged, TSQLiteDatabase& fresh)
{
    CarriedOver carried;
    QSet<QString> categoryIds;
    fresh.BeginTransaction();
    const TSQLiteQuery addCategory =
        fresh.PrepareSQL(QStringLiteral("INSERT INTO categories VALUES(?1, ?2, 'N');"));
    forEachReadableRow(damaged, QStringLiteral("categories"),
                       QStringLiteral("catid, catname, reserved"), [&](const TSQLiteUniTable& row) {
                           if (row.FieldAsString(3) != QLatin1String("N"))
                               return;
                           const QString id = row.FieldAsString(1);
                           const QString name = row.FieldAsString(2);
                           fresh.BindSQL(addCategory, 1, id);
                           fresh.BindSQL(addCategory, 2, name);
                           fresh.ExecSQL(addCategory);
                           categoryIds.insert(id);
                           ++carried.categories;
                       });
    const TSQLiteQuery addHost =
        fresh.PrepareSQL(QStringLiteral("INSERT INTO hosts VALUES(?1, ?2, 'N');"));
    forEachReadableRow(damaged, QStringLiteral("hosts"), QStringLiteral("reserved, category, host"),
                       [&](const TSQLiteUniTable& row) {
                           if (row.FieldAsStringView(1) != u"N")
                               return;
                           const QString category = row.FieldAsString(2);
                           if (!categoryIds.contains(category))
                               return;
                           const QString host = row.FieldAsString(3);
                           fresh.BindSQL(addHost, 1, category);
                           fresh.BindSQL(addHost, 2, host);
                           fresh.ExecSQL(addHost);
                           ++carried.hosts;
                       });
    const TSQLiteQuery addRecord =
        fresh.PrepareSQL(QStringLiteral("INSERT INTO probe VALUES(?1, ?2, ?3);"));
    forEachReadableRow(damaged, QStringLiteral("probe"), QStringLiteral("date, time, host"),
                       [&](const TSQLiteUniTable& row) {
                           const QString date = row.FieldAsString(1);
                           const QString time = row.FieldAsString(2);
                           const QString host = row.FieldAsString(3);
                           fresh.BindSQL(addRecord, 1, date);
                           fresh.BindSQL(addRecord, 2, time);
                           fresh.BindSQL(addRecord, 3, host);
                           fresh.ExecSQL(addRecord);
                           ++carried.probeRecords;
                       });
    fresh.Commit();
    return carried;
}
