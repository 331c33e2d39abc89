// The drawing context on bitmaps, images and painters.

#include "SkinPixelHelpers.h"
#include "bsDeviceContext.h"
#include "bseffects.h"

#include <QPainter>
#include <QPixmap>
#include <QWidget>
#include <cstring>
#include <gtest/gtest.h>

namespace {

int countPixels(const TbsBitmap& b, const std::function<bool(quint32)>& match)
{
    int n = 0;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            n += match(pixelAt(b, x, y));
    return n;
}

TEST(DeviceContext, BitBltBetweenABitmapAndAnImage)
{
    SizedBitmap b(4, 4);
    fillWith(b, [](int x, int y) { return argb(200, x, y, 9); });
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(0xFF000000);
    TbsDC imageDC(&image);
    ASSERT_FALSE(imageDC.SectionInfo().IsValid()); // not ARGB32: through the painter
    EXPECT_TRUE(imageDC.BitBlt(1, 1, 2, 2, *b.Canvas(), 2, 2));
    EXPECT_EQ(image.pixel(1, 1), 0xFF020209u);
    EXPECT_EQ(image.pixel(0, 0), 0xFF000000u);

    SizedBitmap back(4, 4);
    EXPECT_TRUE(back.Canvas()->BitBlt(0, 0, 4, 4, imageDC, 0, 0));
    EXPECT_EQ(pixelAt(back, 2, 2), 0xFF030309u);
}

TEST(DeviceContext, AlphaDrawOntoAnImageBlendsExactly)
{
    SizedBitmap glow(2, 1, 0x80FF0000);
    glow.SetAlphaBlend(true);
    QImage image(3, 1, QImage::Format_ARGB32);
    image.fill(0xFF0000FF);
    TbsDC dc(&image);
    glow.Draw(&dc, 1, 0);
    EXPECT_EQ(image.pixel(0, 0), 0xFF0000FFu);
    EXPECT_EQ(image.pixel(1, 0), 0xBF7F007Fu);
}

// --- alpha drawing onto painters ---------------------------------------------

// A row per line of sources: row 0 carries every alpha 0..255 once, the other
// rows random alphas; colours and destinations are random.
void fillBlendTriples(TbsBitmap& source, TbsBitmap& destination, quint32 seed)
{
    QRandomGenerator random(seed);
    fillWith(source, [&](int x, int y) {
        const quint32 alpha = y == 0 ? quint32(x) : random.bounded(256u);
        return (alpha << 24) | (random.generate() & 0xFFFFFF);
    });
    fillWith(destination, [&](int, int) { return random.generate(); });
}

QImage imageOf(const TbsBitmap& b, QImage::Format format)
{
    QImage image(b.Width(), b.Height(), QImage::Format_ARGB32);
    for (int y = 0; y < b.Height(); ++y)
        std::memcpy(image.scanLine(y), b.GetScanLine(y), size_t(b.Width()) * 4);
    return image.convertToFormat(format);
}

// expected := the destination with the source blended onto it: what every
// target must show.
void blendOntoACopy(const TbsBitmap& source, const TbsBitmap& destination, TbsBitmap& expected)
{
    expected.Assign(destination);
    source.Draw(expected, 0, 0);
}

TEST(DeviceContextPainterTargets, AlphaOnAnImageGivesExactlyTheBitmapsPixels)
{
    SizedBitmap source(256, 36), destination(256, 36);
    fillBlendTriples(source, destination, 9144);
    source.SetAlphaBlend(true);
    TbsBitmap expected;
    blendOntoACopy(source, destination, expected);

    QImage image = imageOf(destination, QImage::Format_ARGB32);
    {
        QPainter painter(&image);
        TbsDC dc(&painter, image.size());
        ASSERT_TRUE(dc.IsReadable());
        source.Draw(&dc, 0, 0);
    }
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ASSERT_EQ(image.pixel(x, y), pixelAt(expected, x, y))
                << x << "," << y << ": " << hexOf(pixelAt(source, x, y)) << " over "
                << hexOf(pixelAt(destination, x, y));
}

TEST(DeviceContextPainterTargets, HalfRedOverBlueAsTheTableBlendsIt)
{
    SizedBitmap glow(1, 1, 0x80FF0000);
    glow.SetAlphaBlend(true);
    QImage image(1, 1, QImage::Format_ARGB32);
    image.fill(0xFF0000FF);
    {
        QPainter painter(&image);
        TbsDC dc(&painter, image.size());
        glow.Draw(&dc, 0, 0);
    }
    // (s * a + d * (256 - a)) >> 8 on every byte: red 0x7F, blue 0x7F, alpha 0xBF.
    EXPECT_EQ(image.pixel(0, 0), 0xBF7F007Fu);
}

TEST(DeviceContextPainterTargets, OpaqueImagesAndPixmapsGetTheBitmapsColours)
{
    SizedBitmap source(256, 8), destination(256, 8);
    fillBlendTriples(source, destination, 77);
    destination.SetAlpha(255);
    source.SetAlphaBlend(true);
    TbsBitmap expected;
    blendOntoACopy(source, destination, expected);

    QImage image = imageOf(destination, QImage::Format_RGB32);
    QPixmap pixmap = QPixmap::fromImage(image);
    ASSERT_FALSE(pixmap.hasAlphaChannel());
    for (QPaintDevice* device :
         {static_cast<QPaintDevice*>(&image), static_cast<QPaintDevice*>(&pixmap)}) {
        QPainter painter(device);
        TbsDC dc(&painter, QSize(device->width(), device->height()));
        ASSERT_TRUE(dc.IsReadable());
        source.Draw(&dc, 0, 0);
    }
    const QImage fromPixmap = pixmap.toImage();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            // The formats keep no alpha: the colour is the blend's, alpha 255.
            const quint32 want = pixelAt(expected, x, y) | 0xFF000000;
            ASSERT_EQ(image.pixel(x, y), want) << "image " << x << "," << y;
            ASSERT_EQ(fromPixmap.pixel(x, y), want) << "pixmap " << x << "," << y;
        }
    }
}

