#pragma once

// The group-box cut of the program's own skin and a picture whose every pixel
// tells where it came from, shared by the builder and control tests.

#include "SkinPixelHelpers.h"
#include "bsSkinImages.h"

// Pixel (x, y) of a distinct picture: opaque, x in bits 12..23, y in 0..11.
inline quint32 distinctPixel(int x, int y)
{
    return 0xFF000000u | (quint32(x) << 12) | quint32(y);
}

class DistinctPicture : public TbsBitmap {
public:
    DistinctPicture(int width, int height)
    {
        SetSize(width, height);
        fillWith(*this, distinctPixel);
    }
};

// The group box's skin rectangle, 59 x 52, placed at (100, 30) in the picture.
inline const TRect kGroupSkinRect = Rect(100, 30, 159, 82);

// The group box's cut at a size of width x height, the new points worked out
// by hand: the right points move with the width, the bottom ones with the height.
inline TbsSkinGeometry groupBoxGeometry(int width, int height)
{
    const int dx = width - 59;
    const int dy = height - 52;
    TbsSkinGeometry g;
    g.LTPt = Point(5, 19);
    g.RTPt = Point(52, 19);
    g.LBPt = Point(4, 47);
    g.RBPt = Point(53, 47);
    g.CL = Rect(2, 17, 57, 50);
    g.NewLTPoint = g.LTPt;
    g.NewRTPoint = Point(52 + dx, 19);
    g.NewLBPoint = Point(4, 47 + dy);
    g.NewRBPoint = Point(53 + dx, 47 + dy);
    g.NCL = Rect(2, 17, 57 + dx, 50 + dy);
    g.Width = width;
    g.Height = height;
    return g;
}

// A coordinate of a tiled edge: before lo as it is, from the moved end
// (hi + delta) on shifted back by delta, between them repeated from lo.
inline int tiledCoordinate(int v, int lo, int hi, int delta)
{
    if (v < lo)
        return v;
    if (v >= hi + delta)
        return v - delta;
    return lo + (v - lo) % (hi - lo);
}

// The stretch of a span of srcLength pixels over dstLength pixels, nearest
// source below: offset k takes k * (srcLength - 1) / (dstLength - 1).
inline int stretchedOffset(int k, int srcLength, int dstLength)
{
    return dstLength == 1 ? (srcLength - 1) / 2 : k * (srcLength - 1) / (dstLength - 1);
}
