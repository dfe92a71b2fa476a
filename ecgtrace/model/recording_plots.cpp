#include "ecgtrace/model/recording_plots.h"

#include <algorithm>

#include "common/number_format.h"
#include "common/numeric.h"
#include "ecgtrace/model/plot_data.h"
#include "ecgtrace/model/signal_measures.h"

namespace ecgtrace {

std::string RecordingChannelName(const RecordingWindow& w) {
    return w.channelLabel.empty()
               ? "channel " + common::IntToText(static_cast<std::int64_t>(w.channel + 1))
               : w.channelLabel;
}

RecordingAnalysis AnalyseRecording(RecordingWindow window) {
    RecordingAnalysis a;
    common::RequireAllFinite(window.samples);
    a.autocorrelation = SampledAutocorrelation(window.samples);
    const std::vector<Complex> row = SampledSpectrumRow(window.samples);
    a.power = ComputePowerLevels(row, row);
    a.window = std::move(window);
    return a;
}

void DrawRecordingHistogram(const RecordingAnalysis& a, common::PlotSurface& plot) {
    DrawHistogramOf(a.window.samples, "amplitudehistogram of " + RecordingChannelName(a.window),
                    plot);
}

void DrawRecordingAutocorrelation(const RecordingAnalysis& a, common::PlotSurface& plot) {
    DrawAutocorrelationOf(a.autocorrelation, "autocorrelation of " + RecordingChannelName(a.window),
                          plot);
}

void DrawRecordingPowerSpectrum(const RecordingAnalysis& a, common::PlotSurface& plot) {
    // No repetition effect to state: the corner stays empty.
    DrawPowerLevels(a.power, "", "autopowerspectrum of " + RecordingChannelName(a.window), plot);
}

common::PlotSurface DrawRecordingPlot(const RecordingAnalysis& a, RecordingPlot plot) {
    switch (plot) {
        case RecordingPlot::Histogram: {
            common::PlotSurface s(kHistogramPlotWidth, kHistogramPlotHeight);
            DrawRecordingHistogram(a, s);
            return s;
        }
        case RecordingPlot::Autocorrelation: {
            common::PlotSurface s(kCorrelationPlotWidth, kCorrelationPlotHeight);
            DrawRecordingAutocorrelation(a, s);
            return s;
        }
        case RecordingPlot::Power:
            break;
    }
    common::PlotSurface s(kPowerPlotWidth, kPowerPlotHeight);
    DrawRecordingPowerSpectrum(a, s);
    return s;
}

common::DataTable RecordingPlotTable(const RecordingAnalysis& a, RecordingPlot plot) {
    switch (plot) {
        case RecordingPlot::Histogram:
            return HistogramTableOf(a.window.samples);
        case RecordingPlot::Autocorrelation:
            return AutocorrelationTableOf(a.autocorrelation);
        case RecordingPlot::Power:
            break;
    }
    return PowerSpectrumTableOf(a.power);
}

void DrawRecordingTrace(const RecordingWindow& w, common::PlotSurface& s) {
    common::RequireAllFinite(w.samples);
    s.SetPenColor(common::kTeal);
    s.SetBrushColor(common::kYellow);
    s.Rectangle(0, 0, s.Width(), s.Height());
    if (w.samples.empty()) return;
    const auto [low, high] = std::minmax_element(w.samples.begin(), w.samples.end());
    const double range = *high - *low;
    const int top = 14, bottom = s.Height() - 4;
    const double xScale =
        static_cast<double>(s.Width() - 2) / static_cast<double>(w.samples.size());
    auto y = [&](double v) {
        return range > 0 ? bottom - common::RoundToInt((v - *low) / range * (bottom - top))
                         : bottom;
    };
    s.MoveTo(1, y(w.samples.front()));
    for (std::size_t j = 1; j < w.samples.size(); ++j)
        s.LineTo(1 + common::RoundToInt(static_cast<double>(j) * xScale), y(w.samples[j]));
    const std::string unit = w.unit.empty() ? std::string() : " " + w.unit;
    s.TextOut(4, 1,
              RecordingName(w.file) + " " + RecordingChannelName(w) + " from " +
                  common::FormatGeneral(w.startSeconds, 6) + " s, " +
                  common::FormatGeneral(*low, 3) + ".." + common::FormatGeneral(*high, 3) + unit);
}

common::DataTable RecordingTraceTable(const RecordingWindow& w) {
    common::DataTable t{{"t_ms", RecordingChannelName(w)}, {}};
    t.rows.reserve(w.samples.size());
    for (std::size_t j = 0; j < w.samples.size(); ++j)
        t.rows.push_back({10.0 * static_cast<double>(j), common::RequireFinite(w.samples[j])});
    return t;
}

}  // namespace ecgtrace
