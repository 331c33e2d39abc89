#include "bsSkinControl.h"

#include "bsComponentState.h"

#include <QCoreApplication>
#include <QMoveEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QtDebug>

namespace {

// Keeps a flag set for the guard's life.
class FlagGuard {
public:
    explicit FlagGuard(bool& flag) : m_flag(flag), m_before(flag) { m_flag = true; }
    ~FlagGuard() { m_flag = m_before; }
    FlagGuard(const FlagGuard&) = delete;
    FlagGuard& operator=(const FlagGuard&) = delete;

private:
    bool& m_flag;
    bool m_before;
};

void notify(const TNotifyEvent& event, QObject* sender)
{
    if (event && !IsDesigning(sender))
        event(sender);
}

} // namespace

TColor ColorToRGB(TColor color)
{
    return platform::fromQColor(platform::toQColor(color));
}

QFont TFont::toQFont() const
{
    QFont font(Name);
    font.setStyleHint(QFont::SansSerif);
    font.setBold(Style.testFlag(fsBold));
    font.setItalic(Style.testFlag(fsItalic));
    font.setUnderline(Style.testFlag(fsUnderline));
    font.setStrikeOut(Style.testFlag(fsStrikeOut));
    return font;
}

void TFont::AssignTo(TbsDC* canvas) const
{
    canvas->SetFont(toQFont());
    canvas->SetFontHeight(Height);
    canvas->SetFontColor(ColorToRGB(Color));
}

bool RunGuarded(const QObject* control, const std::function<void()>& f)
{
    try {
        f();
        return true;
    } catch (const std::exception& e) {
        qWarning("%s: %s", control->metaObject()->className(), e.what());
    } catch (...) {
        qWarning("%s: unknown failure", control->metaObject()->className());
    }
    return false;
}

// ---------------------------------------------------------------------------

TbsSkinBindingControl::TbsSkinBindingControl(QWidget* parent) : QWidget(parent) {}

void TbsSkinBindingControl::SetSkinData(TbsSkinData* value)
{
    FSD = value;
    if (value && !value->Empty && !IsDesigning(this))
        ChangeSkinData();
}

void TbsSkinBindingControl::ReadSkinObject()
{
    FIndex = (!FSD || FSD->Empty) ? -1 : FSD->GetControlIndex(FSkinDataName);
}

void TbsSkinBindingControl::ChangeSkinData()
{
    ReadSkinObject();
    repaint();
}

void TbsSkinBindingControl::Paint(TbsDC* canvas)
{
    if (width() < 1 || height() < 1)
        return;
    ReadSkinObject();
    TbsBitmap B;
    B.SetSize(width(), height());
    if (FIndex == -1)
        PaintDefaultImage(B);
    else
        PaintSkinImage(B);
    B.Draw(canvas, 0, 0);
}

void TbsSkinBindingControl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    TbsDC canvas(&painter, size());
    RunGuarded(this, [&] { Paint(&canvas); });
}

void TbsSkinBindingControl::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    RunGuarded(this, [&] { notify(FOnMouseEnter, this); });
}

void TbsSkinBindingControl::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    RunGuarded(this, [&] { notify(FOnMouseLeave, this); });
}

// ---------------------------------------------------------------------------

