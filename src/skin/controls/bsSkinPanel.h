#pragma once

// The skinned panel: a container framed by a skin's "panel" section, with an
// optional caption strip carrying text, a glyph or a list image, a check box
// and a roll-up arrow. Without a skin it paints a plain 3-D look. The group
// box is the same control bound to "groupbox" with its caption shown.

#include "bsImageList.h"
#include "bsSkinControl.h"

#include <QImage>
#include <QPointer>
#include <QString>
#include <functional>
#include <vector>

enum TbsImagePosition { bsipDefault, bsipLeft };
enum TbsSkinBorderStyle { bvFrame, bvRaised, bvLowered, bvNone };
// 1 or 2 frames; the second is the disabled look.
using TbsSkinPanelNumGlyphs = int;

// The toolkit's size constraints; 0 means no limit.
struct TSizeConstraints {
    int MaxWidth = 0;
    int MinWidth = 0;
    int MaxHeight = 0;
    int MinHeight = 0;

    friend bool operator==(const TSizeConstraints&, const TSizeConstraints&) = default;
};

class TbsSkinPanel : public TbsSkinCustomControl {
    Q_OBJECT

public:
    explicit TbsSkinPanel(QWidget* parent = nullptr);
    ~TbsSkinPanel() override;

    bool UseSkinSize() const { return FUseSkinSize; }
    void SetUseSkinSize(bool value) { FUseSkinSize = value; }
    bool EmptyDrawing() const { return FEmptyDrawing; }
    void SetEmptyDrawing(bool value) { FEmptyDrawing = value; }
    bool RibbonStyle() const { return FRibbonStyle; }
    void SetRibbonStyle(bool value);
    TbsImagePosition ImagePosition() const { return FImagePosition; }
    void SetImagePosition(TbsImagePosition value);
    bool TransparentMode() const { return FTransparentMode; }
    void SetTransparentMode(bool value);
    bool CheckedMode() const { return FCheckedMode; }
    void SetCheckedMode(bool value);
    bool Checked() const { return FChecked; }
    void SetChecked(bool value);
    const QImage& Glyph() const { return FGlyph; }
    void SetGlyph(const QImage& value);
    TbsSkinPanelNumGlyphs NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(TbsSkinPanelNumGlyphs value);
    int Spacing() const { return FSpacing; }
    void SetSpacing(int value);
    int RealHeight() const { return FRealHeight; }
    bool RollUpState() const { return FRollUpState; }
    void SetRollUpState(bool value);
    bool RollUpMode() const { return FRollUpMode; }
    void SetRollUpMode(bool value);
    bool CaptionMode() const { return FCaptionMode; }
    virtual void SetCaptionMode(bool value);
    TbsSkinBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TbsSkinBorderStyle value);
    int DefaultCaptionHeight() const { return FDefaultCaptionHeight; }
    virtual void SetDefaultCaptionHeight(int value);
    TAlignment DefaultAlignment() const { return FDefaultAlignment; }
    void SetDefaultAlignment(TAlignment value);
    bool AutoEnabledControls() const { return FAutoEnabledControls; }
    void SetAutoEnabledControls(bool value) { FAutoEnabledControls = value; }
    TCustomImageList* CaptionImageList() const { return FCaptionImageList; }
    void SetCaptionImageList(TCustomImageList* value);
    int CaptionImageIndex() const { return FCaptionImageIndex; }
    void SetCaptionImageIndex(int value);
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& value);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool value) { FAutoSize = value; }
    TSizeConstraints Constraints() const;
    void SetConstraints(const TSizeConstraints& value);

    std::function<void(TbsSkinPanel*)> OnChecked;
    std::function<void(TbsSkinPanel*)> OnChangeRollUpState;

    // The area the children are aligned in, from (0, 0, Width, Height).
    void AdjustClientRect(TRect& R) const;
    void GetSkinClientRect(TRect& R) const;
    // Whether the control may take a new size to fit its contents.
    bool CanAutoSize(int& newWidth, int& newHeight) const;
    void DoRollUp(bool RollUp);
    // Renders the control into canvas at (X, Y).
    void PaintskinTo(TbsDC* canvas, int X, int Y);
    // The toolkit's re-alignment: children's area as contents margins.
    void Realign();
    // Moves and sizes the control as the base does; without a skin it also
    // repaints.
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);

    // Caption font and alignment copied from the skin.
    QString FontName;
    TFontStyles FontStyle;
    int FontHeight = 0;
    TColor FontColor = 0;
    TAlignment Alignment = taLeftJustify;
    // Relative to SkinRect.
    TRect CaptionRect;
    // Where the last composed caption went; the mouse handling tests it.
    TRect NewCaptionRect;
    TRect NewRollUpMarkerRect;
    int BGPictureIndex = -1;
    // Rectangles of the picture itself.
    TRect CheckImageRect, UnCheckImageRect;
    TRect MarkFrameRect, FrameRect;
    int FrameLeftOffset = 0, FrameRightOffset = 0;
    TRect FrameTextRect;

    void ReadSkinObject() override;
    void ChangeSkinData() override;
    // Repaints a transparent panel and passes the request on to its children.
    void CheckParentBackground() override;

