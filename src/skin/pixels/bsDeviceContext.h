#pragma once

// The skin engine's drawing context: what the engine needs of a device context
// and of the toolkit canvas on it, in one object.
//
// A context draws on one of three targets:
// - a TbsBitmap: exact 32-bit pixels; blits go through the pixel routines;
// - a QImage: Format_ARGB32 images are written pixel for pixel like a 32-bit
//   section, other formats through QPainter;
// - a QPainter (a widget's paint): everything through the painter.
//
// Coordinates follow the system's mapping: device = logical - window origin +
// viewport origin. The clip region is kept in device coordinates and limits
// every kind of drawing, the direct pixel paths included. Lines, rectangles
// and text are drawn with the pen, brush and font held here; on a TbsBitmap
// they write opaque pixels (alpha 255).

#include "bsTypes.h"

#include <QFont>
#include <QImage>
#include <QRegion>
#include <QSize>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

class QPaintDevice;
class QPainter;
class TbsBitmap;

// DrawText flags, with the system's values.
enum : unsigned {
    DT_LEFT = 0x0,
    DT_CENTER = 0x1,
    DT_RIGHT = 0x2,
    DT_VCENTER = 0x4,
    DT_BOTTOM = 0x8,
    DT_WORDBREAK = 0x10,
    DT_SINGLELINE = 0x20,
    DT_EXPANDTABS = 0x40,
    DT_NOCLIP = 0x100,
    DT_CALCRECT = 0x400,
    DT_NOPREFIX = 0x800,
};

enum class TbsBrushStyle { bsSolid, bsClear };

// How a bitmap's pixels meet the target: plain copy, per-pixel alpha blend,
// or copy of every pixel but those of the key colour 0x7F007F.
enum class TbsBlitMode { Copy, Blend, Key };

// 32-bit pixel memory that may be written directly.
struct TbsSection {
    quint32* Bits = nullptr;
    int Width = 0;
    int Height = 0;
    qsizetype Stride = 0;  // pixels from one memory row to the next
    bool BottomUp = false; // row y is memory row Height - 1 - y

    bool IsValid() const { return Bits != nullptr && Width > 0 && Height > 0; }
    quint32* Row(int y) const { return Bits + (BottomUp ? Height - 1 - y : y) * Stride; }
};

class TbsDC {
public:
    explicit TbsDC(TbsBitmap* bitmap);
    explicit TbsDC(QImage* image);
    // The painter stays the caller's; size is the painted area (may be empty).
    TbsDC(QPainter* painter, const QSize& size);
    ~TbsDC();
    TbsDC(const TbsDC&) = delete;
    TbsDC& operator=(const TbsDC&) = delete;

    TbsBitmap* Bitmap() const { return m_bitmap; }
    QImage* Image() const { return m_image; }
    QPainter* Painter() const { return m_painter; }
    QSize Size() const;

    // Direct pixel memory of a TbsBitmap or ARGB32 image target, else invalid.
    TbsSection SectionInfo() const;
    // Whether the context's pixels can be read back: always for bitmaps and
    // images; for a painter, when it draws on an image or a pixmap, moved by
    // whole pixels at most (not on a widget, not scaled or turned).
    bool IsReadable() const { return readableOrigin().has_value(); }

    // Origins.
    TPoint GetWindowOrg() const { return m_state.windowOrg; }
    void SetWindowOrg(int x, int y) { m_state.windowOrg = {x, y}; }
    TPoint GetViewportOrg() const { return m_state.viewportOrg; }
    void SetViewportOrg(int x, int y) { m_state.viewportOrg = {x, y}; }
    void OffsetViewportOrg(int dx, int dy);
    TPoint LogicalToDevice(const TPoint& p) const;
    TRect LogicalToDevice(const TRect& r) const;

    // Clip. The rectangle calls take logical coordinates.
    void IntersectClipRect(const TRect& r);
    void ExcludeClipRect(const TRect& r);
    // Device coordinates; std::nullopt removes the clip.
    void SelectClipRgn(const std::optional<QRegion>& deviceRegion) { m_state.clip = deviceRegion; }
    const std::optional<QRegion>& ClipRgn() const { return m_state.clip; }
    // The device pixels drawing may touch: the clip within the device's bounds.
    QRegion DrawableRegion() const;

    // Saved states: origins, clip and pen position. SaveDC answers the
    // state's number; RestoreDC takes it, or a negative number counting back
    // from the latest (-1 is the latest).
    int SaveDC();
    bool RestoreDC(int savedDC);
    // Back to a fresh context: origins 0, no clip, nothing saved.
    void ResetDeviceState();

