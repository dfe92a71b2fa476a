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

TEST(FiniteValues, MapLabelsRefuseNonFiniteValues) {
    SignalModel m = Started();
    m.PHalf[1] = kNaN;
    m.PWhole[1] = -kInf;
    EXPECT_THROW(m.PHalfText(1), common::AppError);
    EXPECT_THROW(m.PWholeText(1), common::AppError);
}

TEST(FiniteValues, SignalPlotsRefuseNonFiniteValues) {
    for (double bad : {kNaN, kInf, -kInf}) {
        // Every sample infinite leaves no finite range to scale by.
        SignalModel m = Started();
        m.A[1].assign(m.A[1].size(), bad);
        PlotSurface at(ecgtrace::kImageAtWidth, ecgtrace::kImageAtHeight);
        ExpectRefusedUntouched(at, [&] { ecgtrace::DrawA(m, 1, at); }, "A(t)");

        m = Started();
        m.ESignal[1400] = bad;
        PlotSurface et(ecgtrace::kImageEtWidth, ecgtrace::kImageEtHeight);
        ExpectRefusedUntouched(et, [&] { ecgtrace::DrawE(m, et); }, "E(t)");
        m = Started();
        m.EMax = bad;
        ExpectRefusedUntouched(et, [&] { ecgtrace::DrawE(m, et); }, "E(t) range");

        m = Started();
        m.PMap[1][50] = bad;
        PlotSurface map(ecgtrace::kImagePWidth, ecgtrace::kImagePHeight);
        PlotSurface series(ecgtrace::kImagePtWidth, ecgtrace::kImagePtHeight);
        ExpectRefusedUntouched(map, [&] { ecgtrace::DrawPMap(m, 1, map, &series); }, "map");
        ExpectRefusedUntouched(map, [&] { ecgtrace::PlotCobweb(m, 1, map, &series); }, "cobweb");
        ExpectRefusedUntouched(series, [&] { ecgtrace::DrawPSeries({0.1, bad, 0.2}, series); },
                               "series");
    }
}

TEST(FiniteValues, AnalysisPlotsRefuseNonFiniteValues) {
    for (double bad : {kNaN, kInf, -kInf}) {
        // All samples alike and infinite once gave a histogram labelled "INF".
        SignalModel m = Started();
        m.A[1].assign(m.A[1].size(), bad);
        PlotSurface hist(ecgtrace::kImageHistWidth, ecgtrace::kImageHistHeight);
        ExpectRefusedUntouched(hist, [&] { ecgtrace::DrawHistogram(m, 1, hist); }, "histogram");
        m.ETabActive = true;
        m.ESignal[7] = bad;
        ExpectRefusedUntouched(hist, [&] { ecgtrace::DrawHistogram(m, 0, hist); }, "E histogram");

        m = Started();
        m.PHalf[1] = bad;
        PlotSurface correl(ecgtrace::kImageCorrelWidth, ecgtrace::kImageCorrelHeight);
        ExpectRefusedUntouched(correl, [&] { ecgtrace::DrawAutocorrelation(m, 1, correl); },
                               "autocorrelation");

        m = Started();
        m.GroupSpectra[2][10].im = bad;
        PlotSurface power(ecgtrace::kImagePowerWidth, ecgtrace::kImagePowerHeight);
        ExpectRefusedUntouched(power, [&] { ecgtrace::DrawPowerSpectrum(m, 1, 2, power); }, "power");
    }
    // Finite bins whose product leaves the double range.
    SignalModel m = Started();
    m.GroupSpectra[1][3] = {1e200, 0};
    m.GroupSpectra[2][3] = {1e200, 0};
    PlotSurface power(ecgtrace::kImagePowerWidth, ecgtrace::kImagePowerHeight);
    ExpectRefusedUntouched(power, [&] { ecgtrace::DrawPowerSpectrum(m, 1, 2, power); }, "power");
}
