#include "IniFile.h"
#include "FileSizeLimit.h"
#include "Unprivileged.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using platform::EIniFileException;
using platform::IniFile;
namespace profile = platform::profile;

namespace {

IniFile iniOf(const QByteArray& bytes)
{
    IniFile ini;
    ini.loadBytes(bytes);
    return ini;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

} // namespace

TEST(IniFileRead, NamesCompareWithoutCaseAndBlanks)
{
    const IniFile ini = iniOf("[Solvek]\r\n  ProxyHost  =  example.org  \r\n");
    EXPECT_EQ(ini.ReadString("SOLVEK", "PROXYHOST", "none"), "example.org");
    EXPECT_EQ(ini.ReadString(" solvek ", "proxyhost", "none"), "example.org");
    EXPECT_EQ(ini.ReadString("SOLVEK", "PROXYPORT", "8080"), "8080");
    EXPECT_EQ(ini.ReadString("OTHER", "PROXYHOST", "none"), "none");
}

TEST(IniFileRead, FirstKeyAndFirstSectionWin)
{
    const IniFile ini = iniOf("[A]\nk=first\nK=second\n[a]\nk=third\nonly=later\n");
    EXPECT_EQ(ini.ReadString("A", "k", ""), "first");
    // The second section of the same name is never consulted.
    EXPECT_EQ(ini.ReadString("A", "only", "missing"), "missing");
    EXPECT_EQ(ini.ReadSections(), QStringList{"A"});
    EXPECT_EQ(ini.ReadSection("a"), QStringList{"k"});
}

TEST(IniFileRead, QuotesAroundTheWholeValueAreDropped)
{
    const IniFile ini =
        iniOf("[S]\na=\"quoted\"\nb='single'\nc=\"open\nd=\"\ne=\"mixed'\nf=in\"side\"\n");
    EXPECT_EQ(ini.ReadString("S", "a", ""), "quoted");
    EXPECT_EQ(ini.ReadString("S", "b", ""), "single");
    EXPECT_EQ(ini.ReadString("S", "c", ""), "\"open");
    EXPECT_EQ(ini.ReadString("S", "d", ""), "\"");
    EXPECT_EQ(ini.ReadString("S", "e", ""), "\"mixed'");
    EXPECT_EQ(ini.ReadString("S", "f", ""), "in\"side\"");
}

TEST(IniFileRead, LinesWithoutEqualsAndCommentsHoldNoKey)
{
    const IniFile ini =
        iniOf("orphan=before any section\n[S]\njust text\n;k=commented\n=nokey\nk=v\n");
    EXPECT_EQ(ini.ReadString("S", "just text", "d"), "d");
    EXPECT_EQ(ini.ReadString("S", ";k", "d"), "d");
    EXPECT_EQ(ini.ReadString("S", "k", "d"), "v");
    EXPECT_EQ(ini.ReadString("", "orphan", "d"), "d");
    EXPECT_EQ(ini.ReadSection("S"), QStringList{"k"});
}

TEST(IniFileRead, ValueIsCutToTheBufferLength)
{
    const QString longValue(3000, QLatin1Char('x'));
    const IniFile ini = iniOf("[S]\nk=" + longValue.toLatin1() + "\n");
    EXPECT_EQ(ini.ReadString("S", "k", "").size(), IniFile::MaxValueLength);
    EXPECT_EQ(ini.ReadString("S", "missing", longValue).size(), IniFile::MaxValueLength);

    // A cut never splits a character outside the basic plane.
    QString pairs = QString(2046, QLatin1Char('y')) + QString::fromUtf8("\xF0\x9F\x98\x80");
    const IniFile withPair = iniOf("[S]\nk=" + pairs.toUtf8() + "\n");
    EXPECT_EQ(withPair.ReadString("S", "k", ""), QString(2046, QLatin1Char('y')));
}

TEST(IniFileRead, EmptyTextAndTextWithoutSections)
{
    EXPECT_EQ(iniOf("").ReadString("S", "k", "d"), "d");
    EXPECT_TRUE(iniOf("").ReadSections().isEmpty());
    const IniFile noSections = iniOf("k=v\nother\n");
    EXPECT_EQ(noSections.ReadString("S", "k", "d"), "d");
    EXPECT_TRUE(noSections.ReadSections().isEmpty());
}

TEST(IniFileRead, NonAsciiNamesAndValues)
{
    const IniFile ini =
        iniOf(QString::fromUtf8("\xEF\xBB\xBF[Größe]\nSchlüssel=Wert ä €\n").toUtf8());
    EXPECT_EQ(ini.ReadString(QString::fromUtf8("GRÖSSE"), "x", "d"), "d");
    EXPECT_EQ(ini.ReadString(QString::fromUtf8("GRÖßE"), QString::fromUtf8("SCHLÜSSEL"), "d"),
              QString::fromUtf8("Wert ä €"));
}

TEST(IniFileRead, IntegersAndSectionExists)
{
    const IniFile ini =
        iniOf("[S]\ndec=-42\nhex=$1F\nc=0x10\nbad=12a\nbig=4294967296\nall=$FFFFFFFF\n[Empty]\n");
    EXPECT_EQ(ini.ReadInteger("S", "dec", 0), -42);
    EXPECT_EQ(ini.ReadInteger("S", "hex", 0), 31);
    EXPECT_EQ(ini.ReadInteger("S", "c", 0), 16);
    EXPECT_EQ(ini.ReadInteger("S", "bad", 7), 7);
    EXPECT_EQ(ini.ReadInteger("S", "big", 7), 7);
    EXPECT_EQ(ini.ReadInteger("S", "all", 7), -1);
    EXPECT_EQ(ini.ReadInteger("S", "missing", 7), 7);
    EXPECT_TRUE(ini.SectionExists("s"));
    EXPECT_FALSE(ini.SectionExists("Empty"));
    EXPECT_FALSE(ini.SectionExists("None"));
}

TEST(IniFileWrite, UntouchedBytesStayExactly)
{
    // Mixed line ends, a comment, odd spacing and bytes that are not valid text.
    const QByteArray original = "; settings\r\n[A]\r\n  k = old \r\nkeep=\xFF\xFE raw\n\n[B]\nx=1";
    IniFile ini = iniOf(original);
    ini.WriteString("a", "K", "new");
    EXPECT_EQ(ini.bytes(),
              QByteArray("; settings\r\n[A]\r\nk=new\r\nkeep=\xFF\xFE raw\n\n[B]\nx=1"));

    ini.WriteString("B", "y", "2");
    EXPECT_EQ(ini.bytes(),
              QByteArray("; settings\r\n[A]\r\nk=new\r\nkeep=\xFF\xFE raw\n\n[B]\nx=1\r\ny=2\r\n"));
}

TEST(IniFileWrite, AddsKeysAtTheEndOfTheSectionAndNewSectionsAtTheEnd)
{
    IniFile ini = iniOf("[A]\nk=v\n\n[B]\nx=1\n");
    ini.WriteString("A", "second", "2");
    ini.WriteString("C", "c", "3");
    EXPECT_EQ(ini.text(), "[A]\nk=v\nsecond=2\n\n[B]\nx=1\n\n[C]\nc=3\n");
    EXPECT_TRUE(ini.isModified());
}

TEST(IniFileWrite, SameValueChangesNothing)
{
    IniFile ini = iniOf("[A]\nk =  v\n");
    ini.WriteString("A", "K", " v ");
    EXPECT_FALSE(ini.isModified());
    EXPECT_EQ(ini.bytes(), QByteArray("[A]\nk =  v\n"));
}

TEST(IniFileWrite, LineBreaksInAValueCannotAddKeys)
{
    IniFile ini;
    ini.WriteString("A", "k", "one\n[B]\nx=2");
    EXPECT_EQ(ini.ReadString("A", "k", ""), "one [B] x=2");
    EXPECT_FALSE(ini.SectionExists("B"));
}

TEST(IniFileWrite, EraseSectionRemovesEveryCopyAndKeepsTheRest)
{
    IniFile ini = iniOf("[A]\na=1\n[B]\nb=1\n; about b\n[a]\na=2\n[C]\nc=1\n");
    ini.EraseSection("A");
    EXPECT_EQ(ini.bytes(), QByteArray("[B]\nb=1\n; about b\n[C]\nc=1\n"));
    ini.WriteInteger("B", "n", -5);
    EXPECT_EQ(ini.ReadInteger("B", "n", 0), -5);
}

TEST(IniFileWrite, ReadsFollowEveryWriteAndErase)
{
    IniFile ini = iniOf("[A]\na=1\n\n[B]\nb=1\n[a]\nx=9\n[C]\nc=1\n");
    // A key added to the first section moves every line after it.
    ini.WriteString("A", "second", "2");
    EXPECT_EQ(ini.ReadString("A", "second", ""), "2");
    EXPECT_EQ(ini.ReadString("B", "b", ""), "1");
    EXPECT_EQ(ini.ReadString("C", "c", ""), "1");
    ini.WriteString("B", "k=v", "w");
    EXPECT_EQ(ini.ReadString("B", "k", ""), "v=w");
    EXPECT_EQ(ini.ReadSection("B"), QStringList({"b", "k"}));
    ini.WriteString("C", "d", "4");
    // A key name that reads as a header starts a section without keys.
    ini.WriteString("C", "[E]", "5");
    ini.WriteString("E", "e", "6");
    ini.WriteString("C", "after", "7");
    EXPECT_EQ(ini.ReadSections(), QStringList({"A", "B", "C", "E"}));
    EXPECT_EQ(ini.ReadSection("C"), QStringList({"c", "d", "after"}));
    EXPECT_EQ(ini.ReadString("E", "e", ""), "6");
    EXPECT_EQ(ini.ReadString("C", "after", ""), "7");
    EXPECT_EQ(ini.text(), "[A]\na=1\nsecond=2\n\n[B]\nb=1\nk=v=w\n[a]\nx=9\n"
                          "[C]\nc=1\nd=4\nafter=7\n[E]=5\ne=6\n");

    ini.EraseSection("a");
    EXPECT_EQ(ini.ReadString("A", "a", "gone"), "gone");
    EXPECT_EQ(ini.ReadString("E", "e", ""), "6");
    ini.WriteString("A", "a", "3");
    EXPECT_EQ(ini.ReadSections(), QStringList({"B", "C", "E", "A"}));
    EXPECT_EQ(ini.ReadString("A", "a", ""), "3");
    EXPECT_EQ(ini.ReadString("C", "d", ""), "4");
}

TEST(IniFileWrite, KeysAddedBeforeAnEmptyLastSectionStayInTheirSection)
{
    // Each new key goes in at the header of [b], the last line the index holds.
    IniFile ini = iniOf("[a]\nx=1\n[b]\n");
    ini.WriteString("a", "y", "2");
    ini.WriteString("a", "z", "3");
    EXPECT_EQ(ini.ReadSection("a"), QStringList({"x", "y", "z"}));
    EXPECT_TRUE(ini.ReadSection("b").isEmpty());
    EXPECT_EQ(ini.text(), "[a]\nx=1\ny=2\nz=3\n[b]\n");
}

TEST(IniFileWrite, TextRoundTripOfNonAsciiValues)
{
    IniFile ini;
    const QString value = QString::fromUtf8("Привет, 東京 \xF0\x9F\x98\x80");
    ini.WriteString("S", QString::fromUtf8("ключ"), value);
    IniFile again;
    again.loadText(ini.text());
    EXPECT_EQ(again.ReadString("s", QString::fromUtf8("КЛЮЧ"), ""), value);
    IniFile fromBytes = iniOf(ini.bytes());
    EXPECT_EQ(fromBytes.ReadString("S", QString::fromUtf8("ключ"), ""), value);
}

TEST(Profile, MissingFileGivesTheDefaultAndIsNotCreatedByAReadOrAnErase)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("config.ini");
    EXPECT_EQ(profile::readString(path, "SOLVEK", "PGCOLOR", "clLime"), "clLime");
    EXPECT_FALSE(QFileInfo::exists(path));
    profile::eraseSection(path, "DBMD5");
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST(Profile, WriteCreatesTheFileAndKeepsOtherLines)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("config.ini");
    profile::writeString(path, "SOLVEK", "PROXYPORT", "3128");
    EXPECT_EQ(readAll(path), QByteArray("[SOLVEK]\nPROXYPORT=3128\n"));

