#pragma once

// What the tests of the program's app library share: a program folder on the
// fake platform in a temporary folder (config.ini, the database and the hosts
// file live there), the database as the windows and workers see it, answering
// the next input dialog as a user would, and looking at what a window shows.

#include "DamagedDatabase.h"
#include "DatabaseTrouble.h"
#include "FakePlatform.h"
#include "SQLiteTable3.h"
#include "UntSqliteUtils.h"
#include "WaitUntil.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QInputDialog>
#include <QMutexLocker>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <ostream>
#include <sys/stat.h>

// Failed checks print texts readably.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

// The program file, the database and the hosts file in a temporary folder.
class ProgramFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Boxes an earlier test left queued would otherwise land in this test's record.
        QCoreApplication::sendPostedEvents();
        fake.shownBoxes.clear();
        ASSERT_TRUE(dir.isValid());
        fake.dataFolderPath = fake.configFolderPath = dir.path() + "/";
        fake.programFilePath = dir.path() + "/solvek-antibot";
        fake.hostsFilePath = dir.path() + "/hosts";
        DBPath = dir.path() + "/solvekdat.db";
        forgetDamageNotice(); // each test is a run of its own
    }

    // Also over a hosts file that a refresh left read-only.
    void writeHostsFile(const QByteArray& bytes)
    {
        QFile::setPermissions(fake.hostsFilePath, QFile::ReadOwner | QFile::WriteOwner);
        QFile file(fake.hostsFilePath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    QByteArray hostsFileBytes() const
    {
        QFile file(fake.hostsFilePath);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    bool hostsFileIsReadOnly() const
    {
        struct stat info {};
        ::stat(QFile::encodeName(fake.hostsFilePath).constData(), &info);
        return (info.st_mode & 0222) == 0;
    }

    QTemporaryDir dir;
    platform::ScopedFakePlatform fake;
};

// A program folder whose database has its tables.
class DatabaseFixture : public ProgramFolderTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(ProgramFolderTest::SetUp());
        createDB();
    }

    // First column of every row of the query.
    QStringList column(const QString& sql)
    {
        TSQLiteDatabase db(DBPath);
        QStringList values;
        db.GetTableStrings(sql, values);
        return values;
    }

    void exec(const QString& sql, const SqlParams& params = {}) { execSQL(sql, params); }

    // Overwrites whole leaf pages of the table with junk, as a disk fault
    // would: `pages` of them, spread evenly, never the first or the last.
    void damageLeaves(const QString& table, int pages)
    {
        const QList<LeafPage> leaves = leafPages(DBPath, table);
        ASSERT_GT(leaves.size(), 4 * pages);
        QList<int> damaged;
        for (int k = 1; k <= pages; ++k)
            damaged.append(leaves[leaves.size() * k / (pages + 1)].page);
        ASSERT_TRUE(overwritePages(DBPath, damaged));
    }

    // Boxes shown since the last call, as "title|text|flags".
    QStringList takeBoxes()
    {
        QMutexLocker lock(&fake.mutex);
        QStringList boxes;
        for (const auto& box : fake.shownBoxes)
            boxes << QStringLiteral("%1|%2|%3").arg(box.title, box.text).arg(box.flags, 0, 16);
        fake.shownBoxes.clear();
        return boxes;
    }

    // Taskbar "no progress" steps: every list or tree thread that owns its
    // window ends with one.
    int endSteps()
    {
        QMutexLocker lock(&fake.mutex);
        int count = 0;
        for (const auto& call : fake.taskbarCalls)
            count += call.what == "state" && call.first == 0;
        return count;
    }
};

