#pragma once

// The group-box cut of the program's own skin and a picture whose every pixel
// tells where it came from, shared by the builder and control tests.

#include "SkinPixelHelpers.h"
#include "bsSkinData.h"
#include "bsSkinImages.h"

#include <memory>

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

// Pixel (sx, sy) of the group box's skin rectangle in the distinct picture.
inline quint32 skinPixel(int sx, int sy)
{
    return distinctPixel(kGroupSkinRect.Left + sx, kGroupSkinRect.Top + sy);
}

// The nine-part image with every middle tiled from its new start point,
// worked out per pixel by bands (for sizes not below the skin's own).
inline quint32 tiledNinePart(const TbsSkinGeometry& g, int x, int y)
{
    const int dx = g.Width - kGroupSkinRect.Width();
    const int dy = g.Height - kGroupSkinRect.Height();
    if (y < g.NCL.Top)
        return skinPixel(tiledCoordinate(x, g.LTPt.X, g.RTPt.X, dx), y);
    if (y >= g.NCL.Bottom)
        return skinPixel(tiledCoordinate(x, g.LBPt.X, g.RBPt.X, dx), y - dy);
    if (x < g.NCL.Left)
        return skinPixel(x, tiledCoordinate(y, g.LTPt.Y, g.LBPt.Y, dy));
    if (x >= g.NCL.Right)
        return skinPixel(x - dx, tiledCoordinate(y, g.RTPt.Y, g.RBPt.Y, dy));
    return skinPixel(g.CL.Left + (x - g.NCL.Left) % g.CL.Width(),
                     g.CL.Top + (y - g.NCL.Top) % g.CL.Height());
}

// The group box drawn by frame strips at width x height (not below 59 x 52):
// row strips tile their middles from their left edge, column strips from
// their top under ends of 2 and 3 rows, the client part from its top-left.
inline quint32 frameStripGroupBox(int width, int height, int x, int y)
{
    const int dx = width - 59;
    const int dy = height - 52;
    const int sideHeight = height - 17 - 2;
    auto rowX = [&](int lo, int hi) {
        return x < lo ? x : x >= hi + dx ? x - dx : lo + x % (hi - lo);
    };
    auto columnY = [&](int r) {
        return r < 2 ? 17 + r : r >= sideHeight - 3 ? 47 + r - (sideHeight - 3) : 19 + r % 28;
    };
    if (y < 17)
        return skinPixel(rowX(5, 52), y);
    if (y >= height - 2)
        return skinPixel(rowX(4, 53), y - dy);
    if (x < 2)
        return skinPixel(x, columnY(y - 17));
    if (x >= width - 2)
        return skinPixel(x - dx, columnY(y - 17));
    return skinPixel(2 + (x - 2) % 55, 17 + (y - 17) % 33);
}

// The group box's descriptor: picture 0, mask none, the cut above.
inline std::unique_ptr<TbsDataSkinPanelControl> groupBoxDescriptor(const QString& name)
{
    auto d = std::make_unique<TbsDataSkinPanelControl>(name);
    d->PictureIndex = 0;
    d->MaskPictureIndex = -1;
    d->SkinRect = kGroupSkinRect;
    const TbsSkinGeometry g = groupBoxGeometry(59, 52);
    d->LTPoint = g.LTPt;
    d->RTPoint = g.RTPt;
    d->LBPoint = g.LBPt;
    d->RBPoint = g.RBPt;
    d->ClRect = g.CL;
    return d;
}

// An in-memory skin: picture 0 a 200 x 120 distinct picture, a "groupbox"
// descriptor first in the control list.
class TestSkin : public TbsSkinData {
public:
    TestSkin()
    {
        FActivePictures.push_back(std::make_unique<DistinctPicture>(200, 120));
        CtrlList.push_back(groupBoxDescriptor(QStringLiteral("groupbox")));
        Empty = false;
    }
    TbsDataSkinPanelControl& groupBox()
    {
        return static_cast<TbsDataSkinPanelControl&>(*CtrlList.front());
    }
    // Appends a picture and answers its index.
    int addPicture(std::unique_ptr<TbsBitmap> picture)
    {
        FActivePictures.push_back(std::move(picture));
        return int(FActivePictures.size()) - 1;
    }
};
