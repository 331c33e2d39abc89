#include "VistaProBar.h"

#include "bsUtils.h"

#include <QEvent>
#include <QFontInfo>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include <algorithm>

namespace vistaprobar {

namespace {

// Frame colours.
const QRgb kFrameOutline = qRgb(160, 160, 160);
const QRgb kFrameTopLine = qRgb(192, 192, 192);

// The track's gradient keys and highlight ends.
const QRgb kTrackKey1 = qRgb(253, 253, 253);
const QRgb kTrackKey2 = qRgb(218, 218, 218);
const QRgb kTrackKey3 = qRgb(160, 160, 160);
const QRgb kTrackKey4 = qRgb(213, 213, 213);
const QRgb kTrackHighlight1 = qRgb(200, 200, 200);
const QRgb kTrackHighlight2 = qRgb(253, 253, 253);

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kBlack = qRgb(0, 0, 0);

// The highlight ramps up over this many pixels from each end of the bar.
constexpr int kHighlightRamp = 25;

// Applies op to the red, green and blue channels of two colours.
template <class Op> QRgb perChannel(QRgb a, QRgb b, Op op)
{
    return qRgb(op(qRed(a), qRed(b)), op(qGreen(a), qGreen(b)), op(qBlue(a), qBlue(b)));
}

// from + (to - from) * step / steps per channel, truncated toward zero.
QRgb interpolate(QRgb from, QRgb to, int step, int steps)
{
    return perChannel(from, to, [&](int f, int t) { return f + (t - f) * step / steps; });
}

// base + floor((toward - base) / 2^shift) per channel.
QRgb shiftToward(QRgb base, QRgb toward, int shift)
{
    return perChannel(base, toward, [&](int b, int t) { return b + ((t - b) >> shift); });
}

// base + (toward - base) / 2 per channel, truncated toward zero.
QRgb halfwayToward(QRgb base, QRgb toward)
{
    return perChannel(base, toward, [](int b, int t) { return b + (t - b) / 2; });
}

// color + floor((pixel - color) * weight / 256) per channel.
QRgb tint(QRgb pixel, QRgb color, int weight)
{
    return perChannel(pixel, color, [&](int p, int c) { return c + (((p - c) * weight) >> 8); });
}

// Round half to even of numerator / denominator (denominator > 0).
qint64 roundHalfEven(qint64 numerator, qint64 denominator)
{
    if (numerator < 0)
        return -roundHalfEven(-numerator, denominator);
    qint64 quotient = numerator / denominator;
    const qint64 twiceRemainder = 2 * (numerator % denominator);
    if (twiceRemainder > denominator || (twiceRemainder == denominator && (quotient & 1)))
        ++quotient;
    return quotient;
}

// A fraction of the bar, numerator / denominator with denominator > 0.
struct Fraction {
    qint64 numerator;
    qint64 denominator;
};

// Max first, then Min: with Min above Max the position becomes Min.
int clampToBounds(int position, int min, int max)
{
    if (position > max)
        position = max;
    if (position < min)
        position = min;
    return position;
}

// The position clamped as the Position setter clamps it.
int clampedPosition(const BarState& state)
{
    return clampToBounds(state.position, state.min, state.max);
}

// How much of the bar is filled. A Max or Min changed after Position does not
// re-clamp Position, so it is clamped here: the fill never leaves the frame.
Fraction barFraction(const BarState& state)
{
    qint64 range = qint64(state.max) - state.min;
    if (range == 0)
        return {0, 1};
    qint64 filled = qint64(clampedPosition(state)) - state.min;
    if (range < 0) {
        range = -range;
        filled = -filled;
    }
    return {std::clamp<qint64>(filled, 0, range), range};
}

Fraction fractionOf(const BarState& state)
{
    if (state.marquee)
        return {state.marqueePhase, 100};
    return barFraction(state);
}

// Whether a rectangle is large enough for a glass bar or a marquee block:
// at least one pixel along and two across inside its edges.
bool holdsGlass(Edges rect)
{
    return rect.right - rect.left - 1 >= 1 && rect.bottom - rect.top - 1 >= 2;
}

QRgb* row(QImage& image, int y)
{
    return reinterpret_cast<QRgb*>(image.scanLine(y));
}

void setPixel(QImage& image, int x, int y, QRgb value)
{
    if (x >= 0 && y >= 0 && x < image.width() && y < image.height())
        row(image, y)[x] = value;
}

// The window-coloured inside, the grey outline, the lighter top line and the
// softened corners.
void drawFrame(QImage& image, QRgb windowColor)
{
    const int width = image.width();
    const int height = image.height();
    for (int y = 0; y < height; ++y) {
        QRgb* line = row(image, y);
        const bool edgeRow = y == 0 || y == height - 1;
        for (int x = 0; x < width; ++x)
            line[x] = edgeRow || x == 0 || x == width - 1 ? kFrameOutline : windowColor;
    }
    QRgb* top = row(image, 0);
    for (int x = 1; x < width - 1; ++x)
        top[x] = kFrameTopLine;
    const QRgb corner = blendColors(kWhite, kFrameTopLine, 50);
    setPixel(image, 0, 0, corner);
    setPixel(image, 0, height - 1, corner);
    setPixel(image, width - 1, 0, corner);
    setPixel(image, width - 1, height - 1, corner);
}

void drawPosText(QImage& image, const BarState& state)
{
    const QString text = state.posTextPrefix + positionText(state) + state.posTextSuffix;
    QPainter painter(&image);
    painter.setFont(state.font);
    painter.setPen(QColor::fromRgb(state.textColor));
    const QFontMetrics metrics = painter.fontMetrics();
    const int x = (image.width() - metrics.horizontalAdvance(text)) / 2;
    const int y = (image.height() - metrics.height()) / 2;
    painter.drawText(x, y + metrics.ascent(), text);
}

} // namespace

QRgb blendColors(QRgb color1, QRgb color2, int percent)
{
    // Round(percent * 2.56): integer percents never fall on a tie, so adding
    // half of the divisor rounds exactly. The weight wraps at 8 bits.
    const int weight = ((percent * 256 + 50) / 100) & 0xFF;
    return perChannel(color1, color2,
                      [&](int c1, int c2) { return c2 + (((c1 - c2) * weight) >> 8); });
}

void drawGlassBar(QImage& image, Edges rect, QRgb color, bool track, TVPBOrientation orientation)
{
    if (!holdsGlass(rect))
        return;
    const int width = rect.right - rect.left - 1;
    const int height = rect.bottom - rect.top - 1;

    const QRgb key1 = track ? kTrackKey1 : blendColors(color, kWhite, 5);
    const QRgb key2 = track ? kTrackKey2 : blendColors(color, kWhite, 50);
    const QRgb key3 = track ? kTrackKey3 : blendColors(color, kBlack, 60);
    const QRgb key4 = track ? kTrackKey4 : blendColors(color, kBlack, 80);
    const QRgb highlight1 = track ? kTrackHighlight1 : blendColors(color, kBlack, 50);
    const QRgb highlight2 = track ? kTrackHighlight2 : blendColors(color, kWhite, 50);

    const bool horizontal = orientation == vpbHorizontal;
    const int across = horizontal ? height : width; // n: the bar's thickness
    const int along = horizontal ? width : height;  // m: the bar's length
    // Trunc(n / 2.25) and Trunc(n / 2.5) in integers.
    const int split = horizontal ? across * 4 / 9 : across * 2 / 5;

    // The second segment divides by the whole thickness, not by what is left of it.
    std::vector<QRgb> profile(across);
    for (int i = 0; i < across; ++i)
        profile[i] =
            i < split ? interpolate(key1, key2, i, split) : interpolate(key3, key4, i, across);

    auto put = [&](int lengthwise, int crosswise, QRgb value) {
        if (horizontal)
            setPixel(image, rect.left + lengthwise, rect.top + crosswise, value);
        else
            setPixel(image, rect.left + crosswise, rect.top + lengthwise, value);
    };

    const int half = (along + 1) / 2;
    for (int j = 0; j < half; ++j) {
        const QRgb highlight = j < kHighlightRamp
                                   ? interpolate(highlight1, highlight2, j, kHighlightRamp)
                                   : highlight2;
        const int mirrored = along - 1 - j;
        for (int i = 0; i < across; ++i) {
            const bool sharp = j == 0 || i < split || i == across - 1;
            const QRgb value = sharp ? shiftToward(profile[i], highlight, j == 0 ? 3 : 2)
                                     : halfwayToward(profile[i], highlight);
            put(j, i, value);
            if (j < mirrored)
                put(mirrored, i, value);
        }
    }
}

std::vector<int> marqueeWeights(int blockLength, int fadeLength)
{
    std::vector<int> weights(std::max(blockLength, 0), 0);
    for (int i = 0; i <= blockLength - 1 - fadeLength; ++i) {
        if (i < fadeLength) {
            const int weight = 159 * (fadeLength - i) / fadeLength + 95;
            weights[i] = weight;
            weights[blockLength - 1 - i] = weight;
        } else {
            weights[i] = 96;
        }
    }
    return weights;
}

void drawMarqueeBlock(QImage& image, Edges rect, QRgb color, int size, int fade,
                      TVPBOrientation orientation)
{
    if (!holdsGlass(rect))
        return;
    const bool horizontal = orientation == vpbHorizontal;
    const int extent = horizontal ? image.width() : image.height();
    // Trunc(extent / 100 * size) and Trunc(length / 100 * fade) in integers.
    const int blockLength = extent * size / 100;
    const int fadeLength = blockLength * fade / 100;
    const std::vector<int> weights = marqueeWeights(blockLength, fadeLength);

    const int start = horizontal ? rect.left : rect.top;
    for (int k = 0; k < blockLength; ++k) {
        const int at = start + k;
        if (at < 0 || at >= extent)
            continue;
        if (horizontal) {
            for (int y = 0; y < image.height(); ++y) {
                QRgb& pixel = row(image, y)[at];
                pixel = tint(pixel, color, weights[k]);
            }
        } else {
            QRgb* line = row(image, at);
            for (int x = 0; x < image.width(); ++x)
                line[x] = tint(line[x], color, weights[k]);
        }
    }
}

QString positionText(const BarState& state)
{
    if (!state.percentage)
        return QString::number(clampedPosition(state));
    const Fraction f = fractionOf(state);
    return QString::number(roundHalfEven(100 * f.numerator, f.denominator)) + QLatin1Char('%');
}

QImage render(const BarState& state)
{
    const int width = state.width;
    const int height = state.height;
    if (width <= 0 || height <= 0)
        return {};
    QImage image(width, height, QImage::Format_RGB32);
    drawFrame(image, state.windowColor);

    Edges rect{1, 1, width, height};
    if (!state.altMode)
        drawGlassBar(image, rect, state.color, true, state.orientation);

    const Fraction f = fractionOf(state);
    // The filled share of a length, and the marquee block's, both rounded.
    const auto filled = [&](int length) {
        return int(roundHalfEven(length * f.numerator, f.denominator));
    };
    const auto block = [&](int length) {
        return int(roundHalfEven(qint64(length) * state.marqueeSize, 100));
    };
    const bool horizontal = state.orientation == vpbHorizontal;
    if (state.marquee) {
        if (horizontal) {
            rect.right = filled(width);
            rect.left = rect.right - block(width);
        } else {
            rect.top = height - filled(height);
            rect.bottom = rect.top + block(height);
        }
    } else if (horizontal) {
        rect.right = filled(width);
    } else {
        rect.top = std::max(1, height - filled(height));
    }

    if (rect.right > 0) {
        if (state.marquee)
            drawMarqueeBlock(image, rect, state.color, state.marqueeSize, state.marqueeFade,
                             state.orientation);
        else
            drawGlassBar(image, rect, state.color, false, state.orientation);
    }

    if (state.showPosText)
        drawPosText(image, state);
    return image;
}

} // namespace vistaprobar

