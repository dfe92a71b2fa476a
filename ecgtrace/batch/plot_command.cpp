#include "ecgtrace/batch/batch_arguments.h"
#include "ecgtrace/batch/offscreen_drawing.h"
#include "ecgtrace/batch/plot_command.h"

#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "common/command_line.h"
#include "common/errors.h"
#include "common/file_io.h"
#include "common/number_format.h"
#include "common/plot_export.h"
#include "ecgtrace/model/session.h"

namespace ecgtrace {

bool AsksForPlot(int argc, char** argv) { return HasArgument(argc, argv, "--plot"); }

namespace {

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
        for (std::size_t i = 0; i < args.size(); ++i) {
            const std::string& arg = args[i];
            if (arg == "--plot") {
                plot = OptionValue(args, i);
            } else if (arg == "--format") {
                format = OptionValue(args, i);
            } else if (arg == "--scale") {
                request.scale = WholeNumber(arg, OptionValue(args, i));
            } else if (arg == "--group") {
                request.group = WholeNumber(arg, OptionValue(args, i));
            } else if (arg == "--cross") {
                request.cross = WholeNumber(arg, OptionValue(args, i));
            } else if (arg == "--repetition") {
                request.repetition = true;
            } else if (arg == "--out") {
                out = OptionValue(args, i);
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

    const OffscreenDrawing drawing(argv[0]);
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
