#include "myogrid/engine/delay_function.h"

#include "common/errors.h"
#include "myogrid/engine/parameter_values.h"

#include <gtest/gtest.h>

#include <cmath>

namespace myogrid {
namespace {

// Threshold always 15 (L = 0) and no delay (F = 0): from 15 active nexuses
// on the cell is excited at once; below, never.
TEST(DelayFunction, LatencyPerInputAndItsTable) {
    ParameterValues params;
    params.SetReal(Param::DelayL, 0);
    params.SetReal(Param::DelayF, 0);
    const std::vector<LatencyPoint> curve = DelayFunction(params, 500);
    ASSERT_EQ(curve.size(), static_cast<std::size_t>(NexusesPerCell(params)) + 1);
    for (const LatencyPoint& point : curve) {
        SCOPED_TRACE(point.input);
        EXPECT_EQ(point.excited, point.input >= 15);
        EXPECT_EQ(point.steps, point.input >= 15 ? 0 : 500);
    }
    const common::DataTable table = DelayFunctionTable(curve);
    EXPECT_EQ(table.columns, (std::vector<std::string>{"active_nexuses", "latency_ms"}));
    EXPECT_TRUE(std::isnan(table.rows[14][1]));
    EXPECT_EQ(table.rows[15][1], 0.0);

    params.SetInteger(Param::XNexus, 0);
    params.SetInteger(Param::XyXzNexus, 0);
    params.SetInteger(Param::XyzNexus, 0);
    EXPECT_THROW(DelayFunction(params, 10), common::AppError);
}

}  // namespace
}  // namespace myogrid
