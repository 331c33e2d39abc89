// Blend and blur on a full-HD bitmap: the two pixel loops the glow text and
// the alpha images spend their time in.

#include "bseffects.h"

#include <QGuiApplication>
#include <QRandomGenerator>
#include <benchmark/benchmark.h>

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// Makes the bitmap full-HD, of random pixels (and alphas) drawn from the seed.
void makeRandomFullHd(TbsBitmap& b, quint32 seed)
{
    b.SetSize(kWidth, kHeight);
    QRandomGenerator random(seed);
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            *b.GetPixelPtr(x, y) = random.generate();
}

// Every iteration goes over every pixel once.
void countPixels(benchmark::State& state)
{
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

// A whole bitmap with mixed alphas blended onto another through Draw.
void BM_BlendDraw(benchmark::State& state)
{
    TbsBitmap src, dst;
    makeRandomFullHd(src, 1);
    makeRandomFullHd(dst, 2);
    src.SetAlphaBlend(true);
    for (auto _ : state) {
        src.Draw(dst, 0, 0);
        benchmark::DoNotOptimize(dst.Bits());
    }
    countPixels(state);
}
BENCHMARK(BM_BlendDraw)->Unit(benchmark::kMillisecond);

// The blend line of the table alone, row by row.
void BM_BlendLine(benchmark::State& state)
{
    TbsBitmap src, dst;
    makeRandomFullHd(src, 3);
    makeRandomFullHd(dst, 4);
    const auto blend = PixelRoutines().BlendLine;
    for (auto _ : state) {
        for (int y = 0; y < kHeight; ++y)
            blend(src.GetScanLine(y), dst.GetScanLine(y), kWidth);
        benchmark::DoNotOptimize(dst.Bits());
    }
    countPixels(state);
}
BENCHMARK(BM_BlendLine)->Unit(benchmark::kMillisecond);

// Stack blur at the glow text's radius (10) and a small one.
void BM_StackBlur(benchmark::State& state)
{
    TbsBitmap original, work;
    work.SetSize(kWidth, kHeight);
    makeRandomFullHd(original, 5);
    for (auto _ : state) {
        state.PauseTiming();
        work.Assign(original);
        state.ResumeTiming();
        StackBlur(work, int(state.range(0)));
        benchmark::DoNotOptimize(work.Bits());
    }
    countPixels(state);
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
