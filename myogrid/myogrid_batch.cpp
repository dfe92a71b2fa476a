// myogrid-batch --model block|one|coupled|independent [--par FILE] [--steps N]
//               [--seed S] [--start random|50hz|extra] [--background] [--csv]
//               [--picture time|right --out FILE.png|FILE.svg]
// Runs one of the models without a window, with the parameters of a
// "Myogrid.par" file (the defaults when none is given) and its seed (when
// the file keeps one and no --seed is given), and prints one JSON
// document with the state of every step, one step a line, each printed as it
// is computed: memory stays the same whatever --steps is. The block model
// writes "connex.txt" into the working directory, as the program does; when
// that file cannot be written the run goes on, the failure goes to stderr
// and the exit status is 1.
// Errors go to stderr with a non-zero exit status; one found before the
// first step leaves stdout empty, one found later (a value that is no longer
// finite) ends the output after the last complete step. SIGINT and SIGTERM
// end the run after the step under way, with every printed line complete.
// The seed used (given, kept in the file or taken from the clock) heads the
// output: "seed" in the JSON, a first line "# seed=N" in the CSV.
// --csv prints the steps as CSV instead ("model_time_ms,trace1,trace2," and
// "active_count" or "mean_amplitude"). --picture draws the run as the model
// window does and writes its time window or right window after the last
// step as PNG or SVG; only then is a (windowless) GUI application made.

#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <QGuiApplication>
#include <QFileInfo>

#include "common/command_line.h"
#include "common/errors.h"
#include "common/file_io.h"
#include "common/number_format.h"
#include "common/numeric.h"
#include "common/plot_export.h"
#include "myogrid/engine/model_engine.h"
#include "myogrid/engine/model_renderer.h"
#include "myogrid/engine/parameter_table.h"
#include "myogrid/engine/parameter_values.h"
#include "myogrid/engine/run_controller.h"
#include "myogrid/engine/run_table.h"

namespace {

using namespace myogrid;

const char* const kUsage =
    "usage: myogrid-batch --model block|one|coupled|independent [--par FILE] [--steps N]\n"
    "                     [--seed S] [--start random|50hz|extra] [--background] [--csv]\n"
    "                     [--picture time|right --out FILE.png|FILE.svg]\n"
    "       myogrid-batch --help | --version\n";

struct UsageError {
    std::string message;
};

struct Options {
    ModelKind kind = ModelKind::Topological;
    std::string modelName;
    std::optional<std::string> parFile;  // none: the defaults
    std::int32_t steps = 100;
    std::optional<std::uint64_t> seed;
    std::string start = "random";
    bool background = false;
    bool csv = false;
    std::optional<std::string> picture;  // "time" or "right"
    std::optional<std::string> out;
    common::PictureFormat pictureFormat = common::PictureFormat::Png;
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
            options.parFile = value(i);  // "" too: no such file
        } else if (arg == "--steps") {
            std::int32_t steps = 0;
            if (!common::TryParseInteger(value(i), steps) || steps < 0)
                throw UsageError{"--steps needs a whole number of at least 0"};
            options.steps = steps;
        } else if (arg == "--seed") {
            // Digits only, and within range: never " 7", "+7" or a
            // saturated maximum for a seed that does not fit.
            std::uint64_t seed = 0;
            if (!common::TryParseUnsigned64(value(i), seed))
                throw UsageError{"--seed needs a whole number from 0 to 18446744073709551615"};
            options.seed = seed;
        } else if (arg == "--start") {
            options.start = value(i);
            if (options.start != "random" && options.start != "50hz" && options.start != "extra")
                throw UsageError{"--start is random, 50hz or extra"};
        } else if (arg == "--background") {
            options.background = true;
        } else if (arg == "--csv") {
            options.csv = true;
        } else if (arg == "--picture") {
            options.picture = value(i);
            if (*options.picture != "time" && *options.picture != "right")
                throw UsageError{"--picture is time or right"};
        } else if (arg == "--out") {
            options.out = value(i);
            // Standard output gets a PNG.
            if (*options.out == "-") continue;
            const auto format = common::PictureFormatOfPath(*options.out);
            if (!format || *format == common::PictureFormat::Bmp)
                throw UsageError{"--out names a .png or .svg file"};
            options.pictureFormat = *format;
        } else {
            throw UsageError{"unknown argument " + arg};
        }
    }
    if (options.picture.has_value() != options.out.has_value())
        throw UsageError{"--picture and --out go together"};
    if (options.modelName == "block") {
        options.kind = ModelKind::Topological;
    } else if (options.modelName == "one") {
        options.kind = ModelKind::OneOscillator;
    } else if (options.modelName == "coupled") {
        options.kind = ModelKind::CoupledOscillators;
    } else if (options.modelName == "independent") {
        options.kind = ModelKind::IndependentOscillators;
    } else {
        throw UsageError{options.modelName.empty() ? "--model is required"
                                                   : "unknown model " + options.modelName};
    }
    return options;
}

