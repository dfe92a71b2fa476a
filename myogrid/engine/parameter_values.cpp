#include "myogrid/engine/parameter_values.h"

#include "common/number_format.h"

#include <algorithm>

namespace myogrid {

ParameterValues::ParameterValues() {
    for (const ParameterDefinition& definition : kParameterDefinitions) {
        if (definition.real) {
            SetReal(definition.param, common::ParseFloat(definition.defaultText));
        } else {
            SetInteger(definition.param, common::ParseInteger(definition.defaultText));
        }
    }
}

void ParameterValues::ClampToControlRanges() {
    // Table order, so the dependent maxima see the values already clamped.
    for (const ParameterDefinition& definition : kParameterDefinitions) {
        if (definition.real) continue;
        const std::int32_t max = DependentMaximum(definition.param, *this).value_or(definition.max);
        // A control whose minimum is not below its maximum does not clamp.
        if (definition.min >= max) continue;
        SetInteger(definition.param, std::clamp(Integer(definition.param), definition.min, max));
    }
}

}  // namespace myogrid
