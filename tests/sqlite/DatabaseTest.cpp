#include "SqliteTestSupport.h"
#include "Unprivileged.h"

#include <QBuffer>
#include <QFile>
#include <algorithm>
#include <sqlite3.h>
#include <stdexcept>

namespace {

const QString kCR = QStringLiteral("\r");

// --- result texts and the statement error message --------------------------

TEST(SqliteResultText, KnownAndUnknownCodes)
{
    EXPECT_EQ(SQLiteResultText(0), "Successful result");
    EXPECT_EQ(SQLiteResultText(19), "Abort due to contraint violation");
    EXPECT_EQ(SQLiteResultText(26), "File opened that is not a database file");
    EXPECT_EQ(SQLiteResultText(100), "sqlite3_step() has another row ready");
    EXPECT_EQ(SQLiteResultText(101), "sqlite3_step() has finished executing");
    EXPECT_EQ(SQLiteResultText(27), "Unknown SQLite Error Code \"27\"");
    EXPECT_EQ(SQLiteResultText(99), "Unknown SQLite Error Code \"99\"");
    EXPECT_EQ(SQLiteResultText(-1), "Unknown SQLite Error Code \"-1\"");
}

using StatementErrorTest = SqliteTest;

TEST_F(StatementErrorTest, StepFailureNamesCodeTextSqlAndSqliteMessage)
{
    TSQLiteDatabase db(path());
    db.ExecSQL("CREATE TABLE t (a text UNIQUE)");
    db.ExecSQL("INSERT INTO t VALUES('x')");
    const QString sql = "INSERT INTO t VALUES('x')";
    EXPECT_EQ(messageOf([&] { db.ExecSQL(sql); }),
              "Error executing SQL statement." + kCR +
                  "Error [19]: Abort due to contraint violation." + kCR +
                  "\"INSERT INTO t VALUES('x')\": UNIQUE constraint failed: t.a");
}

TEST_F(StatementErrorTest, PrepareFailureAndEmptyStatement)
{
    TSQLiteDatabase db(path());
    EXPECT_EQ(messageOf([&] { db.ExecSQL("SELEC 1"); }),
              "Error executing SQL." + kCR + "Error [1]: SQL error or missing database." + kCR +
                  "\"SELEC 1\": near \"SELEC\": syntax error");
    // Only blanks: SQLite prepares nothing and reports no error.
    EXPECT_EQ(messageOf([&] { db.ExecSQL("   "); }),
              "Could not prepare SQL statement." + kCR + "\"   \": No message");
}

TEST_F(StatementErrorTest, PercentSignsInSqlAreNotFormatText)
{
    TSQLiteDatabase db(path());
    const QString message = messageOf([&] { db.ExecSQL("SELECT '%s %d %1' FROM missing"); });
    EXPECT_EQ(message, "Error executing SQL." + kCR + "Error [1]: SQL error or missing database." +
                           kCR + "\"SELECT '%s %d %1' FROM missing\": no such table: missing");
}

TEST_F(StatementErrorTest, OpenFailureNamesFileAndReason)
{
    const QString file = path("no/such/folder/x.db");
    try {
        TSQLiteDatabase db(file);
        FAIL() << "opened a file in a missing folder";
    } catch (const ESQLiteException& e) {
        EXPECT_EQ(e.message(),
                  "Failed to open database \"" + file + "\" : unable to open database file");
    }
}

// --- statements ---------------------------------------------------------------

using ExecTest = SqliteTest;

TEST_F(ExecTest, OnlyTheFirstOfTwoStatementsRuns)
{
    TSQLiteDatabase db(path());
    db.ExecSQL("CREATE TABLE t (a text)");
    db.ExecSQL("INSERT INTO t VALUES('1'); INSERT INTO t VALUES('2')");
    EXPECT_EQ(countRows(db, "t"), 1);
    EXPECT_EQ(db.GetTableString("SELECT a FROM t"), "1");
}

TEST_F(ExecTest, ChangeCountersAndHook)
{
    TSQLiteDatabase db(path());
    QStringList seen;
    db.OnQuery = [&](TSQLiteDatabase* sender, const QString& sql) {
        EXPECT_EQ(sender, &db);
        seen << sql;
    };
    db.ExecSQL("CREATE TABLE t (a integer)");
    db.ExecSQL("INSERT INTO t VALUES(1)");
    db.ExecSQL("INSERT INTO t VALUES(2)");
    EXPECT_EQ(db.GetLastInsertRowID(), 2);
    db.ExecSQL("UPDATE t SET a = a + 1");
    EXPECT_EQ(db.RowsChanged(), 2);
    EXPECT_EQ(db.GetLastChangedRows(), 4);
    EXPECT_EQ(seen, QStringList({"CREATE TABLE t (a integer)", "INSERT INTO t VALUES(1)",
                                 "INSERT INTO t VALUES(2)", "UPDATE t SET a = a + 1"}));
}

TEST_F(ExecTest, SynchronisedRunsPragmaOnlyOnChange)
{
    TSQLiteDatabase db(path());
    QStringList seen;
    db.OnQuery = [&](TSQLiteDatabase*, const QString& sql) { seen << sql; };
    db.setSynchronised(false);
    EXPECT_TRUE(seen.isEmpty());
    db.setSynchronised(true);
    db.setSynchronised(true);
    db.setSynchronised(false);
    EXPECT_EQ(seen, QStringList({"PRAGMA synchronous = ON;", "PRAGMA synchronous = OFF;"}));
    EXPECT_FALSE(db.Synchronised());
    EXPECT_EQ(db.GetTableValue("PRAGMA synchronous"), 0);
}

TEST_F(ExecTest, UnicodeTextRoundTrips)
{
    const QString text = QString::fromUtf8("Ünïcødé 日本語 \xF0\x9F\x98\x80 'q' \"d\"");
    TSQLiteDatabase db(path());
    db.ExecSQL("CREATE TABLE t (a text)");
    db.AddParamText(":a", text);
    db.ExecSQL("INSERT INTO t VALUES(:a)");
    db.ExecSQL(QString::fromUtf8("INSERT INTO t VALUES('日本語')"));
    QStringList values;
    db.GetTableStrings("SELECT a FROM t ORDER BY rowid", values);
    EXPECT_EQ(values, QStringList({text, QString::fromUtf8("日本語")}));
    EXPECT_EQ(db.GetTable("SELECT a FROM t ORDER BY rowid")->FieldAsString(0), text);
}

TEST_F(ExecTest, SingleValueQueries)
{
    TSQLiteDatabase db(path());
    db.ExecSQL("CREATE TABLE t (a text)");
    QStringList values{"stale"};
    db.GetTableStrings("SELECT a FROM t", values);
    EXPECT_TRUE(values.isEmpty());
    EXPECT_EQ(db.GetTableValue("SELECT a FROM t"), 0);
    EXPECT_EQ(db.GetTableString("SELECT a FROM t"), "");
    db.ExecSQL("INSERT INTO t VALUES('41')");
    EXPECT_EQ(db.GetTableValue("SELECT a + 1 FROM t"), 42);
    EXPECT_EQ(db.GetTableString("SELECT a FROM t"), "41");
}

// --- transactions -------------------------------------------------------------

using TransactionTest = SqliteTest;

TEST_F(TransactionTest, CommitWithoutBeginFails)
{
    TSQLiteDatabase db(path());
    EXPECT_EQ(messageOf([&] { db.Commit(); }),
              "Error executing SQL statement." + kCR + "Error [1]: SQL error or missing database." +
                  kCR + "\"COMMIT\": cannot commit - no transaction is active");
    EXPECT_FALSE(db.IsTransactionOpen());
}

TEST_F(TransactionTest, SecondBeginRaisesAndKeepsTheFirstOpen)
{
    TSQLiteDatabase db(path());
    db.ExecSQL("CREATE TABLE t (a text)");
    db.BeginTransaction();
    db.ExecSQL("INSERT INTO t VALUES('1')");
    EXPECT_EQ(messageOf([&] { db.BeginTransaction(); }), "Transaction already open");
    EXPECT_TRUE(db.IsTransactionOpen());
    db.ExecSQL("INSERT INTO t VALUES('2')");
    db.Rollback();
    EXPECT_FALSE(db.IsTransactionOpen());
    EXPECT_EQ(countRows(db, "t"), 0);
}

TEST_F(TransactionTest, DestroyRollsBackAnOpenTransaction)
{
    {
        TSQLiteDatabase db(path());
        db.ExecSQL("CREATE TABLE t (a text)");
        db.ExecSQL("INSERT INTO t VALUES('kept')");
        db.BeginTransaction();
        db.ExecSQL("INSERT INTO t VALUES('dropped')");
    }
    TSQLiteDatabase db(path());
    QStringList values;
    db.GetTableStrings("SELECT a FROM t", values);
    EXPECT_EQ(values, QStringList{"kept"});
}

// The hook is the caller's code and may throw anything; freeing the connection
// must neither let that escape its destructor nor keep the transaction.
TEST_F(TransactionTest, DestroyWithAThrowingHookStillEndsTheTransaction)
{
    {
        TSQLiteDatabase db(path());
        db.ExecSQL("CREATE TABLE t (a text)");
        db.ExecSQL("INSERT INTO t VALUES('kept')");
        db.BeginTransaction();
        db.ExecSQL("INSERT INTO t VALUES('dropped')");
        db.OnQuery = [](TSQLiteDatabase*, const QString&) {
            throw std::runtime_error("hook failed");
        };
    }
    TSQLiteDatabase db(path());
    QStringList values;
    db.GetTableStrings("SELECT a FROM t", values);
    EXPECT_EQ(values, QStringList{"kept"});
}

TEST_F(TransactionTest, CommitKeepsRows)
{
    {
        TSQLiteDatabase db(path());
        db.ExecSQL("CREATE TABLE t (a text)");
        db.BeginTransaction();
        db.ExecSQL("INSERT INTO t VALUES('1')");
        db.Commit();
        EXPECT_FALSE(db.IsTransactionOpen());
    }
    TSQLiteDatabase db(path());
    EXPECT_EQ(countRows(db, "t"), 1);
}

// --- the parameter queue ------------------------------------------------------

using ParamQueueTest = SqliteTest;

TEST_F(ParamQueueTest, BindsEveryTypeAndSkipsUnknownNames)
{
    TSQLiteDatabase db(path());
    db.ExecSQL("CREATE TABLE t (i, f, s, e, n)");
    db.AddParamInt(":i", 9007199254740993LL);
    db.AddParamFloat(":f", 2.5);
    db.AddParamText(":s", "it's \"quoted\"; DROP TABLE t;");
    db.AddParamText(":e", "");
    db.AddParamNull(":n");
    db.AddParamText(":unknown", "ignored");
    db.ExecSQL("INSERT INTO t VALUES(:i, :f, :s, :e, :n)");

    const auto table =
        db.GetTable("SELECT typeof(i), i, typeof(f), f, s, typeof(e), e, typeof(n) FROM t");
    ASSERT_EQ(table->Count(), 1u);
    EXPECT_EQ(table->FieldAsString(0), "integer");
    EXPECT_EQ(table->FieldAsInteger(1), 9007199254740993LL);
    EXPECT_EQ(table->FieldAsString(2), "real");
    EXPECT_EQ(table->FieldAsDouble(3), 2.5);
    EXPECT_EQ(table->FieldAsString(4), "it's \"quoted\"; DROP TABLE t;");
    EXPECT_EQ(table->FieldAsString(5), "text"); // empty text is not null
    EXPECT_EQ(table->FieldAsString(7), "null");
}

TEST_F(ParamQueueTest, QueueServesExactlyOnePreparedStatement)
{
    TSQLiteDatabase db(path());
    db.ExecSQL("CREATE TABLE t (a text UNIQUE)");

    db.AddParamText(":a", "first");
    db.ExecSQL("INSERT INTO t VALUES(:a)");
    db.ExecSQL("INSERT INTO t VALUES(:a)"); // queue is empty now: binds null
    EXPECT_EQ(db.GetTableValue("SELECT COUNT(*) FROM t WHERE a IS NULL"), 1);

    // Prepared but failed at the step: the queue is gone all the same.
    db.AddParamText(":a", "first");
    EXPECT_FALSE(messageOf([&] { db.ExecSQL("INSERT INTO t VALUES(:a)"); }).isEmpty());
    db.ExecSQL("INSERT INTO t VALUES(:a)");
    EXPECT_EQ(db.GetTableValue("SELECT COUNT(*) FROM t WHERE a IS NULL"), 2);
}

TEST_F(ParamQueueTest, PrepareFailureDropsTheQueue)
{
    // A queue left behind would bind its values to the next, unrelated statement.
    TSQLiteDatabase db(path());
    db.ExecSQL("CREATE TABLE t (a text)");
    const std::function<void()> failingPrepares[] = {
        [&] { db.ExecSQL("INSERT INTO missing VALUES(:a)"); },
        [&] { db.GetTable("SELECT :a FROM missing"); },
        [&] { db.GetUniTable("SELECT :a FROM missing"); },
    };
    for (const auto& failingPrepare : failingPrepares) {
        db.AddParamText(":a", "stale");
        EXPECT_FALSE(messageOf(failingPrepare).isEmpty());
        db.ExecSQL("INSERT INTO t VALUES(:a)");
    }
    EXPECT_EQ(db.GetTableValue("SELECT COUNT(*) FROM t WHERE a IS NULL"), 3);
}

TEST_F(ParamQueueTest, RefusedBindRaisesSqlitesReasonAndDropsTheQueue)
{
    TSQLiteDatabase db(path());
    db.ExecSQL("CREATE TABLE t (a text)");
    // Statements of this test stay below the limit; the value does not.
    sqlite3_limit(db.DB(), SQLITE_LIMIT_LENGTH, 100);
    db.AddParamText(":a", QString(200, u'x'));
    EXPECT_EQ(messageOf([&] { db.ExecSQL("INSERT INTO t VALUES(:a)"); }),
              "Could not bind parameter :a." + kCR +
                  "Error [18]: Too much data for one row of a table." + kCR +
                  "\"INSERT INTO t VALUES(:a)\": string or blob too big");
    db.ExecSQL("INSERT INTO t VALUES(:a)");
    EXPECT_EQ(db.GetTableValue("SELECT COUNT(*) FROM t WHERE a IS NULL"), 1);
}

TEST_F(ParamQueueTest, TablesBindTheQueueToo)
{
    TSQLiteDatabase db(path());
    db.ExecSQL("CREATE TABLE t (a text)");
    db.ExecSQL("INSERT INTO t VALUES('x')");
    db.ExecSQL("INSERT INTO t VALUES('y')");
    db.AddParamText(":a", "y");
    EXPECT_EQ(db.GetTable("SELECT a FROM t WHERE a = :a")->Count(), 1u);
    db.AddParamText(":a", "x");
    EXPECT_EQ(db.GetTableString("SELECT a FROM t WHERE a = :a"), "x");
    db.ParamsClear();
    EXPECT_EQ(db.GetTable("SELECT a FROM t WHERE a = :a")->Count(), 0u);
}

// --- prepared statements --------------------------------------------------------

using PreparedTest = SqliteTest;

TEST_F(PreparedTest, RunsRepeatedlyUntilReleased)
{
    TSQLiteDatabase db(path());
    db.ExecSQL("CREATE TABLE t (n, s)");
    TSQLiteQuery query = db.PrepareSQL("INSERT INTO t VALUES(?, ?)");
    const QString first = "one";
    const QString empty = "";
    db.BindSQL(query, 1, 1);
    db.BindSQL(query, 2, first);
    db.ExecSQL(query);
    db.BindSQL(query, 1, 2);
    db.BindSQL(query, 2, empty);
    db.ExecSQL(query);
    db.ReleaseSQL(query);
    EXPECT_EQ(query.Statement, nullptr);
    db.ExecSQL(query); // released: nothing runs

    const auto table = db.GetTable("SELECT n, s, typeof(s) FROM t ORDER BY n");
    ASSERT_EQ(table->Count(), 2u);
    EXPECT_EQ(table->FieldAsString(1), "one");
    table->Next();
    EXPECT_EQ(table->FieldAsString(1), "");
    EXPECT_EQ(table->FieldAsString(2), "text");
}

TEST_F(PreparedTest, BindsUtf8TextWithoutConversion)
{
    TSQLiteDatabase db(path());
    db.ExecSQL("CREATE TABLE t (n, s)");
    TSQLiteQuery query = db.PrepareSQL("INSERT INTO t VALUES(?, ?)");
    const QByteArray accented = "caf\xc3\xa9 \xf0\x9f\x98\x80";
    const QByteArray cut = "one two";
    db.BindSQL(query, 1, 1);
    db.BindSQLUtf8(query, 2, accented);
    db.ExecSQL(query);
    db.BindSQL(query, 1, 2);
    db.BindSQLUtf8(query, 2, QByteArrayView(cut).first(3)); // the length counts, not a NUL
    db.ExecSQL(query);
    db.BindSQL(query, 1, 3);
    db.BindSQLUtf8(query, 2, QByteArrayView()); // empty text, not NULL
    db.ExecSQL(query);

    const auto table = db.GetTable("SELECT n, s, typeof(s) FROM t ORDER BY n");
    ASSERT_EQ(table->Count(), 3u);
    EXPECT_EQ(table->FieldAsString(1), QString::fromUtf8(accented));
    table->Next();
    EXPECT_EQ(table->FieldAsString(1), "one");
    table->Next();
    EXPECT_EQ(table->FieldAsString(1), "");
    EXPECT_EQ(table->FieldAsString(2), "text");

    db.ReleaseSQL(query);
    EXPECT_TRUE(messageOf([&] {
                    db.BindSQLUtf8(query, 1, cut);
                }).startsWith("Could not bind string to prepared SQL statement." + kCR));
}

TEST_F(ExecTest, ConnectionsTakeNoLockOfTheirOwn)
{
    // Each connection serves one thread at a time, so SQLite runs without
    // its per-connection lock.
    TSQLiteDatabase db(path());
    EXPECT_EQ(sqlite3_db_mutex(db.DB()), nullptr);
}

TEST_F(PreparedTest, ReleasedQueryRaisesOnBindAndRelease)
{
    TSQLiteDatabase db(path());
    TSQLiteQuery query = db.PrepareSQL("SELECT ?");
    db.ReleaseSQL(query);
    const QString value = "v";
    EXPECT_TRUE(messageOf([&] {
                    db.BindSQL(query, 1, 5);
                }).startsWith("Could not bind integer to prepared SQL statement." + kCR));
    EXPECT_TRUE(messageOf([&] {
                    db.BindSQL(query, 1, value);
                }).startsWith("Could not bind string to prepared SQL statement." + kCR));
    EXPECT_TRUE(messageOf([&] {
                    db.ReleaseSQL(query);
                }).startsWith("Could not release prepared SQL statement." + kCR));
}

TEST_F(PreparedTest, BindToAMissingIndexRaisesSqlitesReason)
{
    TSQLiteDatabase db(path());
    const TSQLiteQuery query = db.PrepareSQL("SELECT ?");
    const QString value = "v";
    const QString outOfRange = "." + kCR +
                               "Error [25]: 2nd parameter to sqlite3_bind out of range." + kCR +
                               "\"SELECT ?\": column index out of range";
    EXPECT_EQ(messageOf([&] { db.BindSQL(query, 2, 5); }),
              "Could not bind integer to prepared SQL statement" + outOfRange);
    EXPECT_EQ(messageOf([&] { db.BindSQL(query, 0, value); }),
              "Could not bind string to prepared SQL statement" + outOfRange);
    EXPECT_EQ(messageOf([&] { db.BindSQLUtf8(query, 2, "v"); }),
              "Could not bind string to prepared SQL statement" + outOfRange);
}

TEST_F(PreparedTest, StepFailureNamesThePreparedSql)
{
    TSQLiteDatabase db(path());
    db.ExecSQL("CREATE TABLE t (a UNIQUE)");
    TSQLiteQuery query = db.PrepareSQL("INSERT INTO t VALUES(1)");
    db.ExecSQL(query);
    EXPECT_EQ(messageOf([&] { db.ExecSQL(query); }),
              "Error executing prepared SQL statement." + kCR +
                  "Error [19]: Abort due to contraint violation." + kCR +
                  "\"INSERT INTO t VALUES(1)\": UNIQUE constraint failed: t.a");
}

// --- blobs ----------------------------------------------------------------------

using BlobTest = SqliteTest;

TEST_F(BlobTest, WritesTheWholeStreamFromItsStart)
{
    TSQLiteDatabase db(path());
    db.ExecSQL("CREATE TABLE t (id integer, b BLOB)");
    db.ExecSQL("INSERT INTO t VALUES(1, NULL)");
    QByteArray bytes("\x00\x01\xFFzz", 5);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    buffer.seek(3);
    db.AddParamText(":keep", "queued");
    db.UpdateBlob("UPDATE t SET b = ? WHERE id = 1", buffer);
    // UpdateBlob leaves the queue for the next statement.
    EXPECT_EQ(db.GetTableString("SELECT :keep"), "queued");

    const auto table = db.GetTable("SELECT b FROM t");
    ASSERT_NE(table->FieldAsBlob(0), nullptr);
    EXPECT_EQ(*table->FieldAsBlob(0), bytes);
}

TEST_F(BlobTest, EmptyStreamAndMissingPlaceholder)
{
    TSQLiteDatabase db(path());
    db.ExecSQL("CREATE TABLE t (b BLOB)");
    QBuffer empty;
    empty.open(QIODevice::ReadOnly);
    EXPECT_EQ(messageOf([&] { db.UpdateBlob("INSERT INTO t VALUES(?)", empty); }),
              "Error getting memory to save blob");
    EXPECT_TRUE(messageOf([&] {
                    db.UpdateBlob("INSERT INTO t VALUES(1)", empty);
                }).startsWith("SQL must include a ? parameter." + kCR));
    EXPECT_EQ(countRows(db, "t"), 0);
}

// --- names, backup, collations --------------------------------------------------

using SchemaTest = SqliteTest;

TEST_F(SchemaTest, TableExistsIgnoresCaseAndTakesNamesLiterally)
{
    TSQLiteDatabase db(path());
    db.ExecSQL("CREATE TABLE hosts (a)");
    db.ExecSQL("CREATE TABLE \"it's\" (a)");
    EXPECT_TRUE(db.TableExists("HOSTS"));
    EXPECT_TRUE(db.TableExists("It's"));
    EXPECT_FALSE(db.TableExists("probe"));
    // Spliced into the text, this name would match every table.
    EXPECT_FALSE(db.TableExists("x' or '1'='1"));
}

TEST_F(SchemaTest, BackupCopiesEveryPage)
{
    TSQLiteDatabase source(path("a.db"));
    source.ExecSQL("CREATE TABLE t (a)");
    source.ExecSQL("INSERT INTO t VALUES('copied')");
    TSQLiteDatabase target(path("b.db"));
    EXPECT_EQ(source.Backup(target), SQLITE_DONE);
    EXPECT_EQ(target.GetTableString("SELECT a FROM t"), "copied");
    EXPECT_EQ(messageOf([&] { source.Backup(target, "main", "nosuch"); }),
              "Could not initialize backup");
}

TEST_F(SchemaTest, SystemCollationOrdersAsTheLocale)
{
    TSQLiteDatabase db(path());
    db.ExecSQL("CREATE TABLE t (a text)");
    QStringList words{"banana", "ab", "abc", "a", "Apple", QString::fromUtf8("äb"), "b"};
    for (const QString& w : words) {
        db.AddParamText(":w", w);
        db.ExecSQL("INSERT INTO t VALUES(:w)");
    }
    EXPECT_FALSE(
        messageOf([&] { db.GetTable("SELECT a FROM t ORDER BY a COLLATE SYSTEM"); }).isEmpty());
    db.AddSystemCollate();
    QStringList sorted;
    db.GetTableStrings("SELECT a FROM t ORDER BY a COLLATE SYSTEM", sorted);
    std::stable_sort(words.begin(), words.end(), [](const QString& l, const QString& r) {
        return QString::localeAwareCompare(l, r) < 0;
    });
    EXPECT_EQ(sorted, words);
    EXPECT_EQ(db.GetTableValue("SELECT 'abc' = 'abc' COLLATE SYSTEM"), 1);
    EXPECT_EQ(db.GetTableValue("SELECT 'ab' = 'abc' COLLATE SYSTEM"), 0);
}

int compareByLength(void*, int length1, const void*, int length2, const void*)
{
    return length1 - length2;
}

TEST_F(SchemaTest, CustomCollationIsUsed)
{
    TSQLiteDatabase db(path());
    db.ExecSQL("CREATE TABLE t (a text)");
    for (const char* w : {"ccc", "a", "bb"})
        db.ExecSQL(QStringLiteral("INSERT INTO t VALUES('%1')").arg(w));
    db.AddCustomCollate("BYLENGTH", compareByLength);
    QStringList sorted;
    db.GetTableStrings("SELECT a FROM t ORDER BY a COLLATE BYLENGTH DESC", sorted);
    EXPECT_EQ(sorted, QStringList({"ccc", "bb", "a"}));
}

// --- files that are not plain writable databases ---------------------------------

using FileStateTest = SqliteTest;

TEST_F(FileStateTest, FileThatIsNotADatabase)
{
    {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4096, 'x'));
    }
    TSQLiteDatabase db(path()); // SQLite reads the header only at the first statement
    EXPECT_EQ(messageOf([&] { db.GetTable("SELECT * FROM sqlite_master"); }),
              "Error executing SQL." + kCR +
                  "Error [26]: File opened that is not a database file." + kCR +
                  "\"SELECT * FROM sqlite_master\": file is not a database");
    EXPECT_TRUE(messageOf([&] { db.ExecSQL("CREATE TABLE t (a)"); }).contains("Error [26]"));
}

