// What the program tells the desktop about itself at start.

#include "Platform.h"
#include "UntForms.h"

#include <QApplication>
#include <QMessageBox>
#include <gtest/gtest.h>

namespace {

// Restores the application's desktop entry and icon after a test.
class DesktopIdentityTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        QGuiApplication::setDesktopFileName(m_entry);
        QApplication::setWindowIcon(m_icon);
    }

private:
    QString m_entry = QGuiApplication::desktopFileName();
    QIcon m_icon = QApplication::windowIcon();
};

} // namespace

TEST_F(DesktopIdentityTest, DesktopEntryIsTheOneTheLauncherProgressNames)
{
    identifyProgramToDesktop();
    EXPECT_EQ(QGuiApplication::desktopFileName(), QStringLiteral("solvek-antibot"));
    EXPECT_EQ(QGuiApplication::desktopFileName(), QLatin1String(platform::DesktopEntryName));
}

TEST_F(DesktopIdentityTest, EveryWindowAndBoxShowsTheProgramIconInEverySize)
{
    identifyProgramToDesktop();
    const QList<QSize> sizes = QApplication::windowIcon().availableSizes();
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;

    QMessageBox box;
    EXPECT_EQ(box.windowIcon().availableSizes(), sizes);
    EXPECT_FALSE(box.windowIcon().pixmap(32).isNull());
}
