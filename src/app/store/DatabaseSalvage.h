#pragma once

// Carrying what is left of a damaged database into a new one: every row of the
// user's on a page that still reads as a leaf of its table, whatever else of
// the file is damaged.

#include "SQLiteTable3.h"
#include "SolvekException.h"

#include <QString>

#include <atomic>

// What was copied out of a damaged database.
struct CarriedOver {
    qint64 categories = 0;
    qint64 hosts = 0;
    qint64 probeRecords = 0;
};

// Thrown by carryUserData once it was told to stop.
class SalvageStopped : public solvek::Exception {
public:
    SalvageStopped()
        : solvek::Exception(QStringLiteral("Copying from the damaged database was stopped"))
    {}
};

// Copies the user's own categories (reserved "N") with their hosts, and the
// probe log, from the damaged file into a database with fresh tables, in one
// transaction. The lists' rows stay behind: the next update fetches them.
// The file is read by its pages, not through SQLite: a leaf is found through
// its table's tree or, where the tree cannot be read, by the shape of its rows
// and the rowids the tree lacks; pages on the freelist are left out. Hosts
// whose category row is lost go into a category of the user's named as
// recovered, one for each old category id; the counts include those
// categories. Throws SalvageStopped soon after stop is set, and
// solvek::Exception when the file cannot be read.
CarriedOver carryUserData(const QString& damagedPath, TSQLiteDatabase& fresh,
                          const std::atomic_bool& stop);
