#include "bsSkinImages.h"

namespace {

enum class Axis { Horizontal, Vertical };

int lengthOf(const TRect& r, Axis axis)
{
    return axis == Axis::Horizontal ? r.Width() : r.Height();
}

// r cut to [offset, offset + length) along the axis, counted from r's start.
TRect slice(const TRect& r, Axis axis, int offset, int length)
{
    TRect s = r;
    if (axis == Axis::Horizontal) {
        s.Left = r.Left + offset;
        s.Right = s.Left + length;
    } else {
        s.Top = r.Top + offset;
        s.Bottom = s.Top + length;
    }
    return s;
}

// src repeated along the axis over dst from dst's start, the last copy cut.
void tileAlong(TbsBitmap& bitmap, const TRect& dst, const TbsBitmap& picture, const TRect& src,
               Axis axis)
{
    ForEachTile(lengthOf(dst, axis), lengthOf(src, axis), [&](int offset, int length) {
        CopySkinRect(bitmap, slice(dst, axis, offset, length), picture,
                     slice(src, axis, 0, length));
    });
}

// src repeated both ways over dst from its top-left corner, rows and columns cut.
void tileBoth(TbsBitmap& bitmap, const TRect& dst, const TbsBitmap& picture, const TRect& src)
{
    ForEachTile(dst.Height(), src.Height(), [&](int offset, int length) {
        tileAlong(bitmap, slice(dst, Axis::Vertical, offset, length), picture,
                  slice(src, Axis::Vertical, 0, length), Axis::Horizontal);
    });
}

// A middle part: one stretched copy into dst, or tiles along the axis.
void drawMiddle(TbsBitmap& bitmap, const TRect& dst, const TbsBitmap& picture, const TRect& src,
                Axis axis, bool stretch)
{
    if (!stretch)
        tileAlong(bitmap, dst, picture, src, axis);
    else if (!dst.IsEmpty())
        CopySkinRect(bitmap, dst, picture, src);
}

// B becomes newLength along the axis and as long as SR across it: the first
// and last parts are copied, the middle stretched or tiled between them.
void createAxisImage(Axis axis, int first, int last, TbsBitmap& B, const TbsBitmap& picture,
                     const TRect& SR, int newLength, bool stretch)
{
    const Axis across = axis == Axis::Horizontal ? Axis::Vertical : Axis::Horizontal;
    const int acrossLength = lengthOf(SR, across);
    if (newLength < 1 || acrossLength < 1)
        return;
    const TRect whole = slice(slice(TRect{}, across, 0, acrossLength), axis, 0, newLength);
    if (axis == Axis::Horizontal)
        B.SetSize(newLength, acrossLength);
    else
        B.SetSize(acrossLength, newLength);
    const int skinLength = lengthOf(SR, axis);
    if (first != 0)
        CopySkinRect(B, slice(whole, axis, 0, first), picture, slice(SR, axis, 0, first));
    if (last != 0)
        CopySkinRect(B, slice(whole, axis, newLength - last, last), picture,
                     slice(SR, axis, skinLength - last, last));
    drawMiddle(B, slice(whole, axis, first, newLength - first - last), picture,
               slice(SR, axis, first, skinLength - first - last), axis, stretch);
}

TRect offsetBy(const TRect& r, const TRect& SR)
{
    TRect moved = r;
    OffsetRect(moved, SR.Left, SR.Top);
    return moved;
}

void drawClippedEdges(const TbsSkinGeometry& g, TbsBitmap& B, const TbsBitmap& picture,
                      const TRect& SR, const TbsEdgeStretch& edges)
{
    struct Edge {
        TRect src; // relative to SR
        TRect dst;
        Axis axis;
        bool stretch;
    };
    // Tiles of the left edge take NCL's left as their source width.
    const int leftSourceWidth = edges.LeftStretch ? g.CL.Left : g.NCL.Left;
    const Edge table[] = {
        {Rect(g.LTPt.X, 0, g.RTPt.X, g.CL.Top), Rect(g.NewLTPoint.X, 0, g.NewRTPoint.X, g.NCL.Top),
         Axis::Horizontal, edges.TopStretch},
        {Rect(g.LBPt.X, g.CL.Bottom, g.RBPt.X, SR.Height()),
         Rect(g.NewLBPoint.X, g.NCL.Bottom, g.NewRBPoint.X, g.Height), Axis::Horizontal,
         edges.BottomStretch},
        {Rect(0, g.LTPt.Y, leftSourceWidth, g.LBPt.Y),
         Rect(0, g.NewLTPoint.Y, g.NCL.Left, g.NewLBPoint.Y), Axis::Vertical, edges.LeftStretch},
        {Rect(g.CL.Right, g.RTPt.Y, SR.Width(), g.RBPt.Y),
         Rect(g.NCL.Right, g.NewRTPoint.Y, g.Width, g.NewRBPoint.Y), Axis::Vertical,
         edges.RightStretch},
    };
    for (const Edge& edge : table)
        drawMiddle(B, edge.dst, picture, offsetBy(edge.src, SR), edge.axis, edge.stretch);
}

void drawClippedCorners(const TbsSkinGeometry& g, TbsBitmap& B, const TbsBitmap& picture,
                        const TRect& SR)
{
    const int w = SR.Width();
    const int h = SR.Height();
    const TRect &cl = g.CL, &ncl = g.NCL;
    // Each corner as two pieces; the order decides which wins where they overlap.
    const std::pair<TRect, TRect> table[] = {
        {Rect(0, 0, g.LTPt.X, cl.Top), Rect(0, 0, g.NewLTPoint.X, ncl.Top)},
        {Rect(0, cl.Top, cl.Left, g.LTPt.Y), Rect(0, ncl.Top, ncl.Left, g.NewLTPoint.Y)},
        {Rect(g.RTPt.X, 0, w, cl.Top), Rect(g.NewRTPoint.X, 0, g.Width, ncl.Top)},
        {Rect(cl.Right, cl.Top, w, g.RTPt.Y), Rect(ncl.Right, ncl.Top, g.Width, g.NewRTPoint.Y)},
        {Rect(0, g.LBPt.Y, cl.Left, h), Rect(0, g.NewLBPoint.Y, ncl.Left, g.Height)},
        {Rect(cl.Left, cl.Bottom, g.LBPt.X, h),
         Rect(ncl.Left, ncl.Bottom, g.NewLBPoint.X, g.Height)},
        {Rect(g.RBPt.X, cl.Bottom, w, h), Rect(g.NewRBPoint.X, ncl.Bottom, g.Width, g.Height)},
        {Rect(cl.Right, g.RBPt.Y, w, cl.Bottom),
         Rect(ncl.Right, g.NewRBPoint.Y, g.Width, ncl.Bottom)},
    };
    for (const auto& [src, dst] : table)
        CopySkinRect(B, dst, picture, offsetBy(src, SR));
}

// The client part stretched one way into a temporary image, which is then
// repeated the other way over NCL.
void stretchThenRepeat(TbsBitmap& B, const TRect& ncl, const TbsBitmap& picture,
                       const TRect& client, Axis repeatAxis)
{
    if (client.IsEmpty())
        return;
    TbsBitmap band;
    if (repeatAxis == Axis::Horizontal)
        band.SetSize(client.Width(), ncl.Height());
    else
        band.SetSize(ncl.Width(), client.Height());
    CopySkinRect(band, band.BoundsRect(), picture, client);
    tileAlong(B, ncl, band, band.BoundsRect(), repeatAxis);
}

void drawClippedClient(const TbsSkinGeometry& g, TbsBitmap& B, const TbsBitmap& picture,
                       const TRect& SR, bool stretchEffect, TbsStretchType stretchType)
{
    const TRect client = offsetBy(g.CL, SR);
    if (!stretchEffect) {
        tileBoth(B, g.NCL, picture, client);
        return;
    }
    if (g.NCL.IsEmpty())
        return;
    switch (stretchType) {
    case bsstFull:
        CopySkinRect(B, g.NCL, picture, client);
        break;
    case bsstHorz:
        stretchThenRepeat(B, g.NCL, picture, client, Axis::Horizontal);
        break;
    case bsstVert:
        stretchThenRepeat(B, g.NCL, picture, client, Axis::Vertical);
        break;
    }
}

// A frame strip of whole picture rows: both ends copied, the middle columns
// [a, b) of the rows stretched or tiled into middleDst.
void buildRowStrip(TbsBitmap& strip, int width, const TbsBitmap& picture, const TRect& rows, int a,
                   int b, int leftEnd, int rightStart, const TRect& middleDst, bool stretch)
{
    const int h = rows.Height();
    strip.SetSize(width, h);
    drawMiddle(strip, middleDst, picture, Rect(rows.Left + a, rows.Top, rows.Left + b, rows.Bottom),
               Axis::Horizontal, stretch);
    CopySkinRect(strip, Rect(0, 0, leftEnd, h), picture,
                 Rect(rows.Left, rows.Top, rows.Left + a, rows.Bottom));
    CopySkinRect(strip, Rect(rightStart, 0, width, h), picture,
                 Rect(rows.Left + b, rows.Top, rows.Right, rows.Bottom));
}

// A frame strip of picture columns between the client part's top and bottom:
// the middle rows [a, b) stretched into place or tiled from the strip's top,
// then the ends above a and below b.
void buildColumnStrip(TbsBitmap& strip, int width, int height, const TbsBitmap& picture,
                      int columnLeft, int columnRight, int skinTop, const TRect& CL, int a, int b,
                      bool stretch)
{
    strip.SetSize(width, height);
    const int topEnd = a - CL.Top;
    const int bottomEnd = CL.Bottom - b;
    const TRect middleDst =
        stretch ? Rect(0, topEnd, width, height - bottomEnd) : Rect(0, 0, width, height);
    drawMiddle(strip, middleDst, picture, Rect(columnLeft, skinTop + a, columnRight, skinTop + b),
               Axis::Vertical, stretch);
    if (topEnd > 0)
        CopySkinRect(strip, Rect(0, 0, width, topEnd), picture,
                     Rect(columnLeft, skinTop + CL.Top, columnRight, skinTop + a));
    if (bottomEnd > 0)
        CopySkinRect(strip, Rect(0, height - bottomEnd, width, height), picture,
                     Rect(columnLeft, skinTop + b, columnRight, skinTop + CL.Bottom));
}

} // namespace

