#pragma once

// A thin object layer over SQLite's UTF-16 interface: a connection that runs
// statements and transactions, and query results read row by row. Every failure
// raises ESQLiteException with an English message.

#include "SolvekException.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <variant>
#include <vector>

class QIODevice;
struct sqlite3;
struct sqlite3_stmt;

class ESQLiteException : public solvek::Exception {
public:
    using solvek::Exception::Exception;
};

// The English text for an SQLite result code.
QString SQLiteResultText(int code);

struct SQLiteStatementFinalizer {
    void operator()(sqlite3_stmt* statement) const noexcept;
};
// A prepared statement with exactly one owner; finalized when the owner goes.
using SQLiteStatementHandle = std::unique_ptr<sqlite3_stmt, SQLiteStatementFinalizer>;

struct SQLiteConnectionCloser {
    void operator()(sqlite3* db) const noexcept;
};
using SQLiteConnectionHandle = std::unique_ptr<sqlite3, SQLiteConnectionCloser>;

// One queued named parameter; valuetype uses SQLite's fundamental type codes.
struct TSQliteParam {
    enum : int { Integer = 1, Float = 2, Text = 3, Null = 5 };

    QString name; // as written in the SQL, prefix included (":host")
    int valuetype = Null;
    qint64 valueinteger = 0;
    double valuefloat = 0.0;
    QString valuedata;
};

// A statement prepared once and run any number of times until ReleaseSQL.
// Move-only: the statement has one owner, and is finalized with it if the
// caller never released it.
struct TSQLiteQuery {
    QString SQL;
    SQLiteStatementHandle Statement;
};

class TSQLiteTable;
class TSQLiteUniTable;

class TSQLiteDatabase {
public:
    // Fired before each statement runs.
    using THookQuery = std::function<void(TSQLiteDatabase* sender, const QString& sql)>;
    // SQLite's collation callback: (user data, length1, text1, length2, text2).
    using TCollateCompare = int (*)(void*, int, const void*, int, const void*);

    // Opens, or creates, the database file.
    explicit TSQLiteDatabase(const QString& fileName);
    // Rolls back a transaction still open, then closes the connection.
    ~TSQLiteDatabase();
    TSQLiteDatabase(const TSQLiteDatabase&) = delete;
    TSQLiteDatabase& operator=(const TSQLiteDatabase&) = delete;

    sqlite3* DB() const { return m_db.get(); }
    bool IsTransactionOpen() const { return m_inTrans; }
    // Rows changed by the last statement.
    int RowsChanged() const;
    bool Synchronised() const { return m_sync; }
    // Runs "PRAGMA synchronous = ON/OFF;" when the value changes.
    void setSynchronised(bool value);
    THookQuery OnQuery;

    // Runs the first statement of the text (the rest is ignored) with the
    // queued parameters; the statement must return no rows.
    void ExecSQL(const QString& sql);
    // Steps a prepared statement and resets it for the next run; a query
    // without a statement does nothing.
    void ExecSQL(const TSQLiteQuery& query);
    TSQLiteQuery PrepareSQL(const QString& sql);
    void BindSQL(const TSQLiteQuery& query, int index, int value);
    // Binds without copying: `value` must stay alive and unchanged until the
    // statement has been stepped or reset. Temporaries are refused for that reason.
    void BindSQL(const TSQLiteQuery& query, int index, const QString& value);
    void BindSQL(const TSQLiteQuery& query, int index, QString&& value) = delete;
    // Binds UTF-8 text under the same terms, so text held as 8-bit bytes
    // needs no conversion on the way in.
    void BindSQLUtf8(const TSQLiteQuery& query, int index, QByteArrayView value);
    void ReleaseSQL(TSQLiteQuery& query);
    // Writes the whole device, from its start, into the statement's first "?".
    void UpdateBlob(const QString& sql, QIODevice& blobData);

    // The caller owns the result. A TSQLiteUniTable must go before its connection.
    std::unique_ptr<TSQLiteTable> GetTable(const QString& sql);
    std::unique_ptr<TSQLiteUniTable> GetUniTable(const QString& sql);
    // First column of the first row; 0 or "" when there is no row.
    qint64 GetTableValue(const QString& sql);
    QString GetTableString(const QString& sql);
    // First column of every row, in order.
    void GetTableStrings(const QString& sql, QStringList& value);
    // Whether a table of that name exists, ignoring case.
    bool TableExists(const QString& tableName);

    void BeginTransaction();
    void Commit();
    void Rollback();

    // One-shot named parameters: bound to the next statement run by ExecSQL
    // on text, GetTable or GetUniTable, then dropped, also when that statement
    // fails to prepare.
    void AddParamInt(const QString& name, qint64 value);
    void AddParamFloat(const QString& name, double value);
    void AddParamText(const QString& name, const QString& value);
    void AddParamNull(const QString& name);
    void ParamsClear();

    void NotifyQuery(const QString& sql);
    qint64 GetLastInsertRowID() const;
    // Rows changed since the connection opened.
    qint64 GetLastChangedRows() const;
    // How long a statement waits for a lock held elsewhere, in milliseconds.
    void SetTimeout(int milliseconds);
    // Called instead while a lock is held elsewhere, with the number of calls
    // so far for this lock; the statement tries again while it answers true
    // and fails as busy once it answers false. Replaces SetTimeout.
    using TBusyHandler = std::function<bool(int attempt)>;
    void SetBusyHandler(TBusyHandler handler);
    static QString Version();

