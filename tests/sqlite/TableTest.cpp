#include "SqliteTestSupport.h"

#include <QLocale>

namespace {

const QString kCR = QStringLiteral("\r");

class TableTest : public SqliteTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        db = std::make_unique<TSQLiteDatabase>(path());
    }

    std::unique_ptr<TSQLiteDatabase> db;
};

TEST_F(TableTest, EmptyResult)
{
    db->ExecSQL("CREATE TABLE hosts (host text)");
    const auto table = db->GetTable("SELECT host FROM hosts");
    EXPECT_EQ(table->Count(), 0u);
    EXPECT_EQ(table->ColCount(), 0u);
    EXPECT_TRUE(table->GetEOF());
    EXPECT_EQ(table->CountResult(), 0);
    EXPECT_FALSE(table->Next());
    EXPECT_FALSE(table->MoveFirst());
    EXPECT_FALSE(table->MoveLast());
    EXPECT_EQ(messageOf([&] { table->FindFieldIndex("host"); }),
              "Field host Not found. Empty dataset");
    EXPECT_EQ(messageOf([&] { table->FieldAsString(0); }), "Table is at End of File");
    EXPECT_EQ(messageOf([&] { table->FieldIsNull(0); }), "Table is at End of File");
}

TEST_F(TableTest, FieldNamesIgnoreCase)
{
    db->ExecSQL("CREATE TABLE t (Host text, catid text)");
    db->ExecSQL("INSERT INTO t VALUES('a.com', '1')");
    const auto table = db->GetTable("SELECT Host, catid AS CatId FROM t");
    EXPECT_EQ(table->Columns(), QStringList({"HOST", "CATID"}));
    EXPECT_EQ(table->FindFieldIndex("host"), 0);
    EXPECT_EQ(table->FindFieldIndex("HOST"), 0);
    EXPECT_EQ(table->FindFieldIndex("catid"), 1);
    EXPECT_EQ(messageOf([&] { table->FindFieldIndex("nosuch"); }),
              "Field not found in dataset: nosuch");
}

TEST_F(TableTest, MaxOfCastIsNullThenInteger)
{
    db->ExecSQL("CREATE TABLE categories (catid text, catname text, reserved text)");
    const QString sql = "SELECT MAX(CAST(catid as integer)) FROM categories";
    {
        const auto table = db->GetTable(sql);
        ASSERT_EQ(table->Count(), 1u);
        EXPECT_TRUE(table->FieldIsNull(0));
        EXPECT_EQ(table->FieldAsString(0), "");
        EXPECT_EQ(table->FieldAsInteger(0), 0);
    }
    for (const char* id : {"1", "2", "10"})
        db->ExecSQL(QStringLiteral("INSERT INTO categories VALUES('%1', 'n', 'N')").arg(id));
    const auto table = db->GetTable(sql);
    EXPECT_EQ(table->FieldAsString(0), "10"); // numeric, not text, maximum
    EXPECT_EQ(table->FieldAsInteger(0), 10);
}

TEST_F(TableTest, DeclaredTypesAreExactAndCaseSensitive)
{
    db->ExecSQL("CREATE TABLE t (lb boolean, ld double, lt text, ui INTEGER, ur REAL, ub BOOLEAN, "
                "other VARCHAR(10))");
    db->ExecSQL("INSERT INTO t VALUES(1, 2.5, 'x', 'abc', -1.75, 1, 7)");
    const auto table = db->GetTable("SELECT * FROM t");
    // Type names spelled in lower case are text columns: text accessors only.
    EXPECT_EQ(table->FieldAsString(0), "1");
    EXPECT_EQ(messageOf([&] { table->FieldAsInteger(0); }), "Not an integer or numeric field");
    EXPECT_EQ(table->FieldAsString(1), "2.5");
    EXPECT_EQ(messageOf([&] { table->FieldAsDouble(1); }), "Not an integer or numeric field");
    EXPECT_EQ(messageOf([&] { table->FieldAsDouble(2); }), "Not an integer or numeric field");
    // A text value in an INTEGER column is kept as SQLite converts it.
    EXPECT_EQ(table->FieldAsInteger(3), 0);
    EXPECT_EQ(table->FieldAsString(3), "0");
    EXPECT_EQ(table->FieldAsDouble(4), -1.75);
    EXPECT_EQ(table->FieldAsInteger(4), -1); // truncated toward zero
    EXPECT_EQ(table->FieldAsInteger(5), 1);
    EXPECT_EQ(table->FieldAsString(6), "7");
    EXPECT_EQ(messageOf([&] { table->FieldAsBlob(6); }), "Not a Blob field");
}

TEST_F(TableTest, SqliteReportsStandardTypeNamesInCapitals)
{
    // SQLite itself reports "integer" and "real" as INTEGER and REAL, so such
    // columns are numeric whatever their spelling in CREATE TABLE.
    db->ExecSQL("CREATE TABLE t (li integer, lr real)");
    db->ExecSQL("INSERT INTO t VALUES(42, 0.5)");
    const auto table = db->GetTable("SELECT li, lr FROM t");
    EXPECT_EQ(table->FieldAsInteger(0), 42);
    EXPECT_EQ(table->FieldAsDouble(1), 0.5);
}

