#pragma once

// A program's windows on a fake platform in a temporary folder: config.ini and
// the database live there, boxes are recorded and answered, and the steps
// that would block or end the test program are replaced.

#include "AppTestSupport.h"
#include "UntAbout.h"
#include "UntMain.h"
#include "UntSettings.h"

#include <QString>
#include <memory>
#include <optional>

class WindowsFixture : public ProgramFolderTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates the windows in the program's order: main window, about box, settings.
    void createWindows();

    QString configValue(const QString& key, const QString& section = QStringLiteral("SOLVEK"));
    void setConfigValue(const QString& key, const QString& value,
                        const QString& section = QStringLiteral("SOLVEK"));
    // Boxes shown since the last call, as "title|text|flags".
    QStringList takeBoxes();

    std::unique_ptr<TFrmMain> main;
    std::unique_ptr<TFrmAbout> about;
    std::unique_ptr<TFrmSettings> settings;

    // What the replaced steps saw.
    std::optional<QString> typedPassword; // the prompt's answer; none = cancel
    int prompts = 0;
    QList<int> endedWith;
    int updatesStarted = 0;
};
