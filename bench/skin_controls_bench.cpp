// The two paints the windows repeat: the main window's last-update caption
// drawn with its glow, and a group box of the settings window painted by
// frame strips at 289 x 74 with its caption composed into the top strip.

#include "bsGlowText.h"
#include "bsSkinPanel.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

namespace {

// A skin of one 200 x 120 picture and the group box's cut at (100, 30).
class GroupBoxSkin : public TbsSkinData {
public:
    GroupBoxSkin()
    {
        auto picture = std::make_unique<TbsBitmap>();
        picture->SetSize(200, 120);
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 200; ++x)
                *picture->GetPixelPtr(x, y) = 0xFF000000u | quint32(x * 1000 + y);
        FActivePictures.push_back(std::move(picture));
        auto d = std::make_unique<TbsDataSkinPanelControl>(QStringLiteral("groupbox"));
        d->PictureIndex = 0;
        d->SkinRect = Rect(100, 30, 159, 82);
        d->LTPoint = Point(5, 19);
        d->RTPoint = Point(52, 19);
        d->LBPoint = Point(4, 47);
        d->RBPoint = Point(53, 47);
        d->ClRect = Rect(2, 17, 57, 50);
        d->CaptionRect = Rect(4, 2, 55, 15);
        d->Alignment = taCenter;
        d->FontName = QStringLiteral("Tahoma");
        d->FontHeight = 13;
        CtrlList.push_back(std::move(d));
        Empty = false;
    }
};

void BM_GlowTextOfTheLastUpdateCaption(benchmark::State& state)
{
    // The label's size in the window's 11-pixel font, the text 10 pixels in.
    QImage image(240, 41, QImage::Format_RGB32);
    image.fill(Qt::white);
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(11);
    const QString caption = QStringLiteral("Last Update : 01/02/2024 - 10:11:12");
    for (auto _ : state) {
        QPainter painter(&image);
        TbsDC canvas(&painter, image.size());
        canvas.SetFont(font);
        DrawGlowText(&canvas, Rect(10, 10, 230, 31), caption, DT_LEFT | DT_EXPANDTABS, 0xCFCFCF);
    }
}
BENCHMARK(BM_GlowTextOfTheLastUpdateCaption)->Unit(benchmark::kMillisecond);

void BM_GroupBoxFrameStripPaint289x74(benchmark::State& state)
{
    GroupBoxSkin skin;
    TbsSkinGroupBox control;
    control.SetCaption(QStringLiteral("System Functions"));
    control.SetSkinData(&skin);
    control.SetBounds(0, 0, 289, 74);
    QImage image(289, 74, QImage::Format_RGB32);
    for (auto _ : state) {
        control.render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_GroupBoxFrameStripPaint289x74)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
