// myogrid-batch --model block|one|coupled|independent [--par FILE] [--steps N]
//               [--seed S] [--start random|50hz|extra] [--background]
// Runs one of the models without a window, with the parameters of a
// "Myogrid.par" file (the defaults when none is given), and prints one JSON
// document with the state of every step. The block model writes
// "connex.txt" into the working directory, as the program does. Errors go
// to stderr with a non-zero exit status and nothing on stdout.
#include <QGuiApplication>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "common/command_line.h"
#include "common/errors.h"
#include "common/file_io.h"
#include "common/number_format.h"
#include "myogrid/engine/model_engine.h"
#include "myogrid/engine/parameter_table.h"
#include "myogrid/engine/parameter_values.h"

namespace {

using namespace myogrid;

const char* const kUsage =
    "usage: myogrid-batch --model block|one|coupled|independent [--par FILE] [--steps N]\n"
    "                     [--seed S] [--start random|50hz|extra] [--background]\n"
    "       myogrid-batch --help | --version\n";

struct UsageError {
    std::string message;
};

struct Options {
    ModelKind kind = ModelKind::Topological;
    std::string modelName;
    std::string parFile;
    std::int32_t steps = 100;
    std::optional<std::uint64_t> seed;
    std::string start = "random";
    bool background = false;
};

Options ParseArguments(const std::vector<std::string>& args) {
    Options options;
    const auto value = [&](std::size_t& i) -> const std::string& {
        if (i + 1 >= args.size()) throw UsageError{args[i] + " needs a value"};
        return args[++i];
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--model") {
            options.modelName = value(i);
        } else if (arg == "--par") {
            options.parFile = value(i);
        } else if (arg == "--steps") {
            std::int32_t steps = 0;
            if (!common::TryParseInteger(value(i), steps) || steps < 0)
                throw UsageError{"--steps needs a whole number of at least 0"};
            options.steps = steps;
        } else if (arg == "--seed") {
            // Digits only, and within range: strtoull would quietly take
            // " 7", "+7" or a saturated maximum for a seed it cannot hold.
            const std::string& text = value(i);
            const bool digits = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
            errno = 0;
            char* end = nullptr;
            const unsigned long long seed = digits ? std::strtoull(text.c_str(), &end, 10) : 0;
            if (!digits || errno == ERANGE || *end != '\0')
                throw UsageError{"--seed needs a whole number from 0 to 18446744073709551615"};
            options.seed = seed;
        } else if (arg == "--start") {
            options.start = value(i);
            if (options.start != "random" && options.start != "50hz" && options.start != "extra")
                throw UsageError{"--start is random, 50hz or extra"};
        } else if (arg == "--background") {
            options.background = true;
        } else {
            throw UsageError{"unknown argument " + arg};
        }
    }
    if (options.modelName == "block") {
        options.kind = ModelKind::Topological;
    } else if (options.modelName == "one") {
        options.kind = ModelKind::OneOscillator;
    } else if (options.modelName == "coupled") {
        options.kind = ModelKind::CoupledOscillators;
    } else if (options.modelName == "independent") {
        options.kind = ModelKind::IndependentOscillators;
    } else {
        throw UsageError{options.modelName.empty() ? "--model is required" : "unknown model " + options.modelName};
    }
    return options;
}

// Start-up questions of a program without a user: every file question is
// cancelled, messages are collected as failures.
class BatchQuestions : public StartupQuestions {
public:
    std::optional<std::string> AskForFile(const std::string&, const std::string&) override { return std::nullopt; }
    void ShowMessage(const std::string& message) override { failures.push_back(message); }
    void ReportFailure(const std::string& message) override { failures.push_back(message); }
    std::vector<std::string> failures;
};

ParameterValues LoadParameters(const std::string& path) {
    ParameterValues values;
    if (path.empty()) return values;
    if (!common::FileExists(path)) throw common::AppError(common::CannotOpenFileMessage(path));
    ParameterTable table;
    BatchQuestions questions;
    const bool ok = table.ReadAtStartup(questions, path);
    if (!ok || !questions.failures.empty()) {
        throw common::AppError(questions.failures.empty() ? std::string(kBadLineMessage) : questions.failures.front());
    }
    for (int i = 0; i < kParamCount; ++i) {
        const Param p = static_cast<Param>(i);
        if (IsRealParam(p)) {
            values.SetReal(p, table.AsReal(p));
        } else {
            values.SetInteger(p, table.AsInteger(p));
        }
    }
    // The window's controls hold every value within their ranges.
    values.ClampToControlRanges();
    return values;
}

