// The alpha images of caption buttons and of the layered frame, pixel by
// pixel against values worked out here.

#include "SkinDescriptionHelpers.h"
#include "SkinPixelHelpers.h"

namespace {

// A picture whose every pixel tells its place: red x, green y, blue 7.
std::unique_ptr<TbsBitmap> placePicture(int width, int height)
{
    auto picture = std::make_unique<SizedBitmap>(width, height);
    fillWith(*picture, [](int x, int y) { return argb(0, x, y, 7); });
    return picture;
}

// A grey ramp mask: red 3x, green 3y, blue 30.
std::unique_ptr<TbsBitmap> maskPicture(int width, int height)
{
    auto mask = std::make_unique<SizedBitmap>(width, height);
    fillWith(*mask, [](int x, int y) { return argb(0, 3 * x, 3 * y, 30); });
    return mask;
}

int grey(int x, int y)
{
    return (3 * x + 3 * y + 30) / 3;
}

// c * a / 255, rounded to the nearest.
int premultiplied(int c, int a)
{
    return int(std::lround(double(c) * a / 255.0));
}

// Pictures 0 (frame), 1 (button), 2 (mask); a full layered border.
class ButtonImages : public testing::Test {
protected:
    void SetUp() override
    {
        data.FActivePictures.push_back(std::make_unique<SizedBitmap>(4, 4, 0xFF000000));
        data.FActivePictures.push_back(placePicture(40, 30));
        data.FActivePictures.push_back(maskPicture(20, 20));
        data.LayerFrame.PictureIndex = 0;
        data.LayerFrame.FullBorder = true;
        button.ActivePictureIndex = 1;
        button.SkinRect = Rect(10, 5, 16, 9);
        button.ActiveSkinRect = Rect(20, 5, 26, 9);
        button.DownRect = Rect(30, 5, 36, 9);
        button.InActiveSkinRect = Rect(0, 20, 6, 24);
    }

    TbsSkinData data;
    TbsDataSkinButton button{QStringLiteral("close")};
};

} // namespace

TEST_F(ButtonImages, MaskGivesPremultipliedAlphaFromItsTopLeftPart)
{
    button.AlphaMaskPictureIndex = 2;
    button.AlphaMaskActivePictureIndex = 2;
    button.InitAlphaImages(data);
    ASSERT_TRUE(button.FAlphaNormalImage);
    EXPECT_EQ(button.FAlphaNormalImage->Width(), 6);
    EXPECT_EQ(button.FAlphaNormalImage->Height(), 4);
    const auto expectedAt = [](int left, int top) {
        return [=](int x, int y) {
            const int a = grey(x, y);
            return argb(a, premultiplied(left + x, a), premultiplied(top + y, a),
                        premultiplied(7, a));
        };
    };
    EXPECT_TRUE(pixelsMatch(*button.FAlphaNormalImage, expectedAt(10, 5)));
    EXPECT_TRUE(pixelsMatch(*button.FAlphaActiveImage, expectedAt(20, 5)));
    // The pressed look takes the active look's mask.
    EXPECT_TRUE(pixelsMatch(*button.FAlphaDownImage, expectedAt(30, 5)));
}

TEST_F(ButtonImages, WithoutMaskTheImageIsOpaque)
{
    button.InitAlphaImages(data);
    for (TbsBitmap* image : {button.FAlphaNormalImage.get(), button.FAlphaActiveImage.get(),
                             button.FAlphaDownImage.get(), button.FAlphaInActiveImage.get()}) {
        ASSERT_NE(image, nullptr);
        EXPECT_TRUE(image->AlphaBlend());
    }
    EXPECT_TRUE(pixelsMatch(*button.FAlphaInActiveImage,
                            [](int x, int y) { return argb(255, x, 20 + y, 7); }));
    // A mask index past the pictures, or below -1, also gives the opaque image.
    button.AlphaMaskPictureIndex = 3;
    button.AlphaMaskActivePictureIndex = -5;
    button.InitAlphaImages(data);
    EXPECT_TRUE(pixelsMatch(*button.FAlphaNormalImage,
                            [](int x, int y) { return argb(255, 10 + x, 5 + y, 7); }));
    EXPECT_TRUE(pixelsMatch(*button.FAlphaActiveImage,
                            [](int x, int y) { return argb(255, 20 + x, 5 + y, 7); }));
}

TEST_F(ButtonImages, ImageIsThePartOfItsRectangleThePictureHolds)
{
    button.SkinRect = Rect(38, 28, 42, 31);
    button.ActiveSkinRect = Rect(-4096, -4096, 4096, 4096);
    button.DownRect = Rect(40, 0, 4096, 4096);
    button.AlphaMaskActivePictureIndex = 2;
    button.InitAlphaImages(data);
    ASSERT_TRUE(button.FAlphaNormalImage && button.FAlphaActiveImage);
    EXPECT_EQ(button.FAlphaNormalImage->Width(), 2);
    EXPECT_EQ(button.FAlphaNormalImage->Height(), 2);
    EXPECT_TRUE(pixelsMatch(*button.FAlphaNormalImage,
                            [](int x, int y) { return argb(255, 38 + x, 28 + y, 7); }));
    // The whole 40 x 30 picture; the 20 x 20 mask leaves the rest transparent.
    EXPECT_EQ(button.FAlphaActiveImage->Width(), 40);
    EXPECT_EQ(button.FAlphaActiveImage->Height(), 30);
    EXPECT_TRUE(pixelsMatch(*button.FAlphaActiveImage, [](int x, int y) {
        const int a = x < 20 && y < 20 ? grey(x, y) : 0;
        return argb(a, premultiplied(x, a), premultiplied(y, a), premultiplied(7, a));
    }));
    // Wholly beside the picture: nothing to show.
    EXPECT_FALSE(button.FAlphaDownImage);
}

