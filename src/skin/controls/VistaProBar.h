#pragma once

// A glossy progress bar with a sliding marquee block and an optional centred
// text. Every frame is computed into a 32-bit image by the painters below and
// copied opaque onto the widget.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>
#include <QWidget>

#include <vector>

class QTimer;

namespace vistaprobar {
Q_NAMESPACE

enum TVPBOrientation { vpbHorizontal, vpbVertical };
Q_ENUM_NS(TVPBOrientation)

// A rectangle given by its edges; right and bottom lie just outside it.
struct Edges {
    int left;
    int top;
    int right;
    int bottom;
};

// Everything one frame depends on.
struct BarState {
    int width = 150;
    int height = 17;
    QRgb color = qRgb(0, 255, 0);
    QRgb windowColor = qRgb(255, 255, 255); // the empty frame's inside
    QRgb textColor = qRgb(0, 0, 0);
    QFont font;
    bool altMode = false;
    bool marquee = false;
    int marqueePhase = 0;
    int marqueeSize = 40;
    int marqueeFade = 30;
    TVPBOrientation orientation = vpbHorizontal;
    int min = 0;
    int max = 100;
    int position = 0;
    bool percentage = false;
    bool showPosText = false;
    QString posTextPrefix;
    QString posTextSuffix;
};

// Moves color2 toward color1 by percent; the weight is held in 8 bits.
QRgb blendColors(QRgb color1, QRgb color2, int percent);

// Paints one glass rectangle (the track, or the fill when track is false)
// into image; rectangles too small to hold the gradient are skipped.
void drawGlassBar(QImage& image, Edges rect, QRgb color, bool track, TVPBOrientation orientation);

// The marquee block's weights: 254 falling toward 95 + 159 / fade-length at
// both ends, 96 inside (0 where the two fades overlap).
std::vector<int> marqueeWeights(int blockLength, int fadeLength);

// Tints the band of image that the marquee block covers toward color.
void drawMarqueeBlock(QImage& image, Edges rect, QRgb color, int size, int fade,
                      TVPBOrientation orientation);

// The text the bar shows for this state (before prefix and suffix).
QString positionText(const BarState& state);

// The whole control as an opaque 32-bit image (Format_RGB32); null when the
// control has no area.
QImage render(const BarState& state);

} // namespace vistaprobar

using vistaprobar::TVPBOrientation;
using vistaprobar::vpbHorizontal;
using vistaprobar::vpbVertical;

// A windowless control: a transparent skinned control over it paints it into
// its own background.
class TVistaProBar : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool Marquee READ marquee WRITE setMarquee)
    Q_PROPERTY(int MarqueeSize READ marqueeSize WRITE setMarqueeSize)
    Q_PROPERTY(int MarqueeFade READ marqueeFade WRITE setMarqueeFade)
    Q_PROPERTY(int MarqueeSpeed READ marqueeSpeed WRITE setMarqueeSpeed)
    Q_PROPERTY(int Max READ max WRITE setMax)
    Q_PROPERTY(int Min READ min WRITE setMin)
    Q_PROPERTY(bool AltMode READ altMode WRITE setAltMode)
    Q_PROPERTY(vistaprobar::TVPBOrientation Orientation READ orientation WRITE setOrientation)
    Q_PROPERTY(bool Percentage READ percentage WRITE setPercentage)
    Q_PROPERTY(int Position READ position WRITE setPosition)
    Q_PROPERTY(QString PosTextPrefix READ posTextPrefix WRITE setPosTextPrefix)
    Q_PROPERTY(QString PosTextSuffix READ posTextSuffix WRITE setPosTextSuffix)
    Q_PROPERTY(bool ShowPosText READ showPosText WRITE setShowPosText)
    Q_PROPERTY(QColor Color READ color WRITE setColor)

public:
    explicit TVistaProBar(QWidget* parent = nullptr);

    // Setters paint at once (before they return) unless noted.
    bool marquee() const { return FMarquee; }
    void setMarquee(bool value); // also starts or stops the timer
    int marqueeSize() const { return FMarqueeSize; }
    void setMarqueeSize(quint8 value);
    int marqueeFade() const { return FMarqueeFade; }
    void setMarqueeFade(quint8 value);
    int marqueeSpeed() const { return FMarqueeSpeed; }
    void setMarqueeSpeed(quint8 value); // the timer interval in ms; no repaint
    int max() const { return FMax; }
    void setMax(int value);
    int min() const { return FMin; }
    void setMin(int value);
    bool altMode() const { return FAltMode; }
    void setAltMode(bool value); // repaints later
    TVPBOrientation orientation() const { return FOrientation; }
    void setOrientation(TVPBOrientation value);
    bool percentage() const { return FPercentage; }
    void setPercentage(bool value);
    int position() const { return FPosition; }
    void setPosition(int value); // clamped to [min, max]
    QString posTextPrefix() const { return FPosTextPrefix; }
    void setPosTextPrefix(const QString& value);
    QString posTextSuffix() const { return FPosTextSuffix; }
    void setPosTextSuffix(const QString& value);
    bool showPosText() const { return FShowPosText; }
    void setShowPosText(bool value);
    QColor color() const { return FColor; }
    void setColor(const QColor& value);

    // The marquee phase: percent of the bar length, 0 to marqueeSize + 100.
    int marqueePhase() const { return FMarqueeP; }

    void addPosition(int delta);
    // Renders the control and copies it onto painter at (x, y).
    void draw(QPainter& painter, int x, int y);
    // The state the next frame is drawn from.
    vistaprobar::BarState barState() const;

public slots:
    // One marquee tick: advances the phase and wraps it after the block has left.
    void marqueeTimer();

signals:
    void clicked();
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void paintNow();
    // Stores value and paints at once, unless the field already holds it.
    template <class T> void changeAndPaint(T& field, const T& value);

    QTimer* FTimer;
    bool FAltMode = false;
    int FMax = 100;
    int FMin = 0;
    bool FMarquee = false;
    int FMarqueeP = 0;
    quint8 FMarqueeSize = 40;
    quint8 FMarqueeFade = 30;
    quint8 FMarqueeSpeed = 25;
    TVPBOrientation FOrientation = vpbHorizontal;
    bool FPercentage = false;
    int FPosition = 0;
    QString FPosTextPrefix;
    QString FPosTextSuffix;
    bool FShowPosText = false;
    QColor FColor = QColor(0, 255, 0);
};