namespace {

// An interval of 0 would fire on every pass of the event loop; 10 ms is the
// shortest interval desktop timers are commonly held to.
constexpr int kShortestTimerMs = 10;

int timerInterval(int speed)
{
    return std::max(speed, kShortestTimerMs);
}

} // namespace

TVistaProBar::TVistaProBar(QWidget* parent) : QWidget(parent), FTimer(new QTimer(this))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    SetGraphicControl(this);
    resize(150, 17);
    FTimer->setInterval(timerInterval(FMarqueeSpeed));
    connect(FTimer, &QTimer::timeout, this, &TVistaProBar::marqueeTimer);
}

void TVistaProBar::paintNow()
{
    if (isVisible())
        repaint();
}

template <class T> void TVistaProBar::changeAndPaint(T& field, const T& value)
{
    if (value == field)
        return;
    field = value;
    paintNow();
}

void TVistaProBar::setMarquee(bool value)
{
    FMarquee = value;
    if (value)
        FTimer->start();
    else
        FTimer->stop();
    paintNow();
}

void TVistaProBar::setMarqueeSize(quint8 value)
{
    FMarqueeSize = value;
    paintNow();
}

void TVistaProBar::setMarqueeFade(quint8 value)
{
    FMarqueeFade = value;
    paintNow();
}

