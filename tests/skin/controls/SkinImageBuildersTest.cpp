// Skin image builders against per-pixel references on a picture whose pixels
// all differ.

#include "SkinControlsTestSupport.h"

#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace {

const DistinctPicture& picture()
{
    static const DistinctPicture p(200, 120);
    return p;
}

TEST(NinePartImage, TilesEveryMiddleAtEverySize)
{
    for (const auto& [w, h] :
         {std::pair{59, 52}, {289, 58}, {289, 70}, {289, 74}, {289, 148}, {60, 200}, {150, 53}}) {
        SCOPED_TRACE(testing::Message() << w << "x" << h);
        const TbsSkinGeometry g = groupBoxGeometry(w, h);
        TbsBitmap b;
        CreateSkinImageClipped(g, b, picture(), kGroupSkinRect, true, {}, false, bsstFull);
        ASSERT_EQ(b.Width(), w);
        ASSERT_EQ(b.Height(), h);
        EXPECT_TRUE(pixelsMatch(b, [&](int x, int y) { return tiledNinePart(g, x, y); }));
    }
}

TEST(NinePartImage, SpotPixelsWorkedOutByHand)
{
    TbsBitmap b;
    CreateSkinImageClipped(groupBoxGeometry(289, 74), b, picture(), kGroupSkinRect, true, {}, false,
                           bsstFull);
    // Top edge: the 47-pixel middle from x = 5; 100 is 95 in, 95 mod 47 = 1.
    EXPECT_EQ(pixelAt(b, 100, 5), skinPixel(6, 5));
    // Top-right corner: from x = 52 + 230 = 282 on.
    EXPECT_EQ(pixelAt(b, 286, 5), skinPixel(56, 5));
    // Bottom row and client part.
    EXPECT_EQ(pixelAt(b, 0, 73), skinPixel(0, 51));
    EXPECT_EQ(pixelAt(b, 2 + 55 + 3, 17 + 33 + 1), skinPixel(2 + 3, 17 + 1));
}

TEST(NinePartImage, StretchedEdgesAndClient)
{
    const TbsSkinGeometry g = groupBoxGeometry(289, 74);
    TbsBitmap b;
    CreateSkinImageClipped(g, b, picture(), kGroupSkinRect, true, {true, true, true, true}, true,
                           bsstFull);
    // Top edge: 47 pixels stretched over 277.
    for (int x = 5; x < 282; ++x)
        ASSERT_EQ(pixelAt(b, x, 3), skinPixel(5 + stretchedOffset(x - 5, 47, 277), 3)) << x;
    // Left edge: rows 19..47 stretched over 19..69.
    for (int y = 19; y < 69; ++y)
        ASSERT_EQ(pixelAt(b, 1, y), skinPixel(1, 19 + stretchedOffset(y - 19, 28, 50))) << y;
    // Client: 55 x 33 stretched over 285 x 55.
    EXPECT_TRUE(pixelsMatch(b, g.NCL, [](int x, int y) {
        return skinPixel(2 + stretchedOffset(x - 2, 55, 285), 17 + stretchedOffset(y - 17, 33, 55));
    }));
}

TEST(NinePartImage, ClientStretchedOneWayIsRepeatedTheOther)
{
    const TbsSkinGeometry g = groupBoxGeometry(289, 74);
    TbsBitmap horz, vert;
    CreateSkinImageClipped(g, horz, picture(), kGroupSkinRect, true, {}, true, bsstHorz);
    CreateSkinImageClipped(g, vert, picture(), kGroupSkinRect, true, {}, true, bsstVert);
    EXPECT_TRUE(pixelsMatch(horz, g.NCL, [](int x, int y) {
        return skinPixel(2 + (x - 2) % 55, 17 + stretchedOffset(y - 17, 33, 55));
    }));
    EXPECT_TRUE(pixelsMatch(vert, g.NCL, [](int x, int y) {
        return skinPixel(2 + stretchedOffset(x - 2, 55, 285), 17 + (y - 17) % 33);
    }));
}

