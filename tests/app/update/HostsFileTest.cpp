#include "HostsFile.h"
#include "PresentHosts.h"
#include "SystemText.h"

#include "AppTestSupport.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString q(const char* text)
{
    return QString::fromUtf8(text);
}

class HostsFileTest : public ProgramFolderTest {
protected:
    void TearDown() override { hostsfile_testing::afterHalfWritten = nullptr; }

    // Files in the folder other than the hosts file: temporary files left behind.
    QStringList strayFiles() const
    {
        QStringList names = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        names.removeAll(QStringLiteral("hosts"));
        return names;
    }
    QString makeFile(const QString& name) const
    {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << name.toStdString();
        file.write("half a hosts file");
        return file.fileName();
    }
    mode_t mode() const { return modeOf(fake.hostsFilePath); }
    static mode_t modeOf(const QString& path)
    {
        struct stat info {};
        ::stat(QFile::encodeName(path).constData(), &info);
        return info.st_mode & 07777;
    }
};

} // namespace

TEST(SystemText, LinesEndAtCrLfOrCrLf)
{
    QStringList lines;
    systemtext::forEachLine(u"a\rb\nc\r\nd\n\ne", [&](QStringView line, qsizetype index) {
        EXPECT_EQ(index, lines.size());
        lines.append(line.toString());
    });
    EXPECT_EQ(lines, QStringList({"a", "b", "c", "d", "", "e"}));
    EXPECT_EQ(systemtext::countLines(u""), 0);
    EXPECT_EQ(systemtext::countLines(u"a\r\n"), 1);
    EXPECT_EQ(systemtext::countLines(u"\r\n"), 1);
    EXPECT_EQ(systemtext::countLines(u"a\n\r"), 2); // LF then a lone CR: two line ends
    using systemtext::LineEnd;
    EXPECT_EQ(systemtext::withCrLf(u"a\nb"), q("a\r\nb\r\n"));
    EXPECT_EQ(systemtext::withLineEndsWithoutBlankLines(u"a\r\n\r\n   \r\nb\r\n", LineEnd::CrLf),
              q("a\r\nb\r\n"));
    EXPECT_EQ(systemtext::withLineEndsWithoutBlankLines(u" a \t\r\n\t\r\n", LineEnd::CrLf),
              q(" a \t\r\n"));
}

TEST(SystemText, BytesThatAreNotUtf8SurviveARoundTrip)
{
    const QByteArray bytes("caf\xE9 \xC3\xA9t\xE9\xFF\xC0\x80 \xED\xA0\x80 ok\xF0\x9F\x98\x80");
    const QString text = systemtext::decode(bytes);
    EXPECT_TRUE(systemtext::hasUndecodedBytes(text));
    EXPECT_TRUE(text.startsWith(u"caf"));
    EXPECT_TRUE(text.contains(u" \u00e9t"));
    EXPECT_EQ(systemtext::encode(text), bytes);
    EXPECT_FALSE(systemtext::hasUndecodedBytes(systemtext::decode("plain \xC3\xA9")));
    // A real character whose low surrogate lies in the escape range is no escape.
    EXPECT_FALSE(systemtext::hasUndecodedBytes(QString::fromUtf8("\xF0\x9F\x92\x80")));
}

TEST(SystemText, ByteOrderMarkSelectsTheEncoding)
{
    EXPECT_EQ(systemtext::decodeWithByteOrderMark("\xEF\xBB\xBF\xC3\xA9"), q("\u00e9"));
    EXPECT_EQ(systemtext::decodeWithByteOrderMark(QByteArray("\xFF\xFE"
                                                             "a\0\xE9\0",
                                                             6)),
              q("a\u00e9"));
    EXPECT_EQ(systemtext::decodeWithByteOrderMark(QByteArray("\xFE\xFF\0a\0\xE9", 6)),
              q("a\u00e9"));
    EXPECT_EQ(systemtext::decodeWithByteOrderMark("abc"), q("abc"));
}

