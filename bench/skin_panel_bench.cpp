// One skinned group box of the settings window painted at 289 x 74: frame
// strips, the tiled client part and the caption composed into the top strip.

#include "bsSkinData.h"
#include "bsSkinPanel.h"

#include <QApplication>
#include <QImage>
#include <benchmark/benchmark.h>

#include <memory>

namespace {

// A skin of one picture and a "groupbox" section cut as the program's skin is.
void fillSkin(TbsSkinData& data)
{
    auto picture = std::make_unique<TbsBitmap>();
    picture->SetSize(420, 140);
    for (int y = 0; y < picture->Height(); ++y)
        for (int x = 0; x < picture->Width(); ++x)
            *picture->GetPixelPtr(x, y) = 0xFF000000u | quint32(x * 613 + y * 97);
    data.FActivePictures.push_back(std::move(picture));
    auto section = std::make_unique<TbsDataSkinPanelControl>(QStringLiteral("groupbox"));
    section->PictureIndex = 0;
    section->MaskPictureIndex = -1;
    section->BGPictureIndex = -1;
    section->SkinRect = Rect(352, 75, 411, 127);
    section->LTPoint = Point(5, 19);
    section->RTPoint = Point(52, 19);
    section->LBPoint = Point(4, 47);
    section->RBPoint = Point(53, 47);
    section->ClRect = Rect(2, 17, 57, 50);
    section->CaptionRect = Rect(4, 2, 55, 15);
    section->Alignment = taCenter;
    section->FontName = QStringLiteral("Tahoma");
    section->FontHeight = 13;
    data.CtrlList.push_back(std::move(section));
    data.Empty = false;
}

void BM_GroupBoxPaint(benchmark::State& state)
{
    TbsSkinData data;
    fillSkin(data);
    TbsSkinGroupBox box;
    box.SetCaption(QStringLiteral("System Functions"));
    box.SetSkinData(&data);
    box.SetBounds(0, 0, 289, 74);
    QImage target(289, 74, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        box.render(&target, QPoint(), QRegion(), QWidget::RenderFlags());
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_GroupBoxPaint)->Unit(benchmark::kMicrosecond);

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