std::string Printable(const std::string& text) { return common::PrintableText(text); }

// Where a fault of the parameter file lies, after the program's own text.
std::string AtLine(std::size_t lineNumber, const std::string& line) {
    constexpr std::size_t kShown = 100;
    std::string shown = line.size() > kShown ? line.substr(0, kShown) + "..." : line;
    return " (line " + common::IntToText(static_cast<std::int64_t>(lineNumber)) + ": " + shown +
           ")";
}

// Start-up questions of a program without a user: every file question is
// cancelled, the first message is kept as the failure; a bad line of the file
// fails the run (no user accepts the defaults), notes only go to stderr.
class BatchQuestions : public StartupQuestions {
public:
    std::optional<std::string> AskForFile(StartupFile) override { return std::nullopt; }
    void ShowMessage(const std::string& message) override { Keep(message); }
    void ReportFailure(const std::string& message) override { Keep(message); }
    void ReportFileFaults(const FileFaults& faults) override {
        if (!faults.badLines.empty()) {
            const FileFaults::BadLine& first = faults.badLines.front();
            Keep(std::string(kBadLineMessage) + AtLine(first.lineNumber, first.line));
        }
        for (const std::string& note : faults.notes)
            std::cerr << "myogrid-batch: " << Printable(note) << "\n";
    }
    std::optional<std::string> failure;

private:
    void Keep(const std::string& message) {
        if (!failure) failure = message;
    }
};

// The parameters of the file and the seed it keeps, if any.
struct LoadedParameters {
    ParameterValues values;
    std::optional<std::uint64_t> seed;
};

LoadedParameters LoadParameters(const std::optional<std::string>& path) {
    LoadedParameters loaded;
    ParameterValues& values = loaded.values;
    if (!path) return loaded;
    if (!common::FileExists(*path)) throw common::AppError(common::CannotOpenFileMessage(*path));
    ParameterTable table;
    BatchQuestions questions;
    const bool ok = table.ReadAtStartup(questions, *path);
    if (!ok || questions.failure)
        throw common::AppError(questions.failure.value_or(kBadLineMessage));
    for (int i = 0; i < kParamCount; ++i) {
        const Param p = static_cast<Param>(i);
        try {
            if (IsRealParam(p)) {
                values.SetReal(p, table.AsReal(p));
            } else {
                values.SetInteger(p, table.AsInteger(p));
            }
        } catch (const common::AppError& e) {
            // Parameter lines follow "[Path]", two paths, an empty line and
            // "[Parameters]".
            const auto lineNumber = static_cast<std::size_t>(i) + 6;
            throw common::AppError(e.Message() + AtLine(lineNumber, KeyOf(p) + table.Value(p)));
        }
    }
    // The window's controls hold every value within their ranges.
    values.ClampToControlRanges();
    loaded.seed = table.Seed;
    return loaded;
}

// Never "INF" or "NAN": a value that overflowed fails the run.
std::string Num(double x) { return common::FormatGeneral(common::RequireFinite(x), 17); }
std::string Int(std::int64_t x) { return common::IntToText(x); }

volatile std::sig_atomic_t interruptedBy = 0;

extern "C" void NoteInterrupt(int signal) { interruptedBy = signal; }

