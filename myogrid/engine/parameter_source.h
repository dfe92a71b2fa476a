#pragma once
// Where the engine reads its model parameters at the moment it uses them:
// the model window implements this over its controls; tests and the batch
// tool use a plain table.
#include <cstdint>

namespace myogrid {

// The 34 model parameters, in the order of the lines of "Myogrid.par"
// (their keys, defaults and ranges: parameter_definitions.h).
enum class Param : int {
    Dimension,
    XNexus,
    XyXzNexus,
    XyzNexus,
    Threshold,
    Excited,
    Active,
    AbsRefr,
    Diversity,
    Refractory,
    StepUnit,
    Cell1X,
    Cell1Y,
    Cell1Z,
    Cell2X,
    Cell2Y,
    Cell2Z,
    DelayL,
    DelayC,
    DelayF,
    Period,
    ExtraInterval,
    EnvWeight,
    StartFraction,
    PhaseVariability,
    PeriodVariability,
    OscStepUnit,
    OscDimension,
    Osc1X,
    Osc1Y,
    Osc1Z,
    Osc2X,
    Osc2Y,
    Osc2Z,
};
inline constexpr int kParamCount = 34;

class ParameterSource {
public:
    virtual ~ParameterSource() = default;
    // The value as the control holds it now. Integer() of a real parameter
    // and Real() of an integer parameter are not used.
    virtual std::int32_t Integer(Param p) const = 0;
    virtual double Real(Param p) const = 0;
};

}  // namespace myogrid
