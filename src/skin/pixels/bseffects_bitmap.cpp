// TbsBitmap: size, assignment, streams, checks and drawing.

#include "ToolkitInteger.h"
#include "bseffects.h"
#include "bseffects_internal.h"

#include <QIODevice>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPicture>
#include <QPixmap>
#include <QtEndian>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <optional>
#include <vector>

using namespace bsdetail;

namespace {

// Larger pictures than 2^28 pixels (1 GiB) are refused: no skin needs them, and
// sizes from streams must not be able to ask for more.
constexpr qint64 kMaxPixels = qint64(1) << 28;

const char* const kCantAllocate = "Can't allocate the DIB handle";
const char* const kReadError = "Stream read error";
const char* const kBadStreamData = "Invalid bitmap data in stream";
const char* const kBadPcx = "Invalid PCX data";
const char* const kUnsupportedPcx = "Unsupported PCX format";

// The module's list of bitmaps that own a context. Never destroyed, so bitmaps
// that are themselves static can still unregister at exit.
std::vector<TbsBitmap*>& bitmapRegistry()
{
    static auto* registry = new std::vector<TbsBitmap*>;
    return *registry;
}

void registerBitmapDC(TbsBitmap* bitmap)
{
    auto& list = bitmapRegistry();
    if (std::find(list.begin(), list.end(), bitmap) == list.end())
        list.push_back(bitmap);
}

void unregisterBitmapDC(TbsBitmap* bitmap)
{
    auto& list = bitmapRegistry();
    list.erase(std::remove(list.begin(), list.end(), bitmap), list.end());
}

// Stream helpers. Reads grow with the data actually present, so a lying size
// cannot make us reserve memory the stream does not back.
std::optional<QByteArray> readExactly(QIODevice& stream, qint64 size)
{
    constexpr qint64 kChunk = 1 << 20;
    QByteArray data;
    while (data.size() < size) {
        const qint64 want = std::min(kChunk, size - data.size());
        const QByteArray part = stream.read(want);
        if (part.isEmpty() && !stream.waitForReadyRead(0))
            return std::nullopt;
        data += part;
    }
    return data;
}

void writeAll(QIODevice& stream, const char* data, qint64 size)
{
    if (stream.write(data, size) != size)
        throw EbsSkinError("Stream write error");
}

} // namespace

qint32 bsReadInt32(QIODevice& stream)
{
    const auto bytes = readExactly(stream, 4);
    if (!bytes)
        throw EbsSkinError(kReadError);
    return qFromLittleEndian<qint32>(bytes->constData());
}

void bsWriteInt32(QIODevice& stream, qint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    writeAll(stream, bytes, 4);
}

QString bsReadStreamName(QIODevice& stream)
{
    const qint32 count = bsReadInt32(stream);
    if (count < 0)
        throw EbsSkinError(kBadStreamData);
    const auto bytes = readExactly(stream, qint64(count) * 2);
    if (!bytes)
        throw EbsSkinError(kReadError);
    QString name(count, Qt::Uninitialized);
    for (qint32 i = 0; i < count; ++i)
        name[i] = QChar(qFromLittleEndian<quint16>(bytes->constData() + 2 * i));
    return name;
}

void bsWriteStreamName(QIODevice& stream, const QString& name)
{
    bsWriteInt32(stream, qint32(name.size()));
    QByteArray bytes(name.size() * 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < name.size(); ++i)
        qToLittleEndian(name[i].unicode(), bytes.data() + 2 * i);
    writeAll(stream, bytes.constData(), bytes.size());
}

// ---------------------------------------------------------------------------

TbsBitmap::TbsBitmap() = default;

TbsBitmap::~TbsBitmap()
{
    unregisterBitmapDC(this);
}

TbsDC* TbsBitmap::Canvas()
{
    if (!FDC)
        FDC = std::make_unique<TbsDC>(this);
    return FDC.get();
}

