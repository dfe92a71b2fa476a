// Period, group signal, map, P series and E(t) of the signal model.
#include <gtest/gtest.h>

#include <cmath>

#include "common/errors.h"
#include "ecgtrace/model/plot_data.h"
#include "ecgtrace/model/signal_model.h"
#include "support/work_dir.h"

using ecgtrace::SignalModel;

namespace {

// A started model without any parameter file.
SignalModel StartedModel() {
    testing_support::ScopedWorkDir dir;
    SignalModel m;
    const auto report = m.RunStartupComputations();
    EXPECT_TRUE(report.loadError.empty());
    EXPECT_TRUE(report.computeError.empty());
    return m;
}

std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const common::AppError& e) {
        return e.what();
    }
    return "";
}

void ExpectRelative(double actual, double expected, double tolerance = 1e-5) {
    EXPECT_NEAR(actual, expected, std::fabs(expected) * tolerance) << "expected " << expected;
}

}  // namespace

TEST(SignalModelStart, DefaultsWithoutFile) {
    SignalModel m = StartedModel();
    EXPECT_EQ(m.GroupCount(), 6);
    EXPECT_EQ(m.ActualGroup(), 1);
    EXPECT_EQ(m.CrossGroup(), 1);
    EXPECT_EQ(m.InitialGroupCount(), 6);
    EXPECT_EQ(m.EWindowStart(), 0);
    EXPECT_EQ(m.EWindowEnd(), 2800);
    EXPECT_FALSE(m.ParametersLoaded());
    EXPECT_TRUE(m.ParametersChanged());  // the save dialog is offered at exit
    for (int g = 1; g <= 6; ++g) EXPECT_EQ(m.Period(g), 221) << g;
    // Tables hold entry 0 plus one per group; flags and spectra included.
    EXPECT_EQ(m.StoredGroupCount(), 6);
    EXPECT_NO_THROW(m.WithRepetition(6));
    EXPECT_NO_THROW(m.Spectrum(6));
    EXPECT_NO_THROW(m.Map(6));
    EXPECT_FALSE(m.WithRepetition(0));  // entry 0: E(t)
    EXPECT_THROW(m.WithRepetition(7), common::AppError);
    EXPECT_THROW(m.Map(7), common::AppError);
}

TEST(Period, QuotientAndHalvesToEven) {
    SignalModel m = StartedModel();
    m.SetParameter(2, ecgtrace::Parameter::f, 21);
    m.SetParameter(2, ecgtrace::Parameter::F, 0.5);
    m.SetParameter(2, ecgtrace::Parameter::NE, 31);
    m.SetParameter(2, ecgtrace::Parameter::N, 62);
    m.ComputeT(2);
    EXPECT_EQ(m.Period(2), 228);
    EXPECT_EQ(m.Signal(2).size(), 228u);

    m.SetParameter(2, ecgtrace::Parameter::NE, 0);
    m.SetParameter(2, ecgtrace::Parameter::f, 20.5);
    m.ComputeT(2);
    EXPECT_EQ(m.Period(2), 20 + 200);
    m.SetParameter(2, ecgtrace::Parameter::f, 21.5);
    m.ComputeT(2);
    EXPECT_EQ(m.Period(2), 22 + 200);
    m.SetParameter(2, ecgtrace::Parameter::f, 22.5);
    m.ComputeT(2);
    EXPECT_EQ(m.Period(2), 22 + 200);
}

