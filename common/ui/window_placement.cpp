#include "common/ui/window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace common::ui {

QPoint CentredIn(const QRect& area, const QSize& size) {
    return area.center() - QRect(QPoint(0, 0), size).center();
}

void CentreOnScreen(QWidget& window) {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        window.move(CentredIn(screen->availableGeometry(), window.size()));
}

void CentreOver(QWidget& window, const QWidget& other) {
    window.move(CentredIn(other.frameGeometry(), window.size()));
}

void BringToFront(QWidget& window) {
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) return;
    window.raise();
    window.activateWindow();
}

}  // namespace common::ui