void TbsBitmap::FreeImage()
{
    FBits.reset();
    FWidth = 0;
    FHeight = 0;
    unregisterBitmapDC(this);
    if (FDC)
        FDC->ResetDeviceState();
}

void TbsBitmap::SetSize(int width, int height)
{
    if (width == std::numeric_limits<int>::min() || height == std::numeric_limits<int>::min()) {
        FreeImage();
        throw EbsSkinError(kCantAllocate);
    }
    width = std::abs(width);
    height = std::abs(height);
    if (width == 0 || height == 0 || (width == FWidth && height == FHeight && !Empty()))
        return;
    FreeImage();
    const qint64 pixels = qint64(width) * height;
    if (pixels > kMaxPixels)
        throw EbsSkinError(kCantAllocate);
    FBits.reset(new (std::nothrow) quint32[size_t(pixels)]());
    if (!FBits)
        throw EbsSkinError(kCantAllocate);
    Canvas(); // a fresh context on the new pixels, keeping font, pen and brush
    registerBitmapDC(this);
    FWidth = width;
    FHeight = height;
}

void TbsBitmap::Clear(quint32 pixel)
{
    if (!Empty())
        PixelRoutines().FillLine(FBits.get(), FWidth * FHeight, pixel);
}

// ---------------------------------------------------------------------------
// Assignment.

void TbsBitmap::Assign(const TbsBitmap& source)
{
    if (&source == this)
        return;
    if (source.Empty()) {
        FreeImage();
        return;
    }
    SetSize(source.Width(), source.Height());
    PixelRoutines().MoveLine(source.Bits(), Bits(), FWidth * FHeight);
    FName = source.FName;
    FAlphaBlend = source.FAlphaBlend;
    FTransparent = source.FTransparent;
}

void TbsBitmap::Assign(const QImage& source)
{
    if (source.isNull()) {
        FreeImage();
        return;
    }
    const bool withAlpha = source.hasAlphaChannel();
    const QImage pixels =
        source.convertToFormat(withAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    SetSize(pixels.width(), pixels.height());
    for (int y = 0; y < FHeight; ++y)
        std::memcpy(GetScanLine(y), pixels.constScanLine(y), size_t(FWidth) * 4);
    if (withAlpha)
        CheckingAlphaBlend();
    else
        SetAlpha(255);
}

void TbsBitmap::Assign(const QPixmap& source)
{
    Assign(source.toImage());
}

void TbsBitmap::Assign(const QPicture& source)
{
    const QRect box = source.boundingRect();
    if (box.isEmpty()) {
        FreeImage();
        return;
    }
    SetSize(box.width(), box.height());
    DrawGraphic(source, BoundsRect());
    SetAlpha(255);
}

void TbsBitmap::AssignTo(QImage& dst) const
{
    if (Empty()) {
        dst = QImage();
        return;
    }
    dst = QImage(FWidth, FHeight, QImage::Format_ARGB32);
    dst.fill(0);
    TbsDC dc(&dst);
    Draw(&dc, 0, 0);
}

void TbsBitmap::AssignTo(QPixmap& dst) const
{
    QImage image;
    AssignTo(image);
    dst = QPixmap::fromImage(image);
}

void TbsBitmap::DrawGraphic(const QPicture& graphic, const TRect& rect)
{
    if (Empty())
        return;
    // Magenta under the drawing marks what it leaves uncovered.
    QImage canvas(FWidth, FHeight, QImage::Format_RGB32);
    canvas.fill(QColor(255, 0, 255));
    const QRect box = graphic.boundingRect();
    if (!box.isEmpty() && !rect.IsEmpty()) {
        QPainter painter(&canvas);
        painter.translate(rect.Left, rect.Top);
        painter.scale(double(rect.Width()) / box.width(), double(rect.Height()) / box.height());
        painter.translate(-box.left(), -box.top());
        painter.drawPicture(0, 0, graphic);
    }
    for (int y = 0; y < FHeight; ++y) {
        const auto* line = reinterpret_cast<const quint32*>(canvas.constScanLine(y));
        for (int x = 0; x < FWidth; ++x) {
            if ((line[x] & 0xFFFFFF) != 0xFF00FF)
                SetPixelValue(x, y, line[x]);
        }
    }
}

bool TbsBitmap::LoadFromResource(const QString& resourcePath)
{
    QImageReader reader(resourcePath);
    const QImage image = reader.read();
    if (image.isNull())
        return false;
    Assign(image);
    return true;
}

// ---------------------------------------------------------------------------
// Streams.

void TbsBitmap::SaveToStream(QIODevice& stream) const
{
    bsWriteStreamName(stream, FName);
    bsWriteInt32(stream, FWidth);
    bsWriteInt32(stream, FHeight);
    if (Empty())
        return;
    const qint64 bytes = qint64(FWidth) * FHeight * 4;
    if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
        writeAll(stream, reinterpret_cast<const char*>(Bits()), bytes);
    } else {
        QByteArray data(bytes, Qt::Uninitialized);
        qToLittleEndian<quint32>(Bits(), qsizetype(FWidth) * FHeight, data.data());
        writeAll(stream, data.constData(), bytes);
    }
}

