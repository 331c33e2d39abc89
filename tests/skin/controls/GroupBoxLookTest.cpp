// The group box's looks, pixel by pixel: the framed skin with its caption,
// the plain look without a skin, and the panel's other paints.

#include "PanelTestSkin.h"
#include "bsSkinImages.h"
#include "bsSkinPanel.h"

#include <QApplication>
#include <QPalette>

namespace {

const QString kCaption = QStringLiteral("System Functions");

TColor paletteColor(TColor systemColor)
{
    return platform::fromQColor(platform::toQColor(systemColor));
}

class GroupBoxLook : public testing::Test {
protected:
    PanelTestSkin skin;
    TbsSkinGroupBox box;

    void SetUp() override
    {
        box.SetCaption(kCaption);
        box.SetSkinData(&skin.Data);
    }
};

} // namespace

TEST_F(GroupBoxLook, FrameClientAndCaptionMatchTheReferenceAtEverySettingsWindowHeight)
{
    const TFont skinFont{QStringLiteral("Tahoma"), 13, {}, 0};
    const QSize text = textSize(skinFont, kCaption);
    for (int height : {58, 70, 74, 148}) {
        SCOPED_TRACE(height);
        box.SetBounds(0, 0, 289, height);
        const QImage shown = renderOf(&box);

        TbsBitmap expected;
        fillFrameReference(expected, programGroupBoxSkin(), skin.Picture(), 289, height);
        // Centred in the caption rectangle (4, 2, 285, 15) of the top strip,
        // one pixel up for the odd font height 13.
        const int TX = 4 + 281 / 2 - text.width() / 2;
        const int TY = 2 + 13 / 2 - text.height() / 2 - 1;
        drawCaption(expected, skinFont, Rect(4, 2, 285, 15), TX, TY, kCaption);

        EXPECT_TRUE(sameColours(shown, expected, Rect(0, 0, 289, height)));
        EXPECT_EQ(box.NewCaptionRect, Rect(4, 2, 285, 15));
    }
}

TEST_F(GroupBoxLook, NegativeOddFontHeightAlsoRaisesTheCaptionOnePixel)
{
    skin.GroupBox->FontHeight = -11;
    const TFont skinFont{QStringLiteral("Tahoma"), -11, {}, 0};
    const QSize text = textSize(skinFont, kCaption);
    box.SetBounds(0, 0, 289, 74);

    TbsBitmap expected;
    fillFrameReference(expected, programGroupBoxSkin(), skin.Picture(), 289, 74);
    const int TX = 4 + 281 / 2 - text.width() / 2;
    const int TY = 2 + 13 / 2 - text.height() / 2 - 1;
    drawCaption(expected, skinFont, Rect(4, 2, 285, 15), TX, TY, kCaption);
    EXPECT_TRUE(sameColours(renderOf(&box), expected, Rect(0, 0, 289, 74)));
}

namespace {

const TFont kArial14{QStringLiteral("Arial"), 14, {}, platform::clWindowText};

// The plain look at 289 x 74: the control's frame, the caption strip framed
// twice, the caption in Arial 14 from textX, centred in (2, 2, 287, 20).
void fillPlainLook(TbsBitmap& expected, int textX)
{
    const quint32 face = paletteColor(platform::clBtnFace);
    const quint32 shadow = paletteColor(platform::clBtnShadow);
    const quint32 light = paletteColor(platform::clBtnHighlight);
    const auto rgb = [](TColor c) { return argb(255, GetRValue(c), GetGValue(c), GetBValue(c)); };
    expected.SetSize(289, 74);
    fillWith(expected, [&](int x, int y) {
        if (x == 0 || y == 0 || x == 288 || y == 73)
            return rgb(shadow); // the control's frame
        if (y == 21)
            return rgb(shadow); // the caption strip's outer frame, bottom line
        if (y < 21 && (x == 1 || y == 1) && x < 287 && y < 20)
            return rgb(light); // inner frame, top and left
        return rgb(face);      // inner frame, bottom and right, and the rest
    });
    const QSize text = textSize(kArial14, kCaption);
    drawCaption(expected, kArial14, Rect(2, 2, 287, 20), textX, 2 + 9 - text.height() / 2,
                kCaption);
}

void fillBlock(TbsBitmap& bitmap, const TRect& block, quint32 pixel)
{
    for (int y = block.Top; y < block.Bottom; ++y)
        for (int x = block.Left; x < block.Right; ++x)
            *bitmap.GetPixelPtr(x, y) = pixel;
}

} // namespace

