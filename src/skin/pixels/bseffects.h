#pragma once

// The skin engine's 32-bit image (TbsBitmap), the pixel and blit routine
// tables every pixel loop goes through, the bitmap effects and bitmap links.
//
// Pixel word: 0xAARRGGBB (memory order blue, green, red, alpha), rows top-down,
// each exactly Width words. Key colour: RGB 0x7F007F, stored keyed as 0x007F007F.

#include "bsDeviceContext.h"
#include "bsTypes.h"

#include <QString>
#include <memory>

class QIODevice;
class QPicture;
class QPixmap;
class TbsBitmapLink;

constexpr quint32 bsKeyColor = 0x7F007F;   // RGB of the transparent key
constexpr quint32 bsKeyPixel = 0x007F007F; // a keyed pixel

// ---------------------------------------------------------------------------
// Pixel routines. A count below 1, or an empty inclusive rectangle, changes
// nothing. The rectangle routines take inclusive right and bottom edges.

struct TbsPixelRoutines {
    quint32 (*BlendPixel)(quint32 src, quint32 dst);
    void (*BlendLine)(const quint32* src, quint32* dst, int count);
    void (*KeyCopyLine)(const quint32* src, quint32* dst, int count);
    void (*MoveLine)(const quint32* src, quint32* dst, int count);
    void (*FillLine)(quint32* line, int count, quint32 pixel);
    void (*FillRect)(quint32* pixels, int width, int height, int left, int top, int right,
                     int bottom, quint32 pixel);
    void (*SetAlphaLine)(quint32* line, int count, quint8 alpha);
    void (*SetAlphaRect)(quint32* pixels, int width, int height, int left, int top, int right,
                         int bottom, quint8 alpha);
    void (*ClearKeyAlpha)(quint32* line, int count, quint32 color);
};

// The two blend formulas (a = source alpha, s and d source and destination):
// plain: R, G, B = (s*a + d*(255-a)) >> 8, alpha 255;
// four-lane: all four bytes = (s*a + d*(256-a)) >> 8.
// Both line forms leave the destination for a = 0 and copy the source for a = 255;
// so does the plain pixel form, while the four-lane pixel form applies its
// formula for every a.
quint32 BlendPixelPlain(quint32 src, quint32 dst);
void BlendLinePlain(const quint32* src, quint32* dst, int count);
quint32 BlendPixelMMX(quint32 src, quint32 dst);
void BlendLineMMX(const quint32* src, quint32* dst, int count);

#if defined(__SSE2__)
// The four-lane blend line on vector units, pixel for pixel as BlendLineMMX:
// SSE2, which every x86-64 processor has, and AVX2, to be called only where
// CpuHasAVX2() says the processor has it.
void BlendLineSSE2(const quint32* src, quint32* dst, int count);
void BlendLineAVX2(const quint32* src, quint32* dst, int count);
bool CpuHasAVX2();
#endif

// The blend line is the fastest form this processor runs, chosen at first use.
const TbsPixelRoutines& PixelRoutines();

// ---------------------------------------------------------------------------
// Blit routines.

struct TbsBlitRoutines {
    // Onto a context: destination left, top, width, height; source bitmap;
    // source left, top, width, height.
    using DCRoutine = void (*)(TbsDC* dc, int dl, int dt, int dw, int dh, const TbsBitmap& src,
                               int sl, int st, int sw, int sh);
    // Into 32-bit section memory; stretches when the rectangles differ.
    using StretchRoutine = void (*)(const TbsSection& section, const TRect& dst, const TRect& clip,
                                    const TRect& srcRect, const TbsBitmap& src);
    // Same-size rectangle from src at (sl, st) into dst.
    using ClippedRoutine = void (*)(TbsBitmap& dst, const TRect& dstRect, const TbsBitmap& src,
                                    int sl, int st);
    // Bitmap into bitmap; stretches when the rectangles differ.
    using BitmapRoutine = void (*)(TbsBitmap& dst, const TRect& dstRect, const TRect& clip,
                                   const TRect& srcRect, const TbsBitmap& src);

