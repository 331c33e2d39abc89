#include "bsSkinExCtrls.h"

TbsSkinVistaGlowLabel::TbsSkinVistaGlowLabel(QWidget* parent) : QLabel(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
}

void TbsSkinVistaGlowLabel::setCaption(const QString& caption)
{
    if (caption == text())
        return;
    setText(caption);
    repaint();
}

void TbsSkinVistaGlowLabel::setGlowColor(const QColor& color)
{
    if (color == glowColor)
        return;
    glowColor = color;
    repaint();
}
