// Faults found on a second reading of the signal model and its plots.
#include <gtest/gtest.h>

#include "common/errors.h"
#include "common/numeric.h"
#include "ecgtrace/model/signal_model.h"
#include "ecgtrace/model/signal_plots.h"
#include "support/work_dir.h"

using common::kLime;
using common::PlotSurface;
using ecgtrace::SignalModel;

TEST(ReviewGroupCount, FileWithFewerGroupsThenRaisedByTwo) {
    testing_support::ScopedWorkDir dir;
    {
        SignalModel m;
        m.RunStartupComputations();
        m.ChangeGroupCount(3);
        m.SetParameter(3, ecgtrace::Parameter::f, 30);
        m.ComputeT(3);
        m.SaveParameterFile("vfdef.par");
    }
    // Groups 4 and 5 never existed for this start: both are set up from the
    // group below, so E(t) can be computed at once.
    SignalModel s;
    const auto report = s.RunStartupComputations();
    ASSERT_TRUE(report.loadError.empty());
    ASSERT_EQ(s.InitialGroupCount(), 3);
    EXPECT_NO_THROW(s.ChangeGroupCount(5));
    for (int g = 4; g <= 5; ++g) {
        EXPECT_EQ(s.Parameters(g), s.Parameters(3)) << g;
        EXPECT_EQ(s.Period(g), s.Period(3)) << g;
        EXPECT_EQ(s.Signal(g).size(), static_cast<std::size_t>(s.Period(3))) << g;
    }
    EXPECT_EQ(s.ESignal().size(), 2801u);
}

TEST(ReviewMap, SumKeptInDoublePrecisionDecidesThePixel) {
    testing_support::ScopedWorkDir dir;
    SignalModel m;
    m.RunStartupComputations();
    // K = rnd(2 * 1 / 1) = 2 > M: the map is -x^2/2. At x = 0.1 the sum,
    // rounded to 64 bits after every term, leaves the value just above -0.005;
    // a sum kept in extended precision would land just below it instead.
    m.SetParameter(1, ecgtrace::Parameter::M, 1);
    m.SetParameter(1, ecgtrace::Parameter::Nd, 2);
    m.SetParameter(1, ecgtrace::Parameter::NE, 0);
    m.SetParameter(1, ecgtrace::Parameter::N, 1);
    m.ComputePMap(1);
    EXPECT_EQ(m.Map(1)[10], -0.0049999999999999819);
    EXPECT_EQ(common::Round(100 * m.Map(1)[10]), 0);

    PlotSurface s(ecgtrace::kMapPlotWidth, ecgtrace::kMapPlotHeight);
    ecgtrace::DrawPMap(m, 1, s);
    EXPECT_EQ(s.Pixel(20, 111), common::kGreen);  // x = 0.10 still on the frame line
    EXPECT_EQ(s.Pixel(21, 111), kLime);           // x = 0.11 one pixel below it
}

TEST(ReviewPeriod, RefusalNamesThePeriodItComputed) {
    testing_support::ScopedWorkDir dir;
    SignalModel m;
    m.RunStartupComputations();
    auto messageFor = [&](double f) -> std::string {
        m.SetParameter(1, ecgtrace::Parameter::f, f);
        try {
            m.ComputeT(1);
        } catch (const common::AppError& e) {
            return e.what();
        }
        return "";
    };
    // rnd(-1e18) + 6 + 170 + 24, exactly.
    EXPECT_EQ(messageFor(-1e18), ecgtrace::PeriodTooSmallMessage(-999999999999999800));
    EXPECT_EQ(messageFor(4e15), ecgtrace::PeriodTooLargeMessage(4000000000000200));
    EXPECT_EQ(m.Period(1), 221);
}
