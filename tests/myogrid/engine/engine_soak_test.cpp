#include "myogrid/engine/model_engine.h"
#include "myogrid/engine/model_renderer.h"

#include "common/errors.h"
#include "common/file_io.h"
#include "myogrid/engine/parameter_values.h"
#include "support/work_dir.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace myogrid {
namespace {

// The all-cells view changes what is drawn, never what is computed.
TEST(ModelEngine, BlockStepsDoNotDependOnTheView) {
    testing_support::ScopedWorkDir dir;
    ParameterValues params;
    params.SetInteger(Param::Dimension, 6);
    std::vector<std::vector<double>> runs;
    for (const bool allCells : {false, true}) {
        SeededRandom random(21);
        ModelEngine engine(params, random);
        ModelRenderer renderer;
        BlockSwitches switches;
        switches.allCells = allCells;
        engine.Rebuild(ModelKind::Topological);
        engine.SetTraceCells(ModelKind::Topological, 7, 216);
        engine.StartRun(ModelKind::Topological, switches);
        renderer.DrawRunStart(ModelKind::Topological, engine, switches);
        std::vector<double> values;
        for (int step = 0; step < 300; ++step) {
            const StepReport report = engine.Step(ModelKind::Topological, switches);
            renderer.DrawStep(ModelKind::Topological, engine, switches);
            values.insert(values.end(),
                          {static_cast<double>(report.modelTime),
                           static_cast<double>(report.activeCount), report.trace1, report.trace2});
        }
        runs.push_back(values);
    }
    EXPECT_EQ(runs[0], runs[1]);
}

TEST(ModelEngine, BuildsRunsAndReleasesEachKind) {
    testing_support::ScopedWorkDir dir;
    ParameterValues params;
    params.SetInteger(Param::Dimension, 5);
    SeededRandom random(11);
    ModelEngine engine(params, random);
    BlockSwitches switches;

    // Nothing built: starting and stepping do nothing.
    engine.StartRun(ModelKind::Topological, switches);
    engine.Step(ModelKind::Topological, switches);
    EXPECT_EQ(engine.ModelTime(ModelKind::Topological), 0);

    EXPECT_EQ(engine.Rebuild(ModelKind::Topological), 5);
    EXPECT_FALSE(common::FileExists(dir.File("connex.txt"))) << "built in memory only";
    engine.SetTraceCells(ModelKind::Topological, 0, 125);
    engine.StartRun(ModelKind::Topological, switches);
    engine.Step(ModelKind::Topological, switches);
    EXPECT_EQ(engine.ModelTime(ModelKind::Topological), 2);
    engine.Release(ModelKind::Topological);
    EXPECT_FALSE(engine.Built(ModelKind::Topological));

    engine.Rebuild(ModelKind::CoupledOscillators);
    EXPECT_TRUE(engine.Built(ModelKind::CoupledOscillators));
    EXPECT_FALSE(engine.Built(ModelKind::OneOscillator)) << "built for another kind";
    engine.StartRun(ModelKind::OneOscillator, switches);  // ignored
    EXPECT_EQ(engine.Oscillators().OscillatorCount(), 125);
    engine.StartRun(ModelKind::CoupledOscillators, switches);
    engine.Step(ModelKind::CoupledOscillators, switches);
    EXPECT_EQ(engine.ModelTime(ModelKind::CoupledOscillators), 2);
    engine.Release(ModelKind::CoupledOscillators);
    EXPECT_FALSE(engine.Built(ModelKind::CoupledOscillators));
}

TEST(ParameterValues, ClampedLikeTheWindowsControls) {
    ParameterValues params;
    EXPECT_EQ(params.Integer(Param::Dimension), 10);
    EXPECT_EQ(params.Real(Param::DelayL), -0.22);
    params.SetInteger(Param::Dimension, 40);
    params.SetInteger(Param::XNexus, 1);
    params.SetInteger(Param::XyXzNexus, 1);
    params.SetInteger(Param::XyzNexus, -3);   // below its range
    params.SetInteger(Param::Threshold, 60);  // above 2 + 8 + 0
    params.SetInteger(Param::Cell2X, 12);     // above the clamped Dimension
    params.SetInteger(Param::OscDimension, 4);
    params.SetInteger(Param::Osc2X, 5);
    params.SetReal(Param::Diversity, -7);  // reals have no bounds
    params.ClampToControlRanges();
    EXPECT_EQ(params.Integer(Param::Dimension), 13);
    EXPECT_EQ(params.Integer(Param::XyzNexus), 0);
    EXPECT_EQ(params.Integer(Param::Threshold), 10);
    EXPECT_EQ(params.Integer(Param::Cell2X), 12);
    EXPECT_EQ(params.Integer(Param::Osc2X), 4);
    EXPECT_EQ(params.Real(Param::Diversity), -7);
    // No nexuses: the threshold's range collapses to 0..0 and does not clamp.
    params.SetInteger(Param::XNexus, 0);
    params.SetInteger(Param::XyXzNexus, 0);
    params.ClampToControlRanges();
    EXPECT_EQ(params.Integer(Param::Threshold), 10);
}

// Any parameters the window's controls allow: every model runs without
// faults, or stops with one of the arithmetic errors.
TEST(ModelEngine, SoakWithRandomParameters) {
    testing_support::ScopedWorkDir dir;
    std::mt19937 generator(20261208);
    const auto uniform = [&](double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(generator);
    };
    const auto integer = [&](int lo, int hi) {
        return std::uniform_int_distribution<int>(lo, hi)(generator);
    };
    const ModelKind kinds[] = {ModelKind::Topological, ModelKind::IndependentOscillators,
                               ModelKind::OneOscillator, ModelKind::CoupledOscillators};
    int completed = 0;
    for (int round = 0; round < 40; ++round) {
        ParameterValues params;
        for (int p = 0; p < kParamCount; ++p) {
            const Param param = static_cast<Param>(p);
            if (IsRealParam(param)) continue;
            params.SetInteger(param, integer(DefinitionOf(param).min, DefinitionOf(param).max));
        }
        // Small blocks mostly, so that long runs stay cheap.
        params.SetInteger(Param::Dimension, round % 6 == 0 ? 13 : integer(5, 8));
        params.SetInteger(Param::OscDimension, round % 6 == 1 ? 13 : integer(3, 6));
        params.SetReal(Param::Diversity, uniform(-1, 6));
        params.SetReal(Param::DelayL, round % 8 == 7 ? 0.0 : uniform(-1, 0.3));
        params.SetReal(Param::DelayF, uniform(0, 2));
        params.SetReal(Param::EnvWeight, uniform(0, 3));
        params.SetReal(Param::StartFraction, uniform(-0.2, 1.5));
        params.SetReal(Param::PhaseVariability, uniform(0, 0.3));
        params.SetReal(Param::PeriodVariability, uniform(0, 0.3));
        params.ClampToControlRanges();

        const ModelKind kind = kinds[round % 4];
        BlockSwitches switches;
        const int start = integer(0, 2);
        switches.randomStart = start == 0;
        switches.fiftyHzStart = start == 1;
        switches.extra = start == 2;
        switches.background = integer(0, 1) == 1;
        switches.allCells = integer(0, 3) == 0;
        switches.firstDerivative = integer(0, 1) == 1;

        SeededRandom random(static_cast<std::uint64_t>(round));
        ModelEngine engine(params, random);
        ModelRenderer renderer;
        try {
            engine.Rebuild(kind);
            const int n = kind == ModelKind::Topological ? params.Integer(Param::Dimension)
                                                         : params.Integer(Param::OscDimension);
            engine.SetTraceCells(kind, integer(0, n * n * n + n), integer(0, n * n * n + n));
            engine.StartRun(kind, switches);
            renderer.DrawRunStart(kind, engine, switches);
            const int steps =
                (kind == ModelKind::Topological && params.Integer(Param::Dimension) == 13) ? 150
                                                                                           : 1500;
            for (int step = 0; step < steps; ++step) {
                engine.Step(kind, switches);
                renderer.DrawStep(kind, engine, switches);
            }
            if (kind == ModelKind::Topological) {
                DrawDelayFunction(renderer.Pictures(), params);
            } else {
                engine.ComputeReturnMap();
                DrawReturnMap(renderer.Pictures(), engine.Oscillators());
            }
            ++completed;
        } catch (const common::AppError& e) {
            const std::string message = e.what();
            EXPECT_TRUE(message == common::kFloatDivisionByZero ||
                        message == common::kInvalidFloatOperation)
                << message;
        }
    }
    EXPECT_GE(completed, 20);
}

}  // namespace
}  // namespace myogrid