TEST(NinePartImage, EightPixelClientColumnRepeatsAtZeroEightAndSixteen)
{
    // A 12 x 8 skin whose client part is 8 x 4, shown with a 20 x 4 client area.
    TbsSkinGeometry g;
    g.LTPt = Point(2, 2);
    g.RTPt = Point(10, 2);
    g.LBPt = Point(2, 6);
    g.RBPt = Point(10, 6);
    g.CL = Rect(2, 2, 10, 6);
    g.NewLTPoint = g.LTPt;
    g.NewRTPoint = Point(22, 2);
    g.NewLBPoint = g.LBPt;
    g.NewRBPoint = Point(22, 6);
    g.NCL = Rect(2, 2, 22, 6);
    g.Width = 24;
    g.Height = 8;
    const TRect sr = Rect(10, 10, 22, 18);
    TbsBitmap b;
    CreateSkinImageClipped(g, b, picture(), sr, true, {}, true, bsstHorz);
    for (int x = 0; x < 20; ++x)
        EXPECT_EQ(pixelAt(b, 2 + x, 3), distinctPixel(10 + 2 + x % 8, 10 + 3)) << x;
}

TEST(NinePartImage, BelowTheCornersLaterPiecesWin)
{
    // 8 wide: the right points cross the left ones (52 - 51 = 1 < 5).
    TbsBitmap b;
    CreateSkinImageClipped(groupBoxGeometry(8, 74), b, picture(), kGroupSkinRect, true, {}, false,
                           bsstFull);
    ASSERT_EQ(b.Width(), 8);
    // Top row band: the top-left piece covers 0..4, the top-right piece 1..7 over it.
    EXPECT_EQ(pixelAt(b, 0, 3), skinPixel(0, 3));
    for (int x = 1; x < 8; ++x)
        EXPECT_EQ(pixelAt(b, x, 3), skinPixel(52 + x - 1, 3)) << x;
}

TEST(NinePartImage, BadGeometryPaintsWithoutFault)
{
    TbsSkinGeometry g = groupBoxGeometry(289, 74);
    TbsBitmap b;
    // A skin rectangle running off the picture: the parts outside draw nothing.
    CreateSkinImageClipped(g, b, picture(), Rect(180, 100, 239, 152), true, {}, false, bsstFull);
    EXPECT_EQ(b.Width(), 289);
    EXPECT_EQ(pixelAt(b, 288, 73), 0u);
    // Equal points draw nothing but the size.
    g.RBPt.X = g.LTPt.X;
    TbsBitmap empty;
    CreateSkinImageClipped(g, empty, picture(), kGroupSkinRect, true, {}, false, bsstFull);
    EXPECT_EQ(empty.Width(), 289);
    EXPECT_TRUE(pixelsMatch(empty, [](int, int) { return 0u; }));
    // No size: the bitmap stays empty.
    TbsBitmap none;
    CreateSkinImageClipped(groupBoxGeometry(0, 74), none, picture(), kGroupSkinRect, true, {},
                           false, bsstFull);
    EXPECT_TRUE(none.Empty());
}

TEST(NinePartImage, EmptyMiddlesAndClientAreSkipped)
{
    // Top middle of no length, client part of no width: nothing to tile there.
    TbsSkinGeometry g = groupBoxGeometry(289, 74);
    g.RTPt.X = g.LTPt.X;
    g.CL.Right = g.CL.Left;
    TbsBitmap b;
    CreateSkinImageClipped(g, b, picture(), kGroupSkinRect, true, {}, false, bsstFull);
    EXPECT_EQ(pixelAt(b, 100, 5), 0u);
    EXPECT_EQ(pixelAt(b, 100, 40), 0u);
    // The corners are still there.
    EXPECT_EQ(pixelAt(b, 1, 1), skinPixel(1, 1));
}

TEST(Tiling, PartsAreCutNeverSqueezed)
{
    auto pieces = [](int span, int part) {
        std::vector<std::pair<int, int>> out;
        ForEachTile(span, part, [&](int offset, int length) { out.emplace_back(offset, length); });
        return out;
    };
    using Pieces = std::vector<std::pair<int, int>>;
    EXPECT_EQ(pieces(25, 10), (Pieces{{0, 10}, {10, 10}, {20, 5}}));
    EXPECT_EQ(pieces(20, 10), (Pieces{{0, 10}, {10, 10}}));
    EXPECT_TRUE(pieces(20, 0).empty());
    EXPECT_TRUE(pieces(-5, 10).empty());
}

TEST(AxisImages, HorizontalImageTilesOrStretchesItsMiddle)
{
    // Left 5 and right 7 of the 59-wide skin kept; the 47-pixel middle spans 88.
    TbsBitmap tiled, stretched;
    CreateHSkinImage(5, 7, tiled, picture(), kGroupSkinRect, 100, 999, false);
    CreateHSkinImage(5, 7, stretched, picture(), kGroupSkinRect, 100, 999, true);
    ASSERT_EQ(tiled.Width(), 100);
    ASSERT_EQ(tiled.Height(), 52);
    ASSERT_EQ(stretched.Height(), 52);
    auto edge = [](int x, int middle) { return x < 5 ? x : x >= 93 ? x - 41 : middle; };
    EXPECT_TRUE(
        pixelsMatch(tiled, [&](int x, int y) { return skinPixel(edge(x, 5 + (x - 5) % 47), y); }));
    EXPECT_TRUE(pixelsMatch(stretched, [&](int x, int y) {
        return skinPixel(edge(x, 5 + stretchedOffset(x - 5, 47, 88)), y);
    }));
}