TEST_F(TableTest, ExpressionColumnsTakeTheFirstRowsStorageClass)
{
    const auto table = db->GetTable("SELECT 1.5, 3, 'x' UNION ALL SELECT 2, 'text', 4");
    ASSERT_EQ(table->Count(), 2u);
    EXPECT_EQ(table->FieldAsDouble(0), 1.5);
    EXPECT_EQ(table->FieldAsInteger(1), 3);
    EXPECT_EQ(messageOf([&] { table->FieldAsInteger(2); }), "Not an integer or numeric field");
    table->Next();
    EXPECT_EQ(table->FieldAsDouble(0), 2.0);
    EXPECT_EQ(table->FieldAsInteger(1), 0); // 'text' read as an integer
    EXPECT_EQ(table->FieldAsString(2), "4");
}

TEST_F(TableTest, FloatTextFollowsTheLocale)
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const auto table = db->GetTable("SELECT 1234.5, 0.1");
    const QString german = table->FieldAsString(0) + " " + table->FieldAsString(1);
    QLocale::setDefault(QLocale::c());
    const QString c = table->FieldAsString(0);
    QLocale::setDefault(saved);
    EXPECT_EQ(german, "1234,5 0,1");
    EXPECT_EQ(c, "1234.5");
}

TEST_F(TableTest, CursorMoves)
{
    db->ExecSQL("CREATE TABLE t (a text)");
    for (const char* v : {"r0", "r1", "r2"})
        db->ExecSQL(QStringLiteral("INSERT INTO t VALUES('%1')").arg(v));
    const auto table = db->GetTable("SELECT a FROM t ORDER BY a");
    EXPECT_TRUE(table->BOF());
    EXPECT_FALSE(table->Previous());
    EXPECT_TRUE(table->MoveLast());
    EXPECT_TRUE(table->IsLastRow());
    EXPECT_EQ(table->FieldAsString(0), "r2");

    EXPECT_FALSE(table->MoveTo(table->RowCount()));
    EXPECT_EQ(table->Row(), 2u);
    EXPECT_TRUE(table->MoveTo(1));
    EXPECT_EQ(table->FieldAsString(0), "r1");

    table->MoveLast();
    EXPECT_TRUE(table->Next()); // from the last row onto the end
    EXPECT_TRUE(table->GetEOF());
    EXPECT_FALSE(table->Next());
    EXPECT_EQ(table->Row(), 3u);
    EXPECT_EQ(messageOf([&] { table->FieldAsString(0); }), "Table is at End of File");
    EXPECT_TRUE(table->Previous());
    EXPECT_EQ(table->FieldAsString(0), "r2");
    EXPECT_TRUE(table->MoveFirst());
    EXPECT_EQ(table->FieldAsString(0), "r0");
}

TEST_F(TableTest, ColumnIndexOutsideRaisesInsteadOfReadingMemory)
{
    const auto table = db->GetTable("SELECT 1");
    EXPECT_EQ(messageOf([&] { table->FieldAsString(1); }), "List index out of bounds (1)");
    EXPECT_EQ(messageOf([&] { table->FieldAsString(-1); }), "List index out of bounds (-1)");
}

TEST_F(TableTest, Blobs)
{
    db->ExecSQL("CREATE TABLE t (b BLOB)");
    db->ExecSQL("INSERT INTO t VALUES(x'')");
    db->ExecSQL("INSERT INTO t VALUES(x'C3A9')");
    db->ExecSQL("INSERT INTO t VALUES(NULL)");
    const auto table = db->GetTable("SELECT b FROM t ORDER BY rowid");
    EXPECT_TRUE(table->FieldIsNull(0)); // a zero-length blob is stored as null
    EXPECT_EQ(table->FieldAsBlob(0), nullptr);
    EXPECT_EQ(table->FieldAsBlobText(0), "");
    table->Next();
    ASSERT_NE(table->FieldAsBlob(0), nullptr);
    EXPECT_EQ(*table->FieldAsBlob(0), QByteArray("\xC3\xA9"));
    EXPECT_EQ(table->FieldAsBlobText(0), QString::fromUtf8("é"));
    EXPECT_EQ(table->FieldAsString(0), QString::fromUtf8("é"));
    table->Next();
    EXPECT_TRUE(table->FieldIsNull(0));
}

TEST_F(TableTest, CountResult)
{
    db->ExecSQL("CREATE TABLE t (a)");
    db->ExecSQL("INSERT INTO t VALUES(1)");
    db->ExecSQL("INSERT INTO t VALUES(2)");
    EXPECT_EQ(db->GetTable("SELECT COUNT(*) FROM t")->CountResult(), 2);
    EXPECT_EQ(messageOf([&] { db->GetTable("SELECT 'abc'")->CountResult(); }),
              "'abc' is not a valid integer value");
}

