// Mask runs, region data and window regions from mask pictures.

#include "SkinControlsTestSupport.h"
#include "bsSkinRegions.h"

#include <QtEndian>
#include <gtest/gtest.h>

namespace {

constexpr quint32 kBlack = 0xFF000000;
constexpr quint32 kWhite = 0xFFFFFFFF;

qint32 intAt(const QByteArray& data, int at)
{
    return qFromLittleEndian<qint32>(data.constData() + at);
}

std::vector<qint32> intsFrom(const QByteArray& data, int at, int count)
{
    std::vector<qint32> out;
    for (int i = 0; i < count; ++i)
        out.push_back(intAt(data, at + 4 * i));
    return out;
}

TEST(MaskRuns, OneRectanglePerBlackRunOnly)
{
    SizedBitmap mask(6, 3, kWhite);
    for (int x = 2; x < 6; ++x)
        *mask.GetPixelPtr(x, 0) = kBlack; // black to the right edge
    *mask.GetPixelPtr(0, 1) = 0xFF000001; // nearly black: outside
    *mask.GetPixelPtr(1, 1) = 0xFF000100;
    *mask.GetPixelPtr(2, 1) = 0xFF010000;
    *mask.GetPixelPtr(3, 1) = 0x00000000; // black with no alpha: inside
    *mask.GetPixelPtr(0, 2) = kBlack;
    *mask.GetPixelPtr(1, 2) = kBlack;
    *mask.GetPixelPtr(4, 2) = kBlack;
    const std::vector<TRect> expected = {Rect(12, 20, 16, 21), Rect(13, 21, 14, 22),
                                         Rect(10, 22, 12, 23), Rect(14, 22, 15, 23)};
    EXPECT_EQ(MaskRuns(mask, 10, 20), expected);
}

TEST(RegionData, HeaderThenRectanglesLittleEndian)
{
    SizedBitmap mask(4, 2, kWhite);
    *mask.GetPixelPtr(1, 0) = kBlack;
    *mask.GetPixelPtr(2, 0) = kBlack;
    *mask.GetPixelPtr(3, 1) = kBlack;
    QByteArray data;
    ASSERT_EQ(CreateRgnDataFromMask(mask, 5, 7, data), 32 + 2 * 16);
    ASSERT_EQ(data.size(), 64);
    EXPECT_EQ(intsFrom(data, 0, 8), (std::vector<qint32>{32, 1, 2, 0, 5, 7, 9, 9}));
    EXPECT_EQ(intsFrom(data, 32, 8), (std::vector<qint32>{6, 7, 8, 8, 8, 8, 9, 9}));
    const QRegion region = RegionFromRgnData(data);
    EXPECT_EQ(region, QRegion(6, 7, 2, 1) + QRegion(8, 8, 1, 1));
}

TEST(RegionData, EmptyMaskGivesNothing)
{
    TbsBitmap empty;
    QByteArray data("left over");
    EXPECT_EQ(CreateRgnDataFromMask(empty, 0, 0, data), 0);
    EXPECT_TRUE(data.isEmpty());
    std::optional<QRegion> rgn = QRegion(0, 0, 5, 5);
    CreateRgnFromMask(rgn, empty);
    EXPECT_FALSE(rgn.has_value());
    // A mask without black pixels gives a header and no rectangle.
    SizedBitmap white(3, 3, kWhite);
    EXPECT_EQ(CreateRgnDataFromMask(white, 0, 0, data), 32);
}

TEST(RegionData, MoreRunsThanTheOldTableHeld)
{
    // 10002 runs in one row: black, white, black, ...
    SizedBitmap mask(20003, 1, kWhite);
    for (int x = 0; x < 20003; x += 2)
        *mask.GetPixelPtr(x, 0) = kBlack;
    QByteArray data;
    ASSERT_EQ(CreateRgnDataFromMask(mask, 0, 0, data), 32 + 16 * 10002);
    EXPECT_EQ(intAt(data, 8), 10002);
    EXPECT_EQ(intsFrom(data, 32 + 16 * 10001, 4), (std::vector<qint32>{20002, 0, 20003, 1}));
    const QRegion region = RegionFromRgnData(data);
    EXPECT_TRUE(region.contains(QPoint(20002, 0)));
    EXPECT_FALSE(region.contains(QPoint(20001, 0)));
}

TEST(RegionData, MalformedBlocksGiveAnEmptyRegion)
{
    SizedBitmap mask(2, 2, kBlack);
    QByteArray data;
    CreateRgnDataFromMask(mask, 0, 0, data);
    QByteArray truncated = data.left(40);
    EXPECT_TRUE(RegionFromRgnData(truncated).isEmpty());
    QByteArray badCount = data;
    qToLittleEndian<qint32>(-3, badCount.data() + 8);
    EXPECT_TRUE(RegionFromRgnData(badCount).isEmpty());
    EXPECT_TRUE(RegionFromRgnData(QByteArray()).isEmpty());
}

TEST(MaskRegion, CoversTheBlackPixelsOfTheMask)
{
    SizedBitmap mask(5, 4, kBlack);
    *mask.GetPixelPtr(0, 0) = kWhite;
    *mask.GetPixelPtr(4, 3) = kWhite;
    std::optional<QRegion> rgn;
    CreateRgnFromMask(rgn, mask);
    ASSERT_TRUE(rgn.has_value());
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 7; ++x)
            EXPECT_EQ(rgn->contains(QPoint(x, y)), x < 5 && y < 4 && pixelAt(mask, x, y) == kBlack)
                << x << "," << y;
}

