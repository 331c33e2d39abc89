#include "WindowsFixture.h"

#include "UntAbout.h"
#include "UntHTTPRequestThread.h"
#include "UntINI.h"
#include "UntMain.h"
#include "UntProbeThread.h"
#include "UntSettings.h"
#include "UntSettingsVar.h"
#include "UntSqliteUtils.h"
#include "UntUpdateHosts.h"

#include <QColorDialog>

namespace {
// The steps as the program has them, put back after each test.
struct SavedSteps {
    decltype(promptPassword) prompt = promptPassword;
    decltype(endProcess) end = endProcess;
    decltype(startUpdate) update = startUpdate;
    decltype(createProbe) probe = createProbe;
    decltype(execColorDialog) colorDialog = execColorDialog;
};
SavedSteps* saved = nullptr;
} // namespace

void WindowsFixture::SetUp()
{
    ASSERT_NO_FATAL_FAILURE(ProgramFolderTest::SetUp());
    // The settings values of an earlier test do not leak into this one.
    readSettingsValues();

    saved = new SavedSteps;
    promptPassword = [this](QWidget*) {
        ++prompts;
        return typedPassword;
    };
    endProcess = [this](int code) { endedWith.append(code); };
    startUpdate = [this] { ++updatesStarted; };
    // Tests listen on a free port, never on port 80.
    createProbe = [] { return new TProbe(0); };
    // A dialog the user cancels.
    execColorDialog = [](QColorDialog*) { return false; };
}

void WindowsFixture::TearDown()
{
    // Workers free themselves on the window thread; none may outlive the test.
    if (main && main->probe)
        main->probe->stopListening();
    EXPECT_TRUE(waitUntil([] {
        return TProbe::live() == 0 && TProbeCo::live() == 0 && THTTPRequest::live() == 0 &&
               TUpdateHosts::live() == 0;
    }));
    settings.reset();
    about.reset();
    main.reset();
    promptPassword = saved->prompt;
    endProcess = saved->end;
    startUpdate = saved->update;
    createProbe = saved->probe;
    execColorDialog = saved->colorDialog;
    delete saved;
    saved = nullptr;
}

void WindowsFixture::createWindows()
{
    main = std::make_unique<TFrmMain>();
    about = std::make_unique<TFrmAbout>();
    settings = std::make_unique<TFrmSettings>();
}

QString WindowsFixture::configValue(const QString& key, const QString& section)
{
    return readIni(section, key, QStringLiteral("<missing>"));
}

void WindowsFixture::setConfigValue(const QString& key, const QString& value,
                                    const QString& section)
{
    writeIni(section, key, value);
}

QStringList WindowsFixture::takeBoxes()
{
    QStringList boxes;
    for (const auto& box : fake.shownBoxes)
        boxes << QStringLiteral("%1|%2|0x%3")
                     .arg(box.title, box.text)
                     .arg(box.flags, 2, 16, QChar('0'));
    fake.shownBoxes.clear();
    return boxes;
}
