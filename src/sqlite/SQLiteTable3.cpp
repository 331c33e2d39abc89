#include "SQLiteTable3.h"

#include <QIODevice>
#include <QLocale>
#include <QScopeGuard>
#include <QStringView>
#include <cmath>
#include <limits>
#include <sqlite3.h>

namespace {

const QString kErrorExecutingSql = QStringLiteral("Error executing SQL");
const QString kCouldNotPrepare = QStringLiteral("Could not prepare SQL statement");
const QString kAtEndOfFile = QStringLiteral("Table is at End of File");
const QString kNotNumeric = QStringLiteral("Not an integer or numeric field");

QString fromUtf16(const void* text)
{
    return text ? QString::fromUtf16(static_cast<const char16_t*>(text)) : QString();
}

// SQLite binds a null pointer as NULL; an empty text must stay text.
const void* utf16Data(const QString& text)
{
    return text.isEmpty() ? static_cast<const void*>(u"") : text.constData();
}

int utf16Bytes(const QString& text)
{
    return int(text.size() * 2);
}

// Column names and table names compare as SQLite does: ASCII letters only.
QString asciiCase(const QString& text, bool upper)
{
    QString result = text;
    for (QChar& c : result) {
        const char16_t u = c.unicode();
        if (upper && u >= u'a' && u <= u'z')
            c = QChar(u - 32);
        else if (!upper && u >= u'A' && u <= u'Z')
            c = QChar(u + 32);
    }
    return result;
}

int declaredColumnType(sqlite3_stmt* statement, int column)
{
    const void* declared = sqlite3_column_decltype16(statement, column);
    if (!declared) // an expression: the first row's storage class decides
        return sqlite3_column_type(statement, column);
    const QString name = fromUtf16(declared);
    if (name == u"INTEGER" || name == u"BOOLEAN")
        return TSQLiteTable::Integer;
    if (name == u"NUMERIC" || name == u"FLOAT" || name == u"DOUBLE" || name == u"REAL")
        return TSQLiteTable::Float;
    if (name == u"BLOB")
        return TSQLiteTable::Blob;
    return TSQLiteTable::Text;
}

qint64 truncateToInt64(double value)
{
    constexpr double limit = 9223372036854775808.0; // 2^63
    if (std::isnan(value))
        return 0;
    if (value >= limit)
        return std::numeric_limits<qint64>::max();
    if (value <= -limit)
        return std::numeric_limits<qint64>::min();
    return static_cast<qint64>(value); // truncates toward zero
}

QString floatToText(double value)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'g', 15);
}

int CompareSystemCollation(void*, int length1, const void* text1, int length2, const void* text2)
{
    const QStringView left(static_cast<const char16_t*>(text1), length1 / 2);
    const QStringView right(static_cast<const char16_t*>(text2), length2 / 2);
    const int order = QString::localeAwareCompare(left, right);
    return (order > 0) - (order < 0);
}

struct BackupFinisher {
    void operator()(sqlite3_backup* backup) const noexcept { sqlite3_backup_finish(backup); }
};

} // namespace

QString SQLiteResultText(int code)
{
    switch (code) {
    case 0:
        return QStringLiteral("Successful result");
    case 1:
        return QStringLiteral("SQL error or missing database");
    case 2:
        return QStringLiteral("An internal logic error in SQLite");
    case 3:
        return QStringLiteral("Access permission denied");
    case 4:
        return QStringLiteral("Callback routine requested an abort");
    case 5:
        return QStringLiteral("The database file is locked");
    case 6:
        return QStringLiteral("A table in the database is locked");
    case 7:
        return QStringLiteral("A malloc() failed");
    case 8:
        return QStringLiteral("Attempt to write a readonly database");
    case 9:
        return QStringLiteral("Operation terminated by sqlite3_interrupt()");
    case 10:
        return QStringLiteral("Some kind of disk I/O error occurred");
    case 11:
        return QStringLiteral("The database disk image is malformed");
    case 12:
        return QStringLiteral("(Internal Only) Table or record not found");
    case 13:
        return QStringLiteral("Insertion failed because database is full");
    case 14:
        return QStringLiteral("Unable to open the database file");
    case 15:
        return QStringLiteral("Database lock protocol error");
    case 16:
        return QStringLiteral("Database is empty");
    case 17:
        return QStringLiteral("The database schema changed");
    case 18:
        return QStringLiteral("Too much data for one row of a table");
    case 19:
        return QStringLiteral("Abort due to contraint violation");
    case 20:
        return QStringLiteral("Data type mismatch");
    case 21:
        return QStringLiteral("Library used incorrectly");
    case 22:
        return QStringLiteral("Uses OS features not supported on host");
    case 23:
        return QStringLiteral("Authorization denied");
    case 24:
        return QStringLiteral("Auxiliary database format error");
    case 25:
        return QStringLiteral("2nd parameter to sqlite3_bind out of range");
    case 26:
        return QStringLiteral("File opened that is not a database file");
    case 100:
        return QStringLiteral("sqlite3_step() has another row ready");
    case 101:
        return QStringLiteral("sqlite3_step() has finished executing");
    default:
        return QStringLiteral("Unknown SQLite Error Code \"%1\"").arg(code);
    }
}