    writeAll(path, "# by hand\r\n[INFO]\r\nlastupdate=x\r\n[SOLVEK]\r\nPROXYPORT=3128\r\n");
    profile::writeString(path, "solvek", "proxyport", "8080");
    profile::writeString(path, "DBMD5", "1", "abc");
    EXPECT_EQ(readAll(path), QByteArray("# by hand\r\n[INFO]\r\nlastupdate=x\r\n[SOLVEK]\r\n"
                                        "PROXYPORT=8080\r\n\r\n[DBMD5]\r\n1=abc\r\n"));
    EXPECT_EQ(profile::readString(path, "INFO", "lastupdate", "Never"), "x");
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files) == QStringList{"config.ini"})
        << "no temporary file left behind";
}

TEST(Profile, ANewFileIsReadableByItsOwnerOnly)
{
    // It holds the proxy password.
    QTemporaryDir dir;
    const QString path = dir.filePath("config.ini");
    profile::writeString(path, "SOLVEK", "PROXYPWD", "secret");
    EXPECT_EQ(QFile::permissions(path),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
}

TEST(Profile, RefusedWriteRaisesWithThePath)
{
    // A folder that is a plain file refuses every user, root included.
    QTemporaryDir dir;
    const QString notAFolder = dir.filePath("plain");
    writeAll(notAFolder, "x");
    const QString path = notAFolder + "/config.ini";
    try {
        profile::writeString(path, "SOLVEK", "PROBE", "1");
        FAIL() << "no exception";
    } catch (const EIniFileException& e) {
        EXPECT_EQ(e.message(), "Unable to write to " + path +
                                   ": no new file can be made in its folder \"" + notAFolder +
                                   "\" (Not a directory)");
    }
    EXPECT_THROW(profile::writeString(dir.filePath("missing/config.ini"), "S", "k", "v"),
                 EIniFileException);
}

namespace {

// "refused" when the write raised, "written" when it did not.
QString writeOutcome(const QString& path, const QString& value)
{
    try {
        profile::writeString(path, "S", "k", value);
    } catch (const EIniFileException&) {
        return QStringLiteral("refused");
    }
    return QStringLiteral("written");
}

} // namespace

TEST(Profile, UnwritableFolderOrFileRaises)
{
    // In a child that the permission bits stop even when the tests run as root;
    // it works in a folder of its own and answers what each write did.
    const QString outcome = runUnprivileged([] {
        QTemporaryDir dir;
        const QString locked = dir.filePath("locked");
        if (!dir.isValid() || !QDir().mkdir(locked) ||
            !QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner))
            return QStringLiteral("could not make a locked folder");
        QStringList seen{writeOutcome(locked + "/config.ini", "v")};
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        const QString path = dir.filePath("config.ini");
        QFile file(path);
        const bool written = file.open(QIODevice::WriteOnly) && file.write("[S]\nk=v\n") == 8;
        file.close();
        if (!written || !QFile::setPermissions(path, QFile::ReadOwner))
            return QStringLiteral("could not make a read-only file");
        seen << writeOutcome(path, "changed") << profile::readString(path, "S", "k", "");
        return seen.join(u'|');
    });
    EXPECT_EQ(outcome.toStdString(), "refused|refused|v");
}

