#include "bsSkinAlphaImages.h"

namespace {

// Copies src of picture into image at the origin, ignoring the picture's own
// blend or key mode; the parts of src outside the picture stay 0.
void copyPart(TbsBitmap& image, const TbsBitmap& picture, const TRect& src)
{
    TRect inside;
    if (!IntersectRect(inside, src, picture.BoundsRect()))
        return;
    const TRect dst =
        Bounds(inside.Left - src.Left, inside.Top - src.Top, inside.Width(), inside.Height());
    BlitRoutines().BitmapCopy(image, dst, dst, inside, picture);
}

} // namespace

bool IsPictureIndex(const TbsPictureList& pictures, int index)
{
    return index >= 0 && size_t(index) < pictures.size() && pictures[size_t(index)] != nullptr;
}

std::unique_ptr<TbsBitmap> BuildAlphaImage(const TbsPictureList& pictures, int pictureIndex,
                                           int maskIndex, const TRect& rect)
{
    if (!IsPictureIndex(pictures, pictureIndex))
        return nullptr;
    const TbsBitmap& picture = *pictures[size_t(pictureIndex)];
    // Only the part of rect the picture holds: a skin's rectangle may be far
    // larger than its picture. An empty rect has no such part.
    TRect part;
    if (!IntersectRect(part, rect, picture.BoundsRect()))
        return nullptr;
    auto image = std::make_unique<TbsBitmap>();
    image->SetSize(part.Width(), part.Height());
    copyPart(*image, picture, part);
    if (IsPictureIndex(pictures, maskIndex)) {
        TbsBitmap mask;
        mask.SetSize(part.Width(), part.Height());
        copyPart(mask, *pictures[size_t(maskIndex)], image->BoundsRect());
        AlphaFromGrayPremultiplied(*image, mask);
        return image;
    }
    image->SetAlphaBlend(true);
    image->SetAlpha(255);
    return image;
}

std::unique_ptr<TbsBitmap> BuildLayerImage(const TbsPictureList& pictures, int pictureIndex,
                                           int maskIndex)
{
    if (!IsPictureIndex(pictures, pictureIndex) || !IsPictureIndex(pictures, maskIndex))
        return nullptr;
    auto image = std::make_unique<TbsBitmap>();
    image->Assign(*pictures[size_t(pictureIndex)]);
    AlphaFromGray(*image, *pictures[size_t(maskIndex)]);
    image->CheckingAlphaBlend();
    return image;
}
