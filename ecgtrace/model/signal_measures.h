#pragma once
// What the analysis needs from a signal given only by its samples (a
// recording's 28 s, or E(t)): the autocorrelation at the lags the plot
// draws, a power spectrum on the plot's 51 bins of 1 Hz, and two numbers to
// compare signals by: the dominant frequency and the organisation index.
#include <optional>
#include <vector>

#include "ecgtrace/model/complex_number.h"

namespace ecgtrace {

inline constexpr double kSampleSpacingMs = 10.0;  // 100 Hz, as E(t)

// Autocorrelation of the signal less its mean at lags 1..2000 ms ([0] is
// lag 1), 1 at lag 0; lags between samples are interpolated linearly.
std::vector<double> SampledAutocorrelation(const std::vector<double>& samples);

// Bins 0..50 Hz: Welch's average over 1 s Hann-windowed segments that
// overlap by half, of the signal less its mean. Each bin holds the root of
// its power as a real number, so a bin times its own conjugate is the power.
std::vector<Complex> SampledSpectrumRow(const std::vector<double>& samples);

struct SignalMeasures {
    // The strongest frequency between 1 and 20 Hz, refined between bins by
    // a parabola through the strongest bin and its neighbours; nothing for
    // a signal without power there.
    std::optional<double> dominantFrequencyHz;
    // Share of the power from 1 to 20 Hz that lies within 0.5 Hz of the
    // dominant frequency and of its harmonics (0..1; 1 is a pure periodic
    // signal).
    std::optional<double> organisationIndex;
};
// From a finer Welch spectrum (4 s segments, 0.25 Hz bins).
SignalMeasures MeasureSignal(const std::vector<double>& samples);

}  // namespace ecgtrace