TEST(Profile, UnreadableExistingFileIsNotReplaced)
{
    // A folder in the file's place cannot be read as text; writing must not wipe it.
    QTemporaryDir dir;
    const QString path = dir.filePath("config.ini");
    ASSERT_TRUE(QDir().mkdir(path));
    EXPECT_THROW(profile::writeString(path, "S", "k", "v"), EIniFileException);
    EXPECT_EQ(profile::readString(path, "S", "k", "d"), "d");
    EXPECT_TRUE(QFileInfo(path).isDir());
}

TEST(Profile, AWriteCutShortKeepsTheOldFileAndRaises)
{
    // As on a full disk: the write fails partway, here at the file-size limit.
    QTemporaryDir dir;
    const QString path = dir.filePath("config.ini");
    const QByteArray old = "[SOURCES]\r\n1=https://lists.example/a\r\n[INFO]\r\nlastupdate=x\r\n";
    writeAll(path, old);
    const QString fresh = dir.filePath("new.ini");
    const QString longValue(4096, QLatin1Char('p'));
    {
        FileSizeLimit limit(old.size());
        ASSERT_TRUE(limit.isSet());
        try {
            profile::writeString(path, "SOLVEK", "PROXYHOST", longValue);
            FAIL() << "a cut write raised nothing";
        } catch (const EIniFileException& e) {
            EXPECT_EQ(e.message(), "Unable to write to " + path + ": File too large");
        }
        // A first start on a full disk makes no empty file.
        EXPECT_THROW(profile::writeString(fresh, "SOLVEK", "PROXYHOST", longValue),
                     EIniFileException);
    }
    EXPECT_EQ(readAll(path), old);
    EXPECT_FALSE(QFileInfo::exists(fresh));
    // No temporary file is left behind.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).join(u' ').toStdString(),
              "config.ini");
}

