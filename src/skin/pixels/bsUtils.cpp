#include "bsUtils.h"

#include <QImage>
#include <QMdiArea>
#include <QPainter>
#include <QVariant>
#include <QWidget>

namespace {

const char* const kGraphicControl = "bsGraphicControl";
const char* const kPaintCopy = "bsPaintCopy";

// Marks a control as painted as a copy for the guard's life, then puts the
// mark back as it was.
class PaintCopyGuard {
public:
    explicit PaintCopyGuard(QWidget* control)
        : m_control(control), m_before(control->property(kPaintCopy))
    {
        m_control->setProperty(kPaintCopy, true);
    }
    ~PaintCopyGuard() { m_control->setProperty(kPaintCopy, m_before); }
    PaintCopyGuard(const PaintCopyGuard&) = delete;
    PaintCopyGuard& operator=(const PaintCopyGuard&) = delete;

private:
    QWidget* m_control;
    QVariant m_before;
};

// The workspace of a window that holds document windows, if it is one.
const QMdiArea* mdiClientOf(const QWidget* window)
{
    return window->findChild<const QMdiArea*>(QString(), Qt::FindDirectChildrenOnly);
}

// The parent's own painting under bounds (in the parent's coordinates): a
// window only erases its background, which for a window of document windows
// is its workspace's; another control also paints its content.
void paintParent(QWidget* parent, const QRect& bounds, TbsDC* dc)
{
    dc->Paint([&](QPainter& p) {
        if (!parent->isWindow())
            parent->render(&p, bounds.topLeft(), QRegion(bounds), QWidget::DrawWindowBackground);
        else if (const QMdiArea* workspace = mdiClientOf(parent))
            p.fillRect(bounds, workspace->background());
        else
            p.fillRect(bounds, parent->palette().brush(parent->backgroundRole()));
    });
}

} // namespace

void SetGraphicControl(QWidget* control, bool graphic)
{
    if (control)
        control->setProperty(kGraphicControl, graphic);
}

bool IsGraphicControl(const QWidget* control)
{
    return control && control->property(kGraphicControl).toBool();
}

bool IsPaintCopy(const QWidget* control)
{
    return control && control->property(kPaintCopy).toBool();
}

void DrawParentImage(QWidget* control, TbsDC* dc)
{
    if (!control || !dc)
        return;
    QWidget* parent = control->parentWidget();
    if (!parent)
        return;
    PaintCopyGuard parentCopy(parent);
    const QRect bounds = control->geometry();
    {
        TbsSavedDC saved(dc);
        dc->SetViewportOrg(-bounds.left(), -bounds.top());
        dc->IntersectClipRect(Rect(0, 0, parent->width(), parent->height()));
        paintParent(parent, bounds, dc);
    }
    // Siblings in stacking order, bottom first, up to the control itself.
    for (QObject* object : parent->children()) {
        auto* sibling = qobject_cast<QWidget*>(object);
        if (!sibling)
            continue;
        if (sibling == control)
            break;
        if (sibling->isWindow() || !IsGraphicControl(sibling) || !sibling->isVisible() ||
            !sibling->geometry().intersects(bounds))
            continue;
        PaintCopyGuard siblingCopy(sibling);
        TbsSavedDC saved(dc);
        dc->SetViewportOrg(sibling->x() - bounds.left(), sibling->y() - bounds.top());
        dc->IntersectClipRect(Rect(0, 0, sibling->width(), sibling->height()));
        dc->Paint([&](QPainter& p) { sibling->render(&p, QPoint(), QRegion(), {}); });
    }
}

int DrawSkinText(TbsDC* dc, const QString& text, TRect& rect, unsigned flags)
{
    return dc->DrawText(text, rect, flags);
}

void DrawTextCentered(TbsDC* dc, const QString& text, const TRect& rect)
{
    if (text.isEmpty())
        return;
    TRect r = rect;
    if (dc->FontHeight() % 2 != 0)
        r.Top -= 1;
    dc->DrawText(text, r, DT_VCENTER | DT_SINGLELINE);
}

void DrawArrowImage(TbsDC* dc, const TRect& rect, TColor color, int code)
{
    dc->SetPenColor(color);
    const int cx = rect.Left + rect.Width() / 2;
    const int cy = rect.Top + rect.Height() / 2;
    const auto stroke = [dc](int x1, int y1, int x2, int y2) {
        dc->MoveTo(x1, y1);
        dc->LineTo(x2, y2);
    };
    switch (code) {
    case 1:
        for (int i = 0; i <= 3; ++i)
            stroke(cx - 2 + i, cy - i, cx - 2 + i, cy + i + 1);
        break;
    case 2:
        for (int i = 3; i >= 0; --i)
            stroke(cx + 2 - i, cy + i, cx + 2 - i, cy - i - 1);
        break;
    case 3:
        for (int i = 0; i <= 3; ++i)
            stroke(cx - i, cy - 2 + i, cx + i + 1, cy - 2 + i);
        break;
    case 4:
        for (int i = 3; i >= 0; --i)
            stroke(cx - i, cy + 2 - i, cx + i + 1, cy + 2 - i);
        break;
    case 5:
        stroke(cx - 4, cy - 1, cx + 4, cy - 1);
        stroke(cx - 4, cy, cx + 4, cy);
        stroke(cx - 1, cy - 4, cx - 1, cy + 4);
        stroke(cx, cy - 4, cx, cy + 4);
        break;
    default:
        break;
    }
}

void DrawCheckImage(TbsDC* dc, int x, int y, TColor color)
{
    dc->SetPenColor(color);
    for (int i = 0; i <= 2; ++i) {
        dc->MoveTo(x, y + 5 - i);
        dc->LineTo(x + 2, y + 7 - i);
        dc->LineTo(x + 7, y + 2 - i);
    }
}

void DrawGlyphFrame(TbsDC* dc, int x, int y, const QImage& strip, int frameCount, int frame)
{
    if (strip.isNull() || frameCount < 1)
        return;
    const int frameWidth = strip.width() / frameCount;
    const int height = strip.height();
    if (frameWidth < 1)
        return;
    QImage glyph = strip.copy((frame - 1) * frameWidth, 0, frameWidth, height)
                       .convertToFormat(QImage::Format_ARGB32);
    const QRgb key = glyph.pixel(0, height - 1) & 0xFFFFFF;
    for (int row = 0; row < height; ++row) {
        auto* line = reinterpret_cast<QRgb*>(glyph.scanLine(row));
        for (int col = 0; col < frameWidth; ++col)
            line[col] = (line[col] & 0xFFFFFF) == key ? 0u : (line[col] | 0xFF000000);
    }
    dc->DrawImage(x, y, glyph);
}

void NullRect(TRect& rect)
{
    rect = TRect{};
}

bool IsNullRect(const TRect& rect)
{
    return rect.Width() < 1 || rect.Height() < 1;
}

bool IsNullPoint(const TPoint& point)
{
    return point.X == 0 || point.Y == 0;
}

bool PointInRect(const TRect& rect, const TPoint& point)
{
    return point.X >= rect.Left && point.X <= rect.Right && point.Y >= rect.Top &&
           point.Y <= rect.Bottom;
}

bool RectInRect(const TRect& a, const TRect& b)
{
    return PtInRect(b, a.TopLeft()) && PtInRect(b, Point(a.Right, a.Bottom));
}

int RectWidth(const TRect& rect)
{
    return rect.Width();
}

int RectHeight(const TRect& rect)
{
    return rect.Height();
}
