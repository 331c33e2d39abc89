#pragma once

// The four parts of a skin that it holds exactly once, each in a section of
// fixed name: the colour set, the popup-window frame, the layered frame and
// the hint window.
//
// Field defaults live in each class's key table (Keys() in the .cpp), which
// its constructor applies (the colour set's table gives only what missing
// keys read as); the {} below only value-initialise.

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

    TColor FcBtnFace{}, FcBtnText{}, FcWindow{}, FcWindowText{};
    TColor FcHighLight{}, FcHighLightText{}, FcBtnHighLight{}, FcBtnShadow{};
};

// The frame of popup windows such as menus.
class TbsDataSkinPopupWindow : public TbsKeyedSection<TbsDataSkinPopupWindow, TbsSkinSection> {
public:
    TbsDataSkinPopupWindow();
    static const TbsSkinKeys<TbsDataSkinPopupWindow>& Keys();

    qint32 WindowPictureIndex{}, MaskPictureIndex{};
    TPoint LTPoint, RTPoint, LBPoint, RBPoint;
    TRect ItemsRect;
    TColor ScrollMarkerColor{}, ScrollMarkerActiveColor{};
    bool LeftStretch{}, RightStretch{}, TopStretch{}, BottomStretch{};
    bool StretchEffect{};
    TbsStretchType StretchType{};
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

    qint32 PictureIndex{}, MaskPictureIndex{};
    qint32 InActivePictureIndex{}, InActiveMaskPictureIndex{};
    TPoint LTPoint, RTPoint, LBPoint, RBPoint;
    TRect ClRect;
    qint32 AlphaBlendValue{}, InActiveAlphaBlendValue{};
    TRect BorderRect;
    bool HitTestEnable{}, FullBorder{};
    qint32 HitTestSize{};
    TRect CaptionRect;
    TPoint HitTestLTPoint, HitTestRTPoint, HitTestLBPoint, HitTestRBPoint;
    TRect ButtonsRect, SysMenuButtonRect;
    bool FullStretch{};
    qint32 RollUpFormHeight{}, ButtonsTopOffset{}, SysButtonTopOffset{};
    qint32 BlurMaskPictureIndex{};
    TRect IntersectBlurMaskRect, ExcludeBlurMaskRect;
    qint32 LeftOffset{}, TopOffset{}, WidthOffset{}, HeightOffset{};

    std::unique_ptr<TbsBitmap> FSourceBitmap;
    std::unique_ptr<TbsBitmap> FSourceInActiveBitMap;
};

// The hint window's frame and font.
class TbsDataSkinHintWindow : public TbsKeyedSection<TbsDataSkinHintWindow, TbsSkinSection> {
public:
    TbsDataSkinHintWindow();
    static const TbsSkinKeys<TbsDataSkinHintWindow>& Keys();

    qint32 WindowPictureIndex{}, MaskPictureIndex{};
    TPoint LTPoint, RTPoint, LBPoint, RBPoint;
    TRect ClRect;
    QString FontName;
    qint32 FontHeight{};
    TFontStyles FontStyle;
    TColor FontColor{};
    bool LeftStretch{}, RightStretch{}, TopStretch{}, BottomStretch{};
    bool StretchEffect{};
    TbsStretchType StretchType{};
};