void SQLiteStatementFinalizer::operator()(sqlite3_stmt* statement) const noexcept
{
    sqlite3_finalize(statement);
}

void SQLiteConnectionCloser::operator()(sqlite3* db) const noexcept
{
    // close_v2 defers the close until a statement that outlived its
    // connection object is finalized, instead of leaking the connection.
    sqlite3_close_v2(db);
}

// ---------------------------------------------------------------------------
// TSQLiteDatabase

namespace {

// Every connection is used by one thread at a time, so SQLite need not lock
// each call; its multi-thread mode leaves those locks out. It can be chosen
// only before the library starts, so the first connection does it.
void chooseThreadingModeOnce()
{
    static const int chosen = sqlite3_config(SQLITE_CONFIG_MULTITHREAD);
    Q_UNUSED(chosen); // later than the start, the library keeps its own mode
}

} // namespace

TSQLiteDatabase::TSQLiteDatabase(const QString& fileName)
{
    chooseThreadingModeOnce();
    sqlite3* db = nullptr;
    const int result = sqlite3_open16(fileName.utf16(), &db);
    m_db.reset(db);
    if (result == SQLITE_OK)
        return;
    const QString prefix = QStringLiteral("Failed to open database \"") + fileName + "\" : ";
    if (!db)
        throw ESQLiteException(prefix + "unknown error");
    throw ESQLiteException(prefix + QString::fromUtf8(sqlite3_errmsg(db)));
}

TSQLiteDatabase::~TSQLiteDatabase()
{
    if (m_inTrans) {
        try {
            Rollback();
        } catch (...) {
            // SQLite may already have rolled back after a failed statement, and
            // the query hook may throw; closing the connection ends the
            // transaction either way, and nothing may leave a destructor.
        }
    }
    ParamsClear();
}

int TSQLiteDatabase::RowsChanged() const
{
    return sqlite3_changes(m_db.get());
}

void TSQLiteDatabase::setSynchronised(bool value)
{
    if (value == m_sync)
        return;
    ExecSQL(value ? QStringLiteral("PRAGMA synchronous = ON;")
                  : QStringLiteral("PRAGMA synchronous = OFF;"));
    m_sync = value;
}

namespace {

[[noreturn]] void raiseWithReason(const QString& msg, const QString& sql, int code,
                                  const char* message)
{
    throw ESQLiteException(msg + ".\rError [" + QString::number(code) +
                           "]: " + SQLiteResultText(code) + ".\r\"" + sql +
                           "\": " + QString::fromUtf8(message));
}

} // namespace

void TSQLiteDatabase::RaiseStatementError(const QString& msg, const QString& sql) const
{
    const int code = sqlite3_errcode(m_db.get());
    const char* message = code != SQLITE_OK ? sqlite3_errmsg(m_db.get()) : nullptr;
    if (!message)
        throw ESQLiteException(msg + ".\r\"" + sql + "\": No message");
    raiseWithReason(msg, sql, code, message);
}

void TSQLiteDatabase::checkBind(int result, const QString& msg, const QString& sql) const
{
    // A failed bind leaves no message of its own: SQLite's text for the code is it.
    if (result != SQLITE_OK)
        raiseWithReason(msg, sql, result, sqlite3_errstr(result));
}

