#pragma once

// The looks of list, edit, grid, menu-bar and tab controls. Several of them
// name other descriptors by their section name (a combo box's drop-down list,
// a list box's scroll bars, a tab control's up-down, the menu bar's items and
// buttons); the skinned control looks those up when it draws.

#include "bsSkinControlSections.h"

// Item images in three states, caption strip, buttons and scroll bars of a
// list box.
class TbsDataSkinListBox : public TbsKeyedSection<TbsDataSkinListBox, TbsDataSkinCustomControl> {
public:
    explicit TbsDataSkinListBox(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinListBox>& Keys();

    TRect SItemRect, ActiveItemRect, FocusItemRect;
    qint32 ItemLeftOffset = 0, ItemRightOffset = 0;
    TRect ItemTextRect;
    QString FontName;
    qint32 FontHeight = 0;
    TFontStyles FontStyle;
    TColor FontColor = 0, ActiveFontColor = 0, FocusFontColor = 0;
    TRect CaptionRect;
    QString CaptionFontName;
    qint32 CaptionFontHeight = 0;
    TFontStyles CaptionFontStyle;
    TColor CaptionFontColor = 0;
    TRect UpButtonRect, ActiveUpButtonRect, DownUpButtonRect;
    TRect DownButtonRect, ActiveDownButtonRect, DownDownButtonRect;
    TRect CheckButtonRect, ActiveCheckButtonRect, DownCheckButtonRect;
    QString VScrollBarName, HScrollBarName, BothScrollBarName;
    bool ShowFocus = false;
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
    qint32 ItemLeftOffset = 0, ItemRightOffset = 0;
    TRect ItemTextRect;
    QString FontName;
    qint32 FontHeight = 0;
    TFontStyles FontStyle;
    TColor FontColor = 0, FocusFontColor = 0, ActiveFontColor = 0;
    TRect ButtonRect, ActiveButtonRect, DownButtonRect, UnEnabledButtonRect;
    QString ListBoxName;
    bool ItemStretchEffect = false, FocusItemStretchEffect = false;
    bool ShowFocus = false;
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
    qint32 ThumbOffset1 = 0, ThumbOffset2 = 0;
    bool ThumbTransparent = false;
    TColor ThumbTransparentColor = 0;
    bool ThumbStretchEffect = false;
    qint32 ThumbMinSize = 0, ThumbMinPageSize = 0;
    TRect GlyphRect, ActiveGlyphRect, DownGlyphRect;
    bool GlyphTransparent = false;
    TColor GlyphTransparentColor = 0;
};

// A spin edit: font and up and down buttons.
class TbsDataSkinSpinEditControl
    : public TbsKeyedSection<TbsDataSkinSpinEditControl, TbsDataSkinCustomControl> {
public:
    explicit TbsDataSkinSpinEditControl(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinSpinEditControl>& Keys();

    TRect ActiveSkinRect;
    QString FontName;
    qint32 FontHeight = 0;
    TFontStyles FontStyle;
    TColor FontColor = 0, ActiveFontColor = 0, DisabledFontColor = 0;
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
    qint32 FontHeight = 0;
    TFontStyles FontStyle;
    TColor FontColor = 0, DisabledFontColor = 0, ActiveFontColor = 0;
    TRect ButtonRect, ActiveButtonRect, DownButtonRect, UnEnabledButtonRect;
};

// A multi-line edit with its background colours.
class TbsDataSkinMemoControl
    : public TbsKeyedSection<TbsDataSkinMemoControl, TbsDataSkinEditControl> {
public:
    explicit TbsDataSkinMemoControl(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinMemoControl>& Keys();

    TColor BGColor = 0, ActiveBGColor = 0;
};

// Cells of a grid, with the fonts of ordinary and fixed cells.
class TbsDataSkinGridControl : public TbsKeyedSection<TbsDataSkinGridControl, TbsDataSkinControl> {
public:
    explicit TbsDataSkinGridControl(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinGridControl>& Keys();

    TRect FixedCellRect, SelectCellRect, FocusCellRect;
    qint32 FixedCellLeftOffset = 0, FixedCellRightOffset = 0;
    TRect FixedCellTextRect;
    qint32 CellLeftOffset = 0, CellRightOffset = 0;
    TRect CellTextRect;
    TColor LinesColor = 0, BGColor = 0;
    qint32 BGPictureIndex = 0;
    QString FontName;
    qint32 FontHeight = 0;
    TFontStyles FontStyle;
    TColor FontColor = 0, SelectFontColor = 0, FocusFontColor = 0;
    QString FixedFontName;
    qint32 FixedFontHeight = 0;
    TFontStyles FixedFontStyle;
    TColor FixedFontColor = 0;
    bool CellStretchEffect = false, FixedCellStretchEffect = false;
    bool ShowFocus = false;
};

// Tabs in four states and the page frame, which carries its own nine-part
// description; UpDown names the up-down descriptor that scrolls the tabs.
class TbsDataSkinTabControl : public TbsKeyedSection<TbsDataSkinTabControl, TbsDataSkinControl> {
public:
    explicit TbsDataSkinTabControl(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinTabControl>& Keys();

    TRect TabRect, ActiveTabRect, FocusTabRect, MouseInTabRect;
    TRect ClRect;
    qint32 BGPictureIndex = 0;
    TPoint LTPoint, RTPoint, LBPoint, RBPoint;
    qint32 TabLeftOffset = 0, TabRightOffset = 0;
    TRect TabsBGRect;
    bool TabStretchEffect = false;
    bool LeftStretch = false, TopStretch = false, RightStretch = false, BottomStretch = false;
    bool StretchEffect = false;
    TbsStretchType StretchType = bsstFull;
    QString FontName;
    qint32 FontHeight = 0;
    TFontStyles FontStyle;
    TColor FontColor = 0, ActiveFontColor = 0, FocusFontColor = 0, MouseInFontColor = 0;
    QString UpDown;
    bool ShowFocus = false;
    qint32 FocusOffsetX = 0, FocusOffsetY = 0;
    TRect CloseButtonRect, CloseButtonActiveRect, CloseButtonDownRect;
    bool ButtonTransparent = false;
    TColor ButtonTransparentColor = 0;
    TRect DividerRect;
    bool DividerTransparent = false;
    TColor DividerTransparentColor = 0;
    TRect MDICloseRect, MDICloseActiveRect, MDICloseDownRect;
    TRect MDIRestoreRect, MDIRestoreActiveRect, MDIRestoreDownRect;
    TRect MDIMinRect, MDIMinActiveRect, MDIMinDownRect;
    bool MDIButtonsTransparent = false;
    TColor MDIButtonsTransparentColor = 0;
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
    qint32 TrackMarkColor = 0, TrackMarkActiveColor = 0;
    bool StretchEffect = false, ItemTransparent = false;
};

// Bands of a control bar with their grips.
class TbsDataSkinControlBar
    : public TbsKeyedSection<TbsDataSkinControlBar, TbsDataSkinCustomControl> {
public:
    explicit TbsDataSkinControlBar(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinControlBar>& Keys();

    TRect ItemRect;
    qint32 BGPictureIndex = 0;
    TRect HGripRect, VGripRect;
    qint32 GripOffset1 = 0, GripOffset2 = 0;
    qint32 ItemOffset1 = 0, ItemOffset2 = 0;
    bool ItemStretchEffect = false;
    bool ItemTransparent = false;
    TColor ItemTransparentColor = 0;
    bool GripTransparent = false;
    TColor GripTransparentColor = 0;
};

// An application menu: items, pages with their own font, gripper and top line.
class TbsDataSkinAppMenu : public TbsKeyedSection<TbsDataSkinAppMenu, TbsDataSkinCustomControl> {
public:
    explicit TbsDataSkinAppMenu(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinAppMenu>& Keys();

    qint32 BGPictureIndex = 0;
    bool BGStretchEffect = false;
    TRect ItemRect, PageItemRect, PageItemActiveRect;
    qint32 ItemOffset1 = 0, ItemOffset2 = 0;
    qint32 PageItemOffset1 = 0, PageItemOffset2 = 0;
    qint32 PageOffset = 0;
    QString FontName;
    qint32 FontHeight = 0, FontPageHeight = 0;
    TFontStyles FontStyle;
    TColor FontColor = 0, DisabledFontColor = 0, ActiveFontColor = 0;
    TColor FontPageColor = 0, ActiveFontPageColor = 0;
    TRect GripperRect;
    TColor GripperTransparentColor = 0;
    TRect TopLineRect;
    qint32 TopLineOffset1 = 0, TopLineOffset2 = 0;
};

// Font, background and expand glyphs of a tree view.
class TbsDataSkinTreeView : public TbsKeyedSection<TbsDataSkinTreeView, TbsDataSkinControl> {
public:
    explicit TbsDataSkinTreeView(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinTreeView>& Keys();

    QString FontName;
    qint32 FontHeight = 0;
    TFontStyles FontStyle;
    TColor FontColor = 0, BGColor = 0;
    TRect ExpandImageRect, NoExpandImageRect;
};

// Font and background of a list view.
class TbsDataSkinListView : public TbsKeyedSection<TbsDataSkinListView, TbsDataSkinControl> {
public:
    explicit TbsDataSkinListView(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinListView>& Keys();

    QString FontName;
    qint32 FontHeight = 0;
    TFontStyles FontStyle;
    TColor FontColor = 0, BGColor = 0;
};

// Font and background of a rich edit.
class TbsDataSkinRichEdit : public TbsKeyedSection<TbsDataSkinRichEdit, TbsDataSkinControl> {
public:
    explicit TbsDataSkinRichEdit(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinRichEdit>& Keys();

    QString FontName;
    qint32 FontHeight = 0;
    TFontStyles FontStyle;
    TColor FontColor = 0, BGColor = 0;
};
