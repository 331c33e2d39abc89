// Bitmap effects against naive references.

#include "SkinPixelHelpers.h"
#include "bseffects.h"

#include <cmath>
#include <gtest/gtest.h>
#include <iterator>
#include <vector>

namespace {

// The blur written the obvious way: weights r + 1 - |i| over clamped
// neighbours, divided by (r + 1)^2, rows first, then columns.
std::vector<quint32> naiveBlur(const TbsBitmap& b, int r)
{
    const int w = b.Width(), h = b.Height(), div = (r + 1) * (r + 1);
    std::vector<int> planes[3];
    for (auto& p : planes)
        p.assign(size_t(w * h), 0);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            int sum[3] = {0, 0, 0};
            for (int i = -r; i <= r; ++i) {
                const quint32 p = pixelAt(b, std::clamp(x + i, 0, w - 1), y);
                const int weight = r + 1 - std::abs(i);
                sum[0] += redOf(p) * weight;
                sum[1] += greenOf(p) * weight;
                sum[2] += blueOf(p) * weight;
            }
            for (int c = 0; c < 3; ++c)
                planes[c][size_t(y * w + x)] = sum[c] / div;
        }
    }
    std::vector<quint32> out(size_t(w * h));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            int sum[3] = {0, 0, 0};
            for (int i = -r; i <= r; ++i) {
                const int yy = std::clamp(y + i, 0, h - 1);
                for (int c = 0; c < 3; ++c)
                    sum[c] += planes[c][size_t(yy * w + x)] * (r + 1 - std::abs(i));
            }
            out[size_t(y * w + x)] = argb(255, sum[0] / div, sum[1] / div, sum[2] / div);
        }
    }
    return out;
}

using BlurForm = void (*)(TbsBitmap&, int);

// Every radius up to 17 (the vector form takes 1 to 15) on random pictures of
// odd and even widths and heights, one-pixel ones included.
void expectEveryRadiusMatchesTheConvolution(BlurForm blur)
{
    for (int r = 1; r <= 17; ++r) {
        for (auto [w, h] : {std::pair{1, 1}, std::pair{1, 6}, std::pair{2, 1}, std::pair{5, 2},
                            std::pair{3, 17}, std::pair{23, 9}, std::pair{40, 31}}) {
            SizedBitmap b(w, h);
            fillRandom(b, quint32(r * 100 + w));
            const std::vector<quint32> expected = naiveBlur(b, r);
            blur(b, r);
            ASSERT_TRUE(pixelsMatch(b, [&](int x, int y) { return expected[size_t(y * w + x)]; }))
                << "r " << r << " size " << w << "x" << h;
        }
    }
}

TEST(StackBlurTest, MatchesATriangularConvolution)
{
    expectEveryRadiusMatchesTheConvolution(StackBlur);
}

TEST(StackBlurTest, PortableFormMatchesATriangularConvolution)
{
    expectEveryRadiusMatchesTheConvolution(StackBlurPortable);
}

// White makes the largest weighted total, 255 * (r + 1)^2: 65280 at radius 15,
// 73695 at 16.
TEST(StackBlurTest, WhiteStaysWhiteAtEveryRadius)
{
    for (int r = 1; r <= 17; ++r) {
        SizedBitmap b(9, 7, 0x00FFFFFF);
        StackBlur(b, r);
        ASSERT_TRUE(pixelsMatch(b, [](int, int) { return 0xFFFFFFFFu; })) << "r " << r;
    }
}

TEST(StackBlurTest, LargeRadiusWithoutTableAgrees)
{
    SizedBitmap b(5, 4);
    fillRandom(b, 5);
    const std::vector<quint32> expected = naiveBlur(b, 300);
    StackBlur(b, 300);
    EXPECT_EQ(pixelAt(b, 2, 2), expected[size_t(2 * 5 + 2)]);
}

TEST(StackBlurTest, RadiusZeroChangesNothingAndUniformStaysUniform)
{
    SizedBitmap b(6, 6, 0x40123456);
    StackBlur(b, 0);
    EXPECT_EQ(pixelAt(b, 3, 3), 0x40123456u);
    StackBlur(b, 4);
    EXPECT_TRUE(pixelsMatch(b, [](int, int) { return 0xFF123456u; }));
}

