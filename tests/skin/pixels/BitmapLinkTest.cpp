// TbsBitmapLink: assignment, drawing, masked-pixel checks, streams.

#include "SkinPixelHelpers.h"
#include "bseffects.h"

#include <QBuffer>
#include <gtest/gtest.h>

namespace {

struct LinkFixture : ::testing::Test {
    SizedBitmap image{12, 12, 0xFF102030};
    TbsBitmapLink link;
    void SetUp() override
    {
        link.SetImage(&image);
        link.SetRect(Rect(1, 1, 11, 11));
    }
};

TEST_F(LinkFixture, AssignedNeedsAnImageAndAnArea)
{
    EXPECT_TRUE(link.Assigned());
    TbsBitmapLink none;
    none.SetRect(Rect(0, 0, 5, 5));
    EXPECT_FALSE(none.Assigned());
    link.SetRight(1);
    EXPECT_FALSE(link.Assigned());
    SizedBitmap target(4, 4);
    link.Draw(target, 0, 0);
    none.Draw(target, 0, 0);
    EXPECT_EQ(pixelAt(target, 0, 0), 0u);
}

TEST_F(LinkFixture, DrawsItsRectangleByTheImagesFlags)
{
    *image.GetPixelPtr(1, 1) = 0xFFAABBCC;
    *image.GetPixelPtr(2, 1) = bsKeyPixel;
    image.SetTransparent(true);
    SizedBitmap target(4, 4, 0xFF000001);
    link.Draw(target, 1, 1);
    EXPECT_EQ(pixelAt(target, 1, 1), 0xFFAABBCCu);
    EXPECT_EQ(pixelAt(target, 2, 1), 0xFF000001u);
    EXPECT_EQ(pixelAt(target, 3, 3), 0xFF102030u);
    EXPECT_EQ(pixelAt(target, 0, 0), 0xFF000001u);

    QImage canvas(4, 4, QImage::Format_ARGB32);
    canvas.fill(0);
    TbsDC dc(&canvas);
    link.Draw(&dc, 0, 0);
    EXPECT_EQ(canvas.pixel(0, 0), 0xFFAABBCCu);
}

TEST_F(LinkFixture, OpaqueRectangleIsNotMasked)
{
    link.CheckingMasked(4, 4, 4, 4);
    EXPECT_FALSE(link.Masked());
    EXPECT_FALSE(link.MaskedBorder());
    EXPECT_FALSE(link.MaskedAngles());
    link.CheckingMasked();
    EXPECT_FALSE(link.Masked());
}

TEST_F(LinkFixture, KeyedCornerPixelSetsOnlyAngles)
{
    *image.GetPixelPtr(1, 1) = bsKeyPixel;
    link.CheckingMasked(4, 4, 4, 4);
    EXPECT_TRUE(link.MaskedAngles());
    EXPECT_FALSE(link.MaskedBorder());
    EXPECT_FALSE(link.Masked());
}

TEST_F(LinkFixture, BorderCentreAndTheNoMarginScan)
{
    *image.GetPixelPtr(6, 2) = 0xFE102030; // top border strip
    *image.GetPixelPtr(6, 6) = 0x33333333; // never masked
    link.CheckingMasked(4, 4, 4, 4);
    EXPECT_TRUE(link.MaskedBorder());
    EXPECT_FALSE(link.Masked());
    *image.GetPixelPtr(5, 5) = 0x00000000; // centre (4, 4, 6, 6)
    link.CheckingMasked(4, 4, 4, 4);
    EXPECT_TRUE(link.Masked());
    // Margins 0, 0, 0, 5 are no margins: any masked pixel sets Masked only.
    link.CheckingMasked(0, 0, 0, 5);
    EXPECT_TRUE(link.Masked());
    EXPECT_FALSE(link.MaskedBorder());
}

TEST(LinkMarginRegions, EachPixelFallsInItsCornerStripOrCentre)
{
    // A 12 x 14 link at (2, 1) with margins left 2, top 3, right 4, bottom 5:
    // corners, the four strips between them, and the centre (2, 3) .. (8, 9).
    struct Case {
        int x, y; // relative to the link's top-left
        bool angles, border, centre;
    };
    const Case cases[] = {
        {0, 13, true, false, false},  {1, 9, true, false, false},  // lower left corner
        {11, 13, true, false, false}, {8, 9, true, false, false},  // lower right corner
        {11, 0, true, false, false},  {1, 2, true, false, false},  // upper corners
        {8, 3, false, true, false},   {11, 8, false, true, false}, // right strip
        {8, 5, false, true, false},   {5, 9, false, true, false},  // right, bottom strip
        {7, 13, false, true, false},  {0, 5, false, true, false},  // bottom, left strip
        {2, 2, false, true, false},   {7, 0, false, true, false},  // top strip
        {7, 5, false, false, true},   {5, 8, false, false, true},  // centre's last column, row
        {2, 3, false, false, true},
    };
    for (const Case& c : cases) {
        for (const quint32 masked : {bsKeyPixel, 0xFE102030u, 0x00FFFFFFu}) {
            SizedBitmap image(16, 16, 0xFF102030);
            TbsBitmapLink link;
            link.SetImage(&image);
            link.SetRect(Rect(2, 1, 14, 15));
            *image.GetPixelPtr(2 + c.x, 1 + c.y) = masked;
            link.CheckingMasked(2, 3, 4, 5);
            EXPECT_EQ(link.MaskedAngles(), c.angles) << c.x << "," << c.y;
            EXPECT_EQ(link.MaskedBorder(), c.border) << c.x << "," << c.y;
            EXPECT_EQ(link.Masked(), c.centre) << c.x << "," << c.y;
        }
    }
}

TEST_F(LinkFixture, OutsideTheImageCountsAsMasked)
{
    link.SetRect(Rect(10, 10, 14, 14));
    link.CheckingMasked();
    EXPECT_TRUE(link.Masked());
}

TEST_F(LinkFixture, AssignAndStreamRoundTrip)
{
    link.SetName("corner");
    link.CheckingMasked(0, 0, 0, 0);
    TbsBitmapLink copy;
    copy.Assign(link);
    EXPECT_EQ(copy.Image(), &image);
    EXPECT_EQ(copy.Rect(), link.Rect());

    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    link.SaveToStream(buffer);
    buffer.seek(0);
    TbsBitmapLink loaded;
    loaded.LoadFromStream(buffer);
    EXPECT_EQ(loaded.Name(), "corner");
    EXPECT_EQ(loaded.Rect(), Rect(1, 1, 11, 11));

    ReadBuffer shortBuffer(buffer.data().left(buffer.data().size() - 1));
    EXPECT_THROW(loaded.LoadFromStream(shortBuffer), EbsSkinError);
    EXPECT_EQ(loaded.Name(), "corner");
}

} // namespace
