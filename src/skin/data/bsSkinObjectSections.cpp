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
