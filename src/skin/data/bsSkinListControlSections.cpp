#include "bsSkinListControlSections.h"

TbsDataSkinListBox::TbsDataSkinListBox(const QString& idName) : TbsKeyedSection(idName)
{
    ResetKeys();
}

const TbsSkinKeys<TbsDataSkinListBox>& TbsDataSkinListBox::Keys()
{
    using C = TbsDataSkinListBox;
    static const TbsSkinKeys<C> keys{
        {"itemrect", &C::SItemRect},
        {"activeitemrect", &C::ActiveItemRect},
        {"focusitemrect", &C::FocusItemRect},
        {"itemleftoffset", &C::ItemLeftOffset},
        {"itemrightoffset", &C::ItemRightOffset},
        {"itemtextrect", &C::ItemTextRect},
        {"fontname", &C::FontName, bsDefaultFontName},
        {"fontheight", &C::FontHeight, bsDefaultFontHeight},
        {"fontstyle", &C::FontStyle},
        {"fontcolor", &C::FontColor},
        {"activefontcolor", &C::ActiveFontColor},
        {"focusfontcolor", &C::FocusFontColor},
        {"captionrect", &C::CaptionRect},
        {"captionfontname", &C::CaptionFontName, bsDefaultFontName},
        {"captionfontheight", &C::CaptionFontHeight, bsDefaultFontHeight},
        {"captionfontstyle", &C::CaptionFontStyle},
        {"captionfontcolor", &C::CaptionFontColor},
        {"upbuttonrect", &C::UpButtonRect},
        {"activeupbuttonrect", &C::ActiveUpButtonRect},
        {"downupbuttonrect", &C::DownUpButtonRect},
        {"downbuttonrect", &C::DownButtonRect},
        {"activedownbuttonrect", &C::ActiveDownButtonRect},
        {"downdownbuttonrect", &C::DownDownButtonRect},
        {"checkbuttonrect", &C::CheckButtonRect},
        {"activecheckbuttonrect", &C::ActiveCheckButtonRect},
        {"downcheckbuttonrect", &C::DownCheckButtonRect},
        {"vscrollbarname", &C::VScrollBarName, QStringLiteral("vscrollbar")},
        {"hscrollbarname", &C::HScrollBarName, QStringLiteral("hscrollbar")},
        {"bothhscrollbarname", &C::BothScrollBarName, QStringLiteral("bothhscrollbar")},
        {"showfocus", &C::ShowFocus},
        {"disabledbuttonsrect", &C::DisabledButtonsRect},
        {"buttonsarea", &C::ButtonsArea},
    };
    return keys;
}

TbsDataSkinCheckListBox::TbsDataSkinCheckListBox(const QString& idName) : TbsKeyedSection(idName)
{
    ResetKeys();
}

const TbsSkinKeys<TbsDataSkinCheckListBox>& TbsDataSkinCheckListBox::Keys()
{
    using C = TbsDataSkinCheckListBox;
    static const TbsSkinKeys<C> keys{
        {"itemcheckrect", &C::ItemCheckRect},
        {"uncheckimagerect", &C::UnCheckImageRect},
        {"checkimagerect", &C::CheckImageRect},
    };
    return keys;
}

TbsDataSkinComboBox::TbsDataSkinComboBox(const QString& idName) : TbsKeyedSection(idName)
{
    ResetKeys();
}

const TbsSkinKeys<TbsDataSkinComboBox>& TbsDataSkinComboBox::Keys()
{
    using C = TbsDataSkinComboBox;
    static const TbsSkinKeys<C> keys{
        {"activeskinrect", &C::ActiveSkinRect},
        {"itemrect", &C::SItemRect},
        {"activeitemrect", &C::ActiveItemRect},
        {"focusitemrect", &C::FocusItemRect},
        {"itemleftoffset", &C::ItemLeftOffset},
        {"itemrightoffset", &C::ItemRightOffset},
        {"itemtextrect", &C::ItemTextRect},
        {"fontname", &C::FontName, bsDefaultFontName},
        {"fontheight", &C::FontHeight, bsDefaultFontHeight},
        {"fontstyle", &C::FontStyle},
        {"fontcolor", &C::FontColor},
        {"focusfontcolor", &C::FocusFontColor},
        {"activefontcolor", &C::ActiveFontColor},
        {"buttonrect", &C::ButtonRect},
        {"activebuttonrect", &C::ActiveButtonRect},
        {"downbuttonrect", &C::DownButtonRect},
        {"unenabledbuttonrect", &C::UnEnabledButtonRect},
        {"listboxname", &C::ListBoxName},
        {"itemstretcheffect", &C::ItemStretchEffect},
        {"focusitemstretcheffect", &C::FocusItemStretchEffect},
        {"showfocus", &C::ShowFocus},
    };
    return keys;
}

