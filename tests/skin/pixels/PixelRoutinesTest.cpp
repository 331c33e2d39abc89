// The pixel and blit tables against naive references.

#include "SkinPixelHelpers.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

namespace {

quint32 naivePlain(quint32 s, quint32 d)
{
    const int a = alphaOf(s);
    if (a == 255)
        return s;
    if (a == 0)
        return d;
    const auto mix = [a](int sc, int dc) { return (sc * a + dc * (255 - a)) >> 8; };
    return argb(255, mix(redOf(s), redOf(d)), mix(greenOf(s), greenOf(d)),
                mix(blueOf(s), blueOf(d)));
}

quint32 naiveFourLane(quint32 s, quint32 d)
{
    const int a = alphaOf(s);
    const auto mix = [a](int sc, int dc) { return (sc * a + dc * (256 - a)) >> 8; };
    return argb(mix(alphaOf(s), alphaOf(d)), mix(redOf(s), redOf(d)), mix(greenOf(s), greenOf(d)),
                mix(blueOf(s), blueOf(d)));
}

TEST(BlendFormulas, PlainExampleFromTheDesign)
{
    EXPECT_EQ(channelsOf(BlendPixelPlain(0x80FF0000, 0xFF0000FF)), (Channels{255, 127, 0, 126}));
}

TEST(BlendFormulas, FourLaneExampleFromTheDesign)
{
    EXPECT_EQ(channelsOf(BlendPixelMMX(0x80FF0000, 0xFF0000FF)), (Channels{191, 127, 0, 127}));
}

TEST(BlendFormulas, BothMatchTheirNaiveFormulaForEveryAlpha)
{
    QRandomGenerator random(7);
    for (int a = 0; a < 256; ++a) {
        for (int k = 0; k < 64; ++k) {
            const quint32 s = (random.generate() & 0xFFFFFF) | (quint32(a) << 24);
            const quint32 d = random.generate();
            ASSERT_EQ(BlendPixelPlain(s, d), naivePlain(s, d)) << std::hex << s << " " << d;
            ASSERT_EQ(BlendPixelMMX(s, d), naiveFourLane(s, d)) << std::hex << s << " " << d;
        }
    }
}

TEST(BlendFormulas, FourLaneKeepsAColourBlendedOverItself)
{
    EXPECT_EQ(BlendPixelMMX(0x80FFFFFF, 0xFFFFFFFF) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(BlendPixelPlain(0x80FFFFFF, 0xFFFFFFFF) & 0xFFFFFF, 0xFEFEFEu);
}

TEST(BlendFormulas, LineFormsLeaveAlphaZeroAndCopyAlpha255)
{
    for (auto line : {BlendLinePlain, BlendLineMMX}) {
        const quint32 src[3] = {0x00123456, 0xFF654321, 0x80FF0000};
        quint32 dst[3] = {0xFF0000FF, 0xFF0000FF, 0xFF0000FF};
        line(src, dst, 3);
        EXPECT_EQ(dst[0], 0xFF0000FFu);
        EXPECT_EQ(dst[1], 0xFF654321u);
        EXPECT_NE(dst[2], 0xFF0000FFu);
    }
    // The four-lane pixel form has no shortcut at 255: (255*255 + 0) >> 8 = 254.
    EXPECT_EQ(redOf(BlendPixelMMX(0xFFFF0000, 0x00000000)), 254);
}

// --- the blend line on vector units -----------------------------------------

using BlendLineForm = void (*)(const quint32*, quint32*, int);

// The line form of the four-lane formula, pixel by pixel.
void naiveFourLaneLine(const quint32* src, quint32* dst, int count)
{
    for (int i = 0; i < count; ++i) {
        const int a = alphaOf(src[i]);
        if (a == 255)
            dst[i] = src[i];
        else if (a != 0)
            dst[i] = naiveFourLane(src[i], dst[i]);
    }
}

// Random pixels whose alphas are 0 or 255 for about a third each, so that whole
// vector groups of either occur as well as mixed ones.
quint32 randomSourcePixel(QRandomGenerator& random)
{
    const quint32 p = random.generate();
    switch (random.bounded(3)) {
    case 0:
        return p & 0x00FFFFFF;
    case 1:
        return p | 0xFF000000;
    default:
        return p;
    }
}

// Blends src over dst with the form and with the naive line, in buffers that
// start `offset` pixels in (odd offsets break the vector units' alignment) and
// carry guard pixels on both sides, which must stay as they were.
testing::AssertionResult blendsLikeTheNaiveLine(BlendLineForm form, const std::vector<quint32>& src,
                                                const std::vector<quint32>& dst, int srcOffset,
                                                int dstOffset)
{
    constexpr quint32 kGuard = 0x5A5A5A5A;
    const int count = int(src.size());
    std::vector<quint32> srcBuffer(size_t(count + srcOffset + 8), kGuard);
    std::vector<quint32> dstBuffer(size_t(count + dstOffset + 8), kGuard);
    std::copy(src.begin(), src.end(), srcBuffer.begin() + srcOffset);
    std::copy(dst.begin(), dst.end(), dstBuffer.begin() + dstOffset);
    std::vector<quint32> expected = dstBuffer;
    naiveFourLaneLine(src.data(), expected.data() + dstOffset, count);
    form(srcBuffer.data() + srcOffset, dstBuffer.data() + dstOffset, count);
    for (size_t i = 0; i < dstBuffer.size(); ++i) {
        if (dstBuffer[i] != expected[i])
            return testing::AssertionFailure()
                   << "line of " << count << " at offsets " << srcOffset << "/" << dstOffset
                   << ": pixel " << int(i) - dstOffset << " is " << hexOf(dstBuffer[i])
                   << ", expected " << hexOf(expected[i]) << " (source "
                   << (i >= size_t(dstOffset) && int(i) - dstOffset < count
                           ? hexOf(src[i - size_t(dstOffset)])
                           : std::string("none"))
                   << ")";
    }
    return testing::AssertionSuccess();
}

// Every alpha 0..255 over random colours, in lines of 1 to 19 pixels of that one
// alpha (whole vector groups and tails) and in one mixed line.
void expectEveryAlphaBlendsExactly(BlendLineForm form)
{
    QRandomGenerator random(255);
    std::vector<quint32> mixedSrc, mixedDst;
    for (int a = 0; a < 256; ++a) {
        for (int length : {1, 4, 8, 19}) {
            std::vector<quint32> src(static_cast<size_t>(length)), dst(static_cast<size_t>(length));
            for (int i = 0; i < length; ++i) {
                src[size_t(i)] = (random.generate() & 0xFFFFFF) | (quint32(a) << 24);
                dst[size_t(i)] = random.generate();
            }
            ASSERT_TRUE(blendsLikeTheNaiveLine(form, src, dst, 0, 0)) << "alpha " << a;
            mixedSrc.insert(mixedSrc.end(), src.begin(), src.end());
            mixedDst.insert(mixedDst.end(), dst.begin(), dst.end());
        }
    }
    std::shuffle(mixedSrc.begin(), mixedSrc.end(), random);
    ASSERT_TRUE(blendsLikeTheNaiveLine(form, mixedSrc, mixedDst, 1, 3));
    // The extremes of every channel: 255 over 0 and 0 over 255 at every alpha.
    for (int a = 1; a < 255; ++a) {
        const quint32 alpha = quint32(a) << 24;
        ASSERT_TRUE(blendsLikeTheNaiveLine(form, std::vector<quint32>(9, alpha | 0xFFFFFF),
                                           std::vector<quint32>(9, 0), 0, 0));
        ASSERT_TRUE(blendsLikeTheNaiveLine(form, std::vector<quint32>(9, alpha),
                                           std::vector<quint32>(9, 0xFFFFFFFF), 0, 0));
    }
}

// Random lines of every length from 0 to 67, source and destination each
// starting 0 to 3 pixels into their buffers.
void expectRandomLinesBlendExactly(BlendLineForm form)
{
    QRandomGenerator random(67);
    for (int length = 0; length <= 67; ++length) {
        for (int srcOffset = 0; srcOffset < 4; ++srcOffset) {
            for (int dstOffset = 0; dstOffset < 4; ++dstOffset) {
                std::vector<quint32> src(static_cast<size_t>(length)),
                    dst(static_cast<size_t>(length));
                for (int i = 0; i < length; ++i) {
                    src[size_t(i)] = randomSourcePixel(random);
                    dst[size_t(i)] = random.generate();
                }
                ASSERT_TRUE(blendsLikeTheNaiveLine(form, src, dst, srcOffset, dstOffset));
            }
        }
    }
}

TEST(BlendLineForms, PortableReferenceMatchesTheNaiveLine)
{
    expectEveryAlphaBlendsExactly(BlendLineMMX);
    expectRandomLinesBlendExactly(BlendLineMMX);
}

#if defined(__SSE2__)

TEST(BlendLineForms, SSE2MatchesTheNaiveLine)
{
    expectEveryAlphaBlendsExactly(BlendLineSSE2);
    expectRandomLinesBlendExactly(BlendLineSSE2);
}

TEST(BlendLineForms, AVX2MatchesTheNaiveLine)
{
    if (!CpuHasAVX2())
        GTEST_SKIP() << "this processor has no AVX2: the AVX2 blend line is not exercised here";
    expectEveryAlphaBlendsExactly(BlendLineAVX2);
    expectRandomLinesBlendExactly(BlendLineAVX2);
}

TEST(PixelTable, BlendsWithTheWidestVectorForm)
{
    EXPECT_EQ(PixelRoutines().BlendPixel, &BlendPixelMMX);
    EXPECT_EQ(PixelRoutines().BlendLine, CpuHasAVX2() ? &BlendLineAVX2 : &BlendLineSSE2);
}

#else

TEST(PixelTable, BlendsWithThePortableForm)
{
    EXPECT_EQ(PixelRoutines().BlendPixel, &BlendPixelMMX);
    EXPECT_EQ(PixelRoutines().BlendLine, &BlendLineMMX);
}

#endif

TEST(PixelTable, KeyCopySkipsKeyedPixelsAndMakesTheRestOpaque)
{
    const quint32 src[3] = {bsKeyPixel, 0x407F007F, 0x10203040};
    quint32 dst[3] = {1, 2, 3};
    PixelRoutines().KeyCopyLine(src, dst, 3);
    EXPECT_EQ(dst[0], 1u);
    EXPECT_EQ(dst[1], 2u);
    EXPECT_EQ(dst[2], 0xFF203040u);
}

TEST(PixelTable, LineAndRectRoutines)
{
    const TbsPixelRoutines& r = PixelRoutines();
    std::vector<quint32> px(5 * 4, 0x11223344);
    r.FillRect(px.data(), 5, 4, 1, 1, 3, 2, 0xAA); // inclusive
    int filled = 0;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            filled += px[size_t(y * 5 + x)] == 0xAA;
    EXPECT_EQ(filled, 3 * 2);
    EXPECT_EQ(px[size_t(1 * 5 + 3)], 0xAAu);
    EXPECT_EQ(px[size_t(3 * 5 + 4)], 0x11223344u);

    r.SetAlphaRect(px.data(), 5, 4, 0, 0, 0, 0, 0x7F);
    EXPECT_EQ(px[0], 0x7F223344u);
    r.FillRect(px.data(), 5, 4, 3, 0, 2, 0, 0); // empty range
    EXPECT_EQ(px[2], 0x11223344u);

    quint32 line[4] = {0xFF7F007F, 0xFF010203, 0x807F007F, 0};
    r.ClearKeyAlpha(line, 4, bsKeyColor);
    EXPECT_EQ(line[0], 0x007F007Fu);
    EXPECT_EQ(line[1], 0xFF010203u);
    EXPECT_EQ(line[2], 0x007F007Fu);
    r.SetAlphaLine(line, 2, 9);
    EXPECT_EQ(line[1], 0x09010203u);
    r.FillLine(line, 0, 5);
    EXPECT_EQ(line[0], 0x097F007Fu);

    quint32 overlap[5] = {1, 2, 3, 4, 5};
    r.MoveLine(overlap, overlap + 1, 4);
    EXPECT_EQ(overlap[4], 4u);
    EXPECT_EQ(overlap[1], 1u);
}

// --- stretching -------------------------------------------------------------

TbsBitmap& twoColumnSource()
{
    static SizedBitmap b(2, 1);
    *b.GetPixelPtr(0, 0) = 0xFF000000;
    *b.GetPixelPtr(1, 0) = 0xFF000001;
    return b;
}

TEST(Stretch, TwoToFourIntoASectionRoundsToNearest)
{
    std::vector<quint32> memory(4, 0xDEAD);
    const TbsSection section{memory.data(), 4, 1, 4, true};
    BlitRoutines().StretchCopy(section, Rect(0, 0, 4, 1), Rect(0, 0, 4, 1), Rect(0, 0, 2, 1),
                               twoColumnSource());
    EXPECT_EQ(memory, (std::vector<quint32>{0xFF000000, 0xFF000000, 0xFF000001, 0xFF000001}));
}

TEST(Stretch, TwoToFourIntoABitmapTruncates)
{
    SizedBitmap target(4, 1);
    BlitRoutines().BitmapCopy(target, Rect(0, 0, 4, 1), Rect(0, 0, 4, 1), Rect(0, 0, 2, 1),
                              twoColumnSource());
    EXPECT_EQ(rowOf(target, 0),
              (std::vector<quint32>{0xFF000000, 0xFF000000, 0xFF000000, 0xFF000001}));
}

TEST(Stretch, BlendAndKeyFormsStretchToo)
{
    SizedBitmap src(2, 1);
    *src.GetPixelPtr(0, 0) = bsKeyPixel;
    *src.GetPixelPtr(1, 0) = 0x80FF0000;
    for (auto routine : {BlitRoutines().BitmapKey, BlitRoutines().BitmapBlend}) {
        SizedBitmap target(4, 1, 0xFF0000FF);
        routine(target, Rect(0, 0, 4, 1), Rect(0, 0, 4, 1), Rect(0, 0, 2, 1), src);
        EXPECT_EQ(pixelAt(target, 0, 0), 0xFF0000FFu); // keyed, or alpha 0
        const quint32 last = pixelAt(target, 3, 0);
        if (routine == BlitRoutines().BitmapKey)
            EXPECT_EQ(last, 0xFFFF0000u);
        else
            EXPECT_EQ(last, 0xBF7F007Fu);
    }
}

TEST(Stretch, BottomUpSectionRowsAreReversedInMemory)
{
    SizedBitmap src(1, 2);
    *src.GetPixelPtr(0, 0) = 0xFF000011;
    *src.GetPixelPtr(0, 1) = 0xFF000022;
    std::vector<quint32> memory(2, 0);
    BlitRoutines().StretchCopy({memory.data(), 1, 2, 1, true}, Rect(0, 0, 1, 2), Rect(0, 0, 1, 2),
                               Rect(0, 0, 1, 2), src);
    EXPECT_EQ(memory[0], 0xFF000022u);
    EXPECT_EQ(memory[1], 0xFF000011u);
}

TEST(Stretch, SourceRectangleBeyondTheBitmapDrawsNothing)
{
    SizedBitmap target(4, 1);
    BlitRoutines().BitmapCopy(target, Rect(0, 0, 4, 1), Rect(0, 0, 4, 1), Rect(0, 0, 3, 1),
                              twoColumnSource());
    EXPECT_EQ(pixelAt(target, 0, 0), 0u);
    EXPECT_EQ(pixelAt(target, 3, 0), 0u);
}

TEST(Stretch, OnePixelDestinationTakesTheMiddle)
{
    SizedBitmap src(5, 1);
    fillWith(src, [](int x, int) { return quint32(0xFF000000 + x); });
    SizedBitmap target(1, 1);
    BlitRoutines().BitmapCopy(target, Rect(0, 0, 1, 1), Rect(0, 0, 1, 1), Rect(1, 0, 5, 1), src);
    EXPECT_EQ(pixelAt(target, 0, 0), 0xFF000002u); // (1 + 5 - 1) div 2
}

TEST(Stretch, MatchesANaiveMappingInsideTheClip)
{
    SizedBitmap src(7, 5);
    fillRandom(src, 3);
    for (int dw : {1, 3, 7, 13}) {
        for (int dh : {1, 5, 9}) {
            SizedBitmap target(20, 20);
            const TRect dst = Bounds(-2, 1, dw, dh);
            const TRect clip = Rect(0, 2, 20, 20);
            const TRect srcRect = Rect(1, 1, 6, 4);
            BlitRoutines().BitmapCopy(target, dst, clip, srcRect, src);
            const auto map = [](int k, int sLen, int dLen, int s0) {
                return dLen == 1 ? (s0 + s0 + sLen - 1) / 2 : s0 + k * (sLen - 1) / (dLen - 1);
            };
            ASSERT_TRUE(
                pixelsMatch(target,
                            [&](int x, int y) {
                                const bool inside = PtInRect(dst, {x, y}) && PtInRect(clip, {x, y});
                                return inside ? pixelAt(src, map(x - dst.Left, 5, dw, 1),
                                                        map(y - dst.Top, 3, dh, 1))
                                              : 0u;
                            }))
                << dw << "x" << dh;
        }
    }
}

TEST(Stretch, ThreeToFiveIntoASectionRoundsHalvesToEven)
{
    // k * 2 / 4 for k = 0 .. 4: 0, 0.5, 1, 1.5, 2 -> 0, 0, 1, 2, 2.
    SizedBitmap src(3, 1);
    fillWith(src, [](int x, int) { return 0xFF000000u + quint32(x); });
    std::vector<quint32> memory(5, 0xDEAD);
    BlitRoutines().StretchCopy({memory.data(), 5, 1, 5, true}, Rect(0, 0, 5, 1), Rect(0, 0, 5, 1),
                               Rect(0, 0, 3, 1), src);
    EXPECT_EQ(memory,
              (std::vector<quint32>{0xFF000000, 0xFF000000, 0xFF000001, 0xFF000002, 0xFF000002}));
    // Into a bitmap the same stretch truncates: 0, 0, 1, 1, 2.
    SizedBitmap target(5, 1);
    BlitRoutines().BitmapCopy(target, Rect(0, 0, 5, 1), Rect(0, 0, 5, 1), Rect(0, 0, 3, 1), src);
    EXPECT_EQ(rowOf(target, 0),
              (std::vector<quint32>{0xFF000000, 0xFF000000, 0xFF000001, 0xFF000001, 0xFF000002}));
    // Two to five: 0, 0.25, 0.5, 0.75, 1 -> 0, 0, 0, 1, 1.
    std::vector<quint32> fromTwo(5, 0xDEAD);
    BlitRoutines().StretchCopy({fromTwo.data(), 5, 1, 5, true}, Rect(0, 0, 5, 1), Rect(0, 0, 5, 1),
                               Rect(0, 0, 2, 1), src);
    EXPECT_EQ(fromTwo,
              (std::vector<quint32>{0xFF000000, 0xFF000000, 0xFF000000, 0xFF000001, 0xFF000001}));
}

TEST(Stretch, RowsIntoASectionMapLikeColumnsAndCountFromTheBottom)
{
    // A 3 x 3 source row-coded in green, column-coded in blue, stretched to
    // 5 x 5 at (1, 2) of a 7 x 8 bottom-up section, clipped to rows 3 .. 6.
    SizedBitmap src(3, 3);
    fillWith(src, [](int x, int y) { return argb(255, 0, 16 * y, x); });
    const int width = 7, height = 8;
    std::vector<quint32> memory(size_t(width * height), 0);
    const TRect dst = Bounds(1, 2, 5, 5);
    const TRect clip = Rect(0, 3, 7, 7);
    BlitRoutines().StretchCopy({memory.data(), width, height, width, true}, dst, clip,
                               src.BoundsRect(), src);
    const int nearestEven[5] = {0, 0, 1, 2, 2};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool inside = PtInRect(dst, {x, y}) && PtInRect(clip, {x, y});
            const quint32 want =
                inside ? argb(255, 0, 16 * nearestEven[y - dst.Top], nearestEven[x - dst.Left])
                       : 0u;
            // Section row y is memory row height - 1 - y.
            ASSERT_EQ(memory[size_t((height - 1 - y) * width + x)], want) << x << "," << y;
        }
    }
}

