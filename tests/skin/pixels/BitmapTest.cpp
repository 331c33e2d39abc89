// TbsBitmap: size, checks, drawing, tiling, assignment, streams and PCX.

#include "SkinPixelHelpers.h"
#include "bseffects.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QPicture>
#include <QTemporaryDir>
#include <QtEndian>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

TEST(BitmapSize, TakesAbsoluteValuesAndIgnoresZero)
{
    TbsBitmap b;
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.DC(), nullptr);
    b.SetSize(-20, 10);
    EXPECT_EQ(b.Width(), 20);
    EXPECT_EQ(b.Height(), 10);
    EXPECT_EQ(pixelAt(b, 19, 9), 0u); // new pixels start at 0
    b.SetSize(0, 5);
    EXPECT_EQ(b.Width(), 20);
    EXPECT_EQ(b.Height(), 10);
    EXPECT_EQ(FindBitmapByDC(b.DC()), &b);
}

TEST(BitmapSize, FailureLeavesAnEmptyBitmapWithNoSize)
{
    TbsBitmap b;
    b.SetSize(4, 4);
    TbsDC* dc = b.DC();
    EXPECT_THROW(b.SetSize(100000, 100000), EbsSkinError);
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.Width(), 0);
    EXPECT_EQ(b.Height(), 0);
    EXPECT_EQ(FindBitmapByDC(dc), nullptr);
    b.Clear(1);
    b.FillRect(Rect(0, 0, 4, 4), 1); // nothing to walk
    b.FlipVert();
}

TEST(BitmapChecks, AlphaBlendAndTransparent)
{
    SizedBitmap b(2, 1);
    *b.GetPixelPtr(0, 0) = 0x00000000;
    *b.GetPixelPtr(1, 0) = 0xFF000000;
    b.CheckingAlphaBlend();
    EXPECT_FALSE(b.AlphaBlend());
    *b.GetPixelPtr(1, 0) = 0xFE000000;
    b.CheckingAlphaBlend();
    EXPECT_TRUE(b.AlphaBlend());

    *b.GetPixelPtr(0, 0) = argb(255, 0, 250, 0);
    *b.GetPixelPtr(1, 0) = argb(255, 0, 249, 0);
    b.CheckingTransparent(0x00FF00);
    EXPECT_TRUE(b.Transparent());
    EXPECT_EQ(pixelAt(b, 0, 0), bsKeyPixel);
    EXPECT_EQ(pixelAt(b, 1, 0), argb(255, 0, 249, 0));

    TbsBitmap empty;
    empty.SetTransparent(true);
    empty.CheckingTransparent(0);
    EXPECT_FALSE(empty.Transparent());
}

TEST(BitmapChecks, TransparentToleranceHoldsOnEveryChannel)
{
    // Colour 0x204060: a pixel is keyed when red, green and blue each lie
    // within 5 of it; 6 away on any one channel keeps it.
    const int colour[3] = {0x20, 0x40, 0x60};
    for (int channel = 0; channel < 3; ++channel) {
        for (int delta : {-6, -5, 0, 5, 6}) {
            int rgb[3] = {colour[0], colour[1], colour[2]};
            rgb[channel] += delta;
            const quint32 pixel = argb(0x9A, rgb[0], rgb[1], rgb[2]);
            SizedBitmap b(1, 1, pixel);
            b.CheckingTransparent(0x204060);
            const bool keyed = std::abs(delta) < 6;
            EXPECT_EQ(pixelAt(b, 0, 0), keyed ? bsKeyPixel : pixel)
                << "channel " << channel << " off by " << delta;
            EXPECT_EQ(b.Transparent(), keyed) << "channel " << channel << " off by " << delta;
        }
    }
    // Off by 5 on all three at once still counts.
    SizedBitmap b(1, 1, argb(255, 0x25, 0x3B, 0x65));
    b.CheckingTransparent(0x204060);
    EXPECT_EQ(pixelAt(b, 0, 0), bsKeyPixel);
}

