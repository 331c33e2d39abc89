// The rules of object descriptors beyond their keys: the user object's single
// key, the "Restore" hint of caption buttons and animations, the menu item's
// active glyphs, and the standard button's restore images.

#include "SkinDescriptionHelpers.h"
#include "SkinPixelHelpers.h"

#include <cmath>

TEST(SkinObjectRules, UserObjectReadsAndWritesOnlyItsRectangle)
{
    const QString section = "[u]\nhint=Close\nactivepictureindex=3\nskinrect=1,2,3,4\n"
                            "morphing=1\nglowlayeralphablendvalue=9\n";
    TbsDataUserObject user("u");
    user.LoadFromFile(iniFromText(section));
    EXPECT_EQ(user.SkinRect, Rect(1, 2, 3, 4));
    EXPECT_EQ(user.Hint, "");
    EXPECT_EQ(user.ActivePictureIndex, -1);
    EXPECT_FALSE(user.Morphing);
    EXPECT_EQ(user.GlowLayerAlphaBlendValue, 255);

    // Written back through the skin writer, the section holds the one key.
    TbsSkinData data;
    data.ReadDescriptorLists(iniFromText("[SKINOBJECTS]\ncount=1\n0=u:userobject\n" + section));
    IniFile output = iniFromText(section);
    data.WriteDescriptorLists(output);
    EXPECT_EQ(output.ReadSection("u"), QStringList{"skinrect"});
    EXPECT_EQ(output.ReadString("u", "skinrect", ""), "1,2,3,4");
}

namespace {

struct RestoreHintCase {
    const char* hint;
    const char* command;
    const char* restoreHint; // nullptr: no key
    const char* expected;
};

const RestoreHintCase restoreHintCases[] = {
    {"Maximize", "cmmaximize", nullptr, "Restore"}, {"Minimize", "cmminimize", nullptr, "Restore"},
    {"RollUp", "cmrollup", nullptr, "Restore"},     {"Roll Up", "cmrollup", nullptr, "Restore"},
    {"Maximize", "cmmaximize", "", "Restore"},      {"Maximize", "cmmaximize", "Back", "Back"},
    {"Maximize", "cmminimize", nullptr, ""},        {"Minimize", "cmrollup", nullptr, ""},
    {"Roll Up", "cmmaximize", nullptr, ""},         {"maximize", "cmmaximize", nullptr, ""},
    {"Maximize ", "cmmaximize", nullptr, ""},       {"Close", "cmclose", nullptr, ""},
    {"Maximize", "CMMAXIMIZE", nullptr, ""},
};

IniFile restoreHintSection(const RestoreHintCase& c)
{
    QString text = QString("[b]\nhint=\"%1\"\ncommand=%2\n").arg(c.hint, c.command);
    if (c.restoreHint)
        text += QString("restorehint=%1\n").arg(c.restoreHint);
    return iniFromText(text);
}

template <class Descriptor> void expectRestoreHints()
{
    for (const RestoreHintCase& c : restoreHintCases) {
        Descriptor descriptor("b");
        descriptor.LoadFromFile(restoreHintSection(c));
        EXPECT_EQ(descriptor.RestoreHint, c.expected) << c.hint << " " << c.command;
    }
}

} // namespace

TEST(SkinObjectRules, RestoreHintOfCaptionButtonsAndAnimations)
{
    expectRestoreHints<TbsDataSkinStdButton>();
    expectRestoreHints<TbsDataSkinMainMenuBarButton>();
    expectRestoreHints<TbsDataSkinAnimate>();
}

TEST(SkinObjectRules, CommandOfCaptionButtonsAndAnimations)
{
    TbsDataSkinStdButton button("b");
    button.LoadFromFile(iniFromText("[b]\ncommand=cmsysmenu\n"));
    EXPECT_EQ(button.Command, cmSysMenu);
    button.LoadFromFile(iniFromText("[b]\nhint=x\n"));
    EXPECT_EQ(button.Command, cmDefault);

    TbsDataSkinAnimate animate("a");
    animate.LoadFromFile(iniFromText("[a]\ncommand=Maximize\n"));
    EXPECT_EQ(animate.Command, cmMinimizeToTray);
    IniFile output;
    animate.SaveToFile(output);
    EXPECT_EQ(output.ReadString("a", "command", ""), "cmminimizetotray");
}

