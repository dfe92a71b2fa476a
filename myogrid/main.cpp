// Myogrid: the launcher of the models of ventricular fibrillation.
#include "common/ui/plot_view.h"
#include "myogrid/program_start.h"
#include "myogrid/launcher.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(myogrid::kApplicationTitle));
    common::ui::LoadProgramFonts();

    // A bad line of "Myogrid.par" ends the program once every bad line has
    // been reported, without showing a window.
    const auto windows = myogrid::CreateMyogridWindows();
    if (!windows) return 1;

    // Closing the launcher ends the program even while other windows are open.
    QObject::connect(windows->launcher.get(), &myogrid::Launcher::Closed, &app, &QApplication::quit,
                     Qt::QueuedConnection);
    windows->launcher->show();
    return app.exec();
}
