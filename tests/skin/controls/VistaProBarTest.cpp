#include "VistaProBar.h"
#include "PaintCounter.h"
#include "WaitUntil.h"
#include "bsUtils.h"

#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

using namespace vistaprobar;

namespace {

const QRgb kLime = qRgb(0, 255, 0);
const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kBlack = qRgb(0, 0, 0);

BarState barAt(int width, int height, int position)
{
    BarState state;
    state.width = width;
    state.height = height;
    state.position = position;
    return state;
}

BarState marqueeAt(int width, int height, int phase)
{
    BarState state = barAt(width, height, 0);
    state.marquee = true;
    state.marqueePhase = phase;
    return state;
}

// The naive form of a marquee tint: color + floor((pixel - color) * weight / 256).
QRgb tinted(QRgb pixel, QRgb color, int weight)
{
    auto channel = [&](int p, int c) {
        const int scaled = (p - c) * weight;
        const int floored = scaled >= 0 ? scaled / 256 : -((-scaled + 255) / 256);
        return c + floored;
    };
    return qRgb(channel(qRed(pixel), qRed(color)), channel(qGreen(pixel), qGreen(color)),
                channel(qBlue(pixel), qBlue(color)));
}

// Whether two images agree on every pixel of area.
bool samePixels(const QImage& a, const QImage& b, const QRect& area)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return false;
    return true;
}

bool sameColumn(const QImage& a, const QImage& b, int x)
{
    return samePixels(a, b, QRect(x, 0, 1, a.height()));
}

bool sameRow(const QImage& a, const QImage& b, int y)
{
    return samePixels(a, b, QRect(0, y, a.width(), 1));
}

} // namespace

TEST(VistaProBarColours, BlendWeightsOfTheLimeKeys)
{
    // Weights 13, 128, 154 and 205 for 5, 50, 60 and 80 percent.
    EXPECT_EQ(blendColors(kLime, kWhite, 5), qRgb(242, 255, 242));
    EXPECT_EQ(blendColors(kLime, kWhite, 50), qRgb(127, 255, 127));
    EXPECT_EQ(blendColors(kLime, kBlack, 60), qRgb(0, 153, 0));
    EXPECT_EQ(blendColors(kLime, kBlack, 80), qRgb(0, 204, 0));
    EXPECT_EQ(blendColors(kLime, kBlack, 50), qRgb(0, 127, 0));
    EXPECT_EQ(blendColors(kWhite, qRgb(192, 192, 192), 50), qRgb(223, 223, 223));
}

TEST(VistaProBarPixels, FrameOutlineTopLineAndCorners)
{
    BarState state = barAt(20, 10, 0);
    state.altMode = true; // no track: the inside keeps the window colour
    state.windowColor = qRgb(10, 20, 30);
    const QImage image = render(state);
    ASSERT_EQ(image.size(), QSize(20, 10));
    EXPECT_EQ(image.format(), QImage::Format_RGB32);

    const QRgb corner = qRgb(223, 223, 223);
    EXPECT_EQ(image.pixel(0, 0), corner);
    EXPECT_EQ(image.pixel(19, 0), corner);
    EXPECT_EQ(image.pixel(0, 9), corner);
    EXPECT_EQ(image.pixel(19, 9), corner);
    for (int x = 1; x < 19; ++x) {
        EXPECT_EQ(image.pixel(x, 0), qRgb(192, 192, 192)) << x;
        EXPECT_EQ(image.pixel(x, 9), qRgb(160, 160, 160)) << x;
    }
    for (int y = 1; y < 9; ++y) {
        EXPECT_EQ(image.pixel(0, y), qRgb(160, 160, 160)) << y;
        EXPECT_EQ(image.pixel(19, y), qRgb(160, 160, 160)) << y;
        for (int x = 1; x < 19; ++x)
            EXPECT_EQ(image.pixel(x, y), qRgb(10, 20, 30)) << x << "," << y;
    }
}

