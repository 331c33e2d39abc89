#include "bsDeviceContext.h"

#include "bseffects.h"

#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

// The engine's font: Tahoma 8 point (11 pixels) where the system has it.
QFont defaultFont()
{
    QFont font(QStringLiteral("Tahoma"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
}

// The pixels of a line from `from` to `to`, the end point left out.
std::vector<QPoint> linePoints(TPoint from, TPoint to)
{
    std::vector<QPoint> points;
    const int dx = std::abs(to.X - from.X);
    const int dy = std::abs(to.Y - from.Y);
    const int sx = to.X >= from.X ? 1 : -1;
    const int sy = to.Y >= from.Y ? 1 : -1;
    const int steps = std::max(dx, dy);
    points.reserve(size_t(steps));
    int x = from.X;
    int y = from.Y;
    int err = (dx >= dy ? dx : dy) / 2;
    for (int i = 0; i < steps; ++i) {
        points.emplace_back(x, y);
        if (dx >= dy) {
            x += sx;
            err -= dy;
            if (err < 0) {
                y += sy;
                err += dx;
            }
        } else {
            y += sy;
            err -= dx;
            if (err < 0) {
                x += sx;
                err += dy;
            }
        }
    }
    return points;
}

int qtTextFlags(unsigned flags)
{
    int qt = 0;
    if (flags & DT_CENTER)
        qt |= Qt::AlignHCenter;
    else if (flags & DT_RIGHT)
        qt |= Qt::AlignRight;
    else
        qt |= Qt::AlignLeft;
    // Vertical placement applies to single lines only, as the system does it.
    if ((flags & DT_SINGLELINE) && (flags & DT_BOTTOM))
        qt |= Qt::AlignBottom;
    else if ((flags & DT_SINGLELINE) && (flags & DT_VCENTER))
        qt |= Qt::AlignVCenter;
    else
        qt |= Qt::AlignTop;
    if (flags & DT_SINGLELINE)
        qt |= Qt::TextSingleLine;
    if (flags & DT_WORDBREAK)
        qt |= Qt::TextWordWrap;
    if (flags & DT_EXPANDTABS)
        qt |= Qt::TextExpandTabs;
    if (!(flags & DT_NOPREFIX))
        qt |= Qt::TextShowMnemonic;
    if (flags & DT_NOCLIP)
        qt |= Qt::TextDontClip;
    return qt;
}

// A view of a bitmap's pixels for QPainter; no copy.
QImage viewOf(const TbsBitmap& bitmap, QImage::Format format)
{
    return QImage(reinterpret_cast<const uchar*>(bitmap.Bits()), bitmap.Width(), bitmap.Height(),
                  qsizetype(bitmap.Width()) * 4, format);
}

// srcRect of the bitmap with keyed pixels clear and the others opaque.
QImage keyedCopy(const TbsBitmap& bitmap, const TRect& srcRect)
{
    QImage image(srcRect.Width(), srcRect.Height(), QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        const quint32* in = bitmap.GetPixelPtr(srcRect.Left, srcRect.Top + y);
        auto* out = reinterpret_cast<quint32*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            out[x] = (in[x] & 0xFFFFFF) == bsKeyColor ? 0u : (in[x] | 0xFF000000);
    }
    return image;
}

} // namespace

QColor bsQColor(TColor c)
{
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

TbsDC::TbsDC(TbsBitmap* bitmap) : m_bitmap(bitmap), m_font(defaultFont()) {}

TbsDC::TbsDC(QImage* image) : m_image(image), m_font(defaultFont()) {}

TbsDC::TbsDC(QPainter* painter, const QSize& size)
    : m_painter(painter), m_painterSize(size), m_font(defaultFont())
{
    if (m_painterSize.isEmpty() && painter && painter->device())
        m_painterSize = QSize(painter->device()->width(), painter->device()->height());
}

TbsDC::~TbsDC() = default;

QSize TbsDC::Size() const
{
    if (m_bitmap)
        return QSize(m_bitmap->Width(), m_bitmap->Height());
    if (m_image)
        return m_image->size();
    return m_painterSize;
}

QRect TbsDC::deviceBounds() const
{
    return QRect(QPoint(0, 0), Size());
}

TbsSection TbsDC::SectionInfo() const
{
    if (m_bitmap && !m_bitmap->Empty())
        return {m_bitmap->Bits(), m_bitmap->Width(), m_bitmap->Height(), m_bitmap->Width(), false};
    if (m_image && !m_image->isNull() && m_image->format() == QImage::Format_ARGB32)
        return {reinterpret_cast<quint32*>(m_image->bits()), m_image->width(), m_image->height(),
                m_image->bytesPerLine() / 4, false};
    return {};
}

// ---------------------------------------------------------------------------
// Coordinates, clip and saved states.

TPoint TbsDC::offset() const
{
    return {m_state.viewportOrg.X - m_state.windowOrg.X,
            m_state.viewportOrg.Y - m_state.windowOrg.Y};
}

const QPaintDevice* TbsDC::painterPixelDevice() const
{
    if (!m_painter || !m_painter->isActive() || !m_painter->device())
        return nullptr;
    const QPaintDevice* device = m_painter->device();
    const int type = device->devType();
    return type == QInternal::Image || type == QInternal::Pixmap ? device : nullptr;
}

std::optional<QPoint> TbsDC::readableOrigin() const
{
    const TPoint o = offset();
    if (!m_painter)
        return QPoint(o.X, o.Y);
    if (!painterPixelDevice())
        return std::nullopt;
    // Only a shift by whole pixels keeps one device pixel per logical pixel.
    const QTransform transform = m_painter->deviceTransform();
    if (transform.type() > QTransform::TxTranslate ||
        transform.dx() != std::trunc(transform.dx()) ||
        transform.dy() != std::trunc(transform.dy()))
        return std::nullopt;
    return QPoint(o.X + int(transform.dx()), o.Y + int(transform.dy()));
}

QRect TbsDC::readableBounds() const
{
    if (const QPaintDevice* device = painterPixelDevice())
        return QRect(0, 0, device->width(), device->height());
    return deviceBounds();
}

QImage TbsDC::readPixels(const QRect& deviceRect) const
{
    QImage part;
    if (m_image)
        part = m_image->copy(deviceRect);
    else if (const QPaintDevice* device = painterPixelDevice())
        part = device->devType() == QInternal::Image
                   ? static_cast<const QImage*>(device)->copy(deviceRect)
                   : static_cast<const QPixmap*>(device)->copy(deviceRect).toImage();
    return part.convertToFormat(QImage::Format_ARGB32);
}

bool TbsDC::targetKeepsAlpha() const
{
    if (m_image)
        return m_image->hasAlphaChannel();
    if (const QPaintDevice* device = painterPixelDevice())
        return device->devType() == QInternal::Image
                   ? static_cast<const QImage*>(device)->hasAlphaChannel()
                   : static_cast<const QPixmap*>(device)->hasAlphaChannel();
    return false;
}

void TbsDC::OffsetViewportOrg(int dx, int dy)
{
    m_state.viewportOrg.X += dx;
    m_state.viewportOrg.Y += dy;
}

TPoint TbsDC::LogicalToDevice(const TPoint& p) const
{
    const TPoint o = offset();
    return {p.X + o.X, p.Y + o.Y};
}

TRect TbsDC::LogicalToDevice(const TRect& r) const
{
    TRect d = r;
    const TPoint o = offset();
    OffsetRect(d, o.X, o.Y);
    return d;
}

void TbsDC::IntersectClipRect(const TRect& r)
{
    const QRegion rect(LogicalToDevice(r).toQRect());
    m_state.clip = m_state.clip ? (*m_state.clip & rect) : (QRegion(deviceBounds()) & rect);
}

void TbsDC::ExcludeClipRect(const TRect& r)
{
    const QRegion rect(LogicalToDevice(r).toQRect());
    m_state.clip = m_state.clip ? (*m_state.clip - rect) : (QRegion(deviceBounds()) - rect);
}

QRegion TbsDC::DrawableRegion() const
{
    const QRegion bounds(deviceBounds());
    return m_state.clip ? (*m_state.clip & bounds) : bounds;
}

int TbsDC::SaveDC()
{
    m_saved.push_back(m_state);
    return int(m_saved.size());
}

bool TbsDC::RestoreDC(int savedDC)
{
    const int index = savedDC < 0 ? int(m_saved.size()) + savedDC : savedDC - 1;
    if (index < 0 || index >= int(m_saved.size()))
        return false;
    m_state = m_saved[size_t(index)];
    m_saved.resize(size_t(index));
    return true;
}

void TbsDC::ResetDeviceState()
{
    m_state = State{};
    m_saved.clear();
}

// ---------------------------------------------------------------------------
// Canvas attributes.

void TbsDC::SetFont(const QFont& font)
{
    m_font = font;
    if (m_font.pixelSize() <= 0)
        m_font.setPixelSize(std::max(1, qRound(font.pointSizeF() * 96.0 / 72.0)));
    m_fontHeight = -m_font.pixelSize();
}

void TbsDC::SetFontHeight(int height)
{
    if (height == 0) {
        m_font.setPixelSize(11);
        m_fontHeight = -11;
        return;
    }
    int pixels = std::abs(height);
    if (height > 0) {
        // A cell height: the largest character height whose line still fits.
        for (; pixels > 1; --pixels) {
            QFont probe = m_font;
            probe.setPixelSize(pixels);
            if (QFontMetrics(probe).height() <= height)
                break;
        }
    }
    m_font.setPixelSize(pixels);
    m_fontHeight = height;
}

// ---------------------------------------------------------------------------
// Drawing.

void TbsDC::Paint(const std::function<void(QPainter&)>& paint)
{
    const TPoint o = offset();
    if (m_painter) {
        m_painter->save();
        if (m_state.clip)
            m_painter->setClipRegion(*m_state.clip, Qt::IntersectClip);
        m_painter->translate(o.X, o.Y);
        paint(*m_painter);
        m_painter->restore();
        return;
    }
    QImage view;
    QImage* target = m_image;
    if (m_bitmap) {
        if (m_bitmap->Empty())
            return;
        // Drawing on a bitmap treats it as opaque colour, as the system does.
        view = QImage(reinterpret_cast<uchar*>(m_bitmap->Bits()), m_bitmap->Width(),
                      m_bitmap->Height(), qsizetype(m_bitmap->Width()) * 4, QImage::Format_RGB32);
        target = &view;
    }
    if (!target || target->isNull())
        return;
    QPainter painter(target);
    if (m_state.clip)
        painter.setClipRegion(*m_state.clip);
    painter.translate(o.X, o.Y);
    paint(painter);
}

void TbsDC::LineTo(int x, int y)
{
    const TPoint from = m_state.penPos;
    m_state.penPos = {x, y};
    const QColor color = bsQColor(m_penColor);
    if (m_penWidth == 1) {
        const std::vector<QPoint> points = linePoints(from, {x, y});
        if (points.empty())
            return;
        Paint([&](QPainter& p) {
            p.setPen(QPen(color, 1));
            p.drawPoints(points.data(), int(points.size()));
        });
    } else {
        Paint([&](QPainter& p) {
            p.setPen(QPen(color, m_penWidth, Qt::SolidLine, Qt::FlatCap));
            p.drawLine(from.X, from.Y, x, y);
        });
    }
}

void TbsDC::FillRect(const TRect& r)
{
    if (m_brushStyle == TbsBrushStyle::bsClear || r.IsEmpty())
        return;
    Paint([&](QPainter& p) { p.fillRect(r.toQRect(), bsQColor(m_brushColor)); });
}

void TbsDC::FrameRect(const TRect& r)
{
    if (m_brushStyle == TbsBrushStyle::bsClear || r.IsEmpty())
        return;
    const QColor color = bsQColor(m_brushColor);
    Paint([&](QPainter& p) {
        p.fillRect(QRect(r.Left, r.Top, r.Width(), 1), color);
        p.fillRect(QRect(r.Left, r.Bottom - 1, r.Width(), 1), color);
        p.fillRect(QRect(r.Left, r.Top, 1, r.Height()), color);
        p.fillRect(QRect(r.Right - 1, r.Top, 1, r.Height()), color);
    });
}

void TbsDC::Rectangle(const TRect& r)
{
    if (r.IsEmpty())
        return;
    Paint([&](QPainter& p) {
        if (m_brushStyle == TbsBrushStyle::bsSolid)
            p.fillRect(r.toQRect(), bsQColor(m_brushColor));
        p.setPen(QPen(bsQColor(m_penColor), m_penWidth));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRect(r.Left, r.Top, r.Width() - 1, r.Height() - 1));
    });
}

int TbsDC::TextWidth(const QString& text) const
{
    return QFontMetrics(m_font).horizontalAdvance(text);
}

int TbsDC::TextHeight(const QString&) const
{
    return QFontMetrics(m_font).height();
}

void TbsDC::TextOut(int x, int y, const QString& text)
{
    const QRect box(x, y, TextWidth(text), TextHeight(text));
    Paint([&](QPainter& p) {
        if (m_brushStyle == TbsBrushStyle::bsSolid)
            p.fillRect(box, bsQColor(m_brushColor));
        p.setFont(m_font);
        p.setPen(bsQColor(m_fontColor));
        p.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text);
    });
}