TbsDataSkinScrollBarControl::TbsDataSkinScrollBarControl(const QString& idName)
    : TbsKeyedSection(idName)
{
    ResetKeys();
}

const TbsSkinKeys<TbsDataSkinScrollBarControl>& TbsDataSkinScrollBarControl::Keys()
{
    using C = TbsDataSkinScrollBarControl;
    static const TbsSkinKeys<C> keys{
        {"trackarea", &C::TrackArea},
        {"upbuttonrect", &C::UpButtonRect},
        {"activeupbuttonrect", &C::ActiveUpButtonRect},
        {"downupbuttonrect", &C::DownUpButtonRect},
        {"downbuttonrect", &C::DownButtonRect},
        {"activedownbuttonrect", &C::ActiveDownButtonRect},
        {"downdownbuttonrect", &C::DownDownButtonRect},
        {"thumbrect", &C::ThumbRect},
        {"activethumbrect", &C::ActiveThumbRect},
        {"downthumbrect", &C::DownThumbRect},
        {"thumboffset1", &C::ThumbOffset1},
        {"thumboffset2", &C::ThumbOffset2},
        {"thumbtransparent", &C::ThumbTransparent},
        {"thumbtransparentcolor", &C::ThumbTransparentColor},
        {"thumbstretcheffect", &C::ThumbStretchEffect},
        {"thumbminsize", &C::ThumbMinSize},
        {"thumbminpagesize", &C::ThumbMinPageSize},
        {"glyphrect", &C::GlyphRect},
        {"activeglyphrect", &C::ActiveGlyphRect},
        {"downglyphrect", &C::DownGlyphRect},
        {"glyphtransparent", &C::GlyphTransparent},
        {"glyphtransparentcolor", &C::GlyphTransparentColor},
    };
    return keys;
}

TbsDataSkinSpinEditControl::TbsDataSkinSpinEditControl(const QString& idName)
    : TbsKeyedSection(idName)
{
    ResetKeys();
}

const TbsSkinKeys<TbsDataSkinSpinEditControl>& TbsDataSkinSpinEditControl::Keys()
{
    using C = TbsDataSkinSpinEditControl;
    static const TbsSkinKeys<C> keys{
        {"activeskinrect", &C::ActiveSkinRect},
        {"fontname", &C::FontName, bsDefaultFontName},
        {"fontheight", &C::FontHeight, bsDefaultFontHeight},
        {"fontstyle", &C::FontStyle},
        {"fontcolor", &C::FontColor},
        {"activefontcolor", &C::ActiveFontColor},
        {"disabledfontcolor", &C::DisabledFontColor},
        {"upbuttonrect", &C::UpButtonRect},
        {"activeupbuttonrect", &C::ActiveUpButtonRect},
        {"downupbuttonrect", &C::DownUpButtonRect},
        {"downbuttonrect", &C::DownButtonRect},
        {"activedownbuttonrect", &C::ActiveDownButtonRect},
        {"downdownbuttonrect", &C::DownDownButtonRect},
    };
    return keys;
}

TbsDataSkinEditControl::TbsDataSkinEditControl(const QString& idName) : TbsKeyedSection(idName)
{
    ResetKeys();
}

