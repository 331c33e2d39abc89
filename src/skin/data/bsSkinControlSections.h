#pragma once

// The looks of skinned controls: one descriptor per entry of the skin's
// control list, read from and written to the section of the entry's name.
// The two bases and the simple controls live here.
//
// Field defaults live in each class's key table (Keys() in the .cpp), which
// its constructor applies; the {} below only value-initialise.

#include "bsSkinSection.h"

// Base of every control descriptor.
class TbsDataSkinControl : public TbsKeyedSection<TbsDataSkinControl, TbsSkinSection> {
public:
    explicit TbsDataSkinControl(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinControl>& Keys();

    qint32 PictureIndex{};
    qint32 MaskPictureIndex{};
    TRect SkinRect;
};

// The nine-part resize description most controls share: corners, edges
// and a middle cut out of SkinRect by the four inner corner points.
class TbsDataSkinCustomControl
    : public TbsKeyedSection<TbsDataSkinCustomControl, TbsDataSkinControl> {
public:
    explicit TbsDataSkinCustomControl(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinCustomControl>& Keys();

    TPoint LTPoint, RTPoint, LBPoint, RBPoint;
    TRect ClRect;
    bool LeftStretch{}, TopStretch{}, RightStretch{}, BottomStretch{};
    bool StretchEffect{};
    TbsStretchType StretchType{};
};

// A panel or group box.
class TbsDataSkinPanelControl
    : public TbsKeyedSection<TbsDataSkinPanelControl, TbsDataSkinCustomControl> {
public:
    explicit TbsDataSkinPanelControl(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinPanelControl>& Keys();

    qint32 BGPictureIndex{};
    TRect CaptionRect;
    TAlignment Alignment{};
    QString FontName;
    qint32 FontHeight{};
    TFontStyles FontStyle;
    TColor FontColor{};
    TRect CheckImageRect, UnCheckImageRect;
    TRect MarkFrameRect, FrameRect, FrameTextRect;
    qint32 FrameLeftOffset{}, FrameRightOffset{};
    TRect GripperRect;
    bool GripperTransparent{};
    TColor GripperTransparentColor{};
    TRect ButtonRect, ButtonActiveRect, ButtonDownRect;
    bool ButtonTransparent{};
    TColor ButtonTransparentColor{};
};

// A panel that rolls up horizontally or vertically.
class TbsDataSkinExPanelControl
    : public TbsKeyedSection<TbsDataSkinExPanelControl, TbsDataSkinCustomControl> {
public:
    explicit TbsDataSkinExPanelControl(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinExPanelControl>& Keys();

    TRect RollHSkinRect, RollVSkinRect;
    qint32 RollLeftOffset{}, RollRightOffset{}, RollTopOffset{}, RollBottomOffset{};
    TRect RollVCaptionRect, RollHCaptionRect;
    TRect CloseButtonRect, CloseButtonActiveRect, CloseButtonDownRect;
    TRect HRollButtonRect, HRollButtonActiveRect, HRollButtonDownRect;
    TRect HRestoreButtonRect, HRestoreButtonActiveRect, HRestoreButtonDownRect;
    TRect VRollButtonRect, VRollButtonActiveRect, VRollButtonDownRect;
    TRect VRestoreButtonRect, VRestoreButtonActiveRect, VRestoreButtonDownRect;
    TRect CaptionRect;
    QString FontName;
    qint32 FontHeight{};
    TFontStyles FontStyle;
    TColor FontColor{};
    bool ButtonsTransparent{};
    TColor ButtonsTransparentColor{};
};

// A push button.
class TbsDataSkinButtonControl
    : public TbsKeyedSection<TbsDataSkinButtonControl, TbsDataSkinCustomControl> {
public:
    explicit TbsDataSkinButtonControl(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinButtonControl>& Keys();

    QString FontName;
    qint32 FontHeight{};
    TFontStyles FontStyle;
    TColor FontColor{}, ActiveFontColor{}, DownFontColor{}, DisabledFontColor{};
    TRect ActiveSkinRect, DownSkinRect, FocusedSkinRect, DisabledSkinRect;
    bool Morphing{};
    TbsMorphKind MorphKind{};
    TRect AnimateSkinRect;
    qint32 FrameCount{};
    qint32 AnimateInterval{};
    bool ShowFocus{};
    TRect MenuMarkerFlatRect, MenuMarkerRect, MenuMarkerActiveRect, MenuMarkerDownRect;
    TColor MenuMarkerTransparentColor{};
    qint32 GlowLayerPictureIndex{}, GlowLayerMaskPictureIndex{};
    qint32 GlowLayerOffsetLeft{}, GlowLayerOffsetRight{};
    qint32 GlowLayerOffsetTop{}, GlowLayerOffsetBottom{};
    qint32 GlowLayerShowOffsetX{}, GlowLayerShowOffsetY{};
    qint32 GlowLayerAlphaBlendValue{};
};

// A button with a drop-down part.
class TbsDataSkinMenuButtonControl
    : public TbsKeyedSection<TbsDataSkinMenuButtonControl, TbsDataSkinButtonControl> {
public:
    explicit TbsDataSkinMenuButtonControl(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinMenuButtonControl>& Keys();

    TRect TrackButtonRect;
};

// Check box and radio button.
class TbsDataSkinCheckRadioControl
    : public TbsKeyedSection<TbsDataSkinCheckRadioControl, TbsDataSkinCustomControl> {
public:
    explicit TbsDataSkinCheckRadioControl(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinCheckRadioControl>& Keys();

    QString FontName;
    qint32 FontHeight{};
    TFontStyles FontStyle;
    TColor FontColor{}, FrameFontColor{}, ActiveFontColor{}, UnEnabledFontColor{};
    TRect ActiveSkinRect, CheckImageArea, TextArea;
    TRect CheckImageRect, UnCheckImageRect;
    TRect ActiveCheckImageRect, ActiveUnCheckImageRect;
    TRect UnEnabledCheckImageRect, UnEnabledUnCheckImageRect;
    TRect GrayedCheckImageRect, ActiveGrayedCheckImageRect;
    bool Morphing{};
    TbsMorphKind MorphKind{};
};

// A progress gauge.
class TbsDataSkinGaugeControl
    : public TbsKeyedSection<TbsDataSkinGaugeControl, TbsDataSkinCustomControl> {
public:
    explicit TbsDataSkinGaugeControl(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinGaugeControl>& Keys();

    TRect ProgressArea, ProgressRect;
    qint32 BeginOffset{}, EndOffset{};
    bool Vertical{};
    QString FontName;
    qint32 FontHeight{};
    TFontStyles FontStyle;
    TColor FontColor{};
    bool ProgressTransparent{};
    TColor ProgressTransparentColor{};
    bool ProgressStretch{};
    TRect AnimationSkinRect;
    qint32 AnimationCountFrames{}, AnimationTimerInterval{};
    TRect ProgressAnimationSkinRect;
    qint32 ProgressAnimationCountFrames{}, ProgressAnimationTimerInterval{};
    qint32 AnimationBeginOffset{}, AnimationEndOffset{};
};

// A splitter with a gripper image.
class TbsDataSkinSplitterControl
    : public TbsKeyedSection<TbsDataSkinSplitterControl, TbsDataSkinCustomControl> {
public:
    explicit TbsDataSkinSplitterControl(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinSplitterControl>& Keys();

    TRect GripperRect;
    bool GripperTransparent{};
    TColor GripperTransparentColor{};
};

// A track bar with its thumb.
class TbsDataSkinTrackBarControl
    : public TbsKeyedSection<TbsDataSkinTrackBarControl, TbsDataSkinCustomControl> {
public:
    explicit TbsDataSkinTrackBarControl(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinTrackBarControl>& Keys();

    TRect ActiveSkinRect, TrackArea, ButtonRect, ActiveButtonRect;
    bool Vertical{};
    bool ButtonTransparent{};
    TColor ButtonTransparentColor{};
};

// A label with a skinned background.
class TbsDataSkinLabelControl
    : public TbsKeyedSection<TbsDataSkinLabelControl, TbsDataSkinCustomControl> {
public:
    explicit TbsDataSkinLabelControl(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinLabelControl>& Keys();

    QString FontName;
    qint32 FontHeight{};
    TFontStyles FontStyle;
    TColor FontColor{};
};

// The font of plain labels.
class TbsDataSkinStdLabelControl
    : public TbsKeyedSection<TbsDataSkinStdLabelControl, TbsDataSkinControl> {
public:
    explicit TbsDataSkinStdLabelControl(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinStdLabelControl>& Keys();

    QString FontName;
    qint32 FontHeight{};
    TFontStyles FontStyle;
    TColor FontColor{}, ActiveFontColor{};
};

// Up and down buttons; the control has no client area, so ClRect is kept
// empty on load and on save.
class TbsDataSkinUpDownControl
    : public TbsKeyedSection<TbsDataSkinUpDownControl, TbsDataSkinCustomControl> {
public:
    explicit TbsDataSkinUpDownControl(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinUpDownControl>& Keys();

    void LoadFromFile(const IniFile& ini) override;
    void WriteKeys(IniFile& ini) override;

    TRect UpButtonRect, ActiveUpButtonRect, DownUpButtonRect;
    TRect DownButtonRect, ActiveDownButtonRect, DownDownButtonRect;
};

// A scroll box with a background picture.
class TbsDataSkinScrollBoxControl
    : public TbsKeyedSection<TbsDataSkinScrollBoxControl, TbsDataSkinCustomControl> {
public:
    explicit TbsDataSkinScrollBoxControl(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinScrollBoxControl>& Keys();

    qint32 BGPictureIndex{};
};

// The two colours of a bevel line.
class TbsDataSkinBevel : public TbsKeyedSection<TbsDataSkinBevel, TbsDataSkinControl> {
public:
    explicit TbsDataSkinBevel(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinBevel>& Keys();

    TColor LightColor{}, DarkColor{};
};

// Ruler and thumb images of a slider.
class TbsDataSkinSlider : public TbsKeyedSection<TbsDataSkinSlider, TbsDataSkinControl> {
public:
    explicit TbsDataSkinSlider(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinSlider>& Keys();

    TColor BGColor{};
    TRect HRulerRect, HThumbRect, VRulerRect, VThumbRect;
    qint32 EdgeSize{};
    TColor PointsColor{};
};
