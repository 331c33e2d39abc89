#include "bsSkinRegions.h"

#include "bsUtils.h"

#include <QtEndian>

namespace {

constexpr int kHeaderSize = 32;
constexpr int kRectSize = 16;
constexpr quint32 kRectanglesType = 1;

void putInt(QByteArray& data, qsizetype at, qint32 value)
{
    qToLittleEndian<qint32>(value, data.data() + at);
}

qint32 intAt(const QByteArray& data, qsizetype at)
{
    return qFromLittleEndian<qint32>(data.constData() + at);
}

void putRect(QByteArray& data, qsizetype at, const TRect& r)
{
    putInt(data, at, r.Left);
    putInt(data, at + 4, r.Top);
    putInt(data, at + 8, r.Right);
    putInt(data, at + 12, r.Bottom);
}

bool isBlack(const quint8* pixel)
{
    return pixel[0] == 0 && pixel[1] == 0 && pixel[2] == 0;
}

// The strip's region placed at (x, y); none for a strip that was not built.
std::optional<QRegion> stripRegion(const TbsBitmap& strip, int x, int y)
{
    if (strip.Empty())
        return std::nullopt;
    QByteArray data;
    CreateRgnDataFromMask(strip, x, y, data);
    return RegionFromRgnData(data);
}

} // namespace

TbsFBitmap::TbsFBitmap(const TbsBitmap& source) : FWidth(source.Width()), FHeight(source.Height())
{
    FBits.assign(size_t(Size()), 0);
    FPixels.reserve(size_t(FHeight));
    for (int y = 0; y < FHeight; ++y) {
        quint8* row = FBits.data() + qsizetype(y) * RowInc();
        FPixels.push_back(row);
        const quint32* in = source.GetScanLine(y);
        for (int x = 0; x < FWidth; ++x) {
            row[3 * x] = quint8(in[x]);
            row[3 * x + 1] = quint8(in[x] >> 8);
            row[3 * x + 2] = quint8(in[x] >> 16);
        }
    }
}

std::vector<TRect> MaskRuns(const TbsBitmap& mask, int x, int y)
{
    std::vector<TRect> runs;
    if (mask.Empty())
        return runs;
    const TbsFBitmap copy(mask);
    for (int row = 0; row < copy.Height(); ++row) {
        const quint8* line = copy.Pixels()[row];
        int col = 0;
        while (col < copy.Width()) {
            if (!isBlack(line + 3 * col)) {
                ++col;
                continue;
            }
            int end = col + 1;
            while (end < copy.Width() && isBlack(line + 3 * end))
                ++end;
            runs.push_back(Rect(x + col, y + row, x + end, y + row + 1));
            col = end;
        }
    }
    return runs;
}

qsizetype CreateRgnDataFromMask(const TbsBitmap& mask, int x, int y, QByteArray& data)
{
    data.clear();
    if (mask.Empty())
        return 0;
    const std::vector<TRect> runs = MaskRuns(mask, x, y);
    const qsizetype size = kHeaderSize + kRectSize * qsizetype(runs.size());
    data = QByteArray(size, '\0');
    putInt(data, 0, kHeaderSize);
    putInt(data, 4, kRectanglesType);
    putInt(data, 8, qint32(runs.size()));
    putInt(data, 12, 0);
    putRect(data, 16, Rect(x, y, x + mask.Width(), y + mask.Height()));
    for (size_t i = 0; i < runs.size(); ++i)
        putRect(data, kHeaderSize + kRectSize * qsizetype(i), runs[i]);
    return size;
}

QRegion RegionFromRgnData(const QByteArray& data)
{
    if (data.size() < kHeaderSize || intAt(data, 0) != kHeaderSize ||
        quint32(intAt(data, 4)) != kRectanglesType)
        return {};
    const qint32 count = intAt(data, 8);
    if (count < 0 || (data.size() - kHeaderSize) / kRectSize < count)
        return {};
    std::vector<QRect> rects;
    rects.reserve(size_t(count));
    for (qint32 i = 0; i < count; ++i) {
        const qsizetype at = kHeaderSize + kRectSize * qsizetype(i);
        const TRect r{intAt(data, at), intAt(data, at + 4), intAt(data, at + 8),
                      intAt(data, at + 12)};
        if (!r.IsEmpty())
            rects.push_back(r.toQRect());
    }
    QRegion region;
    region.setRects(rects.data(), int(rects.size()));
    return region;
}

void CreateRgnFromMask(std::optional<QRegion>& rgn, const TbsBitmap& mask)
{
    QByteArray data;
    if (CreateRgnDataFromMask(mask, 0, 0, data) == 0)
        rgn.reset();
    else
        rgn = RegionFromRgnData(data);
}

void CreateSkinRegion(std::optional<QRegion>& rgn, const TbsSkinGeometry& g, const TbsBitmap& mask)
{
    rgn.reset();
    if (g.NewLTPoint.X > g.NewRTPoint.X || g.NewLTPoint.Y > g.NewLBPoint.Y)
        return;
    TbsBitmap top, left, right, bottom;
    CreateSkinMaskImage(g, mask, top, left, right, bottom);
    if (!IsNullRect(g.NCL))
        rgn = QRegion(g.NCL.toQRect());
    const std::optional<QRegion> parts[] = {
        stripRegion(top, 0, 0),
        stripRegion(bottom, 0, g.NCL.Bottom),
        stripRegion(left, 0, g.NCL.Top),
        stripRegion(right, g.NCL.Right, g.NCL.Top),
    };
    for (const std::optional<QRegion>& part : parts) {
        if (part)
            rgn = rgn ? rgn->united(*part) : *part;
    }
}
