#pragma once
// Closed-form spectra of the groups' pulse pairs on 51 bins of 1 Hz, the
// repetition effect, and the spectrum of E(t) as their sum.
#include <cstdint>
#include <vector>

#include "ecgtrace/model/signal_model.h"
#include "ecgtrace/model/complex_number.h"

namespace ecgtrace {

// Bin k (k Hz) of the spectrum of a group with these parameters.
Complex GroupSpectrumBin(const GroupParameters& p, int k);

// g1 >= 1: computes rows g1 and g2 (g2 may equal g1); g1's repetition flag
// decides the repetition effect for both; the imaginary part of bin 50 of row
// g1 is cleared. g1 < 1: row 0 becomes the sum of rows 1..G as they stand.
void ComputeGroupSpectra(SignalModel& model, std::int32_t g1, std::int32_t g2);

// Keeps the harmonics of the group's period: odd ones weighted by
// |PHalf - PWhole|, even ones unchanged, every other bin scaled by 1e-100.
void ApplyRepetitionEffect(SignalModel& model, std::int32_t g);

// The spectra the analysis of E(t) works on: every group row with the
// repetition effect, then row 0 as their sum (flags 0..G left set).
void ComputeSumSignalSpectra(SignalModel& model);

// A spectrum row about to be printed or drawn: any non-finite part throws
// "Invalid floating point operation".
void RequireFiniteSpectrum(const std::vector<Complex>& row);

}  // namespace ecgtrace
