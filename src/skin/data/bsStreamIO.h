#pragma once

// Exact reads and writes of the little-endian values and byte blocks that skin
// streams are made of. A read past the end or a failed write raises EbsSkinError.

#include "bsTypes.h"

#include <QByteArray>

class QIODevice;

// Bytes between the device's position and its end.
qint64 BytesLeft(const QIODevice& stream);
QByteArray PeekBytes(QIODevice& stream, qint64 count);
// Exactly count bytes, checked against BytesLeft before anything is allocated.
QByteArray ReadBytes(QIODevice& stream, qint64 count);
qint32 ReadInt32(QIODevice& stream);
quint8 ReadByte(QIODevice& stream);

void WriteBytes(QIODevice& stream, const QByteArray& bytes);
void WriteInt32(QIODevice& stream, qint32 value);
void WriteByte(QIODevice& stream, quint8 value);