// A failing computation of T keeps the period, A(t) and the map of before.
TEST(Period, FailuresKeepPeriodSignalAndMap) {
    using P = ecgtrace::Parameter;
    struct Case {
        const char* name;
        std::vector<std::pair<P, double>> set;
        std::string message;  // the whole message, or its start when it ends in "= "
    };
    const Case cases[] = {
        {"N 0", {{P::NE, 10}, {P::N, 0}}, "Floating point division by zero"},
        // 0 * F / 0: both operands of the failing division are 0.
        {"NE and N 0", {{P::NE, 0}, {P::N, 0}}, "Invalid floating point operation"},
        // NE * F / N = 1 leaves nothing to divide f by.
        {"NE F / N = 1", {{P::NE, 62}, {P::F, 1.0}}, "Floating point division by zero"},
        {"too short", {{P::f, -500}}, ecgtrace::PeriodTooSmallMessage(-300)},
        // rnd(-1e18) + 6 + 170 + 24, exactly.
        {"far too short", {{P::f, -1e18}}, ecgtrace::PeriodTooSmallMessage(-999999999999999800)},
        {"too long", {{P::f, 1e7}}, ecgtrace::PeriodTooLargeMessage(10000200)},
        {"far too long", {{P::f, 4e15}}, ecgtrace::PeriodTooLargeMessage(4000000000000200)},
        // Huge quotients are refused, not overflowed.
        {"f 1e300", {{P::f, 1e300}}, "Invalid floating point operation"},
        {"sum near the integer limit", {{P::f, 1e18}, {P::Te, INT32_MAX}}, "The period T = "},
        // A pulse width of 0 stops A(t); T does not change without its A(t).
        {"s1 0", {{P::s1, 0}, {P::Te, 7}}, "Floating point division by zero"},
    };
    const SignalModel fresh = StartedModel();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SignalModel m = fresh;
        for (const auto& [parameter, value] : c.set) m.SetParameter(1, parameter, value);
        const std::string error = ErrorOf([&] { m.ComputeT(1); });
        EXPECT_EQ(c.message.ends_with("= ") ? error.substr(0, c.message.size()) : error, c.message);
        EXPECT_EQ(m.Period(1), 221);
        EXPECT_EQ(m.Signal(1), fresh.Signal(1));
        EXPECT_EQ(m.Map(1), fresh.Map(1));
    }
}

TEST(GroupSignal, DefaultSamples) {
    SignalModel m = StartedModel();
    const auto& a = m.Signal(1);
    ASSERT_EQ(a.size(), 221u);
    ExpectRelative(a[0], 1.32398e-5);
    ExpectRelative(a[45], 5.39682e-4);
    ExpectRelative(a[66], -1.84217e-4);
    ExpectRelative(a[86], -8.73783e-4);
    ExpectRelative(a[116], -1.09552e-4);
    ExpectRelative(a[220], 3.77531e-6);
    EXPECT_EQ(*std::max_element(a.begin(), a.end()), a[45]);
    EXPECT_EQ(*std::min_element(a.begin(), a.end()), a[86]);
}

TEST(GroupSignal, OffsetShiftsAndFlagIsCleared) {
    SignalModel m = StartedModel();
    const auto plain = m.Signal(1);
    m.SetRepetition(1, 1);
    m.SetParameter(1, ecgtrace::Parameter::offset, 10);
    m.ComputeA(1);
    EXPECT_EQ(m.WithRepetition(1), 0);
    for (int k = 10; k <= 220; ++k) EXPECT_DOUBLE_EQ(m.Signal(1)[k], plain[k - 10]) << k;
}

// The longest period keeps no samples: they are computed when read, equal
// to the kept ones, and a long table is made while it is written.
TEST(GroupSignal, LongestPeriodComputedWhenReadWithTheSameSamples) {
    SignalModel m = StartedModel();
    const auto kept = m.Signal(1);
    m.SetParameter(1, ecgtrace::Parameter::Tr, 24 + ecgtrace::kMaxPeriod - 221);
    m.ComputeT(1);
    ASSERT_EQ(m.Period(1), ecgtrace::kMaxPeriod);
    const ecgtrace::GroupSignal& a = m.Signal(1);
    ASSERT_EQ(a.size(), static_cast<std::size_t>(ecgtrace::kMaxPeriod));
    for (const std::size_t k : {0, 45, 86, 220}) EXPECT_EQ(a[k], kept[k]) << k;
    EXPECT_EQ(a[5'000'000], 0.0);
    const common::DataTable table = ecgtrace::ATable(m, 1);
    EXPECT_TRUE(table.rows.empty());
    ASSERT_EQ(table.madeRowCount, a.size());
    EXPECT_EQ(table.makeRow(86), (std::vector<double>{86, kept[86]}));
    m.ComputeE();  // reads two samples per group and step only

    ecgtrace::GroupParameters broken = m.Parameters(1);
    broken.s2 = 0;
    EXPECT_EQ(ErrorOf([&] { ecgtrace::GroupSignal(broken, ecgtrace::kMaxPeriod); }),
              ErrorOf([&] { ecgtrace::GroupSignal(broken, 221); }));
    EXPECT_NE(ErrorOf([&] { ecgtrace::GroupSignal(broken, ecgtrace::kMaxPeriod); }), "");
}