TEST_F(GroupBoxLook, WithoutSkinPaintsThePlainFramedLook)
{
    box.SetSkinData(nullptr);
    box.SetDefaultFont(kArial14);
    box.SetBounds(0, 0, 289, 74);

    TbsBitmap expected;
    fillPlainLook(expected, 4);
    EXPECT_TRUE(sameColours(renderOf(&box), expected, Rect(0, 0, 289, 74)));
}

TEST_F(GroupBoxLook, SkinWithoutUsablePicturePaintsThePlainLookAlone)
{
    skin.GroupBox->PictureIndex = 5; // the skin has one picture
    box.SetDefaultFont(kArial14);
    box.SetBounds(0, 0, 289, 74);

    TbsBitmap expected;
    fillPlainLook(expected, 4);
    EXPECT_TRUE(sameColours(renderOf(&box), expected, Rect(0, 0, 289, 74)));
}

TEST_F(GroupBoxLook, CaptionImageGoesBeforeTheTextAndTheGlyphWinsOverTheList)
{
    box.SetSkinData(nullptr);
    box.SetDefaultFont(kArial14);
    box.SetBounds(0, 0, 289, 74);
    TCustomImageList images(8, 8);
    QImage red(8, 8, QImage::Format_ARGB32);
    red.fill(0xFFFF0000);
    images.Add(red);
    box.SetCaptionImageList(&images);
    box.SetCaptionImageIndex(0);

    // The image at (4, 7), centred in the strip; the text after it and Spacing 2.
    TbsBitmap expected;
    fillPlainLook(expected, 4 + 8 + 2);
    fillBlock(expected, Rect(4, 7, 12, 15), argb(255, 255, 0, 0));
    EXPECT_TRUE(sameColours(renderOf(&box), expected, Rect(0, 0, 289, 74)));

    box.setEnabled(false); // grey of red: (255 * 11) / 32
    fillBlock(expected, Rect(4, 7, 12, 15), argb(255, 87, 87, 87));
    EXPECT_TRUE(sameColours(renderOf(&box), expected, Rect(0, 0, 289, 74)));
    box.setEnabled(true);

    QImage glyph(8, 8, QImage::Format_ARGB32);
    glyph.fill(0xFF0000FF);
    glyph.setPixel(0, 7, 0xFF00FF00); // the bottom-left colour is left out
    box.SetGlyph(glyph);
    fillPlainLook(expected, 4 + 8 + 2);
    fillBlock(expected, Rect(4, 7, 12, 15), argb(255, 0, 0, 255));
    const TColor face = paletteColor(platform::clBtnFace);
    *expected.GetPixelPtr(4, 14) = argb(255, GetRValue(face), GetGValue(face), GetBValue(face));
    EXPECT_TRUE(sameColours(renderOf(&box), expected, Rect(0, 0, 289, 74)));
}

TEST_F(GroupBoxLook, BackgroundPictureTheSkinLacksPaintsAsNone)
{
    skin.GroupBox->BGPictureIndex = 7;
    box.SetBounds(0, 0, 289, 74);
    const QImage withBadIndex = renderOf(&box);
    EXPECT_EQ(box.BGPictureIndex, -1);

    skin.GroupBox->BGPictureIndex = -5;
    EXPECT_EQ(renderOf(&box), withBadIndex);
    EXPECT_EQ(box.BGPictureIndex, -1);

    skin.GroupBox->BGPictureIndex = -1;
    EXPECT_EQ(renderOf(&box), withBadIndex);
}

TEST_F(GroupBoxLook, ClientPartRoadTilesTheClientFromTheCorner)
{
    TbsSkinPanel panel;
    skin.AddPanel(QStringLiteral("panel"), programGroupBoxSkin());
    panel.SetSkinData(&skin.Data);
    panel.SetBorderStyle(bvNone);
    panel.SetBounds(0, 0, 130, 80);
    const QImage shown = renderOf(&panel);

    // The client part (2, 17, 57, 50) of the skin rectangle, 55 x 33, from (0, 0).
    TbsBitmap expected;
    expected.SetSize(130, 80);
    fillWith(expected, [&](int x, int y) {
        return pixelAt(skin.Picture(), 352 + 2 + x % 55, 75 + 17 + y % 33);
    });
    EXPECT_TRUE(sameColours(shown, expected, Rect(0, 0, 130, 80)));
}

