// Myogrid: the launcher of the models of ventricular fibrillation.
#include "common/command_line.h"
#include "common/errors.h"
#include "common/program_folders.h"
#include "common/ui/error_box.h"
#include "common/ui/plot_view.h"
#include "common/ui/start_folder.h"
#include "myogrid/program_start.h"
#include "myogrid/launcher.h"

#include <QApplication>

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    // --help, --version and unknown options are answered before any window.
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (const auto status = common::AnswerWindowProgramArguments(
            args, "myogrid",
            "Runs the models of ventricular fibrillation: a block of model cells\n"
            "joined by nexuses, three oscillator models and the travelling-wave\n"
            "illusion.",
            std::cout, std::cerr))
        return *status;

    QApplication app(argc, argv);
    common::SetInstalledDataFolder(
        common::InstalledDataFolder(QApplication::applicationDirPath().toStdString(), "myogrid"));
    // Started from the desktop menu: the user's own folder; from a terminal:
    // the current one.
    // The toolkit has taken its own options ("-platform …") out by now.
    std::vector<std::string> remaining;
    for (const QString& a : QApplication::arguments().mid(1)) remaining.push_back(a.toStdString());
    const common::WindowProgramArguments options = common::ParseWindowProgramArguments(remaining);
    // A parameter file named on the command line, found before the working
    // folder may change.
    std::string parameterFile = myogrid::kParameterFileName;
    if (!options.files.empty()) parameterFile = common::AbsolutePath(options.files.front());
    // The class of every window (WM_CLASS), which docks match with the menu
    // entry's StartupWMClass; boxes take their title from kApplicationTitle.
    QApplication::setApplicationName(QStringLiteral("myogrid"));
    QApplication::setDesktopFileName(QStringLiteral("org.arrhythmica.Myogrid"));
    common::ui::SetApplicationTitle(QString::fromLatin1(myogrid::kApplicationTitle));
    if (!common::ui::EnterStartFolder(options, "myogrid")) return 1;
    common::ui::LoadProgramFonts();

    const auto windows = myogrid::CreateMyogridWindows(nullptr, parameterFile);
    if (!windows) return 1;

    // Closing the launcher ends the program even while other windows are open.
    QObject::connect(windows->launcher.get(), &myogrid::Launcher::Closed, &app, &QApplication::quit,
                     Qt::QueuedConnection);
    windows->launcher->show();
    return app.exec();
}