TEST(BitmapChecks, PremultiplyingTwoWays)
{
    SizedBitmap b(256, 1);
    fillWith(b, [](int x, int) { return argb(x, 200, 100, 255); });
    b.CheckRGBA();
    EXPECT_EQ(pixelAt(b, 150, 0), argb(150, 150, 100, 150));
    fillWith(b, [](int x, int) { return argb(x, 200, 101, 255); });
    b.CheckRGBA2();
    for (int a = 0; a < 256; ++a) {
        const auto exact = [a](int c) { return int(std::nearbyint(c * a / 255.0)); };
        ASSERT_EQ(pixelAt(b, a, 0), argb(a, exact(200), exact(101), exact(255))) << a;
    }
}

TEST(BitmapChecks, SetAlphaWholeAndClampedRectangle)
{
    SizedBitmap b(3, 3);
    b.SetAlpha(10);
    EXPECT_EQ(alphaOf(pixelAt(b, 2, 2)), 10);
    b.SetAlpha(99, Rect(-5, -5, 2, 1));
    EXPECT_EQ(alphaOf(pixelAt(b, 1, 0)), 99);
    EXPECT_EQ(alphaOf(pixelAt(b, 2, 0)), 10);
    EXPECT_EQ(alphaOf(pixelAt(b, 0, 1)), 10);
    b.SetPixelValue(3, 0, 5); // outside: ignored
    b.SetPixelValue(2, 2, 5);
    EXPECT_EQ(pixelAt(b, 2, 2), 5u);
}

TEST(BitmapDraw, CopyBlendAndKeyOntoABitmap)
{
    SizedBitmap src(2, 1);
    *src.GetPixelPtr(0, 0) = bsKeyPixel;
    *src.GetPixelPtr(1, 0) = 0x80FF0000;
    const auto drawn = [&](bool blend, bool key) {
        SizedBitmap target(3, 1, 0xFF0000FF);
        src.SetAlphaBlend(blend);
        src.SetTransparent(key);
        src.Draw(target, 1, 0);
        return std::make_pair(pixelAt(target, 1, 0), pixelAt(target, 2, 0));
    };
    EXPECT_EQ(drawn(false, false), std::make_pair(bsKeyPixel, 0x80FF0000u));
    EXPECT_EQ(drawn(false, true), std::make_pair(0xFF0000FFu, 0xFFFF0000u));
    EXPECT_EQ(drawn(true, false), std::make_pair(0xFF0000FFu, 0xBF7F007Fu));
}

TEST(BitmapDraw, ThroughTheContextHonoursOriginsAndClip)
{
    SizedBitmap src(2, 2, 0xFF112233);
    SizedBitmap target(8, 8);
    TbsDC* dc = target.Canvas();
    dc->SetWindowOrg(1, 1);
    dc->SetViewportOrg(4, 0);                // logical (0, 0) is device (3, -1)
    dc->IntersectClipRect(Rect(0, 0, 8, 8)); // device (3, -1) .. (11, 7)
    dc->ExcludeClipRect(Rect(1, 2, 2, 3));   // device (4, 1)
    src.Draw(dc, 0, 1);                      // device (3, 0) .. (5, 2)
    EXPECT_EQ(pixelAt(target, 3, 0), 0xFF112233u);
    EXPECT_EQ(pixelAt(target, 4, 0), 0xFF112233u);
    EXPECT_EQ(pixelAt(target, 3, 1), 0xFF112233u);
    EXPECT_EQ(pixelAt(target, 4, 1), 0u); // excluded
    EXPECT_EQ(pixelAt(target, 0, 1), 0u);

    dc->SaveDC();
    dc->IntersectClipRect(Rect(0, 0, 0, 0));
    src.Draw(dc, 2, 2);
    EXPECT_EQ(pixelAt(target, 5, 1), 0u);
    EXPECT_TRUE(dc->RestoreDC(-1));
    src.Draw(dc, 2, 2);
    EXPECT_EQ(pixelAt(target, 5, 1), 0xFF112233u);
    EXPECT_FALSE(dc->RestoreDC(-1));
}

