// Bitmap effects: stack blur, alpha from a grey mask, HSL changes, brightness,
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
// Stack blur.

// Divides weighted totals by (r + 1)^2: one table lookup for the radii the
// engine uses, a division where the table would grow past 16 MiB.
class BlurDivisor {
public:
    explicit BlurDivisor(int radius) : m_divisor((qint64(radius) + 1) * (qint64(radius) + 1))
    {
        if (256 * m_divisor <= kMaxTable) {
            m_table.resize(size_t(256 * m_divisor));
            for (size_t i = 0; i < m_table.size(); ++i)
                m_table[i] = quint8(i / size_t(m_divisor));
        }
    }
    int operator()(qint64 total) const
    {
        return int(m_table.empty() ? total / m_divisor : m_table[size_t(total)]);
    }

private:
    static constexpr qint64 kMaxTable = 16 << 20;
    qint64 m_divisor;
    std::vector<quint8> m_table;
};

struct Rgb {
    int r = 0, g = 0, b = 0;
};

// Running sums of the window. The weighted total reaches 255 * (r + 1)^2,
// past 32 bits from r = 2901 on.
struct Total {
    qint64 r = 0, g = 0, b = 0;
    template <typename Sample> Total& operator+=(const Sample& o)
    {
        r += o.r, g += o.g, b += o.b;
        return *this;
    }
    template <typename Sample> Total& operator-=(const Sample& o)
    {
        r -= o.r, g -= o.g, b -= o.b;
        return *this;
    }
    void addWeighted(const Rgb& p, int weight)
    {
        r += qint64(p.r) * weight, g += qint64(p.g) * weight, b += qint64(p.b) * weight;
    }
};

// One pass of the stack blur over a line of n samples: read(i) gives sample i
// (0 <= i < n), write(i, value) receives the blurred sample. The window of
// 2r + 1 samples sits in a ring; the weighted total is kept with its incoming
// and outgoing halves, so each step costs a few additions whatever r is.
template <typename Read, typename Write>
void blurLine(int n, int radius, std::vector<Rgb>& ring, const BlurDivisor& divide, Read read,
              Write write)
{
    const int window = 2 * radius + 1;
    const int last = n - 1;
    Total total, incoming, outgoing;
    for (int i = -radius; i <= radius; ++i) {
        const Rgb p = read(std::clamp(i, 0, last));
        ring[size_t(i + radius)] = p;
        total.addWeighted(p, radius + 1 - std::abs(i));
        if (i > 0)
            incoming += p;
        else
            outgoing += p;
    }
    int centre = radius;
    for (int x = 0; x < n; ++x) {
        write(x, Rgb{divide(total.r), divide(total.g), divide(total.b)});
        total -= outgoing;
        // The oldest sample leaves the window; the one r + 1 ahead enters.
        const int oldest = (centre + radius + 1) % window;
        outgoing -= ring[size_t(oldest)];
        const Rgb entering = read(std::min(x + radius + 1, last));
        ring[size_t(oldest)] = entering;
        incoming += entering;
        total += incoming;
        centre = (centre + 1) % window;
        const Rgb& middle = ring[size_t(centre)];
        outgoing += middle;
        incoming -= middle;
    }
}

// The vertical pass: the same scheme as blurLine, run for all columns at
// once, row after row, so that memory is read and written in order.
void blurColumns(const std::vector<Rgb>& planes, int w, int h, int radius,
                 const BlurDivisor& divide, quint32* pixels)
{
    const int window = 2 * radius + 1;
    const size_t width = size_t(w);
    std::vector<Total> total(width), incoming(width), outgoing(width);
    std::vector<Rgb> ring(size_t(window) * width); // slot s of column x at s * w + x
    for (int i = -radius; i <= radius; ++i) {
        const Rgb* row = planes.data() + qsizetype(std::clamp(i, 0, h - 1)) * w;
        Rgb* slot = ring.data() + size_t(i + radius) * width;
        const int weight = radius + 1 - std::abs(i);
        for (size_t x = 0; x < width; ++x) {
            const Rgb p = row[x];
            slot[x] = p;
            total[x].addWeighted(p, weight);
            if (i > 0)
                incoming[x] += p;
            else
                outgoing[x] += p;
        }
    }
    int centre = radius;
    for (int y = 0; y < h; ++y) {
        quint32* out = pixels + qsizetype(y) * w;
        Rgb* oldest = ring.data() + size_t((centre + radius + 1) % window) * width;
        const Rgb* entering = planes.data() + qsizetype(std::min(y + radius + 1, h - 1)) * w;
        for (size_t x = 0; x < width; ++x) {
            out[x] = 0xFF000000 | (quint32(divide(total[x].r)) << 16) |
                     (quint32(divide(total[x].g)) << 8) | quint32(divide(total[x].b));
            total[x] -= outgoing[x];
            outgoing[x] -= oldest[x];
            oldest[x] = entering[x];
            incoming[x] += entering[x];
            total[x] += incoming[x];
        }
        centre = (centre + 1) % window;
        const Rgb* middle = ring.data() + size_t(centre) * width;
        for (size_t x = 0; x < width; ++x) {
            outgoing[x] += middle[x];
            incoming[x] -= middle[x];
        }
    }
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

void StackBlur(TbsBitmap& bitmap, int radius)
{
    if (radius < 1 || bitmap.Empty())
        return;
    const int w = bitmap.Width();
    const int h = bitmap.Height();
    const BlurDivisor divide(radius);
    std::vector<Rgb> ring(size_t(2 * radius + 1));
    std::vector<Rgb> planes(size_t(qsizetype(w) * h));

    for (int y = 0; y < h; ++y) {
        const quint32* line = bitmap.GetScanLine(y);
        Rgb* out = planes.data() + qsizetype(y) * w;
        blurLine(
            w, radius, ring, divide,
            [line](int x) {
                return Rgb{redOf(line[x]), greenOf(line[x]), blueOf(line[x])};
            },
            [out](int x, const Rgb& v) { out[x] = v; });
    }
    blurColumns(planes, w, h, radius, divide, bitmap.Bits());
}

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
