// The pixel and blit routine tables.
//
// The four-lane blend formula serves every machine. It is the formula the
// engine always ran on processors with a multimedia unit (every one in use), so
// blended pictures look as they always did, and its weights a and 256 - a add
// up to 256, so blending a colour over itself keeps it (the plain formula turns
// 255 over 255 into 254). The plain formula stays available beside it. The
// blend line runs on the widest vector unit the processor has; the portable
// form stays as the reference the vector forms are tested against. Nothing
// here keeps processor state, so there is no state to end after a loop.

#include "bseffects.h"
#include "bseffects_internal.h"

#include <algorithm>
#include <cstring>
#include <vector>

using namespace bsdetail;

namespace {

constexpr quint32 kRedBlue = 0x00FF00FF;
constexpr quint32 kRgb = 0x00FFFFFF;

// The line form of a blend formula: the destination stays for alpha 0 and
// takes the source for alpha 255, whatever the formula gives there.
template <quint32 (*BlendPixel)(quint32, quint32)>
void blendLine(const quint32* src, quint32* dst, int count)
{
    for (int i = 0; i < count; ++i) {
        const quint32 a = src[i] >> 24;
        if (a == 255)
            dst[i] = src[i];
        else if (a != 0)
            dst[i] = BlendPixel(src[i], dst[i]);
    }
}

} // namespace

// ---------------------------------------------------------------------------
// Blend formulas.

quint32 BlendPixelPlain(quint32 src, quint32 dst)
{
    const quint32 a = src >> 24;
    if (a == 255)
        return src;
    if (a == 0)
        return dst;
    const quint32 na = 255 - a;
    // Red and blue in one product: each 16-bit lane stays below 65536.
    const quint32 rb = (((src & kRedBlue) * a + (dst & kRedBlue) * na) >> 8) & kRedBlue;
    const quint32 g = (((src & 0xFF00) * a + (dst & 0xFF00) * na) >> 8) & 0xFF00;
    return 0xFF000000 | rb | g;
}

void BlendLinePlain(const quint32* src, quint32* dst, int count)
{
    blendLine<BlendPixelPlain>(src, dst, count);
}

quint32 BlendPixelMMX(quint32 src, quint32 dst)
{
    const quint32 a = src >> 24;
    const quint32 na = 256 - a;
    // Two lanes per product; s*a + d*(256-a) <= 255*256 fits each 16-bit lane.
    const quint32 rb = (((src & kRedBlue) * a + (dst & kRedBlue) * na) >> 8) & kRedBlue;
    const quint32 ag = (((src >> 8) & kRedBlue) * a + ((dst >> 8) & kRedBlue) * na) & 0xFF00FF00;
    return rb | ag;
}

void BlendLineMMX(const quint32* src, quint32* dst, int count)
{
    blendLine<BlendPixelMMX>(src, dst, count);
}

// ---------------------------------------------------------------------------
// The other pixel routines.

namespace {

void keyCopyLine(const quint32* src, quint32* dst, int count)
{
    for (int i = 0; i < count; ++i) {
        if ((src[i] & kRgb) != bsKeyColor)
            dst[i] = src[i] | 0xFF000000;
    }
}

void moveLine(const quint32* src, quint32* dst, int count)
{
    if (count > 0 && src != dst)
        std::memmove(dst, src, size_t(count) * sizeof(quint32));
}

void fillLine(quint32* line, int count, quint32 pixel)
{
    if (count > 0)
        std::fill_n(line, count, pixel);
}

// Calls apply(first pixel, count) for each row of an inclusive rectangle,
// kept inside width x height.
template <typename ApplyToSpan>
void forEachRowSpan(quint32* pixels, int width, int height, int left, int top, int right,
                    int bottom, ApplyToSpan apply)
{
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, width - 1);
    bottom = std::min(bottom, height - 1);
    if (left > right || top > bottom)
        return;
    for (int y = top; y <= bottom; ++y)
        apply(pixels + qsizetype(y) * width + left, right - left + 1);
}