TEST(VistaProBarPixels, LimeGlassAtHalfOfASmallBar)
{
    // A 16 x 9 lime bar at 50 %: the fill covers columns 1 to 6 (right edge
    // Round(16 * 0.5) = 8, glass width 8 - 1 - 1), the track columns 7 to 14.
    // Worked out by hand from the gradient keys for the first cells, e.g.
    // row 1, column 1: key (242, 255, 242) moved an eighth toward (0, 127, 0),
    // floored: (211, 239, 211).
    static const QRgb expected[9][16] = {
        {0xDFDFDF, 0xC0C0C0, 0xC0C0C0, 0xC0C0C0, 0xC0C0C0, 0xC0C0C0, 0xC0C0C0, 0xC0C0C0, 0xC0C0C0,
         0xC0C0C0, 0xC0C0C0, 0xC0C0C0, 0xC0C0C0, 0xC0C0C0, 0xC0C0C0, 0xDFDFDF},
        {0xA0A0A0, 0xD3EFD3, 0xB6E0B6, 0xB8E1B8, 0xB8E1B8, 0xB6E0B6, 0xD3EFD3, 0xF2F2F2, 0xF2F2F2,
         0xF2F2F2, 0xF1F1F1, 0xF1F1F1, 0xF0F0F0, 0xF0F0F0, 0xF6F6F6, 0xA0A0A0},
        {0xA0A0A0, 0xB2EFB2, 0x9AE09A, 0x9BE19B, 0x9BE19B, 0x9AE09A, 0xB2EFB2, 0xEAEAEA, 0xEAEAEA,
         0xEAEAEA, 0xE9E9E9, 0xE9E9E9, 0xE8E8E8, 0xE8E8E8, 0xECECEC, 0xA0A0A0},
        {0xA0A0A0, 0x91EF91, 0x7DE07D, 0x7FE17F, 0x7FE17F, 0x7DE07D, 0x91EF91, 0xE1E1E1, 0xE1E1E1,
         0xE1E1E1, 0xE0E0E0, 0xE0E0E0, 0xDFDFDF, 0xDFDFDF, 0xE2E2E2, 0xA0A0A0},
        {0xA0A0A0, 0x00A800, 0x029902, 0x059C05, 0x059C05, 0x029902, 0x00A800, 0xC5C5C5, 0xC5C5C5,
         0xC4C4C4, 0xC3C3C3, 0xC2C2C2, 0xC1C1C1, 0xC0C0C0, 0xB8B8B8, 0xA0A0A0},
        {0xA0A0A0, 0x00AF00, 0x029D02, 0x05A005, 0x05A005, 0x029D02, 0x00AF00, 0xC9C9C9, 0xC9C9C9,
         0xC8C8C8, 0xC7C7C7, 0xC6C6C6, 0xC5C5C5, 0xC4C4C4, 0xBFBFBF, 0xA0A0A0},
        {0xA0A0A0, 0x00B500, 0x02A102, 0x05A305, 0x05A305, 0x02A102, 0x00B500, 0xCCCCCC, 0xCCCCCC,
         0xCBCBCB, 0xCACACA, 0xC9C9C9, 0xC8C8C8, 0xC7C7C7, 0xC5C5C5, 0xA0A0A0},
        {0xA0A0A0, 0x00BB00, 0x01B401, 0x02B502, 0x02B502, 0x01B401, 0x00BB00, 0xCECECE, 0xCECECE,
         0xCECECE, 0xCDCDCD, 0xCDCDCD, 0xCCCCCC, 0xCCCCCC, 0xCCCCCC, 0xA0A0A0},
        {0xDFDFDF, 0xA0A0A0, 0xA0A0A0, 0xA0A0A0, 0xA0A0A0, 0xA0A0A0, 0xA0A0A0, 0xA0A0A0, 0xA0A0A0,
         0xA0A0A0, 0xA0A0A0, 0xA0A0A0, 0xA0A0A0, 0xA0A0A0, 0xA0A0A0, 0xDFDFDF},
    };
    const QImage image = render(barAt(16, 9, 50));
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 16; ++x)
            EXPECT_EQ(image.pixel(x, y) & 0xFFFFFF, expected[y][x]) << x << "," << y;
}

