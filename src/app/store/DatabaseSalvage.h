#pragma once

// Reading what is left of a damaged database: every row that can still be
// read, a damaged page costing only its own rows.

#include "SQLiteTable3.h"

#include <QString>

#include <functional>

// What was copied out of a damaged database.
struct CarriedOver {
    qint64 categories = 0;
    qint64 hosts = 0;
    qint64 probeRecords = 0;
};

// Calls readRow for every row of the table that can still be read, in rowid
// order; the row's column 0 is its rowid, the given columns follow. A read
// that fails goes on after the damaged stretch of rowids, found by probing,
// so one bad page loses only its own rows. Exceptions of readRow, and an
// interrupted read, pass through. Answers how many damaged stretches were
// skipped.
int forEachReadableRow(TSQLiteDatabase& db, const QString& table, const QString& columns,
                       const std::function<void(const TSQLiteUniTable& row)>& readRow);

// Copies the user's own categories (reserved "N") with their hosts, and the
// probe log, from a damaged database into one with fresh tables, in one
// transaction. The lists' rows stay behind: the next update fetches them.
CarriedOver carryUserData(TSQLiteDatabase& damaged, TSQLiteDatabase& fresh);
