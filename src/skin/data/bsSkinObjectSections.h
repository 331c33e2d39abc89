#pragma once

// The pieces of a skinned window: caption buttons, captions, menu items,
// animations and free rectangles, one descriptor per entry of the skin's
// object list.

#include "bsSkinSection.h"
#include "bseffects.h"

#include <memory>

class TbsSkinData;

// Base of every object descriptor.
class TbsDataSkinObject : public TbsKeyedSection<TbsDataSkinObject, TbsSkinSection> {
public:
    explicit TbsDataSkinObject(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinObject>& Keys();

    // Builds the images kept ready for drawing; run after each load, once
    // the skin's layer frame is known.
    virtual void InitAlphaImages(const TbsSkinData& skinData) { Q_UNUSED(skinData); }

    QString Hint;
    qint32 ActivePictureIndex = 0, ActiveMaskPictureIndex = 0;
    bool SkinRectInAPicture = false;
    TRect SkinRect, ActiveSkinRect, InActiveSkinRect;
    bool Morphing = false;
    TbsMorphKind MorphKind = mkDefault;
    qint32 GlowLayerPictureIndex = 0, GlowLayerMaskPictureIndex = 0;
    qint32 GlowLayerOffsetX = 0, GlowLayerOffsetY = 0;
    qint32 GlowLayerAlphaBlendValue = 0;
};

// A button drawn on a skinned window, with four alpha images of its looks
// while the skin has a full layered border.
class TbsDataSkinButton : public TbsKeyedSection<TbsDataSkinButton, TbsDataSkinObject> {
public:
    explicit TbsDataSkinButton(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinButton>& Keys();

    void InitAlphaImages(const TbsSkinData& skinData) override;
    // image := rect of the active picture with its alpha from mask maskIndex
    // (opaque without one), or none.
    void InitAlphaImage(const TbsSkinData& skinData, std::unique_ptr<TbsBitmap>& image,
                        int maskIndex, const TRect& rect) const;

    TRect DownRect, DisableSkinRect;
    qint32 AlphaMaskPictureIndex = 0, AlphaMaskActivePictureIndex = 0;
    qint32 AlphaMaskInActivePictureIndex = 0;

    std::unique_ptr<TbsBitmap> FAlphaNormalImage;
    std::unique_ptr<TbsBitmap> FAlphaActiveImage;
    std::unique_ptr<TbsBitmap> FAlphaDownImage;
    std::unique_ptr<TbsBitmap> FAlphaInActiveImage;

protected:
    // Whether the skin's layer frame asks for alpha images at all.
    static bool WantsAlphaImages(const TbsSkinData& skinData);
};
