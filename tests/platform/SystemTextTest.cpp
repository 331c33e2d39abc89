#include "SystemText.h"

#include <QByteArrayList>
#include <gtest/gtest.h>

namespace {

// Texts whose line ends fall at every place of a machine word, next to each
// other and at both ends, with blank lines of blanks and controls between.
QByteArrayList textsWithLineEndsEverywhere()
{
    QByteArrayList texts{"",
                         "\r",
                         "\n",
                         "\r\n",
                         "\n\r",
                         "a",
                         "a\r\nb",
                         "a\rb\nc\r\nd\n\ne",
                         " \t\r\n\x01\r\nx\r\n",
                         "\r\r\n\n",
                         "caf\xC3\xA9\r\n\xFF\xFE\n"};
    for (const char* end : {"\r", "\n", "\r\n", "\n\r"}) {
        for (int at = 0; at <= 17; ++at) {
            const QByteArray line = QByteArray("0123456789abcdefgh").first(at);
            texts << line + end + line << line + end << QByteArray(end) + line + end + end;
        }
    }
    return texts;
}

QByteArrayList byteLines(const QByteArray& text)
{
    QByteArrayList lines;
    systemtext::forEachLine(QByteArrayView(text), [&](QByteArrayView line, qsizetype index) {
        EXPECT_EQ(index, lines.size());
        lines << line.toByteArray();
    });
    return lines;
}

// The reference: the same text decoded, split as UTF-16 and encoded again.
QByteArrayList textLines(const QByteArray& text)
{
    QByteArrayList lines;
    const QString decoded = systemtext::decode(text);
    systemtext::forEachLine(QStringView(decoded), [&](QStringView line, qsizetype) {
        lines << systemtext::encode(line);
    });
    return lines;
}

} // namespace

TEST(SystemTextBytes, LinesSplitAsTheTextDoes)
{
    EXPECT_EQ(byteLines("a\rb\nc\r\nd\n\ne"), QByteArrayList({"a", "b", "c", "d", "", "e"}));
    EXPECT_EQ(byteLines("0123456789\r\n012345678\r9"),
              QByteArrayList({"0123456789", "012345678", "9"}));
    for (const QByteArray& text : textsWithLineEndsEverywhere()) {
        EXPECT_EQ(byteLines(text), textLines(text)) << text.toStdString();
        EXPECT_EQ(systemtext::countLines(QByteArrayView(text)), textLines(text).size());
    }
}

TEST(SystemTextBytes, LineEndsAndBlankLinesAsTheTextHasThem)
{
    using systemtext::LineEnd;
    EXPECT_TRUE(
        systemtext::hasLineEnds(QByteArrayView("a\r\n\r\nlonger than a word\r\n"), LineEnd::CrLf));
    EXPECT_FALSE(systemtext::hasLineEnds(QByteArrayView("a\r\n\r\n"), LineEnd::CrLf, true));
    EXPECT_FALSE(systemtext::hasLineEnds(QByteArrayView("longer than a word\n"), LineEnd::CrLf));
    EXPECT_TRUE(systemtext::hasLineEnds(QByteArrayView("a\n\nlonger than a word\n"), LineEnd::Lf));
    EXPECT_FALSE(systemtext::hasLineEnds(QByteArrayView("a\n\n"), LineEnd::Lf, true));
    EXPECT_FALSE(systemtext::hasLineEnds(QByteArrayView("longer than a word\r\n"), LineEnd::Lf));
    EXPECT_FALSE(systemtext::hasLineEnds(QByteArrayView("a\rb\n"), LineEnd::Lf));
    EXPECT_EQ(systemtext::withLineEnds(QByteArrayView("a\nb"), LineEnd::CrLf),
              QByteArray("a\r\nb\r\n"));
    EXPECT_EQ(systemtext::withLineEnds(QByteArrayView("a\r\nb\rc"), LineEnd::Lf),
              QByteArray("a\nb\nc\n"));
    EXPECT_EQ(systemtext::withLineEndsWithoutBlankLines(QByteArrayView("a\r\n\r\n   \r\nb\r\n"),
                                                        LineEnd::CrLf),
              QByteArray("a\r\nb\r\n"));
    for (const QByteArray& text : textsWithLineEndsEverywhere()) {
        const QString decoded = systemtext::decode(text);
        EXPECT_EQ(systemtext::firstLineEnd(QByteArrayView(text)),
                  systemtext::firstLineEnd(QStringView(decoded)))
            << text.toStdString();
        for (LineEnd lineEnd : {LineEnd::Lf, LineEnd::CrLf}) {
            for (bool withoutBlankLines : {false, true})
                EXPECT_EQ(systemtext::hasLineEnds(QByteArrayView(text), lineEnd, withoutBlankLines),
                          systemtext::hasLineEnds(QStringView(decoded), lineEnd, withoutBlankLines))
                    << text.toStdString();
            EXPECT_EQ(systemtext::withLineEnds(QByteArrayView(text), lineEnd),
                      systemtext::encode(systemtext::withLineEnds(QStringView(decoded), lineEnd)));
            EXPECT_EQ(systemtext::withLineEndsWithoutBlankLines(QByteArrayView(text), lineEnd),
                      systemtext::encode(systemtext::withLineEndsWithoutBlankLines(
                          QStringView(decoded), lineEnd)));
        }
    }
}

