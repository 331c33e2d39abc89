#pragma once

// Small helpers for exact-pixel tests of the skin engine.

#include "bseffects.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <array>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

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

// A pixel's alpha, red, green and blue, which a failed comparison prints one by one.
using Channels = std::array<int, 4>;
inline Channels channelsOf(quint32 p)
{
    return {alphaOf(p), redOf(p), greenOf(p), blueOf(p)};
}

// A bitmap of the given size with every pixel set to fill.
class SizedBitmap : public TbsBitmap {
public:
    SizedBitmap(int width, int height, quint32 fill = 0)
    {
        SetSize(width, height);
        Clear(fill);
    }
};

// A read-only device over its own copy of data.
class ReadBuffer : public QBuffer {
public:
    explicit ReadBuffer(const QByteArray& data)
    {
        setData(data);
        open(QIODevice::ReadOnly);
    }
};

inline quint32 pixelAt(const TbsBitmap& b, int x, int y)
{
    return *b.GetPixelPtr(x, y);
}

// Row y of a bitmap, left to right.
inline std::vector<quint32> rowOf(const TbsBitmap& b, int y)
{
    return std::vector<quint32>(b.GetScanLine(y), b.GetScanLine(y) + b.Width());
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

inline std::string hexOf(quint32 p)
{
    return QStringLiteral("%1").arg(p, 8, 16, QLatin1Char('0')).toUpper().toStdString();
}

// Every pixel of area against expected(x, y); the first difference fails
// with its place and both values.
inline testing::AssertionResult pixelsMatch(const TbsBitmap& b, const TRect& area,
                                            const std::function<quint32(int, int)>& expected)
{
    for (int y = area.Top; y < area.Bottom; ++y) {
        for (int x = area.Left; x < area.Right; ++x) {
            const quint32 want = expected(x, y);
            if (pixelAt(b, x, y) != want)
                return testing::AssertionFailure()
                       << "pixel " << x << "," << y << " is " << hexOf(pixelAt(b, x, y))
                       << ", expected " << hexOf(want);
        }
    }
    return testing::AssertionSuccess();
}

inline testing::AssertionResult pixelsMatch(const TbsBitmap& b,
                                            const std::function<quint32(int, int)>& expected)
{
    return pixelsMatch(b, b.BoundsRect(), expected);
}
