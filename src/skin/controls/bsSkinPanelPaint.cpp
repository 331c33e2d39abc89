// The panel's looks: the roads of its paint, its skinned image with the
// caption composed into it, and the unskinned 3-D look.

#include "bsSkinPanel.h"

#include "bsComponentState.h"
#include "bsImageList.h"
#include "bsSkinData.h"
#include "bsSkinImages.h"

namespace {

int half(int value)
{
    return value / 2;
}

// A frame one pixel wide: top and left lines in topColor, bottom and right
// in bottomColor; R moves in by one on every side.
void Frame3D(TbsDC* C, TRect& R, TColor topColor, TColor bottomColor)
{
    if (!R.IsEmpty()) {
        C->SetBrushStyle(TbsBrushStyle::bsSolid);
        C->SetBrushColor(ColorToRGB(topColor));
        C->FillRect(Rect(R.Left, R.Top, R.Right - 1, R.Top + 1));
        C->FillRect(Rect(R.Left, R.Top, R.Left + 1, R.Bottom - 1));
        C->SetBrushColor(ColorToRGB(bottomColor));
        C->FillRect(Rect(R.Right - 1, R.Top, R.Right, R.Bottom - 1));
        C->FillRect(Rect(R.Left, R.Bottom - 1, R.Right, R.Bottom));
    }
    R = Rect(R.Left + 1, R.Top + 1, R.Right - 1, R.Bottom - 1);
}

// src of the picture drawn at (X, Y) without the colour of its bottom-left pixel.
void DrawSkinImagePart(int X, int Y, const TbsBitmap& picture, const TRect& src, TbsDC* target)
{
    if (IsNullRect(src) || !picture.BoundsRect().Contains(src))
        return;
    QImage part(src.Width(), src.Height(), QImage::Format_ARGB32);
    for (int y = 0; y < src.Height(); ++y)
        std::copy_n(picture.GetPixelPtr(src.Left, src.Top + y), src.Width(),
                    reinterpret_cast<quint32*>(part.scanLine(y)));
    DrawGlyphFrame(target, X, Y, part, 1, 1);
}

// Text clipped to R at (X, Y) in the context's font and font colour.
void TextOutClipped(TbsDC* C, const TRect& R, int X, int Y, const QString& text)
{
    const int saved = C->SaveDC();
    C->IntersectClipRect(R);
    C->SetBrushStyle(TbsBrushStyle::bsClear);
    C->TextOut(X, Y, text);
    C->RestoreDC(saved);
}

// part of picture repeated over area from its top-left and cut at its edges,
// or stretched: over fullTarget (both ways), over the area's height in
// columns, or over its width in rows.
void TileOrStretch(TbsDC* C, const TbsBitmap& picture, const TRect& part, const TRect& area,
                   const TRect& fullTarget, bool stretch, TbsStretchType type)
{
    const int w = RectWidth(part);
    const int h = RectHeight(part);
    if (w < 1 || h < 1)
        return;
    if (!stretch) {
        picture.Tile(C, area, part);
        return;
    }
    switch (type) {
    case bsstFull:
        if (!IsNullRect(fullTarget))
            picture.Draw(C, fullTarget, part);
        break;
    case bsstHorz:
        for (int x = area.Left; x < area.Right; x += w)
            picture.Draw(C, Rect(x, area.Top, x + w, area.Bottom), part);
        break;
    case bsstVert:
        for (int y = area.Top; y < area.Bottom; y += h)
            picture.Draw(C, Rect(area.Left, y, area.Right, y + h), part);
        break;
    }
}

} // namespace

// ---------------------------------------------------------------------------
// Shared steps.

TColor TbsSkinPanel::GetCaptionFontColor() const
{
    const TbsSkinData* data = SkinData();
    if (!data)
        return ColorToRGB(platform::clBtnText);
    const int index = data->GetControlIndex(QStringLiteral("stdlabel"));
    if (index != -1)
        if (const auto* label = dynamic_cast<const TbsDataSkinStdLabelControl*>(
                data->CtrlList[size_t(index)].get()))
            return ColorToRGB(label->FontColor);
    return ColorToRGB(data->SkinColors().cBtnText());
}

