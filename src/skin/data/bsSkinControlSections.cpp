#include "bsSkinControlSections.h"

TbsDataSkinControl::TbsDataSkinControl(const QString& idName) : TbsKeyedSection(idName)
{
    ResetKeys();
}

const TbsSkinKeys<TbsDataSkinControl>& TbsDataSkinControl::Keys()
{
    using C = TbsDataSkinControl;
    static const TbsSkinKeys<C> keys{
        {"pictureindex", &C::PictureIndex, -1},
        {"maskpictureindex", &C::MaskPictureIndex, -1},
        {"skinrect", &C::SkinRect},
    };
    return keys;
}

TbsDataSkinCustomControl::TbsDataSkinCustomControl(const QString& idName) : TbsKeyedSection(idName)
{
    ResetKeys();
}

const TbsSkinKeys<TbsDataSkinCustomControl>& TbsDataSkinCustomControl::Keys()
{
    using C = TbsDataSkinCustomControl;
    static const TbsSkinKeys<C> keys{
        {"lefttoppoint", &C::LTPoint},        {"righttoppoint", &C::RTPoint},
        {"leftbottompoint", &C::LBPoint},     {"rightbottompoint", &C::RBPoint},
        {"clientrect", &C::ClRect},           {"leftstretch", &C::LeftStretch},
        {"topstretch", &C::TopStretch},       {"rightstretch", &C::RightStretch},
        {"bottomstretch", &C::BottomStretch}, {"stretcheffect", &C::StretchEffect},
        {"stretchtype", &C::StretchType},
    };
    return keys;
}

TbsDataSkinPanelControl::TbsDataSkinPanelControl(const QString& idName) : TbsKeyedSection(idName)
{
    ResetKeys();
}

const TbsSkinKeys<TbsDataSkinPanelControl>& TbsDataSkinPanelControl::Keys()
{
    using C = TbsDataSkinPanelControl;
    static const TbsSkinKeys<C> keys{
        {"bgpictureindex", &C::BGPictureIndex, -1},
        {"captionrect", &C::CaptionRect},
        {"alignment", &C::Alignment, taCenter},
        {"fontname", &C::FontName, bsDefaultFontName},
        {"fontheight", &C::FontHeight, bsDefaultFontHeight},
        {"fontstyle", &C::FontStyle},
        {"fontcolor", &C::FontColor},
        {"checkimagerect", &C::CheckImageRect},
        {"uncheckimagerect", &C::UnCheckImageRect},
        {"markframerect", &C::MarkFrameRect},
        {"framerect", &C::FrameRect},
        {"frametextrect", &C::FrameTextRect},
        {"frameleftoffset", &C::FrameLeftOffset},
        {"framerightoffset", &C::FrameRightOffset},
        {"gripperrect", &C::GripperRect},
        {"grippertransparent", &C::GripperTransparent},
        {"grippertransparentcolor", &C::GripperTransparentColor},
        {"buttonrect", &C::ButtonRect},
        {"buttonactiverect", &C::ButtonActiveRect},
        {"buttondownrect", &C::ButtonDownRect},
        {"buttontransparent", &C::ButtonTransparent},
        {"buttontransparentcolor", &C::ButtonTransparentColor},
    };
    return keys;
}

TbsDataSkinExPanelControl::TbsDataSkinExPanelControl(const QString& idName)
    : TbsKeyedSection(idName)
{
    ResetKeys();
}