TEST(VistaProBarPixels, OnePercentOfA312PixelBarFillsOneColumn)
{
    const QImage track = render(barAt(312, 17, 0));
    const QImage filled = render(barAt(312, 17, 1));
    // Right edge Round(3.12) = 3: a glass one pixel wide at column 1.
    EXPECT_FALSE(sameColumn(track, filled, 1));
    for (int x = 2; x < 312; ++x)
        ASSERT_TRUE(sameColumn(track, filled, x)) << x;
    // At 0 % nothing is filled.
    EXPECT_EQ(render(barAt(312, 17, 0)), track);
}

TEST(VistaProBarPixels, VerticalFillRisesFromTheBottom)
{
    BarState empty = barAt(12, 17, 0);
    empty.orientation = vpbVertical;
    BarState half = empty;
    half.position = 50;
    const QImage track = render(empty);
    const QImage filled = render(half);
    // Top edge 17 - Round(8.5) = 9: rows 9 to 15 carry the fill.
    for (int y = 0; y < 9; ++y)
        EXPECT_TRUE(sameRow(track, filled, y)) << y;
    for (int y = 9; y < 16; ++y)
        EXPECT_FALSE(sameRow(track, filled, y)) << y;
}

TEST(VistaProBarPixels, AltModeLeavesTheTrackInTheWindowColour)
{
    BarState state = barAt(40, 17, 25);
    state.altMode = true;
    const QImage image = render(state);
    EXPECT_EQ(image.pixel(30, 8), kWhite); // empty track
    const QRgb fill = image.pixel(5, 8);
    EXPECT_GT(qGreen(fill), qRed(fill) + 100); // lime glass
    EXPECT_EQ(qRed(fill), qBlue(fill));
}

TEST(VistaProBarPixels, BarsLowerThanFourPixelsShowOnlyTheFrame)
{
    for (int height = 1; height <= 3; ++height) {
        BarState state = barAt(30, height, 100);
        state.windowColor = qRgb(1, 2, 3);
        const QImage image = render(state);
        ASSERT_EQ(image.size(), QSize(30, height));
        EXPECT_EQ(image.pixel(0, 0), qRgb(223, 223, 223));
        EXPECT_EQ(image.pixel(29, height - 1), qRgb(223, 223, 223));
        EXPECT_EQ(image.pixel(10, 0), qRgb(192, 192, 192));
        if (height == 3) {
            EXPECT_EQ(image.pixel(10, 1), qRgb(1, 2, 3));
        }
    }
}

TEST(VistaProBarPixels, DegenerateSizesStayInsideTheImage)
{
    // Run under the address sanitizer these catch any read or write past a row.
    for (int width = 0; width <= 4; ++width)
        for (int height = 0; height <= 4; ++height)
            for (bool marquee : {false, true})
                for (TVPBOrientation orientation : {vpbHorizontal, vpbVertical}) {
                    BarState state = barAt(width, height, 100);
                    state.marquee = marquee;
                    state.marqueePhase = 70;
                    state.orientation = orientation;
                    const QImage image = render(state);
                    EXPECT_EQ(image.isNull(), width == 0 || height == 0);
                }
    BarState tall = barAt(1, 300, 100);
    tall.orientation = vpbVertical;
    EXPECT_EQ(render(tall).pixel(0, 150), qRgb(160, 160, 160));
}

