#pragma once

// A program folder on the fake platform for tests of the update road: the
// database, config.ini and the hosts file live in a temporary folder.

#include "FakePlatform.h"
#include "SQLiteTable3.h"
#include "UntSqliteUtils.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

class UpdateFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        fake.programFolderPath = dir.path() + "/";
        fake.programFilePath = dir.path() + "/solvek-antibot";
        fake.hostsFilePath = dir.path() + "/hosts";
        DBPath = dir.path() + "/solvekdat.db";
        createDB();
    }

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
