// The gradient bar against a reference painted in the test, step by step from
// the bar's description: vertical bars and marquees, the highlight's full
// strength from its 25th step on, and the text's place and affixes.

#include "VistaProBar.h"

#include <QFontMetrics>
#include <QPainter>
#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace vistaprobar;

namespace {

const QRgb kLime = qRgb(0, 255, 0);
const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kBlack = qRgb(0, 0, 0);

int floorDiv(int numerator, int denominator)
{
    return int(std::floor(double(numerator) / denominator));
}

// Per channel of two colours.
template <class Op> QRgb channels(QRgb a, QRgb b, Op op)
{
    return qRgb(op(qRed(a), qRed(b)), op(qGreen(a), qGreen(b)), op(qBlue(a), qBlue(b)));
}

// c2 + floor((c1 - c2) * Round(percent * 2.56) / 256).
QRgb referenceBlend(QRgb c1, QRgb c2, int percent)
{
    const int weight = int(std::nearbyint(percent * 2.56)) % 256;
    return channels(c1, c2, [&](int a, int b) { return b + floorDiv((a - b) * weight, 256); });
}

// from + (to - from) * step / steps, truncated toward zero.
QRgb ramp(QRgb from, QRgb to, int step, int steps)
{
    return channels(from, to, [&](int f, int t) { return f + (t - f) * step / steps; });
}

QRgb grey(int level)
{
    return qRgb(level, level, level);
}

struct Edges4 {
    int left, top, right, bottom;
};

void put(QImage& image, int x, int y, QRgb value)
{
    if (x >= 0 && y >= 0 && x < image.width() && y < image.height())
        image.setPixel(x, y, value);
}

// One glass rectangle as the description paints it.
void referenceGlass(QImage& image, Edges4 r, QRgb c, bool track, bool vertical)
{
    const int glassWidth = r.right - r.left - 1;
    const int glassHeight = r.bottom - r.top - 1;
    if (glassWidth < 1 || glassHeight < 2)
        return;
    const QRgb k1 = track ? grey(253) : referenceBlend(c, kWhite, 5);
    const QRgb k2 = track ? grey(218) : referenceBlend(c, kWhite, 50);
    const QRgb k3 = track ? grey(160) : referenceBlend(c, kBlack, 60);
    const QRgb k4 = track ? grey(213) : referenceBlend(c, kBlack, 80);
    const QRgb h1 = track ? grey(200) : referenceBlend(c, kBlack, 50);
    const QRgb h2 = track ? grey(253) : referenceBlend(c, kWhite, 50);
    const int n = vertical ? glassWidth : glassHeight; // across
    const int m = vertical ? glassHeight : glassWidth; // along
    const int s = int(std::trunc(n / (vertical ? 2.5 : 2.25)));
    for (int j = 0; j < (m + 1) / 2; ++j) {
        const QRgb hc = j < 25 ? ramp(h1, h2, j, 25) : h2;
        for (int i = 0; i < n; ++i) {
            const QRgb p = i < s ? ramp(k1, k2, i, s) : ramp(k3, k4, i, n);
            const int k = j == 0 ? 3 : 2;
            const QRgb value =
                (j == 0 || i < s || i == n - 1)
                    ? channels(p, hc, [&](int pc, int h) { return pc + floorDiv(h - pc, 1 << k); })
                    : channels(p, hc, [](int pc, int h) { return pc + (h - pc) / 2; });
            const auto place = [&](int along) {
                if (vertical)
                    put(image, r.left + i, r.top + along, value);
                else
                    put(image, r.left + along, r.top + i, value);
            };
            place(j);
            if (j < m - 1 - j)
                place(m - 1 - j);
        }
    }
}

// The frame with a white inside.
QImage referenceFrame(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(kWhite);
    for (int x = 0; x < w; ++x) {
        image.setPixel(x, 0, x == 0 || x == w - 1 ? grey(160) : grey(192));
        image.setPixel(x, h - 1, grey(160));
    }
    for (int y = 0; y < h; ++y) {
        image.setPixel(0, y, grey(160));
        image.setPixel(w - 1, y, grey(160));
    }
    for (auto [x, y] :
         {std::pair{0, 0}, std::pair{w - 1, 0}, std::pair{0, h - 1}, std::pair{w - 1, h - 1}})
        image.setPixel(x, y, grey(223));
    return image;
}

// The marquee weights: 254 at both ends falling by steps of 159 / fade, 96
// between the fades.
std::vector<int> referenceWeights(int length, int fade)
{
    std::vector<int> w(size_t(std::max(length, 0)), 0);
    for (int i = 0; i <= length - 1 - fade; ++i) {
        if (i < fade)
            w[size_t(i)] = w[size_t(length - 1 - i)] = 159 * (fade - i) / fade + 95;
        else
            w[size_t(i)] = 96;
    }
    return w;
}

QRgb tint(QRgb pixel, QRgb color, int weight)
{
    return channels(pixel, color,
                    [&](int p, int c) { return c + floorDiv((p - c) * weight, 256); });
}

BarState verticalBar(int w, int h, int position)
{
    BarState state;
    state.width = w;
    state.height = h;
    state.position = position;
    state.orientation = vpbVertical;
    return state;
}

// Round half to even of numerator / denominator, numerator >= 0.
int roundHalfEven(int numerator, int denominator)
{
    return int(std::nearbyint(double(numerator) / denominator));
}

testing::AssertionResult sameImage(const QImage& actual, const QImage& expected)
{
    if (actual.size() != expected.size())
        return testing::AssertionFailure() << "size differs";
    for (int y = 0; y < actual.height(); ++y)
        for (int x = 0; x < actual.width(); ++x)
            if ((actual.pixel(x, y) & 0xFFFFFF) != (expected.pixel(x, y) & 0xFFFFFF))
                return testing::AssertionFailure()
                       << "pixel " << x << "," << y << " is " << std::hex
                       << (actual.pixel(x, y) & 0xFFFFFF) << ", expected "
                       << (expected.pixel(x, y) & 0xFFFFFF);
    return testing::AssertionSuccess();
}

// The reference of a whole vertical bar in bar mode.
QImage referenceVerticalBar(int w, int h, int position)
{
    QImage expected = referenceFrame(w, h);
    referenceGlass(expected, {1, 1, w, h}, kLime, true, true);
    const int top = std::max(1, h - roundHalfEven(h * position, 100));
    referenceGlass(expected, {1, top, w, h}, kLime, false, true);
    return expected;
}

// --- vertical bars ------------------------------------------------------------

TEST(VistaProBarVertical, ReferenceAgreesWithValuesWorkedByHand)
{
    // Anchors for the reference itself. A vertical track 11 wide: n = 9
    // columns across, split Trunc(9 / 2.5) = 3 (a horizontal split would be 4).
    // Column 3 of the glass is the second segment's first: 160 + (213 - 160) * 3 / 9
    // = 177; at the top row (j = 0) it moves an eighth toward 200: 177 + 23 / 8 = 179.
    QImage track = referenceFrame(11, 30);
    referenceGlass(track, {1, 1, 11, 30}, kLime, true, true);
    EXPECT_EQ(track.pixel(1 + 3, 1), grey(179));
    // Column 2, last of the first segment: 253 + (218 - 253) * 2 / 3 = 230; a
    // quarter toward the highlight at j = 1 (200 + 53 / 25 = 202): 230 - 28 / 4 = 223.
    EXPECT_EQ(track.pixel(1 + 2, 2), grey(223));
    // Column 4 at j = 1: 160 + 53 * 4 / 9 = 183, halfway to 202: 192.
    EXPECT_EQ(track.pixel(1 + 4, 2), grey(192));
}

TEST(VistaProBarVertical, SplitAndThicknessComeFromTheWidth)
{
    // Widths whose split differs between the two divisors (n = 9, 14, 18) and
    // heights unlike the widths, so that a thickness taken from the height shows.
    for (int w : {11, 16, 20}) {
        for (int h : {9, 33, 60}) {
            for (int position : {0, 37, 50, 100}) {
                EXPECT_TRUE(sameImage(render(verticalBar(w, h, position)),
                                      referenceVerticalBar(w, h, position)))
                    << w << "x" << h << " at " << position;
            }
        }
    }
}

TEST(VistaProBarVertical, FullBarStartsAtRowOne)
{
    // At 100 %, H - Round(H) = 0: the fill's top is held at 1, so row 0 keeps
    // the frame's top line and row 1 is the fill's first highlighted row.
    const QImage full = render(verticalBar(12, 20, 100));
    for (int x = 1; x < 11; ++x)
        EXPECT_EQ(full.pixel(x, 0) & 0xFFFFFF, grey(192) & 0xFFFFFF) << x;
    QImage fillOnly = referenceFrame(12, 20);
    referenceGlass(fillOnly, {1, 1, 12, 20}, kLime, false, true);
    EXPECT_TRUE(sameImage(full, fillOnly));
    // Lime fill, first row, column 5 (n = 10, s = 4: second segment): key
    // 0 + (0 - 0), green 153 + (204 - 153) * 5 / 10 = 178, moved an eighth toward
    // the highlight green 127: 178 + floor(-51 / 8) = 171.
    EXPECT_EQ(full.pixel(1 + 5, 1) & 0xFFFFFF, qRgb(0, 171, 0) & 0xFFFFFF);
}

TEST(VistaProBarVertical, MarqueeTintsWholeRowsWithTheFadedWeights)
{
    for (auto [w, h, phase, size, fade] :
         {std::tuple{12, 60, 50, 40, 30}, std::tuple{9, 45, 5, 40, 30},
          std::tuple{15, 80, 120, 25, 0}, std::tuple{10, 33, 77, 60, 70},
          // Narrow and tall: the block's height, not its width, lets it be drawn.
          std::tuple{5, 40, 50, 40, 30},
          // Blocks of two rows are too low to draw, of three are drawn.
          std::tuple{12, 5, 50, 40, 30}, std::tuple{12, 5, 50, 60, 30}}) {
        BarState state = verticalBar(w, h, 0);
        state.marquee = true;
        state.marqueePhase = phase;
        state.marqueeSize = size;
        state.marqueeFade = fade;
        QImage expected = referenceFrame(w, h);
        referenceGlass(expected, {1, 1, w, h}, kLime, true, true);
        const int top = h - roundHalfEven(h * phase, 100);
        const int bottom = top + roundHalfEven(h * size, 100);
        // Nothing unless the block's rectangle is over one pixel high inside.
        const int length = bottom - top - 1 > 1 ? h * size / 100 : 0; // Trunc(H / 100 * Size)
        const std::vector<int> weights = referenceWeights(length, length * fade / 100);
        const QImage track = expected;
        for (int k = 0; k < length; ++k) {
            const int y = top + k;
            if (y < 0 || y >= h)
                continue;
            for (int x = 0; x < w; ++x) // frame columns included
                expected.setPixel(x, y, tint(track.pixel(x, y), kLime, weights[size_t(k)]));
        }
        EXPECT_TRUE(sameImage(render(state), expected))
            << w << "x" << h << " phase " << phase << " size " << size << " fade " << fade;
    }
}

TEST(VistaProBarVertical, MarqueeRowsAndWeightsWorkedByHand)
{
    // 10 x 50 at phase 60: top 50 - Round(30) = 20; block Trunc(50 / 100 * 40) = 20
    // rows, fades Trunc(20 / 100 * 30) = 6: rows 20 .. 39, weights 254, 228, ...
    BarState state = verticalBar(10, 50, 0);
    state.marquee = true;
    state.marqueePhase = 60;
    const QImage block = render(state);
    state.marquee = false;
    const QImage track = render(state);
    for (int y = 0; y < 50; ++y) {
        const bool tinted = y >= 20 && y < 40;
        EXPECT_EQ(block.pixel(0, y) != track.pixel(0, y), tinted) << y;
    }
    // The frame column's grey 160 under weight 254 (row 20): 0 + floor(160 * 254
    // / 256) = 158 red and blue, green 255 + floor(-95 * 254 / 256) = 160; under
    // weight Trunc(159 / 6 * 5) + 95 = 227 (row 21): 141, 255 + floor(-95 * 227 /
    // 256) = 170; under 96 (row 26): 60, 219.
    EXPECT_EQ(block.pixel(0, 20) & 0xFFFFFF, qRgb(158, 160, 158) & 0xFFFFFF);
    EXPECT_EQ(block.pixel(0, 21) & 0xFFFFFF, qRgb(141, 170, 141) & 0xFFFFFF);
    EXPECT_EQ(block.pixel(0, 26) & 0xFFFFFF, qRgb(60, 219, 60) & 0xFFFFFF);
    EXPECT_EQ(block.pixel(0, 39), block.pixel(0, 20)); // the block's two ends alike
}

TEST(VistaProBarHorizontal, MarqueeWhoseRightEdgeIsOneShowsItsLastColumn)
{
    // 100 wide at phase 1: right edge Round(1) = 1, left 1 - 40 = -39; the
    // block's 40 columns run from -39 to 0, so column 0 gets the end weight 254.
    BarState state;
    state.width = 100;
    state.height = 17;
    state.marquee = true;
    state.marqueePhase = 1;
    const QImage block = render(state);
    QImage expected = referenceFrame(100, 17);
    referenceGlass(expected, {1, 1, 100, 17}, kLime, true, false);
    for (int y = 0; y < 17; ++y)
        expected.setPixel(0, y, tint(expected.pixel(0, y), kLime, 254));
    EXPECT_TRUE(sameImage(block, expected));
}

// --- the highlight along the bar ----------------------------------------------

TEST(VistaProBarHighlight, FullStrengthFromTheTwentyFifthStepOn)
{
    // A horizontal 80 x 17 track: glass 78 long, so steps j = 0 .. 38 from each
    // end; from j = 25 on the highlight is the full 253.
    BarState state;
    state.width = 80;
    state.height = 17;
    const QImage image = render(state);
    QImage expected = referenceFrame(80, 17);
    referenceGlass(expected, {1, 1, 80, 17}, kLime, true, false);
    EXPECT_TRUE(sameImage(image, expected));
    // Row 9 of the glass (n = 15, s = 6: second segment), P = 160 + 53 * 9 / 15
    // = 191. At j = 24 the highlight is 200 + 53 * 24 / 25 = 250, at j >= 25 it
    // is 253: halfway gives 220 and 222.
    const int row = 1 + 9;
    EXPECT_EQ(image.pixel(1 + 24, row) & 0xFFFFFF, grey(220) & 0xFFFFFF);
    EXPECT_EQ(image.pixel(1 + 25, row) & 0xFFFFFF, grey(222) & 0xFFFFFF);
    EXPECT_EQ(image.pixel(1 + 38, row) & 0xFFFFFF, grey(222) & 0xFFFFFF);
    EXPECT_EQ(image.pixel(1 + 77 - 25, row) & 0xFFFFFF, grey(222) & 0xFFFFFF); // mirrored
    EXPECT_EQ(image.pixel(1 + 77 - 24, row) & 0xFFFFFF, grey(220) & 0xFFFFFF);
}

TEST(VistaProBarHighlight, LongLimeFillAgreesWithTheReference)
{
    for (int w : {54, 55, 120}) {
        BarState state;
        state.width = w;
        state.height = 21;
        state.position = 100;
        QImage expected = referenceFrame(w, 21);
        referenceGlass(expected, {1, 1, w, 21}, kLime, true, false);
        referenceGlass(expected, {1, 1, w, 21}, kLime, false, false);
        EXPECT_TRUE(sameImage(render(state), expected)) << w;
    }
}

// --- text ---------------------------------------------------------------------

// The bar without text with text drawn at (x, y) as its top-left corner.
QImage withTextAt(const BarState& state, const QString& text, int x, int y)
{
    BarState plain = state;
    plain.showPosText = false;
    QImage image = render(plain);
    QPainter painter(&image);
    painter.setFont(state.font);
    painter.setPen(QColor::fromRgb(state.textColor));
    painter.drawText(x, y + painter.fontMetrics().ascent(), text);
    return image;
}

BarState textBar(int w, int h)
{
    BarState state;
    state.width = w;
    state.height = h;
    state.font.setPixelSize(11);
    state.showPosText = true;
    return state;
}

TEST(VistaProBarText, PrefixValueAndSuffixCentredWithTruncatingHalves)
{
    // Two widths and two heights, so that both halvings meet an odd remainder.
    for (int w : {151, 152}) {
        for (int h : {33, 34}) {
            BarState state = textBar(w, h);
            state.position = 45;
            state.percentage = true;
            state.posTextPrefix = QStringLiteral("Updating Hosts : ");
            state.posTextSuffix = QStringLiteral(" done");
            const QString text = QStringLiteral("Updating Hosts : 45% done");
            const QFontMetrics metrics(state.font);
            const int x = (w - metrics.horizontalAdvance(text)) / 2;
            const int y = (h - metrics.height()) / 2;
            const QImage image = render(state);
            EXPECT_TRUE(sameImage(image, withTextAt(state, text, x, y))) << w << "x" << h;
            // One pixel off either way, or without the suffix, is another picture.
            EXPECT_FALSE(sameImage(image, withTextAt(state, text, x + 1, y)));
            EXPECT_FALSE(sameImage(image, withTextAt(state, text, x, y + 1)));
            EXPECT_FALSE(sameImage(image, withTextAt(state, text.chopped(5), x, y)));
        }
    }
}

TEST(VistaProBarText, RawPositionAndATextWiderThanTheBar)
{
    BarState state = textBar(40, 17);
    state.max = 1000;
    state.position = 731;
    state.posTextPrefix = QStringLiteral("Rows read so far: ");
    const QString text = QStringLiteral("Rows read so far: 731");
    const QFontMetrics metrics(state.font);
    const int spare = 40 - metrics.horizontalAdvance(text);
    ASSERT_LT(spare, 0);
    // div truncates toward zero: an odd negative spare rounds up, not down.
    const int x = spare / 2;
    EXPECT_TRUE(sameImage(render(state), withTextAt(state, text, x, (17 - metrics.height()) / 2)));
    if (spare % 2 != 0) {
        EXPECT_FALSE(
            sameImage(render(state), withTextAt(state, text, x - 1, (17 - metrics.height()) / 2)));
    }
}

} // namespace