    DCRoutine DCCopy;
    DCRoutine DCAlpha;
    DCRoutine DCTransparent;
    TbsSection (*SectionInfo)(const TbsDC* dc);
    StretchRoutine StretchCopy;
    StretchRoutine StretchBlend;
    StretchRoutine StretchKey;
    ClippedRoutine ClippedCopy;
    ClippedRoutine ClippedBlend;
    ClippedRoutine ClippedKey;
    BitmapRoutine BitmapCopy;
    BitmapRoutine BitmapBlend;
    BitmapRoutine BitmapKey;

    // The routine of each kind that draws in the given mode.
    DCRoutine DCForMode(TbsBlitMode mode) const;
    StretchRoutine StretchForMode(TbsBlitMode mode) const;
    BitmapRoutine BitmapForMode(TbsBlitMode mode) const;
};

const TbsBlitRoutines& BlitRoutines();

// ---------------------------------------------------------------------------

class TbsBitmap {
public:
    TbsBitmap();
    virtual ~TbsBitmap();
    TbsBitmap(const TbsBitmap&) = delete;
    TbsBitmap& operator=(const TbsBitmap&) = delete;

    // Properties.
    quint32* Bits() { return FBits.get(); }
    const quint32* Bits() const { return FBits.get(); }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    // The context on the pixels; none while the bitmap is empty.
    TbsDC* DC() const { return Empty() ? nullptr : FDC.get(); }
    // The same context, made on demand; it follows every new size.
    TbsDC* Canvas();
    bool AlphaBlend() const { return FAlphaBlend; }
    void SetAlphaBlend(bool value) { FAlphaBlend = value; }
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool value) { FTransparent = value; }
    const QString& Name() const { return FName; }
    void SetName(const QString& name) { FName = name; }
    bool NewFormat() const { return FNewFormat; }
    void SetNewFormat(bool value) { FNewFormat = value; }

    // Takes absolute values; nothing when either is 0 or the size is unchanged.
    // New pixels are all 0. Raises EbsSkinError and leaves the bitmap empty
    // (0 x 0) when the memory cannot be had.
    void SetSize(int width, int height);
    bool Empty() const { return FBits == nullptr; }
    void Clear(quint32 pixel);
    // No bounds checks.
    quint32* GetScanLine(int y) { return FBits.get() + qsizetype(y) * FWidth; }
    const quint32* GetScanLine(int y) const { return FBits.get() + qsizetype(y) * FWidth; }
    quint32* GetPixelPtr(int x, int y) { return GetScanLine(y) + x; }
    const quint32* GetPixelPtr(int x, int y) const { return GetScanLine(y) + x; }

    // An empty source empties this bitmap.
    void Assign(const TbsBitmap& source);
    // Images with an alpha channel keep it (then CheckingAlphaBlend); other
    // images become opaque.
    void Assign(const QImage& source);
    void Assign(const QPixmap& source);
    // A recorded drawing, drawn at its own size over magenta, then opaque.
    void Assign(const QPicture& source);
    // dst becomes an ARGB32 image of this size with this bitmap drawn at (0, 0).
    void AssignTo(QImage& dst) const;
    void AssignTo(QPixmap& dst) const;
    void DrawGraphic(const QPicture& graphic, const TRect& rect);

    // Loads a picture from our Qt resources (or a file); false when missing.
    bool LoadFromResource(const QString& resourcePath);
    // Stream form: name (32-bit character count, UTF-16LE text), width and
    // height (32-bit little-endian), then the pixels, top row first; a negative
    // height means bottom-up rows; a width or height of 0 changes only the
    // name. Bad data raises EbsSkinError and leaves the bitmap empty.
    void LoadFromStream(QIODevice& stream);
    void SaveToStream(QIODevice& stream) const;
    // PCX of one plane of 1, 2, 4 or 8 bits a pixel (palette), or of three
    // 8-bit planes (red, green, blue). A first byte other than 10 or 205, and
    // a stream shorter than the header (which raises), leave the bitmap
    // unchanged; bad data after the header raises and leaves it empty.
    void LoadFromPcxStream(QIODevice& stream);

    void CheckRGBA();
    void CheckRGBA2();
    void CheckingAlphaBlend();
    void CheckingAlphaBlend(const TRect& rect);
    void CheckingTransparent(quint32 color);
    void CheckingTransparent(quint32 color, const TRect& rect);
    void SetAlpha(quint8 alpha);
    void SetAlpha(quint8 alpha, const TRect& rect);
    void SetPixelValue(int x, int y, quint32 pixel);

    std::unique_ptr<TbsBitmapLink> GetBitmapLink(const TRect& rect);
    std::unique_ptr<TbsBitmapLink> GetBitmapLink(const QString& rectText);

    // Effects.
    void ChangeBitmapBrightness(int delta);
    void SetBitmapHue(int amount);
    void ChangeBitmapSat(int delta);
    void ChangeBitmapHue(int delta);
    void Reflection();
    void Reflection2();
    void Reflection3();
    void FlipVert();

    // Drawing, this bitmap being the source: copy, blend (AlphaBlend) or key
    // (Transparent). A destination given as a point has the source's size;
    // another size stretches.
    void Draw(TbsDC* dc, int x, int y) const;
    void Draw(TbsDC* dc, int x, int y, const TRect& src) const;
    void Draw(TbsDC* dc, const TRect& dst) const;
    void Draw(TbsDC* dc, const TRect& dst, const TRect& src) const;
    void Draw(TbsBitmap& target, int x, int y) const;
    void Draw(TbsBitmap& target, int x, int y, const TRect& src) const;
    void Draw(TbsBitmap& target, const TRect& dst) const;
    void Draw(TbsBitmap& target, const TRect& dst, const TRect& src) const;
    void Tile(TbsDC* dc, const TRect& area, const TRect& src) const;
    void Tile(TbsBitmap& target, const TRect& area, const TRect& src) const;
    // As Tile, skipping pieces that miss a non-empty clip rectangle.
    void TileClip(TbsDC* dc, const TRect& area, const TRect& src, const TRect& clip) const;
    void TileClip(TbsBitmap& target, const TRect& area, const TRect& src, const TRect& clip) const;
    void MergeDraw(const TbsBitmap& source, int x, int y, const TRect& rect);
    void FillRect(const TRect& rect, quint32 pixel);

    // The rest of the drawing family draws nothing and the text calls answer
    // 0; no skin needs them, and FillRect above is the one that draws.
    void DrawBevel(const TRect&, quint32, quint32, int) {}
    void DrawEdge(const TRect&, quint32, quint32) {}
    void DrawEllipse(const TRect&, quint32) {}
    void DrawFocusRect(const TRect&, quint32) {}
    void DrawLine(int, int, int, int, quint32) {}
    void DrawPolygon(const TPoint*, int, quint32) {}
    void DrawRect(const TRect&, quint32) {}
    void DrawRoundRect(const TRect&, int, quint32) {}
    int DrawText(const QString&, int, int) { return 0; }
    int DrawText(const QString&, TRect&, unsigned) { return 0; }
    int DrawVerticalText(const QString&, const TRect&, unsigned) { return 0; }
    void FillEllipse(const TRect&, quint32) {}
    void FillGradientRect(const TRect&, quint32, quint32, bool) {}
    void FillHalftonePolygon(const TPoint*, int, quint32, quint32) {}
    void FillHalftoneRect(const TRect&, quint32, quint32) {}
    void FillPolygon(const TPoint*, int, quint32) {}
    void FillRadialGradientRect(const TRect&, quint32, quint32, const TPoint&) {}
    void FillRoundRect(const TRect&, int, quint32) {}
    void LineTo(int, int) {}
    void MoveTo(int, int) {}
    int TextHeight(const QString&) const { return 0; }
    int TextWidth(const QString&) const { return 0; }

    TRect BoundsRect() const { return {0, 0, FWidth, FHeight}; }

