#include "Md5.h"

#include "SolvekException.h"

#include <openssl/evp.h>

namespace platform {

QString md5Hex(const QByteArray& bytes)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(bytes.constData(), size_t(bytes.size()), digest, &length, EVP_md5(), nullptr) !=
        1)
        throw solvek::Exception(QStringLiteral("MD5 digest failed"));
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(digest), int(length)).toHex());
}

QString md5Hex(const QString& text)
{
    return md5Hex(text.toLocal8Bit());
}

} // namespace platform