void TbsBitmap::LoadFromStream(QIODevice& stream)
{
    try {
        const QString name = bsReadStreamName(stream);
        const qint32 width = bsReadInt32(stream);
        const qint32 height = bsReadInt32(stream);
        if (width == std::numeric_limits<qint32>::min() ||
            height == std::numeric_limits<qint32>::min())
            throw EbsSkinError(kBadStreamData);
        const int w = std::abs(width);
        const int h = std::abs(height);
        const qint64 pixels = qint64(w) * h;
        if (pixels > kMaxPixels)
            throw EbsSkinError(kBadStreamData);
        const auto data = readExactly(stream, pixels * 4);
        if (!data)
            throw EbsSkinError(kReadError);
        // A record without pixels keeps the pixels there are and renames them.
        if (pixels > 0) {
            SetSize(w, h);
            qFromLittleEndian<quint32>(data->constData(), qsizetype(pixels), Bits());
            if (height < 1)
                FlipVert();
        }
        FName = name;
    } catch (const EbsSkinError&) {
        FreeImage();
        throw;
    }
}

namespace {

// The 16 colours of the system palette, as 0xRRGGBB.
constexpr quint32 kSystemPalette16[16] = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

// Run-length data: a byte with both top bits set repeats the next byte
// (byte & 63) times. Answers false when the data ends before size bytes.
bool decodePcxRle(const QByteArray& data, qsizetype size, QByteArray& out)
{
    out.resize(size);
    qsizetype made = 0;
    qsizetype i = 0;
    while (made < size && i < data.size()) {
        const auto byte = quint8(data[i++]);
        if ((byte & 0xC0) == 0xC0) {
            if (i >= data.size())
                break;
            const char value = data[i++];
            const qsizetype run = std::min<qsizetype>(byte & 63, size - made);
            std::memset(out.data() + made, value, size_t(run));
            made += run;
        } else {
            out[made++] = char(byte);
        }
    }
    return made == size;
}

quint32 rgbAt(const uchar* triple)
{
    return (quint32(triple[0]) << 16) | (quint32(triple[1]) << 8) | triple[2];
}

// Palette index x of a line of one plane, bitsPerPixel 1, 2, 4 or 8 bits a
// pixel, the leftmost pixel in the high bits.
int pcxIndex(const uchar* line, int x, int bitsPerPixel)
{
    const int bit = x * bitsPerPixel;
    const int shift = 8 - bitsPerPixel - bit % 8;
    return (line[bit / 8] >> shift) & ((1 << bitsPerPixel) - 1);
}

} // namespace

