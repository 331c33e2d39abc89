// The rules of single descriptors beyond their keys: construction values,
// whole-section saves, the up-down's empty client area, the colour set.

#include "SkinDescriptionHelpers.h"

TEST(SkinDescriptorRules, ConstructionGivesEveryKeyItsDefault)
{
    const TbsDataSkinPanelControl panel("groupbox");
    EXPECT_EQ(panel.IDName, "groupbox");
    EXPECT_EQ(panel.PictureIndex, -1);
    EXPECT_EQ(panel.MaskPictureIndex, -1);
    EXPECT_EQ(panel.BGPictureIndex, -1);
    EXPECT_EQ(panel.FontName, "Tahoma");
    EXPECT_EQ(panel.FontHeight, 13);
    EXPECT_EQ(panel.Alignment, taCenter);
    EXPECT_EQ(panel.StretchType, bsstFull);
    EXPECT_EQ(panel.SkinRect, TRect{});

    const TbsDataSkinButtonControl button("b");
    EXPECT_EQ(button.AnimateInterval, 25);
    EXPECT_EQ(button.GlowLayerAlphaBlendValue, 255);
    EXPECT_EQ(button.GlowLayerPictureIndex, -1);
    EXPECT_EQ(TbsDataSkinStdLabelControl("s").ActiveFontColor, 0xFF0000u);

    const TbsDataSkinObject object("o");
    EXPECT_EQ(object.ActivePictureIndex, -1);
    EXPECT_EQ(object.GlowLayerAlphaBlendValue, 255);
    EXPECT_FALSE(object.Morphing);

    const TbsDataSkinLayerFrame frame;
    EXPECT_EQ(frame.IDName, "LAYERFRAME");
    EXPECT_EQ(frame.PictureIndex, -1);
    EXPECT_EQ(frame.AlphaBlendValue, 255);
    EXPECT_EQ(frame.InActiveAlphaBlendValue, 255);
    EXPECT_EQ(TbsDataSkinPopupWindow().WindowPictureIndex, -1);
    EXPECT_EQ(TbsDataSkinHintWindow().FontName, "Tahoma");
}

TEST(SkinDescriptorRules, LoadingSetsEveryFieldWhateverItHeld)
{
    TbsDataSkinPanelControl panel("p");
    panel.FontName = "Arial";
    panel.CaptionRect = Rect(1, 2, 3, 4);
    panel.BGPictureIndex = 7;
    panel.LoadFromFile(iniFromText("[p]\nfontheight=20\nalignment=\n"));
    EXPECT_EQ(panel.FontName, "Tahoma");
    EXPECT_EQ(panel.CaptionRect, TRect{});
    EXPECT_EQ(panel.BGPictureIndex, -1);
    EXPECT_EQ(panel.FontHeight, 20);
    EXPECT_EQ(panel.Alignment, taRightJustify);
}

TEST(SkinDescriptorRules, IntegerTextThatIsNoNumberTakesTheKeyDefault)
{
    TbsDataSkinButtonControl button("b");
    button.LoadFromFile(iniFromText("[b]\nanimateinterval=fast\nfontheight=$10\n"
                                    "glowlayerpictureindex=x\n"));
    EXPECT_EQ(button.AnimateInterval, 25);
    EXPECT_EQ(button.FontHeight, 16);
    EXPECT_EQ(button.GlowLayerPictureIndex, -1);
}

TEST(SkinDescriptorRules, SaveReplacesTheWholeSection)
{
    IniFile ini = iniFromText("[b]\nextra=1\nlightcolor=4\n[other]\nkeep=1\n");
    TbsDataSkinBevel bevel("b");
    bevel.LoadFromFile(ini);
    bevel.SaveToFile(ini);
    EXPECT_FALSE(ini.ValueExists("b", "extra"));
    EXPECT_EQ(ini.ReadSection("b"), QStringList({"pictureindex", "maskpictureindex", "skinrect",
                                                 "lightcolor", "darkcolor"}));
    EXPECT_EQ(ini.ReadString("b", "lightcolor", {}), "4");
    EXPECT_TRUE(ini.ValueExists("other", "keep"));
}

TEST(SkinDescriptorRules, UpDownHasNoClientArea)
{
    TbsDataSkinUpDownControl upDown("u");
    upDown.LoadFromFile(iniFromText("[u]\nclientrect=1,2,3,4\nupbuttonrect=5,6,7,8\n"));
    EXPECT_EQ(upDown.ClRect, TRect{});
    EXPECT_EQ(upDown.UpButtonRect, Rect(5, 6, 7, 8));
    upDown.ClRect = Rect(1, 1, 9, 9);
    IniFile ini;
    upDown.SaveToFile(ini);
    EXPECT_EQ(ini.ReadString("u", "clientrect", {}), "0,0,0,0");
    EXPECT_EQ(upDown.ClRect, TRect{});
}

TEST(SkinDescriptorRules, ColourSetReadsSystemColoursAndSavesWithoutErasing)
{
    TbsSkinColors colours;
    EXPECT_EQ(colours.cWindow(), 0u);
    colours.LoadFromFile(iniFromText("[SKINCOLORS]\ncwindow=255\n"));
    EXPECT_EQ(colours.cWindow(), 255u);
    EXPECT_EQ(colours.cBtnFace(), 0xFF00000Fu);
    EXPECT_EQ(colours.cBtnText(), 0xFF000012u);
    EXPECT_EQ(colours.cWindowText(), 0xFF000008u);
    EXPECT_EQ(colours.cHighLight(), 0xFF00000Du);
    EXPECT_EQ(colours.cHighLightText(), 0xFF00000Eu);
    EXPECT_EQ(colours.cBtnHighLight(), 0xFF000014u);
    EXPECT_EQ(colours.cBtnShadow(), 0xFF000010u);

    IniFile ini = iniFromText("[SKINCOLORS]\nmine=1\n");
    colours.SaveToFile(ini);
    EXPECT_TRUE(ini.ValueExists("SKINCOLORS", "mine"));
    EXPECT_EQ(ini.ReadString("SKINCOLORS", "cbtnface", {}), "-16777201");

    colours.FcWindow = 1;
    colours.SetColorsToDefault();
    EXPECT_EQ(colours.cWindow(), 0xFF000005u);
}