TEST(DeviceContextPainterTargets, PremultipliedImagesMatchTheirOwnContext)
{
    SizedBitmap source(256, 4), destination(256, 4);
    fillBlendTriples(source, destination, 5);
    source.SetAlphaBlend(true);
    QImage throughPainter = imageOf(destination, QImage::Format_ARGB32_Premultiplied);
    QImage direct = throughPainter.copy();
    {
        QPainter painter(&throughPainter);
        TbsDC dc(&painter, throughPainter.size());
        source.Draw(&dc, 0, 0);
    }
    TbsDC directDC(&direct);
    source.Draw(&directDC, 0, 0);
    EXPECT_EQ(throughPainter, direct);
}

// Half red over a destination of its own colour at every place.
quint32 halfRedOver(quint32 d)
{
    const auto mix = [](int s, int dc) { return (s * 128 + dc * 128) >> 8; };
    return argb(mix(128, alphaOf(d)), mix(255, redOf(d)), mix(0, greenOf(d)), mix(0, blueOf(d)));
}

TEST(DeviceContextPainterTargets, PainterShiftOriginsAndClipsPlaceTheComposite)
{
    SizedBitmap glow(3, 3, 0x80FF0000);
    glow.SetAlphaBlend(true);
    const auto background = [](int x, int y) { return argb(255, 0, 20 * x, 20 * y); };
    QImage image(10, 10, QImage::Format_ARGB32);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            image.setPixel(x, y, background(x, y));
    {
        QPainter painter(&image);
        painter.translate(3, 2);
        painter.setClipRect(QRect(0, 0, 2, 10)); // painter's own: device columns 3 and 4
        TbsDC dc(&painter, QSize(7, 8));
        dc.SetViewportOrg(1, 0);
        dc.ExcludeClipRect(Rect(-1, 1, 0, 2)); // device (3, 3)
        glow.Draw(&dc, -1, 0);                 // device (3, 2) .. (5, 4)
    }
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) {
            const bool drawn = x >= 3 && x <= 4 && y >= 2 && y <= 4 && !(x == 3 && y == 3);
            const quint32 want = drawn ? halfRedOver(background(x, y)) : background(x, y);
            ASSERT_EQ(image.pixel(x, y), want) << x << "," << y;
        }
    }
}