TFont TbsSkinPanel::CaptionFont() const
{
    return FUseSkinFont ? TFont{FontName, FontHeight, FontStyle, FontColor} : FDefaultFont;
}

int TbsSkinPanel::ContentWidth(TbsDC* C) const
{
    int width = C->TextWidth(FCaption);
    if (!FGlyph.isNull())
        width += FGlyph.width() / FNumGlyphs + FSpacing;
    return width;
}

TbsSkinPanel::CaptionImage TbsSkinPanel::ChooseCaptionImage() const
{
    if (FGlyph.isNull() && FCaptionImageList && FCaptionImageIndex >= 0 &&
        FCaptionImageIndex < FCaptionImageList->Count())
        return {CaptionImage::ListImage, FCaptionImageList->Width(), FCaptionImageList->Height()};
    if (!FGlyph.isNull())
        return {CaptionImage::GlyphFrame, FGlyph.width() / FNumGlyphs, FGlyph.height()};
    return {};
}

void TbsSkinPanel::DrawCaptionImage(TbsDC* C, const CaptionImage& image, int X, int Y) const
{
    switch (image.kind) {
    case CaptionImage::ListImage:
        FCaptionImageList->Draw(C, X, Y, FCaptionImageIndex, isEnabled());
        break;
    case CaptionImage::GlyphFrame:
        DrawGlyphFrame(C, X, Y, FGlyph, FNumGlyphs, !isEnabled() && FNumGlyphs == 2 ? 2 : 1);
        break;
    case CaptionImage::None:
        break;
    }
}

// ---------------------------------------------------------------------------
// Paint.

void TbsSkinPanel::Paint(TbsDC* canvas)
{
    if (width() <= 0 || height() <= 0 || (FEmptyDrawing && !IsDesigning(this)))
        return;
    ReadSkinObject();
    const bool skinned = FIndex != -1;
    if (skinned && !FUseSkinSize && !FTransparentMode && FCaptionMode)
        PaintThroughBitmap(canvas, [this](TbsBitmap& B) { PaintSkinWithCaptionBand(B); });
    else if (skinned && FTransparentMode && !FCaptionMode)
        PaintTransparentFrame(canvas);
    else if (skinned && FTransparentMode && FCaptionMode)
        PaintTransparentGroupFrame(canvas);
    else if (!skinned || (!FForceBackground && StretchEffect))
        TbsSkinCustomControl::Paint(canvas);
    else if (FBorderStyle == bvNone && ResizeMode == 1 && !FCaptionMode && FForceBackground)
        PaintClientPart(canvas);
    else if (BGPictureIndex == -1)
        TbsSkinCustomControl::Paint(canvas);
    else
        PaintBackgroundPicture(canvas);
}

void TbsSkinPanel::PaintThroughBitmap(TbsDC* canvas, const std::function<void(TbsBitmap&)>& paint)
{
    TbsBitmap B;
    B.SetSize(width(), height());
    paint(B);
    B.Draw(canvas, 0, 0);
}

void TbsSkinPanel::PaintSkinWithCaptionBand(TbsBitmap& B)
{
    int W = width();
    int H = height();
    const QString ownName = SkinDataName();
    SetSkinDataName(QStringLiteral("panel"));
    ReadSkinObject();
    const bool hasPanel = FIndex != -1;
    if (hasPanel) {
        CalcSize(W, H);
        if (Picture)
            CreateSkinImageClipped(SkinGeometry(), B, *Picture, SkinRect, true, EdgeStretch(),
                                   StretchEffect, StretchType);
    }
    SetSkinDataName(ownName);
    if (!hasPanel)
        return;
    ReadSkinObject();
    const int bandWidth = RectWidth(NewClRect);
    const int bandHeight = FDefaultCaptionHeight - NewClRect.Top - 1;
    // No band when the caption height ends above the client part or the client part has no width.
    if (Picture && bandWidth > 0 && bandHeight > 0) {
        TbsBitmap band;
        band.SetSize(bandWidth, bandHeight);
        TRect src = Rect(CaptionRect.Left + 1, CaptionRect.Top + 1, CaptionRect.Right - 1,
                         CaptionRect.Bottom - 1);
        OffsetRect(src, SkinRect.Left, SkinRect.Top);
        CopySkinRect(band, band.BoundsRect(), *Picture, src);
        band.Draw(B, NewClRect.Left, NewClRect.Top);
    }
    NewCaptionRect =
        Rect(NewClRect.Left, NewClRect.Top, NewClRect.Right, FDefaultCaptionHeight - 1);
    PaintSkinImage(B);
}