TEST(Profile, RootKeepsTheOwnerOfAUsersFile)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving a file to another user needs root";
    QTemporaryDir dir;
    const QString path = dir.filePath("config.ini");
    writeAll(path, "[S]\nk=v\n");
    const QByteArray name = QFile::encodeName(path);
    ASSERT_EQ(::chown(name.constData(), 4321, 4322), 0);
    ASSERT_EQ(::chmod(name.constData(), 0600), 0);
    profile::writeString(path, "S", "k", "w");
    struct stat info {};
    ASSERT_EQ(::stat(name.constData(), &info), 0);
    EXPECT_EQ(info.st_uid, 4321u);
    EXPECT_EQ(info.st_gid, 4322u);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    EXPECT_EQ(profile::readString(path, "S", "k", ""), "w");
}

namespace {

constexpr uid_t Nobody = 65534; // the user runUnprivileged drops to, with its group

// "<owner>:<group> <mode in octal>", or "missing".
QString ownerAndMode(const QString& path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return QStringLiteral("missing");
    return QStringLiteral("%1:%2 %3")
        .arg(info.st_uid)
        .arg(info.st_gid)
        .arg(info.st_mode & 07777, 0, 8);
}

// A file with the given owner, group and mode, made by root.
void makeFileOf(const QString& path, uid_t owner, gid_t group, mode_t mode)
{
    writeAll(path, "[S]\nk=v\n");
    const QByteArray name = QFile::encodeName(path);
    ASSERT_EQ(::chown(name.constData(), owner, group), 0);
    ASSERT_EQ(::chmod(name.constData(), mode), 0);
}

// A folder of the user the unprivileged child runs as, as its config folder is.
class UsersFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "files of other users need root";
        ASSERT_TRUE(dir.isValid());
        ASSERT_EQ(::chown(QFile::encodeName(dir.path()).constData(), Nobody, Nobody), 0);
    }
    QTemporaryDir dir;
};

} // namespace