void fillRect(quint32* pixels, int width, int height, int left, int top, int right, int bottom,
              quint32 pixel)
{
    forEachRowSpan(pixels, width, height, left, top, right, bottom,
                   [pixel](quint32* span, int count) { fillLine(span, count, pixel); });
}

void setAlphaLine(quint32* line, int count, quint8 alpha)
{
    const quint32 a = quint32(alpha) << 24;
    for (int i = 0; i < count; ++i)
        line[i] = (line[i] & kRgb) | a;
}

void setAlphaRect(quint32* pixels, int width, int height, int left, int top, int right, int bottom,
                  quint8 alpha)
{
    forEachRowSpan(pixels, width, height, left, top, right, bottom,
                   [alpha](quint32* span, int count) { setAlphaLine(span, count, alpha); });
}

void clearKeyAlpha(quint32* line, int count, quint32 color)
{
    const quint32 key = color & kRgb;
    for (int i = 0; i < count; ++i) {
        if ((line[i] & kRgb) == key)
            line[i] &= kRgb;
    }
}

using LineRoutine = void (*)(const quint32*, quint32*, int);

LineRoutine fastestBlendLine()
{
#if defined(__SSE2__)
    return CpuHasAVX2() ? BlendLineAVX2 : BlendLineSSE2;
#else
    return BlendLineMMX;
#endif
}

TbsPixelRoutines makePixelRoutines()
{
    return {
        BlendPixelMMX, fastestBlendLine(), keyCopyLine,  moveLine,      fillLine,
        fillRect,      setAlphaLine,       setAlphaRect, clearKeyAlpha,
    };
}

// ---------------------------------------------------------------------------
// Blits between bitmaps and into sections.

LineRoutine lineRoutine(TbsBlitMode mode)
{
    const TbsPixelRoutines& pixels = PixelRoutines();
    return routineFor(mode, pixels.MoveLine, pixels.BlendLine, pixels.KeyCopyLine);
}

enum class Rounding { Nearest, Truncate };

// Source coordinate for destination offset k of a span stretched from
// srcLength to dstLength (> 1): k * (srcLength - 1) / (dstLength - 1).
int mapOffset(int k, int srcLength, int dstLength, Rounding rounding)
{
    const qint64 num = qint64(k) * (srcLength - 1);
    const qint64 den = dstLength - 1;
    qint64 q = num / den;
    if (rounding == Rounding::Nearest) {
        const qint64 twice = 2 * (num % den);
        if (twice > den || (twice == den && (q & 1)))
            ++q; // halves go to the even neighbour
    }
    return int(q);
}

// Source coordinates for the destination positions first .. first + count - 1
// of a span that starts at dstStart and is dstLength long.
std::vector<int> mapSpan(int first, int count, int dstStart, int dstLength, int srcStart,
                         int srcLength, Rounding rounding)
{
    std::vector<int> map(size_t(std::max(count, 0)));
    for (int i = 0; i < count; ++i) {
        if (dstLength == 1)
            map[size_t(i)] = (srcStart + srcStart + srcLength - 1) / 2; // the middle one
        else
            map[size_t(i)] =
                srcStart + mapOffset(first + i - dstStart, srcLength, dstLength, rounding);
    }
    return map;
}

TbsSection sectionOf(TbsBitmap& bitmap)
{
    return {bitmap.Bits(), bitmap.Width(), bitmap.Height(), bitmap.Width(), false};
}