int TbsDC::DrawText(const QString& text, TRect& rect, unsigned flags)
{
    const QFontMetrics metrics(m_font);
    const int qtFlags = qtTextFlags(flags);
    if (flags & DT_CALCRECT) {
        const int width = (flags & DT_WORDBREAK) ? std::max(rect.Width(), 1) : INT_MAX / 4;
        const int measureFlags =
            qtFlags & ~(Qt::AlignHCenter | Qt::AlignRight | Qt::AlignVCenter | Qt::AlignBottom);
        const QRect box = metrics.boundingRect(QRect(0, 0, width, INT_MAX / 4),
                                               measureFlags | Qt::AlignLeft | Qt::AlignTop, text);
        const int height = text.isEmpty() ? 0 : box.height();
        rect.Right = rect.Left + (text.isEmpty() ? 0 : box.width());
        rect.Bottom = rect.Top + height;
        return height;
    }
    const QRect area(rect.Left, rect.Top, rect.Width(), rect.Height());
    const QRect box = metrics.boundingRect(area, qtFlags, text);
    const int result = (flags & DT_SINGLELINE) && (flags & (DT_VCENTER | DT_BOTTOM))
                           ? box.bottom() + 1 - rect.Top
                           : box.height();
    if (text.isEmpty() || (rect.IsEmpty() && !(flags & DT_NOCLIP)))
        return result;
    Paint([&](QPainter& p) {
        if (m_brushStyle == TbsBrushStyle::bsSolid)
            p.fillRect((flags & DT_NOCLIP) ? box : (box & area), bsQColor(m_brushColor));
        p.setFont(m_font);
        p.setPen(bsQColor(m_fontColor));
        p.drawText(area, qtFlags, text);
    });
    return result;
}

