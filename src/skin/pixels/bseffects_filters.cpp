// Bitmap effects: alpha from a grey mask, HSL changes, brightness,
// reflections and the vertical flip.

#include "bseffects.h"
#include "bseffects_internal.h"

#include <algorithm>
#include <cmath>
#include <vector>

using namespace bsdetail;

namespace {

// Rounds to the nearest integer, halves to the even neighbour.
int roundEven(double v)
{
    return int(std::nearbyint(v));
}

// ---------------------------------------------------------------------------

void alphaFromMask(TbsBitmap& bitmap, const TbsBitmap& mask, bool premultiply)
{
    if (bitmap.Empty() || mask.Empty())
        return;
    const int width = std::min(bitmap.Width(), mask.Width());
    const int height = std::min(bitmap.Height(), mask.Height());
    for (int y = 0; y < height; ++y) {
        quint32* line = bitmap.GetScanLine(y);
        const quint32* grey = mask.GetScanLine(y);
        for (int x = 0; x < width; ++x) {
            const int a = (redOf(grey[x]) + greenOf(grey[x]) + blueOf(grey[x])) / 3;
            quint32 p = (line[x] & 0xFFFFFF) | (quint32(a) << 24);
            if (premultiply)
                p = premultipliedPixel(p);
            line[x] = p;
        }
    }
}

// v := round(x * 255) + delta, wrapped once into 0..255 as the engine always
// did, then clamped so that larger deltas cannot leave the range.
float shiftedFraction(float x, int delta)
{
    int v = roundEven(x * 255.0f) + delta;
    if (v > 255)
        v -= 255;
    else if (v < 0)
        v += 255;
    return float(std::clamp(v, 0, 255)) / 255.0f;
}

} // namespace

void AlphaFromGray(TbsBitmap& bitmap, const TbsBitmap& mask)
{
    alphaFromMask(bitmap, mask, false);
}

void AlphaFromGrayPremultiplied(TbsBitmap& bitmap, const TbsBitmap& mask)
{
    alphaFromMask(bitmap, mask, true);
}

// ---------------------------------------------------------------------------
// Colour conversions.

quint32 ColorToPixel32(TColor color)
{
    return 0xFF000000 | (quint32(GetRValue(color)) << 16) | (quint32(GetGValue(color)) << 8) |
           quint32(GetBValue(color));
}

quint32 MakePixel32(qint16 r, qint16 g, qint16 b, quint8 a)
{
    const auto channel = [](qint16 c) { return quint32(std::clamp<int>(c, 0, 255)); };
    return (quint32(a) << 24) | (channel(r) << 16) | (channel(g) << 8) | channel(b);
}

void PixelToHSL(quint32 pixel, float& h, float& s, float& l)
{
    const float r = float(redOf(pixel)) / 255.0f;
    const float g = float(greenOf(pixel)) / 255.0f;
    const float b = float(blueOf(pixel)) / 255.0f;
    const float mx = std::max({r, g, b});
    const float mn = std::min({r, g, b});
    l = (mx + mn) / 2.0f;
    if (mx == mn) {
        h = 0.0f;
        s = 0.0f;
        return;
    }
    const float d = mx - mn;
    s = l < 0.5f ? d / (mx + mn) : d / (2.0f - mx - mn);
    if (r == mx)
        h = (g - b) / d;
    else if (g == mx)
        h = 2.0f + (b - r) / d;
    else
        h = 4.0f + (r - g) / d;
    h /= 6.0f;
    if (h < 0.0f)
        h += 1.0f;
}

int HueToChannel(float h, float p, float q)
{
    h -= std::floor(h);
    float v;
    if (6.0f * h < 1.0f)
        v = p + (q - p) * 6.0f * h;
    else if (2.0f * h < 1.0f)
        v = q;
    else if (3.0f * h < 2.0f)
        v = p + (q - p) * (2.0f / 3.0f - h) * 6.0f;
    else
        v = p;
    return std::clamp(roundEven(255.0f * v), 0, 255);
}

