#pragma once
// The latency of a resting cell against its input: for each number of
// active nexuses i (0..NexusesPerCell), the steps of one millisecond until
// the cell is excited. Its excitability b starts at 0 and grows by 1 - a per
// step, a = F * i / NexusesPerCell; the cell is excited once i reaches the
// threshold at b.
#include <cstdint>
#include <vector>

#include "common/plot_export.h"
#include "myogrid/engine/parameter_source.h"

namespace myogrid {

struct LatencyPoint {
    std::int32_t input = 0;  // active nexuses
    std::int64_t steps = 0;  // until excited, or `limit`
    bool excited = false;    // false: not within `limit` steps
};

// One point per input 0..NexusesPerCell; a search stops after `limit`
// steps. Throws "Floating point division by zero" when NexusesPerCell is 0.
std::vector<LatencyPoint> DelayFunction(const ParameterSource& params, std::int64_t limit);

// The curve as a table: "active_nexuses", "latency_ms" (no value where the
// cell is not excited within `limit` steps).
common::DataTable DelayFunctionTable(const std::vector<LatencyPoint>& curve);

// The search limit the data export uses: ten times the refractory length,
// at least 1000 ms.
std::int64_t DelayFunctionDataLimit(const ParameterSource& params);

}  // namespace myogrid
