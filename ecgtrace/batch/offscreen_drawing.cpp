#include "ecgtrace/batch/offscreen_drawing.h"

#include <cstdlib>
#include <iostream>

#include "common/plot_surface.h"

namespace ecgtrace {

OffscreenDrawing::OffscreenDrawing(char* programName) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::cerr << message.toLocal8Bit().constData() << "\n";
    });
    argv_[0] = programName;
    application_ = std::make_unique<QGuiApplication>(argc_, argv_);
    common::LoadPlotFonts();
}

}  // namespace ecgtrace
