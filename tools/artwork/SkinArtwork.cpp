// The picture of the program's skin: the group box of the settings window.
// The skin cuts it at fixed points (resources/skin/solvek.ini), so every
// strip between two corners stays the same along its length.

#include "Artwork.h"

#include <QPainter>

namespace artwork {
namespace {

// Where the group box sits in the picture and how large it is.
constexpr int boxLeft = 4;
constexpr int boxTop = 4;
constexpr int boxWidth = 59;
constexpr int boxHeight = 52;
// Height of the caption band.
constexpr int captionHeight = 17;

void drawGroupBox(QPainter& p)
{
    p.fillRect(p.window(), QColor(240, 240, 240));
    p.translate(boxLeft, boxTop);
    const QRectF frame(0.5, 0.5, boxWidth - 1, boxHeight - 1);
    QPainterPath outline;
    outline.addRoundedRect(frame, 3, 3);

    p.fillPath(outline, QColor(250, 251, 253));
    p.save();
    p.setClipPath(outline);
    p.fillRect(QRectF(0, 0, boxWidth, captionHeight),
               vertical(0, captionHeight, QColor(253, 254, 255), QColor(219, 230, 243)));
    p.setPen(QColor(189, 204, 222));
    p.drawLine(QPointF(0, captionHeight - 0.5), QPointF(boxWidth, captionHeight - 0.5));
    p.restore();

    p.setPen(QPen(QColor(160, 179, 202), 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(outline);
}

} // namespace

void drawSkinArtwork(PngFolder& folder)
{
    const QImage picture = paint(boxLeft * 2 + boxWidth, boxTop * 2 + boxHeight, drawGroupBox);
    folder.saveFile(picture.convertToFormat(QImage::Format_RGB888), "skin/groupbox.bmp", "BMP");
}

} // namespace artwork
