// The pictures of the main window, the about box and the tray: menu icons,
// glyphs, backgrounds, the probe switch, the logo and the link tiles.

#include "Artwork.h"

#include <QPainter>
#include <QRadialGradient>
#include <cmath>
#include <utility>

namespace artwork {
namespace {

QPainterPath shieldPath(const QRectF& r)
{
    QPainterPath path;
    const double cx = r.center().x();
    path.moveTo(cx, r.top());
    path.cubicTo(cx + r.width() * 0.25, r.top() + r.height() * 0.08, r.right(),
                 r.top() + r.height() * 0.1, r.right(), r.top() + r.height() * 0.12);
    path.cubicTo(r.right(), r.top() + r.height() * 0.62, cx + r.width() * 0.22,
                 r.bottom() - r.height() * 0.1, cx, r.bottom());
    path.cubicTo(cx - r.width() * 0.22, r.bottom() - r.height() * 0.1, r.left(),
                 r.top() + r.height() * 0.62, r.left(), r.top() + r.height() * 0.12);
    path.cubicTo(r.left(), r.top() + r.height() * 0.1, cx - r.width() * 0.25,
                 r.top() + r.height() * 0.08, cx, r.top());
    return path;
}

// The program's emblem: a blue shield with a white tick.
void shield(QPainter& p, const QRectF& r)
{
    const QPainterPath path = shieldPath(r);
    p.setPen(QPen(QColor(21, 55, 104), r.width() / 20.0));
    p.setBrush(vertical(r.top(), r.bottom(), QColor(88, 148, 222), QColor(28, 76, 146)));
    p.drawPath(path);
    const QRectF inner =
        r.adjusted(r.width() * 0.14, r.height() * 0.12, -r.width() * 0.14, -r.height() * 0.16);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 46));
    QPainterPath leftHalf;
    leftHalf.addRect(QRectF(inner.left(), inner.top(), inner.width() / 2, inner.height()));
    p.drawPath(shieldPath(inner).intersected(leftHalf));
    QPen tick(Qt::white, r.width() / 8.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(tick);
    p.setBrush(Qt::NoBrush);
    p.drawPath(openPath({{r.left() + r.width() * 0.3, r.top() + r.height() * 0.5},
                         {r.left() + r.width() * 0.45, r.top() + r.height() * 0.65},
                         {r.left() + r.width() * 0.72, r.top() + r.height() * 0.33}}));
}

void roundBadge(QPainter& p, const QColor& light, const QColor& dark)
{
    p.setPen(QPen(dark.darker(130), 0.8));
    QRadialGradient gradient(6, 5, 10);
    gradient.setColorAt(0, light);
    gradient.setColorAt(1, dark);
    p.setBrush(gradient);
    p.drawEllipse(QRectF(1, 1, 14, 14));
}

void drawError(QPainter& p)
{
    roundBadge(p, QColor(250, 120, 110), QColor(196, 36, 30));
    whiteCross(p);
}

void cylinder(QPainter& p, const QRectF& r)
{
    const double lid = r.height() * 0.28;
    QLinearGradient body(r.left(), 0, r.right(), 0);
    body.setColorAt(0, QColor(54, 104, 178));
    body.setColorAt(0.45, QColor(120, 170, 232));
    body.setColorAt(1, QColor(40, 82, 150));
    p.setPen(QPen(QColor(26, 56, 106), 0.7));
    p.setBrush(body);
    QPainterPath path;
    path.moveTo(r.left(), r.top() + lid / 2);
    path.lineTo(r.left(), r.bottom() - lid / 2);
    path.arcTo(QRectF(r.left(), r.bottom() - lid, r.width(), lid), 180, 180);
    path.lineTo(r.right(), r.top() + lid / 2);
    path.closeSubpath();
    p.drawPath(path);
    p.setBrush(QColor(170, 205, 245));
    p.drawEllipse(QRectF(r.left(), r.top(), r.width(), lid));
}

void smallArrowUp(QPainter& p, double x, double y, const QColor& color)
{
    p.setPen(QPen(color.darker(150), 0.6));
    p.setBrush(color);
    p.drawPath(closedPath({{x, y},
                           {x + 3.5, y + 3.5},
                           {x + 1.6, y + 3.5},
                           {x + 1.6, y + 6.5},
                           {x - 1.6, y + 6.5},
                           {x - 1.6, y + 3.5},
                           {x - 3.5, y + 3.5}}));
}

void drawDatabase(QPainter& p)
{
    cylinder(p, QRectF(1.5, 1.5, 10, 12.5));
    smallArrowUp(p, 12, 8.8, QColor(70, 190, 70));
}

void refreshArrows(QPainter& p, const QColor& color)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(color, 2.0, Qt::SolidLine, Qt::FlatCap));
    const QRectF ring(3, 3, 10, 10);
    p.drawArc(ring, 30 * 16, 140 * 16);
    p.drawArc(ring, 210 * 16, 140 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    QPolygonF head1;
    head1 << QPointF(13.9, 3.2) << QPointF(14.4, 8.2) << QPointF(9.8, 6.4);
    QPolygonF head2;
    head2 << QPointF(2.1, 12.8) << QPointF(1.6, 7.8) << QPointF(6.2, 9.6);
    p.drawPolygon(head1);
    p.drawPolygon(head2);
}

