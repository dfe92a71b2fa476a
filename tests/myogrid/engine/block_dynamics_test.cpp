#include "myogrid/engine/block_dynamics.h"

#include "common/errors.h"
#include "engine_test_support.h"
#include "myogrid/engine/parameter_values.h"
#include "support/work_dir.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace myogrid {
namespace {

using enginetest::LowestDraws;
using enginetest::StubRandom;

// A 5 x 5 x 5 block laid with the lowest draws: weights 14 along x, 2 on
// the xy/xz diagonals and 0 on the xyz diagonals.
class BlockDynamics : public ::testing::Test {
protected:
    BlockDynamics() { params.SetInteger(Param::Dimension, 5); }

    void Build() {
        auto draws = LowestDraws();
        block.BuildBlock(params, draws);
        run.SetTraceCells(125, 125);
    }
    void Start(const BlockSwitches& s) {
        switches = s;
        run.StartBlockRun(switches);
    }
    void Step(int count = 1) {
        for (int i = 0; i < count; ++i) run.StepBlock(switches);
    }
    ModelCell& Cell(int x, int y, int z) { return block.Cell(CellBlock::CellIndex(x, y, z, 5)); }
    std::uint8_t EnvironmentState() { return block.Cell(125).CellState; }

    testing_support::ScopedWorkDir dir;
    ParameterValues params;
    CellBlock block;
    StubRandom random{[](std::uint32_t n) { return n - 1; }};
    BlockRun run{block, params, random};
    BlockSwitches switches;
};

BlockSwitches Resting() {
    BlockSwitches s;
    s.randomStart = false;
    return s;
}

TEST(ThresholdAt, FallsAsTheCellRecovers) {
    ParameterValues params;  // Threshold 14, L -0.22, C 42
    EXPECT_EQ(ThresholdAt(params, 0), 14 + 10301);
    EXPECT_EQ(ThresholdAt(params, 41), 14 + 1);  // e^0.22 rounds to 1
    EXPECT_EQ(ThresholdAt(params, 42), 15);
    EXPECT_EQ(ThresholdAt(params, 5000), 15);
    EXPECT_EQ(ThresholdAt(params, -1000), 14 + 485165195);  // e^20 at most
    params.SetReal(Param::DelayL, 0);
    EXPECT_EQ(ThresholdAt(params, 0), 15);
}

TEST_F(BlockDynamics, RestingStartLeavesEveryCellRelativeRefractory) {
    Build();
    Start(Resting());
    EXPECT_EQ(run.CycleLength(), 288);
    EXPECT_EQ(run.RefractoryStart(), 198);
    EXPECT_EQ(run.ActiveCount(), 0);
    EXPECT_EQ(run.ModelTime(), 0);
    for (int i = 0; i < 125; ++i) {
        EXPECT_EQ(block.Cell(i).Clock, 288);
        EXPECT_EQ(block.Cell(i).CellState, CellRelRefractory);
    }
    EXPECT_EQ(EnvironmentState(), EnvQuiet);
    // Without a stimulus nothing ever happens.
    Step(50);
    EXPECT_EQ(run.ModelTime(), 100);
    EXPECT_EQ(run.ActiveCount(), 0);
    EXPECT_EQ(Cell(2, 2, 2).Clock, 388);
}

TEST_F(BlockDynamics, RandomStartCountsTheActiveClocks) {
    Build();
    // Clocks 0, 1, 2, ... : active are those in Excited..Excited+Active-1 = 4..173.
    StubRandom sequence([n = 0u](std::uint32_t) mutable { return n++; });
    BlockRun counted(block, params, sequence);
    BlockSwitches s;
    counted.StartBlockRun(s);
    EXPECT_EQ(sequence.ranges, std::vector<std::uint32_t>(125, 288u));
    EXPECT_EQ(counted.ActiveCount(), 121);
    EXPECT_EQ(block.Cell(3).CellState, CellExcited);
    EXPECT_EQ(block.Cell(4).CellState, CellActive);

    // A cycle of length 0 gives clocks of 0.
    for (Param p : {Param::Excited, Param::Active, Param::AbsRefr, Param::Refractory})
        params.SetInteger(p, 0);
    SeededRandom seeded(3);
    BlockRun zero(block, params, seeded);
    zero.StartBlockRun(s);
    for (int i = 0; i < 125; ++i) ASSERT_EQ(block.Cell(i).Clock, 0);
}

TEST_F(BlockDynamics, FiftyHzIsQuietOnlyAtTenPastEachTwenty) {
    params.SetInteger(Param::Period, 200);
    Build();
    BlockSwitches s = Resting();
    s.fiftyHzStart = true;
    Start(s);
    for (int step = 1; step <= 150; ++step) {
        Step();
        const int t = run.ModelTime();
        const bool quiet = t >= 200 || t % 20 == 10;
        ASSERT_EQ(EnvironmentState(), quiet ? EnvQuiet : EnvStimulating) << "ModelTime " << t;
        if (t < 200 && !quiet) {
            ASSERT_EQ(block.Cell(125).Clock, static_cast<std::uint16_t>(t % 20 - 10));
        }
    }
}

// When the environment stimulates with "extra" ticked: after the interval
// and after the period; with 50 Hz also ticked the extra rule decides, its
// pulses overwriting those of the first period step by step.
TEST_F(BlockDynamics, ExtraStimulatesAfterTheIntervalAndAfterThePeriod) {
    const struct {
        int period, interval, steps;
        bool fiftyHz;
        std::vector<int> stimulating;
    } cases[] = {
        {4000, 220, 2010, false, {220, 222, 224, 4000, 4002, 4004}},
        {100, 40, 60, true, {40, 42, 44, 100, 102, 104}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.period);
        params.SetInteger(Param::Period, c.period);
        params.SetInteger(Param::ExtraInterval, c.interval);
        Build();
        BlockSwitches s = Resting();
        s.fiftyHzStart = c.fiftyHz;
        s.extra = true;
        Start(s);
        std::vector<int> stimulating;
        for (int step = 1; step <= c.steps; ++step) {
            Step();
            if (EnvironmentState() == EnvStimulating) {
                stimulating.push_back(run.ModelTime());
                ASSERT_EQ(block.Cell(125).Clock, 1) << "ModelTime " << run.ModelTime();
            }
        }
        EXPECT_EQ(stimulating, c.stimulating);
    }
}

// A cell of the x = 0 face receives 14 + 4 * 2 from the environment: excited
// in the first step, its clock at 0 in the next, active Excited steps later.
TEST_F(BlockDynamics, ExcitedCellBecomesActiveAfterItsExcitedTime) {
    const struct {
        int excited;
        std::vector<std::uint8_t> states;  // after each step
    } cases[] = {
        {4, {CellRelRefractory, CellExcited, CellExcited, CellActive}},
        {0, {CellRelRefractory, CellActive}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.excited);
        params.SetInteger(Param::Excited, c.excited);
        Build();
        BlockSwitches s = Resting();
        s.fiftyHzStart = true;
        Start(s);
        ModelCell& face = Cell(0, 2, 2);
        for (std::size_t step = 0; step < c.states.size(); ++step) {
            Step();
            EXPECT_EQ(face.CellState, c.states[step]) << "step " << step + 1;
            if (step < 2) {
                EXPECT_EQ(face.Clock, step == 0 ? 65534 : 0);
            }
        }
        EXPECT_GT(run.ActiveCount(), 0);
        // Not yet reached by anything: the centre is still resting.
        EXPECT_EQ(Cell(2, 2, 2).CellState, CellRelRefractory);
    }
}

TEST_F(BlockDynamics, ExcitationWithoutInputFallsBackToRest) {
    Build();
    Start(Resting());
    ModelCell& centre = Cell(2, 2, 2);
    centre.Clock = 65534;  // as if excited in the step before
    Step();
    EXPECT_EQ(centre.CellState, CellExcited);
    EXPECT_EQ(centre.Clock, 288);
    Step();
    EXPECT_EQ(centre.CellState, CellRelRefractory);

    // A resting clock passing 65535 wraps into the excited state, falls
    // back to rest again, and with Excited 0 counts as active for a step.
    centre.Clock = 65535;
    Step();
    EXPECT_EQ(centre.CellState, CellExcited);
    EXPECT_EQ(centre.Clock, 288);
    params.SetInteger(Param::Excited, 0);
    centre.Clock = 65535;
    Step();
    EXPECT_EQ(centre.CellState, CellActive);
    EXPECT_EQ(run.ActiveCount(), 1);
}

TEST_F(BlockDynamics, SubThresholdInputDelaysRecovery) {
    // The corner (0, 0, 0) has environment links of total weight 26.
    params.SetInteger(Param::Threshold, 68);
    params.SetReal(Param::EnvWeight, 2);
    Build();
    BlockSwitches s = Resting();
    s.background = true;
    Start(s);
    EXPECT_EQ(run.BackgroundLevel(), 2);
    Step();
    // Input 52 against threshold 69: delayed by Round(0.75 * 52 / 68) = 1.
    EXPECT_EQ(Cell(0, 0, 0).Clock, 288 + 2 - 1);
    EXPECT_EQ(Cell(2, 2, 2).Clock, 288 + 2);

    // Background switch off: no input, no delay.
    Start(Resting());
    EXPECT_EQ(run.BackgroundLevel(), 0);
    Step();
    EXPECT_EQ(Cell(0, 0, 0).Clock, 288 + 2);
}

TEST_F(BlockDynamics, NoNexusesMeansNoDelay) {
    for (Param p : {Param::XNexus, Param::XyXzNexus, Param::XyzNexus}) params.SetInteger(p, 0);
    params.SetReal(Param::Diversity, 0);
    params.SetReal(Param::EnvWeight, 5);
    auto ones = enginetest::HighestDraws();  // every weight 1
    block.BuildBlock(params, ones);
    BlockSwitches s = Resting();
    s.background = true;
    Start(s);
    Step();  // corner input 14 * 5 = 70 >= 15: excited
    EXPECT_EQ(Cell(0, 0, 0).Clock, 65534);
    params.SetInteger(Param::Threshold, 100);
    Start(s);
    ASSERT_NO_THROW(Step());
    EXPECT_EQ(Cell(0, 0, 0).Clock, 288 + 2);
}

TEST_F(BlockDynamics, UpdateIsSynchronous) {
    Build();
    Start(Resting());
    // (1, 2, 2) and (1, 1, 2) active give the centre 14 + 2 >= 15.
    Cell(1, 2, 2).Clock = 4 - 2;  // active after this step's ageing
    Cell(1, 1, 2).Clock = 4 - 2;
    Step();
    EXPECT_EQ(run.ActiveCount(), 2);
    EXPECT_EQ(Cell(2, 2, 2).Clock, 65534);
    EXPECT_EQ(Cell(0, 2, 2).Clock, 65534);  // the same input from the other side
    // Input 2 is below the threshold: delayed by Round(0.75 * 2 / 68) = 0.
    EXPECT_EQ(Cell(2, 2, 3).Clock, 290);
    // Later in the sweep, (3, 2, 2) sees the centre as it was after ageing.
    EXPECT_EQ(Cell(3, 2, 2).Clock, 290);
    Step();
    EXPECT_EQ(Cell(2, 2, 2).CellState, CellExcited);
    EXPECT_EQ(Cell(3, 2, 2).Clock, 292);
}

TEST_F(BlockDynamics, UnbuiltBlockIsNeverStepped) {
    Start(Resting());
    Step(3);
    EXPECT_EQ(run.ModelTime(), 0);
}

}  // namespace
}  // namespace myogrid