    // Copies the whole database in one step; answers SQLite's step result
    // (101 when complete).
    int Backup(TSQLiteDatabase& targetDB, const QString& targetName, const QString& sourceName);
    int Backup(TSQLiteDatabase& targetDB);
    void AddCustomCollate(const QString& name, TCollateCompare xCompare);
    // Registers "SYSTEM", which orders texts as the user's locale does.
    void AddSystemCollate();

    // Raises ESQLiteException: msg, then SQLite's code, its text, the SQL and
    // SQLite's message.
    [[noreturn]] void RaiseStatementError(const QString& msg, const QString& sql) const;

private:
    friend class TSQLiteTable;
    friend class TSQLiteUniTable;

    // prepare16_v2 on the whole text; failures raise prepareFailure or
    // "Could not prepare SQL statement".
    SQLiteStatementHandle prepare(const QString& sql, const QString& prepareFailure);
    // Prepares the statement of ExecSQL on text, GetTable or GetUniTable,
    // tells OnQuery and binds the one-shot parameters; the queue is empty
    // afterwards, however that ends.
    SQLiteStatementHandle prepareWithQueuedParams(const QString& sql);
    // Binds every queued parameter whose name the statement has.
    void BindQueuedParams(sqlite3_stmt* statement);
    // Raises msg with the bind's result code and SQLite's reason unless it succeeded.
    void checkBind(int result, const QString& msg, const QString& sql) const;
    void addParam(TSQliteParam param);

    TBusyHandler m_busyHandler; // before m_db: it may be called until the connection closes
    SQLiteConnectionHandle m_db;
    bool m_inTrans = false;
    bool m_sync = false;
    std::vector<TSQliteParam> m_params;
};

// A query's whole result, held in memory; the cursor moves freely and the
// connection may be closed before the table is read.
class TSQLiteTable {
public:
    enum ColumnType : int { Integer = 1, Float = 2, Text = 3, Blob = 4, Null = 5 };

    TSQLiteTable(TSQLiteDatabase& db, const QString& sql);
    TSQLiteTable(const TSQLiteTable&) = delete;
    TSQLiteTable& operator=(const TSQLiteTable&) = delete;

    // EOF is a C macro, hence the getter's name.
    bool GetEOF() const { return m_row >= m_rowCount; }
    bool BOF() const { return m_row == 0; }
    bool IsLastRow() const { return m_row + 1 == m_rowCount; }
    quint32 ColCount() const { return m_colCount; }
    quint32 RowCount() const { return m_rowCount; }
    quint32 Row() const { return m_row; }
    quint32 Count() const { return m_rowCount; }
    // The first column of the current row as an integer; 0 at end of data.
    int CountResult() const;
    // Upper-cased column names, in column order.
    const QStringList& Columns() const { return m_cols; }

    int FindFieldIndex(const QString& fieldName) const;
    QString GetFieldText(int index) const;
    QString FieldAsString(int index) const;
    qint64 FieldAsInteger(int index) const;
    double FieldAsDouble(int index) const;
    // The table's own bytes; nullptr for a null or empty blob.
    const QByteArray* FieldAsBlob(int index) const;
    QString FieldAsBlobText(int index) const;
    bool FieldIsNull(int index) const;

    bool Next();
    bool Previous();
    bool MoveFirst();
    bool MoveLast();
    bool MoveTo(quint32 position);

private:
    using Cell = std::variant<std::monostate, qint64, double, QString, QByteArray>;

    void readRow(sqlite3_stmt* statement);
    void readColumns(sqlite3_stmt* statement);
    const Cell& cell(int index) const;

    std::vector<Cell> m_results; // row-major; monostate is a null value
    quint32 m_rowCount = 0;
    quint32 m_colCount = 0;
    QStringList m_cols;
    std::vector<int> m_colTypes;
    quint32 m_row = 0;
};

// A forward-only cursor over a live statement. Its readers do not check the
// end: read only while GetEOF() is false.
class TSQLiteUniTable {
public:
    TSQLiteUniTable(TSQLiteDatabase& db, const QString& sql);
    TSQLiteUniTable(const TSQLiteUniTable&) = delete;
    TSQLiteUniTable& operator=(const TSQLiteUniTable&) = delete;

    bool GetEOF() const { return m_eof; }
    quint32 ColCount() const { return m_colCount; }
    // Rows fetched so far: 1 on the first row.
    quint32 Row() const { return m_row; }
    const QStringList& Columns() const { return m_cols; }

    bool Next();
    qint64 FieldAsInteger(int index) const;
    double FieldAsDouble(int index) const;
    QString GetFieldText(int index) const;
    QString FieldAsString(int index) const;
    // SQLite's own UTF-16 text, valid until the next step; empty for a null.
    QStringView FieldAsStringView(int index) const;
    // SQLite's own UTF-8 text, valid until the next step; empty for a null.
    QByteArrayView FieldAsUtf8View(int index) const;
    bool FieldIsNull(int index) const;
    // A copy of the bytes; empty for a null or empty blob.
    QByteArray FieldAsBlob(int index) const;
    // SQLite's own bytes, valid until the next step.
    const void* FieldAsBlobPtr(int index, int& numBytes) const;
    QString FieldAsBlobText(int index) const;

private:
    quint32 m_colCount = 0;
    QStringList m_cols;
    quint32 m_row = 0;
    bool m_eof = false;
    SQLiteStatementHandle m_stmt;
    TSQLiteDatabase* m_db;
    QString m_sql;
};
