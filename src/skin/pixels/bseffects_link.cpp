// TbsBitmapLink: a named rectangle of a TbsBitmap.

#include "bseffects.h"
#include "bseffects_internal.h"

#include <QIODevice>

using namespace bsdetail;

namespace {

// Key pixels and anything not fully opaque count as masked; 0x33333333 never does.
bool isMaskedPixel(quint32 p)
{
    return p != 0x33333333 && (p == bsKeyPixel || alphaOf(p) < 255);
}

bool inside(int x, int y, int left, int top, int right, int bottom)
{
    return x >= left && x < right && y >= top && y < bottom;
}

} // namespace

void TbsBitmapLink::Assign(const TbsBitmapLink& source)
{
    FImage = source.FImage;
    FRect = source.FRect;
    FName = source.FName;
    FMasked = source.FMasked;
    FMaskedBorder = source.FMaskedBorder;
    FMaskedAngles = source.FMaskedAngles;
}

bool TbsBitmapLink::Assigned() const
{
    return FImage != nullptr && qint64(FRect.Width()) * FRect.Height() >= 1;
}

void TbsBitmapLink::SaveToStream(QIODevice& stream) const
{
    bsWriteStreamName(stream, FName);
    for (const qint32 edge : {FRect.Left, FRect.Top, FRect.Right, FRect.Bottom})
        bsWriteInt32(stream, edge);
}

void TbsBitmapLink::LoadFromStream(QIODevice& stream)
{
    const QString name = bsReadStreamName(stream);
    TRect rect;
    for (int* edge : {&rect.Left, &rect.Top, &rect.Right, &rect.Bottom})
        *edge = bsReadInt32(stream);
    FName = name;
    FRect = rect;
}

void TbsBitmapLink::Draw(TbsBitmap& target, int x, int y) const
{
    if (FImage && !FImage->Empty() && FRect.Width() > 0 && FRect.Height() > 0)
        FImage->Draw(target, x, y, FRect);
}

void TbsBitmapLink::Draw(TbsDC* dc, int x, int y) const
{
    if (FImage && !FImage->Empty() && FRect.Width() > 0 && FRect.Height() > 0)
        FImage->Draw(dc, x, y, FRect);
}

void TbsBitmapLink::CheckingMasked()
{
    CheckingMasked(0, 0, 0, 0);
}

void TbsBitmapLink::CheckingMasked(int left, int top, int right, int bottom)
{
    FMasked = false;
    FMaskedBorder = false;
    FMaskedAngles = false;
    if (!FImage)
        return;
    const auto pixelAt = [this](int x, int y) -> quint32 {
        if (FImage->Empty() || x < 0 || y < 0 || x >= FImage->Width() || y >= FImage->Height())
            return 0;
        return *FImage->GetPixelPtr(x, y);
    };
    const int w = FRect.Width();
    const int h = FRect.Height();

    if (left == 0 && top == 0 && right == 0) {
        for (int x = 0; x < w; ++x) {
            for (int y = 0; y < h; ++y) {
                if (isMaskedPixel(pixelAt(FRect.Left + x, FRect.Top + y))) {
                    FMasked = true;
                    break;
                }
            }
        }
        return;
    }

    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (!isMaskedPixel(pixelAt(FRect.Left + x, FRect.Top + y)))
                continue;
            if (inside(x, y, 0, 0, left, top) || inside(x, y, w - right, 0, w, top) ||
                inside(x, y, w - right, h - bottom, w, h) || inside(x, y, 0, h - bottom, left, h))
                FMaskedAngles = true;
            if (inside(x, y, left, 0, w - right, top) ||
                inside(x, y, left, h - bottom, w - right, h) ||
                inside(x, y, 0, top, left, h - bottom) ||
                inside(x, y, w - right, top, w, h - bottom))
                FMaskedBorder = true;
            if (inside(x, y, left, top, w - right, h - bottom))
                FMasked = true;
        }
    }
}
