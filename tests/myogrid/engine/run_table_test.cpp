// The columns of a run's table and the bounded steps of a sweep.
#include "myogrid/engine/run_table.h"

#include <gtest/gtest.h>

using namespace myogrid;

TEST(RunTable, BlockAndOscillatorsNameTheirLastColumn) {
    EXPECT_EQ(RunCsvHeader(ModelKind::Topological), "model_time_ms,trace1,trace2,active_count\n");
    EXPECT_EQ(RunCsvHeader(ModelKind::OneOscillator),
              "model_time_ms,trace1,trace2,mean_amplitude\n");
    StepReport step;
    step.modelTime = 14;
    step.activeCount = 3;
    step.meanAmplitude = 0.1;
    step.trace1 = 1.0 / 3;
    step.trace2 = 2;
    EXPECT_EQ(RunCsvLine(ModelKind::Topological, step), "14,0.3333333333333333,2,3\n");
    EXPECT_EQ(RunCsvLine(ModelKind::CoupledOscillators, step), "14,0.3333333333333333,2,0.1\n");
    // Model time is a whole number, also beyond 32 bits and when round.
    step.modelTime = 100000;
    EXPECT_EQ(RunCsvLine(ModelKind::Topological, step).substr(0, 7), "100000,");
    step.modelTime = 5000000000;
    EXPECT_EQ(RunCsvLine(ModelKind::Topological, step).substr(0, 11), "5000000000,");
}

TEST(RunTable, ASweepKeepsItsLatestStepsWithinItsBound) {
    SweepSteps sweep;
    StepReport step;
    for (std::size_t i = 0; i < SweepSteps::kMaxSteps + 10; ++i) {
        step.modelTime = static_cast<std::int64_t>(i);
        sweep.Add(step);
    }
    ASSERT_EQ(sweep.Steps().size(), SweepSteps::kMaxSteps);
    EXPECT_EQ(sweep.Steps().front().modelTime, 10);
    EXPECT_EQ(sweep.Table(ModelKind::Topological).rows.back().front(),
              static_cast<double>(SweepSteps::kMaxSteps + 9));
    sweep.Clear();
    EXPECT_TRUE(sweep.Steps().empty());
}