std::string Num(double x) { return common::FormatGeneral(x, 17); }
std::string Int(std::int64_t x) { return common::IntToText(x); }

std::string Run(const Options& options, ParameterValues& params) {
    if (options.kind == ModelKind::IndependentOscillators) {
        // A flat layer: its z-axis has length 0.
        params.SetInteger(Param::Osc1Z, 0);
        params.SetInteger(Param::Osc2Z, 0);
    }
    SeededRandom random(options.seed ? *options.seed : SeededRandom::ClockSeed());
    ModelEngine engine(params, random);
    const bool block = options.kind == ModelKind::Topological;
    const int dimension = engine.Rebuild(options.kind);
    const auto trace = [&](Param x, Param y, Param z) {
        return TraceCellIndex(params.Integer(x), params.Integer(y), params.Integer(z), dimension);
    };
    if (block) {
        engine.SetTraceCells(options.kind, trace(Param::Cell1X, Param::Cell1Y, Param::Cell1Z),
                             trace(Param::Cell2X, Param::Cell2Y, Param::Cell2Z));
    } else {
        engine.SetTraceCells(options.kind, trace(Param::Osc1X, Param::Osc1Y, Param::Osc1Z),
                             trace(Param::Osc2X, Param::Osc2Y, Param::Osc2Z));
    }
    BlockSwitches switches;
    switches.randomStart = options.start == "random";
    switches.fiftyHzStart = options.start == "50hz";
    switches.extra = options.start == "extra";
    switches.background = options.background;
    engine.StartRun(options.kind, switches);

    std::string out = "{\"model\":\"" + options.modelName + "\",\"dimension\":" + Int(dimension);
    if (block) {
        out += ",\"cells\":" + Int(engine.Block().CellCount());
    } else {
        out += ",\"oscillators\":" + Int(engine.Oscillators().OscillatorCount());
    }
    out += ",\"steps\":[";
    for (std::int32_t step = 0; step < options.steps; ++step) {
        engine.Step(options.kind, switches);
        if (step > 0) out += ",";
        out += "\n{\"ModelTime\":" + Int(engine.ModelTime(options.kind));
        if (block) {
            const BlockRun& run = engine.BlockModel();
            out += ",\"ActiveCount\":" + Int(run.ActiveCount());
            out += ",\"trace1\":" + Num(run.TraceValue1()) + ",\"trace2\":" + Num(run.TraceValue2());
        } else {
            const OscillatorTable& table = engine.Oscillators();
            out += ",\"MeanAmplitude\":" + Num(table.MeanOscillator().Amplitude);
            out += ",\"trace1\":" + Num(table.TraceValue1()) + ",\"trace2\":" + Num(table.TraceValue2());
        }
        out += "}";
    }
    out += "]}\n";
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    // The engine draws into images; no display is needed for that.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);

    const std::vector<std::string> args(argv + 1, argv + argc);
    for (const std::string& arg : args) {
        if (arg == "-h" || arg == "--help") {
            std::cout << kUsage;
            return 0;
        }
        if (arg == "--version") {
            std::cout << common::VersionText("myogrid-batch");
            return 0;
        }
    }
    try {
        const Options options = ParseArguments(args);
        ParameterValues params = LoadParameters(options.parFile);
        const std::string text = Run(options, params);
        if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0) {
            std::cerr << "myogrid-batch: cannot write the output\n";
            return 1;
        }
    } catch (const UsageError& e) {
        std::cerr << "myogrid-batch: " << e.message << "\n" << kUsage;
        return 2;
    } catch (const common::AppError& e) {
        std::cerr << "myogrid-batch: " << common::WithFullStop(e.what()) << "\n";
        return 1;
    } catch (const std::bad_alloc&) {
        std::cerr << "myogrid-batch: out of memory\n";
        return 1;
    }
    return 0;
}
