#pragma once
// Every plot of the main window and of the analysis window drawn and taken
// out without a window: the session computes what the plot shows for the
// group and cross group asked for, the plot is drawn on a surface of the
// window's size, and the picture (PNG, SVG), the values behind it (CSV) or,
// for E(t), the biosignal file (EDF+) is written. Drawing needs a
// QGuiApplication (fonts).
#include <cstdint>
#include <optional>
#include <string>

#include "common/plot_export.h"
#include "common/plot_surface.h"
#include "ecgtrace/model/session.h"
#include "ecgtrace/model/signal_model.h"

namespace ecgtrace {

enum class PlotName { Et, At, PSeries, PMap, Histogram, Autocorrelation, Power, CrossPhase };
enum class ExportFormat { Png, Svg, Csv, Edf };

// "et", "at", "pseries", "pmap", "histogram", "autocorrelation", "power",
// "crossphase"; and "png", "svg", "csv", "edf".
std::optional<PlotName> PlotNamed(const std::string& name);
std::optional<ExportFormat> ExportFormatNamed(const std::string& name);

struct PlotRequest {
    PlotName plot = PlotName::Et;
    ExportFormat format = ExportFormat::Png;
    int scale = 1;  // PNG only
    // The actual group; without it A(t), the P plots and the cross phase
    // show group 1 and the other analysis plots analyse E(t).
    std::optional<std::int32_t> group;
    std::optional<std::int32_t> cross;  // the cross group; the actual group when not given
    bool repetition = false;            // the power spectrum with the repetition effect
};

// Checks the request against the model (groups within 1..G, the format
// fits the plot, the scale within 1..8); throws AppError with the reason.
void CheckPlotRequest(const SignalModel& model, const PlotRequest& request);
// Draws the plot as the window shows it, computed as the window computes it.
common::PlotSurface DrawRequestedPlot(SignalSession& session, const PlotRequest& request);
// The values behind the plot just drawn.
common::DataTable RequestedPlotTable(const SignalModel& model, const PlotRequest& request);
// The requested file's bytes: a picture is drawn, data (CSV, EDF) are
// taken from the model without drawing.
std::string ExportBytes(SignalSession& session, const PlotRequest& request);
// Writes ExportBytes, replacing `path` atomically; on failure nothing is
// written and AppError is thrown.
void ExportPlot(SignalSession& session, const PlotRequest& request, const std::string& path);

}  // namespace ecgtrace