SQLiteStatementHandle TSQLiteDatabase::prepare(const QString& sql, const QString& prepareFailure)
{
    sqlite3_stmt* raw = nullptr;
    const int result = sqlite3_prepare16_v2(m_db.get(), sql.utf16(), -1, &raw, nullptr);
    SQLiteStatementHandle statement(raw);
    if (result != SQLITE_OK)
        RaiseStatementError(prepareFailure, sql);
    if (!statement)
        RaiseStatementError(kCouldNotPrepare, sql);
    return statement;
}

SQLiteStatementHandle TSQLiteDatabase::prepareWithQueuedParams(const QString& sql)
{
    const auto queueGoes = qScopeGuard([this] { ParamsClear(); });
    SQLiteStatementHandle statement = prepare(sql, kErrorExecutingSql);
    NotifyQuery(sql);
    BindQueuedParams(statement.get());
    return statement;
}

void TSQLiteDatabase::ExecSQL(const QString& sql)
{
    const SQLiteStatementHandle statement = prepareWithQueuedParams(sql);
    if (sqlite3_step(statement.get()) != SQLITE_DONE) {
        sqlite3_reset(statement.get());
        RaiseStatementError(QStringLiteral("Error executing SQL statement"), sql);
    }
}

void TSQLiteDatabase::ExecSQL(const TSQLiteQuery& query)
{
    sqlite3_stmt* statement = query.Statement.get();
    if (!statement)
        return;
    if (sqlite3_step(statement) != SQLITE_DONE) {
        sqlite3_reset(statement);
        RaiseStatementError(QStringLiteral("Error executing prepared SQL statement"), query.SQL);
    }
    sqlite3_reset(statement);
}

TSQLiteQuery TSQLiteDatabase::PrepareSQL(const QString& sql)
{
    TSQLiteQuery query;
    query.SQL = sql;
    sqlite3_stmt* raw = nullptr;
    const int result = sqlite3_prepare16(m_db.get(), sql.utf16(), -1, &raw, nullptr);
    query.Statement.reset(raw);
    if (result != SQLITE_OK)
        RaiseStatementError(kErrorExecutingSql, sql);
    if (!query.Statement)
        RaiseStatementError(kCouldNotPrepare, sql);
    NotifyQuery(sql);
    return query;
}

void TSQLiteDatabase::BindSQL(const TSQLiteQuery& query, int index, int value)
{
    if (!query.Statement)
        RaiseStatementError(QStringLiteral("Could not bind integer to prepared SQL statement"),
                            query.SQL);
    checkBind(sqlite3_bind_int(query.Statement.get(), index, value),
              QStringLiteral("Could not bind integer to prepared SQL statement"), query.SQL);
}

void TSQLiteDatabase::BindSQL(const TSQLiteQuery& query, int index, const QString& value)
{
    if (!query.Statement)
        RaiseStatementError(QStringLiteral("Could not bind string to prepared SQL statement"),
                            query.SQL);
    checkBind(sqlite3_bind_text16(query.Statement.get(), index, utf16Data(value), utf16Bytes(value),
                                  SQLITE_STATIC),
              QStringLiteral("Could not bind string to prepared SQL statement"), query.SQL);
}

void TSQLiteDatabase::BindSQLUtf8(const TSQLiteQuery& query, int index, QByteArrayView value)
{
    if (!query.Statement)
        RaiseStatementError(QStringLiteral("Could not bind string to prepared SQL statement"),
                            query.SQL);
    // SQLite binds a null pointer as NULL; an empty text must stay text.
    checkBind(sqlite3_bind_text(query.Statement.get(), index, value.isNull() ? "" : value.data(),
                                int(value.size()), SQLITE_STATIC),
              QStringLiteral("Could not bind string to prepared SQL statement"), query.SQL);
}

void TSQLiteDatabase::ReleaseSQL(TSQLiteQuery& query)
{
    if (!query.Statement)
        RaiseStatementError(QStringLiteral("Could not release prepared SQL statement"), query.SQL);
    query.Statement.reset();
}

