// The skin-data store: descriptor lists read from hostile text, lookups,
// pictures, clearing and the global font change.

#include "SkinDescriptionHelpers.h"
#include "SkinPixelHelpers.h"
#include "bsComponentState.h"
#include "bsSkinDescriptorTypes.h"

#include <QImage>
#include <QTemporaryDir>

namespace {

QStringList controlNames(const TbsSkinData& data)
{
    QStringList names;
    for (const auto& control : data.CtrlList)
        names.append(control->IDName + u':' + SkinControlTypeName(*control));
    return names;
}

// A picture file of one colour.
QString writePicture(const QTemporaryDir& dir, const char* name, int width, int height, QRgb colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    const QString path = dir.filePath(QLatin1String(name));
    EXPECT_TRUE(image.save(path, "BMP"));
    return path;
}

} // namespace

TEST(SkinDataLists, HugeCountReadsOnlyTheEntriesPresent)
{
    TbsSkinData data;
    data.ReadDescriptorLists(iniFromText("[SKINCONTROLS]\ncount=2000000000\n0=a:panel\n"
                                         "1=b:bevel\n[b]\nlightcolor=5\n"));
    EXPECT_EQ(controlNames(data), QStringList({"a:panel", "b:bevel"}));
    EXPECT_EQ(dynamic_cast<TbsDataSkinBevel&>(*data.CtrlList[1]).LightColor, 5u);
}

TEST(SkinDataLists, MissingEntriesAreSkippedAndAFarEntryLoads)
{
    TbsSkinData gap;
    gap.ReadDescriptorLists(iniFromText("[SKINCONTROLS]\ncount=3\n2=groupbox:panel\n"));
    EXPECT_EQ(controlNames(gap), QStringList({"groupbox:panel"}));
    TbsSkinData far;
    far.ReadDescriptorLists(iniFromText("[SKINCONTROLS]\ncount=2000000000\n1999999999=b:bevel\n"
                                        "0=a:panel\n"));
    EXPECT_EQ(controlNames(far), QStringList({"a:panel", "b:bevel"}));
}

TEST(SkinDataLists, UnreadableEntriesAreSkipped)
{
    TbsSkinData data;
    data.ReadDescriptorLists(
        iniFromText("[SKINCONTROLS]\ncount=9\n0=nocolon\n1=f:frame\n2=p:Panel\n3=ok:panel\n"
                    "4=PICTURES:panel\n5=skinControls:bevel\n6=  Version :bevel\n"
                    "7=x:label:extra\n8=last:slider\n"));
    // The type is everything after the first colon, compared exactly.
    EXPECT_EQ(controlNames(data), QStringList({"ok:panel", "last:slider"}));
}

TEST(SkinDataLists, ObjectsAndControlsSharingASectionKeepTheirKeys)
{
    TbsSkinData data;
    const IniFile input = iniFromText("[SKINOBJECTS]\ncount=1\n0=shared:button\n"
                                      "[SKINCONTROLS]\ncount=2\n0=shared:bevel\n1=SHARED:splitter\n"
                                      "[shared]\nhint=Close\ndownrect=1,2,3,4\nlightcolor=9\n"
                                      "grippertransparent=1\n");
    data.ReadDescriptorLists(input);
    IniFile output;
    data.WriteDescriptorLists(output);
    EXPECT_EQ(output.ReadString("shared", "hint", {}), "Close");
    EXPECT_EQ(output.ReadString("shared", "downrect", {}), "1,2,3,4");
    EXPECT_EQ(output.ReadString("shared", "lightcolor", {}), "9");
    EXPECT_EQ(output.ReadString("shared", "grippertransparent", {}), "1");
    EXPECT_EQ(output.ReadSections(), QStringList({"SKINOBJECTS", "shared", "SKINCONTROLS"}));

    // A save over an old file still drops the keys nobody writes any more.
    IniFile old = iniFromText("[shared]\nstale=1\n");
    data.WriteDescriptorLists(old);
    EXPECT_FALSE(old.ValueExists("shared", "stale"));
}

TEST(SkinDataLists, MalformedRectangleEndsTheRead)
{
    TbsSkinData data;
    EXPECT_THROW(data.ReadDescriptorLists(iniFromText("[SKINCONTROLS]\ncount=1\n0=p:panel\n"
                                                      "[p]\nskinrect=1,2,3\n")),
                 platform::EConvertError);
}

