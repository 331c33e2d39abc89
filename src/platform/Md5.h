#pragma once

// MD5 digests as 32 lower-case hexadecimal characters.

#include <QByteArray>
#include <QString>

namespace platform {

QString md5Hex(const QByteArray& bytes);
// The digest of the text's 8-bit form (the locale's encoding).
QString md5Hex(const QString& text);

} // namespace platform
