// Cost of handing work to a serial queue and of a parallel apply over a pool.
#include "platform/OVDispatch.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cmath>

static void BM_SerialQueueAsyncThenSync(benchmark::State &state)
{
    OVSerialQueue queue("bench.serial");
    std::atomic<int64_t> sum{0};
    for (auto _ : state) {
        for (int i = 0; i < state.range(0); ++i)
            queue.async([&sum, i] { sum += i; });
        queue.sync([] {});
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SerialQueueAsyncThenSync)->Arg(1)->Arg(1000);

static void BM_ApplySquareRoots(benchmark::State &state)
{
    std::vector<double> values(size_t(state.range(0)), 2.0);
    for (auto _ : state) {
        OVDispatch::apply(values.size(), [&](size_t i) { values[i] = std::sqrt(values[i] + 1.0); });
        benchmark::DoNotOptimize(values.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ApplySquareRoots)->Arg(100000);
