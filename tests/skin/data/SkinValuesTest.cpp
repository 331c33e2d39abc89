// How each kind of value is read from and written to a skin description.

#include "bsSkinValues.h"

#include <gtest/gtest.h>

namespace {

const QString S = QStringLiteral("S");

IniFile iniOf(const char* text)
{
    IniFile ini;
    ini.loadText(QString::fromUtf8(text));
    return ini;
}

QString written(const std::function<void(IniFile&)>& write)
{
    IniFile ini;
    write(ini);
    return ini.ReadString(S, QStringLiteral("k"), QStringLiteral("<missing>"));
}

} // namespace

TEST(SkinRectValue, PartsKeepOnlyTheirDigits)
{
    EXPECT_EQ(StrToRect("352,75,411,127"), Rect(352, 75, 411, 127));
    EXPECT_EQ(StrToRect("1, 2,  3 ,4"), Rect(1, 2, 3, 4));
    // Signs are dropped, so a negative coordinate comes back positive.
    EXPECT_EQ(StrToRect("-5,0,x7y,+8"), Rect(5, 0, 7, 8));
    EXPECT_EQ(StrToPoint("5,19"), Point(5, 19));
    EXPECT_EQ(StrToPoint(" -3 , 4 "), Point(3, 4));
}

TEST(SkinRectValue, MalformedPartsRaiseConversionError)
{
    for (const char* text :
         {"", "1,2,3", "1,,3,4", "a,b,c,d", "1,2,3,99999999999", "1,2,3,4,5", "1,2,3,4,"})
        EXPECT_THROW(StrToRect(QString::fromLatin1(text)), platform::EConvertError) << text;
    for (const char* text : {"", "7", "1,2,3", "x,2", "2147483648,0"})
        EXPECT_THROW(StrToPoint(QString::fromLatin1(text)), platform::EConvertError) << text;
    EXPECT_EQ(StrToPoint("2147483647,0"), Point(2147483647, 0));
}

TEST(SkinRectValue, ReadAndWrite)
{
    const IniFile ini = iniOf("[S]\nr=1,2,3,4\np=8,9\nbad=1,2\n");
    TRect rect{9, 9, 9, 9};
    ReadRect(ini, S, "r", rect);
    EXPECT_EQ(rect, Rect(1, 2, 3, 4));
    ReadRect(ini, S, "missing", rect);
    EXPECT_EQ(rect, TRect{});
    EXPECT_THROW(ReadRect(ini, S, "bad", rect), platform::EConvertError);
    TPoint point{7, 7};
    ReadPoint(ini, S, "p", point);
    EXPECT_EQ(point, Point(8, 9));
    ReadPoint(ini, S, "missing", point);
    EXPECT_EQ(point, TPoint{});

    EXPECT_EQ(written([](IniFile& i) { WriteRect(i, S, "k", Rect(-1, 0, 30, 2147483647)); }),
              "-1,0,30,2147483647");
    EXPECT_EQ(written([](IniFile& i) { WritePoint(i, S, "k", Point(5, 19)); }), "5,19");
}

TEST(SkinBooleanValue, OnlyTheIntegerOneIsTrue)
{
    const IniFile ini = iniOf("[S]\none=1\nhex=$1\ntwo=2\nword=true\nminus=-1\nempty=\n");
    EXPECT_TRUE(ReadBoolean(ini, S, "one"));
    EXPECT_TRUE(ReadBoolean(ini, S, "hex"));
    for (const char* key : {"two", "word", "minus", "empty", "missing"})
        EXPECT_FALSE(ReadBoolean(ini, S, key)) << key;
    EXPECT_EQ(written([](IniFile& i) { WriteBoolean(i, S, "k", true); }), "1");
    EXPECT_EQ(written([](IniFile& i) { WriteBoolean(i, S, "k", false); }), "0");
}

