// No drawing shows a NaN or an infinity: each refuses with "Invalid
// floating point operation" before it changes a pixel.
#include <gtest/gtest.h>

#include <functional>
#include <limits>

#include "common/errors.h"
#include "common/numeric.h"
#include "ecgtrace/model/analysis_plots.h"
#include "ecgtrace/model/signal_plots.h"
#include "ecgtrace/model/spectra.h"
#include "support/work_dir.h"

using common::PlotSurface;
using ecgtrace::SignalModel;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

SignalModel Started() {
    testing_support::ScopedWorkDir dir;
    SignalModel m;
    m.RunStartupComputations();
    m.ComputeE();
    ecgtrace::ComputeGroupSpectra(m, 1, 2);
    return m;
}

// The drawing refuses and leaves the picture as it was.
void ExpectRefusedUntouched(PlotSurface& s, const std::function<void()>& draw, const char* what) {
    s.SetBrushColor(common::kBlue);
    s.FillRect(0, 0, s.Width(), s.Height());
    const QImage before = s.Image().copy();
    try {
        draw();
        ADD_FAILURE() << what << ": drawn";
    } catch (const common::AppError& e) {
        EXPECT_STREQ(e.what(), common::kInvalidFloatOperation) << what;
    }
    EXPECT_EQ(s.Image(), before) << what;
}

// Puts a value no computation of the model produces into group g's tables.
template <typename Change>
void Corrupt(SignalModel& m, std::int32_t g, Change change) {
    ecgtrace::GroupState state = m.SaveGroupState(g);
    change(state);
    m.RestoreGroupState(state);
}

// E(t) built from a group weighted by a value that is not finite.
void CorruptSumSignal(SignalModel& m, double bad) {
    m.SetWeights(1, bad, bad);
    m.ComputeE();
}

}  // namespace

TEST(FiniteValues, RequireFiniteRefusesNaNAndInfinities) {
    EXPECT_EQ(common::RequireFinite(-1e308), -1e308);
    for (double bad : {kNaN, kInf, -kInf}) {
        try {
            common::RequireFinite(bad);
            ADD_FAILURE() << bad;
        } catch (const common::AppError& e) {
            EXPECT_STREQ(e.what(), common::kInvalidFloatOperation);
        }
    }
    EXPECT_THROW(common::RequireAllFinite(std::vector<double>{1, 2, kInf}), common::AppError);
}

TEST(FiniteValues, SignalPlotsRefuseNonFiniteValues) {
    for (double bad : {kNaN, kInf, -kInf}) {
        // Every sample infinite leaves no finite range to scale by.
        SignalModel m = Started();
        Corrupt(m, 1, [&](ecgtrace::GroupState& s) {
            s.A = ecgtrace::GroupSignal(std::vector<double>(s.A.size(), bad));
        });
        PlotSurface at(ecgtrace::kSignalPlotWidth, ecgtrace::kSignalPlotHeight);
        ExpectRefusedUntouched(
            at, [&] { ecgtrace::DrawA(m, 1, at); }, "A(t)");

        m = Started();
        CorruptSumSignal(m, bad);
        PlotSurface et(ecgtrace::kSumPlotWidth, ecgtrace::kSumPlotHeight);
        ExpectRefusedUntouched(
            et, [&] { ecgtrace::DrawE(m, et); }, "E(t)");

        m = Started();
        Corrupt(m, 1, [&](ecgtrace::GroupState& s) { s.PMap[50] = bad; });
        PlotSurface map(ecgtrace::kMapPlotWidth, ecgtrace::kMapPlotHeight);
        PlotSurface series(ecgtrace::kSeriesPlotWidth, ecgtrace::kSeriesPlotHeight);
        ExpectRefusedUntouched(
            map, [&] { ecgtrace::DrawPMap(m, 1, map); }, "map");
        ExpectRefusedUntouched(
            map, [&] { ecgtrace::DrawCobweb(m, 1, map); }, "cobweb");
        // The series runs through the map wherever P0 leads it.
        Corrupt(m, 1, [&](ecgtrace::GroupState& s) { s.PMap.fill(bad); });
        ExpectRefusedUntouched(
            series, [&] { ecgtrace::DrawPSeries(m, 1, series); }, "series");
    }
}

TEST(FiniteValues, AnalysisPlotsRefuseNonFiniteValues) {
    for (double bad : {kNaN, kInf, -kInf}) {
        // All samples alike and infinite once gave a histogram labelled "INF".
        SignalModel m = Started();
        Corrupt(m, 1, [&](ecgtrace::GroupState& s) {
            s.A = ecgtrace::GroupSignal(std::vector<double>(s.A.size(), bad));
        });
        PlotSurface hist(ecgtrace::kHistogramPlotWidth, ecgtrace::kHistogramPlotHeight);
        ExpectRefusedUntouched(
            hist, [&] { ecgtrace::DrawHistogram(m, 1, hist); }, "histogram");
        m = Started();
        CorruptSumSignal(m, bad);
        ExpectRefusedUntouched(
            hist, [&] { ecgtrace::DrawHistogram(m, 0, hist); }, "E histogram");

        m = Started();
        m.SetWeights(1, bad, 0.5);
        PlotSurface correl(ecgtrace::kCorrelationPlotWidth, ecgtrace::kCorrelationPlotHeight);
        ExpectRefusedUntouched(
            correl, [&] { ecgtrace::DrawAutocorrelation(m, 1, correl); }, "autocorrelation");

        m = Started();
        std::vector<ecgtrace::Complex> row = m.Spectrum(2);
        row[10].im = bad;
        m.SetSpectrum(2, row);
        PlotSurface power(ecgtrace::kPowerPlotWidth, ecgtrace::kPowerPlotHeight);
        ExpectRefusedUntouched(
            power, [&] { ecgtrace::DrawPowerSpectrum(m, 1, 2, power); }, "power");
    }
    // Finite bins whose product leaves the double range.
    SignalModel m = Started();
    for (std::int32_t g : {1, 2}) {
        std::vector<ecgtrace::Complex> row = m.Spectrum(g);
        row[3] = {1e200, 0};
        m.SetSpectrum(g, row);
    }
    PlotSurface power(ecgtrace::kPowerPlotWidth, ecgtrace::kPowerPlotHeight);
    ExpectRefusedUntouched(
        power, [&] { ecgtrace::DrawPowerSpectrum(m, 1, 2, power); }, "power");
}
