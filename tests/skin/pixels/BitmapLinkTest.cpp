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