// ---------------------------------------------------------------------------
// Bitmaps.

void TbsDC::PutBitmap(const TRect& dst, const TbsBitmap& src, const TRect& srcRect,
                      TbsBlitMode mode)
{
    if (src.Empty() || dst.IsEmpty() || srcRect.IsEmpty())
        return;
    if (m_bitmap || SectionInfo().IsValid())
        putPixels(LogicalToDevice(dst), src, srcRect, mode);
    else
        putThroughPainter(dst, src, srcRect, mode);
}

void TbsDC::putPixels(const TRect& deviceDst, const TbsBitmap& src, const TRect& srcRect,
                      TbsBlitMode mode)
{
    const TbsBlitRoutines& blits = BlitRoutines();
    const QRegion drawable = DrawableRegion();
    if (m_bitmap) {
        if (m_bitmap->Empty())
            return;
        const auto routine = blits.BitmapForMode(mode);
        for (const QRect& part : drawable)
            routine(*m_bitmap, deviceDst, TRect::fromQRect(part), srcRect, src);
        return;
    }
    const TbsSection section = SectionInfo();
    const auto routine = blits.StretchForMode(mode);
    for (const QRect& part : drawable)
        routine(section, deviceDst, TRect::fromQRect(part), srcRect, src);
}

void TbsDC::putThroughPainter(const TRect& dst, const TbsBitmap& src, const TRect& srcRect,
                              TbsBlitMode mode)
{
    if (!src.BoundsRect().Contains(srcRect))
        return;
    QImage image;
    QRect from = srcRect.toQRect();
    QPainter::CompositionMode composition = QPainter::CompositionMode_SourceOver;
    switch (mode) {
    case TbsBlitMode::Copy:
        // A copy carries the alpha byte only where the target keeps one.
        if (targetKeepsAlpha()) {
            image = viewOf(src, QImage::Format_ARGB32);
            composition = QPainter::CompositionMode_Source;
        } else {
            image = viewOf(src, QImage::Format_RGB32);
        }
        break;
    case TbsBlitMode::Blend:
        image = viewOf(src, QImage::Format_ARGB32);
        break;
    case TbsBlitMode::Key:
        image = keyedCopy(src, srcRect);
        from = image.rect();
        break;
    }
    Paint([&](QPainter& p) {
        p.setCompositionMode(composition);
        p.drawImage(dst.toQRect(), image, from);
    });
}