void TVistaProBar::setMarqueeSpeed(quint8 value)
{
    FMarqueeSpeed = value;
    FTimer->setInterval(timerInterval(value));
}

void TVistaProBar::setMax(int value)
{
    changeAndPaint(FMax, value);
}

void TVistaProBar::setMin(int value)
{
    changeAndPaint(FMin, value);
}

void TVistaProBar::setAltMode(bool value)
{
    FAltMode = value;
    update();
}

void TVistaProBar::setOrientation(TVPBOrientation value)
{
    FOrientation = value;
    paintNow();
}

void TVistaProBar::setPercentage(bool value)
{
    changeAndPaint(FPercentage, value);
}

void TVistaProBar::setPosition(int value)
{
    changeAndPaint(FPosition, vistaprobar::clampToBounds(value, FMin, FMax));
}

void TVistaProBar::setPosTextPrefix(const QString& value)
{
    changeAndPaint(FPosTextPrefix, value);
}

void TVistaProBar::setPosTextSuffix(const QString& value)
{
    changeAndPaint(FPosTextSuffix, value);
}

void TVistaProBar::setShowPosText(bool value)
{
    changeAndPaint(FShowPosText, value);
}

void TVistaProBar::setColor(const QColor& value)
{
    changeAndPaint(FColor, value);
}

