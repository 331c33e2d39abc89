#include "ToolkitInteger.h"

namespace platform {

namespace {

int digitValue(QChar c, int base)
{
    const char16_t u = c.unicode();
    int value = -1;
    if (u >= u'0' && u <= u'9')
        value = u - u'0';
    else if (u >= u'a' && u <= u'f')
        value = u - u'a' + 10;
    else if (u >= u'A' && u <= u'F')
        value = u - u'A' + 10;
    return value < base ? value : -1;
}

// Number of characters of a hexadecimal prefix at `at`, or 0.
qsizetype hexPrefixLength(const QString& text, qsizetype at)
{
    const QStringView rest = QStringView(text).mid(at);
    if (rest.startsWith(u'$') || rest.startsWith(u'x', Qt::CaseInsensitive))
        return 1;
    if (rest.startsWith(u"0x", Qt::CaseInsensitive))
        return 2;
    return 0;
}

} // namespace

std::optional<qint32> parseToolkitInteger(const QString& text)
{
    qsizetype at = 0;
    while (at < text.size() && text.at(at) == QLatin1Char(' '))
        ++at;
    bool negative = false;
    if (at < text.size() && (text.at(at) == QLatin1Char('-') || text.at(at) == QLatin1Char('+')))
        negative = text.at(at++) == QLatin1Char('-');

    const qsizetype prefix = hexPrefixLength(text, at);
    const int base = prefix ? 16 : 10;
    at += prefix;
    if (at >= text.size())
        return std::nullopt;

    // Decimal may reach 2^31 only as the magnitude of the lowest negative number.
    const quint64 limit = base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    quint64 magnitude = 0;
    for (; at < text.size(); ++at) {
        const int digit = digitValue(text.at(at), base);
        if (digit < 0)
            return std::nullopt;
        magnitude = magnitude * base + quint64(digit);
        if (magnitude > limit)
            return std::nullopt;
    }
    const quint32 bits = negative ? quint32(0u - quint32(magnitude)) : quint32(magnitude);
    return qint32(bits);
}

qint32 StrToInt(const QString& text)
{
    if (const auto value = parseToolkitInteger(text))
        return *value;
    throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
}

} // namespace platform
