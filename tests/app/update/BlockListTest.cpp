#include "BlockList.h"
#include "HostName.h"

#include "AppTestSupport.h"
#include "UntINI.h"

#include <QByteArrayList>
#include <QCryptographicHash>

namespace {

QString host(const QString& line)
{
    QString scratch;
    return hostFromBlockLine(line, scratch).host.toString();
}

bool skipped(const char* line)
{
    QString scratch;
    const BlockLineHost entry = hostFromBlockLine(QString::fromUtf8(line), scratch);
    return entry.skipped && entry.host.isEmpty();
}

QString host(const char* line)
{
    return host(QString::fromUtf8(line));
}

} // namespace

TEST(BlockListLine, GivesTheHostOfPlainAndBlockLines)
{
    EXPECT_EQ(host("a.com"), QStringLiteral("a.com"));
    EXPECT_EQ(host("127.0.0.1 a.com"), QStringLiteral("a.com"));
    EXPECT_EQ(host("  a.com \t"), QStringLiteral("a.com"));
    EXPECT_EQ(host("127.0.0.1 127.0.0.1 a.com"), QStringLiteral("a.com"));
    EXPECT_EQ(host("a.com127.0.0.1"), QStringLiteral("a.com"));
    EXPECT_EQ(host("127.0.0.1 A.com 127.0.0.1"), QStringLiteral("A.com"));
    EXPECT_EQ(host("under_score-7.example"), QStringLiteral("under_score-7.example"));
}

TEST(BlockListLine, CommentsAndBlankLinesGiveNothing)
{
    for (const char* line : {"# a.com", "#", "", " \t ", "127.0.0.1", "127.0.0.1 \r"}) {
        QString scratch;
        const BlockLineHost entry = hostFromBlockLine(QString::fromUtf8(line), scratch);
        EXPECT_TRUE(entry.host.isEmpty()) << line;
        EXPECT_FALSE(entry.skipped) << line;
    }
}

TEST(BlockListLine, TextThatIsNotOneHostNameIsSkipped)
{
    // Each word would become a name in the hosts file.
    EXPECT_TRUE(skipped("x.com\"); DELETE FROM hosts; --"));
    EXPECT_TRUE(skipped("0.0.0.0 zero.com"));
    EXPECT_TRUE(skipped("a.com\tb.com"));
    EXPECT_TRUE(skipped(" #word"));
    EXPECT_TRUE(skipped("quo\"te.com"));
    EXPECT_TRUE(skipped("bell\a.com"));
    EXPECT_TRUE(skipped("del\x7F.com"));
    EXPECT_TRUE(skipped("site.com:8080"));
    EXPECT_TRUE(skipped("a..com"));
    QString scratch;
    EXPECT_TRUE(hostFromBlockLine(QString::fromUtf16(u"bin\u0000ary.com", 11), scratch).skipped);
    EXPECT_TRUE(hostFromBlockLine(blockListText("bytes\xFF\xFE.com"), scratch).skipped);
    EXPECT_TRUE(hostFromBlockLine(QString(254, u'a'), scratch).skipped);
    EXPECT_EQ(host(QString(63, u'a') + ".com"), QString(63, u'a') + ".com");
}

TEST(HostName, HasAtMost253Characters)
{
    // Labels of 63, 63, 63 and 61 characters and three dots: 3 * 64 + 61 = 253.
    const QByteArray longest = QByteArray(63, 'a') + '.' + QByteArray(63, 'b') + '.' +
                               QByteArray(63, 'c') + '.' + QByteArray(61, 'd');
    const QByteArray tooLong = longest + 'd'; // the last label 62
    EXPECT_TRUE(isHostName(QByteArrayView(longest)));
    EXPECT_FALSE(isHostName(QByteArrayView(tooLong)));
    EXPECT_TRUE(isHostName(QString::fromLatin1(longest)));
    EXPECT_FALSE(isHostName(QString::fromLatin1(tooLong)));
}

namespace {

// Lines around the edges of the rules: the address at every place and cut
// short, comments, blanks and controls, bytes beyond ASCII, the lengths.
QByteArrayList awkwardLines()
{
    QByteArrayList lines{"a.com",
                         "127.0.0.1 a.com",
                         "  a.com \t",
                         "127.0.0.1 127.0.0.1 a.com",
                         "a.com127.0.0.1",
                         "127.0.0.1 A.com 127.0.0.1",
                         "# a.com",
                         "#",
                         "",
                         " \t ",
                         "127.0.0.1",
                         "127.0.0.1 \r",
                         " #word",
                         "0.0.0.0 zero.com",
                         "a.com\tb.com",
                         "bell\a.com",
                         "del\x7F.com",
                         "a..com",
                         ".a.com",
                         "a.com.",
                         "127.0.0.11.com",
                         "127.0.0.1127.0.0.1x.org",
                         "127.0.0.",
                         "1127.0.0.1.2",
                         "caf\xC3\xA9.com",
                         "bytes\xFF\xFE.com",
                         "\xC2\xA0"
                         "a.com",
                         "a.com\xC2\x85",
                         QByteArray("bin\0ary.com", 11)};
    for (int at = 0; at <= 12; ++at)
        lines << QByteArray("abcdefghijkl").insert(at, "127.0.0.1");
    lines << QByteArray(253, 'a') << QByteArray(254, 'a') << QByteArray(63, 'a') + ".com"
          << QByteArray(64, 'a') + ".com";
    return lines;
}

} // namespace

