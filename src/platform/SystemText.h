#pragma once

// The 8-bit text of files the program reads and writes back (the hosts file,
// downloaded block lists), and the line rules they share.
//
// The 8-bit form is UTF-8, the locale's encoding. Bytes that are not UTF-8
// decode to the code points U+DC80..U+DCFF, one per byte, and encode back to
// the same byte, so lines the program did not add keep their exact bytes.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace systemtext {

QString decode(QByteArrayView bytes);
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

// The code unit of a character in either form: a UTF-16 unit, or a byte of
// the 8-bit form. Line ends, blanks and ASCII are the same units in both.
inline char16_t unitOf(QChar c)
{
    return c.unicode();
}
inline char16_t unitOf(char c)
{
    return char16_t(uchar(c));
}

// True when every byte is ASCII; such text reads the same in both forms.
bool isAscii(QByteArrayView bytes);
// True when a byte below 0x20 or DEL (0x7F) is among the bytes.
bool hasAsciiControl(QByteArrayView bytes);
// True when the text is not empty and every byte is a printable ASCII
// character other than '#': no blank, control, DEL or byte beyond ASCII. Such
// a text is its own trimmed form and reads as one host name, no comment.
bool isPlainName(QByteArrayView bytes);

// Blanks and control characters, as the toolkit's trim removes them. In the
// 8-bit form they are the same bytes, since every byte of a longer character
// is 0x80 or above.
inline bool isBlankOrControl(QChar c)
{
    return unitOf(c) <= 0x20;
}
inline bool isBlankOrControl(char c)
{
    return unitOf(c) <= 0x20;
}
QStringView trimmed(QStringView text);
QByteArrayView trimmed(QByteArrayView text);

namespace detail {

// Where the line that starts at `at` ends: its first CR or LF, or the end.
inline qsizetype lineEnd(const QChar* data, qsizetype at, qsizetype size)
{
    while (at < size && data[at] != u'\r' && data[at] != u'\n')
        ++at;
    return at;
}
// The same over bytes, eight at a time while none of them is a line end.
qsizetype lineEnd(const char* data, qsizetype at, qsizetype size);

template <class View, class F> void forEachLineOf(View text, F&& f)
{
    const qsizetype size = text.size();
    const auto* data = text.data();
    qsizetype index = 0;
    qsizetype start = 0;
    while (start < size) {
        qsizetype end = lineEnd(data, start, size);
        f(text.sliced(start, end - start), index++);
        if (end < size && unitOf(data[end]) == u'\r' && end + 1 < size &&
            unitOf(data[end + 1]) == u'\n')
            ++end;
        start = end + 1;
    }
}

} // namespace detail

// Calls f(line, index) for every line of the text. Lines end at CR, LF or
// CR LF; a line end at the very end of the text opens no further line, so
// "a\r\nb\r\n" and "a\r\nb" both have two lines and "" has none.
template <class F> void forEachLine(QStringView text, F&& f)
{
    detail::forEachLineOf(text, f);
}
// The same for text in the 8-bit form; lines are views of its bytes.
template <class F> void forEachLine(QByteArrayView text, F&& f)
{
    detail::forEachLineOf(text, f);
}

qsizetype countLines(QStringView text);
qsizetype countLines(QByteArrayView text);

// The line end that a text's lines are written with.
enum class LineEnd : quint8 {
    Lf,
    CrLf,
};
inline QByteArrayView lineEndBytes(LineEnd lineEnd)
{
    return lineEnd == LineEnd::CrLf ? QByteArrayView("\r\n") : QByteArrayView("\n");
}
inline QStringView lineEndText(LineEnd lineEnd)
{
    return lineEnd == LineEnd::CrLf ? QStringView(u"\r\n") : QStringView(u"\n");
}
// The line end of the text's first line: CR LF when it ends so, LF for any
// other (a lone CR, or none at all), so a text of mixed line ends takes its
// first line's.
LineEnd firstLineEnd(QStringView text);
LineEnd firstLineEnd(QByteArrayView text);

// True when every line of the text already ends with the line end (the last
// one too) and, when asked, none is made only of blanks and control characters.
bool hasLineEnds(QStringView text, LineEnd lineEnd, bool withoutBlankLines = false);
bool hasLineEnds(QByteArrayView text, LineEnd lineEnd, bool withoutBlankLines = false);

// The lines of the text, each followed by the line end (the last one too).
QString withLineEnds(QStringView text, LineEnd lineEnd);
QByteArray withLineEnds(QByteArrayView text, LineEnd lineEnd);
// As withLineEnds, leaving out every line made only of blanks and control characters.
QString withLineEndsWithoutBlankLines(QStringView text, LineEnd lineEnd);
QByteArray withLineEndsWithoutBlankLines(QByteArrayView text, LineEnd lineEnd);
inline QString withCrLf(QStringView text)
{
    return withLineEnds(text, LineEnd::CrLf);
}

} // namespace systemtext
