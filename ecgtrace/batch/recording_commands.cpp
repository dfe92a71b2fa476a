#include "ecgtrace/batch/batch_arguments.h"
#include "ecgtrace/batch/offscreen_drawing.h"
#include "ecgtrace/batch/recording_commands.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <vector>

#include "common/errors.h"
#include "common/number_format.h"
#include "common/numeric.h"
#include "common/plot_export.h"
#include "ecgtrace/model/plot_exports.h"
#include "ecgtrace/model/recording_plots.h"
#include "ecgtrace/model/session.h"

namespace ecgtrace {
namespace {

const char* const kRecordingUsage =
    "usage: ecgtrace-batch --recording FILE [--channel N|LABEL] [--start SECONDS] --summary\n"
    "       ecgtrace-batch --recording FILE [--channel N|LABEL] [--start SECONDS]\n"
    "                      --plot histogram|autocorrelation|power --format png|svg|csv\n"
    "                      [--scale N] --out FILE\n"
    "       ecgtrace-batch [PARFILE] --summary\n";

std::string Number(double x) { return common::FormatGeneral(x, 17); }

std::string OptionalNumber(const std::optional<double>& x) {
    return x && std::isfinite(*x) ? Number(*x) : std::string("null");
}

// Bytes of the UTF-8 sequence starting at `i`, 0 when it is not one.
std::size_t Utf8Length(const std::string& s, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b = byte(i);
    std::size_t length = 0;
    unsigned lowest = 0;
    if (b < 0x80) return 1;
    if ((b & 0xe0) == 0xc0)
        length = 2, lowest = 0x80;
    else if ((b & 0xf0) == 0xe0)
        length = 3, lowest = 0x800;
    else if ((b & 0xf8) == 0xf0)
        length = 4, lowest = 0x10000;
    else
        return 0;
    if (i + length > s.size()) return 0;
    unsigned code = b & (0x7f >> length);
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xc0) != 0x80) return 0;
        code = (code << 6) | (byte(i + k) & 0x3f);
    }
    if (code < lowest || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff)) return 0;
    return length;
}

// Prints everything at once; a failed write is a failure.
int Print(const std::string& text) {
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() ||
        std::fflush(stdout) != 0) {
        std::cerr << "ecgtrace-batch: cannot write the output\n";
        return 1;
    }
    return 0;
}

}  // namespace

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = Utf8Length(text, i);
        if (length == 0) {
            out += "\\ufffd";
            ++i;
            continue;
        }
        const char c = text[i];
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (length == 1 && static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
            out += escaped;
        } else {
            out.append(text, i, length);
        }
        i += length;
    }
    return out + "\"";
}

std::string SummaryJson(const SummaryValues& v) {
    return "{\"file\":" + (v.file.empty() ? std::string("null") : JsonString(v.file)) +
           ",\"channel\":" + JsonString(v.channel) + ",\"unit\":" + JsonString(v.unit) +
           ",\"sample_rate_Hz\":" + Number(v.sampleRateHz) +
           ",\"start_s\":" + Number(v.startSeconds) +
           ",\"seconds\":" + common::IntToText(kRecordingSeconds) +
           ",\"dominant_frequency_Hz\":" + OptionalNumber(v.measures.dominantFrequencyHz) +
           ",\"organisation_index\":" + OptionalNumber(v.measures.organisationIndex) + "}\n";
}

bool AsksForRecording(int argc, char** argv) { return HasArgument(argc, argv, "--recording"); }
bool AsksForSummary(int argc, char** argv) { return HasArgument(argc, argv, "--summary"); }

