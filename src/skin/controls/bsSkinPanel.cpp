#include "bsSkinPanel.h"

#include "bsComponentState.h"
#include "bsImageList.h"
#include "bsSkinData.h"

#include <QLayout>
#include <QMouseEvent>

namespace {

int constraintToQt(int value, bool maximum)
{
    return value > 0 ? value : (maximum ? QWIDGETSIZE_MAX : 0);
}

int constraintFromQt(int value, bool maximum)
{
    return maximum && value >= QWIDGETSIZE_MAX ? 0 : value;
}

std::vector<QWidget*> childWidgets(const QWidget* parent)
{
    std::vector<QWidget*> children;
    for (QObject* object : parent->children()) {
        auto* child = qobject_cast<QWidget*>(object);
        if (child && !child->isWindow())
            children.push_back(child);
    }
    return children;
}

} // namespace

TbsSkinPanel::TbsSkinPanel(QWidget* parent) : TbsSkinCustomControl(parent)
{
    FForceBackground = true;
    NewClRect = TRect{};
    SetSkinDataName(QStringLiteral("panel"));
    resize(150, 150);
}

TbsSkinPanel::~TbsSkinPanel() = default;

// ---------------------------------------------------------------------------
// Properties.

template <class T> bool TbsSkinPanel::ChangeAndRepaint(T& field, const T& value)
{
    if (field == value)
        return false;
    field = value;
    repaint();
    return true;
}

void TbsSkinPanel::SetRibbonStyle(bool value)
{
    ChangeAndRepaint(FRibbonStyle, value);
}

void TbsSkinPanel::SetImagePosition(TbsImagePosition value)
{
    ChangeAndRepaint(FImagePosition, value);
}

void TbsSkinPanel::SetCaptionImageIndex(int value)
{
    ChangeAndRepaint(FCaptionImageIndex, value);
}

void TbsSkinPanel::SetTransparentMode(bool value)
{
    if (ChangeAndRepaint(FTransparentMode, value) && !IsDesigningOrLoading(this))
        CheckControlsBackground(this);
}

void TbsSkinPanel::SetCheckedMode(bool value)
{
    FCheckedMode = value;
    repaint();
}

void TbsSkinPanel::SetNumGlyphs(TbsSkinPanelNumGlyphs value)
{
    FNumGlyphs = qBound(1, value, 2);
    repaint();
}

void TbsSkinPanel::SetSpacing(int value)
{
    FSpacing = value;
    repaint();
}

void TbsSkinPanel::SetGlyph(const QImage& value)
{
    FGlyph = value;
    repaint();
}

void TbsSkinPanel::SetChecked(bool value)
{
    FChecked = value;
    if (FCheckedMode)
        repaint();
    if (FAutoEnabledControls && FCheckedMode)
        SetChildrenEnabled(FChecked);
    if (OnChecked)
        OnChecked(this);
}

void TbsSkinPanel::SetDefaultAlignment(TAlignment value)
{
    FDefaultAlignment = value;
    if (FIndex == -1 && FCaptionMode)
        repaint();
}

void TbsSkinPanel::SetRollUpMode(bool value)
{
    FRollUpMode = value;
    if (FIndex == -1 && FCaptionMode)
        repaint();
}

void TbsSkinPanel::SetBorderStyle(TbsSkinBorderStyle value)
{
    FBorderStyle = value;
    if (FIndex == -1) {
        repaint();
        Realign();
    }
}

void TbsSkinPanel::SetDefaultCaptionHeight(int value)
{
    FDefaultCaptionHeight = value;
    if (FIndex != -1 && FUseSkinSize)
        return;
    if (FCaptionMode) {
        repaint();
        Realign();
    }
}

void TbsSkinPanel::SetCaptionMode(bool value)
{
    FCaptionMode = value;
    repaint();
    Realign();
}

void TbsSkinPanel::SetCaptionImageList(TCustomImageList* value)
{
    FCaptionImageList = value;
}

void TbsSkinPanel::SetCaption(const QString& value)
{
    if (FCaption == value)
        return;
    FCaption = value;
    if (FCaptionMode)
        repaint();
}

TSizeConstraints TbsSkinPanel::Constraints() const
{
    return {constraintFromQt(maximumWidth(), true), constraintFromQt(minimumWidth(), false),
            constraintFromQt(maximumHeight(), true), constraintFromQt(minimumHeight(), false)};
}