TEST(HostInText, BlocksOnlyWholeNamesOnNonCommentLines)
{
    const QString text = q("127.0.0.1 notbad.com\r\n# bad.org is bad\r\n"
                           "0.0.0.0\tOne.com two.com # three.com\r\n"
                           "  127.0.0.1   spaced.com  \r\n127.0.0.1 0.0.0.0 multi.com\r\n"
                           "127.0.0.1 #word\r\n");
    EXPECT_TRUE(hostInText(q("notbad.com"), text));
    EXPECT_FALSE(hostInText(q("bad.com"), text));
    EXPECT_FALSE(hostInText(q("BAD.COM"), text));
    EXPECT_FALSE(hostInText(q("bad.org"), text));   // only in a comment line
    EXPECT_FALSE(hostInText(q("three.com"), text)); // after "#"
    EXPECT_TRUE(hostInText(q("one.com"), text));
    EXPECT_TRUE(hostInText(q("TWO.COM"), text));
    EXPECT_TRUE(hostInText(q("spaced.com"), text));
    EXPECT_FALSE(hostInText(q("127.0.0.1"), text)); // an address is no name
    // Hosts the block lists give with blanks, and their own lines.
    EXPECT_TRUE(hostInText(q("0.0.0.0 multi.com"), text));
    EXPECT_TRUE(hostInText(q("#word"), text));
    EXPECT_FALSE(hostInText(QString(), text));
    EXPECT_FALSE(hostInText(q("  "), text));
}

TEST(HostInText, EveryAppendedBlockLineCountsItsHost)
{
    // Whatever a host holds, its own block line must block it, or every
    // refresh would append it again.
    for (const char* host :
         {"a.com", "A.Com", "0.0.0.0 a.com", "#x", "a.com # b", "x\ty", "é.com"}) {
        const QString line = BlockLinePrefix.toString() + q(host) + q("\r\n");
        EXPECT_TRUE(hostInText(q(host), line)) << host;
    }
}

TEST_F(HostsFileTest, ReadLeavesTheModeSplitsLinesAndFlushes)
{
    writeHostsFile("a\rb\nc\r\nlast");
    ::chmod(QFile::encodeName(fake.hostsFilePath).constData(), 0444);

    // The first line ends with a lone CR, so every line ends with LF.
    EXPECT_EQ(getHostsFile(), q("a\nb\nc\nlast\n"));
    EXPECT_FALSE(fake.readOnlyCalls.contains(fake.hostsFilePath));
    EXPECT_EQ(mode(), 0444u); // a write that follows never needs it writable
    EXPECT_EQ(fake.resolverFlushes, 1);
    EXPECT_EQ(getWindowsDir(), QDir(dir.path()).absolutePath());
}

TEST_F(HostsFileTest, AFailedReadNamesTheFileAndStillFlushes)
{
    try {
        getHostsFile();
        FAIL() << "reading a missing file succeeded";
    } catch (const EHostsFileError& error) {
        EXPECT_TRUE(error.message().contains(fake.hostsFilePath)) << error.what();
        EXPECT_TRUE(error.message().contains(q("No such file"))) << error.what();
    }
    EXPECT_EQ(fake.resolverFlushes, 1);
}

TEST_F(HostsFileTest, RefreshWriteDropsBlankLinesLeavesItReadOnlyAndFlushes)
{
    writeHostsFile("old\r\n");
    setHostsFile(q("a\r\n\r\n   \r\nb"), BlankLines::Drop);
    EXPECT_EQ(hostsFileBytes(), QByteArray("a\r\nb\r\n"));
    EXPECT_EQ(fake.readOnlyCalls.value(fake.hostsFilePath), true);
    EXPECT_EQ(mode(), 0444u);
    EXPECT_EQ(fake.resolverFlushes, 1);
    EXPECT_TRUE(strayFiles().isEmpty()) << strayFiles().join(u' ').toStdString();
}

TEST_F(HostsFileTest, TheNewFileIsReadOnlyBeforeItReplacesTheOldOne)
{
    writeHostsFile("old\r\n");
    ::chmod(QFile::encodeName(fake.hostsFilePath).constData(), 0644);
    HostsFileWriter writer(BlankLines::Drop, systemtext::LineEnd::CrLf);
    writer.write("new\r\n");
    EXPECT_EQ(mode(), 0644u); // the old file's mode is left alone

    // A folder in the old file's place makes the rename fail, so the new file
    // keeps its temporary name and the mode it had when it was to take the
    // hosts file's.
    ASSERT_TRUE(QFile::remove(fake.hostsFilePath));
    ASSERT_TRUE(QDir().mkdir(fake.hostsFilePath));
    EXPECT_THROW(writer.commit(), EHostsFileError);
    ASSERT_EQ(strayFiles().size(), 1);
    EXPECT_EQ(modeOf(dir.filePath(strayFiles().front())), 0444u);
}

