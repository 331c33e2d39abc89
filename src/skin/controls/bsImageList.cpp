#include "bsImageList.h"

#include "bsDeviceContext.h"

namespace {

// Grey of the same lightness, alpha kept.
QImage greyed(const QImage& image)
{
    QImage grey = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < grey.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(grey.scanLine(y));
        for (int x = 0; x < grey.width(); ++x) {
            const int g = qGray(line[x]);
            line[x] = qRgba(g, g, g, qAlpha(line[x]));
        }
    }
    return grey;
}

} // namespace

TCustomImageList::TCustomImageList(int width, int height, QObject* owner)
    : QObject(owner), FWidth(width), FHeight(height)
{}

void TCustomImageList::Add(const QImage& image)
{
    QImage sized = image.size() == QSize(FWidth, FHeight)
                       ? image
                       : image.scaled(FWidth, FHeight, Qt::IgnoreAspectRatio);
    FImages.push_back(sized.convertToFormat(QImage::Format_ARGB32));
}

void TCustomImageList::Draw(TbsDC* canvas, int x, int y, int index, bool enabled) const
{
    if (!canvas || index < 0 || index >= Count())
        return;
    const QImage& image = FImages[size_t(index)];
    canvas->DrawImage(x, y, enabled ? image : greyed(image));
}
