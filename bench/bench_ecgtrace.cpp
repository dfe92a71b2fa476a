// Timing of the signal model: E(t) of 15 groups and the recomputation that
// follows an edit of one group.
#include <benchmark/benchmark.h>

#include "ecgtrace/model/signal_model.h"

namespace {

// Fifteen groups of different periods, all computed.
ecgtrace::SignalModel FifteenGroups() {
    ecgtrace::SignalModel m;
    m.ResizeGroupTables(15);
    m.GroupCount = 15;
    for (int g = 1; g <= 15; ++g) {
        m.Group(g) = ecgtrace::GroupParameters::Defaults();
        m.Group(g).f = 15.0 + g;
        m.Group(g).P0 = 0.05 * g;
    }
    m.CompleteStartup(nullptr);
    m.ComputeE();
    return m;
}

void BM_ComputeE15Groups(benchmark::State& state) {
    ecgtrace::SignalModel m = FifteenGroups();
    for (auto _ : state) {
        m.ComputeE();
        benchmark::DoNotOptimize(m.ESignal.data());
    }
}
BENCHMARK(BM_ComputeE15Groups);

void BM_RecomputeAfterEdit(benchmark::State& state) {
    ecgtrace::SignalModel m = FifteenGroups();
    int n = 0;
    for (auto _ : state) {
        m.Group(7).f = 20.0 + (n++ % 5);
        m.ComputeT(7);  // T and A(t)
        m.ComputePMap(7);
        m.ComputePSeries(7);
        m.ComputeE();
        benchmark::DoNotOptimize(m.ESignal.data());
    }
}
BENCHMARK(BM_RecomputeAfterEdit);

}  // namespace

BENCHMARK_MAIN();
