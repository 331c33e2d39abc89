#include "bsSkinObjectSections.h"

#include "bsSkinData.h"

TbsDataSkinObject::TbsDataSkinObject(const QString& idName) : TbsKeyedSection(idName)
{
    ResetKeys();
}

const TbsSkinKeys<TbsDataSkinObject>& TbsDataSkinObject::Keys()
{
    using C = TbsDataSkinObject;
    static const TbsSkinKeys<C> keys{
        {"hint", &C::Hint},
        {"activepictureindex", &C::ActivePictureIndex, -1},
        {"activemaskpictureindex", &C::ActiveMaskPictureIndex, -1},
        {"skinrectinapicture", &C::SkinRectInAPicture},
        {"skinrect", &C::SkinRect},
        {"activeskinrect", &C::ActiveSkinRect},
        {"inactiveskinrect", &C::InActiveSkinRect},
        {"morphing", &C::Morphing},
        {"morphkind", &C::MorphKind},
        {"glowlayerpictureindex", &C::GlowLayerPictureIndex, -1},
        {"glowlayermaskpictureindex", &C::GlowLayerMaskPictureIndex, -1},
        {"glowlayeroffsetx", &C::GlowLayerOffsetX},
        {"glowlayeroffsety", &C::GlowLayerOffsetY},
        {"glowlayeralphablendvalue", &C::GlowLayerAlphaBlendValue, 255},
    };
    return keys;
}

TbsDataSkinButton::TbsDataSkinButton(const QString& idName) : TbsKeyedSection(idName)
{
    ResetKeys();
}

const TbsSkinKeys<TbsDataSkinButton>& TbsDataSkinButton::Keys()
{
    using C = TbsDataSkinButton;
    static const TbsSkinKeys<C> keys{
        {"downrect", &C::DownRect},
        {"disableskinrsect", &C::DisableSkinRect},
        {"alphamaskpictureindex", &C::AlphaMaskPictureIndex, -1},
        {"alphamaskactivepictureindex", &C::AlphaMaskActivePictureIndex, -1},
        {"alphamaskinactivepictureindex", &C::AlphaMaskInActivePictureIndex, -1},
    };
    return keys;
}

bool TbsDataSkinButton::WantsAlphaImages(const TbsSkinData& skinData)
{
    return IsPictureIndex(skinData.FActivePictures, skinData.LayerFrame.PictureIndex) &&
           skinData.LayerFrame.FullBorder;
}

void TbsDataSkinButton::InitAlphaImage(const TbsSkinData& skinData,
                                       std::unique_ptr<TbsBitmap>& image, int maskIndex,
                                       const TRect& rect) const
{
    image = BuildAlphaImage(skinData.FActivePictures, ActivePictureIndex, maskIndex, rect);
}

void TbsDataSkinButton::InitAlphaImages(const TbsSkinData& skinData)
{
    TbsKeyedSection::InitAlphaImages(skinData);
    if (!WantsAlphaImages(skinData)) {
        FAlphaNormalImage.reset();
        FAlphaActiveImage.reset();
        FAlphaDownImage.reset();
        FAlphaInActiveImage.reset();
        return;
    }
    // The pressed look shares the active look's mask.
    InitAlphaImage(skinData, FAlphaNormalImage, AlphaMaskPictureIndex, SkinRect);
    InitAlphaImage(skinData, FAlphaActiveImage, AlphaMaskActivePictureIndex, ActiveSkinRect);
    InitAlphaImage(skinData, FAlphaDownImage, AlphaMaskActivePictureIndex, DownRect);
    InitAlphaImage(skinData, FAlphaInActiveImage, AlphaMaskInActivePictureIndex, InActiveSkinRect);
}

namespace {

// A caption button that maximises, minimises or rolls up a window turns into
// its "Restore" button; a skin that names no hint for that look gets this one.
void ApplyRestoreHint(const QString& hint, TbsStdCommand command, QString& restoreHint)
{
    if (!restoreHint.isEmpty())
        return;
    const bool restores = (hint == u"Maximize" && command == cmMaximize) ||
                          (hint == u"Minimize" && command == cmMinimize) ||
                          ((hint == u"RollUp" || hint == u"Roll Up") && command == cmRollUp);
    if (restores)
        restoreHint = QStringLiteral("Restore");
}

void UseNormalLookWhenEmpty(TRect& activeRect, const TRect& normalRect)
{
    if (activeRect.Width() < 1 || activeRect.Height() < 1)
        activeRect = normalRect;
}

} // namespace

TbsDataUserObject::TbsDataUserObject(const QString& idName) : TbsKeyedSection(idName)
{
    ResetKeys();
}

const TbsSkinKeys<TbsDataUserObject>& TbsDataUserObject::Keys()
{
    using C = TbsDataUserObject;
    // The field is inherited, so its member pointer is named as this class's.
    static const TbsSkinKeys<C> keys{
        {"skinrect", static_cast<TRect C::*>(&C::SkinRect)},
    };
    return keys;
}

