#include "Artwork.h"

#include "ReplacingFile.h"

#include <QBuffer>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

namespace artwork {

PngFolder::PngFolder(QString path) : m_path(std::move(path)) {}

void PngFolder::save(const QImage& image, const QString& name)
{
    saveFile(image, name + ".png", "PNG");
}

void PngFolder::saveFile(const QImage& image, const QString& fileName, const char* format)
{
    const QString file = m_path + "/" + fileName;
    QBuffer encoded;
    encoded.open(QIODevice::WriteOnly);
    if (!image.save(&encoded, format)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        ++m_failures;
        return;
    }
    try {
        platform::replaceFileContents(file, encoded.data());
    } catch (const platform::EFileReplaceError& e) {
        std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(file), e.what());
        ++m_failures;
    }
}

QImage paint(int width, int height, const Drawing& draw, Edges edges)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    if (edges == Edges::Smooth)
        painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    painter.end();
    return image;
}

QImage icon(const Drawing& draw, int size)
{
    return paint(size, size, [&](QPainter& p) {
        p.scale(size / 16.0, size / 16.0);
        draw(p);
    });
}

QLinearGradient vertical(double top, double bottom, const QColor& from, const QColor& to)
{
    QLinearGradient gradient(0, top, 0, bottom);
    gradient.setColorAt(0, from);
    gradient.setColorAt(1, to);
    return gradient;
}

QFont sans(double pixelSize, bool bold)
{
    QFont font("DejaVu Sans");
    font.setPixelSize(std::max(1, int(std::lround(pixelSize))));
    font.setBold(bold);
    return font;
}

QPainterPath openPath(std::initializer_list<QPointF> points)
{
    QPainterPath path;
    bool first = true;
    for (const QPointF& point : points) {
        if (first)
            path.moveTo(point);
        else
            path.lineTo(point);
        first = false;
    }
    return path;
}

QPainterPath closedPath(std::initializer_list<QPointF> corners)
{
    QPainterPath path = openPath(corners);
    path.closeSubpath();
    return path;
}

void whiteCross(QPainter& p)
{
    p.setPen(QPen(Qt::white, 2.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(5.5, 5.5), QPointF(10.5, 10.5));
    p.drawLine(QPointF(10.5, 5.5), QPointF(5.5, 10.5));
}

} // namespace artwork
