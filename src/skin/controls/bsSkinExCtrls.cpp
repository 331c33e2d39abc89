#include "bsSkinExCtrls.h"

#include "bsComponentState.h"
#include "bsGlowText.h"

#include <QEvent>
#include <QImage>
#include <QKeySequence>
#include <QPainter>
#include <QShortcut>

namespace {

unsigned alignmentFlag(TAlignment alignment)
{
    switch (alignment) {
    case taRightJustify:
        return DT_RIGHT;
    case taCenter:
        return DT_CENTER;
    default:
        return DT_LEFT;
    }
}

unsigned wordWrapFlag(bool wordWrap)
{
    return wordWrap ? unsigned(DT_WORDBREAK) : 0u;
}

bool canFocus(const QWidget* control)
{
    return control->isEnabled() && control->isVisible() && control->focusPolicy() != Qt::NoFocus;
}

} // namespace

TbsSkinVistaGlowLabel::TbsSkinVistaGlowLabel(QWidget* parent) : TbsGraphicSkinControl(parent)
{
    resize(65, 17);
    // What the parent paints below shows through.
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    FAccelerator = new QShortcut(this);
    connect(FAccelerator, &QShortcut::activated, this,
            [this] { RunGuarded(this, [this] { FocusByAccelerator(); }); });
    UpdateAccelerator();
}

void TbsSkinVistaGlowLabel::setCaption(const QString& value)
{
    if (value == FCaption)
        return;
    FCaption = value;
    UpdateAccelerator();
    TextChanged();
}

void TbsSkinVistaGlowLabel::setAutoSize(bool value)
{
    FAutoSize = value;
    AdjustBounds();
}

void TbsSkinVistaGlowLabel::setLayout(TTextLayout value)
{
    FLayout = value;
    repaint();
}

void TbsSkinVistaGlowLabel::setAlignment(TAlignment value)
{
    FAlignment = value;
    repaint();
}

void TbsSkinVistaGlowLabel::setFocusControl(QWidget* value)
{
    disconnect(FFocusControlGone);
    FFocusControl = value;
    if (value)
        FFocusControlGone =
            connect(value, &QObject::destroyed, this, [this] { setFocusControl(nullptr); });
    UpdateAccelerator();
}

void TbsSkinVistaGlowLabel::setShowAccelChar(bool value)
{
    FShowAccelChar = value;
    UpdateAccelerator();
    repaint();
}

void TbsSkinVistaGlowLabel::setWordWrap(bool value)
{
    FWordWrap = value;
    AdjustBounds();
    repaint();
}

void TbsSkinVistaGlowLabel::setDoubleBuffered(bool value)
{
    FDoubleBuffered = value;
    setAttribute(Qt::WA_OpaquePaintEvent, value);
}

void TbsSkinVistaGlowLabel::setGlowColor(TColor value)
{
    FGlowColor = value;
    repaint();
}

void TbsSkinVistaGlowLabel::Loaded()
{
    AdjustBounds();
}

void TbsSkinVistaGlowLabel::ChangeSkinData()
{
    TbsGraphicSkinControl::ChangeSkinData();
    if (FSD && !FSD->Empty) {
        FGlowColor = FSD->SkinColors().cHighLight();
        repaint();
    }
}

void TbsSkinVistaGlowLabel::TextChanged()
{
    AdjustBounds();
    repaint();
}

unsigned TbsSkinVistaGlowLabel::DrawTextBiDiModeFlags(unsigned flags) const
{
    if (!isRightToLeft())
        return flags;
    if (flags & DT_RIGHT)
        return flags & ~DT_RIGHT;
    return (flags & DT_CENTER) ? flags : flags | DT_RIGHT;
}

unsigned TbsSkinVistaGlowLabel::TextFlags() const
{
    unsigned flags = wordWrapFlag(FWordWrap) | DT_EXPANDTABS | alignmentFlag(FAlignment);
    if (!FShowAccelChar)
        flags |= DT_NOPREFIX;
    return DrawTextBiDiModeFlags(flags);
}