const TbsSkinKeys<TbsDataSkinEditControl>& TbsDataSkinEditControl::Keys()
{
    using C = TbsDataSkinEditControl;
    static const TbsSkinKeys<C> keys{
        {"activeskinrect", &C::ActiveSkinRect},
        {"fontname", &C::FontName, bsDefaultFontName},
        {"fontheight", &C::FontHeight, bsDefaultFontHeight},
        {"fontstyle", &C::FontStyle},
        {"fontcolor", &C::FontColor},
        {"disabledfontcolor", &C::DisabledFontColor},
        {"activefontcolor", &C::ActiveFontColor},
        {"buttonrect", &C::ButtonRect},
        {"activebuttonrect", &C::ActiveButtonRect},
        {"downbuttonrect", &C::DownButtonRect},
        {"unenabledbuttonrect", &C::UnEnabledButtonRect},
    };
    return keys;
}

TbsDataSkinMemoControl::TbsDataSkinMemoControl(const QString& idName) : TbsKeyedSection(idName)
{
    ResetKeys();
}

const TbsSkinKeys<TbsDataSkinMemoControl>& TbsDataSkinMemoControl::Keys()
{
    using C = TbsDataSkinMemoControl;
    static const TbsSkinKeys<C> keys{
        {"bgcolor", &C::BGColor},
        {"activebgcolor", &C::ActiveBGColor},
    };
    return keys;
}

TbsDataSkinGridControl::TbsDataSkinGridControl(const QString& idName) : TbsKeyedSection(idName)
{
    ResetKeys();
}

const TbsSkinKeys<TbsDataSkinGridControl>& TbsDataSkinGridControl::Keys()
{
    using C = TbsDataSkinGridControl;
    static const TbsSkinKeys<C> keys{
        {"fixedcellrect", &C::FixedCellRect},
        {"selectcellrect", &C::SelectCellRect},
        {"focuscellrect", &C::FocusCellRect},
        {"fixedcellleftoffset", &C::FixedCellLeftOffset},
        {"fixedcellrightoffset", &C::FixedCellRightOffset},
        {"fixedcelltextrect", &C::FixedCellTextRect},
        {"cellleftoffset", &C::CellLeftOffset},
        {"cellrightoffset", &C::CellRightOffset},
        {"celltextrect", &C::CellTextRect},
        {"linescolor", &C::LinesColor},
        {"bgcolor", &C::BGColor},
        {"bgpictureindex", &C::BGPictureIndex, -1},
        {"fontname", &C::FontName, bsDefaultFontName},
        {"fontheight", &C::FontHeight, bsDefaultFontHeight},
        {"fontstyle", &C::FontStyle},
        {"fontcolor", &C::FontColor},
        {"selectfontcolor", &C::SelectFontColor},
        {"focusfontcolor", &C::FocusFontColor},
        {"fixedfontname", &C::FixedFontName, bsDefaultFontName},
        {"fixedfontheight", &C::FixedFontHeight, bsDefaultFontHeight},
        {"fixedfontstyle", &C::FixedFontStyle},
        {"fixedfontcolor", &C::FixedFontColor},
        {"cellstretcheffect", &C::CellStretchEffect},
        {"fixedcellstretcheffect", &C::FixedCellStretchEffect},
        {"showfocus", &C::ShowFocus},
    };
    return keys;
}

TbsDataSkinTabControl::TbsDataSkinTabControl(const QString& idName) : TbsKeyedSection(idName)
{
    ResetKeys();
}