bool TbsDC::GetBitmap(const TRect& rect, TbsBitmap& out) const
{
    const std::optional<QPoint> origin = readableOrigin();
    if (!origin || rect.IsEmpty())
        return false;
    out.SetSize(rect.Width(), rect.Height());
    const QRect wanted = rect.toQRect().translated(*origin);
    const QRect inside = wanted & readableBounds();
    if (inside.isEmpty())
        return true;
    const int dx = inside.left() - wanted.left();
    const int dy = inside.top() - wanted.top();
    if (m_bitmap) {
        for (int y = 0; y < inside.height(); ++y)
            std::memcpy(out.GetPixelPtr(dx, dy + y),
                        m_bitmap->GetPixelPtr(inside.left(), inside.top() + y),
                        size_t(inside.width()) * 4);
    } else {
        const QImage part = readPixels(inside);
        for (int y = 0; y < part.height(); ++y)
            std::memcpy(out.GetPixelPtr(dx, dy + y), part.constScanLine(y),
                        size_t(part.width()) * 4);
    }
    return true;
}

bool TbsDC::BitBlt(int x, int y, int w, int h, const TbsDC& src, int sx, int sy)
{
    return StretchBlt(Bounds(x, y, w, h), src, Bounds(sx, sy, w, h));
}

bool TbsDC::StretchBlt(const TRect& dst, const TbsDC& src, const TRect& srcRect)
{
    TbsBitmap pixels;
    if (srcRect.IsEmpty() || !src.GetBitmap(srcRect, pixels))
        return false;
    PutBitmap(dst, pixels, pixels.BoundsRect(), TbsBlitMode::Copy);
    return true;
}

void TbsDC::DrawImage(int x, int y, const QImage& image)
{
    if (!image.isNull())
        Paint([&](QPainter& p) { p.drawImage(QPoint(x, y), image); });
}

void TbsDC::StretchDrawImage(const TRect& dst, const QImage& image)
{
    if (!image.isNull() && !dst.IsEmpty())
        Paint([&](QPainter& p) { p.drawImage(dst.toQRect(), image); });
}