void TSQLiteDatabase::UpdateBlob(const QString& sql, QIODevice& blobData)
{
    if (!sql.contains(u'?'))
        RaiseStatementError(QStringLiteral("SQL must include a ? parameter"), sql);
    const SQLiteStatementHandle statement = prepare(sql, kCouldNotPrepare);
    NotifyQuery(sql);

    if (!blobData.isSequential())
        blobData.seek(0);
    const QByteArray bytes = blobData.readAll();
    if (bytes.isEmpty())
        throw ESQLiteException(QStringLiteral("Error getting memory to save blob"));
    // SQLite takes its own copy, which it frees when the statement goes.
    if (sqlite3_bind_blob64(statement.get(), 1, bytes.constData(), sqlite3_uint64(bytes.size()),
                            SQLITE_TRANSIENT) != SQLITE_OK)
        RaiseStatementError(QStringLiteral("Error binding blob to database"), sql);

    if (sqlite3_step(statement.get()) != SQLITE_DONE) {
        sqlite3_reset(statement.get());
        RaiseStatementError(QStringLiteral("Error executing SQL statement"), sql);
    }
}

std::unique_ptr<TSQLiteTable> TSQLiteDatabase::GetTable(const QString& sql)
{
    return std::make_unique<TSQLiteTable>(*this, sql);
}

std::unique_ptr<TSQLiteUniTable> TSQLiteDatabase::GetUniTable(const QString& sql)
{
    return std::make_unique<TSQLiteUniTable>(*this, sql);
}

qint64 TSQLiteDatabase::GetTableValue(const QString& sql)
{
    const TSQLiteUniTable table(*this, sql);
    return table.GetEOF() ? 0 : table.FieldAsInteger(0);
}

QString TSQLiteDatabase::GetTableString(const QString& sql)
{
    const TSQLiteUniTable table(*this, sql);
    return table.GetEOF() ? QString() : table.FieldAsString(0);
}

void TSQLiteDatabase::GetTableStrings(const QString& sql, QStringList& value)
{
    value.clear();
    TSQLiteUniTable table(*this, sql);
    while (!table.GetEOF()) {
        value.append(table.FieldAsString(0));
        table.Next();
    }
}

bool TSQLiteDatabase::TableExists(const QString& tableName)
{
    // Bound, so a name holding a quote neither breaks nor changes the query.
    AddParamText(QStringLiteral(":name"), asciiCase(tableName, false));
    return GetTable(QStringLiteral("select [sql] from sqlite_master where [type] = 'table' and "
                                   "lower(name) = :name "))
               ->Count() > 0;
}

void TSQLiteDatabase::BeginTransaction()
{
    if (m_inTrans)
        throw ESQLiteException(QStringLiteral("Transaction already open"));
    ExecSQL(QStringLiteral("BEGIN TRANSACTION"));
    m_inTrans = true;
}

void TSQLiteDatabase::Commit()
{
    ExecSQL(QStringLiteral("COMMIT"));
    m_inTrans = false;
}

void TSQLiteDatabase::Rollback()
{
    ExecSQL(QStringLiteral("ROLLBACK"));
    m_inTrans = false;
}

void TSQLiteDatabase::addParam(TSQliteParam param)
{
    m_params.push_back(std::move(param));
}

void TSQLiteDatabase::AddParamInt(const QString& name, qint64 value)
{
    addParam({name, TSQliteParam::Integer, value, 0.0, {}});
}

void TSQLiteDatabase::AddParamFloat(const QString& name, double value)
{
    addParam({name, TSQliteParam::Float, 0, value, {}});
}

void TSQLiteDatabase::AddParamText(const QString& name, const QString& value)
{
    addParam({name, TSQliteParam::Text, 0, 0.0, value});
}

void TSQLiteDatabase::AddParamNull(const QString& name)
{
    addParam({name, TSQliteParam::Null, 0, 0.0, {}});
}

void TSQLiteDatabase::ParamsClear()
{
    m_params.clear();
}

namespace {

int bindParam(sqlite3_stmt* statement, int index, const TSQliteParam& param)
{
    switch (param.valuetype) {
    case TSQliteParam::Integer:
        return sqlite3_bind_int64(statement, index, param.valueinteger);
    case TSQliteParam::Float:
        return sqlite3_bind_double(statement, index, param.valuefloat);
    case TSQliteParam::Text:
        return sqlite3_bind_text16(statement, index, utf16Data(param.valuedata),
                                   utf16Bytes(param.valuedata), SQLITE_TRANSIENT);
    case TSQliteParam::Null:
        return sqlite3_bind_null(statement, index);
    default:
        return SQLITE_OK;
    }
}

} // namespace

