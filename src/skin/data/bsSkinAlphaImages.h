#pragma once

// The 32-bit alpha images that caption buttons and the layered frame keep
// ready for drawing, cut from the skin's numbered pictures.

#include "bseffects.h"

#include <memory>
#include <vector>

// The skin's numbered pictures, in index order.
using TbsPictureList = std::vector<std::unique_ptr<TbsBitmap>>;

// Whether index names one of the pictures (-1 and every other negative
// index name none).
bool IsPictureIndex(const TbsPictureList& pictures, int index);

// The part of rect that picture pictureIndex holds, as a new image of that
// part's size: alpha from the grey of the mask picture's top-left part,
// colours premultiplied; without a mask, opaque. None when that part is
// empty or the picture is missing.
std::unique_ptr<TbsBitmap> BuildAlphaImage(const TbsPictureList& pictures, int pictureIndex,
                                           int maskIndex, const TRect& rect);

// The whole picture pictureIndex with its alpha from the grey of the whole
// mask picture (not premultiplied). None unless both pictures exist.
std::unique_ptr<TbsBitmap> BuildLayerImage(const TbsPictureList& pictures, int pictureIndex,
                                           int maskIndex);
