#pragma once

// The four parts of a skin that it holds exactly once, each in a section of
// fixed name: the colour set, the popup-window frame, the layered frame and
// the hint window.

#include "bsSkinSection.h"
#include "bseffects.h"

#include <memory>

class TbsSkinData;

// Eight colours of the skin. Constructed all 0; a missing key reads as the
// system colour the field stands for.
class TbsSkinColors : public TbsKeyedSection<TbsSkinColors, TbsSkinSection> {
public:
    TbsSkinColors();
    static const TbsSkinKeys<TbsSkinColors>& Keys();

    void SetColorsToDefault() { ResetKeys(); }
    // Writes the keys without erasing the section first.
    void SaveToFile(IniFile& ini) override { WriteKeys(ini); }

    TColor cBtnFace() const { return FcBtnFace; }
    TColor cBtnText() const { return FcBtnText; }
    TColor cWindow() const { return FcWindow; }
    TColor cWindowText() const { return FcWindowText; }
    TColor cHighLight() const { return FcHighLight; }
    TColor cHighLightText() const { return FcHighLightText; }
    TColor cBtnHighLight() const { return FcBtnHighLight; }
    TColor cBtnShadow() const { return FcBtnShadow; }

    TColor FcBtnFace = 0, FcBtnText = 0, FcWindow = 0, FcWindowText = 0;
    TColor FcHighLight = 0, FcHighLightText = 0, FcBtnHighLight = 0, FcBtnShadow = 0;
};

// The frame of popup windows such as menus.
class TbsDataSkinPopupWindow : public TbsKeyedSection<TbsDataSkinPopupWindow, TbsSkinSection> {
public:
    TbsDataSkinPopupWindow();
    static const TbsSkinKeys<TbsDataSkinPopupWindow>& Keys();

    qint32 WindowPictureIndex = 0, MaskPictureIndex = 0;
    TPoint LTPoint, RTPoint, LBPoint, RBPoint;
    TRect ItemsRect;
    TColor ScrollMarkerColor = 0, ScrollMarkerActiveColor = 0;
    bool LeftStretch = false, RightStretch = false, TopStretch = false, BottomStretch = false;
    bool StretchEffect = false;
    TbsStretchType StretchType = bsstFull;
};

// The layered (per-pixel alpha) frame drawn around skinned windows. Its two
// source images are built from the skin's pictures, not stored in the text.
class TbsDataSkinLayerFrame : public TbsKeyedSection<TbsDataSkinLayerFrame, TbsSkinSection> {
public:
    TbsDataSkinLayerFrame();
    static const TbsSkinKeys<TbsDataSkinLayerFrame>& Keys();

    // Rebuilds FSourceBitmap and FSourceInActiveBitMap from the pictures the
    // indexes name; an image whose picture or mask is missing is none.
    void InitAlphaImages(const TbsSkinData& skinData);

    qint32 PictureIndex = 0, MaskPictureIndex = 0;
    qint32 InActivePictureIndex = 0, InActiveMaskPictureIndex = 0;
    TPoint LTPoint, RTPoint, LBPoint, RBPoint;
    TRect ClRect;
    qint32 AlphaBlendValue = 0, InActiveAlphaBlendValue = 0;
    TRect BorderRect;
    bool HitTestEnable = false, FullBorder = false;
    qint32 HitTestSize = 0;
    TRect CaptionRect;
    TPoint HitTestLTPoint, HitTestRTPoint, HitTestLBPoint, HitTestRBPoint;
    TRect ButtonsRect, SysMenuButtonRect;
    bool FullStretch = false;
    qint32 RollUpFormHeight = 0, ButtonsTopOffset = 0, SysButtonTopOffset = 0;
    qint32 BlurMaskPictureIndex = 0;
    TRect IntersectBlurMaskRect, ExcludeBlurMaskRect;
    qint32 LeftOffset = 0, TopOffset = 0, WidthOffset = 0, HeightOffset = 0;

    std::unique_ptr<TbsBitmap> FSourceBitmap;
    std::unique_ptr<TbsBitmap> FSourceInActiveBitMap;
};

// The hint window's frame and font.
class TbsDataSkinHintWindow : public TbsKeyedSection<TbsDataSkinHintWindow, TbsSkinSection> {
public:
    TbsDataSkinHintWindow();
    static const TbsSkinKeys<TbsDataSkinHintWindow>& Keys();

    qint32 WindowPictureIndex = 0, MaskPictureIndex = 0;
    TPoint LTPoint, RTPoint, LBPoint, RBPoint;
    TRect ClRect;
    QString FontName;
    qint32 FontHeight = 0;
    TFontStyles FontStyle;
    TColor FontColor = 0;
    bool LeftStretch = false, RightStretch = false, TopStretch = false, BottomStretch = false;
    bool StretchEffect = false;
    TbsStretchType StretchType = bsstFull;
};