TEST(MapCoefficients, WrappedFactorials) {
    EXPECT_EQ(ecgtrace::WrappedFactorial(0), 1);
    EXPECT_EQ(ecgtrace::WrappedFactorial(12), 479001600);
    EXPECT_EQ(ecgtrace::WrappedFactorial(18), -898433024);
    EXPECT_EQ(ecgtrace::WrappedFactorial(17), -288522240);
    EXPECT_EQ(ecgtrace::WrappedFactorial(34), 0);
    EXPECT_DOUBLE_EQ(ecgtrace::MapCoefficient(18, 0), 1.0);
    EXPECT_NEAR(ecgtrace::MapCoefficient(18, 1), 3.11391254968768, 1e-13);
    EXPECT_NEAR(ecgtrace::MapCoefficient(18, 2), 3.13491882003201, 1e-13);
    EXPECT_NEAR(ecgtrace::MapCoefficient(18, 3), 1.04585484939946, 1e-13);
    EXPECT_NEAR(ecgtrace::MapCoefficient(18, 4), -1.42627513199990, 1e-13);
    EXPECT_DOUBLE_EQ(ecgtrace::MapCoefficient(10, 3), 120.0);
}

TEST(Map, DefaultValuesAndSeries) {
    SignalModel m = StartedModel();
    const auto& map = m.Map(1);
    EXPECT_EQ(map[0], 0.0);
    EXPECT_EQ(map[100], 0.0);
    EXPECT_NEAR(map[10], 0.712784, 5e-7);
    EXPECT_NEAR(map[29], 0.705782, 5e-7);
    EXPECT_NEAR(map[50], 0.499987, 5e-7);
    EXPECT_NEAR(map[90], 0.100000, 5e-7);
    // The wrapped coefficients put this entry just above 0.29, so 50 P of
    // the series plot rounds up to 15.
    EXPECT_NEAR(map[71], 0.29000000052, 1e-11);
    EXPECT_GT(map[71], 0.29);

    const auto series = m.ComputePSeries(1);
    ASSERT_EQ(series.size(), 301u);
    EXPECT_DOUBLE_EQ(series[0], 0.1);
    EXPECT_DOUBLE_EQ(series[1], map[10]);
    EXPECT_DOUBLE_EQ(series[2], map[71]);
    EXPECT_DOUBLE_EQ(series[3], map[29]);
    EXPECT_DOUBLE_EQ(series[4], map[71]);
    EXPECT_DOUBLE_EQ(m.PHalf(1), map[71]);
    EXPECT_DOUBLE_EQ(m.PWhole(1), map[29]);
}