void CopySkinRect(TbsBitmap& bitmap, const TRect& dst, const TbsBitmap& picture, const TRect& src)
{
    if (bitmap.Empty() || picture.Empty() || dst.IsEmpty() || src.IsEmpty())
        return;
    BlitRoutines().BitmapCopy(bitmap, dst, dst, src, picture);
}

void CreateHSkinImage(int leftWidth, int rightWidth, TbsBitmap& B, const TbsBitmap& picture,
                      const TRect& SR, int newWidth, int /*newHeight*/, bool stretch)
{
    createAxisImage(Axis::Horizontal, leftWidth, rightWidth, B, picture, SR, newWidth, stretch);
}

void CreateVSkinImage(int topHeight, int bottomHeight, TbsBitmap& B, const TbsBitmap& picture,
                      const TRect& SR, int /*newWidth*/, int newHeight, bool stretch)
{
    createAxisImage(Axis::Vertical, topHeight, bottomHeight, B, picture, SR, newHeight, stretch);
}

void CreateSkinImageClipped(const TbsSkinGeometry& g, TbsBitmap& B, const TbsBitmap& picture,
                            const TRect& SR, bool drawClient, const TbsEdgeStretch& edges,
                            bool stretchEffect, TbsStretchType stretchType)
{
    if (g.Width < 1 || g.Height < 1)
        return;
    B.SetSize(g.Width, g.Height);
    if (g.RBPt.X == g.LTPt.X || g.RBPt.Y == g.LTPt.Y || picture.Empty())
        return;
    drawClippedEdges(g, B, picture, SR, edges);
    drawClippedCorners(g, B, picture, SR);
    if (drawClient)
        drawClippedClient(g, B, picture, SR, stretchEffect, stretchType);
}