void TSQLiteDatabase::BindQueuedParams(sqlite3_stmt* statement)
{
    for (const TSQliteParam& param : m_params) {
        const int index = sqlite3_bind_parameter_index(statement, param.name.toUtf8().constData());
        if (index <= 0)
            continue; // the statement has no such name
        // The failure's texts are built only for a failure: this runs for every value bound.
        if (const int result = bindParam(statement, index, param); result != SQLITE_OK)
            checkBind(result, QStringLiteral("Could not bind parameter ") + param.name,
                      QString::fromUtf8(sqlite3_sql(statement)));
    }
}

void TSQLiteDatabase::NotifyQuery(const QString& sql)
{
    if (OnQuery)
        OnQuery(this, sql);
}

qint64 TSQLiteDatabase::GetLastInsertRowID() const
{
    return sqlite3_last_insert_rowid(m_db.get());
}

qint64 TSQLiteDatabase::GetLastChangedRows() const
{
    return sqlite3_total_changes(m_db.get());
}

void TSQLiteDatabase::SetTimeout(int milliseconds)
{
    sqlite3_busy_timeout(m_db.get(), milliseconds);
}

void TSQLiteDatabase::SetBusyHandler(TBusyHandler handler)
{
    m_busyHandler = std::move(handler);
    const auto callHandler = [](void* self, int attempt) noexcept -> int {
        try {
            return static_cast<TSQLiteDatabase*>(self)->m_busyHandler(attempt) ? 1 : 0;
        } catch (...) {
            return 0; // nothing may cross SQLite; the statement fails as busy
        }
    };
    sqlite3_busy_handler(m_db.get(), m_busyHandler ? +callHandler : nullptr, this);
}

QString TSQLiteDatabase::Version()
{
    return QString::fromLatin1(sqlite3_libversion());
}

int TSQLiteDatabase::Backup(TSQLiteDatabase& targetDB, const QString& targetName,
                            const QString& sourceName)
{
    const std::unique_ptr<sqlite3_backup, BackupFinisher> backup(
        sqlite3_backup_init(targetDB.DB(), targetName.toUtf8().constData(), m_db.get(),
                            sourceName.toUtf8().constData()));
    if (!backup)
        throw ESQLiteException(QStringLiteral("Could not initialize backup"));
    return sqlite3_backup_step(backup.get(), -1);
}

int TSQLiteDatabase::Backup(TSQLiteDatabase& targetDB)
{
    return Backup(targetDB, QStringLiteral("main"), QStringLiteral("main"));
}

void TSQLiteDatabase::AddCustomCollate(const QString& name, TCollateCompare xCompare)
{
    if (sqlite3_create_collation(m_db.get(), name.toUtf8().constData(), SQLITE_UTF8, nullptr,
                                 xCompare) != SQLITE_OK)
        RaiseStatementError(QStringLiteral("Could not register collation"), name);
}

void TSQLiteDatabase::AddSystemCollate()
{
    if (sqlite3_create_collation(m_db.get(), "SYSTEM", SQLITE_UTF16, nullptr,
                                 CompareSystemCollation) != SQLITE_OK)
        RaiseStatementError(QStringLiteral("Could not register collation"),
                            QStringLiteral("SYSTEM"));
}

// ---------------------------------------------------------------------------
// TSQLiteTable

TSQLiteTable::TSQLiteTable(TSQLiteDatabase& db, const QString& sql)
{
    const SQLiteStatementHandle statement = db.prepareWithQueuedParams(sql);
    for (;;) {
        const int result = sqlite3_step(statement.get());
        if (result == SQLITE_DONE)
            break;
        if (result == SQLITE_ROW) {
            if (m_rowCount == 0)
                readColumns(statement.get());
            ++m_rowCount;
            readRow(statement.get());
        } else if (result == SQLITE_BUSY) {
            // No retry: the caller decides whether to wait (SetTimeout) or give up.
            throw ESQLiteException(kCouldNotPrepare + ".\r\"" + sql + "\": SQLite is Busy");
        } else {
            sqlite3_reset(statement.get());
            db.RaiseStatementError(QStringLiteral("Could not retrieve data"), sql);
        }
    }
    m_row = 0;
}

