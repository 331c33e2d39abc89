// The stack blur: a triangular kernel of radius r, applied horizontally and
// then vertically, each pass costing a few additions per pixel whatever r is.

#include "bseffects.h"
#include "bseffects_internal.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

using namespace bsdetail;

namespace {

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

#if defined(__SSE2__)

// The vector form: two pixels in eight 16-bit lanes (blue, green, red, alpha
// each). From radius 16 on a weighted total, up to 255 * (r + 1)^2, no longer
// fits 16 bits. Alpha is carried along and replaced by 255 at the end.
constexpr int kLargestVectorRadius = 15;

// floor(total / (r + 1)^2) in every lane: a high-half product with
// 65536 div (r + 1)^2 comes out exact or one short, and the remainder tells which.
class VectorDivisor {
public:
    explicit VectorDivisor(int radius)
    {
        const int divisor = (radius + 1) * (radius + 1);
        m_reciprocal = _mm_set1_epi16(short(65536 / divisor));
        m_divisor = _mm_set1_epi16(short(divisor));
        m_largestRemainder = _mm_set1_epi16(short(divisor - 1));
    }
    // The two quotient pixels as bytes, in the low eight bytes.
    __m128i operator()(__m128i total) const
    {
        __m128i quotient = _mm_mulhi_epu16(total, m_reciprocal);
        const __m128i remainder = _mm_sub_epi16(total, _mm_mullo_epi16(quotient, m_divisor));
        // The remainder is below twice the divisor, so a signed compare serves.
        quotient = _mm_sub_epi16(quotient, _mm_cmpgt_epi16(remainder, m_largestRemainder));
        return _mm_packus_epi16(quotient, quotient);
    }

private:
    __m128i m_reciprocal;
    __m128i m_divisor;
    __m128i m_largestRemainder;
};

// The running sums of two windows side by side. Sums go through 16-bit
// wrap-around on the way, but every stored value fits, so all stay exact.
struct VectorSums {
    __m128i total = _mm_setzero_si128();
    __m128i incoming = _mm_setzero_si128();
    __m128i outgoing = _mm_setzero_si128();

    // The window centred on sample 0; sampleAt(i) for i in -r .. r.
    template <typename SampleAt> VectorSums(int radius, SampleAt sampleAt)
    {
        for (int i = -radius; i <= radius; ++i) {
            const __m128i sample = sampleAt(i);
            const __m128i weight = _mm_set1_epi16(short(radius + 1 - std::abs(i)));
            total = _mm_add_epi16(total, _mm_mullo_epi16(sample, weight));
            if (i > 0)
                incoming = _mm_add_epi16(incoming, sample);
            else
                outgoing = _mm_add_epi16(outgoing, sample);
        }
    }
    VectorSums() = default;

    // One place on: the oldest sample leaves, the one r + 1 ahead enters, and
    // the new centre moves from the incoming half to the outgoing one.
    void step(__m128i leaving, __m128i entering, __m128i centre)
    {
        total = _mm_sub_epi16(total, outgoing);
        outgoing = _mm_sub_epi16(outgoing, leaving);
        incoming = _mm_add_epi16(incoming, entering);
        total = _mm_add_epi16(total, incoming);
        outgoing = _mm_add_epi16(outgoing, centre);
        incoming = _mm_sub_epi16(incoming, centre);
    }
};

inline __m128i widened(__m128i bytes)
{
    return _mm_unpacklo_epi8(bytes, _mm_setzero_si128());
}

// Pixel x of rows a and b side by side, widened to 16-bit lanes.
inline __m128i pixelPair(const quint32* a, const quint32* b, int x)
{
    return widened(_mm_unpacklo_epi32(_mm_cvtsi32_si128(int(a[x])), _mm_cvtsi32_si128(int(b[x]))));
}

// One widened pixel pair held in memory (a struct: containers drop the
// attributes of vector types given to them directly).
struct PairSample {
    __m128i lanes;
};

// Rows a and b, pixel by pixel side by side, with r + 1 copies of the end
// pixels before and after: samples[pad + x] is the pair of column x.
void fillPairedRows(const quint32* a, const quint32* b, int width, int pad,
                    std::vector<PairSample>& samples)
{
    for (int i = 0; i < pad; ++i) {
        samples[size_t(i)].lanes = pixelPair(a, b, 0);
        samples[size_t(pad + width + i)].lanes = pixelPair(a, b, width - 1);
    }
    PairSample* row = samples.data() + pad;
    int x = 0;
    for (; x + 4 <= width; x += 4) {
        const __m128i fourA = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + x));
        const __m128i fourB = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + x));
        const __m128i firstTwo = _mm_unpacklo_epi32(fourA, fourB);
        const __m128i lastTwo = _mm_unpackhi_epi32(fourA, fourB);
        row[x].lanes = widened(firstTwo);
        row[x + 1].lanes = widened(_mm_srli_si128(firstTwo, 8));
        row[x + 2].lanes = widened(lastTwo);
        row[x + 3].lanes = widened(_mm_srli_si128(lastTwo, 8));
    }
    for (; x < width; ++x)
        row[x].lanes = pixelPair(a, b, x);
}

