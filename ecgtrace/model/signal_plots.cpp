#include "ecgtrace/model/signal_plots.h"

#include "common/number_format.h"
#include "common/numeric.h"

namespace ecgtrace {

namespace {

int Rnd(double x) { return common::RoundToInt(x); }

constexpr int kCobwebSteps = 101;

void Clear(common::PlotSurface& s, int right, int bottom) {
    s.SetPenColor(common::kLime);
    s.SetBrushColor(common::kGreen);
    s.Rectangle(0, 0, right, bottom);
}

}  // namespace

void DrawA(const SignalModel& model, std::int32_t g, common::PlotSurface& s) {
    const std::int32_t period = model.Period(g);
    const GroupSignal& a = model.Signal(g);
    const int W = s.Width();
    const int H = s.Height();
    const std::int32_t step = common::TruncToInt(common::FloatDivide(period, W - 20)) + 1;

    // A group that could not be computed leaves the frame alone, never the
    // picture of values no longer behind it.
    if (a.empty()) {
        Clear(s, W, H);
        return;
    }
    // One pass finds the range and refuses a sample that is not finite,
    // before anything is drawn.
    double amax = -1e308;
    double amin = 1e308;
    for (const double v : a) {
        common::RequireFinite(v);
        if (v > amax) amax = v;
        if (v < amin) amin = v;
    }
    Clear(s, W, H);
    const double scale = common::FloatDivide(H - 20, amax - amin);
    const int y0 = Rnd(amax * scale);

    s.MoveTo(10, y0 + 10);
    for (std::size_t k = 0; k < a.size(); ++k)
        s.LineTo(static_cast<int>(k) / step + 10, Rnd((amax - a[k]) * scale) + 10);

    s.MoveTo(10, y0 + 10);
    s.LineTo(W - 10, y0 + 10);
    s.TextOut(10, y0 + 15, "0");
    const std::int32_t ticks = common::Div(period, 50);
    int x = 10;
    for (std::int32_t n = 0; n <= ticks; ++n) {
        x = (50 * n) / step + 10;
        s.MoveTo(x, y0 + 15);
        s.LineTo(x, y0 + 10);
    }
    s.TextOut(x, y0 + 15, common::IntToText(static_cast<std::int64_t>(ticks) * 50));
    s.TextOut(W - 20, y0 + 15, "ms");
}

void DrawPSeries(const SignalModel& model, std::int32_t g, common::PlotSurface& s) {
    const std::vector<double> series = model.PSeries(g);
    common::RequireAllFinite(series);
    Clear(s, s.Width(), s.Height());
    s.MoveTo(10, 10);
    s.LineTo(10, 60);
    s.LineTo(310, 60);
    s.MoveTo(10, 60);
    for (std::size_t i = 0; i < series.size(); ++i)
        s.LineTo(static_cast<int>(i) + 10, 60 - Rnd(50 * series[i]));
}

void DrawPMap(const SignalModel& model, std::int32_t g, common::PlotSurface& s) {
    const auto& map = model.Map(g);
    common::RequireAllFinite(map);
    Clear(s, s.Width(), s.Height());
    s.MoveTo(10, 110);
    s.LineTo(10, 10);
    s.LineTo(110, 10);
    s.LineTo(110, 110);
    s.LineTo(10, 110);
    s.LineTo(110, 10);
    s.MoveTo(10, 10);
    s.LineTo(110, 110);
    s.MoveTo(10, 110);
    for (int i = 0; i < kPMapSize; ++i)
        s.LineTo(i + 10, 110 - Rnd(100 * map[static_cast<std::size_t>(i)]));
}

void DrawCobweb(const SignalModel& model, std::int32_t g, common::PlotSurface& s) {
    DrawPMap(model, g, s);
    s.SetPenColor(common::kRed);
    s.MoveTo(Rnd(100 * model.Parameters(g).P0) + 10, 110);
    for (const SignalModel::MapStep& step : model.IterationSteps(g, kCobwebSteps)) {
        const int y = Rnd(100 * step.next);
        s.LineTo(step.entry + 10, 110 - y);
        s.LineTo(y + 10, 110 - y);
    }
}

void DrawE(const SignalModel& model, common::PlotSurface& s) {
    common::RequireAllFinite(model.ESignal());
    common::RequireFinite(model.EMax());
    common::RequireFinite(model.EMin());
    const int W = s.Width();
    // The frame stops one pixel short of the image width used for x.
    Clear(s, W - 1, s.Height());
    if (model.ESignal().empty()) return;  // E(t) could not be computed: the frame alone
    s.MoveTo(0, 100);
    const double scale = common::FloatDivide(100.0, model.EMax() - model.EMin());
    const std::vector<double>& e = model.ESignal();
    const std::int64_t start = model.EWindowStart();
    const std::int64_t end = model.EWindowEnd();
    const std::int64_t n = end - start + 1;
    for (std::int64_t d = start; d <= end; ++d) {
        if (d < 0 || static_cast<std::size_t>(d) >= e.size()) continue;
        const double x = static_cast<double>((d - start) * W) / static_cast<double>(n);
        s.LineTo(Rnd(x), 50 - Rnd(e[static_cast<std::size_t>(d)] * scale));
    }
}

}  // namespace ecgtrace
