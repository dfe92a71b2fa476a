#include "myogrid/engine/parameter_values.h"

#include <algorithm>

namespace myogrid {

namespace {

struct Entry {
    Param param;
    double value;  // default
    IntegerRange range;
};

// Defaults and control ranges, in table order.
constexpr Entry kEntries[kParamCount] = {
    {Param::Dimension, 10, {5, 13}},
    {Param::XNexus, 18, {0, 35}},
    {Param::XyXzNexus, 3, {0, 35}},
    {Param::XyzNexus, 1, {0, 35}},
    {Param::Threshold, 14, {0, 68}},
    {Param::Excited, 4, {0, 20}},
    {Param::Active, 170, {0, 200}},
    {Param::AbsRefr, 24, {0, 40}},
    {Param::Diversity, 0.5, {0, 0}},
    {Param::Refractory, 90, {0, 200}},
    {Param::StepUnit, 2, {1, 10}},
    {Param::Cell1X, 5, {0, 10}},
    {Param::Cell1Y, 5, {0, 10}},
    {Param::Cell1Z, 5, {0, 10}},
    {Param::Cell2X, 10, {0, 10}},
    {Param::Cell2Y, 0, {0, 10}},
    {Param::Cell2Z, 0, {0, 10}},
    {Param::DelayL, -0.22, {0, 0}},
    {Param::DelayC, 42, {0, 50}},
    {Param::DelayF, 0.75, {0, 0}},
    {Param::Period, 4000, {0, 30000}},
    {Param::ExtraInterval, 220, {0, 1000}},
    {Param::EnvWeight, 0.95, {0, 0}},
    {Param::StartFraction, 0.17, {0, 0}},
    {Param::PhaseVariability, 0.05, {0, 0}},
    {Param::PeriodVariability, 0.01, {0, 0}},
    {Param::OscStepUnit, 2, {1, 10}},
    {Param::OscDimension, 5, {3, 13}},
    {Param::Osc1X, 2, {0, 5}},
    {Param::Osc1Y, 2, {0, 5}},
    {Param::Osc1Z, 0, {0, 5}},
    {Param::Osc2X, 5, {0, 5}},
    {Param::Osc2Y, 0, {0, 5}},
    {Param::Osc2Z, 0, {0, 5}},
};

bool IsCellCoordinate(Param p) { return p >= Param::Cell1X && p <= Param::Cell2Z; }
bool IsOscCoordinate(Param p) { return p >= Param::Osc1X && p <= Param::Osc2Z; }

}  // namespace

ParameterValues::ParameterValues() {
    for (const Entry& e : kEntries) {
        const int i = static_cast<int>(e.param);
        if (IsRealParam(e.param)) {
            reals_[i] = e.value;
        } else {
            integers_[i] = static_cast<std::int32_t>(e.value);
        }
    }
}

IntegerRange ControlRange(Param p) { return kEntries[static_cast<int>(p)].range; }

std::int32_t NexusesPerCell(const ParameterSource& params) {
    return 2 * params.Integer(Param::XNexus) + 8 * params.Integer(Param::XyXzNexus) +
           8 * params.Integer(Param::XyzNexus);
}

void ParameterValues::ClampToControlRanges() {
    // Table order, so the dependent maxima see the values already clamped.
    for (const Entry& e : kEntries) {
        if (IsRealParam(e.param)) continue;
        IntegerRange range = e.range;
        if (e.param == Param::Threshold) range.max = NexusesPerCell(*this);
        if (IsCellCoordinate(e.param)) range.max = Integer(Param::Dimension);
        if (IsOscCoordinate(e.param)) range.max = Integer(Param::OscDimension);
        // A control whose minimum is not below its maximum does not clamp.
        if (range.min >= range.max) continue;
        SetInteger(e.param, std::clamp(Integer(e.param), range.min, range.max));
    }
}

}  // namespace myogrid
