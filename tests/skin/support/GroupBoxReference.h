#pragma once

// A naive reference for the framed look of a tiled nine-part skin: for each
// pixel of a control of a new size, the picture pixel it shows. Written from
// the rules, one pixel at a time, apart from the image builders.

#include "SkinPixelHelpers.h"
#include "bsSkinControl.h"

#include <QImage>
#include <QSize>
#include <QWidget>

struct NinePartSkin {
    TRect SR;              // the image inside the picture
    TPoint LT, RT, LB, RB; // corner points, relative to SR
    TRect CL;              // client part, relative to SR
};

// The group box of the program's skin.
inline NinePartSkin programGroupBoxSkin()
{
    return {Rect(352, 75, 411, 127), Point(5, 19),       Point(52, 19), Point(4, 47),
            Point(53, 47),           Rect(2, 17, 57, 50)};
}

inline int wrapped(int value, int period)
{
    return ((value % period) + period) % period;
}

// One edge strip across the control: corner pieces keep their size, the
// middle repeats from the strip's start.
inline int rowStripColumn(int x, int leftPoint, int rightPoint, int newRightPoint)
{
    if (x < leftPoint)
        return x;
    if (x >= newRightPoint)
        return rightPoint + (x - newRightPoint);
    return leftPoint + wrapped(x, rightPoint - leftPoint);
}

// One edge strip down the control between the top and bottom strips: its
// ends keep their size, the middle repeats from the strip's top.
inline int columnStripRow(int r, int stripHeight, const TRect& CL, int topPoint, int bottomPoint)
{
    const int topEnd = topPoint - CL.Top;
    const int bottomEnd = CL.Bottom - bottomPoint;
    if (r < topEnd)
        return CL.Top + r;
    if (r >= stripHeight - bottomEnd)
        return bottomPoint + (r - (stripHeight - bottomEnd));
    return topPoint + wrapped(r, bottomPoint - topPoint);
}

// Picture coordinates of the pixel (x, y) of a W x H control.
inline TPoint framePixelSource(const NinePartSkin& s, int W, int H, int x, int y)
{
    const int dx = W - s.SR.Width();
    const int dy = H - s.SR.Height();
    const TRect NCL = Rect(s.CL.Left, s.CL.Top, s.CL.Right + dx, s.CL.Bottom + dy);
    const int topHeight = NCL.Top;
    const int bottomHeight = H - NCL.Bottom;
    const int stripHeight = H - topHeight - bottomHeight;
    if (y < topHeight)
        return Point(s.SR.Left + rowStripColumn(x, s.LT.X, s.RT.X, s.RT.X + dx), s.SR.Top + y);
    if (y >= NCL.Bottom)
        return Point(s.SR.Left + rowStripColumn(x, s.LB.X, s.RB.X, s.RB.X + dx),
                     s.SR.Bottom - bottomHeight + (y - NCL.Bottom));
    const int r = y - topHeight;
    if (x < NCL.Left)
        return Point(s.SR.Left + x,
                     s.SR.Top + columnStripRow(r, stripHeight, s.CL, s.LT.Y, s.LB.Y));
    if (x >= NCL.Right)
        return Point(s.SR.Left + s.CL.Right + (x - NCL.Right),
                     s.SR.Top + columnStripRow(r, stripHeight, s.CL, s.RT.Y, s.RB.Y));
    return Point(s.SR.Left + s.CL.Left + wrapped(x - NCL.Left, s.CL.Width()),
                 s.SR.Top + s.CL.Top + wrapped(y - NCL.Top, s.CL.Height()));
}

// A picture whose every pixel differs from every other: red and green the
// low bytes of x and y, blue their high bits.
inline quint32 distinctPixel(int x, int y)
{
    return argb(255, x & 0xFF, y & 0xFF, ((x >> 8) << 4) | (y >> 8));
}

// The framed look of a W x H control as an opaque bitmap.
inline void fillFrameReference(TbsBitmap& out, const NinePartSkin& s, const TbsBitmap& picture,
                               int W, int H)
{
    out.SetSize(W, H);
    fillWith(out, [&](int x, int y) {
        const TPoint p = framePixelSource(s, W, H, x, y);
        return pixelAt(picture, p.X, p.Y) | 0xFF000000;
    });
}

// Colour bytes only: the widget paths leave the alpha byte to the target.
inline testing::AssertionResult sameColours(const QImage& image, const TbsBitmap& expected,
                                            const TRect& area)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    for (int y = area.Top; y < area.Bottom; ++y)
        for (int x = area.Left; x < area.Right; ++x) {
            const quint32 got = rgb.pixel(x, y) & 0xFFFFFF;
            const quint32 want = pixelAt(expected, x, y) & 0xFFFFFF;
            if (got != want)
                return testing::AssertionFailure() << "pixel " << x << "," << y << " is "
                                                   << hexOf(got) << ", expected " << hexOf(want);
        }
    return testing::AssertionSuccess();
}

// The caption in font, clipped to clip, at (x, y) on target.
inline void drawCaption(TbsBitmap& target, const TFont& font, const TRect& clip, int x, int y,
                        const QString& text)
{
    TbsDC* dc = target.Canvas();
    font.AssignTo(dc);
    dc->SetBrushStyle(TbsBrushStyle::bsClear);
    const int saved = dc->SaveDC();
    dc->IntersectClipRect(clip);
    dc->TextOut(x, y, text);
    dc->RestoreDC(saved);
}

// Width and height of text in font.
inline QSize textSize(const TFont& font, const QString& text)
{
    TbsBitmap scratch;
    scratch.SetSize(1, 1);
    TbsDC* dc = scratch.Canvas();
    font.AssignTo(dc);
    return QSize(dc->TextWidth(text), dc->TextHeight(text));
}

// What the widget paints, children left out, on a background of fill.
inline QImage renderOf(QWidget* widget, QRgb fill = 0xFF123456)
{
    QImage image(widget->size(), QImage::Format_ARGB32);
    image.fill(fill);
    widget->render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    return image;
}
