#include "myogrid/engine/parameter_values.h"

#include "common/number_format.h"

#include <algorithm>

namespace myogrid {

ParameterValues::ParameterValues() {
    for (const ParameterSpec& spec : kParameterSpecs) {
        if (spec.real) {
            SetReal(spec.param, common::ParseFloat(spec.defaultText));
        } else {
            SetInteger(spec.param, common::ParseInteger(spec.defaultText));
        }
    }
}

void ParameterValues::ClampToControlRanges() {
    // Table order, so the dependent maxima see the values already clamped.
    for (const ParameterSpec& spec : kParameterSpecs) {
        if (spec.real) continue;
        const std::int32_t max = DependentMaximum(spec.param, *this).value_or(spec.max);
        // A control whose minimum is not below its maximum does not clamp.
        if (spec.min >= max) continue;
        SetInteger(spec.param, std::clamp(Integer(spec.param), spec.min, max));
    }
}

}  // namespace myogrid
