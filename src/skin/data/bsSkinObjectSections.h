#pragma once

// The pieces of a skinned window: caption buttons, captions, menu items,
// animations and free rectangles, one descriptor per entry of the skin's
// object list. Classes without keys of their own (the menu-bar button and
// item) exist so that the type they are listed and written with survives a
// load and save.
//
// Field defaults live in each class's key table (Keys() in the .cpp), which
// its constructor applies; the {} below only value-initialise.

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
    qint32 ActivePictureIndex{}, ActiveMaskPictureIndex{};
    bool SkinRectInAPicture{};
    TRect SkinRect, ActiveSkinRect, InActiveSkinRect;
    bool Morphing{};
    TbsMorphKind MorphKind{};
    qint32 GlowLayerPictureIndex{}, GlowLayerMaskPictureIndex{};
    qint32 GlowLayerOffsetX{}, GlowLayerOffsetY{};
    qint32 GlowLayerAlphaBlendValue{};
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
    qint32 AlphaMaskPictureIndex{}, AlphaMaskActivePictureIndex{};
    qint32 AlphaMaskInActivePictureIndex{};

    std::unique_ptr<TbsBitmap> FAlphaNormalImage;
    std::unique_ptr<TbsBitmap> FAlphaActiveImage;
    std::unique_ptr<TbsBitmap> FAlphaDownImage;
    std::unique_ptr<TbsBitmap> FAlphaInActiveImage;

protected:
    // Whether the skin's layer frame asks for alpha images at all.
    static bool WantsAlphaImages(const TbsSkinData& skinData);
};

// A named rectangle of the skin picture; its section holds nothing else, so
// the inherited fields keep their construction values.
class TbsDataUserObject : public TbsKeyedSection<TbsDataUserObject, TbsDataSkinObject> {
public:
    explicit TbsDataUserObject(const QString& idName);
    static const TbsSkinKeys<TbsDataUserObject>& Keys();

    void LoadFromFile(const IniFile& ini) override;
    void SaveToFile(IniFile& ini) override;
    void WriteKeys(IniFile& ini) override;
};