void drawRefreshHosts(QPainter& p)
{
    refreshArrows(p, QColor(46, 150, 56));
}

void drawDownload(QPainter& p)
{
    p.setPen(QPen(QColor(28, 70, 140), 0.7));
    p.setBrush(vertical(1, 11, QColor(110, 170, 240), QColor(34, 96, 186)));
    p.drawPath(
        closedPath({{6, 1.5}, {10, 1.5}, {10, 6.5}, {13, 6.5}, {8, 11.5}, {3, 6.5}, {6, 6.5}}));
    p.setPen(QPen(QColor(90, 100, 112), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(2.5, 14), QPointF(13.5, 14));
}

void drawAbout(QPainter& p)
{
    roundBadge(p, QColor(120, 180, 250), QColor(30, 90, 180));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(7, 3.6, 2, 2));
    p.drawRoundedRect(QRectF(7.1, 6.6, 1.8, 6), 0.6, 0.6);
}

void drawExit(QPainter& p)
{
    roundBadge(p, QColor(250, 130, 110), QColor(190, 40, 30));
    p.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(4.5, 4.8, 7, 7), 125 * 16, 290 * 16);
    p.drawLine(QPointF(8, 3.6), QPointF(8, 7.8));
}

QPainterPath gearPath(double cx, double cy, double outer, double inner, int teeth)
{
    QPainterPath path;
    for (int i = 0; i < teeth * 4; ++i) {
        const double angle = M_PI * 2 * i / (teeth * 4);
        const double radius = (i % 4 < 2) ? outer : inner;
        const QPointF point(cx + radius * std::cos(angle), cy + radius * std::sin(angle));
        if (i == 0)
            path.moveTo(point);
        else
            path.lineTo(point);
    }
    path.closeSubpath();
    path.addEllipse(QPointF(cx, cy), outer * 0.32, outer * 0.32);
    path.setFillRule(Qt::OddEvenFill);
    return path;
}

void drawSettings(QPainter& p)
{
    p.setPen(QPen(QColor(70, 78, 90), 0.6));
    p.setBrush(vertical(1, 15, QColor(200, 206, 214), QColor(110, 120, 134)));
    p.drawPath(gearPath(8, 8, 7, 5.2, 8));
}

