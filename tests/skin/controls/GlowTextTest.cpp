// Glow text: where the halo reaches, its colour, and the text drawn over it.

#include "SkinPixelHelpers.h"
#include "bsGlowText.h"

#include <gtest/gtest.h>

namespace {

constexpr quint32 kBlackPixel = 0xFF000000;

// A black canvas with "Glow" drawn into (40, 20, 140, 44) in a 16-pixel font.
class GlowCanvas : public SizedBitmap {
public:
    explicit GlowCanvas(TColor glowColor, TColor fontColor = platform::clBlack)
        : SizedBitmap(200, 80, kBlackPixel)
    {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(16);
        Canvas()->SetFont(font);
        Canvas()->SetFontColor(fontColor);
        DrawGlowText(Canvas(), kTextRect, QStringLiteral("Glow"), DT_LEFT, glowColor);
    }
    static constexpr TRect kTextRect = {40, 20, 140, 44};
};

bool inside(const TRect& r, int x, int y)
{
    return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
}

TEST(GlowText, HaloStaysWithinTenPixelsOfTheTextRectangle)
{
    const GlowCanvas canvas(platform::clWhite);
    const TRect halo = Rect(30, 10, 150, 54);
    int glowing = 0;
    for (int y = 0; y < canvas.Height(); ++y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            const quint32 p = pixelAt(canvas, x, y);
            if (!inside(halo, x, y))
                ASSERT_EQ(p, kBlackPixel) << x << "," << y;
            else if (!inside(GlowCanvas::kTextRect, x, y) && p != kBlackPixel)
                ++glowing;
        }
    }
    // The halo shows around the text, outside its rectangle too.
    EXPECT_GT(glowing, 50);
}

TEST(GlowText, HaloTakesTheColourBytesAsTheyAre)
{
    // Pure green glow on black: only the green channel rises.
    const GlowCanvas green(platform::clLime);
    bool seen = false;
    for (int y = 12; y < 20; ++y) {
        const quint32 p = pixelAt(green, 60, y);
        EXPECT_EQ(redOf(p), 0);
        EXPECT_EQ(blueOf(p), 0);
        seen = seen || greenOf(p) > 0;
    }
    EXPECT_TRUE(seen);
    // A system colour is not resolved: clBtnFace's low byte (15) is its "red".
    const GlowCanvas system(platform::clBtnFace);
    for (int y = 12; y < 20; ++y) {
        const quint32 p = pixelAt(system, 60, y);
        EXPECT_LE(redOf(p), 15);
        EXPECT_EQ(greenOf(p), 0);
        EXPECT_EQ(blueOf(p), 0);
    }
}

TEST(GlowText, TextIsDrawnOverTheHaloInTheFontColour)
{
    const GlowCanvas canvas(platform::clWhite, platform::clBlue);
    int fullyBlue = 0;
    for (int y = GlowCanvas::kTextRect.Top; y < GlowCanvas::kTextRect.Bottom; ++y)
        for (int x = GlowCanvas::kTextRect.Left; x < GlowCanvas::kTextRect.Right; ++x)
            fullyBlue += pixelAt(canvas, x, y) == argb(255, 0, 0, 255);
    EXPECT_GT(fullyBlue, 10);
}

TEST(GlowText, EmptyAndInvertedRectanglesDrawWithoutFault)
{
    SizedBitmap canvas(50, 50, kBlackPixel);
    DrawGlowText(canvas.Canvas(), Rect(20, 20, 20, 20), QStringLiteral("x"), DT_LEFT,
                 platform::clWhite);
    DrawGlowText(canvas.Canvas(), Rect(40, 40, 10, 10), QStringLiteral("x"), DT_LEFT,
                 platform::clWhite);
    // The inverted one has no halo; the empty one's halo has no text to glow from.
    EXPECT_TRUE(pixelsMatch(canvas, [](int, int) { return kBlackPixel; }));
}

} // namespace