const TbsSkinKeys<TbsDataSkinExPanelControl>& TbsDataSkinExPanelControl::Keys()
{
    using C = TbsDataSkinExPanelControl;
    static const TbsSkinKeys<C> keys{
        {"rollhskinrect", &C::RollHSkinRect},
        {"rollvskinrect", &C::RollVSkinRect},
        {"rollleftoffset", &C::RollLeftOffset},
        {"rollrightoffset", &C::RollRightOffset},
        {"rolltopoffset", &C::RollTopOffset},
        {"rollbottomoffset", &C::RollBottomOffset},
        {"rollvcaptionrect", &C::RollVCaptionRect},
        {"rollhcaptionrect", &C::RollHCaptionRect},
        {"closebuttonrect", &C::CloseButtonRect},
        {"closebuttonactiverect", &C::CloseButtonActiveRect},
        {"closebuttondownrect", &C::CloseButtonDownRect},
        {"hrollbuttonrect", &C::HRollButtonRect},
        {"hrollbuttonactiverect", &C::HRollButtonActiveRect},
        {"hrollbuttondownrect", &C::HRollButtonDownRect},
        {"hrestorebuttonrect", &C::HRestoreButtonRect},
        {"hrestorebuttonactiverect", &C::HRestoreButtonActiveRect},
        {"hrestorebuttondownrect", &C::HRestoreButtonDownRect},
        {"vrollbuttonrect", &C::VRollButtonRect},
        {"vrollbuttonactiverect", &C::VRollButtonActiveRect},
        {"vrollbuttondownrect", &C::VRollButtonDownRect},
        {"vrestorebuttonrect", &C::VRestoreButtonRect},
        {"vrestorebuttonactiverect", &C::VRestoreButtonActiveRect},
        {"vrestorebuttondownrect", &C::VRestoreButtonDownRect},
        {"captionrect", &C::CaptionRect},
        {"fontname", &C::FontName, bsDefaultFontName},
        {"fontheight", &C::FontHeight, bsDefaultFontHeight},
        {"fontstyle", &C::FontStyle},
        {"fontcolor", &C::FontColor},
        {"buttonstransparent", &C::ButtonsTransparent},
        {"buttonstransparentcolor", &C::ButtonsTransparentColor},
    };
    return keys;
}

TbsDataSkinButtonControl::TbsDataSkinButtonControl(const QString& idName) : TbsKeyedSection(idName)
{
    ResetKeys();
}

const TbsSkinKeys<TbsDataSkinButtonControl>& TbsDataSkinButtonControl::Keys()
{
    using C = TbsDataSkinButtonControl;
    static const TbsSkinKeys<C> keys{
        {"fontname", &C::FontName, bsDefaultFontName},
        {"fontheight", &C::FontHeight, bsDefaultFontHeight},
        {"fontstyle", &C::FontStyle},
        {"fontcolor", &C::FontColor},
        {"activefontcolor", &C::ActiveFontColor},
        {"downfontcolor", &C::DownFontColor},
        {"disabledfontcolor", &C::DisabledFontColor},
        {"activeskinrect", &C::ActiveSkinRect},
        {"downskinrect", &C::DownSkinRect},
        {"focusedskinrect", &C::FocusedSkinRect},
        {"disabledskinrect", &C::DisabledSkinRect},
        {"morphing", &C::Morphing},
        {"morphkind", &C::MorphKind},
        {"animateskinrect", &C::AnimateSkinRect},
        {"framecount", &C::FrameCount},
        {"animateinterval", &C::AnimateInterval, 25},
        {"showfocus", &C::ShowFocus},
        {"menumarkerflatrect", &C::MenuMarkerFlatRect},
        {"menumarkerrect", &C::MenuMarkerRect},
        {"menumarkeractiverect", &C::MenuMarkerActiveRect},
        {"menumarkerdownrect", &C::MenuMarkerDownRect},
        {"menumarkertransparentcolor", &C::MenuMarkerTransparentColor},
        {"glowlayerpictureindex", &C::GlowLayerPictureIndex, -1},
        {"glowlayermaskpictureindex", &C::GlowLayerMaskPictureIndex, -1},
        {"glowlayeroffsetleft", &C::GlowLayerOffsetLeft},
        {"glowlayeroffsetright", &C::GlowLayerOffsetRight},
        {"glowlayeroffsettop", &C::GlowLayerOffsetTop},
        {"glowlayeroffsetbottom", &C::GlowLayerOffsetBottom},
        {"glowlayershowoffsetx", &C::GlowLayerShowOffsetX},
        {"glowlayershowoffsety", &C::GlowLayerShowOffsetY},
        {"glowlayeralphablendvalue", &C::GlowLayerAlphaBlendValue, 255},
    };
    return keys;
}

TbsDataSkinMenuButtonControl::TbsDataSkinMenuButtonControl(const QString& idName)
    : TbsKeyedSection(idName)
{
    ResetKeys();
}

const TbsSkinKeys<TbsDataSkinMenuButtonControl>& TbsDataSkinMenuButtonControl::Keys()
{
    using C = TbsDataSkinMenuButtonControl;
    static const TbsSkinKeys<C> keys{
        {"trackbuttonrect", &C::TrackButtonRect},
    };
    return keys;
}

TbsDataSkinCheckRadioControl::TbsDataSkinCheckRadioControl(const QString& idName)
    : TbsKeyedSection(idName)
{
    ResetKeys();
}