// Draws srcRect of src into dst on the section, only inside clip.
void stretchInto(const TbsSection& section, const TRect& dst, const TRect& clipIn,
                 const TRect& srcRect, const TbsBitmap& src, TbsBlitMode mode, Rounding rounding)
{
    if (!section.IsValid() || src.Empty() || srcRect.IsEmpty())
        return;
    TRect clip;
    if (!IntersectRect(clip, clipIn, Rect(0, 0, section.Width, section.Height)) ||
        !IntersectRect(clip, clip, dst))
        return;
    if (!src.BoundsRect().Contains(srcRect))
        return;

    const LineRoutine apply = lineRoutine(mode);
    const int count = clip.Width();
    if (dst.Width() == srcRect.Width() && dst.Height() == srcRect.Height()) {
        const int sx = srcRect.Left + clip.Left - dst.Left;
        const int sy = srcRect.Top + clip.Top - dst.Top;
        for (int y = clip.Top; y < clip.Bottom; ++y)
            apply(src.GetPixelPtr(sx, sy + y - clip.Top), section.Row(y) + clip.Left, count);
        return;
    }

    const std::vector<int> columns =
        mapSpan(clip.Left, count, dst.Left, dst.Width(), srcRect.Left, srcRect.Width(), rounding);
    const std::vector<int> rows = mapSpan(clip.Top, clip.Height(), dst.Top, dst.Height(),
                                          srcRect.Top, srcRect.Height(), rounding);
    std::vector<quint32> line(static_cast<size_t>(count));
    int previousRow = -1;
    quint32* previousDst = nullptr;
    for (int y = clip.Top; y < clip.Bottom; ++y) {
        const int sourceRow = rows[size_t(y - clip.Top)];
        quint32* out = section.Row(y) + clip.Left;
        if (mode == TbsBlitMode::Copy && sourceRow == previousRow) {
            std::memcpy(out, previousDst, size_t(count) * sizeof(quint32));
        } else if (mode == TbsBlitMode::Copy) {
            const quint32* in = src.GetScanLine(sourceRow);
            for (int i = 0; i < count; ++i)
                out[i] = in[columns[size_t(i)]];
        } else {
            if (sourceRow != previousRow) {
                const quint32* in = src.GetScanLine(sourceRow);
                for (int i = 0; i < count; ++i)
                    line[size_t(i)] = in[columns[size_t(i)]];
            }
            apply(line.data(), out, count);
        }
        previousRow = sourceRow;
        previousDst = out;
    }
}

template <TbsBlitMode Mode>
void stretchRoutine(const TbsSection& section, const TRect& dst, const TRect& clip,
                    const TRect& srcRect, const TbsBitmap& src)
{
    stretchInto(section, dst, clip, srcRect, src, Mode, Rounding::Nearest);
}

template <TbsBlitMode Mode>
void bitmapRoutine(TbsBitmap& dst, const TRect& dstRect, const TRect& clip, const TRect& srcRect,
                   const TbsBitmap& src)
{
    stretchInto(sectionOf(dst), dstRect, clip, srcRect, src, Mode, Rounding::Truncate);
}

template <TbsBlitMode Mode>
void clippedRoutine(TbsBitmap& dst, const TRect& dstRect, const TbsBitmap& src, int sl, int st)
{
    Q_ASSERT(!dst.Empty() && !src.Empty());
    if (dst.Empty() || src.Empty())
        return;
    // Keep both rectangles inside their images, moving the two together.
    TRect d = dstRect;
    TRect srcBounds = Bounds(sl, st, d.Width(), d.Height());
    TRect s;
    if (!IntersectRect(s, srcBounds, src.BoundsRect()))
        return;
    d = Bounds(d.Left + s.Left - sl, d.Top + s.Top - st, s.Width(), s.Height());
    TRect clipped;
    if (!IntersectRect(clipped, d, dst.BoundsRect()))
        return;
    sl = s.Left + clipped.Left - d.Left;
    st = s.Top + clipped.Top - d.Top;
    const LineRoutine apply = lineRoutine(Mode);
    for (int k = 0; k < clipped.Height(); ++k)
        apply(src.GetPixelPtr(sl, st + k), dst.GetPixelPtr(clipped.Left, clipped.Top + k),
              clipped.Width());
}

