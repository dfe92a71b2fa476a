#include "ecgtrace/model/plot_exports.h"

#include <QGuiApplication>
#include <cstdlib>
#include <iostream>
#include <vector>

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
}

common::PlotSurface DrawRequestedPlot(SignalSession& session, const PlotRequest& r) {
    CheckPlotRequest(session.Model(), r);
    SetWindowState(session, r);
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
        case PlotName::Power: {
            // As the power tab shows it after "signal analysis", switched
            // once more when the other state is asked for.
            AnalysisOpening opening =
                g == 0 ? session.OpenSumSignalAnalysis() : session.OpenGroupAnalysis();
            PowerSpectrumRows rows = opening.power;
            if (rows.switchable && model.WithRepetition(g) != r.repetition)
                rows = session.ToggleRepetition();
            DrawPowerSpectrum(model, rows.g1, rows.g2, s);
            break;
        }
        case PlotName::CrossPhase: {
            session.OpenGroupAnalysis();
            const PowerSpectrumRows rows = session.ComputeCrossPhase();
            DrawCrossPhase(model, rows.g1, rows.g2, s);
            break;
        }
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

void ExportPlot(SignalSession& session, const PlotRequest& r, const std::string& path) {
    const common::PlotSurface surface = DrawRequestedPlot(session, r);
    const SignalModel& model = session.Model();
    switch (r.format) {
        case ExportFormat::Png:
            common::SavePicture(surface, path, common::PictureFormat::Png, r.scale);
            break;
        case ExportFormat::Svg:
            common::SavePicture(surface, path, common::PictureFormat::Svg);
            break;
        case ExportFormat::Csv:
            common::SaveCsv(RequestedPlotTable(model, r), path);
            break;
        case ExportFormat::Edf:
            WriteEdf(model, path);
            break;
    }
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
            } else if ((!arg.empty() && arg[0] == '-') || path) {
                throw UsageError{"unknown argument " + arg};
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
    } catch (const UsageError& e) {
        std::cerr << "ecgtrace-batch: " << e.message << "\n" << kPlotUsage;
        return 2;
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
        ExportPlot(session, request, *out);
    } catch (const ParameterFileError& e) {
        std::cerr << "ecgtrace-batch: " << e.what() << " (" << e.Where() << ").\n";
        return 1;
    } catch (const common::AppError& e) {
        std::cerr << "ecgtrace-batch: " << common::WithFullStop(e.what()) << "\n";
        return 1;
    }
    return 0;
}

}  // namespace ecgtrace