TEST(Stretch, BlendAndKeyIntoASectionUseTheSameRowMap)
{
    SizedBitmap src(2, 3);
    fillWith(src, [](int x, int y) {
        return x == 0 ? bsKeyPixel : argb(0x80 + 0x20 * y, 0xFF, 0x10 * y, 0);
    });
    for (const TbsBlitMode mode : {TbsBlitMode::Blend, TbsBlitMode::Key}) {
        std::vector<quint32> memory(size_t(4 * 5), 0xFF0000FF);
        BlitRoutines().StretchForMode(mode)({memory.data(), 4, 5, 4, false}, Rect(0, 0, 4, 5),
                                            Rect(0, 0, 4, 5), src.BoundsRect(), src);
        const int rowMap[5] = {0, 0, 1, 2, 2}; // k * 2 / 4, halves to even
        const int columnMap[4] = {0, 0, 1, 1}; // k / 3 to the nearest
        for (int y = 0; y < 5; ++y) {
            for (int x = 0; x < 4; ++x) {
                const quint32 s = pixelAt(src, columnMap[x], rowMap[y]);
                const quint32 want = columnMap[x] == 0          ? 0xFF0000FFu // keyed, or alpha 0
                                     : mode == TbsBlitMode::Key ? s | 0xFF000000
                                                                : naiveFourLane(s, 0xFF0000FF);
                ASSERT_EQ(memory[size_t(y * 4 + x)], want) << x << "," << y;
            }
        }
    }
}

