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
    m.SetGroupChoice(15, m.ActualGroup(), m.CrossGroup());
    for (int g = 1; g <= 15; ++g) {
        ecgtrace::GroupParameters p = ecgtrace::GroupParameters::Defaults();
        p.f = 15.0 + g;
        p.P0 = 0.05 * g;
        m.SetParameters(g, p);
    }
    m.CompleteStartup(nullptr);
    m.ComputeE();
    return m;
}

void BM_ComputeE15Groups(benchmark::State& state) {
    ecgtrace::SignalModel m = FifteenGroups();
    for (auto _ : state) {
        m.ComputeE();
        benchmark::DoNotOptimize(m.ESignal().data());
    }
}
BENCHMARK(BM_ComputeE15Groups);

void BM_RecomputeAfterEdit(benchmark::State& state) {
    ecgtrace::SignalModel m = FifteenGroups();
    int n = 0;
    for (auto _ : state) {
        m.SetParameter(7, ecgtrace::Parameter::f, 20.0 + (n++ % 5));
        m.ComputeT(7);  // T and A(t)
        m.ComputePMap(7);
        m.ComputePSeries(7);
        m.ComputeE();
        benchmark::DoNotOptimize(m.ESignal().data());
    }
}
BENCHMARK(BM_RecomputeAfterEdit);

// Every group's spectrum with the repetition effect and their sum, then the
// histogram and the power plot of E(t) as the opened window shows them.
void BM_OpenAnalysisOfE15Groups(benchmark::State& state) {
    ecgtrace::SignalModel m = FifteenGroups();
    common::PlotSurface hist(ecgtrace::kHistogramPlotWidth, ecgtrace::kHistogramPlotHeight);
    common::PlotSurface power(ecgtrace::kPowerPlotWidth, ecgtrace::kPowerPlotHeight);
    for (auto _ : state) {
        ecgtrace::ComputeSumSignalSpectra(m);
        m.SetRepetition(0, false);
        ecgtrace::DrawHistogram(m, 0, hist);
        ecgtrace::DrawPowerSpectrum(m, 0, 0, power);
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
