// ecgtrace-batch [--csv] [PARFILE]
// Computes the signal model from a parameter file in the "vfdef.par" format
// (the defaults when none is given) and prints it as one JSON document, or
// with --csv the sum signal E(t) as the columns "t_ms,E". The JSON holds per
// group T, A(t), the map, PHalf, PWhole, the amplitude histogram (15 relative
// frequencies) and the autocorrelation at lags 1..2000 ms; for E(t) the
// samples 1..2800, emax, emin, histogram and autocorrelation; and "spectra",
// rows 0 (E(t)) to G of 51 bins [re, im] with the repetition effect, as the
// analysis of E(t) computes them. Errors go to stderr with a non-zero exit
// status; nothing is printed to stdout then: every value is computed and
// checked before the first byte is written, and the output is streamed.
#include <algorithm>
#include <array>
#include <optional>
#include <cstdio>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "common/command_line.h"
#include "common/errors.h"
#include "common/file_io.h"
#include "common/number_format.h"
#include "common/numeric.h"
#include "ecgtrace/model/analysis_plots.h"
#include "ecgtrace/model/session.h"
#include "ecgtrace/batch/plot_command.h"
#include "ecgtrace/batch/recording_commands.h"
#include "ecgtrace/model/signal_model.h"
#include "ecgtrace/model/spectra.h"

