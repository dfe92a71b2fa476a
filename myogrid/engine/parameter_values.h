#pragma once
// A settable table of model parameters holding the program's defaults:
// the parameter source of the tests and of the batch tool.
#include "myogrid/engine/parameter_source.h"
#include "myogrid/engine/parameter_definitions.h"

#include <array>
#include <cstdint>

namespace myogrid {

class ParameterValues : public ParameterSource {
public:
    ParameterValues();  // the defaults ("dimension=10", "x nexus=18", ...)

    std::int32_t Integer(Param p) const override { return integers_[Index(p)]; }
    double Real(Param p) const override { return reals_[Index(p)]; }

    void SetInteger(Param p, std::int32_t value) { integers_[Index(p)] = value; }
    void SetReal(Param p, double value) { reals_[Index(p)] = value; }

    // Clamps every integer to the range of its control in the model window,
    // with the maxima that depend on other values (threshold <= nexuses of
    // one cell, cell coordinates <= Dimension, oscillator coordinates <=
    // OscDimension), as the window does when it fills its controls.
    void ClampToControlRanges();

private:
    static int Index(Param p) { return static_cast<int>(p); }
    std::array<std::int32_t, kParamCount> integers_{};
    std::array<double, kParamCount> reals_{};
};

}  // namespace myogrid
