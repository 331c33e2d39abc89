#pragma once

// The program's database: its file, its three tables and four reserved
// categories, the one-time import of the previous version's file, the small
// lookups shared by windows and workers, and the day and time texts of probe
// records. Every routine opens its own connection and closes it before it
// returns, so any thread may call them.
//
// Values never go into statement text: they are bound as named parameters.

#include "SQLiteTable3.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QList>
#include <QPair>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

// The user's data folder + "solvekdat.db"; set by initSqliteUtilsModule.
extern QString DBPath;

// How long a statement waits for a lock another connection holds (an update
// merging a list, the probe storing records, a window's change) before it
// fails as busy.
constexpr int DatabaseBusyTimeoutMs = 10000;

// Opens a connection on the file, by default the program's database, once
// the check of the whole database has ended (see startDatabaseCheck). Every
// connection of the program is opened here, so all of them wait alike for
// each other; one opened on the window thread keeps serving the workers'
// display-only steps while it waits, since the holder may be waiting for
// them. Refused (ESQLiteException) in a step that runs inside such a wait.
// The file's folder is made when missing, readable by the user only.
std::unique_ptr<TSQLiteDatabase> openDatabase(const QString& path = DBPath);

// Named values for a statement's parameters, as in {{":host", host}}.
using SqlParams = QList<QPair<QString, QString>>;

// Queues the values on the connection for its next statement.
void queueParams(TSQLiteDatabase& db, const SqlParams& params);

// Runs a query on a connection of its own, closed before it returns; the
// table holds the whole result.
std::unique_ptr<TSQLiteTable> queryTable(const QString& sql, const SqlParams& params = {});
// Runs the query on a connection of its own and calls readRow for every row as
// it is stepped, without holding the whole result.
void forEachQueryRow(const QString& sql, const SqlParams& params,
                     const std::function<void(const TSQLiteUniTable& row)>& readRow);

// The settings section holding, by category id, the digest of the list last
// merged into the database. It describes the rows of one database file: a
// database created afresh starts without it, so the next update merges every
// list into it.
inline const QString ListDigestSection = QStringLiteral("DBMD5");

// Creates the file with its tables and reserved categories when no file exists.
void createDB();
// Creates the tables and reserved categories on the connection, in one
// transaction, after forgetting the list digests.
void createTables(TSQLiteDatabase& db);
// Runs one statement in its own transaction, committed at once.
void execSQL(const QString& sql, const SqlParams& params = {});

// Whether the host is in any category, downloaded or the user's (exact match).
bool hostExists(const QString& host);
// Whether a category of that name exists, under either flag.
bool catExists(const QString& name);
// The category's name, or "Unknow" when there is none.
QString getCatName(const QString& catid, const QString& reserved);
// The same on a connection the caller holds, so it also works inside that
// connection's transaction.
QString getCatName(TSQLiteDatabase& db, const QString& catid, const QString& reserved);
// One above the highest numeric identifier under the flag ("1" when none).
QString getNextCatID(const QString& reserved);
// The category's hosts joined by CR LF, without a trailing break.
QString getCatHosts(const QString& catid, const QString& reserved);
// Records a blocked request with the current day and time.
void addProbeLog(const QString& host);

// "yyyymmdd" and "hhnn" of now, local time, and of a given moment.
QString getLogDate();
QString getLogTime();
QString logDateOf(const QDateTime& moment);
QString logTimeOf(const QDateTime& moment);
// Stored day "yyyymmdd" to "dd/mm/yyyy", stored time "hhnn" to "hh:nn", and back.
QString formatLogDate(const QString& s);
QString formatLogTime(const QString& s);
QString parseLogDate(const QString& s);

// Imports the user's categories and hosts from the previous version's
// "solvek.db" in the data folder, then deletes that file (also on failure).
void importOldDB();

// At start: a database file that cannot be opened or is not a database is
// kept as "<file>.broken-YYYYMMDD-HHMMSS" (never deleted) and a fresh one,
// holding what can still be read of the user's data, takes its place, as
// checkWholeDatabase does; a file without any table gets the tables. Answers what the user
// must be told, empty when the file was sound, missing or only busy. It reads
// the first pages only; the whole file is checked later (startDatabaseCheck).
QString setAsideBrokenDatabase();

// Whether this start holds the one-instance lock. Only the running instance
// may set the database aside or import into it.
enum class InstanceRole { Running, Second };

// Sets DBPath; for the running instance also sets a broken database aside
// (telling the user) and imports the previous database; a failed import is
// reported on standard error and start-up goes on. Runs before any window
// exists.
void initSqliteUtilsModule(InstanceRole role = InstanceRole::Running);
// Stops the check of the whole database (see below) and forgets DBPath.
void finiSqliteUtilsModule();

// Checks the whole database (its every page, as quick_check reads them) and,
// when it is damaged, keeps it as "<file>.broken-YYYYMMDD-HHMMSS" with a new
// database in its place holding what could still be read of the user's own
// categories, their hosts and the probe log. Answers what the user must be
// told, empty when the file was sound, missing, in use elsewhere or when stop
// was set (the file is then left as it is).
QString checkWholeDatabase(const std::atomic_bool& stop);
// Runs checkWholeDatabase on a thread of its own and tells the user its
// answer. The check reads the whole file, seconds for a large one, so it
// starts once the main window is shown; until it ends, every connection
// waits for it (the window thread serving the workers' steps meanwhile).
void startDatabaseCheck();
// Stops a check still running, leaving the file as it is, and waits for it
// until the deadline. Answers whether it has ended: one still running when
// the process ends leaves a database at the path all the same.
bool endDatabaseCheck(QDeadlineTimer deadline = QDeadlineTimer::Forever);

// Whether the database's folder can be written, so that a damaged file can
// be set aside in it.
bool databaseFolderWritable();

// The per-user "start with the session" entry: the quoted program path and " /hidden".
void setAutoStart(const QString& name, const QString& path);
void delAutoStart(const QString& name);
bool isAutoStart(const QString& name);