TEST(SkinDataLists, WrittenTypeIsTheMostDerivedListedClass)
{
    TbsSkinData data;
    data.CtrlList.push_back(std::make_unique<TbsDataSkinMenuButtonControl>("m"));
    data.CtrlList.push_back(std::make_unique<TbsDataSkinButtonControl>("b"));
    data.CtrlList.push_back(std::make_unique<TbsDataSkinCustomControl>("c"));
    data.ObjectList.push_back(std::make_unique<TbsDataSkinButton>("o"));
    data.ObjectList.push_back(std::make_unique<TbsDataSkinObject>("plain"));
    IniFile ini;
    data.WriteDescriptorLists(ini);
    EXPECT_EQ(ini.ReadString("SKINCONTROLS", "0", {}), "m:menubutton");
    EXPECT_EQ(ini.ReadString("SKINCONTROLS", "1", {}), "b:button");
    EXPECT_EQ(ini.ReadString("SKINCONTROLS", "2", {}), "c:");
    EXPECT_EQ(ini.ReadString("SKINOBJECTS", "0", {}), "o:button");
    EXPECT_EQ(ini.ReadString("SKINOBJECTS", "1", {}), "plain:");
}

TEST(SkinDataLookup, ExactCaseSensitiveFirstMatch)
{
    TbsSkinData data;
    EXPECT_EQ(data.GetControlIndex("groupbox"), -1);
    EXPECT_EQ(data.GetIndex("close"), -1);
    data.ReadDescriptorLists(iniFromText("[SKINOBJECTS]\ncount=2\n0=close:button\n1=close:button\n"
                                         "[SKINCONTROLS]\ncount=3\n0=stdlabel:stdlabel\n"
                                         "1=groupbox:panel\n2=groupbox:bevel\n"));
    EXPECT_EQ(data.GetControlIndex("groupbox"), 1);
    EXPECT_EQ(data.GetControlIndex("GroupBox"), -1);
    EXPECT_EQ(data.GetControlIndex("groupbox "), -1);
    EXPECT_EQ(data.GetControlIndex("stdlabel"), 0);
    EXPECT_EQ(data.GetIndex("close"), 0);
    EXPECT_EQ(data.GetIndex("Close"), -1);
    EXPECT_EQ(data.GetIndex("groupbox"), -1);
}

TEST(SkinDataPictures, AddAndDeleteKeepNamesAndPicturesInStep)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TbsSkinData data;
    data.AddBitMap(writePicture(dir, "red.bmp", 3, 2, qRgb(255, 0, 0)));
    data.AddBitMap(writePicture(dir, "green.bmp", 5, 4, qRgb(0, 255, 0)));
    data.AddBitMap(writePicture(dir, "blue.bmp", 1, 1, qRgb(0, 0, 255)));
    EXPECT_EQ(data.FActivePicturesNames, QStringList({"red.bmp", "green.bmp", "blue.bmp"}));
    ASSERT_EQ(data.FActivePictures.size(), 3u);
    EXPECT_EQ(data.FActivePictures[1]->Width(), 5);
    EXPECT_EQ(pixelAt(*data.FActivePictures[1], 4, 3) & 0xFFFFFF, 0x00FF00u);

    data.DeleteBitMap(0);
    EXPECT_EQ(data.FActivePicturesNames, QStringList({"green.bmp", "blue.bmp"}));
    ASSERT_EQ(data.FActivePictures.size(), 2u);
    EXPECT_EQ(pixelAt(*data.FActivePictures[0], 0, 0) & 0xFFFFFF, 0x00FF00u);

    for (int index : {2, -1, -5})
        EXPECT_THROW(data.DeleteBitMap(index), EbsSkinError) << index;
    EXPECT_THROW(data.AddBitMap(dir.filePath("missing.bmp")), EbsSkinError);
    EXPECT_EQ(data.FActivePicturesNames.size(), 2);
    EXPECT_EQ(data.FActivePictures.size(), 2u);
}

TEST(SkinDataClear, ClearObjectsResetsSingletonsAndLists)
{
    TbsSkinData data;
    EXPECT_EQ(data.SkinColors().cBtnFace(), 0u);
    EXPECT_TRUE(data.Empty);
    data.FActivePictures.push_back(std::make_unique<SizedBitmap>(2, 2, 0xFF808080));
    data.FActivePicturesNames.append("a.bmp");
    data.LayerFrame.PictureIndex = 0;
    data.LayerFrame.MaskPictureIndex = 0;
    data.LayerFrame.InActivePictureIndex = 0;
    data.LayerFrame.InActiveMaskPictureIndex = 0;
    data.LayerFrame.InitAlphaImages(data);
    ASSERT_TRUE(data.LayerFrame.FSourceBitmap);
    data.PopupWindow.WindowPictureIndex = 0;
    data.HintWindow.WindowPictureIndex = 0;
    data.HintWindow.FontName = "Arial";
    data.SkinColors().FcBtnFace = 1;
    data.ReadDescriptorLists(iniFromText("[SKINOBJECTS]\ncount=1\n0=o:button\n"
                                         "[SKINCONTROLS]\ncount=1\n0=c:panel\n"));

    data.ClearObjects();
    EXPECT_TRUE(data.ObjectList.empty());
    EXPECT_TRUE(data.CtrlList.empty());
    EXPECT_TRUE(data.FActivePictures.empty());
    EXPECT_TRUE(data.FActivePicturesNames.isEmpty());
    EXPECT_EQ(data.LayerFrame.PictureIndex, -1);
    EXPECT_EQ(data.LayerFrame.InActivePictureIndex, -1);
    EXPECT_FALSE(data.LayerFrame.FSourceBitmap);
    EXPECT_FALSE(data.LayerFrame.FSourceInActiveBitMap);
    EXPECT_EQ(data.PopupWindow.WindowPictureIndex, -1);
    EXPECT_EQ(data.HintWindow.WindowPictureIndex, -1);
    // Only the pictures are reset; the rest waits for the next load.
    EXPECT_EQ(data.HintWindow.FontName, "Arial");
    EXPECT_EQ(data.SkinColors().cBtnFace(), platform::clBtnFace);
    EXPECT_EQ(data.SkinColors().cBtnShadow(), platform::clBtnShadow);
}

