#include "ecgtrace/program_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace ecgtrace {

QPixmap ProgramIconPixmap(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, true);
    const qreal s = size / 32.0;
    // Screen with a dark frame.
    p.setPen(QPen(QColor(0, 64, 0), 1.5 * s));
    p.setBrush(QColor(0, 128, 0));
    p.drawRoundedRect(QRectF(1 * s, 3 * s, 30 * s, 26 * s), 3 * s, 3 * s);
    // Zero line.
    p.setPen(QPen(QColor(0, 200, 0), 0.8 * s));
    p.drawLine(QPointF(3 * s, 16 * s), QPointF(29 * s, 16 * s));
    // An irregular trace of a few waves of unequal height.
    QPainterPath trace;
    trace.moveTo(3 * s, 16 * s);
    for (int i = 0; i <= 52; ++i) {
        const qreal x = 3 + i * 0.5;
        const qreal y = 16 - 9 * std::sin(i * 0.55) * (0.55 + 0.45 * std::sin(i * 0.13 + 1.0));
        trace.lineTo(x * s, y * s);
    }
    p.setPen(QPen(QColor(0, 255, 0), 2 * s, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(trace);
    return pixmap;
}

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64}) icon.addPixmap(ProgramIconPixmap(size));
    return icon;
}

}  // namespace ecgtrace
