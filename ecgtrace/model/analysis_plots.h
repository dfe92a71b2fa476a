#pragma once
// The plots of the analysis window (teal pen on yellow) and the values they
// are drawn from: amplitude histogram, autocorrelation, power spectrum,
// cross phase spectrum. The drawings read the model and never change it.
#include <array>
#include <concepts>
#include <cstdint>
#include <string>
#include <vector>

#include "common/plot_surface.h"
#include "ecgtrace/model/signal_model.h"

namespace ecgtrace {

inline constexpr int kHistogramPlotWidth = 210, kHistogramPlotHeight = 200;
inline constexpr int kCorrelationPlotWidth = 230, kCorrelationPlotHeight = 250;
inline constexpr int kPowerPlotWidth = 210, kPowerPlotHeight = 200;
inline constexpr int kPhasePlotWidth = 230, kPhasePlotHeight = 250;
inline constexpr int kHistogramBins = 15;
inline constexpr int kAutocorrelationLags = 2000;

struct Histogram {
    double min = 0.0;  // the range always includes 0
    double max = 0.0;
    // Relative frequency of bins 1..15 at [0..14].
    std::array<double, kHistogramBins> frequency{};
};

// The samples the histogram counts: E(t) (samples 1..2800) for index 0,
// else A(t) of group `index`.
std::vector<double> HistogramSamples(const SignalModel& model, std::int32_t index);
// When every sample is 0 the bin width is 0; all samples then count in bin 1.
Histogram CountHistogram(const std::vector<double>& samples);
// The same for A(t), counted where it lies (a template only so that a
// braced list still means a vector).
template <typename Signal>
requires std::same_as<Signal, GroupSignal> Histogram CountHistogram(const Signal& samples);
// The histogram of the samples HistogramSamples names, counted where they
// lie (a long A(t) is not copied); a sample that is not finite throws.
Histogram HistogramOf(const SignalModel& model, std::int32_t index);

// Autocorrelation at lags 1..2000 ms ([0] is lag 1): index 0 for E(t),
// else group `index`.
std::vector<double> AutocorrelationValues(const SignalModel& model, std::int32_t index);

struct PowerLevels {
    std::array<Complex, kSpectrumBins> product{};   // row g1 times conjugate of row g2
    std::array<double, kSpectrumBins> amplitude{};  // at least 1e-300
    // Bins whose amplitude was 0 or less: no power and no phase, even when
    // every bin is such a bin and 1e-300 is therefore the largest amplitude.
    std::array<bool, kSpectrumBins> silent{};
    double maxLog = 0.0;  // largest log10 of the amplitudes
};
// From rows g1 and g2 of GroupSpectra (g < 1 stands for row 0).
PowerLevels ComputePowerLevels(const SignalModel& model, std::int32_t g1, std::int32_t g2);
// From two spectrum rows of 51 bins given directly (a recording's).
PowerLevels ComputePowerLevels(const std::vector<Complex>& row1, const std::vector<Complex>& row2);

// Texts of the plots.
std::string HistogramTitle(std::int32_t index);        // "amplitudehistogram of Et"
std::string AutocorrelationTitle(std::int32_t index);  // "autocorrelation of At(2)"
std::string PowerSpectrumTitle(std::int32_t g1, std::int32_t g2);
std::string CrossPhaseTitle(std::int32_t g1, std::int32_t g2);
std::string RepetitionText(bool withRepetition);  // "with repetition" / "  no repetition"

void DrawHistogram(const SignalModel& model, std::int32_t index, common::PlotSurface& plot);
void DrawAutocorrelation(const SignalModel& model, std::int32_t index, common::PlotSurface& plot);
void DrawPowerSpectrum(const SignalModel& model, std::int32_t g1, std::int32_t g2,
                       common::PlotSurface& plot);

// The histogram drawn from its counts.
void DrawCountedHistogram(const Histogram& h, const std::string& title, common::PlotSurface& s);
// The same drawings of any signal: the samples counted, the autocorrelation
// values at lags 1..2000 ms, the power levels; the title names the signal.
void DrawHistogramOf(const std::vector<double>& samples, const std::string& title,
                     common::PlotSurface& plot);
void DrawAutocorrelationOf(const std::vector<double>& values, const std::string& title,
                           common::PlotSurface& plot);
// `cornerText` is written right-aligned above the plot (the repetition state).
void DrawPowerLevels(const PowerLevels& levels, const std::string& cornerText,
                     const std::string& title, common::PlotSurface& plot);

// The phase of the cross spectrum of rows g1 and g2 at the bins within three
// decades of the strongest.
void DrawCrossPhase(const SignalModel& model, std::int32_t g1, std::int32_t g2,
                    common::PlotSurface& plot);

}  // namespace ecgtrace