// From radius 2901 on, 255 * (r + 1)^2 no longer fits 32 bits; a uniform
// picture must still come out as it went in.
TEST(StackBlurTest, RadiusWhoseWeightedTotalsPassThirtyTwoBitsStaysExact)
{
    SizedBitmap b(3, 2, 0xFFFFFFFF);
    StackBlur(b, 3000);
    EXPECT_TRUE(pixelsMatch(b, [](int, int) { return 0xFFFFFFFFu; }));
}

TEST(AlphaFromGrayTest, GreyOfTheMaskBecomesAlpha)
{
    SizedBitmap b(2, 1, 0xFFC86432);
    SizedBitmap mask(2, 1);
    *mask.GetPixelPtr(0, 0) = argb(0, 30, 60, 90);
    *mask.GetPixelPtr(1, 0) = argb(0, 1, 1, 0);
    AlphaFromGray(b, mask);
    EXPECT_EQ(pixelAt(b, 0, 0), 0x3CC86432u); // alpha 60
    EXPECT_EQ(pixelAt(b, 1, 0), 0x00C86432u);

    b.Clear(0xFFC86432);
    AlphaFromGrayPremultiplied(b, mask);
    // 200 * 60 / 255 = 47.06, 100 * 60 / 255 = 23.53, 50 * 60 / 255 = 11.76
    EXPECT_EQ(pixelAt(b, 0, 0), argb(60, 47, 24, 12));
    EXPECT_EQ(pixelAt(b, 1, 0), 0u);
}

TEST(AlphaFromGrayTest, GreyIsTheTruncatedMeanOfTheThreeChannels)
{
    // Inputs where a luma weighting, the largest channel or a rounded mean
    // would each give something else.
    const struct {
        int r, g, b, alpha;
    } cases[] = {
        {255, 0, 0, 85},   {0, 255, 0, 85},      {0, 0, 255, 85}, {255, 255, 0, 170},
        {2, 2, 1, 1},      {254, 255, 255, 254}, {100, 0, 0, 33}, {0, 0, 100, 33},
        {10, 200, 30, 80}, {255, 255, 255, 255}, {1, 0, 0, 0},
    };
    SizedBitmap mask(int(std::size(cases)), 1);
    for (int i = 0; i < int(std::size(cases)); ++i)
        *mask.GetPixelPtr(i, 0) = argb(0x5A, cases[i].r, cases[i].g, cases[i].b);
    SizedBitmap b(int(std::size(cases)), 1, 0x11C86432);
    AlphaFromGray(b, mask);
    for (int i = 0; i < int(std::size(cases)); ++i)
        EXPECT_EQ(pixelAt(b, i, 0), argb(cases[i].alpha, 0xC8, 0x64, 0x32))
            << cases[i].r << "," << cases[i].g << "," << cases[i].b;
}

TEST(AlphaFromGrayTest, SmallerMaskOnlyTouchesTheCommonPart)
{
    SizedBitmap b(4, 4, 0xFF808080);
    SizedBitmap mask(2, 3, 0);
    AlphaFromGrayPremultiplied(b, mask);
    EXPECT_EQ(pixelAt(b, 1, 2), 0u);
    EXPECT_EQ(pixelAt(b, 2, 0), 0xFF808080u);
    EXPECT_EQ(pixelAt(b, 0, 3), 0xFF808080u);
}

TEST(ColourConversions, PixelsAndToolkitColours)
{
    EXPECT_EQ(ColorToPixel32(0x11332211), 0xFF112233u); // top byte ignored
    // A system colour of the platform layer is taken by its bytes, not resolved.
    EXPECT_EQ(ColorToPixel32(platform::clBtnFace), 0xFF0F0000u);
    EXPECT_EQ(MakePixel32(-5, 300, 7, 9), 0x0900FF07u);
}