TEST(SkinIntegerValue, ColoursAreSignedDecimal)
{
    const IniFile ini = iniOf("[S]\nface=-16777201\nhex=$FF0000\ntext=red\n");
    using Colour = TbsSkinValue<TColor>;
    EXPECT_EQ(Colour::Read(ini, S, "face", 0), platform::clBtnFace);
    EXPECT_EQ(Colour::Read(ini, S, "hex", 0), platform::clBlue);
    EXPECT_EQ(Colour::Read(ini, S, "text", platform::clWindow), platform::clWindow);
    EXPECT_EQ(Colour::Read(ini, S, "missing", 7u), 7u);
    EXPECT_EQ(written([](IniFile& i) { Colour::Write(i, S, "k", platform::clBtnFace); }),
              "-16777201");
    EXPECT_EQ(written([](IniFile& i) { Colour::Write(i, S, "k", 0xFFFFFFFFu); }), "-1");
    EXPECT_EQ(TbsSkinValue<qint32>::Read(ini, S, "text", -1), -1);
}

TEST(SkinFontStyleValue, NamesFoundAnywhereAndWrittenInFixedOrder)
{
    const IniFile ini =
        iniOf("[S]\nboth=fsitalic,fsbold\ninside=xfsboldy\ncaps=FSBOLD\nall=fsstrikeout "
              "fsunderline,fsitalic;fsbold\nempty=\n");
    EXPECT_EQ(ReadFontStyles(ini, S, "both"), TFontStyles(fsBold | fsItalic));
    EXPECT_EQ(ReadFontStyles(ini, S, "inside"), TFontStyles(fsBold));
    EXPECT_EQ(ReadFontStyles(ini, S, "caps"), TFontStyles());
    EXPECT_EQ(ReadFontStyles(ini, S, "all"),
              TFontStyles(fsBold | fsItalic | fsUnderline | fsStrikeOut));
    EXPECT_EQ(ReadFontStyles(ini, S, "empty"), TFontStyles());
    EXPECT_EQ(ReadFontStyles(ini, S, "missing"), TFontStyles());

    EXPECT_EQ(
        written([&](IniFile& i) { WriteFontStyles(i, S, "k", ReadFontStyles(ini, S, "both")); }),
        "fsbold,fsitalic");
    EXPECT_EQ(written([](IniFile& i) {
                  WriteFontStyles(i, S, "k", fsStrikeOut | fsUnderline | fsItalic | fsBold);
              }),
              "fsbold,fsitalic,fsunderline,fsstrikeout");
    EXPECT_EQ(written([](IniFile& i) { WriteFontStyles(i, S, "k", {}); }), "");
}

TEST(SkinAlignmentValue, MissingIsCentreAndAnyOtherTextIsRight)
{
    const IniFile ini = iniOf("[S]\nl=taleftjustify\nc=tacenter\nr=tarightjustify\nempty=\n"
                              "caps=TACENTER\n");
    EXPECT_EQ(ReadAlignment(ini, S, "l"), taLeftJustify);
    EXPECT_EQ(ReadAlignment(ini, S, "c"), taCenter);
    EXPECT_EQ(ReadAlignment(ini, S, "r"), taRightJustify);
    EXPECT_EQ(ReadAlignment(ini, S, "empty"), taRightJustify);
    EXPECT_EQ(ReadAlignment(ini, S, "caps"), taRightJustify);
    EXPECT_EQ(ReadAlignment(ini, S, "missing"), taCenter);
    EXPECT_EQ(written([](IniFile& i) { WriteAlignment(i, S, "k", taLeftJustify); }),
              "taleftjustify");
    EXPECT_EQ(written([](IniFile& i) { WriteAlignment(i, S, "k", taRightJustify); }),
              "tarightjustify");
    EXPECT_EQ(written([](IniFile& i) { WriteAlignment(i, S, "k", taCenter); }), "tacenter");
}

TEST(SkinEnumerationValues, OrdinalOrder)
{
    EXPECT_EQ(int(bsstVert), 2);
    EXPECT_EQ(int(mkPush), 6);
    EXPECT_EQ(int(ieInvert), 5);
    EXPECT_EQ(int(cmDefault), 4);
    EXPECT_EQ(int(cmMinimizeToTray), 6);
    EXPECT_EQ(int(taCenter), 2);
}

