#include "SystemText.h"

#include <QStringDecoder>

#include <algorithm>
#include <cstring>

namespace systemtext {

namespace {

constexpr char16_t EscapeBase = 0xDC00; // byte b (0x80..0xFF) stands as EscapeBase + b

constexpr quint64 HighBits = 0x8080808080808080ull;
constexpr quint64 LowBits = 0x0101010101010101ull;

// Non-zero when one of the word's eight bytes is the byte given.
quint64 hasByte(quint64 word, char byte)
{
    const quint64 matches = word ^ (LowBits * uchar(byte));
    return (matches - LowBits) & ~matches & HighBits;
}

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// Length of the well-formed UTF-8 sequence at data[at], or 0 when there is none.
int sequenceLength(const unsigned char* data, qsizetype at, qsizetype size)
{
    const unsigned char lead = data[at];
    if (lead < 0x80)
        return 1;
    int length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0; // no overlong forms
        if (lead == 0xED)
            high = 0x9F; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F; // nothing above U+10FFFF
    } else {
        return 0;
    }
    if (at + length > size)
        return 0;
    if (data[at + 1] < low || data[at + 1] > high)
        return 0;
    for (int i = 2; i < length; ++i) {
        if (!isContinuation(data[at + i]))
            return 0;
    }
    return length;
}

bool isWellFormed(QByteArrayView bytes)
{
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype size = bytes.size();
    qsizetype at = 0;
    while (at < size) {
        // Plain ASCII eight bytes at a time.
        quint64 word;
        if (at + 8 <= size && (std::memcpy(&word, data + at, 8), (word & HighBits) == 0)) {
            at += 8;
            continue;
        }
        if (data[at] < 0x80) {
            ++at;
            continue;
        }
        const int length = sequenceLength(data, at, size);
        if (length == 0)
            return false;
        at += length;
    }
    return true;
}

QString decodeEscaping(QByteArrayView bytes)
{
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype size = bytes.size();
    QString text;
    text.reserve(size);
    qsizetype runStart = 0; // start of the well-formed bytes not yet decoded
    qsizetype at = 0;
    while (at < size) {
        const int length = sequenceLength(data, at, size);
        if (length > 0) {
            at += length;
            continue;
        }
        text.append(QString::fromUtf8(bytes.constData() + runStart, at - runStart));
        text.append(QChar(char16_t(EscapeBase + data[at])));
        runStart = ++at;
    }
    text.append(QString::fromUtf8(bytes.constData() + runStart, size - runStart));
    return text;
}

bool isEscape(QStringView text, qsizetype at)
{
    const char16_t c = text[at].unicode();
    if (c < EscapeBase + 0x80 || c > EscapeBase + 0xFF)
        return false;
    return at == 0 || !text[at - 1].isHighSurrogate();
}

} // namespace

QString decode(QByteArrayView bytes)
{
    if (isWellFormed(bytes))
        return QString::fromUtf8(bytes);
    return decodeEscaping(bytes);
}

bool hasUndecodedBytes(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isEscape(text, i))
            return true;
    }
    return false;
}

bool isUndecodedByte(QStringView text, qsizetype index)
{
    return isEscape(text, index);
}

QByteArray encode(QStringView text)
{
    if (!hasUndecodedBytes(text))
        return text.toUtf8();
    QByteArray bytes;
    bytes.reserve(text.size());
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isEscape(text, i))
            continue;
        bytes.append(text.sliced(runStart, i - runStart).toUtf8());
        bytes.append(char(text[i].unicode() - EscapeBase));
        runStart = i + 1;
    }
    bytes.append(text.sliced(runStart).toUtf8());
    return bytes;
}

void appendEncoded(QByteArray& bytes, QStringView text)
{
    constexpr qsizetype Slice = 1 << 16;
    while (!text.isEmpty()) {
        qsizetype length = std::min(Slice, text.size());
        if (length < text.size() && text[length - 1].isHighSurrogate())
            ++length; // keep a surrogate pair together
        bytes.append(encode(text.first(length)));
        text = text.sliced(length);
    }
}

bool hasByteOrderMark(const QByteArray& bytes)
{
    return bytes.startsWith("\xEF\xBB\xBF") || bytes.startsWith("\xFF\xFE") ||
           bytes.startsWith("\xFE\xFF");
}

QString decodeWithByteOrderMark(const QByteArray& bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return decode(bytes.sliced(3));
    const bool littleEndian = bytes.startsWith("\xFF\xFE");
    if (littleEndian || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder decoder(littleEndian ? QStringConverter::Utf16LE
                                            : QStringConverter::Utf16BE);
        return decoder.decode(bytes.sliced(2));
    }
    return decode(bytes);
}