// --- clipped routines -------------------------------------------------------

// What a clipped routine leaves in dst: each pixel of dstRect inside dst whose
// source (sl + x - left, st + y - top) lies inside src gets op(source, dst).
void naiveClipped(TbsBitmap& dst, const TRect& dstRect, const TbsBitmap& src, int sl, int st,
                  const std::function<quint32(quint32, quint32)>& op)
{
    for (int y = dstRect.Top; y < dstRect.Bottom; ++y) {
        for (int x = dstRect.Left; x < dstRect.Right; ++x) {
            const int sx = sl + x - dstRect.Left;
            const int sy = st + y - dstRect.Top;
            if (PtInRect(dst.BoundsRect(), {x, y}) && PtInRect(src.BoundsRect(), {sx, sy}))
                *dst.GetPixelPtr(x, y) = op(pixelAt(src, sx, sy), pixelAt(dst, x, y));
        }
    }
}

quint32 naiveKeyCopy(quint32 s, quint32 d)
{
    return (s & 0xFFFFFF) == bsKeyColor ? d : s | 0xFF000000;
}

quint32 naiveBlendLinePixel(quint32 s, quint32 d)
{
    const int a = alphaOf(s);
    return a == 255 ? s : a == 0 ? d : naiveFourLane(s, d);
}