TEST(BitmapTile, TenByTenOverTwentyFiveCutsTheLastPieces)
{
    SizedBitmap tile(10, 10);
    fillWith(tile, [](int x, int y) { return argb(255, x, y, 1); });
    SizedBitmap target(30, 30);
    tile.Tile(target, Rect(0, 0, 25, 25), tile.BoundsRect());
    EXPECT_TRUE(pixelsMatch(target, [](int x, int y) {
        return (x < 25 && y < 25) ? argb(255, x % 10, y % 10, 1) : 0u;
    }));
    SizedBitmap viaContext(30, 30);
    tile.Tile(viaContext.Canvas(), Rect(0, 0, 25, 25), tile.BoundsRect());
    EXPECT_EQ(pixelAt(viaContext, 24, 24), argb(255, 4, 4, 1));
    EXPECT_EQ(pixelAt(viaContext, 25, 24), 0u);
}

TEST(BitmapTile, WindowOriginMovesThePiecesOnRegisteredBitmapsAndImageSections)
{
    // A 4 x 4 tile over the logical area (0, 0, 9, 7); window origin (3, 2):
    // logical (x, y) is device (x - 3, y - 2), so device (x, y) inside the
    // moved area shows tile pixel ((x + 3) mod 4, (y + 2) mod 4).
    SizedBitmap tile(4, 4);
    fillWith(tile, [](int x, int y) { return argb(255, 0x10 * x, 0x10 * y, 7); });
    const auto expected = [&](int x, int y) {
        const bool inside = x + 3 < 9 && y + 2 < 7;
        return inside ? pixelAt(tile, (x + 3) % 4, (y + 2) % 4) : 0u;
    };
    SizedBitmap target(10, 10);
    target.Canvas()->SetWindowOrg(3, 2);
    tile.Tile(target.Canvas(), Rect(0, 0, 9, 7), tile.BoundsRect());
    EXPECT_TRUE(pixelsMatch(target, expected));

    QImage image(10, 10, QImage::Format_ARGB32);
    image.fill(0);
    TbsDC dc(&image);
    ASSERT_TRUE(dc.SectionInfo().IsValid());
    dc.SetWindowOrg(3, 2);
    tile.Tile(&dc, Rect(0, 0, 9, 7), tile.BoundsRect());
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            ASSERT_EQ(image.pixel(x, y), expected(x, y)) << x << "," << y;
}

TEST(BitmapTile, IntoAnImageSectionAndSkippingPiecesOutsideTheClip)
{
    SizedBitmap tile(4, 4, 0xFF445566);
    QImage image(10, 10, QImage::Format_ARGB32);
    image.fill(0);
    TbsDC dc(&image);
    ASSERT_TRUE(dc.SectionInfo().IsValid());
    tile.Tile(&dc, Rect(1, 1, 9, 9), tile.BoundsRect());
    EXPECT_EQ(image.pixel(1, 1), 0xFF445566u);
    EXPECT_EQ(image.pixel(8, 8), 0xFF445566u);
    EXPECT_EQ(image.pixel(9, 9), 0u);

    SizedBitmap unclipped(10, 10);
    tile.TileClip(unclipped, Rect(0, 0, 8, 8), tile.BoundsRect(), Rect(3, 3, 3, 9));
    EXPECT_TRUE(pixelsMatch(unclipped, [](int x, int y) { // an empty clip skips nothing
        return x < 8 && y < 8 ? 0xFF445566u : 0u;
    }));

    SizedBitmap target(10, 10);
    tile.TileClip(target, Rect(0, 0, 8, 8), tile.BoundsRect(), Rect(5, 5, 6, 6));
    EXPECT_EQ(pixelAt(target, 4, 4), 0xFF445566u); // the piece meeting the clip, whole
    EXPECT_EQ(pixelAt(target, 7, 7), 0xFF445566u);
    EXPECT_EQ(pixelAt(target, 0, 0), 0u);
}

