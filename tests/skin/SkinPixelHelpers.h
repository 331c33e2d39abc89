#pragma once

// Small helpers for exact-pixel tests of the skin engine.

#include "bseffects.h"

#include <QRandomGenerator>
#include <functional>

inline quint32 argb(int a, int r, int g, int b)
{
    return (quint32(a) << 24) | (quint32(r) << 16) | (quint32(g) << 8) | quint32(b);
}
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

inline quint32 pixelAt(const TbsBitmap& b, int x, int y)
{
    return *b.GetPixelPtr(x, y);
}

inline void fillWith(TbsBitmap& b, const std::function<quint32(int, int)>& f)
{
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            *b.GetPixelPtr(x, y) = f(x, y);
}

inline void fillRandom(TbsBitmap& b, quint32 seed)
{
    QRandomGenerator random(seed);
    fillWith(b, [&](int, int) { return random.generate(); });
}
