#include "HostName.h"

bool isHostName(QStringView text)
{
    if (text.isEmpty() || text.size() > 253)
        return false;
    qsizetype labelLength = 0;
    for (const QChar c : text) {
        if (c == u'.') {
            if (labelLength == 0)
                return false;
            labelLength = 0;
            continue;
        }
        const bool allowed = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                             (c >= u'0' && c <= u'9') || c == u'-' || c == u'_';
        if (!allowed || ++labelLength > 63)
            return false;
    }
    return labelLength > 0;
}