TEST(VistaProBarClamping, AMaxBelowThePositionNeverOverrunsTheFrame)
{
    BarState overrun = barAt(40, 17, 80);
    overrun.max = 50; // Max lowered after Position was set
    BarState full = barAt(40, 17, 50);
    full.max = 50;
    EXPECT_EQ(render(overrun), render(full));
    const QImage image = render(overrun);
    for (int y = 0; y < 17; ++y)
        EXPECT_EQ(image.pixel(39, y) & 0xFFFFFF, y == 0 || y == 16 ? 0xDFDFDFu : 0xA0A0A0u) << y;

    overrun.percentage = true;
    EXPECT_EQ(positionText(overrun), QStringLiteral("100%"));
    overrun.percentage = false;
    EXPECT_EQ(positionText(overrun), QStringLiteral("50"));
}

TEST(VistaProBarClamping, AMinAboveThePositionShowsAnEmptyBar)
{
    BarState below = barAt(40, 17, 5);
    below.min = 20;
    EXPECT_EQ(render(below), render(barAt(40, 17, 0)));
    below.percentage = true;
    EXPECT_EQ(positionText(below), QStringLiteral("0%"));
}

TEST(VistaProBarText, PercentageAndRawPosition)
{
    BarState state = barAt(100, 17, 45);
    EXPECT_EQ(positionText(state), QStringLiteral("45"));
    state.percentage = true;
    EXPECT_EQ(positionText(state), QStringLiteral("45%"));
    state.max = 8;
    state.position = 1; // 12.5 % rounds to the even 12
    EXPECT_EQ(positionText(state), QStringLiteral("12%"));
    state.position = 3; // 37.5 % rounds to the even 38
    EXPECT_EQ(positionText(state), QStringLiteral("38%"));
    state.min = state.max = 8;
    EXPECT_EQ(positionText(state), QStringLiteral("0%"));
    EXPECT_EQ(render(state), render(barAt(100, 17, 0)));
}

TEST(VistaProBarText, InMarqueeModeThePercentageIsThePhase)
{
    BarState state = marqueeAt(100, 17, 73);
    state.percentage = true;
    EXPECT_EQ(positionText(state), QStringLiteral("73%"));
}

TEST(VistaProBarText, ShownTextChangesOnlyTheMiddle)
{
    BarState state = barAt(150, 33, 45);
    state.percentage = true;
    const QImage plain = render(state);
    state.showPosText = true;
    state.posTextPrefix = QStringLiteral("Updating Hosts : ");
    const QImage withText = render(state);
    EXPECT_NE(plain, withText);
    // The frame keeps its pixels: the text is centred inside.
    EXPECT_TRUE(sameRow(plain, withText, 0));
    EXPECT_TRUE(sameRow(plain, withText, 32));
}

TEST(VistaProBarMarquee, WeightsFadeFrom254To96)
{
    // The default block on a 150-pixel bar: 60 pixels, fades of 18.
    const std::vector<int> weights = marqueeWeights(60, 18);
    ASSERT_EQ(weights.size(), 60u);
    EXPECT_EQ(weights[0], 254);
    EXPECT_EQ(weights[59], 254);
    EXPECT_EQ(weights[1], 245);  // Trunc(159 / 18 * 17) + 95
    EXPECT_EQ(weights[17], 103); // Trunc(159 / 18) + 95
    EXPECT_EQ(weights[42], 103);
    for (int i = 18; i <= 41; ++i)
        EXPECT_EQ(weights[i], 96) << i;
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(weights[i], weights[59 - i]) << i;
}

TEST(VistaProBarMarquee, NoFadeIsUniformAndAnOverlongFadeLeavesTheMiddleAtZero)
{
    for (int weight : marqueeWeights(40, 0))
        EXPECT_EQ(weight, 96);
    const std::vector<int> overlapping = marqueeWeights(10, 7); // fade above half the block
    EXPECT_EQ(overlapping[0], 254);
    EXPECT_EQ(overlapping[2], 159 * 5 / 7 + 95);
    EXPECT_EQ(overlapping[9], 254);
    for (int i = 3; i <= 6; ++i)
        EXPECT_EQ(overlapping[i], 0) << i;
    EXPECT_TRUE(marqueeWeights(0, 0).empty());
}

