#include "myogrid/engine/block_dynamics.h"
#include "myogrid/engine/model_pictures.h"
#include "myogrid/engine/model_renderer.h"
#include "myogrid/engine/oscillators.h"
#include "myogrid/engine/run_loop.h"

#include "common/errors.h"
#include "engine_test_support.h"
#include "myogrid/engine/parameter_values.h"
#include "support/work_dir.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace myogrid {
namespace {

int CountLimeAlongColumn(const common::PlotSurface& s, int x) {
    int n = 0;
    for (int y = 2; y < s.Height() - 2; ++y) n += s.Pixel(x, y) == common::kLime;
    return n;
}
int CountLimeAlongRow(const common::PlotSurface& s, int y) {
    int n = 0;
    for (int x = 2; x < s.Width() - 2; ++x) n += s.Pixel(x, y) == common::kLime;
    return n;
}

TEST(ModelPictures, ClearedWindowsShowTheirGrid) {
    ModelPictures pictures;
    const common::PlotSurface& time = pictures.TimeWindow();
    ASSERT_EQ(time.Width(), 616);
    ASSERT_EQ(time.Height(), 176);
    EXPECT_EQ(CountLimeAlongColumn(time, 100), 9);  // every 17 pixels
    EXPECT_EQ(CountLimeAlongRow(time, 100), 35);
    EXPECT_EQ(time.Pixel(17, 100), common::kLime);
    EXPECT_EQ(time.Pixel(100, 153), common::kLime);
    EXPECT_EQ(time.Pixel(100, 170), common::kGreen);
    EXPECT_EQ(time.Pixel(0, 0), kButtonFace);  // outside the rounded corner
    EXPECT_EQ(time.Pixel(300, 0), common::kLime);

    const common::PlotSurface& right = pictures.RightWindow();
    ASSERT_EQ(right.Width(), 211);
    EXPECT_EQ(CountLimeAlongColumn(right, 100), 9);  // every 21 pixels
    EXPECT_EQ(CountLimeAlongRow(right, 100), 9);
    EXPECT_EQ(right.Pixel(100, 100), common::kGreen);
}

// Block traces on a 5 x 5 x 5 block whose cells all rest.
class BlockDrawing : public ::testing::Test {
protected:
    BlockDrawing() {
        params.SetInteger(Param::Dimension, 5);
        SeededRandom draws(5);
        block.BuildBlock(params, draws);
        run.SetTraceCells(125, 300);  // both beyond the cells: the whole block
        switches.randomStart = false;
    }
    void MakeAllActiveNextStep() {
        for (int i = 0; i < 125; ++i) block.Cell(i).Clock = 4 - 2;
    }
    // A run start or step with its drawing, as the window does them.
    void Start() {
        run.StartBlockRun(switches);
        renderer.DrawBlockRunStart(run, switches);
    }
    void Step() {
        run.StepBlock(switches);
        renderer.DrawBlockStep(run, switches);
    }

