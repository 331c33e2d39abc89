#pragma once

// Window regions made from mask pictures: a mask's pure black pixels belong
// to the window, any other colour is cut away.
//
// A region "handle" is an optional QRegion: none means no region at all (the
// window keeps its full rectangle).

#include "bsSkinImages.h"

#include <QByteArray>
#include <QRegion>
#include <optional>
#include <vector>

// A 24-bit copy of a bitmap, blue, green and red bytes per pixel, rows
// top-down and padded to four bytes, read through a table of row pointers.
class TbsFBitmap {
public:
    explicit TbsFBitmap(const TbsBitmap& source);
    TbsFBitmap(const TbsFBitmap&) = delete;
    TbsFBitmap& operator=(const TbsFBitmap&) = delete;

    const quint8* Bits() const { return FBits.data(); }
    // Entry y points at row y.
    const quint8* const* Pixels() const { return FPixels.data(); }
    int Gap() const { return FWidth % 4; }
    int RowInc() const { return FWidth * 3 + FWidth % 4; }
    qsizetype Size() const { return qsizetype(RowInc()) * FHeight; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }

private:
    int FWidth = 0;
    int FHeight = 0;
    std::vector<quint8> FBits;
    std::vector<const quint8*> FPixels;
};

// One rectangle per horizontal run of pure black pixels, row by row, left to
// right, moved by (x, y).
std::vector<TRect> MaskRuns(const TbsBitmap& mask, int x, int y);

// The region data block of the mask at (x, y): a 32-byte header (size 32,
// type 1, count N, region size 0, bounds) and N rectangles of 16 bytes, all
// little-endian 32-bit values. Answers its size, 0 and no data for an empty
// mask.
qsizetype CreateRgnDataFromMask(const TbsBitmap& mask, int x, int y, QByteArray& data);
// The region a data block describes; an empty region for a malformed block.
QRegion RegionFromRgnData(const QByteArray& data);
// No region for an empty mask.
void CreateRgnFromMask(std::optional<QRegion>& rgn, const TbsBitmap& mask);

// The mask laid out at the new size: NCL and the four mask strips around it.
// No region when the new points cross or nothing remains.
void CreateSkinRegion(std::optional<QRegion>& rgn, const TbsSkinGeometry& g, const TbsBitmap& mask);