TEST(SkinEnumerationValues, StretchType)
{
    const IniFile ini = iniOf("[S]\nf=stfull\nh=sthorz\nv=stvert\ncaps=STVERT\nempty=\n");
    EXPECT_EQ(ReadStretchType(ini, S, "f"), bsstFull);
    EXPECT_EQ(ReadStretchType(ini, S, "h"), bsstHorz);
    EXPECT_EQ(ReadStretchType(ini, S, "v"), bsstVert);
    EXPECT_EQ(ReadStretchType(ini, S, "caps"), bsstHorz);
    EXPECT_EQ(ReadStretchType(ini, S, "empty"), bsstHorz);
    EXPECT_EQ(ReadStretchType(ini, S, "missing"), bsstFull);
    EXPECT_EQ(written([](IniFile& i) { WriteStretchType(i, S, "k", bsstVert); }), "stvert");
    EXPECT_EQ(written([](IniFile& i) { WriteStretchType(i, S, "k", bsstFull); }), "stfull");
}

TEST(SkinEnumerationValues, MorphKind)
{
    const char* names[] = {"mkdefault",   "mkgradient",   "mkleftgradient", "mkrightgradient",
                           "mkleftslide", "mkrightslide", "mkpush"};
    IniFile ini = iniOf("[S]\nbare=push\ncaps=MKPUSH\n");
    for (int i = 0; i < 7; ++i) {
        ini.WriteString(S, "m", QString::fromLatin1(names[i]));
        EXPECT_EQ(ReadMorphKind(ini, S, "m"), TbsMorphKind(i)) << names[i];
        EXPECT_EQ(written([&](IniFile& out) { WriteMorphKind(out, S, "k", TbsMorphKind(i)); }),
                  QString::fromLatin1(names[i]));
    }
    EXPECT_EQ(ReadMorphKind(ini, S, "bare"), mkDefault);
    EXPECT_EQ(ReadMorphKind(ini, S, "caps"), mkDefault);
    EXPECT_EQ(ReadMorphKind(ini, S, "missing"), mkDefault);
}

TEST(SkinEnumerationValues, InActiveEffect)
{
    const char* names[] = {"iebrightness", "iedarkness",  "iegrayscale",
                           "ienoise",      "iesplitblur", "ieinvert"};
    IniFile ini = iniOf("[S]\nother=ieblur\nempty=\n");
    for (int i = 0; i < 6; ++i) {
        ini.WriteString(S, "e", QString::fromLatin1(names[i]));
        EXPECT_EQ(ReadImageEffect(ini, S, "e"), TbsInActiveEffect(i)) << names[i];
        EXPECT_EQ(
            written([&](IniFile& out) { WriteImageEffect(out, S, "k", TbsInActiveEffect(i)); }),
            QString::fromLatin1(names[i]));
    }
    EXPECT_EQ(ReadImageEffect(ini, S, "missing"), ieBrightness);
    EXPECT_EQ(ReadImageEffect(ini, S, "other"), ieGrayScale);
    EXPECT_EQ(ReadImageEffect(ini, S, "empty"), ieGrayScale);
}

TEST(SkinEnumerationValues, StdCommand)
{
    using Command = TbsSkinValue<TbsStdCommand>;
    const IniFile ini =
        iniOf("[S]\nclose=cmclose\nmax=cmmaximize\nmin=cmminimize\nsys=cmsysmenu\n"
              "def=cmdefault\nroll=cmrollup\ntray=cmminimizetotray\ncaps=CMCLOSE\nempty=\n");
    EXPECT_EQ(Command::Read(ini, S, "close", cmDefault), cmClose);
    EXPECT_EQ(Command::Read(ini, S, "max", cmDefault), cmMaximize);
    EXPECT_EQ(Command::Read(ini, S, "min", cmDefault), cmMinimize);
    EXPECT_EQ(Command::Read(ini, S, "sys", cmDefault), cmSysMenu);
    EXPECT_EQ(Command::Read(ini, S, "def", cmClose), cmDefault);
    EXPECT_EQ(Command::Read(ini, S, "roll", cmDefault), cmRollUp);
    EXPECT_EQ(Command::Read(ini, S, "tray", cmDefault), cmMinimizeToTray);
    EXPECT_EQ(Command::Read(ini, S, "caps", cmDefault), cmMinimizeToTray);
    EXPECT_EQ(Command::Read(ini, S, "empty", cmDefault), cmMinimizeToTray);
    EXPECT_EQ(Command::Read(ini, S, "missing", cmDefault), cmDefault);
    EXPECT_EQ(written([](IniFile& i) { Command::Write(i, S, "k", cmMinimizeToTray); }),
              "cmminimizetotray");
    EXPECT_EQ(written([](IniFile& i) { Command::Write(i, S, "k", cmSysMenu); }), "cmsysmenu");
}