TEST_F(GroupBoxLook, ClientPartRoadWithAnEmptyClientPartDrawsNothing)
{
    TbsSkinPanel panel;
    NinePartSkin flat = programGroupBoxSkin();
    flat.CL = Rect(2, 17, 2, 50); // no width to repeat
    TbsDataSkinPanelControl* section = skin.AddPanel(QStringLiteral("panel"), flat);
    section->StretchEffect = true;
    section->StretchType = bsstHorz; // columns of the client part's width
    panel.SetSkinData(&skin.Data);
    panel.SetBorderStyle(bvNone);
    panel.SetBounds(0, 0, 130, 80);
    const QImage shown = renderOf(&panel, 0xFF123456);
    EXPECT_EQ(shown.pixel(0, 0), 0xFF123456u);
    EXPECT_EQ(shown.pixel(129, 79), 0xFF123456u);
}

TEST_F(GroupBoxLook, BackgroundPictureRoadTilesThePicture)
{
    auto background = std::make_unique<TbsBitmap>();
    background->SetSize(10, 7);
    fillWith(*background, [](int x, int y) { return argb(255, 10 * x, 20 * y, 99); });
    skin.Data.FActivePictures.push_back(std::move(background));
    skin.GroupBox->BGPictureIndex = 1;
    box.SetBounds(0, 0, 47, 60);
    const QImage shown = renderOf(&box);

    TbsBitmap expected;
    expected.SetSize(47, 60);
    fillWith(expected, [](int x, int y) { return argb(255, 10 * (x % 10), 20 * (y % 7), 99); });
    EXPECT_TRUE(sameColours(shown, expected, Rect(0, 0, 47, 60)));
}

namespace {

// A "panel" section of its own place in the picture, 59 x 52 like the group box.
NinePartSkin addOwnPanelSection(PanelTestSkin& skin)
{
    NinePartSkin panelSkin = programGroupBoxSkin();
    OffsetRect(panelSkin.SR, -300, -40);
    skin.AddPanel(QStringLiteral("panel"), panelSkin);
    return panelSkin;
}

// The panel section's nine-part image at width x 70.
void fillPanelLook(TbsBitmap& expected, const NinePartSkin& panelSkin, const TbsBitmap& picture,
                   int width = 53)
{
    const int dx = width - 59;
    TbsSkinGeometry g;
    g.LTPt = panelSkin.LT;
    g.RTPt = panelSkin.RT;
    g.LBPt = panelSkin.LB;
    g.RBPt = panelSkin.RB;
    g.CL = panelSkin.CL;
    g.Width = width;
    g.Height = 70;
    g.NewLTPoint = panelSkin.LT;
    g.NewRTPoint = Point(panelSkin.RT.X + dx, panelSkin.RT.Y);
    g.NewLBPoint = Point(panelSkin.LB.X, panelSkin.LB.Y + 18);
    g.NewRBPoint = Point(panelSkin.RB.X + dx, panelSkin.RB.Y + 18);
    g.NCL = Rect(2, 17, 57 + dx, 68);
    CreateSkinImageClipped(g, expected, picture, panelSkin.SR, true, TbsEdgeStretch{}, false,
                           bsstFull);
}

} // namespace

TEST_F(GroupBoxLook, CaptionBandRoadComposesThePanelAndTheBand)
{
    // The band has the caption rectangle's inner size (49 x 11), so it is
    // copied unscaled.
    const NinePartSkin panelSkin = addOwnPanelSection(skin);
    box.SetCaption(QString());
    box.SetUseSkinSize(false);
    box.SetDefaultCaptionHeight(29);
    box.SetBounds(0, 0, 53, 70);
    const QImage shown = renderOf(&box);

    TbsBitmap expected;
    fillPanelLook(expected, panelSkin, skin.Picture());
    // The band at (2, 17): the group box's caption rectangle shrunk by one.
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 49; ++x)
            *expected.GetPixelPtr(2 + x, 17 + y) = pixelAt(skin.Picture(), 352 + 5 + x, 75 + 3 + y);

    EXPECT_TRUE(sameColours(shown, expected, Rect(0, 0, 53, 70)));
    EXPECT_EQ(box.NewCaptionRect, Rect(2, 17, 51, 28));
}