TEST_F(HostsFileTest, ManagerWriteKeepsBlankLinesAndDoesNotFlush)
{
    writeHostsFile("old\r\n");
    setHostsFile(q("a\r\n\r\nb\r\n"), BlankLines::Keep);
    EXPECT_EQ(hostsFileBytes(), QByteArray("a\r\n\r\nb\r\n"));
    EXPECT_EQ(mode(), 0444u);
    EXPECT_EQ(fake.resolverFlushes, 0);
}

TEST_F(HostsFileTest, UnicodeFileIsWrittenBackInThe8BitFormWithoutMark)
{
    writeHostsFile("\xEF\xBB\xBF"
                   "127.0.0.1 caf\xC3\xA9.com\r\n");
    setHostsFile(getHostsFile(), BlankLines::Drop);
    EXPECT_EQ(hostsFileBytes(), QByteArray("127.0.0.1 caf\xC3\xA9.com\r\n"));

    writeHostsFile(QByteArray("\xFF\xFE"
                              "a\0\r\0\n\0",
                              8));
    setHostsFile(getHostsFile(), BlankLines::Drop);
    EXPECT_EQ(hostsFileBytes(), QByteArray("a\r\n"));
}

TEST_F(HostsFileTest, UserLinesKeepTheirExactBytes)
{
    const QByteArray user("# caf\xE9 in Latin-1\r\n10.0.0.1\tnas  # \xFF\xFE\r\n");
    writeHostsFile(user);
    setHostsFile(getHostsFile() + q("127.0.0.1 a.com\r\n"), BlankLines::Drop);
    EXPECT_EQ(hostsFileBytes(), user + "127.0.0.1 a.com\r\n");
}

TEST_F(HostsFileTest, AnInterruptedWriteLeavesTheOldFileWhole)
{
    const QByteArray old = "# the user's own\r\n10.0.0.1 nas\r\n";
    writeHostsFile(old);
    hostsfile_testing::afterHalfWritten = [] { throw std::runtime_error("power lost"); };
    QString big = getHostsFile();
    for (int i = 0; i < 10000; ++i)
        big += QStringLiteral("127.0.0.1 host%1.com\r\n").arg(i);

    EXPECT_THROW(setHostsFile(big, BlankLines::Drop), std::runtime_error);
    EXPECT_EQ(hostsFileBytes(), old);
    EXPECT_TRUE(strayFiles().isEmpty()) << strayFiles().join(u' ').toStdString();
    EXPECT_EQ(mode(), 0444u); // read-only again, also after the failure
}

TEST_F(HostsFileTest, AFailedWriteNamesTheFileAndReason)
{
    const QString folder = dir.filePath(QStringLiteral("missing-folder"));
    fake.hostsFilePath = folder + q("/hosts");
    // As for a user who does not own the file: making it read-only is refused too.
    fake.readOnlyRefusal = EPERM;
    try {
        setHostsFile(q("a"), BlankLines::Drop);
        FAIL() << "writing into a missing folder succeeded";
    } catch (const EHostsFileError& error) {
        EXPECT_TRUE(
            error.message().startsWith(q("Could not write the hosts file \"") + fake.hostsFilePath))
            << error.what();
        EXPECT_TRUE(error.message().contains(q("its folder \"") + folder + q("\" (No such file")))
            << error.what();
    }
}

TEST_F(HostsFileTest, WriteReplacesTheTargetOfALinkAndKeepsTheLink)
{
    const QString target = dir.filePath(QStringLiteral("real-hosts"));
    QFile real(target);
    ASSERT_TRUE(real.open(QIODevice::WriteOnly));
    real.write("old\r\n");
    real.close();
    fake.hostsFilePath = dir.filePath(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(target, fake.hostsFilePath));

    setHostsFile(q("new"), BlankLines::Drop);
    EXPECT_TRUE(QFileInfo(fake.hostsFilePath).isSymLink());
    QFile check(target);
    ASSERT_TRUE(check.open(QIODevice::ReadOnly));
    EXPECT_EQ(check.readAll(), QByteArray("new\r\n"));
}

TEST_F(HostsFileTest, WriteKeepsTheOwner)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "changing a file's owner needs root";
    writeHostsFile("old\r\n");
    ASSERT_EQ(::chown(QFile::encodeName(fake.hostsFilePath).constData(), 4321, 4322), 0);
    setHostsFile(q("new"), BlankLines::Drop);
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(fake.hostsFilePath).constData(), &info), 0);
    EXPECT_EQ(info.st_uid, 4321u);
    EXPECT_EQ(info.st_gid, 4322u);
}