TEST(BitmapMergeDraw, ByTheTargetsAlpha)
{
    SizedBitmap src(3, 1, 0xFF00FF00);
    SizedBitmap target(3, 1);
    *target.GetPixelPtr(0, 0) = 0x00000000;
    *target.GetPixelPtr(1, 0) = 0xFFFF0000;
    *target.GetPixelPtr(2, 0) = 0x80FF0000;
    target.MergeDraw(src, -1, 0, Rect(-1, 0, 5, 1)); // left moves on: x 0 meets target 0
    EXPECT_EQ(pixelAt(target, 0, 0), 0xFF00FF00u);
    EXPECT_EQ(pixelAt(target, 1, 0), 0xFFFF0000u);
    // The target over the source, every byte (t * 128 + s * 128) >> 8.
    EXPECT_EQ(pixelAt(target, 2, 0), 0xBF7F7F00u);
}

TEST(BitmapFillRect, PlainOrBlended)
{
    SizedBitmap b(4, 4, 0xFF0000FF);
    b.FillRect(Rect(-2, -2, 2, 2), 0xFF123456);
    EXPECT_EQ(pixelAt(b, 1, 1), 0xFF123456u);
    EXPECT_EQ(pixelAt(b, 2, 2), 0xFF0000FFu);
    b.SetAlphaBlend(true);
    b.FillRect(Rect(2, 2, 9, 9), 0x80FF0000);
    EXPECT_EQ(pixelAt(b, 3, 3), 0xBF7F007Fu);
}

TEST(BitmapAssign, FromAndToImages)
{
    QImage withAlpha(2, 1, QImage::Format_ARGB32);
    withAlpha.setPixel(0, 0, 0x80102030);
    withAlpha.setPixel(1, 0, 0xFF405060);
    TbsBitmap b;
    b.Assign(withAlpha);
    EXPECT_EQ(pixelAt(b, 0, 0), 0x80102030u);
    EXPECT_TRUE(b.AlphaBlend());

    QImage opaque(1, 1, QImage::Format_RGB888);
    opaque.setPixel(0, 0, 0xFFABCDEF);
    b.Assign(opaque);
    EXPECT_EQ(b.Width(), 1);
    EXPECT_EQ(pixelAt(b, 0, 0), 0xFFABCDEFu);

    b.SetSize(2, 2);
    b.Clear(0x7F010203);
    b.SetAlphaBlend(false);
    QImage out;
    b.AssignTo(out);
    EXPECT_EQ(out.size(), QSize(2, 2));
    EXPECT_EQ(out.pixel(1, 1), 0x7F010203u);

    TbsBitmap copy;
    b.SetName("part");
    copy.Assign(b);
    EXPECT_EQ(pixelAt(copy, 1, 1), 0x7F010203u);
    EXPECT_EQ(copy.Name(), "part");
    copy.Assign(TbsBitmap());
    EXPECT_TRUE(copy.Empty());
}

TEST(BitmapAssign, AGraphicLeavesItsMagentaUncovered)
{
    QPicture picture;
    {
        QPainter p(&picture);
        p.fillRect(QRect(0, 0, 4, 4), QColor(255, 0, 255));
        p.fillRect(QRect(0, 0, 2, 4), QColor(0, 0, 255));
    }
    TbsBitmap b;
    b.Assign(picture);
    ASSERT_EQ(b.Width(), 4);
    EXPECT_EQ(pixelAt(b, 0, 0), 0xFF0000FFu);
    EXPECT_EQ(pixelAt(b, 3, 3), 0xFF000000u); // skipped, then made opaque
}

TEST(BitmapAssign, LoadsAPictureFileOrSaysItIsMissing)
{
    QTemporaryDir dir;
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(0xFF203040);
    const QString path = dir.filePath("p.png");
    ASSERT_TRUE(image.save(path));
    TbsBitmap b;
    EXPECT_TRUE(b.LoadFromResource(path));
    EXPECT_EQ(b.Width(), 3);
    EXPECT_EQ(pixelAt(b, 2, 1), 0xFF203040u);
    EXPECT_FALSE(b.LoadFromResource(dir.filePath("missing.png")));
    EXPECT_EQ(b.Width(), 3);
}

// --- streams ----------------------------------------------------------------

QByteArray int32le(qint32 v)
{
    char bytes[4];
    qToLittleEndian(v, bytes);
    return QByteArray(bytes, 4);
}

