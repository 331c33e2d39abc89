#include "BlockList.h"

#include "HostName.h"
#include "Md5.h"
#include "SystemText.h"
#include "UntINI.h"

#include <type_traits>

namespace {

constexpr QStringView LoopbackAddress = u"127.0.0.1";

// Cc: the C0 controls, DEL and the C1 controls.
bool isControl(char16_t unit)
{
    return unit < 0x20 || (unit >= 0x7F && unit <= 0x9F);
}

} // namespace

QString blockListUrl(const BlockListSource& source)
{
    const QString host = readIni(SourcesSection.toString(), QString::fromUtf16(source.categoryId),
                                 QString::fromUtf16(source.defaultHost))
                             .trimmed();
    return QStringLiteral("https://") + host + QString::fromUtf16(source.path);
}

namespace {

template <class View> bool isWritableIn(View host)
{
    bool blank = true;
    for (qsizetype i = 0; i < host.size(); ++i) {
        const char16_t unit = systemtext::unitOf(host[i]);
        if (unit == u' ' || unit == u'\t')
            continue;
        if (isControl(unit))
            return false;
        if constexpr (std::is_same_v<View, QStringView>) {
            if (systemtext::isUndecodedByte(host, i))
                return false;
        }
        blank = false;
    }
    return !blank;
}

// Where "127.0.0.1" next stands in the line from `from` on, or -1.
template <class View> qsizetype indexOfLoopback(View line, qsizetype from)
{
    const qsizetype last = line.size() - LoopbackAddress.size();
    for (qsizetype at = from; at <= last; ++at) {
        qsizetype matched = 0;
        while (matched < LoopbackAddress.size() &&
               systemtext::unitOf(line[at + matched]) == LoopbackAddress[matched].unicode())
            ++matched;
        if (matched == LoopbackAddress.size())
            return at;
    }
    return -1;
}

template <class View, class Text> BasicBlockLineHost<View> hostFromLine(View line, Text& scratch)
{
    if (!line.isEmpty() && systemtext::unitOf(line[0]) == u'#')
        return {};
    // The address holds no letters, so an exact search ignores case as well.
    qsizetype found = indexOfLoopback(line, 0);
    if (found >= 0) {
        scratch.clear();
        qsizetype start = 0;
        for (; found >= 0; found = indexOfLoopback(line, start)) {
            scratch.append(line.sliced(start, found - start));
            start = found + LoopbackAddress.size();
        }
        scratch.append(line.sliced(start));
        line = scratch;
    }
    const View text = systemtext::trimmed(line);
    if (text.isEmpty())
        return {};
    if (!isHostName(text))
        return {{}, true};
    return {text, false};
}

} // namespace

bool isWritableHost(QStringView host)
{
    return isWritableIn(host);
}

bool isWritableHost(QByteArrayView host)
{
    // Text beyond ASCII is judged as the characters it decodes to.
    if (!systemtext::isAscii(host))
        return isWritableHost(systemtext::decode(host));
    // Without controls only blanks can be left out, so one that is not is enough.
    if (!systemtext::hasAsciiControl(host))
        return !systemtext::trimmed(host).isEmpty();
    return isWritableIn(host);
}

BlockLineHost hostFromBlockLine(QStringView line, QString& scratch)
{
    return hostFromLine(line, scratch);
}

BasicBlockLineHost<QByteArrayView> hostFromBlockLine(QByteArrayView line, QByteArray& scratch)
{
    return hostFromLine(line, scratch);
}

QString blockListText(const QByteArray& body)
{
    return systemtext::decode(body);
}

QString blockListDigest(const QByteArray& body)
{
    return platform::md5Hex(body);
}