void TbsBitmap::LoadFromPcxStream(QIODevice& stream)
{
    // A short header is a read error; the bitmap stays as it was.
    const auto header = readExactly(stream, 128);
    if (!header)
        throw EbsSkinError(kReadError);
    const auto* h = reinterpret_cast<const uchar*>(header->constData());
    if (h[0] != 10 && h[0] != 205)
        return;
    try {
        const int version = h[1];
        const bool rle = h[2] == 1;
        const int bitsPerPixel = h[3];
        const int width =
            int(qFromLittleEndian<quint16>(h + 8)) - qFromLittleEndian<quint16>(h + 4) + 1;
        const int height =
            int(qFromLittleEndian<quint16>(h + 10)) - qFromLittleEndian<quint16>(h + 6) + 1;
        const int planes = h[65];
        const int bytesPerLine = qFromLittleEndian<quint16>(h + 66);
        const bool indexed = planes == 1 && (bitsPerPixel == 1 || bitsPerPixel == 2 ||
                                             bitsPerPixel == 4 || bitsPerPixel == 8);
        const bool rgb = planes == 3 && bitsPerPixel == 8;
        if (!indexed && !rgb)
            throw EbsSkinError(kUnsupportedPcx);
        if (width < 1 || height < 1 ||
            bytesPerLine < (qint64(width) * (indexed ? bitsPerPixel : 8) + 7) / 8)
            throw EbsSkinError(kBadPcx);

        QByteArray data = stream.readAll();
        std::vector<quint32> palette(256, 0);
        if (indexed) {
            if (version == 3) {
                std::copy(std::begin(kSystemPalette16), std::end(kSystemPalette16),
                          palette.begin());
            } else if (bitsPerPixel < 8) {
                // Up to 16 colours: the header holds them, from byte 16 on.
                for (int i = 0; i < 16; ++i)
                    palette[size_t(i)] = rgbAt(h + 16 + 3 * i);
            } else {
                // One marker byte and 256 red, green, blue triples end the stream.
                if (data.size() < 769)
                    throw EbsSkinError(kBadPcx);
                const auto* p =
                    reinterpret_cast<const uchar*>(data.constData()) + data.size() - 768;
                for (int i = 0; i < 256; ++i)
                    palette[size_t(i)] = rgbAt(p + 3 * i);
                data.chop(769);
            }
        }

        const qsizetype lineSize = qsizetype(planes) * bytesPerLine;
        const qint64 size = qint64(height) * lineSize;
        // A run makes at most 63 bytes of two: more than that cannot be in the data.
        if (size > (rle ? qint64(data.size()) * 63 : qint64(data.size())))
            throw EbsSkinError(kBadPcx);
        QByteArray lines;
        if (rle) {
            if (!decodePcxRle(data, qsizetype(size), lines))
                throw EbsSkinError(kBadPcx);
        } else {
            lines = data.left(qsizetype(size));
        }

        SetSize(width, height);
        for (int y = 0; y < height; ++y) {
            const auto* line = reinterpret_cast<const uchar*>(lines.constData()) + y * lineSize;
            quint32* out = GetScanLine(y);
            for (int x = 0; x < width; ++x) {
                if (indexed)
                    out[x] = 0xFF000000 | palette[size_t(pcxIndex(line, x, bitsPerPixel))];
                else
                    out[x] = 0xFF000000 | (quint32(line[x]) << 16) |
                             (quint32(line[bytesPerLine + x]) << 8) | line[2 * bytesPerLine + x];
            }
        }
    } catch (const EbsSkinError&) {
        FreeImage();
        throw;
    }
}

// ---------------------------------------------------------------------------
// Checks.

void TbsBitmap::CheckRGBA()
{
    quint32* p = Bits();
    std::transform(p, p + qsizetype(FWidth) * FHeight, p, [](quint32 pixel) {
        return scaledByAlpha(pixel, [](int c, int a) { return std::min(c, a); });
    });
}

void TbsBitmap::CheckRGBA2()
{
    quint32* p = Bits();
    std::transform(p, p + qsizetype(FWidth) * FHeight, p, premultipliedPixel);
}

void TbsBitmap::CheckingAlphaBlend()
{
    CheckingAlphaBlend(BoundsRect());
}