void TbsSkinPanel::PaintTransparentFrame(TbsDC* canvas)
{
    PaintThroughBitmap(canvas, [this](TbsBitmap& B) {
        TbsDC* C = B.Canvas();
        DrawParentImage(this, C);
        if (FBorderStyle != bvNone) {
            C->SetBrushStyle(TbsBrushStyle::bsClear);
            C->SetPenColor(ColorToRGB(SkinData()->SkinColors().cBtnShadow()));
            C->SetPenWidth(1);
            C->Rectangle(Rect(0, 0, width(), height()));
        }
        PaintTransparentContent(C);
    });
}

void TbsSkinPanel::PaintTransparentGroupFrame(TbsDC* canvas)
{
    PaintThroughBitmap(canvas, [this](TbsBitmap& B) {
        TbsDC* C = B.Canvas();
        DrawParentImage(this, C);
        const TColor shadow = ColorToRGB(SkinData()->SkinColors().cBtnShadow());
        C->SetPenColor(shadow);
        C->SetPenWidth(1);
        C->SetBrushStyle(TbsBrushStyle::bsClear);
        CaptionFont().AssignTo(C);

        const int TH = C->TextHeight(FCaption);
        int X = 5;
        NewCaptionRect = Rect(5, 0, B.Width(), TH + 5);
        TRect R = NewCaptionRect;
        if (FCheckedMode && Picture) {
            const int IH = RectHeight(CheckImageRect);
            DrawSkinImagePart(5, R.Top + half(RectHeight(R)) - half(IH), *Picture,
                              FChecked ? CheckImageRect : UnCheckImageRect, C);
            X += RectWidth(CheckImageRect) + 5;
        }
        const CaptionImage image = ChooseCaptionImage();
        const int imageX = X;
        const int imageY = R.Top + half(RectHeight(R)) - half(image.height);
        if (image.kind != CaptionImage::None)
            X += image.width + 2;

        R = Rect(X, 0, B.Width(), TH + 5);
        C->SetFontColor(GetCaptionFontColor());
        DrawTextCentered(C, FCaption, R);
        TRect measured = R;
        C->DrawText(FCaption, measured, DT_CALCRECT);
        const int TW = RectWidth(measured);
        DrawCaptionImage(C, image, imageX, imageY);

        const int y0 = half(RectHeight(R));
        const auto line = [C](int x1, int y1, int x2, int y2) {
            C->MoveTo(x1, y1);
            C->LineTo(x2, y2);
        };
        if (FRollUpMode) {
            DrawArrowImage(C, Rect(R.Left + TW + 3, R.Top, R.Left + TW + 10, R.Bottom),
                           C->FontColor(), FRollUpState ? 4 : 3);
            C->SetPenColor(shadow);
            line(R.Left + TW + 12, y0, width(), y0);
        } else {
            line(R.Left + TW + 3, y0, width(), y0);
        }
        line(0, y0, 4, y0);
        C->MoveTo(width() - 1, R.Top + y0);
        C->LineTo(width() - 1, height() - 1);
        C->LineTo(0, height() - 1);
        C->LineTo(0, y0);
        PaintTransparentContent(C);
    });
}

void TbsSkinPanel::PaintClientPart(TbsDC* canvas)
{
    if (!Picture) {
        TbsSkinCustomControl::Paint(canvas);
        return;
    }
    TRect part = ClRect;
    OffsetRect(part, SkinRect.Left, SkinRect.Top);
    const TRect whole = Rect(0, 0, width(), height());
    TileOrStretch(canvas, *Picture, part, whole, whole, StretchEffect, StretchType);
}

void TbsSkinPanel::PaintBackgroundPicture(TbsDC* canvas)
{
    const TbsBitmap& G = *SkinData()->FActivePictures[size_t(BGPictureIndex)];
    TileOrStretch(canvas, G, G.BoundsRect(), Rect(0, 0, width(), height()), NewClRect,
                  StretchEffect, StretchType);
}

