#pragma once

// The bases of every skinned control. A control is bound to a skin by the
// skin data component and the name of a control section in it; it looks its
// descriptor up by that name at every paint, resize and skin change, so a
// skin that is loaded, replaced or cleared shows at the next paint. Without
// skin data, with an empty skin or with a name the skin lacks it paints a
// plain default look.
//
// Qt widgets stand in for both kinds of the toolkit's controls: the windowed
// ones never erase their background (every paint covers them), the
// windowless ones are marked as graphic controls so that transparent
// siblings paint them into their background.

#include "bsSkinData.h"
#include "bsSkinImages.h"
#include "bsSkinRegions.h"
#include "bsUtils.h"

#include <QEvent>
#include <QIcon>
#include <QList>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <optional>

// Sent by a skinned control to its children when what lies beneath them may
// have changed; as a Qt event of its own type.
constexpr int WM_CHECKPARENTBG = 0x504;
inline const QEvent::Type bsCheckParentBgEvent = QEvent::Type(QEvent::User + WM_CHECKPARENTBG);

using TNotifyEvent = std::function<void(QObject* Sender)>;

// The RGB value of a toolkit colour; system colours are resolved, since the
// drawing context takes colour bytes as they are.
TColor ColorToRGB(TColor color);

// The toolkit's font as the skinned controls keep it. Height in pixels:
// negative for the characters' height, positive for the line's.
struct TFont {
    QString Name = QStringLiteral("Tahoma");
    int Height = 13;
    TFontStyles Style;
    TColor Color = platform::clWindowText;

    QFont toQFont() const;
    // Font, height and (resolved) colour of the canvas.
    void AssignTo(TbsDC* canvas) const;
    friend bool operator==(const TFont&, const TFont&) = default;
};

// Runs f; an exception it raises is reported as a warning naming the control
// instead of leaving a Qt event handler. Answers whether f completed.
bool RunGuarded(const QObject* control, const std::function<void()>& f);

// What windowed and windowless skinned controls share: the binding, the
// lookup and the paint through an off-screen bitmap.
class TbsSkinBindingControl : public QWidget {
    Q_OBJECT

public:
    explicit TbsSkinBindingControl(QWidget* parent = nullptr);

    TbsSkinData* SkinData() const { return FSD; }
    // Follows a loaded skin at once (ChangeSkinData) unless designed.
    virtual void SetSkinData(TbsSkinData* value);
    const QString& SkinDataName() const { return FSkinDataName; }
    // Only stores the name; the next paint looks it up.
    virtual void SetSkinDataName(const QString& value) { FSkinDataName = value; }

    const QString& HintTitle() const { return FHintTitle; }
    void SetHintTitle(const QString& value) { FHintTitle = value; }
    int HintImageIndex() const { return FHintImageIndex; }
    void SetHintImageIndex(int value) { FHintImageIndex = value; }
    const QList<QIcon>* HintImageList() const { return FHintImageList; }
    void SetHintImageList(const QList<QIcon>* value) { FHintImageList = value; }
    const TNotifyEvent& OnMouseEnter() const { return FOnMouseEnter; }
    void SetOnMouseEnter(TNotifyEvent value) { FOnMouseEnter = std::move(value); }
    const TNotifyEvent& OnMouseLeave() const { return FOnMouseLeave; }
    void SetOnMouseLeave(TNotifyEvent value) { FOnMouseLeave = std::move(value); }

    // FIndex := the descriptor's index in the skin's control list, -1 when
    // unskinned.
    virtual void ReadSkinObject();
    // ReadSkinObject, then an immediate repaint.
    virtual void ChangeSkinData();
    virtual void BeforeChangeSkinData() { FIndex = -1; }

    // Index of the control's descriptor in the skin data's CtrlList; -1 = unskinned.
    int FIndex = -1;

protected:
    // Default look and skin look drawn into the off-screen bitmap B.
    virtual void PaintDefaultImage(TbsBitmap& /*B*/) {}
    virtual void PaintSkinImage(TbsBitmap& /*B*/) {}
    // One off-screen bitmap of the control's size, drawn at (0, 0).
    virtual void Paint(TbsDC* canvas);

    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

    QPointer<TbsSkinData> FSD;
    QString FSkinDataName;
    TNotifyEvent FOnMouseEnter;
    TNotifyEvent FOnMouseLeave;
    QString FHintTitle;
    int FHintImageIndex = 0;
    const QList<QIcon>* FHintImageList = nullptr;
};

// The windowed base.
class TbsSkinControl : public TbsSkinBindingControl {
    Q_OBJECT

public:
    explicit TbsSkinControl(QWidget* parent = nullptr);

