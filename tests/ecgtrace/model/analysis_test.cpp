// Complex unit, group spectra with the repetition effect, histogram,
// autocorrelation and the analysis plots.
#include <gtest/gtest.h>

#include <cmath>

#include "common/errors.h"
#include "common/number_format.h"
#include "common/numeric.h"
#include "ecgtrace/model/analysis_plots.h"
#include "ecgtrace/model/spectra.h"
#include "support/work_dir.h"

using common::kTeal;
using common::kYellow;
using common::PlotSurface;
using ecgtrace::Complex;
using ecgtrace::SignalModel;

namespace {

constexpr double kPi = 3.14159265358979323846;

SignalModel Started() {
    testing_support::ScopedWorkDir dir;
    SignalModel m;
    m.RunStartupComputations();
    m.ComputeE();
    return m;
}

// Group 2 with a period of 200 ms and distinct PHalf and PWhole.
SignalModel WithPeriod200() {
    SignalModel m = Started();
    m.SetParameter(2, ecgtrace::Parameter::Ta, 149);  // 21 + 6 + 149 + 24
    m.ComputeT(2);
    EXPECT_EQ(m.Period(2), 200);
    m.SetWeights(2, 0.25, 0.75);
    return m;
}

}  // namespace

TEST(ComplexUnit, Operations) {
    const Complex a = ecgtrace::ComplexMake(1, 2);
    const Complex b = ecgtrace::ComplexMake(3, -4);
    EXPECT_EQ(ecgtrace::ComplexAdd(a, b), (Complex{4, -2}));
    EXPECT_EQ(ecgtrace::ComplexMultiply(a, b), (Complex{11, 2}));
    EXPECT_EQ(ecgtrace::ComplexScale(a, -2), (Complex{-2, -4}));
    EXPECT_EQ(ecgtrace::ComplexConjProduct(a, b), (Complex{-5, 10}));
    const Complex e = ecgtrace::ComplexExp(ecgtrace::ComplexMake(1, kPi / 2));
    EXPECT_NEAR(e.re, 0, 1e-15);
    EXPECT_NEAR(e.im, std::exp(1.0), 1e-15);
    // The parts are added, not squared.
    EXPECT_DOUBLE_EQ(ecgtrace::ComplexAmplitude(ecgtrace::ComplexMake(3, 4)), std::sqrt(7.0));
    EXPECT_DOUBLE_EQ(ecgtrace::ComplexAmplitude(ecgtrace::ComplexConjProduct(b, b)), 5.0);
    EXPECT_EQ(ecgtrace::ComplexAmplitude(ecgtrace::ComplexMake(1, -3)), 0.0);
}

TEST(GroupSpectra, DefaultBinsAndBinZero) {
    SignalModel m = Started();
    ecgtrace::ComputeSumSignalSpectra(m);
    for (int g = 0; g <= 6; ++g) {
        ASSERT_EQ(m.Spectrum(g).size(), 51u);
        EXPECT_EQ(m.Spectrum(g)[0], (Complex{0, 0})) << g;
    }
    m.SetRepetition(1, 0);
    ecgtrace::ComputeGroupSpectra(m, 1, 1);
    const auto& row = m.Spectrum(1);
    EXPECT_NEAR(row[10].re, -5.49270e-4, 5e-10);
    EXPECT_NEAR(row[10].im, -5.06457e-6, 5e-12);
    EXPECT_NEAR(std::hypot(row[10].re, row[10].im), 5.49293e-4, 5e-10);
    EXPECT_NEAR(row[1].re, 9.54322e-6, 5e-12);
    EXPECT_NEAR(row[1].im, -2.11193e-6, 5e-12);
    // The offset only turns the phase.
    m.SetParameter(1, ecgtrace::Parameter::offset, 7);
    const Complex shifted = ecgtrace::GroupSpectrumBin(m.Parameters(1), 10);
    EXPECT_NEAR(std::hypot(shifted.re, shifted.im), std::hypot(row[10].re, row[10].im), 1e-15);
}

TEST(GroupSpectra, BinFiftyClearedInFirstRowOnly) {
    SignalModel m = WithPeriod200();
    ecgtrace::ComputeGroupSpectra(m, 1, 2);
    EXPECT_EQ(m.Spectrum(1)[50].im, 0.0);
    EXPECT_NE(m.Spectrum(2)[50].im, 0.0);
    EXPECT_EQ(m.Spectrum(2)[50], ecgtrace::GroupSpectrumBin(m.Parameters(2), 50));
}

