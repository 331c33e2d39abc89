#include "FakePlatform.h"
#include "UntINI.h"
#include "UntSettingsVar.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Every test gets its own program folder with its own config.ini.
class Settings : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        fake.configFolderPath = folder.path() + "/";
        // Values left by an earlier test must not pass for values read now.
        SETTINGS_PGCOLOR = "stale";
        SETTINGS_SHOWBALLOON = SETTINGS_USEPROXY = SETTINGS_PROBE = SETTINGS_USEPWD = true;
        SETTINGS_PROXYHOST = SETTINGS_PROXYUSER = SETTINGS_PROXYPWD = SETTINGS_PWD = "stale";
        SETTINGS_PROXYPORT = 1;
    }

    QString configPath() const { return folder.filePath("config.ini"); }

    void writeConfig(const QByteArray& bytes) const
    {
        QFile file(configPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

    QByteArray configBytes() const
    {
        QFile file(configPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir folder;
    platform::ScopedFakePlatform fake;
};

} // namespace

TEST_F(Settings, NoFileGivesTheDefaultsAndCreatesNothing)
{
    readSettingsValues();
    EXPECT_EQ(SETTINGS_PGCOLOR, "clLime");
    EXPECT_EQ(SETTINGS_PROXYPORT, 8080);
    EXPECT_FALSE(SETTINGS_SHOWBALLOON);
    EXPECT_FALSE(SETTINGS_USEPROXY);
    EXPECT_FALSE(SETTINGS_PROBE);
    EXPECT_FALSE(SETTINGS_USEPWD);
    EXPECT_TRUE(SETTINGS_PROXYHOST.isEmpty());
    EXPECT_TRUE(SETTINGS_PROXYUSER.isEmpty());
    EXPECT_TRUE(SETTINGS_PROXYPWD.isEmpty());
    EXPECT_TRUE(SETTINGS_PWD.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(configPath()));
    EXPECT_EQ(settingsFilePath(), folder.path() + "/config.ini");
}

TEST_F(Settings, EveryKeyIsReadFromSectionSolvek)
{
    writeConfig("[SOLVEK]\r\nPGCOLOR=$00FF8000\r\nSHOWBALLOON=1\r\nUSEPROXY=1\r\n"
                "PROXYHOST=proxy.local\r\nPROXYPORT=3128\r\nPROXYUSER=me\r\nPROXYPWD=secret\r\n"
                "PROBE=1\r\nUSEPWD=1\r\nPWD=0123456789abcdef0123456789abcdef\r\n");
    readSettingsValues();
    EXPECT_EQ(SETTINGS_PGCOLOR, "$00FF8000");
    EXPECT_TRUE(SETTINGS_SHOWBALLOON);
    EXPECT_TRUE(SETTINGS_USEPROXY);
    EXPECT_EQ(SETTINGS_PROXYHOST, "proxy.local");
    EXPECT_EQ(SETTINGS_PROXYPORT, 3128);
    EXPECT_EQ(SETTINGS_PROXYUSER, "me");
    EXPECT_EQ(SETTINGS_PROXYPWD, "secret");
    EXPECT_TRUE(SETTINGS_PROBE);
    EXPECT_TRUE(SETTINGS_USEPWD);
    EXPECT_EQ(SETTINGS_PWD, "0123456789abcdef0123456789abcdef");
}

TEST_F(Settings, PortKeepsItsLowSixteenBits)
{
    writeConfig("[SOLVEK]\nPROXYPORT=70000\n");
    readSettingsValues();
    EXPECT_EQ(SETTINGS_PROXYPORT, 4464);
}

TEST_F(Settings, PortThatIsNoWholeNumberKeepsTheDefaultAndLaterKeysAreRead)
{
    for (const QByteArray& port :
         {QByteArray("abc"), QByteArray("80.5"), QByteArray("99999999999")}) {
        writeConfig("[SOLVEK]\nPROXYPORT=" + port + "\nPROXYUSER=after\nUSEPWD=1\nPWD=d\n");
        readSettingsValues();
        EXPECT_EQ(SETTINGS_PROXYPORT, 8080) << port.constData();
        EXPECT_EQ(SETTINGS_PROXYUSER, "after");
        EXPECT_TRUE(SETTINGS_USEPWD);
        EXPECT_EQ(SETTINGS_PWD, "d");
    }
}

TEST_F(Settings, SwitchesAreOnForEveryTextButZero)
{
    writeConfig("[SOLVEK]\nUSEPWD=\nPROBE=yes\nSHOWBALLOON=0\n");
    readSettingsValues();
    EXPECT_TRUE(SETTINGS_USEPWD);
    EXPECT_TRUE(SETTINGS_PROBE);
    EXPECT_FALSE(SETTINGS_SHOWBALLOON);
    EXPECT_FALSE(SETTINGS_USEPROXY); // missing counts as off

    EXPECT_EQ(boolToIniStr(true), "1");
    EXPECT_EQ(boolToIniStr(false), "0");
    EXPECT_TRUE(iniStrToBool(""));
    EXPECT_TRUE(iniStrToBool("00"));
    EXPECT_FALSE(iniStrToBool("0"));
}

TEST_F(Settings, EmptyFileOrFileWithoutSectionsGivesTheDefaults)
{
    for (const QByteArray& text : {QByteArray(""), QByteArray("PGCOLOR=clRed\nPROXYPORT=1\n")}) {
        writeConfig(text);
        readSettingsValues();
        EXPECT_EQ(SETTINGS_PGCOLOR, "clLime");
        EXPECT_EQ(SETTINGS_PROXYPORT, 8080);
        EXPECT_FALSE(SETTINGS_USEPWD);
    }
}

TEST_F(Settings, WriteThenReadRoundTrip)
{
    const QString host = QString::fromUtf8("прокси.пример.рф");
    const QString password = QString::fromUtf8("pässwörd € 東京");
    writeIni("SOLVEK", "PROXYHOST", host);
    writeIni("SOLVEK", "PROXYPWD", password);
    writeIni("INFO", "lastupdate", "07/12/2026 - 04:28:58");
    EXPECT_EQ(readIni("SOLVEK", "PROXYHOST", ""), host);
    EXPECT_EQ(readIni("solvek", "proxypwd", ""), password);
    EXPECT_EQ(readIni("INFO", "lastupdate", "Never"), "07/12/2026 - 04:28:58");
    EXPECT_EQ(readIni("INFO", "other", "Never"), "Never");
    // The file is the 8-bit text of the locale.
    EXPECT_TRUE(configBytes().contains(host.toLocal8Bit()));

    writeIni("SOLVEK", "PROXYHOST", "plain");
    readSettingsValues();
    EXPECT_EQ(SETTINGS_PROXYHOST, "plain");
    EXPECT_EQ(SETTINGS_PROXYPWD, password);
}

TEST_F(Settings, VeryLongValuesComeBackCut)
{
    const QString longValue(5000, QLatin1Char('h'));
    writeIni("SOLVEK", "PROXYHOST", longValue);
    EXPECT_TRUE(configBytes().contains(longValue.toLatin1()));
    EXPECT_EQ(readIni("SOLVEK", "PROXYHOST", ""), longValue.left(2047));
}

TEST_F(Settings, RefusedWriteRaisesWithThePath)
{
    // A plain file where the program folder should be refuses every user.
    writeConfig("x");
    fake.configFolderPath = configPath() + "/";
    try {
        writeIni("SOLVEK", "PROBE", "1");
        FAIL() << "no exception";
    } catch (const EIniFileException& e) {
        EXPECT_EQ(e.message(), "Unable to write to " + configPath() +
                                   "/config.ini: no new file can be made in its folder \"" +
                                   configPath() + "\" (Not a directory)");
    }
}
