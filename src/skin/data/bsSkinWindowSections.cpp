#include "bsSkinWindowSections.h"

#include "bsSkinData.h"

TbsSkinColors::TbsSkinColors() : TbsKeyedSection(QStringLiteral("SKINCOLORS")) {}

const TbsSkinKeys<TbsSkinColors>& TbsSkinColors::Keys()
{
    using C = TbsSkinColors;
    static const TbsSkinKeys<C> keys{
        {"cbtnface", &C::FcBtnFace, platform::clBtnFace},
        {"cbtntext", &C::FcBtnText, platform::clBtnText},
        {"cwindow", &C::FcWindow, platform::clWindow},
        {"cwindowtext", &C::FcWindowText, platform::clWindowText},
        {"chighlight", &C::FcHighLight, platform::clHighlight},
        {"chighlighttext", &C::FcHighLightText, platform::clHighlightText},
        {"cbtnhighlight", &C::FcBtnHighLight, platform::clBtnHighlight},
        {"cbtnshadow", &C::FcBtnShadow, platform::clBtnShadow},
    };
    return keys;
}

TbsDataSkinPopupWindow::TbsDataSkinPopupWindow() : TbsKeyedSection(QStringLiteral("POPUPWINDOW"))
{
    ResetKeys();
}

const TbsSkinKeys<TbsDataSkinPopupWindow>& TbsDataSkinPopupWindow::Keys()
{
    using C = TbsDataSkinPopupWindow;
    static const TbsSkinKeys<C> keys{
        {"windowpictureindex", &C::WindowPictureIndex, -1},
        {"maskpictureindex", &C::MaskPictureIndex, -1},
        {"lefttoppoint", &C::LTPoint},
        {"righttoppoint", &C::RTPoint},
        {"leftbottompoint", &C::LBPoint},
        {"rightbottompoint", &C::RBPoint},
        {"itemsrect", &C::ItemsRect},
        {"scrollmarkercolor", &C::ScrollMarkerColor},
        {"scrollmarkeractivecolor", &C::ScrollMarkerActiveColor},
        {"leftstretch", &C::LeftStretch},
        {"rightstretch", &C::RightStretch},
        {"topstretch", &C::TopStretch},
        {"bottomstretch", &C::BottomStretch},
        {"stretcheffect", &C::StretchEffect},
        {"stretchtype", &C::StretchType},
    };
    return keys;
}

TbsDataSkinLayerFrame::TbsDataSkinLayerFrame() : TbsKeyedSection(QStringLiteral("LAYERFRAME"))
{
    ResetKeys();
}

const TbsSkinKeys<TbsDataSkinLayerFrame>& TbsDataSkinLayerFrame::Keys()
{
    using C = TbsDataSkinLayerFrame;
    static const TbsSkinKeys<C> keys{
        {"pictureindex", &C::PictureIndex, -1},
        {"maskpictureindex", &C::MaskPictureIndex, -1},
        {"inactivepictureindex", &C::InActivePictureIndex, -1},
        {"inactivemaskpictureindex", &C::InActiveMaskPictureIndex, -1},
        {"lefttoppoint", &C::LTPoint},
        {"righttoppoint", &C::RTPoint},
        {"leftbottompoint", &C::LBPoint},
        {"rightbottompoint", &C::RBPoint},
        {"clientrect", &C::ClRect},
        {"alphablendvalue", &C::AlphaBlendValue, 255},
        {"inactivealphablendvalue", &C::InActiveAlphaBlendValue, 255},
        {"borderrect", &C::BorderRect},
        {"hittestenable", &C::HitTestEnable},
        {"fullborder", &C::FullBorder},
        {"hittestsize", &C::HitTestSize},
        {"captionrect", &C::CaptionRect},
        {"hittestlefttoppoint", &C::HitTestLTPoint},
        {"hittestrighttoppoint", &C::HitTestRTPoint},
        {"hittestleftbottompoint", &C::HitTestLBPoint},
        {"hittestrightbottompoint", &C::HitTestRBPoint},
        {"buttonsrect", &C::ButtonsRect},
        {"sysmenubuttonrect", &C::SysMenuButtonRect},
        {"fullstretch", &C::FullStretch},
        {"rollupformheight", &C::RollUpFormHeight},
        {"buttonstopoffset", &C::ButtonsTopOffset},
        {"sysbuttontopoffset", &C::SysButtonTopOffset},
        {"blurmaskpictureindex", &C::BlurMaskPictureIndex, -1},
        {"intersectblurmaskrect", &C::IntersectBlurMaskRect},
        {"excludeblurmaskrect", &C::ExcludeBlurMaskRect},
        {"leftoffset", &C::LeftOffset},
        {"topoffset", &C::TopOffset},
        {"widthoffset", &C::WidthOffset},
        {"heightoffset", &C::HeightOffset},
    };
    return keys;
}

void TbsDataSkinLayerFrame::InitAlphaImages(const TbsSkinData& skinData)
{
    const TbsPictureList& pictures = skinData.FActivePictures;
    FSourceBitmap = BuildLayerImage(pictures, PictureIndex, MaskPictureIndex);
    FSourceInActiveBitMap =
        BuildLayerImage(pictures, InActivePictureIndex, InActiveMaskPictureIndex);
}

TbsDataSkinHintWindow::TbsDataSkinHintWindow() : TbsKeyedSection(QStringLiteral("HINTWINDOW"))
{
    ResetKeys();
}

const TbsSkinKeys<TbsDataSkinHintWindow>& TbsDataSkinHintWindow::Keys()
{
    using C = TbsDataSkinHintWindow;
    static const TbsSkinKeys<C> keys{
        {"windowpictureindex", &C::WindowPictureIndex, -1},
        {"maskpictureindex", &C::MaskPictureIndex, -1},
        {"lefttoppoint", &C::LTPoint},
        {"righttoppoint", &C::RTPoint},
        {"leftbottompoint", &C::LBPoint},
        {"rightbottompoint", &C::RBPoint},
        {"clientrect", &C::ClRect},
        {"fontname", &C::FontName, bsDefaultFontName},
        {"fontheight", &C::FontHeight, bsDefaultFontHeight},
        {"fontstyle", &C::FontStyle},
        {"fontcolor", &C::FontColor},
        {"leftstretch", &C::LeftStretch},
        {"rightstretch", &C::RightStretch},
        {"topstretch", &C::TopStretch},
        {"bottomstretch", &C::BottomStretch},
        {"stretcheffect", &C::StretchEffect},
        {"stretchtype", &C::StretchType},
    };
    return keys;
}