void TbsSkinPanel::SetConstraints(const TSizeConstraints& value)
{
    setMaximumWidth(constraintToQt(value.MaxWidth, true));
    setMaximumHeight(constraintToQt(value.MaxHeight, true));
    setMinimumHeight(constraintToQt(value.MinHeight, false));
    setMinimumWidth(constraintToQt(value.MinWidth, false));
}

void TbsSkinPanel::SetChildrenEnabled(bool enabled)
{
    for (QWidget* child : childWidgets(this))
        child->setEnabled(enabled);
}

// ---------------------------------------------------------------------------
// Skin and layout.

void TbsSkinPanel::ReadSkinObject()
{
    TbsSkinCustomControl::ReadSkinObject();
    BGPictureIndex = -1;
    if (FIndex == -1)
        return;
    const auto* D =
        dynamic_cast<const TbsDataSkinPanelControl*>(SkinData()->CtrlList[size_t(FIndex)].get());
    if (!D)
        return;
    CaptionRect = D->CaptionRect;
    Alignment = D->Alignment;
    FontName = D->FontName;
    FontColor = D->FontColor;
    FontStyle = D->FontStyle;
    FontHeight = D->FontHeight;
    // A background picture the skin lacks is none, as other pictures are.
    BGPictureIndex =
        IsPictureIndex(SkinData()->FActivePictures, D->BGPictureIndex) ? D->BGPictureIndex : -1;
    CheckImageRect = D->CheckImageRect;
    UnCheckImageRect = D->UnCheckImageRect;
    MarkFrameRect = D->MarkFrameRect;
    FrameRect = D->FrameRect;
    FrameTextRect = D->FrameTextRect;
    FrameLeftOffset = D->FrameLeftOffset;
    FrameRightOffset = D->FrameRightOffset;
}

void TbsSkinPanel::ChangeSkinData()
{
    TbsSkinCustomControl::ChangeSkinData();
    if (!FRollUpState) {
        Realign();
        return;
    }
    // Fit the rolled-up height to the new skin, keeping the expanded height.
    const int saved = FRealHeight;
    FRealHeight = -1;
    DoRollUp(true);
    FRealHeight = saved;
}

void TbsSkinPanel::AdjustClientRect(TRect& R) const
{
    if (FEmptyDrawing)
        return;
    if (FIndex != -1 && !IsDesigning(this)) {
        const TRect S = R;
        if (BGPictureIndex == -1 && !(FBorderStyle == bvNone && !FCaptionMode && ResizeMode == 1))
            R = NewClRect;
        if (!FUseSkinSize && FCaptionMode) {
            if (FRibbonStyle)
                R.Bottom = S.Bottom - FDefaultCaptionHeight;
            else
                R.Top = S.Top + FDefaultCaptionHeight;
        }
        return;
    }
    if (FBorderStyle != bvNone)
        R = Rect(R.Left + 1, R.Top + 1, R.Right - 1, R.Bottom - 1);
    if (FCaptionMode) {
        if (FRibbonStyle)
            R.Bottom -= FDefaultCaptionHeight;
        else
            R.Top += FDefaultCaptionHeight;
    }
}

void TbsSkinPanel::GetSkinClientRect(TRect& R) const
{
    R = Rect(0, 0, width(), height());
    AdjustClientRect(R);
}

void TbsSkinPanel::Realign()
{
    TRect R;
    GetSkinClientRect(R);
    setContentsMargins(R.Left, R.Top, width() - R.Right, height() - R.Bottom);
    if (layout())
        layout()->activate();
}

void TbsSkinPanel::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    TbsSkinCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (FIndex == -1)
        repaint();
}

void TbsSkinPanel::resizeEvent(QResizeEvent* event)
{
    TbsSkinCustomControl::resizeEvent(event);
    Realign();
}

bool TbsSkinPanel::CanAutoSize(int&, int&) const
{
    return !(FRollUpMode && FInChangingRollUp && FAutoSize);
}

// ---------------------------------------------------------------------------
// Roll-up.

void TbsSkinPanel::SaveConstraints()
{
    if (FConstraintsSaved)
        return;
    const TSizeConstraints c = Constraints();
    FCMaxWidth = c.MaxWidth;
    FCMinWidth = c.MinWidth;
    FCMaxHeight = c.MaxHeight;
    FCMinHeight = c.MinHeight;
    FConstraintsSaved = true;
}

