#include "bsGlowText.h"

#include "bsUtils.h"
#include "bseffects.h"

namespace {

// Shifts of the halo's text copies; the plain copy comes last. None is
// purely vertical.
constexpr TPoint kGlowShifts[] = {{-1, -1}, {-2, -2}, {-1, 0}, {-2, 0}, {1, 0},
                                  {2, 0},   {1, 1},   {2, 2},  {0, 0}};

// Red text coverage, blurred.
void drawCoverage(TbsBitmap& glow, const TbsDC& canvas, const QString& text, unsigned flags)
{
    TbsDC* dc = glow.Canvas();
    dc->SetFont(canvas.Font());
    dc->SetFontHeight(canvas.FontHeight());
    dc->SetFontColor(platform::clRed);
    dc->SetBrushStyle(TbsBrushStyle::bsClear);
    const TRect inner =
        Rect(bsGlowMargin, bsGlowMargin, glow.Width() - bsGlowMargin, glow.Height() - bsGlowMargin);
    for (const TPoint& shift : kGlowShifts) {
        TRect r = inner;
        OffsetRect(r, shift.X, shift.Y);
        DrawSkinText(dc, text, r, flags);
    }
    StackBlur(glow, bsGlowMargin);
}

// Every pixel becomes the glow colour with the blurred coverage as its alpha.
void colourByCoverage(TbsBitmap& glow, TColor glowColor)
{
    const quint32 colour = ColorToPixel32(glowColor) & 0xFFFFFF;
    quint32* pixel = glow.Bits();
    for (qsizetype i = 0, n = qsizetype(glow.Width()) * glow.Height(); i < n; ++i)
        pixel[i] = (((pixel[i] >> 16) & 0xFF) << 24) | colour;
}

} // namespace

void DrawGlowText(TbsDC* canvas, const TRect& rect, const QString& text, unsigned flags,
                  TColor glowColor)
{
    const int width = rect.Width() + 2 * bsGlowMargin;
    const int height = rect.Height() + 2 * bsGlowMargin;
    if (width > 0 && height > 0) {
        TbsBitmap glow;
        glow.SetSize(width, height);
        drawCoverage(glow, *canvas, text, flags);
        colourByCoverage(glow, glowColor);
        glow.SetAlphaBlend(true);
        glow.Draw(canvas, rect.Left - bsGlowMargin, rect.Top - bsGlowMargin);
    }
    canvas->SetBrushStyle(TbsBrushStyle::bsClear);
    TRect r = rect;
    canvas->DrawText(text, r, flags);
}