TEST(Map, ExactCoefficientsAndLimits) {
    SignalModel m = StartedModel();
    m.SetParameter(1, ecgtrace::Parameter::M, 10);
    m.ComputePMap(1);
    EXPECT_NEAR(m.Map(1)[10], 0.063172, 5e-7);
    EXPECT_NEAR(m.Map(1)[50], 0.472656, 5e-7);

    // Nd below NE: K = 0, S = (1 - x)^M.
    m.SetParameter(1, ecgtrace::Parameter::NE, 20);
    m.ComputePMap(1);
    EXPECT_NEAR(m.Map(1)[50], 0.5 * (1 - std::pow(0.5, 10)), 1e-12);
    m.SetParameter(1, ecgtrace::Parameter::NE, 0);

    m.SetParameter(1, ecgtrace::Parameter::P0, 1.0);
    m.ComputePSeries(1);
    EXPECT_EQ(m.PHalf(1), 0.0);
    EXPECT_EQ(m.PWhole(1), 0.0);

    // M = 20 puts map values above 1; the series index stays within the table.
    m.SetParameter(1, ecgtrace::Parameter::M, 20);
    m.SetParameter(1, ecgtrace::Parameter::P0, 0.5);
    m.ComputePMap(1);
    const auto top = std::max_element(m.Map(1).begin(), m.Map(1).end());
    ASSERT_GT(*top, 1.0);
    m.SetParameter(1, ecgtrace::Parameter::P0, (top - m.Map(1).begin()) / 100.0);
    const auto series = m.ComputePSeries(1);
    EXPECT_EQ(series[1], *top);
    EXPECT_EQ(series[2], m.Map(1)[100]);  // index rnd(100 P) > 100 taken as 100
    // K above M makes values negative: the index is taken as 0.
    m.SetParameter(1, ecgtrace::Parameter::M, 5);
    m.SetParameter(1, ecgtrace::Parameter::N, 10);
    m.ComputePMap(1);
    const auto bottom = std::min_element(m.Map(1).begin(), m.Map(1).end());
    ASSERT_LT(*bottom, 0.0);
    m.SetParameter(1, ecgtrace::Parameter::P0, (bottom - m.Map(1).begin()) / 100.0);
    EXPECT_EQ(m.ComputePSeries(1)[2], m.Map(1)[0]);
    for (double p0 = 0; p0 <= 1.0; p0 += 0.01) {
        m.SetParameter(1, ecgtrace::Parameter::P0, p0);
        EXPECT_NO_THROW(m.ComputePSeries(1));
    }
}

TEST(Map, FailuresKeepTheMap) {
    using P = ecgtrace::Parameter;
    struct Case {
        const char* name;
        std::vector<std::pair<P, double>> set;
        std::string message;
    };
    const Case cases[] = {
        {"N 0", {{P::N, 0}}, "Floating point division by zero"},
        {"N and Nd 0", {{P::N, 0}, {P::Nd, 0}}, "Invalid floating point operation"},
        {"M 34", {{P::M, 34}}, "Invalid floating point operation"},
        {"M 33", {{P::M, 33}}, ""},
        // K above M reaching 34: the wrapped fact(34) is 0.
        {"K 34", {{P::M, 10}, {P::Nd, 300}}, "Floating point division by zero"},
        {"M -1", {{P::M, -1}}, ecgtrace::NegativeMMessage(-1)},
    };
    const SignalModel fresh = StartedModel();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SignalModel m = fresh;
        for (const auto& [parameter, value] : c.set) m.SetParameter(1, parameter, value);
        EXPECT_EQ(ErrorOf([&] { m.ComputePMap(1); }), c.message);
        if (!c.message.empty()) {
            EXPECT_EQ(m.Map(1), fresh.Map(1));
        }
    }
    EXPECT_EQ(ErrorOf([] { ecgtrace::ValidateM(-3); }),
              "M = -3 is not allowed: M must be 0 or more");
    EXPECT_NO_THROW(ecgtrace::ValidateM(0));
}

TEST(EditRules, LimitsAndUpDown) {
    EXPECT_EQ(ecgtrace::LimitF(0.05), 0.1);
    EXPECT_EQ(ecgtrace::LimitF(2), 1.0);
    EXPECT_EQ(ecgtrace::LimitF(0.5), 0.5);
    EXPECT_EQ(ecgtrace::LimitP0(-0.2), 0.0);
    EXPECT_EQ(ecgtrace::LimitP0(1.5), 1.0);
    EXPECT_EQ(ecgtrace::LimitOffset(-5), 0);
    EXPECT_EQ(ecgtrace::P0StepPosition(0.1), 10);
    EXPECT_EQ(ecgtrace::P0StepPosition(0.999), 99);
    // Every value the arrows set gives back its own position (100 * 0.29 < 29).
    for (int k = 0; k <= 100; ++k) EXPECT_EQ(ecgtrace::P0StepPosition(k / 100.0), k) << k;

    // Clicking up from 0 with the increment rule.
    std::vector<int> positions{0};
    int increment = 1;
    while (positions.back() < 100) {
        const int next = std::min(100, positions.back() + increment);
        positions.push_back(next);
        increment = ecgtrace::P0StepIncrement(next);
    }
    const std::vector<int> expected{0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 16,
                                    21, 26, 31, 36, 41, 46, 51, 56, 61, 66, 71, 76, 81,
                                    86, 91, 92, 93, 94, 95, 96, 97, 98, 99, 100};
    EXPECT_EQ(positions, expected);
}