void TbsSkinPanel::PaintTransparentContent(TbsDC*) {}

void TbsSkinPanel::PaintskinTo(TbsDC* canvas, int X, int Y)
{
    if (!canvas || width() <= 0 || height() <= 0)
        return;
    // The control's whole look, whichever road it takes: the skinned image
    // alone lacks the frame strips and the client part.
    TbsBitmap B;
    B.SetSize(width(), height());
    Paint(B.Canvas());
    B.Draw(canvas, X, Y);
}

// ---------------------------------------------------------------------------
// Skinned image and caption.

void TbsSkinPanel::PaintSkinImage(TbsBitmap& B)
{
    if (!Picture) {
        // No image to compose a caption into: the plain look alone, its own
        // caption included.
        PaintDefaultImage(B);
        return;
    }
    if (FBorderStyle == bvNone && ResizeMode == 1 && !FCaptionMode && !StretchEffect) {
        TRect part = ClRect;
        OffsetRect(part, SkinRect.Left, SkinRect.Top);
        Picture->Tile(B.Canvas(), Rect(0, 0, width(), height()), part);
        return;
    }
    TbsSkinCustomControl::PaintSkinImage(B);
    if (FUseSkinSize) {
        if (ResizeMode > 0 && !FTransparentMode)
            NewCaptionRect = CalcObjectRect(*this, CaptionRect);
        else if (ResizeMode <= 0)
            NewCaptionRect = CaptionRect;
    }
    if (!FCaption.isEmpty() && !IsNullRect(CaptionRect))
        DrawSkinCaption(B);
}

void TbsSkinPanel::DrawSkinCaption(TbsBitmap& B)
{
    TbsDC* C = B.Canvas();
    TRect CR = NewCaptionRect;
    if (FRollUpMode)
        CR.Right -= 12;
    if (FCheckedMode && Picture) {
        const int IH = RectHeight(CheckImageRect);
        DrawSkinImagePart(CR.Left, CR.Top + half(RectHeight(CR)) - half(IH), *Picture,
                          FChecked ? CheckImageRect : UnCheckImageRect, C);
        CR.Left += RectWidth(CheckImageRect) + 2;
    }
    CaptionFont().AssignTo(C);
    C->SetFontColor(ColorToRGB(FontColor));

    int TY = CR.Top + half(RectHeight(CR)) - half(C->TextHeight(FCaption));
    if (C->FontHeight() % 2 != 0)
        TY -= 1;
    const int content = ContentWidth(C);
    int TX = CR.Left;
    if (Alignment == taRightJustify)
        TX = CR.Right - content;
    else if (Alignment == taCenter)
        TX = CR.Left + half(RectWidth(CR)) - half(content);
    C->SetBrushStyle(TbsBrushStyle::bsClear);

    const CaptionImage image = ChooseCaptionImage();
    const int IY = CR.Top + half(RectHeight(CR)) - half(image.height);
    int IX = TX;
    if (image.kind != CaptionImage::None) {
        if (FImagePosition == bsipDefault) {
            TX += image.width + FSpacing;
        } else {
            IX = CR.Left + 2;
            const int textLeft = IX + image.width + FSpacing;
            const int textWidth = C->TextWidth(FCaption);
            TX = textLeft;
            if (Alignment == taRightJustify)
                TX = CR.Right - textWidth;
            else if (Alignment == taCenter)
                TX = CR.Left + half(RectWidth(CR)) - half(textWidth);
            TX = qMax(TX, textLeft);
        }
    }

    if (FRollUpMode) {
        const TRect MR = Rect(CR.Right, CR.Top, CR.Right + 10, CR.Bottom);
        if (!IsNullRect(MarkFrameRect) && Picture)
            CopySkinRect(B,
                         Rect(MR.Left, MR.Top, MR.Left + RectWidth(MarkFrameRect),
                              CaptionRect.Top + RectHeight(MarkFrameRect)),
                         *Picture, MarkFrameRect);
        DrawArrowImage(C, MR, ColorToRGB(FontColor), FRollUpState ? 4 : 3);
    }

    if (!IsNullRect(FrameRect) && Picture) {
        const int D = RectWidth(FrameRect) - RectWidth(FrameTextRect);
        const int FW = C->TextWidth(FCaption) + D;
        int FX = TX;
        if (Alignment == taLeftJustify) {
            TX = FX + FrameTextRect.Left;
        } else if (Alignment == taRightJustify) {
            FX = TX - D;
            TX = FX + FrameTextRect.Left;
            IX -= D;
        } else {
            FX = TX - FrameTextRect.Left - 2;
            TX -= 2;
            IX -= FrameTextRect.Left;
        }
        if (FW > 0) {
            TbsBitmap FB;
            CreateHSkinImage(FrameLeftOffset, FrameRightOffset, FB, *Picture, FrameRect, FW,
                             RectHeight(FrameRect), false);
            FB.Draw(B, FX, CaptionRect.Top);
        }
    }

    TextOutClipped(C, CR, TX, TY, FCaption);
    DrawCaptionImage(C, image, IX, IY);
}