TEST(GroupSpectra, RepetitionKeepsHarmonicsOfPeriod200) {
    SignalModel m = WithPeriod200();
    m.SetRepetition(2, 1);
    ecgtrace::ComputeGroupSpectra(m, 2, 2);
    const auto& row = m.Spectrum(2);
    for (int k = 0; k <= 50; ++k) {
        const Complex plain = ecgtrace::GroupSpectrumBin(m.Parameters(2), k);
        Complex expected;
        if (k % 10 == 5)
            expected = ecgtrace::ComplexScale(plain, 0.5);
        else if (k % 10 == 0 && k > 0)
            expected = plain;
        else
            expected = ecgtrace::ComplexScale(plain, 1e-100);
        if (k == 50) expected.im = 0;
        EXPECT_EQ(row[k], expected) << k;
    }
}

TEST(GroupSpectra, FirstGroupsFlagGovernsBothRows) {
    SignalModel m = WithPeriod200();
    m.SetRepetition(1, 1);
    m.SetRepetition(2, 0);
    ecgtrace::ComputeGroupSpectra(m, 1, 2);
    const Complex plain7 = ecgtrace::GroupSpectrumBin(m.Parameters(2), 7);
    EXPECT_EQ(m.Spectrum(2)[7], ecgtrace::ComplexScale(plain7, 1e-100));

    m.SetRepetition(1, 0);
    m.SetRepetition(2, 1);
    ecgtrace::ComputeGroupSpectra(m, 1, 2);
    EXPECT_EQ(m.Spectrum(2)[7], plain7);
}

TEST(GroupSpectra, CounterFallsBehindForLongPeriods) {
    SignalModel m = Started();
    m.SetParameter(1, ecgtrace::Parameter::Ta, 2449);  // T = 2500: F = 0.4 Hz
    m.ComputeT(1);
    m.SetWeights(1, 0.1, 0.4);
    m.SetRepetition(1, 1);
    ecgtrace::ComputeGroupSpectra(m, 1, 1);
    // Bins 0..4 meet the odd counter; after 4 it lags behind for good.
    for (int k = 0; k <= 50; ++k) {
        const Complex plain = ecgtrace::GroupSpectrumBin(m.Parameters(1), k);
        Complex expected = ecgtrace::ComplexScale(plain, k <= 4 ? 0.3 : 1e-100);
        if (k == 50) expected.im = 0;
        EXPECT_NEAR(m.Spectrum(1)[k].re, expected.re, std::fabs(expected.re) * 1e-15) << k;
    }
}

TEST(GroupSpectra, SumOfRowsAndMissingRows) {
    SignalModel m = Started();
    ecgtrace::ComputeSumSignalSpectra(m);
    for (int g = 0; g <= 6; ++g) EXPECT_EQ(m.WithRepetition(g), 1);
    Complex sum;
    for (int g = 1; g <= 6; ++g) sum = ecgtrace::ComplexAdd(sum, m.Spectrum(g)[10]);
    EXPECT_EQ(m.Spectrum(0)[10], sum);

    m.ChangeGroupCount(7);  // row 7 never computed
    EXPECT_THROW(ecgtrace::ComputeGroupSpectra(m, 0, 0), common::AppError);
}

TEST(Histogram, RangeAndBins) {
    auto h = ecgtrace::CountHistogram({1.0, 2.0, 3.0});
    EXPECT_EQ(h.min, 0.0);
    EXPECT_EQ(h.max, 3.0);
    EXPECT_DOUBLE_EQ(h.frequency[14], 1.0 / 3);  // the maximum lands in bin 15

    h = ecgtrace::CountHistogram({-1.0, -4.0, -2.5});
    EXPECT_EQ(h.max, 0.0);
    EXPECT_EQ(h.min, -4.0);
    EXPECT_DOUBLE_EQ(h.frequency[0], 1.0 / 3);  // the minimum in bin 1
    EXPECT_DOUBLE_EQ(h.frequency[5], 1.0 / 3);  // (-2.5 + 4) / (4 / 15) = 5.6: bin 6

    h = ecgtrace::CountHistogram({0.0, 0.0, 0.0, 0.0});
    EXPECT_EQ(h.frequency[0], 1.0);  // a flat zero signal counts in bin 1
    h = ecgtrace::CountHistogram({});
    EXPECT_EQ(h.frequency[0], 0.0);
}