TEST(SkinStringList, ReadAppendsInIndexOrder)
{
    const IniFile ini = iniOf("[S]\npcount=3\n2=c\n0=a\n1=b\n");
    QStringList list{QStringLiteral("kept")};
    ReadStrings(ini, S, "p", list);
    EXPECT_EQ(list, QStringList({"kept", "a", "b", "c"}));
}

TEST(SkinStringList, GapsReadEmptyAndCountLimits)
{
    QStringList list;
    ReadStrings(iniOf("[S]\ncount=4\n0=a\n3=d\n4=beyond\n"), S, "", list);
    EXPECT_EQ(list, QStringList({"a", "", "", "d"}));
    list.clear();
    ReadStrings(iniOf("[S]\ncount=-3\n0=a\n"), S, "", list);
    EXPECT_TRUE(list.isEmpty());
    ReadStrings(iniOf("[S]\n0=a\n"), S, "", list);
    EXPECT_TRUE(list.isEmpty());
}

TEST(SkinStringList, LeadingGapsKeepTheLastItemAtItsIndex)
{
    QStringList list;
    ReadStrings(iniOf("[S]\ncount=3\n2=c\n"), S, "", list);
    EXPECT_EQ(list, QStringList({"", "", "c"}));
}

TEST(SkinStringList, HugeCountStopsAfterTheLastItemKey)
{
    QStringList list;
    // Keys that are not a plain index ("01", "-1", "x") do not extend the list.
    ReadStrings(iniOf("[S]\ncount=2000000000\n0=a\n1=b\n01=no\n-1=no\nx=no\n"), S, "", list);
    EXPECT_EQ(list, QStringList({"a", "b"}));
}

TEST(SkinStringList, ItemsFromIndex65536OnAreCut)
{
    QStringList list;
    ReadStrings(iniOf("[S]\ncount=2000000000\n0=a\n65535=last\n65536=cut\n1999999999=far\n"), S, "",
                list);
    ASSERT_EQ(list.size(), 65536);
    EXPECT_EQ(list[0], "a");
    EXPECT_EQ(list[1], "");
    EXPECT_EQ(list[65535], "last");
    list.clear();
    ReadStrings(iniOf("[S]\ncount=2000000000\n1999999999=far\n"), S, "", list);
    EXPECT_TRUE(list.isEmpty());
}

TEST(SkinStringList, WriteCountThenItems)
{
    IniFile ini;
    WriteStrings(ini, S, "activepictures", {"a.bmp", "b.bmp"});
    EXPECT_EQ(ini.text(), "[S]\nactivepicturescount=2\n0=a.bmp\n1=b.bmp\n");
}

TEST(SkinIniTest, NeedsTheFiveSections)
{
    const char* full = "[VERSION]\nver=1\n[PICTURES]\np=1\n[FORMINFO]\nf=1\n"
                       "[SKINOBJECTS]\ncount=0\n[SKINCONTROLS]\ncount=0\n";
    EXPECT_TRUE(IsSkinIniFile(iniOf(full)));
    for (const char* section : {"VERSION", "PICTURES", "FORMINFO", "SKINOBJECTS", "SKINCONTROLS"}) {
        IniFile ini = iniOf(full);
        ini.EraseSection(QString::fromLatin1(section));
        EXPECT_FALSE(IsSkinIniFile(ini)) << section;
    }
    // A section with no key does not count as present.
    EXPECT_FALSE(IsSkinIniFile(iniOf("[VERSION]\n[PICTURES]\np=1\n[FORMINFO]\nf=1\n"
                                     "[SKINOBJECTS]\ncount=0\n[SKINCONTROLS]\ncount=0\n")));
}