TEST(DeviceContextPainterTargets, ScaledOrHalfPixelShiftedPaintersCannotBeReadBack)
{
    QImage image(4, 4, QImage::Format_ARGB32);
    QPainter painter(&image);
    painter.scale(2, 2);
    EXPECT_FALSE(TbsDC(&painter, image.size()).IsReadable());
    painter.resetTransform();
    painter.translate(0.5, 0);
    EXPECT_FALSE(TbsDC(&painter, image.size()).IsReadable());
    painter.resetTransform();
    EXPECT_TRUE(TbsDC(&painter, image.size()).IsReadable());
}

TEST(DeviceContextPainterTargets, KeyedDrawLeavesKeyPixelsAndCopiesTheRest)
{
    QImage image(2, 1, QImage::Format_ARGB32_Premultiplied);
    image.fill(0xFF0000FF);
    {
        QPainter painter(&image);
        TbsDC dc(&painter, image.size());
        SizedBitmap b(2, 1);
        *b.GetPixelPtr(0, 0) = bsKeyPixel;
        *b.GetPixelPtr(1, 0) = 0x00FF0000; // alpha ignored by a keyed draw
        b.SetTransparent(true);
        b.Draw(&dc, 0, 0);
    }
    EXPECT_EQ(image.pixel(0, 0), 0xFF0000FFu);
    EXPECT_EQ(image.pixel(1, 0), 0xFFFF0000u);
}

TEST(DeviceContext, LinesLeaveOutTheirEndPoint)
{
    SizedBitmap b(6, 6);
    TbsDC* dc = b.Canvas();
    dc->SetPenColor(RGBColor(255, 0, 0));
    dc->MoveTo(1, 1);
    dc->LineTo(4, 1);
    dc->LineTo(4, 4);
    EXPECT_EQ(pixelAt(b, 1, 1), 0xFFFF0000u);
    EXPECT_EQ(pixelAt(b, 3, 1), 0xFFFF0000u);
    EXPECT_EQ(pixelAt(b, 4, 1), 0xFFFF0000u); // start of the second line
    EXPECT_EQ(pixelAt(b, 4, 3), 0xFFFF0000u);
    EXPECT_EQ(pixelAt(b, 4, 4), 0u);
    EXPECT_EQ(countPixels(b, [](quint32 p) { return p != 0; }), 6);
    EXPECT_EQ(dc->PenPos(), Point(4, 4));
}

TEST(DeviceContext, FillFrameAndRectangle)
{
    SizedBitmap b(6, 6);
    TbsDC* dc = b.Canvas();
    dc->SetBrushColor(RGBColor(0, 0, 255));
    dc->FillRect(Rect(0, 0, 2, 2));
    EXPECT_EQ(countPixels(b, [](quint32 p) { return p == 0xFF0000FF; }), 4);
    dc->SetBrushStyle(TbsBrushStyle::bsClear);
    dc->FillRect(Rect(2, 2, 6, 6));
    EXPECT_EQ(pixelAt(b, 3, 3), 0u);
    dc->SetPenColor(RGBColor(0, 255, 0));
    dc->Rectangle(Rect(2, 2, 6, 6));
    EXPECT_EQ(pixelAt(b, 2, 2), 0xFF00FF00u);
    EXPECT_EQ(pixelAt(b, 5, 5), 0xFF00FF00u);
    EXPECT_EQ(pixelAt(b, 3, 3), 0u);
}