int RunRecordingCommand(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::optional<std::string> file, channel, plot, format, out;
    double start = 0.0;
    bool summary = false;
    std::int32_t scale = 1;
    RecordingPlot which = RecordingPlot::Histogram;
    try {
        for (std::size_t i = 0; i < args.size(); ++i) {
            const std::string& arg = args[i];
            if (arg == "--recording" && !file) {
                file = OptionValue(args, i);
            } else if (arg == "--channel" && !channel) {
                channel = OptionValue(args, i);
            } else if (arg == "--start") {
                if (!common::TryParseFloat(OptionValue(args, i), start) || !std::isfinite(start))
                    throw UsageError{"--start needs a number of seconds"};
            } else if (arg == "--summary") {
                summary = true;
            } else if (arg == "--plot" && !plot) {
                plot = OptionValue(args, i);
            } else if (arg == "--format" && !format) {
                format = OptionValue(args, i);
            } else if (arg == "--out" && !out) {
                out = OptionValue(args, i);
            } else if (arg == "--scale") {
                if (!common::TryParseInteger(OptionValue(args, i), scale) || scale < 1 || scale > 8)
                    throw UsageError{"--scale needs a whole number from 1 to 8"};
            } else {
                throw UsageError{"unknown argument " + arg};
            }
        }
        if (summary == plot.has_value())
            throw UsageError{"give either --summary or --plot with a recording"};
        if (plot) {
            const auto name = PlotNamed(*plot);
            if (name == PlotName::Histogram)
                which = RecordingPlot::Histogram;
            else if (name == PlotName::Autocorrelation)
                which = RecordingPlot::Autocorrelation;
            else if (name == PlotName::Power)
                which = RecordingPlot::Power;
            else
                throw UsageError{"a recording has no plot " + *plot};
            const auto chosen = ExportFormatNamed(format.value_or(""));
            if (!chosen || *chosen == ExportFormat::Edf)
                throw UsageError{format ? "unknown format " + *format : "--format is required"};
            if (!out || out->empty()) throw UsageError{"--out is required"};
            if (*chosen != ExportFormat::Png && scale != 1)
                throw UsageError{"--scale is for --format png only"};
        } else if (format || out) {
            throw UsageError{"--format and --out go with --plot"};
        }
    } catch (const UsageError& e) {
        std::cerr << "ecgtrace-batch: " << e.message << "\n" << kRecordingUsage;
        return 2;
    }

    try {
        RecordingAnalysis analysis = AnalyseRecording(ReadRecordingWindow(*file, channel, start));
        if (summary) {
            const RecordingWindow& w = analysis.window;
            return Print(SummaryJson({w.file, RecordingChannelName(w), w.unit, w.rateHz,
                                      w.startSeconds, MeasureSignal(w.samples)}));
        }
        const ExportFormat chosen = *ExportFormatNamed(*format);
        if (chosen == ExportFormat::Csv) {
            common::SaveCsv(RecordingPlotTable(analysis, which), *out);
            return 0;
        }
        const OffscreenDrawing drawing(argv[0]);
        const common::PlotSurface surface = DrawRecordingPlot(analysis, which);
        if (chosen == ExportFormat::Png)
            common::SavePicture(surface, *out, common::PictureFormat::Png, scale);
        else
            common::SavePicture(surface, *out, common::PictureFormat::Svg);
    } catch (const common::AppError& e) {
        std::cerr << "ecgtrace-batch: " << common::WithFullStop(e.Message()) << "\n";
        return 1;
    }
    return 0;
}

int RunSummaryCommand(int argc, char** argv) {
    std::optional<std::string> path;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--summary") continue;
        if ((!arg.empty() && arg[0] == '-') || path) {
            std::cerr << "ecgtrace-batch: unknown argument " << arg << "\n" << kRecordingUsage;
            return 2;
        }
        path = arg;
    }
    try {
        SignalSession session;
        session.StartStrictly(path);
        session.RecomputeSumSignal();
        const std::vector<double>& e = session.Model().ESignal();
        const std::vector<double> samples(e.size() > 1 ? e.begin() + 1 : e.end(), e.end());
        common::RequireAllFinite(samples);
        // E(t)'s samples 1..2800 lie 10 ms apart from t = 10 ms.
        return Print(SummaryJson(
            {path.value_or(""), "E", "", kRecordingRateHz, 0.0, MeasureSignal(samples)}));
    } catch (const ParameterFileError& e) {
        std::cerr << "ecgtrace-batch: " << e.what() << " (" << e.Where() << ").\n";
        return 1;
    } catch (const common::AppError& e) {
        std::cerr << "ecgtrace-batch: " << common::WithFullStop(e.Message()) << "\n";
        return 1;
    }
}

}  // namespace ecgtrace
