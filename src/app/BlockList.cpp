#include "BlockList.h"

#include "Md5.h"
#include "SystemText.h"
#include "UntINI.h"

namespace {

constexpr QStringView LoopbackAddress = u"127.0.0.1";

QString withoutLoopbackAddress(QStringView line)
{
    QString result;
    qsizetype start = 0;
    for (;;) {
        const qsizetype found = line.indexOf(LoopbackAddress, start, Qt::CaseInsensitive);
        if (found < 0)
            break;
        result.append(line.sliced(start, found - start));
        start = found + LoopbackAddress.size();
    }
    if (start == 0)
        return line.toString();
    result.append(line.sliced(start));
    return result;
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
    if (systemtext::trimmed(host).isEmpty() || systemtext::hasUndecodedBytes(host))
        return false;
    for (QChar c : host) {
        if (c != u'\t' && c.category() == QChar::Other_Control)
            return false;
    }
    return true;
}

QString hostFromBlockLine(QStringView line)
{
    if (line.startsWith(u'#'))
        return {};
    const QString withoutAddress = withoutLoopbackAddress(line);
    const QStringView host = systemtext::trimmed(withoutAddress);
    if (host.size() > MaxHostLength || !isWritableHost(host))
        return {};
    return host.toString();
}

QString blockListText(const QByteArray& body)
{
    return systemtext::decode(body);
}

QString blockListDigest(const QByteArray& body)
{
    return platform::md5Hex(body);
}