TEST_F(TableTest, RuntimeErrorWhileStepping)
{
    const QString sql = "SELECT abs(-9223372036854775807 - 1)";
    const QString expected = "Could not retrieve data." + kCR +
                             "Error [1]: SQL error or missing database." + kCR + "\"" + sql +
                             "\": integer overflow";
    EXPECT_EQ(messageOf([&] { db->GetTable(sql); }), expected);
    EXPECT_EQ(messageOf([&] { db->GetUniTable(sql); }), expected);
}

TEST_F(TableTest, TableOutlivesItsConnection)
{
    db->ExecSQL("CREATE TABLE t (a)");
    db->ExecSQL("INSERT INTO t VALUES('still here')");
    const auto table = db->GetTable("SELECT a FROM t");
    db.reset();
    EXPECT_EQ(table->FieldAsString(0), "still here");
}

// --- the streaming cursor --------------------------------------------------------

TEST_F(TableTest, UniTableWalksForwardOnce)
{
    db->ExecSQL("CREATE TABLE t (n integer, s text, b BLOB)");
    db->ExecSQL("INSERT INTO t VALUES(1, 'one', x'0102')");
    db->ExecSQL("INSERT INTO t VALUES(2, NULL, NULL)");
    const auto cursor = db->GetUniTable("SELECT n, s, b FROM t ORDER BY n");
    EXPECT_EQ(cursor->ColCount(), 3u);
    EXPECT_EQ(cursor->Columns(), QStringList({"N", "S", "B"}));
    ASSERT_FALSE(cursor->GetEOF());
    EXPECT_EQ(cursor->Row(), 1u);
    EXPECT_EQ(cursor->FieldAsInteger(0), 1);
    EXPECT_EQ(cursor->FieldAsString(1), "one");
    EXPECT_EQ(cursor->FieldAsBlob(2), QByteArray("\x01\x02"));
    int size = 0;
    EXPECT_NE(cursor->FieldAsBlobPtr(2, size), nullptr);
    EXPECT_EQ(size, 2);

    EXPECT_TRUE(cursor->Next());
    EXPECT_EQ(cursor->Row(), 2u);
    EXPECT_TRUE(cursor->FieldIsNull(1));
    EXPECT_EQ(cursor->FieldAsString(1), "");
    EXPECT_TRUE(cursor->FieldAsBlob(2).isEmpty());

    EXPECT_FALSE(cursor->Next());
    EXPECT_TRUE(cursor->GetEOF());
    // A finished cursor stays finished rather than starting over.
    EXPECT_FALSE(cursor->Next());
    EXPECT_EQ(cursor->Row(), 2u);
}

} // namespace

TEST_F(TableTest, UniTableViewsTextWithoutCopying)
{
    db->ExecSQL("CREATE TABLE t (n, s)");
    db->ExecSQL("INSERT INTO t VALUES(1, 'caf\xc3\xa9 \xf0\x9f\x98\x80')");
    db->ExecSQL("INSERT INTO t VALUES(2, NULL)");
    db->ExecSQL("INSERT INTO t VALUES(3, '')");
    const auto cursor = db->GetUniTable("SELECT s FROM t ORDER BY n");
    // A character outside the basic plane takes two UTF-16 units.
    EXPECT_EQ(cursor->FieldAsStringView(0), QString::fromUtf8("caf\xc3\xa9 \xf0\x9f\x98\x80"));
    EXPECT_EQ(cursor->FieldAsStringView(0).size(), 7);
    cursor->Next();
    EXPECT_TRUE(cursor->FieldAsStringView(0).isEmpty());
    cursor->Next();
    EXPECT_TRUE(cursor->FieldAsStringView(0).isEmpty());
}

TEST_F(TableTest, UniTableViewsUtf8TextWithoutCopying)
{
    // SQLite converts for a database that keeps its text as UTF-16.
    for (const char* encoding : {"UTF-8", "UTF-16le"}) {
        TSQLiteDatabase fresh(path(QStringLiteral("%1.db").arg(encoding)));
        fresh.ExecSQL(QStringLiteral("PRAGMA encoding = '%1'").arg(encoding));
        fresh.ExecSQL("CREATE TABLE t (n, s)");
        fresh.ExecSQL("INSERT INTO t VALUES(1, 'caf\xc3\xa9 \xf0\x9f\x98\x80')");
        fresh.ExecSQL("INSERT INTO t VALUES(2, NULL)");
        fresh.ExecSQL("INSERT INTO t VALUES(3, '')");
        const auto cursor = fresh.GetUniTable("SELECT s FROM t ORDER BY n");
        EXPECT_EQ(cursor->FieldAsUtf8View(0), QByteArrayView("caf\xc3\xa9 \xf0\x9f\x98\x80"))
            << encoding;
        EXPECT_EQ(cursor->FieldAsUtf8View(0).size(), 10);
        cursor->Next();
        EXPECT_TRUE(cursor->FieldAsUtf8View(0).isEmpty());
        cursor->Next();
        EXPECT_TRUE(cursor->FieldAsUtf8View(0).isEmpty());
    }
}
