#pragma once

// The glow label. It keeps its glow colour; until the glow text routine of the
// skin engine lands it draws its caption as plain text.

#include <QColor>
#include <QLabel>
#include <QString>

class TbsSkinVistaGlowLabel : public QLabel {
    Q_OBJECT

public:
    explicit TbsSkinVistaGlowLabel(QWidget* parent = nullptr);

    QString Caption() const { return text(); }
    // Repaints at once so workers' synchronised steps show the new text.
    void setCaption(const QString& caption);

    QColor GlowColor() const { return glowColor; }
    void setGlowColor(const QColor& color);

private:
    QColor glowColor = Qt::white;
};