void TbsBitmap::CheckingAlphaBlend(const TRect& rect)
{
    FAlphaBlend = false;
    TRect r;
    if (Empty() || !IntersectRect(r, rect, BoundsRect()))
        return;
    for (int y = r.Top; y < r.Bottom; ++y) {
        const quint32* line = GetScanLine(y);
        for (int x = r.Left; x < r.Right; ++x) {
            const int a = alphaOf(line[x]);
            if (a > 0 && a < 255) {
                FAlphaBlend = true;
                return;
            }
        }
    }
}

void TbsBitmap::CheckingTransparent(quint32 color)
{
    CheckingTransparent(color, BoundsRect());
}

void TbsBitmap::CheckingTransparent(quint32 color, const TRect& rect)
{
    FTransparent = false;
    TRect r;
    if (Empty() || !IntersectRect(r, rect, BoundsRect()))
        return;
    const int cr = redOf(color), cg = greenOf(color), cb = blueOf(color);
    for (int y = r.Top; y < r.Bottom; ++y) {
        quint32* line = GetScanLine(y);
        for (int x = r.Left; x < r.Right; ++x) {
            if (std::abs(redOf(line[x]) - cr) < 6 && std::abs(greenOf(line[x]) - cg) < 6 &&
                std::abs(blueOf(line[x]) - cb) < 6) {
                line[x] = bsKeyPixel;
                FTransparent = true;
            }
        }
    }
}

void TbsBitmap::SetAlpha(quint8 alpha)
{
    if (!Empty())
        PixelRoutines().SetAlphaLine(Bits(), FWidth * FHeight, alpha);
}

void TbsBitmap::SetAlpha(quint8 alpha, const TRect& rect)
{
    if (Empty() || rect.Width() == 0 || rect.Height() == 0)
        return;
    const TRect r{std::max(rect.Left, 0), std::max(rect.Top, 0), std::min(rect.Right, FWidth),
                  std::min(rect.Bottom, FHeight)};
    PixelRoutines().SetAlphaRect(Bits(), FWidth, FHeight, r.Left, r.Top, r.Right - 1, r.Bottom - 1,
                                 alpha);
}

void TbsBitmap::SetPixelValue(int x, int y, quint32 pixel)
{
    if (!Empty() && x >= 0 && x < FWidth && y >= 0 && y < FHeight)
        *GetPixelPtr(x, y) = pixel;
}

// ---------------------------------------------------------------------------
// Links.

std::unique_ptr<TbsBitmapLink> TbsBitmap::GetBitmapLink(const TRect& rect)
{
    auto link = std::make_unique<TbsBitmapLink>();
    link->SetImage(this);
    link->SetName(FName);
    link->SetRect(rect);
    return link;
}

std::unique_ptr<TbsBitmapLink> TbsBitmap::GetBitmapLink(const QString& rectText)
{
    return GetBitmapLink(ParseRectText(rectText));
}

QString NextToken(QString& text)
{
    static const QString delimiters = QStringLiteral(" (),:;=");
    qsizetype at = -1;
    for (qsizetype i = 0; i < text.size() && at < 0; ++i) {
        if (delimiters.contains(text[i]))
            at = i;
    }
    QString token;
    if (at < 0) {
        token = text;
        text.clear();
    } else {
        token = text.left(at);
        text = text.mid(at + 1);
    }
    text = text.trimmed();
    return token.trimmed();
}

TRect ParseRectText(const QString& text)
{
    QString rest = text;
    int values[4];
    for (int& value : values) {
        const auto parsed = platform::parseToolkitInteger(NextToken(rest));
        if (!parsed)
            return {};
        value = *parsed;
    }
    return {values[0], values[1], values[2], values[3]};
}

// ---------------------------------------------------------------------------
// Drawing.

TbsBlitMode TbsBitmap::DrawMode() const
{
    if (FAlphaBlend)
        return TbsBlitMode::Blend;
    return FTransparent ? TbsBlitMode::Key : TbsBlitMode::Copy;
}

