#pragma once

#include "SQLiteTable3.h"

#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

// Each test gets a fresh folder; databases live there as real files.
class SqliteTest : public ::testing::Test {
protected:
    QString path(const QString& name = QStringLiteral("test.db")) const
    {
        return dir.filePath(name);
    }

    // Runs the statement and answers the message it raised ("" when none).
    static QString messageOf(const std::function<void()>& action)
    {
        try {
            action();
        } catch (const ESQLiteException& e) {
            return e.message();
        }
        return QString();
    }

    static qint64 countRows(TSQLiteDatabase& db, const QString& table)
    {
        return db.GetTableValue(QStringLiteral("SELECT COUNT(*) FROM ") + table);
    }

    QTemporaryDir dir;
};