TEST_F(UsersFolder, AUserWhoCannotKeepTheOwnerAndGroupMakesTheFileTheirOwn)
{
    // The user's own file whose group is root's, as "chown user" leaves a root run's
    // file, a file of root's that all may write, and one of root's shared with a
    // group the user is in, though it is not the user's own group.
    constexpr gid_t Staff = 4350;
    const QString chowned = dir.filePath("config.ini");
    const QString shared = dir.filePath("shared.ini");
    const QString staffs = dir.filePath("staff.ini");
    makeFileOf(chowned, Nobody, 0, 0640);
    makeFileOf(shared, 0, 0, 0666);
    makeFileOf(staffs, 0, Staff, 0660);
    const QString outcome = runUnprivileged(
        [&] {
            QStringList seen;
            for (const QString& path : {chowned, shared, staffs}) {
                try {
                    profile::writeString(path, "S", "k", "w");
                    seen << profile::readString(path, "S", "k", "");
                } catch (const EIniFileException& e) {
                    seen << e.message();
                }
            }
            return seen.join(u'|');
        },
        {Staff});
    EXPECT_EQ(outcome.toStdString(), "w|w|w");
    // A group that cannot be kept gives the user's own group no access.
    EXPECT_EQ(ownerAndMode(chowned).toStdString(), "65534:65534 600");
    EXPECT_EQ(ownerAndMode(shared).toStdString(), "65534:65534 606");
    EXPECT_EQ(ownerAndMode(staffs).toStdString(), "65534:4350 660");
}