// A standard caption button (close, maximise, ...) with a second look that
// stands for "restore" while the window is maximised or rolled up.
class TbsDataSkinStdButton : public TbsKeyedSection<TbsDataSkinStdButton, TbsDataSkinButton> {
public:
    explicit TbsDataSkinStdButton(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinStdButton>& Keys();

    void LoadFromFile(const IniFile& ini) override;
    void InitAlphaImages(const TbsSkinData& skinData) override;

    TbsStdCommand Command{};
    TRect RestoreRect, RestoreActiveRect, RestoreDownRect, RestoreInActiveRect;
    QString RestoreHint;

    std::unique_ptr<TbsBitmap> FAlphaRestoreNormalImage;
    std::unique_ptr<TbsBitmap> FAlphaRestoreActiveImage;
    std::unique_ptr<TbsBitmap> FAlphaRestoreDownImage;
    std::unique_ptr<TbsBitmap> FAlphaInActiveRestoreImage;
};

class TbsDataSkinMainMenuBarButton : public TbsDataSkinStdButton {
public:
    using TbsDataSkinStdButton::TbsDataSkinStdButton;
};

// An animated caption element, optionally acting as a caption button.
class TbsDataSkinAnimate : public TbsKeyedSection<TbsDataSkinAnimate, TbsDataSkinObject> {
public:
    explicit TbsDataSkinAnimate(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinAnimate>& Keys();

    void LoadFromFile(const IniFile& ini) override;

    qint32 CountFrames{};
    bool Cycle{};
    bool ButtonStyle{};
    qint32 TimerInterval{};
    TbsStdCommand Command{};
    TRect DownSkinRect;
    TRect RestoreRect, RestoreActiveRect, RestoreDownRect, RestoreInActiveRect;
    QString RestoreHint;
};

// An item of a popup menu, with its divider and check, radio and submenu
// glyphs.
class TbsDataSkinMenuItem : public TbsKeyedSection<TbsDataSkinMenuItem, TbsDataSkinObject> {
public:
    explicit TbsDataSkinMenuItem(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinMenuItem>& Keys();

    // An active glyph without a look of its own uses the normal one.
    void LoadFromFile(const IniFile& ini) override;

    qint32 ItemLO{}, ItemRO{};
    TRect DividerRect;
    qint32 DividerLO{}, DividerRO{};
    TRect TextRct, ImageRct;
    QString FontName;
    qint32 FontHeight{};
    TFontStyles FontStyle;
    TColor FontColor{}, ActiveFontColor{}, UnEnabledFontColor{};
    bool StretchEffect{}, InActiveStretchEffect{}, DividerStretchEffect{};
    TRect AnimateSkinRect;
    qint32 FrameCount{}, AnimateInterval{};
    bool InActiveAnimation{};
    bool UseImageColor{};
    TColor ImageColor{}, ActiveImageColor{};
    bool InActiveTransparent{};
    TRect CheckImageRect, ActiveCheckImageRect;
    TRect RadioImageRect, ActiveRadioImageRect;
    TRect ArrowImageRect, ActiveArrowImageRect;
};

// An item of the main menu bar; listed only as TbsDataSkinMainMenuBarItem.
class TbsDataSkinMainMenuItem : public TbsKeyedSection<TbsDataSkinMainMenuItem, TbsDataSkinObject> {
public:
    explicit TbsDataSkinMainMenuItem(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinMainMenuItem>& Keys();

    qint32 ItemLO{}, ItemRO{};
    TRect DownRect, TextRct;
    QString FontName;
    qint32 FontHeight{};
    TFontStyles FontStyle;
    TColor FontColor{}, ActiveFontColor{}, DownFontColor{}, UnEnabledFontColor{};
    bool StretchEffect{};
    TRect AnimateSkinRect;
    qint32 FrameCount{}, AnimateInterval{};
    bool InActiveAnimation{};
};

class TbsDataSkinMainMenuBarItem : public TbsDataSkinMainMenuItem {
public:
    using TbsDataSkinMainMenuItem::TbsDataSkinMainMenuItem;
};

// The caption text area of a skinned window, with its light, shadow, glow
// and reflection effects.
class TbsDataSkinCaption : public TbsKeyedSection<TbsDataSkinCaption, TbsDataSkinObject> {
public:
    explicit TbsDataSkinCaption(const QString& idName);
    static const TbsSkinKeys<TbsDataSkinCaption>& Keys();

    TRect TextRct;
    QString FontName;
    qint32 FontHeight{};
    TFontStyles FontStyle;
    TColor FontColor{}, ActiveFontColor{};
    TAlignment Alignment{};
    bool Light{};
    TColor LightColor{}, ActiveLightColor{};
    bool Shadow{};
    TColor ShadowColor{}, ActiveShadowColor{};
    TRect FrameRect, ActiveFrameRect, FrameTextRect;
    qint32 FrameLeftOffset{}, FrameRightOffset{};
    bool StretchEffect{};
    TRect AnimateSkinRect;
    qint32 FrameCount{}, AnimateInterval{};
    bool InActiveAnimation{};
    bool FullFrame{};
    bool VistaGlowEffect{}, VistaGlowInActiveEffect{};
    bool GlowEffect{}, GlowInActiveEffect{};
    qint32 GlowSize{};
    TColor GlowColor{}, GlowActiveColor{};
    qint32 GlowOffset{};
    bool ReflectionEffect{};
    TColor ReflectionColor{}, ReflectionActiveColor{};
    qint32 ReflectionOffset{};
    TRect DividerRect, InActiveDividerRect;
    bool DividerTransparent{};
    TColor DividerTransparentColor{};
    qint32 QuickButtonAlphaMaskPictureIndex{};
};
