#include "myogrid/engine/parameter_definitions.h"

namespace myogrid {

namespace {

// The table is indexed by Param: each row must stand at its own index.
constexpr bool RowsInParamOrder() {
    for (std::size_t i = 0; i < kParameterDefinitions.size(); ++i)
        if (static_cast<std::size_t>(kParameterDefinitions[i].param) != i) return false;
    return true;
}
static_assert(RowsInParamOrder());

}  // namespace

std::int32_t NexusesPerCell(const ParameterSource& params) {
    return 2 * params.Integer(Param::XNexus) + 8 * params.Integer(Param::XyXzNexus) +
           8 * params.Integer(Param::XyzNexus);
}

std::optional<std::int32_t> DependentMaximum(Param p, const ParameterSource& values) {
    switch (DefinitionOf(p).upperBound) {
        case UpperBound::NexusesPerCell:
            return NexusesPerCell(values);
        case UpperBound::Dimension:
            return values.Integer(Param::Dimension);
        case UpperBound::OscDimension:
            return values.Integer(Param::OscDimension);
        case UpperBound::Fixed:
            break;
    }
    return std::nullopt;
}

}  // namespace myogrid
