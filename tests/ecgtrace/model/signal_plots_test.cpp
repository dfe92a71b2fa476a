// Pixels of the A(t), map, series and E(t) plots.
#include <gtest/gtest.h>

#include "common/errors.h"
#include "common/numeric.h"
#include "ecgtrace/model/signal_plots.h"
#include "support/work_dir.h"

using common::kGreen;
using common::kLime;
using common::kRed;
using common::PlotSurface;
using ecgtrace::SignalModel;

namespace {

SignalModel Started() {
    testing_support::ScopedWorkDir dir;
    SignalModel m;
    m.RunStartupComputations();
    return m;
}

bool ColumnHas(const PlotSurface& s, int x, int y1, int y2, common::Rgb c) {
    for (int y = y1; y <= y2; ++y)
        if (s.Pixel(x, y) == c) return true;
    return false;
}

bool RowHas(const PlotSurface& s, int y, int x1, int x2, common::Rgb c) {
    for (int x = x1; x <= x2; ++x)
        if (s.Pixel(x, y) == c) return true;
    return false;
}

// y of the zero line of DrawA.
int ZeroLine(const SignalModel& m, int g, int height) {
    const auto& a = m.Signal(g);
    const double amax = *std::max_element(a.begin(), a.end());
    const double amin = *std::min_element(a.begin(), a.end());
    return static_cast<int>(common::Round(amax * ((height - 20) / (amax - amin)))) + 10;
}

// Columns (of `candidates`) that carry a 5-pixel tick below the zero line.
std::vector<int> TickColumns(const PlotSurface& s, int zero, std::vector<int> candidates) {
    std::vector<int> ticks;
    for (int x : candidates) {
        bool tick = true;
        for (int y = zero + 1; y <= zero + 4; ++y) tick = tick && s.Pixel(x, y) == kLime;
        if (tick) ticks.push_back(x);
    }
    return ticks;
}

}  // namespace

TEST(DrawA, DefaultCurveTicksAndScale) {
    SignalModel m = Started();
    PlotSurface s(ecgtrace::kSignalPlotWidth, ecgtrace::kSignalPlotHeight);
    ecgtrace::DrawA(m, 1, s);
    EXPECT_EQ(s.Pixel(0, 0), kLime);
    EXPECT_EQ(s.Pixel(189, 169), kLime);
    EXPECT_EQ(s.Pixel(5, 5), kGreen);

    const int zero = ZeroLine(m, 1, 170);
    EXPECT_EQ(TickColumns(s, zero, {10, 35, 60, 85, 110, 135, 160}),
              (std::vector<int>{10, 35, 60, 85, 110}));
    EXPECT_EQ(s.Pixel(179, zero), kLime);  // time axis to W - 10
    EXPECT_EQ(s.Pixel(180, zero), kGreen);

    // Largest sample (k = 45) on y = 10, smallest (k = 86) on y = H - 10,
    // step 2 samples per column; nothing of the curve beyond them.
    EXPECT_EQ(s.Pixel(45 / 2 + 10, 10), kLime);
    EXPECT_EQ(s.Pixel(86 / 2 + 10, 160), kLime);
    for (int y = 1; y < 10; ++y) EXPECT_FALSE(RowHas(s, y, 1, 188, kLime)) << y;
    for (int y = 161; y < 169; ++y) EXPECT_FALSE(RowHas(s, y, 1, 188, kLime)) << y;
}

TEST(DrawA, StepFollowsPeriod) {
    SignalModel m = Started();
    PlotSurface s(ecgtrace::kSignalPlotWidth, ecgtrace::kSignalPlotHeight);
    m.SetParameter(1, ecgtrace::Parameter::Ta, 119);  // T = 170: two samples per column
    m.ComputeT(1);
    ASSERT_EQ(m.Period(1), 170);
    ecgtrace::DrawA(m, 1, s);
    EXPECT_EQ(TickColumns(s, ZeroLine(m, 1, 170), {10, 35, 60, 85, 110, 135}),
              (std::vector<int>{10, 35, 60, 85}));

    m.SetParameter(1, ecgtrace::Parameter::Ta, 118);  // T = 169: one sample per column
    m.ComputeT(1);
    ecgtrace::DrawA(m, 1, s);
    EXPECT_EQ(TickColumns(s, ZeroLine(m, 1, 170), {10, 35, 60, 85, 110, 160}),
              (std::vector<int>{10, 60, 110, 160}));
}