void TbsDataUserObject::LoadFromFile(const IniFile& ini)
{
    Keys().Load(*this, ini, IDName);
}

void TbsDataUserObject::SaveToFile(IniFile& ini)
{
    WriteKeys(ini);
}

void TbsDataUserObject::WriteKeys(IniFile& ini)
{
    Keys().Save(*this, ini, IDName);
}

TbsDataSkinStdButton::TbsDataSkinStdButton(const QString& idName) : TbsKeyedSection(idName)
{
    ResetKeys();
}

const TbsSkinKeys<TbsDataSkinStdButton>& TbsDataSkinStdButton::Keys()
{
    using C = TbsDataSkinStdButton;
    static const TbsSkinKeys<C> keys{
        {"command", &C::Command, cmDefault},
        {"restorerect", &C::RestoreRect},
        {"restoreactiverect", &C::RestoreActiveRect},
        {"restoredownrect", &C::RestoreDownRect},
        {"restoreinactiverect", &C::RestoreInActiveRect},
        {"restorehint", &C::RestoreHint},
    };
    return keys;
}

void TbsDataSkinStdButton::LoadFromFile(const IniFile& ini)
{
    TbsKeyedSection::LoadFromFile(ini);
    ApplyRestoreHint(Hint, Command, RestoreHint);
}

void TbsDataSkinStdButton::InitAlphaImages(const TbsSkinData& skinData)
{
    TbsKeyedSection::InitAlphaImages(skinData);
    if (!WantsAlphaImages(skinData)) {
        FAlphaRestoreNormalImage.reset();
        FAlphaRestoreActiveImage.reset();
        FAlphaRestoreDownImage.reset();
        FAlphaInActiveRestoreImage.reset();
        return;
    }
    InitAlphaImage(skinData, FAlphaRestoreNormalImage, AlphaMaskPictureIndex, RestoreRect);
    InitAlphaImage(skinData, FAlphaRestoreActiveImage, AlphaMaskActivePictureIndex,
                   RestoreActiveRect);
    InitAlphaImage(skinData, FAlphaRestoreDownImage, AlphaMaskActivePictureIndex, RestoreDownRect);
    InitAlphaImage(skinData, FAlphaInActiveRestoreImage, AlphaMaskInActivePictureIndex,
                   RestoreInActiveRect);
}

TbsDataSkinAnimate::TbsDataSkinAnimate(const QString& idName) : TbsKeyedSection(idName)
{
    ResetKeys();
}

const TbsSkinKeys<TbsDataSkinAnimate>& TbsDataSkinAnimate::Keys()
{
    using C = TbsDataSkinAnimate;
    static const TbsSkinKeys<C> keys{
        {"countframes", &C::CountFrames, 1},      {"cycle", &C::Cycle},
        {"buttonstyle", &C::ButtonStyle},         {"timerinterval", &C::TimerInterval, 50},
        {"command", &C::Command, cmDefault},      {"downskinrect", &C::DownSkinRect},
        {"restorerect", &C::RestoreRect},         {"restoreactiverect", &C::RestoreActiveRect},
        {"restoredownrect", &C::RestoreDownRect}, {"restoreinactiverect", &C::RestoreInActiveRect},
        {"restorehint", &C::RestoreHint},
    };
    return keys;
}

void TbsDataSkinAnimate::LoadFromFile(const IniFile& ini)
{
    TbsKeyedSection::LoadFromFile(ini);
    ApplyRestoreHint(Hint, Command, RestoreHint);
}

TbsDataSkinMenuItem::TbsDataSkinMenuItem(const QString& idName) : TbsKeyedSection(idName)
{
    ResetKeys();
}

const TbsSkinKeys<TbsDataSkinMenuItem>& TbsDataSkinMenuItem::Keys()
{
    using C = TbsDataSkinMenuItem;
    static const TbsSkinKeys<C> keys{
        {"itemleftoffset", &C::ItemLO},
        {"itemrightoffset", &C::ItemRO},
        {"dividerrect", &C::DividerRect},
        {"dividerleftoffset", &C::DividerLO},
        {"dividerrightoffset", &C::DividerRO},
        {"textrect", &C::TextRct},
        {"imagerect", &C::ImageRct},
        {"fontname", &C::FontName, bsDefaultFontName},
        {"fontheight", &C::FontHeight, bsDefaultFontHeight},
        {"fontstyle", &C::FontStyle},
        {"fontcolor", &C::FontColor},
        {"activefontcolor", &C::ActiveFontColor},
        {"unenabledfontcolor", &C::UnEnabledFontColor},
        {"stretcheffect", &C::StretchEffect},
        {"inactivestretcheffect", &C::InActiveStretchEffect},
        {"dividerstretcheffect", &C::DividerStretchEffect},
        {"animateskinrect", &C::AnimateSkinRect},
        {"framecount", &C::FrameCount},
        {"animateinterval", &C::AnimateInterval, 25},
        {"inactiveanimation", &C::InActiveAnimation},
        {"useimagecolor", &C::UseImageColor},
        {"imagecolor", &C::ImageColor},
        {"activeimagecolor", &C::ActiveImageColor},
        {"inactivetransparent", &C::InActiveTransparent},
        {"checkimagerect", &C::CheckImageRect},
        {"activecheckimagerect", &C::ActiveCheckImageRect},
        {"radioimagerect", &C::RadioImageRect},
        {"activeradioimagerect", &C::ActiveRadioImageRect},
        {"arrowimagerect", &C::ArrowImageRect},
        {"activearrowimagerect", &C::ActiveArrowImageRect},
    };
    return keys;
}