private:
    // Blend when AlphaBlend is set, else key when Transparent is, else copy.
    TbsBlitMode DrawMode() const;
    void FreeImage();
    void DrawIntoBitmap(TbsBitmap& target, const TRect& dst, const TRect& clip,
                        const TRect& src) const;
    void DrawThroughDC(TbsDC* dc, const TRect& dst, const TRect& src) const;
    void ChangeEachPixel(quint32 (*step)(quint32, int), int amount);
    void ReflectionBy(int divisor);

    std::unique_ptr<quint32[]> FBits;
    int FWidth = 0;
    int FHeight = 0;
    QString FName;
    std::unique_ptr<TbsDC> FDC;
    bool FAlphaBlend = false;
    bool FTransparent = false;
    bool FNewFormat = false;
};

// The bitmap whose own context is dc, or none.
TbsBitmap* FindBitmapByDC(const TbsDC* dc);

// Cuts the first token off text: up to the first of blank ( ) , : ; =,
// which is dropped; token and rest are trimmed.
QString NextToken(QString& text);
// "left, top, right, bottom"; (0, 0, 0, 0) when any part is not a number.
TRect ParseRectText(const QString& text);

// ---------------------------------------------------------------------------
// Effects.

// The stack blur: a triangular kernel of radius r, horizontal then vertical;
// the result is opaque. Nothing when r < 1. Runs on SSE2 for the radii up to 15.
void StackBlur(TbsBitmap& bitmap, int radius);
// The same blur in portable code, for every radius: the reference the vector
// form is tested against, and what StackBlur runs where that form does not apply.
void StackBlurPortable(TbsBitmap& bitmap, int radius);
// Alpha := grey of the mask's pixel at the same place, where both have pixels.
void AlphaFromGray(TbsBitmap& bitmap, const TbsBitmap& mask);
// The same, then those pixels' colours premultiplied by their alpha.
void AlphaFromGrayPremultiplied(TbsBitmap& bitmap, const TbsBitmap& mask);

