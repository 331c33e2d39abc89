#pragma once

// The looks of list, edit, grid, menu-bar and tab controls. Several of them
// name other descriptors by their section name (a combo box's drop-down list,
// a list box's scroll bars, a tab control's up-down, the menu bar's items and
// buttons); the skinned control looks those up when it draws.
//
// Field defaults live in each class's key table (Keys() in the .cpp), which
// its constructor applies; the {} below only value-initialise.

#include "bsSkinControlSections.h"

// Item images in three states, caption strip, buttons and scroll bars of a
// list box.
class TbsDataSkinListBox : public TbsKeyedSection<TbsDataSkinListBox, TbsDataSkinCustomControl> {
public:
    explicit TbsDataSkinListBox(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinListBox>& Keys();

    TRect SItemRect, ActiveItemRect, FocusItemRect;
    qint32 ItemLeftOffset{}, ItemRightOffset{};
    TRect ItemTextRect;
    QString FontName;
    qint32 FontHeight{};
    TFontStyles FontStyle;
    TColor FontColor{}, ActiveFontColor{}, FocusFontColor{};
    TRect CaptionRect;
    QString CaptionFontName;
    qint32 CaptionFontHeight{};
    TFontStyles CaptionFontStyle;
    TColor CaptionFontColor{};
    TRect UpButtonRect, ActiveUpButtonRect, DownUpButtonRect;
    TRect DownButtonRect, ActiveDownButtonRect, DownDownButtonRect;
    TRect CheckButtonRect, ActiveCheckButtonRect, DownCheckButtonRect;
    QString VScrollBarName, HScrollBarName, BothScrollBarName;
    bool ShowFocus{};
    TRect DisabledButtonsRect, ButtonsArea;
};

// A list box whose items carry a check mark.
class TbsDataSkinCheckListBox
    : public TbsKeyedSection<TbsDataSkinCheckListBox, TbsDataSkinListBox> {
public:
    explicit TbsDataSkinCheckListBox(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinCheckListBox>& Keys();

    TRect ItemCheckRect, UnCheckImageRect, CheckImageRect;
};

// A combo box with its drop-down button; ListBoxName names the list-box
// descriptor of the drop-down list.
class TbsDataSkinComboBox : public TbsKeyedSection<TbsDataSkinComboBox, TbsDataSkinCustomControl> {
public:
    explicit TbsDataSkinComboBox(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinComboBox>& Keys();

    TRect ActiveSkinRect;
    TRect SItemRect, ActiveItemRect, FocusItemRect;
    qint32 ItemLeftOffset{}, ItemRightOffset{};
    TRect ItemTextRect;
    QString FontName;
    qint32 FontHeight{};
    TFontStyles FontStyle;
    TColor FontColor{}, FocusFontColor{}, ActiveFontColor{};
    TRect ButtonRect, ActiveButtonRect, DownButtonRect, UnEnabledButtonRect;
    QString ListBoxName;
    bool ItemStretchEffect{}, FocusItemStretchEffect{};
    bool ShowFocus{};
};

// Track, arrow buttons, thumb and thumb glyph of a scroll bar.
class TbsDataSkinScrollBarControl
    : public TbsKeyedSection<TbsDataSkinScrollBarControl, TbsDataSkinCustomControl> {
public:
    explicit TbsDataSkinScrollBarControl(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinScrollBarControl>& Keys();

    TRect TrackArea;
    TRect UpButtonRect, ActiveUpButtonRect, DownUpButtonRect;
    TRect DownButtonRect, ActiveDownButtonRect, DownDownButtonRect;
    TRect ThumbRect, ActiveThumbRect, DownThumbRect;
    qint32 ThumbOffset1{}, ThumbOffset2{};
    bool ThumbTransparent{};
    TColor ThumbTransparentColor{};
    bool ThumbStretchEffect{};
    qint32 ThumbMinSize{}, ThumbMinPageSize{};
    TRect GlyphRect, ActiveGlyphRect, DownGlyphRect;
    bool GlyphTransparent{};
    TColor GlyphTransparentColor{};
};

// A spin edit: font and up and down buttons.
class TbsDataSkinSpinEditControl
    : public TbsKeyedSection<TbsDataSkinSpinEditControl, TbsDataSkinCustomControl> {
public:
    explicit TbsDataSkinSpinEditControl(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinSpinEditControl>& Keys();

    TRect ActiveSkinRect;
    QString FontName;
    qint32 FontHeight{};
    TFontStyles FontStyle;
    TColor FontColor{}, ActiveFontColor{}, DisabledFontColor{};
    TRect UpButtonRect, ActiveUpButtonRect, DownUpButtonRect;
    TRect DownButtonRect, ActiveDownButtonRect, DownDownButtonRect;
};

// An edit with an optional button.
class TbsDataSkinEditControl
    : public TbsKeyedSection<TbsDataSkinEditControl, TbsDataSkinCustomControl> {
public:
    explicit TbsDataSkinEditControl(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinEditControl>& Keys();

    TRect ActiveSkinRect;
    QString FontName;
    qint32 FontHeight{};
    TFontStyles FontStyle;
    TColor FontColor{}, DisabledFontColor{}, ActiveFontColor{};
    TRect ButtonRect, ActiveButtonRect, DownButtonRect, UnEnabledButtonRect;
};

// A multi-line edit with its background colours.
class TbsDataSkinMemoControl
    : public TbsKeyedSection<TbsDataSkinMemoControl, TbsDataSkinEditControl> {
public:
    explicit TbsDataSkinMemoControl(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinMemoControl>& Keys();

    TColor BGColor{}, ActiveBGColor{};
};

// Cells of a grid, with the fonts of ordinary and fixed cells.
class TbsDataSkinGridControl : public TbsKeyedSection<TbsDataSkinGridControl, TbsDataSkinControl> {
public:
    explicit TbsDataSkinGridControl(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinGridControl>& Keys();

    TRect FixedCellRect, SelectCellRect, FocusCellRect;
    qint32 FixedCellLeftOffset{}, FixedCellRightOffset{};
    TRect FixedCellTextRect;
    qint32 CellLeftOffset{}, CellRightOffset{};
    TRect CellTextRect;
    TColor LinesColor{}, BGColor{};
    qint32 BGPictureIndex{};
    QString FontName;
    qint32 FontHeight{};
    TFontStyles FontStyle;
    TColor FontColor{}, SelectFontColor{}, FocusFontColor{};
    QString FixedFontName;
    qint32 FixedFontHeight{};
    TFontStyles FixedFontStyle;
    TColor FixedFontColor{};
    bool CellStretchEffect{}, FixedCellStretchEffect{};
    bool ShowFocus{};
};

// Tabs in four states and the page frame, which carries its own nine-part
// description; UpDown names the up-down descriptor that scrolls the tabs.
class TbsDataSkinTabControl : public TbsKeyedSection<TbsDataSkinTabControl, TbsDataSkinControl> {
public:
    explicit TbsDataSkinTabControl(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinTabControl>& Keys();

    TRect TabRect, ActiveTabRect, FocusTabRect, MouseInTabRect;
    TRect ClRect;
    qint32 BGPictureIndex{};
    TPoint LTPoint, RTPoint, LBPoint, RBPoint;
    qint32 TabLeftOffset{}, TabRightOffset{};
    TRect TabsBGRect;
    bool TabStretchEffect{};
    bool LeftStretch{}, TopStretch{}, RightStretch{}, BottomStretch{};
    bool StretchEffect{};
    TbsStretchType StretchType{};
    QString FontName;
    qint32 FontHeight{};
    TFontStyles FontStyle;
    TColor FontColor{}, ActiveFontColor{}, FocusFontColor{}, MouseInFontColor{};
    QString UpDown;
    bool ShowFocus{};
    qint32 FocusOffsetX{}, FocusOffsetY{};
    TRect CloseButtonRect, CloseButtonActiveRect, CloseButtonDownRect;
    bool ButtonTransparent{};
    TColor ButtonTransparentColor{};
    TRect DividerRect;
    bool DividerTransparent{};
    TColor DividerTransparentColor{};
    TRect MDICloseRect, MDICloseActiveRect, MDICloseDownRect;
    TRect MDIRestoreRect, MDIRestoreActiveRect, MDIRestoreDownRect;
    TRect MDIMinRect, MDIMinActiveRect, MDIMinDownRect;
    bool MDIButtonsTransparent{};
    TColor MDIButtonsTransparentColor{};
    TRect TabLeftBottomActiveRect, TabLeftBottomFocusRect;
};

// The main menu bar: items area and the section names of its item and
// button object descriptors.
class TbsDataSkinMainMenuBar : public TbsKeyedSection<TbsDataSkinMainMenuBar, TbsDataSkinControl> {
public:
    explicit TbsDataSkinMainMenuBar(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinMainMenuBar>& Keys();

    TRect ItemsRect;
    QString MenuBarItem, CloseButton, MinButton, MaxButton, SysMenuButton;
    qint32 TrackMarkColor{}, TrackMarkActiveColor{};
    bool StretchEffect{}, ItemTransparent{};
};

// Bands of a control bar with their grips.
class TbsDataSkinControlBar
    : public TbsKeyedSection<TbsDataSkinControlBar, TbsDataSkinCustomControl> {
public:
    explicit TbsDataSkinControlBar(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinControlBar>& Keys();

    TRect ItemRect;
    qint32 BGPictureIndex{};
    TRect HGripRect, VGripRect;
    qint32 GripOffset1{}, GripOffset2{};
    qint32 ItemOffset1{}, ItemOffset2{};
    bool ItemStretchEffect{};
    bool ItemTransparent{};
    TColor ItemTransparentColor{};
    bool GripTransparent{};
    TColor GripTransparentColor{};
};

// An application menu: items, pages with their own font, gripper and top line.
class TbsDataSkinAppMenu : public TbsKeyedSection<TbsDataSkinAppMenu, TbsDataSkinCustomControl> {
public:
    explicit TbsDataSkinAppMenu(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinAppMenu>& Keys();

    qint32 BGPictureIndex{};
    bool BGStretchEffect{};
    TRect ItemRect, PageItemRect, PageItemActiveRect;
    qint32 ItemOffset1{}, ItemOffset2{};
    qint32 PageItemOffset1{}, PageItemOffset2{};
    qint32 PageOffset{};
    QString FontName;
    qint32 FontHeight{}, FontPageHeight{};
    TFontStyles FontStyle;
    TColor FontColor{}, DisabledFontColor{}, ActiveFontColor{};
    TColor FontPageColor{}, ActiveFontPageColor{};
    TRect GripperRect;
    TColor GripperTransparentColor{};
    TRect TopLineRect;
    qint32 TopLineOffset1{}, TopLineOffset2{};
};

// Font, background and expand glyphs of a tree view.
class TbsDataSkinTreeView : public TbsKeyedSection<TbsDataSkinTreeView, TbsDataSkinControl> {
public:
    explicit TbsDataSkinTreeView(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinTreeView>& Keys();

    QString FontName;
    qint32 FontHeight{};
    TFontStyles FontStyle;
    TColor FontColor{}, BGColor{};
    TRect ExpandImageRect, NoExpandImageRect;
};

// Font and background of a list view.
class TbsDataSkinListView : public TbsKeyedSection<TbsDataSkinListView, TbsDataSkinControl> {
public:
    explicit TbsDataSkinListView(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinListView>& Keys();

    QString FontName;
    qint32 FontHeight{};
    TFontStyles FontStyle;
    TColor FontColor{}, BGColor{};
};

// Font and background of a rich edit.
class TbsDataSkinRichEdit : public TbsKeyedSection<TbsDataSkinRichEdit, TbsDataSkinControl> {
public:
    explicit TbsDataSkinRichEdit(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinRichEdit>& Keys();

    QString FontName;
    qint32 FontHeight{};
    TFontStyles FontStyle;
    TColor FontColor{}, BGColor{};
};