    // Canvas attributes.
    const QFont& Font() const { return m_font; }
    void SetFont(const QFont& font);
    // The toolkit's font height: negative = character height in pixels,
    // positive = cell height in pixels.
    int FontHeight() const { return m_fontHeight; }
    void SetFontHeight(int height);
    TColor FontColor() const { return m_fontColor; }
    void SetFontColor(TColor c) { m_fontColor = c; }
    TColor PenColor() const { return m_penColor; }
    void SetPenColor(TColor c) { m_penColor = c; }
    int PenWidth() const { return m_penWidth; }
    void SetPenWidth(int w) { m_penWidth = qMax(1, w); }
    TColor BrushColor() const { return m_brushColor; }
    void SetBrushColor(TColor c) { m_brushColor = c; }
    TbsBrushStyle BrushStyle() const { return m_brushStyle; }
    void SetBrushStyle(TbsBrushStyle s) { m_brushStyle = s; }

    // Lines: LineTo draws from the pen position and leaves out the end point.
    void MoveTo(int x, int y) { m_state.penPos = {x, y}; }
    void LineTo(int x, int y);
    TPoint PenPos() const { return m_state.penPos; }
    // Shapes: FillRect with the brush; FrameRect a one-pixel brush frame;
    // Rectangle a pen outline filled with the brush (unless it is clear).
    void FillRect(const TRect& r);
    void FrameRect(const TRect& r);
    void Rectangle(const TRect& r);

    // Text in the font and font colour; a solid brush fills behind it.
    void TextOut(int x, int y, const QString& text);
    int TextWidth(const QString& text) const;
    int TextHeight(const QString& text) const;
    // The system's DrawText: "&" marks an accelerator unless DT_NOPREFIX;
    // DT_CALCRECT only measures and sets rect's right and bottom. Answers the
    // height of the text.
    int DrawText(const QString& text, TRect& rect, unsigned flags);

    // Bitmaps. PutBitmap draws srcRect of the bitmap into dst (stretching
    // when the sizes differ). GetBitmap reads the logical rectangle into out.
    void PutBitmap(const TRect& dst, const TbsBitmap& src, const TRect& srcRect, TbsBlitMode mode);
    bool GetBitmap(const TRect& rect, TbsBitmap& out) const;
    // Source copy from another readable context; false when it is not.
    bool BitBlt(int x, int y, int w, int h, const TbsDC& src, int sx, int sy);
    bool StretchBlt(const TRect& dst, const TbsDC& src, const TRect& srcRect);
    // Toolkit pictures, drawn over the target with their own alpha.
    void DrawImage(int x, int y, const QImage& image);
    void StretchDrawImage(const TRect& dst, const QImage& image);

    // Runs paint with a painter set to this context's origins and clip, in
    // logical coordinates; the painter's pen, brush and font are not set.
    void Paint(const std::function<void(QPainter&)>& paint);

private:
    struct State {
        TPoint windowOrg;
        TPoint viewportOrg;
        std::optional<QRegion> clip;
        TPoint penPos;
    };

    QRect deviceBounds() const;
    TPoint offset() const;
    // The image or pixmap a painter target draws on, or none.
    const QPaintDevice* painterPixelDevice() const;
    // Where logical (0, 0) lies on the pixels that can be read back, and
    // those pixels' bounds; no origin when nothing can be read.
    std::optional<QPoint> readableOrigin() const;
    QRect readableBounds() const;
    // Part of the pixels behind an image or painter target, as ARGB32.
    QImage readPixels(const QRect& deviceRect) const;
    // Whether the pixels drawn on keep an alpha channel of their own.
    bool targetKeepsAlpha() const;
    void putPixels(const TRect& deviceDst, const TbsBitmap& src, const TRect& srcRect,
                   TbsBlitMode mode);
    void putThroughPainter(const TRect& dst, const TbsBitmap& src, const TRect& srcRect,
                           TbsBlitMode mode);

    TbsBitmap* m_bitmap = nullptr;
    QImage* m_image = nullptr;
    QPainter* m_painter = nullptr;
    QSize m_painterSize;

    State m_state;
    std::vector<State> m_saved;

    QFont m_font;
    int m_fontHeight = -11;
    TColor m_fontColor = 0;
    TColor m_penColor = 0;
    int m_penWidth = 1;
    TColor m_brushColor = 0xFFFFFF;
    TbsBrushStyle m_brushStyle = TbsBrushStyle::bsSolid;
};

// A QColor from a toolkit colour (0x00BBGGRR).
QColor bsQColor(TColor c);