TEST_F(FileStateTest, ReadOnlyFileReadsButRefusesWrites)
{
    {
        TSQLiteDatabase db(path());
        db.ExecSQL("CREATE TABLE t (a)");
        db.ExecSQL("INSERT INTO t VALUES('old')");
    }
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                          QFile::ReadOther | QFile::ExeOther);
    QFile::setPermissions(path(), QFile::ReadOwner | QFile::ReadOther);

    const QString answer = runUnprivileged([this] {
        TSQLiteDatabase db(path());
        const QString read = db.GetTableString("SELECT a FROM t");
        return read + "|" + messageOf([&] { db.ExecSQL("INSERT INTO t VALUES('new')"); });
    });
    EXPECT_EQ(answer, "old|Error executing SQL statement." + kCR +
                          "Error [8]: Attempt to write a readonly database." + kCR +
                          "\"INSERT INTO t VALUES('new')\": attempt to write a readonly database");
}

TEST_F(FileStateTest, WriteFailsAtOnceWhileAnotherConnectionHoldsTheLock)
{
    TSQLiteDatabase holder(path());
    holder.ExecSQL("CREATE TABLE t (a)");
    TSQLiteDatabase other(path());
    EXPECT_EQ(countRows(other, "t"), 0); // schema loaded before the lock

    holder.ExecSQL("BEGIN EXCLUSIVE");
    EXPECT_EQ(messageOf([&] { other.ExecSQL("INSERT INTO t VALUES(1)"); }),
              "Error executing SQL statement." + kCR + "Error [5]: The database file is locked." +
                  kCR + "\"INSERT INTO t VALUES(1)\": database is locked");
    // Buffering a result hits the busy lock too: no retry, a clear message.
    EXPECT_EQ(messageOf([&] { other.GetTable("SELECT a FROM t"); }),
              "Could not prepare SQL statement." + kCR + "\"SELECT a FROM t\": SQLite is Busy");
    holder.ExecSQL("COMMIT");

    other.ExecSQL("INSERT INTO t VALUES(1)");
    EXPECT_EQ(countRows(holder, "t"), 1);
}

TEST_F(FileStateTest, BusyHandlerThatThrowsGivesUpAtOnce)
{
    TSQLiteDatabase holder(path());
    holder.ExecSQL("CREATE TABLE t (a)");
    TSQLiteDatabase other(path());
    EXPECT_EQ(countRows(other, "t"), 0);
    int calls = 0;
    // Throws at its first call only: taken for "wait on", it is asked again,
    // and the test still ends.
    other.SetBusyHandler([&calls](int) -> bool {
        if (++calls == 1)
            throw std::runtime_error("handler failed");
        return false;
    });

    holder.ExecSQL("BEGIN EXCLUSIVE");
    const QString message = messageOf([&] { other.ExecSQL("INSERT INTO t VALUES(1)"); });
    EXPECT_TRUE(message.contains("database is locked")) << qPrintable(message);
    EXPECT_EQ(calls, 1);
    holder.ExecSQL("COMMIT");
}

} // namespace
