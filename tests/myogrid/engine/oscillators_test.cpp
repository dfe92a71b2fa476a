#include "myogrid/engine/oscillators.h"
#include "myogrid/engine/model_pictures.h"
#include "myogrid/engine/model_engine.h"
#include "support/work_dir.h"

#include "common/errors.h"
#include "myogrid/engine/parameter_values.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace myogrid {
namespace {

// Probability that at most r of 18 directions are active, summed from
// binomial coefficients (independently of the engine's recurrence).
double AtMost(int r, double p) {
    double sum = 0.0;
    for (int l = 0; l <= r && l <= 18; ++l) {
        const double binomial =
            std::exp(std::lgamma(19.0) - std::lgamma(l + 1.0) - std::lgamma(19.0 - l));
        sum += binomial * std::pow(p, l) * std::pow(1 - p, 18 - l);
    }
    return sum;
}

void ExpectDivisionByZero(const std::function<void()>& action) {
    try {
        action();
        ADD_FAILURE() << "no exception";
    } catch (const common::AppError& e) {
        EXPECT_EQ(std::string(e.what()), "Floating point division by zero");
    }
}

class Oscillators : public ::testing::Test {
protected:
    ParameterValues params;
    OscillatorTable table{params};
    OscillatorSwitches switches;
};

TEST(OscDirections, OppositesAndClasses) {
    for (int d = 1; d <= kOscDirectionCount; ++d) {
        const OscDirection& a = kOscDirections[d];
        const OscDirection& b = kOscDirections[kOscDirectionCount + 1 - d];
        EXPECT_EQ(a.dx, -b.dx);
        EXPECT_EQ(a.dy, -b.dy);
        EXPECT_EQ(a.dz, -b.dz);
        EXPECT_EQ(a.linkClass, b.linkClass);
        const int moves = (a.dx != 0) + (a.dy != 0) + (a.dz != 0);
        const int expected = moves == 3   ? 5
                             : moves == 1 ? (a.dx != 0 ? 1 : 2)
                                          : (a.dx != 0 ? 3 : 4);
        EXPECT_EQ(a.linkClass, expected) << "direction " << d;
    }
}

TEST_F(Oscillators, CouplingFractionsOfTheDefaultBlock) {
    table.RebuildOscillators(ModelKind::CoupledOscillators);
    EXPECT_EQ(table.NexusesPerCell(), 68);
    const auto& f = table.CouplingFraction();
    EXPECT_NEAR(f[0], 0.8481, 5e-5);
    EXPECT_NEAR(f[1], 0.0471, 5e-5);
    EXPECT_NEAR(f[2], 0.0127, 5e-5);
    EXPECT_NEAR(f[3], 0.00115, 5e-6);
    EXPECT_NEAR(f[4], 0.000265, 5e-7);
    EXPECT_NEAR(f[5], 0.0000147, 5e-8);
}

TEST_F(Oscillators, LinksOfTheCubeAndItsBorder) {
    params.SetInteger(Param::OscDimension, 3);
    table.RebuildOscillators(ModelKind::CoupledOscillators);
    ASSERT_EQ(table.OscillatorCount(), 27);
    const Oscillator& centre = table.Record(13);
    for (int d = 1; d <= kOscDirectionCount; ++d) {
        const int n = centre.Link[d];
        ASSERT_LT(n, 27);
        EXPECT_EQ(table.Record(n).Link[kOscDirectionCount + 1 - d], 13);
    }
    // A corner has 7 neighbours; the other 19 links lead to the mean.
    int toMean = 0;
    for (int d = 1; d <= kOscDirectionCount; ++d) toMean += table.Record(0).Link[d] == 27;
    EXPECT_EQ(toMean, 19);
}

TEST_F(Oscillators, NextIntervalFromTheActivity) {
    params.SetInteger(Param::OscDimension, 3);
    table.RebuildOscillators(ModelKind::IndependentOscillators);
    EXPECT_EQ(table.OscillatorCount(), 9);
    EXPECT_EQ(table.NextInterval(0, 0), 155);  // P = 0
    Oscillator& o = table.Record(0);
    o.Amplitude = 1;
    o.ActiveEnd = 100;
    EXPECT_EQ(table.NextInterval(0, 0), 152);  // P = 1
}

TEST_F(Oscillators, DivisionsByZeroAreReported) {
    params.SetInteger(Param::OscDimension, 3);
    table.RebuildOscillators(ModelKind::IndependentOscillators);
    params.SetReal(Param::DelayL, 0);
    ExpectDivisionByZero([&] { table.NextInterval(0, 0); });
    ExpectDivisionByZero([&] { table.StartOscillatorRun(switches); });

    // 1 - F * P = 0 with P the start fraction 0.5 and F 2.
    params.SetReal(Param::DelayL, -0.22);
    params.SetReal(Param::StartFraction, 0.5);
    params.SetReal(Param::DelayF, 2);
    ExpectDivisionByZero([&] { table.StartOscillatorRun(switches); });

    // No nexuses: the build fails, and so does every run until a rebuild.
    params.SetReal(Param::DelayF, 0.75);
    for (Param p : {Param::XNexus, Param::XyXzNexus, Param::XyzNexus}) params.SetInteger(p, 0);
    ExpectDivisionByZero([&] { table.RebuildOscillators(ModelKind::CoupledOscillators); });
    ExpectDivisionByZero([&] { table.StartOscillatorRun(switches); });
    ExpectDivisionByZero([&] { table.ComputeReturnMap(); });
    params.SetInteger(Param::XNexus, 18);
    EXPECT_NO_THROW(table.StartOscillatorRun(switches));
}

TEST_F(Oscillators, ReturnMapCountsWholeDirections) {
    table.ComputeReturnMap();  // Threshold 14, K = 68: r = 3
    const auto& map = table.ReturnMap();
    EXPECT_EQ(map[0], 0.0);
    EXPECT_EQ(map[100], 0.0);
    for (int i : {1, 20, 50, 99}) {
        const double p = i / 100.0;
        EXPECT_NEAR(map[static_cast<std::size_t>(i)], (1 - p) * (1 - AtMost(3, p)), 1e-12) << i;
    }
    // Threshold 35 with K = 42: 18 * 35 / 42 is exactly 15.
    params.SetInteger(Param::XNexus, 21);
    params.SetInteger(Param::XyXzNexus, 0);
    params.SetInteger(Param::XyzNexus, 0);
    params.SetInteger(Param::Threshold, 35);
    table.ComputeReturnMap();
    EXPECT_NEAR(map[90], 0.1 * (1 - AtMost(15, 0.9)), 1e-12);
    EXPECT_GT(std::abs(map[90] - 0.1 * (1 - AtMost(14, 0.9))), 1e-4);
}

TEST_F(Oscillators, ActivationCurveEndsAfterTheActivePhase) {
    table.BuildActivationCurve();  // Active 170
    const auto& curve = table.ActivationCurve();
    for (int k = 211; k <= 300; ++k) ASSERT_EQ(curve[static_cast<std::size_t>(k)], 0.0) << k;
    EXPECT_NEAR(curve[210], 0.5, 0.01);  // base line to the end
    EXPECT_NEAR(curve[0], 0.5, 0.01);
    // Falling through the base line at entry 40, the upstroke's centre.
    EXPECT_NEAR(curve[40], 0.5, 1e-6);
    EXPECT_GT(curve[30], 0.5 + 0.1);
    EXPECT_LT(curve[50], 0.5 - 0.1);
    // An active phase beyond the table is cut at entry 300.
    params.SetInteger(Param::Active, 400);
    EXPECT_NO_THROW(table.BuildActivationCurve());
}

TEST_F(Oscillators, OneOscillatorMeanIsItsActivity) {
    table.RebuildOscillators(ModelKind::OneOscillator);
    EXPECT_EQ(table.OscillatorCount(), 125);  // built as a cube
    table.SetTraceCells(7, 300);
    table.StartOscillatorRun(switches);
    EXPECT_EQ(table.OscillatorCount(), 1);
    EXPECT_EQ(table.TraceCell1(), 0);
    EXPECT_EQ(table.TraceCell2(), 0);
    int firings = 0;
    std::int32_t lastNext = table.Record(0).NextFiring;
    for (int step = 0; step < 1000; ++step) {
        table.StepOscillators(switches);
        ASSERT_DOUBLE_EQ(table.MeanOscillator().Amplitude,
                         table.OscillatorActivity(table.Record(0)));
        if (table.Record(0).NextFiring != lastNext) ++firings;
        lastNext = table.Record(0).NextFiring;
    }
    EXPECT_GE(firings, 10);  // about every 150 ms over 2000 ms
    EXPECT_EQ(table.ModelTime(), 2000);
}

TEST_F(Oscillators, StartValuesFollowTheVariabilities) {
    table.RebuildOscillators(ModelKind::CoupledOscillators);  // 5 x 5 x 5
    table.StartOscillatorRun(switches);
    // Active phase shortened by 1 % per row y: Round(174 * 0.96) = 167.
    EXPECT_EQ(table.Record(0).ActiveEnd, 174);
    EXPECT_EQ(table.Record(4 * 5).ActiveEnd, 167);
    EXPECT_EQ(table.MeanOscillator().ActiveEnd, 174);
    EXPECT_DOUBLE_EQ(table.MeanOscillator().Amplitude, 0.17);
    // First firing advanced by 5 % per layer x.
    const Oscillator& front = table.Record(0);
    const Oscillator& back = table.Record(4 * 25);
    EXPECT_LT(back.NextFiring, front.NextFiring);
    EXPECT_NEAR(back.NextFiring, front.NextFiring * 0.8, 1.0);
}

TEST_F(Oscillators, FiringUsesTheActivityBeforeTheNewAmplitude) {
    params.SetInteger(Param::OscDimension, 3);
    table.RebuildOscillators(ModelKind::IndependentOscillators);
    table.StartOscillatorRun(switches);
    Oscillator& o = table.Record(0);
    o.Amplitude = 1;
    o.ActiveEnd = 1000;
    o.NextFiring = 0;  // fires in the next step, at ModelTime 2
    table.StepOscillators(switches);
    // P = PrevAmplitude + Amplitude = 2: Q = 122, X = (22 + ln 122 / -0.22) / -0.5.
    const double x = (22 + std::log(122.0) / -0.22) / (1 - 0.75 * 2);
    EXPECT_EQ(o.NextFiring, 2 + static_cast<int>(std::lround((288 + x) / 2)));
    EXPECT_EQ(o.PrevAmplitude, 1.0);
    EXPECT_EQ(o.PrevEnd, 1000);
    EXPECT_EQ(o.Amplitude, 0.0);  // ReturnMap[100]
    EXPECT_EQ(o.ActiveEnd, 174 + 2);
}

TEST_F(Oscillators, DynamicsDoNotDependOnTheView) {
    // Neither the all-oscillators view nor a map left from other parameters
    // changes a run: the map is computed at every run start.
    params.SetInteger(Param::OscDimension, 4);
    const auto meanAmplitudes = [&](bool allOscillators) {
        table.RebuildOscillators(ModelKind::CoupledOscillators);
        params.SetInteger(Param::Threshold, 40);
        table.ComputeReturnMap();  // a stale map
        params.SetInteger(Param::Threshold, 14);
        switches.allOscillators = allOscillators;
        table.StartOscillatorRun(switches);
        std::vector<double> means;
        for (int step = 0; step < 200; ++step) {
            table.StepOscillators(switches);
            means.push_back(table.MeanOscillator().Amplitude);
        }
        return means;
    };
    const std::vector<double> withView = meanAmplitudes(true);
    EXPECT_EQ(withView, meanAmplitudes(false));
    EXPECT_GT(withView.back(), 0.0);
}

TEST(ModelTime, NeverWrapsForEitherModel) {
    testing_support::ScopedWorkDir dir;
    ParameterValues params;
    params.SetInteger(Param::Dimension, 5);
    params.SetInteger(Param::OscDimension, 3);
    params.SetInteger(Param::StepUnit, 1 << 30);
    params.SetInteger(Param::OscStepUnit, 1 << 30);
    SeededRandom random(1);
    ModelEngine engine(params, random);
    for (ModelKind kind : {ModelKind::Topological, ModelKind::CoupledOscillators}) {
        engine.Rebuild(kind);
        engine.StartRun(kind, {});
        for (int i = 0; i < 3; ++i) engine.Step(kind, {});
        EXPECT_EQ(engine.Report(kind).modelTime, std::int64_t{3} << 30) << static_cast<int>(kind);
    }
}

TEST_F(Oscillators, AmplitudesOutsideTheUnitRangeUseTheMapEnds) {
    params.SetInteger(Param::OscDimension, 3);
    for (double start : {3.0, -2.0, 1e300}) {
        params.SetReal(Param::StartFraction, start);
        table.RebuildOscillators(ModelKind::IndependentOscillators);
        table.StartOscillatorRun(switches);
        for (int step = 0; step < 100; ++step) table.StepOscillators(switches);
        EXPECT_EQ(table.Record(0).Amplitude, 0.0) << start;
    }
}

TEST_F(Oscillators, AnOverflowingSumIsAnInvalidOperationNotAnInfinity) {
    params.SetReal(Param::StartFraction, -1e308);
    for (ModelKind kind : {ModelKind::IndependentOscillators, ModelKind::CoupledOscillators}) {
        for (bool allOscillators : {false, true}) {
            switches.allOscillators = allOscillators;
            table.RebuildOscillators(kind);
            table.StartOscillatorRun(switches);
            try {
                table.StepOscillators(switches);
                ADD_FAILURE() << "no exception";
            } catch (const common::AppError& e) {
                EXPECT_STREQ(e.what(), "Invalid floating point operation");
            }
            EXPECT_TRUE(std::isfinite(table.TraceValue1()));
        }
    }
}

TEST(PixelCoordinate, FarPointsAreClampedInfinitiesRefused) {
    EXPECT_EQ(PixelCoordinate(1e300), 1000000);
    EXPECT_EQ(PixelCoordinate(-2.5), -2);
    for (double bad : {HUGE_VAL, -HUGE_VAL, std::nan("")}) {
        try {
            PixelCoordinate(bad);
            ADD_FAILURE() << bad;
        } catch (const common::AppError& e) {
            EXPECT_STREQ(e.what(), "Invalid floating point operation");
        }
    }
}

TEST_F(Oscillators, MembraneValueFollowsTheActivationCurve) {
    params.SetInteger(Param::OscDimension, 3);
    table.RebuildOscillators(ModelKind::IndependentOscillators);
    table.StartOscillatorRun(switches);
    const auto& curve = table.ActivationCurve();
    Oscillator o;
    o.PrevAmplitude = 0.5;
    o.Amplitude = 0.25;
    o.PrevEnd = -100;    // k1 = 174 + 0 + 100 = 274
    o.ActiveEnd = 1000;  // k2 = 174 - 1000 < 0: entry 0
    EXPECT_DOUBLE_EQ(table.MembraneValue(o), 0.5 * curve[274] + 0.25 * curve[0]);
    o.PrevEnd = -1000;  // beyond the table: entry 300
    EXPECT_DOUBLE_EQ(table.MembraneValue(o), 0.5 * curve[300] + 0.25 * curve[0]);
}

}  // namespace
}  // namespace myogrid