struct OutputFailure {};
struct Interrupted {
    int signal;
};

// Collects whole lines and writes them to stdout in blocks, so memory stays
// bounded and stdout only ever ends after a complete line.
class LineOutput {
public:
    // The picture alone goes to stdout: the steps are not printed.
    void Silence() { silent_ = true; }
    void Line(std::string_view text) {
        if (silent_) return;
        buffer_ += text;
        buffer_ += '\n';
        if (buffer_.size() >= kBlockBytes) Flush();
    }
    // Whole lines, each with its line end.
    void Lines(std::string_view text) {
        if (silent_) return;
        buffer_ += text;
        if (buffer_.size() >= kBlockBytes) Flush();
    }
    void Flush() {
        std::size_t done = 0;
        while (done < buffer_.size()) {
            const ssize_t n = ::write(STDOUT_FILENO, buffer_.data() + done, buffer_.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) throw OutputFailure{};
            done += static_cast<std::size_t>(n);
        }
        buffer_.clear();
    }

private:
    static constexpr std::size_t kBlockBytes = 64 * 1024;
    std::string buffer_;
    bool silent_ = false;
};

// Runs the model and prints its steps. Returns false when the run was
// complete but its nexus table could not be written (reported on stderr).
bool Run(const Options& options, const LoadedParameters& loaded, LineOutput& output) {
    RunController run;
    run.Parameters() = loaded.values;
    run.Open(options.kind);
    // --seed first, then the seed the file keeps, then the clock.
    run.ChooseSeed(options.seed ? options.seed : loaded.seed);
    const BuildOutcome built = run.BuildIfDue();
    if (built.connexionFailure)
        std::cerr << "myogrid-batch: " << Printable(common::WithFullStop(*built.connexionFailure))
                  << "\n";
    const std::uint64_t seed = run.BuildSeed().value_or(0);
    const ModelEngine& engine = run.Engine();
    const bool block = options.kind == ModelKind::Topological;
    const int dimension = built.dimension;
    BlockSwitches switches;
    switches.randomStart = options.start == "random";
    switches.fiftyHzStart = options.start == "50hz";
    switches.extra = options.start == "extra";
    switches.background = options.background;
    run.StartRun(switches);
    // The pictures are drawn as the model window draws them: the first
    // step begins a new sweep.
    std::optional<ModelRenderer> renderer;
    if (options.picture) {
        renderer.emplace();
        renderer->DrawRunStart(options.kind, engine, switches);
        renderer->Pictures().PlaceBeyondRightEdge();
    }
    const auto savePicture = [&] {
        if (!renderer) return;
        const common::PlotSurface& surface = *options.picture == "time"
                                                 ? renderer->Pictures().TimeWindow()
                                                 : renderer->Pictures().RightWindow();
        const std::string bytes = common::PictureBytes(surface, options.pictureFormat);
        if (*options.out == "-")
            common::WriteStandardOutput(bytes);
        else
            common::WriteFileAtomically(*options.out, bytes);
    };

    if (options.csv) {
        output.Lines(RunSeedLine(seed));
        output.Lines(RunCsvHeader(options.kind));
        for (std::int32_t step = 0; step < options.steps; ++step) {
            if (interruptedBy != 0) throw Interrupted{interruptedBy};
            const StepReport report = run.Step(switches);
            if (renderer) renderer->DrawStep(options.kind, engine, switches);
            output.Lines(RunCsvLine(options.kind, report));
        }
        savePicture();
        return !built.connexionFailure;
    }

    // The seed as a string: a JSON number loses digits beyond 2^53.
    std::string line = "{\"model\":\"" + options.modelName + "\",\"seed\":\"" +
                       common::UnsignedToText(seed) + "\",\"dimension\":" + Int(dimension);
    if (block) {
        line += ",\"cells\":" + Int(engine.Block().CellCount());
    } else {
        line += ",\"oscillators\":" + Int(engine.Oscillators().OscillatorCount());
    }
    line += ",\"steps\":[";
    if (options.steps == 0) {
        output.Line(line + "]}");
        savePicture();
        return !built.connexionFailure;
    }
    output.Line(line);
    for (std::int32_t step = 0; step < options.steps; ++step) {
        if (interruptedBy != 0) throw Interrupted{interruptedBy};
        const StepReport report = run.Step(switches);
        if (renderer) renderer->DrawStep(options.kind, engine, switches);
        line = "{\"ModelTime\":" + Int(report.modelTime);
        if (block) {
            line += ",\"ActiveCount\":" + Int(report.activeCount);
        } else {
            line += ",\"MeanAmplitude\":" + Num(report.meanAmplitude);
        }
        line += ",\"trace1\":" + Num(report.trace1) + ",\"trace2\":" + Num(report.trace2);
        line += step + 1 < options.steps ? "}," : "}]}";
        output.Line(line);
    }
    savePicture();
    return !built.connexionFailure;
}