TEST_F(GroupBoxLook, CaptionBandOfNoRowsIsNotDrawn)
{
    const NinePartSkin panelSkin = addOwnPanelSection(skin);
    box.SetCaption(QString());
    box.SetUseSkinSize(false);
    box.SetDefaultCaptionHeight(10); // 10 - 17 - 1 rows
    box.SetBounds(0, 0, 53, 70);

    TbsBitmap expected;
    fillPanelLook(expected, panelSkin, skin.Picture());
    EXPECT_TRUE(sameColours(renderOf(&box), expected, Rect(0, 0, 53, 70)));
}

TEST_F(GroupBoxLook, CaptionBandOfNoColumnsIsNotDrawn)
{
    const NinePartSkin panelSkin = addOwnPanelSection(skin);
    box.SetCaption(QString());
    box.SetUseSkinSize(false);
    box.SetDefaultCaptionHeight(29);
    box.SetBounds(0, 0, 3, 70); // client part 2 .. 57 - 56: -1 columns

    TbsBitmap expected;
    fillPanelLook(expected, panelSkin, skin.Picture(), 3);
    EXPECT_TRUE(sameColours(renderOf(&box), expected, Rect(0, 0, 3, 70)));
}

TEST_F(GroupBoxLook, CaptionBandRoadWithoutPanelSectionLeavesTheBitmapBlank)
{
    box.SetUseSkinSize(false);
    box.SetBounds(0, 0, 100, 60);
    const QImage shown = renderOf(&box);
    EXPECT_EQ(shown.pixel(50, 30) & 0xFFFFFF, 0u);
    EXPECT_EQ(box.SkinDataName(), "groupbox");
}

TEST_F(GroupBoxLook, EmptyDrawingPaintsNothing)
{
    box.SetEmptyDrawing(true);
    box.SetBounds(0, 0, 100, 60);
    const QImage shown = renderOf(&box, 0xFF123456);
    EXPECT_EQ(shown.pixel(0, 0), 0xFF123456u);
    EXPECT_EQ(shown.pixel(50, 30), 0xFF123456u);
}

TEST_F(GroupBoxLook, TransparentCaptionTextStartsAfterCheckImageAndGlyph)
{
    QWidget parent;
    parent.resize(300, 100);
    auto& box = *new TbsSkinGroupBox(&parent);
    box.SetSkinData(&skin.Data);
    skin.GroupBox->CheckImageRect = Rect(0, 0, 13, 13);
    skin.GroupBox->UnCheckImageRect = Rect(20, 0, 33, 13);
    QImage glyph(8, 8, QImage::Format_ARGB32);
    glyph.fill(0xFF00FF00);
    glyph.setPixel(0, 7, 0xFFFF0000); // the bottom-left colour is left out
    box.SetGlyph(glyph);
    box.SetCheckedMode(true);
    box.SetTransparentMode(true);
    box.SetBounds(0, 0, 200, 60);

    box.SetCaption(QString());
    const QImage without = renderOf(&box);
    box.SetCaption(QStringLiteral("W"));
    const QImage with = renderOf(&box);

    // Text starts at 5 + 13 + 5 + 8 + 2; only the glyph's side bearing may move it.
    int firstDifference = -1;
    for (int x = 0; x < 200 && firstDifference < 0; ++x)
        for (int y = 0; y < 60; ++y)
            if (with.pixel(x, y) != without.pixel(x, y)) {
                firstDifference = x;
                break;
            }
    EXPECT_GE(firstDifference, 33);
    EXPECT_LE(firstDifference, 35);
    // The check image and the glyph are the same in both.
    EXPECT_EQ(with.copy(5, 0, 28, 20), without.copy(5, 0, 28, 20));
}

TEST_F(GroupBoxLook, PaintskinToDrawsTheWholeLook)
{
    box.SetBounds(0, 0, 289, 74);
    const QImage shown = renderOf(&box);
    TbsBitmap target;
    target.SetSize(300, 80);
    box.PaintskinTo(target.Canvas(), 5, 3);
    TbsBitmap expected;
    expected.SetSize(289, 74);
    for (int y = 0; y < 74; ++y)
        for (int x = 0; x < 289; ++x)
            *expected.GetPixelPtr(x, y) = pixelAt(target, 5 + x, 3 + y);
    EXPECT_TRUE(sameColours(shown, expected, Rect(0, 0, 289, 74)));
}