TEST(Histogram, CountsTheGroupOrForIndexZeroTheSumSignal) {
    SignalModel m = Started();
    EXPECT_EQ(ecgtrace::HistogramSamples(m, 2), m.Signal(2));
    const auto e = ecgtrace::HistogramSamples(m, 0);
    ASSERT_EQ(e.size(), 2800u);
    EXPECT_EQ(e[0], m.ESignal()[1]);
    const auto h = ecgtrace::CountHistogram(e);
    double total = 0;
    for (double f : h.frequency) total += f;
    EXPECT_NEAR(total, 1.0, 1e-12);
    EXPECT_EQ(h.max, m.EMax());
    EXPECT_EQ(h.min, m.EMin());
}

TEST(Autocorrelation, ModelledByTwoHarmonics) {
    SignalModel m = WithPeriod200();
    m.SetWeights(2, 0.5, 0.5);
    auto v = ecgtrace::AutocorrelationValues(m, 2);
    ASSERT_EQ(v.size(), 2000u);
    for (int tau : {1, 37, 50, 123, 2000})
        EXPECT_NEAR(v[tau - 1], std::cos(4 * kPi * tau / 200), 1e-12);
    m.SetWeights(2, m.PHalf(2), 0.9);
    v = ecgtrace::AutocorrelationValues(m, 2);
    for (int n = 1; n <= 10; ++n) EXPECT_NEAR(v[200 * n - 1], 1.0, 1e-12);

    // E(t) of a single group is that group's curve.
    m.SetGroupChoice(1, m.ActualGroup(), m.CrossGroup());
    EXPECT_EQ(ecgtrace::AutocorrelationValues(m, 0), ecgtrace::AutocorrelationValues(m, 1));
}

TEST(AnalysisTexts, Titles) {
    EXPECT_EQ(ecgtrace::HistogramTitle(0), "amplitudehistogram of Et");
    EXPECT_EQ(ecgtrace::HistogramTitle(3), "amplitudehistogram of At(3)");
    EXPECT_EQ(ecgtrace::AutocorrelationTitle(2), "autocorrelation of At(2)");
    EXPECT_EQ(ecgtrace::PowerSpectrumTitle(0, 0), "autopowerspectrum of Et");
    EXPECT_EQ(ecgtrace::PowerSpectrumTitle(4, 4), "autopowerspectrum of At(4)");
    EXPECT_EQ(ecgtrace::PowerSpectrumTitle(2, 3), "crosspowerspectrum of At(2) versus At(3)");
    EXPECT_EQ(ecgtrace::CrossPhaseTitle(2, 3), "cross phase spectrum of A(2) versus A(3)");
    EXPECT_EQ(ecgtrace::RepetitionText(false), "  no repetition");
    EXPECT_EQ(ecgtrace::RepetitionText(true), "with repetition");
}

TEST(AnalysisPlots, HistogramBars) {
    SignalModel m = Started();
    // Equal widths and Ta = 5 s1 put both pulses on one centre: A(t) is 0 throughout.
    m.SetParameter(1, ecgtrace::Parameter::s1, 20);
    m.SetParameter(1, ecgtrace::Parameter::s2, 20);
    m.SetParameter(1, ecgtrace::Parameter::Ta, 100);
    m.ComputeT(1);
    for (double a : m.Signal(1)) ASSERT_EQ(a, 0.0);
    PlotSurface s(ecgtrace::kHistogramPlotWidth, ecgtrace::kHistogramPlotHeight);
    ecgtrace::DrawHistogram(m, 1, s);
    EXPECT_EQ(s.Pixel(0, 0), kTeal);
    // Bin 1 holds everything: a full bar of 10 pixels from the top line
    // (its top is covered by the "freq." label).
    EXPECT_EQ(s.Pixel(25, 30), kTeal);
    EXPECT_EQ(s.Pixel(29, 30), kYellow);
    EXPECT_EQ(s.Pixel(28, 159), kTeal);
    EXPECT_EQ(s.Pixel(35, 100), kYellow);
    EXPECT_EQ(s.Pixel(20, 100), kTeal);   // axis
    EXPECT_EQ(s.Pixel(189, 160), kTeal);  // axis to W - 20
    EXPECT_EQ(s.Pixel(190, 160), kYellow);
}