quint32 HSLToPixel32(float l, float s, float h)
{
    if (s == 0.0f) {
        const quint32 grey = quint32(std::clamp(roundEven(255.0f * l), 0, 255));
        return 0xFF000000 | (grey << 16) | (grey << 8) | grey;
    }
    const float q = l <= 0.5f ? l * (1.0f + s) : l + s - l * s;
    const float p = 2.0f * l - q;
    return 0xFF000000 | (quint32(HueToChannel(h + 1.0f / 3.0f, p, q)) << 16) |
           (quint32(HueToChannel(h, p, q)) << 8) | quint32(HueToChannel(h - 1.0f / 3.0f, p, q));
}

quint32 SetPixelHue(quint32 pixel, int amount)
{
    float h, s, l;
    PixelToHSL(pixel, h, s, l);
    h = float(std::clamp(amount, 0, 255)) / 255.0f;
    return HSLToPixel32(l, s, h);
}

quint32 ChangePixelSat(quint32 pixel, int delta)
{
    float h, s, l;
    PixelToHSL(pixel, h, s, l);
    return HSLToPixel32(l, shiftedFraction(s, delta), h);
}

quint32 ChangePixelHue(quint32 pixel, int delta)
{
    float h, s, l;
    PixelToHSL(pixel, h, s, l);
    return HSLToPixel32(l, s, shiftedFraction(h, delta));
}

quint32 ChangePixelBrightness(quint32 pixel, int delta)
{
    // Beyond +-255 every channel is at its end anyway; clamping first keeps
    // the 16-bit sum from wrapping around.
    const int d = std::clamp(delta, -255, 255);
    return MakePixel32(qint16(redOf(pixel) + d), qint16(greenOf(pixel) + d),
                       qint16(blueOf(pixel) + d), 255);
}

// ---------------------------------------------------------------------------
// Bitmap methods.

void TbsBitmap::ChangeEachPixel(quint32 (*step)(quint32, int), int amount)
{
    quint32* p = Bits();
    const qsizetype n = qsizetype(FWidth) * FHeight;
    for (qsizetype i = 0; i < n; ++i) {
        const quint32 alpha = p[i] & 0xFF000000;
        if (alpha != 0)
            p[i] = (step(p[i], amount) & 0xFFFFFF) | alpha;
    }
}

void TbsBitmap::ChangeBitmapBrightness(int delta)
{
    if (!Empty() && delta != 0)
        ChangeEachPixel(ChangePixelBrightness, delta);
}

void TbsBitmap::SetBitmapHue(int amount)
{
    if (!Empty())
        ChangeEachPixel(SetPixelHue, amount);
}

void TbsBitmap::ChangeBitmapSat(int delta)
{
    if (!Empty() && delta != 0)
        ChangeEachPixel(ChangePixelSat, delta);
}

void TbsBitmap::ChangeBitmapHue(int delta)
{
    if (!Empty() && delta != 0)
        ChangeEachPixel(ChangePixelHue, delta);
}

void TbsBitmap::ReflectionBy(int divisor)
{
    if (Empty())
        return;
    FlipVert();
    double factor = 1.0;
    const double step = 2.0 / FHeight;
    for (int y = 0; y < FHeight; ++y) {
        quint32* line = GetScanLine(y);
        for (int x = 0; x < FWidth; ++x) {
            const int a = alphaOf(line[x]);
            if (a > 0) {
                const int faded = std::max(roundEven(a * factor) / divisor, 0);
                line[x] = (line[x] & 0xFFFFFF) | (quint32(faded) << 24);
            }
        }
        factor -= step;
    }
}

void TbsBitmap::Reflection()
{
    ReflectionBy(3);
}

void TbsBitmap::Reflection2()
{
    ReflectionBy(4);
}

void TbsBitmap::Reflection3()
{
    ReflectionBy(2);
}

void TbsBitmap::FlipVert()
{
    if (Empty())
        return;
    std::vector<quint32> row(static_cast<size_t>(FWidth));
    const auto move = PixelRoutines().MoveLine;
    for (int i = 0; i < FHeight / 2; ++i) {
        quint32* top = GetScanLine(i);
        quint32* bottom = GetScanLine(FHeight - 1 - i);
        move(top, row.data(), FWidth);
        move(bottom, top, FWidth);
        move(row.data(), bottom, FWidth);
    }
}
