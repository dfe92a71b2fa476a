// Program start: the main window (which runs the start-up), the about box
// and the analysis window; only the main window is shown.
#include <QApplication>

#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "common/command_line.h"
#include "common/errors.h"
#include "common/program_folders.h"
#include "common/ui/error_box.h"
#include "common/ui/plot_view.h"
#include "common/ui/start_folder.h"
#include "ecgtrace/about_box.h"
#include "ecgtrace/analysis_window.h"
#include "ecgtrace/main_window.h"
#include "ecgtrace/program_icon.h"

namespace {

// "--recording FILE": the recording opened in the analysis window at start.
// Taken out before the other arguments are looked at.
std::optional<std::string> TakeRecordingOption(std::vector<std::string>& args) {
    std::optional<std::string> file;
    for (std::size_t i = 0; i < args.size(); ++i)
        if (args[i] == "--recording" && i + 1 < args.size()) {
            file = args[i + 1];
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
                       args.begin() + static_cast<std::ptrdiff_t>(i + 2));
            break;
        }
    return file;
}

}  // namespace

int main(int argc, char** argv) {
    // --help, --version and unknown options are answered before any window.
    std::vector<std::string> args(argv + 1, argv + argc);
    std::optional<std::string> recording = TakeRecordingOption(args);
    if (const auto status = common::AnswerWindowProgramArguments(
            args, "ecgtrace",
            "Simulates the extracellular signal of the heart during ventricular\n"
            "fibrillation and analyses it.",
            std::cout, std::cerr))
        return *status;

    QApplication app(argc, argv);
    common::SetInstalledDataFolder(
        common::InstalledDataFolder(QApplication::applicationDirPath().toStdString(), "ecgtrace"));
    // Started from the desktop menu: the user's own folder; from a terminal:
    // the current one.
    // The toolkit has taken its own options ("-platform …") out by now.
    std::vector<std::string> remaining;
    for (const QString& a : QApplication::arguments().mid(1)) remaining.push_back(a.toStdString());
    TakeRecordingOption(remaining);
    // Found before the working folder may change.
    if (recording) recording = common::AbsolutePath(*recording);
    const common::WindowProgramArguments options = common::ParseWindowProgramArguments(remaining);
    // A parameter file named on the command line, found before the working
    // folder may change.
    std::string parameterFile = ecgtrace::kParameterFileName;
    if (!options.files.empty()) parameterFile = common::AbsolutePath(options.files.front());
    QApplication::setApplicationName(QStringLiteral("ecgtrace"));
    QApplication::setDesktopFileName(QStringLiteral("org.arrhythmica.Ecgtrace"));
    common::ui::SetApplicationTitle(QString::fromLatin1(ecgtrace::kApplicationTitle));
    if (!common::ui::EnterStartFolder(options, "ecgtrace")) return 1;
    common::ui::LoadProgramFonts();
    QApplication::setWindowIcon(ecgtrace::ProgramIcon());
    // The program ends with the main window, whatever else is open.
    QApplication::setQuitOnLastWindowClosed(false);

    ecgtrace::MainWindow mainWindow(nullptr, parameterFile);
    ecgtrace::AboutBox aboutBox;
    mainWindow.SetAboutBox(&aboutBox);
    ecgtrace::AnalysisWindow analysisWindow(mainWindow.Session(),
                                            [&mainWindow] { return mainWindow.AnalysedSubject(); });
    analysisWindow.SetGroupAnalysisButton(mainWindow.GroupAnalysisButton());
    mainWindow.SetAnalysisActions([&analysisWindow] { analysisWindow.OpenFromSumSignal(); },
                                  [&analysisWindow] { analysisWindow.OpenFromGroup(); });
    QObject::connect(&mainWindow, &ecgtrace::MainWindow::Closed, &app, &QApplication::quit,
                     Qt::QueuedConnection);

    mainWindow.show();
    if (recording) {
        // Beside the sum signal, which the analysis keeps following from
        // page to page while the E(t) tab shows.
        mainWindow.ShowSumSignalTab();
        analysisWindow.OpenFromSumSignal();
        analysisWindow.ChooseRecording(QString::fromStdString(*recording));
    }
    return QApplication::exec();
}