    testing_support::ScopedWorkDir dir;
    ParameterValues params;
    CellBlock block;
    ModelRenderer renderer;
    ModelPictures& pictures = renderer.Pictures();
    SeededRandom random{9};
    BlockRun run{block, params, random};
    BlockSwitches switches;
};

TEST_F(BlockDrawing, WholeBlockTraceRunsFromInactiveToActive) {
    Start();
    Step();
    EXPECT_EQ(pictures.trace.y1, 87);  // no cell active
    EXPECT_EQ(pictures.trace.y2, 84 + 88);
    EXPECT_EQ(run.TraceValue1(), 125);
    MakeAllActiveNextStep();
    Step();
    EXPECT_EQ(pictures.trace.y1, 3);
    EXPECT_EQ(pictures.trace.y2, 88);
    EXPECT_EQ(run.TraceValue2(), 0);

    // A single cell: at the top while active, at 87 otherwise.
    run.SetTraceCells(CellBlock::CellIndex(2, 2, 2, 5), 0);
    Start();
    block.Cell(62).Clock = 2;
    Step();
    EXPECT_EQ(pictures.trace.y1, 3);
    EXPECT_EQ(pictures.trace.y2, 84 + 88);
}

TEST_F(BlockDrawing, TraceIsDrawnInWhiteAndWrapsAtTheRightEdge) {
    Start();
    EXPECT_TRUE(pictures.PastRightEdge());
    for (int step = 1; step <= 20; ++step) Step();
    EXPECT_EQ(pictures.trace.x1, 3);  // Round(20 * 0.16)
    EXPECT_EQ(pictures.TimeWindow().Pixel(2, 87), common::kWhite);
    EXPECT_EQ(pictures.TimeWindow().Pixel(2, 172), common::kWhite);
    // 0.16 pixel per step: past 616 after step 3854, cleared in the next.
    for (int step = 21; step <= 3854; ++step) Step();
    EXPECT_EQ(pictures.trace.x1, 617);
    EXPECT_EQ(pictures.TimeWindow().Pixel(300, 87), common::kWhite);
    Step();
    EXPECT_EQ(pictures.trace.x1, 0);
    EXPECT_NE(pictures.TimeWindow().Pixel(300, 87), common::kWhite);
    EXPECT_EQ(run.ModelTime(), 3855 * 2);
}

TEST_F(BlockDrawing, DerivativeOfAConstantTraceIsFlat) {
    switches.firstDerivative = true;
    Start();
    EXPECT_EQ(pictures.trace.y1, 44);
    EXPECT_EQ(pictures.trace.y2, 132);
    std::vector<int> upper, lower;
    for (int step = 1; step <= 6; ++step) {
        Step();
        upper.push_back(pictures.trace.y1);
        lower.push_back(pictures.trace.y2);
    }
    // The history starts as (0, 0, start value): flat from the third step.
    EXPECT_EQ(std::vector<int>(upper.begin() + 2, upper.end()), std::vector<int>(4, 44));
    EXPECT_EQ(std::vector<int>(lower.begin() + 2, lower.end()), std::vector<int>(4, 132));
    EXPECT_NE(upper[0], 44);
}

TEST_F(BlockDrawing, PhasePointHalfwayUpWhileTheCountHolds) {
    Start();
    Step();
    // No change over two steps: y = Round(125 * (211 / 125) / 2) = 106 (105.5).
    common::PlotSurface& right = pictures.RightWindow();
    EXPECT_EQ(renderer.PhasePointY(), 106);
    EXPECT_EQ(right.Pixel(2, 108), common::kWhite);
    EXPECT_NE(right.Pixel(2, 104), common::kWhite);
    // All cells active within two steps: the point is at the top.
    MakeAllActiveNextStep();
    Step();
    EXPECT_EQ(renderer.PhasePointX(), 211);
    EXPECT_EQ(renderer.PhasePointY(), 0);
    Start();
    for (int i = 0; i < 125; ++i) block.Cell(i).Clock = i < 60 ? 2 : 288;
    Step();  // 60 active: x = Round(60 * 211 / 125) = 101, y = Round(65 * 1.688 / 2) = 55
    EXPECT_EQ(right.Pixel(103, 57), common::kWhite);
}

TEST_F(BlockDrawing, AllCellsViewDrawsTilesOfLayers) {
    switches.allCells = true;
    Start();
    block.Cell(CellBlock::CellIndex(1, 2, 3, 5)).Clock = 2;
    Step();
    common::PlotSurface& right = pictures.RightWindow();
    // Cell (1, 2, 3): px = (3 + 7 * 1) * 3 + 5 = 35, py = (2 + 0) * 3 + 5 = 11.
    EXPECT_EQ(right.Pixel(35, 11), common::kRed);
    // Cell (4, 0, 0) starts the second row of tiles: (0 + 0) * 3 + 5, (0 + 7) * 3 + 5.
    EXPECT_EQ(right.Pixel(5, 26), common::kBlack);
    // No phase point in this view.
    EXPECT_NE(right.Pixel(2, 108), common::kWhite);
}

TEST(DelayFunction, BottomAndTopCases) {
    ParameterValues params;
    ModelPictures pictures;
    // Threshold always 15 (L = 0) and no delay: levels from 15 on excite
    // at once and end at the bottom (y = H).
    params.SetReal(Param::DelayL, 0);
    params.SetReal(Param::DelayF, 0);
    DrawDelayFunction(pictures, params);
    EXPECT_EQ(pictures.RightWindow().PenPosition(), QPoint(211, 211));
    // Threshold 68: no level ever reaches 69; the line ends above the top.
    params.SetInteger(Param::Threshold, 68);
    DrawDelayFunction(pictures, params);
    EXPECT_EQ(pictures.RightWindow().PenPosition(), QPoint(211, -2));
    // Default parameters: drawn in white from the top left corner.
    DrawDelayFunction(pictures, ParameterValues());
    EXPECT_EQ(pictures.RightWindow().Pixel(0, 0), common::kWhite);

    params.SetInteger(Param::Refractory, 0);
    EXPECT_THROW(DrawDelayFunction(pictures, params), common::AppError);
    params.SetInteger(Param::Refractory, -5);  // never searches for ever
    EXPECT_NO_THROW(DrawDelayFunction(pictures, params));
}

TEST(ReturnMapDrawing, CurveRunsAlongTheBottomFromCornerToCorner) {
    ParameterValues params;
    ModelPictures pictures;
    OscillatorTable table(params);
    table.ComputeReturnMap();
    DrawReturnMap(pictures, table);
    const common::PlotSurface& right = pictures.RightWindow();
    EXPECT_EQ(right.Pixel(5, 206), common::kWhite);  // (5, H - 5)
    EXPECT_EQ(right.Pixel(6, 206), common::kWhite);
    EXPECT_EQ(right.Pixel(205, 205), common::kWhite);  // into (W - 5, H - 5)
    EXPECT_EQ(right.Pixel(206, 206), common::kLime);   // the frame's corner
    EXPECT_EQ(right.Pixel(206, 100), common::kLime);   // frame
    EXPECT_EQ(right.Pixel(100, 100), common::kLime);   // diagonal
    // Near P = 0.5 the map is about 0.498: y = Round(201 * 0.502) + 5 = 106.
    EXPECT_EQ(right.Pixel(105, 106), common::kWhite);
}

TEST(OscillatorDrawing, PhasePointsAndTraces) {
    ParameterValues params;
    ModelRenderer renderer;
    const ModelPictures& pictures = renderer.Pictures();
    OscillatorTable table(params);
    table.RebuildOscillators(ModelKind::OneOscillator);
    OscillatorSwitches switches;
    table.StartOscillatorRun(switches);
    renderer.DrawOscillatorRunStart(table, switches);
    EXPECT_EQ(pictures.trace.y1, 44);
    EXPECT_EQ(pictures.trace.y2, 132);
    table.StepOscillators(switches);
    renderer.DrawOscillatorStep(table, switches);
    // Activity 0.17: y1 = Round(0.83 * 176 / 2.1) + 3 = 73.
    EXPECT_EQ(pictures.trace.y1, 73);
    // P(t-1) = 0, P(t) = 0.17: dot at (5, Round(0.83 * 201 + 5) = 172).
    EXPECT_EQ(pictures.RightWindow().Pixel(5, 172), common::kWhite);
}

class FakeClock : public MillisecondClock {
public:
    std::int64_t NowMs() override { return readings.at(next++); }
    std::vector<std::int64_t> readings;
    std::size_t next = 0;
};

TEST(RunLoop, IntervalFromTheFirstStep) {
    EXPECT_EQ(RunIntervalMs(1250), 1350);
    EXPECT_EQ(RunIntervalMs(0), 100);
    EXPECT_EQ(RunIntervalMs(61500), 1600);  // minutes are ignored
    EXPECT_EQ(RunIntervalMs(-30), 100);     // clock set back

    FakeClock clock;
    clock.readings = {10000, 11250};
    RunLoop loop(clock);
    std::vector<std::string> calls;
    EXPECT_EQ(loop.StartRun([&] { calls.push_back("start"); }, [&] { calls.push_back("step"); }),
              1350);
    EXPECT_EQ(calls, (std::vector<std::string>{"start", "step"}));
    EXPECT_TRUE(loop.Running());
    EXPECT_EQ(loop.IntervalMs(), 1350);
    EXPECT_TRUE(loop.Tick([&] { calls.push_back("tick"); }));
    loop.Halt();
    EXPECT_FALSE(loop.Tick([&] { calls.push_back("tick"); }));
    EXPECT_EQ(calls.size(), 3u);
}

TEST(RunLoop, FailingStepHaltsTheLoop) {
    FakeClock clock;
    clock.readings = {0, 5, 0, 5};
    RunLoop loop(clock);
    EXPECT_THROW(
        loop.StartRun([] {}, [] { throw common::AppError("Floating point division by zero"); }),
        common::AppError);
    EXPECT_FALSE(loop.Running());
    loop.StartRun([] {}, [] {});
    EXPECT_THROW(loop.Tick([] { throw common::AppError("Invalid floating point operation"); }),
                 common::AppError);
    EXPECT_FALSE(loop.Running());
}

}  // namespace
}  // namespace myogrid