// The database with the helpers of the update road's tests.
class UpdateFolderTest : public DatabaseFixture {
protected:
    void addHost(const QString& category, const QString& host, const QString& reserved)
    {
        execSQL(QStringLiteral("INSERT INTO hosts VALUES(:category, :host, :reserved);"),
                {{":category", category}, {":host", host}, {":reserved", reserved}});
    }
    // Many hosts in one transaction, on the database at path.
    static void addHosts(const QString& path, const QString& category, const QStringList& names,
                         const QString& reserved)
    {
        TSQLiteDatabase db(path);
        db.BeginTransaction();
        TSQLiteQuery insert =
            db.PrepareSQL(QStringLiteral("INSERT INTO hosts VALUES(?1, ?2, ?3);"));
        db.BindSQL(insert, 1, category);
        db.BindSQL(insert, 3, reserved);
        for (const QString& name : names) {
            db.BindSQL(insert, 2, name);
            db.ExecSQL(insert);
        }
        db.Commit();
    }
    static QStringList numbered(const QString& pattern, int count)
    {
        QStringList names;
        for (int i = 0; i < count; ++i)
            names << pattern.arg(i);
        return names;
    }
    // Replaces the database by one as older versions made it: the same
    // tables and reserved categories, its text kept as UTF-16.
    static void makeUtf16Database()
    {
        QFile::remove(DBPath);
        TSQLiteDatabase db(DBPath);
        db.ExecSQL(QStringLiteral("PRAGMA encoding = \"UTF-16le\";"));
        for (const char* sql : {"CREATE TABLE categories (catid text,catname text,reserved text);",
                                "CREATE TABLE hosts (category text,host text, reserved text);",
                                "INSERT INTO categories VALUES(\"1\", \"Zeus Bot\", \"Y\");",
                                "INSERT INTO categories VALUES(\"2\", \"Palevo Bot\", \"Y\");",
                                "INSERT INTO categories VALUES(\"3\", \"SpyEye Bot\", \"Y\");",
                                "INSERT INTO categories VALUES(\"4\", \"Yeldcraft\", \"Y\");",
                                "CREATE TABLE probe (\"date\" text,\"time\" text,host text);"})
            db.ExecSQL(QString::fromUtf8(sql));
    }
    QStringList hosts(const QString& category, const QString& reserved = QStringLiteral("Y"))
    {
        TSQLiteDatabase db(DBPath);
        db.AddParamText(QStringLiteral(":category"), category);
        db.AddParamText(QStringLiteral(":reserved"), reserved);
        QStringList result;
        const auto table = db.GetTable(QStringLiteral(
            "SELECT host FROM hosts WHERE category=:category AND reserved=:reserved;"));
        for (; !table->GetEOF(); table->Next())
            result << table->FieldAsString(0);
        return result;
    }
    qint64 hostRows()
    {
        TSQLiteDatabase db(DBPath);
        return db.GetTableValue(QStringLiteral("SELECT COUNT(*) FROM hosts;"));
    }
};

// Answers the next input dialog: the text and OK, or Cancel when none. The
// title, prompt and initial text it showed are kept.
struct InputAnswer {
    QString title;
    QString prompt;
    QString initialText;
    bool shown = false;
};

inline std::shared_ptr<InputAnswer> answerNextInput(std::optional<QString> text)
{
    auto seen = std::make_shared<InputAnswer>();
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, seen, text] {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        timer->stop();
        timer->deleteLater();
        seen->shown = true;
        seen->title = dialog->windowTitle();
        seen->prompt = dialog->labelText();
        seen->initialText = dialog->textValue();
        if (text) {
            dialog->setTextValue(*text);
            dialog->accept();
        } else {
            dialog->reject();
        }
    });
    timer->start(5);
    return seen;
}

// Distinct colours in a picture: a blank one has one.
inline int distinctColours(const QImage& image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    return int(colours.size());
}

// Checks the drawn background of the list's first rows near its right edge:
// white for even rows, light grey for odd ones. No row may be selected or current.
inline void expectRowsWhiteAndLightGrey(QTableView* list, int rows, int column)
{
    const QImage image = list->viewport()->grab().toImage();
    const int x = list->viewport()->width() - 10;
    for (int row = 0; row < rows; ++row) {
        const QRect rect = list->visualRect(list->model()->index(row, column));
        EXPECT_EQ(QColor(image.pixel(x, rect.center().y())),
                  row % 2 ? QColor(249, 247, 244) : QColor(255, 255, 255))
            << row;
    }
}