void TbsBitmap::DrawIntoBitmap(TbsBitmap& target, const TRect& dst, const TRect& clip,
                               const TRect& src) const
{
    if (Empty() || target.Empty())
        return;
    BlitRoutines().BitmapForMode(DrawMode())(target, dst, clip, src, *this);
}

void TbsBitmap::DrawThroughDC(TbsDC* dc, const TRect& dst, const TRect& src) const
{
    if (!dc || Empty())
        return;
    if (TbsBitmap* target = FindBitmapByDC(dc)) {
        const TRect deviceDst = dc->LogicalToDevice(dst);
        for (const QRect& part : dc->DrawableRegion())
            DrawIntoBitmap(*target, deviceDst, TRect::fromQRect(part), src);
        return;
    }
    BlitRoutines().DCForMode(DrawMode())(dc, dst.Left, dst.Top, dst.Width(), dst.Height(), *this,
                                         src.Left, src.Top, src.Width(), src.Height());
}

void TbsBitmap::Draw(TbsDC* dc, int x, int y) const
{
    Draw(dc, x, y, BoundsRect());
}

void TbsBitmap::Draw(TbsDC* dc, int x, int y, const TRect& src) const
{
    DrawThroughDC(dc, Bounds(x, y, src.Width(), src.Height()), src);
}

void TbsBitmap::Draw(TbsDC* dc, const TRect& dst) const
{
    DrawThroughDC(dc, dst, BoundsRect());
}

void TbsBitmap::Draw(TbsDC* dc, const TRect& dst, const TRect& src) const
{
    DrawThroughDC(dc, dst, src);
}

void TbsBitmap::Draw(TbsBitmap& target, int x, int y) const
{
    Draw(target, x, y, BoundsRect());
}

void TbsBitmap::Draw(TbsBitmap& target, int x, int y, const TRect& src) const
{
    const TRect dst = Bounds(x, y, src.Width(), src.Height());
    DrawIntoBitmap(target, dst, dst, src);
}

void TbsBitmap::Draw(TbsBitmap& target, const TRect& dst) const
{
    DrawIntoBitmap(target, dst, dst, BoundsRect());
}

void TbsBitmap::Draw(TbsBitmap& target, const TRect& dst, const TRect& src) const
{
    DrawIntoBitmap(target, dst, dst, src);
}

namespace {

// Calls draw(piece, source piece) for each tile of src's size over area,
// starting at the area's top-left; pieces at the right and bottom edges are
// cut, taking the source from its left and top.
template <typename DrawPiece> void forEachTile(const TRect& area, const TRect& src, DrawPiece draw)
{
    const int tw = src.Width();
    const int th = src.Height();
    if (tw <= 0 || th <= 0 || area.IsEmpty())
        return;
    const int columns = int((qint64(area.Width()) + tw - 1) / tw);
    const int rows = int((qint64(area.Height()) + th - 1) / th);
    for (int i = 0; i <= columns; ++i) {
        for (int j = 0; j <= rows; ++j) {
            TRect piece;
            if (!IntersectRect(piece, Bounds(area.Left + i * tw, area.Top + j * th, tw, th), area))
                break;
            draw(piece, Bounds(src.Left, src.Top, piece.Width(), piece.Height()));
        }
    }
}

} // namespace

void TbsBitmap::Tile(TbsDC* dc, const TRect& area, const TRect& src) const
{
    if (!dc || Empty() || src.Width() == 0 || src.Height() == 0)
        return;
    TbsBitmap* registered = FindBitmapByDC(dc);
    const TbsBlitRoutines& blits = BlitRoutines();
    const TbsSection section = registered ? TbsSection{} : blits.SectionInfo(dc);
    const auto stretch = blits.StretchForMode(DrawMode());
    const QRegion drawable = dc->DrawableRegion();
    forEachTile(area, src, [&](const TRect& piece, const TRect& srcPiece) {
        if (registered) {
            const TRect d = dc->LogicalToDevice(piece);
            for (const QRect& part : drawable)
                DrawIntoBitmap(*registered, d, TRect::fromQRect(part), srcPiece);
        } else if (section.IsValid()) {
            const TRect d = dc->LogicalToDevice(piece);
            for (const QRect& part : drawable)
                stretch(section, d, TRect::fromQRect(part), srcPiece, *this);
        } else {
            DrawThroughDC(dc, piece, srcPiece);
        }
    });
}