namespace {

template <class View> View trimmedView(View text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlankOrControl(text[begin]))
        ++begin;
    while (end > begin && isBlankOrControl(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

template <class View> LineEnd firstLineEndIn(View text)
{
    const qsizetype end = detail::lineEnd(text.data(), 0, text.size());
    const bool crLf =
        end + 1 < text.size() && unitOf(text[end]) == u'\r' && unitOf(text[end + 1]) == u'\n';
    return crLf ? LineEnd::CrLf : LineEnd::Lf;
}

template <class View> bool hasLineEndsIn(View text, LineEnd lineEnd, bool withoutBlankLines)
{
    const auto* data = text.data();
    const qsizetype size = text.size();
    const qsizetype endSize = lineEndBytes(lineEnd).size();
    qsizetype start = 0;
    while (start < size) {
        const qsizetype end = detail::lineEnd(data, start, size);
        if (end + endSize > size)
            return false; // no line end
        // A lone CR, a LF without CR, or a CR LF where LF alone is wanted.
        if (lineEnd == LineEnd::CrLf ? unitOf(data[end]) != u'\r' || unitOf(data[end + 1]) != u'\n'
                                     : unitOf(data[end]) != u'\n')
            return false;
        if (withoutBlankLines && trimmedView(text.sliced(start, end - start)).isEmpty())
            return false;
        start = end + endSize;
    }
    return true;
}

template <class View> qsizetype countLinesIn(View text)
{
    qsizetype count = 0;
    detail::forEachLineOf(text, [&](View, qsizetype) { ++count; });
    return count;
}

void appendLineEnd(QString& text, LineEnd lineEnd)
{
    text.append(lineEndText(lineEnd));
}

void appendLineEnd(QByteArray& text, LineEnd lineEnd)
{
    text.append(lineEndBytes(lineEnd));
}

template <class Text, class View> Text joinLines(View text, LineEnd lineEnd, bool dropBlankLines)
{
    Text joined;
    joined.reserve(text.size() + text.size() / 16 + 2);
    detail::forEachLineOf(text, [&](View line, qsizetype) {
        if (dropBlankLines && trimmedView(line).isEmpty())
            return;
        joined.append(line);
        appendLineEnd(joined, lineEnd);
    });
    return joined;
}

} // namespace

namespace {

// Calls onWord for every whole eight bytes from the start, then onByte for
// each byte after them, while they answer true; answers whether all did.
template <class OnWord, class OnByte>
bool everyWordAndByte(QByteArrayView bytes, OnWord onWord, OnByte onByte)
{
    const char* data = bytes.data();
    const qsizetype size = bytes.size();
    qsizetype at = 0;
    for (; at + 8 <= size; at += 8) {
        quint64 word;
        std::memcpy(&word, data + at, 8);
        if (!onWord(word))
            return false;
    }
    for (; at < size; ++at) {
        if (!onByte(uchar(data[at])))
            return false;
    }
    return true;
}

// The high bit of each byte below `bound` (at most 0x80) is set.
quint64 bytesBelow(quint64 word, uchar bound)
{
    return (word - LowBits * bound) & ~word & HighBits;
}

} // namespace

bool isAscii(QByteArrayView bytes)
{
    return everyWordAndByte(
        bytes, [](quint64 word) { return (word & HighBits) == 0; },
        [](uchar byte) { return byte < 0x80; });
}

bool hasAsciiControl(QByteArrayView bytes)
{
    return !everyWordAndByte(
        bytes, [](quint64 word) { return (bytesBelow(word, 0x20) | hasByte(word, '\x7F')) == 0; },
        [](uchar byte) { return byte >= 0x20 && byte != 0x7F; });
}

bool isPlainName(QByteArrayView bytes)
{
    return !bytes.isEmpty() &&
           everyWordAndByte(
               bytes,
               [](quint64 word) {
                   return ((word & HighBits) | bytesBelow(word, 0x21) | hasByte(word, '\x7F') |
                           hasByte(word, '#')) == 0;
               },
               [](uchar byte) { return byte > 0x20 && byte < 0x7F && byte != '#'; });
}

QStringView trimmed(QStringView text)
{
    return trimmedView(text);
}

QByteArrayView trimmed(QByteArrayView text)
{
    return trimmedView(text);
}

qsizetype detail::lineEnd(const char* data, qsizetype at, qsizetype size)
{
    for (; at + 8 <= size; at += 8) {
        quint64 word;
        std::memcpy(&word, data + at, 8);
        if (hasByte(word, '\r') | hasByte(word, '\n'))
            break;
    }
    while (at < size && data[at] != '\r' && data[at] != '\n')
        ++at;
    return at;
}

LineEnd firstLineEnd(QStringView text)
{
    return firstLineEndIn(text);
}

LineEnd firstLineEnd(QByteArrayView text)
{
    return firstLineEndIn(text);
}

bool hasLineEnds(QStringView text, LineEnd lineEnd, bool withoutBlankLines)
{
    return hasLineEndsIn(text, lineEnd, withoutBlankLines);
}

bool hasLineEnds(QByteArrayView text, LineEnd lineEnd, bool withoutBlankLines)
{
    return hasLineEndsIn(text, lineEnd, withoutBlankLines);
}

qsizetype countLines(QStringView text)
{
    return countLinesIn(text);
}

qsizetype countLines(QByteArrayView text)
{
    return countLinesIn(text);
}

QString withLineEnds(QStringView text, LineEnd lineEnd)
{
    return joinLines<QString>(text, lineEnd, false);
}

QByteArray withLineEnds(QByteArrayView text, LineEnd lineEnd)
{
    return joinLines<QByteArray>(text, lineEnd, false);
}

QString withLineEndsWithoutBlankLines(QStringView text, LineEnd lineEnd)
{
    return joinLines<QString>(text, lineEnd, true);
}

QByteArray withLineEndsWithoutBlankLines(QByteArrayView text, LineEnd lineEnd)
{
    return joinLines<QByteArray>(text, lineEnd, true);
}

} // namespace systemtext
