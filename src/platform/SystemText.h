#pragma once

// The 8-bit text of files the program reads and writes back (the hosts file,
// downloaded block lists), and the line rules they share.
//
// The 8-bit form is UTF-8, the locale's encoding. Bytes that are not UTF-8
// decode to the code points U+DC80..U+DCFF, one per byte, and encode back to
// the same byte, so lines the program did not add keep their exact bytes.

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace systemtext {

QString decode(const QByteArray& bytes);
QByteArray encode(QStringView text);
// Appends the 8-bit form of the text, a slice at a time, so no second copy
// of a large text is made.
void appendEncoded(QByteArray& bytes, QStringView text);

// True when the text holds a code point that stands for a byte that was not UTF-8.
bool hasUndecodedBytes(QStringView text);
// True when the code point at the index stands for such a byte.
bool isUndecodedByte(QStringView text, qsizetype index);

// Reads a file's bytes as text: a leading byte-order mark selects UTF-8 or
// UTF-16 (little or big endian); otherwise the 8-bit form above.
QString decodeWithByteOrderMark(const QByteArray& bytes);
bool hasByteOrderMark(const QByteArray& bytes);

// Blanks and control characters, as the toolkit's trim removes them.
inline bool isBlankOrControl(QChar c)
{
    return c.unicode() <= 0x20;
}
QStringView trimmed(QStringView text);

// Calls f(line, index) for every line of the text. Lines end at CR, LF or
// CR LF; a line end at the very end of the text opens no further line, so
// "a\r\nb\r\n" and "a\r\nb" both have two lines and "" has none.
template <class F> void forEachLine(QStringView text, F&& f)
{
    const qsizetype size = text.size();
    const QChar* data = text.data();
    qsizetype index = 0;
    qsizetype start = 0;
    while (start < size) {
        qsizetype end = start;
        while (end < size && data[end] != u'\r' && data[end] != u'\n')
            ++end;
        f(text.sliced(start, end - start), index++);
        if (end < size && data[end] == u'\r' && end + 1 < size && data[end + 1] == u'\n')
            ++end;
        start = end + 1;
    }
}

qsizetype countLines(QStringView text);

// True when every line of the text already ends with CR LF (the last one
// too) and, when asked, none is made only of blanks and control characters.
bool hasCrLfLines(QStringView text, bool withoutBlankLines = false);

// The lines of the text, each followed by CR LF (the last one too).
QString withCrLf(QStringView text);
// As withCrLf, leaving out every line made only of blanks and control characters.
QString withCrLfWithoutBlankLines(QStringView text);

} // namespace systemtext