TEST(BitmapStream, RoundTrip)
{
    SizedBitmap b(3, 2);
    fillRandom(b, 11);
    b.SetName(QStringLiteral("btn\u00e9"));
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    b.SaveToStream(buffer);
    EXPECT_EQ(buffer.size(), 4 + 4 * 2 + 8 + 3 * 2 * 4);
    buffer.seek(0);
    TbsBitmap loaded;
    loaded.LoadFromStream(buffer);
    EXPECT_EQ(loaded.Name(), b.Name());
    ASSERT_EQ(loaded.Width(), 3);
    ASSERT_EQ(loaded.Height(), 2);
    EXPECT_TRUE(pixelsMatch(loaded, [&](int x, int y) { return pixelAt(b, x, y); }));
}

TEST(BitmapStream, NegativeHeightMeansBottomUpRows)
{
    ReadBuffer buffer(int32le(0) + int32le(1) + int32le(-2) + int32le(0x11) + int32le(0x22));
    TbsBitmap b;
    b.LoadFromStream(buffer);
    ASSERT_EQ(b.Height(), 2);
    EXPECT_EQ(pixelAt(b, 0, 0), 0x22u);
    EXPECT_EQ(pixelAt(b, 0, 1), 0x11u);
}

TEST(BitmapStream, ARecordWithoutPixelsKeepsThemAndTakesOnlyTheName)
{
    const QByteArray nameX = int32le(1) + QByteArray("x\0", 2);
    for (const QByteArray& size : {int32le(0) + int32le(3), int32le(4) + int32le(0)}) {
        SizedBitmap b(1, 2);
        fillWith(b, [](int, int y) { return y == 0 ? 0x11u : 0x22u; });
        ReadBuffer buffer(nameX + size);
        b.LoadFromStream(buffer);
        EXPECT_EQ(b.Name(), QStringLiteral("x"));
        ASSERT_EQ(b.Width(), 1);
        ASSERT_EQ(b.Height(), 2);
        EXPECT_EQ(pixelAt(b, 0, 0), 0x11u);
        EXPECT_EQ(pixelAt(b, 0, 1), 0x22u);
    }
}

TEST(BitmapStream, HostileStreamsFailCleanlyAndLeaveTheBitmapEmpty)
{
    const QByteArray pixels4 = QByteArray(16, '\x01');
    const QList<QByteArray> streams = {
        QByteArray(),                                             // nothing at all
        int32le(-1),                                              // negative name length
        int32le(1000) + "ab",                                     // name longer than the data
        int32le(0) + int32le(2),                                  // height missing
        int32le(0) + int32le(2) + int32le(2) + QByteArray(15, 1), // one pixel byte short
        int32le(0) + int32le(65536) + int32le(65536),             // 16 GiB promised
        int32le(0) + int32le(INT_MIN) + int32le(1) + pixels4,     // no absolute value
        int32le(0) + int32le(-3) + int32le(100000) + pixels4,     // huge and truncated
    };
    for (const QByteArray& s : streams) {
        ReadBuffer buffer(s);
        SizedBitmap b(2, 2);
        EXPECT_THROW(b.LoadFromStream(buffer), EbsSkinError) << s.toHex().toStdString();
        EXPECT_TRUE(b.Empty());
        EXPECT_EQ(b.Width(), 0);
    }
}

// --- PCX --------------------------------------------------------------------

QByteArray pcxHeader(int version, int encoding, int width, int height, int planes, int bytesPerLine,
                     int bitsPerPixel = 8)
{
    QByteArray h(128, '\0');
    h[0] = 10;
    h[1] = char(version);
    h[2] = char(encoding);
    h[3] = char(bitsPerPixel);
    qToLittleEndian<quint16>(0, h.data() + 4);
    qToLittleEndian<quint16>(0, h.data() + 6);
    qToLittleEndian<quint16>(quint16(width - 1), h.data() + 8);
    qToLittleEndian<quint16>(quint16(height - 1), h.data() + 10);
    h[65] = char(planes);
    qToLittleEndian<quint16>(quint16(bytesPerLine), h.data() + 66);
    return h;
}