TEST(ClippedRoutines, CopyStaysInsideBothImages)
{
    SizedBitmap src(3, 3, 0xFF111111);
    SizedBitmap dst(3, 3);
    BlitRoutines().ClippedCopy(dst, Rect(2, 2, 10, 10), src, 1, 1);
    EXPECT_EQ(pixelAt(dst, 2, 2), 0xFF111111u);
    EXPECT_EQ(pixelAt(dst, 1, 1), 0u);
}

TEST(ClippedRoutines, BlendAndKeyMoveRowByRowInsideBothImages)
{
    SizedBitmap src(9, 7);
    QRandomGenerator random(14);
    fillWith(src, [&](int x, int y) {
        if ((x + y) % 5 == 0)
            return bsKeyPixel | (random.generate() & 0xFF000000); // keyed, any alpha
        return randomSourcePixel(random);
    });
    struct Case {
        TRect dstRect;
        int sl, st;
    };
    // Inside both; hanging over the destination's edges; the source window
    // starting before and running past the source's edges.
    for (const Case& c : {Case{Rect(1, 1, 6, 5), 2, 1}, Case{Rect(-2, -1, 5, 4), 0, 0},
                          Case{Rect(4, 3, 12, 12), 1, 2}, Case{Rect(0, 0, 8, 6), -3, -2},
                          Case{Rect(2, 0, 8, 3), 5, 5}}) {
        for (const bool blend : {true, false}) {
            SizedBitmap dst(7, 6), expected(7, 6);
            fillRandom(dst, 99);
            expected.Assign(dst);
            naiveClipped(expected, c.dstRect, src, c.sl, c.st,
                         blend ? naiveBlendLinePixel : naiveKeyCopy);
            (blend ? BlitRoutines().ClippedBlend : BlitRoutines().ClippedKey)(dst, c.dstRect, src,
                                                                              c.sl, c.st);
            ASSERT_TRUE(pixelsMatch(dst, [&](int x, int y) { return pixelAt(expected, x, y); }))
                << (blend ? "blend " : "key ") << c.dstRect.Left << "," << c.dstRect.Top << " from "
                << c.sl << "," << c.st;
        }
    }
}

} // namespace