TEST_F(HostsFileTest, AWriteRemovesLeftoversOfItsOwnName)
{
    writeHostsFile("old\r\n");
    makeFile(q(".hosts.solvek-Ab12Cd")); // left by a write that was killed
    QStringList others = {q(".hosts.solvek-Ab12C"), q(".hosts.solvek-Ab12Cd7"),
                          q(".hosts.solvek-Ab-2Cd"), q(".other.solvek-Ab12Cd"),
                          q("hosts.solvek-Ab12Cd")};
    for (const QString& name : others)
        makeFile(name);

    setHostsFile(q("new"), BlankLines::Drop);
    QStringList stray = strayFiles();
    stray.sort();
    others.sort();
    EXPECT_EQ(stray, others);
    EXPECT_EQ(hostsFileBytes(), QByteArray("new\r\n"));
}

TEST_F(HostsFileTest, AWriteLeavesTheFileOfAWriteStillRunning)
{
    writeHostsFile("old\r\n");
    // Another write starts and ends while the first one is midway.
    hostsfile_testing::afterHalfWritten = [] {
        hostsfile_testing::afterHalfWritten = nullptr;
        setHostsFile(QStringLiteral("second"), BlankLines::Drop);
    };
    setHostsFile(q("first"), BlankLines::Drop);
    EXPECT_EQ(hostsFileBytes(), QByteArray("first\r\n"));
    EXPECT_TRUE(strayFiles().isEmpty()) << strayFiles().join(u' ').toStdString();
}

TEST_F(HostsFileTest, AWriteLeavesAnotherUsersLeftoverInTheirFolder)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving a file to another user needs root";
    writeHostsFile("old\r\n");
    const QString theirs = makeFile(q(".hosts.solvek-Xy34Zw"));
    for (const QString& path : {theirs, dir.path()})
        ASSERT_EQ(::chown(QFile::encodeName(path).constData(), 4321, 4322), 0);
    setHostsFile(q("new"), BlankLines::Drop);
    EXPECT_EQ(strayFiles(), QStringList{q(".hosts.solvek-Xy34Zw")});
}

TEST_F(HostsFileTest, AProgramStartedDuringAWriteInheritsNoDescriptorOfTheNewFile)
{
    writeHostsFile("old\r\n");
    const HostsFileWriter writer(BlankLines::Drop, systemtext::LineEnd::CrLf);
    const QDir descriptors(q("/proc/self/fd"));
    int found = 0;
    for (const QString& fd : descriptors.entryList(QDir::AllEntries | QDir::System)) {
        if (!QFileInfo(descriptors.filePath(fd)).symLinkTarget().contains(q(".hosts.solvek-")))
            continue;
        ++found;
        EXPECT_TRUE(::fcntl(fd.toInt(), F_GETFD) & FD_CLOEXEC) << fd.toStdString();
    }
    EXPECT_EQ(found, 1);
}

TEST_F(HostsFileTest, CleaningEmptiesTheFirstExactBlockLinePerListedHost)
{
    writeHostsFile("127.0.0.1 a.com\r\n127.0.0.1 b.com\r\n127.0.0.1 a.com\r\n"
                   "127.0.0.1  a.com\r\n127.0.0.1\ta.com\r\n127.0.0.1 A.COM\r\n");
    cleanFromHosts(q("a.com\r\nmissing.com"));
    EXPECT_EQ(hostsFileBytes(),
              QByteArray("\r\n127.0.0.1 b.com\r\n127.0.0.1 a.com\r\n"
                         "127.0.0.1  a.com\r\n127.0.0.1\ta.com\r\n127.0.0.1 A.COM\r\n"));
    EXPECT_EQ(mode(), 0444u);

    cleanFromHosts(q("a.com\r\nb.com"));
    EXPECT_EQ(hostsFileBytes(), QByteArray("\r\n\r\n\r\n127.0.0.1  a.com\r\n127.0.0.1\ta.com\r\n"
                                           "127.0.0.1 A.COM\r\n"));
}

TEST_F(HostsFileTest, CleaningAHostListedTwiceEmptiesBothLines)
{
    writeHostsFile("keep\r\n127.0.0.1 a.com\r\n127.0.0.1 a.com\r\n");
    cleanFromHosts(q("a.com\r\na.com"));
    EXPECT_EQ(hostsFileBytes(), QByteArray("keep\r\n\r\n\r\n"));
    // The next refresh's write takes the blank lines away.
    setHostsFile(getHostsFile(), BlankLines::Drop);
    EXPECT_EQ(hostsFileBytes(), QByteArray("keep\r\n"));
}