// The group box's mask: black with white corners, a white dot on the top edge's
// middle and one on the left edge's middle.
class GroupBoxMask : public SizedBitmap {
public:
    GroupBoxMask() : SizedBitmap(59, 52, kBlack)
    {
        for (const TPoint& p :
             {Point(0, 0), Point(58, 0), Point(0, 51), Point(58, 51), Point(6, 1), Point(1, 30)})
            *GetPixelPtr(p.X, p.Y) = kWhite;
    }
};

// Whether pixel (x, y) of a 289 x 74 group box lies inside, worked out by
// band: row strips tile their middles from the new left point, column strips
// from their own top, under their ends.
bool insideAt289By74(const TbsBitmap& mask, int x, int y)
{
    auto columnRow = [](int r) { return r < 2 ? 17 + r : r >= 52 ? 47 + r - 52 : 19 + r % 28; };
    int mx = x;
    int my = y;
    if (y < 17)
        mx = tiledCoordinate(x, 5, 52, 230);
    else if (y >= 72)
        mx = tiledCoordinate(x, 4, 53, 230), my = y - 22;
    else if (x < 2)
        my = columnRow(y - 17);
    else if (x >= 287)
        mx = x - 230, my = columnRow(y - 17);
    else
        return true; // the client rectangle
    return pixelAt(mask, mx, my) == kBlack;
}

TEST(SkinRegion, MaskLaidOutAtTheNewSize)
{
    const GroupBoxMask mask;
    std::optional<QRegion> rgn;
    CreateSkinRegion(rgn, groupBoxGeometry(289, 74), mask);
    ASSERT_TRUE(rgn.has_value());
    EXPECT_EQ(rgn->boundingRect(), QRect(0, 0, 289, 74));
    for (int y = 0; y < 74; ++y)
        for (int x = 0; x < 289; ++x)
            ASSERT_EQ(rgn->contains(QPoint(x, y)), insideAt289By74(mask, x, y)) << x << "," << y;
    // Spot checks by hand: the top dot repeats every 47 pixels, the left one every 28.
    EXPECT_FALSE(rgn->contains(QPoint(6 + 47, 1)));
    EXPECT_FALSE(rgn->contains(QPoint(1, 17 + 11)));
    EXPECT_FALSE(rgn->contains(QPoint(1, 17 + 39)));
    EXPECT_FALSE(rgn->contains(QPoint(288, 73)));
}

TEST(SkinRegion, CrossingPointsGiveNoRegion)
{
    const GroupBoxMask mask;
    std::optional<QRegion> rgn = QRegion(0, 0, 1, 1);
    CreateSkinRegion(rgn, groupBoxGeometry(8, 74), mask);
    EXPECT_FALSE(rgn.has_value());
}

TEST(SkinRegion, MaskStripsWithoutMiddlesKeepTheirEnds)
{
    GroupBoxMask mask;
    TbsSkinGeometry g = groupBoxGeometry(289, 74);
    g.RTPt.X = g.LTPt.X; // top middle of no length: nothing tiled, the strip stays black
    std::optional<QRegion> rgn;
    CreateSkinRegion(rgn, g, mask);
    ASSERT_TRUE(rgn.has_value());
    EXPECT_FALSE(rgn->contains(QPoint(0, 0)));
    EXPECT_TRUE(rgn->contains(QPoint(100, 1)));
}

} // namespace
