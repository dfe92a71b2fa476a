#pragma once
// A recording's 28 s analysed and drawn by the same code as E(t): the
// histogram of its samples (in the recording's unit), its autocorrelation
// (normalised, as E(t)'s), its power spectrum (in dB below its strongest bin,
// as E(t)'s), and the 28 s themselves as a trace.
#include <string>

#include "common/plot_export.h"
#include "common/plot_surface.h"
#include "ecgtrace/model/analysis_plots.h"
#include "ecgtrace/model/recording.h"

namespace ecgtrace {

// "II" or, for a channel without a label, "channel 2".
std::string RecordingChannelName(const RecordingWindow& window);

// What a recording window's analysis computed, once.
struct RecordingAnalysis {
    RecordingWindow window;
    std::vector<double> autocorrelation;  // lags 1..2000 ms
    PowerLevels power;
};
RecordingAnalysis AnalyseRecording(RecordingWindow window);

void DrawRecordingHistogram(const RecordingAnalysis& analysis, common::PlotSurface& plot);
void DrawRecordingAutocorrelation(const RecordingAnalysis& analysis, common::PlotSurface& plot);
void DrawRecordingPowerSpectrum(const RecordingAnalysis& analysis, common::PlotSurface& plot);

enum class RecordingPlot { Histogram, Autocorrelation, Power };
// Draws one of the three on a surface of the analysis window's size.
common::PlotSurface DrawRecordingPlot(const RecordingAnalysis& analysis, RecordingPlot plot);
common::DataTable RecordingPlotTable(const RecordingAnalysis& analysis, RecordingPlot plot);

inline constexpr int kRecordingTraceWidth = 560, kRecordingTraceHeight = 90;
// The 28 s from left to right, scaled to the trace's height, teal on yellow,
// with the channel, start and range written in.
void DrawRecordingTrace(const RecordingWindow& window, common::PlotSurface& plot);
// The 28 s as numbers: time in ms from the start, the value in the channel's unit.
common::DataTable RecordingTraceTable(const RecordingWindow& window);

}  // namespace ecgtrace