    virtual void AfterChangeSkinData() {}
    // Run by bsCheckParentBgEvent.
    virtual void CheckParentBackground() {}

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

    // True while the control runs its paint event.
    bool FromWMPaint = false;
    // The region last applied to the window; none = no region.
    std::optional<QRegion> FRgn;
};

// A windowed control with a resizable nine-part skin image, a window shaped
// by the skin's mask, and a default font and size for the unskinned look.
class TbsSkinCustomControl : public TbsSkinControl {
    Q_OBJECT

public:
    explicit TbsSkinCustomControl(QWidget* parent = nullptr);

    // With ResizeMode 1, paint by frame strips and a tiled client part.
    bool ForcebackGround() const { return FForceBackground; }
    void SetForcebackGround(bool value) { FForceBackground = value; }
    // In the frame-strip paint, paint the client part.
    bool DrawbackGround() const { return FDrawbackground; }
    void SetDrawbackGround(bool value) { FDrawbackground = value; }
    // Sizes applied while unskinned; 0 keeps the size.
    int DefaultWidth() const { return FDefaultWidth; }
    void SetDefaultWidth(int value);
    int DefaultHeight() const { return FDefaultHeight; }
    void SetDefaultHeight(int value);
    const TFont& DefaultFont() const { return FDefaultFont; }
    void SetDefaultFont(const TFont& value);
    bool UseSkinFont() const { return FUseSkinFont; }
    void SetUseSkinFont(bool value) { FUseSkinFont = value; }

    // The client part at the current size.
    const TRect& RealClientRect() const { return NewClRect; }
    int RealClientWidth() const { return RectWidth(NewClRect); }
    int RealClientHeight() const { return RectHeight(NewClRect); }
    int RealClientLeft() const { return NewClRect.Left; }
    int RealClientTop() const { return NewClRect.Top; }

    // Moves and sizes the control, fitting the size to the skin.
    void SetBounds(int left, int top, int width, int height);

    void ReadSkinObject() override;
    void ChangeSkinData() override;
    virtual void DefaultFontChanged() {}
    // The geometry for a wanted size; a fixed-size skin changes the size.
    virtual void CalcSize(int& W, int& H);
    // Shapes the window by the skin's mask, or removes its shape.
    virtual void SetControlRegion();

    // The skin geometry and stretch flags in the form the image builders take.
    TbsSkinGeometry SkinGeometry() const;
    TbsEdgeStretch EdgeStretch() const;

protected:
    void Paint(TbsDC* canvas) override;
    void PaintDefaultImage(TbsBitmap& B) override;
    void PaintSkinImage(TbsBitmap& B) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

    bool FForceBackground = false;
    bool FDrawbackground = true;
    int FDefaultWidth = 0;
    int FDefaultHeight = 0;
    TFont FDefaultFont;
    bool FUseSkinFont = true;
    TPoint LTPt, RTPt, LBPt, RBPt;
    TRect SkinRect;
    TRect ClRect;
    TPoint NewLTPoint, NewRTPoint, NewLBPoint, NewRBPoint;
    TRect NewClRect;
    // The skin data's active pictures, not owned; none when absent.
    const TbsBitmap* Picture = nullptr;
    const TbsBitmap* MaskPicture = nullptr;
    // -1 no image, 0 fixed size, 1 both ways, 2 width only, 3 height only.
    int ResizeMode = 0;
    bool StretchEffect = false;
    TbsStretchType StretchType = bsstFull;
    bool LeftStretch = false;
    bool TopStretch = false;
    bool RightStretch = false;
    bool BottomStretch = false;

private:
    int GetResizeMode() const;
    const TbsBitmap* ActivePicture(int index) const;
    void ApplyBounds(int left, int top, int width, int height, bool sizeChanged);
    // A stretched skin shows differently under the children wherever the
    // control goes, so they are told to refresh their background.
    void CheckStretchedChildren();
    void CreateControlRegion();
    void PaintClientBackground(TbsDC* canvas);

    bool FApplyingBounds = false;

    friend TRect CalcObjectRect(const TbsSkinCustomControl& control, const TRect& rect);
};

// The windowless base.
class TbsGraphicSkinControl : public TbsSkinBindingControl {
    Q_OBJECT

public:
    explicit TbsGraphicSkinControl(QWidget* parent = nullptr);
};

// Sends bsCheckParentBgEvent to every child widget of control, one level deep.
void CheckControlsBackground(QWidget* control);
// rect, given in the control's skin image relative to SkinRect, mapped to the
// control's current size.
TRect CalcObjectRect(const TbsSkinCustomControl& control, const TRect& rect);
