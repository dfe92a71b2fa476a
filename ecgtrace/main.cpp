// Program start: the main window (which runs the start-up), the about box
// and the analysis window; only the main window is shown.
#include <QApplication>

#include "common/ui/error_box.h"
#include "common/ui/plot_view.h"
#include "ecgtrace/about_box.h"
#include "ecgtrace/analysis_window.h"
#include "ecgtrace/main_window.h"
#include "ecgtrace/program_icon.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ecgtrace"));
    common::ui::SetApplicationTitle(QString::fromLatin1(ecgtrace::kApplicationTitle));
    common::ui::LoadProgramFonts();
    QApplication::setWindowIcon(ecgtrace::ProgramIcon());
    // The program ends with the main window, whatever else is open.
    QApplication::setQuitOnLastWindowClosed(false);

    ecgtrace::MainWindow mainWindow;
    ecgtrace::AboutBox aboutBox;
    mainWindow.SetAboutBox(&aboutBox);
    ecgtrace::AnalysisWindow analysisWindow(mainWindow.Session());
    analysisWindow.SetGroupAnalysisButton(mainWindow.GroupAnalysisButton());
    mainWindow.SetAnalysisActions([&analysisWindow] { analysisWindow.OpenFromSumSignal(); },
                                  [&analysisWindow] { analysisWindow.OpenFromGroup(); });
    QObject::connect(&mainWindow, &ecgtrace::MainWindow::Closed, &app, &QApplication::quit,
                     Qt::QueuedConnection);

    mainWindow.show();
    return QApplication::exec();
}
