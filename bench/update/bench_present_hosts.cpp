// Gathering the names a hosts file of a million block lines already blocks,
// as the refresh does before it looks the database's hosts up.
//
//   bench_present_hosts [--benchmark_repetitions=5]

#include "HeapTuning.h"
#include "PresentHosts.h"

#include <benchmark/benchmark.h>

namespace {

QByteArray hostsFileOf(int lines)
{
    QByteArray text = "127.0.0.1 localhost\r\n";
    text.reserve(qsizetype(lines) * 42);
    for (int i = 0; i < lines; ++i)
        text += "127.0.0.1 bot" + QByteArray::number(i) + ".c2-" + QByteArray::number(i % 977) +
                ".example.net\r\n";
    return text;
}

void gatherAMillionLines(benchmark::State& state)
{
    const QByteArray text = hostsFileOf(1000000);
    for (auto _ : state) {
        PresentHosts present{QByteArrayView(text)};
        benchmark::DoNotOptimize(present.size());
    }
    state.SetBytesProcessed(state.iterations() * text.size());
}
BENCHMARK(gatherAMillionLines)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    platform::shareHeapsAmongThreads(); // as the program does at start
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
