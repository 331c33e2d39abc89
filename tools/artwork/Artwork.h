// The drawing helpers shared by every picture of the artwork tool, and the two
// groups of pictures it writes.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainterPath>
#include <QPointF>
#include <QString>
#include <functional>
#include <initializer_list>

class QPainter;

namespace artwork {

// Draws on a painter; icons draw in 16 units.
using Drawing = std::function<void(QPainter&)>;

// The folder the PNG files go to; counts the files it could not write.
class PngFolder {
public:
    explicit PngFolder(QString path);
    void save(const QImage& image, const QString& name);
    // Under a relative file name that carries its own extension and format.
    void saveFile(const QImage& image, const QString& fileName, const char* format);
    int failures() const { return m_failures; }

private:
    QString m_path;
    int m_failures = 0;
};

enum class Edges { Smooth, Sharp };

// A picture of width x height pixels drawn on a transparent ground.
QImage paint(int width, int height, const Drawing& draw, Edges edges = Edges::Smooth);

// A 16-unit drawing scaled to size x size pixels.
QImage icon(const Drawing& draw, int size = 16);

QLinearGradient vertical(double top, double bottom, const QColor& from, const QColor& to);
QFont sans(double pixelSize, bool bold);

// A line through the points, and the outline that closes it back to the first.
QPainterPath openPath(std::initializer_list<QPointF> points);
QPainterPath closedPath(std::initializer_list<QPointF> corners);

// The white cross of the error and delete icons.
void whiteCross(QPainter& p);

// The main window, the about box and the tray.
void drawWindowArtwork(PngFolder& folder);
// The hosts manager's tree and the probe log viewer.
void drawListArtwork(PngFolder& folder);
// The picture of the program's skin, a BMP under skin/.
void drawSkinArtwork(PngFolder& folder);

} // namespace artwork