quint32 ColorToPixel32(TColor color);
quint32 MakePixel32(qint16 r, qint16 g, qint16 b, quint8 a);
// H, S and L in 0..1, single precision.
void PixelToHSL(quint32 pixel, float& h, float& s, float& l);
quint32 HSLToPixel32(float l, float s, float h);
int HueToChannel(float h, float p, float q);
quint32 SetPixelHue(quint32 pixel, int amount);
quint32 ChangePixelSat(quint32 pixel, int delta);
quint32 ChangePixelHue(quint32 pixel, int delta);
quint32 ChangePixelBrightness(quint32 pixel, int delta);

// ---------------------------------------------------------------------------

// A named rectangle of a TbsBitmap, which it refers to but does not own.
class TbsBitmapLink {
public:
    TbsBitmapLink() = default;

    void Assign(const TbsBitmapLink& source);

    const QString& Name() const { return FName; }
    void SetName(const QString& name) { FName = name; }
    int Left() const { return FRect.Left; }
    int Top() const { return FRect.Top; }
    int Right() const { return FRect.Right; }
    int Bottom() const { return FRect.Bottom; }
    void SetLeft(int v) { FRect.Left = v; }
    void SetTop(int v) { FRect.Top = v; }
    void SetRight(int v) { FRect.Right = v; }
    void SetBottom(int v) { FRect.Bottom = v; }
    const TRect& Rect() const { return FRect; }
    void SetRect(const TRect& r) { FRect = r; }
    TbsBitmap* Image() const { return FImage; }
    void SetImage(TbsBitmap* image) { FImage = image; }
    // An image, and a width times height of at least 1.
    bool Assigned() const;
    bool Masked() const { return FMasked; }
    bool MaskedBorder() const { return FMaskedBorder; }
    bool MaskedAngles() const { return FMaskedAngles; }

    // Name, then the rectangle as four 32-bit little-endian integers.
    void SaveToStream(QIODevice& stream) const;
    // Raises EbsSkinError on bad data and leaves the link as it was.
    void LoadFromStream(QIODevice& stream);

    void Draw(TbsBitmap& target, int x, int y) const;
    void Draw(TbsDC* dc, int x, int y) const;

    void CheckingMasked();
    void CheckingMasked(int left, int top, int right, int bottom);

private:
    TbsBitmap* FImage = nullptr;
    TRect FRect;
    QString FName;
    bool FMaskedBorder = false;
    bool FMaskedAngles = false;
    bool FMasked = false;
};
