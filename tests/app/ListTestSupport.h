#pragma once

// Helpers of the probe, probe log and hosts manager tests: a database in a
// temporary folder, waiting while the window thread serves the workers, and
// answering the next input dialog as a user would.

#include "FakePlatform.h"
#include "SQLiteTable3.h"
#include "UntSqliteUtils.h"
#include "WaitUntil.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QInputDialog>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <QMutexLocker>

#include <memory>
#include <optional>


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

class DatabaseFixture : public ::testing::Test {
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

    // First column of every row of the query.
    QStringList column(const QString& sql)
    {
        TSQLiteDatabase db(DBPath);
        QStringList values;
        db.GetTableStrings(sql, values);
        return values;
    }

    void exec(const QString& sql, const SqlParams& params = {}) { execSQL(sql, params); }

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

    QTemporaryDir dir;
    platform::ScopedFakePlatform fake;
};
