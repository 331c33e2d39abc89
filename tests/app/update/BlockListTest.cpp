#include "BlockList.h"

#include "AppTestSupport.h"
#include "UntINI.h"

#include <QCryptographicHash>

namespace {

QString host(const QString& line)
{
    QString scratch;
    return hostFromBlockLine(line, scratch).toString();
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
    EXPECT_EQ(host(" #word"), QStringLiteral("#word"));
    EXPECT_EQ(host("0.0.0.0 a.com"), QStringLiteral("0.0.0.0 a.com"));
    EXPECT_EQ(host("x\"); DROP TABLE hosts; --"), QStringLiteral("x\"); DROP TABLE hosts; --"));
    EXPECT_EQ(host("a.com\tb.com"), QStringLiteral("a.com\tb.com"));
}

TEST(BlockListLine, SkipsCommentsBlanksAndLinesThatAreNoHost)
{
    EXPECT_EQ(host("# a.com"), QString());
    EXPECT_EQ(host("#"), QString());
    EXPECT_EQ(host(""), QString());
    EXPECT_EQ(host(" \t "), QString());
    EXPECT_EQ(host("127.0.0.1"), QString());
    EXPECT_EQ(host(QString::fromUtf16(u"bin\u0000ary.com", 11)), QString());
    EXPECT_EQ(host("bell\a.com"), QString());
    EXPECT_EQ(host("del\x7F.com"), QString());
    EXPECT_EQ(host(blockListText("bytes\xFF\xFE.com")), QString());
    EXPECT_EQ(host(QString(MaxHostLength + 1, u'a')), QString());
    EXPECT_EQ(host(QString(MaxHostLength, u'a')), QString(MaxHostLength, u'a'));
    EXPECT_EQ(host("127.0.0.1 A.com 127.0.0.1"), QStringLiteral("A.com"));
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