void TbsDataSkinMenuItem::LoadFromFile(const IniFile& ini)
{
    TbsKeyedSection::LoadFromFile(ini);
    UseNormalLookWhenEmpty(ActiveCheckImageRect, CheckImageRect);
    UseNormalLookWhenEmpty(ActiveRadioImageRect, RadioImageRect);
    UseNormalLookWhenEmpty(ActiveArrowImageRect, ArrowImageRect);
}

TbsDataSkinMainMenuItem::TbsDataSkinMainMenuItem(const QString& idName) : TbsKeyedSection(idName)
{
    ResetKeys();
}

const TbsSkinKeys<TbsDataSkinMainMenuItem>& TbsDataSkinMainMenuItem::Keys()
{
    using C = TbsDataSkinMainMenuItem;
    static const TbsSkinKeys<C> keys{
        {"itemleftoffset", &C::ItemLO},
        {"itemrightoffset", &C::ItemRO},
        {"downrect", &C::DownRect},
        {"textrect", &C::TextRct},
        {"fontname", &C::FontName, bsDefaultFontName},
        {"fontheight", &C::FontHeight, bsDefaultFontHeight},
        {"fontstyle", &C::FontStyle},
        {"fontcolor", &C::FontColor},
        {"activefontcolor", &C::ActiveFontColor},
        {"downfontcolor", &C::DownFontColor},
        // The capital C is how skins spell this one key.
        {"unenabledfontColor", &C::UnEnabledFontColor},
        {"stretcheffect", &C::StretchEffect},
        {"animateskinrect", &C::AnimateSkinRect},
        {"framecount", &C::FrameCount},
        {"animateinterval", &C::AnimateInterval, 25},
        {"inactiveanimation", &C::InActiveAnimation},
    };
    return keys;
}

TbsDataSkinCaption::TbsDataSkinCaption(const QString& idName) : TbsKeyedSection(idName)
{
    ResetKeys();
}

const TbsSkinKeys<TbsDataSkinCaption>& TbsDataSkinCaption::Keys()
{
    using C = TbsDataSkinCaption;
    static const TbsSkinKeys<C> keys{
        {"textrect", &C::TextRct},
        {"fontname", &C::FontName, bsDefaultFontName},
        {"fontheight", &C::FontHeight, bsDefaultFontHeight},
        {"fontstyle", &C::FontStyle},
        {"fontcolor", &C::FontColor},
        {"activefontcolor", &C::ActiveFontColor},
        {"alignment", &C::Alignment, taCenter},
        {"light", &C::Light},
        {"lightcolor", &C::LightColor},
        {"activelightcolor", &C::ActiveLightColor},
        {"shadow", &C::Shadow},
        {"shadowcolor", &C::ShadowColor},
        {"activeshadowcolor", &C::ActiveShadowColor},
        {"framerect", &C::FrameRect},
        {"activeframerect", &C::ActiveFrameRect},
        {"frametextrect", &C::FrameTextRect},
        {"frameleftoffset", &C::FrameLeftOffset},
        {"framerightoffset", &C::FrameRightOffset},
        {"stretcheffect", &C::StretchEffect},
        {"animateskinrect", &C::AnimateSkinRect},
        {"framecount", &C::FrameCount},
        {"animateinterval", &C::AnimateInterval, 25},
        {"inactiveanimation", &C::InActiveAnimation},
        {"fullframe", &C::FullFrame},
        {"vistagloweffect", &C::VistaGlowEffect},
        {"vistaglowinactiveeffect", &C::VistaGlowInActiveEffect},
        {"gloweffect", &C::GlowEffect},
        {"glowinactiveeffect", &C::GlowInActiveEffect},
        {"glowsize", &C::GlowSize, 3},
        {"glowcolor", &C::GlowColor},
        {"glowactivecolor", &C::GlowActiveColor},
        {"glowoffset", &C::GlowOffset},
        {"reflectioneffect", &C::ReflectionEffect},
        // "reflaction" is how skins spell the two colour keys.
        {"reflactioncolor", &C::ReflectionColor},
        {"reflactionactivecolor", &C::ReflectionActiveColor},
        {"reflectionoffset", &C::ReflectionOffset},
        {"dividerrect", &C::DividerRect},
        {"inactivedividerrect", &C::InActiveDividerRect},
        {"dividertransparent", &C::DividerTransparent},
        {"dividertransparentcolor", &C::DividerTransparentColor},
        {"quickbuttonalphamaskpictureindex", &C::QuickButtonAlphaMaskPictureIndex, -1},
    };
    return keys;
}
