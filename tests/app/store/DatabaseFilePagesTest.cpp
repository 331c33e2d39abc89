#include "DatabaseFilePages.h"
#include "SQLiteTable3.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <limits>

using namespace dbpages;

namespace {

// How SQLite is told to lay a file out.
struct FileLayout {
    int pageSize = 4096;
    int reservedBytes = 0;
    const char* encoding = "UTF-8";
};

void PrintTo(const FileLayout& layout, std::ostream* out)
{
    *out << layout.pageSize << " bytes a page, " << layout.reservedBytes << " reserved, "
         << layout.encoding;
}

constexpr qint64 Lowest = std::numeric_limits<qint64>::min();
constexpr qint64 Highest = std::numeric_limits<qint64>::max();

// A table t(a, b) whose rows take every kind of value SQLite stores: rowids
// and integers at each varint and integer width, reals, null, texts beyond
// ASCII, and texts and blobs of sizes about the bounds where a payload starts
// to overflow, and far beyond.
void makeFile(const QString& path, const FileLayout& layout)
{
    TSQLiteDatabase db(path);
    db.ExecSQL(QString("PRAGMA page_size = %1;").arg(layout.pageSize));
    db.ExecSQL(QString("PRAGMA encoding = \"%1\";").arg(layout.encoding));
    int reserved = layout.reservedBytes;
    ASSERT_EQ(sqlite3_file_control(db.DB(), "main", SQLITE_FCNTL_RESERVE_BYTES, &reserved),
              SQLITE_OK);
    db.BeginTransaction();
    db.ExecSQL("CREATE TABLE t (a, b);");
    const QList<qint64> numbers = {Lowest,
                                   -(qint64(1) << 47),
                                   -8388609,
                                   -129,
                                   -1,
                                   0,
                                   1,
                                   2,
                                   127,
                                   128,
                                   16383,
                                   16384,
                                   32768,
                                   qint64(1) << 31,
                                   (qint64(1) << 56) - 1,
                                   qint64(1) << 56,
                                   Highest};
    for (const qint64 number : numbers) {
        db.AddParamInt(":n", number);
        db.ExecSQL("INSERT INTO t(rowid, a, b) VALUES(:n, :n, CASE WHEN :n % 2 = 0 THEN NULL "
                   "ELSE 1.5e-300 END);");
    }
    // Blobs sweep the bounds byte by byte; texts are in the file's encoding.
    const int usable = layout.pageSize - layout.reservedBytes;
    const int mostOnPage = usable - 35;
    const int leastOnPage = (usable - 12) * 32 / 255 - 23;
    QList<int> sizes = {0, 1, 3 * usable, 100000};
    for (int d = -6; d <= 6; ++d)
        sizes << mostOnPage + d << leastOnPage + d << usable - 4 + d << 2 * (usable - 4) + d;
    qint64 rowid = qint64(1) << 40;
    for (const int size : sizes) {
        db.AddParamInt(":id", rowid++);
        db.AddParamInt(":size", size);
        db.ExecSQL("INSERT INTO t(rowid, a, b) VALUES(:id, -2.25e300, randomblob(:size));");
        db.AddParamInt(":id", rowid++);
        db.AddParamInt(":size", size / 3);
        db.ExecSQL("INSERT INTO t(rowid, a, b) VALUES(:id, replace(hex(zeroblob(:size)), '00', "
                   "'é中x'), 'x');");
    }
    db.Commit();
}

// Each value as "type:content", one row a line: "rowid|a|b".
QString render(const DatabaseFile& file, const StoredValue& value)
{
    switch (value.type) {
    case StoredValue::Type::Null:
        return "null";
    case StoredValue::Type::Integer:
        return "integer:" + QString::number(value.integer);
    case StoredValue::Type::Real:
        return "real:" + QString::number(value.real, 'g', 17);
    case StoredValue::Type::Text:
        return "text:" + file.text(value);
    case StoredValue::Type::Blob:
        return "blob:" + value.bytes.toByteArray().toHex();
    }
    return {};
}

// SQLite's own reading of a value, rendered alike.
QString render(sqlite3_stmt* row, int column)
{
    switch (sqlite3_column_type(row, column)) {
    case SQLITE_INTEGER:
        return "integer:" + QString::number(sqlite3_column_int64(row, column));
    case SQLITE_FLOAT:
        return "real:" + QString::number(sqlite3_column_double(row, column), 'g', 17);
    case SQLITE_TEXT:
        return "text:" +
               QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(row, column)),
                                 sqlite3_column_bytes(row, column));
    case SQLITE_BLOB:
        return "blob:" + QByteArray(static_cast<const char*>(sqlite3_column_blob(row, column)),
                                    sqlite3_column_bytes(row, column))
                             .toHex();
    }
    return "null";
}