TEST_F(HostsFileTest, CleaningReadsTheFileAsEveryReadDoes)
{
    // Mixed line ends (the first a lone CR, so LF), the last line without
    // one; a block line that only begins with a listed one stays.
    writeHostsFile("keep\r127.0.0.1 a.com.au\n127.0.0.1 a.com\r\n\n127.0.0.1 b.com");
    cleanFromHosts(q("a.com\nb.com"));
    EXPECT_EQ(hostsFileBytes(), QByteArray("keep\n127.0.0.1 a.com.au\n\n\n\n"));

    // A marked file is written back in the 8-bit form, without its mark.
    QStringEncoder toUtf16(QStringConverter::Utf16LE);
    const QByteArray unicode = toUtf16(q("127.0.0.1 caf\u00e9.com\r\n127.0.0.1 a.com\r\n"));
    writeHostsFile("\xFF\xFE" + unicode);
    cleanFromHosts(q("caf\u00e9.com"));
    EXPECT_EQ(hostsFileBytes(), QByteArray("\r\n127.0.0.1 a.com\r\n"));
}

TEST_F(HostsFileTest, CleaningALargeFileKeepsEveryOtherLineInItsPlace)
{
    // Kept spans of one line end and of more than a MiB, between emptied lines.
    QByteArray text;
    QByteArray expected;
    for (int i = 0; i < 60000; ++i) {
        const QByteArray line = "127.0.0.1 host" + QByteArray::number(i) + ".example";
        text += line + '\n';
        expected += (i == 1 || i == 2 || i == 59998 ? QByteArray() : line) + '\n';
    }
    ASSERT_GT(text.size(), 3 << 19);
    writeHostsFile(text);
    cleanFromHosts(q("host59998.example\nhost1.example\nhost2.example"));
    EXPECT_TRUE(hostsFileBytes() == expected);
}

TEST_F(HostsFileTest, WritesKeepTheLineEndTheFileUses)
{
    writeHostsFile("keep\n127.0.0.1 a.com\n");
    cleanFromHosts(q("a.com"));
    EXPECT_EQ(hostsFileBytes(), QByteArray("keep\n\n"));
    setHostsFile(getHostsFile() + q("127.0.0.1 b.com\r\n"), BlankLines::Drop);
    EXPECT_EQ(hostsFileBytes(), QByteArray("keep\n127.0.0.1 b.com\n"));
}

TEST(PresentHostsSet, GrowsAndFindsEveryHostIgnoringCase)
{
    PresentHosts present(u"127.0.0.1 seed.com\r\n");
    std::vector<QString> hosts;
    for (int i = 0; i < 50000; ++i)
        hosts.push_back(QStringLiteral("Host%1.Example-%2.NET").arg(i).arg(i % 13));
    for (const QString& host : hosts)
        EXPECT_TRUE(present.insert(host));
    EXPECT_EQ(present.size(), 50001);
    for (const QString& host : hosts) {
        ASSERT_TRUE(present.contains(host.toLower())) << host.toStdString();
        ASSERT_FALSE(present.insert(host.toUpper())) << host.toStdString();
    }
    EXPECT_TRUE(present.contains(u"SEED.COM"));
    EXPECT_FALSE(present.contains(u"host1.example-1.ne"));
    EXPECT_FALSE(present.contains(u"host1.example-1.nett"));
}

TEST(PresentHostsSet, FoldsCaseBeyondAscii)
{
    const QString text = QString::fromUtf8("127.0.0.1 \xC3\x84rger-\xC3\x9C"
                                           "ber.de\r\n");
    PresentHosts present(text); // holds views into the text
    EXPECT_TRUE(present.contains(QString::fromUtf8("\xC3\xA4RGER-\xC3\xBC"
                                                   "BER.DE")));
    EXPECT_FALSE(present.contains(QString::fromUtf8("argerUber.de")));
}