TEST(VistaProBarMarquee, BlockTintsWholeColumnsOfTheTrack)
{
    const QImage track = render(barAt(150, 17, 0));
    const QImage block = render(marqueeAt(150, 17, 50));
    const std::vector<int> weights = marqueeWeights(60, 18);
    // Right edge Round(75) = 75, left edge 75 - Round(60) = 15.
    for (int x = 0; x < 150; ++x) {
        const bool inside = x >= 15 && x < 75;
        for (int y = 0; y < 17; ++y) {
            const QRgb expected =
                inside ? tinted(track.pixel(x, y), kLime, weights[x - 15]) : track.pixel(x, y);
            ASSERT_EQ(block.pixel(x, y), expected) << x << "," << y;
        }
    }
}

TEST(VistaProBarMarquee, BlockEntersAtTheLeftAndLeavesBeforeTheWrap)
{
    const QImage track = render(barAt(150, 17, 0));
    // Phase 1: right edge Round(1.5) = 2, so the block's last two columns show.
    const QImage entering = render(marqueeAt(150, 17, 1));
    EXPECT_EQ(entering.pixel(0, 8), tinted(track.pixel(0, 8), kLime, 245));
    EXPECT_EQ(entering.pixel(1, 8), tinted(track.pixel(1, 8), kLime, 254));
    for (int x = 2; x < 150; ++x)
        ASSERT_TRUE(sameColumn(track, entering, x)) << x;
    // Phase 140 (the last before the wrap): the block is past the right edge.
    EXPECT_EQ(render(marqueeAt(150, 17, 140)), track);
    EXPECT_EQ(render(marqueeAt(150, 17, 0)), track);
}

TEST(VistaProBarWidget, StartsAsTheControlIsCreated)
{
    TVistaProBar bar;
    EXPECT_EQ(bar.size(), QSize(150, 17));
    EXPECT_EQ(bar.color(), QColor(0, 255, 0));
    EXPECT_EQ(bar.max(), 100);
    EXPECT_EQ(bar.min(), 0);
    EXPECT_EQ(bar.position(), 0);
    EXPECT_EQ(bar.marqueeSize(), 40);
    EXPECT_EQ(bar.marqueeFade(), 30);
    EXPECT_EQ(bar.marqueeSpeed(), 25);
    EXPECT_EQ(bar.orientation(), vpbHorizontal);
    EXPECT_FALSE(bar.marquee());
    EXPECT_FALSE(bar.showPosText());
    EXPECT_FALSE(bar.percentage());
    EXPECT_FALSE(bar.altMode());
    auto* timer = bar.findChild<QTimer*>();
    ASSERT_NE(timer, nullptr);
    EXPECT_FALSE(timer->isActive());
    EXPECT_EQ(timer->interval(), 25);
    EXPECT_TRUE(IsGraphicControl(&bar));
}

TEST(VistaProBarWidget, OrientationIsAProperty)
{
    TVistaProBar bar;
    ASSERT_TRUE(bar.setProperty("Orientation", QStringLiteral("vpbVertical")));
    EXPECT_EQ(bar.orientation(), vpbVertical);
    EXPECT_EQ(bar.property("Orientation").value<TVPBOrientation>(), vpbVertical);
}

TEST(VistaProBarWidget, PositionIsClampedToTheBounds)
{
    TVistaProBar bar;
    bar.setPosition(150);
    EXPECT_EQ(bar.position(), 100);
    bar.setPosition(-5);
    EXPECT_EQ(bar.position(), 0);
    bar.setPosition(40);
    bar.addPosition(100);
    EXPECT_EQ(bar.position(), 100);
    bar.setMax(50); // not re-clamped; the drawing clamps
    EXPECT_EQ(bar.position(), 100);
}