namespace {

const char* const kUsage =
    "usage: ecgtrace-batch [--csv] [PARFILE]\n"
    "       ecgtrace-batch [PARFILE] --plot NAME --format png|svg|csv|edf [--scale N]\n"
    "                      [--group G] [--cross C] [--repetition] --out FILE\n"
    "       ecgtrace-batch [PARFILE] --summary\n"
    "       ecgtrace-batch --recording FILE [--channel N|LABEL] [--start SECONDS]\n"
    "                      --summary | --plot histogram|autocorrelation|power\n"
    "                      --format png|svg|csv [--scale N] --out FILE\n"
    "       ecgtrace-batch --help | --version\n";

// Everything that is printed, computed in full before printing starts.
struct Results {
    ecgtrace::SignalSession session;
    std::vector<std::array<double, ecgtrace::kHistogramBins>> histogram;  // 0 = E(t)
    std::vector<std::vector<double>> autocorrelation;                     // 0 = E(t)
};

// What a reader does: start from the file, look at E(t), open its analysis.
Results Compute(const std::string* path, bool csv) {
    Results r;
    ecgtrace::SignalSession& session = r.session;
    session.StartStrictly(path ? std::optional<std::string>(*path) : std::nullopt);
    session.RecomputeSumSignal();
    const ecgtrace::SignalModel& m = session.Model();
    common::RequireAllFinite(m.ESignal());
    if (csv) return r;

    const std::vector<double> e(m.ESignal().begin() + 1, m.ESignal().end());
    r.histogram.push_back(ecgtrace::CountHistogram(e).frequency);
    r.autocorrelation.push_back(ecgtrace::AutocorrelationValues(m, 0));
    for (std::int32_t g = 1; g <= m.GroupCount(); ++g) {
        common::RequireAllFinite(m.Signal(g));
        common::RequireAllFinite(m.Map(g));
        r.histogram.push_back(ecgtrace::CountHistogram(m.Signal(g)).frequency);
        r.autocorrelation.push_back(ecgtrace::AutocorrelationValues(m, g));
    }
    session.OpenAnalysis(ecgtrace::AnalysisSubject::SumSignal(m.CrossGroup()));
    for (std::int32_t g = 0; g <= m.GroupCount(); ++g)
        ecgtrace::RequireFiniteSpectrum(m.Spectrum(g));
    for (const auto& h : r.histogram) common::RequireAllFinite(h);
    for (const auto& a : r.autocorrelation) common::RequireAllFinite(a);
    return r;
}

// Where the computation of a file's groups fails, for the message: "group 3,
// map". The windows show the message alone, at the group the user edits;
// here no one sees which group it was. Empty when every group computes.
std::string FailingComputation(const std::string* path) {
    ecgtrace::SignalModel m;
    if (path && !common::FileExists(*path)) return {};
    try {
        if (path) m.LoadParameterFile(*path);
    } catch (const common::AppError&) {
        return {};
    }
    const std::int32_t usable = std::min(m.GroupCount(), ecgtrace::kMaxGroupCount);
    for (std::int32_t g = 1; g <= usable; ++g) {
        const std::string group = "group " + common::IntToText(g);
        const std::pair<const char*, std::function<void()>> steps[] = {
            {", T and A(t)", [&] { m.ComputeT(g); }},
            {", map Pn -> Pn+1", [&] { m.ComputePMap(g); }},
            {", P series", [&] { m.ComputePSeries(g); }}};
        for (const auto& [what, step] : steps) {
            try {
                step();
            } catch (const common::AppError&) {
                return group + what;
            }
        }
    }
    return {};
}

// Buffered writing to stdout; the first failed write is remembered.
class Output {
public:
    ~Output() { Flush(); }
    Output& operator<<(const std::string& text) {
        buffer_ += text;
        if (buffer_.size() >= kChunk) Flush();
        return *this;
    }
    Output& operator<<(const char* text) { return *this << std::string(text); }
    bool Finish() {
        Flush();
        if (std::fflush(stdout) != 0) failed_ = true;
        return !failed_;
    }

private:
    static constexpr std::size_t kChunk = 1 << 16;
    void Flush() {
        if (buffer_.empty()) return;
        if (!failed_ && std::fwrite(buffer_.data(), 1, buffer_.size(), stdout) != buffer_.size())
            failed_ = true;
        buffer_.clear();
    }
    std::string buffer_;
    bool failed_ = false;
};

std::string Num(double x) {
    // 17 significant digits keep every double exact.
    return common::FormatGeneral(x, 17);
}

std::string Int(std::int64_t x) { return common::IntToText(x); }

template <typename Seq>
void NumberList(Output& out, const Seq& values, std::size_t first, std::size_t end) {
    out << "[";
    for (std::size_t i = first; i < end; ++i) {
        if (i > first) out << ",";
        out << Num(values[i]);
    }
    out << "]";
}

template <typename Seq>
void NumberList(Output& out, const Seq& values) {
    NumberList(out, values, 0, values.size());
}

void Json(Output& out, const Results& r) {
    const ecgtrace::SignalModel& m = r.session.Model();
    out << "{\"G\":" << Int(m.GroupCount()) << ",\"groups\":[";
    for (std::int32_t g = 1; g <= m.GroupCount(); ++g) {
        const auto i = static_cast<std::size_t>(g);
        if (g > 1) out << ",";
        out << "{\"T\":" << Int(m.Period(g)) << ",\"A\":";
        NumberList(out, m.Signal(g));
        out << ",\"PMap\":";
        NumberList(out, m.Map(g));
        out << ",\"PHalf\":" << Num(m.PHalf(g)) << ",\"PWhole\":" << Num(m.PWhole(g));
        out << ",\"histogram\":";
        NumberList(out, r.histogram[i]);
        out << ",\"autocorrelation\":";
        NumberList(out, r.autocorrelation[i]);
        out << "}";
    }
    out << "],\"E\":";
    NumberList(out, m.ESignal(), 1, m.ESignal().size());
    out << ",\"emax\":" << Num(m.EMax()) << ",\"emin\":" << Num(m.EMin()) << ",\"histogram\":";
    NumberList(out, r.histogram[0]);
    out << ",\"autocorrelation\":";
    NumberList(out, r.autocorrelation[0]);
    out << ",\"spectra\":[";
    for (std::int32_t g = 0; g <= m.GroupCount(); ++g) {
        if (g > 0) out << ",";
        out << "[";
        const auto& row = m.Spectrum(g);
        for (std::size_t k = 0; k < row.size(); ++k) {
            if (k > 0) out << ",";
            out << "[" << Num(row[k].re) << "," << Num(row[k].im) << "]";
        }
        out << "]";
    }
    out << "]}\n";
}

void Csv(Output& out, const ecgtrace::SignalModel& m) {
    out << "t_ms,E\n";
    const std::vector<double>& e = m.ESignal();
    for (std::size_t j = 1; j < e.size(); ++j)
        out << Int(static_cast<std::int64_t>(10 * j)) << "," << Num(e[j]) << "\n";
}

// Prints --help or --version text; a text that cannot be written (stdout
// closed or full) is a failure like any other output.
int Answer(const std::string& text) {
    try {
        common::WriteStandardOutput(text);
    } catch (const common::AppError& e) {
        std::cerr << "ecgtrace-batch: " << common::WithFullStop(e.Message()) << "\n";
        return 1;
    }
    return 0;
}

int Refuse(const std::string& problem) {
    std::cerr << "ecgtrace-batch: " << common::PrintableText(problem) << "\n" << kUsage;
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    // A recording analysed as E(t) is, or the numbers that compare them.
    if (ecgtrace::AsksForRecording(argc, argv)) return ecgtrace::RunRecordingCommand(argc, argv);
    if (ecgtrace::AsksForSummary(argc, argv)) return ecgtrace::RunSummaryCommand(argc, argv);
    // One plot drawn or taken out into a file.
    if (ecgtrace::AsksForPlot(argc, argv)) return ecgtrace::RunPlotExportCommand(argc, argv);
    bool csv = false;
    std::optional<std::string> path;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--csv") {
            csv = true;
        } else if (arg == "-h" || arg == "--help") {
            return Answer(kUsage);
        } else if (arg == "--version") {
            return Answer(common::VersionText("ecgtrace-batch"));
        } else if (!arg.empty() && arg[0] == '-') {
            return Refuse("unknown argument " + arg);
        } else if (path) {
            return Refuse("one parameter file only: " + arg);
        } else {
            // An empty argument is a path like any other: it names no file.
            path = arg;
        }
    }

    try {
        const Results results = Compute(path ? &*path : nullptr, csv);
        Output out;
        if (csv)
            Csv(out, results.session.Model());
        else
            Json(out, results);
        if (!out.Finish()) {
            std::cerr << "ecgtrace-batch: cannot write the output\n";
            return 1;
        }
    } catch (const ecgtrace::ParameterFileError& e) {
        // The windows show the message alone; here the place of the fault follows it.
        std::cerr << "ecgtrace-batch: " << common::PrintableText(e.Message()) << " ("
                  << common::PrintableText(e.Where()) << ").\n";
        return 1;
    } catch (const common::AppError& e) {
        const std::string where = FailingComputation(path ? &*path : nullptr);
        std::cerr << "ecgtrace-batch: "
                  << common::PrintableText(where.empty() ? common::WithFullStop(e.Message())
                                                         : e.Message() + " (" + where + ").")
                  << "\n";
        return 1;
    }
    return 0;
}