void TSQLiteTable::readColumns(sqlite3_stmt* statement)
{
    m_colCount = quint32(sqlite3_column_count(statement));
    for (int column = 0; column < int(m_colCount); ++column) {
        m_cols.append(asciiCase(fromUtf16(sqlite3_column_name16(statement, column)), true));
        m_colTypes.push_back(declaredColumnType(statement, column));
    }
}

void TSQLiteTable::readRow(sqlite3_stmt* statement)
{
    for (int column = 0; column < int(m_colCount); ++column) {
        if (sqlite3_column_type(statement, column) == SQLITE_NULL) {
            m_results.emplace_back();
            continue;
        }
        switch (m_colTypes[column]) {
        case Integer:
            m_results.emplace_back(qint64(sqlite3_column_int64(statement, column)));
            break;
        case Float:
            m_results.emplace_back(sqlite3_column_double(statement, column));
            break;
        case Blob: {
            const char* bytes = static_cast<const char*>(sqlite3_column_blob(statement, column));
            const int size = sqlite3_column_bytes(statement, column);
            if (size > 0)
                m_results.emplace_back(QByteArray(bytes, size));
            else
                m_results.emplace_back(); // an empty blob reads as null
            break;
        }
        default:
            m_results.emplace_back(fromUtf16(sqlite3_column_text16(statement, column)));
            break;
        }
    }
}

const TSQLiteTable::Cell& TSQLiteTable::cell(int index) const
{
    if (GetEOF())
        throw ESQLiteException(kAtEndOfFile);
    if (index < 0 || quint32(index) >= m_colCount)
        throw ESQLiteException(QStringLiteral("List index out of bounds (%1)").arg(index));
    return m_results[std::size_t(m_row) * m_colCount + std::size_t(index)];
}

int TSQLiteTable::CountResult() const
{
    if (GetEOF())
        return 0;
    const QString text = GetFieldText(0);
    bool ok = false;
    const int count = text.toInt(&ok);
    if (!ok)
        throw ESQLiteException(u'\'' + text + "' is not a valid integer value");
    return count;
}

int TSQLiteTable::FindFieldIndex(const QString& fieldName) const
{
    if (m_cols.isEmpty())
        throw ESQLiteException(QStringLiteral("Field ") + fieldName + " Not found. Empty dataset");
    const int index = m_cols.indexOf(asciiCase(fieldName, true));
    if (index < 0)
        throw ESQLiteException(QStringLiteral("Field not found in dataset: ") + fieldName);
    return index;
}

QString TSQLiteTable::GetFieldText(int index) const
{
    const Cell& value = cell(index);
    switch (m_colTypes[index]) {
    case Integer:
        return QString::number(FieldAsInteger(index));
    case Float:
        return floatToText(FieldAsDouble(index));
    case Text:
        if (const QString* text = std::get_if<QString>(&value))
            return *text;
        return QString();
    case Blob:
        return FieldAsBlobText(index);
    default:
        return QString();
    }
}

QString TSQLiteTable::FieldAsString(int index) const
{
    return FieldIsNull(index) ? QString() : GetFieldText(index);
}

qint64 TSQLiteTable::FieldAsInteger(int index) const
{
    const Cell& value = cell(index);
    if (std::holds_alternative<std::monostate>(value))
        return 0;
    if (const qint64* integer = std::get_if<qint64>(&value))
        return *integer;
    if (const double* real = std::get_if<double>(&value))
        return truncateToInt64(*real);
    throw ESQLiteException(kNotNumeric);
}

double TSQLiteTable::FieldAsDouble(int index) const
{
    const Cell& value = cell(index);
    if (std::holds_alternative<std::monostate>(value))
        return 0.0;
    if (const qint64* integer = std::get_if<qint64>(&value))
        return double(*integer);
    if (const double* real = std::get_if<double>(&value))
        return *real;
    throw ESQLiteException(kNotNumeric);
}

const QByteArray* TSQLiteTable::FieldAsBlob(int index) const
{
    const Cell& value = cell(index);
    if (std::holds_alternative<std::monostate>(value))
        return nullptr;
    if (const QByteArray* bytes = std::get_if<QByteArray>(&value))
        return bytes;
    throw ESQLiteException(QStringLiteral("Not a Blob field"));
}