TEST(SumSignal, DefaultSamplesAndPeriodicity) {
    SignalModel m = StartedModel();
    m.ComputeE();
    ASSERT_EQ(m.ESignal().size(), 2801u);
    ExpectRelative(m.ESignal()[1], 4.130074e-5);
    ExpectRelative(m.ESignal()[2], 9.735038e-4);
    ExpectRelative(m.ESignal()[3], 1.655670e-3);
    ExpectRelative(m.ESignal()[22], -1.319877e-3);
    ExpectRelative(m.ESignal()[221], -1.171182e-3);
    ExpectRelative(m.EMax(), 2.714404e-3);
    ExpectRelative(m.EMin(), -3.645803e-3);
    for (int j = 1; j + 221 <= 2800; ++j)
        EXPECT_DOUBLE_EQ(m.ESignal()[j + 221], m.ESignal()[j]) << j;
    // E at t = 0 follows the same formula with j = 0.
    const double e0 = 6 * (m.Signal(1)[0] * m.PHalf(1) + m.Signal(1)[110] * m.PWhole(1));
    EXPECT_NEAR(m.ESignal()[0], e0, 1e-15);
}

TEST(SumSignal, OnlyGroupsUpToG) {
    SignalModel m = StartedModel();
    m.ComputeE();
    const double six = m.ESignal()[5];
    m.SetGroupChoice(3, m.ActualGroup(), m.CrossGroup());
    m.ComputeE();
    EXPECT_NEAR(m.ESignal()[5], six / 2, 1e-15);

    // Group 7 was never computed: its period is 0.
    m.SetGroupChoice(7, m.ActualGroup(), m.CrossGroup());
    ASSERT_EQ(m.Period(7), 0);
    EXPECT_EQ(ErrorOf([&] { m.ComputeE(); }), "Division by zero");
    EXPECT_NEAR(m.ESignal()[5], six / 2, 1e-15);  // previous samples kept
}

// An edit whose period computes but whose map does not leaves the group as a
// whole as it was: parameters, T, A(t), map and repetition flag.
TEST(GroupEdit, FailureHalfwayRestoresTheWholeGroup) {
    SignalModel m = StartedModel();
    m.SetParameter(2, ecgtrace::Parameter::N, 9);
    m.ComputeT(2);
    m.ComputePMap(2);
    m.ComputePSeries(2);
    m.SetRepetition(2, 1);
    const ecgtrace::GroupState before = m.SaveGroupState(2);
    const auto other = m.SaveGroupState(3);

    const std::string error = ErrorOf([&] {
        m.EditGroup(2, [&] {
            m.SetParameter(2, ecgtrace::Parameter::N,
                           6);  // T computes; the map needs C(18, k) for k up to 42
            m.ComputeT(2);
            m.ComputePMap(2);
        });
    });
    EXPECT_FALSE(error.empty());
    const ecgtrace::GroupState after = m.SaveGroupState(2);
    EXPECT_EQ(after.parameters, before.parameters);
    EXPECT_EQ(after.T, before.T);
    EXPECT_EQ(after.A, before.A);
    EXPECT_EQ(after.PMap, before.PMap);
    EXPECT_EQ(after.PHalf, before.PHalf);
    EXPECT_EQ(after.RepetitionFlag, 1);
    EXPECT_EQ(m.SaveGroupState(3).parameters, other.parameters);

    // A successful edit stays.
    m.EditGroup(2, [&] {
        m.SetParameter(2, ecgtrace::Parameter::N, 62);
        m.ComputeT(2);
    });
    EXPECT_EQ(m.Parameters(2).N, 62);
}
