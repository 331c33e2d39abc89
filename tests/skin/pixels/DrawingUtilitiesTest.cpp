// Drawing utilities: rectangle and point tests, glyphs, centred text and the
// background of transparent controls.

#include "SkinPixelHelpers.h"
#include "bsUtils.h"

#include <QMdiArea>
#include <QPainter>
#include <QWidget>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

namespace {

TEST(RectRoutines, AsTheEngineDefinesThem)
{
    EXPECT_TRUE(IsNullRect(Rect(5, 5, 5, 10)));
    EXPECT_TRUE(IsNullRect(Rect(0, 0, 10, 0)));
    EXPECT_FALSE(IsNullRect(Rect(0, 0, 1, 1)));
    EXPECT_TRUE(IsNullPoint(Point(0, 7)));
    EXPECT_TRUE(IsNullPoint(Point(7, 0)));
    EXPECT_FALSE(IsNullPoint(Point(1, 1)));
    EXPECT_TRUE(PointInRect(Rect(0, 0, 10, 10), Point(10, 10)));
    EXPECT_FALSE(PointInRect(Rect(0, 0, 10, 10), Point(11, 10)));
    EXPECT_FALSE(RectInRect(Rect(0, 0, 10, 10), Rect(0, 0, 10, 10)));
    EXPECT_TRUE(RectInRect(Rect(0, 0, 10, 10), Rect(0, 0, 11, 11)));
    TRect r = Rect(1, 2, 3, 4);
    EXPECT_EQ(RectWidth(r), 2);
    EXPECT_EQ(RectHeight(r), 2);
    NullRect(r);
    EXPECT_EQ(r, Rect(0, 0, 0, 0));
}

std::set<std::pair<int, int>> inked(const TbsBitmap& b)
{
    std::set<std::pair<int, int>> points;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            if (pixelAt(b, x, y) != 0)
                points.insert({x, y});
    return points;
}

std::set<std::pair<int, int>> arrow(int code)
{
    SizedBitmap b(12, 12);
    DrawArrowImage(b.Canvas(), Rect(0, 0, 10, 10), RGBColor(255, 255, 255), code);
    return inked(b);
}

TEST(Glyphs, ArrowsAreSolidTrianglesOfFourStrokes)
{
    const auto left = arrow(1);
    EXPECT_EQ(left.size(), 1u + 3 + 5 + 7);
    EXPECT_TRUE(left.count({3, 5})); // the tip, two pixels left of the centre
    EXPECT_TRUE(left.count({6, 2})); // the 7-pixel stroke runs 2 .. 8
    EXPECT_TRUE(left.count({6, 8}));
    EXPECT_FALSE(left.count({6, 9}));
    const auto down = arrow(4);
    EXPECT_EQ(down.size(), 16u);
    EXPECT_TRUE(down.count({5, 7}));
    EXPECT_TRUE(down.count({2, 4}));
    EXPECT_TRUE(down.count({8, 4}));
    EXPECT_EQ(arrow(2).size(), 16u);
    EXPECT_EQ(arrow(3).size(), 16u);
    EXPECT_EQ(arrow(5).size(), 28u); // two 2-pixel-thick bars of 8
    EXPECT_TRUE(arrow(9).empty());
}

TEST(Glyphs, CheckIsAThreePixelTick)
{
    SizedBitmap b(12, 12);
    DrawCheckImage(b.Canvas(), 2, 1, RGBColor(0, 0, 0x10));
    const auto points = inked(b);
    EXPECT_EQ(points.size(), 21u);
    int minX = 99, minY = 99;
    for (const auto& [x, y] : points) {
        minX = std::min(minX, x);
        minY = std::min(minY, y);
    }
    EXPECT_EQ(minX, 2);
    EXPECT_EQ(minY, 1 + 1); // the stroke ends at (X + 7, Y), which a line leaves out
    EXPECT_TRUE(points.count({2 + 4, 1 + 5})); // the tick's knee line
    EXPECT_EQ(b.Canvas()->PenColor(), RGBColor(0, 0, 0x10));
}

// The inked pixels of a picture whose rows are strings, '#' inked, '.' not.
std::set<std::pair<int, int>> picture(const std::vector<std::string>& rows, int dx = 0, int dy = 0)
{
    std::set<std::pair<int, int>> points;
    for (int y = 0; y < int(rows.size()); ++y)
        for (int x = 0; x < int(rows[size_t(y)].size()); ++x)
            if (rows[size_t(y)][size_t(x)] == '#')
                points.insert({x + dx, y + dy});
    return points;
}

std::set<std::pair<int, int>> arrowIn(const TRect& rect, int code)
{
    SizedBitmap b(16, 16);
    DrawArrowImage(b.Canvas(), rect, RGBColor(255, 255, 255), code);
    return inked(b);
}

TEST(Glyphs, EveryArrowCodeWorkedByHand)
{
    // The rectangle (0, 0, 10, 10): centre (5, 5). Each stroke leaves out its
    // end point, so the 1-, 3-, 5- and 7-pixel strokes run from their start.
    const std::vector<std::vector<std::string>> expected = {
        {// 1, left: columns 3 .. 6 from (3 + i, 5 - i) down to 5 + i
         "..........", "..........", "......#...", ".....##...", "....###...", "...####...",
         "....###...", ".....##...", "......#...", ".........."},
        {// 2, right: columns 4 .. 7 from (7 - i, 5 + i) up to 5 - i
         "..........", "..........", "....#.....", "....##....", "....###...", "....####..",
         "....###...", "....##....", "....#.....", ".........."},
        {// 3, up: rows 3 .. 6 from (5 - i, 3 + i) right to 5 + i
         "..........", "..........", "..........", ".....#....", "....###...", "...#####..",
         "..#######.", "..........", "..........", ".........."},
        {// 4, down: rows 4 .. 7 from (5 - i, 7 - i) right to 5 + i
         "..........", "..........", "..........", "..........", "..#######.", "...#####..",
         "....###...", ".....#....", "..........", ".........."},
        {// 5, plus: rows 4 and 5 from column 1 to 8, columns 4 and 5 from row 1 to 8
         "..........", "....##....", "....##....", "....##....", ".########.", ".########.",
         "....##....", "....##....", "....##....", ".........."},
    };
    for (int code = 1; code <= 5; ++code) {
        EXPECT_EQ(arrowIn(Rect(0, 0, 10, 10), code), picture(expected[size_t(code - 1)]))
            << "code " << code;
        // (2, 1, 13, 10): centre (2 + 11 div 2, 1 + 9 div 2) = (7, 5).
        EXPECT_EQ(arrowIn(Rect(2, 1, 13, 10), code), picture(expected[size_t(code - 1)], 2, 0))
            << "code " << code;
    }
    for (int code : {0, 6, -1})
        EXPECT_TRUE(arrowIn(Rect(0, 0, 10, 10), code).empty()) << "code " << code;
}

TEST(Glyphs, TickWorkedByHand)
{
    // At (2, 1): for i = 0, 1, 2 a stroke from (2, 6 - i) to (4, 8 - i), then to
    // (9, 3 - i); each leaves out its end point.
    SizedBitmap b(12, 12);
    DrawCheckImage(b.Canvas(), 2, 1, RGBColor(0, 0, 0x10));
    EXPECT_EQ(inked(b), picture({"............", "............", "........#...", ".......##...",
                                 "..#...###...", "..##.###....", "..#####.....", "...###......",
                                 "....#.......", "............"}));
}

TEST(Glyphs, GlyphFrameLeavesOutTheBottomLeftColour)
{
    QImage strip(6, 2, QImage::Format_RGB32);
    strip.fill(0xFF00FF00);
    strip.setPixel(3, 0, 0xFF112233); // frame 2 of 3
    strip.setPixel(2, 1, 0xFF445566); // frame 2's bottom-left: its key
    SizedBitmap b(4, 4);
    DrawGlyphFrame(b.Canvas(), 1, 1, strip, 3, 2);
    EXPECT_EQ(pixelAt(b, 1, 1), 0xFF00FF00u);
    EXPECT_EQ(pixelAt(b, 2, 1), 0xFF112233u);
    EXPECT_EQ(pixelAt(b, 1, 2), 0u);
    EXPECT_EQ(pixelAt(b, 3, 1), 0u);
    DrawGlyphFrame(b.Canvas(), 0, 0, QImage(), 1, 1);
}

TEST(CentredText, OddFontHeightMovesTheRectangleUpOnePixel)
{
    const auto drawn = [](int fontHeight, int shift, bool centred) {
        SizedBitmap b(40, 30);
        TbsDC* dc = b.Canvas();
        dc->SetFontHeight(fontHeight);
        dc->SetBrushStyle(TbsBrushStyle::bsClear);
        dc->SetFontColor(RGBColor(255, 255, 255));
        TRect r = Rect(0, 5, 40, 25);
        if (centred) {
            DrawTextCentered(dc, "Ag", r);
        } else {
            r.Top -= shift;
            dc->DrawText("Ag", r, DT_VCENTER | DT_SINGLELINE);
        }
        return inked(b);
    };
    EXPECT_FALSE(drawn(-11, 0, true).empty());
    EXPECT_EQ(drawn(-11, 0, true), drawn(-11, 1, false));
    EXPECT_EQ(drawn(-12, 0, true), drawn(-12, 0, false));
}

// --- what lies beneath a transparent control --------------------------------

class Filled : public QWidget {
public:
    Filled(QWidget* parent, QColor color) : QWidget(parent), m_color(color) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter(this).fillRect(rect(), m_color);
        paintedAsCopy = paintedAsCopy || IsPaintCopy(this);
    }

public:
    bool paintedAsCopy = false;

private:
    QColor m_color;
};