QStringList rowsBySqlite(const QString& path)
{
    TSQLiteDatabase db(path);
    sqlite3_stmt* statement = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db.DB(), "SELECT rowid, a, b FROM t ORDER BY rowid;", -1,
                                 &statement, nullptr),
              SQLITE_OK);
    const SQLiteStatementHandle rows(statement);
    QStringList result;
    while (sqlite3_step(statement) == SQLITE_ROW)
        result << QString::number(sqlite3_column_int64(statement, 0)) + "|" + render(statement, 1) +
                      "|" + render(statement, 2);
    return result;
}

// Table t's rows as its tree reads, in rowid order.
QStringList rowsByPages(const DatabaseFile& file)
{
    const std::vector<PageKind> kinds = mapPages(file, [] {});
    const Schema schema = readSchema(file, kinds);
    qint64 root = 0;
    for (const SchemaEntry& entry : schema.entries)
        if (entry.type == "table" && entry.name == "t" && entry.tableName == "t")
            root = entry.rootPage;
    EXPECT_GT(root, 1);
    const TableTree tree = walkTableTree(file, kinds, quint32(root));
    EXPECT_TRUE(tree.holes.empty());
    QStringList result;
    for (const LeafSlot& leaf : tree.leaves)
        EXPECT_TRUE(forEachRow(file, leaf.page, [&](qint64 rowid, const auto& values) {
            EXPECT_TRUE(leaf.rowids.contains(rowid));
            EXPECT_EQ(values.size(), 2u);
            if (values.size() == 2)
                result << QString::number(rowid) + "|" + render(file, values[0]) + "|" +
                              render(file, values[1]);
        }));
    return result;
}

// Where two lists of rows part, shortened; empty when they are alike.
std::string firstDifference(const QStringList& read, const QStringList& expected)
{
    for (qsizetype i = 0; i < std::max(read.size(), expected.size()); ++i) {
        const QString a = read.value(i, "(none)");
        const QString b = expected.value(i, "(none)");
        if (a != b)
            return QString("row %1: read %2, expected %3")
                .arg(i)
                .arg(a.left(120), b.left(120))
                .toStdString();
    }
    return {};
}

class DatabaseFilePagesTest : public ::testing::TestWithParam<FileLayout> {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QTemporaryDir dir;
};

} // namespace

// Every row SQLite wrote reads back alike from the pages, with the header and,
// when the header is spoilt, with the page size and encoding found from the
// pages themselves.
TEST_P(DatabaseFilePagesTest, ReadsTheRowsSqliteWrote)
{
    const FileLayout layout = GetParam();
    const QString path = dir.filePath("t.db");
    makeFile(path, layout);
    const QStringList expected = rowsBySqlite(path);
    ASSERT_GT(expected.size(), 100);
    {
        const DatabaseFile file(path);
        EXPECT_TRUE(file.headerReadable());
        EXPECT_EQ(file.pageSize(), layout.pageSize);
        EXPECT_EQ(file.usableSize(), layout.pageSize - layout.reservedBytes);
        EXPECT_EQ(firstDifference(rowsByPages(file), expected), "");
    }
    if (layout.reservedBytes > 0)
        return; // only the header tells them
    QFile spoil(path);
    ASSERT_TRUE(spoil.open(QIODevice::ReadWrite));
    ASSERT_EQ(spoil.write(QByteArray(100, '\x5A')), 100);
    spoil.close();
    const DatabaseFile file(path);
    EXPECT_FALSE(file.headerReadable());
    EXPECT_EQ(file.pageSize(), layout.pageSize);
    EXPECT_EQ(firstDifference(rowsByPages(file), expected), "");
}

INSTANTIATE_TEST_SUITE_P(Layouts, DatabaseFilePagesTest,
                         ::testing::Values(FileLayout{512, 0, "UTF-8"},
                                           FileLayout{1024, 24, "UTF-8"},
                                           FileLayout{4096, 0, "UTF-16le"},
                                           FileLayout{65536, 0, "UTF-16be"}));

TEST(DatabaseFilePages, AFileThatCannotBeReadSaysWhy)
{
    try {
        DatabaseFile file("/nonexistent/solvekdat.db");
        FAIL() << "opened";
    } catch (const solvek::Exception& e) {
        EXPECT_TRUE(e.message().contains("No such file")) << e.message().toStdString();
    }
}
