#include "myogrid/engine/delay_function.h"

#include <algorithm>
#include <cstdlib>

#include "common/numeric.h"
#include "myogrid/engine/block_dynamics.h"
#include "myogrid/engine/parameter_definitions.h"

namespace myogrid {

std::vector<LatencyPoint> DelayFunction(const ParameterSource& params, std::int64_t limit) {
    const std::int32_t nexuses = NexusesPerCell(params);
    if (nexuses == 0) common::FloatDivide(1, 0);  // the message of a division by zero
    const double delayF = params.Real(Param::DelayF);
    const ThresholdFunction threshold(params);
    std::vector<LatencyPoint> curve;
    curve.reserve(static_cast<std::size_t>(std::max(nexuses, 0)) + 1);
    for (std::int32_t i = 0; i <= nexuses; ++i) {
        const double a = delayF * i / nexuses;
        double b = 0.0;
        LatencyPoint point;
        point.input = i;
        while (point.steps < limit) {
            if (i >= threshold.At(common::Round(b))) {
                point.excited = true;
                break;
            }
            b = b + 1 - a;
            ++point.steps;
        }
        if (!point.excited && i >= threshold.At(common::Round(b))) point.excited = true;
        curve.push_back(point);
    }
    return curve;
}

common::DataTable DelayFunctionTable(const std::vector<LatencyPoint>& curve) {
    common::DataTable table;
    table.columns = {"active_nexuses", "latency_ms"};
    for (const LatencyPoint& point : curve)
        table.rows.push_back(
            {static_cast<double>(point.input),
             point.excited ? static_cast<double>(point.steps) : common::DataTable::kNoValue});
    return table;
}

std::int64_t DelayFunctionDataLimit(const ParameterSource& params) {
    return std::max<std::int64_t>(
        1000, 10 * static_cast<std::int64_t>(std::abs(params.Integer(Param::Refractory))));
}

}  // namespace myogrid