TEST(SkinObjectRules, MenuItemActiveGlyphWithoutAreaTakesTheNormalOne)
{
    TbsDataSkinMenuItem item("m");
    item.LoadFromFile(iniFromText("[m]\n"
                                  "checkimagerect=1,2,11,12\n"
                                  "radioimagerect=3,4,13,14\nactiveradioimagerect=5,5,5,9\n"
                                  "arrowimagerect=6,7,16,17\nactivearrowimagerect=20,21,30,31\n"));
    EXPECT_EQ(item.ActiveCheckImageRect, Rect(1, 2, 11, 12));
    EXPECT_EQ(item.ActiveRadioImageRect, Rect(3, 4, 13, 14));
    EXPECT_EQ(item.ActiveArrowImageRect, Rect(20, 21, 30, 31));

    // A zero height counts as no area; one pixel each way is an area.
    item.LoadFromFile(iniFromText("[m]\ncheckimagerect=1,2,11,12\nactivecheckimagerect=4,4,9,4\n"
                                  "radioimagerect=3,4,13,14\nactiveradioimagerect=8,8,9,9\n"));
    EXPECT_EQ(item.ActiveCheckImageRect, Rect(1, 2, 11, 12));
    EXPECT_EQ(item.ActiveRadioImageRect, Rect(8, 8, 9, 9));
    EXPECT_EQ(item.ActiveArrowImageRect, TRect{});

    // The taken look is what a save writes.
    IniFile output;
    item.SaveToFile(output);
    EXPECT_EQ(output.ReadString("m", "activecheckimagerect", ""), "1,2,11,12");
}

namespace {

// Picture 1 tells each pixel's place (red x, green y, blue 9); pictures 2, 3
// and 4 are masks of one grey each, so an image's alpha names its mask.
constexpr int normalMaskGrey = 60;
constexpr int activeMaskGrey = 120;
constexpr int inActiveMaskGrey = 201;

std::unique_ptr<TbsBitmap> greyMask(int grey)
{
    return std::make_unique<SizedBitmap>(50, 50, argb(0, grey, grey, grey));
}

// c * a / 255, rounded to the nearest.
int premultipliedPart(int c, int a)
{
    return int(std::lround(double(c) * a / 255.0));
}

std::function<quint32(int, int)> lookAt(int left, int top, int alpha)
{
    return [=](int x, int y) {
        return argb(alpha, premultipliedPart(left + x, alpha), premultipliedPart(top + y, alpha),
                    premultipliedPart(9, alpha));
    };
}

class StdButtonImages : public testing::Test {
protected:
    void SetUp() override
    {
        data.FActivePictures.push_back(std::make_unique<SizedBitmap>(4, 4, 0xFF000000));
        auto picture = std::make_unique<SizedBitmap>(60, 40);
        fillWith(*picture, [](int x, int y) { return argb(0, x, y, 9); });
        data.FActivePictures.push_back(std::move(picture));
        data.FActivePictures.push_back(greyMask(normalMaskGrey));
        data.FActivePictures.push_back(greyMask(activeMaskGrey));
        data.FActivePictures.push_back(greyMask(inActiveMaskGrey));
        data.LayerFrame.PictureIndex = 0;
        data.LayerFrame.FullBorder = true;

        button.ActivePictureIndex = 1;
        button.AlphaMaskPictureIndex = 2;
        button.AlphaMaskActivePictureIndex = 3;
        button.AlphaMaskInActivePictureIndex = 4;
        button.SkinRect = Rect(0, 0, 5, 3);
        button.RestoreRect = Rect(10, 20, 15, 23);
        button.RestoreActiveRect = Rect(20, 20, 24, 22);
        button.RestoreDownRect = Rect(30, 21, 33, 25);
        button.RestoreInActiveRect = Rect(40, 30, 46, 32);
    }