TEST(SystemTextBytes, TrimTakesBlanksAndControlsButNoPartOfALongerCharacter)
{
    EXPECT_EQ(systemtext::trimmed(QByteArrayView(" \t\x01 a b \r\x1F")), QByteArrayView("a b"));
    EXPECT_EQ(systemtext::trimmed(QByteArrayView("\xC2\xA0x\xC2\x85")),
              QByteArrayView("\xC2\xA0x\xC2\x85"));
    EXPECT_TRUE(systemtext::trimmed(QByteArrayView(" \t\r\n")).isEmpty());
}

TEST(SystemTextBytes, AsciiIsTextWithoutAByteAbove127)
{
    EXPECT_TRUE(systemtext::isAscii(""));
    const QByteArray plain = "0123456789abcdefgh\x7F";
    EXPECT_TRUE(systemtext::isAscii(plain));
    for (qsizetype at = 0; at < plain.size(); ++at) {
        QByteArray marked = plain;
        marked[at] = char(0x80);
        EXPECT_FALSE(systemtext::isAscii(marked)) << at;
    }
}

TEST(SystemTextBytes, AsciiControlsAreTheBytesBelowBlankAndDel)
{
    EXPECT_FALSE(systemtext::hasAsciiControl(""));
    const QByteArray plain = " ~0123456789abcdefgh\x80\xFF";
    EXPECT_FALSE(systemtext::hasAsciiControl(plain));
    for (qsizetype at = 0; at < plain.size(); ++at) {
        for (char control : {'\0', '\t', '\x1F', '\x7F'}) {
            QByteArray marked = plain;
            marked[at] = control;
            EXPECT_TRUE(systemtext::hasAsciiControl(marked)) << at << int(control);
        }
    }
}

TEST(SystemTextBytes, PlainNamesHoldOnlyPrintableAsciiWithoutHash)
{
    EXPECT_FALSE(systemtext::isPlainName(""));
    EXPECT_TRUE(systemtext::isPlainName("!"));
    EXPECT_TRUE(systemtext::isPlainName("~"));
    // Every place across a machine word or two, each byte that ends it alone.
    const QByteArray plain = "bot1.c2-977.example.net";
    EXPECT_TRUE(systemtext::isPlainName(plain));
    for (qsizetype at = 0; at < plain.size(); ++at) {
        for (char other : {'\0', '\t', ' ', '#', '\x7F', '\x80', '\xC3', '\xFF'}) {
            QByteArray marked = plain;
            marked[at] = other;
            EXPECT_FALSE(systemtext::isPlainName(marked)) << at << int(uchar(other));
        }
    }
    // The bytes next to the excluded ones are plain.
    EXPECT_TRUE(systemtext::isPlainName("!\"$%&'()*+,-./09:;<=>?@AZ[\\]^_`az{|}~"));
}