// The horizontal pass, two rows at a time (the last of an odd count with
// itself), into the plane.
void blurRowsSSE2(const TbsBitmap& bitmap, int radius, const VectorDivisor& divide, quint32* plane)
{
    const int w = bitmap.Width();
    const int h = bitmap.Height();
    const int pad = radius + 1;
    std::vector<PairSample> samples(size_t(w + 2 * pad));
    for (int y = 0; y < h; y += 2) {
        const int y2 = std::min(y + 1, h - 1);
        fillPairedRows(bitmap.GetScanLine(y), bitmap.GetScanLine(y2), w, pad, samples);
        const PairSample* s = samples.data() + pad;
        VectorSums sums(radius, [s](int i) { return s[i].lanes; });
        quint32* outA = plane + qsizetype(y) * w;
        quint32* outB = plane + qsizetype(y2) * w;
        for (int x = 0; x < w; ++x) {
            const __m128i blurred = divide(sums.total);
            outA[x] = quint32(_mm_cvtsi128_si32(blurred));
            outB[x] = quint32(_mm_cvtsi128_si32(_mm_srli_si128(blurred, 4)));
            sums.step(s[x - radius].lanes, s[x + radius + 1].lanes, s[x + 1].lanes);
        }
    }
}

// Pixels x and x + 1 of a row (x alone at the end of an odd width), widened.
inline __m128i columnPair(const quint32* row, int x, int width)
{
    if (x + 1 < width)
        return widened(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + x)));
    return widened(_mm_cvtsi32_si128(int(row[x])));
}

// The vertical pass, two columns at a time, all columns row after row so that
// memory is read and written in order; the result is opaque.
void blurColumnsSSE2(const quint32* plane, int radius, const VectorDivisor& divide,
                     TbsBitmap& bitmap)
{
    const int w = bitmap.Width();
    const int h = bitmap.Height();
    const auto planeRow = [&](int y) { return plane + qsizetype(std::clamp(y, 0, h - 1)) * w; };
    std::vector<VectorSums> sums(size_t((w + 1) / 2));
    for (size_t k = 0; k < sums.size(); ++k) {
        const int x = 2 * int(k);
        sums[k] = VectorSums(radius, [&](int i) { return columnPair(planeRow(i), x, w); });
    }
    const __m128i opaque = _mm_set1_epi32(int(0xFF000000));
    for (int y = 0; y < h; ++y) {
        const quint32* leaving = planeRow(y - radius);
        const quint32* entering = planeRow(y + radius + 1);
        const quint32* centre = planeRow(y + 1);
        quint32* out = bitmap.GetScanLine(y);
        for (size_t k = 0; k < sums.size(); ++k) {
            const int x = 2 * int(k);
            const __m128i blurred = _mm_or_si128(divide(sums[k].total), opaque);
            if (x + 1 < w)
                _mm_storel_epi64(reinterpret_cast<__m128i*>(out + x), blurred);
            else
                out[x] = quint32(_mm_cvtsi128_si32(blurred));
            sums[k].step(columnPair(leaving, x, w), columnPair(entering, x, w),
                         columnPair(centre, x, w));
        }
    }
}

void stackBlurSSE2(TbsBitmap& bitmap, int radius)
{
    const VectorDivisor divide(radius);
    // Every pixel of the plane is written before it is read: no need to clear it.
    const std::unique_ptr<quint32[]> plane(new quint32[size_t(bitmap.Width()) * bitmap.Height()]);
    blurRowsSSE2(bitmap, radius, divide, plane.get());
    blurColumnsSSE2(plane.get(), radius, divide, bitmap);
}

#endif

} // namespace

void StackBlurPortable(TbsBitmap& bitmap, int radius)
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

void StackBlur(TbsBitmap& bitmap, int radius)
{
    if (radius < 1 || bitmap.Empty())
        return;
#if defined(__SSE2__)
    if (radius <= kLargestVectorRadius) {
        stackBlurSSE2(bitmap, radius);
        return;
    }
#endif
    StackBlurPortable(bitmap, radius);
}