TEST(AnalysisPlots, AutocorrelationPeaks) {
    SignalModel m = WithPeriod200();
    PlotSurface s(ecgtrace::kCorrelationPlotWidth, ecgtrace::kCorrelationPlotHeight);
    ecgtrace::DrawAutocorrelation(m, 2, s);
    for (int n = 1; n <= 9; ++n) EXPECT_EQ(s.Pixel(20 + 20 * n, 10), kTeal) << n;
    // Lag 100: (cos 2 pi + w cos pi) / (1 + w) = 1/3 with w = 0.5.
    EXPECT_EQ(s.Pixel(30, 10), kYellow);
    EXPECT_EQ(s.Pixel(30, 110 - 33), kTeal);
}

TEST(AnalysisPlots, PowerSpectrumWithRepetition) {
    SignalModel m = WithPeriod200();
    m.SetRepetition(2, 1);
    ecgtrace::ComputeGroupSpectra(m, 2, 2);
    PlotSurface s(ecgtrace::kPowerPlotWidth, ecgtrace::kPowerPlotHeight);
    ecgtrace::DrawPowerSpectrum(m, 2, 2, s);
    const auto levels = ecgtrace::ComputePowerLevels(m, 2, 2);
    for (int k = 0; k <= 50; ++k) {
        const double d = 10 * (levels.maxLog - std::log10(levels.amplitude[k]));
        if (k % 5 != 0 || k == 0) {
            EXPECT_GT(d, 30) << k;  // only harmonics rise
        }
    }
    // Bins 0 and 1 lie on the bottom line; 3.4 pixels per Hz, 5 per dB.
    EXPECT_EQ(s.Pixel(24, 160), kTeal);
    EXPECT_EQ(s.Pixel(24, 159), kYellow);
    for (int y = 11; y < 160; ++y) EXPECT_EQ(s.Pixel(44, y), kYellow) << y;  // between bins 7 and 8
    // The strongest line reaches the top line.
    bool top = false;
    for (int x = 21; x < 190; ++x) top = top || s.Pixel(x, 10) == kTeal;
    EXPECT_TRUE(top);
    // The -10 dB line: bin 10 is an even harmonic, kept whole.
    const double d10 = 10 * (levels.maxLog - std::log10(levels.amplitude[10]));
    EXPECT_EQ(s.Pixel(54, static_cast<int>(common::Round(d10 * 5)) + 10), kTeal);
}

TEST(AnalysisPlots, GroupWithoutSignalShowsNoPowerAndNoPhase) {
    SignalModel m = Started();
    // Equal widths s1 = s2 = 20 and Ta = 5 * 20 put both pulses on one centre
    // (m1 = m2 = 66): they cancel, and A(t) and the spectrum of the group are
    // zero throughout.
    m.SetParameter(2, ecgtrace::Parameter::s1, 20);
    m.SetParameter(2, ecgtrace::Parameter::s2, 20);
    m.SetParameter(2, ecgtrace::Parameter::Ta, 100);
    m.ComputeT(2);
    ecgtrace::ComputeGroupSpectra(m, 2, 2);
    for (int k = 0; k <= 50; ++k) ASSERT_EQ(ecgtrace::ComplexAmplitude(m.Spectrum(2)[k]), 0.0) << k;

    // Every bin lies on the -30 dB line; the curve rises nowhere.
    PlotSurface power(ecgtrace::kPowerPlotWidth, ecgtrace::kPowerPlotHeight);
    ecgtrace::DrawPowerSpectrum(m, 2, 2, power);
    for (int x = 21; x < 190; ++x)
        for (int y = 20; y < 160; ++y) ASSERT_EQ(power.Pixel(x, y), kYellow) << x << "," << y;
    // The top line between the "db" label and the repetition text.
    for (int x = 40; x < 110; ++x) EXPECT_EQ(power.Pixel(x, 10), kYellow) << x;

    // Against a group with a signal the cross spectrum is zero as well:
    // no bin gets a phase marker.
    PlotSurface phase(ecgtrace::kPhasePlotWidth, ecgtrace::kPhasePlotHeight);
    m.SetRepetition(2, true);
    ecgtrace::ComputeGroupSpectra(m, 2, 3);
    ecgtrace::DrawCrossPhase(m, 2, 3, phase);
    for (int y = 11; y < 110; ++y)
        for (int x = 21; x < 220; ++x) ASSERT_EQ(phase.Pixel(x, y), kYellow) << x << "," << y;

    // A group with a signal still gets its markers in the same plot area.
    m.SetRepetition(3, true);
    ecgtrace::ComputeGroupSpectra(m, 3, 3);
    ecgtrace::DrawCrossPhase(m, 3, 3, phase);
    int marked = 0;
    for (int y = 11; y < 110; ++y)
        for (int x = 21; x < 220; ++x) marked += phase.Pixel(x, y) != kYellow;
    EXPECT_GT(marked, 0);
}

