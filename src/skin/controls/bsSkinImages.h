#pragma once

// Builders that turn a skin rectangle drawn for one size into an image of any
// size: corners are copied, edges and the client part stretched or tiled.
//
// Tiles are cut, never squeezed: a part P long repeated over a span starts at
// the span's start and its last copy is cut where the span ends. A part or a
// span of no length draws nothing. Copies between rectangles of different
// sizes stretch; a rectangle outside the picture draws nothing.

#include "bsSkinValues.h"
#include "bseffects.h"

#include <algorithm>

// The skin's nine-part cut and its counterpart at the control's current size.
struct TbsSkinGeometry {
    // Relative to the skin rectangle's top-left corner.
    TPoint LTPt, RTPt, LBPt, RBPt;
    TRect CL;
    // In the control's coordinates.
    TPoint NewLTPoint, NewRTPoint, NewLBPoint, NewRBPoint;
    TRect NCL;
    int Width = 0;
    int Height = 0;
};

// Per edge: stretch its middle (true) or tile it (false).
struct TbsEdgeStretch {
    bool LeftStretch = false;
    bool TopStretch = false;
    bool RightStretch = false;
    bool BottomStretch = false;
};

// Copies src of the picture into dst of the bitmap, stretching when the sizes
// differ; the bitmaps' blend and key flags play no part.
void CopySkinRect(TbsBitmap& bitmap, const TRect& dst, const TbsBitmap& picture, const TRect& src);

// Calls piece(offset, length) for each tile of a part `part` long over a span
// `span` long, in order; the last piece is cut at the span's end.
template <typename Piece> void ForEachTile(int span, int part, Piece piece)
{
    if (part <= 0)
        return;
    for (qint64 offset = 0; offset < span; offset += part)
        piece(int(offset), int(std::min<qint64>(part, span - offset)));
}

// B becomes newWidth wide and as high as SR: a left part leftWidth wide and a
// right part rightWidth wide are copied, the middle stretched or tiled.
void CreateHSkinImage(int leftWidth, int rightWidth, TbsBitmap& B, const TbsBitmap& picture,
                      const TRect& SR, int newWidth, int newHeight, bool stretch);
// The same along the other axis: B is as wide as SR and newHeight high.
void CreateVSkinImage(int topHeight, int bottomHeight, TbsBitmap& B, const TbsBitmap& picture,
                      const TRect& SR, int newWidth, int newHeight, bool stretch);

// B becomes g.Width x g.Height and receives the nine-part image: edges, then
// the corner pieces (later pieces win where they overlap), then, with
// drawClient, the client part.
void CreateSkinImageClipped(const TbsSkinGeometry& g, TbsBitmap& B, const TbsBitmap& picture,
                            const TRect& SR, bool drawClient, const TbsEdgeStretch& edges,
                            bool stretchEffect, TbsStretchType stretchType);

// The four frame strips around NCL. A strip whose size or middle is below 1
// is not built and keeps its size and content.
void CreateSkinImageStretched(const TbsSkinGeometry& g, TbsBitmap& left, TbsBitmap& top,
                              TbsBitmap& right, TbsBitmap& bottom, const TbsBitmap& picture,
                              const TRect& SR, const TbsEdgeStretch& edges);

// The four frame strips of a mask picture laid out at the new size; every
// middle is tiled.
void CreateSkinMaskImage(const TbsSkinGeometry& g, const TbsBitmap& mask, TbsBitmap& top,
                         TbsBitmap& left, TbsBitmap& right, TbsBitmap& bottom);