QByteArray palette256()
{
    QByteArray p(769, '\0');
    p[0] = 12;
    for (int i = 0; i < 256; ++i) {
        p[1 + 3 * i] = char(i);
        p[2 + 3 * i] = char(255 - i);
        p[3 + 3 * i] = char(i / 2);
    }
    return p;
}

std::unique_ptr<TbsBitmap> loadPcx(const QByteArray& data)
{
    ReadBuffer buffer(data);
    auto b = std::make_unique<TbsBitmap>();
    b->LoadFromPcxStream(buffer);
    return b;
}

quint32 paletteColour(int i)
{
    return argb(255, i, 255 - i, i / 2);
}

TEST(BitmapPcx, RunLengthEightBitWithPalette)
{
    // 3 x 2, 4 bytes per line: line 0 = 5 5 5 9 (run of 3), line 1 = 200 1 1 1.
    const QByteArray data =
        pcxHeader(5, 1, 3, 2, 1, 4) + QByteArray("\xC3\x05\x09\xC1\xC8\xC3\x01", 7) + palette256();
    const auto loaded = loadPcx(data);
    const TbsBitmap& b = *loaded;
    ASSERT_EQ(b.Width(), 3);
    ASSERT_EQ(b.Height(), 2);
    EXPECT_EQ(pixelAt(b, 0, 0), paletteColour(5));
    EXPECT_EQ(pixelAt(b, 2, 0), paletteColour(5));
    EXPECT_EQ(pixelAt(b, 0, 1), paletteColour(200));
    EXPECT_EQ(pixelAt(b, 2, 1), paletteColour(1));
}

TEST(BitmapPcx, ByteWithOnlyItsTopBitSetIsAPixelNotARun)
{
    // 2 x 1: 0x9A lacks the second marker bit, so it is pixel 0; 5 is pixel 1.
    const auto loaded =
        loadPcx(pcxHeader(5, 1, 2, 1, 1, 2) + QByteArray("\x9A\x05", 2) + palette256());
    EXPECT_EQ(pixelAt(*loaded, 0, 0), argb(255, 0x9A, 0x65, 0x4D));
    EXPECT_EQ(pixelAt(*loaded, 1, 0), paletteColour(5));
}

TEST(BitmapPcx, RunsOfThirtyTwoAndMoreCrossLinesAndAreCutAtTheEnd)
{
    // 100 x 2, 100 bytes a line. Line 0: 32 of 5 (0xE0), 63 of 7 (0xFF),
    // 5 of 9; line 1: a run of 63 of 2 that began with 0 copies (0xC0) before
    // it, 36 of 3 (0xE4), 1 of 4; then a run of 50 of which nothing is left.
    const QByteArray runs("\xE0\x05\xFF\x07\xC5\x09"
                          "\xC0\x01\xFF\x02\xE4\x03\x04"
                          "\xF2\x06",
                          15);
    const auto loaded = loadPcx(pcxHeader(5, 1, 100, 2, 1, 100) + runs + palette256());
    const TbsBitmap& b = *loaded;
    ASSERT_EQ(b.Width(), 100);
    ASSERT_EQ(b.Height(), 2);
    const auto index = [](int x, int y) {
        if (y == 0)
            return x < 32 ? 5 : x < 95 ? 7 : 9;
        return x < 63 ? 2 : x < 99 ? 3 : 4;
    };
    EXPECT_TRUE(pixelsMatch(b, [&](int x, int y) { return paletteColour(index(x, y)); }));

    // A run goes on from one line into the next: 50 of 11, then 30 of 12, over
    // two lines of 40 bytes (30 pixels shown of each).
    const QByteArray across("\xF2\x0B\xDE\x0C", 4);
    const auto spanning = loadPcx(pcxHeader(5, 1, 30, 2, 1, 40) + across + palette256());
    EXPECT_EQ(pixelAt(*spanning, 29, 0), paletteColour(11));
    EXPECT_EQ(pixelAt(*spanning, 9, 1), paletteColour(11));
    EXPECT_EQ(pixelAt(*spanning, 10, 1), paletteColour(12));
    EXPECT_EQ(pixelAt(*spanning, 29, 1), paletteColour(12));
}

