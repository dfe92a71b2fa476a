#pragma once
// The plots of the analysis window (teal pen on yellow) and the values they
// are drawn from: amplitude histogram, autocorrelation, power spectrum,
// cross phase spectrum, and the switch of the repetition effect.
// ImageHist 210x200, ImageCorrel 230x250, ImagePower 210x200, ImagePhase 230x250.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/plot_surface.h"
#include "ecgtrace/model/signal_model.h"

namespace ecgtrace {

inline constexpr int kImageHistWidth = 210, kImageHistHeight = 200;
inline constexpr int kImageCorrelWidth = 230, kImageCorrelHeight = 250;
inline constexpr int kImagePowerWidth = 210, kImagePowerHeight = 200;
inline constexpr int kImagePhaseWidth = 230, kImagePhaseHeight = 250;
inline constexpr int kHistogramBins = 15;
inline constexpr int kAutocorrelationLags = 2000;

inline constexpr const char* kShowRepetitionCaption = "show repetition effect";
inline constexpr const char* kRemoveRepetitionCaption = "remove repetition effect";

struct Histogram {
    double min = 0.0;  // the range always includes 0
    double max = 0.0;
    // Relative frequency of bins 1..15 at [0..14].
    std::array<double, kHistogramBins> frequency{};
};

// The samples the histogram counts: E(t) (samples 1..2800) while the E(t)
// tab is active, else A(t) of group `index`.
std::vector<double> HistogramSamples(const SignalModel& model, std::int32_t index);
// When every sample is 0 the bin width is 0; all samples then count in bin 1.
Histogram CountHistogram(const std::vector<double>& samples);

// Autocorrelation at lags 1..2000 ms ([0] is lag 1): index 0 for E(t),
// else group `index`.
std::vector<double> AutocorrelationValues(const SignalModel& model, std::int32_t index);

struct PowerLevels {
    std::array<TComplex, kSpectrumBins> product{};  // row g1 times conjugate of row g2
    std::array<double, kSpectrumBins> amplitude{};  // at least 1e-300
    // Bins whose amplitude was 0 or less: no power and no phase, even when
    // every bin is such a bin and 1e-300 is therefore the largest amplitude.
    std::array<bool, kSpectrumBins> silent{};
    double maxLog = 0.0;                            // largest log10 of the amplitudes
};
// From rows g1 and g2 of GroupSpectra (g < 1 stands for row 0).
PowerLevels ComputePowerLevels(const SignalModel& model, std::int32_t g1, std::int32_t g2);

// Texts of the plots.
std::string HistogramTitle(std::int32_t index);        // "amplitudehistogram of Et"
std::string AutocorrelationTitle(std::int32_t index);  // "autocorrelation of At(2)"
std::string PowerSpectrumTitle(std::int32_t g1, std::int32_t g2);
std::string CrossPhaseTitle(std::int32_t g1, std::int32_t g2);
std::string RepetitionText(bool withRepetition);      // "with repetition" / "  no repetition"

void DrawHistogram(const SignalModel& model, std::int32_t index, common::PlotSurface& imageHist);
void DrawAutocorrelation(const SignalModel& model, std::int32_t index,
                         common::PlotSurface& imageCorrel);
void DrawPowerSpectrum(const SignalModel& model, std::int32_t g1, std::int32_t g2,
                       common::PlotSurface& imagePower);

// What the analysis window shows on its controls after these actions.
struct RepetitionButtonState {
    std::string caption;      // ButtonRep
    bool enabled = false;     // ButtonRep
    bool crossPhaseVisible = false;  // the "cross phase spectrum" page
};

// The analysis window's caption and analysed index: E(t) (index 0) while the
// E(t) tab is active, else the actual group, against the cross group when
// that differs.
struct AnalysisCaption {
    std::string caption;  // "Signal analysis of E(t)", "Signal analysis of At(2) versus At(3)"
    std::int32_t analysedIndex = 0;
};
AnalysisCaption UpdateAnalysisCaption(const SignalModel& model);

// Sets RepetitionFlag[g1] (g1 is the analysed index), recomputes rows g1 and
// g2 with the repetition effect and plots the phase of their cross spectrum.
// Returns the state of ButtonRep: "remove repetition effect", enabled.
RepetitionButtonState DrawCrossPhase(SignalModel& model, std::int32_t g1, std::int32_t g2,
                                     common::PlotSurface& imagePhase);

// ButtonRep: flips the repetition flag of `analysedIndex` and redraws the
// power spectrum (of E(t) unchanged while the E(t) tab is active, else of the
// actual group against the cross group, recomputed).
RepetitionButtonState ToggleRepetition(SignalModel& model, std::int32_t analysedIndex,
                                       common::PlotSurface& imagePower);
// The two halves of ToggleRepetition, so the flag, the caption, the disabled
// button and the cross phase page take effect whatever the drawing does.
// FlipRepetition returns the state with the button disabled.
RepetitionButtonState FlipRepetition(SignalModel& model, std::int32_t analysedIndex);
// Draws the power spectrum after a flip; true when the button is enabled
// again. For E(t) a spectrum row never built is built first (every group
// row with the repetition effect), the flag of E(t) left as flipped.
bool DrawRepetitionSpectrum(SignalModel& model, common::PlotSurface& imagePower);

}  // namespace ecgtrace