void CreateSkinImageStretched(const TbsSkinGeometry& g, TbsBitmap& left, TbsBitmap& top,
                              TbsBitmap& right, TbsBitmap& bottom, const TbsBitmap& picture,
                              const TRect& SR, const TbsEdgeStretch& edges)
{
    const int TH = g.NCL.Top;
    const int BH = g.Height - g.NCL.Bottom;
    const int LW = g.NCL.Left;
    const int RW = g.Width - g.NCL.Right;
    if (g.Width >= 1 && TH >= 1 && g.RTPt.X - g.LTPt.X >= 1) {
        const TRect middle = edges.TopStretch ? Rect(g.NewLTPoint.X, 0, g.NewRTPoint.X, TH)
                                              : Rect(0, 0, g.Width, TH);
        buildRowStrip(top, g.Width, picture, Rect(SR.Left, SR.Top, SR.Right, SR.Top + TH), g.LTPt.X,
                      g.RTPt.X, g.NewLTPoint.X, g.NewRTPoint.X, middle, edges.TopStretch);
    }
    if (g.Width >= 1 && BH >= 1 && g.RBPt.X - g.LBPt.X >= 1) {
        const TRect middle = edges.BottomStretch ? Rect(g.NewLBPoint.X, 0, g.NewRBPoint.X, BH)
                                                 : Rect(0, 0, g.Width, BH);
        buildRowStrip(bottom, g.Width, picture, Rect(SR.Left, SR.Bottom - BH, SR.Right, SR.Bottom),
                      g.LBPt.X, g.RBPt.X, g.NewLBPoint.X, g.NewRBPoint.X, middle,
                      edges.BottomStretch);
    }
    const int SH = g.Height - bottom.Height() - top.Height();
    if (LW >= 1 && SH >= 1 && g.LBPt.Y - g.LTPt.Y >= 1)
        buildColumnStrip(left, LW, SH, picture, SR.Left, SR.Left + LW, SR.Top, g.CL, g.LTPt.Y,
                         g.LBPt.Y, edges.LeftStretch);
    if (RW >= 1 && SH >= 1 && g.RBPt.Y - g.RTPt.Y >= 1)
        buildColumnStrip(right, RW, SH, picture, SR.Left + g.CL.Right, SR.Right, SR.Top, g.CL,
                         g.RTPt.Y, g.RBPt.Y, edges.RightStretch);
}