TbsSkinControl::TbsSkinControl(QWidget* parent) : TbsSkinBindingControl(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

bool TbsSkinControl::event(QEvent* event)
{
    if (event->type() == bsCheckParentBgEvent) {
        RunGuarded(this, [&] { CheckParentBackground(); });
        return true;
    }
    return TbsSkinBindingControl::event(event);
}

void TbsSkinControl::paintEvent(QPaintEvent* event)
{
    FlagGuard painting(FromWMPaint);
    TbsSkinBindingControl::paintEvent(event);
}

// ---------------------------------------------------------------------------

TbsSkinCustomControl::TbsSkinCustomControl(QWidget* parent) : TbsSkinControl(parent) {}

void TbsSkinCustomControl::SetDefaultWidth(int value)
{
    FDefaultWidth = value;
    if (FIndex == -1 && value > 0)
        SetBounds(x(), y(), value, height());
}

void TbsSkinCustomControl::SetDefaultHeight(int value)
{
    FDefaultHeight = value;
    if (FIndex == -1 && value > 0)
        SetBounds(x(), y(), width(), value);
}

void TbsSkinCustomControl::SetDefaultFont(const TFont& value)
{
    FDefaultFont = value;
    DefaultFontChanged();
    if (FIndex == -1)
        repaint();
}

const TbsBitmap* TbsSkinCustomControl::ActivePicture(int index) const
{
    const TbsPictureList& pictures = FSD->FActivePictures;
    return IsPictureIndex(pictures, index) ? pictures[size_t(index)].get() : nullptr;
}

void TbsSkinCustomControl::ReadSkinObject()
{
    TbsSkinControl::ReadSkinObject();
    if (FIndex == -1) {
        // The pictures belong to a skin that may be gone by now.
        Picture = nullptr;
        MaskPicture = nullptr;
        return;
    }
    const auto* D = dynamic_cast<const TbsDataSkinCustomControl*>(FSD->CtrlList[FIndex].get());
    if (!D) {
        // No image of this kind: the default look at the control's own size.
        Picture = nullptr;
        MaskPicture = nullptr;
        ResizeMode = -1;
        return;
    }
    LTPt = D->LTPoint;
    RTPt = D->RTPoint;
    LBPt = D->LBPoint;
    RBPt = D->RBPoint;
    SkinRect = D->SkinRect;
    StretchEffect = D->StretchEffect;
    StretchType = D->StretchType;
    LeftStretch = D->LeftStretch;
    TopStretch = D->TopStretch;
    RightStretch = D->RightStretch;
    BottomStretch = D->BottomStretch;
    ClRect = D->ClRect;
    Picture = ActivePicture(D->PictureIndex);
    MaskPicture = ActivePicture(D->MaskPictureIndex);
    ResizeMode = GetResizeMode();
}

int TbsSkinCustomControl::GetResizeMode() const
{
    if (IsNullRect(SkinRect))
        return -1;
    if (RBPt.X != 0 && RBPt.Y != 0)
        return 1;
    if (RTPt.X != 0 || RTPt.Y != 0)
        return 2;
    if (LBPt.X != 0 || LBPt.Y != 0)
        return 3;
    return 0;
}

void TbsSkinCustomControl::CalcSize(int& W, int& H)
{
    if (ResizeMode >= 1) {
        const int dx = W - RectWidth(SkinRect);
        const int dy = H - RectHeight(SkinRect);
        NewLTPoint = LTPt;
        switch (ResizeMode) {
        case 1:
            NewRTPoint = Point(RTPt.X + dx, RTPt.Y);
            NewLBPoint = Point(LBPt.X, LBPt.Y + dy);
            NewRBPoint = Point(RBPt.X + dx, RBPt.Y + dy);
            NewClRect = Rect(ClRect.Left, ClRect.Top, ClRect.Right + dx, ClRect.Bottom + dy);
            break;
        case 2:
            H = RectHeight(SkinRect);
            NewRTPoint = Point(RTPt.X + dx, RTPt.Y);
            NewClRect = ClRect;
            NewClRect.Right += dx;
            break;
        case 3:
            W = RectWidth(SkinRect);
            NewLBPoint = Point(LBPt.X, LBPt.Y + dy);
            NewClRect = ClRect;
            NewClRect.Bottom += dy;
            break;
        default:
            break;
        }
    } else if (ResizeMode == 0 && FIndex != -1) {
        W = RectWidth(SkinRect);
        H = RectHeight(SkinRect);
        NewClRect = ClRect;
    }
}

void TbsSkinCustomControl::SetBounds(int left, int top, int width, int height)
{
    ReadSkinObject();
    ApplyBounds(left, top, width, height, width != this->width() || height != this->height());
}

void TbsSkinCustomControl::ApplyBounds(int left, int top, int width, int height, bool sizeChanged)
{
    const bool changed = sizeChanged && FIndex != -1;
    if (changed) {
        CalcSize(width, height);
        if (ResizeMode == 0)
            NewClRect = ClRect;
    }
    if (QRect(left, top, width, height) != geometry()) {
        FlagGuard applying(FApplyingBounds);
        setGeometry(left, top, width, height);
    }
    if (changed) {
        SetControlRegion();
        repaint();
    }
    CheckStretchedChildren();
}

void TbsSkinCustomControl::CheckStretchedChildren()
{
    if (FIndex != -1 && StretchEffect)
        CheckControlsBackground(this);
}

void TbsSkinCustomControl::resizeEvent(QResizeEvent* event)
{
    TbsSkinControl::resizeEvent(event);
    if (FApplyingBounds)
        return;
    // A resize that did not come through SetBounds still fits the skin.
    RunGuarded(this, [&] {
        ReadSkinObject();
        ApplyBounds(x(), y(), width(), height(), event->size() != event->oldSize());
    });
}

void TbsSkinCustomControl::moveEvent(QMoveEvent* event)
{
    TbsSkinControl::moveEvent(event);
    if (FApplyingBounds)
        return;
    // A move that did not come through SetBounds.
    RunGuarded(this, [this] {
        ReadSkinObject();
        CheckStretchedChildren();
    });
}

void TbsSkinCustomControl::ChangeSkinData()
{
    ReadSkinObject();
    int W = width();
    int H = height();
    bool resized = false;
    if (FIndex == -1) {
        if (FDefaultWidth > 0)
            SetBounds(x(), y(), FDefaultWidth, height());
        if (FDefaultHeight > 0)
            SetBounds(x(), y(), width(), FDefaultHeight);
    } else {
        CalcSize(W, H);
        resized = W != width() || H != height();
        if (W != width())
            SetBounds(x(), y(), W, height());
        if (H != height())
            SetBounds(x(), y(), width(), H);
    }
    if (!resized) {
        SetControlRegion();
        repaint();
    }
}

TbsSkinGeometry TbsSkinCustomControl::SkinGeometry() const
{
    TbsSkinGeometry g;
    g.LTPt = LTPt;
    g.RTPt = RTPt;
    g.LBPt = LBPt;
    g.RBPt = RBPt;
    g.CL = ClRect;
    g.NewLTPoint = NewLTPoint;
    g.NewRTPoint = NewRTPoint;
    g.NewLBPoint = NewLBPoint;
    g.NewRBPoint = NewRBPoint;
    g.NCL = NewClRect;
    g.Width = width();
    g.Height = height();
    return g;
}

TbsEdgeStretch TbsSkinCustomControl::EdgeStretch() const
{
    return {LeftStretch, TopStretch, RightStretch, BottomStretch};
}

void TbsSkinCustomControl::PaintDefaultImage(TbsBitmap& B)
{
    TbsDC* canvas = B.Canvas();
    canvas->SetBrushStyle(TbsBrushStyle::bsSolid);
    canvas->SetBrushColor(ColorToRGB(platform::clBtnFace));
    canvas->FillRect(Rect(0, 0, width(), height()));
}

void TbsSkinCustomControl::PaintSkinImage(TbsBitmap& B)
{
    if (!Picture) {
        PaintDefaultImage(B);
        return;
    }
    switch (ResizeMode) {
    case 0:
        B.SetSize(RectWidth(SkinRect), RectHeight(SkinRect));
        CopySkinRect(B, B.BoundsRect(), *Picture, SkinRect);
        break;
    case 1:
        if (!FForceBackground)
            CreateSkinImageClipped(SkinGeometry(), B, *Picture, SkinRect, true, EdgeStretch(),
                                   StretchEffect, StretchType);
        break;
    case 2:
        CreateHSkinImage(LTPt.X, RectWidth(SkinRect) - RTPt.X, B, *Picture, SkinRect, width(),
                         height(), StretchEffect);
        break;
    case 3:
        CreateVSkinImage(LTPt.Y, RectHeight(SkinRect) - LBPt.Y, B, *Picture, SkinRect, width(),
                         height(), StretchEffect);
        break;
    default:
        break;
    }
}

void TbsSkinCustomControl::Paint(TbsDC* canvas)
{
    if (width() <= 0 || height() <= 0)
        return;
    ReadSkinObject();
    int W = width();
    int H = height();
    CalcSize(W, H);
    if (FIndex == -1 || !FForceBackground || ResizeMode != 1 || !Picture) {
        TbsSkinControl::Paint(canvas);
        return;
    }
    TbsBitmap left, top, right, bottom;
    CreateSkinImageStretched(SkinGeometry(), left, top, right, bottom, *Picture, SkinRect,
                             EdgeStretch());
    PaintSkinImage(top);
    if (FDrawbackground)
        PaintClientBackground(canvas);
    top.Draw(canvas, 0, 0);
    left.Draw(canvas, 0, top.Height());
    right.Draw(canvas, width() - right.Width(), top.Height());
    bottom.Draw(canvas, 0, height() - bottom.Height());
}

void TbsSkinCustomControl::PaintClientBackground(TbsDC* canvas)
{
    const int CW = RectWidth(ClRect);
    const int CH = RectHeight(ClRect);
    if (CW < 1 || CH < 1)
        return; // nothing to tile
    TbsBitmap tile;
    tile.SetSize(CW, CH);
    const TRect client = Rect(SkinRect.Left + ClRect.Left, SkinRect.Top + ClRect.Top,
                              SkinRect.Left + ClRect.Right, SkinRect.Top + ClRect.Bottom);
    CopySkinRect(tile, tile.BoundsRect(), *Picture, client);
    const TbsSavedDC saved(canvas);
    canvas->IntersectClipRect(NewClRect);
    const TRect& ncl = NewClRect;
    if (!StretchEffect) {
        ForEachTile(RectHeight(ncl), CH, [&](int y, int) {
            ForEachTile(RectWidth(ncl), CW,
                        [&](int x, int) { tile.Draw(canvas, ncl.Left + x, ncl.Top + y); });
        });
        return;
    }
    if (IsNullRect(ncl))
        return;
    TbsBitmap band;
    switch (StretchType) {
    case bsstFull:
        tile.Draw(canvas, ncl);
        break;
    case bsstHorz:
        band.SetSize(CW, RectHeight(ncl));
        CopySkinRect(band, band.BoundsRect(), tile, tile.BoundsRect());
        ForEachTile(RectWidth(ncl), CW,
                    [&](int x, int) { band.Draw(canvas, ncl.Left + x, ncl.Top); });
        break;
    case bsstVert:
        band.SetSize(RectWidth(ncl), CH);
        CopySkinRect(band, band.BoundsRect(), tile, tile.BoundsRect());
        ForEachTile(RectHeight(ncl), CH,
                    [&](int y, int) { band.Draw(canvas, ncl.Left, ncl.Top + y); });
        break;
    }
}

void TbsSkinCustomControl::SetControlRegion()
{
    if (!parentWidget())
        return;
    if (!MaskPicture || FIndex == -1) {
        if (FRgn) {
            clearMask();
            FRgn.reset();
        }
        return;
    }
    CreateControlRegion();
}

void TbsSkinCustomControl::CreateControlRegion()
{
    int W = width();
    int H = height();
    CalcSize(W, H);
    TbsSkinGeometry g = SkinGeometry();
    switch (ResizeMode) {
    case 0:
        CreateRgnFromMask(FRgn, *MaskPicture);
        break;
    case 1:
        CreateSkinRegion(FRgn, g, *MaskPicture);
        break;
    case 2: {
        // The bottom corners taken equal to the top ones.
        const TPoint P = Point(RTPt.X + width() - RectWidth(SkinRect), RTPt.Y);
        g.LBPt = LTPt;
        g.RBPt = RTPt;
        g.NewLTPoint = g.NewLBPoint = LTPt;
        g.NewRTPoint = g.NewRBPoint = P;
        CreateSkinRegion(FRgn, g, *MaskPicture);
        break;
    }
    case 3: {
        // The right corners taken equal to the left ones.
        const TPoint P = Point(LBPt.X, LBPt.Y + height() - RectHeight(SkinRect));
        g.RTPt = LTPt;
        g.RBPt = LBPt;
        g.NewLTPoint = g.NewRTPoint = LTPt;
        g.NewLBPoint = g.NewRBPoint = P;
        CreateSkinRegion(FRgn, g, *MaskPicture);
        break;
    }
    default:
        return;
    }
    if (FRgn)
        setMask(*FRgn);
    else
        clearMask();
}

// ---------------------------------------------------------------------------

TbsGraphicSkinControl::TbsGraphicSkinControl(QWidget* parent) : TbsSkinBindingControl(parent)
{
    SetGraphicControl(this);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

// ---------------------------------------------------------------------------

void CheckControlsBackground(QWidget* control)
{
    for (QObject* object : control->children()) {
        auto* child = qobject_cast<QWidget*>(object);
        if (!child || child->isWindow())
            continue;
        QEvent check(bsCheckParentBgEvent);
        QCoreApplication::sendEvent(child, &check);
    }
}

TRect CalcObjectRect(const TbsSkinCustomControl& control, const TRect& rect)
{
    const TbsSkinCustomControl& c = control;
    const int sw = RectWidth(c.SkinRect);
    const int sh = RectHeight(c.SkinRect);
    const int dx = c.width() - sw;
    const int dy = c.height() - sh;
    TRect r = rect;
    const TPoint TL = r.TopLeft();
    const TPoint BR = Point(r.Right, r.Bottom);
    switch (c.ResizeMode) {
    case 1: {
        const TRect ZLT = Rect(0, 0, c.LTPt.X, c.LTPt.Y);
        const TRect ZRT = Rect(c.RTPt.X, 0, sw, c.RTPt.Y);
        const TRect ZLB = Rect(0, c.LBPt.Y, c.LBPt.X, sh);
        const TRect ZRB = Rect(c.RBPt.X, c.RBPt.Y, sw, sh);
        if (RectInRect(r, ZLT)) {
        } else if (RectInRect(r, ZRT)) {
            OffsetRect(r, dx, 0);
        } else if (RectInRect(r, ZLB)) {
            OffsetRect(r, 0, dy);
        } else if (RectInRect(r, ZRB)) {
            OffsetRect(r, dx, dy);
        } else if (PointInRect(ZLT, TL) && PointInRect(ZRB, BR)) {
            r.Right += dx;
            r.Bottom += dy;
        } else if (PointInRect(ZLT, TL) && PointInRect(ZRT, BR)) {
            r.Right += dx;
        } else if (PointInRect(ZLB, TL) && PointInRect(ZRB, BR)) {
            r.Right += dx;
            OffsetRect(r, 0, dy);
        } else if (PointInRect(ZLT, TL) && PointInRect(ZLB, BR)) {
            r.Bottom += dy;
        } else if (PointInRect(ZRT, TL) && PointInRect(ZRB, BR)) {
            OffsetRect(r, dx, 0);
            r.Bottom += dy;
        }
        break;
    }
    case 2:
        if (r.Left <= c.LTPt.X && r.Right >= c.RTPt.X)
            r.Right += dx;
        else if (r.Left >= c.RTPt.X && r.Right > c.RTPt.X)
            OffsetRect(r, dx, 0);
        break;
    case 3:
        if (r.Top <= c.LTPt.Y && r.Bottom >= c.LBPt.Y)
            r.Bottom += dy;
        else if (r.Top >= c.LBPt.Y && r.Bottom > c.LBPt.Y)
            OffsetRect(r, 0, dy);
        break;
    default:
        break;
    }
    return r;
}