void drawWeb(QPainter& p)
{
    roundBadge(p, QColor(140, 200, 250), QColor(34, 110, 190));
    p.setPen(QPen(QColor(255, 255, 255, 210), 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(5, 1.3, 6, 13.4));
    p.drawLine(QPointF(8, 1.3), QPointF(8, 14.7));
    p.drawLine(QPointF(1.3, 8), QPointF(14.7, 8));
    p.drawArc(QRectF(2.4, 2.2, 11.2, 5), 200 * 16, 140 * 16);
    p.drawArc(QRectF(2.4, 8.8, 11.2, 5), 20 * 16, 140 * 16);
}

void drawRestore(QPainter& p)
{
    p.setPen(QPen(QColor(40, 70, 120), 0.8));
    p.setBrush(QColor(250, 252, 255));
    p.drawRect(QRectF(1.5, 2.5, 13, 11));
    p.setPen(Qt::NoPen);
    p.setBrush(vertical(2.5, 5.5, QColor(100, 160, 230), QColor(40, 96, 176)));
    p.drawRect(QRectF(1.9, 2.9, 12.2, 2.8));
    smallArrowUp(p, 8, 6.6, QColor(70, 190, 70));
}

void drawUpdateGlyph(QPainter& p)
{
    refreshArrows(p, QColor(40, 140, 50));
}

void drawPalette(QPainter& p)
{
    const QColor colors[4] = {QColor(230, 60, 50), QColor(60, 190, 70), QColor(50, 110, 220),
                              QColor(250, 200, 40)};
    p.setPen(QPen(QColor(60, 60, 60), 0.6));
    for (int i = 0; i < 4; ++i) {
        p.setBrush(colors[i]);
        p.drawRoundedRect(QRectF(1.5 + (i % 2) * 7, 1.5 + (i / 2) * 7, 6, 6), 1, 1);
    }
}

void drawTrayShield(QPainter& p)
{
    shield(p, QRectF(1.5, 0.8, 13, 14.4));
}

void drawIcons(PngFolder& folder)
{
    const std::pair<const char*, Drawing> menuIcons[] = {
        {"img16_0_error", drawError},          {"img16_1_database", drawDatabase},
        {"img16_2_refresh", drawRefreshHosts}, {"img16_3_download", drawDownload},
        {"img16_4_about", drawAbout},          {"img16_5_exit", drawExit},
        {"img16_6_settings", drawSettings},    {"img16_7_web", drawWeb},
        {"img16_8_restore", drawRestore},
    };
    for (const auto& [name, draw] : menuIcons)
        folder.save(icon(draw), name);

    folder.save(icon(drawUpdateGlyph, 20), "glyph_update");
    folder.save(icon(drawSettings, 20), "glyph_settings");
    folder.save(icon(drawAbout, 20), "glyph_about");
    folder.save(icon(drawPalette), "glyph_color");
    // The program's icon in every size desktops ask for; the build installs each.
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        folder.save(icon(drawTrayShield, size), QString("shield_%1").arg(size));
}

void drawBackgrounds(PngFolder& folder)
{
    folder.save(paint(330, 162,
                      [](QPainter& p) {
                          p.fillRect(p.window(), vertical(0, 162, QColor(252, 253, 255),
                                                          QColor(222, 230, 241)));
                          p.setOpacity(0.07);
                          shield(p, QRectF(226, 18, 110, 128));
                      }),
                "main_background");

    folder.save(paint(312, 28,
                      [](QPainter& p) {
                          p.setPen(QPen(QColor(198, 211, 228), 1));
                          p.setBrush(vertical(0, 28, QColor(255, 255, 255, 220),
                                              QColor(226, 234, 245, 160)));
                          p.drawRoundedRect(QRectF(0.5, 0.5, 311, 27), 6, 6);
                      }),
                "main_heading");

    folder.save(paint(
                    330, 41,
                    [](QPainter& p) {
                        p.fillRect(p.window(),
                                   vertical(0, 41, QColor(236, 241, 248), QColor(200, 212, 228)));
                        p.setPen(QColor(170, 184, 204));
                        p.drawLine(0, 0, 329, 0);
                        p.setPen(QColor(255, 255, 255, 200));
                        p.drawLine(0, 1, 329, 1);
                    },
                    Edges::Sharp),
                "panel_background");

    folder.save(paint(410, 434,
                      [](QPainter& p) {
                          p.fillRect(p.window(), vertical(0, 434, QColor(255, 255, 255),
                                                          QColor(218, 228, 242)));
                          p.setPen(QColor(150, 168, 194));
                          p.setBrush(Qt::NoBrush);
                          p.drawRect(QRectF(0, 0, 409, 433));
                          p.setOpacity(0.05);
                          shield(p, QRectF(250, 250, 150, 176));
                      }),
                "about_background");
}

void drawSwitch(QPainter& p, bool on)
{
    const QRectF pill(0.5, 0.5, 93, 26);
    if (on) {
        p.setPen(QPen(QColor(36, 118, 44), 1));
        p.setBrush(vertical(0, 27, QColor(120, 214, 112), QColor(44, 150, 54)));
    } else {
        p.setPen(QPen(QColor(132, 142, 156), 1));
        p.setBrush(vertical(0, 27, QColor(226, 230, 236), QColor(180, 188, 200)));
    }
    p.drawRoundedRect(pill, 13, 13);
    const QRectF knob = on ? QRectF(68, 3, 21, 21) : QRectF(5, 3, 21, 21);
    p.setPen(QPen(QColor(120, 128, 140), 0.8));
    p.setBrush(vertical(3, 24, QColor(255, 255, 255), QColor(214, 219, 226)));
    p.drawEllipse(knob);
    p.setFont(sans(12, true));
    p.setPen(on ? Qt::white : QColor(70, 80, 96));
    const QRectF label = on ? QRectF(6, 0, 60, 27) : QRectF(28, 0, 60, 27);
    p.drawText(label, Qt::AlignCenter, on ? "ON" : "OFF");
}

void drawLogo(QPainter& p)
{
    p.setRenderHint(QPainter::TextAntialiasing);
    shield(p, QRectF(8, 8, 78, 91));
    p.setPen(QColor(24, 58, 108));
    p.setFont(sans(30, true));
    p.drawText(QRectF(98, 14, 225, 44), Qt::AlignLeft | Qt::AlignVCenter, "Solvek");
    p.setPen(QColor(44, 140, 54));
    p.setFont(sans(22, true));
    p.drawText(QRectF(98, 52, 225, 30), Qt::AlignLeft | Qt::AlignVCenter, "Anti-Bot 3.0");
    p.setPen(QColor(96, 108, 124));
    p.setFont(sans(11, false));
    p.drawText(QRectF(99, 80, 225, 18), Qt::AlignLeft | Qt::AlignVCenter,
               "keeps botnets off this computer");
}

// A rounded tile with a white symbol for the link row of the about box.
QImage linkTile(const QColor& light, const QColor& dark, const Drawing& symbol)
{
    return paint(48, 48, [&](QPainter& p) {
        p.setPen(QPen(dark.darker(130), 1));
        p.setBrush(vertical(2, 46, light, dark));
        p.drawRoundedRect(QRectF(2.5, 2.5, 43, 43), 9, 9);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 40));
        p.drawRoundedRect(QRectF(4, 4, 40, 18), 7, 7);
        p.setPen(QPen(Qt::white, 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::white);
        symbol(p);
    });
}