void TbsSkinPanel::RestoreConstraints()
{
    // Puts back only what a roll-up saved, never values it did not take.
    if (!FConstraintsSaved)
        return;
    SetConstraints({FCMaxWidth, FCMinWidth, FCMaxHeight, FCMinHeight});
    FConstraintsSaved = false;
}

void TbsSkinPanel::SetRollUpState(bool value)
{
    if (FRollUpState == value)
        return;
    if (!FRollUpMode) {
        // Switched off while rolled up: the panel still comes back down.
        FRollUpState = false;
        DoRollUp(false);
        RestoreConstraints();
        return;
    }
    // The constraints of the expanded panel are kept over the whole cycle
    // and come back once it is expanded again.
    SaveConstraints();
    SetConstraints({});
    FRollUpState = value;
    DoRollUp(value);
    if (!value)
        RestoreConstraints();
    if (OnChangeRollUpState)
        OnChangeRollUpState(this);
}

void TbsSkinPanel::DoRollUp(bool RollUp)
{
    FInChangingRollUp = true;
    if (RollUp && FRealHeight == -1) {
        FRealHeight = height();
        if (layout())
            layout()->setEnabled(false);
        FRolledUpChildren.clear();
        for (QWidget* child : childWidgets(this)) {
            if (child->isVisibleTo(this)) {
                FRolledUpChildren.emplace_back(child);
                child->setVisible(false);
            }
        }
        const int rolledHeight = FIndex != -1 && FUseSkinSize ? height() - RectHeight(NewClRect)
                                                              : FDefaultCaptionHeight + 1;
        SetBounds(x(), y(), width(), rolledHeight);
    } else if (!RollUp && FRealHeight != -1) {
        SetBounds(x(), y(), width(), FRealHeight);
        FRealHeight = -1;
        for (const QPointer<QWidget>& child : FRolledUpChildren)
            if (child)
                child->setVisible(true);
        FRolledUpChildren.clear();
        if (layout())
            layout()->setEnabled(true);
        Realign();
    }
    FInChangingRollUp = false;
}

// ---------------------------------------------------------------------------
// Events.

bool TbsSkinPanel::CaptionHit(int X, int Y) const
{
    const TPoint P = Point(X, Y);
    // Edges count, but an empty rectangle (a marker nothing fills, a caption
    // the skin lacks) holds no point, not even its corner.
    const auto holds = [&P](const TRect& R) { return !IsNullRect(R) && PointInRect(R, P); };
    if (FIndex != -1)
        return holds(NewCaptionRect) || holds(NewRollUpMarkerRect);
    return PointInRect(Rect(1, 1, width() - 1, FDefaultCaptionHeight), P);
}

void TbsSkinPanel::MouseUp(Qt::MouseButton button, int X, int Y)
{
    if (!(FRollUpMode || FCheckedMode))
        return;
    if (!FCaptionMode || button != Qt::LeftButton || !CaptionHit(X, Y))
        return;
    if (FCheckedMode)
        SetChecked(!FChecked);
    if (FRollUpMode)
        SetRollUpState(!FRollUpState);
}

void TbsSkinPanel::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    RunGuarded(this, [&] { MouseUp(event->button(), at.x(), at.y()); });
    TbsSkinCustomControl::mouseReleaseEvent(event);
}

void TbsSkinPanel::moveEvent(QMoveEvent* event)
{
    TbsSkinCustomControl::moveEvent(event);
    if (FTransparentMode) {
        repaint();
        CheckControlsBackground(this);
    }
}

void TbsSkinPanel::CheckParentBackground()
{
    // Runs down nested transparent panels.
    if (FTransparentMode) {
        repaint();
        CheckControlsBackground(this);
    }
}

void TbsSkinPanel::changeEvent(QEvent* event)
{
    TbsSkinCustomControl::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        repaint();
}

// ---------------------------------------------------------------------------

TbsSkinGroupBox::TbsSkinGroupBox(QWidget* parent) : TbsSkinPanel(parent)
{
    SetSkinDataName(QStringLiteral("groupbox"));
    SetCaptionMode(true);
}

void TbsSkinGroupBox::ReadSkinObject()
{
    TbsSkinPanel::ReadSkinObject();
    // A caption below the client part cannot be composed into the top strip.
    if (CaptionRect.Top > ClRect.Bottom)
        FForceBackground = false;
}
