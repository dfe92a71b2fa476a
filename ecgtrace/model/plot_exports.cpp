#include "ecgtrace/model/plot_exports.h"

#include "common/errors.h"
#include "common/file_io.h"
#include "common/number_format.h"
#include "ecgtrace/model/analysis_plots.h"
#include "ecgtrace/model/edf_export.h"
#include "ecgtrace/model/plot_data.h"
#include "ecgtrace/model/session.h"
#include "ecgtrace/model/signal_plots.h"

namespace ecgtrace {
namespace {

bool IsAnalysis(PlotName p) {
    return p == PlotName::Histogram || p == PlotName::Autocorrelation || p == PlotName::Power ||
           p == PlotName::CrossPhase;
}

// The group a plot of one group shows; 0 for an analysis of E(t).
std::int32_t ShownGroup(const PlotRequest& r) {
    if (r.group) return *r.group;
    return IsAnalysis(r.plot) && r.plot != PlotName::CrossPhase ? 0 : 1;
}

std::int32_t CrossGroup(const PlotRequest& r) { return r.cross.value_or(ShownGroup(r)); }

QSize SurfaceSize(PlotName p) {
    switch (p) {
        case PlotName::Et:
            return {kSumPlotWidth, kSumPlotHeight};
        case PlotName::At:
            return {kSignalPlotWidth, kSignalPlotHeight};
        case PlotName::PSeries:
            return {kSeriesPlotWidth, kSeriesPlotHeight};
        case PlotName::PMap:
            return {kMapPlotWidth, kMapPlotHeight};
        case PlotName::Histogram:
            return {kHistogramPlotWidth, kHistogramPlotHeight};
        case PlotName::Autocorrelation:
            return {kCorrelationPlotWidth, kCorrelationPlotHeight};
        case PlotName::Power:
            return {kPowerPlotWidth, kPowerPlotHeight};
        case PlotName::CrossPhase:
            return {kPhasePlotWidth, kPhasePlotHeight};
    }
    return {1, 1};
}

// What the analysis plots analyse: E(t) for group 0, else the group
// against the cross group.
AnalysisSubject SubjectOf(const PlotRequest& r) {
    const std::int32_t g = ShownGroup(r);
    return g == 0 ? AnalysisSubject::SumSignal(CrossGroup(r))
                  : AnalysisSubject::Group(g, CrossGroup(r));
}

}  // namespace

std::optional<PlotName> PlotNamed(const std::string& name) {
    static const std::pair<const char*, PlotName> kNames[] = {
        {"et", PlotName::Et},
        {"at", PlotName::At},
        {"pseries", PlotName::PSeries},
        {"pmap", PlotName::PMap},
        {"histogram", PlotName::Histogram},
        {"autocorrelation", PlotName::Autocorrelation},
        {"power", PlotName::Power},
        {"crossphase", PlotName::CrossPhase}};
    for (const auto& [text, plot] : kNames)
        if (name == text) return plot;
    return std::nullopt;
}

std::optional<ExportFormat> ExportFormatNamed(const std::string& name) {
    if (name == "png") return ExportFormat::Png;
    if (name == "svg") return ExportFormat::Svg;
    if (name == "csv") return ExportFormat::Csv;
    if (name == "edf") return ExportFormat::Edf;
    return std::nullopt;
}

void CheckPlotRequest(const SignalModel& model, const PlotRequest& r) {
    const auto checkGroup = [&](const char* option, std::int32_t g) {
        if (g < 1 || g > model.GroupCount())
            throw common::AppError(std::string(option) + " is a group from 1 to " +
                                   common::IntToText(model.GroupCount()));
    };
    if (r.group) checkGroup("--group", *r.group);
    if (r.cross) checkGroup("--cross", *r.cross);
    if (r.format == ExportFormat::Edf && r.plot != PlotName::Et)
        throw common::AppError("--format edf is for the plot et only");
    if (r.scale < common::kMinPictureScale || r.scale > common::kMaxPictureScale)
        throw common::AppError("--scale is a whole number from 1 to 8");
    // The window shows no cross phase of a group against itself.
    if (r.plot == PlotName::CrossPhase && CrossGroup(r) == ShownGroup(r))
        throw common::AppError("--plot crossphase needs a --cross group other than the group");
}

namespace {

// Puts the session into the state the windows are in when they show the
// plot and computes what it shows; for a spectrum, the rows it shows.
PowerSpectrumRows PreparePlot(SignalSession& session, const PlotRequest& r) {
    CheckPlotRequest(session.Model(), r);
    const AnalysisSubject subject = SubjectOf(r);
    // Start-up leaves E(t) to be computed when it is first shown.
    if (r.plot == PlotName::Et || subject.sumSignal) session.RecomputeSumSignal();
    switch (r.plot) {
        case PlotName::Power: {
            // As the power tab shows it after "signal analysis", switched
            // once more when the other state is asked for.
            PowerSpectrumRows rows = session.OpenAnalysis(subject).power;
            if (rows.switchable && session.Model().WithRepetition(subject.index) != r.repetition)
                rows = session.ToggleRepetition(subject);
            return rows;
        }
        case PlotName::CrossPhase:
            session.OpenAnalysis(subject);
            return session.ComputeCrossPhase(subject);
        default:
            return {};
    }
}

}  // namespace

common::PlotSurface DrawRequestedPlot(SignalSession& session, const PlotRequest& r) {
    const PowerSpectrumRows rows = PreparePlot(session, r);
    const SignalModel& model = session.Model();
    const QSize size = SurfaceSize(r.plot);
    common::PlotSurface s(size.width(), size.height());
    const std::int32_t g = ShownGroup(r);
    switch (r.plot) {
        case PlotName::Et:
            DrawE(model, s);
            break;
        case PlotName::At:
            DrawA(model, g, s);
            break;
        case PlotName::PSeries:
            DrawPSeries(model, g, s);
            break;
        case PlotName::PMap:
            DrawPMap(model, g, s);
            break;
        case PlotName::Histogram:
            DrawHistogram(model, g, s);
            break;
        case PlotName::Autocorrelation:
            DrawAutocorrelation(model, g, s);
            break;
        case PlotName::Power:
            DrawPowerSpectrum(model, rows.g1, rows.g2, s);
            break;
        case PlotName::CrossPhase:
            DrawCrossPhase(model, rows.g1, rows.g2, s);
            break;
    }
    return s;
}

common::DataTable RequestedPlotTable(const SignalModel& model, const PlotRequest& r) {
    const std::int32_t g = ShownGroup(r);
    switch (r.plot) {
        case PlotName::Et:
            return ETable(model);
        case PlotName::At:
            return ATable(model, g);
        case PlotName::PSeries:
            return PSeriesTable(model, g);
        case PlotName::PMap:
            return PMapTable(model, g);
        case PlotName::Histogram:
            return HistogramTable(model, g);
        case PlotName::Autocorrelation:
            return AutocorrelationTable(model, g);
        case PlotName::Power:
            return g == 0 ? PowerSpectrumTable(model, 0, 0)
                          : PowerSpectrumTable(model, g, CrossGroup(r));
        case PlotName::CrossPhase:
            return CrossPhaseTable(model, g, CrossGroup(r));
    }
    return {};
}

std::string ExportBytes(SignalSession& session, const PlotRequest& r) {
    switch (r.format) {
        case ExportFormat::Png:
            return common::PictureBytes(DrawRequestedPlot(session, r), common::PictureFormat::Png,
                                        r.scale);
        case ExportFormat::Svg:
            return common::PictureBytes(DrawRequestedPlot(session, r), common::PictureFormat::Svg);
        case ExportFormat::Csv:
            // The data need no picture: a plot that cannot be drawn (a flat
            // E(t)) still gives its table.
            PreparePlot(session, r);
            return common::CsvText(RequestedPlotTable(session.Model(), r));
        case ExportFormat::Edf:
            PreparePlot(session, r);
            return EdfBytes(session.Model());
    }
    return {};
}

void ExportPlot(SignalSession& session, const PlotRequest& r, const std::string& path) {
    // Made in full before the file is touched.
    common::WriteFileAtomically(path, ExportBytes(session, r));
}

}  // namespace ecgtrace