const TbsSkinKeys<TbsDataSkinTabControl>& TbsDataSkinTabControl::Keys()
{
    using C = TbsDataSkinTabControl;
    static const TbsSkinKeys<C> keys{
        {"tabrect", &C::TabRect},
        {"activetabrect", &C::ActiveTabRect},
        {"focustabrect", &C::FocusTabRect},
        {"mouseintabrect", &C::MouseInTabRect},
        {"clientrect", &C::ClRect},
        {"bgpictureindex", &C::BGPictureIndex, -1},
        {"lefttoppoint", &C::LTPoint},
        {"righttoppoint", &C::RTPoint},
        {"leftbottompoint", &C::LBPoint},
        {"rightbottompoint", &C::RBPoint},
        {"tableftoffset", &C::TabLeftOffset},
        {"tabrightoffset", &C::TabRightOffset},
        {"tabsbgrect", &C::TabsBGRect},
        {"tabstretcheffect", &C::TabStretchEffect},
        {"leftstretch", &C::LeftStretch},
        {"topstretch", &C::TopStretch},
        {"rightstretch", &C::RightStretch},
        {"bottomstretch", &C::BottomStretch},
        {"stretcheffect", &C::StretchEffect},
        {"stretchtype", &C::StretchType},
        {"fontname", &C::FontName, bsDefaultFontName},
        {"fontheight", &C::FontHeight, bsDefaultFontHeight},
        {"fontstyle", &C::FontStyle},
        {"fontcolor", &C::FontColor},
        {"activefontcolor", &C::ActiveFontColor},
        {"focusfontcolor", &C::FocusFontColor},
        {"mouseinfontcolor", &C::MouseInFontColor},
        {"updown", &C::UpDown},
        {"showfocus", &C::ShowFocus},
        {"focusoffsetx", &C::FocusOffsetX},
        {"focusoffsety", &C::FocusOffsetY},
        {"closebuttonrect", &C::CloseButtonRect},
        {"closebuttonactiverect", &C::CloseButtonActiveRect},
        {"closebuttondownrect", &C::CloseButtonDownRect},
        {"buttontransparent", &C::ButtonTransparent},
        {"buttontransparentcolor", &C::ButtonTransparentColor},
        {"dividerrect", &C::DividerRect},
        {"dividertransparent", &C::DividerTransparent},
        {"dividertransparentcolor", &C::DividerTransparentColor},
        {"mdicloserect", &C::MDICloseRect},
        {"mdicloseactiverect", &C::MDICloseActiveRect},
        {"mdiclosedownrect", &C::MDICloseDownRect},
        {"mdirestorerect", &C::MDIRestoreRect},
        {"mdirestoreactiverect", &C::MDIRestoreActiveRect},
        {"mdirestoredownrect", &C::MDIRestoreDownRect},
        {"mdiminrect", &C::MDIMinRect},
        {"mdiminactiverect", &C::MDIMinActiveRect},
        {"mdimindownrect", &C::MDIMinDownRect},
        {"mdibuttonstransparent", &C::MDIButtonsTransparent},
        {"mdibuttonstransparentcolor", &C::MDIButtonsTransparentColor},
        {"tableftbottomactiverect", &C::TabLeftBottomActiveRect},
        {"tableftbottomfocusrect", &C::TabLeftBottomFocusRect},
    };
    return keys;
}

TbsDataSkinMainMenuBar::TbsDataSkinMainMenuBar(const QString& idName) : TbsKeyedSection(idName)
{
    ResetKeys();
}

const TbsSkinKeys<TbsDataSkinMainMenuBar>& TbsDataSkinMainMenuBar::Keys()
{
    using C = TbsDataSkinMainMenuBar;
    static const TbsSkinKeys<C> keys{
        {"itemsrect", &C::ItemsRect},           {"menubaritem", &C::MenuBarItem},
        {"closebutton", &C::CloseButton},       {"minbutton", &C::MinButton},
        {"maxbutton", &C::MaxButton},           {"sysmenubutton", &C::SysMenuButton},
        {"trackmarkcolor", &C::TrackMarkColor}, {"trackmarkactivecolor", &C::TrackMarkActiveColor},
        {"stretcheffect", &C::StretchEffect},   {"itemtransparent", &C::ItemTransparent},
    };
    return keys;
}

TbsDataSkinControlBar::TbsDataSkinControlBar(const QString& idName) : TbsKeyedSection(idName)
{
    ResetKeys();
}

const TbsSkinKeys<TbsDataSkinControlBar>& TbsDataSkinControlBar::Keys()
{
    using C = TbsDataSkinControlBar;
    static const TbsSkinKeys<C> keys{
        {"itemrect", &C::ItemRect},
        {"bgpictureindex", &C::BGPictureIndex, -1},
        {"hgriprect", &C::HGripRect},
        {"vgriprect", &C::VGripRect},
        {"gripoffset1", &C::GripOffset1},
        {"gripoffset2", &C::GripOffset2},
        {"itemoffset1", &C::ItemOffset1, 3},
        {"itemoffset2", &C::ItemOffset2, 3},
        {"itemstretcheffect", &C::ItemStretchEffect},
        {"itemtransparent", &C::ItemTransparent},
        {"itemtransparentcolor", &C::ItemTransparentColor},
        {"griptransparent", &C::GripTransparent},
        {"griptransparentcolor", &C::GripTransparentColor},
    };
    return keys;
}