namespace {
// True when the frame's right border (x = W - 1) is teal from top to bottom:
// no text ran over the edge of the plot.
bool RightBorderWhole(const PlotSurface& s) {
    for (int y = 0; y < s.Height(); ++y)
        if (!(s.Pixel(s.Width() - 1, y) == kTeal)) return false;
    return true;
}
}  // namespace

TEST(AnalysisPlots, TextsNearTheRightEdgeStayWhole) {
    SignalModel m = Started();
    PlotSurface hist(ecgtrace::kHistogramPlotWidth, ecgtrace::kHistogramPlotHeight);
    ecgtrace::DrawHistogram(m, 1, hist);
    const std::string maxText = common::FormatGeneral(ecgtrace::CountHistogram(m.Signal(1)).max, 3);
    SCOPED_TRACE(maxText + " is " + std::to_string(hist.TextWidth(maxText)) + " pixels wide");
    EXPECT_TRUE(RightBorderWhole(hist));

    // A cross spectrum title longer than the plot right of x = 20.
    ecgtrace::ComputeGroupSpectra(m, 1, 2);
    PlotSurface power(ecgtrace::kPowerPlotWidth, ecgtrace::kPowerPlotHeight);
    ecgtrace::DrawPowerSpectrum(m, 1, 2, power);
    const std::string title = ecgtrace::PowerSpectrumTitle(1, 2);
    SCOPED_TRACE(title + " is " + std::to_string(power.TextWidth(title)) + " pixels wide");
    EXPECT_TRUE(RightBorderWhole(power));

    // A text that fits is where it always was.
    PlotSurface shortTitle(ecgtrace::kPowerPlotWidth, ecgtrace::kPowerPlotHeight);
    ecgtrace::ComputeGroupSpectra(m, 1, 1);
    ecgtrace::DrawPowerSpectrum(m, 1, 1, shortTitle);
    PlotSurface reference(ecgtrace::kPowerPlotWidth, ecgtrace::kPowerPlotHeight);
    reference.SetBrushColor(kYellow);
    reference.TextOut(20, 185, ecgtrace::PowerSpectrumTitle(1, 1));
    for (int x = 20; x < 20 + reference.TextWidth(ecgtrace::PowerSpectrumTitle(1, 1)); ++x)
        for (int y = 185; y < 185 + reference.TextHeight("x"); ++y)
            ASSERT_EQ(shortTitle.Pixel(x, y), reference.Pixel(x, y)) << x << "," << y;

    // Two-digit groups: too long for the plot even from its left border, the
    // title is written narrower, whole and inside the frame.
    m.ChangeGroupCount(13);
    ecgtrace::ComputeGroupSpectra(m, 12, 13);
    PlotSurface longTitle(ecgtrace::kPowerPlotWidth, ecgtrace::kPowerPlotHeight);
    ecgtrace::DrawPowerSpectrum(m, 12, 13, longTitle);
    const std::string twoDigits = ecgtrace::PowerSpectrumTitle(12, 13);
    ASSERT_GT(longTitle.TextWidth(twoDigits), ecgtrace::kPowerPlotWidth);
    EXPECT_TRUE(RightBorderWhole(longTitle));
    QFont narrow = longTitle.Font();
    narrow.setFamily(QStringLiteral("Liberation Sans Narrow"));
    PlotSurface narrowReference(ecgtrace::kPowerPlotWidth, ecgtrace::kPowerPlotHeight);
    narrowReference.SetFont(narrow);
    narrowReference.SetBrushColor(kYellow);
    narrowReference.TextOut(20, 185, twoDigits);
    const int width = narrowReference.TextWidth(twoDigits);
    ASSERT_LT(20 + width, ecgtrace::kPowerPlotWidth - 1);
    for (int x = 20; x < 20 + width; ++x)
        for (int y = 185; y < 185 + narrowReference.TextHeight("x"); ++y)
            ASSERT_EQ(longTitle.Pixel(x, y), narrowReference.Pixel(x, y)) << x << "," << y;
}
