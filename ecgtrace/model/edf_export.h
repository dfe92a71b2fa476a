#pragma once
// E(t) as a biosignal file: EDF+ with one signal "E" of 100 samples per
// second (samples 1..2800, the first at 10 ms), 16-bit, written with EDFlib.
// Any EDF reader gets E(t) back within one digital step.
#include <string>

#include "ecgtrace/model/signal_model.h"

namespace ecgtrace {

// The physical range of the signal: the smallest and largest sample rounded
// outward to values the header's 8-character fields hold exactly.
struct EdfRange {
    double minimum = 0.0, maximum = 0.0;
    std::string minimumText, maximumText;
};
// Throws AppError when a value needs more than 8 characters in any form.
EdfRange EdfPhysicalRange(double smallest, double largest);

// The EDF+ file of samples 1..2800 of E(t); its physical dimension is
// "a.u." (arbitrary units).
std::string EdfBytes(const SignalModel& model);
// Writes EdfBytes, replacing `path` atomically.
void WriteEdf(const SignalModel& model, const std::string& path);

}  // namespace ecgtrace