void TVistaProBar::addPosition(int delta)
{
    setPosition(int(std::clamp<qint64>(qint64(FPosition) + delta, INT_MIN, INT_MAX)));
}

void TVistaProBar::marqueeTimer()
{
    if (FMarqueeP >= FMarqueeSize + 100)
        FMarqueeP = 0;
    update();
    ++FMarqueeP;
}

vistaprobar::BarState TVistaProBar::barState() const
{
    vistaprobar::BarState state;
    state.width = width();
    state.height = height();
    state.color = FColor.rgb();
    state.windowColor = palette().color(QPalette::Base).rgb();
    state.textColor = palette().color(QPalette::WindowText).rgb();
    // In pixels, so the image measures the text as the screen does.
    state.font = font();
    state.font.setPixelSize(fontInfo().pixelSize());
    state.altMode = FAltMode;
    state.marquee = FMarquee;
    state.marqueePhase = FMarqueeP;
    state.marqueeSize = FMarqueeSize;
    state.marqueeFade = FMarqueeFade;
    state.orientation = FOrientation;
    state.min = FMin;
    state.max = FMax;
    state.position = FPosition;
    state.percentage = FPercentage;
    state.showPosText = FShowPosText;
    state.posTextPrefix = FPosTextPrefix;
    state.posTextSuffix = FPosTextSuffix;
    return state;
}

void TVistaProBar::draw(QPainter& painter, int x, int y)
{
    const QImage frame = vistaprobar::render(barState());
    if (!frame.isNull())
        painter.drawImage(x, y, frame);
}

void TVistaProBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    draw(painter, 0, 0);
}

void TVistaProBar::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange)
        update();
    QWidget::changeEvent(event);
}

void TVistaProBar::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QWidget::mouseReleaseEvent(event);
}

void TVistaProBar::mouseDoubleClickEvent(QMouseEvent* event)
{
    emit doubleClicked();
    QWidget::mouseDoubleClickEvent(event);
}