void CreateSkinMaskImage(const TbsSkinGeometry& g, const TbsBitmap& mask, TbsBitmap& top,
                         TbsBitmap& left, TbsBitmap& right, TbsBitmap& bottom)
{
    const TRect whole = mask.BoundsRect();
    const int L = g.CL.Left;
    const int T = g.CL.Top;
    const int R = whole.Right - g.CL.Right;
    const int B = whole.Bottom - g.CL.Bottom;
    const int clientHeight = g.NCL.Height();
    if (L > 0 && clientHeight > 0)
        buildColumnStrip(left, L, clientHeight, mask, 0, L, 0, g.CL, g.LTPt.Y, g.LBPt.Y, false);
    if (R > 0 && clientHeight > 0)
        buildColumnStrip(right, R, clientHeight, mask, g.CL.Right, whole.Right, 0, g.CL, g.RTPt.Y,
                         g.RBPt.Y, false);
    if (g.Width > 0 && T > 0)
        buildRowStrip(top, g.Width, mask, Rect(0, 0, whole.Right, T), g.LTPt.X, g.RTPt.X, g.LTPt.X,
                      g.NewRTPoint.X, Rect(g.NewLTPoint.X, 0, g.NewRTPoint.X, T), false);
    if (g.Width > 0 && B > 0)
        buildRowStrip(bottom, g.Width, mask, Rect(0, g.CL.Bottom, whole.Right, whole.Bottom),
                      g.LBPt.X, g.RBPt.X, g.LBPt.X, g.NewRBPoint.X,
                      Rect(g.NewLBPoint.X, 0, g.NewRBPoint.X, B), false);
}
