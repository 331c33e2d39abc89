#include "BlockList.h"

#include "HostName.h"
#include "Md5.h"
#include "SystemText.h"
#include "UntINI.h"

namespace {

constexpr QStringView LoopbackAddress = u"127.0.0.1";

// Cc: the C0 controls, DEL and the C1 controls.
bool isControl(QChar c)
{
    const char16_t unit = c.unicode();
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

bool isWritableHost(QStringView host)
{
    bool blank = true;
    for (qsizetype i = 0; i < host.size(); ++i) {
        const QChar c = host[i];
        if (c == u' ' || c == u'\t')
            continue;
        if (isControl(c) || systemtext::isUndecodedByte(host, i))
            return false;
        blank = false;
    }
    return !blank;
}

BlockLineHost hostFromBlockLine(QStringView line, QString& scratch)
{
    if (line.startsWith(u'#'))
        return {};
    // The address holds no letters, so an exact search ignores case as well.
    qsizetype found = line.indexOf(LoopbackAddress);
    if (found >= 0) {
        scratch.clear();
        qsizetype start = 0;
        for (; found >= 0; found = line.indexOf(LoopbackAddress, start)) {
            scratch.append(line.sliced(start, found - start));
            start = found + LoopbackAddress.size();
        }
        scratch.append(line.sliced(start));
        line = scratch;
    }
    const QStringView text = systemtext::trimmed(line);
    if (text.isEmpty())
        return {};
    if (!isHostName(text))
        return {{}, true};
    return {text, false};
}

QString blockListText(const QByteArray& body)
{
    return systemtext::decode(body);
}

QString blockListDigest(const QByteArray& body)
{
    return platform::md5Hex(body);
}