TEST(ColourConversions, HslRoundTripsEveryColourOfAGrid)
{
    for (int r = 0; r < 256; r += 5) {
        for (int g = 0; g < 256; g += 3) {
            for (int b = 0; b < 256; b += 7) {
                float h, s, l;
                const quint32 p = argb(255, r, g, b);
                PixelToHSL(p, h, s, l);
                ASSERT_GE(h, 0.0f);
                ASSERT_LT(h, 1.0f);
                ASSERT_EQ(HSLToPixel32(l, s, h), p) << r << "," << g << "," << b;
            }
        }
    }
}

TEST(ColourConversions, KnownHslValues)
{
    float h, s, l;
    PixelToHSL(0xFF00FF00, h, s, l);
    EXPECT_FLOAT_EQ(h, 1.0f / 3.0f);
    EXPECT_FLOAT_EQ(s, 1.0f);
    EXPECT_FLOAT_EQ(l, 0.5f);
    EXPECT_EQ(HSLToPixel32(0.5f, 0.0f, 0.7f), 0xFF808080u); // 127.5 goes to 128
    EXPECT_EQ(HueToChannel(1.25f, 0.0f, 1.0f), 255);        // h taken modulo 1
}

TEST(PixelChanges, HueSaturationAndBrightness)
{
    SizedBitmap b(3, 1);
    *b.GetPixelPtr(0, 0) = 0xFF808080; // grey
    *b.GetPixelPtr(1, 0) = 0x80336699; // coloured, half transparent
    *b.GetPixelPtr(2, 0) = 0x00336699; // skipped
    b.ChangeBitmapHue(10);
    EXPECT_EQ(pixelAt(b, 0, 0), 0xFF808080u);
    EXPECT_NE(pixelAt(b, 1, 0), 0x80336699u);
    EXPECT_EQ(alphaOf(pixelAt(b, 1, 0)), 0x80);
    EXPECT_EQ(pixelAt(b, 2, 0), 0x00336699u);

    *b.GetPixelPtr(1, 0) = 0xFF336699;
    b.ChangeBitmapSat(0);
    EXPECT_EQ(pixelAt(b, 1, 0), 0xFF336699u);
    b.SetBitmapHue(0);
    float h, s, l;
    PixelToHSL(pixelAt(b, 1, 0), h, s, l);
    EXPECT_FLOAT_EQ(h, 0.0f);
    EXPECT_GT(redOf(pixelAt(b, 1, 0)), greenOf(pixelAt(b, 1, 0)));

    EXPECT_EQ(ChangePixelBrightness(0x10FF0010, 20), 0xFFFF1424u);
    EXPECT_EQ(ChangePixelBrightness(0xFF102030, -70000), 0xFF000000u);
    EXPECT_EQ(ChangePixelBrightness(0xFF102030, 65536), 0xFFFFFFFFu);
    EXPECT_EQ(ChangePixelBrightness(0x00000000, 255), 0xFFFFFFFFu);
    EXPECT_EQ(ChangePixelBrightness(0x80FFFFFF, -255), 0xFF000000u);
}

TEST(PixelChanges, SetBitmapHueClampsTheAmountToAByte)
{
    // 0x336699: L = (0.6 + 0.2) / 2 = 0.4, S = 0.4 / 0.8 = 0.5; so q = 0.6 and
    // p = 0.2 whatever the hue. Hue 0 (and 255, one full turn) gives red
    // q, green p, blue p: (153, 51, 51); hue 85 (a third) gives (51, 153, 51).
    const auto hued = [](int amount) {
        SizedBitmap b(2, 1);
        *b.GetPixelPtr(0, 0) = 0x80336699; // alpha kept
        *b.GetPixelPtr(1, 0) = 0x00336699; // alpha 0: skipped
        b.SetBitmapHue(amount);
        EXPECT_EQ(pixelAt(b, 1, 0), 0x00336699u) << amount;
        return pixelAt(b, 0, 0);
    };
    EXPECT_EQ(hued(0), 0x80993333u);
    EXPECT_EQ(hued(85), 0x80339933u);
    EXPECT_EQ(hued(255), 0x80993333u);
    // Beyond the byte: 300 is 255 and -5 is 0. Unclamped, 300 / 255 would turn
    // to hue 0.18 (red 147) and -5 / 255 to 0.98 (blue 63).
    EXPECT_EQ(hued(300), 0x80993333u);
    EXPECT_EQ(hued(-5), 0x80993333u);
    EXPECT_EQ(hued(100000), 0x80993333u);
}