TEST(BlockListLine, BytesGiveWhatTheTextGives)
{
    QByteArray byteScratch;
    const auto fromBytes = [&](const QByteArray& line) {
        return hostFromBlockLine(QByteArrayView(line), byteScratch);
    };
    EXPECT_EQ(fromBytes("127.0.0.1 A.com 127.0.0.1").host, QByteArrayView("A.com"));
    EXPECT_EQ(fromBytes("  a.com \t").host, QByteArrayView("a.com"));
    EXPECT_TRUE(fromBytes("# a.com").host.isEmpty());
    EXPECT_TRUE(fromBytes("caf\xC3\xA9.com").skipped);

    for (const QByteArray& line : awkwardLines()) {
        QString textScratch;
        const QString text = blockListText(line);
        const BlockLineHost expected = hostFromBlockLine(text, textScratch);
        const auto got = fromBytes(line);
        EXPECT_EQ(got.skipped, expected.skipped) << line.toStdString();
        EXPECT_EQ(got.host.toByteArray(), expected.host.toUtf8()) << line.toStdString();
    }
}

TEST(BlockListLine, WritableBytesAsTheCharactersTheyDecodeTo)
{
    EXPECT_TRUE(isWritableHost(QByteArrayView("a.com")));
    EXPECT_TRUE(isWritableHost(QByteArrayView("tab\t and blank")));
    EXPECT_FALSE(isWritableHost(QByteArrayView(" \t")));
    EXPECT_FALSE(isWritableHost(QByteArrayView("line\r\nend")));
    EXPECT_FALSE(isWritableHost(QByteArrayView("del\x7F")));
    EXPECT_FALSE(isWritableHost(QByteArrayView("c1\xC2\x85"))); // NEL, a control
    EXPECT_TRUE(isWritableHost(QByteArrayView("caf\xC3\xA9"))); // é
    EXPECT_FALSE(isWritableHost(QByteArrayView("bytes\xFF")));  // no text
    for (const QByteArray& line : awkwardLines())
        EXPECT_EQ(isWritableHost(QByteArrayView(line)), isWritableHost(blockListText(line)))
            << line.toStdString();
}

TEST(BlockListDigest, IsTheMd5OfTheListBytes)
{
    EXPECT_EQ(blockListDigest(""), QStringLiteral("d41d8cd98f00b204e9800998ecf8427e"));
    const QByteArray body = "a.com\r\nb\xC3\xA9.com\n";
    EXPECT_EQ(blockListDigest(body),
              QString::fromLatin1(QCryptographicHash::hash(body, QCryptographicHash::Md5).toHex()));
    EXPECT_EQ(blockListText(body), QString::fromUtf8(body));
}

class BlockListSourcesTest : public UpdateFolderTest {};

TEST_F(BlockListSourcesTest, PathsAndOrderAreFixedAndHostsConfigurable)
{
    ASSERT_EQ(BlockListSources.size(), 4u);
    EXPECT_EQ(blockListUrl(BlockListSources[0]),
              QStringLiteral("https://tracker-one.blocklists.example"
                             "/blocklist.php?download=domainblocklist"));
    EXPECT_TRUE(blockListUrl(BlockListSources[1])
                    .endsWith(QStringLiteral("/blocklists.php?download=domainblocklist")));
    EXPECT_TRUE(blockListUrl(BlockListSources[2])
                    .endsWith(QStringLiteral("/blocklist.php?download=domainblocklist")));
    EXPECT_TRUE(
        blockListUrl(BlockListSources[3]).endsWith(QStringLiteral("/modules/solvek/hosts.php")));

    writeIni(QStringLiteral("SOURCES"), QStringLiteral("4"), QStringLiteral(" 127.0.0.1:8443 "));
    EXPECT_EQ(blockListUrl(BlockListSources[3]),
              QStringLiteral("https://127.0.0.1:8443/modules/solvek/hosts.php"));
    for (size_t i = 0; i < BlockListSources.size(); ++i)
        EXPECT_EQ(QString::fromUtf16(BlockListSources[i].categoryId), QString::number(i + 1));
}