const TbsSkinKeys<TbsDataSkinCheckRadioControl>& TbsDataSkinCheckRadioControl::Keys()
{
    using C = TbsDataSkinCheckRadioControl;
    static const TbsSkinKeys<C> keys{
        {"fontname", &C::FontName, bsDefaultFontName},
        {"fontheight", &C::FontHeight, bsDefaultFontHeight},
        {"fontstyle", &C::FontStyle},
        {"fontcolor", &C::FontColor},
        {"framefontcolor", &C::FrameFontColor},
        {"activefontcolor", &C::ActiveFontColor},
        {"unenabledfontcolor", &C::UnEnabledFontColor},
        {"activeskinrect", &C::ActiveSkinRect},
        {"checkimagearea", &C::CheckImageArea},
        {"textarea", &C::TextArea},
        {"checkimagerect", &C::CheckImageRect},
        {"uncheckimagerect", &C::UnCheckImageRect},
        {"activecheckimagerect", &C::ActiveCheckImageRect},
        {"activeuncheckimagerect", &C::ActiveUnCheckImageRect},
        {"unenabledcheckimagerect", &C::UnEnabledCheckImageRect},
        {"unenableduncheckimagerect", &C::UnEnabledUnCheckImageRect},
        {"grayedcheckimagerect", &C::GrayedCheckImageRect},
        {"activegrayedcheckimagerect", &C::ActiveGrayedCheckImageRect},
        {"morphing", &C::Morphing},
        {"morphkind", &C::MorphKind},
    };
    return keys;
}

TbsDataSkinGaugeControl::TbsDataSkinGaugeControl(const QString& idName) : TbsKeyedSection(idName)
{
    ResetKeys();
}

const TbsSkinKeys<TbsDataSkinGaugeControl>& TbsDataSkinGaugeControl::Keys()
{
    using C = TbsDataSkinGaugeControl;
    static const TbsSkinKeys<C> keys{
        {"progressarea", &C::ProgressArea},
        {"progressrect", &C::ProgressRect},
        {"beginoffset", &C::BeginOffset},
        {"endoffset", &C::EndOffset},
        {"vertical", &C::Vertical},
        {"fontname", &C::FontName, bsDefaultFontName},
        {"fontheight", &C::FontHeight, bsDefaultFontHeight},
        {"fontstyle", &C::FontStyle},
        {"fontcolor", &C::FontColor},
        {"progresstransparent", &C::ProgressTransparent},
        {"progresstransparentcolor", &C::ProgressTransparentColor},
        {"progressstretch", &C::ProgressStretch},
        {"animationskinrect", &C::AnimationSkinRect},
        {"animationcountframes", &C::AnimationCountFrames},
        {"animationtimerinterval", &C::AnimationTimerInterval},
        {"progressanimationskinrect", &C::ProgressAnimationSkinRect},
        {"progressanimationcountframes", &C::ProgressAnimationCountFrames},
        {"progressanimationtimerinterval", &C::ProgressAnimationTimerInterval},
        {"animationbeginoffset", &C::AnimationBeginOffset},
        {"animationendoffset", &C::AnimationEndOffset},
    };
    return keys;
}

TbsDataSkinSplitterControl::TbsDataSkinSplitterControl(const QString& idName)
    : TbsKeyedSection(idName)
{
    ResetKeys();
}

const TbsSkinKeys<TbsDataSkinSplitterControl>& TbsDataSkinSplitterControl::Keys()
{
    using C = TbsDataSkinSplitterControl;
    static const TbsSkinKeys<C> keys{
        {"gripperrect", &C::GripperRect},
        {"grippertransparent", &C::GripperTransparent},
        {"grippertransparentcolor", &C::GripperTransparentColor},
    };
    return keys;
}

TbsDataSkinTrackBarControl::TbsDataSkinTrackBarControl(const QString& idName)
    : TbsKeyedSection(idName)
{
    ResetKeys();
}

const TbsSkinKeys<TbsDataSkinTrackBarControl>& TbsDataSkinTrackBarControl::Keys()
{
    using C = TbsDataSkinTrackBarControl;
    static const TbsSkinKeys<C> keys{
        {"activeskinrect", &C::ActiveSkinRect},
        {"trackarea", &C::TrackArea},
        {"buttonrect", &C::ButtonRect},
        {"activebuttonrect", &C::ActiveButtonRect},
        {"vertical", &C::Vertical},
        {"buttontransparent", &C::ButtonTransparent},
        {"buttontransparentcolor", &C::ButtonTransparentColor},
    };
    return keys;
}

