#pragma once

// Skin pictures in BMP file form: written as 24-bit images, read from any
// uncompressed or run-length BMP after its sizes were checked against the bytes
// that are there, so a lying header never makes us allocate.

#include "bseffects.h"

#include <QByteArray>
#include <QString>

class QIODevice;

// Largest picture a skin may carry, in pixels.
inline constexpr qint64 MaxBmpPixels = 16 * 1024 * 1024;
// File header and the smallest info header.
inline constexpr qint64 MinBmpFileSize = 14 + 12;

// The bitmap as a 24-bit BMP file.
QByteArray BmpFileBytes(const TbsBitmap& bitmap);
void WriteBmp(QIODevice& stream, const TbsBitmap& bitmap);
// One BMP image at the device's position; its file header gives its length.
// The picture arrives opaque in meaning: AlphaBlend and Transparent off.
// Raises EbsSkinError and leaves the bitmap as it was on bad data.
void ReadBmp(QIODevice& stream, TbsBitmap& bitmap);
void LoadBmpFile(const QString& path, TbsBitmap& bitmap);
// Raises EbsSkinError when the file cannot be written.
void SaveBmpFile(const QString& path, const TbsBitmap& bitmap);
