#pragma once

// The looks of skinned controls: one descriptor per entry of the skin's
// control list, read from and written to the section of the entry's name.
// The two bases and the simple controls live here.

#include "bsSkinSection.h"

// Base of every control descriptor.
class TbsDataSkinControl : public TbsKeyedSection<TbsDataSkinControl, TbsSkinSection> {
public:
    explicit TbsDataSkinControl(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinControl>& Keys();

    qint32 PictureIndex = 0;
    qint32 MaskPictureIndex = 0;
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
    bool LeftStretch = false, TopStretch = false, RightStretch = false, BottomStretch = false;
    bool StretchEffect = false;
    TbsStretchType StretchType = bsstFull;
};

// A panel or group box.
class TbsDataSkinPanelControl
    : public TbsKeyedSection<TbsDataSkinPanelControl, TbsDataSkinCustomControl> {
public:
    explicit TbsDataSkinPanelControl(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinPanelControl>& Keys();

    qint32 BGPictureIndex = 0;
    TRect CaptionRect;
    TAlignment Alignment = taCenter;
    QString FontName;
    qint32 FontHeight = 0;
    TFontStyles FontStyle;
    TColor FontColor = 0;
    TRect CheckImageRect, UnCheckImageRect;
    TRect MarkFrameRect, FrameRect, FrameTextRect;
    qint32 FrameLeftOffset = 0, FrameRightOffset = 0;
    TRect GripperRect;
    bool GripperTransparent = false;
    TColor GripperTransparentColor = 0;
    TRect ButtonRect, ButtonActiveRect, ButtonDownRect;
    bool ButtonTransparent = false;
    TColor ButtonTransparentColor = 0;
};

// A panel that rolls up horizontally or vertically.
class TbsDataSkinExPanelControl
    : public TbsKeyedSection<TbsDataSkinExPanelControl, TbsDataSkinCustomControl> {
public:
    explicit TbsDataSkinExPanelControl(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinExPanelControl>& Keys();

    TRect RollHSkinRect, RollVSkinRect;
    qint32 RollLeftOffset = 0, RollRightOffset = 0, RollTopOffset = 0, RollBottomOffset = 0;
    TRect RollVCaptionRect, RollHCaptionRect;
    TRect CloseButtonRect, CloseButtonActiveRect, CloseButtonDownRect;
    TRect HRollButtonRect, HRollButtonActiveRect, HRollButtonDownRect;
    TRect HRestoreButtonRect, HRestoreButtonActiveRect, HRestoreButtonDownRect;
    TRect VRollButtonRect, VRollButtonActiveRect, VRollButtonDownRect;
    TRect VRestoreButtonRect, VRestoreButtonActiveRect, VRestoreButtonDownRect;
    TRect CaptionRect;
    QString FontName;
    qint32 FontHeight = 0;
    TFontStyles FontStyle;
    TColor FontColor = 0;
    bool ButtonsTransparent = false;
    TColor ButtonsTransparentColor = 0;
};

// A push button.
class TbsDataSkinButtonControl
    : public TbsKeyedSection<TbsDataSkinButtonControl, TbsDataSkinCustomControl> {
public:
    explicit TbsDataSkinButtonControl(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinButtonControl>& Keys();

    QString FontName;
    qint32 FontHeight = 0;
    TFontStyles FontStyle;
    TColor FontColor = 0, ActiveFontColor = 0, DownFontColor = 0, DisabledFontColor = 0;
    TRect ActiveSkinRect, DownSkinRect, FocusedSkinRect, DisabledSkinRect;
    bool Morphing = false;
    TbsMorphKind MorphKind = mkDefault;
    TRect AnimateSkinRect;
    qint32 FrameCount = 0;
    qint32 AnimateInterval = 0;
    bool ShowFocus = false;
    TRect MenuMarkerFlatRect, MenuMarkerRect, MenuMarkerActiveRect, MenuMarkerDownRect;
    TColor MenuMarkerTransparentColor = 0;
    qint32 GlowLayerPictureIndex = 0, GlowLayerMaskPictureIndex = 0;
    qint32 GlowLayerOffsetLeft = 0, GlowLayerOffsetRight = 0;
    qint32 GlowLayerOffsetTop = 0, GlowLayerOffsetBottom = 0;
    qint32 GlowLayerShowOffsetX = 0, GlowLayerShowOffsetY = 0;
    qint32 GlowLayerAlphaBlendValue = 0;
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
    qint32 FontHeight = 0;
    TFontStyles FontStyle;
    TColor FontColor = 0, FrameFontColor = 0, ActiveFontColor = 0, UnEnabledFontColor = 0;
    TRect ActiveSkinRect, CheckImageArea, TextArea;
    TRect CheckImageRect, UnCheckImageRect;
    TRect ActiveCheckImageRect, ActiveUnCheckImageRect;
    TRect UnEnabledCheckImageRect, UnEnabledUnCheckImageRect;
    TRect GrayedCheckImageRect, ActiveGrayedCheckImageRect;
    bool Morphing = false;
    TbsMorphKind MorphKind = mkDefault;
};

// A progress gauge.
class TbsDataSkinGaugeControl
    : public TbsKeyedSection<TbsDataSkinGaugeControl, TbsDataSkinCustomControl> {
public:
    explicit TbsDataSkinGaugeControl(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinGaugeControl>& Keys();

    TRect ProgressArea, ProgressRect;
    qint32 BeginOffset = 0, EndOffset = 0;
    bool Vertical = false;
    QString FontName;
    qint32 FontHeight = 0;
    TFontStyles FontStyle;
    TColor FontColor = 0;
    bool ProgressTransparent = false;
    TColor ProgressTransparentColor = 0;
    bool ProgressStretch = false;
    TRect AnimationSkinRect;
    qint32 AnimationCountFrames = 0, AnimationTimerInterval = 0;
    TRect ProgressAnimationSkinRect;
    qint32 ProgressAnimationCountFrames = 0, ProgressAnimationTimerInterval = 0;
    qint32 AnimationBeginOffset = 0, AnimationEndOffset = 0;
};

// A splitter with a gripper image.
class TbsDataSkinSplitterControl
    : public TbsKeyedSection<TbsDataSkinSplitterControl, TbsDataSkinCustomControl> {
public:
    explicit TbsDataSkinSplitterControl(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinSplitterControl>& Keys();

    TRect GripperRect;
    bool GripperTransparent = false;
    TColor GripperTransparentColor = 0;
};

// A track bar with its thumb.
class TbsDataSkinTrackBarControl
    : public TbsKeyedSection<TbsDataSkinTrackBarControl, TbsDataSkinCustomControl> {
public:
    explicit TbsDataSkinTrackBarControl(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinTrackBarControl>& Keys();

    TRect ActiveSkinRect, TrackArea, ButtonRect, ActiveButtonRect;
    bool Vertical = false;
    bool ButtonTransparent = false;
    TColor ButtonTransparentColor = 0;
};

// A label with a skinned background.
class TbsDataSkinLabelControl
    : public TbsKeyedSection<TbsDataSkinLabelControl, TbsDataSkinCustomControl> {
public:
    explicit TbsDataSkinLabelControl(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinLabelControl>& Keys();

    QString FontName;
    qint32 FontHeight = 0;
    TFontStyles FontStyle;
    TColor FontColor = 0;
};

// The font of plain labels.
class TbsDataSkinStdLabelControl
    : public TbsKeyedSection<TbsDataSkinStdLabelControl, TbsDataSkinControl> {
public:
    explicit TbsDataSkinStdLabelControl(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinStdLabelControl>& Keys();

    QString FontName;
    qint32 FontHeight = 0;
    TFontStyles FontStyle;
    TColor FontColor = 0, ActiveFontColor = 0;
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

    qint32 BGPictureIndex = 0;
};

// The two colours of a bevel line.
class TbsDataSkinBevel : public TbsKeyedSection<TbsDataSkinBevel, TbsDataSkinControl> {
public:
    explicit TbsDataSkinBevel(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinBevel>& Keys();

    TColor LightColor = 0, DarkColor = 0;
};

// Ruler and thumb images of a slider.
class TbsDataSkinSlider : public TbsKeyedSection<TbsDataSkinSlider, TbsDataSkinControl> {
public:
    explicit TbsDataSkinSlider(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinSlider>& Keys();

    TColor BGColor = 0;
    TRect HRulerRect, HThumbRect, VRulerRect, VThumbRect;
    qint32 EdgeSize = 0;
    TColor PointsColor = 0;
};
