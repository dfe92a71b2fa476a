#pragma once
// The texts the main window shows for the model's numbers.
#include <cstdint>
#include <string>

#include "ecgtrace/model/signal_model.h"

namespace ecgtrace {

std::string TGroupText(const SignalModel& m, std::int32_t g);  // "T for group 1 = 221"
std::string fText(const SignalModel& m, std::int32_t g);       // "21.00"
std::string FText(const SignalModel& m, std::int32_t g);       // "0.75"
std::string M1Text(const SignalModel& m, std::int32_t g);      // "m1 = 66.00000"
std::string M2Text(const SignalModel& m, std::int32_t g);      // "m2 = 116.00000"
std::string P0Text(const SignalModel& m, std::int32_t g);      // "0.10"
// A weight that is not finite throws: it is never shown as "nan".
std::string PHalfText(const SignalModel& m, std::int32_t g);   // "p half = 0.290"
std::string PWholeText(const SignalModel& m, std::int32_t g);  // "p whole = 0.706"
std::string EStartText(const SignalModel& m);                  // "E(0)"
std::string EEndText(const SignalModel& m);                    // "E(2800)"

}  // namespace ecgtrace
