#pragma once

// Helpers that the bseffects source files share; not part of the engine's
// interface.

#include "bseffects.h"

#include <QString>

class QIODevice;

// A namespace of their own, so that no inline function of the same name
// elsewhere in a program can clash with them.
namespace bsdetail {

// The four bytes of a pixel word 0xAARRGGBB.
inline int alphaOf(quint32 p)
{
    return int(p >> 24);
}
inline int redOf(quint32 p)
{
    return int((p >> 16) & 0xFF);
}
inline int greenOf(quint32 p)
{
    return int((p >> 8) & 0xFF);
}
inline int blueOf(quint32 p)
{
    return int(p & 0xFF);
}

// c * a / 255 to the nearest integer; c * a is never an odd multiple of 127.5,
// so there are no halves to settle.
inline quint32 premultiplied(int c, int a)
{
    return quint32((c * a + 127) / 255);
}

// The pixel with its alpha kept and each of red, green and blue made
// scale(channel, alpha).
template <typename Scale> quint32 scaledByAlpha(quint32 p, Scale scale)
{
    const int a = alphaOf(p);
    return (p & 0xFF000000) | (quint32(scale(redOf(p), a)) << 16) |
           (quint32(scale(greenOf(p), a)) << 8) | quint32(scale(blueOf(p), a));
}

inline quint32 premultipliedPixel(quint32 p)
{
    return scaledByAlpha(p, premultiplied);
}

// The routine of a table that draws in the given mode.
template <typename Routine>
Routine routineFor(TbsBlitMode mode, Routine copy, Routine blend, Routine key)
{
    switch (mode) {
    case TbsBlitMode::Blend:
        return blend;
    case TbsBlitMode::Key:
        return key;
    case TbsBlitMode::Copy:
        break;
    }
    return copy;
}

} // namespace bsdetail

// Stream forms that bitmaps and links share; failures raise EbsSkinError.
// A 32-bit little-endian integer.
qint32 bsReadInt32(QIODevice& stream);
void bsWriteInt32(QIODevice& stream, qint32 value);
// A name: its character count as above, then the UTF-16LE text.
QString bsReadStreamName(QIODevice& stream);
void bsWriteStreamName(QIODevice& stream, const QString& name);