// ---------------------------------------------------------------------------
// The unskinned look.

void TbsSkinPanel::PaintDefaultImage(TbsBitmap& B)
{
    TbsSkinCustomControl::PaintDefaultImage(B);
    TbsDC* C = B.Canvas();
    TRect R = Rect(0, 0, width(), height());
    switch (FBorderStyle) {
    case bvFrame:
        Frame3D(C, R, platform::clBtnShadow, platform::clBtnShadow);
        break;
    case bvRaised:
        Frame3D(C, R, platform::clBtnHighlight, platform::clBtnShadow);
        break;
    case bvLowered:
        Frame3D(C, R, platform::clBtnShadow, platform::clBtnHighlight);
        break;
    case bvNone:
        break;
    }
    if (!FCaptionMode)
        return;

    const int W = width();
    const int H = height();
    const int DCH = FDefaultCaptionHeight;
    if (FBorderStyle == bvFrame) {
        R = FRibbonStyle ? Rect(0, H - DCH, W, H) : Rect(0, 0, W, DCH);
        Frame3D(C, R, platform::clBtnShadow, platform::clBtnShadow);
        Frame3D(C, R, platform::clBtnHighlight, platform::clBtnFace);
    } else {
        R = FRibbonStyle ? Rect(1, H - DCH - 1, W - 1, H - 1) : Rect(1, 1, W - 1, DCH);
        Frame3D(C, R, platform::clBtnShadow, platform::clBtnHighlight);
        Frame3D(C, R, platform::clBtnHighlight, platform::clBtnShadow);
    }
    DrawDefaultCaption(C, R);
}

void TbsSkinPanel::DrawDefaultCaption(TbsDC* C, TRect R)
{
    if (FCheckedMode)
        R.Left += 20;
    if (FRollUpMode)
        R.Right -= 10;
    FDefaultFont.AssignTo(C);

    const int TY = R.Top + half(RectHeight(R)) - half(C->TextHeight(FCaption));
    const int content = ContentWidth(C);
    int TX = R.Left + 2;
    if (FDefaultAlignment == taRightJustify)
        TX = R.Right - content;
    else if (FDefaultAlignment == taCenter)
        TX = R.Left + 2 + half(RectWidth(R)) - half(content);

    if (FCheckedMode) {
        const int Y0 = R.Top + half(RectHeight(R)) - 7;
        TRect box = Rect(5, Y0, 19, Y0 + 14);
        Frame3D(C, box, platform::clBtnShadow, platform::clBtnShadow);
        if (FChecked)
            DrawCheckImage(C, 9, Y0 + 3, ColorToRGB(platform::clBtnText));
    }

    const CaptionImage image = ChooseCaptionImage();
    const int IY = R.Top + half(RectHeight(R)) - half(image.height);
    const int IX = TX;
    if (image.kind != CaptionImage::None)
        TX += image.width + FSpacing;
    TextOutClipped(C, R, TX, TY, FCaption);
    DrawCaptionImage(C, image, IX, IY);

    if (FRollUpMode)
        DrawArrowImage(C, Rect(R.Right, R.Top, R.Right + 10, R.Bottom),
                       ColorToRGB(platform::clBtnText), FRollUpState ? 4 : 3);
}