QString TSQLiteTable::FieldAsBlobText(int index) const
{
    const QByteArray* bytes = FieldAsBlob(index);
    return bytes ? QString::fromUtf8(*bytes) : QString();
}

bool TSQLiteTable::FieldIsNull(int index) const
{
    return std::holds_alternative<std::monostate>(cell(index));
}

bool TSQLiteTable::Next()
{
    if (GetEOF())
        return false;
    ++m_row;
    return true;
}

bool TSQLiteTable::Previous()
{
    if (m_row == 0)
        return false;
    --m_row;
    return true;
}

bool TSQLiteTable::MoveFirst()
{
    if (m_rowCount == 0)
        return false;
    m_row = 0;
    return true;
}

bool TSQLiteTable::MoveLast()
{
    if (m_rowCount == 0)
        return false;
    m_row = m_rowCount - 1;
    return true;
}

bool TSQLiteTable::MoveTo(quint32 position)
{
    if (position >= m_rowCount)
        return false;
    m_row = position;
    return true;
}

// ---------------------------------------------------------------------------
// TSQLiteUniTable

TSQLiteUniTable::TSQLiteUniTable(TSQLiteDatabase& db, const QString& sql)
    : m_stmt(db.prepareWithQueuedParams(sql)), m_db(&db), m_sql(sql)
{
    m_colCount = quint32(sqlite3_column_count(m_stmt.get()));
    for (int column = 0; column < int(m_colCount); ++column)
        m_cols.append(asciiCase(fromUtf16(sqlite3_column_name16(m_stmt.get(), column)), true));
    Next();
}

bool TSQLiteUniTable::Next()
{
    // Stepping a finished statement would start it again from the first row.
    if (m_eof)
        return false;
    m_eof = true;
    const int result = sqlite3_step(m_stmt.get());
    if (result == SQLITE_ROW) {
        m_eof = false;
        ++m_row;
    } else if (result != SQLITE_DONE) {
        sqlite3_reset(m_stmt.get());
        m_db->RaiseStatementError(QStringLiteral("Could not retrieve data"), m_sql);
    }
    return !m_eof;
}

qint64 TSQLiteUniTable::FieldAsInteger(int index) const
{
    return sqlite3_column_int64(m_stmt.get(), index);
}

double TSQLiteUniTable::FieldAsDouble(int index) const
{
    return sqlite3_column_double(m_stmt.get(), index);
}

QString TSQLiteUniTable::GetFieldText(int index) const
{
    return fromUtf16(sqlite3_column_text16(m_stmt.get(), index));
}

QString TSQLiteUniTable::FieldAsString(int index) const
{
    return GetFieldText(index);
}

QStringView TSQLiteUniTable::FieldAsStringView(int index) const
{
    const auto* text = static_cast<const char16_t*>(sqlite3_column_text16(m_stmt.get(), index));
    if (!text)
        return {};
    return QStringView(text,
                       sqlite3_column_bytes16(m_stmt.get(), index) / qsizetype(sizeof(char16_t)));
}

QByteArrayView TSQLiteUniTable::FieldAsUtf8View(int index) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt.get(), index));
    if (!text)
        return {};
    return QByteArrayView(text, sqlite3_column_bytes(m_stmt.get(), index));
}

bool TSQLiteUniTable::FieldIsNull(int index) const
{
    return sqlite3_column_type(m_stmt.get(), index) == SQLITE_NULL;
}

QByteArray TSQLiteUniTable::FieldAsBlob(int index) const
{
    int size = 0;
    const void* bytes = FieldAsBlobPtr(index, size);
    return size < 1 ? QByteArray() : QByteArray(static_cast<const char*>(bytes), size);
}

const void* TSQLiteUniTable::FieldAsBlobPtr(int index, int& numBytes) const
{
    const void* bytes = sqlite3_column_blob(m_stmt.get(), index);
    numBytes = sqlite3_column_bytes(m_stmt.get(), index);
    return bytes;
}

QString TSQLiteUniTable::FieldAsBlobText(int index) const
{
    return QString::fromUtf8(FieldAsBlob(index));
}
