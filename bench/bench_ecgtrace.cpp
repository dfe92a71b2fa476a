// Timing of the signal model: E(t) of 15 groups, the recomputation that
// follows an edit of one group, and what opening the analysis of E(t) computes.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <cstdlib>

#include "ecgtrace/model/analysis_plots.h"
#include "ecgtrace/model/signal_model.h"
#include "ecgtrace/model/spectra.h"

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

// Every group's spectrum with the repetition effect, each followed by the
// histogram and power plot of the filling, then E(t)'s, then the switch of
// the repetition text.
void BM_OpenAnalysisOfE15Groups(benchmark::State& state) {
    ecgtrace::SignalModel m = FifteenGroups();
    m.ETabActive = true;
    common::PlotSurface hist(ecgtrace::kImageHistWidth, ecgtrace::kImageHistHeight);
    common::PlotSurface power(ecgtrace::kImagePowerWidth, ecgtrace::kImagePowerHeight);
    for (auto _ : state) {
        m.RepetitionFlag[0] = 1;
        for (int i = 1; i <= m.GroupCount; ++i) {
            m.RepetitionFlag[static_cast<std::size_t>(i)] = 1;
            ecgtrace::ComputeGroupSpectra(m, i, i);
            ecgtrace::DrawHistogram(m, i, hist);
            ecgtrace::DrawPowerSpectrum(m, i, i, power);
        }
        ecgtrace::ComputeGroupSpectra(m, 0, 0);
        ecgtrace::DrawHistogram(m, 0, hist);
        ecgtrace::DrawPowerSpectrum(m, 0, 0, power);
        benchmark::DoNotOptimize(ecgtrace::ToggleRepetition(m, 0, power));
        benchmark::DoNotOptimize(power.Image().constBits());
    }
}
BENCHMARK(BM_OpenAnalysisOfE15Groups);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);  // text drawing needs fonts
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
