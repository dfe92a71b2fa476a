#include "ecgtrace/model/plot_exports.h"

#include <QGuiApplication>
#include <cstdlib>
#include <iostream>
#include <vector>

#include "common/command_line.h"
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

// What a user does before such a plot: chooses the actual and the cross
// group, then shows the E(t) tab for E(t) and its analysis, else a group's.
void SetWindowState(SignalSession& session, const PlotRequest& r) {
    const std::int32_t g = ShownGroup(r);
    if (g >= 1) {
        session.ChangeActualGroup(g);
        session.ChangeCrossGroup(CrossGroup(r));
    }
    session.ShowTab(r.plot == PlotName::Et || (IsAnalysis(r.plot) && g == 0));
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
    SetWindowState(session, r);
    const std::int32_t g = ShownGroup(r);
    switch (r.plot) {
        case PlotName::Power: {
            // As the power tab shows it after "signal analysis", switched
            // once more when the other state is asked for.
            const AnalysisOpening opening =
                g == 0 ? session.OpenSumSignalAnalysis() : session.OpenGroupAnalysis();
            PowerSpectrumRows rows = opening.power;
            if (rows.switchable && session.Model().WithRepetition(g) != r.repetition)
                rows = session.ToggleRepetition();
            return rows;
        }
        case PlotName::CrossPhase:
            session.OpenGroupAnalysis();
            return session.ComputeCrossPhase();
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

bool AsksForPlot(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]) == "--plot") return true;
    return false;
}

namespace {

struct UsageError {
    std::string message;
};

const char* const kPlotUsage =
    "usage: ecgtrace-batch [PARFILE] --plot NAME --format png|svg|csv|edf [--scale N]\n"
    "                      [--group G] [--cross C] [--repetition] --out FILE\n"
    "       NAME: et, at, pseries, pmap, histogram, autocorrelation, power, crossphase\n";

std::int32_t WholeNumber(const std::string& option, const std::string& text) {
    std::int32_t value = 0;
    if (!common::TryParseInteger(text, value)) throw UsageError{option + " needs a whole number"};
    return value;
}

}  // namespace

int RunPlotExportCommand(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    PlotRequest request;
    std::optional<std::string> path, out, plot, format;
    const auto refuse = [](const std::string& message) {
        std::cerr << "ecgtrace-batch: " << common::PrintableText(message) << "\n" << kPlotUsage;
        return 2;
    };
    try {
        const auto value = [&](std::size_t& i) -> const std::string& {
            if (i + 1 >= args.size()) throw UsageError{args[i] + " needs a value"};
            return args[++i];
        };
        for (std::size_t i = 0; i < args.size(); ++i) {
            const std::string& arg = args[i];
            if (arg == "--plot") {
                plot = value(i);
            } else if (arg == "--format") {
                format = value(i);
            } else if (arg == "--scale") {
                request.scale = WholeNumber(arg, value(i));
            } else if (arg == "--group") {
                request.group = WholeNumber(arg, value(i));
            } else if (arg == "--cross") {
                request.cross = WholeNumber(arg, value(i));
            } else if (arg == "--repetition") {
                request.repetition = true;
            } else if (arg == "--out") {
                out = value(i);
            } else if (!arg.empty() && arg[0] == '-') {
                throw UsageError{"unknown argument " + arg};
            } else if (path) {
                throw UsageError{"one parameter file only: " + arg};
            } else {
                path = arg;
            }
        }
        const auto name = PlotNamed(plot.value_or(""));
        if (!name) throw UsageError{"unknown plot " + plot.value_or("")};
        request.plot = *name;
        const auto chosen = ExportFormatNamed(format.value_or(""));
        if (!chosen)
            throw UsageError{format ? "unknown format " + *format : "--format is required"};
        request.format = *chosen;
        if (!out || out->empty()) throw UsageError{"--out is required"};
        if (request.format != ExportFormat::Png && request.scale != 1)
            throw UsageError{"--scale is for --format png only"};
        if (request.scale < common::kMinPictureScale || request.scale > common::kMaxPictureScale)
            throw UsageError{"--scale is a whole number from 1 to 8"};
    } catch (const UsageError& e) {
        return refuse(e.message);
    }

    // Text is drawn with the plot fonts: a GUI application without windows.
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // The platform's notes (a missing runtime folder, say) are not ours to print.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::cerr << message.toLocal8Bit().constData() << "\n";
    });
    int appArgc = 1;
    char* appArgv[] = {argv[0], nullptr};
    QGuiApplication application(appArgc, appArgv);
    common::LoadPlotFonts();
    try {
        SignalSession session;
        session.StartStrictly(path);
        // Groups are known once the file is read; a request outside them
        // is a refused command line all the same.
        try {
            CheckPlotRequest(session.Model(), request);
        } catch (const common::AppError& e) {
            return refuse(e.Message());
        }
        const std::string bytes = ExportBytes(session, request);
        if (*out == "-")
            common::WriteStandardOutput(bytes);
        else
            common::WriteFileAtomically(*out, bytes);
    } catch (const ParameterFileError& e) {
        std::cerr << "ecgtrace-batch: " << common::PrintableText(e.Message()) << " ("
                  << common::PrintableText(e.Where()) << ").\n";
        return 1;
    } catch (const common::AppError& e) {
        std::cerr << "ecgtrace-batch: " << common::PrintableText(common::WithFullStop(e.Message()))
                  << "\n";
        return 1;
    }
    return 0;
}

}  // namespace ecgtrace