TEST(BitmapPcx, FirstByte205IsAcceptedLikeTen)
{
    QByteArray data = pcxHeader(3, 0, 2, 1, 1, 2) + QByteArray("\x0C\x0F", 2);
    data[0] = char(205);
    const auto loaded = loadPcx(data);
    ASSERT_EQ(loaded->Width(), 2);
    EXPECT_EQ(pixelAt(*loaded, 0, 0), 0xFF0000FFu);
}

TEST(BitmapPcx, VersionThreeUsesTheSixteenColourPalette)
{
    const QByteArray data = pcxHeader(3, 0, 2, 1, 1, 2) + QByteArray("\x0C\x0F", 2);
    const auto loaded = loadPcx(data);
    const TbsBitmap& b = *loaded;
    EXPECT_EQ(pixelAt(b, 0, 0), 0xFF0000FFu); // blue
    EXPECT_EQ(pixelAt(b, 1, 0), 0xFFFFFFFFu); // white
}

TEST(BitmapPcx, ThreePlanesAreRedGreenBlue)
{
    const QByteArray data = pcxHeader(5, 0, 1, 1, 3, 2) + QByteArray("\x10\x00\x20\x00\x30\x00", 6);
    const auto loaded = loadPcx(data);
    const TbsBitmap& b = *loaded;
    EXPECT_EQ(pixelAt(b, 0, 0), 0xFF102030u);
}

TEST(BitmapPcx, FewerBitsAPixelTakeTheHeadersSixteenColours)
{
    // Header colour i is (i, 2i, 3i) for i < 15; colour 15 is (250, 251, 252).
    const auto withPalette = [](QByteArray header) {
        for (int i = 0; i < 15; ++i) {
            header[16 + 3 * i] = char(i);
            header[17 + 3 * i] = char(2 * i);
            header[18 + 3 * i] = char(3 * i);
        }
        header.replace(16 + 45, 3, QByteArray("\xFA\xFB\xFC", 3));
        return header;
    };
    const quint32 colour0 = 0xFF000000u;
    const quint32 colour1 = 0xFF010203u;
    const quint32 colour15 = 0xFFFAFBFCu;

    // 1 bit: 10 x 2, two bytes a line. 0xA5 0x40 = 1010 0101 01, 0xFF 0x80 = 1111 1111 10.
    const auto mono =
        loadPcx(withPalette(pcxHeader(5, 0, 10, 2, 1, 2, 1)) + QByteArray("\xA5\x40\xFF\x80", 4));
    ASSERT_EQ(mono->Width(), 10);
    ASSERT_EQ(mono->Height(), 2);
    const int bits[2][10] = {{1, 0, 1, 0, 0, 1, 0, 1, 0, 1}, {1, 1, 1, 1, 1, 1, 1, 1, 1, 0}};
    EXPECT_TRUE(pixelsMatch(*mono, [&](int x, int y) { return bits[y][x] ? colour1 : colour0; }));

    // 4 bits: 3 x 1, indices 1, 15, 2 in 0x1F 0x20.
    const auto nibbles =
        loadPcx(withPalette(pcxHeader(5, 0, 3, 1, 1, 2, 4)) + QByteArray("\x1F\x20", 2));
    EXPECT_EQ(pixelAt(*nibbles, 0, 0), colour1);
    EXPECT_EQ(pixelAt(*nibbles, 1, 0), colour15);
    EXPECT_EQ(pixelAt(*nibbles, 2, 0), 0xFF020406u);

    // 2 bits, version 3: the system's colours 3, 0, 2, 1 from 0xC9.
    const auto pairs = loadPcx(pcxHeader(3, 0, 4, 1, 1, 2, 2) + QByteArray("\xC9\x00", 2));
    EXPECT_EQ(pixelAt(*pairs, 0, 0), 0xFF808000u);
    EXPECT_EQ(pixelAt(*pairs, 1, 0), 0xFF000000u);
    EXPECT_EQ(pixelAt(*pairs, 2, 0), 0xFF008000u);
    EXPECT_EQ(pixelAt(*pairs, 3, 0), 0xFF800000u);
}