// ---------------------------------------------------------------------------
// Onto contexts.

void dcCopy(TbsDC* dc, int dl, int dt, int dw, int dh, const TbsBitmap& src, int sl, int st, int sw,
            int sh)
{
    dc->PutBitmap(Bounds(dl, dt, dw, dh), src, Bounds(sl, st, sw, sh), TbsBlitMode::Copy);
}

// Reads the destination area into a temporary bitmap, draws the source onto it
// by its own flags and writes the result back.
void compositeThroughBitmap(TbsDC* dc, int dl, int dt, int dw, int dh, const TbsBitmap& src, int sl,
                            int st, int sw, int sh)
{
    if (dw <= 0 || dh <= 0)
        return;
    TbsBitmap composite;
    composite.SetSize(dw, dh);
    dc->GetBitmap(Bounds(dl, dt, dw, dh), composite);
    src.Draw(composite, Rect(0, 0, dw, dh), Bounds(sl, st, sw, sh));
    dc->PutBitmap(Bounds(dl, dt, dw, dh), composite, Rect(0, 0, dw, dh), TbsBlitMode::Copy);
}

void dcAlpha(TbsDC* dc, int dl, int dt, int dw, int dh, const TbsBitmap& src, int sl, int st,
             int sw, int sh)
{
    if (dc->IsReadable())
        compositeThroughBitmap(dc, dl, dt, dw, dh, src, sl, st, sw, sh);
    else // a painter on a widget, or scaling: its own blending is all there is
        dc->PutBitmap(Bounds(dl, dt, dw, dh), src, Bounds(sl, st, sw, sh), TbsBlitMode::Blend);
}

void dcTransparent(TbsDC* dc, int dl, int dt, int dw, int dh, const TbsBitmap& src, int sl, int st,
                   int sw, int sh)
{
    if (dc->IsReadable())
        compositeThroughBitmap(dc, dl, dt, dw, dh, src, sl, st, sw, sh);
    else
        dc->PutBitmap(Bounds(dl, dt, dw, dh), src, Bounds(sl, st, sw, sh), TbsBlitMode::Key);
}

TbsSection sectionInfo(const TbsDC* dc)
{
    return dc ? dc->SectionInfo() : TbsSection{};
}

constexpr TbsBlitRoutines kBlitRoutines = {
    dcCopy,
    dcAlpha,
    dcTransparent,
    sectionInfo,
    stretchRoutine<TbsBlitMode::Copy>,
    stretchRoutine<TbsBlitMode::Blend>,
    stretchRoutine<TbsBlitMode::Key>,
    clippedRoutine<TbsBlitMode::Copy>,
    clippedRoutine<TbsBlitMode::Blend>,
    clippedRoutine<TbsBlitMode::Key>,
    bitmapRoutine<TbsBlitMode::Copy>,
    bitmapRoutine<TbsBlitMode::Blend>,
    bitmapRoutine<TbsBlitMode::Key>,
};

} // namespace

const TbsPixelRoutines& PixelRoutines()
{
    static const TbsPixelRoutines routines = makePixelRoutines();
    return routines;
}

const TbsBlitRoutines& BlitRoutines()
{
    return kBlitRoutines;
}

TbsBlitRoutines::DCRoutine TbsBlitRoutines::DCForMode(TbsBlitMode mode) const
{
    return routineFor(mode, DCCopy, DCAlpha, DCTransparent);
}

TbsBlitRoutines::StretchRoutine TbsBlitRoutines::StretchForMode(TbsBlitMode mode) const
{
    return routineFor(mode, StretchCopy, StretchBlend, StretchKey);
}

TbsBlitRoutines::BitmapRoutine TbsBlitRoutines::BitmapForMode(TbsBlitMode mode) const
{
    return routineFor(mode, BitmapCopy, BitmapBlend, BitmapKey);
}