protected:
    void PaintDefaultImage(TbsBitmap& B) override;
    void PaintSkinImage(TbsBitmap& B) override;
    void Paint(TbsDC* canvas) override;
    // Called by the transparent paints with their off-screen canvas just
    // before it is shown.
    virtual void PaintTransparentContent(TbsDC* canvas);
    void MouseUp(Qt::MouseButton button, int X, int Y);

    void mouseReleaseEvent(QMouseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Painting roads, one per look.
    void PaintSkinWithCaptionBand(TbsBitmap& B);
    void PaintTransparentFrame(TbsDC* canvas);
    void PaintTransparentGroupFrame(TbsDC* canvas);
    void PaintClientPart(TbsDC* canvas);
    void PaintBackgroundPicture(TbsDC* canvas);
    void PaintThroughBitmap(TbsDC* canvas, const std::function<void(TbsBitmap&)>& paint);
    void DrawSkinCaption(TbsBitmap& B);
    void DrawDefaultCaption(TbsDC* C, TRect R);
    // The skin's "stdlabel" font colour, else the skin's button text colour.
    TColor GetCaptionFontColor() const;
    // The skin's caption font, or the default font without UseSkinFont.
    TFont CaptionFont() const;
    int ContentWidth(TbsDC* C) const;

    // The caption's image: a list image, the glyph, or none.
    struct CaptionImage {
        enum Kind { None, ListImage, GlyphFrame } kind = None;
        int width = 0;
        int height = 0;
    };
    CaptionImage ChooseCaptionImage() const;
    void DrawCaptionImage(TbsDC* C, const CaptionImage& image, int X, int Y) const;

    // Stores value and repaints when it differs; answers whether it did.
    template <class T> bool ChangeAndRepaint(T& field, const T& value);
    void SetChildrenEnabled(bool enabled);
    void SaveConstraints();
    void RestoreConstraints();
    bool CaptionHit(int X, int Y) const;

    bool FUseSkinSize = true;
    bool FEmptyDrawing = false;
    bool FRibbonStyle = false;
    bool FInChangingRollUp = false;
    TbsImagePosition FImagePosition = bsipDefault;
    bool FTransparentMode = false;
    int FCMaxWidth = 0, FCMinWidth = 0, FCMaxHeight = 0, FCMinHeight = 0;
    bool FConstraintsSaved = false;
    bool FCheckedMode = false;
    bool FChecked = false;
    QImage FGlyph;
    TbsSkinPanelNumGlyphs FNumGlyphs = 1;
    int FSpacing = 2;
    int FRealHeight = -1;
    bool FRollUpState = false;
    bool FRollUpMode = false;
    bool FCaptionMode = false;
    TbsSkinBorderStyle FBorderStyle = bvFrame;
    int FDefaultCaptionHeight = 22;
    TAlignment FDefaultAlignment = taLeftJustify;
    bool FAutoEnabledControls = true;
    QPointer<TCustomImageList> FCaptionImageList;
    int FCaptionImageIndex = -1;
    QString FCaption;
    bool FAutoSize = false;
    // Children the roll-up hid; rolling down shows these only.
    std::vector<QPointer<QWidget>> FRolledUpChildren;
};

class TbsSkinGroupBox : public TbsSkinPanel {
    Q_OBJECT

public:
    explicit TbsSkinGroupBox(QWidget* parent = nullptr);

    void ReadSkinObject() override;
};