TEST(PixelChanges, LargeSaturationAndHueDeltasStayInRange)
{
    const quint32 p = 0xFF336699;
    float h, s, l;
    PixelToHSL(p, h, s, l);
    // 255 * s + 600 wraps once and is then held at 255: full saturation.
    EXPECT_EQ(ChangePixelSat(p, 600), HSLToPixel32(l, 1.0f, h));
    EXPECT_EQ(ChangePixelSat(p, -600), HSLToPixel32(l, 0.0f, h));
    EXPECT_EQ(ChangePixelHue(p, 600), HSLToPixel32(l, s, 1.0f));
    // One wrap as always: +200 past 255 comes back in at the bottom.
    const int v = int(std::nearbyint(s * 255.0f)) + 200 - 255;
    EXPECT_EQ(ChangePixelSat(p, 200), HSLToPixel32(l, float(v) / 255.0f, h));
}

TEST(PixelChanges, SaturationAndHueOutsideTheByteWrapOnceByTwoHundredFiftyFive)
{
    // 0x336699: H = (4 + (0.2 - 0.4) / 0.4) / 6 = 0.5833 (149 of 255), S = 0.5
    // (128), L = 0.4. Saturation 128 - 200 = -72 becomes 183: q = 0.4 * (1 +
    // 183/255), red p = 28.8, green (p + q) / 2 = 102, blue q = 175.2.
    EXPECT_EQ(ChangePixelSat(0xFF336699, -200), argb(255, 29, 102, 175));
    // Hue 149 - 200 = -51 becomes 204 (0.8): q = 0.6, p = 0.2; red at h 0.1333
    // is p + (q - p) * 0.8 = 0.52, green at 0.8 is p, blue at 0.4667 is q.
    EXPECT_EQ(ChangePixelHue(0xFF336699, -200), argb(255, 133, 51, 153));
    // The ends stay: saturation 128 - 128 is 0, grey at L 0.4; 128 + 127 is
    // 255: q = 0.8, p = 0, red p, green (p + q) / 2, blue q.
    EXPECT_EQ(ChangePixelSat(0xFF336699, -128), argb(255, 102, 102, 102));
    EXPECT_EQ(ChangePixelSat(0xFF336699, 127), argb(255, 0, 102, 204));
    // Above 255 by 255: hue 149 + 200 = 349 becomes 94 (0.3686); red at 0.7020
    // is p, green q, blue at 0.0353 is p + (q - p) * 6 * 0.0353 = 0.2847.
    EXPECT_EQ(ChangePixelHue(0xFF336699, 200), argb(255, 51, 153, 73));
}

TEST(Reflections, FadeAfterTheFlip)
{
    const auto alphas = [](void (TbsBitmap::*reflect)()) {
        SizedBitmap b(1, 4, 0xFF000000);
        *b.GetPixelPtr(0, 3) = 0xFF000001; // the bottom row comes to the top
        (b.*reflect)();
        EXPECT_EQ(pixelAt(b, 0, 0) & 0xFFFFFF, 1u);
        std::vector<int> out;
        for (int y = 0; y < 4; ++y)
            out.push_back(alphaOf(pixelAt(b, 0, y)));
        return out;
    };
    EXPECT_EQ(alphas(&TbsBitmap::Reflection), (std::vector<int>{85, 42, 0, 0}));
    EXPECT_EQ(alphas(&TbsBitmap::Reflection2), (std::vector<int>{63, 32, 0, 0}));
    EXPECT_EQ(alphas(&TbsBitmap::Reflection3), (std::vector<int>{127, 64, 0, 0}));
}

TEST(Reflections, FlipVertSwapsRows)
{
    SizedBitmap b(2, 3);
    fillWith(b, [](int x, int y) { return quint32(y * 10 + x); });
    b.FlipVert();
    EXPECT_EQ(pixelAt(b, 1, 0), 21u);
    EXPECT_EQ(pixelAt(b, 0, 1), 10u);
    EXPECT_EQ(pixelAt(b, 1, 2), 1u);
}

} // namespace