TEST(BitmapPcx, AStreamShorterThanTheHeaderLeavesTheBitmapAsItWas)
{
    ReadBuffer buffer(pcxHeader(5, 0, 3, 2, 1, 4).left(100));
    SizedBitmap b(2, 2, 0x12345678);
    EXPECT_THROW(b.LoadFromPcxStream(buffer), EbsSkinError);
    ASSERT_EQ(b.Width(), 2);
    EXPECT_EQ(pixelAt(b, 1, 1), 0x12345678u);
}

TEST(BitmapPcx, WrongFirstByteLeavesTheBitmapUnchanged)
{
    QByteArray data = pcxHeader(5, 0, 1, 1, 1, 1) + QByteArray(1, 3) + palette256();
    data[0] = 11;
    ReadBuffer buffer(data);
    SizedBitmap b(5, 5);
    b.LoadFromPcxStream(buffer);
    EXPECT_EQ(b.Width(), 5);
}

TEST(BitmapPcx, ShortOrLyingDataFailsCleanly)
{
    const QList<QByteArray> streams = {
        pcxHeader(5, 1, 3, 2, 1, 4) + QByteArray("\xC3\x05", 2) + palette256(), // runs end early
        pcxHeader(5, 0, 3, 2, 1, 4) + QByteArray(7, 1) + palette256(),          // one byte short
        pcxHeader(5, 1, 65535, 65535, 1, 65535) + QByteArray(10, '\xFF') + palette256(),
        pcxHeader(5, 0, 4, 1, 1, 2) + QByteArray(8, 1) + palette256(), // line shorter than width
        pcxHeader(5, 0, 1, 1, 1, 1) + QByteArray(100, 1),              // no room for a palette
        pcxHeader(5, 0, 1, 1, 4, 1) + QByteArray(4, 1),                // four planes
        pcxHeader(5, 0, 9, 1, 1, 1, 1) + QByteArray(2, 1),             // 9 bits in 1 byte
        pcxHeader(5, 0, 1, 1, 1, 1, 3) + QByteArray(2, 1),             // 3 bits a pixel
    };
    for (const QByteArray& s : streams) {
        ReadBuffer buffer(s);
        SizedBitmap b(2, 2);
        EXPECT_THROW(b.LoadFromPcxStream(buffer), EbsSkinError);
        EXPECT_TRUE(b.Empty());
    }
}

// --- rectangle text ---------------------------------------------------------

TEST(RectText, ParsesFourNumbersOrGivesTheNullRectangle)
{
    EXPECT_EQ(ParseRectText("1, 2, 30, 40"), Rect(1, 2, 30, 40));
    EXPECT_EQ(ParseRectText("1,2,30,40"), Rect(1, 2, 30, 40));
    EXPECT_EQ(ParseRectText("-1;2=3:4"), Rect(-1, 2, 3, 4));
    EXPECT_EQ(ParseRectText("1,2,x,4"), Rect(0, 0, 0, 0));
    EXPECT_EQ(ParseRectText("1,2,3"), Rect(0, 0, 0, 0));
    // The blank ends the first token and leaves "," in front of the rest.
    EXPECT_EQ(ParseRectText("1 ,2,3,4"), Rect(0, 0, 0, 0));
    QString text = " a ( b";
    EXPECT_EQ(NextToken(text), "");
    EXPECT_EQ(text, "a ( b");
    EXPECT_EQ(NextToken(text), "a");
    EXPECT_EQ(NextToken(text), "");
    EXPECT_EQ(NextToken(text), "b");
    EXPECT_EQ(text, "");
}

TEST(RectText, GetBitmapLinkFromText)
{
    TbsBitmap b;
    b.SetName("skin");
    const auto link = b.GetBitmapLink(QStringLiteral("1, 2, 30, 40"));
    EXPECT_EQ(link->Rect(), Rect(1, 2, 30, 40));
    EXPECT_EQ(link->Image(), &b);
    EXPECT_EQ(link->Name(), "skin");
    EXPECT_EQ(b.GetBitmapLink(QStringLiteral("1, z, 30, 40"))->Rect(), Rect(0, 0, 0, 0));
}

} // namespace
