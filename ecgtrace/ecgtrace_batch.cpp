// ecgtrace-batch [--csv] [PARFILE]
// Computes the signal model from a parameter file in the "vfdef.par" format
// (the defaults when none is given) and prints it as one JSON document, or
// with --csv the sum signal E(t) as the columns "t_ms,E". The JSON holds per
// group T, A(t), the map, PHalf, PWhole, the amplitude histogram (15 relative
// frequencies) and the autocorrelation at lags 1..2000 ms; for E(t) the
// samples 1..2800, emax, emin, histogram and autocorrelation; and "spectra",
// rows 0 (E(t)) to G of 51 bins [re, im] with the repetition effect, as the
// analysis of E(t) computes them. Errors go to
// stderr with a non-zero exit status; nothing is printed to stdout then.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "common/command_line.h"
#include "common/errors.h"
#include "common/file_io.h"
#include "common/number_format.h"
#include "ecgtrace/model/analysis_plots.h"
#include "ecgtrace/model/signal_model.h"
#include "ecgtrace/model/spectra.h"

namespace {

const char* const kUsage =
    "usage: ecgtrace-batch [--csv] [PARFILE]\n"
    "       ecgtrace-batch --help | --version\n";

std::string Num(double x) {
    // 17 significant digits keep every double exact.
    return common::FormatGeneral(x, 17);
}

std::string Int(std::int64_t x) { return common::IntToText(x); }

template <typename Seq>
std::string NumberList(const Seq& values, std::size_t first, std::size_t end) {
    std::string out = "[";
    for (std::size_t i = first; i < end; ++i) {
        if (i > first) out += ",";
        out += Num(values[i]);
    }
    return out + "]";
}

std::string HistogramJson(const std::vector<double>& samples) {
    const auto h = ecgtrace::CountHistogram(samples);
    return NumberList(h.frequency, 0, h.frequency.size());
}

std::string AutocorrelationJson(const ecgtrace::SignalModel& m, std::int32_t index) {
    const auto v = ecgtrace::AutocorrelationValues(m, index);
    return NumberList(v, 0, v.size());
}

// Rows 0..G as the analysis of E(t) computes them.
std::string SpectraJson(ecgtrace::SignalModel& m) {
    ecgtrace::ComputeEtAnalysisSpectra(m);
    std::string out = "[";
    for (std::int32_t g = 0; g <= m.GroupCount; ++g) {
        if (g > 0) out += ",";
        out += "[";
        const auto& row = m.GroupSpectra[static_cast<std::size_t>(g)];
        for (std::size_t k = 0; k < row.size(); ++k) {
            if (k > 0) out += ",";
            out += "[" + Num(row[k].re) + "," + Num(row[k].im) + "]";
        }
        out += "]";
    }
    return out + "]";
}

std::string Json(ecgtrace::SignalModel& m) {
    std::string out = "{\"G\":" + Int(m.GroupCount) + ",\"groups\":[";
    for (std::int32_t g = 1; g <= m.GroupCount; ++g) {
        const auto i = static_cast<std::size_t>(g);
        if (g > 1) out += ",";
        out += "{\"T\":" + Int(m.T[i]);
        out += ",\"A\":" + NumberList(m.A[i], 0, m.A[i].size());
        out += ",\"PMap\":" + NumberList(m.PMap[i], 0, m.PMap[i].size());
        out += ",\"PHalf\":" + Num(m.PHalf[i]);
        out += ",\"PWhole\":" + Num(m.PWhole[i]);
        out += ",\"histogram\":" + HistogramJson(m.A[i]);
        out += ",\"autocorrelation\":" + AutocorrelationJson(m, g);
        out += "}";
    }
    out += "],\"E\":" + NumberList(m.ESignal, 1, m.ESignal.size());
    out += ",\"emax\":" + Num(m.EMax);
    out += ",\"emin\":" + Num(m.EMin);
    out += ",\"histogram\":" +
           HistogramJson(std::vector<double>(m.ESignal.begin() + 1, m.ESignal.end()));
    out += ",\"autocorrelation\":" + AutocorrelationJson(m, 0);
    out += ",\"spectra\":" + SpectraJson(m);
    out += "}\n";
    return out;
}

std::string Csv(const ecgtrace::SignalModel& m) {
    std::string out = "t_ms,E\n";
    for (std::size_t j = 1; j < m.ESignal.size(); ++j)
        out += Int(static_cast<std::int64_t>(10 * j)) + "," + Num(m.ESignal[j]) + "\n";
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    bool csv = false;
    std::string path;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--csv") {
            csv = true;
        } else if (arg == "-h" || arg == "--help") {
            std::cout << kUsage;
            return 0;
        } else if (arg == "--version") {
            std::cout << common::VersionText("ecgtrace-batch");
            return 0;
        } else if ((!arg.empty() && arg[0] == '-') || !path.empty()) {
            std::cerr << kUsage;
            return 2;
        } else {
            path = arg;
        }
    }

    try {
        ecgtrace::SignalModel model;
        if (!path.empty()) {
            if (!common::FileExists(path)) throw common::AppError(common::CannotOpenFileMessage(path));
            model.LoadParameterFile(path);
        }
        model.CompleteStartup(nullptr);
        model.ComputeE();
        const std::string text = csv ? Csv(model) : Json(model);
        if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0) {
            std::cerr << "ecgtrace-batch: cannot write the output\n";
            return 1;
        }
    } catch (const common::AppError& e) {
        std::cerr << "ecgtrace-batch: " << common::WithFullStop(e.what()) << "\n";
        return 1;
    }
    return 0;
}