TEST(AxisImages, VerticalImageAndAMiddleOfTenOverTwentyFive)
{
    // Top 20, bottom 22: a 10-pixel middle over a 25-pixel span.
    TbsBitmap b;
    CreateVSkinImage(20, 22, b, picture(), kGroupSkinRect, 999, 67, false);
    ASSERT_EQ(b.Width(), 59);
    ASSERT_EQ(b.Height(), 67);
    EXPECT_TRUE(pixelsMatch(b, [](int x, int y) {
        const int sy = y < 20 ? y : y >= 45 ? y - 15 : 20 + (y - 20) % 10;
        return skinPixel(x, sy);
    }));
}

TEST(FrameStrips, GroupBoxStripsAt289By74)
{
    const TbsSkinGeometry g = groupBoxGeometry(289, 74);
    TbsBitmap left, top, right, bottom;
    CreateSkinImageStretched(g, left, top, right, bottom, picture(), kGroupSkinRect, {});
    ASSERT_EQ(std::pair(top.Width(), top.Height()), std::pair(289, 17));
    ASSERT_EQ(std::pair(bottom.Width(), bottom.Height()), std::pair(289, 2));
    ASSERT_EQ(std::pair(left.Width(), left.Height()), std::pair(2, 55));
    ASSERT_EQ(std::pair(right.Width(), right.Height()), std::pair(2, 55));
    // Row strips: middles tiled from the strip's left edge, then the corners.
    auto rowX = [](int x, int lo, int hi, int newHi) {
        return x < lo ? x : x >= newHi ? x - (newHi - hi) : lo + x % (hi - lo);
    };
    EXPECT_TRUE(pixelsMatch(top, [&](int x, int y) { return skinPixel(rowX(x, 5, 52, 282), y); }));
    EXPECT_TRUE(
        pixelsMatch(bottom, [&](int x, int y) { return skinPixel(rowX(x, 4, 53, 283), 50 + y); }));
    // Column strips: ends of 2 (rows 17..19) and 3 (rows 47..50), middle from the top.
    auto columnY = [](int y, int a) { return y < 2 ? 17 + y : y >= 52 ? 47 + y - 52 : a + y % 28; };
    EXPECT_TRUE(pixelsMatch(left, [&](int x, int y) { return skinPixel(x, columnY(y, 19)); }));
    EXPECT_TRUE(
        pixelsMatch(right, [&](int x, int y) { return skinPixel(57 + x, columnY(y, 19)); }));
}

TEST(FrameStrips, StretchedMiddlesFitBetweenTheCorners)
{
    const TbsSkinGeometry g = groupBoxGeometry(289, 74);
    TbsBitmap left, top, right, bottom;
    CreateSkinImageStretched(g, left, top, right, bottom, picture(), kGroupSkinRect,
                             {true, true, true, true});
    for (int x = 5; x < 282; ++x)
        ASSERT_EQ(pixelAt(top, x, 0), skinPixel(5 + stretchedOffset(x - 5, 47, 277), 0)) << x;
    for (int y = 2; y < 52; ++y)
        ASSERT_EQ(pixelAt(left, 0, y), skinPixel(0, 19 + stretchedOffset(y - 2, 28, 50))) << y;
}

TEST(FrameStrips, StripsThatCannotBeBuiltKeepTheirState)
{
    TbsSkinGeometry g = groupBoxGeometry(289, 74);
    g.RTPt.X = g.LTPt.X; // no top middle
    TbsBitmap left, top, right, bottom;
    top.SetSize(3, 3);
    top.Clear(0x12345678);
    CreateSkinImageStretched(g, left, top, right, bottom, picture(), kGroupSkinRect, {});
    EXPECT_EQ(std::pair(top.Width(), top.Height()), std::pair(3, 3));
    EXPECT_EQ(pixelAt(top, 1, 1), 0x12345678u);
    // The side strips then take the whole height above the bottom strip.
    EXPECT_EQ(left.Height(), 74 - 3 - 2);
}

} // namespace
