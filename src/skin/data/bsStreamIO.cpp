#include "bsStreamIO.h"

#include <QIODevice>
#include <QtEndian>

namespace {

[[noreturn]] void readError()
{
    throw EbsSkinError(QStringLiteral("Stream read error"));
}

} // namespace

qint64 BytesLeft(const QIODevice& stream)
{
    return qMax<qint64>(0, stream.size() - stream.pos());
}

QByteArray PeekBytes(QIODevice& stream, qint64 count)
{
    return stream.peek(qMin(count, BytesLeft(stream)));
}

QByteArray ReadBytes(QIODevice& stream, qint64 count)
{
    if (count < 0 || count > BytesLeft(stream))
        readError();
    QByteArray bytes = stream.read(count);
    if (bytes.size() != count)
        readError();
    return bytes;
}

qint32 ReadInt32(QIODevice& stream)
{
    return qFromLittleEndian<qint32>(ReadBytes(stream, 4).constData());
}

quint8 ReadByte(QIODevice& stream)
{
    return quint8(ReadBytes(stream, 1).at(0));
}

void WriteBytes(QIODevice& stream, const QByteArray& bytes)
{
    if (stream.write(bytes) != bytes.size())
        throw EbsSkinError(QStringLiteral("Stream write error"));
}

void WriteInt32(QIODevice& stream, qint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    WriteBytes(stream, QByteArray(bytes, 4));
}

void WriteByte(QIODevice& stream, quint8 value)
{
    WriteBytes(stream, QByteArray(1, char(value)));
}