TEST_F(UsersFolder, AWriteRemovesEveryLeftoverInTheUsersFolderButARunningWritesFile)
{
    // Root's writes killed midway leave root's owner-only files the user cannot open.
    const QString path = dir.filePath("config.ini");
    makeFileOf(path, Nobody, 0, 0600);
    const QString killed = dir.filePath(".config.ini.solvek-Ab12Cd");
    const QString running = dir.filePath(".config.ini.solvek-Xy34Zw");
    for (const QString& leftover : {killed, running}) {
        makeFileOf(leftover, 0, 0, 0600);
        // Written to last a while ago, as a leftover found at a later start.
        const struct timespec old[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(leftover).constData(), old, 0), 0);
    }
    QFile held(running);
    ASSERT_TRUE(held.open(QIODevice::ReadOnly));
    ASSERT_EQ(::flock(held.handle(), LOCK_EX), 0);

    const QString outcome = runUnprivileged([&] {
        try {
            profile::writeString(path, "S", "k", "w");
        } catch (const EIniFileException& e) {
            return e.message();
        }
        return QStringLiteral("written");
    });
    EXPECT_EQ(outcome.toStdString(), "written");
    EXPECT_FALSE(QFileInfo::exists(killed));
    EXPECT_TRUE(QFileInfo::exists(running));
}

TEST(Profile, WriteKeepsTheFilePermissions)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("config.ini");
    writeAll(path, "[S]\nk=v\n");
    const auto permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser |
                             QFile::WriteUser | QFile::ReadGroup;
    ASSERT_TRUE(QFile::setPermissions(path, permissions));
    profile::writeString(path, "S", "k", "w");
    EXPECT_EQ(QFile::permissions(path), permissions);
}

TEST(Profile, WritesFromTwoThreadsAreAllKept)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("config.ini");
    const auto writeKeys = [&](const QString& prefix) {
        for (int i = 0; i < 40; ++i)
            profile::writeString(path, "S", prefix + QString::number(i), QString::number(i));
    };
    std::thread other(writeKeys, QStringLiteral("a"));
    writeKeys(QStringLiteral("b"));
    other.join();
    IniFile ini;
    ASSERT_TRUE(ini.loadFile(path));
    EXPECT_EQ(ini.ReadSection("S").size(), 80);
}