TEST_F(ButtonImages, NoneWithoutFullLayeredBorderOrPicture)
{
    button.AlphaMaskPictureIndex = 2;
    button.InitAlphaImages(data);
    ASSERT_TRUE(button.FAlphaNormalImage);

    data.LayerFrame.FullBorder = false;
    button.InitAlphaImages(data);
    EXPECT_FALSE(button.FAlphaNormalImage || button.FAlphaActiveImage || button.FAlphaDownImage ||
                 button.FAlphaInActiveImage);

    data.LayerFrame.FullBorder = true;
    for (int frame : {-1, -5, 3}) {
        data.LayerFrame.PictureIndex = frame;
        button.InitAlphaImages(data);
        EXPECT_FALSE(button.FAlphaNormalImage) << frame;
    }

    data.LayerFrame.PictureIndex = 0;
    for (int picture : {-1, -5, 3}) {
        button.ActivePictureIndex = picture;
        button.InitAlphaImages(data);
        EXPECT_FALSE(button.FAlphaNormalImage) << picture;
    }
    button.ActivePictureIndex = 1;
    button.SkinRect = Rect(10, 5, 10, 9);
    button.InitAlphaImages(data);
    EXPECT_FALSE(button.FAlphaNormalImage);
    EXPECT_TRUE(button.FAlphaActiveImage);
}

TEST_F(ButtonImages, BuiltWhenListedAfterTheLayerFrameIsRead)
{
    const IniFile ini = iniFromText("[LAYERFRAME]\npictureindex=0\nfullborder=1\n"
                                    "[SKINOBJECTS]\ncount=1\n0=close:button\n"
                                    "[close]\nactivepictureindex=1\nskinrect=0,0,2,2\n");
    data.LayerFrame.PictureIndex = -1;
    loadDescription(data, ini);
    ASSERT_EQ(data.ObjectList.size(), 1u);
    const auto* loaded = dynamic_cast<TbsDataSkinButton*>(data.ObjectList[0].get());
    ASSERT_TRUE(loaded && loaded->FAlphaNormalImage);
    EXPECT_TRUE(
        pixelsMatch(*loaded->FAlphaNormalImage, [](int x, int y) { return argb(255, x, y, 7); }));
}

TEST(LayerFrameImages, AlphaFromTheWholeMaskNotPremultiplied)
{
    TbsSkinData data;
    data.FActivePictures.push_back(placePicture(8, 6));
    data.FActivePictures.push_back(maskPicture(8, 6));
    data.FActivePictures.push_back(std::make_unique<SizedBitmap>(8, 6, argb(0, 255, 255, 255)));
    data.LayerFrame.PictureIndex = 0;
    data.LayerFrame.MaskPictureIndex = 1;
    data.LayerFrame.InActivePictureIndex = 0;
    data.LayerFrame.InActiveMaskPictureIndex = 2;
    data.LayerFrame.InitAlphaImages(data);

    ASSERT_TRUE(data.LayerFrame.FSourceBitmap && data.LayerFrame.FSourceInActiveBitMap);
    EXPECT_TRUE(pixelsMatch(*data.LayerFrame.FSourceBitmap,
                            [](int x, int y) { return argb(grey(x, y), x, y, 7); }));
    EXPECT_TRUE(data.LayerFrame.FSourceBitmap->AlphaBlend());
    // A white mask makes the frame opaque: nothing to blend.
    EXPECT_TRUE(pixelsMatch(*data.LayerFrame.FSourceInActiveBitMap,
                            [](int x, int y) { return argb(255, x, y, 7); }));
    EXPECT_FALSE(data.LayerFrame.FSourceInActiveBitMap->AlphaBlend());

    // The source picture is left as it was.
    EXPECT_EQ(pixelAt(*data.FActivePictures[0], 3, 2), argb(0, 3, 2, 7));
}

TEST(LayerFrameImages, NoneUnlessPictureAndMaskExist)
{
    TbsSkinData data;
    data.FActivePictures.push_back(placePicture(8, 6));
    data.FActivePictures.push_back(maskPicture(8, 6));
    for (auto [picture, mask] : {std::pair{0, -1}, {-1, 1}, {0, 2}, {-5, 1}, {0, -5}}) {
        data.LayerFrame.PictureIndex = picture;
        data.LayerFrame.MaskPictureIndex = mask;
        data.LayerFrame.InActivePictureIndex = picture;
        data.LayerFrame.InActiveMaskPictureIndex = mask;
        data.LayerFrame.FSourceBitmap = std::make_unique<TbsBitmap>();
        data.LayerFrame.InitAlphaImages(data);
        EXPECT_FALSE(data.LayerFrame.FSourceBitmap) << picture << " " << mask;
        EXPECT_FALSE(data.LayerFrame.FSourceInActiveBitMap) << picture << " " << mask;
    }
}
