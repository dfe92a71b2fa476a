#include "myogrid/engine/run_controller.h"

#include "common/file_io.h"
#include "support/work_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace myogrid {
namespace {

std::vector<StepReport> Steps(RunController& run, int count) {
    std::vector<StepReport> steps;
    for (int i = 0; i < count; ++i) steps.push_back(run.Step(BlockSwitches{}));
    return steps;
}

void ExpectSame(const std::vector<StepReport>& a, const std::vector<StepReport>& b) {
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].modelTime, b[i].modelTime) << "step " << i;
        EXPECT_EQ(a[i].activeCount, b[i].activeCount) << "step " << i;
        EXPECT_EQ(a[i].trace1, b[i].trace1) << "step " << i;
    }
}

// A "connex.txt" that cannot be written (here a folder of that name) is
// reported, and the block built in memory still runs.
TEST(RunController, UnwritableNexusTableKeepsTheBlock) {
    testing_support::ScopedWorkDir dir;
    std::filesystem::create_directory(dir.File("connex.txt"));
    RunController run;
    run.Parameters().SetInteger(Param::Dimension, 5);
    run.Open(ModelKind::Topological);
    run.ChooseSeed(3);
    const BuildOutcome built = run.BuildIfDue();
    EXPECT_TRUE(built.built);
    ASSERT_TRUE(built.connexionFailure.has_value());
    EXPECT_NE(built.connexionFailure->find("connex.txt"), std::string::npos);
    ASSERT_TRUE(run.Built());
    EXPECT_FALSE(run.BuildDue()) << "the block in memory serves the next run";
    run.StartRun(BlockSwitches{});
    const std::vector<StepReport> steps = Steps(run, 20);
    EXPECT_EQ(steps.back().modelTime, 40);

    // The same seed where the file can be written: the same steps.
    testing_support::ScopedWorkDir writable;
    RunController again;
    again.Parameters().SetInteger(Param::Dimension, 5);
    again.Open(ModelKind::Topological);
    again.ChooseSeed(3);
    EXPECT_FALSE(again.BuildIfDue().connexionFailure.has_value());
    EXPECT_EQ(common::ReadWholeFile(writable.File("connex.txt")),
              again.Engine().Block().ConnexionTable());
    again.StartRun(BlockSwitches{});
    ExpectSame(Steps(again, 20), steps);
}

// When a run builds anew, and that a chosen seed repeats every run of a build.
TEST(RunController, BuildsWhenDueAndAChosenSeedRepeatsRuns) {
    testing_support::ScopedWorkDir dir;
    RunController run;
    run.Parameters().SetInteger(Param::Dimension, 4);
    run.Open(ModelKind::Topological);
    run.ChooseSeed(9);
    EXPECT_TRUE(run.BuildDue()) << "nothing in memory";
    ASSERT_TRUE(run.BuildIfDue().built);
    EXPECT_EQ(run.BuildSeed(), std::optional<std::uint64_t>(9));
    EXPECT_FALSE(run.BuildIfDue().built);

    run.StartRun(BlockSwitches{});
    const std::vector<StepReport> first = Steps(run, 30);
    EXPECT_EQ(run.RepeatingSeed(), std::optional<std::uint64_t>(9));
    run.StartRun(BlockSwitches{});
    ExpectSame(Steps(run, 30), first);

    run.ChooseSeed(10);
    EXPECT_TRUE(run.BuildDue()) << "another seed";
    run.ChooseSeed(9);
    run.Parameters().SetInteger(Param::XNexus, 17);
    EXPECT_TRUE(run.BuildDue()) << "another structure";
    run.Parameters().SetInteger(Param::XNexus, 18);
    run.Open(ModelKind::Topological);
    EXPECT_TRUE(run.BuildDue()) << "opened afresh";

    // The oscillators of the layer x = 0 whatever the values said.
    run.Parameters().SetInteger(Param::Osc1X, 3);
    run.Open(ModelKind::IndependentOscillators);
    EXPECT_EQ(run.Parameters().Integer(Param::Osc1X), 0);
}

// The step observer (the record of a run) sees every step as it is made.
TEST(RunController, StepObserverSeesEveryStep) {
    testing_support::ScopedWorkDir dir;
    RunController run;
    run.Open(ModelKind::CoupledOscillators);
    run.BuildIfDue();
    std::vector<std::int64_t> seen;
    run.SetStepObserver([&](const StepReport& step) { seen.push_back(step.modelTime); });
    run.StartRun(BlockSwitches{});
    const std::vector<StepReport> steps = Steps(run, 3);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen.back(), steps.back().modelTime);
    EXPECT_FALSE(common::FileExists(dir.File("connex.txt"))) << "only the block writes it";
}

}  // namespace
}  // namespace myogrid