TEST(DrawPlots, MapSeriesAndCobweb) {
    SignalModel m = Started();
    PlotSurface map(ecgtrace::kMapPlotWidth, ecgtrace::kMapPlotHeight);
    PlotSurface series(ecgtrace::kSeriesPlotWidth, ecgtrace::kSeriesPlotHeight);
    m.SetWeights(1, 0, 0);
    ecgtrace::DrawPMap(m, 1, map);
    ecgtrace::DrawPSeries(m, 1, series);
    EXPECT_GT(m.PSeries(1)[300], 0.28);  // the series drawn ran to its end
    // Drawing changes nothing in the model: the weights stay as they were.
    EXPECT_EQ(m.PHalf(1), 0.0);
    EXPECT_EQ(m.PWhole(1), 0.0);
    EXPECT_EQ(map.Pixel(10, 60), kLime);        // frame
    EXPECT_EQ(map.Pixel(40, 40), kLime);        // the line Pn+1 = 1 - Pn
    EXPECT_EQ(map.Pixel(40, 80), kLime);        // the line Pn+1 = Pn
    EXPECT_EQ(map.Pixel(20, 110 - 71), kLime);  // PMap[10] = 0.7128
    EXPECT_EQ(map.Pixel(20, 110 - 72), kGreen);

    // P_2 = PMap[71] lies just above 0.29: 50 P rounds to 15, not to 14.
    EXPECT_EQ(series.Pixel(12, 45), kLime);
    EXPECT_EQ(series.Pixel(12, 46), kGreen);
    EXPECT_EQ(series.Pixel(10, 55), kLime);   // P_0 = 0.1 on the axis column
    EXPECT_EQ(series.Pixel(200, 60), kLime);  // time axis

    ecgtrace::DrawCobweb(m, 1, map);
    EXPECT_EQ(map.PenColor(), kRed);
    // First step: from (20, 110) up to the map value at 0.10, then across.
    EXPECT_EQ(map.Pixel(20, 60), kRed);
    EXPECT_EQ(map.Pixel(50, 110 - 71), kRed);
    ecgtrace::DrawPMap(m, 1, map);
    EXPECT_EQ(map.PenColor(), kLime);
    EXPECT_EQ(map.Pixel(20, 60), kGreen);
}

TEST(DrawE, WindowPlacementAndFrame) {
    SignalModel m = Started();
    m.ComputeE();
    PlotSurface s(ecgtrace::kSumPlotWidth, ecgtrace::kSumPlotHeight);
    m.SetEWindow(100, 200);
    ecgtrace::DrawE(m, s);
    EXPECT_EQ(s.Pixel(279, 50), kLime);  // frame ends at 280
    EXPECT_NE(s.Pixel(280, 50), kGreen);
    // The last of 101 samples sits at rnd(100 * 281 / 101) = 278, the one
    // before at rnd(99 * 281 / 101) = 275.
    const double scale = 100 / (m.EMax() - m.EMin());
    auto y = [&](int d) { return 50 - static_cast<int>(common::Round(m.ESignal()[d] * scale)); };
    EXPECT_EQ(s.PenPosition(), QPoint(278, y(200)));
    EXPECT_EQ(s.Pixel(275, y(199)), kLime);
    // The curve starts with a line from (0, 100).
    EXPECT_EQ(s.Pixel(0, 100), kLime);

    // From 0 the first point is E at t = 0.
    m.SetEWindow(0, 2800);
    ecgtrace::DrawE(m, s);
    const int y0 =
        50 - static_cast<int>(common::Round(m.ESignal()[0] * (100 / (m.EMax() - m.EMin()))));
    EXPECT_EQ(s.Pixel(0, y0), kLime);

    // An empty window leaves only the frame.
    m.SetEWindow(300, 200);
    ecgtrace::DrawE(m, s);
    for (int x = 1; x < 279; ++x) EXPECT_FALSE(ColumnHas(s, x, 1, 103, kLime)) << x;
}

TEST(DrawE, FlatSignalCannotBeScaled) {
    SignalModel m = Started();
    for (int g = 1; g <= 6; ++g) m.SetWeights(g, 0, 0);
    m.ComputeE();
    PlotSurface s(ecgtrace::kSumPlotWidth, ecgtrace::kSumPlotHeight);
    try {
        ecgtrace::DrawE(m, s);
        FAIL() << "no error";
    } catch (const common::AppError& e) {
        EXPECT_STREQ(e.what(), "Floating point division by zero");
    }
}

TEST(DrawPlots, MapSumRoundedAfterEveryTermDecidesThePixel) {
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