TEST(PresentHostsSet, BytesMatchOnlyTheSameCharactersIgnoringCase)
{
    // Every length across a machine word or three, each place changed alone.
    const QByteArray letters = "abcdefghijklmnopqrstuvwx";
    for (qsizetype length = 1; length <= letters.size(); ++length) {
        const QByteArray host = letters.first(length);
        PresentHosts present{QByteArrayView(host)};
        ASSERT_TRUE(present.insert(QByteArrayView(host)));
        for (qsizetype at = 0; at < length; ++at) {
            QByteArray upper = host;
            upper[at] = char(upper[at] - 32);
            QByteArray other = host;
            other[at] = '-';
            EXPECT_TRUE(present.contains(QByteArrayView(upper))) << upper.constData();
            EXPECT_FALSE(present.contains(QByteArrayView(other))) << other.constData();
        }
        EXPECT_FALSE(present.contains(QByteArrayView(host + "a")));
        EXPECT_FALSE(present.contains(QByteArrayView(host.chopped(1))));
    }
    // Only 'A' to 'Z' fold: not '@' and '[' next to them, nor bytes beyond ASCII.
    PresentHosts edges{QByteArrayView("127.0.0.1 az@[.yz@[\r\n")};
    EXPECT_TRUE(edges.contains(QByteArrayView("AZ@[.YZ@[")));
    EXPECT_FALSE(edges.contains(QByteArrayView("az`[.yz`[")));
    EXPECT_FALSE(edges.contains(QByteArrayView("az@{.yz@{")));
    PresentHosts accented{QByteArrayView("127.0.0.1 caf\xC3\xA9-\xC3\xA9t\xC3\xA9.com\r\n")};
    EXPECT_TRUE(accented.contains(QByteArrayView("CAF\xC3\x89-\xC3\x89T\xC3\x89.COM")));
    EXPECT_FALSE(accented.contains(QByteArrayView("CAF\xC3\x89-\xC3\x89T\xC3\x88.COM")));
    EXPECT_FALSE(accented.contains(QByteArrayView("cafe-ete.com")));
}

// Large texts are gathered in parts on several threads: every line counts
// once, wherever the parts are cut, and a host written twice in two far
// places is one host.
TEST(PresentHostsSet, ALargeTextIsGatheredWholeWhateverItsLineEnds)
{
    constexpr int Lines = 90000;
    QByteArray text;
    for (int i = 0; i < Lines; ++i) {
        const QByteArray n = QByteArray::number(i);
        // Line ends of all three kinds, a LF alone three times in four.
        const char* end = i % 4 == 0 ? "\r\n" : (i % 4 == 1 ? "\r" : "\n");
        if (i % 3 == 0)
            text += "127.0.0.1 plain" + n + ".example" + end;
        else if (i % 3 == 1)
            text += "10.0.0.1  alias" + n + " Other" + n + " # note" + n + ".example" + end;
        else
            text += "# comment" + n + ".example" + end;
    }
    text += "127.0.0.1 PLAIN0.EXAMPLE\r\n"; // the first host once more
    ASSERT_GT(text.size(), 2 << 20);

    PresentHosts present{QByteArrayView(text)};

    // A plain line gives its name; a line of two names each name and the
    // rest as written; a comment nothing.
    const qsizetype plain = (Lines + 2) / 3;
    const qsizetype named = (Lines + 1) / 3;
    EXPECT_EQ(present.size(), plain + 3 * named);
    for (int i = 0; i < Lines; ++i) {
        const QByteArray n = QByteArray::number(i);
        if (i % 3 == 0) {
            ASSERT_TRUE(present.contains(QByteArrayView("Plain" + n + ".Example"))) << i;
        } else if (i % 3 == 1) {
            ASSERT_TRUE(present.contains(QByteArrayView("ALIAS" + n))) << i;
            ASSERT_TRUE(present.contains(QByteArrayView("other" + n))) << i;
            ASSERT_TRUE(present.contains(
                QByteArrayView("alias" + n + " Other" + n + " # note" + n + ".example")))
                << i;
        } else {
            ASSERT_FALSE(present.contains(QByteArrayView("comment" + n + ".example"))) << i;
        }
    }
    EXPECT_FALSE(present.contains(QByteArrayView("note1.example")));
    EXPECT_FALSE(present.contains(QByteArrayView("plain1.example")));
}

TEST(PresentHostsSet, ALargeTextWithoutLineFeedsIsGatheredWhole)
{
    QByteArray text;
    for (int i = 0; i < 50000; ++i)
        text += "127.0.0.1 cr" + QByteArray::number(i) + ".example\r";
    ASSERT_GT(text.size(), 1 << 20);
    PresentHosts present{QByteArrayView(text)};
    EXPECT_EQ(present.size(), 50000);
    EXPECT_TRUE(present.contains(QByteArrayView("cr0.example")));
    EXPECT_TRUE(present.contains(QByteArrayView("CR49999.EXAMPLE")));
}
