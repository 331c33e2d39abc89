// Blend and blur on a full-HD bitmap: the two pixel loops the glow text and
// the alpha images spend their time in.

#include "bseffects.h"

#include <QGuiApplication>
#include <QRandomGenerator>
#include <benchmark/benchmark.h>

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

void fillRandom(TbsBitmap& b, quint32 seed)
{
    QRandomGenerator random(seed);
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            *b.GetPixelPtr(x, y) = random.generate();
}

// A whole bitmap with mixed alphas blended onto another through Draw.
void BM_BlendDraw(benchmark::State& state)
{
    TbsBitmap src, dst;
    src.SetSize(kWidth, kHeight);
    dst.SetSize(kWidth, kHeight);
    fillRandom(src, 1);
    fillRandom(dst, 2);
    src.SetAlphaBlend(true);
    for (auto _ : state) {
        src.Draw(dst, 0, 0);
        benchmark::DoNotOptimize(dst.Bits());
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_BlendDraw)->Unit(benchmark::kMillisecond);

// The blend line of the table alone, row by row.
void BM_BlendLine(benchmark::State& state)
{
    TbsBitmap src, dst;
    src.SetSize(kWidth, kHeight);
    dst.SetSize(kWidth, kHeight);
    fillRandom(src, 3);
    fillRandom(dst, 4);
    const auto blend = PixelRoutines().BlendLine;
    for (auto _ : state) {
        for (int y = 0; y < kHeight; ++y)
            blend(src.GetScanLine(y), dst.GetScanLine(y), kWidth);
        benchmark::DoNotOptimize(dst.Bits());
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_BlendLine)->Unit(benchmark::kMillisecond);

// Stack blur at the glow text's radius (10) and a small one.
void BM_StackBlur(benchmark::State& state)
{
    TbsBitmap original, work;
    original.SetSize(kWidth, kHeight);
    work.SetSize(kWidth, kHeight);
    fillRandom(original, 5);
    for (auto _ : state) {
        state.PauseTiming();
        work.Assign(original);
        state.ResumeTiming();
        StackBlur(work, int(state.range(0)));
        benchmark::DoNotOptimize(work.Bits());
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_StackBlur)->Arg(2)->Arg(10)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
