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

// Each drawing with a value that is not finite where it reads: group 1's
// A(t) all alike and infinite once gave a histogram labelled "INF"; every
// sample infinite leaves no finite range to scale by; the series runs through
// the map wherever P0 leads it.
TEST(FiniteValues, EveryPlotRefusesNonFiniteValues) {
    using ecgtrace::GroupState;
    const auto wholeA = [](SignalModel& m, double bad) {
        Corrupt(m, 1, [&](GroupState& s) {
            s.A = ecgtrace::GroupSignal(std::vector<double>(s.A.size(), bad));
        });
    };
    const auto spectrumBin = [](SignalModel& m, double bad) {
        std::vector<ecgtrace::Complex> row = m.Spectrum(2);
        row[10].im = bad;
        m.SetSpectrum(2, row);
    };
    const struct {
        const char* name;
        std::function<void(SignalModel&, double)> corrupt;
        int width, height;
        std::function<void(const SignalModel&, PlotSurface&)> draw;
    } cases[] = {
        {"A(t)", wholeA, ecgtrace::kSignalPlotWidth, ecgtrace::kSignalPlotHeight,
         [](const SignalModel& m, PlotSurface& s) { ecgtrace::DrawA(m, 1, s); }},
        {"E(t)", CorruptSumSignal, ecgtrace::kSumPlotWidth, ecgtrace::kSumPlotHeight,
         [](const SignalModel& m, PlotSurface& s) { ecgtrace::DrawE(m, s); }},
        {"map",
         [](SignalModel& m, double bad) {
             Corrupt(m, 1, [&](GroupState& s) { s.PMap[50] = bad; });
         },
         ecgtrace::kMapPlotWidth, ecgtrace::kMapPlotHeight,
         [](const SignalModel& m, PlotSurface& s) { ecgtrace::DrawPMap(m, 1, s); }},
        {"cobweb",
         [](SignalModel& m, double bad) {
             Corrupt(m, 1, [&](GroupState& s) { s.PMap[50] = bad; });
         },
         ecgtrace::kMapPlotWidth, ecgtrace::kMapPlotHeight,
         [](const SignalModel& m, PlotSurface& s) { ecgtrace::DrawCobweb(m, 1, s); }},
        {"series",
         [](SignalModel& m, double bad) {
             Corrupt(m, 1, [&](GroupState& s) { s.PMap.fill(bad); });
         },
         ecgtrace::kSeriesPlotWidth, ecgtrace::kSeriesPlotHeight,
         [](const SignalModel& m, PlotSurface& s) { ecgtrace::DrawPSeries(m, 1, s); }},
        {"histogram", wholeA, ecgtrace::kHistogramPlotWidth, ecgtrace::kHistogramPlotHeight,
         [](const SignalModel& m, PlotSurface& s) { ecgtrace::DrawHistogram(m, 1, s); }},
        {"E histogram", CorruptSumSignal, ecgtrace::kHistogramPlotWidth,
         ecgtrace::kHistogramPlotHeight,
         [](const SignalModel& m, PlotSurface& s) { ecgtrace::DrawHistogram(m, 0, s); }},
        {"autocorrelation", [](SignalModel& m, double bad) { m.SetWeights(1, bad, 0.5); },
         ecgtrace::kCorrelationPlotWidth, ecgtrace::kCorrelationPlotHeight,
         [](const SignalModel& m, PlotSurface& s) { ecgtrace::DrawAutocorrelation(m, 1, s); }},
        {"power", spectrumBin, ecgtrace::kPowerPlotWidth, ecgtrace::kPowerPlotHeight,
         [](const SignalModel& m, PlotSurface& s) { ecgtrace::DrawPowerSpectrum(m, 1, 2, s); }},
    };
    for (const auto& c : cases)
        for (double bad : {kNaN, kInf, -kInf}) {
            SignalModel m = Started();
            c.corrupt(m, bad);
            PlotSurface s(c.width, c.height);
            ExpectRefusedUntouched(
                s, [&] { c.draw(m, s); }, c.name);
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