TEST(DeviceContext, TextIsDrawnClippedAndMeasured)
{
    SizedBitmap b(60, 30);
    TbsDC* dc = b.Canvas();
    dc->SetFontColor(RGBColor(255, 0, 0));
    dc->SetBrushStyle(TbsBrushStyle::bsClear);
    TRect measure = Rect(5, 5, 5, 5);
    const int height = dc->DrawText("Wg", measure, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_GT(height, 5);
    EXPECT_EQ(measure.Bottom - measure.Top, height);
    EXPECT_EQ(measure.Right - measure.Left, dc->TextWidth("Wg"));
    EXPECT_EQ(countPixels(b, [](quint32 p) { return p != 0; }), 0);

    TRect area = Rect(0, 0, 60, 30);
    dc->DrawText("WWW", area, DT_LEFT);
    const int inked = countPixels(b, [](quint32 p) { return redOf(p) > 0; });
    EXPECT_GT(inked, 10);
    EXPECT_EQ(countPixels(b, [](quint32 p) { return greenOf(p) > 0 || blueOf(p) > 0; }), 0);

    b.Clear(0);
    TRect narrow = Rect(0, 0, 3, 30);
    dc->DrawText("WWW", narrow, DT_LEFT);
    EXPECT_TRUE(pixelsMatch(b, Rect(3, 0, 60, 30), [](int, int) { return 0u; }));
}

TEST(DeviceContext, FontHeightFollowsTheToolkitsMeaning)
{
    SizedBitmap b(1, 1);
    TbsDC* dc = b.Canvas();
    EXPECT_EQ(dc->FontHeight(), -11);
    dc->SetFontHeight(-14);
    EXPECT_EQ(dc->Font().pixelSize(), 14);
    dc->SetFontHeight(20);
    EXPECT_EQ(dc->FontHeight(), 20);
    EXPECT_LE(dc->TextHeight("X"), 20);
    QFont f;
    f.setPointSize(9);
    dc->SetFont(f);
    EXPECT_EQ(dc->FontHeight(), -12);
}

TEST(DeviceContext, ResizingKeepsTheContextButStartsItsStateAfresh)
{
    TbsBitmap b;
    b.SetSize(2, 2);
    TbsDC* dc = b.Canvas();
    dc->SetFontColor(RGBColor(1, 2, 3));
    dc->SetViewportOrg(5, 5);
    dc->IntersectClipRect(Rect(0, 0, 1, 1));
    b.SetSize(3, 3);
    EXPECT_EQ(b.DC(), dc);
    EXPECT_EQ(dc->GetViewportOrg(), Point(0, 0));
    EXPECT_FALSE(dc->ClipRgn().has_value());
    EXPECT_EQ(dc->FontColor(), RGBColor(1, 2, 3));
}

// A widget painting a bitmap through a context on its own painter.
class BitmapWidget : public QWidget {
public:
    BitmapWidget() { resize(6, 6); }
    SizedBitmap bitmap{2, 2, 0x00336699}; // alpha 0: a copy shows the colour all the same
    bool readable = true;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        TbsDC dc(&painter, size());
        readable = dc.IsReadable();
        painter.fillRect(rect(), Qt::white);
        dc.SetViewportOrg(1, 1);
        dc.IntersectClipRect(Rect(0, 0, 1, 2));
        bitmap.Draw(&dc, Rect(0, 0, 4, 4)); // stretched, then clipped to one column
    }
};

TEST(DeviceContext, WidgetPaintDrawsThroughItsPainterWithOriginAndClip)
{
    BitmapWidget widget;
    const QImage shot = widget.grab().toImage();
    EXPECT_EQ(shot.pixel(1, 1), 0xFF336699u);
    EXPECT_EQ(shot.pixel(1, 2), 0xFF336699u);
    EXPECT_EQ(shot.pixel(2, 1), 0xFFFFFFFFu); // clipped
    EXPECT_EQ(shot.pixel(1, 3), 0xFFFFFFFFu);
    EXPECT_EQ(shot.pixel(0, 0), 0xFFFFFFFFu);
    EXPECT_FALSE(widget.readable); // a widget's pixels are not ours to read
}

} // namespace