TEST(SkinDataClear, ClearAllEmptiesTheFramePictures)
{
    TbsSkinData data;
    data.FPicture.SetSize(2, 2);
    data.FMask.SetSize(2, 2);
    data.FInActivePicture.SetSize(2, 2);
    data.FPictureName = "p.bmp";
    data.FMaskName = "m.bmp";
    data.FInActivePictureName = "i.bmp";
    data.Empty = false;
    data.ClearAll();
    EXPECT_TRUE(data.FPicture.Empty());
    EXPECT_TRUE(data.FMask.Empty());
    EXPECT_TRUE(data.FInActivePicture.Empty());
    EXPECT_TRUE(data.FPictureName.isEmpty());
    EXPECT_TRUE(data.FMaskName.isEmpty());
    EXPECT_TRUE(data.FInActivePictureName.isEmpty());
    EXPECT_TRUE(data.Empty);
}

TEST(SkinDataFonts, GlobalChangeFontReachesEveryDescriptorWithAFont)
{
    const QString golden = goldenText("descriptors-values.ini");
    TbsSkinData data;
    loadDescription(data, iniFromText(golden));
    data.GlobalChangeFont("Arial", 3);
    IniFile output;
    saveDescription(data, output);

    // Naive reference: in the golden text, every font name becomes Arial and
    // every font height grows by 3, in every section that has them; the grid's
    // fixed-cell font and the list box's caption font count as fonts too.
    QStringList expected;
    for (const QString& line : golden.split(u'\n')) {
        const QString key = line.section(u'=', 0, 0);
        const QString value = line.section(u'=', 1);
        if (key == "fontname" || key == "fixedfontname" || key == "captionfontname")
            expected.append(key + "=Arial");
        else if (key == "fontheight" || key == "fixedfontheight" || key == "captionfontheight")
            expected.append(key + "=" + QString::number(value.toInt() + 3));
        else
            expected.append(line);
    }
    ASSERT_GT(golden.count("fontname="), 5);
    EXPECT_EQ(output.text(), expected.join(u'\n'));
}

TEST(SkinDataFonts, HeightsStayWithin32Bits)
{
    TbsSkinData data;
    data.ReadDescriptorLists(iniFromText("[SKINCONTROLS]\ncount=2\n0=a:label\n1=b:stdlabel\n"
                                         "[a]\nfontheight=2147483600\n"
                                         "[b]\nfontheight=-2147483600\n"));
    data.HintWindow.FontHeight = 2147483647;
    data.GlobalChangeFont("Arial", 100);
    EXPECT_EQ(dynamic_cast<TbsDataSkinLabelControl&>(*data.CtrlList[0]).FontHeight, 2147483647);
    EXPECT_EQ(dynamic_cast<TbsDataSkinStdLabelControl&>(*data.CtrlList[1]).FontHeight, -2147483500);
    EXPECT_EQ(data.HintWindow.FontHeight, 2147483647);
    data.GlobalChangeFont("Arial", -2147483647 - 1);
    EXPECT_EQ(dynamic_cast<TbsDataSkinStdLabelControl&>(*data.CtrlList[1]).FontHeight,
              -2147483647 - 1);
}

TEST(ComponentState, NeitherDesigningNorLoadingUnlessMarked)
{
    TbsSkinData data;
    EXPECT_FALSE(IsDesigningOrLoading(&data));
    SetLoading(&data, true);
    EXPECT_TRUE(IsLoading(&data));
    EXPECT_FALSE(IsDesigning(&data));
    EXPECT_TRUE(IsDesigningOrLoading(&data));
    SetLoading(&data, false);
    SetDesigning(&data, true);
    EXPECT_TRUE(IsDesigningOrLoading(&data));
    EXPECT_FALSE(IsDesigningOrLoading(nullptr));
}