TbsDataSkinLabelControl::TbsDataSkinLabelControl(const QString& idName) : TbsKeyedSection(idName)
{
    ResetKeys();
}

const TbsSkinKeys<TbsDataSkinLabelControl>& TbsDataSkinLabelControl::Keys()
{
    using C = TbsDataSkinLabelControl;
    static const TbsSkinKeys<C> keys{
        {"fontname", &C::FontName, bsDefaultFontName},
        {"fontheight", &C::FontHeight, bsDefaultFontHeight},
        {"fontstyle", &C::FontStyle},
        {"fontcolor", &C::FontColor},
    };
    return keys;
}

TbsDataSkinStdLabelControl::TbsDataSkinStdLabelControl(const QString& idName)
    : TbsKeyedSection(idName)
{
    ResetKeys();
}

const TbsSkinKeys<TbsDataSkinStdLabelControl>& TbsDataSkinStdLabelControl::Keys()
{
    using C = TbsDataSkinStdLabelControl;
    static const TbsSkinKeys<C> keys{
        {"fontname", &C::FontName, bsDefaultFontName},
        {"fontheight", &C::FontHeight, bsDefaultFontHeight},
        {"fontstyle", &C::FontStyle},
        {"fontcolor", &C::FontColor},
        {"activefontcolor", &C::ActiveFontColor, platform::clBlue},
    };
    return keys;
}

TbsDataSkinUpDownControl::TbsDataSkinUpDownControl(const QString& idName) : TbsKeyedSection(idName)
{
    ResetKeys();
}

const TbsSkinKeys<TbsDataSkinUpDownControl>& TbsDataSkinUpDownControl::Keys()
{
    using C = TbsDataSkinUpDownControl;
    static const TbsSkinKeys<C> keys{
        {"upbuttonrect", &C::UpButtonRect},
        {"activeupbuttonrect", &C::ActiveUpButtonRect},
        {"downupbuttonrect", &C::DownUpButtonRect},
        {"downbuttonrect", &C::DownButtonRect},
        {"activedownbuttonrect", &C::ActiveDownButtonRect},
        {"downdownbuttonrect", &C::DownDownButtonRect},
    };
    return keys;
}

void TbsDataSkinUpDownControl::LoadFromFile(const IniFile& ini)
{
    TbsKeyedSection::LoadFromFile(ini);
    ClRect = {};
}

void TbsDataSkinUpDownControl::WriteKeys(IniFile& ini)
{
    ClRect = {};
    TbsKeyedSection::WriteKeys(ini);
}

TbsDataSkinScrollBoxControl::TbsDataSkinScrollBoxControl(const QString& idName)
    : TbsKeyedSection(idName)
{
    ResetKeys();
}

const TbsSkinKeys<TbsDataSkinScrollBoxControl>& TbsDataSkinScrollBoxControl::Keys()
{
    using C = TbsDataSkinScrollBoxControl;
    static const TbsSkinKeys<C> keys{
        {"bgpictureindex", &C::BGPictureIndex, -1},
    };
    return keys;
}

TbsDataSkinBevel::TbsDataSkinBevel(const QString& idName) : TbsKeyedSection(idName)
{
    ResetKeys();
}

const TbsSkinKeys<TbsDataSkinBevel>& TbsDataSkinBevel::Keys()
{
    using C = TbsDataSkinBevel;
    static const TbsSkinKeys<C> keys{
        {"lightcolor", &C::LightColor},
        {"darkcolor", &C::DarkColor},
    };
    return keys;
}

TbsDataSkinSlider::TbsDataSkinSlider(const QString& idName) : TbsKeyedSection(idName)
{
    ResetKeys();
}

const TbsSkinKeys<TbsDataSkinSlider>& TbsDataSkinSlider::Keys()
{
    using C = TbsDataSkinSlider;
    static const TbsSkinKeys<C> keys{
        {"bgcolor", &C::BGColor},         {"hrulerrect", &C::HRulerRect},
        {"hthumbrect", &C::HThumbRect},   {"vrulerrect", &C::VRulerRect},
        {"vthumbrect", &C::VThumbRect},   {"edgesize", &C::EdgeSize},
        {"pointscolor", &C::PointsColor},
    };
    return keys;
}