TbsDataSkinAppMenu::TbsDataSkinAppMenu(const QString& idName) : TbsKeyedSection(idName)
{
    ResetKeys();
}

const TbsSkinKeys<TbsDataSkinAppMenu>& TbsDataSkinAppMenu::Keys()
{
    using C = TbsDataSkinAppMenu;
    static const TbsSkinKeys<C> keys{
        {"bgpictureindex", &C::BGPictureIndex, -1},
        {"bgstretcheffect", &C::BGStretchEffect},
        {"itemrect", &C::ItemRect},
        {"pageitemrect", &C::PageItemRect},
        {"pageitemactiverect", &C::PageItemActiveRect},
        {"itemoffset1", &C::ItemOffset1, 3},
        {"itemoffset2", &C::ItemOffset2, 3},
        {"pageitemoffset1", &C::PageItemOffset1, 10},
        {"pageitemoffset2", &C::PageItemOffset2, 10},
        {"pageoffset", &C::PageOffset},
        {"fontname", &C::FontName, bsDefaultFontName},
        {"fontheight", &C::FontHeight, bsDefaultFontHeight},
        {"fontpageheight", &C::FontPageHeight, 16},
        {"fontstyle", &C::FontStyle},
        {"fontcolor", &C::FontColor},
        {"disabledfontcolor", &C::DisabledFontColor},
        {"activefontcolor", &C::ActiveFontColor},
        {"fontpagecolor", &C::FontPageColor},
        {"activefontpagecolor", &C::ActiveFontPageColor},
        {"gripperrect", &C::GripperRect},
        {"grippertransparentcolor", &C::GripperTransparentColor},
        {"toplinerect", &C::TopLineRect},
        {"toplineoffset1", &C::TopLineOffset1},
        {"toplineoffset2", &C::TopLineOffset2},
    };
    return keys;
}

TbsDataSkinTreeView::TbsDataSkinTreeView(const QString& idName) : TbsKeyedSection(idName)
{
    ResetKeys();
}

const TbsSkinKeys<TbsDataSkinTreeView>& TbsDataSkinTreeView::Keys()
{
    using C = TbsDataSkinTreeView;
    static const TbsSkinKeys<C> keys{
        {"fontname", &C::FontName, bsDefaultFontName},
        {"fontheight", &C::FontHeight, bsDefaultFontHeight},
        {"fontstyle", &C::FontStyle},
        {"fontcolor", &C::FontColor},
        {"bgcolor", &C::BGColor},
        {"expandimagerect", &C::ExpandImageRect},
        {"noexpandimagerect", &C::NoExpandImageRect},
    };
    return keys;
}

TbsDataSkinListView::TbsDataSkinListView(const QString& idName) : TbsKeyedSection(idName)
{
    ResetKeys();
}

const TbsSkinKeys<TbsDataSkinListView>& TbsDataSkinListView::Keys()
{
    using C = TbsDataSkinListView;
    static const TbsSkinKeys<C> keys{
        {"fontname", &C::FontName, bsDefaultFontName},
        {"fontheight", &C::FontHeight, bsDefaultFontHeight},
        {"fontstyle", &C::FontStyle},
        {"fontcolor", &C::FontColor},
        {"bgcolor", &C::BGColor},
    };
    return keys;
}

TbsDataSkinRichEdit::TbsDataSkinRichEdit(const QString& idName) : TbsKeyedSection(idName)
{
    ResetKeys();
}

const TbsSkinKeys<TbsDataSkinRichEdit>& TbsDataSkinRichEdit::Keys()
{
    using C = TbsDataSkinRichEdit;
    static const TbsSkinKeys<C> keys{
        {"fontname", &C::FontName, bsDefaultFontName},
        {"fontheight", &C::FontHeight, bsDefaultFontHeight},
        {"fontstyle", &C::FontStyle},
        {"fontcolor", &C::FontColor},
        {"bgcolor", &C::BGColor},
    };
    return keys;
}
