#include "bsBitmapFile.h"

#include "ReplacingFile.h"
#include "bsStreamIO.h"

#include <QBuffer>
#include <QFile>
#include <QImage>

namespace {

enum BmpCompression : quint32 { biRgb = 0, biRle8 = 1, biRle4 = 2, biBitFields = 3 };

quint32 le32(const QByteArray& bytes, qint64 at)
{
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData() + at);
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

quint16 le16(const QByteArray& bytes, qint64 at)
{
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData() + at);
    return quint16(p[0] | p[1] << 8);
}

[[noreturn]] void badBitmap()
{
    throw EbsSkinError(QStringLiteral("Invalid bitmap"));
}

struct BmpGeometry {
    qint64 width = 0;
    qint64 height = 0; // rows, without the sign that gives their order
    int depth = 0;
    quint32 compression = biRgb;
};

BmpGeometry geometryOf(const QByteArray& file, qint64 infoSize)
{
    BmpGeometry g;
    if (infoSize == 12) {
        g.width = le16(file, 18);
        g.height = le16(file, 20);
        g.depth = le16(file, 24);
        return g;
    }
    g.width = qint32(le32(file, 18));
    g.height = qAbs(qint64(qint32(le32(file, 22))));
    g.depth = le16(file, 28);
    g.compression = le32(file, 30);
    return g;
}

// Whether the pixel rows the header promises fit in the bytes present.
void checkGeometry(const BmpGeometry& g, qint64 pixelBytes)
{
    if (g.width <= 0 || g.height <= 0 || g.width * g.height > MaxBmpPixels)
        badBitmap();
    switch (g.depth) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        break;
    default:
        badBitmap();
    }
    const qint64 rowBytes = (g.width * g.depth + 31) / 32 * 4;
    switch (g.compression) {
    case biRgb:
    case biBitFields:
        if (rowBytes * g.height > pixelBytes)
            badBitmap();
        break;
    case biRle8:
    case biRle4:
        // Run lengths decode to at most the size checked above.
        break;
    default:
        badBitmap();
    }
}

void checkBmp(const QByteArray& file)
{
    const qint64 infoSize = file.size() >= 18 ? le32(file, 14) : 0;
    if (infoSize != 12 && infoSize < 40)
        badBitmap();
    const qint64 pixelOffset = le32(file, 10);
    if (14 + infoSize > file.size() || pixelOffset < 14 + infoSize || pixelOffset > file.size())
        badBitmap();
    checkGeometry(geometryOf(file, infoSize), file.size() - pixelOffset);
}

void assignBmp(const QByteArray& file, TbsBitmap& bitmap)
{
    checkBmp(file);
    QImage image;
    if (!image.loadFromData(file, "BMP"))
        badBitmap();
    bitmap.Assign(image);
    bitmap.SetAlphaBlend(false);
    bitmap.SetTransparent(false);
}

} // namespace

QString FolderOf(const QString& fileName)
{
    return fileName.left(fileName.lastIndexOf(QLatin1Char('/')) + 1);
}

QByteArray BmpFileBytes(const TbsBitmap& bitmap)
{
    // Our pixel words are the RGB32 layout; the writer drops the alpha byte.
    const QImage image(reinterpret_cast<const uchar*>(bitmap.Bits()), bitmap.Width(),
                       bitmap.Height(), bitmap.Width() * 4, QImage::Format_RGB32);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (bitmap.Empty() || !image.save(&buffer, "BMP"))
        throw EbsSkinError(QStringLiteral("Cannot write the bitmap"));
    return bytes;
}

void WriteBmp(QIODevice& stream, const TbsBitmap& bitmap)
{
    WriteBytes(stream, BmpFileBytes(bitmap));
}

void ReadBmp(QIODevice& stream, TbsBitmap& bitmap)
{
    const QByteArray header = PeekBytes(stream, 6);
    if (header.size() < 6 || !header.startsWith("BM"))
        badBitmap();
    const qint64 size = le32(header, 2);
    if (size < MinBmpFileSize || size > BytesLeft(stream))
        badBitmap();
    assignBmp(ReadBytes(stream, size), bitmap);
}

void LoadBmpFile(const QString& path, TbsBitmap& bitmap)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EbsSkinError(QStringLiteral("Cannot open file \"%1\"").arg(path));
    ReadBmp(file, bitmap);
}

void SaveBmpFile(const QString& path, const TbsBitmap& bitmap)
{
    const QByteArray bytes = BmpFileBytes(bitmap);
    try {
        platform::replaceFileContents(path, bytes);
    } catch (const platform::EFileReplaceError&) {
        throw EbsSkinError(QStringLiteral("Cannot create file \"%1\"").arg(path));
    }
}