void TbsSkinVistaGlowLabel::Paint(TbsDC* canvas)
{
    const TColor fontColor = platform::fromQColor(palette().color(foregroundRole()));
    const QString text = GetLabelText();
    TRect R = Rect(FGlowSize, FGlowSize, width() - FGlowSize, height() - FGlowSize);
    R.Left = std::max(R.Left, 0);
    R.Top = std::max(R.Top, 0);
    const unsigned flags = TextFlags();
    if (!FDoubleBuffered) {
        canvas->SetFont(font());
        canvas->SetFontColor(fontColor);
        DrawGlowText(canvas, R, text, flags, FGlowColor);
        return;
    }
    if (width() < 1 || height() < 1)
        return;
    TbsBitmap buffer;
    buffer.SetSize(width(), height());
    DrawParentImage(this, buffer.Canvas());
    buffer.Canvas()->SetFont(font());
    buffer.Canvas()->SetFontColor(fontColor);
    DrawGlowText(buffer.Canvas(), R, text, flags, FGlowColor);
    buffer.Draw(canvas, 0, 0);
}

void TbsSkinVistaGlowLabel::DoDrawText(TbsDC* canvas, TRect& R, unsigned flags)
{
    QString text = GetLabelText();
    if (flags & DT_CALCRECT) {
        if (text.isEmpty())
            text = QStringLiteral(" ");
        else if (FShowAccelChar && text == QStringLiteral("&"))
            text = QStringLiteral("& ");
    }
    if (!FShowAccelChar)
        flags |= DT_NOPREFIX;
    canvas->DrawText(text, R, DrawTextBiDiModeFlags(flags));
}

void TbsSkinVistaGlowLabel::AdjustBounds()
{
    if (IsLoading(this) || !FAutoSize)
        return;
    QImage scratch(1, 1, QImage::Format_ARGB32);
    TbsDC measure(&scratch);
    measure.SetFont(font());
    const int room = 2 * FGlowSize + 8;
    TRect R = Rect(0, 0, width(), height());
    // Wrapped text is measured at the width it is drawn in, so the label does
    // not grow by the halo's room at every change.
    if (FWordWrap)
        R.Right -= room;
    DoDrawText(&measure, R, DT_EXPANDTABS | DT_CALCRECT | wordWrapFlag(FWordWrap));
    TAlignment alignment = FAlignment;
    if (isRightToLeft() && alignment != taCenter)
        alignment = alignment == taLeftJustify ? taRightJustify : taLeftJustify;
    const int newWidth = R.Right + room;
    const int newHeight = R.Bottom + room;
    const int left = alignment == taRightJustify ? x() + width() - newWidth : x();
    setGeometry(left, y(), newWidth, newHeight);
}

void TbsSkinVistaGlowLabel::changeEvent(QEvent* event)
{
    TbsGraphicSkinControl::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        RunGuarded(this, [this] { TextChanged(); });
}

void TbsSkinVistaGlowLabel::moveEvent(QMoveEvent* event)
{
    TbsGraphicSkinControl::moveEvent(event);
    // The copied background depends on the position.
    if (FDoubleBuffered)
        repaint();
}

void TbsSkinVistaGlowLabel::UpdateAccelerator()
{
    const QKeySequence key = QKeySequence::mnemonic(FCaption);
    FAccelerator->setKey(key);
    // Without a control to focus the key is left to the others (a button
    // with the same letter is then clicked).
    FAccelerator->setEnabled(FShowAccelChar && FFocusControl && !key.isEmpty());
}

void TbsSkinVistaGlowLabel::FocusByAccelerator()
{
    if (FFocusControl && isEnabled() && FShowAccelChar && canFocus(FFocusControl))
        FFocusControl->setFocus(Qt::ShortcutFocusReason);
}
