// The 16-pixel icons of the hosts manager's tree and the probe log viewer.

#include "Artwork.h"

#include <QPainter>
#include <QRadialGradient>
#include <utility>

namespace artwork {
namespace {

void folderShape(QPainter& p)
{
    p.setPen(QPen(QColor(176, 128, 30), 0.7));
    p.setBrush(QColor(236, 190, 80));
    p.drawPath(closedPath({{1.5, 3}, {6, 3}, {7.5, 4.5}, {14.5, 4.5}, {14.5, 13.5}, {1.5, 13.5}}));
    p.setBrush(vertical(6, 13.5, QColor(255, 226, 130), QColor(240, 186, 60)));
    p.drawRect(QRectF(1.5, 6, 13, 7.5));
}

// A beetle seen from above, the family colour on its shell.
void bug(QPainter& p, const QRectF& r, const QColor& color)
{
    const double s = r.width() / 16.0;
    p.save();
    p.translate(r.topLeft());
    p.scale(s, s);
    p.setPen(QPen(QColor(40, 40, 40), 1.0, Qt::SolidLine, Qt::RoundCap));
    for (double y : {6.0, 8.5, 11.0}) {
        p.drawLine(QPointF(4.5, y), QPointF(1.5, y - 1));
        p.drawLine(QPointF(11.5, y), QPointF(14.5, y - 1));
    }
    p.drawLine(QPointF(6.8, 3), QPointF(5, 1));
    p.drawLine(QPointF(9.2, 3), QPointF(11, 1));
    p.setPen(QPen(color.darker(170), 0.7));
    p.setBrush(QColor(50, 50, 50));
    p.drawEllipse(QRectF(5.8, 2, 4.4, 3.6));
    QRadialGradient shell(7, 7, 7);
    shell.setColorAt(0, color.lighter(150));
    shell.setColorAt(1, color);
    p.setBrush(shell);
    p.drawEllipse(QRectF(4, 4.5, 8, 10.5));
    p.setPen(QPen(color.darker(170), 0.6));
    p.drawLine(QPointF(8, 5), QPointF(8, 14.8));
    p.restore();
}

Drawing wholeBug(const QColor& color)
{
    return [color](QPainter& p) { bug(p, QRectF(0, 0, 16, 16), color); };
}

void drawTracker(QPainter& p)
{
    folderShape(p);
    bug(p, QRectF(6, 6, 10, 10), QColor(200, 40, 36));
}

void drawCustom(QPainter& p)
{
    folderShape(p);
    p.setPen(QPen(QColor(30, 110, 40), 0.6));
    p.setBrush(QColor(80, 180, 80));
    p.drawEllipse(QRectF(8.5, 8.5, 7, 7));
    p.setPen(QPen(Qt::white, 1.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(12, 10.2), QPointF(12, 13.8));
    p.drawLine(QPointF(10.2, 12), QPointF(13.8, 12));
}

void drawCategory(QPainter& p)
{
    p.setPen(QPen(QColor(90, 100, 116), 0.7));
    p.setBrush(vertical(1.5, 14.5, QColor(255, 255, 255), QColor(226, 232, 240)));
    p.drawPath(closedPath({{3, 1.5}, {10, 1.5}, {13, 4.5}, {13, 14.5}, {3, 14.5}}));
    p.setPen(QPen(QColor(60, 110, 190), 1.0));
    for (double y : {6.0, 8.5, 11.0})
        p.drawLine(QPointF(5, y), QPointF(11, y));
}

void drawDelete(QPainter& p)
{
    p.setPen(QPen(QColor(150, 26, 20), 0.7));
    p.setBrush(vertical(2, 14, QColor(250, 120, 110), QColor(200, 40, 32)));
    p.drawRoundedRect(QRectF(2, 2, 12, 12), 2.5, 2.5);
    whiteCross(p);
}

void drawRename(QPainter& p)
{
    p.save();
    p.translate(8, 8);
    p.rotate(45);
    p.setPen(QPen(QColor(120, 90, 20), 0.6));
    p.setBrush(vertical(-2, 2, QColor(255, 220, 90), QColor(230, 170, 30)));
    p.drawRect(QRectF(-5, -2, 9, 4));
    p.setBrush(QColor(240, 150, 160));
    p.drawRect(QRectF(4, -2, 2.5, 4));
    p.setBrush(QColor(240, 220, 180));
    QPolygonF tip;
    tip << QPointF(-5, -2) << QPointF(-8, 0) << QPointF(-5, 2);
    p.drawPolygon(tip);
    p.restore();
    p.setPen(QPen(QColor(60, 60, 60), 1.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(2, 14.5), QPointF(9, 14.5));
}

void calendar(QPainter& p, const QColor& header)
{
    p.setPen(QPen(QColor(90, 100, 116), 0.7));
    p.setBrush(QColor(252, 252, 252));
    p.drawRoundedRect(QRectF(1.5, 2.5, 13, 12), 1.2, 1.2);
    p.setPen(Qt::NoPen);
    p.setBrush(vertical(2.5, 6, header.lighter(130), header));
    p.drawRect(QRectF(1.9, 2.9, 12.2, 3.2));
    p.setBrush(QColor(120, 130, 146));
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 4; ++col)
            p.drawRect(QRectF(3.2 + col * 2.6, 7.8 + row * 2.8, 1.6, 1.6));
    p.setPen(QPen(QColor(70, 70, 70), 1.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(4.5, 1.2), QPointF(4.5, 3.8));
    p.drawLine(QPointF(11.5, 1.2), QPointF(11.5, 3.8));
}

void drawDay(QPainter& p)
{
    calendar(p, QColor(200, 50, 40));
}

void drawDayShown(QPainter& p)
{
    calendar(p, QColor(40, 100, 200));
    p.setPen(QPen(QColor(40, 150, 60), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(openPath({{8.2, 11}, {10.2, 13}, {14.6, 7.6}}));
}

// A blocked request: the no-entry sign.
void drawRecord(QPainter& p)
{
    p.setPen(QPen(QColor(150, 26, 20), 0.7));
    QRadialGradient disc(6.5, 6, 9);
    disc.setColorAt(0, QColor(250, 110, 100));
    disc.setColorAt(1, QColor(196, 34, 28));
    p.setBrush(disc);
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(4, 6.8, 8, 2.4), 0.6, 0.6);
}

} // namespace

void drawListArtwork(PngFolder& folder)
{
    const std::pair<const char*, Drawing> icons[] = {
        {"list_tracker", drawTracker},
        {"list_custom", drawCustom},
        {"list_bot_zeus", wholeBug(QColor(200, 40, 36))},
        {"list_bot_palevo", wholeBug(QColor(230, 130, 20))},
        {"list_bot_spyeye", wholeBug(QColor(130, 60, 180))},
        {"list_category", drawCategory},
        {"list_delete", drawDelete},
        {"list_rename", drawRename},
        {"log_day", drawDay},
        {"log_day_shown", drawDayShown},
        {"log_record", drawRecord},
    };
    for (const auto& [name, draw] : icons)
        folder.save(icon(draw), name);
}

} // namespace artwork
