#include "ecgtrace/model/signal_measures.h"

#include <cmath>
#include <numeric>

#include "ecgtrace/model/analysis_plots.h"
#include "ecgtrace/model/signal_model.h"

namespace ecgtrace {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRateHz = 1000.0 / kSampleSpacingMs;

std::vector<double> LessMean(const std::vector<double>& samples) {
    if (samples.empty()) return {};
    const double mean =
        std::accumulate(samples.begin(), samples.end(), 0.0) / static_cast<double>(samples.size());
    std::vector<double> x(samples.size());
    for (std::size_t i = 0; i < x.size(); ++i) x[i] = samples[i] - mean;
    return x;
}

// Welch's power at bins 0..lastBin of segments of `length` samples.
std::vector<double> WelchPower(const std::vector<double>& samples, std::size_t length,
                               std::size_t lastBin) {
    const std::vector<double> x = LessMean(samples);
    std::vector<double> power(lastBin + 1, 0.0);
    if (x.size() < length) return power;
    std::vector<double> window(length);
    for (std::size_t n = 0; n < length; ++n)
        window[n] = 0.5 - 0.5 * std::cos(2 * kPi * static_cast<double>(n) / length);
    const std::size_t step = length / 2;
    std::size_t segments = 0;
    std::vector<double> piece(length);
    for (std::size_t start = 0; start + length <= x.size(); start += step, ++segments) {
        for (std::size_t n = 0; n < length; ++n) piece[n] = window[n] * x[start + n];
        for (std::size_t k = 0; k <= lastBin; ++k) {
            double re = 0.0, im = 0.0;
            for (std::size_t n = 0; n < length; ++n) {
                const double phase = 2 * kPi * static_cast<double>((k * n) % length) / length;
                re += piece[n] * std::cos(phase);
                im -= piece[n] * std::sin(phase);
            }
            power[k] += re * re + im * im;
        }
    }
    for (double& p : power) p /= static_cast<double>(segments);
    return power;
}

}  // namespace

std::vector<double> SampledAutocorrelation(const std::vector<double>& samples) {
    const std::vector<double> x = LessMean(samples);
    const auto maxLag = static_cast<std::size_t>(kAutocorrelationLags / kSampleSpacingMs);
    std::vector<double> atSample(maxLag + 1, 0.0);
    const double energy = std::inner_product(x.begin(), x.end(), x.begin(), 0.0);
    if (energy > 0)
        for (std::size_t m = 0; m <= maxLag && m < x.size(); ++m)
            atSample[m] = std::inner_product(x.begin() + static_cast<std::ptrdiff_t>(m), x.end(),
                                             x.begin(), 0.0) /
                          energy;
    std::vector<double> values;
    values.reserve(kAutocorrelationLags);
    for (int tau = 1; tau <= kAutocorrelationLags; ++tau) {
        const double lag = tau / kSampleSpacingMs;
        const auto below = static_cast<std::size_t>(lag);
        const double part = lag - static_cast<double>(below);
        const double high = below + 1 <= maxLag ? atSample[below + 1] : atSample[below];
        values.push_back(atSample[below] + part * (high - atSample[below]));
    }
    return values;
}

std::vector<Complex> SampledSpectrumRow(const std::vector<double>& samples) {
    const std::vector<double> power =
        WelchPower(samples, static_cast<std::size_t>(kRateHz), kSpectrumBins - 1);
    std::vector<Complex> row(kSpectrumBins);
    for (std::size_t k = 0; k < row.size(); ++k) row[k] = Complex{std::sqrt(power[k]), 0.0};
    return row;
}

SignalMeasures MeasureSignal(const std::vector<double>& samples) {
    constexpr std::size_t kLength = 400;  // 4 s
    constexpr double kBinHz = kRateHz / kLength;
    constexpr auto kLowBin = static_cast<std::size_t>(1.0 / kBinHz);
    constexpr auto kHighBin = static_cast<std::size_t>(20.0 / kBinHz);
    const std::vector<double> p = WelchPower(samples, kLength, kHighBin + 1);
    std::size_t peak = kLowBin;
    for (std::size_t k = kLowBin; k <= kHighBin; ++k)
        if (p[k] > p[peak]) peak = k;
    double total = 0.0;
    for (std::size_t k = kLowBin; k <= kHighBin; ++k) total += p[k];
    SignalMeasures m;
    if (!(p[peak] > 0) || !std::isfinite(total)) return m;

    double shift = 0.0;
    const double curvature = p[peak - 1] - 2 * p[peak] + p[peak + 1];
    if (curvature < 0) shift = 0.5 * (p[peak - 1] - p[peak + 1]) / curvature;
    const double dominant = (static_cast<double>(peak) + shift) * kBinHz;
    m.dominantFrequencyHz = dominant;

    double inPeaks = 0.0;
    for (std::size_t k = kLowBin; k <= kHighBin; ++k) {
        const double f = static_cast<double>(k) * kBinHz;
        const double harmonic = std::max(1.0, std::round(f / dominant));
        if (std::fabs(f - harmonic * dominant) <= 0.5 + 1e-9) inPeaks += p[k];
    }
    m.organisationIndex = inPeaks / total;
    return m;
}

}  // namespace ecgtrace