    TbsSkinData data;
    TbsDataSkinStdButton button{QStringLiteral("max")};
};

} // namespace

TEST_F(StdButtonImages, RestoreLooksWithTheirMasks)
{
    button.InitAlphaImages(data);
    ASSERT_TRUE(button.FAlphaRestoreNormalImage && button.FAlphaRestoreActiveImage &&
                button.FAlphaRestoreDownImage && button.FAlphaInActiveRestoreImage);
    EXPECT_EQ(button.FAlphaRestoreDownImage->Width(), 3);
    EXPECT_EQ(button.FAlphaRestoreDownImage->Height(), 4);
    EXPECT_TRUE(pixelsMatch(*button.FAlphaRestoreNormalImage, lookAt(10, 20, normalMaskGrey)));
    EXPECT_TRUE(pixelsMatch(*button.FAlphaRestoreActiveImage, lookAt(20, 20, activeMaskGrey)));
    // The pressed look shares the active mask.
    EXPECT_TRUE(pixelsMatch(*button.FAlphaRestoreDownImage, lookAt(30, 21, activeMaskGrey)));
    EXPECT_TRUE(pixelsMatch(*button.FAlphaInActiveRestoreImage, lookAt(40, 30, inActiveMaskGrey)));
    // The inherited looks are built as well.
    ASSERT_TRUE(button.FAlphaNormalImage);
    EXPECT_TRUE(pixelsMatch(*button.FAlphaNormalImage, lookAt(0, 0, normalMaskGrey)));
}

TEST_F(StdButtonImages, OpaqueWithoutMaskAndNoneWithoutArea)
{
    button.AlphaMaskPictureIndex = -1;
    button.RestoreActiveRect = Rect(20, 20, 20, 22);
    button.InitAlphaImages(data);
    ASSERT_TRUE(button.FAlphaRestoreNormalImage);
    EXPECT_TRUE(button.FAlphaRestoreNormalImage->AlphaBlend());
    EXPECT_TRUE(pixelsMatch(*button.FAlphaRestoreNormalImage,
                            [](int x, int y) { return argb(255, 10 + x, 20 + y, 9); }));
    EXPECT_FALSE(button.FAlphaRestoreActiveImage);
}

TEST_F(StdButtonImages, FreedOnceTheLayerFrameAsksForNone)
{
    button.InitAlphaImages(data);
    ASSERT_TRUE(button.FAlphaRestoreNormalImage);
    data.LayerFrame.FullBorder = false;
    button.InitAlphaImages(data);
    EXPECT_FALSE(button.FAlphaRestoreNormalImage || button.FAlphaRestoreActiveImage ||
                 button.FAlphaRestoreDownImage || button.FAlphaInActiveRestoreImage);
    EXPECT_FALSE(button.FAlphaNormalImage);

    data.LayerFrame.FullBorder = true;
    button.InitAlphaImages(data);
    ASSERT_TRUE(button.FAlphaRestoreNormalImage);
    data.LayerFrame.PictureIndex = -1;
    button.InitAlphaImages(data);
    EXPECT_FALSE(button.FAlphaRestoreNormalImage);
}

TEST_F(StdButtonImages, MenuBarButtonListedAfterTheLayerFrameGetsThem)
{
    const IniFile ini = iniFromText("[LAYERFRAME]\npictureindex=0\nfullborder=1\n"
                                    "[SKINOBJECTS]\ncount=1\n0=max:mainmenubarbutton\n"
                                    "[max]\nactivepictureindex=1\nrestorerect=2,3,4,4\n");
    data.LayerFrame.PictureIndex = -1;
    loadDescription(data, ini);
    ASSERT_EQ(data.ObjectList.size(), 1u);
    const auto* loaded = dynamic_cast<TbsDataSkinMainMenuBarButton*>(data.ObjectList[0].get());
    ASSERT_TRUE(loaded && loaded->FAlphaRestoreNormalImage);
    EXPECT_TRUE(pixelsMatch(*loaded->FAlphaRestoreNormalImage,
                            [](int x, int y) { return argb(255, 2 + x, 3 + y, 9); }));
}
