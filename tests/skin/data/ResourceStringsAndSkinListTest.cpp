#include "bsResourceStrData.h"
#include "bsSkinList.h"
#include "bsTypes.h"

#include <QtEndian>
#include <gtest/gtest.h>

TEST(ResourceStrings, DefaultsKeepTheirTextsAndLookupIgnoresCase)
{
    TbsResourceStrData strings;
    EXPECT_EQ(strings.CharSet(), 1);
    ASSERT_EQ(strings.ResStrings().size(), 131);
    EXPECT_EQ(strings.ResStrings().first(), "MI_MINCAPTION=Mi&nimize");
    EXPECT_EQ(strings.ResStrings().last(), "DBNAV_REFRESH=REFRESH");
    EXPECT_EQ(strings.GetResStr("mi_mincaption"), "Mi&nimize");
    EXPECT_EQ(strings.GetResStr("MI_MINCAPTION="), "");
    EXPECT_EQ(strings.GetResStr("FLV_LOOKIN"), "Look in: ");
    EXPECT_EQ(strings.GetResStr("FIND_REPLACE_ALL"), "Replace All");
    EXPECT_EQ(strings.GetResStr("MSG_BTN_NOTOALL"), "N&oToAll");
    EXPECT_EQ(strings.GetResStr("PRNDLG_MARGINS"), "Margins (millimeters)");
    EXPECT_EQ(strings.GetResStr("DBNAV_FIRST"), "FIRST");
    EXPECT_EQ(strings.GetResStr("NO_SUCH_NAME"), "");
}

TEST(ResourceStrings, SetLinesReplaceTheOldOnesAndTheFirstMatchWins)
{
    TbsResourceStrData strings;
    strings.SetResStrings({"NOEQUALS", "A=x=y", "EMPTY=", "a=second", "B = spaced"});
    EXPECT_EQ(strings.ResStrings().size(), 5);
    EXPECT_EQ(strings.GetResStr("A"), "x=y");
    EXPECT_EQ(strings.GetResStr("EMPTY"), "");
    EXPECT_EQ(strings.GetResStr("NOEQUALS"), "");
    EXPECT_EQ(strings.GetResStr("B "), " spaced");
    EXPECT_EQ(strings.GetResStr("MI_MINCAPTION"), "");
}

TEST(SkinList, ItemsAreNamedFromTheirIndexAtCreationOnly)
{
    TbsCompressedSkinList list;
    TbsSkinListItems& skins = list.Skins();
    EXPECT_EQ(skins.GetOwner(), &list);
    for (int i = 0; i < 3; ++i)
        skins.Add();
    EXPECT_EQ(skins.GetItem(0).Name(), "bsSkin0");
    EXPECT_EQ(skins.GetItem(2).GetDisplayName(), "bsSkin2");
    skins.Delete(0);
    skins.Add();
    EXPECT_EQ(skins.GetItem(0).Name(), "bsSkin1");
    EXPECT_EQ(skins.GetItem(0).Index(), 0);
    EXPECT_EQ(skins.GetItem(1).Name(), "bsSkin2");
    EXPECT_EQ(skins.GetItem(2).Name(), "bsSkin2");
    EXPECT_TRUE(skins.GetItem(2).Skin().Empty());

    for (const int bad : {-1, 3}) {
        try {
            skins.GetItem(bad);
            ADD_FAILURE() << bad;
        } catch (const EbsSkinError& e) {
            EXPECT_EQ(e.message(), QStringLiteral("List index out of bounds (%1)").arg(bad));
        }
    }
}

TEST(SkinList, SkinBlockIsTheSkinFileFormAndAssignmentCopiesEverything)
{
    TbsCompressedSkinList list;
    TbsSkinListItem& item = list.Skins().Add();
    EXPECT_EQ(item.SkinBlock(), QByteArray::fromHex("0300000000000000"));

    QByteArray block = QByteArray::fromHex("0300000004000000") + "zlib";
    item.ReadSkinBlock(block);
    EXPECT_EQ(item.Skin().CompressedData(), "zlib");
    EXPECT_EQ(item.SkinBlock(), block);
    item.SetDescription("blue");
    item.SetFileName("blue.ini");
    item.SetCompressedFileName("blue.skn");
    item.SetName("Blue");

    TbsCompressedSkinList copy;
    copy.Skins().Add();
    copy.Skins().Add();
    copy.SetSkins(list.Skins());
    ASSERT_EQ(copy.Skins().Count(), 1);
    const TbsSkinListItem& copied = copy.Skins().GetItem(0);
    EXPECT_EQ(copied.Skin().CompressedData(), "zlib");
    EXPECT_NE(&copied.Skin(), &item.Skin());
    EXPECT_EQ(copied.Description(), "blue");
    EXPECT_EQ(copied.FileName(), "blue.ini");
    EXPECT_EQ(copied.CompressedFileName(), "blue.skn");
    EXPECT_EQ(copied.Name(), "Blue");

    // A block of a newer version leaves the item's skin empty.
    item.ReadSkinBlock(QByteArray::fromHex("0400000004000000") + "zlib");
    EXPECT_TRUE(item.Skin().Empty());
}
