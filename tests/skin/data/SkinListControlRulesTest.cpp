// List, edit, grid, menu-bar and tab control descriptors: the defaults that
// differ from their type's, which key fills which field where neighbouring
// keys look alike, and malformed values.

#include "SkinDescriptionHelpers.h"
#include "bsSkinListControlSections.h"

namespace {

QString textOf(qint32 value)
{
    return QString::number(value);
}
QString textOf(TColor value)
{
    return QString::number(qint32(value));
}
QString textOf(bool value)
{
    return value ? "1" : "0";
}
template <class T> QString textOf(const T& value)
{
    return EncodeSkinValue(value);
}

// The values file of the round-trip test, loaded once: each key there holds
// a value no other key holds.
class ValuesFile : public testing::Test {
protected:
    void SetUp() override
    {
        golden = iniFromText(goldenText("descriptors-values.ini"));
        loadDescription(data, golden);
    }

    template <class Control> const Control& control(const char* name)
    {
        const int index = data.GetControlIndex(QLatin1String(name));
        const Control* found =
            index < 0 ? nullptr : dynamic_cast<const Control*>(data.CtrlList[size_t(index)].get());
        if (!found)
            throw std::runtime_error(std::string("no descriptor ") + name);
        return *found;
    }
    QString valueOf(const char* section, const char* key) const
    {
        return golden.ReadString(QLatin1String(section), QLatin1String(key), "<missing>");
    }

    IniFile golden;
    TbsSkinData data;
};

#define EXPECT_FIELD(section, descriptor, field, key)                                              \
    EXPECT_EQ(textOf(descriptor.field), valueOf(section, key)) << #field

} // namespace

TEST_F(ValuesFile, ListBoxAndComboBoxKeysFillTheirFields)
{
    const auto& list = control<TbsDataSkinListBox>("c-listbox");
    EXPECT_FIELD("c-listbox", list, SItemRect, "itemrect");
    EXPECT_FIELD("c-listbox", list, ActiveFontColor, "activefontcolor");
    EXPECT_FIELD("c-listbox", list, FocusFontColor, "focusfontcolor");
    EXPECT_FIELD("c-listbox", list, CaptionFontName, "captionfontname");
    EXPECT_FIELD("c-listbox", list, CaptionFontHeight, "captionfontheight");
    EXPECT_FIELD("c-listbox", list, VScrollBarName, "vscrollbarname");
    EXPECT_FIELD("c-listbox", list, HScrollBarName, "hscrollbarname");
    EXPECT_FIELD("c-listbox", list, BothScrollBarName, "bothhscrollbarname");
    EXPECT_FIELD("c-listbox", list, DownUpButtonRect, "downupbuttonrect");

    const auto& check = control<TbsDataSkinCheckListBox>("c-checklistbox");
    EXPECT_FIELD("c-checklistbox", check, SItemRect, "itemrect");
    EXPECT_FIELD("c-checklistbox", check, ItemCheckRect, "itemcheckrect");
    EXPECT_FIELD("c-checklistbox", check, UnCheckImageRect, "uncheckimagerect");
    EXPECT_FIELD("c-checklistbox", check, CheckImageRect, "checkimagerect");

    const auto& combo = control<TbsDataSkinComboBox>("c-combobox");
    EXPECT_FIELD("c-combobox", combo, SItemRect, "itemrect");
    EXPECT_FIELD("c-combobox", combo, FocusFontColor, "focusfontcolor");
    EXPECT_FIELD("c-combobox", combo, ActiveFontColor, "activefontcolor");
    EXPECT_FIELD("c-combobox", combo, UnEnabledButtonRect, "unenabledbuttonrect");
    EXPECT_FIELD("c-combobox", combo, ListBoxName, "listboxname");
    EXPECT_FIELD("c-combobox", combo, FocusItemStretchEffect, "focusitemstretcheffect");
}

