#pragma once

// The toolkit's image list: equal-sized images drawn by index.

#include <QImage>
#include <QObject>
#include <vector>

class TbsDC;

class TCustomImageList : public QObject {
    Q_OBJECT

public:
    TCustomImageList(int width, int height, QObject* owner = nullptr);

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    int Count() const { return int(FImages.size()); }
    // The image is scaled to the list's size when it differs.
    void Add(const QImage& image);
    // Image index at (x, y) with its own alpha; disabled images are drawn grey.
    void Draw(TbsDC* canvas, int x, int y, int index, bool enabled) const;

private:
    int FWidth;
    int FHeight;
    std::vector<QImage> FImages;
};
