#pragma once

// The glow label: a windowless label whose caption is drawn over a soft halo.
// It sizes itself to its caption plus room for the halo, lets the caption's
// accelerator move the focus to a companion control, and can paint
// double-buffered over a copy of what lies beneath it. Setters repaint at
// once, so captions rewritten by workers' synchronised steps show at once.

#include "bsSkinControl.h"

#include <QPointer>
#include <QString>

class QShortcut;

enum TTextLayout { tlTop, tlCenter, tlBottom };

class TbsSkinVistaGlowLabel : public TbsGraphicSkinControl {
    Q_OBJECT

public:
    explicit TbsSkinVistaGlowLabel(QWidget* parent = nullptr);

    const QString& Caption() const { return FCaption; }
    void setCaption(const QString& value);
    bool AutoSize() const { return FAutoSize; }
    void setAutoSize(bool value);
    // Stored and repainted; the text is always placed from the top.
    TTextLayout Layout() const { return FLayout; }
    using QWidget::setLayout;
    void setLayout(TTextLayout value);
    TAlignment Alignment() const { return FAlignment; }
    void setAlignment(TAlignment value);
    // Receives the focus when the caption's accelerator is typed; cleared
    // when that control is destroyed. Without one the accelerator is left to
    // the other controls.
    QWidget* FocusControl() const { return FFocusControl; }
    void setFocusControl(QWidget* value);
    bool ShowAccelChar() const { return FShowAccelChar; }
    void setShowAccelChar(bool value);
    bool WordWrap() const { return FWordWrap; }
    void setWordWrap(bool value);
    // Paints every pixel itself, over a copy of the parent's image.
    bool DoubleBuffered() const { return FDoubleBuffered; }
    void setDoubleBuffered(bool value);
    TColor GlowColor() const { return FGlowColor; }
    void setGlowColor(TColor value);
    // Room kept around the text for the halo.
    int GlowSize() const { return FGlowSize; }

    // The text shown: the caption.
    virtual QString GetLabelText() const { return FCaption; }
    // What a layout stream's end runs: the size follows the caption.
    void Loaded();
    // Also takes the skin's highlight colour as the glow colour.
    void ChangeSkinData() override;

protected:
    void Paint(TbsDC* canvas) override;
    // Draws, or with DT_CALCRECT measures, the label's text in R.
    virtual void DoDrawText(TbsDC* canvas, TRect& R, unsigned flags);
    // With AutoSize, the size of the text plus the halo's room.
    virtual void AdjustBounds();

    void changeEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    unsigned DrawTextBiDiModeFlags(unsigned flags) const;
    unsigned TextFlags() const;
    void TextChanged();
    void FocusByAccelerator();
    void UpdateAccelerator();

    QString FCaption;
    bool FDoubleBuffered = false;
    QPointer<QWidget> FFocusControl;
    TAlignment FAlignment = taLeftJustify;
    bool FAutoSize = true;
    TTextLayout FLayout = tlTop;
    bool FWordWrap = false;
    bool FShowAccelChar = true;
    TColor FGlowColor = platform::clWhite;
    qint32 FGlowSize = 10;
    QShortcut* FAccelerator = nullptr;
    QMetaObject::Connection FFocusControlGone;
};
