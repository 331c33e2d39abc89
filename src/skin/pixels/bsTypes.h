#pragma once

// Geometry, colour and error types shared by the whole skin engine.
//
// Rectangles keep the system's semantics: Left, Top, Right, Bottom with the
// right and bottom edges outside the rectangle. A QRect would silently turn
// (0, 0, 10, 10) into a 9-pixel-wide box, so the engine uses its own struct and
// converts at the edges where it meets Qt.

#include "SolvekException.h"
#include "ToolkitColors.h"

#include <QPoint>
#include <QRect>
#include <QtGlobal>

struct TPoint {
    int X = 0;
    int Y = 0;

    friend bool operator==(const TPoint&, const TPoint&) = default;
    QPoint toQPoint() const { return QPoint(X, Y); }
};

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    // No pixel inside: zero or negative width or height.
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    TPoint TopLeft() const { return {Left, Top}; }
    // Whether every edge of r lies on or inside this rectangle's edges.
    bool Contains(const TRect& r) const
    {
        return r.Left >= Left && r.Top >= Top && r.Right <= Right && r.Bottom <= Bottom;
    }

    friend bool operator==(const TRect&, const TRect&) = default;

    // Qt rectangles hold the same pixels; an empty rectangle becomes a null QRect.
    QRect toQRect() const { return IsEmpty() ? QRect() : QRect(Left, Top, Width(), Height()); }
    static TRect fromQRect(const QRect& r)
    {
        return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    }
};

inline TPoint Point(int x, int y)
{
    return {x, y};
}
inline TRect Rect(int left, int top, int right, int bottom)
{
    return {left, top, right, bottom};
}
inline TRect Bounds(int left, int top, int width, int height)
{
    return {left, top, left + width, top + height};
}

// The system's intersection: false and (0, 0, 0, 0) when nothing is shared.
bool IntersectRect(TRect& result, const TRect& a, const TRect& b);
void OffsetRect(TRect& rect, int dx, int dy);
// The system's point test: right and bottom edges excluded.
bool PtInRect(const TRect& rect, const TPoint& point);

// The toolkit colour of the platform layer: 0x00BBGGRR (red in the low byte).
// The engine reads its bytes as they are; system colours are not resolved.
using platform::TColor;

inline int GetRValue(TColor c)
{
    return c & 0xFF;
}
inline int GetGValue(TColor c)
{
    return (c >> 8) & 0xFF;
}
inline int GetBValue(TColor c)
{
    return (c >> 16) & 0xFF;
}
inline TColor RGBColor(int r, int g, int b)
{
    return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16);
}

// The skin engine's own failures, with fixed English texts.
class EbsSkinError : public solvek::Exception {
public:
    using solvek::Exception::Exception;
};