// Refuses a picture file that cannot be written before anything is run or
// printed: a temporary file beside it is made and thrown away. A device or
// FIFO is left alone: opening it would already be a write to it.
void CheckWritable(const std::string& path) {
    if (path == "-") return;
    const QFileInfo target(QString::fromStdString(path));
    if (target.exists() && !target.isFile() && !target.isDir()) return;
    common::AtomicFileWriter probe(path);
}

// --help and --version text; one that cannot be written fails.
int Answer(const std::string& text) {
    try {
        common::WriteStandardOutput(text);
    } catch (const common::AppError& e) {
        std::cerr << "myogrid-batch: " << common::WithFullStop(e.Message()) << "\n";
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // The engine computes without drawing: no GUI application is needed.
    // A reader that went away (head) ends the run at once; an interrupt
    // ends it after the step under way, with the printed lines complete.
    std::signal(SIGPIPE, SIG_DFL);
    struct sigaction interrupt {};
    interrupt.sa_handler = NoteInterrupt;
    interrupt.sa_flags = SA_RESTART;
    sigemptyset(&interrupt.sa_mask);
    sigaction(SIGINT, &interrupt, nullptr);
    sigaction(SIGTERM, &interrupt, nullptr);

    const std::vector<std::string> args(argv + 1, argv + argc);
    for (const std::string& arg : args) {
        if (arg == "-h" || arg == "--help") return Answer(kUsage);
        if (arg == "--version") return Answer(common::VersionText("myogrid-batch"));
    }
    LineOutput output;
    try {
        const Options options = ParseArguments(args);
        LoadedParameters params = LoadParameters(options.parFile);
        // Drawing text needs a GUI application, without any window.
        std::optional<QGuiApplication> application;
        if (options.picture) {
            if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
                qputenv("QT_QPA_PLATFORM", "offscreen");
            // The platform's notes (a missing runtime folder, say) are not ours to print.
            qInstallMessageHandler(
                [](QtMsgType type, const QMessageLogContext&, const QString& message) {
                    if (type == QtCriticalMsg || type == QtFatalMsg)
                        std::cerr << message.toLocal8Bit().constData() << "\n";
                });
            application.emplace(argc, argv);
            common::LoadPlotFonts();
            CheckWritable(*options.out);
            if (*options.out == "-") output.Silence();
        }
        const bool complete = Run(options, params, output);
        output.Flush();
        if (!complete) return 1;
    } catch (const UsageError& e) {
        std::cerr << "myogrid-batch: " << Printable(e.message) << "\n" << kUsage;
        return 2;
    } catch (const OutputFailure&) {
        std::cerr << "myogrid-batch: cannot write the output\n";
        return 1;
    } catch (const Interrupted& e) {
        try {
            output.Flush();
        } catch (const OutputFailure&) {
        }
        return 128 + e.signal;
    } catch (const common::AppError& e) {
        // The lines of the steps before the failure stay complete.
        try {
            output.Flush();
        } catch (const OutputFailure&) {
        }
        std::cerr << "myogrid-batch: " << Printable(common::WithFullStop(e.Message())) << "\n";
        return 1;
    } catch (const std::bad_alloc&) {
        std::cerr << "myogrid-batch: out of memory\n";
        return 1;
    }
    return 0;
}