TEST(VistaProBarWidget, SettersRepaintBeforeTheyReturn)
{
    TVistaProBar bar;
    bar.show();
    ASSERT_TRUE(waitUntil([&] { return bar.windowHandle() && bar.windowHandle()->isExposed(); }));
    PaintCounter counter(&bar);
    auto paintsDuring = [&](auto&& change) {
        const int before = counter.paints;
        change();
        return counter.paints - before;
    };
    EXPECT_EQ(paintsDuring([&] { bar.setPosition(30); }), 1);
    EXPECT_EQ(paintsDuring([&] { bar.setPosition(30); }), 0); // same value
    EXPECT_EQ(paintsDuring([&] { bar.setMax(200); }), 1);
    EXPECT_EQ(paintsDuring([&] { bar.setMin(10); }), 1);
    EXPECT_EQ(paintsDuring([&] { bar.setPercentage(true); }), 1);
    EXPECT_EQ(paintsDuring([&] { bar.setShowPosText(true); }), 1);
    EXPECT_EQ(paintsDuring([&] { bar.setPosTextPrefix(QStringLiteral("Updating : ")); }), 1);
    EXPECT_EQ(paintsDuring([&] { bar.setPosTextSuffix(QStringLiteral(" rows")); }), 1);
    EXPECT_EQ(paintsDuring([&] { bar.setColor(Qt::red); }), 1);
    EXPECT_EQ(paintsDuring([&] { bar.setMarqueeSize(40); }), 1); // always repaints
    EXPECT_EQ(paintsDuring([&] { bar.setMarqueeFade(10); }), 1);
    EXPECT_EQ(paintsDuring([&] { bar.setOrientation(vpbHorizontal); }), 1);
    EXPECT_EQ(paintsDuring([&] { bar.setMarquee(false); }), 1);
    EXPECT_EQ(paintsDuring([&] { bar.setMarqueeSpeed(50); }), 0);
}

TEST(VistaProBarWidget, WhatIsShownFollowsTheSetters)
{
    TVistaProBar bar;
    bar.resize(150, 33);
    const QImage empty = bar.grab().toImage();
    bar.setPosition(60);
    const QImage sixty = bar.grab().toImage();
    EXPECT_NE(empty, sixty);
    bar.setColor(QColor(255, 0, 0));
    EXPECT_NE(sixty, bar.grab().toImage());
    // The widget shows exactly the computed frame.
    EXPECT_EQ(bar.grab().toImage().convertToFormat(QImage::Format_RGB32), render(bar.barState()));
}

TEST(VistaProBarWidget, MarqueeTimerAdvancesThePhase)
{
    TVistaProBar bar;
    bar.setMarquee(true);
    auto* timer = bar.findChild<QTimer*>();
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isActive());
    ASSERT_TRUE(waitUntil([&] { return bar.marqueePhase() >= 2; }));
    bar.setMarquee(false);
    EXPECT_FALSE(timer->isActive());
    const int kept = bar.marqueePhase();
    bar.setMarquee(true); // the phase survives a stop and restart
    EXPECT_EQ(bar.marqueePhase(), kept);
}

TEST(VistaProBarWidget, PhaseRunsOneToSizePlusHundredThenWraps)
{
    TVistaProBar bar;
    for (int tick = 1; tick <= 140; ++tick) {
        bar.marqueeTimer();
        ASSERT_EQ(bar.marqueePhase(), tick);
    }
    bar.marqueeTimer();
    EXPECT_EQ(bar.marqueePhase(), 1);
}

TEST(VistaProBarWidget, MarqueeSpeedZeroDoesNotSpin)
{
    TVistaProBar bar;
    auto* timer = bar.findChild<QTimer*>();
    bar.setMarqueeSpeed(0);
    EXPECT_EQ(bar.marqueeSpeed(), 0);
    EXPECT_GE(timer->interval(), 10);
    bar.setMarqueeSpeed(40);
    EXPECT_EQ(timer->interval(), 40);
}
