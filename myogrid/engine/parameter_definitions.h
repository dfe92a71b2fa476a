#pragma once
// Every model parameter in one table: its key in "Myogrid.par", whether it
// is whole or real, its default, the range and arrow step of its control and
// the parameter that bounds it from above. The file, the defaults, the
// model window's controls and the clamping all read this table.
#include "myogrid/engine/parameter_source.h"

#include <array>
#include <cstdint>
#include <optional>

namespace myogrid {

// The value that bounds an integer parameter from above, where another
// parameter sets it.
enum class UpperBound {
    Fixed,           // the control's own maximum
    NexusesPerCell,  // threshold: at most the nexuses of one cell
    Dimension,       // traced cell coordinates
    OscDimension,    // traced oscillator coordinates
};

struct ParameterDefinition {
    Param param;
    const char* key;          // "dimension=": the key of its line in the file
    bool real;                // a real number; otherwise whole
    const char* defaultText;  // the value without a file ("10", "-0.22")
    std::int32_t min = 0;     // fixed range of a whole number's control
    std::int32_t max = 0;
    std::int32_t increment = 1;  // arrow step of a whole number's control
    UpperBound upperBound = UpperBound::Fixed;
};

// In the order of Param, which is the order of the file's lines.
inline constexpr std::array<ParameterDefinition, kParamCount> kParameterDefinitions = {{
    {Param::Dimension, "dimension=", false, "10", 5, 13},
    {Param::XNexus, "x nexus=", false, "18", 0, 35},
    {Param::XyXzNexus, "xy, xz nexus=", false, "3", 0, 35},
    {Param::XyzNexus, "xyz nexus=", false, "1", 0, 35},
    {Param::Threshold, "threshold=", false, "14", 0, 68, 1, UpperBound::NexusesPerCell},
    {Param::Excited, "excited=", false, "4", 0, 20},
    {Param::Active, "active=", false, "170", 0, 200, 5},
    {Param::AbsRefr, "abs. refr.=", false, "24", 0, 40},
    {Param::Diversity, "diversity=", true, "0.5"},
    {Param::Refractory, "refractory=", false, "90", 0, 200},
    {Param::StepUnit, "step unit=", false, "2", 1, 10},
    {Param::Cell1X, "cell 1 x=", false, "5", 0, 10, 1, UpperBound::Dimension},
    {Param::Cell1Y, "cell 1 y=", false, "5", 0, 10, 1, UpperBound::Dimension},
    {Param::Cell1Z, "cell 1 z=", false, "5", 0, 10, 1, UpperBound::Dimension},
    {Param::Cell2X, "cell 2 x=", false, "10", 0, 10, 1, UpperBound::Dimension},
    {Param::Cell2Y, "cell 2 y=", false, "0", 0, 10, 1, UpperBound::Dimension},
    {Param::Cell2Z, "cell 2 z=", false, "0", 0, 10, 1, UpperBound::Dimension},
    {Param::DelayL, "L=", true, "-0.22"},
    {Param::DelayC, "C=", false, "42", 0, 50},
    {Param::DelayF, "F=", true, "0.75"},
    {Param::Period, "period=", false, "4000", 0, 30000, 25},
    {Param::ExtraInterval, "extra interval=", false, "220", 0, 1000},
    {Param::EnvWeight, "env. weight=", true, "0.95"},
    {Param::StartFraction, "start fraction=", true, "0.17"},
    {Param::PhaseVariability, "phase variability=", true, "0.05"},
    {Param::PeriodVariability, "period variability=", true, "0.01"},
    {Param::OscStepUnit, "osc. step unit=", false, "2", 1, 10},
    {Param::OscDimension, "osc. dimension=", false, "5", 3, 13},
    {Param::Osc1X, "osc. 1 x=", false, "2", 0, 5, 1, UpperBound::OscDimension},
    {Param::Osc1Y, "osc. 1 y=", false, "2", 0, 5, 1, UpperBound::OscDimension},
    {Param::Osc1Z, "osc. 1 z=", false, "0", 0, 5, 1, UpperBound::OscDimension},
    {Param::Osc2X, "osc. 2 x=", false, "5", 0, 5, 1, UpperBound::OscDimension},
    {Param::Osc2Y, "osc. 2 y=", false, "0", 0, 5, 1, UpperBound::OscDimension},
    {Param::Osc2Z, "osc. 2 z=", false, "0", 0, 5, 1, UpperBound::OscDimension},
}};

constexpr const ParameterDefinition& DefinitionOf(Param p) {
    return kParameterDefinitions[static_cast<std::size_t>(p)];
}

// True for the real-valued parameters (Diversity, L, F, env. weight,
// start fraction, phase and period variability).
constexpr bool IsRealParam(Param p) { return DefinitionOf(p).real; }

// 2 * XNexus + 8 * XyXzNexus + 8 * XyzNexus: the mean nexus total of a cell.
std::int32_t NexusesPerCell(const ParameterSource& params);

// The maximum another parameter sets for `p` (read from `values`); nothing
// for a parameter with a fixed range.
std::optional<std::int32_t> DependentMaximum(Param p, const ParameterSource& values);

}  // namespace myogrid