void speechBubble(QPainter& p, const QRectF& r, bool tailLeft)
{
    QPainterPath bubble;
    bubble.addRoundedRect(r, 5, 5);
    QPolygonF tail;
    if (tailLeft)
        tail << QPointF(r.left() + 5, r.bottom() - 1) << QPointF(r.left() + 3, r.bottom() + 6)
             << QPointF(r.left() + 12, r.bottom() - 1);
    else
        tail << QPointF(r.right() - 5, r.bottom() - 1) << QPointF(r.right() - 3, r.bottom() + 6)
             << QPointF(r.right() - 12, r.bottom() - 1);
    bubble.addPolygon(tail);
    bubble.setFillRule(Qt::WindingFill);
    p.drawPath(bubble.simplified());
}

void drawLinks(PngFolder& folder)
{
    folder.save(linkTile(QColor(240, 110, 100), QColor(184, 36, 30),
                         [](QPainter& p) {
                             p.setPen(Qt::NoPen);
                             QPolygonF play;
                             play << QPointF(19, 14) << QPointF(34, 24) << QPointF(19, 34);
                             p.drawPolygon(play);
                         }),
                "link_video");
    folder.save(linkTile(QColor(110, 160, 236), QColor(36, 84, 170),
                         [](QPainter& p) {
                             p.setPen(Qt::NoPen);
                             p.drawEllipse(QRectF(13, 12, 9, 9));
                             p.drawPie(QRectF(8, 23, 19, 18), 0, 180 * 16);
                             p.setBrush(QColor(255, 255, 255, 170));
                             p.drawEllipse(QRectF(27, 14, 8, 8));
                             p.drawPie(QRectF(23, 24, 16, 16), 0, 180 * 16);
                         }),
                "link_social");
    folder.save(linkTile(QColor(176, 130, 226), QColor(100, 52, 160),
                         [](QPainter& p) {
                             const QPointF a(24, 13), b(14, 32), c(34, 32);
                             p.drawLine(a, b);
                             p.drawLine(b, c);
                             p.drawLine(c, a);
                             p.setPen(Qt::NoPen);
                             for (const QPointF& point : {a, b, c})
                                 p.drawEllipse(point, 5, 5);
                         }),
                "link_community");
    folder.save(linkTile(QColor(110, 206, 232), QColor(28, 130, 170),
                         [](QPainter& p) {
                             p.setPen(Qt::NoPen);
                             speechBubble(p, QRectF(10, 11, 28, 20), true);
                             p.setPen(QPen(QColor(28, 130, 170), 2.2, Qt::SolidLine, Qt::RoundCap));
                             p.drawLine(QPointF(15, 18), QPointF(33, 18));
                             p.drawLine(QPointF(15, 24), QPointF(27, 24));
                         }),
                "link_microblog");
    folder.save(linkTile(QColor(248, 184, 90), QColor(200, 110, 20),
                         [](QPainter& p) {
                             p.setPen(Qt::NoPen);
                             p.setBrush(QColor(255, 255, 255, 170));
                             speechBubble(p, QRectF(18, 10, 21, 15), false);
                             p.setBrush(Qt::white);
                             p.setPen(QPen(QColor(200, 110, 20), 1.5));
                             speechBubble(p, QRectF(9, 19, 21, 15), true);
                         }),
                "link_forum");
}

void drawClose(QPainter& p)
{
    p.setPen(QPen(QColor(90, 100, 114), 1));
    p.setBrush(vertical(2, 30, QColor(176, 186, 198), QColor(112, 124, 140)));
    p.drawEllipse(QRectF(2.5, 2.5, 27, 27));
    p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(11, 11), QPointF(21, 21));
    p.drawLine(QPointF(21, 11), QPointF(11, 21));
}

} // namespace

void drawWindowArtwork(PngFolder& folder)
{
    drawIcons(folder);
    drawBackgrounds(folder);
    folder.save(paint(94, 27, [](QPainter& p) { drawSwitch(p, false); }), "probe_off");
    folder.save(paint(94, 27, [](QPainter& p) { drawSwitch(p, true); }), "probe_on");
    folder.save(paint(323, 107, drawLogo), "about_logo");
    drawLinks(folder);
    folder.save(paint(32, 32, drawClose), "about_close");
}

} // namespace artwork