TEST_F(ValuesFile, EditGridAndScrollBarKeysFillTheirFields)
{
    const auto& memo = control<TbsDataSkinMemoControl>("c-memo");
    EXPECT_FIELD("c-memo", memo, DisabledFontColor, "disabledfontcolor");
    EXPECT_FIELD("c-memo", memo, ActiveFontColor, "activefontcolor");
    EXPECT_FIELD("c-memo", memo, BGColor, "bgcolor");
    EXPECT_FIELD("c-memo", memo, ActiveBGColor, "activebgcolor");

    const auto& spin = control<TbsDataSkinSpinEditControl>("c-spinedit");
    EXPECT_FIELD("c-spinedit", spin, ActiveFontColor, "activefontcolor");
    EXPECT_FIELD("c-spinedit", spin, DisabledFontColor, "disabledfontcolor");

    const auto& grid = control<TbsDataSkinGridControl>("c-grid");
    EXPECT_FIELD("c-grid", grid, FixedCellTextRect, "fixedcelltextrect");
    EXPECT_FIELD("c-grid", grid, CellTextRect, "celltextrect");
    EXPECT_FIELD("c-grid", grid, LinesColor, "linescolor");
    EXPECT_FIELD("c-grid", grid, BGColor, "bgcolor");
    EXPECT_FIELD("c-grid", grid, FixedFontName, "fixedfontname");
    EXPECT_FIELD("c-grid", grid, FixedFontHeight, "fixedfontheight");
    EXPECT_FIELD("c-grid", grid, FixedFontStyle, "fixedfontstyle");
    EXPECT_FIELD("c-grid", grid, SelectFontColor, "selectfontcolor");

    const auto& bar = control<TbsDataSkinScrollBarControl>("c-scrollbar");
    EXPECT_FIELD("c-scrollbar", bar, ThumbOffset1, "thumboffset1");
    EXPECT_FIELD("c-scrollbar", bar, ThumbOffset2, "thumboffset2");
    EXPECT_FIELD("c-scrollbar", bar, ThumbMinSize, "thumbminsize");
    EXPECT_FIELD("c-scrollbar", bar, ThumbMinPageSize, "thumbminpagesize");
    EXPECT_FIELD("c-scrollbar", bar, DownGlyphRect, "downglyphrect");

    const auto& tree = control<TbsDataSkinTreeView>("c-treeview");
    EXPECT_FIELD("c-treeview", tree, ExpandImageRect, "expandimagerect");
    EXPECT_FIELD("c-treeview", tree, NoExpandImageRect, "noexpandimagerect");
    EXPECT_FIELD("c-listview", control<TbsDataSkinListView>("c-listview"), BGColor, "bgcolor");
    EXPECT_FIELD("c-richedit", control<TbsDataSkinRichEdit>("c-richedit"), BGColor, "bgcolor");
}

TEST_F(ValuesFile, TabMenuBarAndAppMenuKeysFillTheirFields)
{
    const auto& tab = control<TbsDataSkinTabControl>("c-tab");
    EXPECT_FIELD("c-tab", tab, SkinRect, "skinrect");
    EXPECT_FIELD("c-tab", tab, ClRect, "clientrect");
    EXPECT_FIELD("c-tab", tab, BGPictureIndex, "bgpictureindex");
    EXPECT_FIELD("c-tab", tab, LTPoint, "lefttoppoint");
    EXPECT_FIELD("c-tab", tab, RBPoint, "rightbottompoint");
    EXPECT_FIELD("c-tab", tab, StretchType, "stretchtype");
    EXPECT_FIELD("c-tab", tab, UpDown, "updown");
    EXPECT_FIELD("c-tab", tab, MouseInFontColor, "mouseinfontcolor");
    EXPECT_FIELD("c-tab", tab, MDIMinDownRect, "mdimindownrect");
    EXPECT_FIELD("c-tab", tab, TabLeftBottomFocusRect, "tableftbottomfocusrect");

    const auto& menuBar = control<TbsDataSkinMainMenuBar>("c-mainmenubar");
    EXPECT_FIELD("c-mainmenubar", menuBar, MenuBarItem, "menubaritem");
    EXPECT_FIELD("c-mainmenubar", menuBar, MinButton, "minbutton");
    EXPECT_FIELD("c-mainmenubar", menuBar, MaxButton, "maxbutton");
    EXPECT_FIELD("c-mainmenubar", menuBar, SysMenuButton, "sysmenubutton");
    EXPECT_FIELD("c-mainmenubar", menuBar, TrackMarkActiveColor, "trackmarkactivecolor");

    const auto& controlBar = control<TbsDataSkinControlBar>("c-controlbar");
    EXPECT_FIELD("c-controlbar", controlBar, ItemOffset1, "itemoffset1");
    EXPECT_FIELD("c-controlbar", controlBar, GripOffset2, "gripoffset2");

    const auto& appMenu = control<TbsDataSkinAppMenu>("c-appmenu");
    EXPECT_FIELD("c-appmenu", appMenu, ClRect, "clientrect");
    EXPECT_FIELD("c-appmenu", appMenu, FontHeight, "fontheight");
    EXPECT_FIELD("c-appmenu", appMenu, FontPageHeight, "fontpageheight");
    EXPECT_FIELD("c-appmenu", appMenu, PageItemOffset2, "pageitemoffset2");
    EXPECT_FIELD("c-appmenu", appMenu, FontPageColor, "fontpagecolor");
    EXPECT_FIELD("c-appmenu", appMenu, ActiveFontPageColor, "activefontpagecolor");
}

