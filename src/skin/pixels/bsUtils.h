#pragma once

// Drawing routines the skinned controls share: what lies beneath a
// transparent control, text, small glyphs, and rectangle and point tests.

#include "bsDeviceContext.h"
#include "bsTypes.h"

#include <QString>

class QImage;
class QWidget;

// Windowless controls (the toolkit's graphic controls) are widgets marked
// with this; DrawParentImage paints them into a control's background.
void SetGraphicControl(QWidget* control, bool graphic = true);
bool IsGraphicControl(const QWidget* control);
// True while a control is being painted as a copy into another's background.
bool IsPaintCopy(const QWidget* control);

// Paints into dc, in control's own coordinates, its parent's background and
// content and the visible windowless siblings below it that overlap it.
void DrawParentImage(QWidget* control, TbsDC* dc);
int DrawSkinText(TbsDC* dc, const QString& text, TRect& rect, unsigned flags);
// One line centred in rect; with an odd font height one pixel higher.
void DrawTextCentered(TbsDC* dc, const QString& text, const TRect& rect);
// 1 left, 2 right, 3 up, 4 down arrow, 5 plus sign; other codes draw nothing.
void DrawArrowImage(TbsDC* dc, const TRect& rect, TColor color, int code);
// A tick three pixels thick whose bounding box starts at (x, y).
void DrawCheckImage(TbsDC* dc, int x, int y, TColor color);
// Frame number frame (from 1) of a strip of frameCount frames side by side,
// the colour of its bottom-left pixel left out.
void DrawGlyphFrame(TbsDC* dc, int x, int y, const QImage& strip, int frameCount, int frame);

void NullRect(TRect& rect);
// Width or height below 1.
bool IsNullRect(const TRect& rect);
// X or Y is 0.
bool IsNullPoint(const TPoint& point);
// All four edges inclusive.
bool PointInRect(const TRect& rect, const TPoint& point);
// Both corners of a, top-left and bottom-right, inside b by the system's
// point test (b's right and bottom edges excluded).
bool RectInRect(const TRect& a, const TRect& b);
int RectWidth(const TRect& rect);
int RectHeight(const TRect& rect);