// Left half red, right half blue.
class Halves : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(0, 0, width() / 2, height(), Qt::red);
        p.fillRect(width() / 2, 0, width() - width() / 2, height(), Qt::blue);
    }
};

TEST(ParentImage, ParentAndWindowlessSiblingsBelowTheControl)
{
    QWidget window;
    window.resize(100, 100);
    Halves parent(&window);
    parent.setGeometry(0, 0, 100, 100);
    Filled below(&parent, Qt::green); // windowless, under the control
    below.setGeometry(35, 35, 10, 10);
    SetGraphicControl(&below);
    Filled windowed(&parent, Qt::cyan); // a window of its own: paints itself
    windowed.setGeometry(30, 50, 5, 5);
    QWidget control(&parent);
    control.setGeometry(30, 30, 40, 40);
    Filled above(&parent, Qt::yellow); // above the control in the stacking order
    above.setGeometry(60, 60, 10, 10);
    SetGraphicControl(&above);
    window.show();

    SizedBitmap b(40, 40);
    DrawParentImage(&control, b.Canvas());
    EXPECT_EQ(pixelAt(b, 0, 0) & 0xFFFFFF, 0xFF0000u);  // parent (30, 30): red half
    EXPECT_EQ(pixelAt(b, 39, 0) & 0xFFFFFF, 0x0000FFu); // parent (69, 30): blue half
    EXPECT_EQ(pixelAt(b, 5, 5) & 0xFFFFFF, 0x00FF00u);  // the sibling below
    EXPECT_EQ(pixelAt(b, 14, 14) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(pixelAt(b, 15, 15) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(pixelAt(b, 2, 22) & 0xFFFFFF, 0xFF0000u);  // windowed sibling not painted
    EXPECT_EQ(pixelAt(b, 35, 35) & 0xFFFFFF, 0x0000FFu); // sibling above not painted
    EXPECT_TRUE(below.paintedAsCopy);
    EXPECT_FALSE(IsPaintCopy(&below));
    EXPECT_FALSE(IsPaintCopy(&parent));
    EXPECT_FALSE(b.Canvas()->ClipRgn().has_value());
    EXPECT_EQ(b.Canvas()->GetViewportOrg(), Point(0, 0));
}

TEST(ParentImage, AWindowParentOnlyErasesItsBackground)
{
    QWidget window;
    window.resize(50, 50);
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, QColor(0x12, 0x34, 0x56));
    window.setPalette(palette);
    QWidget control(&window);
    control.setGeometry(10, 10, 5, 5);
    SizedBitmap b(5, 5);
    DrawParentImage(&control, b.Canvas());
    EXPECT_EQ(pixelAt(b, 4, 4), 0xFF123456u);

    // A window of document windows: its workspace's background.
    QMdiArea workspace(&window);
    workspace.setBackground(QColor(0x65, 0x43, 0x21));
    DrawParentImage(&control, b.Canvas());
    EXPECT_EQ(pixelAt(b, 4, 4), 0xFF654321u);

    SizedBitmap untouched(2, 2);
    DrawParentImage(&window, untouched.Canvas()); // no parent: nothing
    EXPECT_EQ(pixelAt(untouched, 0, 0), 0u);
}

} // namespace