TEST(SkinListControlRules, DefaultsThatDifferFromTheirType)
{
    // Constructed, and loaded from a section that lacks the keys.
    TbsDataSkinListBox list("l");
    const auto expectListDefaults = [&list] {
        EXPECT_EQ(list.VScrollBarName, "vscrollbar");
        EXPECT_EQ(list.HScrollBarName, "hscrollbar");
        EXPECT_EQ(list.BothScrollBarName, "bothhscrollbar");
        EXPECT_EQ(list.CaptionFontName, "Tahoma");
        EXPECT_EQ(list.CaptionFontHeight, 13);
    };
    expectListDefaults();
    list.HScrollBarName = "mine";
    list.LoadFromFile(iniFromText("[l]\nfontheight=9\n"));
    expectListDefaults();
    EXPECT_EQ(list.FontHeight, 9);

    TbsDataSkinAppMenu menu("a");
    menu.LoadFromFile(iniFromText("[a]\nfontheight=11\n"));
    EXPECT_EQ(menu.ItemOffset1, 3);
    EXPECT_EQ(menu.ItemOffset2, 3);
    EXPECT_EQ(menu.PageItemOffset1, 10);
    EXPECT_EQ(menu.PageItemOffset2, 10);
    EXPECT_EQ(menu.FontHeight, 11);
    EXPECT_EQ(menu.FontPageHeight, 16);
    EXPECT_EQ(menu.BGPictureIndex, -1);

    const TbsDataSkinControlBar bar("c");
    EXPECT_EQ(bar.ItemOffset1, 3);
    EXPECT_EQ(bar.ItemOffset2, 3);
    EXPECT_EQ(TbsDataSkinGridControl("g").FixedFontHeight, 13);
    EXPECT_EQ(TbsDataSkinTabControl("t").BGPictureIndex, -1);
}

TEST(SkinListControlRules, MalformedRectangleOrPointEndsTheRead)
{
    const QString lists = "[SKINCONTROLS]\ncount=2\n0=t:tab\n1=l:listbox\n";
    for (const char* bad :
         {"[t]\nclientrect=1,2,x,4\n", "[t]\nlefttoppoint=1,2,3\n", "[t]\nlefttoppoint=\n",
          "[l]\nitemrect=99999999999,1,2,3\n", "[l]\nbuttonsarea=1,2,3,4,5\n"}) {
        TbsSkinData data;
        EXPECT_THROW(data.ReadDescriptorLists(iniFromText(lists + bad)), platform::EConvertError)
            << bad;
    }
    // Blanks and signs are dropped, not errors.
    TbsDataSkinTabControl tab("t");
    tab.LoadFromFile(iniFromText("[t]\nclientrect= 1, -2 ,3,4\nlefttoppoint=+5, 6\n"));
    EXPECT_EQ(tab.ClRect, Rect(1, 2, 3, 4));
    EXPECT_EQ(tab.LTPoint, Point(5, 6));
}