void TbsBitmap::Tile(TbsBitmap& target, const TRect& area, const TRect& src) const
{
    if (qint64(src.Width()) * src.Height() == 0)
        return;
    forEachTile(area, src, [&](const TRect& piece, const TRect& srcPiece) {
        DrawIntoBitmap(target, piece, piece, srcPiece);
    });
}

void TbsBitmap::TileClip(TbsDC* dc, const TRect& area, const TRect& src, const TRect& clip) const
{
    forEachTile(area, src, [&](const TRect& piece, const TRect& srcPiece) {
        TRect common;
        if (clip.IsEmpty() || IntersectRect(common, piece, clip))
            DrawThroughDC(dc, piece, srcPiece);
    });
}

void TbsBitmap::TileClip(TbsBitmap& target, const TRect& area, const TRect& src,
                         const TRect& clip) const
{
    forEachTile(area, src, [&](const TRect& piece, const TRect& srcPiece) {
        TRect common;
        if (clip.IsEmpty() || IntersectRect(common, piece, clip))
            DrawIntoBitmap(target, piece, piece, srcPiece);
    });
}

void TbsBitmap::MergeDraw(const TbsBitmap& source, int x, int y, const TRect& rect)
{
    if (Empty() || source.Empty())
        return;
    TRect r = rect;
    if (r.Left < 0) {
        x -= r.Left;
        r.Left = 0;
    }
    if (r.Top < 0) {
        y -= r.Top;
        r.Top = 0;
    }
    r.Right = std::min(r.Right, source.Width());
    r.Bottom = std::min(r.Bottom, source.Height());
    const auto blend = PixelRoutines().BlendPixel;
    for (int sy = r.Top; sy < r.Bottom; ++sy) {
        const int ty = y + sy - r.Top;
        if (ty < 0 || ty >= FHeight)
            continue;
        const quint32* in = source.GetScanLine(sy);
        quint32* out = GetScanLine(ty);
        for (int sx = r.Left; sx < r.Right; ++sx) {
            const int tx = x + sx - r.Left;
            if (tx < 0 || tx >= FWidth)
                continue;
            const int a = alphaOf(out[tx]);
            if (a == 0)
                out[tx] = in[sx];
            else if (a != 255)
                out[tx] = blend(out[tx], in[sx]);
        }
    }
}

void TbsBitmap::FillRect(const TRect& rect, quint32 pixel)
{
    if (Empty())
        return;
    const TRect r{std::max(rect.Left, 0), std::max(rect.Top, 0), std::min(rect.Right, FWidth),
                  std::min(rect.Bottom, FHeight)};
    if (r.Width() < 1 || r.Height() < 1)
        return;
    const TbsPixelRoutines& pixels = PixelRoutines();
    if (FAlphaBlend) {
        const std::vector<quint32> line(size_t(r.Width()), pixel);
        for (int y = r.Top; y < r.Bottom; ++y)
            pixels.BlendLine(line.data(), GetPixelPtr(r.Left, y), r.Width());
    } else {
        pixels.FillRect(Bits(), FWidth, FHeight, r.Left, r.Top, r.Right - 1, r.Bottom - 1, pixel);
    }
}

TbsBitmap* FindBitmapByDC(const TbsDC* dc)
{
    if (!dc)
        return nullptr;
    for (TbsBitmap* bitmap : bitmapRegistry()) {
        if (bitmap->DC() == dc)
            return bitmap;
    }
    return nullptr;
}
